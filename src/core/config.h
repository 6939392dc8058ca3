// The program's fixed configuration: maker and addresses (the version is in core/version.h).
#pragma once

#include <string_view>

#include "core/version.h"

namespace snapnook {

inline constexpr std::string_view kMakerName = "Korvell";
inline constexpr std::string_view kMakerWebSite = "http://www.korvell.example";
inline constexpr std::string_view kMakerWebHost = "www.korvell.example";
inline constexpr std::string_view kProductPage = "http://www.korvell.example/snapnook";
inline constexpr std::string_view kDjvuInstaller = "ftp://ftp.korvell.example/pub/djvu/npdjvu.exe";
inline constexpr std::string_view kDjvuInfo = "http://djvu.org";
inline constexpr std::string_view kProductName = "Snapnook";

/// Pictures on one numbered album page.
inline constexpr int kPicturesPerPage = 10;

/// The file pattern of the pictures the walk handles.
inline constexpr std::string_view kPicturePattern = "*.JPG";

}  // namespace snapnook
