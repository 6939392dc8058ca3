// The run driver: what "Create Pictures" does.
#pragma once

#include "core/session.h"

namespace snapnook {

inline constexpr const char* kNoSourceTitle = "No Source Directory";
inline constexpr const char* kNoSourcePrompt = "Souce directory must be specified.";
inline constexpr const char* kMissingSourcePrompt = "Source directory does not exist.";
inline constexpr const char* kOriginalsTitle = "Original Picture Folder";
inline constexpr const char* kOriginalsPrompt =
    " is an original picture folder: choose the folder that holds the picture sets.";
inline constexpr const char* kBusyPrompt = "Busy: another Snapnook run is writing this album.";
inline constexpr const char* kClosingTitle = "HTML was created successfully";
inline constexpr const char* kClosingPrompt = "Do you want to exit the program?";
inline constexpr const char* kRecordTitle = "Album Record";

/// How a run asks the closing question.
enum class ClosingQuestion { kAsk, kSkip };

/// How a run ended, and what it did.
struct RunOutcome {
  enum class Ended {
    kRan,          // its passes ran (errors may have been shown: see tally.errors)
    kNoSource,     // refused: the source field is empty or names no folder
    kOriginals,    // refused: the source folder is, or lies in, a folder of originals
    kBusy,         // refused: another run is writing the album
    kInterrupted,  // stopped by the user or a signal (`signal`, 0 for the window)
    kEnded,        // the user answered Yes to the closing question: the program ends
  };
  Ended ended = Ended::kRan;
  int signal = 0;
  RunTally tally;
};

/// One whole "Create Pictures" run: stores the copyright values when they changed, disables
/// the three command buttons, counts the pictures, sets PageCount and the progress range,
/// runs the album builds the check boxes ask for, asks whether to leave the program (ending it
/// on Yes) and enables the buttons again.
///
/// No pass runs, and nothing is written, for an empty source field, a source folder that does
/// not exist, one that is (or lies in) a folder of originals, or one that another run is
/// writing (each with its message). During the passes every write goes through the run's
/// AlbumFiles (session.files), which refuses folders of originals and tells the album's record
/// (kept in the source folder) what was written; with the `prune` option, what the record says
/// no picture accounts for any more is removed. Every failure is handled inside and shown. A
/// stop (RunInterrupted) ends the passes at once, with the run's files whole or unwritten and
/// what was written recorded.
RunOutcome RunCreatePictures(Session& session, ClosingQuestion closing = ClosingQuestion::kAsk);

}  // namespace snapnook
