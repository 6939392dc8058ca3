#include "core/folder_lookup.h"

#include "core/ascii_case.h"

namespace snapnook {

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
