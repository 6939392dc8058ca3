// Odd pictures through a whole run: every encoding and shape a camera, an editor or a damaged
// card may leave in a BIG folder. Each gives the exact derived pictures, or exactly one
// numbered message naming the file, or (for what is not a picture file) nothing at all.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>

#include "core/traps.h"
#include "reliability/odd_pictures.h"
#include "reliability/reliability_support.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::ColourDistance;
using testing::ColourInProfile;
using testing::kQuadrants;
using testing::QuadrantColour;
using testing::Quote;
using testing::Rgb;
using testing::Shell;
using testing::TempTree;
using testing::WebReadySize;
using testing::WholeRun;

enum class Outcome {
  kPictures,  // the album picture, thumbnail and screen copy, at their exact sizes
  kInvalid,   // one message "Error: 481 - Invalid picture: " naming the file; no outputs
  kIgnored,   // not a picture file: no message, no output, the pictures beside it are made
  kDamaged,   // damaged but decodable data: either of the first two, nothing else
};

struct OddCase {
  std::string name;  // the set folder is name + "-SET1"; the picture is BIG/P.JPG
  Outcome outcome;
  std::function<void(const std::string& big)> make;  // fills the BIG folder (its path)
  /// Checks beyond the sizes, on the set folder's path; returns what is wrong.
  std::function<std::string(const std::string& set)> check;
};

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The colours of the four quadrants of `path` against the expected ones.
std::string QuadrantsWithin(const std::string& path, const Rgb (&expected)[4], int tolerance) {
  std::string wrong;
  for (int q = 0; q < 4; ++q) {
    const Rgb got = QuadrantColour(path, q);
    if (ColourDistance(got, expected[q]) > tolerance) {
      wrong += " quadrant " + std::to_string(q) + " is (" + std::to_string(got.r) + "," +
               std::to_string(got.g) + "," + std::to_string(got.b) + ")";
    }
  }
  return wrong;
}

// Each quadrant of a picture converted from CMYK (through a generic press profile, so only
// roughly in its colours) keeps its hue: blue, red, yellow and green stay so, and are not
// turned into their negatives.
std::string HuesKept(const std::string& path) {
  std::string wrong;
  const auto above = [](int a, int b) { return a > b + 25; };
  const Rgb tl = QuadrantColour(path, 0), tr = QuadrantColour(path, 1),
            br = QuadrantColour(path, 2), bl = QuadrantColour(path, 3);
  if (!above(tl.b, tl.r) || !above(tl.b, tl.g)) wrong += " top left not blue;";
  if (!above(tr.r, tr.g) || !above(tr.r, tr.b)) wrong += " top right not red;";
  if (!above(br.r, br.b) || !above(br.g, br.b)) wrong += " bottom right not yellow;";
  if (!above(bl.g, bl.r) || !above(bl.g, bl.b)) wrong += " bottom left not green;";
  return wrong;
}

// The derived album picture keeps the quadrants where they were, in their colours.
std::string NotTurnedNorDiscoloured(const std::string& set) {
  return QuadrantsWithin(set + "/P.JPG", kQuadrants, 12);
}

class OddPicturesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const char* tool : {"cjpeg", "jpegtran", "exiftool"}) {
      ASSERT_TRUE(testing::HaveTool(tool)) << tool << " is missing: run scripts/install-deps.sh";
    }
    tools_ = new TempTree;
    testing::WriteQuadrantJpeg(tools_->Path("base.jpg"), 1200, 900);
    testing::WriteQuadrantPpm(tools_->Path("base.ppm"), 1200, 900);
    testing::WriteAdobeRgbProfile(tools_->Path("adobe.icc"));
  }
  static void TearDownTestSuite() {
    delete tools_;
    tools_ = nullptr;
  }

  static std::string Tool(const std::string& name) { return tools_->Path(name); }

  // cjpeg of the quadrant picture with `options` into `out`.
  static void Cjpeg(const std::string& options, const std::string& out) {
    Shell("cjpeg " + options + " -outfile " + Quote(out) + " " + Quote(Tool("base.ppm")));
  }
  // jpegtran of the base picture with `options` into `out`.
  static void Jpegtran(const std::string& options, const std::string& out) {
    Shell("jpegtran " + options + " -outfile " + Quote(out) + " " + Quote(Tool("base.jpg")));
  }
  // The base picture cut after `bytes` bytes (counted from the end when negative).
  static void Truncated(long bytes, const std::string& out) {
    const std::string base = ReadBytes(Tool("base.jpg"));
    const size_t keep = bytes >= 0 ? static_cast<size_t>(bytes) : base.size() + bytes;
    WriteBytes(out, base.substr(0, keep));
  }
  // The base picture with EXIF orientation `orientation` and a GPS position.
  static void WithOrientation(int orientation, const std::string& out) {
    Shell("cp " + Quote(Tool("base.jpg")) + " " + Quote(out));
    Shell("exiftool -q -overwrite_original -Orientation#=" + std::to_string(orientation) +
          " -GPSLatitude=59.33 -GPSLatitudeRef=N -GPSLongitude=18.06 -GPSLongitudeRef=E " +
          Quote(out));
  }

  static TempTree* tools_;
};

