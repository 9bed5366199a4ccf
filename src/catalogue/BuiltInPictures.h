#pragma once

#include <QImage>

// The two pictures the program draws itself instead of fetching: both 200 x 120 on white.
// Thumbnail views squeeze them to their own image size like any fetched picture.
namespace BuiltInPictures {

// "暂无照片" over "NO PHOTOS" in grey: stands in for a picture that cannot be fetched.
QImage ImgNoPic();

// "课文" in blue: the thumbnail of every passage, which has no picture of its own.
QImage imgPassage();

}  // namespace BuiltInPictures
