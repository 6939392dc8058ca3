#include "run/album_record.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <string_view>
#include <utility>

#include "core/error.h"
#include "core/folder_lookup.h"

namespace snapnook {
namespace {

// What the record's file says of itself: this program's record, in this layout.
constexpr int kApplicationId = 0x536e6b31;  // "Snk1"
constexpr int kVersion = 1;
// Written to disk at least this often, and whenever this many entries wait.
constexpr auto kFlushEvery = std::chrono::seconds(1);
constexpr size_t kFlushAtMost = 512;

constexpr const char* kSchema = R"(
CREATE TABLE files (
  path BLOB PRIMARY KEY NOT NULL,
  role TEXT NOT NULL,
  size INTEGER NOT NULL,
  modified INTEGER NOT NULL,
  original BLOB NOT NULL,
  original_inode INTEGER NOT NULL,
  original_size INTEGER NOT NULL,
  original_modified INTEGER NOT NULL,
  original_changed INTEGER NOT NULL,
  sideways INTEGER NOT NULL,
  sideways_inode INTEGER NOT NULL,
  sideways_size INTEGER NOT NULL,
  sideways_modified INTEGER NOT NULL,
  sideways_changed INTEGER NOT NULL,
  box_width INTEGER NOT NULL,
  box_height INTEGER NOT NULL,
  options BLOB NOT NULL,
  width INTEGER NOT NULL,
  height INTEGER NOT NULL,
  caption BLOB NOT NULL
) WITHOUT ROWID;
CREATE TABLE album (key TEXT PRIMARY KEY NOT NULL, value BLOB NOT NULL) WITHOUT ROWID;
)";

constexpr std::pair<Origin::Role, const char*> kRoles[] = {
    {Origin::Role::kOther, "other"},
    {Origin::Role::kAlbum, "album"},
    {Origin::Role::kThumbnail, "thumbnail"},
    {Origin::Role::kScreen, "screen"},
    {Origin::Role::kSidewaysScreen, "sideways-screen"},
    {Origin::Role::kPage, "page"},
    {Origin::Role::kViewer, "viewer"}};

const char* RoleName(Origin::Role role) {
  for (const auto& [value, name] : kRoles) {
    if (value == role) return name;
  }
  return "other";
}

Origin::Role RoleNamed(std::string_view name) {
  for (const auto& [value, text] : kRoles) {
    if (name == text) return value;
  }
  throw std::runtime_error("a file of an unknown role: " + std::string(name));
}

// A record that cannot be trusted, and why.
struct Unreadable {
  std::string why;
};

// One prepared statement, finalised when it goes.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) {
      throw Unreadable{sqlite3_errmsg(db)};
    }
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // The next row; false at the end.
  bool Step() {
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    throw Unreadable{sqlite3_errmsg(db_)};
  }
  void Reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
  }
  std::int64_t Int(int column) const { return sqlite3_column_int64(statement_, column); }
  std::string Bytes(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : "";
  }
  void Bind(int index, std::int64_t value) { sqlite3_bind_int64(statement_, index, value); }
  void Bind(int index, const std::string& bytes) {
    sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()),
                      SQLITE_TRANSIENT);
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

void Execute(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string why = error ? error : sqlite3_errmsg(db);
    sqlite3_free(error);
    throw Unreadable{why};
  }
}

std::int64_t PragmaValue(sqlite3* db, const char* pragma) {
  Statement statement(db, pragma);
  return statement.Step() ? statement.Int(0) : 0;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// The numbered error for a record that cannot be written.
SnapError WriteFailure(int code, const std::string& path, const std::string& why) {
  switch (code & 0xff) {
    case SQLITE_FULL:
      return SnapError(kErrDiskFull, "Disk full: " + path);
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
    case SQLITE_AUTH:
      return SnapError(kErrPermissionDenied, "Permission denied: " + path);
    default:
      return SnapError(kErrPathFileAccess, "Path/File access error: " + path + ": " + why);
  }
}

const char* kFlagNames[] = {"jpg", "640", "html"};

}  // namespace

AlbumRecord::AlbumRecord(std::string path, Mode mode)
    : path_(std::move(path)), mode_(mode), last_flush_(std::chrono::steady_clock::now()) {}

AlbumRecord::~AlbumRecord() {
  sqlite3_close_v2(db_);
}

