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

// The property a fuzzer checks, by the fuzzer's name.
std::function<std::string(std::string_view)> CheckOf(const std::string& fuzzer) {
  if (fuzzer == "page_text") return fuzz::CheckPageText;
  if (fuzzer == "web_path") return fuzz::CheckWebPath;
  return fuzz::CheckNaturalOrder;
}

class FuzzCorpusTest : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzCorpusTest, EveryInputKeepsTheProperties) {
  const std::filesystem::path folder = std::filesystem::path(SNAPNOOK_FUZZ_CORPUS) / GetParam();
  const auto check = CheckOf(GetParam());
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(check(bytes), "") << entry.path();
    ++inputs;
  }
  EXPECT_GT(inputs, 0) << "no corpus in " << folder;
}

INSTANTIATE_TEST_SUITE_P(Fuzzers, FuzzCorpusTest,
                         ::testing::Values("page_text", "web_path", "natural_order"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace snapnook
