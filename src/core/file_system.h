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

class SharedReads;

/// A folder's identity on its device, for the walk's cycle guard.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileId&) const = default;
  auto operator<=>(const FileId&) const = default;
};

/// A file as it was written: its size and modification time once it was complete.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // nanoseconds since the epoch
  bool operator==(const FileStamp&) const = default;
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
  /// Flushes, closes and renames the file into place, and tells its size and modification time
  /// as written. Throws SnapError; after a failure the temporary file is gone and the old file
  /// is untouched.
  virtual FileStamp Commit() = 0;
  /// The real name the file will get.
  virtual const std::string& path() const = 0;
};

/// When a file's content and its entry last changed, in nanoseconds since the epoch.
struct FileTimes {
  std::int64_t modified = 0;  // the content
  std::int64_t changed = 0;   // the content or the entry (renamed, replaced, permissions)
};

/// What the file system tells of a file (following links): its identity, size and times.
struct FileStat {
  FileId id;
  std::uint64_t size = 0;
  FileTimes times;
  bool is_file = false;
  bool is_directory = false;
};

/// A file's stamp as `stat` tells it: what to compare with the stamp it had when written.
inline FileStamp StampOf(const FileStat& stat) {
  return {stat.size, stat.times.modified};
}

/// Holds a folder for one run: another run asking for the same folder is refused until this
/// one is destroyed, or until its process ends, however it ends.
class FolderLock {
 public:
  virtual ~FolderLock() = default;
};

/// A folder opened for writing into: every file of a run is created, put in place and removed
/// relative to the open folder, so that what a path leads to cannot change under a write (a
/// link swapped, a folder renamed) once the folder has been judged. Operations throw SnapError
/// (the numbers of error.h), naming the path as the run names it.
class WriteFolder {
 public:
  virtual ~WriteFolder() = default;
  /// The folder's path as the run names it.
  virtual const std::string& path() const = 0;
  /// The folder's identity.
  virtual FileId id() const = 0;
  /// Opens the folder `relative` ("a/b") below this one, named `path`, following links only
  /// while they stay below this folder: one that leads out is error 70 "PATH is outside the
  /// album".
  virtual std::unique_ptr<WriteFolder> OpenBelow(const std::string& relative,
                                                 const std::string& path) = 0;
  /// Creates the folder `name` in it; an existing folder is no error.
  virtual void MakeFolder(const std::string& name) = 0;
  /// Starts writing the file `name` in it (see OutputFile). A name a folder holds cannot be
  /// written, and says so now.
  virtual std::unique_ptr<OutputFile> CreateFile(const std::string& name) = 0;
  /// Removes the file `name` (not a folder).
  virtual void RemoveFile(const std::string& name) = 0;
  /// Removes what unfinished writes of runs that have ended left in it. Never throws.
  virtual void SweepTemporaries() {}
};

/// Every operation on files and folders that the program makes. Paths are byte strings.
/// Operations that fail throw SnapError with the numbers of error.h, naming the path.
///
/// Reads are public. Writes go through folders opened for writing (OpenWriteFolder), and a run
/// makes them only through its AlbumFiles (core/album_files.h), which judges each folder before
/// it writes into it and records what was written.
///
/// The reads of RealFileSystem may be made from several threads at once; SharedReads() gives
/// the view that is safe to read that way for any file system.
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

  /// What `path` is (following links), or nothing when it cannot be examined. Never throws.
  virtual std::optional<FileStat> Stat(const std::string& path) = 0;
  /// The times of a file (following links), or nothing when it cannot be examined. Never
  /// throws.
  std::optional<FileTimes> Times(const std::string& path) {
    const std::optional<FileStat> stat = Stat(path);
    return stat ? std::optional(stat->times) : std::nullopt;
  }

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

  /// The reads of this file system that may be made from several threads at once, as the
  /// derive pool's workers make them.
  virtual SharedReads& Shared() = 0;

  /// Opens the folder `folder` for writing into (links followed). Throws SnapError.
  virtual std::unique_ptr<WriteFolder> OpenWriteFolder(const std::string& folder) = 0;
  /// The identities of every folder at or below a folder of originals (a name ending with
  /// "BIG" in any letter case) below `album`, links followed, each folder once. Never throws:
  /// what cannot be listed is left out.
  virtual std::set<FileId> OriginalsBelow(const std::string& album) = 0;
};

