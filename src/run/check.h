// --check: what a run would show and pass over, found without writing anything.
#pragma once

#include "core/session.h"
#include "run/run_driver.h"

namespace snapnook {

/// Runs RunCreatePictures as `session` would, on a CheckFileSystem over `session.fs` and with
/// the `check` option (so every picture is read and decoded whole, and a picture that fails
/// does not stop its folder): every message the run would show is shown, with the same number
/// and text. Then reports, one line each (MainWindow::Report), what the run would pass over in
/// silence, what --prune would remove, and a summary line. Writes nothing at all.
RunOutcome CheckAlbum(Session& session);

}  // namespace snapnook
