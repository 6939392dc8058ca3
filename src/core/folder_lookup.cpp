#include "core/folder_lookup.h"

namespace snapnook {

std::string WithSlash(const std::string& folder) {
  return folder.ends_with('/') ? folder : folder + "/";
}

}  // namespace snapnook
