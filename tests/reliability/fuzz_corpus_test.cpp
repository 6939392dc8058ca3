// The fuzzers' corpus, replayed on every build: the seeds and every input that once broke a
// property, against the same properties (tests/fuzz).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "fuzz_properties.h"

namespace snapnook {
namespace {

struct Target {
  const char* name;
  std::function<std::string(std::string_view)> check;
};

class FuzzCorpusTest : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzCorpusTest, EveryInputKeepsTheProperties) {
  const std::filesystem::path folder =
      std::filesystem::path(SNAPNOOK_FUZZ_CORPUS) / GetParam().name;
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(GetParam().check(bytes), "") << entry.path();
    ++inputs;
  }
  EXPECT_GT(inputs, 0) << "no corpus in " << folder;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpusTest,
                         ::testing::Values(Target{"page_text", fuzz::CheckPageText},
                                           Target{"web_path", fuzz::CheckWebPath},
                                           Target{"natural_order", fuzz::CheckNaturalOrder}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace snapnook
