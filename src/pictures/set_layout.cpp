#include "pictures/set_layout.h"

#include "core/ascii_case.h"
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

std::vector<CopyPlace> CopiesOf(const std::string& big_folder, const std::string& file,
                                bool make_640, bool portrait) {
  using Role = Origin::Role;
  const std::string set = SetFolderOf(big_folder);
  const auto box = [portrait](Role role, std::string path, int width, int height) {
    return portrait && role != Role::kSidewaysScreen
               ? CopyPlace{role, std::move(path), height, width}
               : CopyPlace{role, std::move(path), width, height};
  };
  std::vector<CopyPlace> copies = {
      box(Role::kAlbum, set + file, kAlbumWidth, kAlbumHeight),
      box(Role::kThumbnail, set + "Thumb/" + file, kThumbWidth, kThumbHeight)};
  if (make_640)
    copies.push_back(box(Role::kScreen, set + "640/" + file, kScreenWidth, kScreenHeight));
  if (make_640 && portrait) {
    copies.push_back(
        box(Role::kSidewaysScreen, set + "640/sideways/" + file, kScreenWidth, kScreenHeight));
  }
  return copies;
}

}  // namespace snapnook
