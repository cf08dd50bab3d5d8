// kestrin-history CHANGELOG.md history.htm: writes the change history page
// of the about box from the change log. Used by the build only.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "ChangelogHtml.h"

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

  // Written beside the target and renamed, so an interrupted build never
  // leaves half a page that the next build would take as up to date.
  const std::string tmp = out + ".tmp";
  {
    std::ofstream output(tmp, std::ios::binary | std::ios::trunc);
    output << kestrin::packaging::ChangelogToHtml(text.str());
    output.close();
    if (!output) {
      std::cerr << "kestrin-history: cannot write " << tmp << "\n";
      std::remove(tmp.c_str());
      return 1;
    }
  }
  if (std::rename(tmp.c_str(), out.c_str()) != 0) {
    std::cerr << "kestrin-history: cannot replace " << out << "\n";
    std::remove(tmp.c_str());
    return 1;
  }
  return 0;
}
