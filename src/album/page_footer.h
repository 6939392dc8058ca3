// The end of an album page: navigation, copyright notice and closing tags.
#pragma once

#include "album/page_files.h"
#include "core/session.h"

namespace snapnook {

/// Writes the end of page `which`: the navigation bar again, a link to the top of the page,
/// the copyright notice with the current year and the holder and link as the window shows
/// them now (blanks around them removed), the "Created using" line and the closing tags. The
/// caller closes the page. Throws SnapError when a write fails.
void WritePageFooter(Session& session, PageFiles& pages, PageFile which);

/// `text` without the blanks before and after it (tabs and other spaces stay).
std::string TrimBlanks(const std::string& text);

/// The current year: `session.current_year`, or the clock's when that is unset.
int CurrentYear(const Session& session);

}  // namespace snapnook
