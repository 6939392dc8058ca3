// Size and shape: the 16-bit picture count at its limit, folders nested deep and beyond the
// longest path, names as long as the file system allows and names that are not UTF-8.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#include "reliability/reliability_support.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::MadeCopies;
using testing::TempTree;
using testing::WholeRun;

// Empty files IMG<first>.JPG to IMG<last>.JPG in `folder`: the counting pass never reads them.
void EmptyPictures(const std::string& folder, int first, int last) {
  for (int i = first; i <= last; ++i) {
    ::close(
        ::open((folder + "/IMG" + std::to_string(i) + ".JPG").c_str(), O_CREAT | O_WRONLY, 0644));
  }
}

TEST(SizeAndShape, The32768thPictureIsAnOverflowOnceAndTheRunStillEndsCleanly) {
  TempTree tree;
  tree.MakeDir("album/SET1/BIG");
  EmptyPictures(tree.Path("album/SET1/BIG"), 1, 32767);
  RealFileSystem fs;
  // Counting only (no box ticked), then one picture more, then with every box ticked: the count
  // overflows, the first (empty) picture ends the derive pass's walk of the folder, the HTML
  // pass's progress count overflows too, and the album is written without pictures.
  const std::string invalid =
      "Error: 481 - Invalid picture: " + tree.Path("album/SET1/BIG/IMG1.JPG") + " (empty file)";
  for (const auto& [more, boxes, shown] :
       std::vector<std::tuple<bool, bool, std::vector<std::string>>>{
           {false, false, {}},
           {true, false, {"Error: 6 - Overflow"}},
           {true, true, {"Error: 6 - Overflow", invalid, "Error: 6 - Overflow"}}}) {
    if (more) EmptyPictures(tree.Path("album/SET1/BIG"), 32768, 32768);
    WholeRun run(fs, tree.Path("album"), 2);
    run.window.checked[CheckBox::kCreateJpg] = run.window.checked[CheckBox::kCreateHtml] = boxes;
    run.Run();
    EXPECT_EQ(run.window.UnexpectedErrors(), shown);
    if (!boxes) {  // the largest count, 3277 pages; one more is not counted
      EXPECT_EQ(run.session.state.PicturesOnPage, 32767);
      EXPECT_EQ(run.session.state.PageCount, 3277);
    }
    EXPECT_TRUE(run.window.enabled[Button::kLoad] && !run.window.progress_visible);
  }
  EXPECT_TRUE(tree.ReadFile("album/page00.htm").ends_with("</html>\r\n"));
  EXPECT_FALSE(tree.Exists("album/page01.htm"));
  EXPECT_EQ(testing::TemporaryNamesBelow(tree.root()), std::vector<std::string>{});
}

// `depth` folders `name` below `root`, each made relative to the one above, so that no single
// call needs the whole path; returns the path.
std::string DeepFolders(const std::string& root, const std::string& name, int depth) {
  std::filesystem::create_directories(root);
  int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
  std::string path = root;
  for (int i = 0; i < depth; ++i, path += "/" + name) {
    ::mkdirat(fd, name.c_str(), 0755);
    const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
  }
  ::close(fd);
  return path;
}

TEST(SizeAndShape, DeepFoldersLongNamesAndNamesThatAreNotUtf8AreMadeAndLinked) {
  TempTree tree;
  // Removed from the inside at the end: some paths are too long for a plain removal.
  struct RemoveFromInside {
    std::string path;
    ~RemoveFromInside() { std::system(("rm -rf " + testing::Quote(path)).c_str()); }
  } remove{tree.Path("album")};
  const std::string deep = DeepFolders(tree.Path("album"), "d", 200);
  // 20 folders of 250 bytes: the path passes PATH_MAX at the 17th.
  std::string too_long = DeepFolders(tree.Path("album/z"), std::string(250, 'n'), 20);
  too_long.resize(too_long.find('/', PATH_MAX));
  const std::string long_set = std::string(251, 's') + "SET1";  // 255 bytes
  const std::string long_picture = std::string(251, 'p') + ".JPG";
  const std::string latin1_set = "Caf\xe9-SET2";                       // Latin-1 é: not UTF-8
  const std::string broken_picture = "bad\x80\xff name.JPG";           // stray bytes
  const std::string chinese_picture = "\xe6\x97\xa5\xe6\x9c\xac.JPG";  // 日本
  const std::vector<std::pair<std::string, std::string>> pictures = {
      {deep + "/SET1", "P.JPG"},
      {tree.Path("album/" + long_set), long_picture},
      {tree.Path("album/" + latin1_set), broken_picture},
      {tree.Path("album/" + latin1_set), chinese_picture}};
  for (const auto& [set, picture] : pictures) {
    std::filesystem::create_directories(set + "/BIG");
    testing::WriteTestJpeg(set + "/BIG/" + picture, 640, 480);
  }
  RealFileSystem fs;
  WholeRun run(fs, tree.Path("album"), 2);
  run.Run();
  // Once a pass, the first path too long to examine; the rest is made.
  EXPECT_EQ(run.window.UnexpectedErrors(),
            std::vector<std::string>(3, "Error: 75 - Path/File access error: " + too_long));
  for (const auto& [set, picture] : pictures) {
    EXPECT_EQ(MadeCopies(set, picture), "288x216 74x55 640x480") << picture;
  }
  // Links name the set by its whole path; stray bytes are percent-encoded, a character the
  // page's code page lacks is a character reference, everything else is as it is.
  std::string web;
  for (int i = 0; i < 200; ++i) web += "d/";
  const std::string index = tree.ReadFile("album/page00.htm");
  for (const std::string& link :
       {"\"" + web + "SET1/Thumb/P.JPG\"", "\"" + long_set + "/Thumb/" + long_picture + "\"",
        std::string("\"Caf%E9-SET2/Thumb/bad%80%FF name.JPG\""),
        std::string("\"Caf%E9-SET2/Thumb/&#26085;&#26412;.JPG\"")}) {
    EXPECT_NE(index.find(link), std::string::npos) << link;
  }
  EXPECT_EQ(testing::TemporaryNamesBelow(tree.root()), std::vector<std::string>{});
}

}  // namespace
}  // namespace snapnook
