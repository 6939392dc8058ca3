// The fuzzers' committed corpus, replayed on every build against the same properties
// (tests/fuzz): the seeds and every input that once broke one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fuzz_properties.h"

namespace snapnook {
namespace {

TEST(FuzzCorpus, EveryInputKeepsItsFuzzersProperties) {
  for (const auto& [fuzzer, check] : {std::pair{"page_text", &fuzz::CheckPageText},
                                      {"web_path", &fuzz::CheckWebPath},
                                      {"natural_order", &fuzz::CheckNaturalOrder}}) {
    int inputs = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(SNAPNOOK_FUZZ_CORPUS "/") + fuzzer)) {
      std::ifstream in(entry.path(), std::ios::binary);
      EXPECT_EQ((*check)(std::string(std::istreambuf_iterator<char>(in), {})), "") << entry.path();
      ++inputs;
    }
    EXPECT_GT(inputs, 0) << "no corpus for " << fuzzer;
  }
}

}  // namespace
}  // namespace snapnook
