// The modern album's pictures, as tests/data/pictures/modern.txt gives them: upright whatever
// their EXIF orientation, filled with a centred cut or fitted whole, from every format phones
// and editors write; what its metadata holds as a caption; and a picture above the memory
// budget refused before it is decoded.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/error.h"
#include "pictures/derive_pool.h"
#include "pictures/imaging.h"
#include "support/temp_tree.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using Bytes = std::vector<unsigned char>;

struct Row {
  std::string name, fit, size, copies, make, reference;
  friend void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }
};

std::vector<Row> Rows() {
  std::vector<Row> rows;
  std::ifstream in(SNAPNOOK_TEST_DATA "/pictures/modern.txt");
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    Row row;
    std::string album, thumb, screen;
    if (line.starts_with('#') ||
        !(fields >> row.name >> row.fit >> row.size >> album >> thumb >> screen)) {
      continue;
    }
    row.copies = album + " " + thumb + " " + screen;
    std::getline(fields >> std::ws, row.make);
    const size_t arrow = row.make.find(" => ");
    row.reference = row.make.substr(arrow + 4);
    row.make.resize(arrow);
    rows.push_back(row);
  }
  return rows;
}

std::string SizeText(const DerivedImages::Size& size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

// The modern album's copies of the picture at `path`.
DerivedImages Derive(const std::string& path, Fitting fitting) {
  DeriveInput input;
  input.path = path;
  input.bytes = testing::ReadBytes(path);
  input.make_640 = true;
  input.fitting = fitting;
  input.apply_orientation = true;
  return MakeDerivedImages(input);
}

class ModernPictures : public ::testing::TestWithParam<Row> {};

TEST_P(ModernPictures, AreUprightInProportionAndLikeTheirReference) {
  const Row& row = GetParam();
  const testing::TempTree tree;
  const int width = std::stoi(row.size),
            height = std::stoi(row.size.substr(row.size.find('x') + 1));
  tree.WriteFile("base.jpg",
                 testing::TestJpegBytes(width, height, testing::PictureKind::kColour, 0, 95));
  ASSERT_EQ(
      std::system(
          ("cd " + tree.root() + " && export DATA=" SNAPNOOK_TEST_DATA " && " + row.make).c_str()),
      0)
      << row.make;
  std::string picture;
  for (const auto& entry : std::filesystem::directory_iterator(tree.root())) {
    if (entry.path().stem() == "p") picture = entry.path();
  }
  const Fitting fitting = row.fit == "fit" ? Fitting::kFit : Fitting::kFill;
  if (row.copies.starts_with("481")) {
    try {
      Derive(picture, fitting);
      ADD_FAILURE() << "made copies of " << picture;
    } catch (const SnapError& error) {
      EXPECT_EQ(error.description(), "Invalid picture: " + picture);
    }
    return;
  }
  const DerivedImages made = Derive(picture, fitting);
  EXPECT_EQ(SizeText(made.album_size) + " " + SizeText(made.thumbnail_size) + " " +
                SizeText(made.screen_size),
            row.copies);
  EXPECT_EQ(made.portrait, made.album_size.height > made.album_size.width);

  // What the copies should look like, made another way.
  Bytes album, thumbnail, screen;
  if (row.reference == "jpeg") {
    DerivedImages reference = Derive(tree.Path("base.jpg"), fitting);
    album = reference.album, thumbnail = reference.thumbnail, screen = reference.screen;
  } else {
    const std::string turned = row.reference.substr(6);  // after "magick"
    const auto magick = [&](const std::string& from, const DerivedImages::Size& size,
                            const std::string& to, const std::string& options) {
      const std::string box = SizeText(size);
      const std::string shape = fitting == Fitting::kFill
                                    ? "-resize " + box + "^ -gravity center -extent " + box
                                    : "-resize " + box + "!";
      EXPECT_EQ(std::system(("cd " + tree.root() + " && convert " + from + " " + options + " " +
                             shape + " PNG24:" + to)
                                .c_str()),
                0);
      return testing::ReadBytes(tree.Path(to));
    };
    album = magick(picture, made.album_size, "album.png", turned);
    thumbnail = magick("album.png", made.thumbnail_size, "thumb.png", "");
    screen = magick(picture, made.screen_size, "screen.png", turned);
  }
  EXPECT_LE(testing::SquaresDifference(made.album, album), 2.0) << "album picture";
  EXPECT_LE(testing::SquaresDifference(made.thumbnail, thumbnail), 2.0) << "thumbnail";
  EXPECT_LE(testing::SquaresDifference(made.screen, screen), 2.0) << "screen copy";
}

INSTANTIATE_TEST_SUITE_P(Table, ModernPictures, ::testing::ValuesIn(Rows()), [](const auto& info) {
  std::string name = info.param.name;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
});

}  // namespace
}  // namespace snapnook

