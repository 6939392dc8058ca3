#include "album/site_pages.h"

#include <filesystem>
#include <vector>

#include "album/viewer_pages.h"
#include "core/traps.h"

namespace snapnook {
namespace {

constexpr const char* kSitePages[] = {"hires.htm", "aol.htm", "copyright.html"};

}  // namespace

std::string SitePagesFolder(const std::string& source_folder) {
  std::filesystem::path album =
      std::filesystem::absolute(std::filesystem::path(source_folder)).lexically_normal();
  if (!album.has_filename()) album = album.parent_path();  // a trailing "/"
  return (album.parent_path() / "default").string();
}

void WriteSitePages(Session& session) {
  const std::string source = session.window.SourceDir();
  session.state.SourceFolder = source;
  std::string folder;
  std::vector<std::string> candidates;
  // Beside the album, and not part of it: the record does not keep them.
  AlbumFiles files(session.fs, source, nullptr, "default");
  if (!ShowOnFailure(session, source, [&] {
        folder = SitePagesFolder(source);
        candidates = DefaultFolderCandidates(session);
        files.CreateDirectory(folder);
      })) {
    return;
  }
  for (const char* page : kSitePages) {
    const std::string target = folder + "/" + page;
    ShowOnFailure(session, target, [&] {
      if (session.fs.IsFile(target)) return;
      // Where no candidate holds the page, reading the shipped one says what is missing.
      std::string from = candidates.empty() ? std::string(page) : candidates.back() + "/" + page;
      for (const std::string& candidate : candidates) {
        if (session.fs.IsFile(candidate + "/" + page)) {
          from = candidate + "/" + page;
          break;
        }
      }
      files.CopyFile(from, target);
    });
  }
}

}  // namespace snapnook
