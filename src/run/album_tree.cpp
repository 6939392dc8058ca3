#include "run/album_tree.h"

#include <algorithm>

#include "core/config.h"
#include "core/folder_lookup.h"
#include "pictures/folder_kinds.h"
#include "pictures/set_layout.h"

namespace snapnook {
namespace {

void Visit(Session& session, const std::string& folder, std::vector<FileId>& ancestors,
           const std::function<void(const std::string&, const std::vector<std::string>&)>& visit) {
  session.window.DoEvents();
  const std::optional<FileId> id = session.fs.Identity(folder);
  if (id && std::find(ancestors.begin(), ancestors.end(), *id) != ancestors.end()) return;
  std::vector<std::string> entries;
  try {
    entries = session.fs.ListEntries(folder);
  } catch (...) {
    return;  // the run shows what cannot be listed
  }
  visit(folder, entries);
  if (id) ancestors.push_back(*id);
  for (const std::string& name : entries) {
    if (session.fs.IsDirectory(folder + name))
      Visit(session, folder + name + "/", ancestors, visit);
  }
  if (id) ancestors.pop_back();
}

}  // namespace

void VisitFolders(Session& session, const std::string& root,
                  const std::function<void(const std::string& folder,
                                           const std::vector<std::string>& entries)>& visit) {
  std::vector<FileId> ancestors;
  Visit(session, WithSlash(root), ancestors, visit);
}

std::vector<std::string> PicturesIn(FileSystem& fs, const std::string& folder, bool modern) {
  std::vector<std::string> pictures;
  try {
    pictures = fs.ListFiles(folder, modern ? "*" : kPicturePattern);
  } catch (const SnapError&) {
    return {};  // what cannot be listed holds nothing to count or remove
  }
  std::erase_if(pictures, [&](const std::string& name) { return !IsPictureName(name, modern); });
  return pictures;
}

std::set<std::string> OriginalsOf(FileSystem& fs, const std::string& set,
                                  const std::vector<std::string>& entries, bool modern) {
  std::set<std::string> originals;
  for (const std::string& name : entries) {
    if (!IsBigFolder(name) || !fs.IsDirectory(set + name)) continue;
    for (std::string& file : PicturesIn(fs, set + name, modern)) {
      originals.insert(CopyNameOf(file, modern));
    }
  }
  return originals;
}

}  // namespace snapnook
