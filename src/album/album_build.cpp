#include "album/album_build.h"

#include <string>

#include "core/config.h"
#include "core/traps.h"
#include "pictures/derive_pictures.h"
#include "pictures/walk.h"

namespace snapnook {
namespace {

// Hands the walk's pictures to the derive step.
class AlbumSteps : public PictureSteps {
 public:
  explicit AlbumSteps(Session& session) : deriver_(session) {}

  void DerivePictures(const std::string& big_folder, const std::string& file) override {
    deriver_.DerivePictures(big_folder, file);
  }
  void WritePictureCells(const std::string&, const std::string&, const std::string&) override {}
  void BigFolderListed(const std::string& big_folder,
                       const std::vector<std::string>& files) override {
    deriver_.BigFolderListed(big_folder, files);
  }
  void BigFolderDone(const std::string& big_folder) override { deriver_.BigFolderDone(big_folder); }

 private:
  PictureDeriver deriver_;
};

}  // namespace

void BuildAlbum(Session& session) {
  RunState& state = session.state;
  state.PicturesOnPage = 0;
  state.PageNumber = 0;
  state.RowOnPage = 0;
  state.AlbumTitle = session.window.Title();
  state.SourceFolder = session.window.SourceDir();
  std::string walk_folder = state.SourceFolder;

  AlbumSteps steps(session);
  // The walk runs only when the source folder can be listed.
  if (PassOver([&] { session.fs.ListEntries(walk_folder); })) {
    WalkFolder(session, steps, walk_folder, std::string(kPicturePattern));
  }
}

}  // namespace snapnook
