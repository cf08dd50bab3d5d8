// The main window's regions, cells and menu items: made once by the
// window's construction, owned by their Qt parents (the cells by their
// cell managers), and used by the window's own code only.
#pragma once

class QAction;
class QMenu;
class QScrollBar;
class QWidget;

namespace kestrin {

class TCell;
class TCellManager;
class TCellMgrMain;
class TCellTable;
class TChartTabs;
class TControlPage;
class TComboCell;
class TDateCell;
class TNumCell;
class TPaintBox;
class TShiftPager;
class TSignalPage;
class TStatusLine;
class TTextCell;
class TTitleBar;

struct TFrmMainUi {
  // Regions from top to bottom.
  TTitleBar* TitleBar = nullptr;
  TCellManager* Header = nullptr;           // the month header
  TCellManager* DayTableHeading = nullptr;  // the day table's title row
  TCellTable* DayTable = nullptr;
  QScrollBar* DayScrollBar = nullptr;
  QWidget* ChartPanel = nullptr;  // the frame around the chart tabs
  TChartTabs* ChartTabs = nullptr;
  TPaintBox* HistogramBox = nullptr;
  TPaintBox* XChartBox = nullptr;
  TSignalPage* SignalPage = nullptr;  // tab "管理状態"
  TControlPage* ControlPage = nullptr;  // tab "X̄－R管理図"
  QWidget* GreenLine = nullptr;       // above the function keys
  TShiftPager* FunctionKeys = nullptr;
  TStatusLine* StatusLine = nullptr;
  // The active cell, focus order, unsaved-changes flag and status message
  // across the header, the day table, the function keys and the tabs.
  TCellMgrMain* CellCoordinator = nullptr;

  // Header cells, by the month's field they show.
  TDateCell* CellYear = nullptr;
  TDateCell* CellMonth = nullptr;
  TComboCell* CellKojo = nullptr;
  TTextCell* CellTanto = nullptr;
  TTextCell* CellBiko = nullptr;
  TNumCell* CellKyodo = nullptr;
  TCell* CellKyodoTani = nullptr;
  TNumCell* CellSlump = nullptr;  // KariAveX
  TNumCell* CellKyoyo = nullptr;
  TNumCell* CellKotsuzai = nullptr;
  TNumCell* CellAir = nullptr;
  TNumCell* CellAirKyoyo = nullptr;
  TComboCell* CellCement = nullptr;
  TTextCell* CellCementMark = nullptr;
  TCell* CellAveX = nullptr;
  TCell* CellHensa = nullptr;

  // Menus and their items.
  QMenu* FileMenu = nullptr;
  QMenu* EditMenu = nullptr;
  QMenu* OptionMenu = nullptr;
  QMenu* HelpMenu = nullptr;
  QAction* LoadAction = nullptr;
  QAction* SaveAction = nullptr;
  QAction* SaveInPlaceAction = nullptr;  // "上書き保存(&W)"
  QAction* NextMonthAction = nullptr;    // "次月(&N)"
  QMenu* RecentMenu = nullptr;  // "最近使ったファイル(&R)"
  QAction* ExportAction = nullptr;
  QAction* OverviewAction = nullptr;  // "年間推移(&Y)..."
  QAction* StrengthAction = nullptr;  // "強度試験(&T)..."
  QMenu* PreviewMenu = nullptr;
  QMenu* PrintMenu = nullptr;
  QAction* QuitAction = nullptr;
  QAction* UndoAction = nullptr;    // "元に戻す(&U)"
  QAction* RedoAction = nullptr;    // "やり直し(&R)"
  QAction* CopyAction = nullptr;    // "コピー(&C)"
  QAction* PasteAction = nullptr;   // "貼り付け(&P)"
  QAction* DeleteAction = nullptr;  // "削除(&D)"
  QAction* ClearAction = nullptr;
  QAction* AboutAction = nullptr;
  QAction* ManualAction = nullptr;  // F1
  // The sheet choice of F8 and F9.
  QMenu* SheetMenu = nullptr;
  QAction* TableSheetChoice = nullptr;   // "管理表・ヒストグラム"
  QAction* XChartSheetChoice = nullptr;  // "Ｘ管理図"
  QAction* XbarRSheetChoice = nullptr;   // "X̄－R管理図"
  QAction* AllSheetsChoice = nullptr;    // "全て"
};

}  // namespace kestrin