std::unique_ptr<AlbumRecord> AlbumRecord::Open(const std::string& album, Mode mode,
                                               std::string& problem) {
  const std::string path = WithSlash(album) + kRecordName;
  std::unique_ptr<AlbumRecord> record(new AlbumRecord(path, mode));
  if (!Exists(path)) return record;
  try {
    record->Load();
    return record;
  } catch (const Unreadable& unreadable) {
    sqlite3_close_v2(record->db_);
    record->db_ = nullptr;
    record->files_.clear();
    record->last_run_.reset();
    record->existed_ = false;
    if (mode == Mode::kReadOnly) {
      problem = "The album's record " + path + " cannot be read (" + unreadable.why +
                "): a run sets it aside and starts a new one.";
      return record;
    }
    // Set aside, with its journal, so that nothing of it is applied to the new record.
    std::string aside = path + ".damaged";
    for (int n = 2; Exists(aside) || Exists(aside + "-journal"); ++n) {
      aside = path + ".damaged-" + std::to_string(n);
    }
    if (std::rename(path.c_str(), aside.c_str()) != 0) {
      throw ErrorFromErrno(errno, IoAction::kWrite, path);
    }
    if (Exists(path + "-journal"))
      std::rename((path + "-journal").c_str(), (aside + "-journal").c_str());
    problem = "The album's record " + path + " cannot be read (" + unreadable.why +
              "): it is kept as " + aside +
              " and a new one is started. Until then, --prune removes nothing it made before.";
    return record;
  }
}

std::optional<LastRun> AlbumRecord::ReadLastRun(const std::string& album) {
  std::string problem;
  try {
    const std::unique_ptr<AlbumRecord> record = Open(album, Mode::kReadOnly, problem);
    return record->last_run();
  } catch (const std::exception&) {
    return std::nullopt;  // the run itself tells what is wrong with the record
  }
}

