// The text of album pages: ISO-8859-1 bytes, and file-system names made safe for links.
#pragma once

#include <string>
#include <string_view>

namespace snapnook {

/// The bytes an album page holds for a UTF-8 text. Pages are written in ISO-8859-1, as they
/// declare: U+0000..U+00FF become their single byte, every character above U+00FF becomes a
/// decimal numeric character reference ("&#8364;" for the euro sign). A byte that is not part
/// of valid UTF-8 is written as it is. Nothing is HTML-escaped here (see TypedText).
std::string PageText(std::string_view utf8);

/// A text the user typed (album title, copyright holder, copyright link) as it goes into a
/// page: "<", ">", "\"" and "&" become "&lt;", "&gt;", "&quot;" and "&amp;", except an "&" that
/// begins a character reference ("&eacute;", "&#233;", "&#xE9;"), which stays as typed. A text
/// without these characters is returned unchanged.
std::string TypedText(std::string_view typed);

/// A file or folder name as it is written into a link (a picture's file name, a set folder's
/// path). Each of % # ? " ' < > & \ :, each control character (U+0000..U+001F, U+007F) and
/// each byte that is not part of valid UTF-8 becomes "%" and two upper-case hex digits per
/// byte; everything else, blanks, "/" and non-ASCII letters included, stays as it is.
/// "Mom's #1.JPG" gives "Mom%27s %231.JPG".
std::string PercentEncodeName(std::string_view name);

}  // namespace snapnook
