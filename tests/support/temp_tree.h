// Temporary folder trees for tests, and a settings store in memory.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/settings_store.h"

namespace snapnook::testing {

/// Makes what one line of a tree listing names, below `root`: "PATH/" a folder, "PATH WxH" a
/// JPEG of W x H pixels, any other "PATH" a file holding its own path (folders are made as
/// needed). In PATH, "\xHH" is the byte HH and "{1..N}" makes N entries, numbered 1 to N.
void AddToTree(const std::string& root, const std::string& line);
/// `text` with each "\xHH" replaced by the byte HH.
std::string Unescaped(std::string text);
/// The whole content of the file `path`; empty when it cannot be read.
std::string ReadWhole(const std::filesystem::path& path);
/// The same, as bytes.
std::vector<unsigned char> ReadBytes(const std::filesystem::path& path);

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
  std::string Path(const std::string& relative) const {
    return relative.empty() ? root_ : root_ + "/" + relative;
  }

  /// Creates a folder and its parents.
  void MakeDir(const std::string& relative) const {
    std::filesystem::create_directories(Path(relative));
  }
  /// Writes a file (creating its folder).
  void WriteFile(const std::string& relative, const std::string& bytes) const;
  std::string ReadFile(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  /// Every regular file below the root, as sorted relative paths.
  std::vector<std::string> Files() const;
  /// Relative path -> content of every regular file below `relative` (links not followed).
  std::map<std::string, std::string> Snapshot(const std::string& relative = "") const;

 private:
  std::string root_;
};

/// A settings store in memory. Each write is also appended to `*log`, when set, as
/// "store KEY VALUE".
class MemorySettings : public SettingsStore {
 public:
  std::map<std::string, std::string> values;  // "app/section/key" -> value
  std::vector<std::string>* log = nullptr;

  std::string Read(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& fallback) override {
    const auto it = values.find(app + "/" + section + "/" + key);
    return it == values.end() ? fallback : it->second;
  }
  void Write(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override {
    values[app + "/" + section + "/" + key] = value;
    if (log) log->push_back("store " + key + " " + value);
  }
};

}  // namespace snapnook::testing
