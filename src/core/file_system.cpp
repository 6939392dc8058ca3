#include "core/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
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

std::int64_t Nanoseconds(time_t seconds, long nanoseconds) {
  return static_cast<std::int64_t>(seconds) * 1'000'000'000 + nanoseconds;
}

// This process's token in its temporary names: process ids repeat (a container's process 1
// runs again and again), tokens do not.
const std::string& OwnToken() {
  static const std::string token = [] {
    unsigned char bytes[6] = {};
    const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
      [[maybe_unused]] const ssize_t n = ::read(fd, bytes, sizeof bytes);
      ::close(fd);
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    const std::uint64_t mix = static_cast<std::uint64_t>(::time(nullptr)) ^
                              (static_cast<std::uint64_t>(::getpid()) << 20);
    for (size_t i = 0; i < sizeof bytes; ++i) {
      const unsigned value = bytes[i] ^ static_cast<unsigned char>(mix >> (8 * i));
      text += kHex[value >> 4];
      text += kHex[value & 15];
    }
    return text;
  }();
  return token;
}

std::string TemporaryNameFor() {
  static std::atomic<unsigned> counter{0};
  return std::string(kTempPrefix) + std::to_string(::getpid()) + "-" + OwnToken() + "-" +
         std::to_string(counter++) + std::string(kTempSuffix);
}

// Who wrote a temporary file, from its name ".snapnook-PID-TOKEN-N.tmp" (or, from before the
// tokens, ".snapnook-PID-N.tmp"): the process id, 0 when `name` is none, and the token.
std::pair<pid_t, std::string_view> WriterOf(std::string_view name) {
  if (!IsTemporaryName(name)) return {0, {}};
  name.remove_prefix(kTempPrefix.size());
  name.remove_suffix(kTempSuffix.size());
  long pid = 0;
  size_t digits = 0;
  while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9' && pid < INT_MAX / 10) {
    pid = pid * 10 + (name[digits++] - '0');
  }
  if (digits == 0 || digits >= name.size() || name[digits] != '-') return {0, {}};
  name.remove_prefix(digits + 1);
  const size_t dash = name.find('-');
  return {static_cast<pid_t>(pid),
          dash == std::string_view::npos ? std::string_view() : name.substr(0, dash)};
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

class PosixFolderLock : public FolderLock {
 public:
  explicit PosixFolderLock(int fd) : fd_(fd) {}
  ~PosixFolderLock() override {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }

 private:
  int fd_;
};

// The temporary files being written, for a process that is going down: each as its open folder
// and name, kept where a signal handler may read them without allocating or locking. A file
// whose name finds no free slot is left to the next run's sweep.
class LiveTemporaries {
 public:
  int Add(int folder, const std::string& name) {
    if (name.size() >= sizeof(Slot::name)) return -1;
    for (int i = 0; i < kSlots; ++i) {
      int free = kFree;
      if (!slots_[i].state.compare_exchange_strong(free, kFilling)) continue;
      slots_[i].folder = folder;
      name.copy(slots_[i].name, name.size());
      slots_[i].name[name.size()] = '\0';
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
      if (slot.state.load() == kLive) ::unlinkat(slot.folder, slot.name, 0);
    }
  }

 private:
  static constexpr int kSlots = 16;
  enum { kFree, kFilling, kLive };
  struct Slot {
    std::atomic<int> state{kFree};
    int folder = -1;
    char name[NAME_MAX + 1];
  };
  Slot slots_[kSlots];
};

LiveTemporaries live_temporaries;

// An open folder's descriptor, shared by the folder and the files being written in it.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { ::close(fd_); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

