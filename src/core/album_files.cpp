#include "core/album_files.h"

#include <cerrno>
#include <list>

#include "core/error.h"

namespace snapnook {
namespace {

// A file whose commit tells the record what was put in place.
class RecordedOutputFile : public OutputFile {
 public:
  RecordedOutputFile(std::unique_ptr<OutputFile> inner, WriteRecord& record, std::string relative,
                     Origin origin)
      : inner_(std::move(inner)),
        record_(record),
        relative_(std::move(relative)),
        origin_(std::move(origin)) {}
  void Write(std::string_view bytes) override { inner_->Write(bytes); }
  FileStamp Commit() override {
    const FileStamp stamp = inner_->Commit();
    record_.Written(relative_, stamp, origin_);
    return stamp;
  }
  const std::string& path() const override { return inner_->path(); }

 private:
  std::unique_ptr<OutputFile> inner_;
  WriteRecord& record_;
  std::string relative_;
  Origin origin_;
};

}  // namespace

// What the run has opened: the album folder (and the folder above it, for a folder beside it),
// the folders of originals it holds, and the folders written into, the latest last.
struct AlbumFiles::Opened {
  std::unique_ptr<WriteFolder> album;
  std::unique_ptr<WriteFolder> above;
  std::set<FileId> originals;
  std::list<std::pair<std::string, std::unique_ptr<WriteFolder>>> folders;
  std::set<std::string> swept;  // folders written into since the run began
};

namespace {

constexpr size_t kFoldersKept = 48;

}  // namespace

AlbumFiles::AlbumFiles(FileSystem& fs, const std::string& folder, WriteRecord* record,
                       const std::string& beside)
    : fs_(fs),
      record_(record),
      album_(AbsolutePath(folder)),
      album_real_(fs.ResolvedPath(folder)),
      beside_(beside) {}

AlbumFiles::~AlbumFiles() = default;

std::optional<std::string> AlbumFiles::Relative(const std::string& path) const {
  return RelativePath(album_, path);
}

std::optional<RecordedFile> AlbumFiles::AsWritten(const std::string& path,
                                                  const FileStat& now) const {
  const std::optional<std::string> relative = Relative(path);
  if (!record_ || !relative || !now.is_file) return std::nullopt;
  std::optional<RecordedFile> recorded = record_->Find(*relative);
  if (!recorded || recorded->stamp != StampOf(now)) return std::nullopt;
  return recorded;
}

std::optional<std::string> AlbumFiles::OriginalsFolderFor(const std::string& folder) {
  // The path as written, and where its links lead: a folder of originals reached through a
  // link named like anything else is still one, and so is a link named like one.
  if (auto found = OriginalsFolderOn(album_, AbsolutePath(folder))) return found;
  return OriginalsFolderOn(album_real_, fs_.ResolvedPath(folder));
}

void AlbumFiles::GuardOriginals(const std::string& folder) {
  if (OriginalsFolderFor(folder)) {
    throw SnapError(kErrPermissionDenied,
                    "Permission denied: " + folder + " is an original picture folder");
  }
}

bool AlbumFiles::HoldsOriginals(const std::string& folder) {
  return OriginalsFolderFor(folder).has_value();
}

WriteFolder& AlbumFiles::Folder(const std::string& folder, const std::string& subject) {
  try {
    return Open(folder);
  } catch (const SnapError& error) {
    if (error.number() == kErrPathNotFound && subject != folder) {
      throw ErrorFromErrno(ENOENT, IoAction::kWrite, subject);
    }
    throw;
  }
}

WriteFolder& AlbumFiles::Open(const std::string& folder) {
  GuardOriginals(folder);
  const std::string key = NormalPath(folder);
  if (!opened_) {
    // The album as it resolves now, and what in it are originals: the folders every later
    // write is judged against.
    auto opened = std::make_unique<Opened>();
    opened->album = fs_.OpenWriteFolder(album_);
    opened->originals = fs_.OriginalsBelow(album_);
    opened_ = std::move(opened);
  }
  auto& folders = opened_->folders;
  for (auto it = folders.begin(); it != folders.end(); ++it) {
    if (it->first != key) continue;
    folders.splice(folders.end(), folders, it);
    return *folders.back().second;
  }
  const std::optional<std::string> inside = RelativePath(album_, folder);
  std::unique_ptr<WriteFolder> opened;
  if (inside) {
    opened = opened_->album->OpenBelow(inside->empty() ? "." : *inside, folder);
  } else if (const auto beside = RelativePath(album_ + "/../" + beside_, folder);
             !beside_.empty() && beside) {
    opened = Above().OpenBelow(beside_ + (beside->empty() ? "" : "/" + *beside), folder);
  } else {
    throw SnapError(kErrPermissionDenied, "Permission denied: " + folder + " is outside the album");
  }
  if (opened_->originals.contains(opened->id())) {
    throw SnapError(kErrPermissionDenied,
                    "Permission denied: " + folder + " is an original picture folder");
  }
  if (folders.size() >= kFoldersKept) folders.pop_front();
  folders.emplace_back(key, std::move(opened));
  return *folders.back().second;
}

WriteFolder& AlbumFiles::Above() {
  if (!opened_->above) opened_->above = fs_.OpenWriteFolder(album_ + "/..");
  return *opened_->above;
}

void AlbumFiles::CheckWritable(const std::string& path) {
  Folder(FolderOf(path), path);
}

void AlbumFiles::CreateDirectory(const std::string& path) {
  GuardOriginals(path);
  // The folder beside the album is made in the folder above it, and only that folder.
  if (!beside_.empty() && NormalPath(path) == NormalPath(album_ + "/../" + beside_)) {
    Open(album_);
    Above().MakeFolder(beside_);
    return;
  }
  Folder(FolderOf(path), path).MakeFolder(NameOf(path));
}

std::unique_ptr<OutputFile> AlbumFiles::CreateFile(const std::string& path, Origin origin) {
  const std::string folder = FolderOf(path);
  WriteFolder& into = Folder(folder, path);
  if (opened_->swept.insert(NormalPath(folder)).second) into.SweepTemporaries();
  std::unique_ptr<OutputFile> file = into.CreateFile(NameOf(path));
  const std::optional<std::string> relative = Relative(path);
  if (!record_ || !relative) return file;
  return std::make_unique<RecordedOutputFile>(std::move(file), *record_, *relative,
                                              std::move(origin));
}

void AlbumFiles::WriteFile(const std::string& path, std::span<const unsigned char> bytes,
                           Origin origin) {
  auto file = CreateFile(path, std::move(origin));
  file->Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  file->Commit();
}

void AlbumFiles::CopyFile(const std::string& from, const std::string& to, Origin origin) {
  const std::vector<unsigned char> bytes = fs_.ReadFile(from);
  WriteFile(to, bytes, std::move(origin));
}

void AlbumFiles::RemoveFile(const std::string& path) {
  Folder(FolderOf(path), path).RemoveFile(NameOf(path));
  if (const std::optional<std::string> relative = Relative(path); record_ && relative) {
    record_->Removed(*relative);
  }
}

void AlbumFiles::SweepTemporaries(const std::string& folder) {
  WriteFolder& open = Open(folder);
  if (opened_->swept.insert(NormalPath(folder)).second) open.SweepTemporaries();
}

bool LiesInOriginals(FileSystem& fs, const std::string& folder) {
  return OriginalsFolderOn("", AbsolutePath(folder)) ||
         OriginalsFolderOn("", fs.ResolvedPath(folder));
}

}  // namespace snapnook
