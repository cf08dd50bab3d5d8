// kestrin-history CHANGELOG.md history.htm: writes the change history page
// of the about box from the change log (and, the same way, the user's
// manual from docs/manual.md). Used by the build only.
//
// The log is CommonMark, rendered by cmark with raw HTML off: HTML in the
// log is dropped and unsafe link targets (javascript:, data:, file:) are
// emptied, so no text of the log can become markup of the page. Around
// cmark's output this program adds the page frame (title and style), the
// anchor "v2.11a" of each version heading "## 2.11a — 2026-12-08", and joins
// Japanese lines without the blank a line break would show as.
#include <cmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "core/SafeFile.h"

namespace {

struct TNodeFree {
  void operator()(cmark_node* node) const { cmark_node_free(node); }
};
struct TIterFree {
  void operator()(cmark_iter* iter) const { cmark_iter_free(iter); }
};

std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      default: out += c; break;
    }
  }
  return out;
}

bool IsNonAscii(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// The text of a text node, empty for every other node.
std::string_view TextOf(cmark_node* node) {
  if (node == nullptr || cmark_node_get_type(node) != CMARK_NODE_TEXT) return {};
  const char* literal = cmark_node_get_literal(node);
  return literal ? std::string_view(literal) : std::string_view();
}

// The plain text of a node's inlines (text and code), for the page title.
std::string PlainText(cmark_node* node) {
  std::string text;
  std::unique_ptr<cmark_iter, TIterFree> it(cmark_iter_new(node));
  while (cmark_iter_next(it.get()) != CMARK_EVENT_DONE) {
    cmark_node* cur = cmark_iter_get_node(it.get());
    if (cmark_iter_get_event_type(it.get()) != CMARK_EVENT_ENTER) continue;
    const cmark_node_type type = cmark_node_get_type(cur);
    if (type == CMARK_NODE_TEXT || type == CMARK_NODE_CODE) text += cmark_node_get_literal(cur);
    else if (type == CMARK_NODE_SOFTBREAK) text += ' ';
  }
  return text;
}

// Japanese text is broken across lines without blanks; the line break
// between two Japanese characters would show as a gap in the middle of a
// word, so it is removed. Breaks next to Latin text stay (a blank).
void JoinJapaneseLines(cmark_node* document) {
  std::unique_ptr<cmark_iter, TIterFree> it(cmark_iter_new(document));
  cmark_node* pending = nullptr;  // unlinked after the walk has passed it
  while (cmark_iter_next(it.get()) != CMARK_EVENT_DONE) {
    cmark_node* cur = cmark_iter_get_node(it.get());
    if (pending != nullptr && pending != cur) {
      cmark_node_free(pending);
      pending = nullptr;
    }
    if (cmark_node_get_type(cur) != CMARK_NODE_SOFTBREAK) continue;
    const std::string_view before = TextOf(cmark_node_previous(cur));
    const std::string_view after = TextOf(cmark_node_next(cur));
    if (!before.empty() && !after.empty() && IsNonAscii(before.back()) && IsNonAscii(after.front()))
      pending = cur;
  }
  if (pending != nullptr) cmark_node_free(pending);
}

// The page title: the first level-1 heading.
std::string Title(cmark_node* document) {
  for (cmark_node* n = cmark_node_first_child(document); n; n = cmark_node_next(n)) {
    if (cmark_node_get_type(n) == CMARK_NODE_HEADING && cmark_node_get_heading_level(n) == 1)
      return PlainText(n);
  }
  return {};
}

// Gives each "<h2>" whose text starts with a version number the anchor
// "v" + version. With raw HTML off, "<h2>" in cmark's output is always a
// heading of the log, never text of it.
std::string AnchorVersions(const std::string& html) {
  std::string out;
  std::size_t pos = 0;
  static constexpr std::string_view tag = "<h2>";
  while (true) {
    const std::size_t at = html.find(tag, pos);
    if (at == std::string::npos) break;
    out.append(html, pos, at - pos);
    std::size_t end = at + tag.size();
    std::string version;
    if (end < html.size() && html[end] >= '0' && html[end] <= '9') {
      for (; end < html.size(); ++end) {
        const char c = html[end];
        const bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        c == '.' || c == '-' || c == '_' || c == '+' || c == '~';
        if (!ok) break;
        version += c;
      }
    }
    out += version.empty() ? std::string(tag) : "<h2 id=\"v" + version + "\">";
    pos = at + tag.size();
  }
  out.append(html, pos, std::string::npos);
  return out;
}

std::string HistoryPage(std::string_view markdown) {
  // A byte-order mark at the start is not text.
  if (markdown.substr(0, 3) == "\xEF\xBB\xBF") markdown.remove_prefix(3);
  // CMARK_OPT_DEFAULT renders safely: raw HTML becomes a comment, unsafe
  // links an empty target. CMARK_OPT_UNSAFE is never set.
  constexpr int options = CMARK_OPT_DEFAULT | CMARK_OPT_VALIDATE_UTF8;
  std::unique_ptr<cmark_node, TNodeFree> document(
      cmark_parse_document(markdown.data(), markdown.size(), options));
  JoinJapaneseLines(document.get());
  std::string title = Title(document.get());
  if (title.empty()) title = "更新履歴";

  char* rendered = cmark_render_html(document.get(), options);
  const std::string body = AnchorVersions(rendered);
  std::free(rendered);

  std::string page;
  page += "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n";
  page += "<title>" + Escaped(title) + "</title>\n";
  page +=
      "<style>\n"
      "body { font-family: \"IPAPGothic\", \"IPAGothic\", sans-serif; max-width: 46em;"
      " margin: 1.5em auto; padding: 0 1em; line-height: 1.6; color: #222; }\n"
      "h1 { color: #10925A; border-bottom: 2px solid #4A8A67; }\n"
      "h2 { background: #F9F3DF; border-left: 6px solid #10925A; padding: 0.2em 0.5em; }\n"
      "code { background: #F2F2F2; padding: 0 0.2em; }\n"
      "table { border-collapse: collapse; }\n"
      "th, td { border: 1px solid #BBBBBB; padding: 0.2em 0.6em; }\n"
      "img { max-width: 100%; }\n"
      "</style>\n";
  page += "</head>\n<body>\n";
  page += body;
  page += "</body>\n</html>\n";
  return page;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: kestrin-history CHANGELOG.md history.htm\n";
    return 2;
  }
  const std::string in = argv[1];
  const std::string out = argv[2];

  std::ifstream input(in, std::ios::binary);
  if (!input) {
    std::cerr << "kestrin-history: cannot read " << in << "\n";
    return 1;
  }
  std::ostringstream text;
  text << input.rdbuf();
  if (input.bad()) {
    std::cerr << "kestrin-history: cannot read " << in << "\n";
    return 1;
  }

  // Through the program's safe writer, so an interrupted build never
  // leaves half a page that the next build would take as up to date.
  if (const kestrin::TFileResult saved = kestrin::WriteFileAtomically(out, HistoryPage(text.str())); !saved) {
    std::cerr << "kestrin-history: cannot write " << saved.Reason() << "\n";
    return 1;
  }
  return 0;
}
