#include "pictures/derive_pictures.h"

#include <thread>

#include "core/error.h"
#include "core/traps.h"
#include "pictures/derive_pool.h"

namespace snapnook {
namespace {

// The set folder of a `BIG` folder path (ending with "/"): the folder that holds it, with "/".
std::string SetFolderOf(const std::string& big_folder) {
  const size_t slash = big_folder.find_last_of('/', big_folder.size() - 2);
  return slash == std::string::npos ? std::string() : big_folder.substr(0, slash + 1);
}

int WorkerCount(int jobs) {
  if (jobs > 0) return jobs;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

}  // namespace

PictureDeriver::PictureDeriver(Session& session) : session_(session) {
  // Asked for exactly one job, each picture is made at its turn on the walk's own thread.
  // Otherwise pictures are made on worker threads, even on one core, so that the walk's thread
  // (the window's) only commits results and keeps handling events while it waits.
  if (session.jobs != 1) {
    const int workers = WorkerCount(session.jobs);
    // No thread to spare (a memory limit, a process limit): every picture is made at its turn.
    PassOver([&] { pool_ = std::make_unique<DerivePool>(session.fs, workers, 2 * workers); });
  }
}

PictureDeriver::~PictureDeriver() = default;

void PictureDeriver::BigFolderListed(const std::string& big_folder,
                                     const std::vector<std::string>& files) {
  // Start on the folder's pictures now only when they are going to be derived, and never on
  // pictures whose copies would go into a folder of originals.
  if (pool_ && session_.window.IsChecked(CheckBox::kCreateJpg) &&
      !session_.fs.HoldsOriginals(SetFolderOf(big_folder))) {
    pool_->Submit(big_folder, files, session_.window.IsChecked(CheckBox::kCreate640));
  }
}

void PictureDeriver::BigFolderDone(const std::string& big_folder) {
  if (pool_) pool_->Drop(big_folder);
}

void PictureDeriver::DerivePictures(const std::string& big_folder, const std::string& file) {
  const std::string set_folder = SetFolderOf(big_folder);
  // The copies go into the folder above. Writing refuses a folder of originals; refusing
  // before the picture is decoded saves the work.
  session_.fs.GuardOriginals(set_folder);

  // The box as it is now decides, whatever it was when the picture was started.
  const bool make_640 = session_.window.IsChecked(CheckBox::kCreate640);
  PreparedPicture prepared =
      pool_ ? pool_->Take(big_folder, file, make_640, [this] { session_.window.DoEvents(); })
            : PreparePicture(session_.fs, big_folder, file, make_640);
  if (prepared.error) std::rethrow_exception(prepared.error);

  const DerivedImages& images = prepared.images;
  FileSystem& fs = session_.fs;
  fs.WriteFile(set_folder + file, images.album);
  fs.WriteFile(set_folder + "Thumb/" + file, images.thumbnail);
  if (make_640) {
    fs.WriteFile(set_folder + "640/" + file, images.screen);
    if (prepared.portrait) {
      if (images.sideways_error) throw *images.sideways_error;
      fs.WriteFile(set_folder + "640/sideways/" + file, images.sideways_screen);
    }
  }

  // The window shows the picture worked on (as its largest copy) and the copy saved last.
  const std::vector<unsigned char>& largest = make_640 ? images.screen : images.album;
  const std::vector<unsigned char>& last_saved = !images.sideways_screen.empty()
                                                     ? images.sideways_screen
                                                 : make_640 ? images.screen
                                                            : images.thumbnail;
  session_.window.ShowPictures(largest, last_saved);
}

}  // namespace snapnook
