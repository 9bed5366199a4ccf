#pragma once

#include <QString>
#include <string>
#include <string_view>

// Text inside the program is 8-bit GBK, held in std::string. The alias says which strings
// carry GBK bytes; conversion happens only at the boundaries (SOAP, XML values, widgets).
using GbkString = std::string;

// Raw bytes (gzip replies, inflated data): no encoding implied.
using ByteString = std::string;

namespace gbk {

// UTF-8 to GBK; a character GBK cannot hold, or a malformed UTF-8 sequence, becomes "?".
GbkString fromUtf8(std::string_view utf8);
// GBK to UTF-8; a byte sequence that is not GBK becomes "?".
std::string toUtf8(std::string_view gbkText);

QString toQString(std::string_view gbkText);
GbkString fromQString(const QString& text);

// Trims characters with codes 0 to 32 at both ends, as every reply value is trimmed.
std::string trimmed(std::string_view text);

// Whole-number conversion with the strictness the catalogues rely on: optional sign and
// decimal digits only, no blanks. Raises ConvertError "'x' is not a valid integer value".
int toInt(std::string_view text);

}  // namespace gbk
