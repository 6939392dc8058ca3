#include "pictures/derive_pictures.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "support/fake_window.h"
#include "support/temp_tree.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::FakeWindow;
using testing::JpegFacts;
using testing::MemorySettings;
using testing::PictureKind;
using testing::ReadJpegFacts;
using testing::ReadMeanColour;
using testing::TempTree;
using testing::WriteTestJpeg;

class DeriveTest : public ::testing::Test {
 protected:
  DeriveTest() {
    tree.MakeDir("SET1/BIG/sideways");
    tree.MakeDir("SET1/640/sideways");
    tree.MakeDir("SET1/Thumb");
  }

  void Derive(const std::string& file) { deriver.DerivePictures(tree.Path("SET1/BIG/"), file); }

  // Width x height of a derived file, after checking it is a web-ready JPEG.
  std::string Size(const std::string& relative) {
    const JpegFacts facts = ReadJpegFacts(tree.Path(relative));
    EXPECT_EQ(facts.bands, 3) << relative;
    EXPECT_TRUE(facts.srgb) << relative;
    EXPECT_FALSE(facts.has_exif) << relative;
    EXPECT_FALSE(facts.has_icc) << relative;
    EXPECT_FALSE(facts.progressive) << relative;
    return std::to_string(facts.width) + "x" + std::to_string(facts.height);
  }

  TempTree tree;
  FakeWindow window;
  RealFileSystem fs;
  MemorySettings settings;
  Session session{window, fs, settings};
  PictureDeriver deriver{session};
};

TEST_F(DeriveTest, LandscapePictureGetsAlbumThumbnailAndScreenCopyAtExactSizes) {
  WriteTestJpeg(tree.Path("SET1/BIG/IMG_0001.JPG"), 1600, 1200);
  Derive("IMG_0001.JPG");
  EXPECT_EQ(Size("SET1/IMG_0001.JPG"), "288x216");
  EXPECT_EQ(Size("SET1/Thumb/IMG_0001.JPG"), "74x55");
  EXPECT_EQ(Size("SET1/640/IMG_0001.JPG"), "640x480");
  EXPECT_FALSE(tree.Exists("SET1/640/sideways/IMG_0001.JPG"));
  EXPECT_EQ(window.pictures_shown, 1);
}

TEST_F(DeriveTest, ProportionsOfThePictureDoNotMatterOnlyTheSidewaysCopyDoes) {
  // A tall picture without a sideways copy is landscape: it is squeezed, not turned.
  WriteTestJpeg(tree.Path("SET1/BIG/tall.JPG"), 1200, 1800);
  Derive("tall.JPG");
  EXPECT_EQ(Size("SET1/tall.JPG"), "288x216");
  EXPECT_EQ(Size("SET1/Thumb/tall.JPG"), "74x55");
  EXPECT_EQ(Size("SET1/640/tall.JPG"), "640x480");
}

TEST_F(DeriveTest, PortraitPictureGetsSwappedSizesAndASidewaysScreenCopyFromTheSidewaysFile) {
  WriteTestJpeg(tree.Path("SET1/BIG/P.JPG"), 1200, 1600);
  // The sideways copy is gray, so its screen copy can be told from the upright one's.
  WriteTestJpeg(tree.Path("SET1/BIG/sideways/P.JPG"), 1600, 1200, PictureKind::kGray);
  Derive("P.JPG");
  EXPECT_EQ(Size("SET1/P.JPG"), "216x288");
  EXPECT_EQ(Size("SET1/Thumb/P.JPG"), "55x74");
  EXPECT_EQ(Size("SET1/640/P.JPG"), "480x640");
  EXPECT_EQ(Size("SET1/640/sideways/P.JPG"), "640x480");
  const auto upright = ReadMeanColour(tree.Path("SET1/640/P.JPG"));
  const auto sideways = ReadMeanColour(tree.Path("SET1/640/sideways/P.JPG"));
  EXPECT_GT(std::abs(upright.r - upright.b), 10);
  EXPECT_NEAR(sideways.r, sideways.b, 2);
}

