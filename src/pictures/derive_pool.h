// Deriving pictures ahead of the walk, on worker threads.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/file_system.h"
#include "pictures/imaging.h"
#include "pictures/up_to_date.h"

namespace snapnook {

/// What deriving one picture produced: the encoded copies, or the error reading or decoding
/// the picture raised, and the sources as they were before they were read. Nothing of it is on
/// disk yet.
struct PreparedPicture {
  bool portrait = false;  // it has a sideways picture (the turned boxes: images.portrait)
  PictureSources sources;
  DerivedImages images;
  std::exception_ptr error;
};

/// How a run makes its pictures (see DeriveInput).
struct DeriveSettings {
  Fitting fitting = Fitting::kStretch;  // the classic album, or the modern album's fill or fit
  std::uint64_t memory_budget = 0;      // 0: no limit
};

/// A BIG folder whose pictures are prepared: its path (ending with "/") and its sideways
/// folder (SidewaysFolderOf), looked up once for all its pictures.
struct BigFolder {
  std::string path;
  std::optional<std::string> sideways;
};

/// How a picture is prepared: PreparerFor's, or what a check does instead.
using Preparer = std::function<PreparedPicture(SharedReads& fs, const BigFolder& big,
                                               const std::string& file, bool make_640)>;

/// Makes pictures as `settings` say: reads the picture `file` of the `BIG` folder `big` and,
/// for a picture with a sideways picture, that one, and makes the
/// derived copies in memory; the modern album applies the EXIF orientation of a picture
/// without a sideways picture. A file larger than the memory budget is not read: error 7.
/// Reads files only; safe on any thread. Never throws: failures land in `error`.
Preparer PreparerFor(const DeriveSettings& settings);

/// Worker threads that prepare the pictures of a `BIG` folder in listing order, a bounded
/// number ahead of the walk, while the walk takes the results one by one in the same order.
///
/// One consumer: Submit, Take and Drop are called from one thread (the walk's), which takes
/// the pictures in the order it submitted them, passing some over if it must; the workers are
/// the pool's own. Construction starts the workers; when not one can be started it throws and
/// leaves nothing running.
class DerivePool {
 public:
  /// `threads` workers (at least 1); at most `ahead` pictures are prepared or being prepared
  /// but not yet taken, each by `prepare`, reading through `fs`.
  DerivePool(SharedReads& fs, int threads, size_t ahead, Preparer prepare);
  ~DerivePool();
  DerivePool(const DerivePool&) = delete;
  DerivePool& operator=(const DerivePool&) = delete;

  /// Queues the pictures of a folder, in the order the walk will take them.
  void Submit(const BigFolder& big, const std::vector<std::string>& files, bool make_640);

  /// The prepared picture, made with `make_640`. Takes the queued result, waiting for it
  /// (queued or being made) and calling `wait_turn` about every 10 ms meanwhile, and forgets
  /// the pictures queued before it, which the walk passed over; a picture not queued, or made
  /// with another `make_640`, is prepared here.
  PreparedPicture Take(const BigFolder& big, const std::string& file, bool make_640,
                       const std::function<void()>& wait_turn);

  /// Forgets the queued and finished pictures of a folder that the walk will not take.
  void Drop(const std::string& big_folder);

 private:
  struct Job;
  void Work();
  std::shared_ptr<Job> NextJobLocked();

  SharedReads& fs_;
  Preparer prepare_;
  size_t ahead_;
  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable job_done_;
  std::deque<std::shared_ptr<Job>> jobs_;  // in the walk's order
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace snapnook
