// Whether a tree holds anything to make an album of.
#pragma once

#include <string>

#include "core/file_system.h"

namespace snapnook {

/// What a picture set is, for a message that finds none.
inline constexpr const char* kPictureSetRule =
    "a picture set is a folder named SET and one more character (SET1, SETa; not SET10) that "
    "holds its pictures in a folder BIG";
inline constexpr const char* kModernPictureSetRule =
    "a picture set of the modern album is any folder that holds its pictures in a folder BIG";

/// Whether `folder` is, or holds at any depth, a picture set: a set folder that holds pictures
/// (*.JPG) in a BIG folder of its own, or album pictures made before. For the modern album
/// (`modern`) any folder holding a BIG folder is a set folder, and its pictures are those the
/// modern album takes (IsPictureName). Links are followed, each folder is looked into once. A
/// folder that cannot be listed counts as one that may hold a set: a run shows why it cannot be
/// read.
bool HoldsPictureSet(FileSystem& fs, const std::string& folder, bool modern);

}  // namespace snapnook
