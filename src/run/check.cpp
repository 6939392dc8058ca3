#include "run/check.h"

#include <array>
#include <cstdio>
#include <map>
#include <set>

#include "core/config.h"
#include "core/folder_lookup.h"
#include "core/traps.h"
#include "pictures/folder_kinds.h"
#include "pictures/set_layout.h"
#include "run/album_tree.h"
#include "run/check_file_system.h"
#include "run/prune.h"
#include "run/run_driver.h"

namespace snapnook {
namespace {

std::string Bytes(std::uint64_t bytes) {
  char text[32];
  if (bytes < 1000 * 1000) {
    std::snprintf(text, sizeof text, "%.1f kB", static_cast<double>(bytes) / 1e3);
  } else {
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  }
  return text;
}

std::string Count(int n, const std::string& what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

}  // namespace

RunOutcome CheckAlbum(Session& session) {
  CheckFileSystem check(session.fs);
  Session run(session.window, check, session.settings);
  run.state = session.state;
  run.program_folder = session.program_folder;
  run.home_folder = session.home_folder;
  run.current_year = session.current_year;
  run.jobs = session.jobs;
  run.options = session.options;
  run.options.check = true;
  run.options.prune = true;  // on the check's file system: what --prune would remove is told
  const bool html = session.window.IsChecked(CheckBox::kCreateHtml);
  const std::string source = session.window.SourceDir();
  RunOutcome outcome = RunCreatePictures(run, ClosingQuestion::kSkip);
  session.tally = run.tally;
  // Nothing more to say where the run ran no pass (its message said why).
  if (outcome.ended != RunOutcome::Ended::kRan && outcome.ended != RunOutcome::Ended::kBusy) {
    return outcome;
  }
  AlbumFiles album(check, source, nullptr);

  // What the run passes over in silence, folder by folder.
  const bool modern = run.options.modern;
  MainWindow& window = session.window;
  int sets = 0, pictures = 0, portraits = 0;
  const auto report = [&](const std::string& line) { window.Report(line); };
  VisitFolders(
      run, source, [&](const std::string& folder, const std::vector<std::string>& entries) {
        if (IsSetFolder(folder) || (modern && HoldsOriginalsFolder(check, folder, entries))) {
          ++sets;
          if (!album.HoldsOriginals(folder) && !check.Writable(folder)) {
            report("Set folder that cannot be written: " + folder);
          }
          const std::set<std::string> originals = OriginalsOf(check, folder, entries, modern);
          for (const std::string& file : PicturesIn(session.fs, folder)) {
            if (!originals.contains(file))
              report("Picture without an original in BIG: " + folder + file);
          }
        } else if (IsBigFolder(folder)) {
          const std::vector<std::string> files = PicturesIn(check, folder, modern);
          pictures += static_cast<int>(files.size());
          if (!modern && !IsSetFolder(SetFolderOf(folder))) {
            report("BIG folder outside a set folder (its pictures would go into " +
                   SetFolderOf(folder) +
                   ", which the modern album takes for a set: --modern): " + folder);
          }
          for (const std::string& name : entries) {
            if (!LooksLikePicture(name) || IsPictureName(name, modern) ||
                check.IsDirectory(folder + name)) {
              continue;
            }
            report(modern ? "Not a picture the album takes, passed over: " + folder + name
                   : IsPictureName(name, true)
                       ? "Not a *.JPG picture, passed over (the modern album takes it: "
                         "--modern): " +
                             folder + name
                       : "Not a *.JPG picture, passed over: " + folder + name);
          }
          // Two pictures whose copies would have one name: the second is not made.
          std::map<std::string, std::string> copies;
          for (const std::string& file : modern ? files : std::vector<std::string>{}) {
            const auto [first, taken] = copies.emplace(CopyKey(file, true), file);
            if (!taken) {
              report(
                  "Pictures whose copies would have one name (the second is not "
                  "made): " +
                  folder + first->second + ", " + folder + file);
            }
          }
          if (const auto sideways = SidewaysFolderOf(check, folder)) {
            for (const std::string& file : PicturesIn(check, *sideways, modern)) {
              if (std::find(files.begin(), files.end(), file) == files.end()) {
                report("Sideways picture without an upright one: " + *sideways + file);
              } else {
                ++portraits;
              }
            }
          }
        }
      });
  if (pictures > 32767) {
    report("More pictures than a run can count (32767): " + std::to_string(pictures));
  }
  const std::string index = WithSlash(source) + "index.html";
  if (html && session.fs.IsFile(index)) {
    std::vector<unsigned char> bytes;
    // One that cannot be read is someone else's as far as a check can tell.
    PassOver([&] { bytes = session.fs.ReadFile(index); });
    const std::string text(bytes.begin(), bytes.end());
    if (text.find("content=\"Korvell Snapnook\"") == std::string::npos &&
        text.find("<meta name=\"generator\" content=\"Snapnook\">") == std::string::npos) {
      report("index.html that Snapnook did not write, which a run replaces: " + index);
    }
  }
  const std::optional<std::uint64_t> free = session.fs.FreeSpace(source);
  if (free && *free < check.bytes_written()) {
    report("Not enough free space: " + Bytes(check.bytes_written()) + " to write, " + Bytes(*free) +
           " free");
  }
  report("Checked " + Count(sets, "set") + ", " + Count(pictures, "picture") + " (" +
         std::to_string(portraits) + " portrait), " +
         Count(html ? run.state.PageCount.value() : 0, "page") + ", " +
         Bytes(check.bytes_written()) + " to write");
  return outcome;
}

}  // namespace snapnook
