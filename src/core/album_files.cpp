#include "core/album_files.h"

#include "core/error.h"

namespace snapnook {
namespace {

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

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

AlbumFiles::AlbumFiles(FileSystem& fs, const std::string& folder, WriteRecord* record)
    : fs_(fs),
      record_(record),
      album_(AbsolutePath(folder)),
      album_real_(fs.ResolvedPath(folder)) {}

std::optional<std::string> AlbumFiles::Relative(const std::string& path) const {
  return RelativePath(album_, path);
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

void AlbumFiles::CreateDirectory(const std::string& path) {
  GuardOriginals(path);
  fs_.DoCreateDirectory(path);
}

std::unique_ptr<OutputFile> AlbumFiles::CreateFile(const std::string& path, Origin origin) {
  const std::string folder = FolderOf(path);
  GuardOriginals(folder);
  if (swept_.insert(folder).second) fs_.SweepTemporaries(folder);
  std::unique_ptr<OutputFile> file = fs_.DoCreateFile(path);
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
  GuardOriginals(FolderOf(path));
  fs_.DoRemoveFile(path);
  if (const std::optional<std::string> relative = Relative(path); record_ && relative) {
    record_->Removed(*relative);
  }
}

bool LiesInOriginals(FileSystem& fs, const std::string& folder) {
  return OriginalsFolderOn("", AbsolutePath(folder)) ||
         OriginalsFolderOn("", fs.ResolvedPath(folder));
}

}  // namespace snapnook
