// Making the copies: the pool that makes pictures ahead on worker threads hands each its own
// copies in the walk's order; a picture is decoded large enough for both sides of every copy;
// which colour profiles count as sRGB.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vips/vips8>

#include "pictures/derive_pool.h"
#include "pictures/icc_profile.h"

namespace snapnook {
namespace {

TEST(ParallelDeriveTest, ThePoolHandsEachPictureItsOwnCopies) {
  const std::thread::id walk = std::this_thread::get_id();
  std::atomic<int> turns = 0;
  // Each picture says what it was made of, and whether a worker made it ahead or the walk at
  // its turn. The second ones are slow, so that the walk waits and keeps the window alive.
  const Preparer mark = [&](SharedReads&, const BigFolder& folder, const std::string& file,
                            bool make_640) {
    for (int ms = 0; file == "2" && turns == 0 && ms < 5000; ++ms) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::string made = folder.path + file + (make_640 ? " 640" : "") +
                             (std::this_thread::get_id() == walk ? " at its turn" : " ahead");
    PreparedPicture prepared;
    prepared.images.album.assign(made.begin(), made.end());
    return prepared;
  };
  RealFileSystem fs;
  DerivePool pool(fs, 3, 2, mark);
  const auto take = [&](const std::string& folder, const std::string& file, bool make_640) {
    const PreparedPicture prepared = pool.Take({folder, {}}, file, make_640, [&] { ++turns; });
    return std::string(prepared.images.album.begin(), prepared.images.album.end());
  };
  pool.Submit({"A/", {}}, {"1", "2", "3"}, true);
  pool.Submit({"B/", {}}, {"1", "2", "3"}, true);
  EXPECT_EQ(take("A/", "2", true), "A/2 640 ahead");  // A/1 is passed over
  EXPECT_GT(turns, 0);
  EXPECT_EQ(take("B/", "3", true), "B/3 640 ahead");  // so are A/3, B/1 and B/2
  EXPECT_EQ(take("A/", "1", true), "A/1 640 at its turn");
  pool.Submit({"C/", {}}, {"1", "2"}, true);
  EXPECT_EQ(take("C/", "1", false), "C/1 at its turn");  // the box changed since
  pool.Drop("C/");                                       // the walk of C/ ended
  EXPECT_EQ(take("C/", "2", true), "C/2 640 at its turn");
}

// A panorama is decoded at a scale that covers both sides of its largest copy (here the album
// picture): decoded to cover its length only, its stripes across would blur away when
// enlarged. Colour pictures are made from their planes, gray ones through libvips.
TEST(DeriveTest, APanoramaIsDecodedLargeEnoughForBothSidesOfItsCopies) {
  StartImaging();
  for (const bool wide : {true, false}) {
    for (const int bands : {3, 1}) {
      const vips::VImage xy = vips::VImage::xyz(wide ? 5120 : 480, wide ? 480 : 5120);
      vips::VImage stripes = (xy[wide ? 1 : 0] % 8) < 4;  // four pixels black, four white
      if (bands == 3) {
        stripes =
            vips::VImage::bandjoin({stripes, stripes, stripes})
                .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
      }
      VipsBlob* blob = stripes.jpegsave_buffer(vips::VImage::option()->set("Q", 95));
      const auto* bytes = static_cast<const unsigned char*>(blob->area.data);
      DeriveInput input;
      input.bytes.assign(bytes, bytes + blob->area.length);
      vips_area_unref(&blob->area);
      const std::vector<unsigned char> album = MakeDerivedImages(input).album;
      EXPECT_GT(vips::VImage::new_from_buffer(album.data(), album.size(), "").deviate(), 60)
          << (wide ? "wide, " : "tall, ") << bands << " bands";
    }
  }
}

// A profile is sRGB when its description says so, in ICC version 2 or 4; the wide-gamut
// profiles of tests/data/icc only mention sRGB in their copyright (README.txt there). A
// profile cut off anywhere is read safely, and not taken for more than it holds.
TEST(IccProfile, SrgbIsWhatTheDescriptionSaysAndACutOffProfileIsReadSafely) {
  for (const auto& entry : std::filesystem::directory_iterator(SNAPNOOK_TEST_DATA "/icc")) {
    const std::string name = entry.path().filename();
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> whole{std::istreambuf_iterator<char>(in), {}};
    if (!name.ends_with(".icc")) continue;
    EXPECT_EQ(IsSrgbProfile(whole), name.starts_with("srgb")) << name;
    for (size_t size = 0; size < whole.size(); ++size) {
      const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + size);  // its own
      EXPECT_TRUE(!IsSrgbProfile(part) || IccDescription(part) == IccDescription(whole)) << name;
    }
  }
}

}  // namespace
}  // namespace snapnook
