// Makes the copies of every picture of a corpus through the imaging step alone, one picture at
// a time on one thread, as a run with one job does, and writes them where a run writes them:
// for the benchmark (bench/run.sh, bench/heic.sh), not a test.
//
//   snapnook-derive [--classic | --fit] [--quiet] CORPUS
//
// Every folder of CORPUS holding a BIG folder is a set; its pictures are the files of BIG
// named .jpg, .jpeg, .heic, .heif, .avif, .png, .webp, .tif or .tiff (any letter case; JPEGs
// only with --classic). A picture with a same-named file in BIG/sideways is portrait, and that
// file gives its sideways screen copy. Copies are named like the picture, with .jpg for any
// other extension. The modern album fills its boxes; --fit fits inside them; --classic makes
// the classic album's copies. Exit status 1 when a picture failed (each one named).
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "core/ascii_case.h"
#include "core/error.h"
#include "pictures/imaging.h"

namespace fs = std::filesystem;
using snapnook::Fitting;

namespace {

// The whole file in one read, as the run's file system reads it.
std::vector<unsigned char> Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> bytes(fs::file_size(path));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return bytes;
}

void Write(const fs::path& path, const std::vector<unsigned char>& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

bool IsPicture(const std::string& name, bool classic) {
  static const char* const kModern[] = {".jpg", ".jpeg", ".heic", ".heif", ".avif",
                                        ".png", ".webp", ".tif",  ".tiff"};
  if (classic) return snapnook::EndsWithIgnoringCase(name, ".jpg");
  return std::any_of(std::begin(kModern), std::end(kModern),
                     [&](const char* ext) { return snapnook::EndsWithIgnoringCase(name, ext); });
}

std::string CopyName(const std::string& name) {
  if (snapnook::EndsWithIgnoringCase(name, ".jpg") ||
      snapnook::EndsWithIgnoringCase(name, ".jpeg")) {
    return name;
  }
  return name.substr(0, name.rfind('.')) + ".jpg";
}

}  // namespace

int main(int argc, char** argv) {
  Fitting fitting = Fitting::kFill;
  bool quiet = false;
  fs::path corpus;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--classic") == 0) {
      fitting = Fitting::kStretch;
    } else if (std::strcmp(argv[i], "--fit") == 0) {
      fitting = Fitting::kFit;
    } else if (std::strcmp(argv[i], "--quiet") == 0) {
      quiet = true;
    } else if (corpus.empty() && argv[i][0] != '-') {
      corpus = argv[i];
    } else {
      std::cerr << "usage: snapnook-derive [--classic | --fit] [--quiet] CORPUS\n";
      return 2;
    }
  }
  if (corpus.empty() || !fs::is_directory(corpus)) {
    std::cerr << "snapnook-derive: no corpus folder given\n";
    return 2;
  }
  const bool classic = fitting == Fitting::kStretch;
  std::vector<fs::path> sets;
  for (const auto& entry : fs::directory_iterator(corpus)) {
    if (fs::is_directory(entry.path() / "BIG")) sets.push_back(entry.path());
  }
  std::sort(sets.begin(), sets.end());
  int made = 0, failed = 0;
  for (const fs::path& set : sets) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(set / "BIG")) {
      const std::string name = entry.path().filename();
      if (entry.is_regular_file() && IsPicture(name, classic)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      snapnook::DeriveInput input;
      input.path = set / "BIG" / name;
      input.make_640 = true;
      input.fitting = fitting;
      input.memory_budget = snapnook::DefaultMemoryBudget(1);
      const fs::path sideways = set / "BIG" / "sideways" / name;
      input.portrait = fs::is_regular_file(sideways);
      input.apply_orientation = !classic && !input.portrait;
      try {
        input.bytes = Read(input.path);
        if (input.portrait) {
          input.sideways_path = sideways;
          input.sideways_bytes = Read(sideways);
        }
        const snapnook::DerivedImages images = snapnook::MakeDerivedImages(input);
        const std::string copy = CopyName(name);
        Write(set / copy, images.album);
        Write(set / "Thumb" / copy, images.thumbnail);
        Write(set / "640" / copy, images.screen);
        if (images.sideways_error) throw *images.sideways_error;
        if (input.portrait) Write(set / "640" / "sideways" / copy, images.sideways_screen);
        ++made;
        if (!quiet) {
          std::cout << input.path << ": " << images.album_size.width << "x"
                    << images.album_size.height << (images.portrait ? " portrait" : "")
                    << (images.caption.empty() ? "" : " \"" + images.caption + "\"") << "\n";
        }
      } catch (const snapnook::SnapError& error) {
        std::cerr << snapnook::WalkErrorText(error) << "\n";
        ++failed;
      } catch (const std::exception& error) {
        std::cerr << input.path << ": " << error.what() << "\n";
        ++failed;
      }
    }
  }
  if (!quiet) std::cout << made << " pictures made, " << failed << " failed\n";
  return failed > 0 ? 1 : 0;
}
