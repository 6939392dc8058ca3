// Where each copy of a picture comes from: which part of the picture, at which size, turned how.
#pragma once

#include "pictures/imaging.h"
#include "pictures/resample.h"

namespace snapnook {

/// A part of a picture, in its pixels as stored (fractions of a pixel allowed).
struct Region {
  double left = 0, top = 0, width = 0, height = 0;
};

/// How a stored picture is turned upright: mirrored across (x) and down (y) in its own axes,
/// then turned about its main diagonal (transpose).
struct Turn {
  bool transpose = false, mirror_x = false, mirror_y = false;
  bool operator==(const Turn&) const = default;
};

/// The turn of EXIF orientation 1-8; any other value is 1, no turn.
Turn TurnOf(int orientation);

/// One copy: its size as encoded (upright), and the part of its source it shows.
struct CopyShape {
  int width = 0, height = 0;  // 0 x 0: not made
  Region region;
};

/// How the part of a picture that `copy` shows maps onto the copy as it is scaled, in the
/// picture's stored axes and at the copy's size before its transpose, mirrored as `turn` says.
/// The picture is held at `held_x` / `of_x` of its size across and `held_y` / `of_y` down (a
/// picture decoded smaller spans fewer samples than it has pixels).
PlaneScale ScaleOf(const CopyShape& copy, Turn turn, int held_x, int of_x, int held_y, int of_y);

/// The copy of a `width` x `height` picture (as stored), turned by `turn`, that takes a
/// `box_width` x `box_height` box as `fitting` says: stretched, the whole picture at the box's
/// size; filling it, the box's size and the largest centred part of the upright picture with
/// the box's proportions; fitting inside it, the whole picture at the largest size of its own
/// proportions within the box (at least one pixel a side).
CopyShape ShapeCopy(int width, int height, Turn turn, int box_width, int box_height,
                    Fitting fitting);

/// The boxes of a picture's copies, landscape or turned for a portrait picture; 0 x 0 for a
/// copy not wanted. The thumbnail is made from the album picture, so it is wanted only with it.
struct CopyBoxes {
  int album_width = 0, album_height = 0;
  int thumb_width = 0, thumb_height = 0;
  int screen_width = 0, screen_height = 0;
};

/// The copies of one picture: the album picture and the screen copy from the picture, the
/// thumbnail from the album picture.
struct CopyPlan {
  bool turned = false;  // the boxes turned for an upright form taller than wide
  Turn turn;            // applied to the album picture and the screen copy
  CopyShape album, thumbnail, screen;
};

/// The plan for a `width` x `height` picture turned by `turn`. With `turn_when_tall`, boxes
/// given landscape are turned when the upright picture is taller than wide.
CopyPlan PlanCopies(const CopyBoxes& boxes, Fitting fitting, bool turn_when_tall, int width,
                    int height, Turn turn);

/// The largest shrink of 8, 4 and 2 (else 1) at which the picture, decoded that much smaller
/// (its sides rounded up), still gives every copy of `plan` at least as many pixels across and
/// down as the copy has, counted in the picture's stored axes.
int ShrinkFor(const CopyPlan& plan);

}  // namespace snapnook
