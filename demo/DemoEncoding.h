#pragma once

#include <string>
#include <string_view>

// Byte-level helpers of the demo service: GBK conversion, digests, base64 and gzip. They are
// the service's own, independent of the client's copies, so a fault in one cannot hide the
// same fault in the other. Conversion failures raise std::runtime_error.
namespace demo {

// UTF-8 to GBK bytes; a character GBK cannot hold raises.
std::string utf8ToGbk(std::string_view utf8);
// Lowercase hexadecimal MD5 of the bytes.
std::string md5Hex(std::string_view bytes);
std::string base64Encode(std::string_view bytes);
// A complete RFC 1952 stream (gzip header, deflate data, trailer).
std::string gzipCompress(std::string_view bytes);
// A gzip stream of `zeros` zero bytes, made in pieces (a bomb of hundreds of MiB costs the
// service only its compressed size).
std::string gzipZeros(std::size_t zeros);
// A gzip stream of `head`, `count` copies of `unit`, then `tail`, made in pieces likewise.
std::string gzipRepeated(std::string_view head, std::string_view unit, std::size_t count,
                         std::string_view tail);
// Text and attribute escaping for XML and HTML output; keeps tabs and line breaks as
// character references so that attribute values survive a parser's normalisation.
std::string xmlEscape(std::string_view text);
bool isAscii(std::string_view text);
// Percent-decoding of a query value ("+" stays as it is: the client never encodes spaces).
std::string percentDecode(std::string_view text);

}  // namespace demo
