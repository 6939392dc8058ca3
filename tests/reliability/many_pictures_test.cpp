// Many pictures: the 16-bit picture count at its limit, and ten thousand pictures through a
// whole run. Slow: a minute or two on two cores.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "reliability/reliability_support.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::WholeRun;

TEST(ManyPictures, The32768thPictureIsAnOverflowOnceAndTheRunStillEndsCleanly) {
  testing::TempTree tree;
  tree.MakeDir("album/SET1/BIG");
  // Empty files, which the counting pass never reads.
  const auto pictures = [&](int first, int last) {
    for (int i = first; i <= last; ++i) {
      ::close(::creat(tree.Path("album/SET1/BIG/IMG" + std::to_string(i) + ".JPG").c_str(), 0644));
    }
  };
  pictures(1, 32767);
  RealFileSystem fs;
  // Counting only (no box ticked): 32767 pictures, 3277 pages; then one picture more, error 6
  // once, the count stopped at its limit; then with every box ticked, the count overflows, the
  // first (empty) picture ends the derive pass's walk of the folder, the HTML pass's progress
  // count overflows too, and the album is written without pictures.
  const std::string invalid =
      "Error: 481 - Invalid picture: " + tree.Path("album/SET1/BIG/IMG1.JPG") + " (empty file)";
  const std::vector<std::vector<std::string>> shown = {
      {}, {"Error: 6 - Overflow"}, {"Error: 6 - Overflow", invalid, "Error: 6 - Overflow"}};
  for (size_t run_number = 0; run_number < shown.size(); ++run_number) {
    if (run_number == 1) pictures(32768, 32768);
    WholeRun run(fs, tree.Path("album"), 2);
    run.window.checked[CheckBox::kCreateJpg] = run.window.checked[CheckBox::kCreateHtml] =
        run_number == 2;
    run.Run();
    EXPECT_EQ(run.window.UnexpectedErrors(), shown[run_number]);
    EXPECT_TRUE(run.window.enabled[Button::kLoad] && !run.window.progress_visible);
    if (run_number < 2) {
      EXPECT_EQ(run.session.state.PicturesOnPage, 32767);
      EXPECT_EQ(run.session.state.PageCount, 3277);
    }
  }
  EXPECT_TRUE(tree.ReadFile("album/page00.htm").ends_with("</html>\r\n"));
  EXPECT_FALSE(tree.Exists("album/page01.htm"));
  EXPECT_EQ(testing::TemporaryNamesBelow(tree.root()), std::vector<std::string>{});
}

// Small pictures of the album picture's size make it quick; the screen copies are left out,
// since enlarging to them would take the time.
TEST(ManyPictures, TenThousandPicturesMakeTwentyThousandCopiesAndAThousandPages) {
  testing::TempTree tree;
  const std::string bytes = testing::TestJpegBytes(288, 216);
  for (int i = 0; i < 10000; ++i) {
    tree.WriteFile(
        "album/SET" + std::to_string(i / 1000) + "/BIG/IMG_" + std::to_string(i) + ".JPG", bytes);
  }
  RealFileSystem fs;
  WholeRun run(fs, tree.Path("album"), 0);
  run.window.checked[CheckBox::kCreate640] = false;
  run.Run();
  EXPECT_EQ(run.window.UnexpectedErrors(), std::vector<std::string>{});
  EXPECT_EQ(run.session.state.PageCount, 1000);
  size_t copies = 0, pages = 0, cells = 0;
  for (const std::string& path : tree.Files()) {
    copies += path.ends_with(".JPG") && path.find("/BIG/") == std::string::npos;
    pages += path.ends_with(".htm") && tree.ReadFile(path).ends_with("</html>\r\n");
  }
  EXPECT_EQ(copies, 20000u);
  EXPECT_EQ(pages, 1002u);  // page00.htm, page00a.htm, page01.htm to page1000.htm
  EXPECT_TRUE(tree.Exists("album/page1000.htm"));
  EXPECT_EQ(testing::MadeCopies(tree.Path("album/SET9"), "IMG_9999.JPG"), "288x216 74x55 -");
  const std::string index = tree.ReadFile("album/page00.htm");
  for (size_t at = 0; (at = index.find("/Thumb/IMG_", at)) != std::string::npos; ++at) ++cells;
  EXPECT_EQ(cells, 10000u);
  EXPECT_NE(index.find("page1000.htm#04"), std::string::npos);
}

}  // namespace
}  // namespace snapnook
