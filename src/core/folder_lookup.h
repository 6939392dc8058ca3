// Finding a folder by name without regard to letter case.
#pragma once

#include <exception>
#include <optional>
#include <string>

#include "core/ascii_case.h"
#include "core/file_system.h"

namespace snapnook {

/// `folder` with a trailing "/" (unchanged when it already has one).
std::string WithSlash(const std::string& folder);

/// The name of the subfolder of `parent` that is called `name` in any letter case: an exact
/// match first, else the first such folder in natural order; nothing when there is none or
/// `parent` cannot be listed. `parent` may end with "/" or not. `Reads` is a FileSystem or its
/// SharedReads. Never throws.
template <class Reads>
std::optional<std::string> FindFolderIgnoringCase(Reads& fs, const std::string& parent,
                                                  const std::string& name) {
  const std::string prefix = WithSlash(parent);
  // The common case costs one stat, not a listing.
  if (fs.IsDirectory(prefix + name)) return name;
  try {
    for (const std::string& entry : fs.ListEntries(parent)) {  // natural order
      if (EqualIgnoringCase(entry, name) && fs.IsDirectory(prefix + entry)) return entry;
    }
  } catch (const std::exception&) {
    // A parent that cannot be listed holds no such folder; what lists it reports it.
  }
  return std::nullopt;
}

}  // namespace snapnook
