// The remembered settings in the per-user settings store of the desktop (QSettings).
#pragma once

#include "core/settings_store.h"

namespace snapnook {

/// Reads and writes through QSettings(NativeFormat, UserScope, app): the application name
/// becomes the organisation, the section a group, the key a key.
class QSettingsStore : public SettingsStore {
 public:
  std::string Read(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& fallback) override;
  void Write(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override;
};

}  // namespace snapnook
