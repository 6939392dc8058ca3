#include "album/picture_cells.h"

#include <algorithm>
#include <optional>

#include "album/page_footer.h"
#include "album/page_head.h"
#include "album/page_names.h"
#include "album/web_path.h"
#include "core/config.h"
#include "core/page_text.h"
#include "pictures/set_layout.h"

namespace snapnook {
namespace {

constexpr const char* kSpacerCell1 = "\t\t<td>&nbsp;</td>";  // in a numbered page's row
constexpr const char* kSpacerCell2 = "\t<td>&nbsp;</td>";    // in the index and DjVu pages
constexpr int kSpacerRowCells = 19;

// The size a numbered page declares for the album picture `path`: a portrait picture's or a
// landscape one's, unless the album's record knows the picture, unchanged since it was made, at
// another size. (The viewer folder tells a portrait picture only while its copies are there: a
// BIG folder on a drive that is not mounted must not make a page stretch its pictures.)
std::pair<std::string, std::string> DeclaredSize(Session& session, const std::string& path,
                                                 bool portrait) {
  std::pair<std::string, std::string> size = {portrait ? "216" : "288", portrait ? "288" : "216"};
  const std::optional<FileStat> now = session.files ? session.fs.Stat(path) : std::nullopt;
  const std::optional<RecordedFile> recorded =
      now ? session.files->AsWritten(path, *now) : std::nullopt;
  if (recorded && recorded->origin.role == Origin::Role::kAlbum) {
    size = {std::to_string(recorded->origin.width), std::to_string(recorded->origin.height)};
  }
  return size;
}

}  // namespace

void WritePictureCells(Session& session, PageFiles& pages, const std::string& set_folder,
                       const std::string& file, const std::string& viewer_folder) {
  RunState& state = session.state;
  const auto page1 = [&](const std::string& line) { pages.WriteLine(PageFile::kNumbered, line); };
  const auto index = [&](const std::string& line) { pages.WriteLine(PageFile::kIndex, line); };
  const auto djvu = [&](const std::string& line) { pages.WriteLine(PageFile::kDjvu, line); };

  ++state.PicturesOnPage;
  if (state.PicturesOnPage == 1) {
    ++state.PageNumber;
    try {
      pages.Open(PageFile::kNumbered,
                 state.SourceFolder + kPathSeparator + PageFileName(state.PageNumber));
    } catch (const SnapError&) {
      // Not reported here: the page's first line raises the same error for the walk's trap.
    }
    WritePageHead(state, pages, PageFile::kNumbered);
  }

  const std::string web = WebFolder(state.SourceFolder, set_folder);
  const std::string page = Format00(state.PageNumber);
  const std::string row = Format00(state.RowOnPage);
  const std::string web_file = PercentEncodeName(file);
  const std::string web_name =
      PercentEncodeName(file.substr(0, file.size() - std::min<size_t>(file.size(), 4)));

  if (state.PicturesOnPage % 2 == 1) page1("\t<tr>");
  page1("\t\t<td><p align=\"center\"><a href=\"#" + row + "\"> ");
  page1("\t\t<img src=\"" + web + web_file + "\"");
  const std::string thumbnail = "\t<img src=\"" + web + "Thumb/" + web_file + "\" border=\"0\"";
  index("\t<td><p align=\"center\"><a href=\"page" + page + ".htm#" + row + "\">");
  index(thumbnail);
  djvu("\t<td><p align=\"center\"><a href=\"" + web + "djvu/" + web_name + ".djvu\">");
  djvu(thumbnail);

  // Portrait when the viewer folder holds a sideways copy of the picture. Folder names are
  // looked up without regard to letter case, the file name exactly; nothing here fails.
  FileSystem& fs = session.fs;
  const std::string viewer = SpelledOnDisk(fs, set_folder, viewer_folder);
  const std::string sideways = SpelledOnDisk(fs, set_folder + viewer, "sideways");
  const bool portrait =
      fs.IsFile(set_folder + viewer + kPathSeparator + sideways + kPathSeparator + file);
  const std::string target = web + PercentEncodeName(viewer) + "/" + web_file;
  const auto [width, height] = DeclaredSize(session, set_folder + file, portrait);
  if (portrait) {
    const std::string original =
        web + PercentEncodeName(viewer) + "/" + PercentEncodeName(sideways) + "/" + web_file;
    page1("\t\t border=\"0\" Width=\"" + width + "\"");
    page1("\t\t height=\"" + height + "\" onclick=\"fnOpen1('" + target + "')\">");
    page1("\t\t</a><center><a href=\"" + original + "\">[original]</a> &nbsp;&nbsp;&nbsp;&nbsp;");
    page1("\t\t</a><a href=\"" + target + "\">[rotated]</a> ");
    index("\twidth=\"51\" height=\"74\"></a></td>");
    djvu("\twidth=\"51\" height=\"74\"></a></td>");
  } else {
    page1("\t\t border=\"0\" Width=\"" + width + "\"");
    page1("\t\t height=\"" + height + "\" onclick=\"fnOpen2('" + target + "')\">");
    page1("\t\t</a><center><a href=\"" + target + "\">[original]</a>");
    index("\twidth=\"74\" height=\"48\"></a></td>");
    djvu("\twidth=\"74\" height=\"48\"></a></td>");
  }
  page1("\t\t</center></td>");

  page1(kSpacerCell1);
  index(kSpacerCell2);
  index(kSpacerCell2);
  djvu(kSpacerCell2);
  djvu(kSpacerCell2);

  // A full row is followed by a row of anchors: "[\/]" scrolls down to the next row, "[/\]"
  // up two rows; after the last row of the page, a link to the top.
  if (state.PicturesOnPage % 2 == 0) {
    ++state.RowOnPage;
    page1("\t</tr>");
    page1("\t<tr>");
    const int k = state.PicturesOnPage / 2;
    if (k == kPicturesPerPage / 2) {
      page1("\t\t<td><A NAME =\"00\"> </a>");
      page1("\t\t</td>");
      page1(kSpacerCell1);
      page1(kSpacerCell1);
      page1("\t\t<td><a href=\"#00\">[Top of Page]</a> </td>");
    } else {
      page1("\t\t<td><A NAME =\"" + Format00(k) + "\"> </a>");
      page1("\t\t</td>");
      page1(kSpacerCell1);
      page1(kSpacerCell1);
      page1("\t\t<td><a href=\"#" + Format00(k) + "\">[\\/]</a> <a href=\"#" +
            Format00(std::max(k - 2, 0)) + "\">[/\\]</a></td>");
    }
    page1("\t</tr>");
  }

  // The page turn: the page is finished and closed, the index and DjVu pages get a spacer row.
  if (state.PicturesOnPage == kPicturesPerPage) {
    state.PicturesOnPage = 0;
    state.RowOnPage = 0;
    page1("</table>");
    index("</tr>");
    index("<tr>");
    djvu("</tr>");
    djvu("<tr>");
    for (int i = 0; i < kSpacerRowCells; ++i) {
      index(kSpacerCell2);
      djvu(kSpacerCell2);
    }
    index("</tr>");
    index("<tr>");
    djvu("\t\t<td><A NAME =\"" + page + "\"> </a>");
    djvu("\t\t</td>");
    djvu(kSpacerCell1);
    djvu(kSpacerCell1);
    djvu("\t\t<td>");
    djvu("</td>");
    djvu("</tr>");
    djvu("<tr>");
    WritePageFooter(session, pages, PageFile::kNumbered);
    pages.Close(PageFile::kNumbered);
  }
}

}  // namespace snapnook
