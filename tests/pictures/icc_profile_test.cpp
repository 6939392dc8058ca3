// Which embedded colour profiles count as sRGB: those whose description says so, in ICC
// version 2 or 4, not those that merely mention sRGB elsewhere (tests/data/icc/README.txt).
#include "pictures/icc_profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace snapnook {
namespace {

TEST(IccProfile, SrgbIsWhatTheDescriptionSaysAndACutOffProfileIsReadSafely) {
  int profiles = 0;
  for (const auto& entry : std::filesystem::directory_iterator(SNAPNOOK_TEST_DATA "/icc")) {
    const std::string name = entry.path().filename();
    if (!name.ends_with(".icc")) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> whole{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(IsSrgbProfile(whole), name.starts_with("srgb")) << name;
    if (name.starts_with("wide")) {
      EXPECT_EQ(IccDescription(whole), "Wide Gamut RGB") << name;
    }
    for (size_t size = 0; size < whole.size(); ++size) {
      // The description lies at the end of the tags: a profile cut short of it is no sRGB.
      const std::span<const std::uint8_t> part(whole.data(), size);
      if (IsSrgbProfile(part)) {
        EXPECT_EQ(IccDescription(part), IccDescription(whole)) << name;
      }
    }
    ++profiles;
  }
  EXPECT_EQ(profiles, 6);
}

}  // namespace
}  // namespace snapnook
