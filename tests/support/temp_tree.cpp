#include "support/temp_tree.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace snapnook::testing {

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

std::string TempTree::Path(const std::string& relative) const {
  return relative.empty() ? root_ : root_ + "/" + relative;
}

void TempTree::MakeDir(const std::string& relative) const {
  fs::create_directories(Path(relative));
}

void TempTree::WriteFile(const std::string& relative, const std::string& bytes) const {
  const fs::path path = Path(relative);
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string TempTree::ReadFile(const std::string& relative) const {
  std::ifstream in(Path(relative), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + Path(relative));
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool TempTree::Exists(const std::string& relative) const {
  std::error_code ec;
  return fs::exists(fs::symlink_status(Path(relative), ec));
}

std::vector<std::string> TempTree::Files() const {
  std::vector<std::string> files;
  for (const auto& [path, content] : Snapshot()) files.push_back(path);
  return files;
}

std::map<std::string, std::string> TempTree::Snapshot(const std::string& relative) const {
  std::map<std::string, std::string> files;
  std::error_code ec;
  const fs::path base = Path(relative);
  for (auto it = fs::recursive_directory_iterator(
           base, fs::directory_options::skip_permission_denied, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_symlink(ec)) {
      if (it->is_directory(ec)) it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file(ec)) continue;
    const std::string rel = fs::relative(it->path(), root_).string();
    files[rel] = ReadFile(rel);
  }
  return files;
}

std::string MemorySettings::Read(const std::string& app, const std::string& section,
                                 const std::string& key, const std::string& fallback) {
  const auto it = values.find(app + "/" + section + "/" + key);
  return it == values.end() ? fallback : it->second;
}

void MemorySettings::Write(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& value) {
  values[app + "/" + section + "/" + key] = value;
  ++writes;
}

}  // namespace snapnook::testing
