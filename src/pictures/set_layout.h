// The layout of a set folder: the one place that knows where a picture's copies go, what they
// are called and how big they are, and where its sideways picture and the viewer's folders
// lie. The walk, the derive step, the pages, --update, --prune, --check and the record all ask
// it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/album_files.h"
#include "core/folder_lookup.h"

namespace snapnook {

/// Which album a run makes.
enum class AlbumKind { kClassic, kModern };

/// The folders a run makes in every set folder for the copies, in the order it makes them.
inline constexpr const char* kCopyFolders[] = {"640", "640/sideways", "Thumb"};

/// The set folder of a `BIG` folder path (ending with "/"): the folder that holds it, with "/".
std::string SetFolderOf(const std::string& big_folder);

/// The `sideways` folder of `big_folder` (found without regard to letter case) as a path with
/// "/", or nothing when there is none. `Reads` is a FileSystem or its SharedReads.
template <class Reads>
std::optional<std::string> SidewaysFolderOf(Reads& fs, const std::string& big_folder) {
  const auto name = FindFolderIgnoringCase(fs, big_folder, "sideways");
  if (!name) return std::nullopt;
  return WithSlash(big_folder) + *name + "/";
}

/// The viewer folder's name for a set folder: "640" when "Create 640x480 files" is ticked,
/// else "big".
inline std::string_view ViewerFolderFor(bool create_640) {
  return create_640 ? "640" : "big";
}

/// The name of `parent`'s subfolder `name` as it is spelled on disk (see
/// FindFolderIgnoringCase), so that a link reaches it on a server that minds letter case;
/// `name` itself when there is no such folder.
std::string SpelledOnDisk(FileSystem& fs, const std::string& parent, const std::string& name);

/// Whether a file's name says it is a picture of any kind a camera, phone or editor writes
/// (whether or not the album takes it).
bool LooksLikePicture(std::string_view name);

/// One copy a run writes of a picture: what it is, where it goes, and its box (width x
/// height; a portrait picture's box is turned).
struct CopyPlace {
  Origin::Role role = Origin::Role::kAlbum;
  std::string path;
  int box_width = 0, box_height = 0;
};

/// The copies of the picture `file` of `big_folder` that a run writes, in the order it writes
/// them: the album picture, the thumbnail and, with `make_640`, the screen copy and, for a
/// portrait picture, the sideways screen copy.
std::vector<CopyPlace> CopiesOf(const std::string& big_folder, const std::string& file,
                                bool make_640, bool portrait);

}  // namespace snapnook
