#include "CacheFileName.h"

#include <algorithm>

namespace {

bool isGbkLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

}  // namespace

GbkString CacheFileName::UrlFileName(const GbkString& address) {
    // "/" is never the second byte of a GBK character, so a byte search is exact here.
    const std::size_t slash = address.rfind('/');
    if (slash == GbkString::npos) return {};
    return address.substr(slash + 1);
}

std::size_t CacheFileName::LastDelimiter(const GbkString& text, std::string_view delimiters) {
    const std::string_view gbkText = text.view();
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < gbkText.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(gbkText[i]);
        if (isGbkLeadByte(c) && i + 1 < gbkText.size()) {
            ++i;
            continue;
        }
        if (delimiters.find(static_cast<char>(c)) != std::string_view::npos) found = i;
    }
    return found;
}

GbkString CacheFileName::AddressExtension(const GbkString& address) {
    const std::size_t at = LastDelimiter(address, ".:\\");
    if (at == GbkString::npos || address[at] != '.') return {};
    return address.substr(at);
}

GbkString CacheFileName::PageFileName(const GbkString& pageId, const GbkString& imageAddress) {
    return gbk::trimmed(pageId) + AddressExtension(imageAddress);
}

bool CacheFileName::IsSafe(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return std::none_of(name.begin(), name.end(), [](char c) { return c == '/' || c == '\0'; });
}
