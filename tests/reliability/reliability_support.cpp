#include "reliability/reliability_support.h"

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vips/vips.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

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
  JpegFacts facts;
  try {
    facts = ReadJpegFacts(path);
  } catch (const std::exception& e) {
    vips_error_clear();  // or the next failure's text would hold this one's too
    return std::string("not a JPEG: ") + e.what();
  }
  std::string wrong;
  if (facts.bands != 3) wrong += " bands=" + std::to_string(facts.bands);
  if (!facts.srgb) wrong += " not-8-bit-sRGB";
  if (facts.has_exif) wrong += " has-EXIF";
  if (facts.has_icc) wrong += " has-profile";
  if (facts.progressive) wrong += " progressive";
  if (facts.orientation != 0) wrong += " orientation=" + std::to_string(facts.orientation);
  const std::string size = std::to_string(facts.width) + "x" + std::to_string(facts.height);
  return wrong.empty() ? size : size + wrong;
}

std::map<std::string, std::string> Originals(const TempTree& tree, const std::string& root) {
  std::map<std::string, std::string> originals;
  for (auto& [path, content] : tree.Snapshot(root)) {
    for (const fs::path& part : fs::path(path)) {
      std::string name = part.string();
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (name == "BIG") {
        originals[path] = content;
        break;
      }
    }
  }
  return originals;
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string BatchBinary() {
  const char* bin = std::getenv("SNAPNOOK_BIN_DIR");
  return std::string(bin ? bin : ".") + "/snapnook-batch";
}

bool RunningAsRoot() {
  return ::geteuid() == 0;
}

std::string AsUnprivilegedUser() {
  return RunningAsRoot() ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "";
}

void GiveToUnprivilegedUser(const std::string& root) {
  if (!RunningAsRoot()) return;
  const passwd* nobody = ::getpwnam("nobody");
  if (!nobody) throw std::runtime_error("there is no user nobody");
  const uid_t uid = nobody->pw_uid;
  const gid_t gid = nobody->pw_gid;
  if (::lchown(root.c_str(), uid, gid) != 0) throw std::runtime_error("cannot chown " + root);
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (::lchown(entry.path().c_str(), uid, gid) != 0) {
      throw std::runtime_error("cannot chown " + entry.path().string());
    }
  }
}

CommandResult RunBatch(const std::string& args, const std::string& config_home,
                       const std::string& wrapper) {
  const std::string out = config_home + "/stdout";
  const std::string err = config_home + "/stderr";
  const std::string command = "XDG_CONFIG_HOME=" + Quote(config_home) +
                              " HOME=" + Quote(config_home) + " " + AsUnprivilegedUser() + wrapper +
                              Quote(BatchBinary()) + " " + args + " >" + Quote(out) + " 2>" +
                              Quote(err);
  CommandResult result;
  const int raw = std::system(command.c_str());
  result.status = (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
  auto read = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  };
  result.out = read(out);
  result.err = read(err);
  return result;
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.ends_with('\r')) line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace snapnook::testing