class PosixOutputFile : public OutputFile {
 public:
  // `live` is the temporary file's slot among the live ones, taken before it was made.
  PosixOutputFile(std::shared_ptr<Descriptor> folder, std::string path, std::string name,
                  std::string temp, int fd, int live)
      : folder_(std::move(folder)),
        path_(std::move(path)),
        name_(std::move(name)),
        temp_(std::move(temp)),
        fd_(fd),
        live_(live) {}

  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlinkat(folder_->get(), temp_.c_str(), 0);
    live_temporaries.Remove(live_);
  }

  void Write(std::string_view bytes) override {
    if (fd_ < 0) throw ErrorFromErrno(EBADF, IoAction::kWrite, path_);
    buffer_.append(bytes);
    if (buffer_.size() >= kFlushSize) Flush();
  }

  FileStamp Commit() override {
    if (fd_ < 0) throw ErrorFromErrno(EBADF, IoAction::kWrite, path_);
    Flush();
    // The file as written: a rename changes neither its size nor its modification time.
    struct stat st {};
    if (::fstat(fd_, &st) != 0) Fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) Fail(errno);
    if (::renameat(folder_->get(), temp_.c_str(), folder_->get(), name_.c_str()) != 0) {
      Fail(errno);
    }
    committed_ = true;
    return {static_cast<std::uint64_t>(st.st_size),
            Nanoseconds(st.st_mtim.tv_sec, st.st_mtim.tv_nsec)};
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
    ::unlinkat(folder_->get(), temp_.c_str(), 0);
    buffer_.clear();
    throw ErrorFromErrno(err, IoAction::kWrite, path_);
  }

  std::shared_ptr<Descriptor> folder_;
  std::string path_;
  std::string name_;
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

