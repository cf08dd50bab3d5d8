#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <charconv>

#include "core/SettingsIni.h"

namespace kestrin {

namespace {

std::optional<int> ParseInt(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  int v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

int ColorValue(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

// A rectangle that no screen shows is moved to the centre of the primary
// screen (as the window system does for a placement off every monitor).
QRect OnSomeScreen(const QRect& r) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  for (QScreen* s : screens)
    if (s->availableGeometry().intersects(r)) return r;
  QScreen* primary = QGuiApplication::primaryScreen();
  if (!primary) return r;
  QRect moved = r;
  moved.moveCenter(primary->availableGeometry().center());
  return moved;
}

}  // namespace

std::string FormatNormalPos(const QRect& r) {
  return std::to_string(r.left()) + "," + std::to_string(r.top()) + "," +
         std::to_string(r.left() + r.width()) + "," + std::to_string(r.top() + r.height());
}

std::array<int, 4> ParseNormalPos(const std::string& text, const QRect& current) {
  std::array<int, 4> v{current.left(), current.top(), current.left() + current.width(),
                       current.top() + current.height()};
  std::string_view rest = text;
  for (int i = 0; i < 4; ++i) {
    const std::size_t comma = rest.find(',');
    const std::string_view part = rest.substr(0, comma);
    if (auto n = ParseInt(part)) v[static_cast<std::size_t>(i)] = *n;
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return v;
}

int ScreenPixelsPerInch(const QWidget& window) {
  const QScreen* s = window.screen();
  if (!s) s = QGuiApplication::primaryScreen();
  return s ? qRound(s->logicalDotsPerInch()) : 96;
}

TWindowPlacement CurrentPlacement(const QWidget& window) {
  TWindowPlacement p;
  p.Flags = 0;
  if (window.isMinimized()) p.ShowCmd = kShowMinimized;
  else if (window.isMaximized() || window.isFullScreen()) p.ShowCmd = kShowMaximized;
  else p.ShowCmd = kShowNormal;
  // The normal rectangle: what the window returns to from minimized or
  // maximized.
  const QRect normal = window.normalGeometry();
  p.NormalPos = normal.isValid() ? normal : window.geometry();
  p.PixelsPerInch = ScreenPixelsPerInch(window);
  p.Color = ColorValue(window.palette().color(QPalette::Window));
  return p;
}

void WritePlacement(TIniFile& ini, const TWindowPlacement& p) {
  ini.WriteInteger(kPlacementSection, "Flags", p.Flags);
  ini.WriteInteger(kPlacementSection, "ShowCmd", p.ShowCmd);
  ini.WriteString(kPlacementSection, "NormalPos", FormatNormalPos(p.NormalPos));
  ini.WriteInteger(kPlacementSection, "PixelsPerInch", p.PixelsPerInch);
  ini.WriteInteger(kPlacementSection, "Color", p.Color);
}

std::optional<TPlacementRestore> PlacementToRestore(const TIniFile& ini, int pixelsPerInch,
                                                    const QRect& current) {
  const auto ppi = ini.Find(kPlacementSection, "PixelsPerInch");
  if (!ppi) return std::nullopt;
  const auto written = ParseInt(*ppi);
  if (!written || *written != pixelsPerInch) return std::nullopt;
  TPlacementRestore r;
  if (const auto pos = ini.Find(kPlacementSection, "NormalPos")) {
    const auto v = ParseNormalPos(*pos, current);
    if (v[0] < v[2]) r.NormalPos = QRect(QPoint(v[0], v[1]), QSize(v[2] - v[0], v[3] - v[1]));
  }
  switch (ini.ReadInteger(kPlacementSection, "ShowCmd", 0)) {
    case 1: case 5: case 9: r.ShowCmd = kShowNormal; break;
    case 2: case 6: r.ShowCmd = kShowMinimized; break;
    case 3: r.ShowCmd = kShowMaximized; break;
    default: r.ShowCmd = 0; break;
  }
  return r;
}

bool RestorePlacement(const TIniFile& ini, QWidget& window) {
  const auto r = PlacementToRestore(ini, ScreenPixelsPerInch(window), window.geometry());
  if (!r) return false;
  if (!r->NormalPos.isNull()) {
    // A height of zero or less becomes the least height of the window.
    QRect pos = r->NormalPos;
    pos.setSize(pos.size().expandedTo(window.minimumSize()));
    window.setGeometry(OnSomeScreen(pos));
  }
  switch (r->ShowCmd) {
    case kShowNormal: window.setWindowState(window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized)); break;
    case kShowMinimized: window.setWindowState(window.windowState() | Qt::WindowMinimized); break;
    case kShowMaximized: window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized); break;
    default: break;
  }
  return !r->NormalPos.isNull() || r->ShowCmd != 0;
}

}  // namespace kestrin
