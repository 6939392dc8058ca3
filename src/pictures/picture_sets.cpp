#include "pictures/picture_sets.h"

#include <cstdint>
#include <optional>
#include <set>
#include <utility>

#include "core/config.h"
#include "core/error.h"
#include "pictures/folder_kinds.h"

namespace snapnook {
namespace {

bool HoldsPictures(FileSystem& fs, const std::string& folder) {
  return !fs.ListFiles(folder, kPicturePattern).empty();
}

bool Holds(FileSystem& fs, std::string folder,
           std::set<std::pair<std::uint64_t, std::uint64_t>>& seen) {
  if (!folder.ends_with('/')) folder += '/';
  if (const std::optional<FileId> id = fs.Identity(folder);
      id && !seen.insert({id->device, id->inode}).second) {
    return false;
  }
  try {
    const bool set = IsSetFolder(folder);
    if (set && HoldsPictures(fs, folder)) return true;
    for (const std::string& name : fs.ListEntries(folder)) {
      const std::string path = folder + name;
      if (!fs.IsDirectory(path)) continue;
      if (set && IsBigFolder(name) && HoldsPictures(fs, path)) return true;
      if (Holds(fs, path, seen)) return true;
    }
  } catch (const SnapError&) {
    return true;  // the run shows why the folder cannot be read
  }
  return false;
}

}  // namespace

bool HoldsPictureSet(FileSystem& fs, const std::string& folder) {
  std::set<std::pair<std::uint64_t, std::uint64_t>> seen;
  return Holds(fs, folder, seen);
}

}  // namespace snapnook
