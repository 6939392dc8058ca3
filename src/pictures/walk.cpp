#include "pictures/walk.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <map>

#include "core/ascii_case.h"
#include "core/config.h"
#include "core/error.h"
#include "core/traps.h"
#include "pictures/folder_kinds.h"
#include "pictures/set_layout.h"

namespace snapnook {
namespace {

void AdvanceProgress(Session& session) {
  ++session.state.ProgressCount;
  // The bar is left where it is once the count reaches its maximum.
  const float count = static_cast<float>(session.state.ProgressCount.value());
  if (session.window.ProgressMax() > count) session.window.SetProgressValue(count);
}

// What one walk does with the folders and pictures it meets.
enum class WalkMode {
  kPass,                // a pass of the run: the counting pass, a derive or an HTML pass
  kCountAlbumPictures,  // counts the pictures lying directly in set folders; shows nothing
};

class Walker {
 public:
  Walker(Session& session, PictureSteps& steps, WalkMode mode)
      : session_(session), steps_(steps), mode_(mode) {}

  int album_pictures = 0;

  void Walk(std::string& folder, const std::string& pattern) {
    if (!folder.ends_with('/')) folder += '/';

    // A folder reached again below itself through a link is not entered.
    const std::optional<FileId> id = session_.fs.Identity(folder);
    if (id && std::find(ancestors_.begin(), ancestors_.end(), *id) != ancestors_.end()) return;
    if (id) ancestors_.push_back(*id);

    // The walk's trap: any failure ends the walk of this folder, after its message; the
    // caller goes on.
    bool big_listed = false;
    std::string at = folder;  // what is being worked on, for the message
    try {
      WalkBody(folder, pattern, big_listed, at);
    } catch (...) {
      const SnapError error = CurrentFailure(at);
      if (mode_ == WalkMode::kPass) PassOver([&] { ShowUnexpectedError(session_, error); });
    }
    if (big_listed) steps_.BigFolderDone(folder);
    if (id) ancestors_.pop_back();
  }

