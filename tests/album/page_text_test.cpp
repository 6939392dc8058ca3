// Page text, percent-encoded names and web paths.
#include <gtest/gtest.h>

#include "album/page_names.h"
#include "album/web_path.h"
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

TEST(WebFolder, IsTheSetFolderBelowTheAlbumInWebForm) {
  EXPECT_EQ(WebFolder("/pics/album", "/pics/album/SET1/"), "SET1/");
  EXPECT_EQ(WebFolder("/pics/album/", "/pics/album/SET1/"), "SET1/");
  EXPECT_EQ(WebFolder("/pics/album//", "/pics/album//SET1/"), "SET1/");
  EXPECT_EQ(WebFolder("/", "/SET1/"), "SET1/");
  EXPECT_EQ(WebFolder("/pics/album", "/pics/album/2000/SET1/"), "2000/SET1/");
  EXPECT_EQ(WebFolder("/pics/SET1", "/pics/SET1/"), "");  // a set folder chosen as the album
  EXPECT_EQ(WebFolder("/a", "/a/Tom & Jerry's #SET1/"), "Tom %26 Jerry%27s %23SET1/");
  EXPECT_EQ(WebFolder("/a", "/a/back\\slash SET1/"), "back%5Cslash SET1/");
  EXPECT_EQ(ToWebPath("2000/SET1/"), "2000/SET1/");
}

TEST(PageNames, HaveAtLeastTwoDigits) {
  EXPECT_EQ(PageFileName(0), "page00.htm");
  EXPECT_EQ(PageFileName(9), "page09.htm");
  EXPECT_EQ(PageFileName(10), "page10.htm");
  EXPECT_EQ(PageFileName(100), "page100.htm");
  EXPECT_EQ(Format00(32767), "32767");
}

}  // namespace
}  // namespace snapnook
