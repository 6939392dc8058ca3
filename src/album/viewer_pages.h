// The viewer pages: show480.html and show640.html, copied from a `default` folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/session.h"

namespace snapnook {

/// The folders a `default` folder is looked for in, in order: beside the album folder; the
/// yearly backup folder in the user's home (BACKUP/YEAR/Personal/Pictures/default); the one
/// shipped with the program (default/ beside the executable, else ../share/snapnook/default).
/// A candidate whose base (home or program folder) is unknown is left out.
std::vector<std::string> DefaultFolderCandidates(const Session& session);

/// The first candidate that holds the file `holding` (the classic album's viewer page
/// show480.html unless told), or nothing.
std::optional<std::string> FindDefaultFolder(Session& session,
                                             std::string_view holding = "show480.html");

/// Copies show480.html, then show640.html, from the first `default` folder found into the
/// album folder, each replacing the old file in one step. Nothing is copied when no candidate
/// has show480.html; a copy that fails is passed over. Never throws, shows nothing.
void CopyViewerPages(Session& session);

}  // namespace snapnook
