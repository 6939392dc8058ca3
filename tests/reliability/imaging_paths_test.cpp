// The common path against libvips, picture kind by picture kind: the common path takes the
// YCbCr JPEGs a camera or an editor writes, and its copies differ from those libvips makes of
// the same picture by at most 1.0 per band on average over 8 x 8 squares; every other kind it
// leaves to libvips.
// SNAPNOOK_PICTURES=FOLDER adds every JPEG below FOLDER (real photographs, the bench corpus).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vips/vips8>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

#include "pictures/imaging.h"
#include "pictures/imaging_paths.h"
#include "reliability/odd_pictures.h"
#include "reliability/reliability_support.h"
#include "support/temp_tree.h"

namespace snapnook {
namespace {

using testing::Quote;
using testing::Shell;

// A photograph stand-in for cjpeg: shading, fine detail and grain in every band.
void WriteGrainPpm(const std::string& path, int width, int height) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << width << " " << height << "\n255\n";
  unsigned noise = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int b = 0; b < 3; ++b) {
        noise = noise * 1103515245u + 12345u;
        const double v = 128 + 60 * std::sin(x * (0.013 + 0.004 * b)) * std::cos(y * 0.021) +
                         30 * std::sin((x + 2 * y) * 0.31) + static_cast<int>(noise >> 28) - 8;
        out.put(static_cast<char>(std::clamp(static_cast<int>(v), 0, 255)));
      }
    }
  }
}

std::vector<unsigned char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The largest over the bands of the mean absolute difference of two encoded pictures, each
// averaged over squares of `shrink` x `shrink` pixels first.
double MeanDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b,
                      int shrink = 1) {
  const auto load = [&](const std::vector<unsigned char>& jpeg) {
    return vips::VImage::new_from_buffer(jpeg.data(), jpeg.size(), "")
        .cast(VIPS_FORMAT_FLOAT)
        .shrink(shrink, shrink);
  };
  const vips::VImage difference = (load(a) - load(b)).abs();
  double worst = 0;
  for (int band = 0; band < difference.bands(); ++band) {
    worst = std::max(worst, difference.extract_band(band).avg());
  }
  return worst;
}

