#include "album_fixture.h"

#include "core/error.h"
#include "core/file_system.h"
#include "support/test_pictures.h"

namespace snapnook::testing {
namespace {

std::string NameOf(const std::string& path) {
  return path.substr(path.find_last_of('/') + 1);
}

SnapError DiskFull(const std::string& path) {
  return SnapError(kErrDiskFull, "Disk full: " + path);
}

class FaultyOutputFile : public OutputFile {
 public:
  FaultyOutputFile(std::unique_ptr<OutputFile> real, bool fail_write, bool fail_commit)
      : real_(std::move(real)), fail_write_(fail_write), fail_commit_(fail_commit) {}
  void Write(std::string_view bytes) override {
    if (fail_write_) throw DiskFull(path());
    real_->Write(bytes);
  }
  void Commit() override {
    if (fail_commit_) throw DiskFull(path());
    real_->Commit();
  }
  const std::string& path() const override { return real_->path(); }

 private:
  std::unique_ptr<OutputFile> real_;
  bool fail_write_;
  bool fail_commit_;
};

}  // namespace

std::unique_ptr<OutputFile> FaultyFileSystem::DoCreateFile(const std::string& path) {
  const std::string name = NameOf(path);
  if (fail_create.contains(name)) throw DiskFull(path);
  return std::make_unique<FaultyOutputFile>(RealFileSystem::DoCreateFile(path),
                                            fail_write.contains(name), fail_commit.contains(name));
}

std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

AlbumTest::AlbumTest() : session(window, fs, settings) {
  tree.MakeDir("album");
  album = tree.Path("album");
  window.source_dir = album;
  window.title = "Summer";
  window.checked[CheckBox::kCreateJpg] = false;
  session.current_year = [] { return 2026; };
}

void AlbumTest::AddPictures(const std::string& set, int count, int first) {
  for (int i = first; i < first + count; ++i) AddPicture(set + "/IMG" + std::to_string(i) + ".JPG");
}

void AlbumTest::AddPicture(const std::string& relative) {
  const std::string path = "album/" + relative;
  tree.MakeDir(path.substr(0, path.find_last_of('/')));
  WriteTestJpeg(tree.Path(path), 12, 9);
}

void AlbumTest::SetPictureCount(int pictures) {
  session.state.PageCount = (pictures + 9) / 10;
}

std::string AlbumTest::Read(const std::string& relative) const {
  return tree.ReadFile("album/" + relative);
}

bool AlbumTest::Exists(const std::string& relative) const {
  return tree.Exists("album/" + relative);
}

std::string AlbumTest::RowsOf(const std::string& page) const {
  const std::string text = Read(page);
  const std::string open = "<table border=\"0\">\r\n";
  const size_t start = text.find(open);
  const size_t end = text.find("</table>\r\n", start);
  if (start == std::string::npos || end == std::string::npos) return "(no picture table)";
  return text.substr(start + open.size(), end - start - open.size());
}

bool AlbumTest::TemporaryFilesLeft() const {
  for (const std::string& file : tree.Files()) {
    if (IsTemporaryName(NameOf(file))) return true;
  }
  return false;
}

const std::string kViewerScript = Lines({
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
});

const std::string kIntroduction = Lines({
    "",
    "<p><strong>Click on any picture to enlarge it.</strong></p>",
    "",
    "<p><strong>Set your video display to support as many colors as",
    "possible. Click </strong><a href=\"../default/hires.htm\"><strong>here</strong></a><strong>",
    "for details.</strong></p>",
    "<p><a href=\"../default/aol.htm\">America Online users click here for",
    "instructions on viewing clearer pictures</a>.</p>",
});

const std::string kFooterEnd = Lines({
    "<p><a href=\"#00\">Top</a></p>",
    "<p>All images/content <a href=\"../default/copyright.html\">copyright</a> 2026, <a",
    "href=\"http://www.korvell.example\">Korvell</a>. All rights",
    "reserved.</p>",
    "<p>Created using <a href=\"http://www.korvell.example/snapnook\">Snapnook</a></p>",
    "<p>&nbsp;</p>",
    "<p>&nbsp;</p>",
    "<p>&nbsp;</p>",
    "<p>&nbsp;</p>",
    "<p>&nbsp;</p>",
    "<p>&nbsp;</p>",
    "<p>&nbsp;</p>",
    "</body>",
    "</html>",
});

}  // namespace snapnook::testing
