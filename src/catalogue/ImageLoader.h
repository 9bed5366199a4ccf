#pragma once

#include <QImage>
#include <string>

// Decoding of the cached picture files that the page viewer and the media lists show. The decoder
// is chosen by the file name's extension: .JPG, .GIF or .PNG in any letter case, blanks around it
// ignored; any other name (.jpeg included) gives no bitmap. Paths are raw file-name bytes (the
// cache folder plus a name from service data, possibly GBK), opened as they are.
//
// Every function returns a bitmap the caller owns, or a null image when there is none; width and
// height (or srcWidth and srcHeight) are written only together with a bitmap. JPEG failures are
// swallowed (null image); GIF and PNG failures raise ImageError (see PngReader.h for the PNG texts), naming
// the path in UTF-8 as gbk::pathToUtf8 reads it. Runs on the caller's thread; loads share nothing.

// The name's extension as the decoder choice reads it: from the last "." after the last "/",
// dot included, upper-cased and trimmed of blanks and control characters; "" when there is none.
std::string ImageFileExtension(const std::string& path);

QImage LoadImageFile(const std::string& path, int& width, int& height);

// Reads a whole picture file into `data`; false when it cannot be read or is larger than
// imagelimits::kMaxFileBytes (then nothing is read).
bool ReadImageFile(const std::string& path, QByteArray& data);

// True when the picture at `path` is refused for its size alone: a file over the size cap, or a
// header that declares more pixels than the limits allow. Such a file is whole, only too large,
// so fetching it again would not help.
bool ImageRefusedBySize(const std::string& path);

// Full-size 24-bit bitmap (Format_RGB888).
QImage LoadJpegFile(const std::string& path, int& width, int& height);
// First frame at the picture's full size, 24-bit, transparent pixels shown as white.
QImage LoadGifFile(const std::string& path, int& width, int& height);
// 24-bit bitmap, white where the picture is transparent; 16-bit (Format_RGB555) holding the raw
// two bytes per pixel when the picture decodes to grey and transparency.
QImage LoadPngFile(const std::string& path, int& width, int& height);

// A thumbnail of thumbWidth x thumbHeight (24-bit, aspect ratio not kept, area-averaged) with the
// picture's own size in srcWidth, srcHeight. Same extension rule and failures as LoadImageFile.
// A JPEG is decoded at the smallest reduced DCT scale that still leaves four decoded pixels per
// thumbnail pixel each way, so a warm-cache page list costs a fraction of full decoding.
QImage LoadImageThumbnail(const std::string& path, int thumbWidth, int thumbHeight, int& srcWidth,
                          int& srcHeight);
