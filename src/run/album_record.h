// The album's record: what Snapnook wrote into the album and what each file was made from, kept
// in the album folder as `.snapnook.sqlite`. --prune removes only what it lists, unchanged since;
// --update remakes what it says was made from something else.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "core/album_files.h"

struct sqlite3;

namespace snapnook {

/// The record's file name in the album folder.
inline constexpr const char* kRecordName = ".snapnook.sqlite";

/// What a run was asked for, kept for the next run: the texts and the boxes.
struct LastRun {
  std::string title, copyright, copyright_link;
  bool create_jpg = true, create_640 = true, create_html = true;
  std::string album;  // what shaped the album beyond the boxes ("classic", ...)
};

/// The record of one album, read whole when it is opened and written as the run goes: a file is
/// told to it after it is put in place (AlbumFiles does so) and written to disk in a
/// transaction, at least every second and at Flush. A run that ends at any point leaves a record
/// that lists only files that were put in place; a file it does not list is not Snapnook's.
class AlbumRecord : public WriteRecord {
 public:
  /// How a run opens the record: to keep it, or (a check) to read it only.
  enum class Mode { kWrite, kReadOnly };

  /// Opens the record of the album folder `album`, or starts an empty one when it has none (in
  /// kWrite mode the file is made with the first flush). A record that cannot be read (not a
  /// database, damaged, made by a later version) is never trusted: in kWrite mode it is set
  /// aside under a new name (`.snapnook.sqlite.damaged`, `.damaged-2`, ...) and an empty record
  /// is started; in kReadOnly mode it is left where it is and an empty record is used. Either
  /// way `problem` is set to a sentence saying so. Throws SnapError when the record cannot be
  /// opened at all (kWrite: the album folder cannot be written).
  static std::unique_ptr<AlbumRecord> Open(const std::string& album, Mode mode,
                                           std::string& problem);

  /// The last run of the album as its record keeps it; nothing when there is no record, or
  /// it cannot be read. Writes nothing, never throws.
  static std::optional<LastRun> ReadLastRun(const std::string& album);

  ~AlbumRecord() override;
  AlbumRecord(const AlbumRecord&) = delete;
  AlbumRecord& operator=(const AlbumRecord&) = delete;

  /// Whether the album had a record (a readable one) before this run.
  bool existed() const { return existed_; }
  /// The last run before this one, when the record holds one.
  const std::optional<LastRun>& last_run() const { return last_run_; }
  /// This run, for the next one.
  void SetLastRun(const LastRun& run);
  /// Every file the record lists, by path relative to the album folder.
  const std::map<std::string, RecordedFile>& files() const { return files_; }

  void Written(const std::string& path, const FileStamp& stamp, const Origin& origin) override;
  void Removed(const std::string& path) override;
  std::optional<RecordedFile> Find(const std::string& path) const override;

  /// Writes what is pending in one transaction. Throws SnapError (75, naming the record) when
  /// it cannot, and so does every later Flush: what was not written is not Snapnook's.
  void Flush();

 private:
  AlbumRecord(std::string path, Mode mode);
  void Load();
  void MaybeFlush();

  std::string path_;
  Mode mode_;
  sqlite3* db_ = nullptr;
  bool existed_ = false;
  std::optional<LastRun> last_run_;
  std::map<std::string, RecordedFile> files_;
  // Written since the last flush: an entry, or nothing for a file removed.
  std::map<std::string, std::optional<RecordedFile>> pending_;
  std::optional<LastRun> pending_run_;
  std::chrono::steady_clock::time_point last_flush_;
  std::optional<std::string> failure_;  // why flushing stopped
};

}  // namespace snapnook
