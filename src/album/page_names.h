// Page numbers as the album's file names and anchors write them.
#pragma once

#include <string>
#include <vector>

#include "core/config.h"

namespace snapnook {

/// A page number with at least two digits, zero-padded: 1 gives "01", 12 "12", 100 "100".
/// Page numbers are never negative.
inline std::string Format00(int n) {
  std::string digits = std::to_string(n);
  return digits.size() < 2 ? "0" + digits : digits;
}

/// The number of numbered pages for `pictures` pictures: ten a page, a part-filled last page
/// counted.
inline int PagesFor(int pictures) {
  return (pictures + kPicturesPerPage - 1) / kPicturesPerPage;
}

/// The file name of numbered page `page`: "page01.htm"; 0 names the index page "page00.htm".
inline std::string PageFileName(int page) {
  return "page" + Format00(page) + ".htm";
}

/// The pages of a classic album of `pages` numbered pages, as file names in the album folder:
/// index.html, the index and DjVu pages, the viewer pages and the numbered pages.
inline std::vector<std::string> ClassicAlbumPages(int pages) {
  std::vector<std::string> names = {"index.html", "page00.htm", "page00a.htm", "show480.html",
                                    "show640.html"};
  for (int page = 1; page <= pages; ++page) names.push_back(PageFileName(page));
  return names;
}

}  // namespace snapnook
