// Modern albums described as text, for the tests of their pages.
#pragma once

#include <string>

#include "album/modern_album.h"

namespace snapnook::testing {

/// The album `text` describes, one item a line ("#" starts a comment line; "\xHH" in a value is
/// the byte HH):
///   title: TEXT, copyright: TEXT, link: TEXT   the typed texts
///   set: FOLDER                 a set folder (empty: the album folder); the pictures below are
///                               its own
///   NAME | ORIGINAL | WxH | SWxSH | CAPTION     a picture: the album picture's name, the
///                               original's ("-": NAME), its size, the screen copy's ("-":
///                               none) and the caption (may be left out)
///   many: N                     N pictures IMG_0001.JPG, ... (the set's count so far goes on):
///                               every third portrait, every fourth without a screen copy
ModernAlbum ReadModernAlbum(const std::string& text);

}  // namespace snapnook::testing
