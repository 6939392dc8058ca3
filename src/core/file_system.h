// The file-system seam: every listing, read and write of the program goes through it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace snapnook {

/// A folder's identity on its device, for the walk's cycle guard.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileId&) const = default;
};

/// A file being written. Its bytes go to a temporary name in the target folder; Commit() puts
/// the file in place under its real name in one rename, so a reader never sees a part-written
/// file. Destroying an uncommitted OutputFile removes the temporary file and leaves whatever
/// stood under the real name before.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  /// Appends bytes. Throws SnapError (61 disk full, 70, 75).
  virtual void Write(std::string_view bytes) = 0;
  /// Flushes, closes and renames the file into place. Throws SnapError; after a failure the
  /// temporary file is gone and the old file is untouched.
  virtual void Commit() = 0;
  /// The real name the file will get.
  virtual const std::string& path() const = 0;
};

/// Every operation on files and folders that the program makes. Paths are byte strings.
/// RealFileSystem is the one implementation; tests wrap it to inject faults.
/// Operations that fail throw SnapError with the numbers of error.h, naming the path.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  /// Every entry name of `folder` (dot-files included, "." and ".." not), in natural order.
  virtual std::vector<std::string> ListEntries(const std::string& folder) = 0;

  /// The names of the regular files in `folder` (and links to them) that match `pattern`
  /// ("*" and "?" wildcards, letter case ignored), in natural order.
  virtual std::vector<std::string> ListFiles(const std::string& folder,
                                             std::string_view pattern) = 0;

  /// True when `path` is a folder (or a link to one). Never throws.
  virtual bool IsDirectory(const std::string& path) = 0;
  /// True when `path` is a regular file (or a link to one). Never throws.
  virtual bool IsFile(const std::string& path) = 0;
  /// The folder's identity, or nothing when it cannot be examined. Never throws.
  virtual std::optional<FileId> Identity(const std::string& path) = 0;

  /// Creates one folder; an existing folder is no error.
  virtual void CreateDirectory(const std::string& path) = 0;

  /// The whole content of a file.
  virtual std::vector<unsigned char> ReadFile(const std::string& path) = 0;

  /// Starts writing `path` (see OutputFile). Throws when the temporary file cannot be made.
  virtual std::unique_ptr<OutputFile> CreateFile(const std::string& path) = 0;

  /// Writes a whole file in one go, atomically.
  void WriteFile(const std::string& path, std::span<const unsigned char> bytes);
  /// Copies a file, replacing the target atomically.
  void CopyFile(const std::string& from, const std::string& to);
};

/// The file system of the machine, through POSIX calls.
class RealFileSystem : public FileSystem {
 public:
  std::vector<std::string> ListEntries(const std::string& folder) override;
  std::vector<std::string> ListFiles(const std::string& folder, std::string_view pattern) override;
  bool IsDirectory(const std::string& path) override;
  bool IsFile(const std::string& path) override;
  std::optional<FileId> Identity(const std::string& path) override;
  void CreateDirectory(const std::string& path) override;
  std::vector<unsigned char> ReadFile(const std::string& path) override;
  std::unique_ptr<OutputFile> CreateFile(const std::string& path) override;
};

/// True when `name` matches `pattern`: "*" any run, "?" one byte, ASCII letter case ignored.
bool MatchesPattern(std::string_view name, std::string_view pattern);

/// Whether a name is one of the temporary names OutputFile writes under.
bool IsTemporaryName(std::string_view name);

}  // namespace snapnook
