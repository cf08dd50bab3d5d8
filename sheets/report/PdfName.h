// The PDF file a print writes when no printer is installed: its name from
// the document ("スランプ試験_本社工場_202506.pdf", "年間推移_202501-202512.pdf")
// and a free place for it in a folder, so that an earlier PDF is never
// replaced without a word.
#pragma once

#include <QString>
#include <cstdint>

namespace kestrin {

struct TOverview;

// `text` as a part of a file name: path separators, control characters and
// the characters other systems refuse (: * ? " < > |) become "_", leading
// dots and surrounding blanks go.
QString FileNamePart(const QString& text);

// "スランプ試験_<plant>_<YYYYMM>.pdf"; without a plant name
// "スランプ試験_<YYYYMM>.pdf".
QString SheetPdfName(const QString& plant, int32_t getsudo);

// "年間推移_<first YYYYMM>-<last YYYYMM>.pdf" over the listed months (one
// month: "年間推移_<YYYYMM>.pdf"; none: "年間推移.pdf").
QString OverviewPdfName(const TOverview& overview);

// `folder`/`name` when nothing is there yet, else the first free of
// "NAME (2).pdf", "NAME (3).pdf", ...; empty when 9999 names are taken.
QString FreeFilePath(const QString& folder, const QString& name);

}  // namespace kestrin
