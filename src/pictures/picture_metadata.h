// What the album takes from a picture's metadata: its orientation and its caption. Nothing of
// it is copied into the album's pictures.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace snapnook {

struct PictureMetadata {
  int orientation = 1;  // EXIF orientation, 1-8; 1 when missing or out of range
  std::string caption;  // see ReadCaption
};

/// From a JPEG's header: the EXIF block (APP1 "Exif"), the XMP packet (APP1) and the IPTC
/// record (APP13 "Photoshop 3.0"). Reads only the bytes given; safe on any input.
PictureMetadata ReadJpegMetadata(std::span<const unsigned char> jpeg);

/// The EXIF orientation of an EXIF block (a TIFF structure, after "Exif\0\0" or not); 1 when
/// it has none or one out of range.
int ExifOrientation(std::span<const unsigned char> exif);

/// The caption of a picture from its metadata blocks, any of which may be empty: the EXIF
/// block's ImageDescription, else the XMP packet's dc:description, else the IPTC record's
/// Caption-Abstract (an IPTC record, or Photoshop resources holding one), the first that is
/// a caption after CleanCaption.
std::string ReadCaption(std::span<const unsigned char> exif, std::string_view xmp,
                        std::span<const unsigned char> iptc);

/// A caption as the album shows it: in UTF-8 (text that is not valid UTF-8 is read as
/// Latin-1), control characters as blanks, blanks trimmed at both ends; "" for what cameras
/// write when nobody wrote a caption: "OLYMPUS DIGITAL CAMERA" and whatever else ends with
/// "DIGITAL CAMERA", "SONY DSC", "DSC", "DCIM", "Exif_JPEG_PICTURE", "Default", "Image",
/// "Picture", "Photo", "Camera", "Untitled", "None" (any letter case) and blanks alone.
std::string CleanCaption(std::string_view raw);

}  // namespace snapnook
