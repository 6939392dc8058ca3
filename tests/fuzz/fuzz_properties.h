// The properties the fuzzers check, shared with the unit test that replays their corpus. Each
// takes one fuzz input and returns what is wrong, or nothing.
#pragma once

#include <string>
#include <string_view>

namespace snapnook::fuzz {

/// Page text (PageText): the bytes are what ISO-8859-1 with decimal character references
/// makes of the input, character by character (U+0000 to U+00FF as their byte, every other
/// character as "&#N;", a byte that is not part of well-formed UTF-8 as it is).
std::string CheckPageText(std::string_view input);

/// Names in links (PercentEncodeName): exactly the characters that break links, control
/// characters and bytes that are not part of well-formed UTF-8 are percent-encoded, a byte at
/// a time. The input is split at its first NUL into an album root, not used, and the name.
std::string CheckWebPath(std::string_view input);

/// Natural order (NaturalCompare): a strict weak ordering, in fact a total order, over the
/// three names the input is cut into (irreflexive, asymmetric, transitive, 0 only for equal
/// names, NaturalLess consistent with it).
std::string CheckNaturalOrder(std::string_view input);

}  // namespace snapnook::fuzz
