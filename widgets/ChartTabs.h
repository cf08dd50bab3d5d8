// The tabbed chart area: a strip of tab cells above a page that shows one
// widget at a time (the chart paint boxes), and the paint box itself.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "CellArea.h"

namespace kestrin {

// A plain surface whose painting is done by a handler with the box's own
// rectangle (0, 0, width, height).
class TPaintBox : public QWidget {
  Q_OBJECT
 public:
  explicit TPaintBox(QWidget* parent = nullptr);
  std::function<void(QPainter&, const QRect&)> OnPaint;
  QColor Background = Qt::white;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class TTabCell : public TCell {
 public:
  explicit TTabCell(QString name = {});
  bool Selected = false;
  void Paint(QPainter& p, const QRect& r, const TCellPaintState& state) const override;
};

class TChartTabs : public TCellArea {
  Q_OBJECT
 public:
  explicit TChartTabs(QWidget* parent = nullptr);
  ~TChartTabs() override;

  int TabHeight = 24;
  int TabWidth = 112;
  QColor TabColor = QColor(0xE0, 0xFC, 0xEB);

  // Adds a tab showing `page` (reparented into the page area).
  TTabCell* AddTab(const QString& name, const QString& caption, const QString& statusMessage,
                   QWidget* page);
  int TabCount() const { return static_cast<int>(tabs_.size()); }
  TTabCell* Tab(int index) const { return tabs_.at(static_cast<std::size_t>(index)).Cell.get(); }
  QWidget* Page(int index) const { return tabs_.at(static_cast<std::size_t>(index)).Page; }
  int CurrentTab() const { return current_; }
  void SetCurrentTab(int index);
  // The rectangle pages are placed in.
  QRect PageRect() const;

  // The page area's colour: the control's own colour darkened by 32 in
  // each of red, green and blue (clamped at 0).
  static QColor Darkened(const QColor& c, int by = 32);

  int CellCount() const override { return TabCount(); }
  TCell* CellAt(int index) const override { return Tab(index); }
  QRect CellRect(int index) const override;
  int NextFocus(int from, bool forward) const override { return from < 0 ? current_ : -1; }
  int EntryCell(bool) const override { return TabCount() > 0 ? current_ : -1; }
  int Neighbour(int from, int key) const override;

 signals:
  void CurrentTabChanged(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  struct TTab {
    std::unique_ptr<TTabCell> Cell;
    QWidget* Page;
  };
  std::vector<TTab> tabs_;
  int current_ = -1;
};

}  // namespace kestrin
