// Types a text into a widget as key events, one character at a time.
// QTest::keyClicks only knows Latin-1; Japanese characters arrive as key
// events carrying their text, as an input method commits them.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

inline void TypeText(QWidget* w, const QString& text) {
  for (int i = 0; i < text.size(); ++i) {
    const QChar ch = text.at(i);
    if (ch.unicode() < 0x7F && ch.unicode() >= 0x20) {
      QTest::keyClick(w, ch.toLatin1());
      continue;
    }
    QString s(ch);
    if (ch.isHighSurrogate() && i + 1 < text.size()) s += text.at(++i);
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, s);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, s);
    QApplication::sendEvent(w, &release);
  }
}