TEST_F(DeriveTest, WithoutThe640BoxOnlyAlbumPictureAndThumbnailAreWritten) {
  window.checked[CheckBox::kCreate640] = false;
  WriteTestJpeg(tree.Path("SET1/BIG/L.JPG"), 800, 600);
  WriteTestJpeg(tree.Path("SET1/BIG/P.JPG"), 600, 800);
  WriteTestJpeg(tree.Path("SET1/BIG/sideways/P.JPG"), 800, 600);
  Derive("L.JPG");
  Derive("P.JPG");
  EXPECT_EQ(Size("SET1/L.JPG"), "288x216");
  EXPECT_EQ(Size("SET1/P.JPG"), "216x288");
  EXPECT_EQ(Size("SET1/Thumb/P.JPG"), "55x74");
  EXPECT_EQ(tree.Snapshot("SET1/640").size(), 0u);
}

TEST_F(DeriveTest, AFolderNamedLikeThePictureInSidewaysDoesNotMakeItPortrait) {
  WriteTestJpeg(tree.Path("SET1/BIG/F.JPG"), 800, 600);
  tree.MakeDir("SET1/BIG/sideways/F.JPG");
  Derive("F.JPG");
  EXPECT_EQ(Size("SET1/F.JPG"), "288x216");
  EXPECT_FALSE(tree.Exists("SET1/640/sideways/F.JPG"));
}

TEST_F(DeriveTest, SidewaysFolderIsFoundInAnyLetterCase) {
  TempTree other;
  other.MakeDir("SET1/Big/SIDEWAYS");
  other.MakeDir("SET1/640/sideways");
  other.MakeDir("SET1/Thumb");
  WriteTestJpeg(other.Path("SET1/Big/P.JPG"), 600, 800);
  WriteTestJpeg(other.Path("SET1/Big/SIDEWAYS/P.JPG"), 800, 600);
  deriver.DerivePictures(other.Path("SET1/Big/"), "P.JPG");
  EXPECT_EQ(ReadJpegFacts(other.Path("SET1/P.JPG")).width, 216);
  EXPECT_EQ(ReadJpegFacts(other.Path("SET1/640/sideways/P.JPG")).width, 640);
}

TEST_F(DeriveTest, OutputNamesKeepTheirLetterCaseAndASecondRunOverwrites) {
  WriteTestJpeg(tree.Path("SET1/BIG/img_0002.jpg"), 1000, 750);
  tree.WriteFile("SET1/Thumb/img_0002.jpg", "stale");
  tree.WriteFile("SET1/Thumb/removed.jpg", "derived from a picture no longer in BIG");
  Derive("img_0002.jpg");
  EXPECT_EQ(Size("SET1/Thumb/img_0002.jpg"), "74x55");
  EXPECT_FALSE(tree.Exists("SET1/Thumb/IMG_0002.JPG"));
  EXPECT_EQ(tree.ReadFile("SET1/Thumb/removed.jpg"), "derived from a picture no longer in BIG");
  const std::string first = tree.ReadFile("SET1/img_0002.jpg");
  Derive("img_0002.jpg");
  EXPECT_EQ(tree.ReadFile("SET1/img_0002.jpg"), first);  // the same picture gives the same file
}

