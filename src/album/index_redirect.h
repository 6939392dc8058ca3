// index.html: the album's entry page, which forwards the browser to the first page.
#pragma once

#include "core/session.h"

namespace snapnook {

/// Writes `index.html` into the album folder `session.state.SourceFolder`, replacing the old
/// one in a single step: a page that sends the browser to page01.htm after one second, with
/// the copyright holder (as the window shows it now, blanks around it removed) as its author
/// and title. Throws SnapError when the file cannot be written; the old file then stays.
void WriteIndexRedirect(Session& session);

}  // namespace snapnook
