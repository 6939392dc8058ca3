#include "core/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "core/ascii_case.h"
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

// The process id in a temporary name, or 0 when `name` is none.
pid_t WriterOf(std::string_view name) {
  if (!IsTemporaryName(name)) return 0;
  name.remove_prefix(kTempPrefix.size());
  long pid = 0;
  size_t digits = 0;
  while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9' && pid < INT_MAX / 10) {
    pid = pid * 10 + (name[digits++] - '0');
  }
  return digits > 0 && digits < name.size() && name[digits] == '-' ? static_cast<pid_t>(pid) : 0;
}

// Whether a process with this id runs (a process we may not signal runs too).
bool ProcessRuns(pid_t pid) {
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

// The path's parts with "." and empty parts dropped and ".." taken back, as text.
std::vector<std::string_view> PartsOf(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    const size_t slash = path.find('/');
    const std::string_view part = path.substr(0, slash);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  return parts;
}

std::string AbsolutePath(const std::string& path) {
  if (path.starts_with('/')) return path;
  char cwd[PATH_MAX];
  if (::getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}

class PosixFolderLock : public FolderLock {
 public:
  explicit PosixFolderLock(int fd) : fd_(fd) {}
  ~PosixFolderLock() override {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }

 private:
  int fd_;
};

// The temporary files being written, for a process that is going down: kept where a signal
// handler may read them without allocating or locking. A file whose path finds no free slot
// is left to the next run's sweep.
class LiveTemporaries {
 public:
  int Add(const std::string& path) {
    if (path.size() >= sizeof(Slot::path)) return -1;
    for (int i = 0; i < kSlots; ++i) {
      int free = kFree;
      if (!slots_[i].state.compare_exchange_strong(free, kFilling)) continue;
      path.copy(slots_[i].path, path.size());
      slots_[i].path[path.size()] = '\0';
      slots_[i].state.store(kLive);
      return i;
    }
    return -1;
  }
  void Remove(int slot) {
    if (slot >= 0) slots_[slot].state.store(kFree);
  }
  void UnlinkAll() {
    for (Slot& slot : slots_) {
      if (slot.state.load() == kLive) ::unlink(slot.path);
    }
  }

 private:
  static constexpr int kSlots = 16;
  enum { kFree, kFilling, kLive };
  struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
  };
  Slot slots_[kSlots];
};

LiveTemporaries live_temporaries;

class PosixOutputFile : public OutputFile {
 public:
  PosixOutputFile(std::string path, std::string temp, int fd)
      : path_(std::move(path)),
        temp_(std::move(temp)),
        fd_(fd),
        live_(live_temporaries.Add(temp_)) {}

  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(temp_.c_str());
    live_temporaries.Remove(live_);
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
  int live_;
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
               (pattern[p] == '?' || AsciiUpper(pattern[p]) == AsciiUpper(name[n]))) {
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

void RemoveTemporariesNow() {
  live_temporaries.UnlinkAll();
}

bool IsTemporaryName(std::string_view name) {
  return name.starts_with(kTempPrefix) && name.ends_with(kTempSuffix);
}

std::optional<std::string> OriginalsFolderOn(std::string_view album, std::string_view folder) {
  const std::vector<std::string_view> base = PartsOf(album);
  const std::vector<std::string_view> parts = PartsOf(folder);
  const bool inside = !album.empty() && parts.size() >= base.size() &&
                      std::equal(base.begin(), base.end(), parts.begin());
  // Inside the album, from the album folder's own name down; else the whole path.
  const size_t first = inside && !base.empty() ? base.size() - 1 : 0;
  std::string path;
  for (size_t i = 0; i < parts.size(); ++i) {
    path += "/";
    path += parts[i];
    if (i >= first && IsOriginalsName(parts[i])) return path;
  }
  return std::nullopt;
}

void FileSystem::SetAlbumFolder(const std::string& folder) {
  album_ = AbsolutePath(folder);
  album_real_ = ResolvedPath(folder);
  swept_.clear();
}

void FileSystem::ClearAlbumFolder() {
  album_.clear();
  album_real_.clear();
  swept_.clear();
}

std::optional<std::string> FileSystem::OriginalsFolderFor(const std::string& folder) {
  // The path as written, and where its links lead: a folder of originals reached through a
  // link named like anything else is still one, and so is a link named like one.
  if (auto found = OriginalsFolderOn(album_, AbsolutePath(folder))) return found;
  return OriginalsFolderOn(album_real_, ResolvedPath(folder));
}

void FileSystem::GuardOriginals(const std::string& folder) {
  if (OriginalsFolderFor(folder)) {
    throw SnapError(kErrPermissionDenied,
                    "Permission denied: " + folder + " is an original picture folder");
  }
}

bool FileSystem::HoldsOriginals(const std::string& folder) {
  return OriginalsFolderFor(folder).has_value();
}

void FileSystem::CreateDirectory(const std::string& path) {
  GuardOriginals(path);
  DoCreateDirectory(path);
}

std::unique_ptr<OutputFile> FileSystem::CreateFile(const std::string& path) {
  const std::string folder = FolderOf(path);
  GuardOriginals(folder);
  if (swept_.insert(folder).second) SweepTemporaries(folder);
  return DoCreateFile(path);
}

void FileSystem::RemoveFile(const std::string& path) {
  GuardOriginals(FolderOf(path));
  DoRemoveFile(path);
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
  if (!dir) throw ErrorFromErrno(errno, IoAction::kList, folder);
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
    errno = 0;
  }
  if (errno != 0) throw ErrorFromErrno(errno, IoAction::kList, folder);
  std::sort(names.begin(), names.end(), NaturalLess);
  return names;
}

std::vector<std::string> RealFileSystem::ListFiles(const std::string& folder,
                                                   std::string_view pattern) {
  std::vector<std::string> files;
  const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
  for (std::string& name : RealFileSystem::ListEntries(folder)) {
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

void RealFileSystem::DoCreateDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return;
  const int err = errno;
  if (err == EEXIST && IsDirectory(path)) return;
  throw ErrorFromErrno(err, IoAction::kWrite, path);
}

std::vector<unsigned char> FileSystem::ReadFileWithin(const std::string& path, std::uint64_t most) {
  std::vector<unsigned char> bytes = ReadFile(path);
  if (bytes.size() > most) throw OutOfMemoryError(path);
  return bytes;
}

std::vector<unsigned char> RealFileSystem::ReadFile(const std::string& path) {
  return RealFileSystem::ReadFileWithin(path, std::numeric_limits<std::uint64_t>::max());
}

std::vector<unsigned char> RealFileSystem::ReadFileWithin(const std::string& path,
                                                          std::uint64_t most) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw ErrorFromErrno(errno, IoAction::kRead, path);
  std::vector<unsigned char> bytes;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    if (static_cast<std::uint64_t>(st.st_size) > most) {
      ::close(fd);
      throw OutOfMemoryError(path);
    }
    bytes.reserve(static_cast<size_t>(st.st_size));
  }
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
    if (bytes.size() + static_cast<size_t>(n) > most) {
      ::close(fd);
      throw OutOfMemoryError(path);
    }
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  ::close(fd);
  return bytes;
}

