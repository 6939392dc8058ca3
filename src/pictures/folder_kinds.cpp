#include "pictures/folder_kinds.h"

#include "core/ascii_case.h"
#include "core/utf8.h"

namespace snapnook {

bool IsSetFolder(std::string_view path) {
  if (path.ends_with('/')) path.remove_suffix(1);
  // "SET" followed by exactly one character, which may take several bytes (SETé, SET€).
  const size_t last = LastCharacterSize(path);
  if (last == 0) return false;
  return EndsWithIgnoringCase(path.substr(0, path.size() - last), "SET");
}

bool IsBigFolder(std::string_view path) {
  if (path.ends_with('/')) path.remove_suffix(1);
  return IsOriginalsName(path);
}

}  // namespace snapnook
