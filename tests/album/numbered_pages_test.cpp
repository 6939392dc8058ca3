// The numbered album pages: cells, anchor rows, page turns, heads, navigation and footers.
#include <gtest/gtest.h>

#include "run/album_build.h"
#include "album/navigation_bar.h"
#include "album/page_files.h"
#include "album/picture_cells.h"
#include "album_fixture.h"

namespace snapnook::testing {
namespace {

using NumberedPageTest = AlbumTest;

// The head of a page titled "Summer" up to its navigation bar, with the title's and the
// introduction's page lines.
std::string HeadOfPage(std::string_view title_line, std::string_view intro_line) {
  return kViewerScript +
         Lines({"<html>", "<head>", "<meta http-equiv=\"Content-Type\"",
                "content=\"text/html; charset=iso-8859-1\">",
                "<meta name=\"GENERATOR\"content=\"Korvell Snapnook\">", "<title>Summer",
                title_line, "</head>", "", "<body>", "<p><A NAME = \"00\"> </a>", "", "Summer",
                intro_line}) +
         kIntroduction;
}

TEST_F(NumberedPageTest, OnePictureMakesAWholePage) {
  AddPictures("SET1", 1);
  SetPictureCount(1);
  BuildAlbum(session);

  const std::string bar = Lines({
      "<p>[<a href=\"page00.htm\">&lt;= Previous Page</a>] &nbsp;&nbsp; ",
      "[<a href=\"page01.htm\">Page 1</a>] &nbsp;&nbsp;[<a href=\"page00.htm\">Index Page</a>] "
      "&nbsp;&nbsp;",
      " </p>",
      "<table border=\"0\">",
  });
  EXPECT_EQ(Read("page01.htm"),
            HeadOfPage(" - Page 1</title>", " - Page 1 of 1</p>") + bar +
                Lines({
                    "\t<tr>",
                    "\t\t<td><p align=\"center\"><a href=\"#00\"> ",
                    "\t\t<img src=\"SET1/IMG1.JPG\"",
                    "\t\t border=\"0\" Width=\"288\"",
                    "\t\t height=\"216\" onclick=\"fnOpen2('SET1/640/IMG1.JPG')\">",
                    "\t\t</a><center><a href=\"SET1/640/IMG1.JPG\">[original]</a>",
                    "\t\t</center></td>",
                    "\t\t<td>&nbsp;</td>",
                    "</table>",
                }) +
                bar + kFooterEnd);
  EXPECT_FALSE(Exists("page02.htm"));
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(NumberedPageTest, FourPicturesMakeTwoRowsWithAnchorRows) {
  AddPictures("SET1", 4);
  SetPictureCount(4);
  BuildAlbum(session);
  EXPECT_EQ(RowsOf("page01.htm"),
            Lines({
                "\t<tr>",
                "\t\t<td><p align=\"center\"><a href=\"#00\"> ",
                "\t\t<img src=\"SET1/IMG1.JPG\"",
                "\t\t border=\"0\" Width=\"288\"",
                "\t\t height=\"216\" onclick=\"fnOpen2('SET1/640/IMG1.JPG')\">",
                "\t\t</a><center><a href=\"SET1/640/IMG1.JPG\">[original]</a>",
                "\t\t</center></td>",
                "\t\t<td>&nbsp;</td>",
                "\t\t<td><p align=\"center\"><a href=\"#00\"> ",
                "\t\t<img src=\"SET1/IMG2.JPG\"",
                "\t\t border=\"0\" Width=\"288\"",
                "\t\t height=\"216\" onclick=\"fnOpen2('SET1/640/IMG2.JPG')\">",
                "\t\t</a><center><a href=\"SET1/640/IMG2.JPG\">[original]</a>",
                "\t\t</center></td>",
                "\t\t<td>&nbsp;</td>",
                "\t</tr>",
                "\t<tr>",
                "\t\t<td><A NAME =\"01\"> </a>",
                "\t\t</td>",
                "\t\t<td>&nbsp;</td>",
                "\t\t<td>&nbsp;</td>",
                "\t\t<td><a href=\"#01\">[\\/]</a> <a href=\"#00\">[/\\]</a></td>",
                "\t</tr>",
                "\t<tr>",
                "\t\t<td><p align=\"center\"><a href=\"#01\"> ",
                "\t\t<img src=\"SET1/IMG3.JPG\"",
                "\t\t border=\"0\" Width=\"288\"",
                "\t\t height=\"216\" onclick=\"fnOpen2('SET1/640/IMG3.JPG')\">",
                "\t\t</a><center><a href=\"SET1/640/IMG3.JPG\">[original]</a>",
                "\t\t</center></td>",
                "\t\t<td>&nbsp;</td>",
                "\t\t<td><p align=\"center\"><a href=\"#01\"> ",
                "\t\t<img src=\"SET1/IMG4.JPG\"",
                "\t\t border=\"0\" Width=\"288\"",
                "\t\t height=\"216\" onclick=\"fnOpen2('SET1/640/IMG4.JPG')\">",
                "\t\t</a><center><a href=\"SET1/640/IMG4.JPG\">[original]</a>",
                "\t\t</center></td>",
                "\t\t<td>&nbsp;</td>",
                "\t</tr>",
                "\t<tr>",
                "\t\t<td><A NAME =\"02\"> </a>",
                "\t\t</td>",
                "\t\t<td>&nbsp;</td>",
                "\t\t<td>&nbsp;</td>",
                "\t\t<td><a href=\"#02\">[\\/]</a> <a href=\"#00\">[/\\]</a></td>",
                "\t</tr>",
            }));
  // The last page gets "</table>" and its footer from the build, with no next link.
  const std::string text = Read("page01.htm");
  EXPECT_TRUE(
      text.ends_with(Lines({
                         "\t</tr>",
                         "</table>",
                         "<p>[<a href=\"page00.htm\">&lt;= Previous Page</a>] &nbsp;&nbsp; ",
                         "[<a href=\"page01.htm\">Page 1</a>] &nbsp;&nbsp;[<a "
                         "href=\"page00.htm\">Index Page</a>] &nbsp;&nbsp;",
                         " </p>",
                         "<table border=\"0\">",
                     }) +
                     kFooterEnd));
}

TEST_F(NumberedPageTest, TenPicturesFillAPageThatTheWalkCloses) {
  AddPictures("SET1", 10);
  SetPictureCount(10);
  BuildAlbum(session);
  const std::string rows = RowsOf("page01.htm");
  // The anchor rows after rows 3 and 4 link down to themselves and up two rows.
  EXPECT_NE(rows.find(Lines({
                "\t\t<td><A NAME =\"03\"> </a>",
                "\t\t</td>",
                "\t\t<td>&nbsp;</td>",
                "\t\t<td>&nbsp;</td>",
                "\t\t<td><a href=\"#03\">[\\/]</a> <a href=\"#01\">[/\\]</a></td>",
            })),
            std::string::npos);
  EXPECT_NE(rows.find("\t\t<td><a href=\"#04\">[\\/]</a> <a href=\"#02\">[/\\]</a></td>\r\n"),
            std::string::npos);
  // The fifth row: pictures 9 and 10 link to anchor 04; then the Top of Page row.
  EXPECT_TRUE(rows.ends_with(Lines({
      "\t<tr>",
      "\t\t<td><p align=\"center\"><a href=\"#04\"> ",
      "\t\t<img src=\"SET1/IMG9.JPG\"",
      "\t\t border=\"0\" Width=\"288\"",
      "\t\t height=\"216\" onclick=\"fnOpen2('SET1/640/IMG9.JPG')\">",
      "\t\t</a><center><a href=\"SET1/640/IMG9.JPG\">[original]</a>",
      "\t\t</center></td>",
      "\t\t<td>&nbsp;</td>",
      "\t\t<td><p align=\"center\"><a href=\"#04\"> ",
      "\t\t<img src=\"SET1/IMG10.JPG\"",
      "\t\t border=\"0\" Width=\"288\"",
      "\t\t height=\"216\" onclick=\"fnOpen2('SET1/640/IMG10.JPG')\">",
      "\t\t</a><center><a href=\"SET1/640/IMG10.JPG\">[original]</a>",
      "\t\t</center></td>",
      "\t\t<td>&nbsp;</td>",
      "\t</tr>",
      "\t<tr>",
      "\t\t<td><A NAME =\"00\"> </a>",
      "\t\t</td>",
      "\t\t<td>&nbsp;</td>",
      "\t\t<td>&nbsp;</td>",
      "\t\t<td><a href=\"#00\">[Top of Page]</a> </td>",
      "\t</tr>",
  }))) << rows;
  const std::string text = Read("page01.htm");
  // One "</table>" (the walk's), one footer: the build wrote nothing more to the page.
  EXPECT_EQ(text.find("</table>"), text.rfind("</table>"));
  EXPECT_TRUE(text.ends_with(Lines({"\t</tr>", "</table>",
                                    "<p>[<a href=\"page00.htm\">&lt;= Previous Page</a>] "
                                    "&nbsp;&nbsp; ",
                                    "[<a href=\"page01.htm\">Page 1</a>] &nbsp;&nbsp;[<a "
                                    "href=\"page00.htm\">Index Page</a>] &nbsp;&nbsp;",
                                    " </p>", "<table border=\"0\">"}) +
                             kFooterEnd));
  EXPECT_FALSE(Exists("page02.htm"));
}

TEST_F(NumberedPageTest, TheEleventhPictureOpensTheNextPage) {
  AddPictures("SET1", 6);
  AddPictures("SET2", 5, 7);  // pages fill across sets
  SetPictureCount(11);
  BuildAlbum(session);

  EXPECT_NE(Read("page01.htm")
                .find("[<a href=\"page02.htm\">Next Page =&gt;</a>] \r\n </p>\r\n<table "
                      "border=\"0\">\r\n<p><a href=\"#00\">Top</a></p>"),
            std::string::npos);
  const std::string bar = Lines({
      "<p>[<a href=\"page01.htm\">&lt;= Previous Page</a>] &nbsp;&nbsp; ",
      "[<a href=\"page01.htm\">Page 1</a>] &nbsp;&nbsp;[<a href=\"page00.htm\">Index Page</a>] "
      "&nbsp;&nbsp;",
      " </p>",
      "<table border=\"0\">",
  });
  EXPECT_EQ(Read("page02.htm"),
            HeadOfPage(" - Page 2</title>", " - Page 2 of 2</p>") + bar +
                Lines({
                    "\t<tr>",
                    "\t\t<td><p align=\"center\"><a href=\"#00\"> ",
                    "\t\t<img src=\"SET2/IMG11.JPG\"",
                    "\t\t border=\"0\" Width=\"288\"",
                    "\t\t height=\"216\" onclick=\"fnOpen2('SET2/640/IMG11.JPG')\">",
                    "\t\t</a><center><a href=\"SET2/640/IMG11.JPG\">[original]</a>",
                    "\t\t</center></td>",
                    "\t\t<td>&nbsp;</td>",
                    "</table>",
                }) +
                bar + kFooterEnd);
}

TEST_F(NumberedPageTest, TheLastOfThreePagesHasNoNextLink) {
  AddPictures("SET1", 23);
  SetPictureCount(23);
  BuildAlbum(session);
  const std::string middle = Lines({
      "<p>[<a href=\"page01.htm\">&lt;= Previous Page</a>] &nbsp;&nbsp; ",
      "[<a href=\"page01.htm\">Page 1</a>] &nbsp;&nbsp;[<a href=\"page00.htm\">Index Page</a>] "
      "&nbsp;&nbsp;",
      "[<a href=\"page03.htm\">Next Page =&gt;</a>] ",
      " </p>",
      "<table border=\"0\">",
  });
  const std::string last = Lines({
      "<p>[<a href=\"page02.htm\">&lt;= Previous Page</a>] &nbsp;&nbsp; ",
      "[<a href=\"page01.htm\">Page 1</a>] &nbsp;&nbsp;[<a href=\"page00.htm\">Index Page</a>] "
      "&nbsp;&nbsp;",
      " </p>",
      "<table border=\"0\">",
  });
  const std::string page2 = Read("page02.htm");
  EXPECT_NE(page2.find(" - Page 2 of 3</p>\r\n"), std::string::npos);
  EXPECT_NE(page2.find(middle + "\t<tr>\r\n"), std::string::npos);
  EXPECT_TRUE(page2.ends_with("</table>\r\n" + middle + kFooterEnd));
  const std::string page3 = Read("page03.htm");
  EXPECT_NE(page3.find(" - Page 3 of 3</p>\r\n"), std::string::npos);
  EXPECT_NE(page3.find(last + "\t<tr>\r\n"), std::string::npos);
  EXPECT_TRUE(page3.ends_with(Lines({
                                  "\t\t<img src=\"SET1/IMG23.JPG\"",
                                  "\t\t border=\"0\" Width=\"288\"",
                                  "\t\t height=\"216\" onclick=\"fnOpen2('SET1/640/IMG23.JPG')\">",
                                  "\t\t</a><center><a href=\"SET1/640/IMG23.JPG\">[original]</a>",
                                  "\t\t</center></td>",
                                  "\t\t<td>&nbsp;</td>",
                                  "</table>",
                              }) +
                              last + kFooterEnd));
  EXPECT_FALSE(Exists("page04.htm"));
}

// Writes one navigation bar for page `page` of `count` into a file and returns it.
std::string NavigationBar(AlbumTest& test, PageFile which, int page, int count) {
  RunState state;
  state.PageNumber = page;
  state.PageCount = count;
  PageFiles pages(test.fs);
  pages.Open(which, test.album + "/bar.htm");
  WriteNavigationBar(state, pages, which);
  pages.Close(which);
  return test.tree.ReadFile("album/bar.htm");
}

TEST_F(NumberedPageTest, NavigationBarsOfEveryKind) {
  EXPECT_EQ(NavigationBar(*this, PageFile::kNumbered, 10, 12),
            Lines({
                "<p>[<a href=\"page09.htm\">&lt;= Previous Page</a>] &nbsp;&nbsp; ",
                "[<a href=\"page01.htm\">Page 1</a>] &nbsp;&nbsp;[<a "
                "href=\"page00.htm\">Index Page</a>] &nbsp;&nbsp;",
                "[<a href=\"page11.htm\">Next Page =&gt;</a>] ",
                " </p>",
                "<table border=\"0\">",
            }));
  EXPECT_EQ(NavigationBar(*this, PageFile::kNumbered, 99, 100),
            Lines({
                "<p>[<a href=\"page98.htm\">&lt;= Previous Page</a>] &nbsp;&nbsp; ",
                "[<a href=\"page01.htm\">Page 1</a>] &nbsp;&nbsp;[<a "
                "href=\"page00.htm\">Index Page</a>] &nbsp;&nbsp;",
                "[<a href=\"page100.htm\">Next Page =&gt;</a>] ",
                " </p>",
                "<table border=\"0\">",
            }));
  // Past the counted pages (more pictures than the count found): still no next link.
  EXPECT_EQ(NavigationBar(*this, PageFile::kNumbered, 13, 12),
            Lines({
                "<p>[<a href=\"page12.htm\">&lt;= Previous Page</a>] &nbsp;&nbsp; ",
                "[<a href=\"page01.htm\">Page 1</a>] &nbsp;&nbsp;[<a "
                "href=\"page00.htm\">Index Page</a>] &nbsp;&nbsp;",
                " </p>",
                "<table border=\"0\">",
            }));
  EXPECT_EQ(
      NavigationBar(*this, PageFile::kIndex, 0, 12),
      Lines({"[<a href=\"page01.htm\">Next Page =&gt;</a>] ", " </p>", "<table border=\"0\">"}));
  EXPECT_EQ(NavigationBar(*this, PageFile::kDjvu, 0, 0),
            Lines({
                "[<a href=\"page01.htm\">Page 1</a>] &nbsp;&nbsp;[<a "
                "href=\"page00.htm\">Index Page</a>] &nbsp;&nbsp;",
                "[<a href=\"page01.htm\">Next Page =&gt;</a>] ",
                " </p>",
                "<table border=\"0\">",
            }));
}

TEST_F(NumberedPageTest, PageOneHundredHasAThreeDigitName) {
  tree.MakeDir("album/SET1");
  session.state.SourceFolder = album;
  session.state.AlbumTitle = "Summer";
  session.state.PageNumber = 99;
  session.state.PageCount = 100;
  PageFiles pages(fs);
  pages.Open(PageFile::kIndex, album + "/page00.htm");
  pages.Open(PageFile::kDjvu, album + "/page00a.htm");
  WritePictureCells(session, pages, album + "/SET1/", "IMG991.JPG", "640");
  pages.Close(PageFile::kNumbered);
  pages.Close(PageFile::kIndex);
  pages.Close(PageFile::kDjvu);

  const std::string page = Read("page100.htm");
  EXPECT_NE(page.find("<title>Summer\r\n - Page 100</title>\r\n"), std::string::npos);
  EXPECT_NE(page.find("Summer\r\n - Page 100 of 100</p>\r\n"), std::string::npos);
  EXPECT_NE(page.find("<p>[<a href=\"page99.htm\">&lt;= Previous Page</a>]"), std::string::npos);
  EXPECT_EQ(Read("page00.htm"), Lines({
                                    "\t<td><p align=\"center\"><a href=\"page100.htm#00\">",
                                    "\t<img src=\"SET1/Thumb/IMG991.JPG\" border=\"0\"",
                                    "\twidth=\"74\" height=\"48\"></a></td>",
                                    "\t<td>&nbsp;</td>",
                                    "\t<td>&nbsp;</td>",
                                }));
}

TEST_F(NumberedPageTest, TitlesAndHoldersKeepInnerBlanksAndLoseOuterOnesWhereTrimmed) {
  AddPictures("SET1", 1);
  SetPictureCount(1);
  window.title = "  Summer <at> Sea & \xE2\x82\xAC ";
  window.copyright = "  Harbour  Camera Club ";
  window.copyright_link = " terms.html  ";
  BuildAlbum(session);
  const std::string page = Read("page01.htm");
  EXPECT_NE(page.find("<title>  Summer &lt;at&gt; Sea &amp; &#8364; \r\n - Page 1</title>\r\n"),
            std::string::npos);
  EXPECT_NE(page.find("\r\n\r\n  Summer &lt;at&gt; Sea &amp; &#8364; \r\n - Page 1 of 1</p>\r\n"),
            std::string::npos);
  EXPECT_NE(page.find("copyright</a> 2026, <a\r\n"
                      "href=\"terms.html\">Harbour  Camera Club</a>. All rights\r\n"),
            std::string::npos);
}

TEST_F(NumberedPageTest, EmptyTitleHolderAndLink) {
  AddPictures("SET1", 1);
  SetPictureCount(1);
  window.title = "";
  window.copyright = "   ";
  window.copyright_link = "";
  BuildAlbum(session);
  const std::string page = Read("page01.htm");
  EXPECT_NE(page.find("<title>\r\n - Page 1</title>\r\n"), std::string::npos);
  EXPECT_NE(page.find("<p><A NAME = \"00\"> </a>\r\n\r\n\r\n - Page 1 of 1</p>\r\n"),
            std::string::npos);
  EXPECT_NE(page.find("\r\nhref=\"\"></a>. All rights\r\n"), std::string::npos);
}

TEST_F(NumberedPageTest, PortraitCellLinksTheScreenCopiesWhen640IsTicked) {
  AddPicture("SET1/P1.JPG");
  tree.WriteFile("album/SET1/640/sideways/P1.JPG", "sideways screen copy");
  SetPictureCount(1);
  BuildAlbum(session);
  EXPECT_EQ(RowsOf("page01.htm"),
            Lines({
                "\t<tr>",
                "\t\t<td><p align=\"center\"><a href=\"#00\"> ",
                "\t\t<img src=\"SET1/P1.JPG\"",
                "\t\t border=\"0\" Width=\"216\"",
                "\t\t height=\"288\" onclick=\"fnOpen1('SET1/640/P1.JPG')\">",
                "\t\t</a><center><a href=\"SET1/640/sideways/P1.JPG\">[original]</a> "
                "&nbsp;&nbsp;&nbsp;&nbsp;",
                "\t\t</a><a href=\"SET1/640/P1.JPG\">[rotated]</a> ",
                "\t\t</center></td>",
                "\t\t<td>&nbsp;</td>",
            }));
  EXPECT_NE(Read("page00.htm")
                .find("\t<img src=\"SET1/Thumb/P1.JPG\" border=\"0\"\r\n"
                      "\twidth=\"51\" height=\"74\"></a></td>\r\n"),
            std::string::npos);
  EXPECT_NE(Read("page00a.htm")
                .find("\t<img src=\"SET1/Thumb/P1.JPG\" border=\"0\"\r\n"
                      "\twidth=\"51\" height=\"74\"></a></td>\r\n"),
            std::string::npos);
}

TEST_F(NumberedPageTest, PortraitCellLinksTheFullSizeFolderAsSpelledOnDiskWhen640IsUnticked) {
  window.checked[CheckBox::kCreate640] = false;
  AddPicture("SET1/P1.JPG");
  AddPicture("SET1/L2.JPG");
  tree.WriteFile("album/SET1/BIG/Sideways/P1.JPG", "sideways original");
  tree.WriteFile("album/SET1/640/sideways/L2.JPG", "not looked at without 640");
  AddPicture("SET2/P3.JPG");  // no full-size folder at all: the name as written
  SetPictureCount(3);
  BuildAlbum(session);
  EXPECT_EQ(RowsOf("page01.htm"),
            Lines({
                "\t<tr>",
                "\t\t<td><p align=\"center\"><a href=\"#00\"> ",
                "\t\t<img src=\"SET1/L2.JPG\"",
                "\t\t border=\"0\" Width=\"288\"",
                "\t\t height=\"216\" onclick=\"fnOpen2('SET1/BIG/L2.JPG')\">",
                "\t\t</a><center><a href=\"SET1/BIG/L2.JPG\">[original]</a>",
                "\t\t</center></td>",
                "\t\t<td>&nbsp;</td>",
                "\t\t<td><p align=\"center\"><a href=\"#00\"> ",
                "\t\t<img src=\"SET1/P1.JPG\"",
                "\t\t border=\"0\" Width=\"216\"",
                "\t\t height=\"288\" onclick=\"fnOpen1('SET1/BIG/P1.JPG')\">",
                "\t\t</a><center><a href=\"SET1/BIG/Sideways/P1.JPG\">[original]</a> "
                "&nbsp;&nbsp;&nbsp;&nbsp;",
                "\t\t</a><a href=\"SET1/BIG/P1.JPG\">[rotated]</a> ",
                "\t\t</center></td>",
                "\t\t<td>&nbsp;</td>",
                "\t</tr>",
                "\t<tr>",
                "\t\t<td><A NAME =\"01\"> </a>",
                "\t\t</td>",
                "\t\t<td>&nbsp;</td>",
                "\t\t<td>&nbsp;</td>",
                "\t\t<td><a href=\"#01\">[\\/]</a> <a href=\"#00\">[/\\]</a></td>",
                "\t</tr>",
                "\t<tr>",
                "\t\t<td><p align=\"center\"><a href=\"#01\"> ",
                "\t\t<img src=\"SET2/P3.JPG\"",
                "\t\t border=\"0\" Width=\"288\"",
                "\t\t height=\"216\" onclick=\"fnOpen2('SET2/big/P3.JPG')\">",
                "\t\t</a><center><a href=\"SET2/big/P3.JPG\">[original]</a>",
                "\t\t</center></td>",
                "\t\t<td>&nbsp;</td>",
            }));
}

TEST_F(NumberedPageTest, NamesThatBreakLinksArePercentEncoded) {
  // A set folder and pictures named with blanks, ' # % &, an accented and a CJK letter.
  const std::string set = "Mom's 100% & #SET1";
  AddPicture(set + "/a b.JPG");
  AddPicture(set + "/caf\xC3\xA9 \xE6\x97\xA5.JPG");
  AddPicture(set + "/Tom & Jerry's #1.JPG");
  tree.WriteFile("album/" + set + "/640/sideways/Tom & Jerry's #1.JPG", "portrait");
  SetPictureCount(3);
  BuildAlbum(session);
  EXPECT_TRUE(window.messages.empty());
  const std::string web = "Mom%27s 100%25 %26 %23SET1/";
  EXPECT_EQ(
      RowsOf("page01.htm"),
      Lines({
          "\t<tr>",
          "\t\t<td><p align=\"center\"><a href=\"#00\"> ",
          "\t\t<img src=\"Mom%27s 100%25 %26 %23SET1/a b.JPG\"",
          "\t\t border=\"0\" Width=\"288\"",
          "\t\t height=\"216\" onclick=\"fnOpen2('Mom%27s 100%25 %26 %23SET1/640/a b.JPG')\">",
          "\t\t</a><center><a href=\"Mom%27s 100%25 %26 %23SET1/640/a b.JPG\">[original]</a>",
          "\t\t</center></td>",
          "\t\t<td>&nbsp;</td>",
          "\t\t<td><p align=\"center\"><a href=\"#00\"> ",
          "\t\t<img src=\"Mom%27s 100%25 %26 %23SET1/caf\xE9 &#26085;.JPG\"",
          "\t\t border=\"0\" Width=\"288\"",
          "\t\t height=\"216\" onclick=\"fnOpen2('Mom%27s 100%25 %26 %23SET1/640/caf\xE9 "
          "&#26085;.JPG')\">",
          "\t\t</a><center><a href=\"Mom%27s 100%25 %26 %23SET1/640/caf\xE9 "
          "&#26085;.JPG\">[original]</a>",
          "\t\t</center></td>",
          "\t\t<td>&nbsp;</td>",
          "\t</tr>",
          "\t<tr>",
          "\t\t<td><A NAME =\"01\"> </a>",
          "\t\t</td>",
          "\t\t<td>&nbsp;</td>",
          "\t\t<td>&nbsp;</td>",
          "\t\t<td><a href=\"#01\">[\\/]</a> <a href=\"#00\">[/\\]</a></td>",
          "\t</tr>",
          "\t<tr>",
          "\t\t<td><p align=\"center\"><a href=\"#01\"> ",
          "\t\t<img src=\"Mom%27s 100%25 %26 %23SET1/Tom %26 Jerry%27s %231.JPG\"",
          "\t\t border=\"0\" Width=\"216\"",
          "\t\t height=\"288\" onclick=\"fnOpen1('Mom%27s 100%25 %26 %23SET1/640/Tom %26 "
          "Jerry%27s %231.JPG')\">",
          "\t\t</a><center><a href=\"Mom%27s 100%25 %26 %23SET1/640/sideways/Tom %26 "
          "Jerry%27s %231.JPG\">[original]</a> &nbsp;&nbsp;&nbsp;&nbsp;",
          "\t\t</a><a href=\"Mom%27s 100%25 %26 %23SET1/640/Tom %26 Jerry%27s "
          "%231.JPG\">[rotated]</a> ",
          "\t\t</center></td>",
          "\t\t<td>&nbsp;</td>",
      }));
  EXPECT_NE(Read("page00a.htm")
                .find(Lines({
                    "\t<td><p align=\"center\"><a href=\"" + web + "djvu/caf\xE9 &#26085;.djvu\">",
                    "\t<img src=\"" + web + "Thumb/caf\xE9 &#26085;.JPG\" border=\"0\"",
                })),
            std::string::npos);
}

}  // namespace
}  // namespace snapnook::testing
