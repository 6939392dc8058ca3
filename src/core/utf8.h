// Characters of UTF-8 names, where a byte that is not part of valid UTF-8 is one character.
#pragma once

#include <cstddef>
#include <string_view>

namespace snapnook {

/// The length of the valid UTF-8 sequence at `at` and its code point, or 0 when the byte there
/// starts none (overlong forms, surrogates and code points above U+10FFFF are not valid).
size_t Utf8SequenceLength(std::string_view text, size_t at, char32_t& code_point);

/// The number of bytes of the last character of `text` (0 for an empty text).
size_t LastCharacterSize(std::string_view text);

}  // namespace snapnook
