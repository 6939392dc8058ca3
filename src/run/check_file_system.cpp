#include "run/check_file_system.h"

#include <cerrno>
#include <chrono>
#include <functional>

#include "core/error.h"
#include "core/natural_order.h"

namespace snapnook {
namespace {

// A path as a key: no trailing "/", no doubled "/".
std::string Key(std::string_view path) {
  std::string key;
  for (char c : path) {
    if (c != '/' || key.empty() || key.back() != '/') key += c;
  }
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  return key;
}

// The time a check gives every file it writes.
std::int64_t CheckTime() {
  static const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                      std::chrono::system_clock::now().time_since_epoch())
                                      .count();
  return now;
}

// Counts what a write would put on disk; committing remembers the file.
class CountedFile : public OutputFile {
 public:
  CountedFile(std::string path, std::function<void(std::uint64_t)> done)
      : path_(std::move(path)), done_(std::move(done)) {}
  void Write(std::string_view bytes) override { size_ += bytes.size(); }
  FileStamp Commit() override {
    done_(size_);
    return {size_, CheckTime()};
  }
  const std::string& path() const override { return path_; }

 private:
  std::string path_;
  std::function<void(std::uint64_t)> done_;
  std::uint64_t size_ = 0;
};

}  // namespace

bool CheckFileSystem::FolderExists(const std::string& folder) {
  const std::string key = Key(folder);
  return folders_.contains(key) || (!removed_.contains(key) && real_.IsDirectory(folder));
}

void CheckFileSystem::CheckWritable(const std::string& folder, const std::string& path) {
  if (!FolderExists(folder)) throw ErrorFromErrno(ENOENT, IoAction::kWrite, path);
  if (!Writable(folder)) throw ErrorFromErrno(EACCES, IoAction::kWrite, path);
}

std::vector<std::string> CheckFileSystem::ListEntries(const std::string& folder) {
  const std::string key = Key(folder);
  std::vector<std::string> names;
  if (!folders_.contains(key)) names = real_.ListEntries(folder);
  std::erase_if(names,
                [&](const std::string& name) { return removed_.contains(key + "/" + name); });
  const auto add = [&](const std::string& path) {
    if (FolderOf(path) != key) return;
    const std::string name = NameOf(path);
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  };
  for (const std::string& made : folders_) add(made);
  for (const auto& [written, size] : files_) add(written);
  std::sort(names.begin(), names.end(), NaturalLess);
  return names;
}

std::vector<std::string> CheckFileSystem::ListFiles(const std::string& folder,
                                                    std::string_view pattern) {
  std::vector<std::string> files;
  for (std::string& name : ListEntries(folder)) {
    if (MatchesPattern(name, pattern) && IsFile(Key(folder) + "/" + name)) {
      files.push_back(std::move(name));
    }
  }
  return files;
}

bool CheckFileSystem::IsDirectory(const std::string& path) {
  return FolderExists(path);
}

bool CheckFileSystem::IsFile(const std::string& path) {
  const std::string key = Key(path);
  return files_.contains(key) || (!removed_.contains(key) && real_.IsFile(path));
}

std::optional<FileId> CheckFileSystem::Identity(const std::string& path) {
  const std::string key = Key(path);
  if (!folders_.contains(key)) return real_.Identity(path);
  // A folder the check made: an identity no real folder has.
  return FileId{~std::uint64_t{0}, std::hash<std::string>{}(key)};
}

std::vector<unsigned char> CheckFileSystem::ReadFile(const std::string& path) {
  if (files_.contains(Key(path))) return {};
  if (removed_.contains(Key(path))) throw ErrorFromErrno(ENOENT, IoAction::kRead, path);
  return real_.ReadFile(path);
}

std::optional<FileStat> CheckFileSystem::Stat(const std::string& path) {
  const std::string key = Key(path);
  if (const auto written = files_.find(key); written != files_.end()) {
    FileStat stat;
    stat.size = written->second;
    stat.times = {CheckTime(), CheckTime()};
    stat.is_file = true;
    return stat;
  }
  if (removed_.contains(key)) return std::nullopt;
  if (folders_.contains(key)) {
    FileStat stat;
    stat.is_directory = true;
    if (const auto id = Identity(path)) stat.id = *id;
    return stat;
  }
  return real_.Stat(path);
}

bool CheckFileSystem::Writable(const std::string& folder) {
  // A folder the check made would be made by this process, in its parent.
  const std::string key = Key(folder);
  return folders_.contains(key) ? Writable(FolderOf(key)) : real_.Writable(folder);
}

std::optional<std::uint64_t> CheckFileSystem::FreeSpace(const std::string& path) {
  return real_.FreeSpace(path);
}

// A folder of a check: opened on the real file system where it exists there, so that it is
// judged as the run's would be; its writes go to the check.
class CheckFolder : public WriteFolder {
 public:
  CheckFolder(CheckFileSystem& check, std::string path, std::unique_ptr<WriteFolder> real)
      : check_(check), path_(std::move(path)), real_(std::move(real)) {}

  const std::string& path() const override { return path_; }
  FileId id() const override {
    return real_ ? real_->id() : check_.Identity(path_).value_or(FileId{});
  }
  std::unique_ptr<WriteFolder> OpenBelow(const std::string& relative,
                                         const std::string& path) override {
    if (check_.removed_.contains(Key(path))) throw ErrorFromErrno(ENOENT, IoAction::kWrite, path);
    if (check_.folders_.contains(Key(path))) {
      return std::make_unique<CheckFolder>(check_, path, nullptr);
    }
    if (!real_) throw ErrorFromErrno(ENOENT, IoAction::kWrite, path);
    return std::make_unique<CheckFolder>(check_, path, real_->OpenBelow(relative, path));
  }
  void MakeFolder(const std::string& name) override { check_.MakeDirectory(PathOf(name)); }
  std::unique_ptr<OutputFile> CreateFile(const std::string& name) override {
    return check_.MakeFile(PathOf(name));
  }
  void RemoveFile(const std::string& name) override { check_.Remove(PathOf(name)); }

 private:
  std::string PathOf(const std::string& name) const { return Key(path_) + "/" + name; }

  CheckFileSystem& check_;
  std::string path_;
  std::unique_ptr<WriteFolder> real_;
};

std::unique_ptr<WriteFolder> CheckFileSystem::OpenWriteFolder(const std::string& folder) {
  return std::make_unique<CheckFolder>(*this, folder, real_.OpenWriteFolder(folder));
}

void CheckFileSystem::MakeDirectory(const std::string& path) {
  const std::string key = Key(path);
  if (FolderExists(key)) return;
  if (IsFile(key)) throw ErrorFromErrno(EEXIST, IoAction::kWrite, path);
  CheckWritable(FolderOf(key), path);
  folders_.insert(key);
  removed_.erase(key);
}

std::unique_ptr<OutputFile> CheckFileSystem::MakeFile(const std::string& path) {
  const std::string key = Key(path);
  if (FolderExists(key)) throw ErrorFromErrno(EISDIR, IoAction::kWrite, path);
  CheckWritable(FolderOf(key), path);
  return std::make_unique<CountedFile>(path, [this, key](std::uint64_t size) {
    files_[key] = size;
    removed_.erase(key);
    bytes_written_ += size;
  });
}

void CheckFileSystem::Remove(const std::string& path) {
  const std::string key = Key(path);
  if (!IsFile(key)) throw ErrorFromErrno(ENOENT, IoAction::kWrite, path);
  CheckWritable(FolderOf(key), path);
  files_.erase(key);
  removed_.insert(key);
}

}  // namespace snapnook
