#include "album/web_path.h"

#include "core/page_text.h"

namespace snapnook {

std::string ToWebPath(std::string_view path) {
  std::string web(path);
  for (char& c : web) {
    if (c == kPathSeparator) c = '/';
  }
  return web;
}

std::string WebFolder(std::string_view source_folder, std::string_view set_folder) {
  std::string root(source_folder);
  if (!root.ends_with(kPathSeparator)) root += kPathSeparator;
  std::string_view below = set_folder;
  if (below.starts_with(root)) below.remove_prefix(root.size());
  std::string web = PercentEncodeName(ToWebPath(below));
  if (!web.empty() && !web.ends_with('/')) web += '/';
  return web;
}

}  // namespace snapnook
