#pragma once

#include <string>

#include "GbkText.h"

// One HTTP GET; the body's bytes come back unchanged as text. Any failure (no connection, TLS
// refused, an error status) is shown in the two-line box naming the error's type and message,
// and the result is empty. Blocks the calling thread until the reply is in.
GbkString HttpGetText(const std::string& url);
