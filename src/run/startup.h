// Start-up: built-in defaults, the remembered copyright values, the caption and the splash.
#pragma once

#include <functional>
#include <string>

#include "core/run_state.h"
#include "core/settings_store.h"

namespace snapnook {

/// What start-up fills in and shows on the main window. The Qt window implements it; tests
/// implement it with a recording fake.
class StartupWindow {
 public:
  virtual ~StartupWindow() = default;
  virtual void SetCaption(const std::string& text) = 0;
  virtual void SetCopyrightText(const std::string& text) = 0;      // txtCopyright
  virtual void SetCopyrightLinkText(const std::string& text) = 0;  // txtCopyrightLink
  virtual void SetModernChecked(bool checked) { (void)checked; }   // chkModern
  /// Shows the splash without waiting for it. Loading it clears state.SplashDismissed; the
  /// user's key press or frame click sets it and closes the splash.
  virtual void ShowSplash() = 0;
  /// Closes the splash if it is still open; nothing happens when it is already gone.
  virtual void CloseSplash() = 0;
  virtual void SetBusyPointer(bool busy) = 0;
  /// One turn of the event loop while the splash waits, so that pending key presses and
  /// clicks reach the splash.
  virtual void SplashWaitTurn() = 0;
};

/// Seconds on a clock that never goes backwards (any epoch).
using SecondsClock = std::function<double()>;

/// The machine's monotonic clock, in seconds.
double SteadySeconds();

/// The built-in values: the maker's address as LoadedCopyrightLink and link field, the
/// product name, the maker's name as copyright holder.
void SetDefaults(RunState& state, StartupWindow& window);

/// Replaces the defaults with the values remembered in `settings`. A key that is absent, or
/// holds exactly "<empty>", leaves the default in place; a stored empty string is a value. The
/// "Modern album" box is ticked when its key holds "1".
void LoadSettings(RunState& state, SettingsStore& settings, StartupWindow& window);

/// Lets the event loop run until the splash has been up between one and a half and two and a
/// half seconds (the deadline is now + 2 rounded to a whole second, halves to even), or until
/// the user dismisses it.
void WaitForSplash(RunState& state, const SecondsClock& clock, StartupWindow& window);

/// The main window's load handler: defaults, remembered settings, caption, the splash and its
/// wait, with the busy pointer on while waiting.
void StartUp(RunState& state, SettingsStore& settings, StartupWindow& window,
             const SecondsClock& clock);

}  // namespace snapnook
