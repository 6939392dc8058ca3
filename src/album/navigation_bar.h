// The navigation bar: the links from one album page to its neighbours.
#pragma once

#include "album/page_files.h"
#include "core/run_state.h"

namespace snapnook {

/// Writes the page links of `which` for the page `state.PageNumber` of `state.PageCount`,
/// then the line that opens a table. A numbered page links to the page before it (page 1 to
/// the index page), to page 1 and the index page, and to the next page unless it is the last;
/// the index page links only to page 1 as its next page; the DjVu page to page 1, the index
/// page and page 1 as its next page. Throws SnapError when a write fails.
void WriteNavigationBar(const RunState& state, PageFiles& pages, PageFile which);

}  // namespace snapnook
