// The main window: the month header, the day table with the AM/PM
// measurements and their judgements, mean and standard deviation, and the
// histogram and X control chart on two tabs. It owns the month record and
// the cement type table for the whole run.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

#include "core/Cement.h"
#include "core/MainData.h"
#include "core/Settings.h"

class QAction;
class QMenu;
class QScrollBar;

namespace kestrin {

class TCell;
struct TCellColors;
class TCellManager;
class TCellMgrMain;
class TCellTable;
class TChartTabs;
class TComboCell;
class TDateCell;
class TDatePair;
class TNumCell;
class TPaintBox;
class TShiftPager;
class TStatusLine;
class TTextCell;
class TTitleBar;

// Draws one chart into a paint box: the painter, the rectangle from (0, 0)
// to the box's width and height, and the month record.
using TChartDrawer = std::function<void(QPainter&, const QRect&, const TMainData&)>;

// Column numbers of the day table.
enum TDayColumn { colDay, colWeek, colAM, colPM, colJudgeAM, colJudgePM, kDayColumns };

class TFrmMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFrmMain(QWidget* parent = nullptr);
  ~TFrmMain() override;

  // ---- the window's state
  TMainData& MainData() { return *mainData_; }
  const TMainData& MainData() const { return *mainData_; }
  const TCementList& CementList() const { return *cementList_; }
  TSettings& Settings() { return settings_; }
  const TSettings& Settings() const { return settings_; }
  const QString& DataFileName() const { return dataFileName_; }
  void SetDataFileName(const QString& name) { dataFileName_ = name; }

  // The unsaved-changes flag of CellMgrMain.
  bool Edited() const;
  void SetEdited(bool edited);

  // How the settings are read at first show; the settings file beside the
  // executable by default (tests give their own values).
  std::function<TSettings()> SettingsReader;

  // The chart drawers called by the two paint boxes.
  void SetHistogramDrawer(TChartDrawer drawer);
  void SetXChartDrawer(TChartDrawer drawer);
  const TChartDrawer& HistogramDrawer() const { return histogramDrawer_; }
  const TChartDrawer& XChartDrawer() const { return xChartDrawer_; }

  // Runs `action` for a function key (3..12; Shift for the second page).
  void SetFunctionKeyAction(int fkey, bool shift, std::function<void()> action);

  // ---- operations used by the commands and the cell handlers
  // Recomputes the record and repaints everything that depends on it.
  void RecalcAndRepaint();
  // The day table's row count becomes the days of the header month; every
  // cell repaints.
  void UpdateDayRows();
  // Caption "Kestrin " followed by the data file name.
  void UpdateCaption();
  // The year cell becomes the active cell and the table shows its first row
  // (after load and clear).
  void FocusFirstCell();
  // Commits what is typed in the open editor (before a command runs).
  void CommitActiveCell();
  // Rereads the header's combo lists from the settings (after the setup
  // dialog): the ten plant names, in order, empty ones included.
  void RebuildKojoList();

  // ---- components
  TCellMgrMain* CellMgrMain = nullptr;
  TTitleBar* PageTitle = nullptr;
  TCellManager* CellMgrTop = nullptr;
  TCellManager* CellMgrTableTop = nullptr;
  TCellTable* CellMgrTable = nullptr;
  QScrollBar* CmScrollBar = nullptr;
  QWidget* CellMgrHistgram = nullptr;
  TChartTabs* CmPageCtrl = nullptr;
  TPaintBox* PaintBoxChartHistgram = nullptr;
  TPaintBox* PaintBoxChartX = nullptr;
  QWidget* PnlLine = nullptr;
  TShiftPager* CmShiftPager = nullptr;
  TStatusLine* StatusBar = nullptr;

  // Header cells.
  TDateCell* CellYear = nullptr;   // editor CellDateYear
  TDateCell* CellMonth = nullptr;  // editor CellDateMonth
  TComboCell* CellKojo = nullptr;  // CellCmbBoxKojo
  TTextCell* CellTanto = nullptr;  // CellEdtTanto
  TTextCell* CellBiko = nullptr;   // CellEdtBiko
  TNumCell* CellKyodo = nullptr;   // CellCurEdtKyodo
  TCell* CellKyodoTani = nullptr;
  TNumCell* CellSlump = nullptr;   // CellCurEdtKariAveX
  TNumCell* CellKyoyo = nullptr;   // CellCurEdtKyoyo
  TNumCell* CellKotsuzai = nullptr;
  TNumCell* CellAir = nullptr;
  TNumCell* CellAirKyoyo = nullptr;
  TComboCell* CellCement = nullptr;     // CellCmbBoxCement
  TTextCell* CellCementMark = nullptr;  // CellEdtCementMark
  TCell* CellAveX = nullptr;
  TCell* CellHensa = nullptr;

  // The day table's cell of a row (0-based) and column.
  TCell* DayCell(int row, TDayColumn column) const;

  // Menu items (their commands are connected by the command layer).
  QMenu* MenuFile = nullptr;
  QMenu* MenuEdit = nullptr;
  QMenu* MenuOption = nullptr;
  QAction* MenuFLoad = nullptr;
  QAction* MenuFSave = nullptr;
  QAction* EXCEL1 = nullptr;
  QMenu* MenuFPreview = nullptr;
  QMenu* MenuFPrint = nullptr;
  QAction* MenuFExit = nullptr;
  QAction* EClear = nullptr;
  QAction* MenuOptionAbout = nullptr;

  // The design size of the client area and the window's least size.
  static constexpr int kClientWidth = 823;
  static constexpr int kClientHeight = 580;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Construction (FrmMainLayout.cpp).
  void CreateRegions();
  void CreateHeaderCells();
  void CreateDayTable();
  void CreateCharts();
  void CreateFunctionKeys();
  void CreateMenus();
  void LayoutClient();

  // Creation and first show.
  void InitialiseState();
  void FirstShow();
  void ReadSettings();
  void SyncCementMode();

  // Handlers of the measurement cells.
  TSokutei* Measurement(int row, int which);
  const TSokutei* Measurement(int row, int which) const;
  void DayTextColor(const TCell& cell, TCellColors& colors) const;

  std::unique_ptr<TMainData> mainData_;
  std::unique_ptr<TCementList> cementList_;
  TSettings settings_;
  QString dataFileName_;
  std::shared_ptr<TDatePair> datePair_;
  TChartDrawer histogramDrawer_;
  TChartDrawer xChartDrawer_;
  QWidget* client_ = nullptr;
  QWidget* tableBox_ = nullptr;
  QWidget* scrollFrame_ = nullptr;
  bool shown_ = false;
};

// Texts of the result cells: mean X (hundredths) with two decimals padded
// to five characters, sigma with three decimals padded to six.
QString FormatAveX(int32_t aveXHundredths);
QString FormatHensa(long double hensa);

}  // namespace kestrin
