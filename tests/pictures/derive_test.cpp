// Deriving pictures: the pool that makes them ahead on worker threads hands each its own copies
// in the walk's order, one job and many write the same bytes, and a picture is decoded large
// enough for every copy.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vips/vips8>

#include "pictures/derive_pictures.h"
#include "pictures/derive_pool.h"
#include "support/fake_window.h"
#include "support/temp_tree.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::TempTree;

TEST(ParallelDeriveTest, ThePoolHandsEachPictureItsOwnCopies) {
  const std::thread::id walk = std::this_thread::get_id();
  std::atomic<int> turns = 0;
  // Each picture says what it was made of, and whether a worker made it ahead or the walk at
  // its turn. The second ones are slow, so that the walk waits and keeps the window alive.
  const Preparer mark = [&](FileSystem&, const std::string& folder, const std::string& file,
                            bool make_640) {
    for (int ms = 0; file == "2" && turns == 0 && ms < 5000; ++ms) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::string made = folder + file + (make_640 ? " 640" : "") +
                             (std::this_thread::get_id() == walk ? " at its turn" : " ahead");
    PreparedPicture prepared;
    prepared.images.album.assign(made.begin(), made.end());
    return prepared;
  };
  RealFileSystem fs;
  DerivePool pool(fs, 3, 2, mark);
  const auto take = [&](const std::string& folder, const std::string& file, bool make_640) {
    const PreparedPicture prepared = pool.Take(folder, file, make_640, [&] { ++turns; });
    return std::string(prepared.images.album.begin(), prepared.images.album.end());
  };
  pool.Submit("A/", {"1", "2", "3"}, true);
  pool.Submit("B/", {"1", "2", "3"}, true);
  EXPECT_EQ(take("A/", "2", true), "A/2 640 ahead");  // A/1 is passed over
  EXPECT_GT(turns, 0);
  EXPECT_EQ(take("B/", "3", true), "B/3 640 ahead");  // so are A/3, B/1 and B/2
  EXPECT_EQ(take("A/", "1", true), "A/1 640 at its turn");
  pool.Submit("C/", {"1", "2"}, true);
  EXPECT_EQ(take("C/", "1", false), "C/1 at its turn");  // the box changed since
  pool.Drop("C/");                                       // the walk of C/ ended
  EXPECT_EQ(take("C/", "2", true), "C/2 640 at its turn");
}

TEST(ParallelDeriveTest, OneJobAndManyWriteTheSameBytesWithTheBoxAsItIsAtEachTurn) {
  std::map<std::string, std::string> made[2];
  for (const int jobs : {4, 1}) {
    TempTree tree;
    testing::FakeWindow window;
    RealFileSystem fs;
    testing::MemorySettings settings;
    Session session{window, fs, settings};
    session.jobs = jobs;
    tree.MakeDir("SET1/640/sideways");
    tree.MakeDir("SET1/Thumb");
    tree.MakeDir("SET1/BIG");
    std::vector<std::string> files;
    for (int i = 1; i <= 6; ++i) {
      files.push_back("P" + std::to_string(i) + ".JPG");
      testing::WriteTestJpeg(tree.Path("SET1/BIG/" + files.back()), 400 + 10 * i, 300);
    }
    PictureDeriver deriver(session);
    const std::string big = tree.Path("SET1/BIG/");
    deriver.BigFolderListed(big, files);  // with "Create 640x480 files" ticked
    for (size_t i = 0; i < files.size(); ++i) {
      window.checked[CheckBox::kCreate640] = i % 2 == 0;
      deriver.DerivePictures(big, files[i]);
    }
    deriver.BigFolderDone(big);
    made[jobs == 1] = tree.Snapshot("SET1");
  }
  EXPECT_EQ(made[0], made[1]);
  EXPECT_EQ(made[0].size(), 6 + 6 + 6 + 3u);  // originals, album pictures, thumbnails, 640s
}

// A panorama is decoded at a scale that covers both sides of its largest copy: decoded to
// cover its length only, its stripes across would blur away when enlarged. Colour pictures
// are made from their planes, gray ones through libvips.
TEST(DeriveTest, APanoramaIsDecodedLargeEnoughForBothSidesOfItsCopies) {
  StartImaging();
  for (const bool wide : {true, false}) {
    for (const int bands : {3, 1}) {
      const vips::VImage xy = vips::VImage::xyz(wide ? 5120 : 480, wide ? 480 : 5120);
      vips::VImage stripes = (xy[wide ? 1 : 0] % 8) < 4;  // four pixels black, four white
      if (bands == 3) {
        stripes =
            stripes.bandjoin({stripes, stripes})
                .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
      }
      VipsBlob* blob = stripes.jpegsave_buffer(vips::VImage::option()->set("Q", 95));
      const auto* bytes = static_cast<const unsigned char*>(blob->area.data);
      DeriveInput input;
      input.bytes.assign(bytes, bytes + blob->area.length);
      vips_area_unref(&blob->area);
      for (const bool make_640 : {true, false}) {
        input.make_640 = make_640;
        const DerivedImages images = MakeDerivedImages(input);
        const auto& copy = make_640 ? images.screen : images.album;
        EXPECT_GT(vips::VImage::new_from_buffer(copy.data(), copy.size(), "").deviate(), 60)
            << (wide ? "wide " : "tall ") << bands << " bands" << (make_640 ? ", 640" : "");
      }
    }
  }
}

}  // namespace
}  // namespace snapnook
