#include "album/modern_pages.h"

#include <algorithm>
#include <span>

#include "album/modern_text.h"
#include "album/page_footer.h"
#include "album/page_names.h"
#include "album/viewer_pages.h"
#include "core/error.h"
#include "core/page_text.h"
#include "core/utf8.h"

namespace snapnook {
namespace {

// A picture in album order: its set and its number in the album (from 1), which names its
// anchor.
struct Placed {
  const ModernSet* set;
  const ModernPicture* picture;
  int number;
};

// The longest title a page's <title> holds, in characters.
constexpr size_t kModernTitleLength = 70;

std::string PageName(int page) {
  return page == 0 ? "index.html" : PageFileName(page);
}

// A typed text as the page holds it (see TypedText), blanks around it removed.
std::string Typed(const std::string& text) {
  return ModernText(TypedText(TrimBlanks(text)), false);
}

// The picture's text: its caption, else its original's name without the extension.
std::string AltText(const ModernPicture& picture) {
  if (picture.caption.find_first_not_of(" \t\r\n") != std::string::npos) return picture.caption;
  std::string name = picture.original_name.empty() ? picture.name : picture.original_name;
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

void AppendNavigation(std::string& out, int page, int pages, const char* label) {
  if (pages < 2) return;
  out += "<nav aria-label=\"";
  out += label;
  out += "\"><ul>\n";
  for (int p = 0; p < pages; ++p) {
    out += "<li><a href=\"./" + PageName(p) + "\"";
    if (p == page) out += " aria-current=\"page\"";
    out += '>';
    out += std::to_string(p + 1);
    out += "</a></li>\n";
  }
  out += "</ul></nav>\n";
}

// `text` (page text, where each "&" begins a reference) cut to at most `most` characters of the
// page's source, a UTF-8 sequence counting as one and a reference as its own, an ellipsis
// standing for what is cut. A browser's tab and a search engine show no more of a title.
std::string Shortened(const std::string& text, size_t most) {
  size_t count = 0, cut = 0;
  for (size_t at = 0; at < text.size();) {
    char32_t c = 0;
    const bool reference = text[at] == '&';
    const size_t next = reference ? std::min(text.find(';', at), text.size() - 1) + 1
                                  : at + std::max<size_t>(1, Utf8SequenceLength(text, at, c));
    count += reference ? next - at : 1;
    if (count < most) cut = next;  // the ellipsis still fits after it
    at = next;
  }
  return count <= most ? text : text.substr(0, cut) + "\xE2\x80\xA6";
}

void AppendHead(std::string& out, const std::string& title, int page, int pages) {
  const std::string of =
      pages > 1 ? " (page " + std::to_string(page + 1) + " of " + std::to_string(pages) + ")" : "";
  out +=
      "<!DOCTYPE html>\n"
      "<html lang=\"en\">\n"
      "<head>\n"
      "<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<meta name=\"generator\" content=\"Snapnook\">\n"
      "<title>" +
      Shortened(title, kModernTitleLength - of.size()) + of + "</title>\n";
  out += "<link rel=\"stylesheet\" href=\"./" + std::string(kModernStyleSheet) + "\">\n";
  // The viewer goes on from a page's last picture to the next page's first, and back.
  if (page > 0) out += "<link rel=\"prev\" href=\"./" + PageName(page - 1) + "\">\n";
  if (page + 1 < pages) out += "<link rel=\"next\" href=\"./" + PageName(page + 1) + "\">\n";
  out += "<script src=\"./" + std::string(kModernScript) + "\" defer></script>\n";
  out += "</head>\n<body>\n<header>\n<h1>" + title + "</h1>\n";
  AppendNavigation(out, page, pages, "Pages");
  out += "</header>\n<main>\n";
}

void AppendPicture(std::string& out, const Placed& placed, bool lazy) {
  const ModernPicture& picture = *placed.picture;
  const std::string folder = placed.set->folder.empty() ? "" : placed.set->folder + "/";
  const std::string album = ModernLink(folder + picture.name);
  const bool screen = picture.screen_width > 0 && picture.screen_height > 0;
  const std::string large = screen ? ModernLink(folder + "640/" + picture.name) : album;
  out += "<li><a id=\"p" + std::to_string(placed.number) + "\" href=\"" + large + "\"><img src=\"" +
         album + "\"";
  if (screen) out += " srcset=\"" + large + " 2x\"";
  out += " width=\"" + std::to_string(picture.width) + "\" height=\"" +
         std::to_string(picture.height) + "\" alt=\"" + ModernText(AltText(picture)) + "\"";
  if (lazy) out += " loading=\"lazy\"";
  out += "></a></li>\n";
}

void AppendFooter(std::string& out, const ModernAlbum& album, int year, int page, int pages) {
  out += "</main>\n<footer>\n";
  AppendNavigation(out, page, pages, "Pages, again");
  const std::string holder = Typed(album.copyright);
  const std::string link = Typed(album.copyright_link);
  out += "<p>\xC2\xA9 " + std::to_string(year);
  if (!link.empty()) {
    out += " <a href=\"" + link + "\">" + (holder.empty() ? link : holder) + "</a>";
  } else if (!holder.empty()) {
    out += " " + holder;
  }
  out += ". All rights reserved.</p>\n<p>Made with Snapnook</p>\n</footer>\n</body>\n</html>\n";
}

}  // namespace

std::vector<ModernPage> ModernPages(const ModernAlbum& album, int year) {
  std::vector<Placed> placed;
  for (const ModernSet& set : album.sets) {
    for (const ModernPicture& picture : set.pictures) {
      placed.push_back({&set, &picture, static_cast<int>(placed.size()) + 1});
    }
  }
  const int count = static_cast<int>(placed.size());
  const int pages = std::max(1, (count + kModernPicturesPerPage - 1) / kModernPicturesPerPage);
  const std::string typed_title = Typed(album.title);
  const std::string title = typed_title.empty() ? "Photo album" : typed_title;

  std::vector<ModernPage> result;
  for (int page = 0; page < pages; ++page) {
    std::string out;
    AppendHead(out, title, page, pages);
    const int first = page * kModernPicturesPerPage;
    const int end = std::min(count, first + kModernPicturesPerPage);
    if (count == 0) out += "<p>This album has no pictures yet.</p>\n";
    for (int i = first; i < end; ++i) {
      // Each set is a section; one continued from the page before is headed again.
      if (i == first || placed[i].set != placed[i - 1].set) {
        if (i != first) out += "</ul>\n</section>\n";
        const std::string& folder = placed[i].set->folder;
        out += "<section>\n<h2>" + ModernText(folder.empty() ? "Pictures" : folder) +
               "</h2>\n<ul class=\"grid\">\n";
      }
      AppendPicture(out, placed[i], i - first >= kModernEagerPictures);
    }
    if (end > first) out += "</ul>\n</section>\n";
    AppendFooter(out, album, year, page, pages);
    result.push_back({PageName(page), std::move(out)});
  }
  return result;
}

std::vector<std::string> WriteModernPages(Session& session, const ModernAlbum& album) {
  const std::string& folder = session.state.SourceFolder;
  std::vector<std::string> names = {kModernStyleSheet, kModernScript};
  for (const ModernPage& page : ModernPages(album, CurrentYear(session))) {
    names.push_back(page.name);
    const auto* bytes = reinterpret_cast<const unsigned char*>(page.bytes.data());
    session.Files().WriteFile(folder + "/" + page.name, std::span(bytes, page.bytes.size()),
                              Origin::Of(Origin::Role::kPage));
  }
  const std::optional<std::string> from = FindDefaultFolder(session, kModernStyleSheet);
  if (!from) {
    throw SnapError(kErrFileNotFound, "File not found: " + std::string(kModernStyleSheet) +
                                          " (in no default folder)");
  }
  for (const char* file : {kModernStyleSheet, kModernScript}) {
    session.Files().CopyFile(*from + "/" + file, folder + "/" + file,
                             Origin::Of(Origin::Role::kViewer));
  }
  return names;
}

}  // namespace snapnook
