#include "pictures/picture_sets.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <utility>

#include "core/config.h"
#include "core/error.h"
#include "pictures/folder_kinds.h"
#include "pictures/set_layout.h"

namespace snapnook {
namespace {

bool HoldsPictures(FileSystem& fs, const std::string& folder, bool modern) {
  const std::vector<std::string> files = fs.ListFiles(folder, modern ? "*" : kPicturePattern);
  return std::any_of(files.begin(), files.end(),
                     [modern](const std::string& name) { return IsPictureName(name, modern); });
}

bool Holds(FileSystem& fs, std::string folder, bool modern,
           std::set<std::pair<std::uint64_t, std::uint64_t>>& seen) {
  if (!folder.ends_with('/')) folder += '/';
  if (const std::optional<FileId> id = fs.Identity(folder);
      id && !seen.insert({id->device, id->inode}).second) {
    return false;
  }
  try {
    const std::vector<std::string> entries = fs.ListEntries(folder);
    const bool set = IsSetFolder(folder) || (modern && HoldsOriginalsFolder(fs, folder, entries));
    if (set && HoldsPictures(fs, folder, false)) return true;
    for (const std::string& name : entries) {
      const std::string path = folder + name;
      if (!fs.IsDirectory(path)) continue;
      if (set && IsBigFolder(name) && HoldsPictures(fs, path, modern)) return true;
      if (Holds(fs, path, modern, seen)) return true;
    }
  } catch (const SnapError&) {
    return true;  // the run shows why the folder cannot be read
  }
  return false;
}

}  // namespace

bool HoldsPictureSet(FileSystem& fs, const std::string& folder, bool modern) {
  std::set<std::pair<std::uint64_t, std::uint64_t>> seen;
  return Holds(fs, folder, modern, seen);
}

}  // namespace snapnook
