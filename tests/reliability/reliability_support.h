// What the reliability suites share: whole runs on a scripted window, tree copies and checks,
// and running snapnook-batch (as an unprivileged user when the tests run as root).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/file_system.h"
#include "core/session.h"
#include "support/fake_window.h"
#include "support/temp_tree.h"

namespace snapnook::testing {

/// One "Create Pictures" run on a scripted window over a source folder: all three boxes
/// ticked, the year fixed, no closing question.
struct WholeRun {
  WholeRun(FileSystem& fs, const std::string& source, int jobs);

  /// Runs RunCreatePictures once.
  void Run();

  FakeWindow window;
  MemorySettings settings;
  Session session;
};

/// Copies the folder tree `from` into `to` (created), keeping symbolic links as links.
void CopyTree(const std::string& from, const std::string& to);

/// The paths (relative to `root`) of every file or folder below it under a temporary name of
/// an unfinished write.
std::vector<std::string> TemporaryNamesBelow(const std::string& root);

/// Checks that the file at `path` is a derived picture as it must be: a baseline JPEG, three
/// bands of 8-bit sRGB, no EXIF, no colour profile. Returns its size as "WxH", or what is
/// wrong with it.
std::string WebReadySize(const std::string& path);

/// Relative path -> content of every regular file below `root` whose path has a part named
/// "BIG" in any letter case: the originals.
std::map<std::string, std::string> Originals(const TempTree& tree, const std::string& root = "");

/// What a command printed and how it ended.
struct CommandResult {
  int status = -1;  // the exit status, -1 when it did not exit normally
  std::string out;
  std::string err;
};

/// `text` quoted for the shell.
std::string Quote(const std::string& text);

/// The path of snapnook-batch in the build tree.
std::string BatchBinary();

/// Whether the tests run as root, where file permissions do not hold.
bool RunningAsRoot();

/// The prefix that runs a command as the unprivileged user "nobody" when the tests run as
/// root ("setpriv ..."), else nothing.
std::string AsUnprivilegedUser();

/// Gives the tree below `root` (and `root` itself) to the unprivileged user, so that a command
/// run through AsUnprivilegedUser() owns it. Does nothing when not root.
void GiveToUnprivilegedUser(const std::string& root);

/// Runs snapnook-batch with `args` (already quoted) as the unprivileged user, its settings in
/// the folder `config_home`, and collects what it printed. `wrapper` goes before the program
/// ("prlimit --as=N ").
CommandResult RunBatch(const std::string& args, const std::string& config_home,
                       const std::string& wrapper = "");

/// The lines of `text`, without their line ends.
std::vector<std::string> LinesOf(const std::string& text);

}  // namespace snapnook::testing
