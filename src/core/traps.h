// The program's three ways of handling a failure, written once each.
#pragma once

#include <exception>
#include <string>

#include "core/error.h"
#include "core/main_window.h"

namespace snapnook {

/// Runs one step; a failure inside it is passed over without a message and the caller goes on.
/// Used for the steps of a run and of an album build, and around single operations whose
/// errors are ignored (creating output folders, copying the viewer pages). Returns whether the
/// step completed.
template <class Step>
bool PassOver(Step&& step) {
  try {
    step();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

/// The title of the walk's error message.
inline constexpr const char* kUnexpectedErrorTitle = "Unexpected Error";

/// Shows the walk's message for `error`: "Error: N - description", titled "Unexpected Error",
/// OK only, no icon.
inline void ShowUnexpectedError(MainWindow& window, const SnapError& error) {
  window.ShowMessage(WalkErrorText(error), kUnexpectedErrorTitle, kMsgOkOnly);
}

}  // namespace snapnook