TEST(ImagingPaths, TheCommonPathTakesCameraPicturesAndMakesWhatLibvipsMakes) {
  testing::TempTree tree;
  const std::string base = tree.Path("base.ppm");
  WriteGrainPpm(base, 1203, 901);
  // Each kind writes its picture to the path given; `common` is whether the common path takes
  // it (either, for the pictures added from outside).
  struct Kind {
    std::string name;
    std::optional<bool> common;
    std::function<void(const std::string&)> make;
  };
  const auto cjpeg = [&](const std::string& options) {
    return [&, options](const std::string& out) {
      Shell("cjpeg -quality 92 " + options + " -outfile " + Quote(out) + " " + Quote(base));
    };
  };
  const auto quadrants = [](int width, int height) {
    return [=](const std::string& out) { testing::WriteQuadrantJpeg(out, width, height); };
  };
  std::vector<Kind> kinds = {
      {"4:2:0", true, cjpeg("")},
      {"4:2:0-progressive", true, cjpeg("-progressive")},
      {"4:2:0-arithmetic", true, cjpeg("-arithmetic")},
      {"4:2:0-progressive-arithmetic", true, cjpeg("-progressive -arithmetic")},
      {"4:2:0-restart-every-block", true, cjpeg("-restart 1B")},
      {"4:4:4", true, cjpeg("-sample 1x1")},
      {"4:2:2", true, cjpeg("-sample 2x1")},
      {"4:4:0", true, cjpeg("-sample 1x2")},
      {"4:1:1", true, cjpeg("-sample 4x1")},
      {"exif-orientation-6", true,
       [&](const std::string& out) {
         cjpeg("")(out);
         Shell("exiftool -q -overwrite_original -Orientation#=6 " + Quote(out));
       }},
      {"srgb-profile", true,
       [](const std::string& out) { testing::WriteJpegWithProfile(out, 1200, 900, "srgb"); }},
      {"trailing-garbage", true,
       [&](const std::string& out) {
         cjpeg("")(out);
         std::ofstream(out, std::ios::app) << std::string(5000, 'Z');
       }},
      {"quadrants", true, quadrants(1200, 900)},
      {"one-by-one", true, quadrants(1, 1)},
      {"one-by-5000", true, quadrants(1, 5000)},
      {"5000-by-one", true, quadrants(5000, 1)},
      {"grayscale", false, cjpeg("-grayscale")},
      {"rgb", false, cjpeg("-rgb")},
      {"adobe-rgb-profile", false,
       [&](const std::string& out) {
         testing::WriteAdobeRgbProfile(tree.Path("adobe.icc"));
         testing::WriteJpegWithProfile(out, 1200, 900, tree.Path("adobe.icc"));
       }},
      {"cmyk", false,
       [](const std::string& out) {
         testing::WriteCmykJpeg(out, 1200, 900, testing::CmykStyle::kAdobe);
       }},
      {"ycck", false,
       [](const std::string& out) {
         testing::WriteCmykJpeg(out, 1200, 900, testing::CmykStyle::kAdobeYcck);
       }},
  };
  if (const char* folder = std::getenv("SNAPNOOK_PICTURES")) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      const std::string ext = entry.path().extension();
      if (entry.is_regular_file() && (ext == ".jpg" || ext == ".JPG")) {
        const std::string path = entry.path();
        kinds.push_back({path, std::nullopt, [path](const std::string& out) {
                           std::filesystem::copy_file(path, out);
                         }});
      }
    }
  }

  CopySizes landscape{288, 216, 74, 55, 640, 480};
  CopySizes portrait_without_640{216, 288, 55, 74, 0, 0};
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    const std::string path = tree.Path("picture.jpg");
    std::filesystem::remove(path);
    kind.make(path);
    const std::vector<unsigned char> bytes = ReadFile(path);
    for (const CopySizes& sizes : {landscape, portrait_without_640}) {
      const std::optional<Copies> common = MakeCopiesFromPlanes(bytes, path, sizes);
      if (kind.common) {
        ASSERT_EQ(common.has_value(), *kind.common);
      }
      if (!common) continue;
      const Copies vips = MakeCopiesWithVips(bytes, path, sizes);
      // Compared over 8 x 8 squares: the copies hold the same pixels to within rounding, but
      // JPEG quantisation turns a difference of one in a sample into steps of a whole
      // quantiser in the encoded pixels of fine detail (as any change of rounding does).
      std::string figures;
      for (const auto& [name, a, b] : {std::tuple{"album", &common->album, &vips.album},
                                       {"thumbnail", &common->thumbnail, &vips.thumbnail},
                                       {"screen", &common->screen, &vips.screen}}) {
        if (a->empty() && b->empty()) continue;
        const double squares = MeanDifference(*a, *b, 8);
        EXPECT_LE(squares, 1.0) << name;
        char text[80];
        std::snprintf(text, sizeof text, "  %s %.2f (pixels %.2f)", name, squares,
                      MeanDifference(*a, *b));
        figures += text;
      }
      std::printf("[ imaging paths ] %s, %s:%s\n", kind.name.c_str(),
                  sizes.screen_width ? "landscape" : "portrait without 640", figures.c_str());
    }
  }
}

// A picture whose header claims 65500 x 65500 pixels over the data of a small one, decoded in a
// child process whose address space is nearly used up: libjpeg's own lack of memory (the
// coefficients of a progressive picture) and ours (the planes of a baseline one) are both
// error 7 naming the picture.
TEST(ImagingPaths, RunningOutOfMemoryOnTheCommonPathIsError7) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit here";
#endif
  testing::TempTree tree;
  WriteGrainPpm(tree.Path("base.ppm"), 320, 240);
  // Room for the planes (100 MB at 1/8) but not the coefficients, or not even the planes.
  for (const auto& [options, spare_mb] : {std::pair{"-progressive", 160}, {"", 48}}) {
    SCOPED_TRACE(options);
    const std::string path = tree.Path("huge.jpg");
    Shell(std::string("cjpeg ") + options + " -outfile " + Quote(path) + " " +
          Quote(tree.Path("base.ppm")));
    DeriveInput input;
    input.path = path;
    input.bytes = ReadFile(path);
    for (size_t i = 0; i + 8 < input.bytes.size(); ++i) {  // the frame header's size fields
      const unsigned char marker = input.bytes[i + 1];
      if (input.bytes[i] == 0xFF && (marker == 0xC0 || marker == 0xC2)) {
        for (size_t at : {i + 5, i + 7}) input.bytes[at] = 0xFF, input.bytes[at + 1] = 0xDC;
        break;
      }
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      rlimit limit{};
      getrlimit(RLIMIT_AS, &limit);
      std::ifstream status("/proc/self/status");
      std::string line;
      while (std::getline(status, line) && !line.starts_with("VmSize:")) {
      }
      limit.rlim_cur = (std::stoull(line.substr(7)) + spare_mb * 1024) * 1024;
      setrlimit(RLIMIT_AS, &limit);
      try {
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
  }
}

}  // namespace
}  // namespace snapnook
