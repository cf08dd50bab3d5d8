// The change history page history.htm, made from the project's change log
// CHANGELOG.md at build time. The about box links to it when it lies beside
// the executable.
//
// The change log uses a small part of Markdown, and only that part is
// understood here:
//   # title               the page title and its first heading
//   ## 2.11a — 2026-12-08 a version (gets the anchor id "v2.11a")
//   ### heading           a group within a version
//   - item / * item       list items; deeper indentation nests a list, an
//                         indented line that is not an item continues the
//                         item above
//   text                  paragraphs, ended by a blank line
//   `code` **bold** [text](http://...)   within a line
// Everything else is text. Every '<', '>', '&' and '"' of the log is
// escaped, so no text of the log can become markup of the page.
#pragma once

#include <string>
#include <string_view>

namespace kestrin::packaging {

// The whole page (UTF-8, "<!DOCTYPE html>" to "</html>").
std::string ChangelogToHtml(std::string_view markdown);

// One line of the log with its inline marks turned into HTML.
std::string InlineToHtml(std::string_view text);

}  // namespace kestrin::packaging
