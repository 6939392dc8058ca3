// snapnook-batch run for real, as the unprivileged user "nobody" (through setpriv) when the tests
// run as root, as in CI: the scenarios of tests/data/batch/scenarios.txt (options, messages, one
// job against eight, folders and files it may not read or write), then a full disk, an
// address-space limit, and signals at eight points of a run. However it ends, it shows what the
// disturbance caused and nothing else, every file it leaves is the one an undisturbed run makes
// (or, for a page, a whole one), no temporary file is left, and an undisturbed run afterwards
// makes exactly the album.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/ascii_case.h"
#include "reliability/reliability_support.h"
#include "run/album_record.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;
using Lines = std::vector<std::string>;
constexpr const char* kRun = "snapnook-batch -q -j2 $ROOT/album";
constexpr const char* kPictures = "batch/pictures.txt";

// `line` run by sh in the tree's folder $ROOT, with settings of its own in $ROOT/config and
// standard error to $ROOT/err; as nobody, who is given the tree, when the tests run as root.
// Every wrapper execs what it runs. This build's snapnook-batch and its viewer pages are copied
// where nobody may run them: the build may lie in a folder only root may enter, such as root's
// home.
std::string Command(const TempTree& tree, const std::string& line) {
  static const TempTree bin;
  static const int copied =
      std::system(("cp -r " SNAPNOOK_BIN_DIR "/snapnook-batch " SNAPNOOK_BIN_DIR "/default " +
                   bin.root() + " && chmod -R a+rX " + bin.root())
                      .c_str());
  if (copied != 0) throw std::runtime_error("cannot copy snapnook-batch");
  const bool root = ::geteuid() == 0;
  return "export ROOT=" + tree.root() + " PATH=" + bin.root() + ":$PATH HOME=" + tree.root() +
         " XDG_CONFIG_HOME=" + tree.Path("config") + "; " +
         (root ? "chown -R nobody:nogroup $ROOT && exec setpriv --reuid=nobody --regid=nogroup "
                 "--clear-groups "
               : "exec ") +
         line + " >$ROOT/out 2>$ROOT/err";
}

struct Result {
  int status;       // the exit status, 128 + N after signal N
  std::string err;  // what it printed on standard error, the tree's folder as $ROOT
  std::string out;  // and on standard output
  bool operator==(const Result&) const = default;
};

Result Ended(const TempTree& tree, int raw) {
  const auto read = [&](const std::string& name) {
    std::string text = tree.ReadFile(name);
    for (size_t at; (at = text.find(tree.root())) != std::string::npos;)
      text.replace(at, tree.root().size(), "$ROOT");
    return text;
  };
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), read("err"), read("out")};
}

Result Batch(const TempTree& tree, const std::string& line = kRun) {
  return Ended(tree, std::system(Command(tree, line).c_str()));
}

// The album of an undisturbed run.
const std::map<std::string, std::string>& Clean() {
  static const auto clean = [] {
    const auto tree = testing::FreshTree(kPictures);
    EXPECT_EQ(Batch(*tree).status, 0);
    return tree->Snapshot("album");
  }();
  return clean;
}

// The disturbed run left only what it may. An undisturbed run then removes the temporaries of
// dead runs (and one planted), not those of live ones (one planted), and makes the album.
void ExpectTheAlbumAgain(const TempTree& tree, const Lines& differences = {},
                         bool temporaries = false) {
  if (!temporaries) {  // SIGKILL leaves them to the next run
    EXPECT_EQ(testing::TemporaryNamesBelow(tree), Lines{});
  }
  EXPECT_EQ(testing::Differences(tree, "album", Clean(), true), differences);
  const std::string live = "album/SET2/.snapnook-" + std::to_string(::getpid()) + "-0.tmp";
  tree.WriteFile(live, "being written");
  tree.WriteFile("album/SET1/.snapnook-999999999-0.tmp", "cut off");
  const Result again = Batch(tree);
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(testing::TemporaryNamesBelow(tree), Lines{live});
  fs::remove(tree.Path(live));
  EXPECT_EQ(testing::Differences(tree, "album", Clean(), false), Lines{});
}

