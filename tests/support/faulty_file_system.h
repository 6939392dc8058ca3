// A file system that fails on demand: every operation that can fail is counted, and the N-th
// one, or every one of a kind on a path with a given ending, raises the numbered error a
// chosen errno gives.
#pragma once

#include <cerrno>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/file_system.h"

namespace snapnook::testing::faults {

/// The operations a FaultyFileSystem counts. Copies are counted as their read, file creation,
/// write and commit. A commit fails where a kernel reports a failed write on NFS, under a quota
/// or on a full disk: at the file's close(), after every byte was handed over.
enum class FsOp {
  kListEntries,
  kListFiles,
  kCreateDirectory,
  kReadFile,
  kCreateFile,
  kWrite,
  kCommit
};

inline const char* FsOpName(FsOp op) {
  static constexpr const char* kNames[] = {
      "ListEntries", "ListFiles", "CreateDirectory", "ReadFile", "CreateFile", "Write", "Commit"};
  return kNames[static_cast<int>(op)];
}

/// One counted operation: what it was and the path it named (the real name for writes).
struct FsCall {
  FsOp op;
  std::string path;
};

/// The machine's file system, with every call passed through, except that the operation
/// numbered `FailAt` (counting from 1), and every operation a `FailOn` rule names, throws the
/// error that its errno gives for its path, through ErrorFromErrno, instead of doing anything.
/// A failed write or commit behaves as the real one does afterwards: the temporary file is
/// gone, and the file refuses every further write.
///
/// Counting is in call order and safe from any thread, but only calls made on one thread come
/// in a repeatable order: tests that walk over every operation run with one job.
class FaultyFileSystem : public RealFileSystem {
 public:
  /// The operation numbered `n` (from 1) fails with `err`; 0 means none does. Restarts the
  /// count and the record, and drops the FailOn rules.
  void FailAt(long n, int err) {
    std::lock_guard lock(mutex_);
    fail_at_ = n;
    errno_ = err;
    calls_.clear();
    failed_.reset();
    failure_.reset();
    rules_.clear();
  }
  /// Nothing fails any more; restarts the count and the record.
  void FailNever() { FailAt(0, 0); }
  /// Besides the count, every operation of kind `op` on a path that ends with `suffix` fails
  /// with `err`, from now on.
  void FailOn(FsOp op, const std::string& suffix, int err) {
    std::lock_guard lock(mutex_);
    rules_.push_back({{op, suffix}, err});
  }

  /// Every counted operation since the last FailAt, in order.
  std::vector<FsCall> calls() const { return Locked(calls_); }
  /// The operation that was made to fail, once it was reached.
  std::optional<FsCall> failed() const { return Locked(failed_); }
  /// The error the failed operation raised, once it was reached.
  std::optional<SnapError> failure() const { return Locked(failure_); }

  /// Counts one operation; returns the errno it is to fail with, or 0.
  int Counted(FsOp op, const std::string& path, IoAction action) {
    std::lock_guard lock(mutex_);
    calls_.push_back({op, path});
    for (const auto& [rule, err] : rules_) {
      if (rule.op == op && path.ends_with(rule.path)) return err;
    }
    if (static_cast<long>(calls_.size()) != fail_at_) return 0;
    failed_ = calls_.back();
    failure_ = ErrorFromErrno(errno_, action, path);
    return errno_;
  }
  /// Counts one operation; throws the injected error when it is one to fail.
  void Count(FsOp op, const std::string& path, IoAction action) {
    if (const int err = Counted(op, path, action)) throw ErrorFromErrno(err, action, path);
  }

  std::vector<std::string> ListEntries(const std::string& folder) override {
    Count(FsOp::kListEntries, folder, IoAction::kRead);
    return RealFileSystem::ListEntries(folder);
  }
  std::vector<std::string> ListFiles(const std::string& folder, std::string_view pattern) override {
    Count(FsOp::kListFiles, folder, IoAction::kRead);
    return RealFileSystem::ListFiles(folder, pattern);
  }
  std::vector<unsigned char> ReadFile(const std::string& path) override {
    Count(FsOp::kReadFile, path, IoAction::kRead);
    return RealFileSystem::ReadFile(path);
  }
  std::vector<unsigned char> ReadFileWithin(const std::string& path, std::uint64_t most) override {
    Count(FsOp::kReadFile, path, IoAction::kRead);
    return RealFileSystem::ReadFileWithin(path, most);
  }

