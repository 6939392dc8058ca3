#include "reliability/reliability_support.h"

#include <vips/vips.h>

#include <filesystem>

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

void CopyTree(const std::string& from, const std::string& to) {
  fs::create_directories(to);
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
}

std::vector<std::string> TemporaryNamesBelow(const std::string& root) {
  std::vector<std::string> found;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(
           root, fs::directory_options::skip_permission_denied, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_symlink(ec)) it.disable_recursion_pending();
    if (IsTemporaryName(it->path().filename().string())) {
      found.push_back(fs::relative(it->path(), root).string());
    }
  }
  return found;
}

std::string WebReadySize(const std::string& path) {
  JpegFacts f;
  try {
    f = ReadJpegFacts(path);
  } catch (const std::exception& e) {
    vips_error_clear();  // or the next failure's text would hold this one's too
    return std::string("not a JPEG: ") + e.what();
  }
  return std::to_string(f.width) + "x" + std::to_string(f.height) +
         (f.bands != 3 ? " bands=" + std::to_string(f.bands) : "") + (f.srgb ? "" : " not-sRGB") +
         (f.has_exif ? " EXIF" : "") + (f.has_icc ? " profile" : "") +
         (f.progressive ? " progressive" : "");
}

std::string MadeCopies(const std::string& set, const std::string& name) {
  std::string sizes;
  for (const char* folder : {"/", "/Thumb/", "/640/"}) {
    const std::string path = set + folder + name;
    sizes += (sizes.empty() ? "" : " ") + (fs::exists(path) ? WebReadySize(path) : "-");
  }
  return sizes;
}

std::vector<std::string> Differences(const TempTree& tree, const std::string& root,
                                     const std::map<std::string, std::string>& album,
                                     bool disturbed) {
  std::vector<std::string> found;
  const auto files = tree.Snapshot(root);
  for (const auto& [path, bytes] : files) {
    const bool page = path.ends_with(".htm") || path.ends_with(".html");
    if (IsTemporaryName(fs::path(path).filename().string())) continue;
    if (!album.contains(path)) found.push_back("+" + path);
    if (album.contains(path) && bytes != album.at(path) &&
        !(disturbed && page && bytes.ends_with("</html>\r\n"))) {
      found.push_back("~" + path);
    }
  }
  for (const auto& [path, bytes] : album) {
    if (!files.contains(path) && (!disturbed || path.find("BIG/") != std::string::npos)) {
      found.push_back("-" + path);
    }
  }
  return found;
}

std::map<std::string, std::string> Originals(const TempTree& tree, const std::string& root) {
  std::map<std::string, std::string> originals;
  for (auto& [path, content] : tree.Snapshot(root)) {
    for (const fs::path& part : fs::path(path)) {
      std::string name = part.string();
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (name == "BIG") originals[path] = content;
    }
  }
  return originals;
}

}  // namespace snapnook::testing
