#include "run/startup.h"

#include <chrono>
#include <cmath>

#include "core/config.h"
#include "core/traps.h"

namespace snapnook {

double SteadySeconds() {
  const auto since_epoch = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration<double>(since_epoch).count();
}

void SetDefaults(RunState& state, StartupWindow& window) {
  state.LoadedCopyrightLink = std::string(kMakerWebSite);
  state.ProductName = std::string(kProductName);
  window.SetCopyrightText(std::string(kMakerName));
  window.SetCopyrightLinkText(state.LoadedCopyrightLink);
}

void LoadSettings(RunState& state, SettingsStore& settings, StartupWindow& window) {
  const std::string holder =
      settings.Read(kSettingsApp, kSettingsSection, kSettingsCopyright, kSettingsAbsent);
  if (holder != kSettingsAbsent) window.SetCopyrightText(holder);

  const std::string link =
      settings.Read(kSettingsApp, kSettingsSection, kSettingsCopyrightLink, kSettingsAbsent);
  if (link != kSettingsAbsent) {
    state.LoadedCopyrightLink = link;
    window.SetCopyrightLinkText(link);
  }

  const std::string modern =
      settings.Read(kSettingsApp, kSettingsSection, kSettingsModern, kSettingsAbsent);
  if (modern != kSettingsAbsent) window.SetModernChecked(modern == "1");
}

void WaitForSplash(RunState& state, const SecondsClock& clock, StartupWindow& window) {
  // std::nearbyint rounds halves to even in the default rounding mode.
  double now = clock();
  const double deadline = std::nearbyint(now + 2.0);
  while (now < deadline) {
    if (state.SplashDismissed) return;
    window.SplashWaitTurn();
    now = clock();
  }
}

void StartUp(RunState& state, SettingsStore& settings, StartupWindow& window,
             const SecondsClock& clock) {
  SetDefaults(state, window);
  LoadSettings(state, settings, window);
  window.SetCaption(state.ProductName);
  window.ShowSplash();
  window.SetBusyPointer(true);
  if (!state.SplashDismissed) {
    WaitForSplash(state, clock, window);
    PassOver([&] { window.CloseSplash(); });
  }
  window.SetBusyPointer(false);
}

}  // namespace snapnook
