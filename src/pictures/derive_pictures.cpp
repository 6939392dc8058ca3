#include "pictures/derive_pictures.h"

#include <thread>

#include "core/error.h"
#include "core/traps.h"
#include "pictures/copies.h"
#include "pictures/derive_pool.h"
#include "pictures/imaging.h"

namespace snapnook {
namespace {

// What a check does instead of making the copies: reads the picture and decodes it whole
// (its sideways picture too, when the run would), so that it fails as the run would.
PreparedPicture CheckPicture(FileSystem& fs, const std::string& big_folder, const std::string& file,
                             bool make_640) {
  PreparedPicture checked;
  try {
    TestDecode(fs.ReadFile(big_folder + file), big_folder + file);
    const auto sideways = SidewaysPathOf(fs, big_folder, file);
    checked.portrait = sideways && fs.IsFile(*sideways);
    if (checked.portrait && make_640) {
      try {
        TestDecode(fs.ReadFile(*sideways), *sideways);
      } catch (...) {
        checked.images.sideways_error = CurrentFailure(*sideways);
      }
    }
  } catch (...) {
    checked.error = std::current_exception();
  }
  return checked;
}

// About what a copy of `pixels` pixels takes on disk, for a check's estimate of the space a
// run needs: a quality-92 JPEG of a photograph holds about 3 bits a pixel, plus its headers.
size_t EstimatedBytes(int width, int height) {
  return 700 + static_cast<size_t>(width) * height * 3 / 8;
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
    const Preparer prepare = session.options.check ? Preparer(CheckPicture) : PreparePicture;
    PassOver(
        [&] { pool_ = std::make_unique<DerivePool>(session.fs, workers, 2 * workers, prepare); });
  }
}

PictureDeriver::~PictureDeriver() = default;

void PictureDeriver::BigFolderListed(const std::string& big_folder,
                                     const std::vector<std::string>& files) {
  // Start on the folder's pictures now only when they are going to be derived, and never on
  // pictures whose copies would go into a folder of originals.
  if (!pool_ || !session_.window.IsChecked(CheckBox::kCreateJpg) ||
      session_.fs.HoldsOriginals(SetFolderOf(big_folder))) {
    return;
  }
  const bool make_640 = session_.window.IsChecked(CheckBox::kCreate640);
  std::vector<std::string> stale;
  for (const std::string& file : files) {
    if (!UpToDate(big_folder, file, make_640)) stale.push_back(file);
  }
  pool_->Submit(big_folder, stale, make_640);
}

void PictureDeriver::BigFolderDone(const std::string& big_folder) {
  if (pool_) pool_->Drop(big_folder);
}

bool PictureDeriver::UpToDate(const std::string& big_folder, const std::string& file,
                              bool make_640) {
  return session_.options.update && CopiesAreUpToDate(session_.fs, big_folder, file, make_640);
}

void PictureDeriver::DerivePictures(const std::string& big_folder, const std::string& file) {
  if (!session_.options.check) {
    Derive(big_folder, file);
    return;
  }
  // A check goes on with the folder's next picture after a failure, so that one check finds
  // every picture a run would stop at.
  try {
    Derive(big_folder, file);
  } catch (...) {
    const SnapError error = CurrentFailure(big_folder + file);
    PassOver([&] { ShowUnexpectedError(session_.window, error); });
  }
}

void PictureDeriver::Derive(const std::string& big_folder, const std::string& file) {
  const std::string set_folder = SetFolderOf(big_folder);
  // The copies go into the folder above. Writing refuses a folder of originals; refusing
  // before the picture is decoded saves the work.
  session_.fs.GuardOriginals(set_folder);

  // The box as it is now decides, whatever it was when the picture was started.
  const bool make_640 = session_.window.IsChecked(CheckBox::kCreate640);
  if (UpToDate(big_folder, file, make_640)) return;
  const Preparer prepare = session_.options.check ? Preparer(CheckPicture) : PreparePicture;
  PreparedPicture prepared =
      pool_ ? pool_->Take(big_folder, file, make_640, [this] { session_.window.DoEvents(); })
            : prepare(session_.fs, big_folder, file, make_640);
  if (prepared.error) std::rethrow_exception(prepared.error);

  const std::vector<std::string> copies = CopiesOf(big_folder, file, make_640, prepared.portrait);
  const DerivedImages& images = prepared.images;
  FileSystem& fs = session_.fs;
  if (session_.options.check) {
    // Nothing is made: each copy is written as the room it would take, which the check's file
    // system counts and lets fail where the run's writes would.
    const size_t sizes[] = {
        EstimatedBytes(kAlbumWidth, kAlbumHeight), EstimatedBytes(kThumbWidth, kThumbHeight),
        EstimatedBytes(kScreenWidth, kScreenHeight), EstimatedBytes(kScreenWidth, kScreenHeight)};
    static const std::vector<unsigned char> room(sizes[2]);
    for (size_t i = 0; i < copies.size(); ++i) {
      if (i == 3 && images.sideways_error) throw *images.sideways_error;
      fs.WriteFile(copies[i], std::span(room).first(sizes[i]));
    }
    return;
  }
  fs.WriteFile(copies[0], images.album);
  fs.WriteFile(copies[1], images.thumbnail);
  if (make_640) {
    fs.WriteFile(copies[2], images.screen);
    if (prepared.portrait) {
      if (images.sideways_error) throw *images.sideways_error;
      fs.WriteFile(copies[3], images.sideways_screen);
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