void AlbumRecord::Load() {
  const int flags = mode_ == Mode::kReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (sqlite3_open_v2(path_.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    throw Unreadable{db_ ? sqlite3_errmsg(db_) : "cannot be opened"};
  }
  sqlite3_extended_result_codes(db_, 1);
  const std::int64_t application = PragmaValue(db_, "PRAGMA application_id");
  const std::int64_t version = PragmaValue(db_, "PRAGMA user_version");
  const std::int64_t tables = PragmaValue(db_, "SELECT count(*) FROM sqlite_schema");
  // An empty file is a record that a run began and never wrote to: nothing of it is lost.
  if (application == 0 && version == 0 && tables == 0) return;
  if (application != kApplicationId) throw Unreadable{"not an album record"};
  if (version > kVersion) throw Unreadable{"made by a later version of Snapnook"};
  if (version < 1) throw Unreadable{"an unknown layout"};
  {
    Statement check(db_, "PRAGMA quick_check");
    if (!check.Step() || check.Bytes(0) != "ok") throw Unreadable{"damaged"};
  }
  try {
    Statement rows(db_,
                   "SELECT path, role, size, modified, original, original_inode, original_size, "
                   "original_modified, original_changed, sideways, sideways_inode, "
                   "sideways_size, sideways_modified, sideways_changed, box_width, box_height, "
                   "options, width, height, caption FROM files");
    while (rows.Step()) {
      RecordedFile file;
      file.stamp = {static_cast<std::uint64_t>(rows.Int(2)), rows.Int(3)};
      Origin& origin = file.origin;
      origin.role = RoleNamed(rows.Bytes(1));
      origin.original = rows.Bytes(4);
      origin.original_file = {static_cast<std::uint64_t>(rows.Int(5)),
                              static_cast<std::uint64_t>(rows.Int(6)),
                              {rows.Int(7), rows.Int(8)}};
      if (rows.Int(9) != 0) {
        origin.sideways = SourceFile{static_cast<std::uint64_t>(rows.Int(10)),
                                     static_cast<std::uint64_t>(rows.Int(11)),
                                     {rows.Int(12), rows.Int(13)}};
      }
      origin.box_width = static_cast<int>(rows.Int(14));
      origin.box_height = static_cast<int>(rows.Int(15));
      origin.options = rows.Bytes(16);
      origin.width = static_cast<int>(rows.Int(17));
      origin.height = static_cast<int>(rows.Int(18));
      origin.caption = rows.Bytes(19);
      files_[rows.Bytes(0)] = std::move(file);
    }
    Statement album(db_, "SELECT key, value FROM album");
    std::map<std::string, std::string> values;
    while (album.Step()) values[album.Bytes(0)] = album.Bytes(1);
    if (values.contains("title")) {
      LastRun run;
      run.title = values["title"];
      run.copyright = values["copyright"];
      run.copyright_link = values["copyright_link"];
      const std::string& boxes = values["boxes"];
      run.create_jpg = boxes.find(kFlagNames[0]) != std::string::npos;
      run.create_640 = boxes.find(kFlagNames[1]) != std::string::npos;
      run.create_html = boxes.find(kFlagNames[2]) != std::string::npos;
      run.album = values["album"];
      last_run_ = run;
    }
  } catch (const std::runtime_error& error) {
    throw Unreadable{error.what()};
  }
  existed_ = true;
}

void AlbumRecord::SetLastRun(const LastRun& run) {
  pending_run_ = run;
}

void AlbumRecord::Written(const std::string& path, const FileStamp& stamp, const Origin& origin) {
  RecordedFile file{stamp, origin};
  files_[path] = file;
  pending_[path] = std::move(file);
  MaybeFlush();
}

void AlbumRecord::Removed(const std::string& path) {
  files_.erase(path);
  pending_[path] = std::nullopt;
  MaybeFlush();
}

std::optional<RecordedFile> AlbumRecord::Find(const std::string& path) const {
  const auto found = files_.find(path);
  if (found == files_.end()) return std::nullopt;
  return found->second;
}

void AlbumRecord::MaybeFlush() {
  if (pending_.size() < kFlushAtMost &&
      std::chrono::steady_clock::now() - last_flush_ < kFlushEvery) {
    return;
  }
  try {
    Flush();
  } catch (const SnapError&) {
    // Kept in failure_: the run's last Flush shows it.
  }
}

void AlbumRecord::Flush() {
  if (failure_) throw SnapError(kErrPathFileAccess, *failure_);
  last_flush_ = std::chrono::steady_clock::now();
  if (mode_ == Mode::kReadOnly) {
    pending_.clear();
    pending_run_.reset();
    return;
  }
  // A record is made once there is a file to list in it.
  if (pending_.empty() && (!pending_run_ || db_ == nullptr)) return;
  try {
    if (db_ == nullptr) {
      const int opened =
          sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
      if (opened != SQLITE_OK) {
        const std::string why = db_ ? sqlite3_errmsg(db_) : "cannot be made";
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw WriteFailure(opened, path_, why);
      }
      sqlite3_extended_result_codes(db_, 1);
    }
    Execute(db_, "BEGIN IMMEDIATE");
    try {
      if (PragmaValue(db_, "SELECT count(*) FROM sqlite_schema") == 0) {
        Execute(db_, kSchema);
        Execute(db_, ("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
        Execute(db_, ("PRAGMA user_version = " + std::to_string(kVersion)).c_str());
      }
      Statement put(
          db_,
          "INSERT OR REPLACE INTO files VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
          "?, ?, ?, ?, ?, ?)");
      Statement drop(db_, "DELETE FROM files WHERE path = ?");
      for (const auto& [path, entry] : pending_) {
        if (!entry) {
          drop.Bind(1, path);
          drop.Step();
          drop.Reset();
          continue;
        }
        const Origin& origin = entry->origin;
        const SourceFile sideways = origin.sideways.value_or(SourceFile{});
        put.Bind(1, path);
        put.Bind(2, std::string(RoleName(origin.role)));
        put.Bind(3, static_cast<std::int64_t>(entry->stamp.size));
        put.Bind(4, entry->stamp.modified);
        put.Bind(5, origin.original);
        put.Bind(6, static_cast<std::int64_t>(origin.original_file.inode));
        put.Bind(7, static_cast<std::int64_t>(origin.original_file.size));
        put.Bind(8, origin.original_file.times.modified);
        put.Bind(9, origin.original_file.times.changed);
        put.Bind(10, std::int64_t{origin.sideways.has_value()});
        put.Bind(11, static_cast<std::int64_t>(sideways.inode));
        put.Bind(12, static_cast<std::int64_t>(sideways.size));
        put.Bind(13, sideways.times.modified);
        put.Bind(14, sideways.times.changed);
        put.Bind(15, std::int64_t{origin.box_width});
        put.Bind(16, std::int64_t{origin.box_height});
        put.Bind(17, origin.options);
        put.Bind(18, std::int64_t{origin.width});
        put.Bind(19, std::int64_t{origin.height});
        put.Bind(20, origin.caption);
        put.Step();
        put.Reset();
      }
      if (pending_run_) {
        Statement value(db_, "INSERT OR REPLACE INTO album VALUES (?, ?)");
        const LastRun& run = *pending_run_;
        std::string boxes;
        for (int i = 0; i < 3; ++i) {
          if ((i == 0 && run.create_jpg) || (i == 1 && run.create_640) ||
              (i == 2 && run.create_html)) {
            boxes += std::string(boxes.empty() ? "" : " ") + kFlagNames[i];
          }
        }
        for (const auto& [key, text] : {std::pair<std::string, std::string>{"title", run.title},
                                        {"copyright", run.copyright},
                                        {"copyright_link", run.copyright_link},
                                        {"boxes", boxes},
                                        {"album", run.album}}) {
          value.Bind(1, key);
          value.Bind(2, text);
          value.Step();
          value.Reset();
        }
      }
      Execute(db_, "COMMIT");
    } catch (...) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
    pending_.clear();
    pending_run_.reset();
  } catch (const Unreadable& unwritable) {
    const SnapError error = WriteFailure(sqlite3_extended_errcode(db_), path_, unwritable.why);
    failure_ = error.description();
    throw error;
  } catch (const SnapError& error) {
    failure_ = error.description();
    throw;
  }
}

}  // namespace snapnook
