// The page files: atomic, CR LF and ISO-8859-1, failures kept until the page is opened again.
#include <gtest/gtest.h>

#include "album/page_files.h"
#include "album_fixture.h"

namespace snapnook::testing {
namespace {

using PageFilesTest = AlbumTest;

TEST_F(PageFilesTest, APageAppearsUnderItsNameOnlyWhenClosed) {
  tree.WriteFile("album/page00.htm", "old page");
  PageFiles pages(fs);
  pages.Open(PageFile::kIndex, album + "/page00.htm");
  pages.Open(PageFile::kNumbered, album + "/page01.htm");
  EXPECT_TRUE(pages.IsOpen(PageFile::kIndex));
  EXPECT_FALSE(pages.IsOpen(PageFile::kDjvu));
  pages.WriteLine(PageFile::kIndex, "<title>Caf\xC3\xA9 \xE2\x82\xAC");
  pages.WriteLine(PageFile::kIndex, "");
  pages.WriteLine(PageFile::kNumbered, "\tone");

  EXPECT_EQ(Read("page00.htm"), "old page");
  EXPECT_FALSE(Exists("page01.htm"));
  EXPECT_TRUE(TemporaryFilesLeft());

  pages.Close(PageFile::kIndex);
  EXPECT_FALSE(pages.IsOpen(PageFile::kIndex));
  EXPECT_EQ(Read("page00.htm"), "<title>Caf\xE9 &#8364;\r\n\r\n");
  EXPECT_FALSE(Exists("page01.htm"));

  pages.DropAll();
  EXPECT_FALSE(pages.IsOpen(PageFile::kNumbered));
  EXPECT_FALSE(Exists("page01.htm"));
  EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_F(PageFilesTest, AFailedOpenFailsEveryWriteWithItsError) {
  fs.fail_create = {"page02.htm"};
  PageFiles pages(fs);
  try {
    pages.Open(PageFile::kNumbered, album + "/page02.htm");
    FAIL() << "no error";
  } catch (const SnapError& error) {
    EXPECT_EQ(error.number(), kErrDiskFull);
  }
  EXPECT_TRUE(pages.IsOpen(PageFile::kNumbered));
  for (int i = 0; i < 2; ++i) {
    try {
      pages.WriteLine(PageFile::kNumbered, "<SCRIPT>");
      FAIL() << "no error";
    } catch (const SnapError& error) {
      EXPECT_EQ(error.description(), "Disk full: " + album + "/page02.htm");
    }
  }
  pages.Close(PageFile::kNumbered);
  EXPECT_FALSE(pages.IsOpen(PageFile::kNumbered));
  EXPECT_FALSE(Exists("page02.htm"));

  // Opened again under another name, the number works.
  pages.Open(PageFile::kNumbered, album + "/page03.htm");
  pages.WriteLine(PageFile::kNumbered, "x");
  pages.Close(PageFile::kNumbered);
  EXPECT_EQ(Read("page03.htm"), "x\r\n");
}

TEST_F(PageFilesTest, APageWhoseWriteFailedIsNeverPutInPlace) {
  tree.WriteFile("album/page00a.htm", "old");
  fs.fail_write = {"page00a.htm"};
  PageFiles pages(fs);
  pages.Open(PageFile::kDjvu, album + "/page00a.htm");
  EXPECT_THROW(pages.WriteLine(PageFile::kDjvu, "<SCRIPT>"), SnapError);
  EXPECT_THROW(pages.WriteLine(PageFile::kDjvu, "<html>"), SnapError);
  pages.Close(PageFile::kDjvu);
  EXPECT_EQ(Read("page00a.htm"), "old");
  EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_F(PageFilesTest, WritingAPageThatIsNotOpenFails) {
  PageFiles pages(fs);
  EXPECT_THROW(pages.WriteLine(PageFile::kIndex, "x"), SnapError);
  pages.Close(PageFile::kIndex);  // nothing to close: no error
  EXPECT_TRUE(tree.Files().empty());
}

TEST_F(PageFilesTest, OpeningANumberAgainDropsThePageStillOpenUnderIt) {
  PageFiles pages(fs);
  pages.Open(PageFile::kNumbered, album + "/page01.htm");
  pages.WriteLine(PageFile::kNumbered, "first");
  pages.Open(PageFile::kNumbered, album + "/page02.htm");
  pages.WriteLine(PageFile::kNumbered, "second");
  pages.Close(PageFile::kNumbered);
  EXPECT_FALSE(Exists("page01.htm"));
  EXPECT_EQ(Read("page02.htm"), "second\r\n");
  EXPECT_FALSE(TemporaryFilesLeft());
}

}  // namespace
}  // namespace snapnook::testing
