// The writes of one run: every file and folder a run makes or removes goes through the run's
// AlbumFiles, which keeps the writes away from the originals and tells the album's record what
// was written.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>

#include "core/file_system.h"

namespace snapnook {

/// A file a copy was made from, as it was when the copy was made.
struct SourceFile {
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  FileTimes times;
  bool operator==(const SourceFile& other) const {
    return inode == other.inode && size == other.size && times.modified == other.times.modified &&
           times.changed == other.times.changed;
  }
};

/// What a written file is and what it was made from, kept with it in the album's record.
struct Origin {
  enum class Role {
    kOther,           // a file the record keeps no more about
    kAlbum,           // an album picture, in its set folder
    kThumbnail,       // in Thumb
    kScreen,          // in 640
    kSidewaysScreen,  // in 640/sideways, made from the sideways file
    kPage,            // index.html and the numbered, index and DjVu pages
    kViewer,          // the viewer pages, style sheet and script copied into the album
  };
  Role role = Role::kOther;
  static Origin Of(Role role) {
    Origin origin;
    origin.role = role;
    return origin;
  }
  /// Copies: the original picture (relative to the album folder) and what it was.
  std::string original;
  SourceFile original_file;
  /// Copies of a picture that has a sideways file: that file as it was; nothing for a picture
  /// without one.
  std::optional<SourceFile> sideways;
  /// Copies: the box they were made for, and what else shaped them ("classic", ...).
  int box_width = 0, box_height = 0;
  std::string options;
  /// Copies: their size in pixels as encoded, and the picture's caption.
  int width = 0, height = 0;
  std::string caption;
};

/// A file as the album's record knows it.
struct RecordedFile {
  FileStamp stamp;
  Origin origin;
};

/// The album's record as the run's writes see it. Paths are relative to the album folder.
class WriteRecord {
 public:
  virtual ~WriteRecord() = default;
  /// `path` was put in place as `stamp`, made from `origin`. Never throws.
  virtual void Written(const std::string& path, const FileStamp& stamp, const Origin& origin) = 0;
  /// `path` was removed. Never throws.
  virtual void Removed(const std::string& path) = 0;
  /// What the record holds for `path`, or nothing.
  virtual std::optional<RecordedFile> Find(const std::string& path) const = 0;
};

/// The album one run writes, for that run: the only way to write.
///
/// Nothing is created, written or removed outside the album folder as it resolved when the
/// first write came (links inside it are followed only while they stay inside): such a write
/// throws error 70 "Permission denied: FOLDER is outside the album". The one exception is the
/// folder `beside` (named so, beside the album folder), when one is given.
///
/// Nothing is created, written or removed at or below a folder of originals (a folder whose
/// name ends with "BIG" in any letter case) from the album folder down, whatever a caller takes
/// the folder for: such a write throws error 70 "Permission denied: FOLDER is an original
/// picture folder". The folders are judged by their path as written and as its links lead, and
/// by identity: the folder a write goes into is opened once, its device and inode are checked
/// against every folder at or below a folder of originals in the album (reached through links
/// or mounts too), and the file is made, put in place and removed relative to that open folder.
///
/// A file put in place inside the album folder is told to the record (when there is one) with
/// what it was made from; so is a file removed.
class AlbumFiles {
 public:
  /// `folder` is the album folder; `record` may be null, and must outlive this object.
  AlbumFiles(FileSystem& fs, const std::string& folder, WriteRecord* record,
             const std::string& beside = "");
  ~AlbumFiles();
  AlbumFiles(const AlbumFiles&) = delete;
  AlbumFiles& operator=(const AlbumFiles&) = delete;

  FileSystem& fs() { return fs_; }
  WriteRecord* record() { return record_; }
  /// `path` relative to the album folder (as the record keeps it), or nothing when it lies
  /// outside.
  std::optional<std::string> Relative(const std::string& path) const;

  /// What the record holds of the file `path`, when the file is as it was written (`now` is
  /// what the file system tells of it now); nothing otherwise, or without a record.
  std::optional<RecordedFile> AsWritten(const std::string& path, const FileStat& now) const;

  /// Throws error 70 when a write into `folder` would touch originals (see the class).
  void GuardOriginals(const std::string& folder);
  /// Whether a write into `folder` would touch originals. Never throws.
  bool HoldsOriginals(const std::string& folder);

  /// Opens and judges the folder a write of the file `path` goes into, as the write would (see
  /// the class), so that a failure shows before anything is written. Throws what that write
  /// would, when it is the folder that fails it.
  void CheckWritable(const std::string& path);
  /// Creates one folder; an existing folder is no error.
  void CreateDirectory(const std::string& path);
  /// Starts writing `path` (see OutputFile); its commit records it as made from `origin`.
  std::unique_ptr<OutputFile> CreateFile(const std::string& path, Origin origin = {});
  /// Writes a whole file in one go, atomically.
  void WriteFile(const std::string& path, std::span<const unsigned char> bytes, Origin origin = {});
  /// Copies a file, replacing the target atomically.
  void CopyFile(const std::string& from, const std::string& to, Origin origin = {});
  /// Removes one file (not a folder).
  void RemoveFile(const std::string& path);
  /// Removes, once a run, what unfinished writes of runs that have ended left in `folder` (the
  /// first write into a folder does so too). Throws what opening the folder for a write would.
  void SweepTemporaries(const std::string& folder);

 private:
  std::optional<std::string> OriginalsFolderFor(const std::string& folder);
  // The folder a write into `folder` goes into, opened and judged (see the class); kept open
  // for the next writes (a few dozen at most). A missing folder is "Path not found" naming
  // `subject`, what was to be written there.
  WriteFolder& Folder(const std::string& folder, const std::string& subject);
  WriteFolder& Open(const std::string& folder);
  // The folder above the album, opened once, where the folder beside it is written.
  WriteFolder& Above();

  FileSystem& fs_;
  WriteRecord* record_;
  std::string album_;       // as written, absolute
  std::string album_real_;  // with links resolved
  std::string beside_;      // the folder beside the album that may be written, or empty
  struct Opened;
  std::unique_ptr<Opened> opened_;
};

/// Whether `folder` lies at or below a folder of originals, judged along its whole path as
/// written (made absolute) and along the path its links lead to. Never throws.
bool LiesInOriginals(FileSystem& fs, const std::string& folder);

}  // namespace snapnook
