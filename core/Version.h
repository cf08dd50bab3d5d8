// The product name and version shown by the program (caption, about box,
// kestrin-cli --version).
#pragma once

namespace kestrin {

inline constexpr char kProductName[] = "Kestrin";
// A whole number, a point, two digits and a revision letter; the newest
// heading of CHANGELOG.md carries the same text.
inline constexpr char kVersionText[] = "2.11a";

}  // namespace kestrin
