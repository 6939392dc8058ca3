// Size and shape: the 16-bit picture count at its limit, folders nested deep, names as long as
// the file system allows and names that are not UTF-8.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "reliability/odd_pictures.h"
#include "reliability/reliability_support.h"

namespace snapnook {
namespace {

using testing::TempTree;
using testing::WebReadySize;
using testing::WholeRun;

// `count` empty files IMG1.JPG .. in `folder`: the counting pass never reads them.
void EmptyPictures(const std::string& folder, int first, int last) {
  for (int i = first; i <= last; ++i) {
    const std::string path = folder + "/IMG" + std::to_string(i) + ".JPG";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path << ": " << std::strerror(errno);
    ::close(fd);
  }
}

// Counting only: no box ticked.
void CountOnly(WholeRun& run) {
  run.window.checked[CheckBox::kCreateJpg] = false;
  run.window.checked[CheckBox::kCreateHtml] = false;
}

class PictureCountTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tree_ = new TempTree;
    tree_->MakeDir("album/SET1/BIG");
    EmptyPictures(tree_->Path("album/SET1/BIG"), 1, 32767);
  }
  static void TearDownTestSuite() {
    delete tree_;
    tree_ = nullptr;
  }
  static TempTree* tree_;
};

TempTree* PictureCountTest::tree_ = nullptr;

TEST_F(PictureCountTest, The32768thPictureIsAnOverflowAndTheRunStillEndsCleanly) {
  RealFileSystem fs;
  {
    // 32767 pictures: the largest count, 3277 pages.
    WholeRun run(fs, tree_->Path("album"), 2);
    CountOnly(run);
    run.Run();
    EXPECT_TRUE(run.window.messages.empty()) << run.window.messages.front().prompt;
    EXPECT_EQ(run.session.state.PicturesOnPage, 32767);
    EXPECT_EQ(run.session.state.PageCount, 3277);
    EXPECT_EQ(run.window.progress_max, 32767.0f);
  }
  EmptyPictures(tree_->Path("album/SET1/BIG"), 32768, 32768);
  {
    // One more: error 6, once; the count stops at its limit and the run goes on to its end.
    WholeRun run(fs, tree_->Path("album"), 2);
    CountOnly(run);
    run.Run();
    EXPECT_EQ(run.window.UnexpectedErrors(), std::vector<std::string>{"Error: 6 - Overflow"});
    EXPECT_EQ(run.session.state.PicturesOnPage, 32767);
    EXPECT_EQ(run.session.state.PageCount, 3277);
    EXPECT_TRUE(run.window.enabled[Button::kLoad]);
    EXPECT_FALSE(run.window.progress_visible);
  }
  {
    // With every box ticked the run stays sane: the count overflows, the first (empty)
    // picture is not a picture and ends the derive pass's walk of the folder, and the HTML
    // pass's progress count overflows too; the album is written without pictures.
    WholeRun run(fs, tree_->Path("album"), 2);
    run.Run();
    EXPECT_EQ(
        run.window.UnexpectedErrors(),
        (std::vector<std::string>{"Error: 6 - Overflow",
                                  "Error: 481 - Invalid picture: " +
                                      tree_->Path("album/SET1/BIG/IMG1.JPG") + " (empty file)",
                                  "Error: 6 - Overflow"}));
    EXPECT_TRUE(run.window.enabled[Button::kLoad]);
    EXPECT_TRUE(tree_->ReadFile("album/page00.htm").ends_with("</html>\r\n"));
    EXPECT_FALSE(tree_->Exists("album/page01.htm"));
    EXPECT_TRUE(testing::TemporaryNamesBelow(tree_->root()).empty());
  }
}

// A folder path of `depth` folders named `name` below `root`, made relative to each other so
// that no single call needs the whole path.
std::string MakeDeepFolders(const std::string& root, const std::string& name, int depth) {
  std::filesystem::create_directories(root);
  int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
  std::string path = root;
  for (int i = 0; i < depth; ++i) {
    if (::mkdirat(fd, name.c_str(), 0755) != 0) throw std::runtime_error(std::strerror(errno));
    const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
    path += "/" + name;
  }
  ::close(fd);
  return path;
}

