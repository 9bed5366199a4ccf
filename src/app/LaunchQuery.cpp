#include "LaunchQuery.h"

namespace {

// Lower-cases the ASCII letters of GBK text without changing its length. The second byte of
// a double-byte character can look like an ASCII letter; it is blanked out so that a key is
// never found inside a Chinese character.
GbkString searchCopy(const GbkString& text) {
    GbkString copy = text;
    for (std::size_t i = 0; i < copy.size(); ++i) {
        const auto byte = static_cast<unsigned char>(copy[i]);
        if (byte >= 0x81 && byte <= 0xFE && i + 1 < copy.size()) {
            copy[++i] = '\0';
        } else if (byte >= 'A' && byte <= 'Z') {
            copy[i] = static_cast<char>(byte - 'A' + 'a');
        }
    }
    return copy;
}

}  // namespace

GbkString QueryValue(const GbkString& text, const GbkString& key) {
    if (key.empty()) return {};
    const std::size_t position = searchCopy(text).find(key);
    if (position == GbkString::npos) return {};
    GbkString piece = text.substr(position);
    if (const std::size_t amp = piece.find('&'); amp != GbkString::npos) piece.erase(amp);
    const std::size_t equals = piece.find('=');
    return equals == GbkString::npos ? piece : piece.substr(equals + 1);
}

LaunchQuery ParseLaunchQuery(const GbkString& query) {
    return {QueryValue(query, "user"), QueryValue(query, "password"), QueryValue(query, "webservice")};
}
