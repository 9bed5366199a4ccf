#include "GbkText.h"

#include <iconv.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "AppError.h"

namespace {

bool isAscii(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

// Length of the UTF-8 sequence starting with `lead`, 1 for a stray byte so the caller moves on.
std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF5) return 1;
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    return 1;
}

// Opening a converter costs more than converting one value, and readers convert every value
// of every row, so each thread keeps its two converters open.
iconv_t descriptor(const char* to, const char* from) {
    struct Cache {
        iconv_t toGbk = reinterpret_cast<iconv_t>(-1);
        iconv_t fromGbk = reinterpret_cast<iconv_t>(-1);
        ~Cache() {
            if (toGbk != reinterpret_cast<iconv_t>(-1)) iconv_close(toGbk);
            if (fromGbk != reinterpret_cast<iconv_t>(-1)) iconv_close(fromGbk);
        }
    };
    thread_local Cache cache;
    const bool toGbk = std::strcmp(to, "GBK") == 0;
    iconv_t& cd = toGbk ? cache.toGbk : cache.fromGbk;
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        cd = iconv_open(to, from);
        if (cd == reinterpret_cast<iconv_t>(-1))
            throw AppError(std::string("iconv cannot convert from ") + from);
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return cd;
}

// Converts with iconv; an input sequence the target cannot take is replaced by "?" and the
// input skips `skip(byte)` bytes, so one bad character costs one question mark.
std::string convert(const char* to, const char* from, std::string_view input,
                    std::size_t (*skip)(unsigned char)) {
    iconv_t cd = descriptor(to, from);
    std::string out;
    out.resize(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            std::size_t used = out.size() - outLeft;
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL (truncated at the end): one "?" for the character.
        if (outLeft < 1) {
            std::size_t used = out.size() - outLeft;
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
        }
        *outPtr++ = '?';
        --outLeft;
        std::size_t n = std::min(inLeft, skip(static_cast<unsigned char>(*in)));
        in += n;
        inLeft -= n;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(out.size() - outLeft);
    return out;
}

std::size_t gbkSequenceLength(unsigned char lead) {
    return (lead >= 0x81 && lead <= 0xFE) ? 2 : 1;
}

}  // namespace

namespace gbk {

GbkString fromUtf8(std::string_view utf8) {
    if (isAscii(utf8)) return GbkString(utf8);
    return GbkString(convert("GBK", "UTF-8", utf8, utf8SequenceLength));
}

std::string toUtf8(const GbkString& gbkText) {
    if (isAscii(gbkText.view())) return gbkText.bytes();
    return convert("UTF-8", "GBK", gbkText.view(), gbkSequenceLength);
}

QString toQString(const GbkString& gbkText) {
    const std::string utf8 = toUtf8(gbkText);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

GbkString fromQString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return fromUtf8(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

std::string trimmed(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
    return std::string(text.substr(begin, end - begin));
}

std::string joinPath(const std::string& folder, const GbkString& name) {
    return folder + name.bytes();
}

std::string pathToUtf8(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t nameAt = slash == std::string_view::npos ? 0 : slash + 1;
    return std::string(path.substr(0, nameAt)) + toUtf8(GbkString(path.substr(nameAt)));
}

GbkString trimmed(const GbkString& text) {
    return GbkString(trimmed(text.view()));
}

int toInt(const GbkString& gbkText) {
    const std::string_view text = gbkText.view();
    int value = 0;
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    const char* first = digits.data();
    const char* last = digits.data() + digits.size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (digits.empty() || ec != std::errc() || ptr != last ||
        (digits.front() == '-' && text.front() == '+')) {
        throw ConvertError("'" + toUtf8(gbkText) + "' is not a valid integer value");
    }
    return value;
}

}  // namespace gbk
