// The odd pictures of tests/data/pictures (pictures.txt says what each is and must give) through
// a whole run and through both imaging paths, with a 100-megapixel picture and a portrait whose
// sideways copy is cut off.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vips/vips8>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "pictures/imaging.h"
#include "pictures/imaging_paths.h"
#include "reliability/reliability_support.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

namespace fs = std::filesystem;
using testing::MadeCopies;
const std::string kData = SNAPNOOK_TEST_DATA "/pictures/";

struct Odd {
  std::string name, outcome, path, like, within;
};

std::vector<Odd> Table() {
  std::vector<Odd> rows;
  std::ifstream in(kData + "pictures.txt");
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    Odd o;
    if (!line.starts_with('#') && fields >> o.name >> o.outcome >> o.path >> o.like >> o.within) {
      rows.push_back(o);
    }
  }
  return rows;
}

// The largest difference of a band between the mean colours of two pictures in the middles of
// their four quadrants, clear of the edges.
double ColourDistance(const std::string& a, const std::string& b) {
  const auto middle = [](const std::string& path, int q) {  // clockwise from the top left
    const testing::JpegFacts f = testing::ReadJpegFacts(path);
    return testing::ReadMeanColour(path, q % 3 ? f.width * 6 / 10 : f.width / 10,
                                   q / 2 ? f.height * 6 / 10 : f.height / 10,
                                   std::max(1, f.width * 3 / 10), std::max(1, f.height * 3 / 10));
  };
  double worst = 0;
  for (int q = 0; q < 4; ++q) {
    const auto x = middle(a, q), y = middle(b, q);
    worst = std::max({worst, std::abs(x.r - y.r), std::abs(x.g - y.g), std::abs(x.b - y.b)});
  }
  return worst;
}

TEST(OddPictures, EachGivesItsExactCopiesOrOneMessageNamingItAndNothingElse) {
  const std::vector<Odd> table = Table();
  testing::TempTree tree;
  const std::string album = tree.Path("album");
  for (const Odd& odd : table) {
    tree.MakeDir("album/" + odd.name + "-SET1/BIG");
    fs::copy_file(kData + odd.name + ".JPG", album + "/" + odd.name + "-SET1/BIG/P.JPG");
  }
  // What is no picture file is passed over: a folder and a dangling link named like pictures.
  fs::create_directory(album + "/baseline-SET1/BIG/x.JPG");
  fs::create_symlink("gone.JPG", album + "/baseline-SET1/BIG/y.JPG");
  // A portrait whose sideways copy is cut off: the upright copies are made, one message names
  // the sideways file, and the walk of the folder ends there (Q.JPG waits for the next run). A
  // 100-megapixel picture, and the same drawing small to compare its colours with.
  for (const char* line :
       {"album/sideways-SET1/BIG/P.JPG 90x120", "album/sideways-SET1/BIG/Q.JPG 64x48",
        "album/sideways-SET1/BIG/sideways/", "album/huge-SET1/BIG/P.JPG 12000x8400",
        "small.jpg 120x84"}) {
    testing::AddToTree(tree.root(), line);
  }
  fs::copy_file(kData + "cut-in-half.JPG", album + "/sideways-SET1/BIG/sideways/P.JPG");
  // A folder beyond the longest path (20 folders of 250 bytes, made in two steps, as no call
  // takes such a path): shown once a pass.
  std::string ten, too_long = album + "/z/";
  for (int i = 0; i < 10; ++i) ten += std::string(250, 'n') + "/";
  ASSERT_EQ(std::system(("cd " + album + " && mkdir -p z/" + ten + " && cd z/" + ten +
                         " && mkdir -p " + ten)
                            .c_str()),
            0);
  too_long = (too_long + ten + ten).substr(0, (too_long + ten + ten).find('/', PATH_MAX));

  RealFileSystem fs;
  testing::WholeRun run(fs, album, 0);
  run.Run();
  const auto naming = [&](const std::string& set) {
    std::vector<std::string> prompts;
    for (const auto& m : run.window.messages) {
      if (m.prompt.find(album + "/" + set + "/") != std::string::npos) prompts.push_back(m.prompt);
    }
    return prompts;
  };
  size_t invalid = 4;  // the sideways copy's, and the long path's in each pass
  for (const Odd& odd : table) {
    SCOPED_TRACE(odd.name);
    const std::string set = album + "/" + odd.name + "-SET1";
    const std::vector<std::string> shown = naming(odd.name + "-SET1");
    if (odd.outcome == "copies" || (odd.outcome == "either" && shown.empty())) {
      EXPECT_EQ(shown, std::vector<std::string>{});
      EXPECT_EQ(MadeCopies(set, "P.JPG"), "288x216 74x55 640x480");
      if (odd.like != "-") {
        EXPECT_LE(ColourDistance(set + "/P.JPG", kData + odd.like + ".JPG"), std::stoi(odd.within));
      }
    } else {
      ++invalid;
      ASSERT_EQ(shown.size(), 1u);
      EXPECT_TRUE(shown[0].starts_with(odd.outcome == "memory"
                                           ? "Error: 7 - Out of memory: " + set + "/BIG/P.JPG"
                                           : "Error: 481 - Invalid picture: " + set + "/BIG/P.JPG"))
          << shown[0];
      EXPECT_EQ(MadeCopies(set, "P.JPG"), "- - -");
    }
  }
  EXPECT_EQ(naming("sideways-SET1"),
            std::vector<std::string>{"Error: 481 - Invalid picture: " + album +
                                     "/sideways-SET1/BIG/sideways/P.JPG"});
  EXPECT_EQ(naming("z"),
            std::vector<std::string>(3, "Error: 75 - Path/File access error: " + too_long));
  ASSERT_EQ(std::system(("rm -rf " + album + "/z").c_str()), 0);
  for (const auto& [picture, copies] : {std::pair{"sideways-SET1/P.JPG", "216x288 55x74 480x640"},
                                        {"sideways-SET1/Q.JPG", "- - -"},
                                        {"huge-SET1/P.JPG", "288x216 74x55 640x480"}}) {
    const fs::path path = album + "/" + picture;
    EXPECT_EQ(MadeCopies(path.parent_path(), path.filename()), copies) << picture;
  }
  EXPECT_LE(ColourDistance(album + "/huge-SET1/640/P.JPG", tree.Path("small.jpg")), 12);

  // Nothing else was shown (the originals and temporaries are the generated trees' concern).
  EXPECT_EQ(run.window.messages.size(), invalid);
}

