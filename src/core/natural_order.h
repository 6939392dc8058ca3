// Natural order of names: IMG2 < img10 < IMG10b.
#pragma once

#include <string_view>

namespace snapnook {

/// Compares two names run by run, where a run is a maximal sequence of digits or of
/// non-digits. Two digit runs compare by numeric value, then the shorter run first; other runs
/// compare byte by byte after ASCII upper-casing. When all runs compare equal, plain byte order
/// of the whole names decides. Returns <0, 0 or >0; 0 only for identical names.
int NaturalCompare(std::string_view a, std::string_view b);

/// A strict weak ordering (in fact a total order) for std::sort.
inline bool NaturalLess(std::string_view a, std::string_view b) {
  return NaturalCompare(a, b) < 0;
}

}  // namespace snapnook
