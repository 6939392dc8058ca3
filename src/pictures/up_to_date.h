// Whether a copy is what a run would make now: what --update leaves as it is.
#pragma once

#include <optional>
#include <string>

#include "core/album_files.h"
#include "pictures/set_layout.h"

namespace snapnook {

/// What the copies of a picture are made from now: the original and its sideways file as
/// they are, and the options that shape them.
struct PictureSources {
  std::string original;  // its path, as the walk found it
  std::optional<FileStat> original_stat;
  std::optional<std::string> sideways;  // the path of its sideways file, when it has one
  std::optional<FileStat> sideways_stat;
  std::string options;  // what shapes the copies beyond their sources ("classic", ...)
};

/// The sources of the picture `file` of `big_folder`, whose sideways folder (SidewaysFolderOf)
/// is `sideways_folder`. Never throws.
template <class Reads>
PictureSources SourcesOf(Reads& fs, const std::string& big_folder, const std::string& file,
                         const std::optional<std::string>& sideways_folder,
                         const std::string& options) {
  PictureSources sources;
  sources.original = big_folder + file;
  sources.original_stat = fs.Stat(sources.original);
  if (sideways_folder) {
    std::optional<FileStat> sideways = fs.Stat(*sideways_folder + file);
    if (sideways && sideways->is_file) {
      sources.sideways = *sideways_folder + file;
      sources.sideways_stat = std::move(sideways);
    }
  }
  sources.options = options;
  return sources;
}

/// What the record keeps of a copy at `place` made from `sources` (the pixel sizes and
/// caption are the caller's to add).
Origin OriginOf(const AlbumFiles& files, const CopyPlace& place, const PictureSources& sources);

/// Whether the copy at `place` is what a run would make now from `sources`. When the record
/// knows the copy: it is unchanged since it was written, and was made from the same original
/// and sideways file (the same file, size and times; a sideways file that came or went
/// counts) with the same options. When it does not, the copy is newer than the original (the
/// later of its modification and change times, so that a picture replaced by an older file
/// counts as new) and than its sideways file. Never throws: anything that cannot be examined
/// is not up to date.
bool CopyIsUpToDate(AlbumFiles& files, const CopyPlace& place, const PictureSources& sources);

}  // namespace snapnook
