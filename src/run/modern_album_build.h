// The modern album's pages: its set folders as they are now, told to the page writer.
#pragma once

#include <string>
#include <vector>

#include "album/modern_album.h"
#include "core/session.h"

namespace snapnook {

/// The modern album below the source folder `source`: each set folder (one the classic rule
/// names, or one that holds a folder of originals) in the walk's order, with the pictures of
/// its folders of originals (natural order) whose album picture is there, by copy name (the
/// second of two pictures of one copy name left out). Their sizes and captions are the
/// record's for a copy unchanged since it was written, else read off the copies. Texts are the
/// window's. Never throws: what cannot be read holds nothing.
ModernAlbum ModernAlbumOf(Session& session, const std::string& source);

/// Writes the modern album's pages (see WriteModernPages) and returns their names below the
/// source folder, with the style sheet and script. Throws SnapError.
std::vector<std::string> BuildModernAlbum(Session& session);

}  // namespace snapnook
