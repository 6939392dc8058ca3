// The album build: one derive or HTML pass over the source tree.
#pragma once

#include <string>
#include <vector>

#include "core/session.h"

namespace snapnook {

/// One album pass. Reads the title and source folder from the window and walks the source
/// tree, deriving pictures when "Create JPGs" is ticked. When "Create HTML" is ticked as it
/// starts, it also writes the album around the walk: index.html and the viewer pages first,
/// then the index and DjVu pages, which stay open through the walk while it writes the
/// numbered pages, and after the walk the last numbered page's end and the index and DjVu
/// pages' closing rows and footers. Every page it opens is closed before it returns (pages
/// appear under their names only then), whatever the box shows by then.
///
/// When index.html, page00.htm or page00a.htm cannot be started it shows the "Unexpected
/// Error" message and ends. A page that cannot be finished or put in place after the walk is
/// shown the same way, and the build goes on with the next page; so is a source folder that
/// cannot be listed (the walk is skipped). Other failures are passed over. It does not throw.
///
/// The modern album (session.options.modern) makes its pictures in a pass with "Create JPGs"
/// ticked, and its pages (BuildModernAlbum) in one without, which throws SnapError when they
/// cannot all be written. Returns the pages the album has (names in the source folder), for
/// --prune.
std::vector<std::string> BuildAlbum(Session& session);

}  // namespace snapnook
