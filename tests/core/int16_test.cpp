#include "core/int16.h"

#include <gtest/gtest.h>

namespace snapnook {
namespace {

TEST(Int16, CountsUpTo32767AndRaisesOverflowPastIt) {
  Int16 count = 32766;
  ++count;
  EXPECT_EQ(count, 32767);
  try {
    ++count;
    FAIL() << "no overflow";
  } catch (const SnapError& error) {
    EXPECT_EQ(error.number(), 6);
    EXPECT_EQ(error.description(), "Overflow");
  }
  // The failed increment leaves the value as it was.
  EXPECT_EQ(count, 32767);
}

TEST(Int16, AssignmentOutOfRangeRaisesOverflow) {
  Int16 value;
  EXPECT_THROW(value = 32768, SnapError);
  EXPECT_THROW(value = -32769, SnapError);
  value = -32768;
  EXPECT_EQ(value.value(), -32768);
  EXPECT_THROW(value += -1, SnapError);
}

}  // namespace
}  // namespace snapnook
