// A file system that fails on demand: every operation that can fail is counted, and the N-th
// one, or every one of a kind on a path with a given ending, raises the numbered error a
// chosen errno gives.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/file_system.h"

namespace snapnook::testing::faults {

/// The operations a FaultyFileSystem counts. Copies are counted as their read, file creation,
/// write and commit.
enum class FsOp {
  kListEntries,
  kListFiles,
  kCreateDirectory,
  kReadFile,
  kCreateFile,
  kWrite,
  kCommit
};

const char* FsOpName(FsOp op);

/// One counted operation: what it was and the path it named (the real name for writes).
struct FsCall {
  FsOp op;
  std::string path;
};

/// The machine's file system, with every call passed through, except
/// that the operation numbered `FailAt` (counting from 1) throws the error that errno `err`
/// gives for its path, through ErrorFromErrno, instead of doing anything. A failed write or
/// commit behaves as the real one does afterwards: the temporary file is gone, and the file
/// refuses every further write.
///
/// Counting is in call order and safe from any thread, but only calls made on one thread come
/// in a repeatable order: tests that walk over every operation run with one job.
class FaultyFileSystem : public RealFileSystem {
 public:
  /// The operation numbered `n` (from 1) fails with `err`; 0 means none does. Restarts the
  /// count and the record.
  void FailAt(long n, int err);
  /// No operation fails by its number; restarts the count and the record.
  void FailNever() { FailAt(0, 0); }
  /// Besides the count, every operation of kind `op` on a path that ends with `suffix` fails
  /// with `err`, from now on.
  void FailOn(FsOp op, const std::string& suffix, int err);

  /// Every counted operation since the last FailAt, in order.
  std::vector<FsCall> calls() const;
  /// The operation that was made to fail, once it was reached.
  std::optional<FsCall> failed() const;
  /// The error the failed operation raised, once it was reached.
  std::optional<SnapError> failure() const;

  std::vector<std::string> ListEntries(const std::string& folder) override;
  std::vector<std::string> ListFiles(const std::string& folder, std::string_view pattern) override;
  std::vector<unsigned char> ReadFile(const std::string& path) override;

  /// Counts one operation; throws the injected error when it is the one to fail. Used by the
  /// output files too.
  void Count(FsOp op, const std::string& path, IoAction action);

 protected:
  void DoCreateDirectory(const std::string& path) override;
  std::unique_ptr<OutputFile> DoCreateFile(const std::string& path) override;

 private:
  mutable std::mutex mutex_;
  long fail_at_ = 0;
  int errno_ = 0;
  std::vector<FsCall> calls_;
  std::optional<FsCall> failed_;
  std::optional<SnapError> failure_;
  struct Rule {
    FsOp op;
    std::string suffix;
    int err;
  };
  std::vector<Rule> rules_;
};

}  // namespace snapnook::testing::faults
