#include "DemoEncoding.h"

#include <iconv.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <stdexcept>

namespace demo {

std::string utf8ToGbk(std::string_view utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert UTF-8 to GBK");
    std::unique_ptr<void, int (*)(iconv_t)> guard(cd, iconv_close);
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* dst = out.data();
    size_t outLeft = out.size();
    if (iconv(cd, &in, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1))
        throw std::runtime_error("text cannot be written in GBK (offset " +
                                 std::to_string(utf8.size() - inLeft) + ")");
    out.resize(out.size() - outLeft);
    return out;
}

std::string md5Hex(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr) != 1)
        throw std::runtime_error("MD5 digest failed");
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 15];
    }
    return out;
}

std::string base64Encode(std::string_view bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    int n =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    out.resize(static_cast<size_t>(n));
    return out;
}

std::string gzipCompress(std::string_view bytes) {
    z_stream zs{};
    if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string out(deflateBound(&zs, static_cast<uLong>(bytes.size())) + 32, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    zs.avail_in = static_cast<uInt>(bytes.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    int rc = deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    if (rc != Z_STREAM_END) throw std::runtime_error("deflate did not finish");
    return out;
}

std::string gzipRepeated(std::string_view head, std::string_view unit, std::size_t count,
                         std::string_view tail) {
    z_stream zs{};
    if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string piece;
    const std::size_t perPiece =
        unit.empty() ? 0 : std::max<std::size_t>(1, (std::size_t(1) << 20) / unit.size());
    for (std::size_t i = 0; i < perPiece; ++i) piece += unit;
    std::string out;
    char buffer[65536];
    auto feed = [&](std::string_view bytes, bool last) {
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        zs.avail_in = static_cast<uInt>(bytes.size());
        int rc = Z_OK;
        do {
            zs.next_out = reinterpret_cast<Bytef*>(buffer);
            zs.avail_out = sizeof buffer;
            rc = deflate(&zs, last ? Z_FINISH : Z_NO_FLUSH);
            out.append(buffer, sizeof buffer - zs.avail_out);
        } while (zs.avail_out == 0 || (last && rc != Z_STREAM_END));
    };
    feed(head, false);
    while (count > 0) {
        const std::size_t take = perPiece == 0 ? count : std::min(count, perPiece);
        count -= take;
        feed(std::string_view(piece).substr(0, take * unit.size()), false);
    }
    feed(tail, true);
    deflateEnd(&zs);
    return out;
}

std::string gzipZeros(std::size_t zeros) {
    return gzipRepeated({}, std::string_view("\0", 1), zeros, {});
}

std::string xmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\t':
                out += "&#9;";
                break;
            case '\n':
                out += "&#10;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

bool isAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

std::string percentDecode(std::string_view text) {
    auto hexValue = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int hi = hexValue(text[i + 1]);
            int lo = hexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

}  // namespace demo
