// snapnook-batch as a user runs it: the real binary on a generated picture tree.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include "support/temp_tree.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::TempTree;
using testing::TestJpegBytes;
constexpr auto kGray = testing::PictureKind::kGray;

// Temporary folders hold no quote.
std::string Quote(const std::string& path) {
  return "'" + path + "'";
}

class BatchTest : public ::testing::Test {
 protected:
  // The exit status and what the run wrote on standard error, the trees' folders as ROOT.
  std::pair<int, std::string> Run(const std::string& args) {
    // The remembered settings live in a folder of the test's own.
    const std::string command =
        "XDG_CONFIG_HOME=" + Quote(config.Path("config")) + " HOME=" + Quote(config.root()) + " " +
        SNAPNOOK_BIN_DIR "/snapnook-batch " + args + " >/dev/null 2>" + Quote(config.Path("err"));
    const int raw = std::system(command.c_str());
    std::string err = config.ReadFile("err");
    for (const std::string& root : {tree.root(), again.root()}) {
      for (size_t at; (at = err.find(root)) != std::string::npos;)
        err.replace(at, root.size(), "ROOT");
    }
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, err};
  }

  TempTree tree, again, config;
};

// The pictures made ahead on worker threads are written, and their failures shown, exactly as
// one at a time: the same files and messages, in walk order.
TEST_F(BatchTest, OneJobAndEightJobsMakeEveryCopyInItsPlaceAndShowTheSameMessages) {
  for (const TempTree* source : {&tree, &again}) {
    // A gray sideways picture, so that its screen copy can be told from the upright one's;
    // the picture after a cut-off sideways picture is not made.
    source->WriteFile("SET1/BIG/Sideways/IMG_0001.JPG", TestJpegBytes(2400, 1800, kGray));
    source->WriteFile("SET1/BIG/Sideways/IMG_0002.JPG", TestJpegBytes(900, 700).substr(0, 300));
    for (const char* portrait : {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG"}) {
      source->WriteFile("SET1/BIG/" + std::string(portrait), TestJpegBytes(1800, 2400));
    }
    for (int i = 1; i <= 12; ++i) {
      source->WriteFile("SET2/BIG/m" + std::to_string(i) + ".JPG",
                        TestJpegBytes(900 + 37 * i, 700));
    }
    source->WriteFile("SET2/BIG/m6.JPG", "not a picture");      // in the middle of the folder
    source->MakeDir("SET2/BIG/sideways/m1.JPG");                // a folder: m1.JPG is no portrait
    source->WriteFile("x/BIG/A.JPG", TestJpegBytes(800, 600));  // BIG outside a set folder
  }
  const auto one = Run("-q -j1 --no-html " + Quote(tree.root()));
  EXPECT_EQ(one, Run("-q -j8 --no-html " + Quote(again.root())));
  EXPECT_EQ(one.first, 1);
  EXPECT_EQ(one.second,
            "Unexpected Error: Error: 481 - Invalid picture: ROOT/SET1/BIG/Sideways/IMG_0002.JPG\n"
            "Unexpected Error: Error: 481 - Invalid picture: ROOT/SET2/BIG/m6.JPG\n"
            "Unexpected Error: Error: 76 - Path not found: ROOT/x/Thumb/A.JPG\n");
  EXPECT_EQ(tree.Snapshot(), again.Snapshot());
  // Every copy made, with its size.
  std::ifstream list(SNAPNOOK_TEST_DATA "/batch/copies.txt");
  std::set<std::string> made, expected;
  for (std::string copy; std::getline(list, copy);) {
    if (!copy.starts_with('#')) expected.insert(copy);
  }
  for (const std::string& file : tree.Files()) {
    if (file.find("BIG/") != std::string::npos) continue;  // an original
    const testing::JpegFacts facts = testing::ReadJpegFacts(tree.Path(file));
    made.insert(file + "=" + std::to_string(facts.width) + "x" + std::to_string(facts.height));
  }
  EXPECT_EQ(made, expected);
  const auto upright = testing::ReadMeanColour(tree.Path("SET1/640/IMG_0001.JPG"));
  const auto sideways = testing::ReadMeanColour(tree.Path("SET1/640/sideways/IMG_0001.JPG"));
  EXPECT_GT(std::abs(upright.r - upright.b), 10);
  EXPECT_NEAR(sideways.r, sideways.b, 2);
}

TEST_F(BatchTest, OptionsTheRememberedCopyrightAndExitStatusTwoForNoAlbumToMake) {
  config.WriteFile("config/Korvell.conf", "[Snapnook]\ncopyright=Club\ncopyrightLink=terms.html\n");
  const auto remembered = config.Snapshot("config");
  tree.WriteFile("SET1/BIG/A.JPG", TestJpegBytes(800, 600));
  EXPECT_EQ(Run("-q --no-jpgs --no-html " + Quote(tree.root())).first, 0);
  EXPECT_EQ(tree.Files(), std::vector<std::string>{"SET1/BIG/A.JPG"});
  EXPECT_EQ(Run("-q --no-640 --no-html " + Quote(tree.root())).first, 0);
  EXPECT_EQ(tree.Files(),
            (std::vector<std::string>{"SET1/A.JPG", "SET1/BIG/A.JPG", "SET1/Thumb/A.JPG"}));
  // The holder typed goes with the remembered link, which stays as it was.
  EXPECT_EQ(Run("-q --no-jpgs --copyright Other " + Quote(tree.root())).first, 0);
  EXPECT_NE(tree.ReadFile("page00.htm").find("href=\"terms.html\">Other</a>"), std::string::npos);
  EXPECT_EQ(config.Snapshot("config"), remembered);
  for (const std::string& args : {"--jobs 0 " + Quote(tree.root()), Quote(tree.Path("gone")),
                                  Quote(tree.Path("SET1/BIG")), std::string("''")}) {
    EXPECT_EQ(Run(args).first, 2) << args;
  }
}

}  // namespace
}  // namespace snapnook
