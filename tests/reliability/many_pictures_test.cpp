// The 16-bit picture count at its limit: 32768 pictures through whole runs. Slow: a minute on
// two cores.
#include <gtest/gtest.h>

#include "reliability/reliability_support.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::WholeRun;

TEST(ManyPictures, The32768thPictureIsAnOverflowOnceAndTheRunStillEndsCleanly) {
  testing::TempTree tree;
  // Files that are no pictures, which the counting pass never reads.
  testing::AddToTree(tree.root(), "album/SET1/BIG/IMG{1..32767}.JPG");
  RealFileSystem fs;
  // Counting only (no box ticked): 32767 pictures, 3277 pages; then one picture more, error 6
  // once, the count stopped at its limit; then with every box ticked, the count overflows, the
  // first picture, which is none, ends the derive pass's walk of the folder, the HTML pass's
  // progress count overflows too, and the album is written without pictures.
  const std::string invalid =
      "Error: 481 - Invalid picture: " + tree.Path("album/SET1/BIG/IMG1.JPG");
  const std::vector<std::vector<std::string>> shown = {
      {}, {"Error: 6 - Overflow"}, {"Error: 6 - Overflow", invalid, "Error: 6 - Overflow"}};
  for (size_t run_number = 0; run_number < shown.size(); ++run_number) {
    if (run_number == 1) testing::AddToTree(tree.root(), "album/SET1/BIG/IMG32768.JPG");
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
  EXPECT_EQ(testing::TemporaryNamesBelow(tree), std::vector<std::string>{});
}

}  // namespace
}  // namespace snapnook
