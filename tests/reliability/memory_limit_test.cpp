// snapnook-batch under address-space limits, from little more than it needs to start to none,
// on a 100-megapixel picture and a few of 12 megapixels: at every limit it makes every copy, or
// it says "Out of memory" for each folder it could not finish and fails; it never crashes,
// never claims success with a picture missing, and leaves no temporaries.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <set>

#include "reliability/reliability_support.h"
#include "support/test_pictures.h"

namespace snapnook {
namespace {

using testing::TempTree;

TEST(MemoryLimit, EveryLimitGivesEveryCopyOrAnOutOfMemoryMessageForEachFolderWithoutOne) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit here";
#endif
  const TempTree pictures, home;
  const std::vector<std::string> names = {"SET1/BIG/A.JPG", "SET1/BIG/HUGE.JPG", "SET1/BIG/Z.JPG",
                                          "SET2/BIG/B.JPG"};
  pictures.WriteFile(names[1], testing::TestJpegBytes(12000, 8400));
  for (const int i : {0, 2, 3}) pictures.WriteFile(names[i], testing::TestJpegBytes(4000, 3000));
  testing::GiveToUnprivilegedUser(home.root());

  std::string summary;
  for (const int megabytes : {140, 160, 180, 200, 220, 250, 400, 600, 0}) {
    const std::string label = megabytes ? std::to_string(megabytes) + " MB" : "unlimited";
    SCOPED_TRACE(label);
    const TempTree run;
    testing::CopyTree(pictures.root(), run.root());
    testing::GiveToUnprivilegedUser(run.root());
    const std::string limit =
        megabytes ? "prlimit --as=" + std::to_string(megabytes << 20) + " " : "";
    const testing::CommandResult r =
        testing::RunBatch("-q -j1 " + testing::Quote(run.root()), home.root(), limit);

    // Each copy is web-ready or missing; each message says "Out of memory" and names a file.
    const std::string out_of_memory = "Unexpected Error: Error: 7 - Out of memory: " + run.root();
    std::set<std::string> unfinished, named;  // the sets with a copy missing, named in messages
    int missing = 0, messages = 0;
    for (const std::string& name : names) {
      for (const auto& [folder, size] :
           {std::pair{"", "288x216"}, {"Thumb/", "74x55"}, {"640/", "640x480"}}) {
        const std::string copy = name.substr(0, 5) + folder + name.substr(9);
        if (!run.Exists(copy)) unfinished.insert(name.substr(0, 5));
        missing += !run.Exists(copy);
        EXPECT_EQ(run.Exists(copy) ? testing::WebReadySize(run.Path(copy)) : size, size) << copy;
      }
    }
    for (const std::string& line : testing::LinesOf(r.err)) {
      if (line.find("Error: ") == std::string::npos) continue;  // not a message: library noise
      EXPECT_TRUE(line.starts_with(out_of_memory)) << line;
      if (line.starts_with(out_of_memory)) named.insert(line.substr(out_of_memory.size() + 1, 5));
      ++messages;
    }
    EXPECT_EQ(r.status, messages == 0 && missing == 0 ? 0 : 1) << r.err;
    EXPECT_TRUE(std::includes(named.begin(), named.end(), unfinished.begin(), unfinished.end()))
        << "a set with copies missing is named in no message:\n"
        << r.err;
    EXPECT_EQ(testing::TemporaryNamesBelow(run.root()), std::vector<std::string>{});
    EXPECT_TRUE(megabytes > 0 || r.status == 0) << "without a limit every picture is made";
    summary += "; " + label + ": exit " + std::to_string(r.status) + ", " +
               std::to_string(missing) + " copies missing, " + std::to_string(messages) +
               " messages";
  }
  std::cout << "[ memory limit ] " << summary.substr(2) << "\n";
}

}  // namespace
}  // namespace snapnook
