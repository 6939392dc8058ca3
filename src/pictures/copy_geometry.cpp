#include "pictures/copy_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace snapnook {

Turn TurnOf(int orientation) {
  // Mirrors first, in the stored axes, then the transpose: 6 (turned a quarter clockwise to be
  // upright) is the stored picture upside down, then transposed.
  switch (orientation) {
    case 2:
      return {false, true, false};
    case 3:
      return {false, true, true};
    case 4:
      return {false, false, true};
    case 5:
      return {true, false, false};
    case 6:
      return {true, false, true};
    case 7:
      return {true, true, true};
    case 8:
      return {true, true, false};
    default:
      return {};
  }
}

CopyShape ShapeCopy(int width, int height, Turn turn, int box_width, int box_height,
                    Fitting fitting) {
  if (box_width <= 0 || box_height <= 0) return {};
  // Worked out upright, then put back into the stored axes.
  const std::int64_t w = turn.transpose ? height : width;
  const std::int64_t h = turn.transpose ? width : height;
  CopyShape shape{box_width, box_height, {0, 0, static_cast<double>(w), static_cast<double>(h)}};
  Region& part = shape.region;
  // Compared by cross-multiplying, so a picture of the box's exact proportions is never cut.
  const bool wider = w * box_height > h * box_width;
  if (fitting == Fitting::kFill && wider) {
    part.width = static_cast<double>(h) * box_width / box_height;
    part.left = (static_cast<double>(w) - part.width) / 2;
  } else if (fitting == Fitting::kFill && w * box_height < h * box_width) {
    part.height = static_cast<double>(w) * box_height / box_width;
    part.top = (static_cast<double>(h) - part.height) / 2;
  } else if (fitting == Fitting::kFit && wider) {
    shape.height = static_cast<int>(std::clamp<std::int64_t>(
        (2 * box_width * h + w) / (2 * w), 1, box_height));  // rounded to the nearest
  } else if (fitting == Fitting::kFit) {
    shape.width = static_cast<int>(
        std::clamp<std::int64_t>((2 * box_height * w + h) / (2 * h), 1, box_width));
  }
  if (turn.transpose) part = {part.top, part.left, part.height, part.width};
  return shape;
}

CopyPlan PlanCopies(const CopyBoxes& boxes, Fitting fitting, bool turn_when_tall, int width,
                    int height, Turn turn) {
  CopyBoxes b = boxes;
  CopyPlan plan;
  plan.turn = turn;
  plan.turned = turn_when_tall && (turn.transpose ? width > height : height > width);
  if (plan.turned) {
    std::swap(b.album_width, b.album_height);
    std::swap(b.thumb_width, b.thumb_height);
    std::swap(b.screen_width, b.screen_height);
  }
  plan.album = ShapeCopy(width, height, turn, b.album_width, b.album_height, fitting);
  plan.screen = ShapeCopy(width, height, turn, b.screen_width, b.screen_height, fitting);
  if (plan.album.width > 0) {
    plan.thumbnail = ShapeCopy(plan.album.width, plan.album.height, Turn{}, b.thumb_width,
                               b.thumb_height, fitting);
  }
  return plan;
}

PlaneScale ScaleOf(const CopyShape& copy, Turn turn, int held_x, int of_x, int held_y, int of_y) {
  const int across = turn.transpose ? copy.height : copy.width;
  const int down = turn.transpose ? copy.width : copy.height;
  const Region& part = copy.region;
  const double left = part.left * held_x / of_x, top = part.top * held_y / of_y;
  const double span_x = part.width * held_x / of_x, span_y = part.height * held_y / of_y;
  return {span_x / across,
          span_y / down,
          turn.mirror_x ? left + span_x : left,
          turn.mirror_y ? top + span_y : top,
          turn.mirror_x,
          turn.mirror_y};
}

int ShrinkFor(const CopyPlan& plan) {
  const auto covers = [&](int shrink) {
    for (const CopyShape* copy : {&plan.album, &plan.screen}) {
      if (copy->width == 0) continue;
      // The copy's pixels across the stored picture's rows and down its columns.
      const int across = plan.turn.transpose ? copy->height : copy->width;
      const int down = plan.turn.transpose ? copy->width : copy->height;
      if (std::ceil(copy->region.width / shrink) < across ||
          std::ceil(copy->region.height / shrink) < down) {
        return false;
      }
    }
    return true;
  };
  for (const int shrink : {8, 4, 2}) {
    if (covers(shrink)) return shrink;
  }
  return 1;
}

}  // namespace snapnook
