// The walk of the source folder tree.
#pragma once

#include <string>
#include <vector>

#include "core/file_system.h"
#include "core/session.h"

namespace snapnook {

/// The per-picture steps the walk hands pictures to.
class PictureSteps {
 public:
  virtual ~PictureSteps() = default;
  /// A picture of a `BIG` folder, in a derive pass. `big_folder` ends with "/".
  virtual void DerivePictures(const std::string& big_folder, const std::string& file) = 0;
  /// A picture lying directly in a set folder, in an HTML pass. `set_folder` ends with "/".
  virtual void WritePictureCells(const std::string& set_folder, const std::string& file,
                                 const std::string& viewer_folder) = 0;
  /// The pictures of a `BIG` folder, listed before the first of them is handed to
  /// DerivePictures, so that work on them may start ahead of the walk. Called only in a pass
  /// that is not the counting pass.
  virtual void BigFolderListed(const std::string& big_folder,
                               const std::vector<std::string>& files) {
    (void)big_folder;
    (void)files;
  }
  /// The walk of `big_folder` ended, normally or through its error trap; nothing more of it
  /// will be asked for.
  virtual void BigFolderDone(const std::string& big_folder) { (void)big_folder; }
};

/// Steps that do nothing: for the counting pass, which hands no picture on.
class NoPictureSteps : public PictureSteps {
 public:
  void DerivePictures(const std::string&, const std::string&) override {}
  void WritePictureCells(const std::string&, const std::string&, const std::string&) override {}
};

/// Visits `folder` and, depth first, every folder below it. Appends "/" to `folder` when it
/// has none. For each folder: lists its entries (creating `640`, `640/sideways` and `Thumb` in
/// every set folder found among them), then hands its pictures to `steps` as the folder's kind
/// and the window's check boxes say, then walks its subfolders. Lets the event loop run once
/// per entry and once per picture.
///
/// Failures of any kind go to the walk's trap: the "Unexpected Error" message (the failure
/// as a numbered error naming the file or folder being worked on), then the walk of that
/// folder ends and its caller carries on. A folder that is one of its own ancestors (through a
/// link) is not entered. Throws nothing but RunInterrupted.
void WalkFolder(Session& session, PictureSteps& steps, std::string& folder,
                const std::string& pattern);

/// The pictures an HTML pass over `folder` would hand to WritePictureCells: those matching
/// `pattern` that lie directly in set folders, found by the same walk (same order, same cycle
/// guard, one turn of the event loop per entry and picture). Creates nothing and shows
/// nothing; a folder that cannot be walked counts what was found before the failure, as the
/// pass would write it.
int CountAlbumPictures(Session& session, const std::string& folder, const std::string& pattern);

}  // namespace snapnook
