#include "album/navigation_bar.h"

#include <string>

#include "album/page_names.h"

namespace snapnook {

void WriteNavigationBar(const RunState& state, PageFiles& pages, PageFile which) {
  const int page = state.PageNumber;
  if (which == PageFile::kNumbered) {
    pages.WriteLine(which, "<p>[<a href=\"" + PageFileName(page - 1) +
                               "\">&lt;= Previous Page</a>] &nbsp;&nbsp; ");
  }
  if (which != PageFile::kIndex) {
    pages.WriteLine(which,
                    "[<a href=\"page01.htm\">Page 1</a>] &nbsp;&nbsp;[<a "
                    "href=\"page00.htm\">Index Page</a>] &nbsp;&nbsp;");
  }
  // The last numbered page has no next page; the index and DjVu pages lead to page 1.
  if (which != PageFile::kNumbered || page < state.PageCount) {
    pages.WriteLine(which, "[<a href=\"" + PageFileName(page + 1) + "\">Next Page =&gt;</a>] ");
  }
  pages.WriteLine(which, " </p>");
  pages.WriteLine(which, "<table border=\"0\">");
}

}  // namespace snapnook
