#pragma once

#include "service/GbkText.h"

// The launch query of the direct sign-in: "key=value" pairs joined by "&" with the keys
// "user", "password" and "webservice". Keys match case-insensitively; values keep their case.
struct LaunchQuery {
    GbkString user;
    GbkString password;
    GbkString webservice;  // HOST[:PORT], no scheme
};

LaunchQuery ParseLaunchQuery(const GbkString& query);

// The value of `key` (given in lower case): the text after the first "=" of the piece that
// starts at the key's first occurrence anywhere in the text and ends before the next "&"; a
// piece without "=" is returned whole. A key that does not occur at all gives an empty value.
GbkString QueryValue(const GbkString& text, const GbkString& key);