namespace snapnook {
namespace {

// The caption is the first of EXIF's ImageDescription, XMP's dc:description and IPTC's
// Caption-Abstract that is one: not blank, not what a camera writes when nobody wrote one.
// Text that is no UTF-8 is Latin-1 (exiftool writes IPTC so).
TEST(ModernPictures, TakeTheFirstCaptionThatIsOne) {
  const struct {
    const char* file;
    const char* exiftool;
    const char* caption;
  } rows[] = {
      {"p.jpg", "-ImageDescription='  Harbour at dawn '", "Harbour at dawn"},
      {"p.jpg", "-ImageDescription='OLYMPUS DIGITAL CAMERA' -XMP-dc:Description='Gulls & boats'",
       "Gulls & boats"},
      {"p.jpg", "-ImageDescription='SONY DSC' -IPTC:Caption-Abstract='Caf\xC3\xA9 du port'",
       "Caf\xC3\xA9 du port"},
      {"p.jpg", "-ImageDescription='   ' -XMP-dc:Description='Default'", ""},
      {"p.png", "-XMP-dc:Description='Tide <low> & \"rising\"'", "Tide <low> & \"rising\""},
      {"p.tif", "-ImageDescription='Nets'", "Nets"},
      {"p.heic", "-XMP-dc:Description='Cliffs'", "Cliffs"},
  };
  const testing::TempTree tree;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.exiftool);
    const std::string path = tree.Path(row.file);
    ASSERT_EQ(std::system(("cd " + tree.root() + " && vips copy " + SNAPNOOK_TEST_DATA +
                           "/pictures/baseline.JPG " + row.file + " && exiftool -q " +
                           "-overwrite_original " + row.exiftool + " " + row.file)
                              .c_str()),
              0);
    EXPECT_EQ(Derive(path, Fitting::kFill).caption, row.caption);
  }
}

// Above the budget, a picture is refused from its header before anything is allocated for it:
// a picture of several scans holds all its coefficients, one of a single scan only its decoded
// planes, a PNG its pixels twice; a file larger than the budget is not even read. The 738-byte
// progressive JPEG claiming 65000 x 65000 would take 13 GB.
TEST(ModernPictures, AboveTheMemoryBudgetAreRefusedBeforeDecoding) {
  const testing::TempTree tree;
  const auto make = [&](const std::string& name, const std::string& shell) {
    EXPECT_EQ(std::system(("cd " + tree.root() + " && " + shell).c_str()), 0) << shell;
    return tree.Path(name);
  };
  make("base.jpg",
       "convert -size 2000x1500 gradient:red-blue -type TrueColor -sampling-factor 2x2 -quality 85 "
       "base.jpg");
  const struct {
    std::string path;
    std::uint64_t budget;
    bool refused;
  } rows[] = {
      {make("baseline.jpg", "cp base.jpg baseline.jpg"), 8 << 20, false},
      {make("progressive.jpg", "jpegtran -progressive base.jpg > progressive.jpg"), 8 << 20, true},
      {make("progressive.jpg", "true"), 16 << 20, false},
      {make("p.png", "vips copy base.jpg p.png"), 16 << 20, true},
      {make("tail.jpg",
            "vips copy base.jpg[shrink=8] tail.jpg && head -c 300000 /dev/zero >> "
            "tail.jpg"),
       256 << 10, true},
      {make("bomb.jpg",
            "vips thumbnail base.jpg s.jpg 24 && jpegtran -progressive s.jpg > "
            "bomb.jpg && perl -0777 -pi -e 's/\\xFF\\xC2(...)..../\\xFF\\xC2$1"
            "\\xFD\\xE8\\xFD\\xE8/s' bomb.jpg"),
       DefaultMemoryBudget(1), true},
  };
  // In a child whose address space is limited, so that a fault here cannot take the machine's
  // memory; forked before libvips starts its threads (ctest runs each test in a process of
  // its own).
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
#ifndef __SANITIZE_ADDRESS__  // which reserves more address space than the limit
    const rlimit limit{rlim_t{4} << 30, rlim_t{4} << 30};
    setrlimit(RLIMIT_AS, &limit);
#endif
    int wrong = 0;
    for (const auto& row : rows) {
      DeriveInput input;
      input.path = row.path;
      input.bytes = testing::ReadBytes(row.path);
      input.make_640 = true;
      input.fitting = Fitting::kFill;
      input.memory_budget = row.budget;
      try {
        MakeDerivedImages(input);
        if (row.refused) wrong += fprintf(stderr, "made: %s\n", row.path.c_str());
      } catch (const SnapError& error) {
        if (!row.refused || error.description() != "Out of memory: " + row.path) {
          wrong += fprintf(stderr, "%s: %s\n", row.path.c_str(), error.what());
        }
      }
    }
    // A check refuses the bomb too.
    try {
      TestDecode(testing::ReadBytes(rows[5].path), rows[5].path);
      wrong += fprintf(stderr, "a check decoded the bomb\n");
    } catch (const SnapError& error) {
      if (error.number() != kErrOutOfMemory) wrong += fprintf(stderr, "%s\n", error.what());
    }
    _exit(wrong == 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  // A run does not read a file above the budget.
  std::filesystem::resize_file(make("S.JPG", "cp base.jpg S.JPG"), std::uint64_t{1} << 40);
  RealFileSystem fs;
  const PreparedPicture prepared =
      PreparerFor({Fitting::kFill, 64 << 20})(fs, {tree.root() + "/", {}}, "S.JPG", true);
  EXPECT_THROW(std::rethrow_exception(prepared.error), SnapError);
}

}  // namespace
}  // namespace snapnook
