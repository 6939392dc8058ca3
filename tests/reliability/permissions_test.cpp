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

#include "reliability/reliability_support.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::MadeCopies;
using testing::TempTree;

struct Refusal {
  const char* path;  // below the album, given `mode`
  mode_t mode;
  const char* options;
  std::vector<std::string> denied;  // the paths (below the album) each message names
  const char* made;                 // a picture whose copies are made
  const char* kept;                 // a picture whose copies are not made
};

// Two sets of two pictures; an earlier run left SET1's album picture of A.JPG.
TEST(Permissions, WhatCannotBeReadOrWrittenIsShownOnceAPassAndTheRestIsMade) {
  const std::vector<Refusal> refusals = {
      // The first write into the set ends the walk of its BIG folder.
      {"SET1", 0555, "", {"SET1/A.JPG"}, "SET2/B.JPG", "SET1/A.JPG"},
      // The counting pass, the derive pass and the HTML pass each list it.
      {"SET1/BIG", 0000, "", {"SET1/BIG/", "SET1/BIG/", "SET1/BIG/"}, "SET2/A.JPG", "SET1/B.JPG"},
      // The walk of that BIG folder ends at the picture.
      {"SET2/BIG/A.JPG", 0000, "", {"SET2/BIG/A.JPG"}, "SET1/B.JPG", "SET2/B.JPG"},
      // index.html is the first file of the album: each build says so and ends before its walk;
      // without pages to write, the pictures are made.
      {"", 0555, "", {"index.html", "index.html"}, nullptr, "SET2/B.JPG"},
      {"", 0555, "--no-html ", {}, "SET2/B.JPG", nullptr},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(std::string(r.path) + " " + r.options);
    TempTree tree;
    const std::string album = tree.Path("album");
    for (const char* picture :
         {"SET1/BIG/A.JPG", "SET1/BIG/B.JPG", "SET2/BIG/A.JPG", "SET2/BIG/B.JPG"}) {
      tree.WriteFile("album/" + std::string(picture), testing::TestJpegBytes(800, 600));
    }
    tree.WriteFile("album/SET1/A.JPG", "an album picture of an earlier run");
    tree.MakeDir("config");
    const auto before = tree.Snapshot();
    const auto originals = testing::Originals(tree);
    const std::string changed = album + "/" + r.path;
    testing::GiveToUnprivilegedUser(tree.root());
    ASSERT_EQ(::chmod(changed.c_str(), r.mode), 0);
    const testing::CommandResult result = testing::RunBatch(
        std::string("-q -j2 ") + r.options + testing::Quote(album), tree.Path("config"));
    ::chmod(changed.c_str(), std::filesystem::is_directory(changed) ? 0755 : 0644);

    std::vector<std::string> expected;
    for (const std::string& path : r.denied) {
      expected.push_back("Unexpected Error: Error: 70 - Permission denied: " + album + "/" + path);
    }
    EXPECT_EQ(testing::LinesOf(result.err), expected);
    EXPECT_EQ(result.status, expected.empty() ? 0 : 1);
    if (r.made) {
      const std::string made(r.made);
      EXPECT_EQ(MadeCopies(album + "/" + made.substr(0, 4), made.substr(5)),
                "288x216 74x55 640x480");
    }
    if (r.kept) {
      const std::string kept(r.kept);
      for (const char* folder : {"/", "/Thumb/", "/640/"}) {
        const std::string copy = "album/" + kept.substr(0, 4) + folder + kept.substr(5);
        EXPECT_EQ(tree.Exists(copy) ? tree.ReadFile(copy) : "",
                  before.contains(copy) ? before.at(copy) : "")
            << copy;
      }
    }
    EXPECT_EQ(testing::Originals(tree), originals);
    EXPECT_EQ(testing::TemporaryNamesBelow(tree.root()), std::vector<std::string>{});
  }
}

// A whole run fills a 4 MB tmpfs: every message is "Disk full", everything written is whole,
// and with room again the next run makes exactly the album of a run that had room.
TEST(Permissions, AFullDiskIsShownNothingIsHalfWrittenAndARunWithRoomFinishesTheAlbum) {
  TempTree tree, roomy;
  const std::string disk = tree.Path("disk");
  std::filesystem::create_directories(disk);
  if (::mount("tmpfs", disk.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=4m") != 0) {
    GTEST_SKIP() << "mounting a tmpfs needs root: " << std::strerror(errno);
  }
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
  } unmount{disk};
  for (const std::string set : {"SET1", "SET2", "SET3"}) {
    for (const char* name : {"/BIG/A.JPG", "/BIG/B.JPG", "/BIG/C.JPG"}) {
      roomy.WriteFile("album/" + set + name, testing::TestJpegBytes(1280, 960));
    }
  }
  testing::CopyTree(roomy.Path("album"), disk + "/album");
  const auto originals = testing::Originals(roomy);
  RealFileSystem fs;
  testing::WholeRun(fs, roomy.Path("album"), 2).Run();
  const auto album = roomy.Snapshot();
  const auto on_disk = [&] {
    std::map<std::string, std::string> files;
    for (auto& [path, content] : tree.Snapshot("disk/album")) files[path.substr(5)] = content;
    return files;
  };

  // Fill the disk so that about half of what the run writes fits.
  size_t needs = 0;
  for (const auto& [path, content] : album) needs += originals.contains(path) ? 0 : content.size();
  struct statvfs st {};
  ASSERT_EQ(::statvfs(disk.c_str(), &st), 0);
  std::ofstream(disk + "/filler") << std::string(st.f_bavail * st.f_frsize - needs / 2, 'f');
  testing::WholeRun full(fs, disk + "/album", 2);
  full.Run();
  EXPECT_TRUE(full.window.enabled[Button::kLoad]);
  ASSERT_FALSE(full.window.messages.empty());
  for (const testing::ShownMessage& m : full.window.messages) {
    EXPECT_TRUE(m.prompt.starts_with("Error: 61 - Disk full: " + disk + "/album/")) << m.prompt;
  }
  EXPECT_EQ(testing::TemporaryNamesBelow(disk), std::vector<std::string>{});
  for (const auto& [path, content] : on_disk()) {
    ASSERT_TRUE(album.contains(path)) << path;
    EXPECT_TRUE(path.ends_with(".htm") || path.ends_with(".html") ? content.ends_with("</html>\r\n")
                                                                  : content == album.at(path))
        << path;
  }

  std::filesystem::remove(disk + "/filler");
  testing::WholeRun again(fs, disk + "/album", 2);
  again.Run();
  EXPECT_TRUE(again.window.messages.empty());
  EXPECT_EQ(on_disk(), album);
}

}  // namespace
}  // namespace snapnook
