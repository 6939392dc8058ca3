#include <gtest/gtest.h>

#include "core/error.h"
#include "pictures/derive_pictures.h"
#include "support/fake_window.h"
#include "support/temp_tree.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::FakeWindow;
using testing::MemorySettings;
using testing::TempTree;
using testing::WriteTestJpeg;

// Pictures made ahead on worker threads are committed at their turn, as if made one by one.
class ParallelDeriveTest : public ::testing::Test {
 protected:
  ParallelDeriveTest() {
    tree.MakeDir("SET1/BIG/sideways");
    tree.MakeDir("SET1/640/sideways");
    tree.MakeDir("SET1/Thumb");
    session.jobs = 4;
    for (int i = 1; i <= 6; ++i) {
      const std::string name = "P" + std::to_string(i) + ".JPG";
      files.push_back(name);
      WriteTestJpeg(tree.Path("SET1/BIG/" + name), 400 + 10 * i, 300);
    }
  }

  TempTree tree;
  FakeWindow window;
  RealFileSystem fs;
  MemorySettings settings;
  Session session{window, fs, settings};
  std::vector<std::string> files;
};

TEST_F(ParallelDeriveTest, The640BoxAsItIsAtEachPicturesTurnDecides) {
  PictureDeriver deriver(session);
  const std::string big = tree.Path("SET1/BIG/");
  deriver.BigFolderListed(big, files);  // started with the box ticked
  for (size_t i = 0; i < files.size(); ++i) {
    window.checked[CheckBox::kCreate640] = (i % 2 == 0);
    deriver.DerivePictures(big, files[i]);
  }
  deriver.BigFolderDone(big);
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_TRUE(tree.Exists("SET1/" + files[i]));
    EXPECT_EQ(tree.Exists("SET1/640/" + files[i]), i % 2 == 0) << files[i];
  }
  EXPECT_EQ(window.pictures_shown, 6);
}

TEST_F(ParallelDeriveTest, AFailureAtItsTurnStopsTheFolderAndNothingAfterItIsWritten) {
  tree.WriteFile("SET1/BIG/P3.JPG", "broken");
  PictureDeriver deriver(session);
  const std::string big = tree.Path("SET1/BIG/");
  deriver.BigFolderListed(big, files);
  deriver.DerivePictures(big, "P1.JPG");
  deriver.DerivePictures(big, "P2.JPG");
  EXPECT_THROW(deriver.DerivePictures(big, "P3.JPG"), SnapError);
  deriver.BigFolderDone(big);  // what the walk's trap does next
  EXPECT_TRUE(tree.Exists("SET1/P2.JPG"));
  for (const char* later : {"P3.JPG", "P4.JPG", "P5.JPG", "P6.JPG"}) {
    EXPECT_FALSE(tree.Exists(std::string("SET1/") + later)) << later;
    EXPECT_FALSE(tree.Exists(std::string("SET1/Thumb/") + later)) << later;
  }
  // The folder's dropped results are not handed to a later walk of it.
  WriteTestJpeg(tree.Path("SET1/BIG/P3.JPG"), 500, 500);
  deriver.DerivePictures(big, "P3.JPG");
  EXPECT_EQ(testing::ReadJpegFacts(tree.Path("SET1/P3.JPG")).width, 288);
}

TEST_F(ParallelDeriveTest, PicturesTakenOutOfOrderOrNeverListedAreMadeAtTheirTurn) {
  PictureDeriver deriver(session);
  const std::string big = tree.Path("SET1/BIG/");
  deriver.BigFolderListed(big, {"P1.JPG", "P2.JPG"});
  deriver.DerivePictures(big, "P2.JPG");  // not the next one queued
  deriver.DerivePictures(big, "P5.JPG");  // never queued
  deriver.BigFolderDone(big);
  EXPECT_TRUE(tree.Exists("SET1/640/P2.JPG"));
  EXPECT_TRUE(tree.Exists("SET1/640/P5.JPG"));
  EXPECT_FALSE(tree.Exists("SET1/P1.JPG"));
}

TEST_F(ParallelDeriveTest, OneJobAndManyJobsWriteTheSameBytes) {
  PictureDeriver parallel(session);
  const std::string big = tree.Path("SET1/BIG/");
  parallel.BigFolderListed(big, files);
  for (const std::string& file : files) parallel.DerivePictures(big, file);
  const auto many = tree.Snapshot("SET1");

  session.jobs = 1;
  PictureDeriver serial(session);
  for (const std::string& file : files) serial.DerivePictures(big, file);
  EXPECT_EQ(tree.Snapshot("SET1"), many);
}

}  // namespace
}  // namespace snapnook
