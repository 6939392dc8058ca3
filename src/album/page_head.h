// The head of an album page: the viewer script, the title and the introduction.
#pragma once

#include "album/page_files.h"
#include "core/run_state.h"

namespace snapnook {

/// Writes the beginning of page `which`: the viewer script that the picture cells call, the
/// html head with the title "AlbumTitle - Page N" (or "- Index Page", "- DjVu Page"), the
/// introduction, on the DjVu page the note about the DjVu add-in, and then the navigation bar,
/// whose last line opens the picture table. For a numbered page, `state.PageNumber` is the
/// page being opened. Throws SnapError when a write fails.
void WritePageHead(const RunState& state, PageFiles& pages, PageFile which);

}  // namespace snapnook
