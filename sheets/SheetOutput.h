// The printed sheets as files: a PDF document (vector, fonts embedded) or
// one PNG picture per page, each page laid out on A4 portrait with the
// sheets' margins, exactly as the print run lays it out.
#pragma once

#include <QString>

#include <functional>
#include <vector>

#include "core/MainData.h"
#include "core/Settings.h"
#include "platform/Canvas.h"
#include "sheets/PageGeometry.h"
#include "sheets/PrintSheet.h"

namespace kestrin {

// Draws one single sheet (Table or XChart) into the page rectangle.
void DrawSheet(TCanvas& canvas, const TRect& pageRect, TPrintSheet sheet, const TMainData& data,
               const TSettings& settings);

struct TSheetOutputError {
  QString Message;  // Japanese, for the user
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
                    const TSettings& settings, TSheetOutputError* error = nullptr);

// "OUT.png" -> "OUT-<page>.png" (the extension of `path` kept; one is
// added when it has none).
QString PngPagePath(const QString& path, int page);

// Writes one PNG per page (PngPagePath of each page number, from 1) at
// `dpi`; the names written are appended to `written`.
bool WriteSheetsPng(const QString& path, TPrintSheet choice, int dpi, const TMainData& data,
                    const TSettings& settings, std::vector<QString>* written = nullptr,
                    TSheetOutputError* error = nullptr);

}  // namespace kestrin
