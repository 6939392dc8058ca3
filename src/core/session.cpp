#include "core/session.h"

#include <ctime>

namespace snapnook {

int SystemYear() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

}  // namespace snapnook
