// How long writing the modern album's pages takes, against writing the same bytes plainly.
//
// An album of 10 000 pictures (50 sets of 200, names and captions of a camera's length, every
// fourth picture without a screen copy) is turned into its pages in three ways, interleaved
// round by round so that machine noise hits all alike:
//   make    ModernPages alone: the pages' bytes in memory
//   write   WriteModernPages: made, each written under a temporary name and renamed into place,
//           the style sheet and script copied
//   floor   the same bytes written with one fwrite a page into files of their own names
// Usage: snapnook-modern-pages-bench [--pictures N] [--rounds R] FOLDER   (FOLDER is emptied)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "album/modern_pages.h"
#include "core/album_files.h"
#include "core/file_system.h"
#include "no_settings.h"
#include "support/fake_window.h"

namespace {

namespace fs = std::filesystem;

snapnook::ModernAlbum MakeAlbum(int pictures) {
  snapnook::ModernAlbum album{"Summer 2026", "Ann", "https://ann.example", {}};
  for (int n = 0; n < pictures; ++n) {
    if (n % 200 == 0) album.sets.push_back({"Trip " + std::to_string(n / 200 + 1), {}});
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%05d.JPG", n + 1);
    const bool portrait = n % 5 == 4, screen = n % 4 != 3;
    album.sets.back().pictures.push_back({name, name, portrait ? 216 : 288, portrait ? 288 : 216,
                                          screen ? (portrait ? 480 : 640) : 0,
                                          screen ? (portrait ? 640 : 480) : 0,
                                          "The harbour at dusk, from the hill"});
  }
  return album;
}

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int pictures = 10000, rounds = 7;
  std::string folder;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--pictures") && i + 1 < argc) {
      pictures = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) {
      rounds = std::atoi(argv[++i]);
    } else {
      folder = argv[i];
    }
  }
  if (folder.empty() || pictures < 1 || rounds < 1) {
    std::fprintf(stderr, "usage: snapnook-modern-pages-bench [--pictures N] [--rounds R] FOLDER\n");
    return 2;
  }
  fs::remove_all(folder);
  fs::create_directories(folder + "/album");
  fs::create_directories(folder + "/bin/default");
  for (const char* file : {snapnook::kModernStyleSheet, snapnook::kModernScript}) {
    std::ofstream(folder + "/bin/default/" + file) << "/* shared */\n";
  }
  const snapnook::ModernAlbum album = MakeAlbum(pictures);
  snapnook::testing::FakeWindow window;
  snapnook::RealFileSystem files;
  snapnook::NoSettings settings;
  snapnook::Session session(window, files, settings);
  session.state.SourceFolder = fs::absolute(folder + "/album");
  snapnook::AlbumFiles writes(files, session.state.SourceFolder, nullptr);
  session.files = &writes;
  session.program_folder = fs::absolute(folder + "/bin");
  session.current_year = [] { return 2026; };

  size_t bytes = 0, pages = 0;
  std::vector<double> make, write, floor;
  for (int round = 0; round < rounds; ++round) {
    // The order rotates from round to round.
    const std::function<void()> steps[] = {
        [&] {
          make.push_back(Seconds([&] {
            const auto made = snapnook::ModernPages(album, 2026);
            pages = made.size();
            bytes = 0;
            for (const auto& page : made) bytes += page.bytes.size();
          }));
        },
        [&] { write.push_back(Seconds([&] { snapnook::WriteModernPages(session, album); })); },
        [&] {
          const auto made = snapnook::ModernPages(album, 2026);
          floor.push_back(Seconds([&] {
            for (const auto& page : made) {
              const std::string path = folder + "/album/floor-" + page.name;
              std::FILE* file = std::fopen(path.c_str(), "wb");
              if (!file ||
                  std::fwrite(page.bytes.data(), 1, page.bytes.size(), file) != page.bytes.size() ||
                  std::fclose(file) != 0) {
                std::perror(path.c_str());
                std::exit(1);
              }
            }
          }));
        },
    };
    for (int step = 0; step < 3; ++step) steps[(step + round) % 3]();
  }
  std::printf("%d pictures, %zu pages, %.1f MB, %.0f bytes a picture; median of %d rounds:\n",
              pictures, pages, bytes / 1e6, static_cast<double>(bytes) / pictures, rounds);
  const double base = Median(floor);
  std::printf("  make   %7.1f ms  %5.2f x floor\n", Median(make) * 1e3, Median(make) / base);
  std::printf("  write  %7.1f ms  %5.2f x floor\n", Median(write) * 1e3, Median(write) / base);
  std::printf("  floor  %7.1f ms  %5.2f x floor\n", base * 1e3, 1.0);
  return 0;
}
