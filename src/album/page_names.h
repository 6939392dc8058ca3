// Page numbers as the album's file names and anchors write them.
#pragma once

#include <string>

#include "core/config.h"

namespace snapnook {

/// A page number with at least two digits, zero-padded: 1 gives "01", 12 "12", 100 "100".
/// Page numbers are never negative.
inline std::string Format00(int n) {
  std::string digits = std::to_string(n);
  if (digits.size() < 2) digits.insert(0, "0");
  return digits;
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

}  // namespace snapnook