 private:
  void WalkBody(const std::string& folder, const std::string& pattern, bool& big_listed,
                std::string& at) {
    Session& s = session_;
    const bool pass = mode_ == WalkMode::kPass;
    std::vector<std::string> subfolders;
    std::vector<std::string> others;  // the entries that are no folder

    // Every entry of the folder; set folders get their output folders.
    for (const std::string& name : s.fs.ListEntries(folder)) {
      try {
        s.window.DoEvents();
        const std::string path = folder + name;
        at = path;
        if (s.fs.IsDirectory(path)) {
          if (pass && IsSetFolder(name)) {
            if (s.state.CountingPass) ++s.tally.sets;
            // An existing folder is the usual case; any failure here is ignored.
            for (const char* copies : kCopyFolders) {
              PassOver([&] { s.Files().CreateDirectory(path + "/" + copies); });
            }
          }
          subfolders.push_back(name);
          continue;
        }
        others.push_back(name);
        if (path.size() >= PATH_MAX) {
          // Too long a path to examine: a folder or picture there cannot be reached, and
          // passing it over would leave it out of the album unseen.
          throw ErrorFromErrno(ENAMETOOLONG, IoAction::kRead, path);
        }
      } catch (const RunInterrupted&) {
        throw;
      } catch (...) {
        // A system file (".sys") that cannot be examined is passed over.
        if (!name.ends_with(".sys")) throw;
      }
    }
    at = folder;

    // The viewer folder holds for this whole folder, whatever the box shows later.
    const std::string viewer_folder(ViewerFolderFor(s.window.IsChecked(CheckBox::kCreate640)));

    // The modern album takes the pictures phones and editors write, and any folder that holds
    // a folder of originals is a set folder.
    const bool modern = s.options.modern;
    std::vector<std::string> files = s.fs.ListFiles(folder, modern ? "*" : pattern);
    if (modern) {
      std::erase_if(files, [](const std::string& name) { return !IsPictureName(name, true); });
    }
    const bool holds_big = modern && !IsSetFolder(folder) && !IsBigFolder(folder) &&
                           std::any_of(subfolders.begin(), subfolders.end(),
                                       [](const std::string& name) { return IsBigFolder(name); });
    if (pass && holds_big) {
      if (s.state.CountingPass) ++s.tally.sets;
      for (const char* copies : kCopyFolders) {
        PassOver([&] { s.Files().CreateDirectory(folder + copies); });
      }
    }
    const bool set = IsSetFolder(folder) || holds_big;
    const bool big = !set && IsBigFolder(folder);
    if (pass && s.state.CountingPass) {
      CountPassedOver(folder, big, files, others);
      // The run holds the album: what unfinished writes of ended runs left in its folders
      // goes now, whoever left it (never in a folder of originals, which is not written).
      if (std::any_of(others.begin(), others.end(),
                      [](const std::string& name) { return IsTemporaryName(name); })) {
        PassOver([&] { s.Files().SweepTemporaries(folder); });
      }
    }
    if (pass && big && !s.state.CountingPass && !files.empty()) {
      steps_.BigFolderListed(folder, files);
      big_listed = true;
    }
    for (const std::string& file : files) {
      s.window.DoEvents();
      at = folder + file;
      if (!pass) {
        if (set) ++album_pictures;
      } else if (set) {
        s.window.SetStatusText(folder + file);
        if (s.state.CountingPass) continue;
        if (!s.window.IsChecked(CheckBox::kCreateHtml)) continue;
        if (!s.window.IsChecked(CheckBox::kCreateJpg)) AdvanceProgress(s);
        steps_.WritePictureCells(folder, file, viewer_folder);
      } else if (big) {
        s.window.SetStatusText(folder + file);
        if (s.state.CountingPass) {
          ++s.state.PicturesOnPage;
          continue;
        }
        AdvanceProgress(s);
        if (!s.window.IsChecked(CheckBox::kCreateJpg)) continue;
        steps_.DerivePictures(folder, file);
      }
    }
    at = folder;
    if (big_listed) {
      steps_.BigFolderDone(folder);
      big_listed = false;
    }

    for (const std::string& name : subfolders) {
      std::string subfolder = folder + name + "/";
      Walk(subfolder, pattern);
    }
  }

  // Counts, in the counting pass, the files the run passes over in silence, from what the walk
  // has listed: the files of a BIG folder that look like pictures of another kind, and the
  // pictures of its sideways folder that have no upright one.
  void CountPassedOver(const std::string& folder, bool big, const std::vector<std::string>& files,
                       const std::vector<std::string>& others) {
    if (big) {
      for (const std::string& name : others) {
        session_.tally.passed_over +=
            LooksLikePicture(name) && std::find(files.begin(), files.end(), name) == files.end();
      }
      big_files_[folder] = files;
      return;
    }
    const std::string parent = SetFolderOf(folder);
    const auto upright = big_files_.find(parent);
    if (upright == big_files_.end() ||
        !EqualIgnoringCase(folder.substr(parent.size()), "sideways/")) {
      return;
    }
    for (const std::string& name : files) {
      session_.tally.passed_over +=
          std::find(upright->second.begin(), upright->second.end(), name) == upright->second.end();
    }
  }

  Session& session_;
  PictureSteps& steps_;
  WalkMode mode_;
  std::vector<FileId> ancestors_;
  std::map<std::string, std::vector<std::string>> big_files_;  // the counting pass's BIG folders
};

}  // namespace

void WalkFolder(Session& session, PictureSteps& steps, std::string& folder,
                const std::string& pattern) {
  Walker(session, steps, WalkMode::kPass).Walk(folder, pattern);
}

int CountAlbumPictures(Session& session, const std::string& folder, const std::string& pattern) {
  NoPictureSteps none;
  Walker walker(session, none, WalkMode::kCountAlbumPictures);
  std::string start = folder;
  walker.Walk(start, pattern);
  return walker.album_pictures;
}

}  // namespace snapnook
