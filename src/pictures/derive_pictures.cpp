#include "pictures/derive_pictures.h"

#include "core/error.h"
#include "core/folder_lookup.h"
#include "pictures/folder_kinds.h"
#include "pictures/imaging.h"

namespace snapnook {
namespace {

constexpr std::string_view kSideways = "sideways";

// The set folder of a `BIG` folder path: the path without its last four characters ("BIG/").
std::string SetFolderOf(const std::string& big_folder) {
  return big_folder.size() >= 4 ? big_folder.substr(0, big_folder.size() - 4) : std::string();
}

}  // namespace

PictureDeriver::PictureDeriver(Session& session) : session_(session) {}
PictureDeriver::~PictureDeriver() = default;

void PictureDeriver::BigFolderListed(const std::string&, const std::vector<std::string>&) {}
void PictureDeriver::BigFolderDone(const std::string&) {}

void PictureDeriver::DerivePictures(const std::string& big_folder, const std::string& file) {
  FileSystem& fs = session_.fs;
  const std::string set_folder = SetFolderOf(big_folder);
  // The copies go into the folder above; that must never be a folder of originals itself.
  if (IsBigFolder(set_folder)) {
    throw SnapError(kErrPermissionDenied,
                    "Permission denied: " + set_folder + " is an original picture folder");
  }

  DeriveInput input;
  input.path = big_folder + file;
  input.bytes = fs.ReadFile(input.path);
  input.make_640 = session_.window.IsChecked(CheckBox::kCreate640);

  // Portrait when a same-named file lies in the `sideways` folder; a failing lookup means
  // landscape.
  if (const auto sideways = FindFolderIgnoringCase(fs, big_folder, std::string(kSideways))) {
    const std::string path = big_folder + *sideways + "/" + file;
    input.portrait = fs.IsFile(path);
    if (input.portrait && input.make_640) {
      input.sideways_path = path;
      try {
        input.sideways_bytes = fs.ReadFile(path);
      } catch (const SnapError& error) {
        input.sideways_read_error = error;
      }
    }
  }

  const DerivedImages images = MakeDerivedImages(input);

  fs.WriteFile(set_folder + file, images.album);
  fs.WriteFile(set_folder + "Thumb/" + file, images.thumbnail);
  if (input.make_640) {
    fs.WriteFile(set_folder + "640/" + file, images.screen);
    if (input.portrait) {
      if (images.sideways_error) throw *images.sideways_error;
      fs.WriteFile(set_folder + "640/sideways/" + file, images.sideways_screen);
    }
  }
  // The window shows the picture worked on (as its largest copy) and the copy saved last.
  const std::vector<unsigned char>& largest = input.make_640 ? images.screen : images.album;
  const std::vector<unsigned char>& last_saved = !images.sideways_screen.empty()
                                                     ? images.sideways_screen
                                                 : input.make_640 ? images.screen
                                                                  : images.thumbnail;
  session_.window.ShowPictures(largest, last_saved);
}

}  // namespace snapnook
