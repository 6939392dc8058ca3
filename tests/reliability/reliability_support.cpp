#include "reliability/reliability_support.h"

#include <vips/vips.h>

#include <filesystem>
#include <fstream>

#include "run/album_record.h"
#include "run/run_driver.h"
#include "support/test_pictures.h"

namespace fs = std::filesystem;

namespace snapnook::testing {

WholeRun::WholeRun(FileSystem& fs, const std::string& source, int jobs)
    : session(window, fs, settings) {
  window.source_dir = source;
  window.title = "Reliability";
  session.state.ProductName = "Snapnook";
  session.state.LoadedCopyrightLink = window.copyright_link;
  session.current_year = [] { return 2026; };
  session.jobs = jobs;
}

void WholeRun::Run() {
  RunCreatePictures(session, ClosingQuestion::kSkip);
}

std::unique_ptr<TempTree> FreshTree(const std::string& listing) {
  static std::map<std::string, std::unique_ptr<TempTree>> made;
  std::unique_ptr<TempTree>& from = made[listing];
  if (!from) {
    from = std::make_unique<TempTree>();
    std::ifstream lines(SNAPNOOK_TEST_DATA "/" + listing);
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && !line.starts_with('#')) AddToTree(from->root(), line);
    }
  }
  auto tree = std::make_unique<TempTree>();
  fs::copy(from->root(), tree->root(), fs::copy_options::recursive);
  return tree;
}

std::vector<std::string> TemporaryNamesBelow(const TempTree& tree) {
  std::vector<std::string> found;
  for (const std::string& path : tree.Files()) {
    if (IsTemporaryName(fs::path(path).filename().string())) found.push_back(path);
  }
  return found;
}

std::string MadeCopies(const std::string& set, const std::string& name) {
  std::string sizes;
  for (const char* folder : {"/", "/Thumb/", "/640/"}) {
    sizes += sizes.empty() ? "" : " ";
    if (!fs::exists(set + folder + name)) {
      sizes += "-";
      continue;
    }
    try {
      const JpegFacts f = ReadJpegFacts(set + folder + name);
      sizes += std::to_string(f.width) + "x" + std::to_string(f.height) +
               (f.bands != 3 ? " bands=" + std::to_string(f.bands) : "") +
               (f.srgb ? "" : " not-sRGB") + (f.has_exif ? " EXIF" : "") +
               (f.has_icc ? " profile" : "") + (f.progressive ? " progressive" : "");
    } catch (const std::exception& e) {
      vips_error_clear();  // or the next failure's text would hold this one's too
      sizes += std::string("not a JPEG: ") + e.what();
    }
  }
  return sizes;
}

std::vector<std::string> Differences(const TempTree& tree, const std::string& root,
                                     const std::map<std::string, std::string>& album,
                                     bool disturbed) {
  std::vector<std::string> found;
  const auto files = tree.Snapshot(root);
  for (const auto& [path, bytes] : files) {
    const auto was = album.find(path);
    const std::string name = fs::path(path).filename().string();
    if (IsTemporaryName(name) || name.starts_with(kRecordName)) continue;
    if (was == album.end()) {
      found.push_back("+" + path);
    } else if (bytes != was->second && !(disturbed && path.find(".htm") != std::string::npos &&
                                         bytes.ends_with("</html>\r\n"))) {
      found.push_back("~" + path);
    }
  }
  for (const auto& [path, bytes] : album) {
    if (!files.contains(path) && (!disturbed || path.find("BIG/") != std::string::npos) &&
        !fs::path(path).filename().string().starts_with(kRecordName)) {
      found.push_back("-" + path);
    }
  }
  // The record lists every file as it is (a journal left by a process killed while writing the
  // record is what the next run recovers first, as opening it here does).
  std::string problem;
  RealFileSystem real;
  const auto record = AlbumRecord::Open(tree.Path(root), AlbumRecord::Mode::kWrite, problem);
  if (!problem.empty()) found.push_back("!" + problem);
  for (const auto& [path, file] : record->files()) {
    const auto now = real.Stat(tree.Path(root) + "/" + path);
    if (!now || StampOf(*now) != file.stamp) {
      found.push_back("?" + root + "/" + path);
    }
  }
  return found;
}

}  // namespace snapnook::testing
