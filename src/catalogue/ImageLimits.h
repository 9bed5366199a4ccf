#pragma once

#include <cstddef>
#include <cstdint>

#include "service/HttpClient.h"

// What a picture may cost before it is decoded. A hostile or corrupt file can declare any size in
// a few header bytes; every decoder checks the declared size against these limits before it
// allocates, and refuses the picture the way its format reports failures.
namespace imagelimits {

// Over four times the largest textbook page (2480 x 3508).
constexpr std::int64_t kMaxPixels = 40'000'000;
// No decoded picture, work bitmap or intermediate buffer of a decode or stretch may pass this.
constexpr std::int64_t kMaxBufferBytes = std::int64_t(256) << 20;

// No picture file larger than a reply may be is read: the downloads stop there too.
constexpr std::int64_t kMaxFileBytes = static_cast<std::int64_t>(kMaxReplyBytes);

// True when a width x height picture of `bytesPerPixel` bytes stays within both limits.
constexpr bool Allowed(std::int64_t width, std::int64_t height, std::int64_t bytesPerPixel) {
    if (width <= 0 || height <= 0) return false;
    if (width > kMaxPixels || height > kMaxPixels || width * height > kMaxPixels) return false;
    return width * height * bytesPerPixel <= kMaxBufferBytes;
}

}  // namespace imagelimits
