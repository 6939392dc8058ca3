#include "album/viewer_pages.h"

#include "album/page_footer.h"
#include "core/traps.h"

namespace snapnook {
namespace {

constexpr const char* kViewerPages[] = {"show480.html", "show640.html"};

}  // namespace

std::vector<std::string> DefaultFolderCandidates(const Session& session) {
  std::vector<std::string> candidates;
  candidates.push_back(session.state.SourceFolder + "/../default");
  if (!session.home_folder.empty()) {
    candidates.push_back(session.home_folder + "/BACKUP/" + std::to_string(CurrentYear(session)) +
                         "/Personal/Pictures/default");
  }
  if (!session.program_folder.empty()) {
    const std::string beside = session.program_folder + "/default";
    candidates.push_back(session.fs.IsDirectory(beside)
                             ? beside
                             : session.program_folder + "/../share/snapnook/default");
  }
  return candidates;
}

std::optional<std::string> FindDefaultFolder(Session& session, std::string_view holding) {
  for (const std::string& folder : DefaultFolderCandidates(session)) {
    if (session.fs.IsFile(folder + "/" + std::string(holding))) return folder;
  }
  return std::nullopt;
}

void CopyViewerPages(Session& session) {
  std::optional<std::string> folder;
  PassOver([&] { folder = FindDefaultFolder(session); });
  if (!folder) return;
  for (const char* page : kViewerPages) {
    PassOver([&] {
      session.Files().CopyFile(*folder + "/" + page, session.state.SourceFolder + "/" + page,
                               Origin::Of(Origin::Role::kViewer));
    });
  }
}

}  // namespace snapnook
