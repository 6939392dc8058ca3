// Folder kinds, decided on the path's text alone.
#pragma once

#include <string_view>

namespace snapnook {

/// A set folder: the last four characters of the name are "SET" and one more character (SET1,
/// set9, MYSET2; not SET, SET10). For a path that ends with "/", characters 5 to 2 from the
/// end are tested. Letter case is ignored.
bool IsSetFolder(std::string_view path);

/// A `BIG` folder: the name ends with "BIG" (BIG, big, OLDBIG; not BIGGER). For a path that
/// ends with "/", the last four characters must be "BIG/". Letter case is ignored.
bool IsBigFolder(std::string_view path);

}  // namespace snapnook
