// The album's record against the album as people change it. Hundreds of small albums are made,
// then changed as people do between runs (pictures removed or replaced, sideways files added or
// removed, BIG folders moved away or turned into links that lead nowhere, their own pictures
// dropped beside the copies, some named like copies, copies edited, the 640 box changed), then
// run again with --update --prune. After each: nothing was removed that the record did not
// list as Snapnook's and unchanged; every file a full run would write now is there as it would
// write it; the pages declare the sizes of the pictures they show; the record lists every file
// as it is; no temporary file is left.
// SNAPNOOK_RECORD_TREES=N sets the number of albums (200), SNAPNOOK_RECORD_TREE=SEED runs one.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <regex>

#include "reliability/reliability_support.h"
#include "run/album_record.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileStamp{static_cast<std::uint64_t>(st.st_size),
                   st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec};
}

// Every regular file below `root` (links not followed), by path relative to it: its bytes and
// its size and modification time.
struct Found {
  std::string bytes;
  FileStamp stamp;
};
std::map<std::string, Found> Files(const std::string& root) {
  std::map<std::string, Found> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_symlink() || !entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().string().substr(root.size() + 1)] = {
        {std::istreambuf_iterator<char>(in), {}}, *StampOf(entry.path())};
  }
  return files;
}

// The record's files, as it lists them now.
std::map<std::string, RecordedFile> Recorded(const std::string& album) {
  std::string problem;
  const auto record = AlbumRecord::Open(album, AlbumRecord::Mode::kReadOnly, problem);
  EXPECT_EQ(problem, "") << album;
  return record ? record->files() : std::map<std::string, RecordedFile>{};
}

class Album {
 public:
  Album(unsigned seed, std::string root) : rng_(seed), root_(std::move(root)) {}

  unsigned Pick(unsigned n) { return static_cast<unsigned>(rng_() % n); }
  bool Chance(unsigned percent) { return Pick(100) < percent; }
  std::string Path(const std::string& relative) const { return root_ + "/" + relative; }

  // A picture of its own size, so that no two are alike.
  void Picture(const std::string& relative, bool portrait) {
    fs::create_directories(fs::path(Path(relative)).parent_path());
    const int a = 8 + static_cast<int>(Pick(9)), b = 6 + static_cast<int>(Pick(2));
    testing::WriteTestJpeg(Path(relative), portrait ? b : a, portrait ? a : b);
    log += "  picture " + relative + "\n";
  }

  void Make() {
    for (int set = 1 + Pick(3); set > 0; --set) {
      for (int n = Pick(5); n > 0; --n) {
        const std::string name = "P" + std::to_string(Pick(8)) + ".JPG";
        const bool portrait = Chance(30);
        Picture("SET" + std::to_string(set) + "/BIG/" + name, portrait);
        if (portrait) Picture("SET" + std::to_string(set) + "/BIG/sideways/" + name, false);
      }
      fs::create_directories(Path("SET" + std::to_string(set) + "/BIG"));
    }
  }

  // What people do between runs.
  void Change() {
    std::vector<std::string> originals, copies, bigs;
    for (const auto& [path, file] : Files(root_)) {
      (path.find("/BIG/") != std::string::npos ? originals : copies).push_back(path);
    }
    for (const auto& entry : fs::directory_iterator(root_)) {
      if (entry.is_directory() && fs::exists(entry.path() / "BIG")) {
        bigs.push_back(entry.path().filename().string() + "/BIG");
      }
    }
    std::erase_if(copies, [](const std::string& path) { return !path.ends_with(".JPG"); });
    const auto any = [&](const Lines& from) { return from[Pick(from.size())]; };
    for (int n = 1 + Pick(4); n > 0; --n) {
      const unsigned what = Pick(8);
      if (what == 0 && !originals.empty()) {
        const std::string gone = any(originals);
        fs::remove(Path(gone));
        log += "  removed " + gone + "\n";
      } else if (what == 1 && !originals.empty()) {
        Picture(any(originals), Chance(50));  // replaced by another picture
      } else if (what == 2 && !bigs.empty()) {
        const std::string big = any(bigs);
        Picture(big + "/sideways/" + "P" + std::to_string(Pick(8)) + ".JPG", false);
      } else if (what == 3 && !bigs.empty()) {
        const std::string big = any(bigs);
        fs::rename(Path(big), root_ + "-" + std::to_string(Pick(1000000)));
        if (Chance(50)) fs::create_symlink("/media/unmounted/" + big, Path(big));
        log += "  moved away " + big + "\n";
        std::erase(bigs, big);
        std::erase_if(originals, [&](const std::string& path) { return path.starts_with(big); });
      } else if (what == 4 && !bigs.empty()) {
        // The user's own picture beside the copies: named like none, or like a copy of a picture
        // that is not there, in the set, Thumb or 640.
        const std::string set = any(bigs).substr(0, 4);
        const std::string folder = set + std::vector<std::string>{"/", "/Thumb/", "/640/"}[Pick(3)];
        Picture(folder + (Chance(50) ? "cover.JPG" : "P" + std::to_string(8 + Pick(3)) + ".JPG"),
                false);
      } else if (what == 5 && !copies.empty()) {
        const std::string edited = any(copies);
        std::ofstream(Path(edited), std::ios::app) << "edited";
        log += "  edited " + edited + "\n";
      } else if (what == 6) {
        make_640 = !make_640;
        log += std::string("  640 box ") + (make_640 ? "ticked" : "unticked") + "\n";
      } else if (!originals.empty()) {
        const std::string sideways = any(originals);
        if (sideways.find("/sideways/") != std::string::npos) {
          fs::remove(Path(sideways));
          log += "  removed " + sideways + "\n";
        }
      }
    }
  }

