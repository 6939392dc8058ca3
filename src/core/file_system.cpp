#include "core/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "core/error.h"
#include "core/natural_order.h"

namespace snapnook {
namespace {

constexpr std::string_view kTempPrefix = ".snapnook-";
constexpr std::string_view kTempSuffix = ".tmp";

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string TemporaryPathFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return FolderOf(path) + "/" + std::string(kTempPrefix) + std::to_string(::getpid()) + "-" +
         std::to_string(counter++) + std::string(kTempSuffix);
}

unsigned char LowerAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? c + 'a' - 'A' : c;
}

class PosixOutputFile : public OutputFile {
 public:
  PosixOutputFile(std::string path, std::string temp, int fd)
      : path_(std::move(path)), temp_(std::move(temp)), fd_(fd) {}

  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(temp_.c_str());
  }

  void Write(std::string_view bytes) override {
    if (fd_ < 0) throw ErrorFromErrno(EBADF, IoAction::kWrite, path_);
    buffer_.append(bytes);
    if (buffer_.size() >= kFlushSize) Flush();
  }

  void Commit() override {
    if (fd_ < 0) throw ErrorFromErrno(EBADF, IoAction::kWrite, path_);
    Flush();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) Fail(errno);
    if (::rename(temp_.c_str(), path_.c_str()) != 0) Fail(errno);
    committed_ = true;
  }

  const std::string& path() const override { return path_; }

 private:
  static constexpr size_t kFlushSize = 1 << 16;

  void Flush() {
    size_t done = 0;
    while (done < buffer_.size()) {
      const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail(errno);
      }
      done += static_cast<size_t>(n);
    }
    buffer_.clear();
  }

  // Gives up on the file: the temporary is removed, the error names the real path.
  [[noreturn]] void Fail(int err) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    ::unlink(temp_.c_str());
    buffer_.clear();
    throw ErrorFromErrno(err, IoAction::kWrite, path_);
  }

  std::string path_;
  std::string temp_;
  int fd_;
  std::string buffer_;
  bool committed_ = false;
};

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  // Iterative glob with backtracking to the last "*".
  size_t n = 0, p = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool IsTemporaryName(std::string_view name) {
  return name.starts_with(kTempPrefix) && name.ends_with(kTempSuffix);
}

void FileSystem::WriteFile(const std::string& path, std::span<const unsigned char> bytes) {
  auto file = CreateFile(path);
  file->Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  file->Commit();
}

void FileSystem::CopyFile(const std::string& from, const std::string& to) {
  const std::vector<unsigned char> bytes = ReadFile(from);
  WriteFile(to, bytes);
}

std::vector<std::string> RealFileSystem::ListEntries(const std::string& folder) {
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) throw ErrorFromErrno(errno, IoAction::kRead, folder);
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
    errno = 0;
  }
  if (errno != 0) throw ErrorFromErrno(errno, IoAction::kRead, folder);
  std::sort(names.begin(), names.end(), NaturalLess);
  return names;
}

std::vector<std::string> RealFileSystem::ListFiles(const std::string& folder,
                                                   std::string_view pattern) {
  std::vector<std::string> files;
  const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
  for (std::string& name : ListEntries(folder)) {
    if (MatchesPattern(name, pattern) && IsFile(prefix + name)) files.push_back(std::move(name));
  }
  return files;
}

bool RealFileSystem::IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RealFileSystem::IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<FileId> RealFileSystem::Identity(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

void RealFileSystem::CreateDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return;
  const int err = errno;
  if (err == EEXIST && IsDirectory(path)) return;
  throw ErrorFromErrno(err, IoAction::kWrite, path);
}

std::vector<unsigned char> RealFileSystem::ReadFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw ErrorFromErrno(errno, IoAction::kRead, path);
  std::vector<unsigned char> bytes;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) bytes.reserve(static_cast<size_t>(st.st_size));
  unsigned char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      throw ErrorFromErrno(err, IoAction::kRead, path);
    }
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  ::close(fd);
  return bytes;
}

std::unique_ptr<OutputFile> RealFileSystem::CreateFile(const std::string& path) {
  const std::string temp = TemporaryPathFor(path);
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) throw ErrorFromErrno(errno, IoAction::kWrite, path);
  return std::make_unique<PosixOutputFile>(path, temp, fd);
}

}  // namespace snapnook
