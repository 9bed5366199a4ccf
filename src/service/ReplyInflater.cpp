#include "ReplyInflater.h"

#include <zlib.h>

#include <climits>

#include "AppError.h"

namespace {

[[noreturn]] void fail(z_stream& stream, int code) {
    std::string message = stream.msg ? stream.msg : zError(code);
    inflateEnd(&stream);
    throw InflateError("Inflate failed: " + message);
}

}  // namespace

ByteString InflateReplyBytes(const ByteString& gzipData, std::size_t limit) {
    z_stream stream{};
    // 15-bit window, gzip header required (a raw deflate or zlib stream is refused).
    int code = inflateInit2(&stream, 15 + 16);
    if (code != Z_OK) fail(stream, code);
    // One byte of room beyond the cap tells "exactly at the cap" from "more than the cap".
    const std::size_t room = limit + 1;
    ByteString out;
    out.resize(std::min<std::size_t>(room, std::max<std::size_t>(gzipData.size() * 4, 4096)));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gzipData.data()));
    std::size_t inLeft = gzipData.size();
    std::size_t produced = 0;
    do {
        if (produced > limit) {
            inflateEnd(&stream);
            throw InflateError("Inflate failed: the reply inflates to more than " + std::to_string(limit) +
                               " bytes");
        }
        if (produced == out.size()) out.resize(std::min(room, out.size() * 2));
        const uInt chunkIn = static_cast<uInt>(std::min<std::size_t>(inLeft, UINT_MAX));
        const uInt chunkOut = static_cast<uInt>(std::min<std::size_t>(out.size() - produced, UINT_MAX));
        stream.avail_in = chunkIn;
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        stream.avail_out = chunkOut;
        code = inflate(&stream, Z_NO_FLUSH);
        inLeft -= chunkIn - stream.avail_in;
        produced += chunkOut - stream.avail_out;
        if (code == Z_NEED_DICT) code = Z_DATA_ERROR;
        if (code != Z_OK && code != Z_STREAM_END && code != Z_BUF_ERROR) fail(stream, code);
        if (code == Z_BUF_ERROR && inLeft == 0 && produced < out.size()) {
            inflateEnd(&stream);
            throw InflateError("Inflate failed: the gzip data is truncated");
        }
    } while (code != Z_STREAM_END);
    inflateEnd(&stream);
    if (produced > limit) {
        throw InflateError("Inflate failed: the reply inflates to more than " + std::to_string(limit) +
                           " bytes");
    }
    out.resize(produced);
    return out;
}

GbkString InflateReplyText(const ByteString& gzipData, std::size_t limit) {
    return GbkString(InflateReplyBytes(gzipData, limit));
}
