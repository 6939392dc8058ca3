#include "run/album_build.h"

#include <string>

#include "album/index_redirect.h"
#include "album/page_files.h"
#include "album/page_footer.h"
#include "album/page_head.h"
#include "album/page_names.h"
#include "album/picture_cells.h"
#include "album/viewer_pages.h"
#include "album/web_path.h"
#include "core/config.h"
#include "core/traps.h"
#include "pictures/derive_pictures.h"
#include "pictures/walk.h"
#include "run/modern_album_build.h"

namespace snapnook {
namespace {

// Hands the walk's pictures to the derive step and, when this build writes pages, to the
// page writers.
class AlbumSteps : public PictureSteps {
 public:
  AlbumSteps(Session& session, PageFiles& pages)
      : session_(session), pages_(pages), deriver_(session) {}

  /// Set once the index and DjVu pages are open. Until then a picture has no page to go on,
  /// even if "Create HTML" is ticked during the walk; the next HTML pass writes it.
  bool writes_pages = false;

  void DerivePictures(const std::string& big_folder, const std::string& file) override {
    deriver_.DerivePictures(big_folder, file);
  }
  void WritePictureCells(const std::string& set_folder, const std::string& file,
                         const std::string& viewer_folder) override {
    if (writes_pages)
      snapnook::WritePictureCells(session_, pages_, set_folder, file, viewer_folder);
  }
  void BigFolderListed(const std::string& big_folder,
                       const std::vector<std::string>& files) override {
    deriver_.BigFolderListed(big_folder, files);
  }
  void BigFolderDone(const std::string& big_folder) override { deriver_.BigFolderDone(big_folder); }

 private:
  Session& session_;
  PageFiles& pages_;
  PictureDeriver deriver_;
};

// The end of the index and DjVu pages' tables: a spacer row as at a page turn, and an empty
// row.
void WriteClosingBlock(PageFiles& pages, PageFile which) {
  pages.WriteLine(which, "</tr>");
  pages.WriteLine(which, "<tr>");
  for (int i = 0; i < 19; ++i) pages.WriteLine(which, "\t<td>&nbsp;</td>");
  pages.WriteLine(which, "</tr>");
  pages.WriteLine(which, "<tr>");
  pages.WriteLine(which, "</table>");
}

// index.html, the viewer pages, and the index and DjVu pages with their heads. Throws
// SnapError when one of the pages cannot be written.
void StartPages(Session& session, PageFiles& pages) {
  const std::string& folder = session.state.SourceFolder;
  WriteIndexRedirect(session);
  CopyViewerPages(session);
  pages.Open(PageFile::kIndex, folder + kPathSeparator + "page00.htm");
  pages.Open(PageFile::kDjvu, folder + kPathSeparator + "page00a.htm");
  WritePageHead(session.state, pages, PageFile::kIndex);
  WritePageHead(session.state, pages, PageFile::kDjvu);
}

// The last numbered page's end (when the walk left one open), the closing rows and footers
// of the index and DjVu pages; every page is closed. A failing step is passed over, but a page
// that cannot be finished is not put in place, so the failure is shown, unless the page had
// already failed during the walk, whose trap showed it.
void FinishPages(Session& session, PageFiles& pages) {
  RunState& state = session.state;
  // The pages whose failure has been shown: those that failed in the walk, by its trap.
  bool shown[3];
  const auto slot = [](PageFile which) { return static_cast<int>(which) - 1; };
  for (PageFile which : {PageFile::kNumbered, PageFile::kIndex, PageFile::kDjvu}) {
    shown[slot(which)] = pages.HasFailed(which);
  }
  const auto step = [&](PageFile which, auto&& work) {
    try {
      work();
    } catch (...) {
      const SnapError error = CurrentFailure(pages.PathOf(which));
      if (shown[slot(which)]) return;
      shown[slot(which)] = true;
      PassOver([&] { ShowUnexpectedError(session, error); });
    }
  };
  step(PageFile::kNumbered, [&] {
    if (!pages.IsOpen(PageFile::kNumbered)) return;
    pages.WriteLine(PageFile::kNumbered, "</table>");
    WritePageFooter(session, pages, PageFile::kNumbered);
  });
  step(PageFile::kNumbered, [&] { pages.Close(PageFile::kNumbered); });
  step(PageFile::kIndex, [&] { WriteClosingBlock(pages, PageFile::kIndex); });
  step(PageFile::kDjvu, [&] { WriteClosingBlock(pages, PageFile::kDjvu); });
  // The index and DjVu pages' footers lead to page 1.
  state.PageNumber = 0;
  step(PageFile::kIndex, [&] { WritePageFooter(session, pages, PageFile::kIndex); });
  step(PageFile::kDjvu, [&] { WritePageFooter(session, pages, PageFile::kDjvu); });
  step(PageFile::kIndex, [&] { pages.Close(PageFile::kIndex); });
  step(PageFile::kDjvu, [&] { pages.Close(PageFile::kDjvu); });
}

}  // namespace

std::vector<std::string> BuildAlbum(Session& session) {
  RunState& state = session.state;
  state.PicturesOnPage = 0;
  state.PageNumber = 0;
  state.RowOnPage = 0;
  state.AlbumTitle = session.window.Title();
  state.SourceFolder = session.window.SourceDir();
  std::string walk_folder = state.SourceFolder;

  // The modern album's pages are made from its set folders once their pictures are made: a
  // pass that makes pictures writes none, and a pass that writes pages walks no pictures.
  const bool modern = session.options.modern;
  if (modern && !session.window.IsChecked(CheckBox::kCreateJpg)) {
    if (!session.window.IsChecked(CheckBox::kCreateHtml)) return {};
    return BuildModernAlbum(session);
  }

  PageFiles pages(session.Files());
  AlbumSteps steps(session, pages);
  if (!modern && session.window.IsChecked(CheckBox::kCreateHtml)) {
    // The pages count the pictures this pass writes cells for, whatever the counting pass
    // found in the BIG folders: no page links to a page that is not written.
    PassOver([&] {
      state.PageCount =
          PagesFor(CountAlbumPictures(session, walk_folder, std::string(kPicturePattern)));
    });
    // Without its fixed pages there is no album to write into; say why.
    if (!ShowOnFailure(session, state.SourceFolder, [&] { StartPages(session, pages); })) {
      pages.DropAll();
      return ClassicAlbumPages(state.PageCount.value());
    }
    steps.writes_pages = true;
  }

  // The walk runs only when the source folder can be listed; when it cannot, the album is
  // finished without pictures, and the user must know why.
  if (ShowOnFailure(session, walk_folder, [&] { session.fs.ListEntries(walk_folder); })) {
    WalkFolder(session, steps, walk_folder, std::string(kPicturePattern));
  }

  // The pages opened above are finished whatever "Create HTML" shows now: a page is either
  // whole or not written at all.
  if (steps.writes_pages) FinishPages(session, pages);
  return ClassicAlbumPages(state.PageCount.value());
}

}  // namespace snapnook
