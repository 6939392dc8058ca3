// Ten thousand pictures through a whole run. Slow: a minute or two on two cores.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "reliability/odd_pictures.h"
#include "reliability/reliability_support.h"

namespace snapnook {
namespace {

using testing::TempTree;
using testing::WebReadySize;
using testing::WholeRun;

int FilesIn(const std::string& folder) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    count += entry.is_regular_file();
  }
  return count;
}

TEST(ManyPictures, TenThousandPicturesMakeTwentyThousandCopiesAndAThousandPages) {
  constexpr int kSets = 10;
  constexpr int kPerSet = 1000;
  TempTree tree;
  // Small pictures of the album picture's size make the run quick; the screen copies are left
  // out, since enlarging to them is what would take the time.
  testing::WriteQuadrantJpeg(tree.Path("small.jpg"), 288, 216);
  const std::string bytes = tree.ReadFile("small.jpg");
  for (int set = 0; set < kSets; ++set) {
    const std::string big = "album/SET" + std::to_string(set) + "/BIG/";
    tree.MakeDir(big);
    for (int i = 1; i <= kPerSet; ++i) {
      std::ofstream(tree.Path(big + "IMG_" + std::to_string(i) + ".JPG"), std::ios::binary)
          << bytes;
    }
  }

  RealFileSystem fs;
  WholeRun run(fs, tree.Path("album"), 0);
  run.window.checked[CheckBox::kCreate640] = false;
  const auto start = std::chrono::steady_clock::now();
  run.Run();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "[ many pictures ] " << kSets * kPerSet << " pictures in " << seconds << " s\n";

  EXPECT_TRUE(run.window.messages.empty()) << run.window.messages.front().prompt;
  EXPECT_EQ(run.session.state.PageCount, 1000);
  EXPECT_EQ(run.window.progress_max, 10000.0f);
  for (int set = 0; set < kSets; ++set) {
    const std::string folder = tree.Path("album/SET" + std::to_string(set));
    EXPECT_EQ(FilesIn(folder), kPerSet) << folder;
    EXPECT_EQ(FilesIn(folder + "/Thumb"), kPerSet) << folder;
  }
  EXPECT_EQ(WebReadySize(tree.Path("album/SET0/IMG_1.JPG")), "288x216");
  EXPECT_EQ(WebReadySize(tree.Path("album/SET9/Thumb/IMG_1000.JPG")), "74x55");

  // Pages 01 to 1000, each whole; the index page holds every picture.
  for (int page = 1; page <= 1000; ++page) {
    const std::string name =
        "album/page" + std::string(page < 10 ? "0" : "") + std::to_string(page) + ".htm";
    ASSERT_TRUE(tree.ReadFile(name).ends_with("</html>\r\n")) << name;
  }
  EXPECT_FALSE(tree.Exists("album/page1001.htm"));
  const std::string index = tree.ReadFile("album/page00.htm");
  size_t cells = 0;
  for (size_t at = 0; (at = index.find("/Thumb/IMG_", at)) != std::string::npos; ++at) ++cells;
  EXPECT_EQ(cells, 10000u);
  EXPECT_NE(index.find("page1000.htm#04"), std::string::npos);
  EXPECT_TRUE(testing::TemporaryNamesBelow(tree.root()).empty());
}

}  // namespace
}  // namespace snapnook
