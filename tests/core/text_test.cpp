// Names in natural order, and the typed texts written into pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/natural_order.h"
#include "core/page_text.h"

namespace snapnook {
namespace {

TEST(NaturalOrder, PutsNamesInThisOrderWhateverOrderTheyComeIn) {
  // Digit runs by value, then the shorter run first; other runs blind to letter case, then
  // byte order of the whole names.
  const std::vector<std::string> ordered = {"",
                                            "0",
                                            "00",
                                            "1",
                                            "01",
                                            "10",
                                            "A",
                                            "a",
                                            "A1",
                                            "a1",
                                            "a1b",
                                            "a01",
                                            "a2",
                                            "a10",
                                            "a 2",
                                            "a!",
                                            "b",
                                            "IMG",
                                            "IMG1",
                                            "IMG01",
                                            "img2",
                                            "IMG10",
                                            "img10",
                                            "IMG10b",
                                            "IMG-",
                                            "IMG.JPG",
                                            "img.jpg",
                                            "IMG_",
                                            "img_2",
                                            "photo",
                                            "photo album",
                                            "SET9",
                                            "SET10",
                                            "x99999999999999999999999",
                                            "x100000000000000000000000",
                                            "Z9z9",
                                            "z10z",
                                            "\xc3\xa9",
                                            "\xff"};
  std::vector<std::string> names = ordered;
  std::shuffle(names.begin(), names.end(), std::mt19937(15));
  std::sort(names.begin(), names.end(), NaturalLess);
  EXPECT_EQ(names, ordered);
  // Every pair compares as its places do: a total order, 0 only for a name with itself.
  for (size_t i = 0; i < ordered.size(); ++i) {
    for (size_t j = 0; j < ordered.size(); ++j) {
      const int sign = (i > j) - (i < j);
      EXPECT_EQ(std::clamp(NaturalCompare(ordered[i], ordered[j]), -1, 1), sign)
          << ordered[i] << " / " << ordered[j];
    }
  }
}

TEST(TypedText, EscapesMarkupButKeepsCharacterReferences) {
  const std::pair<const char*, const char*> cases[] = {
      {"Holiday <Crete> 2026", "Holiday &lt;Crete&gt; 2026"},
      {"x\" onmouseover=\"y", "x&quot; onmouseover=&quot;y"},
      {"Tom & Jerry &eacute; &#233; &#xE9; &#XE9;",
       "Tom &amp; Jerry &eacute; &#233; &#xE9; &#XE9;"},
      {"& &; &#; &#x; &#xG1; &1a; &a-b; &amp",
       "&amp; &amp;; &amp;#; &amp;#x; &amp;#xG1; &amp;1a; &amp;a-b; &amp;amp"},
      {"plain text, caf\xC3\xA9", "plain text, caf\xC3\xA9"},
  };
  for (const auto& [typed, written] : cases) EXPECT_EQ(TypedText(typed), written) << typed;
}

}  // namespace
}  // namespace snapnook
