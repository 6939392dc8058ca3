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
  if (!ShowOnFailure(session.window, source, [&] {
        folder = SitePagesFolder(source);
        candidates = DefaultFolderCandidates(session);
        session.fs.CreateDirectory(folder);
      })) {
    return;
  }
  for (const char* page : kSitePages) {
    const std::string target = folder + "/" + page;
    ShowOnFailure(session.window, target, [&] {
      if (session.fs.IsFile(target)) return;
      // Where no candidate holds the page, reading the shipped one says what is missing.
      std::string from = candidates.empty() ? std::string(page) : candidates.back() + "/" + page;
      for (const std::string& candidate : candidates) {
        if (session.fs.IsFile(candidate + "/" + page)) {
          from = candidate + "/" + page;
          break;
        }
      }
      session.fs.CopyFile(from, target);
    });
  }
}

}  // namespace snapnook