TempTree* OddPicturesTest::tools_ = nullptr;

// Where the start-of-frame header holds the picture's size.
size_t FrameHeader(const std::string& jpeg) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (static_cast<unsigned char>(jpeg[i]) == 0xFF &&
        static_cast<unsigned char>(jpeg[i + 1]) == 0xC0) {
      return i;
    }
  }
  throw std::runtime_error("no baseline frame header");
}

TEST_F(OddPicturesTest, EachGivesItsExactPicturesOrOneNumberedMessageNamingIt) {
  const auto big = [](const std::string& dir) { return dir + "/P.JPG"; };
  const std::vector<OddCase> cases = {
      {"baseline", Outcome::kPictures,
       [&](const std::string& d) { Shell("cp " + Quote(Tool("base.jpg")) + " " + Quote(big(d))); },
       NotTurnedNorDiscoloured},
      {"progressive", Outcome::kPictures,
       [&](const std::string& d) { Jpegtran("-progressive", big(d)); }, NotTurnedNorDiscoloured},
      {"arithmetic", Outcome::kPictures,
       [&](const std::string& d) { Jpegtran("-arithmetic", big(d)); }, NotTurnedNorDiscoloured},
      {"progressive-arithmetic", Outcome::kPictures,
       [&](const std::string& d) { Jpegtran("-progressive -arithmetic", big(d)); },
       NotTurnedNorDiscoloured},
      {"restart-every-row", Outcome::kPictures,
       [&](const std::string& d) { Cjpeg("-restart 1", big(d)); }, NotTurnedNorDiscoloured},
      {"restart-every-block", Outcome::kPictures,
       [&](const std::string& d) { Cjpeg("-restart 1B", big(d)); }, NotTurnedNorDiscoloured},
      {"chroma-444", Outcome::kPictures,
       [&](const std::string& d) { Cjpeg("-sample 1x1", big(d)); }, NotTurnedNorDiscoloured},
      {"chroma-422", Outcome::kPictures,
       [&](const std::string& d) { Cjpeg("-sample 2x1", big(d)); }, NotTurnedNorDiscoloured},
      {"chroma-411", Outcome::kPictures,
       [&](const std::string& d) { Cjpeg("-sample 4x1", big(d)); }, NotTurnedNorDiscoloured},
      {"grayscale", Outcome::kPictures, [&](const std::string& d) { Cjpeg("-grayscale", big(d)); },
       [](const std::string& set) -> std::string {
         // Three equal bands: gray stays gray.
         for (int q = 0; q < 4; ++q) {
           const Rgb c = QuadrantColour(set + "/P.JPG", q);
           if (std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}) > 3) return "not gray";
         }
         return "";
       }},
      {"cmyk-adobe-inverted", Outcome::kPictures,
       [](const std::string& d) {
         testing::WriteCmykJpeg(d + "/P.JPG", 1200, 900, testing::CmykStyle::kAdobe);
       },
       [](const std::string& set) { return HuesKept(set + "/P.JPG"); }},
      {"cmyk-without-adobe-marker", Outcome::kPictures,
       [](const std::string& d) {
         testing::WriteCmykJpeg(d + "/P.JPG", 1200, 900, testing::CmykStyle::kWithoutMarker);
       },
       [](const std::string& set) { return HuesKept(set + "/P.JPG"); }},
      {"cmyk-libvips", Outcome::kPictures,
       [](const std::string& d) {
         testing::WriteTestJpeg(d + "/P.JPG", 1200, 900, testing::PictureKind::kCmyk);
       },
       nullptr},
      {"ycck-adobe-inverted", Outcome::kPictures,
       [](const std::string& d) {
         testing::WriteCmykJpeg(d + "/P.JPG", 1200, 900, testing::CmykStyle::kAdobeYcck);
       },
       [](const std::string& set) { return HuesKept(set + "/P.JPG"); }},
      {"exif-orientation-6", Outcome::kPictures,
       [&](const std::string& d) { WithOrientation(6, big(d)); }, NotTurnedNorDiscoloured},
      {"exif-orientation-8", Outcome::kPictures,
       [&](const std::string& d) { WithOrientation(8, big(d)); }, NotTurnedNorDiscoloured},
      {"adobe-rgb-profile", Outcome::kPictures,
       [&](const std::string& d) {
         testing::WriteJpegWithProfile(big(d), 1200, 900, Tool("adobe.icc"));
       },
       NotTurnedNorDiscoloured},
      {"one-by-one", Outcome::kPictures,
       [](const std::string& d) { testing::WriteQuadrantJpeg(d + "/P.JPG", 1, 1); },
       [](const std::string& set) {
         // The one pixel is the top-left colour, spread over the whole copy.
         const Rgb all[4] = {kQuadrants[0], kQuadrants[0], kQuadrants[0], kQuadrants[0]};
         return QuadrantsWithin(set + "/P.JPG", all, 12);
       }},
      {"one-by-5000", Outcome::kPictures,
       [](const std::string& d) { testing::WriteQuadrantJpeg(d + "/P.JPG", 1, 5000); }, nullptr},
      {"5000-by-one", Outcome::kPictures,
       [](const std::string& d) { testing::WriteQuadrantJpeg(d + "/P.JPG", 5000, 1); }, nullptr},
      {"trailing-garbage", Outcome::kPictures,
       [&](const std::string& d) {
         WriteBytes(big(d), ReadBytes(Tool("base.jpg")) + std::string(5000, '\x5a'));
       },
       NotTurnedNorDiscoloured},
      {"zero-bytes", Outcome::kInvalid, [&](const std::string& d) { WriteBytes(big(d), ""); },
       nullptr},
      {"png-named-jpg", Outcome::kInvalid,
       [](const std::string& d) { testing::WriteQuadrantPng(d + "/P.JPG", 64, 48); }, nullptr},
      {"text-named-jpg", Outcome::kInvalid,
       [&](const std::string& d) { WriteBytes(big(d), "not a picture\n"); }, nullptr},
      {"cut-after-soi", Outcome::kInvalid, [&](const std::string& d) { Truncated(2, big(d)); },
       nullptr},
      {"cut-in-header", Outcome::kInvalid, [&](const std::string& d) { Truncated(100, big(d)); },
       nullptr},
      {"cut-in-tables", Outcome::kInvalid, [&](const std::string& d) { Truncated(400, big(d)); },
       nullptr},
      {"cut-at-a-tenth", Outcome::kInvalid,
       [&](const std::string& d) { Truncated(ReadBytes(Tool("base.jpg")).size() / 10, big(d)); },
       nullptr},
      {"cut-in-half", Outcome::kInvalid,
       [&](const std::string& d) { Truncated(ReadBytes(Tool("base.jpg")).size() / 2, big(d)); },
       nullptr},
      {"cut-before-eoi", Outcome::kDamaged, [&](const std::string& d) { Truncated(-2, big(d)); },
       nullptr},
      {"corrupt-entropy-data", Outcome::kDamaged,
       [&](const std::string& d) {
         std::string jpeg = ReadBytes(Tool("base.jpg"));
         for (size_t i = jpeg.size() / 2; i < jpeg.size() / 2 + 40; ++i) {
           jpeg[i] = static_cast<char>(static_cast<unsigned char>(jpeg[i]) * 7 + 13);
         }
         WriteBytes(big(d), jpeg);
       },
       nullptr},
      {"size-claims-65500-square", Outcome::kDamaged,
       [&](const std::string& d) {
         // A decoder that trusts the header would make a four-gigapixel picture.
         std::string jpeg = ReadBytes(Tool("base.jpg"));
         const size_t sof = FrameHeader(jpeg);
         for (size_t at : {sof + 5, sof + 7}) {
           jpeg[at] = static_cast<char>(0xFF);
           jpeg[at + 1] = static_cast<char>(0xDC);
         }
         WriteBytes(big(d), jpeg);
       },
       nullptr},
      {"size-claims-zero", Outcome::kInvalid,
       [&](const std::string& d) {
         std::string jpeg = ReadBytes(Tool("base.jpg"));
         const size_t sof = FrameHeader(jpeg);
         jpeg[sof + 7] = 0;
         jpeg[sof + 8] = 0;
         WriteBytes(big(d), jpeg);
       },
       nullptr},
      {"folder-named-jpg", Outcome::kIgnored,
       [](const std::string& d) { std::filesystem::create_directory(d + "/x.JPG"); }, nullptr},
      {"dangling-link-named-jpg", Outcome::kIgnored,
       [](const std::string& d) { ASSERT_EQ(::symlink("gone.JPG", (d + "/y.JPG").c_str()), 0); },
       nullptr},
  };

  TempTree tree;
  const std::string album = tree.Path("album");
  for (const OddCase& c : cases) {
    const std::string big_folder = album + "/" + c.name + "-SET1/BIG";
    std::filesystem::create_directories(big_folder);
    c.make(big_folder);
    // A normal picture beside each odd entry that is not a picture file shows that the walk
    // went on past it.
    if (c.outcome == Outcome::kIgnored) {
      testing::WriteQuadrantJpeg(big_folder + "/Z.JPG", 640, 480);
    }
  }
  const auto originals = testing::Originals(tree);

  RealFileSystem fs;
  WholeRun run(fs, album, 0);
  run.Run();
  ASSERT_TRUE(run.window.enabled[Button::kLoad]);

  int failures = 0;
  for (const OddCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int before =
        ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
    const std::string set = album + "/" + c.name + "-SET1";
    const std::string picture = set + "/BIG/P.JPG";
    std::vector<std::string> naming;
    for (const testing::ShownMessage& m : run.window.messages) {
      if (m.prompt.find(set + "/") != std::string::npos) naming.push_back(m.prompt);
    }
    switch (c.outcome) {
      case Outcome::kPictures:
        EXPECT_TRUE(naming.empty()) << naming.front();
        EXPECT_EQ(WebReadySize(set + "/P.JPG"), "288x216");
        EXPECT_EQ(WebReadySize(set + "/Thumb/P.JPG"), "74x55");
        EXPECT_EQ(WebReadySize(set + "/640/P.JPG"), "640x480");
        if (c.check) {
          EXPECT_EQ(c.check(set), "");
        }
        break;
      case Outcome::kDamaged:
        std::cout << "[ odd pictures ] " << c.name << ": "
                  << (naming.empty() ? "decoded as it is" : naming[0]) << "\n";
        if (naming.empty()) {
          EXPECT_EQ(WebReadySize(set + "/P.JPG"), "288x216");
          EXPECT_EQ(WebReadySize(set + "/Thumb/P.JPG"), "74x55");
          EXPECT_EQ(WebReadySize(set + "/640/P.JPG"), "640x480");
          break;
        }
        [[fallthrough]];
      case Outcome::kInvalid:
        ASSERT_EQ(naming.size(), 1u);
        EXPECT_TRUE(naming[0].starts_with("Error: 481 - Invalid picture: " + picture)) << naming[0];
        EXPECT_FALSE(std::filesystem::exists(set + "/P.JPG"));
        EXPECT_FALSE(std::filesystem::exists(set + "/Thumb/P.JPG"));
        EXPECT_FALSE(std::filesystem::exists(set + "/640/P.JPG"));
        break;
      case Outcome::kIgnored:
        EXPECT_TRUE(naming.empty()) << naming.front();
        EXPECT_EQ(WebReadySize(set + "/Z.JPG"), "288x216");
        EXPECT_FALSE(std::filesystem::exists(set + "/x.JPG"));
        EXPECT_FALSE(std::filesystem::exists(set + "/Thumb/y.JPG"));
        break;
    }
    if (::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count() >
        before) {
      ++failures;
    }
  }

  // Both ways of storing inverted inks give the same colours.
  for (int q = 0; q < 4; ++q) {
    EXPECT_LE(ColourDistance(QuadrantColour(album + "/ycck-adobe-inverted-SET1/P.JPG", q),
                             QuadrantColour(album + "/cmyk-adobe-inverted-SET1/P.JPG", q)),
              6)
        << q;
  }
  // The profile mattered: the file's own numbers differ from the sRGB ones the copy shows.
  EXPECT_GT(ColourDistance(ColourInProfile(kQuadrants[3], Tool("adobe.icc")), kQuadrants[3]), 20);

  // Nothing else was shown, the originals are untouched, and every picture that gave copies
  // is in the album.
  int invalid = 0, pictures = 0;
  for (const OddCase& c : cases) {
    const bool made = std::filesystem::exists(album + "/" + c.name + "-SET1/Thumb/P.JPG") ||
                      c.outcome == Outcome::kIgnored;
    invalid += !made;
    pictures += made;
  }
  EXPECT_EQ(static_cast<int>(run.window.messages.size()), invalid);
  EXPECT_EQ(testing::Originals(tree), originals);
  const std::string index = tree.ReadFile("album/page00.htm");
  size_t cells = 0;
  for (size_t at = 0; (at = index.find("/Thumb/", at)) != std::string::npos; ++at) ++cells;
  EXPECT_EQ(cells, static_cast<size_t>(pictures));
  EXPECT_TRUE(testing::TemporaryNamesBelow(tree.root()).empty());

  std::cout << "[ odd pictures ] " << cases.size() << " odd pictures tried, " << failures
            << " failed their checks\n";
  RecordProperty("odd_pictures", static_cast<int>(cases.size()));
}