/// The reads a worker thread makes while the run goes on: safe from several threads at once.
class SharedReads {
 public:
  virtual ~SharedReads() = default;
  virtual std::vector<std::string> ListEntries(const std::string& folder) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  virtual bool IsFile(const std::string& path) = 0;
  virtual std::optional<FileStat> Stat(const std::string& path) = 0;
  virtual std::vector<unsigned char> ReadFile(const std::string& path) = 0;
  /// As FileSystem::ReadFileWithin.
  virtual std::vector<unsigned char> ReadFileWithin(const std::string& path,
                                                    std::uint64_t most) = 0;
};

/// The file system of the machine, through POSIX calls, which are safe from any thread.
/// Temporary files are named ".snapnook-PID-TOKEN-N.tmp" after the writing process and a token
/// of its own (process ids repeat, as in a container).
class RealFileSystem : public FileSystem, public SharedReads {
 public:
  std::vector<std::string> ListEntries(const std::string& folder) override;
  std::vector<std::string> ListFiles(const std::string& folder, std::string_view pattern) override;
  bool IsDirectory(const std::string& path) override;
  bool IsFile(const std::string& path) override;
  std::optional<FileId> Identity(const std::string& path) override;
  std::vector<unsigned char> ReadFile(const std::string& path) override;
  std::optional<FileStat> Stat(const std::string& path) override;
  std::vector<unsigned char> ReadFileWithin(const std::string& path, std::uint64_t most) override;
  bool Writable(const std::string& folder) override;
  std::optional<std::uint64_t> FreeSpace(const std::string& path) override;
  std::string ResolvedPath(const std::string& path) override;
  std::unique_ptr<FolderLock> LockFolder(const std::string& folder) override;
  SharedReads& Shared() override { return *this; }
  std::unique_ptr<WriteFolder> OpenWriteFolder(const std::string& folder) override;
  std::set<FileId> OriginalsBelow(const std::string& album) override;
};

/// The folder of originals that a write into `folder` would touch, judged on the text of the
/// paths: the first folder whose name ends with "BIG" in any letter case, from `album`'s own
/// name down to `folder` when `folder` lies in `album`, else along the whole of `folder` (an
/// empty `album` contains nothing). Both paths absolute; "." and ".." are resolved as text.
/// Returns the folder's path, or nothing.
std::optional<std::string> OriginalsFolderOn(std::string_view album, std::string_view folder);

/// `path` made absolute against the working folder, as text (links are not resolved).
std::string AbsolutePath(const std::string& path);
/// `path` made absolute, with empty parts and "." dropped and ".." taken back, as text.
std::string NormalPath(const std::string& path);
/// The folder `path` lies in, by its text: "." for a bare name, "/" for a name in the root.
std::string FolderOf(const std::string& path);
/// The last part of `path`, by its text.
std::string NameOf(const std::string& path);
/// `path` relative to `folder` ("" for the folder itself), judged on their NormalPath text;
/// nothing when `path` does not lie in `folder`.
std::optional<std::string> RelativePath(const std::string& folder, const std::string& path);

/// True when `name` matches `pattern`: "*" any run, "?" one byte, ASCII letter case ignored.
bool MatchesPattern(std::string_view name, std::string_view pattern);

/// Removes the temporary files of every unfinished write of this process, for a process that is
/// going down at once. Safe in a signal handler: it neither allocates nor locks.
void RemoveTemporariesNow();

/// Whether a name is one of the temporary names OutputFile writes under.
bool IsTemporaryName(std::string_view name);

}  // namespace snapnook
