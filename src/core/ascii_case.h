// Letter case of names, ASCII only: the same in every locale, so that a folder is the same kind
// of folder in the window and on the command line.
#pragma once

#include <string_view>

namespace snapnook {

constexpr char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

/// Whether `a` and `b` are equal when ASCII letters are compared without regard to case.
constexpr bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

/// Whether `text` ends with `suffix`, ASCII letters compared without regard to case.
constexpr bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

/// Whether `name` is the name of a folder of originals: it ends with "BIG" in any letter case
/// (BIG, big, OLDBIG; not BIGGER).
constexpr bool IsOriginalsName(std::string_view name) {
  return EndsWithIgnoringCase(name, "BIG");
}

}  // namespace snapnook
