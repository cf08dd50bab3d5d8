// Answers for the message boxes and file dialogs of the windows under test,
// and a helper that acts on a modal window or popup once it is open.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

#include "widgets/Dialogs.h"

namespace kestrin {

class TScriptedDialogs : public TDialogs {
 public:
  // Every message shown (questions and plain boxes) and file dialog opened.
  std::vector<TMessageRequest> Messages;
  std::vector<TFileRequest> Files;
  // Answers to Yes/No questions and file dialogs, in order; "" cancels a
  // file dialog. A question or dialog without an answer fails the test and
  // gets No / cancel.
  std::deque<bool> Answers;
  std::deque<QString> FileAnswers;

  bool Message(const TMessageRequest& r) override {
    Messages.push_back(r);
    if (!r.YesNo) return true;
    if (Answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << r.Text.toStdString();
      return false;
    }
    const bool a = Answers.front();
    Answers.pop_front();
    return a;
  }
  QString File(const TFileRequest& r) override {
    Files.push_back(r);
    if (FileAnswers.empty()) {
      ADD_FAILURE() << "unexpected file dialog";
      return {};
    }
    const QString a = FileAnswers.front();
    FileAnswers.pop_front();
    return a;
  }
  QStringList Texts() const {
    QStringList t;
    for (const auto& m : Messages) t << m.Text;
    return t;
  }
  void Reset() {
    Messages.clear();
    Files.clear();
  }
};

// Calls `act` with the first modal window of type T (or popup, for menus)
// that opens, from inside its event loop. Fails the test when none opens
// within a few seconds.
template <typename T>
void WhenOpen(std::function<void(T*)> act) {
  auto* timer = new QTimer;
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, tries, act] {
    T* w = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!w) w = qobject_cast<T*>(QApplication::activePopupWidget());
    if (w && w->isVisible()) {
      timer->stop();
      timer->deleteLater();
      act(w);
      return;
    }
    if (++*tries > 500) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "no window opened";
    }
  });
  timer->start(10);
}

}  // namespace kestrin