std::unique_ptr<OutputFile> RealFileSystem::DoCreateFile(const std::string& path) {
  // A file whose name a folder (or anything the rename could not replace) holds cannot be
  // made: say so now, as creating it in place would, not only when it is put in place.
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    throw ErrorFromErrno(EISDIR, IoAction::kWrite, path);
  }
  const std::string temp = TemporaryPathFor(path);
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) throw ErrorFromErrno(errno, IoAction::kWrite, path);
  return std::make_unique<PosixOutputFile>(path, temp, fd);
}

void RealFileSystem::DoRemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0) throw ErrorFromErrno(errno, IoAction::kWrite, path);
}

void RealFileSystem::SweepTemporaries(const std::string& folder) {
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) return;
  const pid_t self = ::getpid();
  while (const dirent* entry = ::readdir(dir.get())) {
    const pid_t writer = WriterOf(entry->d_name);
    if (writer > 0 && writer != self && !ProcessRuns(writer)) {
      ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
    }
  }
}

std::optional<FileTimes> RealFileSystem::Times(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  const auto nanoseconds = [](const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
  };
  return FileTimes{nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)};
}

bool RealFileSystem::Writable(const std::string& folder) {
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::optional<std::uint64_t> RealFileSystem::FreeSpace(const std::string& path) {
  struct statvfs st {};
  if (::statvfs(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
}

std::string RealFileSystem::ResolvedPath(const std::string& path) {
  // The longest leading part that exists is resolved; the rest follows as written.
  std::string head = AbsolutePath(path);
  std::string tail;
  for (;;) {
    char resolved[PATH_MAX];
    if (::realpath(head.c_str(), resolved) != nullptr) {
      std::string out = resolved;
      if (!tail.empty()) out += (out.ends_with('/') ? "" : "/") + tail;
      return out;
    }
    const size_t slash = head.find_last_of('/');
    if (slash == std::string::npos || head == "/") return AbsolutePath(path);
    tail = tail.empty() ? head.substr(slash + 1) : head.substr(slash + 1) + "/" + tail;
    head = slash == 0 ? "/" : head.substr(0, slash);
  }
}

std::unique_ptr<FolderLock> RealFileSystem::LockFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::make_unique<FolderLock>();
  // An open file's lock: the kernel drops it when the holder's process ends, however it ends.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) return nullptr;
    return std::make_unique<FolderLock>();
  }
  return std::make_unique<PosixFolderLock>(fd);
}

}  // namespace snapnook
