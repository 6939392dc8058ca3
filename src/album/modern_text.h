// Text and links of the modern pages, which are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace snapnook {

/// `text` as valid UTF-8 that HTML shows as it reads: each byte that is not part of valid
/// UTF-8 becomes U+FFFD (as a browser decodes it), and so does every character a page may not
/// hold (controls other than blanks, and noncharacters); tabs and line breaks become blanks.
/// With `escape`, "&", "<", ">" and "\"" become "&amp;", "&lt;", "&gt;" and "&quot;", so the
/// result may stand in text and in a quoted attribute.
std::string ModernText(std::string_view text, bool escape = true);

/// The link to `path`, a "/"-separated path below the album folder: "./" and the path with
/// each name percent-encoded (PercentEncodeName), blanks and commas included, so that a link
/// reads as a path whatever the name ("./javascript:x/a.jpg" is no script) and can stand in a
/// srcset list. Safe in a quoted attribute.
std::string ModernLink(std::string_view path);

}  // namespace snapnook
