// Page text, typed texts and percent-encoded names.
#include <gtest/gtest.h>

#include "core/page_text.h"

namespace snapnook {
namespace {

TEST(PageText, WritesLatin1BytesAndReferencesAboveU00FF) {
  EXPECT_EQ(PageText("Summer <b>& \"Sun\"</b>"), "Summer <b>& \"Sun\"</b>");  // not escaped
  EXPECT_EQ(PageText("caf\xC3\xA9 \xC3\xBF \xC2\xA0"), "caf\xE9 \xFF \xA0");
  EXPECT_EQ(PageText("5 \xE2\x82\xAC"), "5 &#8364;");                   // euro sign
  EXPECT_EQ(PageText("\xE6\x97\xA5\xE6\x9C\xAC"), "&#26085;&#26412;");  // CJK
  EXPECT_EQ(PageText("\xF0\x9F\x98\x80!"), "&#128512;!");               // above the BMP
  EXPECT_EQ(PageText("\xC4\x80"), "&#256;");                            // first above U+00FF
}

TEST(PageText, PassesBytesThatAreNotUtf8Through) {
  EXPECT_EQ(PageText("caf\xE9"), "caf\xE9");            // already Latin-1
  EXPECT_EQ(PageText("\xC0\xAF"), "\xC0\xAF");          // overlong "/"
  EXPECT_EQ(PageText("\xED\xA0\x80"), "\xED\xA0\x80");  // a surrogate
  EXPECT_EQ(PageText("\xE6\x97"
                     "A"),
            "\xE6\x97"
            "A");  // cut-off sequence
  EXPECT_EQ(PageText(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

TEST(PercentEncodeName, EncodesTheCharactersThatBreakLinks) {
  EXPECT_EQ(PercentEncodeName("Mom's #1.JPG"), "Mom%27s %231.JPG");
  EXPECT_EQ(PercentEncodeName("%#?\"'<>&\\"), "%25%23%3F%22%27%3C%3E%26%5C");
  EXPECT_EQ(PercentEncodeName(std::string_view("\x01\t\x1F\x7F\0", 5)), "%01%09%1F%7F%00");
  // Blanks, separators and other punctuation stay.
  EXPECT_EQ(PercentEncodeName("a b/c+d=e;f,g(h)[i]!~@$*.JPG"), "a b/c+d=e;f,g(h)[i]!~@$*.JPG");
}

TEST(PercentEncodeName, KeepsValidUtf8AndEncodesBytesThatAreNot) {
  EXPECT_EQ(PercentEncodeName("caf\xC3\xA9 \xE6\x97\xA5.JPG"), "caf\xC3\xA9 \xE6\x97\xA5.JPG");
  EXPECT_EQ(PercentEncodeName("caf\xE9.JPG"), "caf%E9.JPG");
  EXPECT_EQ(PercentEncodeName("\xE6\x97.JPG"), "%E6%97.JPG");
  EXPECT_EQ(PercentEncodeName("\xED\xA0\x80"), "%ED%A0%80");
  EXPECT_EQ(PercentEncodeName("\xF4\x90\x80\x80"), "%F4%90%80%80");  // above U+10FFFF
  // Written into a page, a name ends up as Latin-1 bytes and references.
  EXPECT_EQ(PageText(PercentEncodeName("Caf\xC3\xA9 & \xE6\x97\xA5 100%.JPG")),
            "Caf\xE9 %26 &#26085; 100%25.JPG");
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
