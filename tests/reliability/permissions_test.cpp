// Permissions and space, for real: snapnook-batch as an unprivileged user on folders it may
// not write or read, and a whole run on a small file system that fills up.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "reliability/odd_pictures.h"
#include "reliability/reliability_support.h"

namespace snapnook {
namespace {

using testing::LinesOf;
using testing::Originals;
using testing::Quote;
using testing::TemporaryNamesBelow;
using testing::TempTree;
using testing::WebReadySize;
using testing::WholeRun;
using testing::WriteQuadrantJpeg;

// Two sets of two pictures, run by snapnook-batch as the unprivileged user.
class PermissionTest : public ::testing::Test {
 protected:
  PermissionTest() : album(tree.Path("album")) {
    for (const std::string set : {"SET1", "SET2"}) {
      tree.MakeDir("album/" + set + "/BIG");
      WriteQuadrantJpeg(tree.Path("album/" + set + "/BIG/A.JPG"), 800, 600);
      WriteQuadrantJpeg(tree.Path("album/" + set + "/BIG/B.JPG"), 800, 600);
    }
    tree.MakeDir("config");
  }

  // Runs snapnook-batch over the album as the unprivileged user, who owns the whole tree.
  testing::CommandResult Batch(const std::string& options = "") {
    testing::GiveToUnprivilegedUser(tree.root());
    return testing::RunBatch("-q -j2 " + options + Quote(album), tree.Path("config"));
  }

  void ChangeMode(const std::string& relative, mode_t mode) {
    ASSERT_EQ(::chmod(tree.Path(relative).c_str(), mode), 0) << std::strerror(errno);
  }

  TempTree tree;
  std::string album;
};

TEST_F(PermissionTest, AReadOnlySetFolderIsReportedOnceAndItsOldPicturesStay) {
  // An earlier run left the set's folders and an album picture.
  tree.MakeDir("album/SET1/Thumb");
  tree.MakeDir("album/SET1/640/sideways");
  tree.WriteFile("album/SET1/A.JPG", "an album picture of an earlier run");
  const auto originals = Originals(tree);
  ChangeMode("album/SET1", 0555);

  const testing::CommandResult r = Batch();
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(LinesOf(r.err), std::vector<std::string>{"Unexpected Error: Error: 70 - Permission "
                                                     "denied: " +
                                                     album + "/SET1/A.JPG"});
  EXPECT_EQ(tree.ReadFile("album/SET1/A.JPG"), "an album picture of an earlier run");
  EXPECT_EQ(Originals(tree), originals);
  // The other set and the pages are made.
  EXPECT_EQ(WebReadySize(tree.Path("album/SET2/B.JPG")), "288x216");
  EXPECT_TRUE(tree.ReadFile("album/page00.htm").ends_with("</html>\r\n"));
  EXPECT_TRUE(TemporaryNamesBelow(tree.root()).empty());
}

TEST_F(PermissionTest, AnUnreadableBigFolderIsReportedInEveryPassAndTheRestIsMade) {
  ChangeMode("album/SET1/BIG", 0000);
  const testing::CommandResult r = Batch();
  EXPECT_EQ(r.status, 1) << r.err;
  // The counting pass, the derive pass and the HTML pass each list the folder.
  const std::string line =
      "Unexpected Error: Error: 70 - Permission denied: " + album + "/SET1/BIG/";
  EXPECT_EQ(LinesOf(r.err), std::vector<std::string>(3, line));
  EXPECT_FALSE(tree.Exists("album/SET1/A.JPG"));
  EXPECT_EQ(WebReadySize(tree.Path("album/SET2/A.JPG")), "288x216");
  EXPECT_EQ(WebReadySize(tree.Path("album/SET2/640/B.JPG")), "640x480");
  EXPECT_TRUE(TemporaryNamesBelow(tree.root()).empty());
  ChangeMode("album/SET1/BIG", 0755);
  EXPECT_EQ(tree.Snapshot("album/SET1/BIG").size(), 2u);
}

TEST_F(PermissionTest, AnUnreadablePictureIsReportedOnceNamingIt) {
  ChangeMode("album/SET2/BIG/A.JPG", 0000);
  const testing::CommandResult r = Batch();
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(LinesOf(r.err),
            std::vector<std::string>{"Unexpected Error: Error: 70 - Permission denied: " + album +
                                     "/SET2/BIG/A.JPG"});
  // The walk of that BIG folder ended at the picture; the other set is whole.
  EXPECT_FALSE(tree.Exists("album/SET2/A.JPG"));
  EXPECT_FALSE(tree.Exists("album/SET2/B.JPG"));
  EXPECT_EQ(WebReadySize(tree.Path("album/SET1/B.JPG")), "288x216");
}

TEST_F(PermissionTest, AReadOnlySourceFolderIsReportedByEachBuild) {
  ChangeMode("album", 0555);
  const testing::CommandResult r = Batch();
  EXPECT_EQ(r.status, 1) << r.err;
  // index.html is the first album file: each build says so and ends before its walk.
  const std::string line =
      "Unexpected Error: Error: 70 - Permission denied: " + album + "/index.html";
  EXPECT_EQ(LinesOf(r.err), std::vector<std::string>(2, line));
  EXPECT_FALSE(tree.Exists("album/index.html"));
  EXPECT_FALSE(tree.Exists("album/SET1/A.JPG"));
  EXPECT_TRUE(TemporaryNamesBelow(tree.root()).empty());

  // Without pages to write, the pictures are made.
  const testing::CommandResult pictures_only = Batch("--no-html ");
  EXPECT_EQ(pictures_only.status, 0) << pictures_only.err;
  EXPECT_EQ(WebReadySize(tree.Path("album/SET2/Thumb/B.JPG")), "74x55");
}

// A tmpfs of its own, unmounted at the end.
class SmallFileSystem {
 public:
  SmallFileSystem(const std::string& path, const std::string& size) : path_(path) {
    std::filesystem::create_directories(path);
    const std::string options = "size=" + size + ",mode=0755";
    if (::mount("tmpfs", path.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0) {
      mounted_ = true;
    } else {
      why_ = std::strerror(errno);
    }
  }
  ~SmallFileSystem() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  }
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& why() const { return why_; }

