#pragma once

#include <cstddef>

#include "GbkText.h"

// Inflating the gzip byte-array replies (RFC 1952 only: a gzip header is required). Raises
// InflateError with zlib's message for raw deflate, corrupt or truncated data, and when the
// output would pass the cap (a corrupt reply must not exhaust memory).
constexpr std::size_t kInflateLimit = std::size_t(256) * 1024 * 1024;

ByteString InflateReplyBytes(const ByteString& gzipData, std::size_t limit = kInflateLimit);
// The same bytes, taken as GBK text.
GbkString InflateReplyText(const ByteString& gzipData, std::size_t limit = kInflateLimit);
