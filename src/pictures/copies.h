// The copies a picture of a BIG folder gets, and whether they are up to date.
#pragma once

#include <string>
#include <vector>

#include "core/file_system.h"

namespace snapnook {

/// The set folder of a `BIG` folder path (ending with "/"): the folder that holds it, with "/".
std::string SetFolderOf(const std::string& big_folder);

/// Where the sideways picture of `file` would be: `big_folder`'s `sideways` folder (found
/// without regard to letter case) + `file`; nothing when there is no such folder.
std::optional<std::string> SidewaysPathOf(FileSystem& fs, const std::string& big_folder,
                                          const std::string& file);

/// The copies of the picture `file` of `big_folder` that a run writes, in the order it writes
/// them: the album picture, the thumbnail and, with `make_640`, the screen copy and, for a
/// portrait picture, the sideways screen copy.
std::vector<std::string> CopiesOf(const std::string& big_folder, const std::string& file,
                                  bool make_640, bool portrait);

/// Whether every copy a run would write for the picture exists and is newer than the picture,
/// and than its sideways picture for a portrait one. A picture is as new as the later of its
/// modification and change times, so that a picture replaced by an older file counts as new.
/// `sideways_folder` is SidewaysPathOf's folder for the BIG folder (its path with "/", or
/// nothing). Never throws: anything that cannot be examined is not up to date.
bool CopiesAreUpToDate(FileSystem& fs, const std::string& big_folder, const std::string& file,
                       bool make_640, const std::optional<std::string>& sideways_folder);

}  // namespace snapnook
