// snapnook-batch as a user runs it: the real binary on a generated picture tree.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "support/temp_tree.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::TempTree;
using testing::WriteTestJpeg;

std::string Quote(const std::string& s) {
  std::string quoted = "'";
  for (char c : s) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class BatchTest : public ::testing::Test {
 protected:
  // The exit status and what the run wrote on standard error, the trees' folders as ROOT.
  std::pair<int, std::string> Run(const std::string& args) {
    // The remembered settings live in a folder of the test's own.
    const std::string command = "XDG_CONFIG_HOME=" + Quote(config.Path("config")) +
                                " HOME=" + Quote(config.root()) + " " +
                                std::getenv("SNAPNOOK_BIN_DIR") + "/snapnook-batch " + args +
                                " >/dev/null 2>" + Quote(config.Path("err"));
    const int raw = std::system(command.c_str());
    std::string err = config.ReadFile("err");
    for (const std::string& root : {tree.root(), again.root()}) {
      for (size_t at; (at = err.find(root)) != std::string::npos;)
        err.replace(at, root.size(), "ROOT");
    }
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, err};
  }

  static void Picture(const TempTree& source, const std::string& file, int width, int height,
                      testing::PictureKind kind = testing::PictureKind::kColour) {
    source.MakeDir(file.substr(0, file.rfind('/')));
    WriteTestJpeg(source.Path(file), width, height, kind);
  }

  TempTree tree, again, config;
};

TEST_F(BatchTest, DerivesEveryCopyInItsPlaceFromItsOwnPictureAndLeavesTheOriginalsAlone) {
  Picture(tree, "SET1/BIG/IMG_0001.JPG", 2400, 1800);
  Picture(tree, "SET1/BIG/IMG_0002.JPG", 1800, 2400);
  // A gray sideways picture, so that its screen copy can be told from the upright one's.
  Picture(tree, "SET1/BIG/Sideways/IMG_0002.JPG", 2400, 1800, testing::PictureKind::kGray);
  Picture(tree, "SET2/BIG/dsc01.jpg", 3000, 2000);
  tree.MakeDir("SET2/BIG/sideways/dsc01.jpg");  // a folder: dsc01.jpg is no portrait
  Picture(tree, "x/BIG/A.JPG", 800, 600);       // a BIG folder outside a set folder
  const auto originals = tree.Snapshot();
  EXPECT_EQ(Run("--no-html -q " + Quote(tree.root())),
            std::make_pair(1, std::string("Unexpected Error: Error: 76 - Path not found: "
                                          "ROOT/x/Thumb/A.JPG\n")));
  std::vector<std::string> made;
  for (const std::string& file : tree.Files()) {
    if (!originals.contains(file)) {
      const testing::JpegFacts facts = testing::ReadJpegFacts(tree.Path(file));
      made.push_back(file + " " + std::to_string(facts.width) + "x" + std::to_string(facts.height));
    }
  }
  EXPECT_EQ(made, (std::vector<std::string>{
                      "SET1/640/IMG_0001.JPG 640x480", "SET1/640/IMG_0002.JPG 480x640",
                      "SET1/640/sideways/IMG_0002.JPG 640x480", "SET1/IMG_0001.JPG 288x216",
                      "SET1/IMG_0002.JPG 216x288", "SET1/Thumb/IMG_0001.JPG 74x55",
                      "SET1/Thumb/IMG_0002.JPG 55x74", "SET2/640/dsc01.jpg 640x480",
                      "SET2/Thumb/dsc01.jpg 74x55", "SET2/dsc01.jpg 288x216", "x/A.JPG 288x216"}));
  for (const auto& [file, content] : originals) EXPECT_EQ(tree.ReadFile(file), content) << file;
  const auto upright = testing::ReadMeanColour(tree.Path("SET1/640/IMG_0002.JPG"));
  const auto sideways = testing::ReadMeanColour(tree.Path("SET1/640/sideways/IMG_0002.JPG"));
  EXPECT_GT(std::abs(upright.r - upright.b), 10);
  EXPECT_NEAR(sideways.r, sideways.b, 2);
}

