#include "pictures/folder_kinds.h"

#include <cctype>

namespace snapnook {
namespace {

// Whether `text` ends with `suffix`, comparing in upper case.
bool EndsWithUpper(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::string_view tail = text.substr(text.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(tail[i])) != suffix[i]) return false;
  }
  return true;
}

}  // namespace

bool IsSetFolder(std::string_view path) {
  if (path.ends_with('/')) path.remove_suffix(1);
  if (path.size() < 4) return false;
  // "SET" followed by exactly one character.
  return EndsWithUpper(path.substr(0, path.size() - 1), "SET");
}

bool IsBigFolder(std::string_view path) {
  return path.ends_with('/') ? EndsWithUpper(path, "BIG/") : EndsWithUpper(path, "BIG");
}

}  // namespace snapnook
