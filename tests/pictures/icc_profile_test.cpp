// Which embedded colour profiles count as sRGB: by what they say they are, not by a mention.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <vector>

#include "pictures/icc_profile.h"

namespace snapnook {
namespace {

void SetText(cmsHPROFILE profile, cmsTagSignature tag, const char* text) {
  cmsMLU* mlu = cmsMLUalloc(nullptr, 1);
  cmsMLUsetASCII(mlu, "en", "US", text);
  cmsWriteTag(profile, tag, mlu);
  cmsMLUfree(mlu);
}

// A profile's bytes, as ICC version 2 or 4, with the description and copyright given (lcms
// writes its own when null).
std::vector<std::uint8_t> Profile(bool srgb_colours, double version, const char* description,
                                  const char* copyright) {
  cmsHPROFILE profile = nullptr;
  if (srgb_colours) {
    profile = cmsCreate_sRGBProfile();
  } else {  // wide-gamut primaries on a 2.2 curve
    const cmsCIExyY white = {0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries = {
        {0.7347, 0.2653, 1}, {0.1152, 0.8264, 1}, {0.1566, 0.0177, 1}};
    cmsToneCurve* curve = cmsBuildGamma(nullptr, 2.2);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
  }
  cmsSetProfileVersion(profile, version);
  if (description) SetText(profile, cmsSigProfileDescriptionTag, description);
  if (copyright) SetText(profile, cmsSigCopyrightTag, copyright);
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  std::vector<std::uint8_t> bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  return bytes;
}

TEST(IccProfile, SrgbIsWhatTheDescriptionSaysInVersion2And4) {
  for (double version : {2.1, 4.3}) {
    EXPECT_TRUE(IsSrgbProfile(Profile(true, version, nullptr, nullptr))) << version;
    EXPECT_TRUE(IsSrgbProfile(Profile(true, version, "sRGB IEC61966-2.1", nullptr))) << version;
    EXPECT_EQ(IccDescription(Profile(false, version, "Wide Gamut RGB", nullptr)), "Wide Gamut RGB");
    // Mentioning sRGB anywhere else does not make a profile sRGB.
    EXPECT_FALSE(IsSrgbProfile(Profile(false, version, "Wide Gamut RGB",
                                       "Copyright 2026, converted from sRGB IEC61966-2.1")))
        << version;
  }
}

TEST(IccProfile, ACutOffProfileIsReadSafelyAndIsNoSrgb) {
  const std::vector<std::uint8_t> whole = Profile(true, 2.1, nullptr, nullptr);
  for (size_t size = 0; size < whole.size(); ++size) {
    const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + size);
    // The description lies at the end of the tags: any shorter cut loses it.
    if (!IsSrgbProfile(part)) continue;
    EXPECT_EQ(IccDescription(part), IccDescription(whole)) << size;
  }
  EXPECT_FALSE(IsSrgbProfile({}));
}

}  // namespace
}  // namespace snapnook