// A scenario's lines, "== NAME" first.
struct Scenario {
  Lines lines;
  friend void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.lines[0]; }
};

std::vector<Scenario> ReadScenarios() {
  std::vector<Scenario> all;
  std::ifstream in(SNAPNOOK_TEST_DATA "/batch/scenarios.txt");
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("== ")) all.emplace_back();
    if (!all.empty() && !line.empty() && !line.starts_with('#')) all.back().lines.push_back(line);
  }
  return all;
}

class Scenarios : public ::testing::TestWithParam<Scenario> {};

TEST_P(Scenarios, EndAsWritten) {
  auto tree = std::make_unique<TempTree>(), twin = std::make_unique<TempTree>();
  Lines modes;  // to put back after the run
  Lines shown, expected;
  Result last{0, "", ""};
  for (const std::string& line : GetParam().lines) {
    const size_t blank = std::min(line.find(' '), line.size());
    const std::string verb = line.substr(0, blank),
                      rest = line.substr(blank + (blank < line.size()));
    std::istringstream words(rest);
    std::string path, kind;
    int width = 0, height = 0;
    size_t bytes = std::string::npos;
    if (verb == "==") {
      continue;  // the scenario's name
    } else if (verb == ">") {
      expected.push_back(rest);
    } else if (verb == "tree") {
      tree = testing::FreshTree(rest);
    } else if (verb == "add") {
      testing::AddToTree(tree->root(), rest);
    } else if (verb == "jpeg") {
      words >> path >> width >> height >> kind >> bytes;
      const auto gray =
          kind == "gray" ? testing::PictureKind::kGray : testing::PictureKind::kColour;
      tree->WriteFile(path, testing::TestJpegBytes(width, height, gray).substr(0, bytes));
    } else if (verb == "write" || verb == "has") {
      words >> path;
      const std::string text = testing::Unescaped(rest.substr(path.size() + 1));
      if (verb == "write") tree->WriteFile(path, text);
      EXPECT_TRUE(verb == "write" || tree->ReadFile(path).find(text) != std::string::npos) << line;
    } else if (verb == "shell") {
      ASSERT_EQ(std::system(("export ROOT=" + tree->root() + "; " + rest).c_str()), 0) << line;
    } else if (verb == "needs") {
      const Result can = Batch(*tree, rest);
      if (can.status != 0) GTEST_SKIP() << rest << " fails here: " << can.err;
    } else if (verb == "without-address-sanitizer") {
#ifdef __SANITIZE_ADDRESS__
      GTEST_SKIP() << "AddressSanitizer reserves more address space than a limit allows";
#endif
    } else if (verb == "chmod") {
      words >> kind >> path;
      ASSERT_EQ(::chmod(tree->Path(path).c_str(), std::stoi(kind, nullptr, 8)), 0) << path;
      modes.push_back(tree->Path(path));
    } else if (verb == "run") {
      last = Batch(*tree, rest);
      for (const std::string& changed : modes)
        ::chmod(changed.c_str(), fs::is_directory(changed) ? 0755 : 0644);
      modes.clear();
      shown.push_back("exit " + std::to_string(last.status));
      std::istringstream err(last.err), out(last.out);
      for (std::string message; std::getline(err, message);) shown.push_back(message);
      for (std::string line; std::getline(out, line);) shown.push_back("out: " + line);
    } else if (verb == "made") {
      for (const std::string& file : tree->Files()) {
        if (!file.starts_with("album/") || file.find("BIG/") != std::string::npos ||
            !EndsWithIgnoringCase(file, ".jpg")) {
          continue;
        }
        const testing::JpegFacts facts = testing::ReadJpegFacts(tree->Path(file));
        shown.push_back(file + " " + std::to_string(facts.width) + "x" +
                        std::to_string(facts.height));
      }
    } else if (verb == "copies") {
      words >> path >> kind;
      shown.push_back(testing::MadeCopies(tree->Path(path), kind));
    } else if (verb == "twin") {
      fs::copy(tree->root(), twin->root(), fs::copy_options::recursive);
    } else if (verb == "same") {
      const Result again = Batch(*twin, rest);
      EXPECT_TRUE(again == last) << again.status << "\n" << again.err;
      // The same files, and records that list the same files (made at other times).
      auto made = twin->Snapshot("album"), made_again = tree->Snapshot("album");
      made.erase("album/" + std::string(kRecordName));
      made_again.erase("album/" + std::string(kRecordName));
      EXPECT_EQ(made, made_again);
    } else if (verb == "gray" || verb == "colour") {
      const auto mean = testing::ReadMeanColour(tree->Path(rest));
      EXPECT_EQ(std::abs(mean.r - mean.b) > (verb == "gray" ? 2 : 10), verb == "colour") << rest;
    } else if (verb == "again") {
      Lines differences;
      for (std::string difference; words >> difference;) differences.push_back(difference);
      ExpectTheAlbumAgain(*tree, differences);
    } else {
      FAIL() << "not a scenario's line: " << line;
    }
  }
  // As text, so that a failure shows the lines that differ.
  const auto text = [](const Lines& lines) {
    std::string joined;
    for (const std::string& line : lines) joined += line + "\n";
    return joined;
  };
  EXPECT_EQ(text(shown), text(expected));
}

