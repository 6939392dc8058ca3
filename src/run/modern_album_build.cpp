#include "run/modern_album_build.h"

#include <set>

#include "album/modern_pages.h"
#include "album/page_footer.h"
#include "core/folder_lookup.h"
#include "pictures/folder_kinds.h"
#include "pictures/jpeg_header.h"
#include "pictures/set_layout.h"
#include "run/album_tree.h"

namespace snapnook {
namespace {

// The size of the copy `path`: the record's when it knows the copy as it is, else its header's;
// nothing when there is no such copy.
std::optional<std::pair<int, int>> SizeOf(Session& session, const std::string& path) {
  const std::optional<FileStat> now = session.fs.Stat(path);
  if (!now || !now->is_file) return std::nullopt;
  if (const std::optional<RecordedFile> recorded = session.Files().AsWritten(path, *now);
      recorded && recorded->origin.width > 0) {
    return std::pair(recorded->origin.width, recorded->origin.height);
  }
  try {
    const std::vector<unsigned char> bytes = session.fs.ReadFile(path);
    if (const std::optional<JpegFrame> frame = ReadJpegFrame(bytes)) {
      return std::pair(frame->width, frame->height);
    }
  } catch (const SnapError&) {
    // A copy that cannot be read is left out of the pages.
  }
  return std::nullopt;
}

std::string CaptionOf(Session& session, const std::string& path) {
  AlbumFiles& files = session.Files();
  const std::optional<std::string> relative = files.Relative(path);
  if (!files.record() || !relative) return "";
  const std::optional<RecordedFile> recorded = files.record()->Find(*relative);
  return recorded ? recorded->origin.caption : "";
}

}  // namespace

ModernAlbum ModernAlbumOf(Session& session, const std::string& source) {
  FileSystem& fs = session.fs;
  ModernAlbum album;
  album.title = session.window.Title();
  album.copyright = session.window.Copyright();
  album.copyright_link = session.window.CopyrightLink();
  VisitFolders(session, source,
               [&](const std::string& folder, const std::vector<std::string>& entries) {
                 if (session.Files().HoldsOriginals(folder) ||
                     !(IsSetFolder(folder) || HoldsOriginalsFolder(fs, folder, entries))) {
                   return;
                 }
                 ModernSet set;
                 set.folder = session.Files().Relative(folder).value_or("");
                 std::set<std::string> names;
                 for (const std::string& big : entries) {
                   if (!IsBigFolder(big) || !fs.IsDirectory(folder + big)) continue;
                   std::vector<std::string> pictures;
                   try {
                     pictures = fs.ListFiles(folder + big, "*");
                   } catch (const SnapError&) {
                     continue;  // the run showed it
                   }
                   for (const std::string& file : pictures) {
                     if (!IsPictureName(file, true)) continue;
                     ModernPicture picture;
                     picture.name = CopyNameOf(file, true);
                     if (!names.insert(CopyKey(file, true)).second) continue;
                     const auto size = SizeOf(session, folder + picture.name);
                     if (!size) continue;
                     picture.original_name = file;
                     std::tie(picture.width, picture.height) = *size;
                     if (const auto screen = SizeOf(session, folder + "640/" + picture.name)) {
                       std::tie(picture.screen_width, picture.screen_height) = *screen;
                     }
                     picture.caption = CaptionOf(session, folder + picture.name);
                     set.pictures.push_back(std::move(picture));
                   }
                 }
                 if (!set.pictures.empty()) album.sets.push_back(std::move(set));
               });
  return album;
}

std::vector<std::string> BuildModernAlbum(Session& session) {
  return WriteModernPages(session, ModernAlbumOf(session, session.state.SourceFolder));
}

}  // namespace snapnook
