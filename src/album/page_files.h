// The album page files a build writes at the same time, addressed by their PageFile number.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/album_files.h"
#include "core/error.h"

namespace snapnook {

/// Names both an open page file and the kind of page it holds.
enum class PageFile : std::int16_t {
  kNumbered = 1,  // the current numbered page, page01.htm, page02.htm, ...
  kIndex = 2,     // the index page page00.htm
  kDjvu = 3,      // the DjVu page page00a.htm
};

/// Up to three page files being written. A page is written under a temporary name and appears
/// under its real name only when it is closed, so a reader sees the old page or the whole new
/// one. A page whose writing failed is never put in place: closing it drops it, and so does
/// the end of a build for every page still open.
class PageFiles {
 public:
  explicit PageFiles(AlbumFiles& files) : files_(files) {}
  PageFiles(const PageFiles&) = delete;
  PageFiles& operator=(const PageFiles&) = delete;

  /// Starts writing `path` as `which`. A page still open under that number is dropped first.
  /// Throws SnapError when the file cannot be made; the number then stays failed, so every
  /// write to it raises the same error until it is opened again.
  void Open(PageFile which, const std::string& path);

  /// Whether `which` was opened and is neither closed nor dropped (a failed open counts).
  bool IsOpen(PageFile which) const;

  /// The path `which` was last opened with (empty before).
  const std::string& PathOf(PageFile which) const { return SlotOf(which).path; }

  /// Whether opening or writing `which` has failed since it was opened.
  bool HasFailed(PageFile which) const;

  /// Writes one line of UTF-8 text as page text (see PageText), ended by CR LF. Throws
  /// SnapError when the page is not open or the write fails; after a failed write the page is
  /// broken and every later write raises the same error.
  void WriteLine(PageFile which, std::string_view line);

  /// Puts the page in place under its real name. A broken page is dropped instead, leaving
  /// the old file; a page that is not open is left alone. Throws SnapError when putting the
  /// page in place fails; the number is free afterwards in every case.
  void Close(PageFile which);

  /// Drops every open page without putting it in place.
  void DropAll();

 private:
  struct Slot {
    bool open = false;
    std::string path;
    std::unique_ptr<OutputFile> file;
    std::optional<SnapError> failure;
  };

  Slot& SlotOf(PageFile which) { return slots_[static_cast<size_t>(which) - 1]; }
  const Slot& SlotOf(PageFile which) const { return slots_[static_cast<size_t>(which) - 1]; }

  AlbumFiles& files_;
  std::array<Slot, 3> slots_;
};

}  // namespace snapnook
