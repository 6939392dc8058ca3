#include "core/file_system.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <tuple>

#include "core/error.h"
#include "core/folder_lookup.h"
#include "support/temp_tree.h"

namespace snapnook {
namespace {

using testing::TempTree;

TEST(Pattern, MatchesJpgInAnyLetterCase) {
  EXPECT_TRUE(MatchesPattern("IMG1.JPG", "*.JPG"));
  EXPECT_TRUE(MatchesPattern("img1.jpg", "*.JPG"));
  EXPECT_TRUE(MatchesPattern(".JPG", "*.JPG"));
  EXPECT_TRUE(MatchesPattern("a.b.Jpg", "*.JPG"));
  EXPECT_FALSE(MatchesPattern("IMG1.JPEG", "*.JPG"));
  EXPECT_FALSE(MatchesPattern("IMG1.JPG.tmp", "*.JPG"));
  EXPECT_FALSE(MatchesPattern("JPG", "*.JPG"));
  EXPECT_FALSE(MatchesPattern("anything", "*.*"));
  EXPECT_TRUE(MatchesPattern("a.b", "*.*"));
  EXPECT_TRUE(MatchesPattern("ab", "a?"));
}

TEST(RealFileSystem, ListsEveryEntryInNaturalOrderAndOnlyMatchingFiles) {
  TempTree tree;
  tree.WriteFile("IMG10.JPG", "x");
  tree.WriteFile("img2.jpg", "x");
  tree.WriteFile(".hidden.JPG", "x");
  tree.WriteFile("notes.txt", "x");
  tree.MakeDir("x.JPG");  // a folder is not a picture
  ASSERT_EQ(::symlink("img2.jpg", tree.Path("link.JPG").c_str()), 0);
  ASSERT_EQ(::symlink("missing", tree.Path("dangling.JPG").c_str()), 0);
  RealFileSystem fs;
  EXPECT_EQ(fs.ListEntries(tree.root()),
            (std::vector<std::string>{".hidden.JPG", "dangling.JPG", "img2.jpg", "IMG10.JPG",
                                      "link.JPG", "notes.txt", "x.JPG"}));
  EXPECT_EQ(fs.ListFiles(tree.root() + "/", "*.JPG"),
            (std::vector<std::string>{".hidden.JPG", "img2.jpg", "IMG10.JPG", "link.JPG"}));
}

TEST(RealFileSystem, ListingAMissingFolderIsPathNotFound) {
  TempTree tree;
  RealFileSystem fs;
  try {
    fs.ListEntries(tree.Path("nope"));
    FAIL();
  } catch (const SnapError& e) {
    EXPECT_EQ(e.number(), 53);
    EXPECT_NE(e.description().find(tree.Path("nope")), std::string::npos);
  }
}

TEST(RealFileSystem, AFileAppearsOnlyWhenCommittedAndAnAbandonedOneLeavesNoTrace) {
  TempTree tree;
  tree.WriteFile("page01.htm", "old");
  RealFileSystem fs;
  {
    auto file = fs.CreateFile(tree.Path("page01.htm"));
    file->Write("new content");
    EXPECT_EQ(tree.ReadFile("page01.htm"), "old");
    // Dropped without Commit: the old file stays and no temporary is left.
  }
  EXPECT_EQ(tree.ReadFile("page01.htm"), "old");
  EXPECT_EQ(tree.Files(), std::vector<std::string>{"page01.htm"});

  auto file = fs.CreateFile(tree.Path("page01.htm"));
  file->Write("new ");
  file->Write("content");
  file->Commit();
  EXPECT_EQ(tree.ReadFile("page01.htm"), "new content");
  EXPECT_EQ(tree.Files(), std::vector<std::string>{"page01.htm"});
}

TEST(RealFileSystem, WritingIntoAMissingFolderIsPathNotFound) {
  TempTree tree;
  RealFileSystem fs;
  const std::vector<unsigned char> bytes = {1, 2, 3};
  try {
    fs.WriteFile(tree.Path("Thumb/IMG1.JPG"), bytes);
    FAIL();
  } catch (const SnapError& e) {
    EXPECT_EQ(e.number(), 76);
    EXPECT_EQ(e.description(), "Path not found: " + tree.Path("Thumb/IMG1.JPG"));
  }
}

TEST(RealFileSystem, CreateDirectoryAcceptsAnExistingFolderButNotAFile) {
  TempTree tree;
  tree.WriteFile("Thumb", "a file");
  RealFileSystem fs;
  fs.CreateDirectory(tree.Path("640"));
  fs.CreateDirectory(tree.Path("640"));
  EXPECT_TRUE(fs.IsDirectory(tree.Path("640")));
  EXPECT_THROW(fs.CreateDirectory(tree.Path("Thumb")), SnapError);
}

TEST(RealFileSystem, ReadOnlyFolderRefusesWritesAsPermissionDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write into read-only folders";
  TempTree tree;
  tree.MakeDir("ro");
  ASSERT_EQ(::chmod(tree.Path("ro").c_str(), 0555), 0);
  RealFileSystem fs;
  try {
    fs.WriteFile(tree.Path("ro/x.JPG"), std::vector<unsigned char>{1});
    FAIL();
  } catch (const SnapError& e) {
    EXPECT_EQ(e.number(), 70);
  }
}

TEST(FolderLookup, FindsAFolderInAnyLetterCaseExactMatchFirst) {
  TempTree tree;
  tree.MakeDir("BIG/SIDEWAYS");
  tree.MakeDir("BIG/Sideways");
  tree.WriteFile("BIG/sideWAYS", "a file, not a folder");
  RealFileSystem fs;
  EXPECT_EQ(FindFolderIgnoringCase(fs, tree.Path("BIG"), "sideways"), "SIDEWAYS");
  EXPECT_EQ(FindFolderIgnoringCase(fs, tree.Path("BIG/"), "Sideways"), "Sideways");
  EXPECT_EQ(FindFolderIgnoringCase(fs, tree.Path("BIG"), "640"), std::nullopt);
  EXPECT_EQ(FindFolderIgnoringCase(fs, tree.Path("missing"), "sideways"), std::nullopt);
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
