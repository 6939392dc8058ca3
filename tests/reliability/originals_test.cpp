// Originals are untouchable. Thousands of small trees are generated from what has caused
// trouble (BIG at every depth and in every letter case, folders of originals inside each other,
// links, odd names, bad pictures) and run from random source folders with random boxes. After
// every run nothing at or below a folder whose name ends with BIG has changed, nothing outside the
// source folder either (links lead out of it, to a home beside it, and between runs a Thumb folder
// is swapped for a link), and no temporary file is left.
// SNAPNOOK_TREES=N sets the number of trees (2000), SNAPNOOK_TREE=SEED runs one.
#include <gtest/gtest.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <ranges>

#include "reliability/reliability_support.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

namespace fs = std::filesystem;

bool EndsWithBig(const std::string& name) {
  return name.size() >= 3 && ::strcasecmp(name.c_str() + name.size() - 3, "BIG") == 0;
}

// Names with what must be encoded in a link, bytes that are not UTF-8, characters the pages'
// code page lacks, and names of 255 bytes, the longest a file system takes.
// clang-format off
const std::vector<std::string> kSets = {"SET1", "set2", "Set3", "MySET4", "SET#", "SET%", "SET'",
    "SET&", "SETé", "SET\xff", "SET ", "SET10", "Trip", "x y", std::string(251, 's') + "SET1"};
const std::vector<std::string> kBigs = {"BIG", "big", "Big", "OLDBIG"};
const std::vector<std::string> kPictures = {"p.JPG", "q.jpg", "IMG 2.JPG", "#3.JPG", "50%.JPG",
    "Mom's.JPG", "A&B.JPG", "é.JPG", "5€.JPG", "img10.JPG", "\xe9t\xe9.JPG", "bad\x80\xff.JPG",
    "\xe6\x97\xa5\xe6\x9c\xac.JPG", std::string(251, 'p') + ".JPG"};
// clang-format on

// Makes a random tree in the folder `top` and lists what it made, one entry a line.
class TreeMaker {
 public:
  TreeMaker(unsigned seed, std::string top) : rng_(seed), top_(std::move(top)) {
    fs::create_directories(top_);
    std::string deep;  // a set 200 folders down, now and then
    for (int n = Chance(3) ? 200 : 0; n-- > 0;) deep += "d/";
    for (int n = 1 + Pick(4); n-- > 0;) Set((Chance(20) ? "2024/" : deep) + Any(kSets), true);
    if (Chance(15)) Originals(Any(kBigs), 3);  // in the source folder itself
    const std::string link = Any(kSets);       // named like a set, to originals
    if (Chance(20) && !bigs.empty() && Add(link, 'l', Any(bigs))) sets.push_back(link);
    // A home beside the album: a camera's folder with the user's own copy beside its BIG, and
    // pictures of the user's own; links lead there from the album.
    Add("../home/Camera/BIG/DSC1.JPG", 'L');
    Add("../home/Camera/DSC1.JPG", 'g');
    Add("../home/Pictures/beach.jpg", 'g');
    if (Chance(30)) Add("home-shortcut", 'l', "../home");
  }

  // Before a later run: a set's Thumb folder swapped for a link to a folder of originals or out
  // of the album, or such a link for a folder.
  void Swap() {
    const std::string set = Any(sets);
    const fs::path thumb = top_ + "/" + set + "/Thumb";
    if (fs::is_symlink(top_ + "/" + set) || !fs::exists(fs::symlink_status(thumb.parent_path()))) {
      return;
    }
    const bool was_link = fs::is_symlink(thumb);
    listing += "  then, before the next run:\n";
    fs::remove_all(thumb);
    const std::string target = bigs.empty() || Chance(50) ? "../home/Pictures" : Any(bigs);
    if (was_link) {
      Add(set + "/Thumb", 'd');
    } else {
      Add(set + "/Thumb", 'l', target);
    }
  }

  std::string listing;
  std::vector<std::string> sets, bigs;  // folders a run may start from
  unsigned Pick(size_t n) { return static_cast<unsigned>(rng_() % n); }
  bool Chance(unsigned percent) { return Pick(100) < percent; }
  std::string Any(const std::vector<std::string>& from) { return from[Pick(from.size())]; }

