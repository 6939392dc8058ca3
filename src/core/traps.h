// How the program handles a failure, written once each: passing over a step (or a single
// operation) without a message, and showing the failure as the walk's numbered message.
#pragma once

#include <string>

#include "core/error.h"
#include "core/main_window.h"
#include "core/session.h"

namespace snapnook {

/// Runs one step; a failure of any kind inside it is passed over without a message and the
/// caller goes on. Used for the steps of a run and of an album build that must not stop it,
/// and around single operations whose failure the program ignores (creating the output
/// folders, copying the viewer pages, closing the splash). Returns whether the step completed.
/// A RunInterrupted goes through.
template <class Step>
bool PassOver(Step&& step) {
  try {
    step();
    return true;
  } catch (const RunInterrupted&) {
    throw;
  } catch (...) {
    return false;
  }
}

/// The title of the walk's error message.
inline constexpr const char* kUnexpectedErrorTitle = "Unexpected Error";

/// Shows the walk's message for `error`: "Error: N - description", titled "Unexpected Error",
/// OK only, no icon; the run counts it.
inline void ShowUnexpectedError(Session& session, const SnapError& error) {
  ++session.tally.errors;
  session.window.ShowMessage(WalkErrorText(error), kUnexpectedErrorTitle, kMsgOkOnly);
}

/// Runs one step; a failure of any kind inside it is shown as the walk's message (see
/// CurrentFailure; `subject` names what was being worked on) and the caller goes on. Returns
/// whether the step completed. A RunInterrupted goes through.
template <class Step>
bool ShowOnFailure(Session& session, const std::string& subject, Step&& step) {
  try {
    step();
    return true;
  } catch (...) {
    const SnapError error = CurrentFailure(subject);
    PassOver([&] { ShowUnexpectedError(session, error); });
    return false;
  }
}

}  // namespace snapnook
