// Visiting the folders of an album as the walk meets them.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/session.h"

namespace snapnook {

/// Calls `visit` with every folder below `root` (and `root` itself), each path ending with "/",
/// in the walk's order (a folder, then its subfolders in natural order, depth first), with the
/// folder's entries; a folder that is one of its own ancestors (through a link) is not entered
/// again, and one that cannot be listed is passed over. Lets the event loop run once a folder.
void VisitFolders(Session& session, const std::string& root,
                  const std::function<void(const std::string& folder,
                                           const std::vector<std::string>& entries)>& visit);

/// The pictures of `folder` the album takes (IsPictureName; `modern`: the modern album's), in
/// natural order; none when it cannot be listed. Never throws.
std::vector<std::string> PicturesIn(FileSystem& fs, const std::string& folder, bool modern = false);

/// The copy names of the pictures in the BIG folders among the `entries` of the set folder
/// `set` (a classic album's copies are named as its pictures).
std::set<std::string> OriginalsOf(FileSystem& fs, const std::string& set,
                                  const std::vector<std::string>& entries, bool modern = false);

}  // namespace snapnook
