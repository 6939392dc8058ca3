#include "pictures/set_layout.h"

#include <algorithm>

#include "core/ascii_case.h"
#include "core/config.h"
#include "pictures/folder_kinds.h"
#include "pictures/imaging.h"

namespace snapnook {

std::string SetFolderOf(const std::string& big_folder) {
  const size_t slash = big_folder.find_last_of('/', big_folder.size() - 2);
  return slash == std::string::npos ? std::string() : big_folder.substr(0, slash + 1);
}

std::string SpelledOnDisk(FileSystem& fs, const std::string& parent, const std::string& name) {
  return FindFolderIgnoringCase(fs, parent, name).value_or(name);
}

bool LooksLikePicture(std::string_view name) {
  for (const char* extension : {".jpg", ".jpeg", ".jpe", ".png", ".heic", ".heif", ".avif", ".tif",
                                ".tiff", ".gif", ".webp", ".bmp", ".dng", ".cr2", ".nef", ".arw"}) {
    if (EndsWithIgnoringCase(name, extension)) return true;
  }
  return false;
}

bool IsPictureName(std::string_view name, bool modern) {
  if (MatchesPattern(name, kPicturePattern)) return true;
  if (!modern) return false;
  for (const char* extension :
       {".jpeg", ".heic", ".heif", ".avif", ".png", ".webp", ".tif", ".tiff"}) {
    if (EndsWithIgnoringCase(name, extension)) return true;
  }
  return false;
}

std::string CopyNameOf(const std::string& file, bool modern) {
  if (!modern || EndsWithIgnoringCase(file, ".jpg") || EndsWithIgnoringCase(file, ".jpeg")) {
    return file;
  }
  const size_t dot = file.find_last_of('.');
  return (dot == std::string::npos ? file : file.substr(0, dot)) + ".jpg";
}

std::string CopyKey(const std::string& file, bool modern) {
  std::string key = CopyNameOf(file, modern);
  for (char& c : key) c = AsciiUpper(c);
  return key;
}

std::string CopiesShapedBy(const RunOptions& options) {
  if (!options.modern) return "classic";
  return options.fit ? "modern fit" : "modern fill";
}

bool HoldsOriginalsFolder(FileSystem& fs, const std::string& folder,
                          const std::vector<std::string>& entries) {
  if (IsBigFolder(folder)) return false;
  const std::string prefix = WithSlash(folder);
  return std::any_of(entries.begin(), entries.end(), [&](const std::string& name) {
    return IsBigFolder(name) && fs.IsDirectory(prefix + name);
  });
}

std::vector<CopyPlace> CopiesOf(const std::string& big_folder, const std::string& file,
                                bool make_640, bool turned, bool sideways, bool modern) {
  using Role = Origin::Role;
  const std::string set = SetFolderOf(big_folder);
  const bool portrait = turned;
  const auto box = [portrait](Role role, std::string path, int width, int height) {
    return portrait && role != Role::kSidewaysScreen
               ? CopyPlace{role, std::move(path), height, width}
               : CopyPlace{role, std::move(path), width, height};
  };
  const std::string name = CopyNameOf(file, modern);
  std::vector<CopyPlace> copies = {
      box(Role::kAlbum, set + name, kAlbumWidth, kAlbumHeight),
      box(Role::kThumbnail, set + "Thumb/" + name, kThumbWidth, kThumbHeight)};
  if (make_640)
    copies.push_back(box(Role::kScreen, set + "640/" + name, kScreenWidth, kScreenHeight));
  if (make_640 && sideways) {
    copies.push_back(
        box(Role::kSidewaysScreen, set + "640/sideways/" + name, kScreenWidth, kScreenHeight));
  }
  return copies;
}

}  // namespace snapnook
