// What the reliability suites share: whole runs on a scripted window, and what a run left in a
// tree.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/file_system.h"
#include "core/session.h"
#include "support/fake_window.h"
#include "support/temp_tree.h"

namespace snapnook::testing {

/// One "Create Pictures" run on a scripted window: every box ticked, the year fixed, no
/// closing question. Run() may be called once.
struct WholeRun {
  WholeRun(FileSystem& fs, const std::string& source, int jobs);
  void Run();
  FakeWindow window;
  MemorySettings settings;
  Session session;
};

/// A fresh copy of the tree of the listing tests/data/`listing` (lines as AddToTree takes them),
/// which is made once.
std::unique_ptr<TempTree> FreshTree(const std::string& listing);

/// The files below the tree under the temporary name of an unfinished write.
std::vector<std::string> TemporaryNamesBelow(const TempTree& tree);

/// The sizes "WxH" of the album picture, thumbnail and screen copy of picture `name` in the set
/// folder `set`, "-" for a missing one: "288x216 74x55 640x480" for a landscape picture. A copy
/// that is not web-ready (baseline JPEG, three bands of 8-bit sRGB, no EXIF, no profile) says
/// what is wrong, or why it is no JPEG.
std::string MadeCopies(const std::string& set, const std::string& name);

/// What differs in the files below `tree`'s folder `root` from `album` (a Snapshot of it),
/// temporaries and the album's record left out: "+PATH" a file too many, "~PATH" other content,
/// "-PATH" one missing; and where the record is not as the files are: "?PATH" a file it lists
/// as it is not, "!WHY" a record that cannot be read.
/// After a `disturbed` run, copies and pages may be missing and a page may be any whole one,
/// but no original may be missing.
std::vector<std::string> Differences(const TempTree& tree, const std::string& root,
                                     const std::map<std::string, std::string>& album,
                                     bool disturbed);

}  // namespace snapnook::testing
