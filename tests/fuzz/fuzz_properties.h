// The properties the fuzzers check, shared with the unit test that replays their corpus. Each
// takes one fuzz input and returns what is wrong, or nothing.
#pragma once

#include <string>
#include <string_view>

namespace snapnook::fuzz {

/// Page text (PageText): the bytes are what ISO-8859-1 with decimal character references
/// makes of the input, character by character (stray bytes kept as they are); and text that is
/// UTF-8 and holds no "&#" reads back as itself.
std::string CheckPageText(std::string_view input);

/// Names in links (PercentEncodeName, WebFolder): percent-decoding what is written gives the
/// original bytes, also after the page text is read back as a browser reads it; no character
/// that would break a link is left unencoded; a set folder's web path names the folders below
/// the album root. The input is split at its first NUL into album root and the rest.
std::string CheckWebPath(std::string_view input);

/// Natural order (NaturalCompare): a strict weak ordering, in fact a total order, over the
/// three names the input is cut into (irreflexive, asymmetric, transitive, 0 only for equal
/// names, NaturalLess consistent with it).
std::string CheckNaturalOrder(std::string_view input);

}  // namespace snapnook::fuzz
