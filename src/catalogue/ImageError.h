#pragma once

#include "service/AppError.h"

// A picture file that cannot be opened or decoded (PNG and GIF; JPEG failures are swallowed by
// the loader). The message is the text the user is shown.
class ImageError : public AppError {
public:
    using AppError::AppError;
    const char* typeName() const noexcept override { return "ImageError"; }
};