  /// Its folders count the folders made in them, and the files created and written there.
  std::unique_ptr<WriteFolder> OpenWriteFolder(const std::string& folder) override;

 private:
  template <typename T>
  T Locked(const T& value) const {
    std::lock_guard lock(mutex_);
    return value;
  }

  mutable std::mutex mutex_;
  long fail_at_ = 0;
  int errno_ = 0;
  std::vector<FsCall> calls_;
  std::optional<FsCall> failed_;
  std::optional<SnapError> failure_;
  std::vector<std::pair<FsCall, int>> rules_;  // operations to fail, by path ending, and errno
};

/// Set to an errno, the next close() this thread makes in the program's code closes the file and
/// fails with it (support/failing_close.cpp; the test programs link with --wrap=close).
extern thread_local int next_close_fails_with;

// An output file whose writes and commit are counted. After a failure the inner file is
// dropped (which removes its temporary file), as a real failed write does.
class FaultyOutputFile : public OutputFile {
 public:
  FaultyOutputFile(FaultyFileSystem& fs, std::unique_ptr<OutputFile> inner)
      : fs_(fs), inner_(std::move(inner)), path_(inner_->path()) {}
  void Write(std::string_view bytes) override { Guard(FsOp::kWrite).Write(bytes); }
  FileStamp Commit() override {
    if (!inner_) throw ErrorFromErrno(EBADF, IoAction::kWrite, path_);
    std::unique_ptr<OutputFile> inner = std::move(inner_);  // dropped if the commit fails
    struct Disarm {
      ~Disarm() { next_close_fails_with = 0; }
    } disarm;
    next_close_fails_with = fs_.Counted(FsOp::kCommit, path_, IoAction::kWrite);
    const FileStamp stamp = inner->Commit();
    inner_ = std::move(inner);
    return stamp;
  }
  const std::string& path() const override { return path_; }

 private:
  OutputFile& Guard(FsOp op) {
    if (!inner_) throw ErrorFromErrno(EBADF, IoAction::kWrite, path_);
    std::unique_ptr<OutputFile> inner = std::move(inner_);  // dropped if the operation fails
    fs_.Count(op, path_, IoAction::kWrite);
    inner_ = std::move(inner);
    return *inner_;
  }
  FaultyFileSystem& fs_;
  std::unique_ptr<OutputFile> inner_;
  std::string path_;
};

// A folder whose writes are counted, each by the path it names.
class FaultyFolder : public WriteFolder {
 public:
  FaultyFolder(FaultyFileSystem& fs, std::unique_ptr<WriteFolder> inner)
      : fs_(fs), inner_(std::move(inner)) {}
  const std::string& path() const override { return inner_->path(); }
  FileId id() const override { return inner_->id(); }
  std::unique_ptr<WriteFolder> OpenBelow(const std::string& relative,
                                         const std::string& path) override {
    return std::make_unique<FaultyFolder>(fs_, inner_->OpenBelow(relative, path));
  }
  void MakeFolder(const std::string& name) override {
    fs_.Count(FsOp::kCreateDirectory, PathOf(name), IoAction::kWrite);
    inner_->MakeFolder(name);
  }
  std::unique_ptr<OutputFile> CreateFile(const std::string& name) override {
    fs_.Count(FsOp::kCreateFile, PathOf(name), IoAction::kWrite);
    return std::make_unique<FaultyOutputFile>(fs_, inner_->CreateFile(name));
  }
  void RemoveFile(const std::string& name) override { inner_->RemoveFile(name); }
  void SweepTemporaries() override { inner_->SweepTemporaries(); }

 private:
  std::string PathOf(const std::string& name) const {
    return path().ends_with('/') ? path() + name : path() + "/" + name;
  }
  FaultyFileSystem& fs_;
  std::unique_ptr<WriteFolder> inner_;
};

inline std::unique_ptr<WriteFolder> FaultyFileSystem::OpenWriteFolder(const std::string& folder) {
  return std::make_unique<FaultyFolder>(*this, RealFileSystem::OpenWriteFolder(folder));
}

}  // namespace snapnook::testing::faults
