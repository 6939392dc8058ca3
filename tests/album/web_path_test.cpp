// Web paths and page names as the album's links write them.
#include <gtest/gtest.h>

#include "album/page_names.h"
#include "album/web_path.h"

namespace snapnook {
namespace {

TEST(WebFolder, IsTheSetFolderBelowTheAlbumInWebForm) {
  EXPECT_EQ(WebFolder("/pics/album", "/pics/album/SET1/"), "SET1/");
  EXPECT_EQ(WebFolder("/pics/album/", "/pics/album/SET1/"), "SET1/");
  EXPECT_EQ(WebFolder("/pics/album//", "/pics/album//SET1/"), "SET1/");
  EXPECT_EQ(WebFolder("/", "/SET1/"), "SET1/");
  EXPECT_EQ(WebFolder("/pics/album", "/pics/album/2000/SET1/"), "2000/SET1/");
  EXPECT_EQ(WebFolder("/pics/SET1", "/pics/SET1/"), "");  // a set folder chosen as the album
  EXPECT_EQ(WebFolder("/a", "/a/Tom & Jerry's #SET1/"), "Tom %26 Jerry%27s %23SET1/");
  EXPECT_EQ(WebFolder("/a", "/a/back\\slash SET1/"), "back%5Cslash SET1/");
  EXPECT_EQ(ToWebPath("2000/SET1/"), "2000/SET1/");
}

TEST(PageNames, HaveAtLeastTwoDigits) {
  EXPECT_EQ(PageFileName(0), "page00.htm");
  EXPECT_EQ(PageFileName(9), "page09.htm");
  EXPECT_EQ(PageFileName(10), "page10.htm");
  EXPECT_EQ(PageFileName(100), "page100.htm");
  EXPECT_EQ(Format00(32767), "32767");
}

}  // namespace
}  // namespace snapnook
