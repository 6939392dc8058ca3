// The file-system seam: numbered errors, listings, writes that appear whole, permissions and the
// folders of originals.
#include "core/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <tuple>

#include "core/error.h"
#include "core/folder_lookup.h"
#include "core/int16.h"
#include "support/temp_tree.h"
#include "support/unprivileged.h"

namespace snapnook {
namespace {

using testing::TempTree;

// The walk's message for what `action` raised, or "" when it raised nothing.
std::string Failure(const std::function<void()>& action) {
  try {
    action();
  } catch (const SnapError& error) {
    return WalkErrorText(error);
  }
  return "";
}

TEST(Errors, EachFailureHasItsNumberAndNamesThePath) {
  const std::tuple<int, IoAction, const char*> cases[] = {
      {ENOENT, IoAction::kRead, "53 - File not found: "},
      {ENOENT, IoAction::kList, "76 - Path not found: "},
      {ENOENT, IoAction::kWrite, "76 - Path not found: "},
      {ENOTDIR, IoAction::kRead, "76 - Path not found: "},
      {ENOSPC, IoAction::kWrite, "61 - Disk full: "},
      {EDQUOT, IoAction::kWrite, "61 - Disk full: "},
      {EACCES, IoAction::kList, "70 - Permission denied: "},
      {EPERM, IoAction::kWrite, "70 - Permission denied: "},
      {EROFS, IoAction::kWrite, "70 - Permission denied: "},
      {EIO, IoAction::kRead, "75 - Path/File access error: "},
  };
  for (const auto& [err, action, text] : cases) {
    EXPECT_EQ(WalkErrorText(ErrorFromErrno(err, action, "/x/A.JPG")),
              "Error: " + std::string(text) + "/x/A.JPG");
  }
  // A 16-bit count stops at 32767: one more is "Overflow", and the count stays.
  Int16 count = 32767;
  EXPECT_EQ(Failure([&] { ++count; }), "Error: 6 - Overflow");
  EXPECT_EQ(count, 32767);
}

TEST(RealFileSystem, ListsPicturesInNaturalOrderAndMissingFoldersAsPathNotFound) {
  TempTree tree;
  for (const char* name : {"IMG10.JPG", "img2.jpg", ".h.JPG", "A.JPEG", "B.JPG.tmp", "JPG"}) {
    tree.WriteFile(name, "x");
  }
  tree.MakeDir("x.JPG");  // a folder is no picture
  ASSERT_EQ(::symlink("img2.jpg", tree.Path("link.JPG").c_str()), 0);
  ASSERT_EQ(::symlink("missing", tree.Path("dangling.JPG").c_str()), 0);
  RealFileSystem fs;
  EXPECT_EQ(fs.ListFiles(tree.root(), "*.JPG"),
            (std::vector<std::string>{".h.JPG", "img2.jpg", "IMG10.JPG", "link.JPG"}));
  // A folder that is not there is neither a file nor its content.
  EXPECT_EQ(Failure([&] { fs.ListEntries(tree.Path("gone")); }),
            "Error: 76 - Path not found: " + tree.Path("gone"));
  EXPECT_EQ(Failure([&] { fs.WriteFile(tree.Path("gone/A.JPG"), {}); }),
            "Error: 76 - Path not found: " + tree.Path("gone/A.JPG"));
}

TEST(RealFileSystem, AFileAppearsWhenCommittedWholeAndAnAbandonedOneLeavesNoTrace) {
  TempTree tree;
  tree.WriteFile("page01.htm", "old");
  RealFileSystem fs;
  for (const bool commit : {false, true}) {
    auto file = fs.CreateFile(tree.Path("page01.htm"));
    file->Write("new ");
    file->Write("page");
    EXPECT_EQ(tree.ReadFile("page01.htm"), "old");
    if (commit) file->Commit();
  }
  EXPECT_EQ(tree.ReadFile("page01.htm"), "new page");
  EXPECT_EQ(tree.Files(), std::vector<std::string>{"page01.htm"});
}

TEST(RealFileSystem, AReadOnlyFolderRefusesWritesAsPermissionDenied) {
  TempTree tree;
  tree.MakeDir("ro");
  testing::AsUnprivilegedUser user(tree.root());
  ASSERT_EQ(::chmod(tree.Path("ro").c_str(), 0555), 0);
  RealFileSystem fs;
  EXPECT_EQ(Failure([&] { fs.WriteFile(tree.Path("ro/A.JPG"), {}); }),
            "Error: 70 - Permission denied: " + tree.Path("ro/A.JPG"));
}

TEST(FolderLookup, FindsAFolderInAnyLetterCaseAnExactMatchFirst) {
  TempTree tree;
  tree.MakeDir("BIG/SIDEWAYS");
  tree.MakeDir("BIG/Sideways");
  tree.WriteFile("BIG/sideWAYS", "a file, not a folder");
  RealFileSystem fs;
  EXPECT_EQ(FindFolderIgnoringCase(fs, tree.Path("BIG"), "sideways"), "SIDEWAYS");
  EXPECT_EQ(FindFolderIgnoringCase(fs, tree.Path("BIG/"), "Sideways"), "Sideways");
  EXPECT_EQ(FindFolderIgnoringCase(fs, tree.Path("gone"), "sideways"), std::nullopt);
}

TEST(Originals, AreLookedForFromTheAlbumFolderDownOrAlongAPathOutsideIt) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      // album, folder written into, the folder of originals it touches ("" for none)
      {"/a/album", "/a/album/SET1", ""},
      {"/a/album", "/a/album/SET1/BIG", "/a/album/SET1/BIG"},
      {"/a/album", "/a/album/SET1/BIG/sideways", "/a/album/SET1/BIG"},
      {"/a/album", "/a/album/x/oldbig/y", "/a/album/x/oldbig"},
      {"/a/album", "/a/album/BIGGER/SET1", ""},
      {"/a/BIG/album", "/a/BIG/album/SET1", ""},      // above the album: the user's choice
      {"/a/SET1/BIG", "/a/SET1/BIG", "/a/SET1/BIG"},  // the album folder itself
      {"/a/album", "/a/album/../default", ""},
      {"/a/album", "/a/album/../BIG/SET1", "/a/BIG"},  // outside the album: the whole path
      {"/media/BIG/album", "/media/BIG/default", "/media/BIG"},
      {"", "/x/Big/SET1", "/x/Big"},  // no album: the whole path
      {"/a/album", "/a/album/./SET1//big/", "/a/album/SET1/big"},
  };
  for (const auto& [album, folder, found] : cases) {
    EXPECT_EQ(OriginalsFolderOn(album, folder).value_or(""), found) << album << " " << folder;
  }
}

}  // namespace
}  // namespace snapnook
