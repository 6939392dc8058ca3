// Ten thousand pictures (ten sets of a thousand) through a whole run: a minute or two on two
// cores. Small pictures of the album picture's size make it quick; the screen copies are left
// out, since enlarging to them would take the time.
#include <gtest/gtest.h>

#include "reliability/reliability_support.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

TEST(ManyPictures, TenThousandPicturesMakeTwentyThousandCopiesAndAThousandPages) {
  testing::TempTree tree;
  const std::string bytes = testing::TestJpegBytes(288, 216);
  for (int i = 0; i < 10000; ++i) {
    tree.WriteFile(
        "album/SET" + std::to_string(i / 1000) + "/BIG/IMG_" + std::to_string(i) + ".JPG", bytes);
  }
  RealFileSystem fs;
  testing::WholeRun run(fs, tree.Path("album"), 0);
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