 private:
  // Makes a folder ('d'), a picture 8x6 ('L') or 6x8 ('P'), a file that is no picture ('g') or
  // a symbolic link ('l') to `target` ("" the source folder, ".." the one above), unless the
  // path is taken.
  bool Add(const std::string& path, char kind, const std::string& target = "") {
    static const std::string landscape = testing::TestJpegBytes(8, 6);
    static const std::string portrait = testing::TestJpegBytes(6, 8);
    const fs::path at = top_ + "/" + path;
    if (fs::exists(fs::symlink_status(at))) return false;
    fs::create_directories(kind == 'd' ? at : at.parent_path());
    std::string up;  // from the link's folder to the source folder
    for (char c : path) up += c == '/' ? "../" : "";
    if (kind == 'l') fs::create_symlink((up + target).empty() ? "." : up + target, at);
    if (kind == 'L' || kind == 'P' || kind == 'g') {
      std::ofstream(at) << (kind == 'L' ? landscape : kind == 'P' ? portrait : "no picture");
    }
    listing += std::string("  ") + kind + " " + path + (kind == 'l' ? " -> " + target : "") + "\n";
    return true;
  }

  // A folder of originals: pictures, some portrait with their copy as the camera took it, and
  // some that are no pictures.
  void Originals(const std::string& folder, unsigned most) {
    if (!Add(folder, 'd')) return;
    bigs.push_back(folder);
    const std::string sideways = folder + (Chance(80) ? "/sideways/" : "/SIDEWAYS/");
    for (unsigned n = Pick(most + 1); n-- > 0;) {
      const std::string name = Any(kPictures);
      const char kind = Chance(10) ? 'g' : Chance(30) ? 'P' : 'L';
      if (Add(folder + "/" + name, kind) && kind == 'P') Add(sideways + name, 'L');
    }
  }

  void Set(const std::string& set, bool top) {
    if (!Add(set, 'd')) return;
    sets.push_back(set);
    const std::string big = set + "/" + Any(kBigs);
    if (Chance(10) && !bigs.empty()) {
      Add(big, 'l', Any(bigs));  // its originals are another set's
      return;
    }
    Originals(big, 5);
    if (Chance(25)) Originals(big + "/" + Any(kBigs), 2);
    if (Chance(25)) Originals(big + "/sideways/" + Any(kBigs), 2);
    if (Chance(10)) Originals(big + "/x/OLDBIG", 2);
    if (Chance(10) && top) Set(big + "/" + Any(kSets), false);
    if (Chance(25)) Add(set + "/" + Any(kPictures), 'L');  // by hand, or left from a run
    if (Chance(15)) Add(set + "/up", 'l', Any({"", set, ".."}));
    if (Chance(15) && !bigs.empty()) Add(set + "/more", 'l', Any(bigs));
    if (Chance(10)) Add(set + "/away", 'l', "../home");
    if (Chance(5)) Add(set + "/Thumb", 'l', "../home/Pictures");
  }

  std::mt19937 rng_;
  std::string top_;
};

// Every entry below the tree's folder as it is on disk, links not followed: inode, modification
// time, and a file's bytes or a link's target.
using Listing = std::map<std::string, std::tuple<ino_t, long long, std::string>>;

Listing List(const testing::TempTree& tree) {
  Listing entries;
  for (const auto& entry : fs::recursive_directory_iterator(tree.root())) {
    struct stat st {};
    ::lstat(entry.path().c_str(), &st);
    const std::string path = entry.path().string().substr(tree.root().size() + 1);
    entries[path] = {st.st_ino, st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec,
                     S_ISLNK(st.st_mode)   ? fs::read_symlink(entry.path()).string()
                     : S_ISREG(st.st_mode) ? tree.ReadFile(path)
                                           : ""};
  }
  return entries;
}

constexpr CheckBox kBoxes[] = {CheckBox::kCreateJpg, CheckBox::kCreate640, CheckBox::kCreateHtml};
constexpr int kShards = 4;
class OriginalsTest : public ::testing::TestWithParam<int> {};

