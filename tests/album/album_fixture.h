// What the album tests share: a source folder in a temporary tree, a scripted window, a file
// system that can be told to fail, and the expected page texts' common pieces.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "core/file_system.h"
#include "core/session.h"
#include "support/fake_window.h"
#include "support/temp_tree.h"

namespace snapnook::testing {

/// The real file system, except that making, writing or putting in place a file whose name
/// (the last part of its path) is listed fails with "Disk full".
class FaultyFileSystem : public RealFileSystem {
 public:
  std::set<std::string> fail_create;
  std::set<std::string> fail_write;
  std::set<std::string> fail_commit;

 protected:
  std::unique_ptr<OutputFile> DoCreateFile(const std::string& path) override;
};

/// The lines joined, each ended by CR LF, as the pages are written.
std::string Lines(std::initializer_list<std::string_view> lines);

/// A source folder `album` in a temporary tree, with a window showing it: title "Summer",
/// holder "Korvell", link "http://www.korvell.example", "Create JPGs" unticked, "Create
/// 640x480 files" and "Create HTML" ticked; the year is 2026.
class AlbumTest : public ::testing::Test {
 public:
  AlbumTest();

  /// Writes `count` album pictures IMG1.JPG .. into the set folder `set` (below the album).
  void AddPictures(const std::string& set, int count, int first = 1);
  /// Writes one album picture at `relative` (below the album).
  void AddPicture(const std::string& relative);
  /// Sets PageCount as the run driver would for `pictures` pictures.
  void SetPictureCount(int pictures);
  /// The content of a file below the album.
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  /// The part of a numbered page between the head's table line and "</table>": its rows.
  std::string RowsOf(const std::string& page) const;
  /// Whether any temporary file of an unfinished write is left anywhere in the tree.
  bool TemporaryFilesLeft() const;

  TempTree tree;
  FakeWindow window;
  FaultyFileSystem fs;
  MemorySettings settings;
  Session session;
  std::string album;  // the source folder's path
};

/// The viewer script every page starts with.
extern const std::string kViewerScript;
/// The lines of the head from the introduction's first line to the AOL note.
extern const std::string kIntroduction;
/// A footer's lines after the navigation bar, for 2026, Korvell and its web site.
extern const std::string kFooterEnd;

}  // namespace snapnook::testing
