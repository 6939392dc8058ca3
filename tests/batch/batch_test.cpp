// snapnook-batch as a user runs it: the real binary on a generated picture tree.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/version.h"
#include "support/temp_tree.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::ReadJpegFacts;
using testing::TempTree;
using testing::WriteTestJpeg;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class BatchTest : public ::testing::Test {
 protected:
  BatchTest() { config.MakeDir("config"); }

  Result Run(const std::string& args) {
    const char* bin = std::getenv("SNAPNOOK_BIN_DIR");
    const std::string binary = std::string(bin ? bin : ".") + "/snapnook-batch";
    // The remembered settings live in a folder of the test's own.
    const std::string command = "XDG_CONFIG_HOME=" + Quote(config.Path("config")) +
                                " HOME=" + Quote(config.root()) + " " + Quote(binary) + " " + args +
                                " >" + Quote(config.Path("out")) + " 2>" +
                                Quote(config.Path("err"));
    Result result;
    const int raw = std::system(command.c_str());
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = config.ReadFile("out");
    result.err = config.ReadFile("err");
    return result;
  }

  void CameraPictures() {
    tree.MakeDir("SET1/BIG/sideways");
    tree.MakeDir("SET2/BIG");
    WriteTestJpeg(tree.Path("SET1/BIG/IMG_0001.JPG"), 2400, 1800);
    WriteTestJpeg(tree.Path("SET1/BIG/IMG_0002.JPG"), 1800, 2400);
    WriteTestJpeg(tree.Path("SET1/BIG/sideways/IMG_0002.JPG"), 2400, 1800);
    WriteTestJpeg(tree.Path("SET2/BIG/dsc01.jpg"), 3000, 2000);
  }

  std::string Size(const std::string& relative) {
    const auto facts = ReadJpegFacts(tree.Path(relative));
    return std::to_string(facts.width) + "x" + std::to_string(facts.height);
  }

  TempTree tree;
  TempTree config;
};

TEST_F(BatchTest, DerivesExactlyTheAlbumFilesAndLeavesTheOriginalsAlone) {
  CameraPictures();
  const auto originals = tree.Snapshot();
  const Result r = Run("--no-html -q " + Quote(tree.root()));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(tree.Files(),
            (std::vector<std::string>{
                "SET1/640/IMG_0001.JPG", "SET1/640/IMG_0002.JPG", "SET1/640/sideways/IMG_0002.JPG",
                "SET1/BIG/IMG_0001.JPG", "SET1/BIG/IMG_0002.JPG", "SET1/BIG/sideways/IMG_0002.JPG",
                "SET1/IMG_0001.JPG", "SET1/IMG_0002.JPG", "SET1/Thumb/IMG_0001.JPG",
                "SET1/Thumb/IMG_0002.JPG", "SET2/640/dsc01.jpg", "SET2/BIG/dsc01.jpg",
                "SET2/Thumb/dsc01.jpg", "SET2/dsc01.jpg"}));
  EXPECT_EQ(Size("SET1/IMG_0001.JPG"), "288x216");
  EXPECT_EQ(Size("SET1/Thumb/IMG_0001.JPG"), "74x55");
  EXPECT_EQ(Size("SET1/640/IMG_0001.JPG"), "640x480");
  EXPECT_EQ(Size("SET1/IMG_0002.JPG"), "216x288");
  EXPECT_EQ(Size("SET1/Thumb/IMG_0002.JPG"), "55x74");
  EXPECT_EQ(Size("SET1/640/IMG_0002.JPG"), "480x640");
  EXPECT_EQ(Size("SET1/640/sideways/IMG_0002.JPG"), "640x480");
  EXPECT_EQ(Size("SET2/dsc01.jpg"), "288x216");
  for (const auto& [path, content] : originals) {
    EXPECT_EQ(tree.ReadFile(path), content) << path << " changed";
  }
}

TEST_F(BatchTest, ACorruptPictureGivesOneMessageLineAndExitStatusOne) {
  CameraPictures();
  tree.WriteFile("SET2/BIG/broken.JPG", testing::TestJpegBytes(800, 600).substr(0, 900));
  const Result r = Run("--no-html " + Quote(tree.root()));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Unexpected Error: Error: 481 - Invalid picture: " +
                       tree.Path("SET2/BIG/broken.JPG") + "\n");
  // The pictures before it in walk order were made; the folder's walk ended there.
  EXPECT_TRUE(tree.Exists("SET1/IMG_0002.JPG"));
  EXPECT_FALSE(tree.Exists("SET2/dsc01.jpg"));
}