TEST_P(OriginalsTest, NothingBelowABigFolderChangesAndNoTemporaryFileStays) {
  const char* count = std::getenv("SNAPNOOK_TREES");
  const char* only = std::getenv("SNAPNOOK_TREE");
  RealFileSystem real;
  for (unsigned seed = 1 + GetParam(); seed <= (count ? std::stoul(count) : 2000);
       seed += kShards) {
    if (only && seed != std::stoul(only)) continue;
    testing::TempTree tree;
    const std::string top = tree.Path("top");
    TreeMaker maker(seed, top);
    for (int runs = 1 + maker.Pick(2), n = 0; n < runs; ++n) {
      if (n > 0 && maker.Chance(60)) maker.Swap();
      // One run: from the top, a set or a folder of originals, random boxes, one job or two.
      const unsigned from = maker.Pick(100);
      const std::string start = from < 70                         ? ""
                                : from < 85 || maker.bigs.empty() ? maker.Any(maker.sets)
                                                                  : maker.Any(maker.bigs);
      const std::string source = start.empty() ? top : top + "/" + start;
      testing::WholeRun run(real, source, maker.Chance(25) ? 2 : 1);
      std::string what = "seed " + std::to_string(seed) + ", run from " +
                         (start.empty() ? "the top" : start) + ", boxes";
      for (int b = 0; b < 3; ++b) {
        run.window.checked[kBoxes[b]] = maker.Chance(b == 1 ? 50 : 75);
        what += run.window.checked[kBoxes[b]] ? " 1" : " 0";
      }
      const Listing before = List(tree);
      run.Run();
      const Listing after = List(tree);
      std::vector<std::string> found;

      // 1. Nothing at or below a folder of originals is added, changed or removed; with one as
      //    the source, or one holding it, nothing anywhere, and the run says why. Every folder
      //    of originals from the source folder down, or reached through a link, counts.
      const bool from_big = std::ranges::any_of(
          fs::path(start), [](const fs::path& part) { return EndsWithBig(part.string()); });
      if (from_big && std::ranges::none_of(run.window.messages, [](const auto& m) {
            return m.title == "Original Picture Folder";
          })) {
        found.push_back("a folder of originals as the source was not refused");
      }
      const std::string root = fs::canonical(tree.root()).string();
      const std::string at = fs::canonical(source).string().erase(0, root.size() + 1);
      const auto below_big = [&](const std::string& path) {
        const bool inside = path == at || path.starts_with(at + "/");
        return from_big ||
               std::ranges::any_of(fs::path(path.substr(inside ? at.rfind('/') + 1 : 0)),
                                   [](const fs::path& part) { return EndsWithBig(part.string()); });
      };

      // 2. Nothing outside the source folder (as it resolved) is added, changed or removed.
      const auto outside = [&](const std::string& path) {
        return path != at && !path.starts_with(at + "/");
      };
      const auto differences = [&](const auto& counts, const std::string& where) {
        for (const auto& [path, entry] : after) {
          const auto was = before.find(path);
          if (counts(path) && (was == before.end() || was->second != entry)) {
            found.push_back((was == before.end() ? "written" : "changed") + where + ": " + path);
          }
        }
        for (const auto& [path, entry] : before) {
          if (counts(path) && !after.contains(path))
            found.push_back("removed" + where + ": " + path);
        }
      };
      differences(below_big, "");
      differences(outside, " outside");

      // 3. No file is left under a temporary name.
      for (const std::string& temp : testing::TemporaryNamesBelow(tree)) {
        found.push_back("left: " + temp);
      }
      EXPECT_EQ(found, std::vector<std::string>{})
          << what << "\n  tree (d folder, L picture 8x6, P 6x8, g no picture, l link to a path "
          << "from the top):\n"
          << maker.listing;
      if (HasFailure()) return;  // the first tree that fails is enough to look into
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Shards, OriginalsTest, ::testing::Range(0, kShards));

}  // namespace
}  // namespace snapnook
