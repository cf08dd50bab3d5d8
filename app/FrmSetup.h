// The setup dialog: company name, default person, the ten plant names, the
// titles of the three seal boxes, the three printing options and the
// lengths of the run and trend signals. Its cells
// read the settings values when shown and write them back on every
// committed change; closing keeps every committed change (there is no
// cancel). The values reach the settings file when the main window closes.
#pragma once

#include <QDialog>
#include <array>

#include "core/Settings.h"

namespace kestrin {

class TCellManager;
class TCellMgrMain;
class TNumCell;
class TShiftPager;
class TStatusLine;
class TSwitchCell;
class TTextCell;
class TTitleBar;

// The dialog's regions and cells: made once by its construction, owned by
// their Qt parents (the cells by their cell manager), used by the dialog's
// own code only.
struct TFrmSetupUi {
  TTitleBar* TitleBar = nullptr;
  TCellManager* SetupCells = nullptr;
  TShiftPager* FunctionKeys = nullptr;
  TStatusLine* StatusLine = nullptr;
  TCellMgrMain* CellCoordinator = nullptr;

  TTextCell* CellCompany = nullptr;
  TTextCell* CellTanto = nullptr;
  std::array<TTextCell*, kKojoNameCount> CellKojo{};
  TTextCell* CellInkan1 = nullptr;
  TTextCell* CellInkan2 = nullptr;
  TTextCell* CellInkan3 = nullptr;
  TSwitchCell* CellSokuteichi0 = nullptr;
  TSwitchCell* CellSokuteichi1 = nullptr;
  TSwitchCell* CellDrawHistNoRange0 = nullptr;
  TSwitchCell* CellDrawHistNoRange1 = nullptr;
  TSwitchCell* CellDrawXChartNoRange0 = nullptr;
  TSwitchCell* CellDrawXChartNoRange1 = nullptr;
  TNumCell* CellRunLength = nullptr;    // RunLength, 2..62
  TNumCell* CellTrendLength = nullptr;  // TrendLength, 3..62
};

class TFrmSetup : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kWidth = 857;
  static constexpr int kHeight = 506;
  static constexpr int kMinWidth = 818;

  TFrmSetup(TSettings& settings, QWidget* parent = nullptr);
  ~TFrmSetup() override;

  // Shows the dialog modally, centred on its parent, the company name cell
  // active.
  int exec() override;

 public slots:
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The tests' view of the dialog's parts.
  friend class TFrmSetupProbe;

  void CreateCells();
  void CreateFunctionKeys();
  void LayoutClient();

  TFrmSetupUi ui_;
  TSettings& settings_;
  QWidget* line_ = nullptr;
};

}  // namespace kestrin
