#include "pictures/memory_budget.h"

#include <unistd.h>

#include <algorithm>
#include <thread>

#include "core/error.h"
#include "pictures/imaging.h"

namespace snapnook {

std::uint64_t DefaultMemoryBudget(int jobs) {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long page_size = ::sysconf(_SC_PAGE_SIZE);
  const std::uint64_t physical =
      pages > 0 && page_size > 0 ? static_cast<std::uint64_t>(pages) * page_size : 0;
  const unsigned shares =
      jobs > 0 ? static_cast<unsigned>(jobs) : std::max(1u, std::thread::hardware_concurrency());
  return std::max<std::uint64_t>(std::uint64_t{512} << 20, physical / 4 / shares);
}

void CheckMemoryBudget(std::uint64_t need, std::uint64_t budget, const std::string& path) {
  if (budget > 0 && need > budget) throw OutOfMemoryError(path);
}

std::uint64_t JpegDecodeBytes(const JpegFrame& frame, int shrink) {
  const std::uint64_t width = (static_cast<std::uint64_t>(frame.width) + shrink - 1) / shrink;
  const std::uint64_t height = (static_cast<std::uint64_t>(frame.height) + shrink - 1) / shrink;
  const std::uint64_t bands = std::max<std::uint64_t>(3, frame.components.size());
  return CoefficientBytes(frame) + width * height * bands;
}

std::uint64_t PixelBytes(std::uint64_t width, std::uint64_t height, int bands, int sample_bytes) {
  return 2 * width * height * static_cast<std::uint64_t>(bands) * sample_bytes;
}

}  // namespace snapnook
