#include "pictures/derive_pool.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "core/error.h"
#include "pictures/set_layout.h"

namespace snapnook {

struct DerivePool::Job {
  enum class State { kQueued, kRunning, kDone };
  BigFolder big;
  std::string file;
  bool make_640 = false;
  State state = State::kQueued;
  PreparedPicture result;
};

namespace {

PreparedPicture Prepare(SharedReads& fs, const DeriveSettings& settings, const BigFolder& big,
                        const std::string& file, bool make_640) {
  // A file larger than the budget would exceed it before its header is read.
  const std::uint64_t most = settings.memory_budget > 0 ? settings.memory_budget
                                                        : std::numeric_limits<std::uint64_t>::max();
  PreparedPicture prepared;
  try {
    // What the copies are made from, as it is before it is read: a file that changes while
    // it is read is then made again by the next --update.
    prepared.sources = SourcesOf(fs, big.path, file, big.sideways, "");
    DeriveInput input;
    input.path = big.path + file;
    input.bytes = fs.ReadFileWithin(input.path, most);
    input.make_640 = make_640;
    input.fitting = settings.fitting;
    input.memory_budget = settings.memory_budget;
    // Portrait when a same-named file lies in the `sideways` folder; a failing lookup means
    // landscape.
    input.portrait = prepared.sources.sideways.has_value();
    if (input.portrait && make_640) {
      input.sideways_path = *prepared.sources.sideways;
      try {
        input.sideways_bytes = fs.ReadFileWithin(input.sideways_path, most);
      } catch (const SnapError& error) {
        input.sideways_read_error = error;
      }
    }
    // A picture with a sideways picture is upright already.
    input.apply_orientation = settings.fitting != Fitting::kStretch && !input.portrait;
    prepared.portrait = input.portrait;
    prepared.images = MakeDerivedImages(input);
  } catch (...) {
    prepared.error = std::current_exception();
  }
  return prepared;
}

}  // namespace

Preparer PreparerFor(const DeriveSettings& settings) {
  return [settings](SharedReads& fs, const BigFolder& big, const std::string& file, bool make_640) {
    return Prepare(fs, settings, big, file, make_640);
  };
}

DerivePool::DerivePool(SharedReads& fs, int threads, size_t ahead, Preparer prepare)
    : fs_(fs), prepare_(std::move(prepare)), ahead_(std::max<size_t>(1, ahead)) {
  try {
    for (int i = 0; i < std::max(1, threads); ++i) workers_.emplace_back([this] { Work(); });
  } catch (...) {
    // Fewer threads than asked for still make a pool; with none there is nothing to join.
    if (workers_.empty()) throw;
  }
}

DerivePool::~DerivePool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    jobs_.clear();
  }
  work_ready_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void DerivePool::Submit(const BigFolder& big, const std::vector<std::string>& files,
                        bool make_640) {
  {
    std::lock_guard lock(mutex_);
    for (const std::string& file : files) {
      auto job = std::make_shared<Job>();
      job->big = big;
      job->file = file;
      job->make_640 = make_640;
      jobs_.push_back(std::move(job));
    }
  }
  work_ready_.notify_all();
}

// The first queued job among the first `ahead_`; the rest wait so that memory stays bounded.
std::shared_ptr<DerivePool::Job> DerivePool::NextJobLocked() {
  const size_t window = std::min(ahead_, jobs_.size());
  for (size_t i = 0; i < window; ++i) {
    if (jobs_[i]->state == Job::State::kQueued) return jobs_[i];
  }
  return nullptr;
}

void DerivePool::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    std::shared_ptr<Job> job;
    work_ready_.wait(lock, [&] { return stopping_ || (job = NextJobLocked()) != nullptr; });
    if (stopping_) return;
    job->state = Job::State::kRunning;
    lock.unlock();
    PreparedPicture result = prepare_(fs_, job->big, job->file, job->make_640);
    lock.lock();
    job->result = std::move(result);
    job->state = Job::State::kDone;
    job_done_.notify_all();
  }
}

PreparedPicture DerivePool::Take(const BigFolder& big, const std::string& file, bool make_640,
                                 const std::function<void()>& wait_turn) {
  std::unique_lock lock(mutex_);
  // The walk takes pictures in the order it queued them, but may pass some over (a box
  // unticked during the walk): those ahead of this one will never be taken.
  const auto queued = std::find_if(jobs_.begin(), jobs_.end(), [&](const auto& job) {
    return job->big.path == big.path && job->file == file;
  });
  if (queued == jobs_.end()) {
    lock.unlock();
    return prepare_(fs_, big, file, make_640);
  }
  jobs_.erase(jobs_.begin(), queued);
  work_ready_.notify_all();
  std::shared_ptr<Job> job = jobs_.front();
  // Still queued, it is the first a free worker takes; the caller waits for it like for a
  // running one, so that its thread stays free for events.
  while (job->state != Job::State::kDone) {
    if (job_done_.wait_for(lock, std::chrono::milliseconds(10)) == std::cv_status::timeout &&
        job->state != Job::State::kDone && wait_turn) {
      lock.unlock();
      wait_turn();  // keeps the window alive while the picture is being made
      lock.lock();
    }
  }
  jobs_.pop_front();
  work_ready_.notify_all();  // one more may start now
  lock.unlock();
  if (job->make_640 != make_640) return prepare_(fs_, big, file, make_640);
  return std::move(job->result);
}

void DerivePool::Drop(const std::string& big_folder) {
  std::lock_guard lock(mutex_);
  std::erase_if(jobs_,
                [&](const std::shared_ptr<Job>& job) { return job->big.path == big_folder; });
  work_ready_.notify_all();
}

}  // namespace snapnook
