// Derived pictures: the album picture, thumbnail and screen copies of one full-size picture.
#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/session.h"
#include "pictures/derive_pool.h"
#include "pictures/up_to_date.h"

namespace snapnook {

/// Makes the web-sized copies of the pictures of `BIG` folders and writes them into the set
/// folder above, in the walk's order, through the run's AlbumFiles (so the record learns what
/// each copy was made from). With more than one job (Session::jobs; 0 means one per core) the
/// pictures of a listed folder are made ahead on worker threads, while the files, messages
/// and window updates still happen at each picture's turn, exactly as one at a time.
class PictureDeriver {
 public:
  explicit PictureDeriver(Session& session);
  ~PictureDeriver();
  PictureDeriver(const PictureDeriver&) = delete;
  PictureDeriver& operator=(const PictureDeriver&) = delete;

  /// Writes, for the picture `file` of the `BIG` folder `big_folder` (ending with "/"), the
  /// album picture and the thumbnail and, when "Create 640x480 files" is ticked now, the
  /// screen copy and for a portrait picture the sideways screen copy. A picture is portrait
  /// when `BIG/sideways/file` is a file. Throws SnapError for the walk's trap; the outputs
  /// written before the failure stay.
  ///
  /// With the session's `update` option, a picture whose copies are all up to date (see
  /// CopyIsUpToDate) is left as it is. With `check`, the picture is only read and decoded
  /// whole, each copy is written as the room it would take (the check's file system keeps
  /// nothing), and a failure is told here, so that the walk goes on with the next picture: the
  /// first failure of a folder as the message a run shows, those behind it (which a run, stopped
  /// at the first, never reaches) as report lines, with the pictures a run would not make.
  void DerivePictures(const std::string& big_folder, const std::string& file);

  /// Hints that these pictures will be asked for, in this order (see PictureSteps).
  void BigFolderListed(const std::string& big_folder, const std::vector<std::string>& files);
  void BigFolderDone(const std::string& big_folder);

 private:
  // What is learnt of the BIG folder being walked once, when it is listed.
  struct FolderFacts {
    std::string folder;
    bool holds_originals = false;           // its copies would go into a folder of originals
    std::optional<std::string> sideways;    // its sideways folder, with "/"
    bool make_640 = false;                  // the box when the folder was listed
    std::set<std::string> up_to_date;       // with --update: pictures whose copies are
    std::optional<std::string> stopped_at;  // a check: the picture a run stops this folder at
    std::set<std::string> copy_names;       // the copy names taken, in capitals
  };
  FolderFacts& FactsOf(const std::string& big_folder);
  PictureSources SourcesNow(const std::string& big_folder, const std::string& file);
  bool CopiesAreUpToDate(const std::string& big_folder, const std::string& file, bool make_640);
  // Whether the picture's copy name is free in its BIG folder; it is taken from then on.
  bool TakesCopyName(const std::string& big_folder, const std::string& file);
  // Whether an --update run leaves the picture as it is.
  bool UpToDate(const std::string& big_folder, const std::string& file, bool make_640);
  void Derive(const std::string& big_folder, const std::string& file);

  FolderFacts facts_;

  Session& session_;
  Preparer prepare_;
  std::unique_ptr<DerivePool> pool_;
};

}  // namespace snapnook