TEST_F(BatchTest, OneJobAndEightJobsWriteTheSameFilesAndMessagesInTheSameOrder) {
  for (const TempTree* source : {&tree, &again}) {
    Picture(*source, "SET1/BIG/IMG_0002.JPG", 1800, 2400);
    source->WriteFile("SET1/BIG/sideways/IMG_0002.JPG",
                      testing::TestJpegBytes(900, 700).substr(0, 300));
    for (int i = 1; i <= 12; ++i)
      Picture(*source, "SET2/BIG/m" + std::to_string(i) + ".JPG", 900 + 37 * i, 700);
    source->WriteFile("SET2/BIG/m6.JPG", "not a picture");  // in the middle of the folder
  }
  const auto one = Run("-q -j1 --title Same " + Quote(tree.root()));
  EXPECT_EQ(one, Run("-q -j8 --title Same " + Quote(again.root())));
  EXPECT_EQ(one, std::make_pair(1, std::string("Unexpected Error: Error: 481 - Invalid picture: "
                                               "ROOT/SET1/BIG/sideways/IMG_0002.JPG\n"
                                               "Unexpected Error: Error: 481 - Invalid picture: "
                                               "ROOT/SET2/BIG/m6.JPG\n")));
  EXPECT_EQ(tree.Snapshot(), again.Snapshot());
  EXPECT_TRUE(tree.Exists("SET2/m5.JPG"));
  EXPECT_FALSE(tree.Exists("SET2/m7.JPG"));
}

TEST_F(BatchTest, OptionsAndTheRememberedCopyrightWhichItNeverWrites) {
  config.WriteFile("config/Korvell.conf",
                   "[Snapnook]\ncopyright=Harbour Camera Club\ncopyrightLink=terms.html\n");
  const auto remembered = config.Snapshot("config");
  Picture(tree, "SET1/BIG/A.JPG", 800, 600);
  EXPECT_EQ(Run("-q --no-jpgs " + Quote(tree.root())).first, 0);
  EXPECT_FALSE(tree.Exists("SET1/A.JPG"));
  EXPECT_NE(tree.ReadFile("page00.htm").find("href=\"terms.html\">Harbour Camera Club</a>"),
            std::string::npos);
  EXPECT_EQ(Run("-q --no-640 --no-html --copyright Other " + Quote(tree.root())).first, 0);
  EXPECT_TRUE(tree.Exists("SET1/A.JPG"));
  EXPECT_FALSE(tree.Exists("SET1/640/A.JPG"));
  EXPECT_NE(tree.ReadFile("page00.htm").find("Harbour Camera Club</a>"), std::string::npos);
  EXPECT_EQ(Run("-q --copyright Other " + Quote(tree.root())).first, 0);
  EXPECT_NE(tree.ReadFile("page00.htm").find("href=\"terms.html\">Other</a>"), std::string::npos);
  EXPECT_EQ(config.Snapshot("config"), remembered);
}

TEST_F(BatchTest, BadUsageAndAnEmptyMissingOrOriginalSourceFolderExitWithTwo) {
  const std::string root = Quote(tree.root());
  tree.MakeDir("SET1/BIG");
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"--jobs 0 " + root, ""},
      {"--bogus " + root, ""},
      {root + " " + root, ""},
      {"''", "No Source Directory: Souce directory must be specified.\n"},
      {Quote(tree.Path("gone")), "No Source Directory: Source directory does not exist.\n"},
      {Quote(tree.Path("SET1/BIG")),
       "Original Picture Folder: ROOT/SET1/BIG is an original picture folder: choose the folder "
       "that holds the picture sets.\n"},
  };
  for (const auto& [args, err] : cases) {
    const auto [status, shown] = Run(args);
    EXPECT_EQ(status, 2) << args;
    if (!err.empty()) {
      EXPECT_EQ(shown, err) << args;  // a usage error shows the usage; that is all
    }
  }
}

}  // namespace
}  // namespace snapnook
