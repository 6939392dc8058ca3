// The state a run shares between the driver, the walk and the page writers.
#pragma once

#include <string>

#include "core/int16.h"

namespace snapnook {

/// What the run driver, the walk, the derive step and the page writers share for the
/// program's life. One instance, passed by reference; touched only on the window's thread.
struct RunState {
  /// True only while the driver's counting pass walks the tree.
  bool CountingPass = false;
  /// After the counting pass: the pictures in the tree. During an HTML pass: pictures on the
  /// current numbered page, 0..10.
  Int16 PicturesOnPage;
  /// Numbered pages: the picture count divided by ten, rounded up.
  Int16 PageCount;
  /// Pictures handled in the current album pass; drives the progress bar.
  Int16 ProgressCount;
  /// The numbered page being written; 0 while the index and DjVu pages' heads and footers
  /// are written.
  Int16 PageNumber;
  /// Completed two-picture rows on the current numbered page.
  Int16 RowOnPage;
  /// The source folder as typed; every album file is written there.
  std::string SourceFolder;
  /// The album title as typed.
  std::string AlbumTitle;
  /// "Snapnook": the main window's caption, the splash and help texts.
  std::string ProductName;
  /// The copyright link as established at start-up.
  std::string LoadedCopyrightLink;
  /// The user has dismissed the splash.
  bool SplashDismissed = false;
};

}  // namespace snapnook
