#include "run/run_driver.h"

#include <optional>
#include <string>

#include "album/page_names.h"
#include "core/config.h"
#include "core/folder_lookup.h"
#include "core/traps.h"
#include "pictures/set_layout.h"
#include "pictures/walk.h"
#include "run/album_build.h"
#include "run/album_record.h"
#include "run/prune.h"

namespace snapnook {

namespace {

// The run's writes, in the session for the run's length.
class FilesScope {
 public:
  FilesScope(Session& session, AlbumFiles& files) : session_(session) { session.files = &files; }
  ~FilesScope() { session_.files = nullptr; }
  FilesScope(const FilesScope&) = delete;
  FilesScope& operator=(const FilesScope&) = delete;

 private:
  Session& session_;
};

}  // namespace

RunOutcome RunCreatePictures(Session& session, ClosingQuestion closing) {
  RunState& state = session.state;
  MainWindow& window = session.window;
  state.CountingPass = false;
  session.tally = {};
  RunOutcome outcome;
  const auto refused = [&](RunOutcome::Ended why) {
    outcome.ended = why;
    outcome.tally = session.tally;
    return outcome;
  };

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
  PassOver([&] {
    // The "Modern album" box, remembered when it changed.
    const bool modern = window.IsChecked(CheckBox::kModern);
    session.options.modern = modern;
    const std::string remembered =
        session.settings.Read(kSettingsApp, kSettingsSection, kSettingsModern, "0");
    if ((remembered == "1") != modern) {
      session.settings.Write(kSettingsApp, kSettingsSection, kSettingsModern, modern ? "1" : "0");
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
    return refused(RunOutcome::Ended::kNoSource);
  }
  if (!session.fs.IsDirectory(typed)) {
    PassOver([&] { window.ShowMessage(kMissingSourcePrompt, kNoSourceTitle, kMsgCritical); });
    enable_buttons();
    return refused(RunOutcome::Ended::kNoSource);
  }
  // A folder of originals, or a folder inside one, is never written into.
  if (LiesInOriginals(session.fs, typed)) {
    PassOver([&] { window.ShowMessage(typed + kOriginalsPrompt, kOriginalsTitle, kMsgCritical); });
    enable_buttons();
    return refused(RunOutcome::Ended::kOriginals);
  }
  // One run at a time writes an album; the lock goes with the run, or with its process.
  std::unique_ptr<FolderLock> lock = session.fs.LockFolder(typed);
  if (!lock) {
    PassOver([&] { window.ShowMessage(kBusyPrompt, state.ProductName, kMsgCritical); });
    enable_buttons();
    return refused(RunOutcome::Ended::kBusy);
  }

  PassOver([&] { window.SetBusyPointer(true); });
  std::string source = window.SourceDir();
  state.PageCount = 0;

  // The album's record: read whole now, written as the run goes (a check only reads it).
  std::unique_ptr<AlbumRecord> record;
  const std::string record_path = WithSlash(typed) + kRecordName;
  std::string problem;
  const auto mode =
      session.options.check ? AlbumRecord::Mode::kReadOnly : AlbumRecord::Mode::kWrite;
  ShowOnFailure(session, record_path, [&] { record = AlbumRecord::Open(typed, mode, problem); });
  if (!problem.empty()) {
    ++session.tally.errors;
    PassOver([&] { window.ShowMessage(problem, kRecordTitle, kMsgCritical); });
  }
  if (record) {
    record->SetLastRun({window.Title(), window.Copyright(), window.CopyrightLink(),
                        window.IsChecked(CheckBox::kCreateJpg),
                        window.IsChecked(CheckBox::kCreate640),
                        window.IsChecked(CheckBox::kCreateHtml), CopiesShapedBy(session.options)});
  }
  // From here to the end of the passes, every write goes through the run's AlbumFiles: none
  // reaches a folder of originals, and the record learns each.
  AlbumFiles files(session.fs, typed, record.get());
  std::optional<FilesScope> in_run(std::in_place, session, files);

  // The probe: a source folder that cannot be listed runs no pass.
  try {
    if (PassOver([&] { session.fs.ListEntries(source); })) {
      PassOver([&] { window.SetBusyPointer(true); });
      state.PicturesOnPage = 0;
      state.CountingPass = true;
      ShowOnFailure(session, source, [&] {
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
        ShowOnFailure(session, source, [&] { BuildAlbum(session); });
      }
      if (session.options.prune) {
        PruneAlbum(session, record.get(), source, Unaccounted::kCopies, {});
      }
      if (window.IsChecked(CheckBox::kCreateHtml)) {
        state.ProgressCount = 0;
        PassOver([&] { window.Uncheck(CheckBox::kCreateJpg); });
        std::vector<std::string> pages;
        // A pass that failed does not know its pages: none is removed for it.
        const bool built = ShowOnFailure(session, source, [&] { pages = BuildAlbum(session); });
        if (session.options.prune && built) {
          PruneAlbum(session, record.get(), source, Unaccounted::kPages, pages);
        }
      }
    }
  } catch (const RunInterrupted& stop) {
    outcome.ended = RunOutcome::Ended::kInterrupted;
    outcome.signal = stop.signal;
  }
  // What was written is recorded, however the passes ended.
  in_run.reset();
  if (record) ShowOnFailure(session, record_path, [&] { record->Flush(); });
  record.reset();
  lock.reset();
  if (outcome.ended == RunOutcome::Ended::kInterrupted) {
    outcome.tally = session.tally;
    return outcome;
  }

  PassOver([&] { window.SetBusyPointer(false); });
  PassOver([&] { window.SetProgressVisible(false); });
  if (closing == ClosingQuestion::kAsk) {
    int answer = 0;
    PassOver(
        [&] { answer = window.ShowMessage(kClosingPrompt, kClosingTitle, kMsgQuestionYesNo); });
    if (answer == kMsgAnswerYes) {
      window.EndProgram();
      outcome.ended = RunOutcome::Ended::kEnded;
      outcome.tally = session.tally;
      return outcome;
    }
  }
  enable_buttons();
  outcome.tally = session.tally;
  return outcome;
}

}  // namespace snapnook