TEST_F(DeriveTest, GrayCmykAndTaggedPicturesBecomePlainUnrotatedSrgb) {
  WriteTestJpeg(tree.Path("SET1/BIG/gray.JPG"), 800, 600, PictureKind::kGray);
  WriteTestJpeg(tree.Path("SET1/BIG/cmyk.JPG"), 800, 600, PictureKind::kCmyk);
  WriteTestJpeg(tree.Path("SET1/BIG/turned.JPG"), 800, 600, PictureKind::kColour, 6);
  ASSERT_EQ(ReadJpegFacts(tree.Path("SET1/BIG/cmyk.JPG")).bands, 4);
  ASSERT_EQ(ReadJpegFacts(tree.Path("SET1/BIG/turned.JPG")).orientation, 6);
  for (const char* file : {"gray.JPG", "cmyk.JPG", "turned.JPG"}) {
    Derive(file);
    for (const char* folder : {"SET1/", "SET1/Thumb/", "SET1/640/"}) {
      Size(std::string(folder) + file);  // checks 3 bands, sRGB, no EXIF, no profile
    }
  }
  // The orientation tag is ignored: the blue top-left quarter stays top-left.
  const auto top_left = ReadMeanColour(tree.Path("SET1/640/turned.JPG"), 0, 0, 320, 240);
  const auto bottom_right = ReadMeanColour(tree.Path("SET1/640/turned.JPG"), 320, 240, 320, 240);
  EXPECT_GT(top_left.b, 180);
  EXPECT_LT(bottom_right.b, 70);
  // CMYK colours survive the conversion: the top-left quarter is still the bluest.
  const auto cmyk_top_left = ReadMeanColour(tree.Path("SET1/640/cmyk.JPG"), 0, 0, 320, 240);
  const auto cmyk_bottom_right = ReadMeanColour(tree.Path("SET1/640/cmyk.JPG"), 320, 240, 320, 240);
  EXPECT_GT(cmyk_top_left.b, cmyk_bottom_right.b + 60);
}

TEST_F(DeriveTest, TinyAndExtremePicturesStillGiveExactSizes) {
  WriteTestJpeg(tree.Path("SET1/BIG/dot.JPG"), 1, 1);
  WriteTestJpeg(tree.Path("SET1/BIG/line.JPG"), 1, 5000);
  for (const char* file : {"dot.JPG", "line.JPG"}) {
    Derive(file);
    EXPECT_EQ(Size(std::string("SET1/") + file), "288x216");
    EXPECT_EQ(Size(std::string("SET1/Thumb/") + file), "74x55");
    EXPECT_EQ(Size(std::string("SET1/640/") + file), "640x480");
  }
}

TEST_F(DeriveTest, ABadSidewaysFileFailsAfterTheOtherCopiesAreWritten) {
  WriteTestJpeg(tree.Path("SET1/BIG/P.JPG"), 600, 800);
  tree.WriteFile("SET1/BIG/sideways/P.JPG", "broken");
  EXPECT_THROW(Derive("P.JPG"), SnapError);
  EXPECT_EQ(Size("SET1/P.JPG"), "216x288");
  EXPECT_EQ(Size("SET1/Thumb/P.JPG"), "55x74");
  EXPECT_EQ(Size("SET1/640/P.JPG"), "480x640");
  EXPECT_FALSE(tree.Exists("SET1/640/sideways/P.JPG"));
}

TEST_F(DeriveTest, AMissingThumbFolderEndsThePictureAfterTheAlbumPicture) {
  TempTree bare;
  bare.MakeDir("X/BIG");
  WriteTestJpeg(bare.Path("X/BIG/A.JPG"), 800, 600);
  try {
    deriver.DerivePictures(bare.Path("X/BIG/"), "A.JPG");
    FAIL();
  } catch (const SnapError& e) {
    EXPECT_EQ(e.number(), 76);
    EXPECT_EQ(e.description(), "Path not found: " + bare.Path("X/Thumb/A.JPG"));
  }
  EXPECT_EQ(ReadJpegFacts(bare.Path("X/A.JPG")).width, 288);
}

TEST_F(DeriveTest, NeverWritesIntoAFolderOfOriginals) {
  TempTree nested;
  nested.MakeDir("SET1/BIG/BIG");
  WriteTestJpeg(nested.Path("SET1/BIG/BIG/A.JPG"), 800, 600);
  const auto before = nested.Snapshot("SET1/BIG");
  try {
    deriver.DerivePictures(nested.Path("SET1/BIG/BIG/"), "A.JPG");
    FAIL();
  } catch (const SnapError& e) {
    EXPECT_EQ(e.number(), 70);
    EXPECT_EQ(e.description(),
              "Permission denied: " + nested.Path("SET1/BIG/") + " is an original picture folder");
  }
  EXPECT_EQ(nested.Snapshot("SET1/BIG"), before);
}

}  // namespace
}  // namespace snapnook
