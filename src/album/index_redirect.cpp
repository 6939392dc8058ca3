#include "album/index_redirect.h"

#include <memory>
#include <string>

#include "album/page_footer.h"
#include "core/config.h"
#include "core/page_text.h"

namespace snapnook {

void WriteIndexRedirect(Session& session) {
  const std::string holder = TypedText(TrimBlanks(session.window.Copyright()));
  const std::string lines[] = {
      "<html>",
      "<head>",
      "<meta http-equiv=\"Content-Type\"",
      "content=\"text/html; charset=iso-8859-1\">",
      "<meta name=\"AUTHOR\" content=\"" + holder + "\">",
      "<meta name=\"FORMATTER\" content=\"Korvell Snapnook\">",
      "<meta name=\"GENERATOR\" content=\"Korvell Snapnook\">",
      "<title>" + holder + "</title>",
      "<meta HTTP-EQUIV=\"REFRESH\" content=\"1; url=page01.htm\">",
      "</head>",
      "<body bgcolor=\"#FFFFFF\">",
      "<p>Please wait to be redirected to the first page, or click <a "
      "href=\"page01.htm\">here.</a>.</p>",
      "<p>Created using <a href=\"" + std::string(kProductPage) + "\">Snapnook</a></p>",
      "</p>",
      "<p>&nbsp;</p>",
      "<p>&nbsp;</p>",
      "</body>",
      "</html>",
  };
  std::string text;
  for (const std::string& line : lines) text += PageText(line) + "\r\n";

  std::unique_ptr<OutputFile> file = session.Files().CreateFile(
      session.state.SourceFolder + "/index.html", Origin::Of(Origin::Role::kPage));
  file->Write(text);
  file->Commit();
}

}  // namespace snapnook
