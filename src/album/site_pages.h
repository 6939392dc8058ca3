// The pages every album page links to in `../default/`: hires.htm, aol.htm and copyright.html.
#pragma once

#include <string>

#include "core/session.h"

namespace snapnook {

/// The folder the album's `../default/` links lead to: `default` beside `source_folder`, found
/// on the path's text as a browser resolves the links ("/site/holiday/" gives "/site/default").
std::string SitePagesFolder(const std::string& source_folder);

/// Puts hires.htm, aol.htm and copyright.html into SitePagesFolder of the window's source
/// folder, creating the folder when needed. A page that is there already is left as it is.
/// Each page is copied from the first `default` folder (DefaultFolderCandidates) that holds
/// it. Every failure is shown as the walk's numbered message and the next page is tried; a
/// page that no candidate holds is "File not found" naming the shipped folder's copy.
void WriteSitePages(Session& session);

}  // namespace snapnook
