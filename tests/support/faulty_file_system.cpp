#include "support/faulty_file_system.h"

#include <cerrno>

namespace snapnook::testing::faults {
namespace {

// An output file whose writes and commit are counted. After a failure the inner file is
// dropped (which removes its temporary file), as a real failed write does.
class FaultyOutputFile : public OutputFile {
 public:
  FaultyOutputFile(FaultyFileSystem& fs, std::unique_ptr<OutputFile> inner)
      : fs_(fs), inner_(std::move(inner)), path_(inner_->path()) {}

  void Write(std::string_view bytes) override {
    Guard(FsOp::kWrite);
    inner_->Write(bytes);
  }

  void Commit() override {
    Guard(FsOp::kCommit);
    inner_->Commit();
  }

  const std::string& path() const override { return path_; }

 private:
  void Guard(FsOp op) {
    if (!inner_) throw ErrorFromErrno(EBADF, IoAction::kWrite, path_);
    try {
      fs_.Count(op, path_, IoAction::kWrite);
    } catch (...) {
      inner_.reset();
      throw;
    }
  }

  FaultyFileSystem& fs_;
  std::unique_ptr<OutputFile> inner_;
  std::string path_;
};

}  // namespace

const char* FsOpName(FsOp op) {
  // In FsOp's order.
  static constexpr const char* kNames[] = {
      "ListEntries", "ListFiles", "CreateDirectory", "ReadFile", "CreateFile", "Write", "Commit"};
  return kNames[static_cast<int>(op)];
}

void FaultyFileSystem::FailAt(long n, int err) {
  std::lock_guard lock(mutex_);
  fail_at_ = n;
  errno_ = err;
  calls_.clear();
  failed_.reset();
  failure_.reset();
}

std::vector<FsCall> FaultyFileSystem::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::optional<FsCall> FaultyFileSystem::failed() const {
  std::lock_guard lock(mutex_);
  return failed_;
}

std::optional<SnapError> FaultyFileSystem::failure() const {
  std::lock_guard lock(mutex_);
  return failure_;
}

void FaultyFileSystem::FailOn(FsOp op, const std::string& suffix, int err) {
  std::lock_guard lock(mutex_);
  rules_.push_back({op, suffix, err});
}

void FaultyFileSystem::Count(FsOp op, const std::string& path, IoAction action) {
  std::lock_guard lock(mutex_);
  calls_.push_back({op, path});
  for (const Rule& rule : rules_) {
    if (rule.op == op && path.ends_with(rule.suffix)) throw ErrorFromErrno(rule.err, action, path);
  }
  if (static_cast<long>(calls_.size()) != fail_at_) return;
  failed_ = calls_.back();
  failure_ = ErrorFromErrno(errno_, action, path);
  throw *failure_;
}

std::vector<std::string> FaultyFileSystem::ListEntries(const std::string& folder) {
  Count(FsOp::kListEntries, folder, IoAction::kRead);
  return RealFileSystem::ListEntries(folder);
}

std::vector<std::string> FaultyFileSystem::ListFiles(const std::string& folder,
                                                     std::string_view pattern) {
  Count(FsOp::kListFiles, folder, IoAction::kRead);
  return RealFileSystem::ListFiles(folder, pattern);
}

void FaultyFileSystem::DoCreateDirectory(const std::string& path) {
  Count(FsOp::kCreateDirectory, path, IoAction::kWrite);
  RealFileSystem::DoCreateDirectory(path);
}

std::vector<unsigned char> FaultyFileSystem::ReadFile(const std::string& path) {
  Count(FsOp::kReadFile, path, IoAction::kRead);
  return RealFileSystem::ReadFile(path);
}

std::unique_ptr<OutputFile> FaultyFileSystem::DoCreateFile(const std::string& path) {
  Count(FsOp::kCreateFile, path, IoAction::kWrite);
  return std::make_unique<FaultyOutputFile>(*this, RealFileSystem::DoCreateFile(path));
}

}  // namespace snapnook::testing::faults
