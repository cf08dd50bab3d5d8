// Construction of the main window: its regions, the header cells with the
// getters and setters that read and write the month record, the day table,
// the chart tabs, the function keys, the menus and the layout of the client
// area. The commands they trigger are connected in FrmMainCommands.cpp.
#include <QMenuBar>
#include <QPainter>
#include <QScrollBar>

#include "AppFonts.h"
#include "ControlPage.h"
#include "FrmMain.h"
#include "KeyGlyphs.h"
#include "SignalPage.h"
#include "UnitLabel.h"
#include "core/Numbers.h"
#include "widgets/CellManager.h"
#include "widgets/CellMgrMain.h"
#include "widgets/CellTable.h"
#include "widgets/ChartTabs.h"
#include "widgets/Cp932Text.h"
#include "widgets/EditCells.h"
#include "widgets/ScrollBarStyle.h"
#include "widgets/ShiftPager.h"
#include "widgets/StatusLine.h"
#include "widgets/TitleBar.h"

namespace kestrin {

namespace {

const QColor kLabelColor(0x10, 0x92, 0x5A);      // label and title cells
const QColor kUnitColor(0xD6, 0xF8, 0xE6);       // unit cells
const QColor kHeaderColor(0xF9, 0xF3, 0xDF);     // header background
const QColor kResultLabelColor(0xDE, 0x77, 0x50);
const QColor kResultValueColor(0xEB, 0xEB, 0xEB);
const QColor kDayColor(0xE0, 0xFC, 0xEB);        // day, weekday, tab cells
const QColor kValueColor(0xFD, 0xF4, 0xE1);      // AM/PM cells
const QColor kJudgeColor(0xFA, 0xDD, 0xA0);
const QColor kTableColor(0xE6, 0xE4, 0xE3);
const QColor kScrollFrameColor(0xD5, 0xD1, 0xD0);
constexpr int kRow = 26;  // cell height

// A label cell: #10925A with white text.
std::unique_ptr<TCell> Label(const QString& name, const QString& caption) {
  auto c = std::make_unique<TCell>(name);
  c->Caption = caption;
  c->Color = kLabelColor;
  c->FontColor = Qt::white;
  c->Font = LabelFont();
  c->Align = TCellAlign::Center;
  return c;
}

std::unique_ptr<TCell> Unit(const QString& name, const QString& caption) {
  auto c = std::make_unique<TCell>(name);
  c->Caption = caption;
  c->Color = kUnitColor;
  c->FontColor = Qt::black;
  c->Font = UnitFont();
  c->Align = TCellAlign::Center;
  return c;
}

// The white "±" between a value and its tolerance.
std::unique_ptr<TCell> PlusMinus(const QString& name) {
  auto c = std::make_unique<TCell>(name);
  c->Caption = QStringLiteral("±");
  c->Font = ValueFont();
  c->Align = TCellAlign::Center;
  return c;
}

std::unique_ptr<TNumCell> Number(const QString& name, int decimals, int maxChars, bool hasRange,
                                 double max) {
  auto c = std::make_unique<TNumCell>(name);
  c->Font = ValueFont();
  c->Rule.Decimals = decimals;
  c->Rule.MaxChars = maxChars;
  c->Rule.HasRange = hasRange;
  c->Rule.Min = 0.0;
  c->Rule.Max = max;
  return c;
}

QRect At(int left, int top, int width) { return QRect(left, top, width, kRow); }

}  // namespace

void TFrmMain::CreateRegions() {
  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(client_);
  client_->installEventFilter(this);

  ui_.TitleBar = new TTitleBar(client_);
  ui_.TitleBar->setObjectName(QStringLiteral("TitleBar"));
  ui_.TitleBar->SetCaption(QStringLiteral("Kestrin"));

  ui_.Header = new TCellManager(client_);
  ui_.Header->setObjectName(QStringLiteral("Header"));
  ui_.Header->Background = kHeaderColor;

  tableBox_ = new QWidget(client_);
  tableBox_->setAutoFillBackground(true);
  QPalette tp = tableBox_->palette();
  tp.setColor(QPalette::Window, kTableColor);
  tableBox_->setPalette(tp);
  ui_.DayTableHeading = new TCellManager(tableBox_);
  ui_.DayTableHeading->setObjectName(QStringLiteral("DayTableHeading"));
  ui_.DayTableHeading->Background = kTableColor;
  ui_.DayTable = new TCellTable(tableBox_);
  ui_.DayTable->setObjectName(QStringLiteral("DayTable"));
  ui_.DayTable->Background = kTableColor;
  scrollFrame_ = new QWidget(tableBox_);
  scrollFrame_->setAutoFillBackground(true);
  QPalette sp = scrollFrame_->palette();
  sp.setColor(QPalette::Window, kScrollFrameColor);
  scrollFrame_->setPalette(sp);
  ui_.DayScrollBar = new QScrollBar(Qt::Vertical, scrollFrame_);
  ui_.DayScrollBar->setObjectName(QStringLiteral("DayScrollBar"));
  TScrollBarStyle::Apply(ui_.DayScrollBar);
  ui_.DayTable->AttachScrollBar(ui_.DayScrollBar);

  ui_.ChartPanel = new QWidget(client_);
  ui_.ChartPanel->setObjectName(QStringLiteral("ChartPanel"));
  ui_.ChartTabs = new TChartTabs(ui_.ChartPanel);
  ui_.ChartTabs->setObjectName(QStringLiteral("ChartTabs"));

  ui_.GreenLine = new QWidget(client_);
  ui_.GreenLine->setObjectName(QStringLiteral("GreenLine"));
  ui_.GreenLine->installEventFilter(this);  // painted as a lowered green line

  ui_.FunctionKeys = new TShiftPager(client_);
  ui_.FunctionKeys->setObjectName(QStringLiteral("FunctionKeys"));

  ui_.StatusLine = new TStatusLine(client_);
  ui_.StatusLine->setObjectName(QStringLiteral("StatusLine"));
  ui_.StatusLine->setFont(LabelFont());

  ui_.CellCoordinator = new TCellMgrMain(this);
  connect(ui_.CellCoordinator, &TCellMgrMain::StatusMessageChanged, ui_.StatusLine, &TStatusLine::SetText);
  connect(ui_.CellCoordinator, &TCellMgrMain::EscapePressed, this, &QWidget::close);
}

void TFrmMain::CreateHeaderCells() {
  TCellManager* m = ui_.Header;
  TBasicInfo* info = &mainData_->BasicInfo;

  // Row 1: month of record, plant, person.
  m->Add(Label(QStringLiteral("CellTxtGetsudo"), QStringLiteral("月 度")), At(0, 0, 80));
  datePair_ = std::make_shared<TDatePair>();
  datePair_->OnGetDate = [info] { return info->Getsudo; };
  datePair_->OnSetDate = [this, info](int32_t d) {
    info->Getsudo = d;
    mainData_->AdjustSlumpList();
    RecalcAndRepaint();
  };
  auto year = std::make_unique<TDateCell>(QStringLiteral("CellYear"), datePair_, TDateCell::TPart::Year);
  year->Font = ValueFont();
  ui_.CellYear = m->Add(std::move(year), At(80, 0, 40));
  m->Add(Unit(QStringLiteral("CellYearSfx"), QStringLiteral("年")), At(120, 0, 20));
  auto month = std::make_unique<TDateCell>(QStringLiteral("CellMonth"), datePair_, TDateCell::TPart::Month);
  month->Font = ValueFont();
  ui_.CellMonth = m->Add(std::move(month), At(140, 0, 24));
  m->Add(Unit(QStringLiteral("CellMonthSfx"), QStringLiteral("月")), At(164, 0, 20));

  m->Add(Label(QStringLiteral("CellTxtKojo"), QStringLiteral("工場名")), At(184, 0, 72));
  auto kojo = std::make_unique<TComboCell>(QStringLiteral("CellKojo"));
  kojo->Font = ValueFont();
  kojo->ListOnly = true;
  kojo->OnGetValue = [info] { return FromAnsi(info->Kojo); };
  kojo->OnSetValue = [this, info](const QString& s) {
    info->Kojo = TruncateCp932(ToAnsi(s), kKojoMaxBytes);
    ui_.CellCoordinator->RepaintAll();
  };
  ui_.CellKojo = m->Add(std::move(kojo), At(256, 0, 184));

  m->Add(Label(QStringLiteral("CellTxtTanto"), QStringLiteral("担当者")), At(440, 0, 72));
  auto tanto = std::make_unique<TTextCell>(QStringLiteral("CellTanto"));
  tanto->Font = ValueFont();
  tanto->MaxBytes = kTantoMaxBytes;
  tanto->Ime = TImeMode::Hiragana;
  // The default person is put into the record where a month begins
  // (FillDefaultPerson); an empty entry stores it again.
  tanto->OnGetValue = [info] { return FromAnsi(info->Tanto); };
  tanto->OnSetValue = [this, info](const QString& s) {
    info->Tanto = s.isEmpty() ? DefaultTanto(settings_) : TruncateCp932(ToAnsi(s), kTantoMaxBytes);
    ui_.CellCoordinator->RepaintAll();
  };
  ui_.CellTanto = m->Add(std::move(tanto), At(512, 0, 144));

  // Row 2: remarks.
  m->Add(Label(QStringLiteral("CellTxtBiko"), QStringLiteral("備 考")), At(0, 26, 80));
  auto biko = std::make_unique<TTextCell>(QStringLiteral("CellBiko"));
  biko->Font = ValueFont();
  biko->MaxBytes = kBikoMaxBytes;
  biko->Ime = TImeMode::Hiragana;
  biko->OnGetValue = [info] { return FromAnsi(info->Biko); };
  biko->OnSetValue = [this, info](const QString& s) {
    info->Biko = ToAnsi(s);
    ui_.CellCoordinator->RepaintAll();
  };
  ui_.CellBiko = m->Add(std::move(biko), At(80, 26, 360));

  // Row 3: strength, slump and tolerance, aggregate, air and tolerance.
  m->Add(Label(QStringLiteral("CellTxtKyodo"), QStringLiteral("呼び強度")), At(0, 52, 80));
  // Whole numbers 0 to 99: an entry above is stored as 99.
  auto kyodo = Number(QStringLiteral("CellKyodo"), 0, 4, true, 99.0);
  kyodo->OnGetValue = [info] { return TNumValue{info->Kyodo, info->Kyodo == 0.0}; };
  kyodo->OnSetValue = [this, info](const TNumValue& v) {
    info->Kyodo = v.Value;
    ui_.CellCoordinator->RepaintAll();
  };
  ui_.CellKyodo = m->Add(std::move(kyodo), At(80, 52, 48));
  auto tani = Unit(QStringLiteral("CellKyodoTani"), QStringLiteral("N/mm2"));
  tani->OnDrawCell = [](const TCell& c, QPainter& p, const QRect& r, const TCellColors& colors) {
    DrawRaisedCaption(p, r, c.Caption, c.Font, c.Align, c.Margin, colors);
  };
  ui_.CellKyodoTani = m->Add(std::move(tani), At(128, 52, 56));

  m->Add(Label(QStringLiteral("CellTxtSlump"), QStringLiteral("スランプ")), At(184, 52, 72));
  auto slump = Number(QStringLiteral("CellSlump"), 1, 4, true, 99.9);
  slump->OnGetValue = [info] { return TNumValue{info->KariAveX / 100.0, false}; };
  slump->OnSetValue = [this, info](const TNumValue& v) {
    info->KariAveX = RoundOff(static_cast<long double>(v.Value) * 100.0L);
    RecalcAndRepaint();
  };
  ui_.CellSlump = m->Add(std::move(slump), At(256, 52, 48));
  m->Add(PlusMinus(QStringLiteral("CellTxtKyoyo")), At(304, 52, 20));
  auto kyoyo = Number(QStringLiteral("CellKyoyo"), 1, 3, true, 5.0);
  kyoyo->OnGetValue = [info] { return TNumValue{info->Kyoyo / 100.0, false}; };
  kyoyo->OnSetValue = [this, info](const TNumValue& v) {
    info->Kyoyo = RoundOff(static_cast<long double>(v.Value) * 100.0L);
    mainData_->MakeHistogramList();
    RecalcAndRepaint();
  };
  ui_.CellKyoyo = m->Add(std::move(kyoyo), At(324, 52, 36));
  m->Add(Unit(QStringLiteral("CellSlumpTani"), QStringLiteral("cm")), At(360, 52, 24));

  m->Add(Label(QStringLiteral("CellTxtKotsuzai"), QStringLiteral("骨材寸法")), At(384, 52, 88));
  auto kotsuzai = Number(QStringLiteral("CellKotsuzai"), 0, 4, false, 0.0);
  kotsuzai->OnGetValue = [info] { return TNumValue{info->Kotsuzai, info->Kotsuzai == 0.0}; };
  kotsuzai->OnSetValue = [this, info](const TNumValue& v) {
    info->Kotsuzai = v.Value;
    ui_.CellCoordinator->RepaintAll();
  };
  ui_.CellKotsuzai = m->Add(std::move(kotsuzai), At(472, 52, 40));
  m->Add(Unit(QStringLiteral("CellKotsuzaiTani"), QStringLiteral("mm")), At(512, 52, 24));

  m->Add(Label(QStringLiteral("CellTxtAir"), QStringLiteral("空気量")), At(536, 52, 64));
  auto air = Number(QStringLiteral("CellAir"), 1, 4, false, 0.0);
  air->OnGetValue = [info] { return TNumValue{info->Air, info->Air == 0.0}; };
  air->OnSetValue = [this, info](const TNumValue& v) {
    info->Air = v.Value;
    ui_.CellCoordinator->RepaintAll();
  };
  ui_.CellAir = m->Add(std::move(air), At(600, 52, 40));
  m->Add(PlusMinus(QStringLiteral("CellTxtAirKyoyo")), At(640, 52, 20));
  auto airKyoyo = Number(QStringLiteral("CellAirKyoyo"), 1, 3, true, 5.0);
  airKyoyo->OnGetValue = [info] { return TNumValue{info->AirKyoyo, info->AirKyoyo == 0.0}; };
  airKyoyo->OnSetValue = [this, info](const TNumValue& v) {
    info->AirKyoyo = v.Value;
    ui_.CellCoordinator->RepaintAll();
  };
  ui_.CellAirKyoyo = m->Add(std::move(airKyoyo), At(660, 52, 36));
  m->Add(Unit(QStringLiteral("CellAirTani"), QStringLiteral("%")), At(696, 52, 16));

  // Row 4: cement type and symbol, mean and standard deviation.
  m->Add(Label(QStringLiteral("CellTxtCement"), QStringLiteral("ｾﾒﾝﾄ種類")), At(0, 78, 80));
  auto cement = std::make_unique<TComboCell>(QStringLiteral("CellCement"));
  cement->Font = ValueFont();
  cement->MaxBytes = kCementNameMaxBytes;
  cement->Ime = TImeMode::Hiragana;
  cement->ListOnly = false;  // editable at start
  cement->OnGetValue = [info] { return FromAnsi(info->Cement.Name); };
  cement->OnSetValue = [this, info](const QString& s) {
    SetCementName(info->Cement, *cementList_, ToAnsi(s));
    SyncCementMode();
    ui_.CellCoordinator->RepaintAll();
  };
  ui_.CellCement = m->Add(std::move(cement), At(80, 78, 176));

  m->Add(Label(QStringLiteral("CellTxtCementMark"), QStringLiteral("記号")), At(256, 78, 56));
  auto mark = std::make_unique<TTextCell>(QStringLiteral("CellCementMark"));
  mark->Font = FaceFont("ＭＳ ゴシック", 12);
  mark->MaxBytes = kCementMarkMaxBytes;
  mark->Ime = TImeMode::Off;
  mark->OnGetValue = [info] { return FromAnsi(info->Cement.Mark); };
  mark->OnSetValue = [this, info](const QString& s) {
    SetCementMark(info->Cement, *cementList_, ToAnsi(s));
    ui_.CellCoordinator->RepaintAll();
  };
  // Enterable only while the name is not a standard one; shaded while the
  // table fixes the symbol.
  mark->OnCanFocus = [this, info](const TCell&) { return CementMarkEditable(info->Cement, *cementList_); };
  mark->OnGetColor = [this, info](const TCell&, TCellColors& c) {
    c.Back = CementMarkEditable(info->Cement, *cementList_) ? QColor(Qt::white)
                                                            : ColorFromBgr(kCementMarkLockedColor);
  };
  ui_.CellCementMark = m->Add(std::move(mark), At(312, 78, 72));

  auto resultLabel = [](const QString& name, const QString& caption) {
    auto c = Label(name, caption);
    c->Color = kResultLabelColor;
    return c;
  };
  auto resultValue = [](const QString& name) {
    auto c = std::make_unique<TCell>(name);
    c->Color = kResultValueColor;
    c->Font = ValueFont();
    c->Align = TCellAlign::Right;
    return c;
  };
  m->Add(resultLabel(QStringLiteral("CellTxtAveX"), QStringLiteral("平均値（X）")), At(384, 78, 88));
  auto aveX = resultValue(QStringLiteral("CellAveX"));
  aveX->OnGetText = [this](const TCell&) { return FormatAveX(mainData_->CalcedResult.AveX); };
  ui_.CellAveX = m->Add(std::move(aveX), At(472, 78, 64));
  m->Add(resultLabel(QStringLiteral("CellTxtHensa"), QStringLiteral("標準偏差（σ）")), At(536, 78, 104));
  auto hensa = resultValue(QStringLiteral("CellHensa"));
  hensa->OnGetText = [this](const TCell&) { return FormatHensa(mainData_->CalcedResult.Hensa); };
  ui_.CellHensa = m->Add(std::move(hensa), At(640, 78, 72));

  // Status messages.
  ui_.CellYear->StatusMessage = ui_.CellMonth->StatusMessage = QStringLiteral("管理月度を入力してください．");
  ui_.CellKojo->StatusMessage = QStringLiteral("工場名を選択してください．");
  ui_.CellTanto->StatusMessage = QStringLiteral("担当者名を入力してください．");
  ui_.CellBiko->StatusMessage = QStringLiteral("備考を入力してください．");
  ui_.CellKyodo->StatusMessage = QStringLiteral("呼び強度を入力してください．");
  ui_.CellSlump->StatusMessage = QStringLiteral("スランプの許容値を入力してください．");
  ui_.CellKyoyo->StatusMessage = QStringLiteral("スランプの許容値を入力してください．");
  ui_.CellKotsuzai->StatusMessage = QStringLiteral("骨材寸法を入力してください．");
  ui_.CellAir->StatusMessage = QStringLiteral("空気量を入力してください．");
  ui_.CellAirKyoyo->StatusMessage = QStringLiteral("空気量を入力してください．");
  ui_.CellCement->StatusMessage = QStringLiteral("セメントの種類を選択，または入力してください．");
  ui_.CellCementMark->StatusMessage = QStringLiteral("セメント種類の記号を入力してください．");
}

void TFrmMain::CreateDayTable() {
  // Title row.
  TCellManager* top = ui_.DayTableHeading;
  top->Add(Label(QStringLiteral("CellDayA"), QStringLiteral("日")), At(0, 0, 32));
  top->Add(Label(QStringLiteral("CellWeekA"), QStringLiteral("曜 日")), At(32, 0, 48));
  top->Add(Label(QStringLiteral("CellAMA"), QStringLiteral("測定値(AM)")), At(80, 0, 88));
  top->Add(Label(QStringLiteral("CellPMA"), QStringLiteral("測定値(PM)")), At(168, 0, 88));
  top->Add(Label(QStringLiteral("CellJudgeA"), QStringLiteral("合否判定")), At(256, 0, 88));

  TCellTable* t = ui_.DayTable;
  t->RowHeight = kRow;
  t->PageRows = 13;
  auto textCell = [this](const QString& name, QColor color, TCellAlign align) {
    auto c = std::make_unique<TCell>(name);
    c->Color = color;
    c->Font = ValueFont();
    c->Align = align;
    return c;
  };
  t->AddColumn(32, [this, textCell](int row) {
    auto c = textCell(QStringLiteral("CellDay"), kDayColor, TCellAlign::Right);
    c->OnGetText = [](const TCell& cell) { return QString::number(cell.Row + 1); };
    c->OnGetColor = [this](const TCell& cell, TCellColors& colors) { DayTextColor(cell, colors); };
    return c;
  });
  t->AddColumn(48, [this, textCell](int row) {
    auto c = textCell(QStringLiteral("CellWeek"), kDayColor, TCellAlign::Center);
    c->Font = LabelFont();
    c->OnGetText = [this](const TCell& cell) {
      const int32_t date = WithDay(mainData_->BasicInfo.Getsudo, cell.Row + 1);
      return QString::fromStdString(DayOfWeekNameUtf8(DayOfWeekNo(date)));
    };
    c->OnGetColor = [this](const TCell& cell, TCellColors& colors) { DayTextColor(cell, colors); };
    return c;
  });
  for (int which = 0; which < 2; ++which) {
    t->AddColumn(88, [this, which](int row) {
      auto c = Number(which == 0 ? QStringLiteral("CellAM") : QStringLiteral("CellPM"), 1, 4, true, 99.9);
      c->Color = kValueColor;
      c->StatusMessage = which == 0 ? QStringLiteral("午前の測定値を入力してください．")
                                    : QStringLiteral("午後の測定値を入力してください．");
      c->OnGetValue = [this, row, which] {
        const TSokutei* s = Measurement(row, which);
        if (!s || s->Value <= 0) return TNumValue{0.0, true};
        return TNumValue{s->Value / 100.0, false};
      };
      c->OnSetValue = [this, row, which](const TNumValue& v) {
        TSokutei* s = Measurement(row, which);
        if (!s) return;
        s->Value = v.Blank ? 0 : RoundOff(static_cast<long double>(v.Value) * 100.0L);
        RecalcAndRepaint();
      };
      // Black while the value passes, red otherwise.
      c->OnGetColor = [this, row, which](const TCell&, TCellColors& colors) {
        const TSokutei* s = Measurement(row, which);
        colors.Text = (s && s->Judge) ? QColor(Qt::black) : QColor(0xFF, 0x00, 0x00);
      };
      return c;
    });
  }
  for (int which = 0; which < 2; ++which) {
    t->AddColumn(44, [this, which, textCell](int row) {
      auto c = textCell(which == 0 ? QStringLiteral("CellJudgeAM") : QStringLiteral("CellJudgePM"),
                        kJudgeColor, TCellAlign::Center);
      c->FontColor = QColor(0xFF, 0x00, 0x00);
      c->OnGetText = [this, row, which](const TCell&) {
        const TSokutei* s = Measurement(row, which);
        return (s && s->Value > 0 && s->Judge) ? QStringLiteral("(合)") : QString();
      };
      return c;
    });
  }
}

void TFrmMain::CreateCharts() {
  ui_.HistogramBox = new TPaintBox;
  ui_.HistogramBox->setObjectName(QStringLiteral("HistogramBox"));
  ui_.HistogramBox->OnPaint = [this](QPainter& p, const QRect& r) {
    if (histogramDrawer_) histogramDrawer_(p, r, *mainData_);
  };
  ui_.XChartBox = new TPaintBox;
  ui_.XChartBox->setObjectName(QStringLiteral("XChartBox"));
  ui_.XChartBox->OnPaint = [this](QPainter& p, const QRect& r) {
    if (xChartDrawer_) xChartDrawer_(p, r, *mainData_);
  };
  ui_.ChartTabs->TabColor = kDayColor;
  ui_.ChartTabs
      ->AddTab(QStringLiteral("CmTabSheetHistgram"), QStringLiteral("ヒストグラム"),
               QStringLiteral("ヒストグラムを表示しています．"), ui_.HistogramBox)
      ->Font = LabelFont();
  ui_.ChartTabs
      ->AddTab(QStringLiteral("CmTabSheetChartX"), QStringLiteral("X管理図"),
               QStringLiteral("Ｘ管理図を表示しています．"), ui_.XChartBox)
      ->Font = LabelFont();
  ui_.SignalPage = new TSignalPage;
  ui_.ChartTabs
      ->AddTab(QStringLiteral("CmTabSheetSignals"), QStringLiteral("管理状態"),
               QStringLiteral("工程能力指数と管理状態の判定を表示しています．"), ui_.SignalPage)
      ->Font = LabelFont();
  ui_.ControlPage = new TControlPage;
  ui_.ControlPage->setFont(font());
  ui_.ChartTabs
      ->AddTab(QStringLiteral("CmTabSheetXbarR"), QStringLiteral("X̄－R管理図"),
               QStringLiteral("工程の管理限界によるX̄－R管理図と管理外れを表示しています．"), ui_.ControlPage)
      ->Font = LabelFont();
  ui_.ChartTabs->SetCurrentTab(1);  // the X chart at start
}

void TFrmMain::CreateFunctionKeys() {
  auto slot = [](const char* name, const char* caption, const char* hint, const char* status,
                 TKeyGlyph glyph, int px = 15) {
    TFunctionKeySlot s;
    s.Name = QString::fromUtf8(name);
    s.Caption = QString::fromUtf8(caption);
    s.Hint = QString::fromUtf8(hint);
    s.StatusMessage = QString::fromUtf8(status);
    s.Icon = KeyGlyph(glyph);
    s.FontPixels = px;
    return s;
  };
  TShiftPager* k = ui_.FunctionKeys;
  for (int page = 0; page < 2; ++page)
    for (int f = TShiftPager::kFirstKey; f <= TShiftPager::kLastKey; ++f) k->Button(page, f)->Font = LabelFont();
  k->SetSlot(0, 5, slot("CellBitBtnLoad", "ロード", "データファイルの読み込み", "データを読み込みます．", TKeyGlyph::Load));
  k->SetSlot(0, 6, slot("CellBitBtnSave", "セーブ", "データファイルの保存", "データを保存します．", TKeyGlyph::Save));
  k->SetSlot(0, 7, slot("CellBtnEXCEL", "EXCEL出力", "", "EXCELにデータを出力します．", TKeyGlyph::Excel, 14));
  k->SetSlot(0, 8, slot("CellBitBtnPreview", "プレビュｰ", "縦置き２ページ印刷のプレビューを見ます．",
                        "選択した書類をプレビューします．", TKeyGlyph::Preview));
  k->SetSlot(0, 9, slot("CellBitBtnPrint", "印 刷", "縦置き２枚で印刷します．（デフォルトＡ4）",
                        "選択した書類を印刷します．", TKeyGlyph::Print));
  k->SetSlot(0, 11, slot("CellBitBtnSetup", "設 定", "設定画面表示", "設定画面が開きます．", TKeyGlyph::Setup));
  k->SetSlot(0, 12, slot("CellBitBtnQuit", "終 了", "終了します．", "終了します．", TKeyGlyph::Quit));
  k->SetSlot(1, 5, slot("CellBitBtnClear", "データクリア", "", "入力欄を初期化します．", TKeyGlyph::Clear, 13));
  k->SetSlot(1, 6,
             slot("CellBitBtnNextMonth", "次 月", "見出しを引き継いだ次の月",
                  "見出しを引き継いで次の月のデータを作ります．", TKeyGlyph::Load));
  k->SetSlot(1, 7,
             slot("CellBitBtnOverview", "年間推移", "複数の月度データの年間推移",
                  "複数の月度データの年間推移を表示します．", TKeyGlyph::Preview, 14));
  k->SetSlot(1, 8,
             slot("CellBitBtnStrength", "強度試験", "圧縮強度試験の記録", "圧縮強度試験の記録を入力します．",
                  TKeyGlyph::Load, 14));
}

void TFrmMain::CreateMenus() {
  menuBar()->setFont(BaseFont());
  ui_.FileMenu = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  ui_.LoadAction = ui_.FileMenu->addAction(QStringLiteral("ロード(&L)"));
  ui_.LoadAction->setStatusTip(QStringLiteral("データを読み込みます．"));
  ui_.SaveAction = ui_.FileMenu->addAction(QStringLiteral("セーブ(&S)"));
  ui_.SaveInPlaceAction = ui_.FileMenu->addAction(QStringLiteral("上書き保存(&W)"));
  ui_.SaveInPlaceAction->setStatusTip(QStringLiteral("読み込んだ（保存した）ファイルに上書きします．"));
  ui_.NextMonthAction = ui_.FileMenu->addAction(QStringLiteral("次月(&N)"));
  ui_.NextMonthAction->setStatusTip(QStringLiteral("見出しを引き継いで次の月のデータを作ります．"));
  ui_.RecentMenu = ui_.FileMenu->addMenu(QStringLiteral("最近使ったファイル(&R)"));
  ui_.RecentMenu->setEnabled(false);
  ui_.FileMenu->addSeparator();
  ui_.ExportAction = ui_.FileMenu->addAction(QStringLiteral("EXCEL出力(&E)"));
  ui_.OverviewAction = ui_.FileMenu->addAction(QStringLiteral("年間推移(&Y)..."));
  ui_.OverviewAction->setObjectName(QStringLiteral("OverviewAction"));
  ui_.OverviewAction->setStatusTip(QStringLiteral("複数の月度データの年間推移を表示します．"));
  ui_.StrengthAction = ui_.FileMenu->addAction(QStringLiteral("強度試験(&T)..."));
  ui_.StrengthAction->setObjectName(QStringLiteral("StrengthAction"));
  ui_.StrengthAction->setStatusTip(QStringLiteral("圧縮強度試験の記録を入力します．"));
  ui_.FileMenu->addSeparator();
  auto sheetMenu = [this](const QString& title) {
    QMenu* m = ui_.FileMenu->addMenu(title);
    m->addAction(QStringLiteral("管理表・ヒストグラム"))->setData(static_cast<int>(TPrintSheet::Table));
    m->addAction(QStringLiteral("Ｘ管理図"))->setData(static_cast<int>(TPrintSheet::XChart));
    m->addAction(QStringLiteral("X̄－R管理図"))->setData(static_cast<int>(TPrintSheet::XbarR));
    m->addSeparator();
    m->addAction(QStringLiteral("全て"))->setData(static_cast<int>(TPrintSheet::All));
    return m;
  };
  ui_.PreviewMenu = sheetMenu(QStringLiteral("印刷プレビュー(&V)"));
  ui_.PrintMenu = sheetMenu(QStringLiteral("印刷(&P)"));
  ui_.FileMenu->addSeparator();
  ui_.QuitAction = ui_.FileMenu->addAction(QStringLiteral("終了(&X)"));
  // The common shortcuts besides the function keys, shown in the menu.
  // Ctrl+P opens the sheet choice as F9 does.
  ui_.LoadAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  ui_.SaveInPlaceAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  ui_.SaveAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  ui_.PrintMenu->menuAction()->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  ui_.QuitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  ui_.EditMenu = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  ui_.UndoAction = ui_.EditMenu->addAction(QStringLiteral("元に戻す(&U)"));
  ui_.UndoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  ui_.RedoAction = ui_.EditMenu->addAction(QStringLiteral("やり直し(&R)"));
  ui_.RedoAction->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  ui_.EditMenu->addSeparator();
  ui_.CopyAction = ui_.EditMenu->addAction(QStringLiteral("コピー(&C)"));
  ui_.CopyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  ui_.PasteAction = ui_.EditMenu->addAction(QStringLiteral("貼り付け(&P)"));
  ui_.PasteAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
  ui_.DeleteAction = ui_.EditMenu->addAction(QStringLiteral("削除(&D)"));
  ui_.DeleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
  ui_.EditMenu->addSeparator();
  ui_.ClearAction = ui_.EditMenu->addAction(QStringLiteral("クリア(&A)"));
  ui_.OptionMenu = menuBar()->addMenu(QStringLiteral("オプション(&O)"));
  ui_.AboutAction = ui_.OptionMenu->addAction(QStringLiteral("バージョン情報(&A)"));
  // The manual and, as in the option menu, the version window.
  ui_.HelpMenu = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
  ui_.ManualAction = ui_.HelpMenu->addAction(QStringLiteral("マニュアル(&M)"));
  ui_.ManualAction->setObjectName(QStringLiteral("ManualAction"));
  ui_.ManualAction->setShortcut(QKeySequence(Qt::Key_F1));
  ui_.ManualAction->setStatusTip(QStringLiteral("操作マニュアルを表示します．"));
  ui_.HelpMenu->addAction(ui_.AboutAction);

  // The sheet choice of F8 and F9.
  ui_.SheetMenu = new QMenu(this);
  ui_.SheetMenu->setObjectName(QStringLiteral("SheetMenu"));
  ui_.TableSheetChoice = ui_.SheetMenu->addAction(QStringLiteral("管理表・ヒストグラム"));
  ui_.TableSheetChoice->setData(static_cast<int>(TPrintSheet::Table));
  ui_.XChartSheetChoice = ui_.SheetMenu->addAction(QStringLiteral("Ｘ管理図"));
  ui_.XChartSheetChoice->setData(static_cast<int>(TPrintSheet::XChart));
  ui_.XbarRSheetChoice = ui_.SheetMenu->addAction(QStringLiteral("X̄－R管理図"));
  ui_.XbarRSheetChoice->setData(static_cast<int>(TPrintSheet::XbarR));
  ui_.SheetMenu->addSeparator();
  ui_.AllSheetsChoice = ui_.SheetMenu->addAction(QStringLiteral("全て"));
  ui_.AllSheetsChoice->setData(static_cast<int>(TPrintSheet::All));
  for (QMenu* m : {ui_.FileMenu, ui_.EditMenu, ui_.OptionMenu, ui_.HelpMenu, ui_.RecentMenu, ui_.PreviewMenu,
                   ui_.PrintMenu, ui_.SheetMenu})
    m->setFont(BaseFont());
}

void TFrmMain::LayoutClient() {
  const int w = client_->width(), h = client_->height();
  constexpr int title = 36, header = 105, line = 3, keys = 42, status = 23;
  constexpr int tableWidth = 363;
  const int middleTop = title + header;
  const int middle = std::max(0, h - middleTop - line - keys - status);
  ui_.TitleBar->setGeometry(0, 0, w, title);
  ui_.Header->setGeometry(0, title, w, header);

  // Day table: title row and rows on the left, the scroll bar in its frame
  // at the right.
  tableBox_->setGeometry(0, middleTop, tableWidth, middle);
  const int cellsWidth = ui_.DayTable->ColumnLeft(ui_.DayTable->ColumnCount());  // 344
  ui_.DayTableHeading->setGeometry(0, 0, cellsWidth, kRow);
  // Whole rows only (13 at design size); the rest shows the table colour.
  const int rowsHeight = std::max(0, (middle - kRow) / kRow) * kRow;
  ui_.DayTable->setGeometry(0, kRow, cellsWidth, rowsHeight);
  scrollFrame_->setGeometry(cellsWidth, 0, tableWidth - cellsWidth, middle);
  ui_.DayScrollBar->setGeometry(1, kRow, tableWidth - cellsWidth - 2, std::max(16, rowsHeight));

  ui_.ChartPanel->setGeometry(tableWidth, middleTop, std::max(0, w - tableWidth), middle);
  ui_.ChartTabs->setGeometry(1, 1, std::max(0, w - tableWidth - 2), std::max(0, middle - 2));

  ui_.GreenLine->setGeometry(0, h - status - keys - line, w, line);
  ui_.FunctionKeys->setGeometry(0, h - status - keys, w, keys);
  ui_.StatusLine->setGeometry(0, h - status, w, status);
}

}  // namespace kestrin
