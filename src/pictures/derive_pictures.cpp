#include "pictures/derive_pictures.h"

#include <limits>
#include <thread>

#include "core/error.h"
#include "core/traps.h"
#include "pictures/derive_pool.h"
#include "pictures/imaging.h"
#include "pictures/set_layout.h"

namespace snapnook {
namespace {

// What a check does instead of making the copies: reads the picture and decodes it whole
// (its sideways picture too, when the run would), so that it fails as the run would.
Preparer CheckPreparer(const DeriveSettings& settings) {
  return [settings](SharedReads& fs, const BigFolder& big, const std::string& file, bool make_640) {
    const std::uint64_t most = settings.memory_budget > 0
                                   ? settings.memory_budget
                                   : std::numeric_limits<std::uint64_t>::max();
    const auto decode = [&](const std::string& path) {
      DeriveInput input;
      input.path = path;
      input.bytes = fs.ReadFileWithin(path, most);
      input.fitting = settings.fitting;
      input.memory_budget = settings.memory_budget;
      TestDecode(input);
    };
    PreparedPicture checked;
    try {
      checked.sources = SourcesOf(fs, big.path, file, big.sideways, "");
      decode(big.path + file);
      checked.portrait = checked.sources.sideways.has_value();
      if (checked.portrait && make_640) {
        const std::string& sideways = *checked.sources.sideways;
        try {
          decode(sideways);
        } catch (...) {
          checked.images.sideways_error = CurrentFailure(sideways);
        }
      }
    } catch (...) {
      checked.error = std::current_exception();
    }
    return checked;
  };
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
  const RunOptions& options = session.options;
  DeriveSettings settings;
  settings.fitting = !options.modern ? Fitting::kStretch
                     : options.fit   ? Fitting::kFit
                                     : Fitting::kFill;
  settings.memory_budget = DefaultMemoryBudget(session.jobs);
  prepare_ = options.check ? CheckPreparer(settings) : PreparerFor(settings);
  // Asked for exactly one job, each picture is made at its turn on the walk's own thread.
  // Otherwise pictures are made on worker threads, even on one core, so that the walk's thread
  // (the window's) only commits results and keeps handling events while it waits.
  if (session.jobs != 1) {
    const int workers = WorkerCount(session.jobs);
    // No thread to spare (a memory limit, a process limit): every picture is made at its turn.
    PassOver([&] {
      pool_ = std::make_unique<DerivePool>(session.fs.Shared(), workers, 2 * workers, prepare_);
    });
  }
}

PictureDeriver::~PictureDeriver() = default;

PictureDeriver::FolderFacts& PictureDeriver::FactsOf(const std::string& big_folder) {
  if (facts_.folder != big_folder) {
    facts_ = FolderFacts{};
    facts_.folder = big_folder;
    facts_.holds_originals = session_.Files().HoldsOriginals(SetFolderOf(big_folder));
    facts_.sideways = SidewaysFolderOf(session_.fs, big_folder);
  }
  return facts_;
}

PictureSources PictureDeriver::SourcesNow(const std::string& big_folder, const std::string& file) {
  return SourcesOf(session_.fs, big_folder, file, FactsOf(big_folder).sideways,
                   CopiesShapedBy(session_.options));
}

bool PictureDeriver::CopiesAreUpToDate(const std::string& big_folder, const std::string& file,
                                       bool make_640) {
  const PictureSources sources = SourcesNow(big_folder, file);
  const bool sideways = sources.sideways.has_value();
  // The boxes' turn does not change where the copies go; the record says what they were.
  for (const CopyPlace& copy :
       CopiesOf(big_folder, file, make_640, sideways, sideways, session_.options.modern)) {
    if (!CopyIsUpToDate(session_.Files(), copy, sources)) return false;
  }
  return true;
}

bool PictureDeriver::TakesCopyName(const std::string& big_folder, const std::string& file) {
  return FactsOf(big_folder).copy_names.insert(CopyKey(file, session_.options.modern)).second;
}

void PictureDeriver::BigFolderListed(const std::string& big_folder,
                                     const std::vector<std::string>& files) {
  if (!session_.window.IsChecked(CheckBox::kCreateJpg)) return;
  FolderFacts& facts = FactsOf(big_folder);
  facts.make_640 = session_.window.IsChecked(CheckBox::kCreate640);
  std::vector<std::string> stale;
  std::set<std::string> names;  // two pictures of one copy name: the second is not made
  for (const std::string& file : files) {
    if (!names.insert(CopyKey(file, session_.options.modern)).second) continue;
    if (session_.options.update && CopiesAreUpToDate(big_folder, file, facts.make_640)) {
      facts.up_to_date.insert(file);
    } else {
      stale.push_back(file);
    }
  }
  // Start on the pictures that are going to be made now, never on pictures whose copies
  // would go into a folder of originals.
  if (pool_ && !facts.holds_originals)
    pool_->Submit({big_folder, facts.sideways}, stale, facts.make_640);
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
  return CopiesAreUpToDate(big_folder, file, make_640);
}

void PictureDeriver::DerivePictures(const std::string& big_folder, const std::string& file) {
  const RunOptions& options = session_.options;
  if (!options.check && !options.modern) {
    Derive(big_folder, file);
    return;
  }
  // The modern album goes on with the folder's next picture after a failure. So does a check,
  // so that it finds every picture a run would stop at; of a classic album it tells them apart
  // from the failure a run shows.
  FolderFacts& facts = FactsOf(big_folder);
  const std::optional<std::string> stopped = options.modern ? std::nullopt : facts.stopped_at;
  try {
    Derive(big_folder, file);
    if (stopped) {
      session_.window.Report("Not made by a run, which stops at " + *stopped + ": " + big_folder +
                             file);
    }
  } catch (...) {
    const SnapError error = CurrentFailure(big_folder + file);
    if (!stopped) {
      FactsOf(big_folder).stopped_at = big_folder + file;
      PassOver([&] { ShowUnexpectedError(session_, error); });
    } else {
      ++session_.tally.errors;
      session_.window.Report("Behind the error a run stops at (" + *stopped +
                             "): " + WalkErrorText(error));
    }
  }
}

void PictureDeriver::Derive(const std::string& big_folder, const std::string& file) {
  AlbumFiles& files = session_.Files();
  const bool modern = session_.options.modern;
  const std::string set_folder = SetFolderOf(big_folder);
  // Two pictures whose copies would have one name: the first in natural order is made.
  if (!TakesCopyName(big_folder, file)) {
    throw SnapError(kErrFileExists,
                    "File already exists: " + set_folder + CopyNameOf(file, modern));
  }
  // The copies go into the folder above. Writing refuses a folder of originals; refusing
  // before the picture is decoded saves the work.
  if (FactsOf(big_folder).holds_originals) files.GuardOriginals(set_folder);

  // The box as it is now decides, whatever it was when the picture was started.
  const bool make_640 = session_.window.IsChecked(CheckBox::kCreate640);
  if (UpToDate(big_folder, file, make_640)) {
    ++session_.tally.up_to_date;
    return;
  }
  const BigFolder big{big_folder, FactsOf(big_folder).sideways};
  PreparedPicture prepared =
      pool_ ? pool_->Take(big, file, make_640, [this] { session_.window.DoEvents(); })
            : prepare_(session_.fs.Shared(), big, file, make_640);
  // A stop asked for during a long decode counts from the moment it returns.
  session_.window.DoEvents();
  if (prepared.error) std::rethrow_exception(prepared.error);

  PictureSources& sources = prepared.sources;
  sources.options = CopiesShapedBy(session_.options);
  const DerivedImages& images = prepared.images;
  const bool turned = modern && !session_.options.check ? images.portrait : prepared.portrait;
  const std::vector<CopyPlace> copies =
      CopiesOf(big_folder, file, make_640, turned, prepared.portrait, modern);
  // A picture whose copies cannot all be written writes none: a folder that is missing (a BIG
  // folder outside a set folder has no Thumb beside it), outside the album or of originals
  // fails before the first copy, as its write would.
  for (const CopyPlace& copy : copies) files.CheckWritable(copy.path);
  if (session_.options.check) {
    // Nothing is made: each copy is written as the room it would take, which the check's file
    // system counts and lets fail where the run's writes would.
    static const std::vector<unsigned char> room(EstimatedBytes(kScreenWidth, kScreenHeight));
    for (const CopyPlace& copy : copies) {
      if (copy.role == Origin::Role::kSidewaysScreen && images.sideways_error) {
        throw *images.sideways_error;
      }
      files.WriteFile(copy.path,
                      std::span(room).first(EstimatedBytes(copy.box_width, copy.box_height)));
    }
    return;
  }
  for (const CopyPlace& copy : copies) {
    const std::vector<unsigned char>* bytes = &images.album;
    DerivedImages::Size size = images.album_size;
    switch (copy.role) {
      case Origin::Role::kThumbnail:
        bytes = &images.thumbnail;
        size = images.thumbnail_size;
        break;
      case Origin::Role::kScreen:
        bytes = &images.screen;
        size = images.screen_size;
        break;
      case Origin::Role::kSidewaysScreen:
        if (images.sideways_error) throw *images.sideways_error;
        bytes = &images.sideways_screen;
        size = images.sideways_screen_size;
        break;
      default:
        break;
    }
    Origin origin = OriginOf(files, copy, sources);
    origin.width = size.width > 0 ? size.width : copy.box_width;
    origin.height = size.height > 0 ? size.height : copy.box_height;
    origin.caption = images.caption;
    files.WriteFile(copy.path, *bytes, std::move(origin));
  }
  ++session_.tally.made;

  // The window shows the picture worked on (as its largest copy) and the copy saved last.
  const std::vector<unsigned char>& largest = make_640 ? images.screen : images.album;
  const std::vector<unsigned char>& last_saved = !images.sideways_screen.empty()
                                                     ? images.sideways_screen
                                                 : make_640 ? images.screen
                                                            : images.thumbnail;
  session_.window.ShowPictures(largest, last_saved);
}

}  // namespace snapnook
