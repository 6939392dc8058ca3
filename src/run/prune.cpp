#include "run/prune.h"

#include <algorithm>
#include <functional>
#include <set>

#include "album/page_names.h"
#include "core/ascii_case.h"
#include "core/config.h"
#include "core/folder_lookup.h"
#include "core/traps.h"
#include "pictures/folder_kinds.h"
#include "run/album_tree.h"

namespace snapnook {
namespace {

// The numbered page a file name names ("page07.htm" names 7), or 0.
int NumberedPage(const std::string& name) {
  if (!name.starts_with("page") || !name.ends_with(".htm")) return 0;
  const std::string digits = name.substr(4, name.size() - 8);
  if (digits.empty() || digits.size() > 5 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return 0;
  }
  const int page = std::stoi(digits);
  return PageFileName(page) == name ? page : 0;
}

}  // namespace

std::vector<std::string> UnaccountedFiles(Session& session, const std::string& source,
                                          Unaccounted what) {
  FileSystem& fs = session.fs;
  const bool make_640 = session.window.IsChecked(CheckBox::kCreate640);
  std::vector<std::string> found;
  if (what == Unaccounted::kCopies)
    VisitFolders(
        session, source, [&](const std::string& folder, const std::vector<std::string>& entries) {
          if (!IsSetFolder(folder) || fs.HoldsOriginals(folder)) return;
          // The originals of the set: the pictures of every BIG folder in it, and their sideways
          // ones.
          const std::set<std::string> originals = OriginalsOf(fs, folder, entries);
          std::set<std::string> sideways;
          for (const std::string& name : entries) {
            if (!IsBigFolder(name) || !fs.IsDirectory(folder + name)) continue;
            if (const auto turned = FindFolderIgnoringCase(fs, folder + name, "sideways")) {
              for (std::string& file : PicturesIn(fs, folder + name + "/" + *turned)) {
                sideways.insert(std::move(file));
              }
            }
          }
          const auto unaccounted = [&](const std::string& copies, const std::set<std::string>& of) {
            for (const std::string& file : PicturesIn(fs, folder + copies)) {
              if (!of.contains(file)) found.push_back(folder + copies + file);
            }
          };
          unaccounted("", originals);
          unaccounted("Thumb/", originals);
          unaccounted("640/", originals);
          unaccounted("640/sideways/", make_640 ? sideways : std::set<std::string>{});
        });
  if (what == Unaccounted::kPages) {
    const std::string folder = WithSlash(source);
    try {
      for (const std::string& name : fs.ListEntries(folder)) {
        if (NumberedPage(name) > session.state.PageCount && fs.IsFile(folder + name)) {
          found.push_back(folder + name);
        }
      }
    } catch (...) {
    }
  }
  return found;
}

void PruneAlbum(Session& session, const std::string& source, Unaccounted what) {
  const std::string done = session.options.check ? "--prune would remove: " : "Removed ";
  for (const std::string& path : UnaccountedFiles(session, source, what)) {
    if (ShowOnFailure(session.window, path, [&] { session.fs.RemoveFile(path); })) {
      PassOver([&] { session.window.Report(done + path); });
    }
  }
}

}  // namespace snapnook