TEST_F(OddPicturesTest, AHundredMegapixelPictureGivesItsExactCopies) {
  TempTree tree;
  tree.MakeDir("album/SET1/BIG");
  testing::WriteQuadrantJpeg(tree.Path("album/SET1/BIG/HUGE.JPG"), 12000, 8400);
  RealFileSystem fs;
  WholeRun run(fs, tree.Path("album"), 0);
  run.Run();
  EXPECT_TRUE(run.window.messages.empty()) << run.window.messages.front().prompt;
  EXPECT_EQ(WebReadySize(tree.Path("album/SET1/HUGE.JPG")), "288x216");
  EXPECT_EQ(WebReadySize(tree.Path("album/SET1/Thumb/HUGE.JPG")), "74x55");
  EXPECT_EQ(WebReadySize(tree.Path("album/SET1/640/HUGE.JPG")), "640x480");
  EXPECT_EQ(QuadrantsWithin(tree.Path("album/SET1/640/HUGE.JPG"), kQuadrants, 12), "");
}

TEST_F(OddPicturesTest, APortraitWhoseSidewaysCopyIsCutOffGivesOneMessageNamingThatCopy) {
  TempTree tree;
  tree.MakeDir("album/SET1/BIG/sideways");
  testing::WriteQuadrantJpeg(tree.Path("album/SET1/BIG/P.JPG"), 900, 1200);
  Truncated(5000, tree.Path("album/SET1/BIG/sideways/P.JPG"));
  testing::WriteQuadrantJpeg(tree.Path("album/SET1/BIG/Q.JPG"), 1200, 900);
  RealFileSystem fs;
  WholeRun run(fs, tree.Path("album"), 0);
  run.Run();
  // The copies of the upright picture are made, then the sideways copy's failure ends the
  // walk of the folder: Q.JPG waits for the next run.
  EXPECT_EQ(run.window.UnexpectedErrors(),
            std::vector<std::string>{"Error: 481 - Invalid picture: " +
                                     tree.Path("album/SET1/BIG/sideways/P.JPG")});
  EXPECT_EQ(WebReadySize(tree.Path("album/SET1/P.JPG")), "216x288");
  EXPECT_EQ(WebReadySize(tree.Path("album/SET1/Thumb/P.JPG")), "55x74");
  EXPECT_EQ(WebReadySize(tree.Path("album/SET1/640/P.JPG")), "480x640");
  EXPECT_FALSE(tree.Exists("album/SET1/640/sideways/P.JPG"));
  EXPECT_FALSE(tree.Exists("album/SET1/Q.JPG"));
}

}  // namespace
}  // namespace snapnook
