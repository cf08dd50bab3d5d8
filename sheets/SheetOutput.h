// The printed sheets as files: a PDF document (vector, fonts embedded) or
// one PNG picture per page, each page laid out on A4 portrait with the
// sheets' margins, exactly as the print run lays it out.
#pragma once

#include <QString>

#include <functional>
#include <vector>

#include "core/ControlChart.h"
#include "core/MainData.h"
#include "core/Settings.h"
#include "platform/Canvas.h"
#include "sheets/PageGeometry.h"
#include "sheets/PrintSheet.h"

namespace kestrin {

// Draws one single sheet (Table, XChart or XbarR) into the page rectangle.
// The X̄–R sheet shows `chart` when given, else the chart of the month's
// own limits with the settings' rules.
void DrawSheet(TCanvas& canvas, const TRect& pageRect, TPrintSheet sheet, const TMainData& data,
               const TSettings& settings, const TControlChart* chart = nullptr);

struct TSheetOutputError {
  QString Message;  // Japanese, for the user
  // Also on success: what was done beside writing (pages of an earlier
  // run removed), for the user.
  QString Notice;
};

// Draws page `page` (0-based) of a document into the page rectangle.
using TPageDrawer = std::function<void(TCanvas& canvas, const TRect& pageRect, int page)>;

// Writes `pageCount` pages laid out by `setup` into one PDF at `dpi` (see
// WriteSheetsPdf), or into one PNG per page (see WriteSheetsPng). The
// sheets and the year overview are written through these.
bool WritePagesPdf(const QString& path, const TReportSetup& setup, int pageCount, int dpi,
                   const QString& title, const TPageDrawer& draw,
                   TSheetOutputError* error = nullptr);
bool WritePagesPng(const QString& path, const TReportSetup& setup, int pageCount, int dpi,
                   const TPageDrawer& draw, std::vector<QString>* written = nullptr,
                   TSheetOutputError* error = nullptr);

// Writes the chosen sheets into one PDF, one page each, the painter's
// coordinates being device pixels of the physical page at `dpi`. The file
// is replaced only when the whole document was written.
bool WriteSheetsPdf(const QString& path, TPrintSheet choice, int dpi, const TMainData& data,
                    const TSettings& settings, TSheetOutputError* error = nullptr,
                    const TControlChart* chart = nullptr);

// "OUT.png" -> "OUT-<page>.png" (the extension of `path` kept; one is
// added when it has none).
QString PngPagePath(const QString& path, int page);

// Writes one PNG per page (PngPagePath of each page number, from 1) at
// `dpi`; the names written are appended to `written`. The pages are a
// set: all of them are drawn and written under temporaries before any
// takes its name, so a failure leaves the earlier set as it was. Pages of
// the same name beyond the new count (left by an earlier, longer run) are
// removed afterwards and named in the notice; one that cannot be removed
// fails the call with a message naming it (the new pages are in place).
bool WriteSheetsPng(const QString& path, TPrintSheet choice, int dpi, const TMainData& data,
                    const TSettings& settings, std::vector<QString>* written = nullptr,
                    TSheetOutputError* error = nullptr, const TControlChart* chart = nullptr);

}  // namespace kestrin
