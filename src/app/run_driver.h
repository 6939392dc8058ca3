// The run driver: what "Create Pictures" does.
#pragma once

#include "core/session.h"

namespace snapnook {

inline constexpr const char* kNoSourceTitle = "No Source Directory";
inline constexpr const char* kNoSourcePrompt = "Souce directory must be specified.";
inline constexpr const char* kMissingSourcePrompt = "Source directory does not exist.";
inline constexpr const char* kClosingTitle = "HTML was created successfully";
inline constexpr const char* kClosingPrompt = "Do you want to exit the program?";

/// How a run asks the closing question.
enum class ClosingQuestion { kAsk, kSkip };

/// One whole "Create Pictures" run: stores the copyright values when they changed, disables
/// the three command buttons, counts the pictures, sets PageCount and the progress range,
/// runs the album builds the check boxes ask for, asks whether to leave the program (ending it
/// on Yes) and enables the buttons again. Every failure is handled inside.
void RunCreatePictures(Session& session, ClosingQuestion closing = ClosingQuestion::kAsk);

/// The number of numbered pages for `pictures` pictures: ten a page, a part-filled last page
/// counted.
int PagesFor(int pictures);

}  // namespace snapnook
