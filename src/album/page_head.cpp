#include "album/page_head.h"

#include <string>

#include "album/navigation_bar.h"
#include "core/config.h"
#include "core/page_text.h"

namespace snapnook {
namespace {

// The viewer script. The pictures' onclick handlers call fnOpen1 (portrait, show640.html) and
// fnOpen2 (landscape, show480.html) with the picture's web path. Browsers without
// showModalDialog get one that opens the viewer in a window of its own and passes the path in
// the query string.
constexpr const char* kViewerScript[] = {
    "<SCRIPT>",
    "if (!window.showModalDialog) window.showModalDialog = function (sUrl, sArg) { "
    "window.open(sUrl + \"?\" + encodeURIComponent(sArg), \"Picture\"); };",
    "function fnOpen1(sSrc){",
    "    var sWidth = window.screen.availWidth - 50;",
    "    var sHeight = window.screen.availHeight - 50;",
    "    window.showModalDialog(\"show640.html\", sSrc,",
    "          \"name:Picture;dialogWidth:\" + sWidth +\"px;dialogHeight:\" + sHeight + "
    "\"px;status:no;\");",
    "}",
    "function fnOpen2(sSrc){",
    "    var sWidth = window.screen.availWidth - 50;",
    "    var sHeight = window.screen.availHeight - 50;",
    "    window.showModalDialog(\"show480.html\", sSrc,",
    "          \"name:Picture;dialogWidth:\" + sWidth +\"px;dialogHeight:\" + sHeight + "
    "\"px;status:no;\");",
    "}",
    "</SCRIPT>",
};

}  // namespace

void WritePageHead(const RunState& state, PageFiles& pages, PageFile which) {
  const auto line = [&](const std::string& text) { pages.WriteLine(which, text); };
  for (const char* text : kViewerScript) line(text);

  const std::string number = std::to_string(state.PageNumber.value());
  const std::string title = TypedText(state.AlbumTitle);
  line("<html>");
  line("<head>");
  line("<meta http-equiv=\"Content-Type\"");
  line("content=\"text/html; charset=iso-8859-1\">");
  line("<meta name=\"GENERATOR\"content=\"Korvell Snapnook\">");
  line("<title>" + title);
  switch (which) {
    case PageFile::kNumbered:
      line(" - Page " + number + "</title>");
      break;
    case PageFile::kIndex:
      line(" - Index Page </title>");
      break;
    case PageFile::kDjvu:
      line(" - DjVu Page </title>");
      break;
  }
  line("</head>");
  line("");
  line("<body>");
  line("<p><A NAME = \"00\"> </a>");
  line("");
  line(title);
  switch (which) {
    case PageFile::kNumbered:
      line(" - Page " + number + " of " + std::to_string(state.PageCount.value()) + "</p>");
      break;
    case PageFile::kIndex:
      line(" - Index Page </p>");
      break;
    case PageFile::kDjvu:
      line(" - DjVu Page </p>");
      break;
  }
  line("");
  line("<p><strong>Click on any picture to enlarge it.</strong></p>");
  line("");
  line("<p><strong>Set your video display to support as many colors as");
  line(
      "possible. Click </strong><a href=\"../default/hires.htm\"><strong>here</strong></"
      "a><strong>");
  line("for details.</strong></p>");
  line("<p><a href=\"../default/aol.htm\">America Online users click here for");
  line("instructions on viewing clearer pictures</a>.</p>");
  if (which == PageFile::kDjvu) {
    line(
        "<p><strong>NOTE: Before you can view any DjVu pictures, you'll need to install a DjVu "
        "add-in for your browser (one time installation only).</strong>");
    line("Click <a href=\"" + std::string(kDjvuInstaller) +
         "\">here</a> to download the add-in.</p>");
    line("<p>Want more information about DjVu? Click <a href=\"" + std::string(kDjvuInfo) +
         "\">here</a>.</p>");
    line("<p>&nbsp;</p>");
  }
  WriteNavigationBar(state, pages, which);
}

}  // namespace snapnook