TEST_F(BatchTest, OneJobAndEightJobsWriteTheSameFilesAndMessagesInTheSameOrder) {
  CameraPictures();
  for (int i = 1; i <= 12; ++i) {
    WriteTestJpeg(tree.Path("SET2/BIG/m" + std::to_string(i) + ".JPG"), 900 + 37 * i, 700);
  }
  tree.WriteFile("SET2/BIG/m6.JPG", "not a picture");  // in the middle of the folder
  tree.WriteFile("SET1/BIG/sideways/IMG_0002.JPG", testing::TestJpegBytes(900, 700).substr(0, 300));
  const Result one = Run("-q -j1 --title Same " + Quote(tree.root()));
  const auto files_one = tree.Snapshot();

  TempTree again;
  for (const auto& [path, content] : tree.Snapshot()) {
    if (path.find("BIG/") != std::string::npos) again.WriteFile(path, content);
  }
  const Result eight = Run("-q -j8 --title Same " + Quote(again.root()));
  EXPECT_EQ(one.status, 1);
  EXPECT_EQ(eight.status, 1);
  auto relative = [](std::string text, const std::string& root) {
    for (size_t at; (at = text.find(root)) != std::string::npos;)
      text.replace(at, root.size(), "ROOT");
    return text;
  };
  EXPECT_EQ(relative(one.err, tree.root()), relative(eight.err, again.root()));
  EXPECT_EQ(relative(one.err, tree.root()),
            "Unexpected Error: Error: 481 - Invalid picture: ROOT/SET1/BIG/sideways/IMG_0002.JPG\n"
            "Unexpected Error: Error: 481 - Invalid picture: ROOT/SET2/BIG/m6.JPG\n");
  EXPECT_EQ(files_one, again.Snapshot());
  EXPECT_TRUE(tree.Exists("SET2/m5.JPG"));
  EXPECT_FALSE(tree.Exists("SET2/m7.JPG"));
}

TEST_F(BatchTest, BadUsageAndMissingSourceFoldersExitWithTwo) {
  EXPECT_EQ(Run("").status, 2);
  EXPECT_EQ(Run("--jobs 0 " + Quote(tree.root())).status, 2);
  EXPECT_EQ(Run("--bogus " + Quote(tree.root())).status, 2);
  EXPECT_EQ(Run(Quote(tree.root()) + " " + Quote(tree.root())).status, 2);
  const Result missing = Run(Quote(tree.Path("nowhere")));
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "No Source Directory: Source directory does not exist.\n");
  const Result empty = Run("''");
  EXPECT_EQ(empty.status, 2);
  EXPECT_EQ(empty.err, "No Source Directory: Souce directory must be specified.\n");
}

TEST_F(BatchTest, VersionAndHelp) {
  const Result version = Run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "snapnook-batch " + std::string(kVersionText) + "\n");
  const Result help = Run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--no-640"), std::string::npos);
}

TEST_F(BatchTest, NeverWritesTheRememberedSettings) {
  tree.MakeDir("SET1/BIG");
  const Result r = Run("--no-html -q --copyright 'Harbour Camera Club' --copyright-link x.html " +
                       Quote(tree.root()));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(config.Snapshot("config").size(), 0u);
}

TEST_F(BatchTest, UsesTheRememberedCopyrightUnlessTheCommandLineSaysOtherwise) {
  config.WriteFile("config/Korvell.conf",
                   "[Snapnook]\ncopyright=Harbour Camera Club\ncopyrightLink=terms.html\n");
  tree.MakeDir("SET1");
  ASSERT_EQ(Run("-q " + Quote(tree.root())).status, 0);
  EXPECT_NE(tree.ReadFile("index.html").find("content=\"Harbour Camera Club\">"),
            std::string::npos);
  EXPECT_NE(tree.ReadFile("page00.htm").find("href=\"terms.html\">Harbour Camera Club</a>"),
            std::string::npos);
  ASSERT_EQ(Run("-q --copyright Other " + Quote(tree.root())).status, 0);
  EXPECT_NE(tree.ReadFile("page00.htm").find("href=\"terms.html\">Other</a>"), std::string::npos);
}

TEST_F(BatchTest, OptionsTurnOffThe640CopiesAndTheDeriving) {
  CameraPictures();
  EXPECT_EQ(Run("--no-html --no-640 -q " + Quote(tree.root())).status, 0);
  EXPECT_TRUE(tree.Exists("SET1/IMG_0001.JPG"));
  EXPECT_FALSE(tree.Exists("SET1/640/IMG_0001.JPG"));
  TempTree other;
  other.MakeDir("SET1/BIG");
  WriteTestJpeg(other.Path("SET1/BIG/A.JPG"), 800, 600);
  EXPECT_EQ(Run("--no-html --no-jpgs -q " + Quote(other.root())).status, 0);
  EXPECT_FALSE(other.Exists("SET1/A.JPG"));
}

}  // namespace
}  // namespace snapnook