INSTANTIATE_TEST_SUITE_P(Batch, Scenarios, ::testing::ValuesIn(ReadScenarios()),
                         [](const auto& info) { return info.param.lines[0].substr(3); });

// A run fills a tmpfs: every message is "Disk full"; with room again the next run makes the
// album.
TEST(Batch, AFullDiskIsShownAndNothingIsHalfWritten) {
  const auto tree = testing::FreshTree(kPictures);
  const std::string album = tree->Path("album");
  fs::rename(album, tree->Path("pictures"));
  fs::create_directory(album);
  if (::mount("tmpfs", album.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64m") != 0) {
    GTEST_SKIP() << "mounting a tmpfs needs root";
  }
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
  } unmount{album};
  fs::copy(tree->Path("pictures"), album, fs::copy_options::recursive);
  // Fill the disk so that about half of what the run writes fits.
  size_t writes = 0;
  for (const auto& [path, bytes] : Clean())
    writes += path.find("/BIG/") == std::string::npos ? bytes.size() : 0;
  struct statvfs st {};
  ASSERT_EQ(::statvfs(album.c_str(), &st), 0);
  std::ofstream(album + "/filler") << std::string(st.f_bavail * st.f_frsize - writes / 2, 'f');
  const Result full = Batch(*tree);
  EXPECT_EQ(full.status, 1);
  std::istringstream lines(full.err);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_TRUE(line.starts_with("Unexpected Error: Error: 61 - Disk full: $ROOT/album/")) << line;
  }
  fs::remove(album + "/filler");
  ExpectTheAlbumAgain(*tree);
}

