// The modern album's pages: index.html and the numbered pages after it, with the shared style
// sheet and script beside them.
#pragma once

#include <string>
#include <vector>

#include "album/modern_album.h"
#include "core/session.h"

namespace snapnook {

/// Pictures on one page of the modern album.
inline constexpr int kModernPicturesPerPage = 200;
/// The pictures of a page that load at once; the rest load as they come near the screen.
inline constexpr int kModernEagerPictures = 12;
/// The shared style sheet and script, copied from a `default` folder into the album folder.
inline constexpr const char* kModernStyleSheet = "snapnook.css";
inline constexpr const char* kModernScript = "snapnook.js";

/// One page: its file name in the album folder and its bytes.
struct ModernPage {
  std::string name;
  std::string bytes;
};

/// The pages of `album`, copyright year `year`: index.html with the first 200 pictures, then
/// page01.htm, page02.htm, ... with 200 each (only index.html for 200 pictures or fewer, and
/// for none). Every page holds the title, links to every page, its pictures by set (a set
/// split over two pages is headed on both) and the footer. Each picture links to its large copy
/// (the screen copy, else the album picture), which the shared script shows over the page; the
/// link is the picture's anchor ("#p1" for the album's first picture).
std::vector<ModernPage> ModernPages(const ModernAlbum& album, int year);

/// Writes the pages of `album` into the album folder (`session.state.SourceFolder`), each
/// replacing its old file in one step, then copies the style sheet and the script from the
/// first `default` folder that holds the style sheet (see FindDefaultFolder). The copyright
/// year is CurrentYear(session). Throws SnapError when a write or a copy fails (the pages
/// before it are written) or when no `default` folder holds the style sheet (53). Returns the
/// names of the files it writes: the style sheet, the script and the pages.
std::vector<std::string> WriteModernPages(Session& session, const ModernAlbum& album);

}  // namespace snapnook
