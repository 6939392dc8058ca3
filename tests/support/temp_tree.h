// Temporary folder trees for tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/settings_store.h"

namespace snapnook::testing {

/// A fresh folder under the system's temporary folder, removed with everything in it when the
/// object goes. Paths given to its helpers are relative to it.
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  /// The folder's absolute path, without a trailing "/".
  const std::string& root() const { return root_; }
  /// root() + "/" + relative.
  std::string Path(const std::string& relative) const;

  /// Creates a folder and its parents.
  void MakeDir(const std::string& relative) const;
  /// Writes a file (creating its folder).
  void WriteFile(const std::string& relative, const std::string& bytes) const;
  std::string ReadFile(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  /// Every regular file below the root, as sorted relative paths.
  std::vector<std::string> Files() const;
  /// Relative path -> content of every regular file below `relative`.
  std::map<std::string, std::string> Snapshot(const std::string& relative = "") const;

 private:
  std::string root_;
};

/// A settings store in memory.
class MemorySettings : public SettingsStore {
 public:
  std::map<std::string, std::string> values;  // "app/section/key" -> value
  int writes = 0;

  std::string Read(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& fallback) override;
  void Write(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override;
};

}  // namespace snapnook::testing
