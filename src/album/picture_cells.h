// One picture's cells in the numbered page, the index page and the DjVu page.
#pragma once

#include <string>

#include "album/page_files.h"
#include "core/session.h"

namespace snapnook {

/// Puts the album picture `file` of the set folder `set_folder` (ending with "/") into the
/// album: its cell on the current numbered page, which it opens at the page's first picture
/// (with its head), its thumbnail cells on the index and DjVu pages, a row of anchors after
/// every two pictures and, after the tenth, the page's footer; the page is then closed. The
/// viewer links go into `viewer_folder` ("640" or "big", spelled as the folder is on disk).
/// The picture is portrait when the viewer folder's `sideways` folder holds a file of the same
/// name. Throws SnapError for the walk's trap when a write fails.
void WritePictureCells(Session& session, PageFiles& pages, const std::string& set_folder,
                       const std::string& file, const std::string& viewer_folder);

}  // namespace snapnook
