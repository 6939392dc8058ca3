// The album build around the walk: viewer pages, failures, the check box during the walk and
// the derive pass.
#include <gtest/gtest.h>

#include "run/album_build.h"
#include "album/viewer_pages.h"
#include "album_fixture.h"
#include "support/test_pictures.h"

namespace snapnook::testing {
namespace {

using AlbumBuildTest = AlbumTest;

class ViewerPagesTest : public AlbumTest {
 protected:
  ViewerPagesTest() {
    session.home_folder = tree.Path("home");
    session.program_folder = tree.Path("opt/bin");
  }
  // A `default` folder holding the two viewer pages, marked with `mark`.
  void MakeDefault(const std::string& folder, const std::string& mark) {
    tree.WriteFile(folder + "/show480.html", "480 " + mark);
    tree.WriteFile(folder + "/show640.html", "640 " + mark);
  }
};

TEST_F(ViewerPagesTest, TheFolderBesideTheAlbumComesFirst) {
  MakeDefault("default", "beside");
  MakeDefault("home/BACKUP/2026/Personal/Pictures/default", "backup");
  MakeDefault("opt/bin/default", "program");
  tree.WriteFile("album/show480.html", "old");
  BuildAlbum(session);
  EXPECT_EQ(Read("show480.html"), "480 beside");
  EXPECT_EQ(Read("show640.html"), "640 beside");
}

TEST_F(ViewerPagesTest, ThenTheYearlyBackupFolderThenTheProgramsOwn) {
  MakeDefault("home/BACKUP/2025/Personal/Pictures/default", "last year");
  MakeDefault("opt/bin/default", "program");
  BuildAlbum(session);
  EXPECT_EQ(Read("show480.html"), "480 program");

  MakeDefault("home/BACKUP/2026/Personal/Pictures/default", "backup");
  BuildAlbum(session);
  EXPECT_EQ(Read("show480.html"), "480 backup");
  EXPECT_EQ(Read("show640.html"), "640 backup");
}

TEST_F(ViewerPagesTest, AnInstalledProgramFindsItsSharedDataFolder) {
  tree.MakeDir("opt/bin");
  MakeDefault("opt/share/snapnook/default", "installed");
  BuildAlbum(session);
  EXPECT_EQ(Read("show640.html"), "640 installed");
}

TEST_F(ViewerPagesTest, OnlyTheFirstFolderWithShow480IsUsedAndFailuresAreSilent) {
  tree.WriteFile("default/show480.html", "480 beside");  // no show640.html here
  MakeDefault("opt/bin/default", "program");
  fs.fail_create = {"show480.html"};  // and the first copy fails too
  BuildAlbum(session);
  EXPECT_FALSE(Exists("show480.html"));
  EXPECT_FALSE(Exists("show640.html"));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_TRUE(Exists("page00.htm"));
}

TEST_F(ViewerPagesTest, NoDefaultFolderAnywhere) {
  AddPictures("SET1", 1);
  SetPictureCount(1);
  BuildAlbum(session);
  EXPECT_FALSE(Exists("show480.html"));
  EXPECT_TRUE(Exists("page01.htm"));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(DefaultFolderCandidates(session),
            (std::vector<std::string>{album + "/../default",
                                      tree.Path("home/BACKUP/2026/Personal/Pictures/default"),
                                      tree.Path("opt/bin/../share/snapnook/default")}));
}

TEST_F(AlbumBuildTest, ATrailingSeparatorOnTheSourceFolderChangesNothing) {
  AddPictures("SET1", 1);
  SetPictureCount(1);
  tree.WriteFile("default/show480.html", "480");
  tree.WriteFile("default/show640.html", "640");
  BuildAlbum(session);
  const auto plain = tree.Snapshot("album");
  window.source_dir = album + "/";
  BuildAlbum(session);
  EXPECT_EQ(tree.Snapshot("album"), plain);
  EXPECT_EQ(Read("show640.html"), "640");
}

TEST_F(AlbumBuildTest, UnwritableIndexHtmlIsReportedAndEndsTheBuild) {
  AddPictures("SET1", 1);
  SetPictureCount(1);
  fs.fail_create = {"index.html"};
  BuildAlbum(session);
  EXPECT_EQ(window.UnexpectedErrors(),
            std::vector<std::string>{"Error: 61 - Disk full: " + album + "/index.html"});
  EXPECT_FALSE(Exists("page00.htm"));
  EXPECT_FALSE(Exists("page01.htm"));
}

TEST_F(AlbumBuildTest, UncreatableDjvuPageIsReportedAndLeavesTheOldPages) {
  AddPictures("SET1", 1);
  SetPictureCount(1);
  tree.WriteFile("album/page00.htm", "old index page");
  fs.fail_create = {"page00a.htm"};
  BuildAlbum(session);
  EXPECT_EQ(window.UnexpectedErrors(),
            std::vector<std::string>{"Error: 61 - Disk full: " + album + "/page00a.htm"});
  EXPECT_EQ(Read("page00.htm"), "old index page");
  EXPECT_FALSE(Exists("page01.htm"));
  EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_F(AlbumBuildTest, AFailedIndexPageWriteLeavesTheOldPageAndTheBuildGoesOn) {
  AddPictures("SET1", 1);
  SetPictureCount(1);
  tree.WriteFile("album/page00.htm", "old index page");
  fs.fail_commit = {"page00.htm"};
  BuildAlbum(session);
  // The page is not put in place, and the user is told.
  EXPECT_EQ(window.UnexpectedErrors(),
            std::vector<std::string>{"Error: 61 - Disk full: " + album + "/page00.htm"});
  EXPECT_EQ(Read("page00.htm"), "old index page");
  EXPECT_TRUE(Read("page00a.htm").ends_with("</html>\r\n"));
  EXPECT_TRUE(Read("page01.htm").ends_with("</html>\r\n"));
  EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_F(AlbumBuildTest, ANumberedPageThatCannotBeMadeGoesToTheWalksTrap) {
  AddPictures("SET1", 12);
  SetPictureCount(12);
  fs.fail_create = {"page02.htm"};
  BuildAlbum(session);
  EXPECT_EQ(window.UnexpectedErrors(),
            std::vector<std::string>{"Error: 61 - Disk full: " + album + "/page02.htm"});
  EXPECT_TRUE(Read("page01.htm").ends_with("</html>\r\n"));
  EXPECT_FALSE(Exists("page02.htm"));
  // The walk of SET1 ended at picture 11; the index pages are still finished.
  const std::string index = Read("page00.htm");
  EXPECT_NE(index.find("SET1/Thumb/IMG10.JPG"), std::string::npos);
  EXPECT_EQ(index.find("SET1/Thumb/IMG11.JPG"), std::string::npos);
  EXPECT_TRUE(index.ends_with("</html>\r\n"));
  EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_F(AlbumBuildTest, PagesAppearOnlyWhenFinished) {
  AddPictures("SET1", 3);
  SetPictureCount(3);
  tree.WriteFile("album/page00.htm", "old index page");
  int checks = 0;
  window.on_do_events = [&](FakeWindow&) {
    EXPECT_EQ(Read("page00.htm"), "old index page");
    EXPECT_FALSE(Exists("page00a.htm"));
    EXPECT_FALSE(Exists("page01.htm"));
    ++checks;
  };
  BuildAlbum(session);
  EXPECT_GT(checks, 3);
  EXPECT_NE(Read("page00.htm"), "old index page");
  EXPECT_TRUE(Exists("page01.htm"));
}

TEST_F(AlbumBuildTest, HtmlUntickedDuringTheWalkStillFinishesAndClosesEveryPage) {
  AddPictures("SET1", 2);
  AddPictures("SET2", 2, 3);
  SetPictureCount(4);
  window.on_do_events = [&](FakeWindow& w) {
    // Unticked after the last picture of SET1: the pictures of SET2 get no cells.
    if (w.status_text.ends_with("SET1/IMG2.JPG")) w.checked[CheckBox::kCreateHtml] = false;
  };
  BuildAlbum(session);
  EXPECT_TRUE(window.messages.empty());
  const std::string index = Read("page00.htm");
  EXPECT_NE(index.find("SET1/Thumb/IMG2.JPG"), std::string::npos);
  EXPECT_EQ(index.find("SET2/"), std::string::npos);
  EXPECT_TRUE(index.ends_with("</html>\r\n"));
  EXPECT_TRUE(Read("page00a.htm").ends_with("</html>\r\n"));
  const std::string page = Read("page01.htm");
  EXPECT_NE(page.find("</tr>\r\n</table>\r\n"), std::string::npos);
  EXPECT_TRUE(page.ends_with("</html>\r\n"));
  EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_F(AlbumBuildTest, HtmlTickedDuringTheWalkWritesNoPage) {
  AddPictures("SET1", 2);
  SetPictureCount(2);
  window.checked[CheckBox::kCreateHtml] = false;
  window.on_do_events = [](FakeWindow& w) { w.checked[CheckBox::kCreateHtml] = true; };
  BuildAlbum(session);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_FALSE(Exists("index.html"));
  EXPECT_FALSE(Exists("page00.htm"));
  EXPECT_FALSE(Exists("page01.htm"));
  EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_F(AlbumBuildTest, WithoutHtmlTheBuildWritesNoAlbumFile) {
  AddPictures("SET1", 2);
  tree.WriteFile("default/show480.html", "480");
  window.checked[CheckBox::kCreateHtml] = false;
  const auto before = tree.Snapshot("album");
  BuildAlbum(session);
  auto after = tree.Snapshot("album");
  EXPECT_EQ(after, before);
  EXPECT_TRUE(tree.Exists("album/SET1/Thumb"));  // the walk itself still ran
}

TEST_F(AlbumBuildTest, TheDerivePassWritesPagesForTheAlbumPicturesThatExistedWhenItStarted) {
  window.checked[CheckBox::kCreateJpg] = true;
  tree.MakeDir("album/SET1/BIG");
  WriteTestJpeg(tree.Path("album/SET1/BIG/A.JPG"), 160, 120);
  WriteTestJpeg(tree.Path("album/SET1/BIG/B.JPG"), 160, 120);
  AddPicture("SET1/A.JPG");  // from an earlier run
  SetPictureCount(2);
  BuildAlbum(session);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_TRUE(Exists("SET1/B.JPG"));
  const std::string derive_pass = RowsOf("page01.htm");
  EXPECT_NE(derive_pass.find("SET1/A.JPG"), std::string::npos);
  EXPECT_EQ(derive_pass.find("SET1/B.JPG"), std::string::npos);

  // The HTML pass that follows sees both.
  window.checked[CheckBox::kCreateJpg] = false;
  BuildAlbum(session);
  const std::string html_pass = RowsOf("page01.htm");
  EXPECT_NE(html_pass.find("SET1/A.JPG"), std::string::npos);
  EXPECT_NE(html_pass.find("SET1/B.JPG"), std::string::npos);
}

}  // namespace
}  // namespace snapnook::testing
