// Odd pictures for the reliability tests, made by the tests themselves: with libvips, libjpeg
// and lcms2 in the process, and with the Debian tools (cjpeg, jpegtran, exiftool) for the
// encodings only they make.
#pragma once

#include <string>

namespace snapnook::testing {

/// The four colours of the quadrants of every generated picture, 8-bit sRGB, clockwise from
/// the top left. Solid quadrants show where a part of the picture went (a turned copy has its
/// blue quadrant elsewhere) and what became of its colours.
struct Rgb {
  int r, g, b;
};
inline constexpr Rgb kQuadrants[4] = {
    {40, 60, 200},   // top left: blue
    {200, 40, 40},   // top right: red
    {220, 200, 50},  // bottom right: yellow
    {40, 170, 60},   // bottom left: green
};

/// Runs a shell command; throws std::runtime_error naming it when it fails.
void Shell(const std::string& command);

/// Whether a program is on the PATH.
bool HaveTool(const std::string& name);

/// Writes the quadrant picture as a binary PPM file, the input of cjpeg.
void WriteQuadrantPpm(const std::string& path, int width, int height);

/// Writes the quadrant picture as a baseline JPEG (libvips, quality 90, 4:2:0).
void WriteQuadrantJpeg(const std::string& path, int width, int height);

/// Writes the quadrant picture as a PNG file.
void WriteQuadrantPng(const std::string& path, int width, int height);

/// How a CMYK JPEG stores its inks. Inks are stored inverted (255 = no ink), as Photoshop
/// writes them and as every CMYK JPEG is read: browsers and libvips alike invert every CMYK
/// JPEG, with or without Adobe's marker.
enum class CmykStyle {
  kAdobe,          // CMYK with an Adobe marker
  kAdobeYcck,      // YCCK with an Adobe marker
  kWithoutMarker,  // CMYK without the marker
};

/// Writes the quadrant picture in CMYK (plain CMY, no black), through libjpeg.
void WriteCmykJpeg(const std::string& path, int width, int height, CmykStyle style);

/// Writes an ICC profile of the Adobe RGB (1998) colour space (made with lcms2).
void WriteAdobeRgbProfile(const std::string& path);

/// Writes the quadrant picture converted into the colour space of the profile at
/// `profile_path`, with the profile embedded.
void WriteJpegWithProfile(const std::string& path, int width, int height,
                          const std::string& profile_path);

/// The quadrant picture's mean colour in an inner part of quadrant `q` (0..3) of a picture
/// file of any size.
Rgb QuadrantColour(const std::string& path, int q);

/// The largest difference of one band between two colours.
int ColourDistance(const Rgb& a, const Rgb& b);

/// The colour `rgb` (sRGB) has in the colour space of the profile, as stored in the file.
Rgb ColourInProfile(const Rgb& rgb, const std::string& profile_path);

}  // namespace snapnook::testing
