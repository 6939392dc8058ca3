#include "core/natural_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace snapnook {
namespace {

TEST(NaturalOrder, NumbersCompareByValueAndLetterCaseIsIgnored) {
  std::vector<std::string> names = {"img10", "IMG10b", "IMG2", "IMG1", "SET10", "SET9", "SET1"};
  std::sort(names.begin(), names.end(), NaturalLess);
  EXPECT_EQ(names,
            (std::vector<std::string>{"IMG1", "IMG2", "img10", "IMG10b", "SET1", "SET9", "SET10"}));
}

TEST(NaturalOrder, EqualValuesPutTheShorterDigitRunFirst) {
  EXPECT_LT(NaturalCompare("IMG1", "IMG01"), 0);
  EXPECT_LT(NaturalCompare("IMG01", "IMG001"), 0);
  EXPECT_GT(NaturalCompare("IMG002", "IMG1"), 0);
}

TEST(NaturalOrder, RunsEqualButForCaseFallBackToByteOrder) {
  // Upper-case letters come first in byte order, so the order is total and stable.
  EXPECT_LT(NaturalCompare("IMG.JPG", "img.jpg"), 0);
  EXPECT_GT(NaturalCompare("img.jpg", "IMG.JPG"), 0);
  EXPECT_EQ(NaturalCompare("same", "same"), 0);
}

TEST(NaturalOrder, APrefixComesFirst) {
  EXPECT_LT(NaturalCompare("IMG", "IMG1"), 0);
  EXPECT_LT(NaturalCompare("", "a"), 0);
  EXPECT_LT(NaturalCompare("photo", "photo album"), 0);
}

TEST(NaturalOrder, LongDigitRunsDoNotOverflow) {
  EXPECT_LT(NaturalCompare("a99999999999999999999999", "a100000000000000000000000"), 0);
  EXPECT_GT(NaturalCompare("a100000000000000000000000", "a99999999999999999999999"), 0);
}

TEST(NaturalOrder, IsAStrictWeakOrderingOverAMixedSet) {
  const std::vector<std::string> names = {
      "",    "0",  "00", "1",   "01", "10",       "a",    "A",    "a1",   "A1",   "a01",  "a1b",
      "a10", "a2", "a!", "a 2", "b",  "\xc3\xa9", "\xff", "Z9z9", "z10z", "IMG_", "IMG-", "img_2"};
  for (const auto& a : names) {
    EXPECT_FALSE(NaturalLess(a, a)) << a;
    for (const auto& b : names) {
      EXPECT_EQ(NaturalCompare(a, b), -NaturalCompare(b, a)) << a << " / " << b;
      if (a != b) {
        EXPECT_NE(NaturalCompare(a, b), 0) << a << " / " << b;
      }
      for (const auto& c : names) {
        if (NaturalLess(a, b) && NaturalLess(b, c)) {
          EXPECT_TRUE(NaturalLess(a, c)) << a << " < " << b << " < " << c;
        }
      }
    }
  }
}

}  // namespace
}  // namespace snapnook
