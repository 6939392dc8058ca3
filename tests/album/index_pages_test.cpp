// The index page, the DjVu page and index.html.
#include <gtest/gtest.h>

#include "run/album_build.h"
#include "album_fixture.h"

namespace snapnook::testing {
namespace {

using IndexPageTest = AlbumTest;

// The spacer row of 19 empty cells, on the index and DjVu pages.
const std::string kSpacerCells = Lines({
    "\t<td>&nbsp;</td>", "\t<td>&nbsp;</td>", "\t<td>&nbsp;</td>", "\t<td>&nbsp;</td>",
    "\t<td>&nbsp;</td>", "\t<td>&nbsp;</td>", "\t<td>&nbsp;</td>", "\t<td>&nbsp;</td>",
    "\t<td>&nbsp;</td>", "\t<td>&nbsp;</td>", "\t<td>&nbsp;</td>", "\t<td>&nbsp;</td>",
    "\t<td>&nbsp;</td>", "\t<td>&nbsp;</td>", "\t<td>&nbsp;</td>", "\t<td>&nbsp;</td>",
    "\t<td>&nbsp;</td>", "\t<td>&nbsp;</td>", "\t<td>&nbsp;</td>",
});

const std::string kHtmlHead = Lines({
    "<html>",
    "<head>",
    "<meta http-equiv=\"Content-Type\"",
    "content=\"text/html; charset=iso-8859-1\">",
    "<meta name=\"GENERATOR\"content=\"Korvell Snapnook\">",
    "<title>Summer",
});

const std::string kIndexBar = Lines({
    "[<a href=\"page01.htm\">Next Page =&gt;</a>] ",
    " </p>",
    "<table border=\"0\">",
});

const std::string kDjvuBar = Lines({
    "[<a href=\"page01.htm\">Page 1</a>] &nbsp;&nbsp;[<a href=\"page00.htm\">Index Page</a>] "
    "&nbsp;&nbsp;",
    "[<a href=\"page01.htm\">Next Page =&gt;</a>] ",
    " </p>",
    "<table border=\"0\">",
});

const std::string kIndexHead =
    kViewerScript + kHtmlHead +
    Lines({" - Index Page </title>", "</head>", "", "<body>", "<p><A NAME = \"00\"> </a>", "",
           "Summer", " - Index Page </p>"}) +
    kIntroduction + kIndexBar;

const std::string kDjvuHead =
    kViewerScript + kHtmlHead +
    Lines({" - DjVu Page </title>", "</head>", "", "<body>", "<p><A NAME = \"00\"> </a>", "",
           "Summer", " - DjVu Page </p>"}) +
    kIntroduction +
    Lines({
        "<p><strong>NOTE: Before you can view any DjVu pictures, you'll need to install a DjVu "
        "add-in for your browser (one time installation only).</strong>",
        "Click <a href=\"ftp://ftp.korvell.example/pub/djvu/npdjvu.exe\">here</a> to download "
        "the add-in.</p>",
        "<p>Want more information about DjVu? Click <a href=\"http://djvu.org\">here</a>.</p>",
        "<p>&nbsp;</p>",
    }) +
    kDjvuBar;

// The closing block of both pages.
const std::string kClosing =
    Lines({"</tr>", "<tr>"}) + kSpacerCells + Lines({"</tr>", "<tr>", "</table>"});

TEST_F(IndexPageTest, OnePicture) {
  AddPictures("SET1", 1);
  SetPictureCount(1);
  BuildAlbum(session);
  EXPECT_EQ(Read("page00.htm"), kIndexHead +
                                    Lines({
                                        "\t<td><p align=\"center\"><a href=\"page01.htm#00\">",
                                        "\t<img src=\"SET1/Thumb/IMG1.JPG\" border=\"0\"",
                                        "\twidth=\"74\" height=\"48\"></a></td>",
                                        "\t<td>&nbsp;</td>",
                                        "\t<td>&nbsp;</td>",
                                    }) +
                                    kClosing + kIndexBar + kFooterEnd);
  EXPECT_EQ(Read("page00a.htm"),
            kDjvuHead +
                Lines({
                    "\t<td><p align=\"center\"><a href=\"SET1/djvu/IMG1.djvu\">",
                    "\t<img src=\"SET1/Thumb/IMG1.JPG\" border=\"0\"",
                    "\twidth=\"74\" height=\"48\"></a></td>",
                    "\t<td>&nbsp;</td>",
                    "\t<td>&nbsp;</td>",
                }) +
                kClosing + kDjvuBar + kFooterEnd);
}

TEST_F(IndexPageTest, NoPictureStillMakesTheFixedPages) {
  SetPictureCount(0);
  BuildAlbum(session);
  EXPECT_EQ(Read("page00.htm"), kIndexHead + kClosing + kIndexBar + kFooterEnd);
  EXPECT_EQ(Read("page00a.htm"), kDjvuHead + kClosing + kDjvuBar + kFooterEnd);
  EXPECT_TRUE(Exists("index.html"));
  EXPECT_FALSE(Exists("page01.htm"));
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(IndexPageTest, EveryTenPicturesASpacerRowAndOnTheDjvuPageAnAnchorRow) {
  AddPictures("SET1", 23);
  SetPictureCount(23);
  BuildAlbum(session);
  const std::string picture10 = Lines({
      "\t<img src=\"SET1/Thumb/IMG10.JPG\" border=\"0\"",
      "\twidth=\"74\" height=\"48\"></a></td>",
      "\t<td>&nbsp;</td>",
      "\t<td>&nbsp;</td>",
  });
  const std::string turn = Lines({"</tr>", "<tr>"}) + kSpacerCells;
  const std::string index = Read("page00.htm");
  EXPECT_NE(index.find(picture10 + turn +
                       Lines({
                           "</tr>",
                           "<tr>",
                           "\t<td><p align=\"center\"><a href=\"page02.htm#00\">",
                           "\t<img src=\"SET1/Thumb/IMG11.JPG\" border=\"0\"",
                       })),
            std::string::npos);
  EXPECT_NE(index.find("<a href=\"page02.htm#04\">\r\n\t<img src=\"SET1/Thumb/IMG20.JPG\""),
            std::string::npos);
  EXPECT_NE(index.find("<a href=\"page03.htm#01\">\r\n\t<img src=\"SET1/Thumb/IMG23.JPG\""),
            std::string::npos);
  EXPECT_TRUE(index.ends_with(Lines({
                                  "\t<img src=\"SET1/Thumb/IMG23.JPG\" border=\"0\"",
                                  "\twidth=\"74\" height=\"48\"></a></td>",
                                  "\t<td>&nbsp;</td>",
                                  "\t<td>&nbsp;</td>",
                              }) +
                              kClosing + kIndexBar + kFooterEnd));

  const auto anchor_row = [&](std::string_view page) {
    return Lines({"</tr>", "<tr>"}) + kSpacerCells +
           Lines({"\t\t<td><A NAME =\"" + std::string(page) + "\"> </a>", "\t\t</td>",
                  "\t\t<td>&nbsp;</td>", "\t\t<td>&nbsp;</td>", "\t\t<td>", "</td>", "</tr>",
                  "<tr>"}) +
           "\t<td><p align=\"center\"><a href=\"SET1/djvu/IMG";
  };
  const std::string djvu = Read("page00a.htm");
  EXPECT_NE(djvu.find(anchor_row("01") + "11.djvu\">\r\n"), std::string::npos);
  EXPECT_NE(djvu.find(anchor_row("02") + "21.djvu\">\r\n"), std::string::npos);
  EXPECT_EQ(djvu.find("<A NAME =\"03\">"), std::string::npos);
}

TEST_F(IndexPageTest, APictureCalledOnlyJpgHasAnEmptyDjvuName) {
  AddPicture("SET1/.JPG");
  SetPictureCount(1);
  BuildAlbum(session);
  EXPECT_NE(Read("page00a.htm").find("<a href=\"SET1/djvu/.djvu\">\r\n"), std::string::npos);
}

TEST_F(IndexPageTest, IndexRedirect) {
  tree.WriteFile("album/index.html", "old");
  SetPictureCount(0);
  BuildAlbum(session);
  EXPECT_EQ(Read("index.html"),
            Lines({
                "<html>",
                "<head>",
                "<meta http-equiv=\"Content-Type\"",
                "content=\"text/html; charset=iso-8859-1\">",
                "<meta name=\"AUTHOR\" content=\"Korvell\">",
                "<meta name=\"FORMATTER\" content=\"Korvell Snapnook\">",
                "<meta name=\"GENERATOR\" content=\"Korvell Snapnook\">",
                "<title>Korvell</title>",
                "<meta HTTP-EQUIV=\"REFRESH\" content=\"1; url=page01.htm\">",
                "</head>",
                "<body bgcolor=\"#FFFFFF\">",
                "<p>Please wait to be redirected to the first page, or click <a "
                "href=\"page01.htm\">here.</a>.</p>",
                "<p>Created using <a href=\"http://www.korvell.example/snapnook\">Snapnook</a></p>",
                "</p>",
                "<p>&nbsp;</p>",
                "<p>&nbsp;</p>",
                "</body>",
                "</html>",
            }));
}

TEST_F(IndexPageTest, IndexRedirectHolderTrimmedOrEmpty) {
  window.copyright = "  Caf\xC3\xA9 \xE6\x97\xA5 Club ";
  BuildAlbum(session);
  std::string text = Read("index.html");
  EXPECT_NE(text.find("<meta name=\"AUTHOR\" content=\"Caf\xE9 &#26085; Club\">\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("<title>Caf\xE9 &#26085; Club</title>\r\n"), std::string::npos);

  window.copyright = "";
  BuildAlbum(session);
  text = Read("index.html");
  EXPECT_NE(text.find("<meta name=\"AUTHOR\" content=\"\">\r\n"), std::string::npos);
  EXPECT_NE(text.find("<title></title>\r\n"), std::string::npos);
}

}  // namespace
}  // namespace snapnook::testing