// A write is judged by the folder it goes into, not by its path: SET1/Thumb swapped again and
// again between a folder of its own and a link to BIG while runs go on, and BIG mounted over
// Thumb, never lead a write into BIG, and leave no temporary file there.
TEST(Batch, ASwappedLinkOrAMountNeverLeadsAWriteIntoOriginals) {
  TempTree tree;
  testing::AddToTree(tree.root(), "album/SET1/BIG/P{1..24}.JPG 96x72");
  testing::AddToTree(tree.root(), "album/SET1/Thumb/");
  ASSERT_EQ(::symlink("BIG", tree.Path("album/SET1/Thumb.link").c_str()), 0);
  // The originals as names and digests, so that a failure says which changed.
  const auto digests = [&] {
    Lines listed;
    for (const auto& [path, bytes] : tree.Snapshot("album/SET1/BIG"))
      listed.push_back(path + " " + std::to_string(std::hash<std::string>{}(bytes)));
    return listed;
  };
  const Lines originals = digests();
  const auto unchanged = [&] {
    EXPECT_EQ(digests(), originals);
    for (const std::string& left : testing::TemporaryNamesBelow(tree))
      EXPECT_EQ(left.find("/BIG/"), std::string::npos) << left;
  };
  std::atomic<bool> stop = false;
  std::thread swapper([&] {
    const std::string thumb = tree.Path("album/SET1/Thumb");
    const std::string link = tree.Path("album/SET1/Thumb.link");
    while (!stop) {
      ::renameat2(AT_FDCWD, thumb.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  for (int run = 0; run < 40 && !HasFailure(); ++run) {
    Batch(tree,
          run % 2 ? "snapnook-batch -q -j2 $ROOT/album" : "snapnook-batch -q -j1 $ROOT/album");
    unchanged();
  }
  stop = true;
  swapper.join();

  const std::string thumb = tree.Path("album/SET1/Thumb");
  if (fs::is_symlink(thumb)) fs::rename(thumb, tree.Path("album/SET1/Thumb.old"));
  fs::create_directories(thumb);
  if (::mount(tree.Path("album/SET1/BIG").c_str(), tree.Path("album/SET1/Thumb").c_str(), nullptr,
              MS_BIND, nullptr) != 0) {
    GTEST_SKIP() << "a bind mount needs root";
  }
  const Result mounted = Batch(tree, "snapnook-batch -q -j2 $ROOT/album");
  ::umount2(tree.Path("album/SET1/Thumb").c_str(), MNT_DETACH);
  EXPECT_EQ(mounted.status, 1);
  EXPECT_NE(mounted.err.find("Error: 70 - Permission denied: $ROOT/album/SET1/Thumb is an original "
                             "picture folder"),
            std::string::npos)
      << mounted.err;
  unchanged();
}

// The files a run has written so far, temporaries left out.
size_t Written(const TempTree& tree) {
  size_t n = 0;
  std::error_code ec;  // files come and go while it runs
  for (fs::recursive_directory_iterator it(tree.Path("album"), ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string path = it->path().string();
    n += path.find("/BIG/") == std::string::npos &&
         !IsTemporaryName(it->path().filename().string()) && it->is_regular_file(ec);
  }
  return n;
}

// Stopped by a signal once it has written 1/8, 2/8 ... of its files, it ends with 128 + the
// signal and "Interrupted"; SIGKILL leaves its temporaries to the next run, which removes those
// of dead runs only. Two SIGINTs at once (as `timeout -s INT` sends them) end it at once, and
// leave no temporary file either. The album's record lists the files as they are. A run that
// ends before the signal is checked all the same.
constexpr int kTwice = 0;  // SIGINT twice
class Signals : public ::testing::TestWithParam<int> {};

TEST_P(Signals, AnInterruptedRunLeavesWholeFilesOnly) {
  const int signal = GetParam() == kTwice ? SIGINT : GetParam();
  size_t files = 0;
  for (const auto& [path, bytes] : Clean()) files += path.find("/BIG/") == std::string::npos;
  int stopped = 0;
  for (size_t part = 0; part < 8; ++part) {
    SCOPED_TRACE("part " + std::to_string(part + 1) + " of 8");
    const auto tree = testing::FreshTree(kPictures);
    const std::string command = Command(*tree, kRun);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
      ::_exit(127);
    }
    int raw = 0;
    while (::waitpid(child, &raw, WNOHANG) == 0 && Written(*tree) < 1 + files * part / 8) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    bool running = ::kill(child, signal) == 0;
    if (GetParam() == kTwice) running = ::kill(child, signal) == 0 || running;
    running = running && ::waitpid(child, &raw, 0) == child;
    const Result r = Ended(*tree, raw);
    if (running && r.status != 0) {  // or it finished first
      ++stopped;
      EXPECT_EQ(r.status, 128 + signal);
      // The second signal may end it before it says so.
      if (GetParam() != kTwice) {
        EXPECT_EQ(r.err, signal == SIGKILL ? "" : "Interrupted\n");
      }
    }
    ExpectTheAlbumAgain(*tree, {}, signal == SIGKILL);
  }
  EXPECT_GE(stopped, 1) << "no signal fell within a run";
}

INSTANTIATE_TEST_SUITE_P(Batch, Signals,
                         ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGKILL, kTwice),
                         [](const auto& info) {
                           return info.param == kTwice
                                      ? std::string("SIGINTTwice")
                                      : std::string("SIG") + sigabbrev_np(info.param);
                         });

}  // namespace
}  // namespace snapnook
