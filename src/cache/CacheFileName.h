#pragma once

#include <string>
#include <string_view>

#include "service/GbkText.h"

// The two ways a cached file is named, and the check that keeps every name built from service
// data inside the cache folder. Pure text functions on GBK bytes; nothing here touches a file.
class CacheFileName {
public:
    // The text after the last "/" of the address; empty when it holds none or ends in "/".
    // Query strings stay part of the name; nothing is escaped or changed in case.
    static GbkString UrlFileName(const GbkString& address);

    // The extension of an image address: from its last "." to the end, dot included, or
    // empty when a ":" or "\" follows that dot.
    static GbkString AddressExtension(const GbkString& address);

    // A textbook page's cache name: the trimmed page id followed by the image's extension.
    static GbkString PageFileName(const GbkString& pageId, const GbkString& imageAddress);

    // False for a name that could leave the folder or name the folder itself: empty, ".",
    // "..", or holding "/" or a NUL byte.
    static bool IsSafe(std::string_view name);

    // The offset of the last of `delimiters` in GBK text, skipping the second bytes of
    // double-byte characters (which may equal "\"); npos when there is none.
    static std::size_t LastDelimiter(const GbkString& text, std::string_view delimiters);
};
