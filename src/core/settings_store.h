// The settings port: the per-user store of the remembered copyright values.
#pragma once

#include <string>

namespace snapnook {

inline constexpr const char* kSettingsApp = "Korvell";
inline constexpr const char* kSettingsSection = "Snapnook";
inline constexpr const char* kSettingsCopyright = "copyright";
inline constexpr const char* kSettingsCopyrightLink = "copyrightLink";
inline constexpr const char* kSettingsModern = "modern";  // "1": the "Modern album" box ticked
/// What a read of an absent key returns; a stored "<empty>" counts as absent too.
inline constexpr const char* kSettingsAbsent = "<empty>";

/// Strings stored per user by application, section and key. Implemented with QSettings in
/// the program and with a map in tests.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  /// The stored value, or `fallback` when the key is absent.
  virtual std::string Read(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& fallback) = 0;
  /// Stores `value`. May throw a SnapError when the store cannot be written.
  virtual void Write(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) = 0;
};

}  // namespace snapnook
