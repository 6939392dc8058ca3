#include "run/prune.h"

#include <algorithm>
#include <map>
#include <set>

#include "album/page_names.h"
#include "core/config.h"
#include "core/folder_lookup.h"
#include "core/natural_order.h"
#include "core/traps.h"
#include "pictures/folder_kinds.h"
#include "pictures/set_layout.h"
#include "run/album_tree.h"

namespace snapnook {
namespace {

using Role = Origin::Role;

bool IsCopy(Role role) {
  return role == Role::kAlbum || role == Role::kThumbnail || role == Role::kScreen ||
         role == Role::kSidewaysScreen;
}

std::string ParentOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The pictures a folder holds now, or why it cannot tell.
struct Listed {
  std::set<std::string> pictures;
  std::string why_not;  // empty when listed
};

Listed ListPictures(FileSystem& fs, const std::string& folder) {
  Listed listed;
  if (!fs.Stat(folder)) {
    listed.why_not = "BIG folder missing: " + folder;
    return listed;
  }
  try {
    for (std::string& name : fs.ListEntries(folder)) {
      if (fs.IsFile(folder + name)) listed.pictures.insert(std::move(name));
    }
  } catch (...) {
    listed.why_not = "BIG folder cannot be read: " + WalkErrorText(CurrentFailure(folder));
  }
  return listed;
}

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

// The files that look like what no picture accounts for, judged by their names as a run
// before the record did: in each set folder and its copy folders, pictures that no original of
// the same name in the set's BIG folders accounts for; numbered pages above the count.
std::vector<std::string> LookAlikes(Session& session, const std::string& source, Unaccounted what) {
  FileSystem& fs = session.fs;
  std::vector<std::string> found;
  if (what == Unaccounted::kPages) {
    const std::string folder = WithSlash(source);
    try {
      for (const std::string& name : fs.ListEntries(folder)) {
        if (NumberedPage(name) > session.state.PageCount && fs.IsFile(folder + name)) {
          found.push_back(folder + name);
        }
      }
    } catch (const SnapError&) {
      // The run shows a source folder that cannot be listed.
    }
    return found;
  }
  VisitFolders(session, source,
               [&](const std::string& folder, const std::vector<std::string>& entries) {
                 if (!IsSetFolder(folder) || session.Files().HoldsOriginals(folder)) return;
                 const std::set<std::string> originals = OriginalsOf(fs, folder, entries);
                 for (const char* copies : {"", "Thumb/", "640/", "640/sideways/"}) {
                   for (const std::string& file : PicturesIn(fs, folder + copies)) {
                     if (!originals.contains(file)) found.push_back(folder + copies + file);
                   }
                 }
               });
  return found;
}

const std::map<std::string, RecordedFile> kNothing;

// The walk's order of two paths: a folder's files (in natural order) before its subfolders
// (in natural order, each with everything below it).
bool WalkLess(const std::string& a, const std::string& b) {
  const std::string folder_a = ParentOf(a), folder_b = ParentOf(b);
  size_t at = 0;  // the end of the folders' common part
  while (true) {
    const size_t end_a = folder_a.find('/', at), end_b = folder_b.find('/', at);
    if (end_a == std::string::npos || end_b == std::string::npos) {
      if (end_a != end_b) return end_a == std::string::npos;  // the files of the folder first
      return NaturalLess(a.substr(at), b.substr(at));
    }
    const std::string part_a = folder_a.substr(at, end_a - at);
    const std::string part_b = folder_b.substr(at, end_b - at);
    if (part_a != part_b) return NaturalLess(part_a, part_b);
    at = end_a + 1;
  }
}

}  // namespace

std::vector<PruneFinding> PruneFindings(Session& session, const AlbumRecord* record,
                                        const std::string& source, Unaccounted what,
                                        const std::vector<std::string>& pages, bool everything) {
  FileSystem& fs = session.fs;
  const std::string album = WithSlash(source);
  std::vector<PruneFinding> findings;
  std::set<std::string> told;  // the paths of the files found through the record

  // A file the record lists whose source is gone: removed when it is as it was written.
  const auto judge = [&](const std::string& relative, const RecordedFile& file) {
    const std::string path = album + relative;
    told.insert(path);
    const std::optional<FileStat> now = fs.Stat(path);
    if (!now) return;  // gone already
    const bool unchanged = now->is_file && StampOf(*now) == file.stamp;
    findings.push_back({path, unchanged, unchanged ? "" : "changed since it was written"});
  };

  if (what == Unaccounted::kCopies) {
    // The copies the record lists, by the BIG folder of their original.
    std::map<std::string, std::vector<std::pair<std::string, const RecordedFile*>>> by_folder;
    for (const auto& [relative, file] : record ? record->files() : kNothing) {
      if (IsCopy(file.origin.role) && !file.origin.original.empty()) {
        by_folder[ParentOf(file.origin.original)].emplace_back(relative, &file);
      }
    }
    for (const auto& [big, copies] : by_folder) {
      const Listed originals = ListPictures(fs, album + big);
      if (!originals.why_not.empty()) {
        findings.push_back({SetFolderOf(album + big), false, originals.why_not});
        for (const auto& copy : copies) told.insert(album + copy.first);
        continue;
      }
      const std::optional<std::string> sideways_folder = SidewaysFolderOf(fs, album + big);
      const Listed sideways = sideways_folder ? ListPictures(fs, *sideways_folder) : Listed{};
      for (const auto& [relative, file] : copies) {
        const std::string name = NameOf(file->origin.original);
        bool gone = !originals.pictures.contains(name);
        // A sideways screen copy needs its sideways picture too, and the folder to tell.
        if (file->origin.role == Role::kSidewaysScreen && sideways.why_not.empty()) {
          gone = gone || !sideways.pictures.contains(name);
        }
        if (gone) {
          judge(relative, *file);
        } else {
          told.insert(album + relative);
        }
      }
    }
  } else {
    const std::set<std::string> has(pages.begin(), pages.end());
    for (const auto& [relative, file] : record ? record->files() : kNothing) {
      const Role role = file.origin.role;
      if ((role == Role::kPage || role == Role::kViewer) && !has.contains(relative)) {
        judge(relative, file);
      }
    }
  }

  if (everything) {
    for (std::string& path : LookAlikes(session, source, what)) {
      if (!told.contains(path))
        findings.push_back({std::move(path), false, "not written by Snapnook"});
    }
  }
  std::sort(findings.begin(), findings.end(),
            [](const PruneFinding& a, const PruneFinding& b) { return WalkLess(a.path, b.path); });
  return findings;
}

void PruneAlbum(Session& session, const AlbumRecord* record, const std::string& source,
                Unaccounted what, const std::vector<std::string>& pages) {
  const bool check = session.options.check;
  // An album made before its record: nothing of it is known to be Snapnook's.
  const bool known = record != nullptr && record->existed();
  if (!known && what == Unaccounted::kCopies) {
    PassOver([&] {
      session.window.Report(std::string(check ? "--prune would remove" : "--prune removes") +
                            " nothing: the album has no record of what Snapnook wrote before "
                            "this run");
    });
  }
  if (!known && !check) return;
  for (const PruneFinding& found : PruneFindings(session, known ? record : nullptr, source, what,
                                                 pages, /*everything=*/check)) {
    session.window.DoEvents();
    if (!found.remove) {
      // A set kept whole is named by its folder; a check also tells each file it keeps.
      const bool set = found.path.ends_with('/');
      if (!set && !check) continue;
      PassOver([&] {
        session.window.Report((check ? "--prune would keep: " : "Kept: ") + found.path + " (" +
                              found.why + ")");
      });
      continue;
    }
    // A check removes it from its own file system only, so that the pages it goes on to
    // count are those a run would write.
    if (ShowOnFailure(session, found.path, [&] { session.Files().RemoveFile(found.path); })) {
      PassOver([&] {
        session.window.Report((check ? "--prune would remove: " : "Removed ") + found.path);
      });
    }
  }
}

}  // namespace snapnook
