// history.htm from the change log: the Markdown subset, escaping, and the
// page made from the project's own CHANGELOG.md.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "ChangelogHtml.h"

namespace {

using kestrin::packaging::ChangelogToHtml;
using kestrin::packaging::InlineToHtml;

// The part of the page between <body> and </body>.
std::string Body(const std::string& page) {
  const std::size_t start = page.find("<body>\n");
  const std::size_t end = page.find("</body>");
  if (start == std::string::npos || end == std::string::npos) return "<no body>";
  return page.substr(start + 7, end - start - 7);
}

// True when every tag opened is closed in order (void tags like <meta>
// excepted), the check a browser would not do for us.
bool TagsBalanced(const std::string& html, std::string* why) {
  static const std::regex tag("<(/?)([a-zA-Z0-9]+)[^>]*>");
  std::vector<std::string> open;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), tag); it != std::sregex_iterator(); ++it) {
    const std::string name = (*it)[2];
    if (name == "meta" || name == "DOCTYPE" || name == "br") continue;
    if ((*it)[1].length() == 0) {
      open.push_back(name);
    } else if (open.empty() || open.back() != name) {
      *why = "unexpected </" + name + "> at " + std::to_string(it->position());
      return false;
    } else {
      open.pop_back();
    }
  }
  if (!open.empty()) {
    *why = "<" + open.back() + "> never closed";
    return false;
  }
  return true;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ChangelogHtml, TextOfTheLogNeverBecomesMarkup) {
  const std::string body = Body(ChangelogToHtml(
      "# <script>alert(1)</script>\n"
      "\n"
      "- value < 0 & \"quoted\" > 1\n"
      "- `a<b>` and **x < y**\n"
      "[click](javascript:alert(1)) [data](data:text/html,x) [file](file:///etc/passwd)\n"));
  EXPECT_EQ(body.find("<script"), std::string::npos) << body;
  EXPECT_NE(body.find("&lt;script&gt;"), std::string::npos) << body;
  EXPECT_NE(body.find("value &lt; 0 &amp; &quot;quoted&quot; &gt; 1"), std::string::npos) << body;
  EXPECT_NE(body.find("<code>a&lt;b&gt;</code>"), std::string::npos) << body;
  EXPECT_NE(body.find("<strong>x &lt; y</strong>"), std::string::npos) << body;
  EXPECT_EQ(body.find("href"), std::string::npos) << "unsafe link targets stay text: " << body;
  std::string why;
  EXPECT_TRUE(TagsBalanced(body, &why)) << why << "\n" << body;

  // The title is escaped too.
  const std::string page = ChangelogToHtml("# a < b\n");
  EXPECT_NE(page.find("<title>a &lt; b</title>"), std::string::npos) << page;
}

TEST(ChangelogHtml, InlineMarks) {
  EXPECT_EQ(InlineToHtml("see [the manual](https://example.org/a?b=1&c=2)"),
            "see <a href=\"https://example.org/a?b=1&amp;c=2\">the manual</a>");
  EXPECT_EQ(InlineToHtml("[history](history.htm)"), "<a href=\"history.htm\">history</a>");
  EXPECT_EQ(InlineToHtml("**`kestrin-cli`** tool"), "<strong><code>kestrin-cli</code></strong> tool");
  // Unclosed or empty marks are text.
  EXPECT_EQ(InlineToHtml("a ` b ** c [d"), "a ` b ** c [d");
  EXPECT_EQ(InlineToHtml("`` and ****"), "`` and ****");
  EXPECT_EQ(InlineToHtml("[x](has space)"), "[x](has space)");
  // A '*' inside code is not bold.
  EXPECT_EQ(InlineToHtml("`**` x**"), "<code>**</code> x**");
}

