#include "ChangelogHtml.h"

#include <vector>

namespace kestrin::packaging {

namespace {

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      default: out += c; break;
    }
  }
}

std::string Escaped(std::string_view text) {
  std::string out;
  AppendEscaped(out, text);
  return out;
}

// Links may go to web pages, mail addresses or files beside the page; a
// target with any other scheme (javascript:, data:, file:) stays text.
bool SafeLinkTarget(std::string_view url) {
  if (url.empty()) return false;
  for (const char c : url)
    if (static_cast<unsigned char>(c) <= ' ') return false;
  const std::size_t colon = url.find(':');
  if (colon == std::string_view::npos) return true;
  const std::size_t slash = url.find('/');
  if (slash != std::string_view::npos && slash < colon) return true;  // "a/b:c"
  const std::string_view scheme = url.substr(0, colon);
  return scheme == "http" || scheme == "https" || scheme == "mailto";
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Leading blanks, a tab counting as four.
int Indent(std::string_view line, std::size_t* textStart) {
  int indent = 0;
  std::size_t i = 0;
  for (; i < line.size(); ++i) {
    if (line[i] == ' ')
      indent += 1;
    else if (line[i] == '\t')
      indent += 4;
    else
      break;
  }
  *textStart = i;
  return indent;
}

bool IsNonAscii(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Joins a continuation line to the text before it. Japanese text is broken
// across lines without blanks, so two lines that meet between non-ASCII
// characters join directly; other lines join with a blank.
void JoinLine(std::string& text, std::string_view next) {
  if (text.empty()) {
    text = next;
    return;
  }
  if (next.empty()) return;
  if (!(IsNonAscii(text.back()) && IsNonAscii(next.front()))) text += ' ';
  text += next;
}

// The anchor of a version heading: "v" and the version ("2.11a — ..." ->
// "v2.11a"); empty when the heading does not start with a digit.
std::string VersionAnchor(std::string_view heading) {
  if (heading.empty() || heading.front() < '0' || heading.front() > '9') return {};
  std::string id = "v";
  for (const char c : heading) {
    const bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                    c == '.' || c == '-' || c == '_' || c == '+' || c == '~';
    if (!ok) break;
    id += c;
  }
  return id;
}

class THtmlWriter {
 public:
  std::string body;
  std::string title;

  void Line(std::string_view raw) {
    const std::string_view line = TrimRight(raw);
    std::size_t start = 0;
    const int indent = Indent(line, &start);
    const std::string_view text = line.substr(start);

    if (text.empty()) {
      EndBlocks();
      return;
    }
    if (indent < 4 && Heading(text)) return;
    if (ListItem(indent, text)) return;
    if (!lists_.empty() && indent > 0) {  // continues the open item
      JoinLine(item_, text);
      return;
    }
    if (!lists_.empty()) EndBlocks();
    JoinLine(paragraph_, text);
  }

  void EndBlocks() {
    FlushParagraph();
    FlushItem();
    while (!lists_.empty()) CloseList();
  }

 private:
  std::string paragraph_;  // text of the open paragraph
  std::string item_;       // text of the open list item, not yet written
  std::vector<int> lists_; // indentation of each open list, outermost first
  bool itemOpen_ = false;  // an <li> of the innermost list is open

  bool Heading(std::string_view text) {
    std::size_t level = 0;
    while (level < text.size() && text[level] == '#') ++level;
    if (level == 0 || level > 6 || level >= text.size() || text[level] != ' ') return false;
    std::string_view content = text.substr(level);
    while (!content.empty() && content.front() == ' ') content.remove_prefix(1);
    while (!content.empty() && content.back() == '#') content.remove_suffix(1);  // "## x ##"
    content = TrimRight(content);

    EndBlocks();
    if (level == 1 && title.empty()) title = content;
    const std::string tag = "h" + std::to_string(level);
    body += "<" + tag;
    if (level == 2) {
      if (const std::string id = VersionAnchor(content); !id.empty()) body += " id=\"" + Escaped(id) + "\"";
    }
    body += ">" + InlineToHtml(content) + "</" + tag + ">\n";
    return true;
  }

  bool ListItem(int indent, std::string_view text) {
    if (text.size() < 2 || (text[0] != '-' && text[0] != '*' && text[0] != '+') || text[1] != ' ')
      return false;
    // "**bold** text" at the start of a line is a paragraph, not an item.
    std::string_view content = text.substr(2);
    while (!content.empty() && content.front() == ' ') content.remove_prefix(1);

    FlushParagraph();
    if (lists_.empty() || indent > lists_.back()) {
      // A deeper list goes inside the open item.
      FlushItem();
      body += "<ul>\n";
      lists_.push_back(indent);
      itemOpen_ = false;
    } else {
      while (lists_.size() > 1 && indent < lists_.back()) {
        FlushItem();
        CloseList();
      }
      FlushItem();
      if (itemOpen_) {
        body += "</li>\n";
        itemOpen_ = false;
      }
    }
    body += "<li>";
    itemOpen_ = true;
    item_ = std::string(content);
    return true;
  }

  void FlushItem() {
    if (!item_.empty()) body += InlineToHtml(item_);
    item_.clear();
  }

  void CloseList() {
    if (itemOpen_) body += "</li>\n";
    body += "</ul>\n";
    lists_.pop_back();
    // The list closed was inside an item of the enclosing list, which
    // stays open.
    itemOpen_ = !lists_.empty();
  }

  void FlushParagraph() {
    if (paragraph_.empty()) return;
    body += "<p>" + InlineToHtml(paragraph_) + "</p>\n";
    paragraph_.clear();
  }
};

}  // namespace

std::string InlineToHtml(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '`') {
      const std::size_t end = text.find('`', i + 1);
      if (end != std::string_view::npos && end > i + 1) {
        out += "<code>";
        AppendEscaped(out, text.substr(i + 1, end - i - 1));
        out += "</code>";
        i = end + 1;
        continue;
      }
    } else if (c == '*' && text.substr(i, 2) == "**") {
      const std::size_t end = text.find("**", i + 2);
      if (end != std::string_view::npos && end > i + 2) {
        out += "<strong>" + InlineToHtml(text.substr(i + 2, end - i - 2)) + "</strong>";
        i = end + 2;
        continue;
      }
    } else if (c == '[') {
      const std::size_t close = text.find("](", i + 1);
      if (close != std::string_view::npos) {
        const std::size_t end = text.find(')', close + 2);
        const std::string_view label = text.substr(i + 1, close - i - 1);
        if (end != std::string_view::npos && !label.empty() && label.find('[') == std::string_view::npos) {
          const std::string_view url = text.substr(close + 2, end - close - 2);
          if (SafeLinkTarget(url)) {
            out += "<a href=\"" + Escaped(url) + "\">" + InlineToHtml(label) + "</a>";
            i = end + 1;
            continue;
          }
        }
      }
    }
    AppendEscaped(out, text.substr(i, 1));
    ++i;
  }
  return out;
}

std::string ChangelogToHtml(std::string_view markdown) {
  // A byte-order mark at the start is not text.
  if (markdown.substr(0, 3) == "\xEF\xBB\xBF") markdown.remove_prefix(3);

  THtmlWriter writer;
  std::size_t pos = 0;
  while (pos < markdown.size()) {
    std::size_t end = markdown.find('\n', pos);
    if (end == std::string_view::npos) end = markdown.size();
    writer.Line(markdown.substr(pos, end - pos));
    pos = end + 1;
  }
  writer.EndBlocks();

  const std::string title = writer.title.empty() ? std::string("更新履歴") : std::string(writer.title);
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
      "</style>\n";
  page += "</head>\n<body>\n";
  page += writer.body;
  page += "</body>\n</html>\n";
  return page;
}

}  // namespace kestrin::packaging
