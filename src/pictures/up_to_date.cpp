#include "pictures/up_to_date.h"

#include <algorithm>

namespace snapnook {
namespace {

SourceFile SourceFileOf(const FileStat& stat) {
  return {stat.id.inode, stat.size, stat.times};
}

std::int64_t Newest(const FileTimes& times) {
  return std::max(times.modified, times.changed);
}

}  // namespace

Origin OriginOf(const AlbumFiles& files, const CopyPlace& place, const PictureSources& sources) {
  Origin origin;
  origin.role = place.role;
  origin.original = files.Relative(sources.original).value_or(sources.original);
  if (sources.original_stat) origin.original_file = SourceFileOf(*sources.original_stat);
  if (sources.sideways_stat) origin.sideways = SourceFileOf(*sources.sideways_stat);
  origin.box_width = place.box_width;
  origin.box_height = place.box_height;
  origin.options = sources.options;
  return origin;
}

bool CopyIsUpToDate(AlbumFiles& files, const CopyPlace& place, const PictureSources& sources) {
  if (!sources.original_stat || (sources.sideways && !sources.sideways_stat)) return false;
  const std::optional<FileStat> copy = files.fs().Stat(place.path);
  if (!copy || !copy->is_file) return false;
  const std::optional<std::string> relative = files.Relative(place.path);
  const std::optional<RecordedFile> recorded =
      files.record() && relative ? files.record()->Find(*relative) : std::nullopt;
  if (recorded) {
    const Origin now = OriginOf(files, place, sources);
    const Origin& then = recorded->origin;
    return recorded->stamp == StampOf(*copy) && then.role == now.role &&
           then.original == now.original && then.original_file == now.original_file &&
           then.sideways == now.sideways && then.options == now.options;
  }
  // Made before the record (or by a run that ended before recording it): by the times.
  std::int64_t newest = Newest(sources.original_stat->times);
  if (sources.sideways_stat) newest = std::max(newest, Newest(sources.sideways_stat->times));
  return copy->times.modified > newest;
}

}  // namespace snapnook
