// snapnook-batch under address-space limits, from little more than it needs to start to none,
// on a 100-megapixel picture and three of 12 megapixels: at every limit it makes every copy, or
// it says "Out of memory" for each set it could not finish and fails; it never crashes, never
// claims success with a copy missing, and leaves no temporaries.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

#include "reliability/reliability_support.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

TEST(MemoryLimit, EveryLimitGivesEveryCopyOrAnOutOfMemoryMessageForEachSetWithoutOne) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit here";
#endif
  const testing::TempTree pictures, home;
  pictures.WriteFile("SET1/BIG/HUGE.JPG", testing::TestJpegBytes(12000, 8400));
  for (const char* name : {"SET1/BIG/A.JPG", "SET1/BIG/Z.JPG", "SET2/BIG/B.JPG"}) {
    pictures.WriteFile(name, testing::TestJpegBytes(4000, 3000));
  }
  testing::GiveToUnprivilegedUser(home.root());
  for (const int megabytes : {140, 160, 180, 200, 220, 250, 400, 600, 0}) {
    SCOPED_TRACE(std::to_string(megabytes) + " MB");
    const testing::TempTree run;
    testing::CopyTree(pictures.root(), run.root());
    testing::GiveToUnprivilegedUser(run.root());
    const testing::CommandResult r =
        testing::RunBatch("-q -j1 " + testing::Quote(run.root()), home.root(),
                          megabytes ? "prlimit --as=" + std::to_string(megabytes << 20) + " " : "");
    // Each copy is web-ready or missing; each message says "Out of memory" and names a set.
    std::set<std::string> unfinished, named;
    for (const char* picture : {"SET1/HUGE.JPG", "SET1/A.JPG", "SET1/Z.JPG", "SET2/B.JPG"}) {
      const std::string set = std::string(picture).substr(0, 4);
      const std::string copies = testing::MadeCopies(run.Path(set), picture + 5);
      if (copies != "288x216 74x55 640x480") unfinished.insert(set);
      EXPECT_TRUE(std::regex_match(copies, std::regex("(288x216|-) (74x55|-) (640x480|-)")))
          << picture << ": " << copies;
    }
    const std::string out_of_memory =
        "Unexpected Error: Error: 7 - Out of memory: " + run.root() + "/";
    for (const std::string& line : testing::LinesOf(r.err)) {
      if (line.find("Error: ") == std::string::npos) continue;  // not a message: library noise
      EXPECT_TRUE(line.starts_with(out_of_memory)) << line;
      named.insert(line.substr(out_of_memory.size(), 4));
    }
    EXPECT_EQ(r.status, named.empty() && unfinished.empty() ? 0 : 1) << r.err;
    EXPECT_TRUE(std::includes(named.begin(), named.end(), unfinished.begin(), unfinished.end()))
        << r.err;
    EXPECT_EQ(testing::TemporaryNamesBelow(run.root()), std::vector<std::string>{});
    EXPECT_TRUE(megabytes > 0 || r.status == 0) << "without a limit every picture is made";
  }
}

}  // namespace
}  // namespace snapnook
