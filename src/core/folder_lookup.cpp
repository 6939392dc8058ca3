#include "core/folder_lookup.h"

#include <algorithm>

namespace snapnook {
namespace {

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 'a' - 'A' : c; };
           return lower(x) == lower(y);
         });
}

}  // namespace

std::string WithSlash(const std::string& folder) {
  return folder.ends_with('/') ? folder : folder + "/";
}

std::optional<std::string> FindFolderIgnoringCase(FileSystem& fs, const std::string& parent,
                                                  const std::string& name) {
  const std::string prefix = WithSlash(parent);
  // The common case costs one stat, not a listing.
  if (fs.IsDirectory(prefix + name)) return name;
  try {
    for (const std::string& entry : fs.ListEntries(parent)) {  // natural order
      if (EqualIgnoringCase(entry, name) && fs.IsDirectory(prefix + entry)) return entry;
    }
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

}  // namespace snapnook