std::string AbsolutePath(const std::string& path) {
  if (path.starts_with('/')) return path;
  char cwd[PATH_MAX];
  if (::getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  return path.substr(path.find_last_of('/') + 1);
}

std::string NormalPath(const std::string& path) {
  const std::string absolute = AbsolutePath(path);
  std::string normal;
  for (std::string_view part : PartsOf(absolute)) {
    normal += "/";
    normal += part;
  }
  return normal.empty() ? "/" : normal;
}

std::optional<std::string> RelativePath(const std::string& folder, const std::string& path) {
  const std::string base = NormalPath(folder);
  const std::string full = NormalPath(path);
  if (full == base) return std::string();
  const std::string prefix = base == "/" ? base : base + "/";
  if (!full.starts_with(prefix)) return std::nullopt;
  return full.substr(prefix.size());
}

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

namespace {

FileId IdOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// Opens `relative` below the open folder `base`, following links only while they stay below
// it; -1 with errno set (EXDEV for a path that leads out). Where the kernel cannot keep the
// resolution below the folder itself (before Linux 5.6, ENOSYS) or a sandbox forbids it (an
// older container's system-call filter, EPERM), the folder opened is climbed back up to `base`
// instead.
int OpenBeneath(int base, FileId base_id, const std::string& relative) {
  open_how how{};
  how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
  const long fd = ::syscall(SYS_openat2, base, relative.c_str(), &how, sizeof how);
  if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) return static_cast<int>(fd);
  const int opened = ::openat(base, relative.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (opened < 0) return -1;
  struct stat st {};
  for (int at = ::dup(opened); at >= 0;) {
    if (::fstat(at, &st) != 0) break;
    if (IdOf(st) == base_id) {
      ::close(at);
      return opened;
    }
    const int up = ::openat(at, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat above {};
    const bool top = up < 0 || ::fstat(up, &above) != 0 || IdOf(above) == IdOf(st);
    ::close(at);
    at = top ? -1 : up;
    if (top && up >= 0) ::close(up);
  }
  ::close(opened);
  errno = EXDEV;
  return -1;
}

class PosixWriteFolder : public WriteFolder {
 public:
  PosixWriteFolder(std::string path, int fd) : path_(std::move(path)) {
    folder_ = std::make_shared<Descriptor>(fd);
    struct stat st {};
    if (::fstat(fd, &st) == 0) id_ = IdOf(st);
  }

  const std::string& path() const override { return path_; }
  FileId id() const override { return id_; }

  std::unique_ptr<WriteFolder> OpenBelow(const std::string& relative,
                                         const std::string& path) override {
    const int fd = OpenBeneath(folder_->get(), id_, relative);
    if (fd < 0) {
      if (errno == EXDEV || errno == ELOOP) {
        throw SnapError(kErrPermissionDenied,
                        "Permission denied: " + path + " is outside the album");
      }
      throw ErrorFromErrno(errno, IoAction::kWrite, path);
    }
    return std::make_unique<PosixWriteFolder>(path, fd);
  }

  void MakeFolder(const std::string& name) override {
    if (::mkdirat(folder_->get(), name.c_str(), 0777) == 0) return;
    const int err = errno;
    struct stat st {};
    if (err == EEXIST && ::fstatat(folder_->get(), name.c_str(), &st, 0) == 0 &&
        S_ISDIR(st.st_mode)) {
      return;
    }
    throw ErrorFromErrno(err, IoAction::kWrite, PathOf(name));
  }

  std::unique_ptr<OutputFile> CreateFile(const std::string& name) override {
    // A file whose name a folder (or anything the rename could not replace) holds cannot be
    // made: say so now, as creating it in place would, not only when it is put in place.
    struct stat st {};
    if (::fstatat(folder_->get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(st.st_mode)) {
      throw ErrorFromErrno(EISDIR, IoAction::kWrite, PathOf(name));
    }
    const std::string temp = TemporaryNameFor();
    // Known as live before it exists, so that a process going down at any moment removes it.
    const int live = live_temporaries.Add(folder_->get(), temp);
    const int fd = ::openat(folder_->get(), temp.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
      const int err = errno;
      live_temporaries.Remove(live);
      throw ErrorFromErrno(err, IoAction::kWrite, PathOf(name));
    }
    return std::make_unique<PosixOutputFile>(folder_, PathOf(name), name, temp, fd, live);
  }

  void RemoveFile(const std::string& name) override {
    if (::unlinkat(folder_->get(), name.c_str(), 0) != 0) {
      throw ErrorFromErrno(errno, IoAction::kWrite, PathOf(name));
    }
  }

  // A temporary file is left by a run that has ended when its process runs no more, or when
  // it is this process's id with another token (the id came round again).
  void SweepTemporaries() override {
    const int fd = ::dup(folder_->get());
    if (fd < 0) return;
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(fd));
    if (!dir) {
      ::close(fd);
      return;
    }
    ::rewinddir(dir.get());
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(dir.get())) {
      const auto [writer, token] = WriterOf(entry->d_name);
      if (writer > 0 && (writer == self ? token != OwnToken() : !ProcessRuns(writer))) {
        ::unlinkat(folder_->get(), entry->d_name, 0);
      }
    }
  }

 private:
  std::string PathOf(const std::string& name) const {
    return path_.ends_with('/') ? path_ + name : path_ + "/" + name;
  }

  std::string path_;
  std::shared_ptr<Descriptor> folder_;
  FileId id_;
};

// Collects the identities of the folders at or below folders of originals below the open
// folder `fd` (`inside` when it is such a folder itself) into `originals`. A folder is entered
// once outside originals (`seen`), and once more if it is reached inside them later.
void CollectOriginals(int fd, bool inside, std::set<FileId>& seen, std::set<FileId>& originals) {
  const int own = ::dup(fd);
  if (own < 0) return;
  std::unique_ptr<DIR, DirCloser> dir(::fdopendir(own));
  if (!dir) {
    ::close(own);
    return;
  }
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == ".." ||
        (entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)) {
      continue;
    }
    struct stat st {};
    if (::fstatat(fd, entry->d_name, &st, 0) != 0 || !S_ISDIR(st.st_mode)) continue;
    const bool originals_here = inside || IsOriginalsName(name);
    if (originals_here ? !originals.insert(IdOf(st)).second
                       : originals.contains(IdOf(st)) || !seen.insert(IdOf(st)).second) {
      continue;
    }
    const int below = ::openat(fd, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (below < 0) continue;
    CollectOriginals(below, originals_here, seen, originals);
    ::close(below);
  }
}

}  // namespace

std::unique_ptr<WriteFolder> RealFileSystem::OpenWriteFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw ErrorFromErrno(errno, IoAction::kWrite, folder);
  return std::make_unique<PosixWriteFolder>(folder, fd);
}

std::set<FileId> RealFileSystem::OriginalsBelow(const std::string& album) {
  std::set<FileId> seen, originals;
  const int fd = ::open(album.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return originals;
  struct stat st {};
  if (::fstat(fd, &st) == 0) seen.insert(IdOf(st));
  CollectOriginals(fd, false, seen, originals);
  ::close(fd);
  return originals;
}

std::optional<FileStat> RealFileSystem::Stat(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  FileStat stat;
  stat.id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  stat.size = static_cast<std::uint64_t>(st.st_size);
  stat.times = {Nanoseconds(st.st_mtim.tv_sec, st.st_mtim.tv_nsec),
                Nanoseconds(st.st_ctim.tv_sec, st.st_ctim.tv_nsec)};
  stat.is_file = S_ISREG(st.st_mode);
  stat.is_directory = S_ISDIR(st.st_mode);
  return stat;
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
