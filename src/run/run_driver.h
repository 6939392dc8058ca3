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

/// How a run asks the closing question.
enum class ClosingQuestion { kAsk, kSkip };

/// One whole "Create Pictures" run: stores the copyright values when they changed, disables
/// the three command buttons, counts the pictures, sets PageCount and the progress range,
/// runs the album builds the check boxes ask for, asks whether to leave the program (ending it
/// on Yes) and enables the buttons again.
///
/// No pass runs, and nothing is written, for an empty source field, a source folder that does
/// not exist, one that is itself a folder of originals, or one that another run is writing
/// (each with its message). During the passes the file system refuses every write into a
/// folder of originals below the source folder. Every failure is handled inside and shown;
/// only RunInterrupted comes out, with the run's files whole or unwritten.
void RunCreatePictures(Session& session, ClosingQuestion closing = ClosingQuestion::kAsk);

}  // namespace snapnook
