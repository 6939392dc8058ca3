// The walk: which pictures it hands on, in what order, which output folders it makes, and its
// trap; in every locale, as the kinds of folders are decided on their names alone.
#include "pictures/walk.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>

#include "support/fake_window.h"
#include "support/temp_tree.h"
#include "support/unprivileged.h"

namespace snapnook {
namespace {

using testing::FakeWindow;
using testing::TempTree;

// Records what the walk hands on, relative to the tree; the picture `fail_on` fails.
class RecordingSteps : public PictureSteps {
 public:
  RecordingSteps(std::string root, std::string fail_on)
      : root_(std::move(root) + "/"), fail_on_(std::move(fail_on)) {}
  std::vector<std::string> calls;

  void DerivePictures(const std::string& big_folder, const std::string& file) override {
    Record("derive " + big_folder + file);
  }
  void WritePictureCells(const std::string& set_folder, const std::string& file,
                         const std::string& viewer) override {
    Record("cells " + set_folder + file + " " + viewer);
  }

 private:
  void Record(const std::string& call) {
    calls.push_back(call.substr(0, call.find(' ') + 1) +
                    call.substr(call.find(root_) + root_.size()));
    if (call.find(fail_on_) != std::string::npos) throw InvalidPictureError(fail_on_);
  }
  std::string root_, fail_on_;
};

struct Walked {
  TempTree tree;
  FakeWindow window;
  RealFileSystem fs;
  testing::MemorySettings settings;
  Session session{window, fs, settings};
  RecordingSteps steps{tree.root(), "X2.JPG"};

  void Walk(bool counting) {
    session.state.CountingPass = counting;
    std::string folder = tree.root();
    WalkFolder(session, steps, folder, "*.JPG");
    EXPECT_EQ(folder, tree.root() + "/");  // the caller's string gains the separator
  }
};

void ExpectTheWalk() {
  Walked w;
  for (const char* file : {"loose.JPG",
                           "SET1/IMG2.JPG",
                           "SET1/img10.jpg",
                           "SET1/notes.txt",
                           "SET1/BIG/B1.JPG",
                           "SET1/BIG/sideways/B1.JPG",
                           "SET1/Other/O.JPG",
                           "SET10/BIG/T.JPG",
                           "SET10/S10.JPG",
                           "set2/A.JPG",
                           "OLDBIG/C.JPG",
                           "Big/G.JPG",
                           "SET\xC3\xA9/E.JPG",
                           "SET\xE2\x82\xAC\xC3\xA9/F.JPG",
                           "SET10x/SET2/BIG/c.JPG",
                           "SET9/BIG/X1.JPG",
                           "SET9/BIG/X2.JPG",
                           "SET9/BIG/X3.JPG",
                           "SET9/BIG/sub/BIG/X4.JPG",
                           "MYSET2/M.JPG",
                           "SET/N.JPG",
                           "SET\xE9/I.JPG",
                           "BIGGER/Z.JPG"}) {
    w.tree.WriteFile(file, "x");
  }
  ASSERT_EQ(::symlink("..", w.tree.Path("SET1/BIG/up").c_str()), 0);  // back to an ancestor
  // The counting pass counts the pictures of BIG folders and hands nothing on.
  w.Walk(/*counting=*/true);
  EXPECT_EQ(w.session.state.PicturesOnPage, 9);
  EXPECT_TRUE(w.steps.calls.empty());

  // "Create 640x480 files" is unticked during SET1's pictures: the viewer folder changes
  // from the next folder on.
  w.window.on_do_events = [&](FakeWindow& window) {
    if (window.status_text == w.tree.Path("SET1/IMG2.JPG"))
      window.checked[CheckBox::kCreate640] = false;
  };
  w.Walk(/*counting=*/false);
  EXPECT_EQ(w.steps.calls,
            (std::vector<std::string>{
                "derive Big/G.JPG", "cells MYSET2/M.JPG 640", "derive OLDBIG/C.JPG",
                "cells SET1/IMG2.JPG 640", "cells SET1/img10.jpg 640", "derive SET1/BIG/B1.JPG",
                "cells set2/A.JPG big", "derive SET9/BIG/X1.JPG", "derive SET9/BIG/X2.JPG",
                "derive SET10/BIG/T.JPG", "derive SET10x/SET2/BIG/c.JPG",
                "cells SET\xC3\xA9/E.JPG big", "cells SET\xE9/I.JPG big"}));
  // The failing picture ends the walk of its folder, subfolders too; the rest goes on.
  EXPECT_EQ(w.window.UnexpectedErrors(),
            std::vector<std::string>{"Error: 481 - Invalid picture: X2.JPG"});
  // Set folders met below the source folder get their output folders.
  std::vector<std::string> made;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(w.tree.root())) {
    const std::string path = entry.path().string().substr(w.tree.root().size() + 1);
    if (path.ends_with("Thumb") || path.ends_with("640/sideways")) made.push_back(path);
  }
  std::sort(made.begin(), made.end());
  EXPECT_EQ(made, (std::vector<std::string>{
                      "MYSET2/640/sideways", "MYSET2/Thumb", "SET1/640/sideways", "SET1/Thumb",
                      "SET10x/SET2/640/sideways", "SET10x/SET2/Thumb", "SET9/640/sideways",
                      "SET9/Thumb", "SET\xC3\xA9/640/sideways", "SET\xC3\xA9/Thumb",
                      "SET\xE9/640/sideways", "SET\xE9/Thumb", "set2/640/sideways", "set2/Thumb"}));
}

TEST(WalkTest, HandsPicturesOnByFolderKindInWalkOrderInEveryLocale) {
  ExpectTheWalk();
  // Under Turkish rules "i" does not upper-case to "I"; the locale is made for the test
  // where the system has none.
  TempTree locales;
  const std::string make =
      "localedef -i tr_TR -f UTF-8 " + locales.Path("tr_TR.UTF-8") + " >/dev/null 2>&1";
  if (std::setlocale(LC_ALL, "tr_TR.UTF-8") == nullptr && std::system(make.c_str()) == 0) {
    ::setenv("LOCPATH", locales.root().c_str(), 1);
  }
  ASSERT_NE(std::setlocale(LC_ALL, "tr_TR.UTF-8"), nullptr) << "localedef could not make tr_TR";
  ExpectTheWalk();
  std::setlocale(LC_ALL, "C");
  ::unsetenv("LOCPATH");
}

TEST(WalkTest, AnUnreadableFolderIsReportedAndTheRestOfTheTreeIsWalked) {
  Walked w;
  w.tree.WriteFile("SET1/BIG/1.JPG", "x");
  w.tree.WriteFile("SET2/BIG/2.JPG", "x");
  testing::AsUnprivilegedUser user(w.tree.root());
  ASSERT_EQ(::chmod(w.tree.Path("SET1/BIG").c_str(), 0), 0);
  w.Walk(/*counting=*/false);
  EXPECT_EQ(w.steps.calls, std::vector<std::string>{"derive SET2/BIG/2.JPG"});
  EXPECT_EQ(w.window.UnexpectedErrors(),
            std::vector<std::string>{"Error: 70 - Permission denied: " + w.tree.Path("SET1/BIG/")});
}

}  // namespace
}  // namespace snapnook
