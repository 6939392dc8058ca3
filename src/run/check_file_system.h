// The file system of a check: the run's reads as they are, its writes kept in memory.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "core/file_system.h"

namespace snapnook {

/// Reads everything from `real` and writes nothing to it. Its own reads and writes are made on
/// the run's thread only; the derive pool's workers read the originals, which a check never
/// writes, straight from `real` (Shared()). A write fails as it would on `real`
/// (into a missing folder, into a folder that may not be written, onto a name a folder holds,
/// into a folder of originals, as the guard of every file system refuses) and otherwise is
/// remembered: the folders made and files written are there for every later read (with no
/// content), the files removed are gone, and the bytes written are counted.
class CheckFileSystem : public FileSystem {
 public:
  explicit CheckFileSystem(FileSystem& real) : real_(real) {}

  /// The bytes of every file written so far.
  std::uint64_t bytes_written() const { return bytes_written_; }

  std::vector<std::string> ListEntries(const std::string& folder) override;
  std::vector<std::string> ListFiles(const std::string& folder, std::string_view pattern) override;
  bool IsDirectory(const std::string& path) override;
  bool IsFile(const std::string& path) override;
  std::optional<FileId> Identity(const std::string& path) override;
  std::vector<unsigned char> ReadFile(const std::string& path) override;
  std::optional<FileStat> Stat(const std::string& path) override;
  bool Writable(const std::string& folder) override;
  std::optional<std::uint64_t> FreeSpace(const std::string& path) override;
  std::string ResolvedPath(const std::string& path) override { return real_.ResolvedPath(path); }
  /// A check writes nothing, so it holds nothing: it may look at an album a run is writing.
  std::unique_ptr<FolderLock> LockFolder(const std::string&) override {
    return std::make_unique<FolderLock>();
  }
  SharedReads& Shared() override { return real_.Shared(); }
  /// A folder of `real` (opened there, so that the same folders are judged the same way and a
  /// path that leads out of the album fails as it would), or one the check made; what is
  /// written into it is kept here.
  std::unique_ptr<WriteFolder> OpenWriteFolder(const std::string& folder) override;
  std::set<FileId> OriginalsBelow(const std::string& album) override {
    return real_.OriginalsBelow(album);
  }

  // The writes of its folders, by path.
  void MakeDirectory(const std::string& path);
  std::unique_ptr<OutputFile> MakeFile(const std::string& path);
  void Remove(const std::string& path);

 private:
  // Where a write into `folder` would fail, as the error it would raise for `path`.
  void CheckWritable(const std::string& folder, const std::string& path);
  friend class CheckFolder;
  bool FolderExists(const std::string& folder);

  FileSystem& real_;
  std::set<std::string> folders_;               // made, by path without a trailing "/"
  std::map<std::string, std::uint64_t> files_;  // written: path -> bytes
  std::set<std::string> removed_;
  std::uint64_t bytes_written_ = 0;
};

}  // namespace snapnook
