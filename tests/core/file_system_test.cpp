// The file-system seam: listings, numbered errors, the folders of originals.
#include "core/file_system.h"

#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "core/album_files.h"
#include "core/error.h"
#include "support/temp_tree.h"
#include "support/unprivileged.h"

namespace snapnook {
namespace {

// The walk's message for what `action` raised, or "" when it raised nothing.
template <typename Action>
std::string Failure(Action action) {
  try {
    action();
  } catch (const SnapError& error) {
    return WalkErrorText(error);
  }
  return "";
}

// Listings in natural order; numbered errors for a missing folder and a read-only one.
TEST(RealFileSystem, ListsPicturesInNaturalOrderAndNumbersItsErrors) {
  testing::TempTree tree;
  for (const char* name : {"IMG10.JPG", "img2.jpg", ".h.JPG", "A.JPEG", "B.JPG.tmp", "JPG"}) {
    tree.WriteFile(name, "x");
  }
  tree.MakeDir("x.JPG");  // a folder is no picture
  ASSERT_EQ(::symlink("img2.jpg", tree.Path("link.JPG").c_str()), 0);
  ASSERT_EQ(::symlink("missing", tree.Path("dangling.JPG").c_str()), 0);
  RealFileSystem fs;
  AlbumFiles files(fs, tree.root(), nullptr);
  EXPECT_EQ(fs.ListFiles(tree.root(), "*.JPG"),
            (std::vector<std::string>{".h.JPG", "img2.jpg", "IMG10.JPG", "link.JPG"}));
  EXPECT_EQ(Failure([&] { fs.ListEntries(tree.Path("gone")); }),
            "Error: 76 - Path not found: " + tree.Path("gone"));
  EXPECT_EQ(Failure([&] { files.WriteFile(tree.Path("gone/A.JPG"), {}); }),
            "Error: 76 - Path not found: " + tree.Path("gone/A.JPG"));
  ASSERT_EQ(::chmod(tree.Path("x.JPG").c_str(), 0555), 0);
  testing::AsUnprivilegedUser user(tree.root());
  EXPECT_EQ(Failure([&] { files.WriteFile(tree.Path("x.JPG/A.JPG"), {}); }),
            "Error: 70 - Permission denied: " + tree.Path("x.JPG/A.JPG"));
}

// From now on this process's openat2 fails with `error`, as before Linux 5.6 (ENOSYS) or under
// an older container's system-call filter (EPERM).
void RefuseOpenat2(int error) {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat2, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | static_cast<unsigned>(error)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
      ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
    std::_Exit(2);
  }
}

// A file goes through a link that stays inside the album, never through one that leads out,
// whether the kernel resolves below the album's folder itself or the folder is climbed back.
TEST(RealFileSystem, WritesStayInsideTheAlbumWhateverTheKernelSaysOfOpenat2) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  testing::TempTree tree;
  tree.MakeDir("album/SET1/Thumb");
  tree.MakeDir("home/Pictures");
  ASSERT_EQ(::symlink("Thumb", tree.Path("album/SET1/in").c_str()), 0);
  ASSERT_EQ(::symlink("../../home/Pictures", tree.Path("album/SET1/out").c_str()), 0);
  const std::string refused =
      "Error: 70 - Permission denied: " + tree.Path("album/SET1/out") + " is outside the album";
  for (const int error : {0, ENOSYS, EPERM}) {
    EXPECT_EXIT(
        {
          if (error != 0) RefuseOpenat2(error);
          RealFileSystem fs;
          AlbumFiles files(fs, tree.Path("album"), nullptr);
          const std::string in =
              Failure([&] { files.WriteFile(tree.Path("album/SET1/in/A.JPG"), {}); });
          const std::string out =
              Failure([&] { files.WriteFile(tree.Path("album/SET1/out/A.JPG"), {}); });
          const bool placed = std::filesystem::exists(tree.Path("album/SET1/Thumb/A.JPG"));
          const bool home_untouched = std::filesystem::is_empty(tree.Path("home/Pictures"));
          std::cerr << "inside: \"" << in << "\" (placed: " << placed << "); outside: \"" << out
                    << "\" (home untouched: " << home_untouched << ")\n";
          std::_Exit(in.empty() && placed && out == refused && home_untouched ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << "openat2 failing with errno " << error;
  }
}

// The table: tests/data/originals.txt.
TEST(Originals, AreLookedForFromTheAlbumFolderDownOrAlongAPathOutsideIt) {
  std::ifstream table(SNAPNOOK_TEST_DATA "/originals.txt");
  ASSERT_TRUE(table.is_open());
  for (std::string line, album, folder, found; std::getline(table, line);) {
    if (line.starts_with('#') || !(std::istringstream(line) >> album >> folder >> found)) continue;
    EXPECT_EQ(OriginalsFolderOn(album == "-" ? "" : album, folder).value_or("-"), found) << line;
  }
}

}  // namespace
}  // namespace snapnook
