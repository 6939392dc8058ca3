#include "pictures/derive_pictures.h"

#include <thread>

#include "core/error.h"
#include "core/folder_lookup.h"
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

const PictureDeriver::FolderFacts& PictureDeriver::FactsOf(const std::string& big_folder) {
  if (facts_.folder != big_folder) {
    facts_ = FolderFacts{};
    facts_.folder = big_folder;
    facts_.holds_originals = session_.fs.HoldsOriginals(SetFolderOf(big_folder));
    if (const auto turned = FindFolderIgnoringCase(session_.fs, big_folder, "sideways")) {
      facts_.sideways = big_folder + *turned + "/";
    }
  }
  return facts_;
}

void PictureDeriver::BigFolderListed(const std::string& big_folder,
                                     const std::vector<std::string>& files) {
  if (!session_.window.IsChecked(CheckBox::kCreateJpg)) return;
  const FolderFacts& facts = FactsOf(big_folder);
  facts_.make_640 = session_.window.IsChecked(CheckBox::kCreate640);
  std::vector<std::string> stale;
  for (const std::string& file : files) {
    if (session_.options.update &&
        CopiesAreUpToDate(session_.fs, big_folder, file, facts.make_640, facts.sideways)) {
      facts_.up_to_date.insert(file);
    } else {
      stale.push_back(file);
    }
  }
  // Start on the pictures that are going to be made now, never on pictures whose copies
  // would go into a folder of originals.
  if (pool_ && !facts.holds_originals) pool_->Submit(big_folder, stale, facts.make_640);
}

void PictureDeriver::BigFolderDone(const std::string& big_folder) {
  if (pool_) pool_->Drop(big_folder);
  if (facts_.folder == big_folder) facts_ = FolderFacts{};
}

bool PictureDeriver::UpToDate(const std::string& big_folder, const std::string& file,
                              bool make_640) {
  if (!session_.options.update) return false;
  const FolderFacts& facts = FactsOf(big_folder);
  // As found when the folder was listed, unless the box changed since.
  if (facts.make_640 == make_640 && facts.up_to_date.contains(file)) return true;
  return CopiesAreUpToDate(session_.fs, big_folder, file, make_640, facts.sideways);
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
  if (FactsOf(big_folder).holds_originals) session_.fs.GuardOriginals(set_folder);

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
