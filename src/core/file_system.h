// The file-system seam: every listing, read and write of the program goes through it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
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

/// When a file's content and its entry last changed, in nanoseconds since the epoch.
struct FileTimes {
  std::int64_t modified = 0;  // the content
  std::int64_t changed = 0;   // the content or the entry (renamed, replaced, permissions)
};

/// Holds a folder for one run: another run asking for the same folder is refused until this
/// one is destroyed, or until its process ends, however it ends.
class FolderLock {
 public:
  virtual ~FolderLock() = default;
};

/// Every operation on files and folders that the program makes. Paths are byte strings.
/// Operations that fail throw SnapError with the numbers of error.h, naming the path.
///
/// Every write goes through this class's own CreateDirectory, CreateFile and RemoveFile, which
/// guard the originals: nothing is created, written or removed at or below a folder of originals
/// (a folder whose name ends with "BIG" in any letter case) from the album folder down, whatever
/// a caller takes the folder for. Such a write throws error 70 "Permission denied: FOLDER is an
/// original picture folder". The folders are judged by the path as written and by the path its
/// links lead to; a path outside the album folder (by its text, or where its links lead) is
/// judged whole. Before SetAlbumFolder (or after ClearAlbumFolder), every path is judged whole.
/// Implementations provide the unguarded operations (Do...).
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

  /// The whole content of a file.
  virtual std::vector<unsigned char> ReadFile(const std::string& path) = 0;
  /// The whole content of a file of at most `most` bytes. A larger file is not read (or not
  /// read on, when it grows while being read): error 7 "Out of memory: PATH", as holding it
  /// would exceed what the caller may hold. This one reads the file whole first; a file
  /// system that can tell a file's size before reading it says so instead.
  virtual std::vector<unsigned char> ReadFileWithin(const std::string& path, std::uint64_t most);

  /// The times of a file (following links), or nothing when it cannot be examined. Never
  /// throws.
  virtual std::optional<FileTimes> Times(const std::string& path) = 0;

  /// Whether this process may create and remove entries in the folder `folder`. Never throws.
  virtual bool Writable(const std::string& folder) = 0;
  /// The bytes free for this process on the file system that holds `path`, or nothing when it
  /// cannot be told. Never throws.
  virtual std::optional<std::uint64_t> FreeSpace(const std::string& path) = 0;

  /// `path` made absolute, with every link resolved as far as the path exists; the part that
  /// does not exist is appended as written. Never throws.
  virtual std::string ResolvedPath(const std::string& path) = 0;

  /// Locks `folder` for a run (see FolderLock). Returns nothing when another run holds it. A
  /// folder that cannot be opened gives a lock that holds nothing (the run then fails on the
  /// folder itself).
  virtual std::unique_ptr<FolderLock> LockFolder(const std::string& folder) = 0;

  /// The album folder: folders of originals are looked for from it down (its own name
  /// included). Starts the run's writes afresh (see SweepTemporaries).
  void SetAlbumFolder(const std::string& folder);
  void ClearAlbumFolder();

  /// Throws error 70 when a write into `folder` would touch originals (see the class).
  void GuardOriginals(const std::string& folder);
  /// Whether a write into `folder` would touch originals. Never throws.
  bool HoldsOriginals(const std::string& folder);

  /// Creates one folder; an existing folder is no error.
  void CreateDirectory(const std::string& path);
  /// Starts writing `path` (see OutputFile). Throws when the temporary file cannot be made.
  std::unique_ptr<OutputFile> CreateFile(const std::string& path);
  /// Removes one file (not a folder).
  void RemoveFile(const std::string& path);
  /// Writes a whole file in one go, atomically.
  void WriteFile(const std::string& path, std::span<const unsigned char> bytes);
  /// Copies a file, replacing the target atomically.
  void CopyFile(const std::string& from, const std::string& to);

 protected:
  virtual void DoCreateDirectory(const std::string& path) = 0;
  virtual std::unique_ptr<OutputFile> DoCreateFile(const std::string& path) = 0;
  virtual void DoRemoveFile(const std::string& path) = 0;
  /// Called before the first file of a run is written into `folder`: removes what unfinished
  /// writes of processes that have ended left there. Never throws.
  virtual void SweepTemporaries(const std::string& folder) { (void)folder; }

 private:
  std::optional<std::string> OriginalsFolderFor(const std::string& folder);

  std::string album_;            // as written, absolute
  std::string album_real_;       // with links resolved
  std::set<std::string> swept_;  // folders written into since the album was set
};

/// The file system of the machine, through POSIX calls. Temporary files are named
/// ".snapnook-PID-N.tmp" after the writing process.
class RealFileSystem : public FileSystem {
 public:
  std::vector<std::string> ListEntries(const std::string& folder) override;
  std::vector<std::string> ListFiles(const std::string& folder, std::string_view pattern) override;
  bool IsDirectory(const std::string& path) override;
  bool IsFile(const std::string& path) override;
  std::optional<FileId> Identity(const std::string& path) override;
  std::vector<unsigned char> ReadFile(const std::string& path) override;
  std::vector<unsigned char> ReadFileWithin(const std::string& path, std::uint64_t most) override;
  std::optional<FileTimes> Times(const std::string& path) override;
  bool Writable(const std::string& folder) override;
  std::optional<std::uint64_t> FreeSpace(const std::string& path) override;
  std::string ResolvedPath(const std::string& path) override;
  std::unique_ptr<FolderLock> LockFolder(const std::string& folder) override;

 protected:
  void DoCreateDirectory(const std::string& path) override;
  std::unique_ptr<OutputFile> DoCreateFile(const std::string& path) override;
  void DoRemoveFile(const std::string& path) override;
  void SweepTemporaries(const std::string& folder) override;
};

/// The folder of originals that a write into `folder` would touch, judged on the text of the
/// paths: the first folder whose name ends with "BIG" in any letter case, from `album`'s own
/// name down to `folder` when `folder` lies in `album`, else along the whole of `folder` (an
/// empty `album` contains nothing). Both paths absolute; "." and ".." are resolved as text.
/// Returns the folder's path, or nothing.
std::optional<std::string> OriginalsFolderOn(std::string_view album, std::string_view folder);

/// True when `name` matches `pattern`: "*" any run, "?" one byte, ASCII letter case ignored.
bool MatchesPattern(std::string_view name, std::string_view pattern);

/// Removes the temporary files of every unfinished write of this process, for a process that is
/// going down at once. Safe in a signal handler: it neither allocates nor locks.
void RemoveTemporariesNow();

/// Whether a name is one of the temporary names OutputFile writes under.
bool IsTemporaryName(std::string_view name);

}  // namespace snapnook
