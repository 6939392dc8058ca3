#include "support/temp_tree.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <stdexcept>

#include "support/test_pictures.h"

namespace fs = std::filesystem;

namespace snapnook::testing {

std::string Unescaped(std::string text) {
  for (size_t at = 0; (at = text.find("\\x", at)) != std::string::npos; ++at) {
    text.replace(at, 4, 1, static_cast<char>(std::stoi(text.substr(at + 2, 2), nullptr, 16)));
  }
  return text;
}

void AddToTree(const std::string& root, const std::string& line) {
  static const std::regex kLine(R"((.*?)(?: (\d+)x(\d+))?)"), kRange(R"(\{(\d+)\.\.(\d+)\})");
  std::smatch parts, range;
  std::regex_match(line, parts, kLine);
  const std::string path = Unescaped(parts[1]);
  const bool numbered = std::regex_search(path, range, kRange);
  const int last = numbered ? std::stoi(range[2]) : 1;
  for (int i = numbered ? std::stoi(range[1]) : 1; i <= last; ++i) {
    const std::string name =
        numbered ? range.prefix().str() + std::to_string(i) + range.suffix().str() : path;
    const fs::path at = fs::path(root) / name;
    fs::create_directories(name.ends_with('/') ? at : at.parent_path());
    if (parts[2].matched) {
      WriteTestJpeg(at, std::stoi(parts[2]), std::stoi(parts[3]));
    } else if (!name.ends_with('/')) {
      std::ofstream(at, std::ios::binary) << name;
    }
  }
}

TempTree::TempTree() {
  std::string pattern = (fs::temp_directory_path() / "snapnook-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
}

TempTree::~TempTree() {
  std::error_code ec;
  // Tests may have made folders read-only; give the owner back its rights before removing.
  for (auto it = fs::recursive_directory_iterator(
           root_, fs::directory_options::skip_permission_denied, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
  }
  fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(root_, ec);
}

void TempTree::WriteFile(const std::string& relative, const std::string& bytes) const {
  fs::create_directories(fs::path(Path(relative)).parent_path());
  std::ofstream out(Path(relative), std::ios::binary | std::ios::trunc);
  if (!(out << bytes)) throw std::runtime_error("cannot write " + Path(relative));
}

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<unsigned char> ReadBytes(const fs::path& path) {
  const std::string bytes = ReadWhole(path);
  return {bytes.begin(), bytes.end()};
}

std::string TempTree::ReadFile(const std::string& relative) const {
  std::ifstream in(Path(relative), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + Path(relative));
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool TempTree::Exists(const std::string& relative) const {
  std::error_code ec;
  return fs::exists(fs::symlink_status(Path(relative), ec));
}

std::vector<std::string> TempTree::Files() const {
  std::vector<std::string> files;
  for (const auto& entry : Snapshot()) files.push_back(entry.first);
  return files;
}

std::map<std::string, std::string> TempTree::Snapshot(const std::string& relative) const {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(
           Path(relative), fs::directory_options::skip_permission_denied, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_symlink(ec) || !it->is_regular_file(ec)) continue;
    const std::string rel = fs::relative(it->path(), root_).string();
    files[rel] = ReadFile(rel);
  }
  return files;
}

}  // namespace snapnook::testing
