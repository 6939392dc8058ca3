// --prune: what no picture accounts for any more, and its removal.
#pragma once

#include <string>
#include <vector>

#include "core/session.h"

namespace snapnook {

/// What a run prunes: the copies, before it writes the pages (so that no page shows a picture
/// that is then removed), and the pages, after.
enum class Unaccounted { kCopies, kPages };

/// What no picture accounts for any more, below the source folder `source`. The copies: in
/// each set folder (one the walk would meet, at no BIG folder) and in its `Thumb`, `640` and
/// `640/sideways`, the files matching the picture pattern that no original of the same name
/// in one of the set's BIG folders accounts for (for `640/sideways`: no sideways original, or
/// "Create 640x480 files" unticked). The pages: the numbered pages above the page count. In
/// walk order. Never throws; what cannot be listed is left.
std::vector<std::string> UnaccountedFiles(Session& session, const std::string& source,
                                          Unaccounted what);

/// Removes the files UnaccountedFiles names, each reported as "Removed PATH" ("--prune would
/// remove: PATH" in a check); a removal that fails is shown as the walk's message, and the
/// others go on. Throws only RunInterrupted.
void PruneAlbum(Session& session, const std::string& source, Unaccounted what);

}  // namespace snapnook
