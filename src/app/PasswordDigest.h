#pragma once

#include "service/GbkText.h"

// The password form the sign-in sends. A text of 32 or more GBK bytes is taken to be a digest
// remembered from an earlier sign-in and goes out unchanged; anything shorter is what the
// teacher typed and goes out as the lowercase hex MD5 of its GBK bytes.
class PasswordDigest {
public:
    static GbkString passwordToSend(const GbkString& typed);
    // 32 lowercase hexadecimal digits.
    static GbkString md5Hex(const GbkString& bytes);

    static constexpr std::size_t kRememberedDigestLength = 32;
};