// Decoded in a child whose address space is nearly used up, a header claiming 65500 x 65500
// pixels over the data of a small picture is error 7 naming it, whether libjpeg runs out (the
// coefficients of a progressive picture) or we do (the planes of a baseline one).
void ExpectOutOfMemory([[maybe_unused]] const std::string& path,
                       [[maybe_unused]] rlim_t spare_megabytes) {
#ifndef __SANITIZE_ADDRESS__  // which reserves more address space than any limit here
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    rlim_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t bytes = pages * ::getpagesize() + (spare_megabytes << 20);
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_AS, &limit);
    try {
      DeriveInput input;
      input.path = path;
      input.bytes = testing::ReadBytes(path);
      MakeDerivedImages(input);
    } catch (const SnapError& e) {
      _exit(e.number() == 7 && e.description() == "Out of memory: " + path ? 0 : 2);
    } catch (...) {
    }
    _exit(3);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
#endif
}

TEST(OddPictures, ThePlanarPathTakesCameraPicturesAndMakesWhatLibvipsMakes) {
  // Each picture, and whether the planar path takes it; a camera-sized one, decoded at each DCT
  // scale below. The children are forked before libvips starts its threads.
  std::vector<std::pair<std::string, std::string>> pictures;
  for (const Odd& odd : Table()) {
    if (odd.path.starts_with("oom:")) {
      SCOPED_TRACE(odd.name);
      ExpectOutOfMemory(kData + odd.name + ".JPG", std::stoul(odd.path.substr(4)));
    } else if (odd.outcome == "copies") {
      pictures.emplace_back(kData + odd.name + ".JPG", odd.path);
    }
  }
  testing::TempTree tree;
  testing::WriteTestJpeg(tree.Path("camera.jpg"), 1203, 901);
  pictures.emplace_back(tree.Path("camera.jpg"), "planes");
  for (const auto& [path, expected] : pictures) {
    SCOPED_TRACE(path);
    const std::vector<unsigned char> bytes = testing::ReadBytes(path);
    const testing::JpegFacts f = testing::ReadJpegFacts(path);
    // The program's sizes, landscape and portrait, and two thirds of the picture decoded at each
    // DCT scale, where that is large enough for squares of 8 x 8 to tell.
    std::vector<CopySizes> sizes = {{288, 216, 74, 55, 640, 480}, {216, 288, 55, 74, 0, 0}};
    for (int s : {1, 2, 4, 8}) {
      const int w = f.width * 2 / (3 * s), h = f.height * 2 / (3 * s);
      if (w >= 64 && h >= 64) sizes.push_back({w, h, w / 2, h / 2, 0, 0});
    }
    for (const CopySizes& size : sizes) {
      const std::optional<Copies> planes = MakeCopiesFromPlanes(bytes, path, size);
      ASSERT_EQ(planes.has_value(), expected == "planes");
      if (!planes) continue;
      const Copies vips = MakeCopiesWithVips(bytes, path, size);
      for (const auto& [a, b] : {std::pair{&planes->album, &vips.album},
                                 {&planes->thumbnail, &vips.thumbnail},
                                 {&planes->screen, &vips.screen}}) {
        if (!a->empty() || !b->empty()) {
          EXPECT_LE(testing::SquaresDifference(*a, *b), 1.0)
              << size.album_width << "x" << size.album_height;
        }
      }
    }
  }
}

}  // namespace
}  // namespace snapnook
