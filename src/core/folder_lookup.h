// Finding a folder by name without regard to letter case.
#pragma once

#include <optional>
#include <string>

#include "core/file_system.h"

namespace snapnook {

/// The name of the subfolder of `parent` that is called `name` in any letter case: an exact
/// match first, else the first such folder in natural order; nothing when there is none or
/// `parent` cannot be listed. `parent` may end with "/" or not. Never throws.
std::optional<std::string> FindFolderIgnoringCase(FileSystem& fs, const std::string& parent,
                                                  const std::string& name);

/// `folder` with a trailing "/" (unchanged when it already has one).
std::string WithSlash(const std::string& folder);

}  // namespace snapnook
