// The walk: which pictures it hands on and in what order, by the kinds of folders; the output
// folders of set folders; its trap.
#include "pictures/walk.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdlib>
#include <fstream>

#include "support/fake_window.h"
#include "support/temp_tree.h"
#include "support/unprivileged.h"

namespace snapnook {
namespace {

// A tree walked in a derive and HTML pass (every box ticked): what the walk handed on,
// relative to the tree. The picture X2.JPG fails.
struct Walk : PictureSteps {
  testing::TempTree tree;
  testing::FakeWindow window;
  RealFileSystem fs;
  testing::MemorySettings settings;
  Session session{window, fs, settings};
  std::string calls;  // a line a picture: "derive FILE" or "cells FILE VIEWER"

  void DerivePictures(const std::string& big, const std::string& file) override {
    calls += "derive " + big.substr(tree.root().size() + 1) + file + "\n";
    if (file == "X2.JPG") throw InvalidPictureError(file);
  }
  void WritePictureCells(const std::string& set, const std::string& file,
                         const std::string& viewer) override {
    calls += "cells " + set.substr(tree.root().size() + 1) + file + " " + viewer + "\n";
  }
  void Run() {
    std::string folder = tree.root();
    AlbumFiles files(fs, folder, nullptr);
    session.files = &files;
    WalkFolder(session, *this, folder, "*.JPG");
    session.files = nullptr;
  }
};

// Walks the tree of tests/data/walk.txt and checks what it hands on and the folders it makes.
void ExpectTheWalk() {
  Walk w;
  std::ifstream table(SNAPNOOK_TEST_DATA "/walk.txt");
  std::string expected;
  for (std::string line; std::getline(table, line);) {
    if (line.starts_with("> ")) {
      expected += testing::Unescaped(line.substr(2)) + "\n";
    } else if (!line.empty() && !line.starts_with('#')) {
      testing::AddToTree(w.tree.root(), line);
    }
  }
  ASSERT_EQ(::symlink("..", w.tree.Path("SET1/BIG/up").c_str()), 0);  // back to an ancestor
  w.window.on_do_events = [&](testing::FakeWindow& window) {
    window.checked[CheckBox::kCreate640] &= window.status_text != w.tree.Path("SET1/IMG2.JPG");
  };
  w.Run();
  EXPECT_EQ(w.window.UnexpectedErrors(),
            std::vector<std::string>{"Error: 481 - Invalid picture: X2.JPG"});
  EXPECT_EQ(w.calls, expected);
  // Only set folders met below the source folder get output folders.
  EXPECT_TRUE(w.fs.IsDirectory(w.tree.Path("SET10x/SET2/640/sideways")));
  for (const char* other : {"", "SET10", "SET", "SET\xE2\x82\xAC\xC3\xA9", "OLDBIG", "BIGGER"}) {
    EXPECT_FALSE(w.fs.IsDirectory(w.tree.Path(other) + "/Thumb")) << other;
  }
}

// The window program runs in the user's locale; a Turkish one upper-cases i to a dotted
// capital, and "Big" must still be a BIG folder there.
TEST(WalkTest, HandsPicturesOnByFolderKindInWalkOrderInEveryLocale) {
  ExpectTheWalk();
  testing::TempTree locales;  // made for the test where the system has none
  const std::string made =
      "localedef -i tr_TR -f UTF-8 " + locales.Path("tr_TR.UTF-8") + " >/dev/null 2>&1";
  if (std::setlocale(LC_ALL, "tr_TR.UTF-8") == nullptr && std::system(made.c_str()) == 0) {
    ::setenv("LOCPATH", locales.root().c_str(), 1);
  }
  if (std::setlocale(LC_ALL, "tr_TR.UTF-8") == nullptr) {
    GTEST_SKIP() << "no tr_TR.UTF-8 locale and localedef could not make one";
  }
  ExpectTheWalk();
  std::setlocale(LC_ALL, "C");
  ::unsetenv("LOCPATH");
}

TEST(WalkTest, AnUnreadableFolderIsReportedAndTheRestOfTheTreeIsWalked) {
  Walk w;
  testing::AddToTree(w.tree.root(), "SET{1..2}/BIG/1.JPG");
  ASSERT_EQ(::chmod(w.tree.Path("SET1/BIG").c_str(), 0), 0);
  testing::AsUnprivilegedUser user(w.tree.root());
  w.Run();
  EXPECT_EQ(w.calls, "derive SET2/BIG/1.JPG\n");
  EXPECT_EQ(w.window.UnexpectedErrors(),
            std::vector<std::string>{"Error: 70 - Permission denied: " + w.tree.Path("SET1/BIG/")});
}

}  // namespace
}  // namespace snapnook