TEST(DeepFolders, APictureSetTwoHundredFoldersDownIsMadeAndLinkedByItsWholePath) {
  TempTree tree;
  const std::string deep = MakeDeepFolders(tree.Path("album"), "d", 200);
  ASSERT_TRUE(std::filesystem::create_directories(deep + "/SET1/BIG"));
  testing::WriteQuadrantJpeg(deep + "/SET1/BIG/P.JPG", 640, 480);
  RealFileSystem fs;
  WholeRun run(fs, tree.Path("album"), 2);
  run.Run();
  EXPECT_TRUE(run.window.messages.empty()) << run.window.messages.front().prompt;
  EXPECT_EQ(WebReadySize(deep + "/SET1/P.JPG"), "288x216");
  std::string web;
  for (int i = 0; i < 200; ++i) web += "d/";
  EXPECT_NE(tree.ReadFile("album/page01.htm").find("<img src=\"" + web + "SET1/P.JPG\""),
            std::string::npos);
}

TEST(DeepFolders, AFolderBeyondTheLongestPathIsReportedAndTheRestOfTheTreeIsMade) {
  TempTree tree;
  tree.MakeDir("album/SET1/BIG");
  testing::WriteQuadrantJpeg(tree.Path("album/SET1/BIG/P.JPG"), 640, 480);
  // 20 folders of 250 bytes: the path passes 4096 bytes at the 17th. Removed from the inside
  // at the end: the paths are too long for a plain removal.
  struct RemoveFromInside {
    std::string path;
    ~RemoveFromInside() { std::system(("rm -rf " + testing::Quote(path)).c_str()); }
  } remove{tree.Path("album/deep")};
  const std::string name(250, 'n');
  MakeDeepFolders(tree.Path("album/deep"), name, 20);
  std::string too_long = tree.Path("album/deep");
  while (too_long.size() < PATH_MAX) too_long += "/" + name;

  RealFileSystem fs;
  WholeRun run(fs, tree.Path("album"), 2);
  run.Run();
  // Once a pass, the first path too long to examine; not passed over in silence.
  EXPECT_EQ(run.window.UnexpectedErrors(),
            std::vector<std::string>(3, "Error: 75 - Path/File access error: " + too_long));
  EXPECT_EQ(WebReadySize(tree.Path("album/SET1/P.JPG")), "288x216");
  EXPECT_TRUE(tree.ReadFile("album/page01.htm").ends_with("</html>\r\n"));
}

TEST(Names, NamesOfTheLongestLengthAndNamesThatAreNotUtf8AreMadeAndLinked) {
  TempTree tree;
  const std::string long_set = std::string(251, 's') + "SET1";  // 255 bytes
  const std::string long_picture = std::string(251, 'p') + ".JPG";
  const std::string latin1_set = "Caf\xe9-SET2";                       // Latin-1 é: not UTF-8
  const std::string broken_picture = "bad\x80\xff name.JPG";           // stray bytes
  const std::string chinese_picture = "\xe6\x97\xa5\xe6\x9c\xac.JPG";  // 日本
  for (const auto& [set, picture] : std::vector<std::pair<std::string, std::string>>{
           {long_set, long_picture}, {latin1_set, broken_picture}, {latin1_set, chinese_picture}}) {
    tree.MakeDir("album/" + set + "/BIG");
    testing::WriteQuadrantJpeg(tree.Path("album/" + set + "/BIG/" + picture), 640, 480);
  }
  RealFileSystem fs;
  WholeRun run(fs, tree.Path("album"), 2);
  run.Run();
  EXPECT_TRUE(run.window.messages.empty()) << run.window.messages.front().prompt;
  EXPECT_EQ(WebReadySize(tree.Path("album/" + long_set + "/" + long_picture)), "288x216");
  EXPECT_EQ(WebReadySize(tree.Path("album/" + long_set + "/640/" + long_picture)), "640x480");
  EXPECT_EQ(WebReadySize(tree.Path("album/" + latin1_set + "/Thumb/" + broken_picture)), "74x55");
  EXPECT_EQ(WebReadySize(tree.Path("album/" + latin1_set + "/" + chinese_picture)), "288x216");

  // Links: stray bytes percent-encoded, a character the page's code page lacks as a
  // character reference, everything else as it is.
  const std::string index = tree.ReadFile("album/page00.htm");
  for (const std::string& link : {"\"" + long_set + "/Thumb/" + long_picture + "\"",
                                  std::string("\"Caf%E9-SET2/Thumb/bad%80%FF name.JPG\""),
                                  std::string("\"Caf%E9-SET2/Thumb/&#26085;&#26412;.JPG\"")}) {
    EXPECT_NE(index.find(link), std::string::npos) << link;
  }
  EXPECT_TRUE(testing::TemporaryNamesBelow(tree.root()).empty());
}

}  // namespace
}  // namespace snapnook
