#include "album/page_footer.h"

#include <string>

#include "album/navigation_bar.h"
#include "core/config.h"
#include "core/page_text.h"

namespace snapnook {

std::string TrimBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

int CurrentYear(const Session& session) {
  return session.current_year ? session.current_year() : SystemYear();
}

void WritePageFooter(Session& session, PageFiles& pages, PageFile which) {
  WriteNavigationBar(session.state, pages, which);
  const auto line = [&](const std::string& text) { pages.WriteLine(which, text); };
  line("<p><a href=\"#00\">Top</a></p>");
  line("<p>All images/content <a href=\"../default/copyright.html\">copyright</a> " +
       std::to_string(CurrentYear(session)) + ", <a");
  line("href=\"" + TypedText(TrimBlanks(session.window.CopyrightLink())) + "\">" +
       TypedText(TrimBlanks(session.window.Copyright())) + "</a>. All rights");
  line("reserved.</p>");
  line("<p>Created using <a href=\"" + std::string(kProductPage) + "\">Snapnook</a></p>");
  for (int i = 0; i < 7; ++i) line("<p>&nbsp;</p>");
  line("</body>");
  line("</html>");
}

}  // namespace snapnook
