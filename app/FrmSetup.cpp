#include "FrmSetup.h"

#include <QEvent>
#include <QPainter>

#include "AppFonts.h"
#include "KeyGlyphs.h"
#include "widgets/CellManager.h"
#include "widgets/CellMgrMain.h"
#include "widgets/Cp932Text.h"
#include "widgets/EditCells.h"
#include "widgets/ShiftPager.h"
#include "widgets/StatusLine.h"
#include "widgets/SwitchCell.h"
#include "widgets/TitleBar.h"

namespace kestrin {

namespace {

const QColor kLabelColor(0x10, 0x92, 0x5A);
const QColor kGroupLabelColor(0x12, 0xA5, 0x66);  // "印鑑欄名称", "工場名"
const QColor kAreaColor(0xF9, 0xF3, 0xDF);
const QColor kLineColor(0x4A, 0x8A, 0x67);
const QColor kUnitColor(0xD6, 0xF8, 0xE6);  // unit cells, as in the main window
constexpr int kRow = 26;
constexpr int kTitle = 36, kLine = 3, kKeys = 42, kStatus = 23;

std::unique_ptr<TCell> Label(const QString& name, const QString& caption, const QColor& color) {
  auto c = std::make_unique<TCell>(name);
  c->Caption = caption;
  c->Color = color;
  c->FontColor = Qt::white;
  c->Font = LabelFont();
  c->Align = TCellAlign::Center;
  return c;
}

// Cell positions are given in the dialog's client area, whose top band is
// the title bar: 61 is 25 px below the title bar, matching the 24 px left
// margin. The cell area itself starts below the title bar.
QRect At(int left, int top, int width, int height = kRow) {
  return QRect(left, top - kTitle, width, height);
}

}  // namespace

TFrmSetup::TFrmSetup(TSettings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings) {
  setObjectName(QStringLiteral("FrmSetup"));
  setWindowTitle(QStringLiteral("FrmSetup"));
  setFont(BaseFont());
  setModal(true);

  ui_.TitleBar = new TTitleBar(this);
  ui_.TitleBar->setObjectName(QStringLiteral("TitleBar"));
  ui_.TitleBar->SetCaption(QStringLiteral("各種設定"));
  ui_.SetupCells = new TCellManager(this);
  ui_.SetupCells->setObjectName(QStringLiteral("SetupCells"));
  ui_.SetupCells->Background = kAreaColor;
  line_ = new QWidget(this);
  line_->installEventFilter(this);
  ui_.FunctionKeys = new TShiftPager(this);
  ui_.FunctionKeys->setObjectName(QStringLiteral("FunctionKeys"));
  ui_.StatusLine = new TStatusLine(this);
  ui_.StatusLine->setObjectName(QStringLiteral("StatusLine"));
  ui_.StatusLine->setFont(LabelFont());

  ui_.CellCoordinator = new TCellMgrMain(this);
  connect(ui_.CellCoordinator, &TCellMgrMain::StatusMessageChanged, ui_.StatusLine, &TStatusLine::SetText);
  // Esc outside an open editor closes the dialog.
  connect(ui_.CellCoordinator, &TCellMgrMain::EscapePressed, this, [this] { done(QDialog::Accepted); });

  CreateCells();
  CreateFunctionKeys();
  ui_.CellCoordinator->AddGroup(ui_.SetupCells);
  ui_.CellCoordinator->AddGroup(ui_.FunctionKeys);

  setMinimumSize(kMinWidth, kHeight);
  resize(kWidth, kHeight);
  installEventFilter(this);
  LayoutClient();
}

TFrmSetup::~TFrmSetup() {
  for (TCellArea* g : ui_.CellCoordinator->Groups()) g->DropActive();
}

void TFrmSetup::CreateCells() {
  TCellManager* m = ui_.SetupCells;
  TSettings* s = &settings_;
  auto text = [this](const QString& name, int maxBytes, AnsiString* value) {
    auto c = std::make_unique<TTextCell>(name);
    c->Font = ValueFont();
    c->MaxBytes = maxBytes;
    c->Ime = TImeMode::Hiragana;
    c->OnGetValue = [value] { return FromAnsi(*value); };
    c->OnSetValue = [this, value](const QString& t) {
      *value = ToAnsi(t);
      ui_.CellCoordinator->RepaintAll();
    };
    return c;
  };

  m->Add(Label(QStringLiteral("CellTxtCompany"), QStringLiteral("会社名"), kLabelColor), At(24, 61, 80));
  ui_.CellCompany = m->Add(text(QStringLiteral("CellCompany"), 30, &s->CompanyName), At(104, 61, 264));
  ui_.CellCompany->StatusMessage = QStringLiteral("会社名を入力してください．");

  m->Add(Label(QStringLiteral("CellTxtTanto"), QStringLiteral("担当者"), kLabelColor), At(24, 87, 80));
  ui_.CellTanto = m->Add(text(QStringLiteral("CellTanto"), kTantoMaxBytes, &s->TantoName), At(104, 87, 264));
  ui_.CellTanto->StatusMessage = QStringLiteral("担当者（初期値）を入力してください．");

  m->Add(Label(QStringLiteral("CellTxtKojo"), QStringLiteral("工場名"), kGroupLabelColor),
         At(24, 113, 80, kKojoNameCount * kRow));
  for (int i = 0; i < kKojoNameCount; ++i) {
    ui_.CellKojo[static_cast<std::size_t>(i)] = m->Add(
        text(QStringLiteral("CellKojo%1").arg(i), kKojoMaxBytes, &s->KojoNames[static_cast<std::size_t>(i)]),
        At(104, 113 + i * kRow, 264));
    ui_.CellKojo[static_cast<std::size_t>(i)]->StatusMessage =
        QStringLiteral("工場名選択時に使用する工場名を入力してください．");
  }

  m->Add(Label(QStringLiteral("CellTxtInkan"), QStringLiteral("印鑑欄名称"), kGroupLabelColor),
         At(400, 61, 160));
  ui_.CellInkan1 = m->Add(text(QStringLiteral("CellInkan1"), 8, &s->InkanTitle1), At(560, 61, 88));
  ui_.CellInkan2 = m->Add(text(QStringLiteral("CellInkan2"), 8, &s->InkanTitle2), At(648, 61, 88));
  ui_.CellInkan3 = m->Add(text(QStringLiteral("CellInkan3"), 8, &s->InkanTitle3), At(736, 61, 88));
  for (TTextCell* c : {ui_.CellInkan1, ui_.CellInkan2, ui_.CellInkan3})
    c->StatusMessage = QStringLiteral("各印鑑欄の名称を入力してください．");

  // The switch pairs: turning a switch on sets the value to its meaning.
  auto sw = [this](const QString& name, const QString& caption, std::function<bool()> on,
                   std::function<void()> turnOn, const QString& status) {
    auto c = std::make_unique<TSwitchCell>(name);
    c->Caption = caption;
    c->Font = LabelFont();
    c->OnGetOn = std::move(on);
    c->OnTurnOn = [this, turnOn = std::move(turnOn)] {
      turnOn();
      ui_.CellCoordinator->RepaintAll();
    };
    c->StatusMessage = status;
    return c;
  };
  m->Add(Label(QStringLiteral("CellTxtSokuteichi"), QStringLiteral("測定値空欄印刷"), kLabelColor),
         At(400, 87, 160));
  ui_.CellSokuteichi0 =
      m->Add(sw(
                 QStringLiteral("CellSokuteichi0"), QStringLiteral("しない（詰めて印刷）"),
                 [s] { return s->DispNullData == 0; }, [s] { s->DispNullData = 0; },
                 QStringLiteral("１日の測定値が空欄の場合，表を詰めて印刷します．を入力してください．")),
             At(560, 87, 184));
  ui_.CellSokuteichi1 =
      m->Add(sw(
                 QStringLiteral("CellSokuteichi1"), QStringLiteral("する"),
                 [s] { return s->DispNullData == 1; }, [s] { s->DispNullData = 1; },
                 QStringLiteral("１日の測定値が空欄の場合，空欄のまま印刷します．を入力してください．")),
             At(744, 87, 80));

  m->Add(Label(QStringLiteral("CellTxtDrawHistNoRange"), QStringLiteral("ﾋｽﾄｸﾞﾗﾑ範囲外塗潰し"), kLabelColor),
         At(400, 113, 160));
  ui_.CellDrawHistNoRange0 =
      m->Add(sw(
                 QStringLiteral("CellDrawHistNoRange0"), QStringLiteral("しない"),
                 [s] { return !s->DrawHistNoRange; }, [s] { s->DrawHistNoRange = false; },
                 QStringLiteral("ヒストグラムの範囲外を塗りつぶしませんを入力してください．")),
             At(560, 113, 80));
  ui_.CellDrawHistNoRange1 =
      m->Add(sw(
                 QStringLiteral("CellDrawHistNoRange1"), QStringLiteral("する"),
                 [s] { return s->DrawHistNoRange; }, [s] { s->DrawHistNoRange = true; },
                 QStringLiteral("ヒストグラムの範囲外の塗りつぶします．を入力してください．")),
             At(640, 113, 80));

  m->Add(Label(QStringLiteral("CellTxtDrawXChartNoRange"), QStringLiteral("Ｘ管理図範囲外塗潰し"),
               kLabelColor),
         At(400, 139, 160));
  ui_.CellDrawXChartNoRange0 =
      m->Add(sw(
                 QStringLiteral("CellDrawXChartNoRange0"), QStringLiteral("しない"),
                 [s] { return !s->DrawXChartNoRange; }, [s] { s->DrawXChartNoRange = false; },
                 QStringLiteral("Ｘ管理図の範囲外の塗りつぶしません．を入力してください．")),
             At(560, 139, 80));
  ui_.CellDrawXChartNoRange1 =
      m->Add(sw(
                 QStringLiteral("CellDrawXChartNoRange1"), QStringLiteral("する"),
                 [s] { return s->DrawXChartNoRange; }, [s] { s->DrawXChartNoRange = true; },
                 QStringLiteral("Ｘ管理図の範囲外の塗りつぶします．を入力してください．")),
             At(640, 139, 80));

  // The signal lengths, a row apart from the printing options. An empty
  // entry gives the default; the editor keeps entries in range.
  auto length = [this](const QString& name, int32_t* value, int32_t lo, int32_t hi, int32_t def) {
    auto c = std::make_unique<TNumCell>(name);
    c->Font = ValueFont();
    c->Rule.Decimals = 0;
    c->Rule.MaxChars = 2;
    c->Rule.HasRange = true;
    c->Rule.Min = lo;
    c->Rule.Max = hi;
    c->OnGetValue = [value] { return TNumValue{static_cast<double>(*value), false}; };
    c->OnSetValue = [this, value, lo, hi, def](const TNumValue& v) {
      *value = v.Blank ? def : LengthOrDefault(static_cast<int32_t>(v.Value), lo, hi, def);
      ui_.CellCoordinator->RepaintAll();
    };
    return c;
  };
  auto unit = [](const QString& name, const QString& caption) {
    auto c = std::make_unique<TCell>(name);
    c->Caption = caption;
    c->Color = kUnitColor;
    c->Font = UnitFont();
    return c;
  };
  const int signalsTop = 139 + 2 * kRow;
  m->Add(Label(QStringLiteral("CellTxtRunLength"), QStringLiteral("連（中心線の片側）"), kLabelColor),
         At(400, signalsTop, 160));
  ui_.CellRunLength = m->Add(
      length(QStringLiteral("CellRunLength"), &s->RunLength, kMinRunLength, kMaxRunLength, kDefaultRunLength),
      At(560, signalsTop, 40));
  ui_.CellRunLength->StatusMessage = QStringLiteral("連と判定する連続点数（2～62）を入力してください．");
  m->Add(unit(QStringLiteral("CellRunLengthTani"), QStringLiteral("点連続（2～62）")),
         At(600, signalsTop, 120));
  m->Add(Label(QStringLiteral("CellTxtTrendLength"), QStringLiteral("傾向（上昇・下降）"), kLabelColor),
         At(400, signalsTop + kRow, 160));
  ui_.CellTrendLength = m->Add(length(QStringLiteral("CellTrendLength"), &s->TrendLength, kMinTrendLength,
                                      kMaxTrendLength, kDefaultTrendLength),
                               At(560, signalsTop + kRow, 40));
  ui_.CellTrendLength->StatusMessage = QStringLiteral("傾向と判定する連続点数（3～62）を入力してください．");
  m->Add(unit(QStringLiteral("CellTrendLengthTani"), QStringLiteral("点連続（3～62）")),
         At(600, signalsTop + kRow, 120));
}

void TFrmSetup::CreateFunctionKeys() {
  TShiftPager* k = ui_.FunctionKeys;
  for (int page = 0; page < 2; ++page)
    for (int f = TShiftPager::kFirstKey; f <= TShiftPager::kLastKey; ++f) k->Button(page, f)->Font = LabelFont();
  TFunctionKeySlot quit;
  quit.Name = QStringLiteral("CellBitBtnQuit");
  quit.Caption = QStringLiteral("終 了");
  quit.Hint = QStringLiteral("終了します．");
  quit.StatusMessage = QStringLiteral("戻ります．");
  quit.Icon = KeyGlyph(TKeyGlyph::Quit);
  quit.Action = [this] { done(QDialog::Accepted); };
  k->SetSlot(0, 12, quit);
}

int TFrmSetup::exec() {
  if (QWidget* p = parentWidget()) {
    const QRect pg = p->window()->frameGeometry();
    QRect g = frameGeometry();
    g.moveCenter(pg.center());
    move(g.topLeft());
  }
  ui_.CellCoordinator->Activate(ui_.CellCompany);
  ui_.CellCoordinator->ReloadActive();
  ui_.CellCoordinator->RepaintAll();
  return QDialog::exec();
}

void TFrmSetup::done(int result) {
  // What is typed in the open editor counts as entered.
  ui_.CellCoordinator->CommitActive();
  QDialog::done(result);
}

void TFrmSetup::LayoutClient() {
  const int w = width(), h = height();
  ui_.TitleBar->setGeometry(0, 0, w, kTitle);
  ui_.SetupCells->setGeometry(0, kTitle, w, std::max(0, h - kTitle - kLine - kKeys - kStatus));
  line_->setGeometry(0, h - kStatus - kKeys - kLine, w, kLine);
  ui_.FunctionKeys->setGeometry(0, h - kStatus - kKeys, w, kKeys);
  ui_.StatusLine->setGeometry(0, h - kStatus, w, kStatus);
}

bool TFrmSetup::eventFilter(QObject* watched, QEvent* event) {
  if (watched == this && event->type() == QEvent::Resize) {
    LayoutClient();
  } else if (watched == line_ && event->type() == QEvent::Paint) {
    QPainter p(line_);
    p.fillRect(line_->rect(), kLineColor);
    p.setPen(kLineColor.darker(150));
    p.drawLine(0, 0, line_->width() - 1, 0);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace kestrin