TEST(ChangelogHtml, HeadingsListsAndParagraphs) {
  const std::string body = Body(ChangelogToHtml(
      "# Kestrin 更新履歴\n"
      "\n"
      "前書き\n"
      "の続き\n"
      "\n"
      "## 2.11a — 2026-12-08\n"
      "### 画面\n"
      "- one\n"
      "  continued\n"
      "  - nested a\n"
      "  - nested b\n"
      "- two\n"
      "\n"
      "## 2.10 - 2025-01-01\n"
      "after\n"
      "- item right after a paragraph\n"
      "## Notes\n"));
  EXPECT_EQ(body,
            "<h1>Kestrin 更新履歴</h1>\n"
            "<p>前書きの続き</p>\n"
            "<h2 id=\"v2.11a\">2.11a — 2026-12-08</h2>\n"
            "<h3>画面</h3>\n"
            "<ul>\n"
            "<li>one continued<ul>\n"
            "<li>nested a</li>\n"
            "<li>nested b</li>\n"
            "</ul>\n"
            "</li>\n"
            "<li>two</li>\n"
            "</ul>\n"
            "<h2 id=\"v2.10\">2.10 - 2025-01-01</h2>\n"
            "<p>after</p>\n"
            "<ul>\n"
            "<li>item right after a paragraph</li>\n"
            "</ul>\n"
            "<h2>Notes</h2>\n");
}

TEST(ChangelogHtml, JapaneseLinesJoinWithoutBlanks) {
  // Japanese is broken across lines without blanks; a blank would show as
  // a gap in the middle of a word. Lines with Latin text at the seam keep
  // their blank.
  const std::string body = Body(ChangelogToHtml(
      "- 月度の値を出力し，\n"
      "  保存します．\n"
      "- saves the\n"
      "  file\n"
      "- `kestrin.INI` に\n"
      "  保存\n"));
  EXPECT_NE(body.find("<li>月度の値を出力し，保存します．</li>"), std::string::npos) << body;
  EXPECT_NE(body.find("<li>saves the file</li>"), std::string::npos) << body;
  EXPECT_NE(body.find("<li><code>kestrin.INI</code> に保存</li>"), std::string::npos) << body;
}

TEST(ChangelogHtml, AwkwardInput) {
  // Windows line ends, a byte-order mark, tabs, trailing blanks, no final
  // line end, deep nesting closed by the end of the text, lines of only '#'.
  const std::string page = ChangelogToHtml(
      "\xEF\xBB\xBF# Title\r\n"
      "\r\n"
      "- a   \r\n"
      "\t- b\r\n"
      "\t\t- c\r\n"
      "#\r\n"
      "\r\n"
      "####### seven");
  const std::string body = Body(page);
  EXPECT_NE(page.find("<title>Title</title>"), std::string::npos) << page;
  EXPECT_EQ(body.find('\r'), std::string::npos);
  EXPECT_EQ(body.find("\xEF\xBB\xBF"), std::string::npos);
  std::string why;
  EXPECT_TRUE(TagsBalanced(body, &why)) << why << "\n" << body;
  EXPECT_NE(body.find("<li>c</li>"), std::string::npos) << body;
  EXPECT_NE(body.find("<p>####### seven</p>"), std::string::npos) << body;

  // An empty log still gives a page with a title.
  const std::string empty = ChangelogToHtml("");
  EXPECT_NE(empty.find("<title>更新履歴</title>"), std::string::npos);
  EXPECT_EQ(Body(empty), "");
}

TEST(ChangelogHtml, TheProjectsChangeLog) {
  const std::string log = ReadFile(KESTRIN_SOURCE_DIR "/CHANGELOG.md");
  ASSERT_FALSE(log.empty());
  const std::string page = ChangelogToHtml(log);
  std::string why;
  EXPECT_TRUE(TagsBalanced(Body(page), &why)) << why;

  // Every version heading of the log is a heading with its anchor, so the
  // page can be linked to a version.
  static const std::regex version("^## +([0-9][0-9A-Za-z.+~]*) ");
  std::istringstream lines(log);
  std::string line;
  int versions = 0;
  while (std::getline(lines, line)) {
    std::smatch m;
    if (!std::regex_search(line, m, version)) continue;
    ++versions;
    EXPECT_NE(page.find("<h2 id=\"v" + m[1].str() + "\">"), std::string::npos) << line;
  }
  EXPECT_GE(versions, 1);

  // The page the build put beside the executables is the page of this log.
  const std::string built = ReadFile(KESTRIN_BIN_DIR "/history.htm");
  EXPECT_EQ(built, page) << "build/history.htm is not the page of CHANGELOG.md";
}

}  // namespace
