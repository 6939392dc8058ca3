#include "pictures/copies.h"

#include <algorithm>

#include "core/folder_lookup.h"

namespace snapnook {

std::string SetFolderOf(const std::string& big_folder) {
  const size_t slash = big_folder.find_last_of('/', big_folder.size() - 2);
  return slash == std::string::npos ? std::string() : big_folder.substr(0, slash + 1);
}

std::optional<std::string> SidewaysPathOf(FileSystem& fs, const std::string& big_folder,
                                          const std::string& file) {
  const auto sideways = FindFolderIgnoringCase(fs, big_folder, "sideways");
  if (!sideways) return std::nullopt;
  return big_folder + *sideways + "/" + file;
}

std::vector<std::string> CopiesOf(const std::string& big_folder, const std::string& file,
                                  bool make_640, bool portrait) {
  const std::string set = SetFolderOf(big_folder);
  std::vector<std::string> copies = {set + file, set + "Thumb/" + file};
  if (make_640) copies.push_back(set + "640/" + file);
  if (make_640 && portrait) copies.push_back(set + "640/sideways/" + file);
  return copies;
}

bool CopiesAreUpToDate(FileSystem& fs, const std::string& big_folder, const std::string& file,
                       bool make_640, const std::optional<std::string>& sideways_folder) {
  const auto newest = [&](const std::string& path) -> std::optional<std::int64_t> {
    const auto times = fs.Times(path);
    if (!times) return std::nullopt;
    return std::max(times->modified, times->changed);
  };
  std::optional<std::int64_t> original = newest(big_folder + file);
  if (!original) return false;
  const std::optional<std::string> sideways =
      sideways_folder ? std::optional(*sideways_folder + file) : std::nullopt;
  const bool portrait = sideways && fs.IsFile(*sideways);
  if (portrait) {
    const auto turned = newest(*sideways);
    if (!turned) return false;
    original = std::max(*original, *turned);
  }
  for (const std::string& copy : CopiesOf(big_folder, file, make_640, portrait)) {
    const auto times = fs.Times(copy);
    if (!times || !fs.IsFile(copy) || times->modified <= *original) return false;
  }
  return true;
}

}  // namespace snapnook
