// The walk: which pictures it hands on and in what order, by the kinds of folders; the output
// folders of set folders; its trap.
#include "pictures/walk.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdlib>
#include <sstream>

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
  std::string calls;  // one "derive FILE" or "cells FILE VIEWER" a picture, each ending in ";"

  void DerivePictures(const std::string& big, const std::string& file) override {
    calls += "derive " + big.substr(tree.root().size() + 1) + file + "; ";
    if (file == "X2.JPG") throw InvalidPictureError(file);
  }
  void WritePictureCells(const std::string& set, const std::string& file,
                         const std::string& viewer) override {
    calls += "cells " + set.substr(tree.root().size() + 1) + file + " " + viewer + "; ";
  }
  void Run() {
    std::string folder = tree.root();
    WalkFolder(session, *this, folder, "*.JPG");
  }
};

void ExpectTheWalk() {
  Walk w;
  std::istringstream files(
      "loose.JPG SET1/IMG2.JPG SET1/img10.jpg SET1/IMG01.JPG SET1/IMG1.JPG SET1/img1.jpg "
      "SET1/x99999999999999999999.JPG SET1/x100000000000000000000.JPG SET1/BIG/B1.JPG "
      "SET1/BIG/sideways/B1.JPG SET1/Other/O.JPG SET10/BIG/T.JPG SET10/S10.JPG set2/A.JPG "
      "OLDBIG/C.JPG Big/G.JPG BIGGER/Z.JPG MYSET2/M.JPG SET/N.JPG SET\xC3\xA9/E.JPG SET\xE9/I.JPG "
      "SET\xE2\x82\xAC\xC3\xA9/F.JPG SET10x/SET2/BIG/c.JPG SET9/BIG/X1.JPG SET9/BIG/X2.JPG "
      "SET9/BIG/X3.JPG SET9/BIG/sub/BIG/X4.JPG");
  for (std::string file; files >> file;) w.tree.WriteFile(file, "x");
  ASSERT_EQ(::symlink("..", w.tree.Path("SET1/BIG/up").c_str()), 0);  // back to an ancestor
  // "Create 640x480 files" unticked during SET1's pictures changes the folder the cells of
  // the next set folders link to.
  w.window.on_do_events = [&](testing::FakeWindow& window) {
    window.checked[CheckBox::kCreate640] &= window.status_text != w.tree.Path("SET1/IMG2.JPG");
  };
  w.Run();
  // X2.JPG's failure is shown and ends the walk of its folder, subfolders too. Names come in
  // natural order: digit runs by value, then the shorter run first; the rest blind to letter
  // case, then byte order.
  EXPECT_EQ(w.window.UnexpectedErrors(),
            std::vector<std::string>{"Error: 481 - Invalid picture: X2.JPG"});
  EXPECT_EQ(
      w.calls,
      "derive Big/G.JPG; cells MYSET2/M.JPG 640; derive OLDBIG/C.JPG; cells SET1/IMG1.JPG 640; "
      "cells SET1/img1.jpg 640; cells SET1/IMG01.JPG 640; cells SET1/IMG2.JPG 640; "
      "cells SET1/img10.jpg 640; cells SET1/x99999999999999999999.JPG 640; "
      "cells SET1/x100000000000000000000.JPG 640; derive SET1/BIG/B1.JPG; cells set2/A.JPG big; "
      "derive SET9/BIG/X1.JPG; derive SET9/BIG/X2.JPG; derive SET10/BIG/T.JPG; "
      "derive SET10x/SET2/BIG/c.JPG; cells SET\xC3\xA9/E.JPG big; cells SET\xE9/I.JPG big; ");
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
  w.tree.WriteFile("SET1/BIG/1.JPG", "x");
  w.tree.WriteFile("SET2/BIG/2.JPG", "x");
  ASSERT_EQ(::chmod(w.tree.Path("SET1/BIG").c_str(), 0), 0);
  testing::AsUnprivilegedUser user(w.tree.root());
  w.Run();
  EXPECT_EQ(w.calls, "derive SET2/BIG/2.JPG; ");
  EXPECT_EQ(w.window.UnexpectedErrors(),
            std::vector<std::string>{"Error: 70 - Permission denied: " + w.tree.Path("SET1/BIG/")});
}

}  // namespace
}  // namespace snapnook