  // One run of the album, with the 640 box as it stands.
  void Run(const std::string& album, bool update_and_prune, int jobs) {
    RealFileSystem real;
    testing::WholeRun run(real, album, jobs);
    run.window.checked[CheckBox::kCreate640] = make_640;
    run.session.options.update = run.session.options.prune = update_and_prune;
    run.Run();
  }

  std::string log;
  bool make_640 = true;

 private:
  std::mt19937 rng_;
  std::string root_;
};

// The sizes the numbered pages declare for the album pictures they show that the record lists
// as Snapnook's, against the pictures (the user's own pictures in a set folder are declared
// an album picture's size, as the classic pages always did).
Lines PagesDeclaringOtherSizes(const std::string& album,
                               const std::map<std::string, FileStamp>& recorded) {
  Lines found;
  const std::regex picture(
      "<img src=\"([^\"]*)\"\\s*border=\"0\" Width=\"(\\d+)\"\\s*height=\"(\\d+)\"");
  for (const auto& entry : fs::directory_iterator(album)) {
    const std::string name = entry.path().filename().string();
    if (!std::regex_match(name, std::regex("page\\d\\d+\\.htm")) || name == "page00.htm") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string page{std::istreambuf_iterator<char>(in), {}};
    for (std::sregex_iterator it(page.begin(), page.end(), picture), end; it != end; ++it) {
      const std::string shown = (*it)[1].str() + " " + (*it)[2].str() + "x" + (*it)[3].str();
      if (!recorded.contains((*it)[1].str())) continue;
      try {
        const testing::JpegFacts facts = testing::ReadJpegFacts(album + "/" + (*it)[1].str());
        if (std::to_string(facts.width) + "x" + std::to_string(facts.height) !=
            (*it)[2].str() + "x" + (*it)[3].str()) {
          found.push_back(name + " declares " + shown);
        }
      } catch (const std::runtime_error&) {
        found.push_back(name + " shows a picture that is not there: " + shown);
      }
    }
  }
  return found;
}

constexpr int kShards = 4;  // run side by side
class RecordTest : public ::testing::TestWithParam<int> {};

TEST_P(RecordTest, PruneRemovesOnlyWhatSnapnookWroteAndUpdateLeavesTheAlbumAFullRunMakes) {
  const char* count = std::getenv("SNAPNOOK_RECORD_TREES");
  const char* only = std::getenv("SNAPNOOK_RECORD_TREE");
  for (unsigned seed = 1 + GetParam(); seed <= (count ? std::stoul(count) : 200); seed += kShards) {
    if (only && seed != std::stoul(only)) continue;
    testing::TempTree tree;
    const std::string album = tree.Path("album");
    Album maker(seed, album);
    maker.Make();
    const int jobs = 1 + maker.Pick(2);
    maker.Run(album, false, jobs);
    maker.Change();
    const auto before = Files(album);
    const auto recorded = Recorded(album);
    maker.Run(album, true, jobs);
    const auto after = Files(album);
    Lines found;

    // 1. Removed only what the record listed, as it was written, and never a copy of a picture
    //    whose BIG folder is not there to say it is gone.
    for (const auto& [path, file] : before) {
      if (after.contains(path)) continue;
      const auto listed = recorded.find(path);
      if (listed == recorded.end()) {
        found.push_back("removed, not Snapnook's: " + path);
      } else if (listed->second.stamp != file.stamp) {
        found.push_back("removed, changed since it was written: " + path);
      } else if (const std::string& original = listed->second.origin.original;
                 !original.empty() &&
                 !fs::is_directory((fs::path(album) / original).parent_path())) {
        found.push_back("removed, its BIG folder missing: " + path);
      }
    }

    // 2. What a full run writes now is there, byte for byte.
    // A copy with the files' times, so that the record's stamps hold in it too.
    ASSERT_EQ(std::system(("cp -a " + album + " " + tree.Path("twin")).c_str()), 0);
    maker.Run(tree.Path("twin"), false, 1);
    const auto full = Files(tree.Path("twin"));
    for (const auto& [path, file] : full) {
      const auto was = after.find(path);
      if (path.starts_with(kRecordName)) continue;
      if (was == after.end()) {
        found.push_back("missing: " + path);
      } else if (was->second.bytes != file.bytes) {
        found.push_back("not as a full run makes it: " + path);
      }
    }

    // 3. The pages show Snapnook's pictures at their sizes. 4. The record lists each file as
    //    it was written: as it is, unless the user changed it since (and the run left it).
    //    5. No temporary file.
    std::map<std::string, FileStamp> now;
    for (const auto& [path, file] : Recorded(album)) now[path] = file.stamp;
    for (std::string& line : PagesDeclaringOtherSizes(album, now)) {
      found.push_back(std::move(line));
    }
    for (const auto& [path, stamp] : now) {
      const auto was = before.find(path);
      const bool left_changed = was != before.end() && recorded.contains(path) &&
                                recorded.at(path).stamp == stamp && after.contains(path) &&
                                after.at(path).stamp == was->second.stamp;
      if (StampOf(album + "/" + path) != stamp && !left_changed) {
        found.push_back("the record is wrong on " + path);
      }
    }
    for (std::string& temp : testing::TemporaryNamesBelow(tree)) found.push_back("left: " + temp);
    EXPECT_EQ(found, Lines{}) << "seed " << seed << " (" << jobs << " jobs), the album:\n"
                              << maker.log;
    if (HasFailure()) return;  // the first album that fails is enough to look into
  }
}

INSTANTIATE_TEST_SUITE_P(Shards, RecordTest, ::testing::Range(0, kShards));

}  // namespace
}  // namespace snapnook
