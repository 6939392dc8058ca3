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
#include "core/session.h"

namespace snapnook {

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

/// Whether the file `name` is a picture the album takes: the classic album a "*.JPG" (any letter
/// case); the modern album also ".jpeg", ".heic", ".heif", ".avif", ".png", ".webp", ".tif" and
/// ".tiff" files.
bool IsPictureName(std::string_view name, bool modern);

/// The name of the copies of the picture `file`: the classic album's copies keep the picture's
/// name; the modern album's, of a picture that is no JPEG, take ".jpg" for its extension
/// ("IMG_0001.HEIC" gives "IMG_0001.jpg").
std::string CopyNameOf(const std::string& file, bool modern);
/// The name that two copies of one BIG folder may not share: CopyNameOf in capitals, as letter
/// case does not tell names apart on many a file system and web server.
std::string CopyKey(const std::string& file, bool modern);

/// What shapes a run's copies beyond their sources, as the record keeps it: "classic", or the
/// modern album's "modern fill" or "modern fit".
std::string CopiesShapedBy(const RunOptions& options);

/// Whether a folder whose entries are `entries` is a set folder of the modern album besides
/// the classic rule: one that holds a folder of originals (and is none itself).
bool HoldsOriginalsFolder(FileSystem& fs, const std::string& folder,
                          const std::vector<std::string>& entries);

/// One copy a run writes of a picture: what it is, where it goes, and its box (width x
/// height; a portrait picture's box is turned).
struct CopyPlace {
  Origin::Role role = Origin::Role::kAlbum;
  std::string path;
  int box_width = 0, box_height = 0;
};

/// The copies of the picture `file` of `big_folder` that a run writes, in the order it writes
/// them: the album picture, the thumbnail and, with `make_640`, the screen copy and, for a
/// picture with a sideways picture, the sideways screen copy. `turned`: the boxes are turned
/// (a portrait picture; in the classic album, one with a sideways picture). `modern`: the
/// modern album's copy names.
std::vector<CopyPlace> CopiesOf(const std::string& big_folder, const std::string& file,
                                bool make_640, bool turned, bool sideways, bool modern);

}  // namespace snapnook
