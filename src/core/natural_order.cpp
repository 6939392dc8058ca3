#include "core/natural_order.h"

#include <algorithm>

#include "core/ascii_case.h"

namespace snapnook {
namespace {

bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

// The run of digits or of non-digits that starts at `pos`.
std::string_view RunAt(std::string_view s, size_t pos) {
  const bool digits = IsDigit(s[pos]);
  size_t end = pos;
  while (end < s.size() && IsDigit(s[end]) == digits) ++end;
  return s.substr(pos, end - pos);
}

int CompareNumbers(std::string_view a, std::string_view b) {
  const auto a_start = std::min(a.find_first_not_of('0'), a.size());
  const auto b_start = std::min(b.find_first_not_of('0'), b.size());
  const std::string_view a_value = a.substr(a_start);
  const std::string_view b_value = b.substr(b_start);
  if (a_value.size() != b_value.size()) return a_value.size() < b_value.size() ? -1 : 1;
  if (int c = a_value.compare(b_value); c != 0) return c < 0 ? -1 : 1;
  // Same value: the shorter run (fewer leading zeros) first.
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return 0;
}

int CompareText(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char ca = static_cast<unsigned char>(AsciiUpper(a[i]));
    const unsigned char cb = static_cast<unsigned char>(AsciiUpper(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return 0;
}

}  // namespace

int NaturalCompare(std::string_view a, std::string_view b) {
  size_t ia = 0;
  size_t ib = 0;
  while (ia < a.size() && ib < b.size()) {
    const std::string_view run_a = RunAt(a, ia);
    const std::string_view run_b = RunAt(b, ib);
    const bool digits_a = IsDigit(run_a.front());
    const bool digits_b = IsDigit(run_b.front());
    const int c = (digits_a && digits_b) ? CompareNumbers(run_a, run_b) : CompareText(run_a, run_b);
    if (c != 0) return c;
    ia += run_a.size();
    ib += run_b.size();
  }
  if (ia < a.size()) return 1;  // b ran out of runs first
  if (ib < b.size()) return -1;
  if (int c = a.compare(b); c != 0) return c < 0 ? -1 : 1;
  return 0;
}

}  // namespace snapnook
