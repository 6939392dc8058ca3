#include "core/error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace snapnook {
namespace {

TEST(Errors, ErrnoValuesBecomeTheirNumberedErrorsNamingThePath) {
  struct Case {
    int err;
    IoAction action;
    int number;
    const char* text;
  };
  const Case cases[] = {
      {ENOENT, IoAction::kRead, 53, "File not found: /x/IMG1.JPG"},
      {ENOENT, IoAction::kWrite, 76, "Path not found: /x/IMG1.JPG"},
      {ENOTDIR, IoAction::kWrite, 76, "Path not found: /x/IMG1.JPG"},
      {ENOSPC, IoAction::kWrite, 61, "Disk full: /x/IMG1.JPG"},
      {EDQUOT, IoAction::kWrite, 61, "Disk full: /x/IMG1.JPG"},
      {EACCES, IoAction::kRead, 70, "Permission denied: /x/IMG1.JPG"},
      {EROFS, IoAction::kWrite, 70, "Permission denied: /x/IMG1.JPG"},
      {EIO, IoAction::kWrite, 75, "Path/File access error: /x/IMG1.JPG"},
  };
  for (const Case& c : cases) {
    const SnapError error = ErrorFromErrno(c.err, c.action, "/x/IMG1.JPG");
    EXPECT_EQ(error.number(), c.number) << c.text;
    EXPECT_EQ(error.description(), c.text);
  }
}

TEST(Errors, TheWalkMessageJoinsNumberAndDescription) {
  EXPECT_EQ(WalkErrorText(InvalidPictureError("/a/BIG/x.JPG")),
            "Error: 481 - Invalid picture: /a/BIG/x.JPG");
  EXPECT_EQ(WalkErrorText(OverflowError()), "Error: 6 - Overflow");
}

}  // namespace
}  // namespace snapnook
