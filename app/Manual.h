// Where the user's manual (manual/index.htm, made from docs/manual.md at
// build time) lies for a running program.
#pragma once

#include <QString>

namespace kestrin {

// The manual beside the program (a build: build/manual/index.htm) or in the
// installed documentation folder (<prefix>/share/doc/kestrin/manual); empty
// when neither is a file.
QString ManualPage(const QString& executablePath);

}  // namespace kestrin
