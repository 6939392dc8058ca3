// Web paths: how the album's pages name folders and pictures in their links.
#pragma once

#include <string>
#include <string_view>

namespace snapnook {

/// The file system's separator in a path.
inline constexpr char kPathSeparator = '/';

/// `path` with every path separator turned into "/"; nothing else changes.
std::string ToWebPath(std::string_view path);

/// The web path of a set folder: its path after the album root `source_folder` (as typed,
/// with or without a trailing separator), in web form, each name percent-encoded, ending with
/// "/". For `source_folder` "/albums/2000" and `set_folder` "/albums/2000/trip/SET1/" it is
/// "trip/SET1/"; for the album root itself it is empty.
std::string WebFolder(std::string_view source_folder, std::string_view set_folder);

}  // namespace snapnook
