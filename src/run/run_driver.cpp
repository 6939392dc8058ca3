#include "run/run_driver.h"

#include <string>

#include "album/page_names.h"
#include "core/config.h"
#include "core/traps.h"
#include "pictures/walk.h"
#include "run/album_build.h"
#include "run/prune.h"

namespace snapnook {

// The album folder of a run, for the file system's guard of the originals, while it lasts.
class AlbumFolderScope {
 public:
  AlbumFolderScope(FileSystem& fs, const std::string& folder) : fs_(fs) {
    fs_.SetAlbumFolder(folder);
  }
  ~AlbumFolderScope() { fs_.ClearAlbumFolder(); }
  AlbumFolderScope(const AlbumFolderScope&) = delete;
  AlbumFolderScope& operator=(const AlbumFolderScope&) = delete;

 private:
  FileSystem& fs_;
};

void RunCreatePictures(Session& session, ClosingQuestion closing) {
  RunState& state = session.state;
  MainWindow& window = session.window;
  state.CountingPass = false;

  // From here on a failing step is passed over without a message.
  PassOver([&] {
    const std::string holder = window.Copyright();
    if (holder != kMakerName) {
      session.settings.Write(kSettingsApp, kSettingsSection, kSettingsCopyright, holder);
    }
  });
  PassOver([&] {
    const std::string link = window.CopyrightLink();
    if (link != state.LoadedCopyrightLink) {
      session.settings.Write(kSettingsApp, kSettingsSection, kSettingsCopyrightLink, link);
    }
  });
  PassOver([&] { window.SetButtonEnabled(Button::kCancel, false); });
  PassOver([&] { window.SetButtonEnabled(Button::kLoad, false); });
  PassOver([&] { window.SetButtonEnabled(Button::kHelpAbout, false); });

  auto enable_buttons = [&] {
    PassOver([&] { window.SetButtonEnabled(Button::kLoad, true); });
    PassOver([&] { window.SetButtonEnabled(Button::kHelpAbout, true); });
    PassOver([&] { window.SetButtonEnabled(Button::kCancel, true); });
  };

  const std::string typed = window.SourceDir();
  if (typed.empty()) {
    PassOver([&] { window.ShowMessage(kNoSourcePrompt, kNoSourceTitle, kMsgCritical); });
    enable_buttons();
    return;
  }
  if (!session.fs.IsDirectory(typed)) {
    PassOver([&] { window.ShowMessage(kMissingSourcePrompt, kNoSourceTitle, kMsgCritical); });
    enable_buttons();
    return;
  }
  // From here to the end of the passes, no write reaches a folder of originals.
  AlbumFolderScope album(session.fs, typed);
  if (session.fs.HoldsOriginals(typed)) {
    PassOver([&] { window.ShowMessage(typed + kOriginalsPrompt, kOriginalsTitle, kMsgCritical); });
    enable_buttons();
    return;
  }
  // One run at a time writes an album; the lock goes with the run, or with its process.
  std::unique_ptr<FolderLock> lock = session.fs.LockFolder(typed);
  if (!lock) {
    PassOver([&] { window.ShowMessage(kBusyPrompt, state.ProductName, kMsgCritical); });
    enable_buttons();
    return;
  }

  PassOver([&] { window.SetBusyPointer(true); });
  std::string source = window.SourceDir();
  state.PageCount = 0;

  // The probe: a source folder that cannot be listed runs no pass.
  if (PassOver([&] { session.fs.ListEntries(source); })) {
    PassOver([&] { window.SetBusyPointer(true); });
    state.PicturesOnPage = 0;
    state.CountingPass = true;
    ShowOnFailure(window, source, [&] {
      NoPictureSteps count_only;
      std::string folder = source;
      WalkFolder(session, count_only, folder, std::string(kPicturePattern));
    });
    state.CountingPass = false;
    state.PageCount = PagesFor(state.PicturesOnPage);
    PassOver([&] { window.SetProgressVisible(true); });
    PassOver([&] { window.SetProgressMax(static_cast<float>(state.PicturesOnPage.value())); });
    PassOver([&] { window.SetProgressValue(0); });
    if (window.IsChecked(CheckBox::kCreateJpg)) {
      state.ProgressCount = 0;
      ShowOnFailure(window, source, [&] { BuildAlbum(session); });
    }
    if (session.options.prune) PruneAlbum(session, source, Unaccounted::kCopies);
    if (window.IsChecked(CheckBox::kCreateHtml)) {
      state.ProgressCount = 0;
      PassOver([&] { window.Uncheck(CheckBox::kCreateJpg); });
      ShowOnFailure(window, source, [&] { BuildAlbum(session); });
      if (session.options.prune) PruneAlbum(session, source, Unaccounted::kPages);
    }
  }
  lock.reset();

  PassOver([&] { window.SetBusyPointer(false); });
  PassOver([&] { window.SetProgressVisible(false); });
  if (closing == ClosingQuestion::kAsk) {
    int answer = 0;
    PassOver(
        [&] { answer = window.ShowMessage(kClosingPrompt, kClosingTitle, kMsgQuestionYesNo); });
    if (answer == kMsgAnswerYes) {
      window.EndProgram();
      return;
    }
  }
  enable_buttons();
}

}  // namespace snapnook