  // Bytes a file may still take.
  unsigned long long Free() const {
    struct statvfs st {};
    if (::statvfs(path_.c_str(), &st) != 0) return 0;
    return static_cast<unsigned long long>(st.f_bavail) * st.f_frsize;
  }

 private:
  std::string path_;
  bool mounted_ = false;
  std::string why_;
};

TEST(FullFileSystem, AFullDiskIsReportedNothingIsHalfWrittenAndARunWithRoomFinishesTheAlbum) {
  TempTree tree;
  SmallFileSystem disk(tree.Path("disk"), "4m");
  if (!disk.mounted()) {
    GTEST_SKIP() << "mounting a tmpfs needs root with CAP_SYS_ADMIN: " << disk.why();
  }

  // The album a run with room makes, elsewhere.
  TempTree roomy;
  for (const std::string set : {"SET1", "SET2", "SET3"}) {
    roomy.MakeDir("album/" + set + "/BIG");
    for (const char* name : {"A.JPG", "B.JPG", "C.JPG"}) {
      WriteQuadrantJpeg(roomy.Path("album/" + set + "/BIG/" + name), 1280, 960);
    }
  }
  testing::CopyTree(roomy.Path("album"), tree.Path("disk/album"));
  const auto originals = Originals(tree, "disk");
  RealFileSystem fs;
  WholeRun clean(fs, roomy.Path("album"), 2);
  clean.Run();
  ASSERT_TRUE(clean.window.messages.empty()) << clean.window.messages[0].prompt;
  std::map<std::string, std::string> album;
  for (const auto& [path, content] : roomy.Snapshot("album")) album[path] = content;
  unsigned long long needs = 0;
  for (const auto& [path, content] : album) {
    if (!originals.contains("disk/" + path)) needs += content.size();
  }

  // Fill the disk so that about half of what the run writes fits.
  const unsigned long long keep = needs / 2;
  ASSERT_GT(disk.Free(), keep);
  std::ofstream(tree.Path("disk/filler"), std::ios::binary)
      << std::string(static_cast<size_t>(disk.Free() - keep), 'f');

  WholeRun full(fs, tree.Path("disk/album"), 2);
  full.Run();
  EXPECT_TRUE(full.window.enabled[Button::kLoad]);
  ASSERT_FALSE(full.window.messages.empty());
  for (const testing::ShownMessage& m : full.window.messages) {
    EXPECT_TRUE(m.prompt.starts_with("Error: 61 - Disk full: " + tree.Path("disk/album/")))
        << m.prompt;
  }
  EXPECT_TRUE(TemporaryNamesBelow(tree.root()).empty());
  EXPECT_EQ(Originals(tree, "disk"), originals);
  // Whatever was written is whole: the same bytes as with room, or a whole page.
  const auto written = tree.Snapshot("disk/album");
  std::cout << "[ full disk ] " << full.window.messages.size() << " messages, "
            << written.size() - originals.size() << " of " << album.size() - originals.size()
            << " files written\n";
  for (const auto& [path, content] : written) {
    const std::string relative = path.substr(std::string("disk/").size());
    ASSERT_TRUE(album.contains(relative)) << relative;
    if (relative.ends_with(".htm") || relative.ends_with(".html")) {
      EXPECT_TRUE(content.ends_with("</html>\r\n")) << relative;
    } else {
      EXPECT_EQ(content, album[relative]) << relative;
    }
  }

  // With room again, the next run finishes the album.
  std::filesystem::remove(tree.Path("disk/filler"));
  WholeRun again(fs, tree.Path("disk/album"), 2);
  again.Run();
  EXPECT_TRUE(again.window.messages.empty()) << again.window.messages[0].prompt;
  std::map<std::string, std::string> finished;
  for (const auto& [path, content] : tree.Snapshot("disk/album")) {
    finished[path.substr(std::string("disk/").size())] = content;
  }
  EXPECT_EQ(finished, album);
}

}  // namespace
}  // namespace snapnook
