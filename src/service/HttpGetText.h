#pragma once

#include <string>

#include "GbkText.h"

// One HTTP GET with `client`'s TLS rule and time-outs; the body's bytes come back unchanged as text. Any
// failure (no connection, TLS refused, an error status) is shown in the two-line box naming the error's type
// and message, and the result is empty. Blocks the calling thread until the reply is in.
class HttpClient;

GbkString HttpGetText(const HttpClient& client, const std::string& url);
