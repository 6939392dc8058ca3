// The album build: one derive or HTML pass over the source tree.
#pragma once

#include "core/session.h"

namespace snapnook {

/// One album pass. Reads the title and source folder from the window, walks the source tree
/// (deriving pictures when "Create JPGs" is ticked) and, when "Create HTML" is ticked, writes
/// the album's pages around the walk. Failures are handled inside; it does not throw.
void BuildAlbum(Session& session);

}  // namespace snapnook
