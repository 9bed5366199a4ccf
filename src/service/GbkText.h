#pragma once

#include <QString>
#include <cassert>
#include <compare>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

// Text inside the program is 8-bit GBK; everything the user reads and every local file name
// is UTF-8. Keeping GBK in a type of its own means the two cannot be joined or passed for one
// another by accident: bytes become GBK text, and GBK text becomes bytes, only where they meet
// the wire (SOAP, XML values, the ini file, addresses) through the explicit constructor and
// bytes(), and become readable text only through gbk::toUtf8 and gbk::toQString.
class GbkString {
public:
    using size_type = std::size_t;
    static constexpr size_type npos = std::string::npos;

    GbkString() = default;
    explicit GbkString(std::string bytes) : bytes_(std::move(bytes)) {}
    explicit GbkString(std::string_view bytes) : bytes_(bytes) {}
    explicit GbkString(const char* bytes) : bytes_(bytes) {}
    // A source literal stands for GBK text only when it is plain ASCII, which reads the same in
    // both encodings; any other literal goes through gbk::fromUtf8.
    template <std::size_t N>
    GbkString(const char (&literal)[N]) : bytes_(literal, N - 1) {
        assert(isAscii(bytes_));
    }
    GbkString(size_type count, char c) : bytes_(count, c) {}

    const std::string& bytes() const { return bytes_; }
    std::string_view view() const { return bytes_; }

    bool empty() const { return bytes_.empty(); }
    size_type size() const { return bytes_.size(); }
    size_type length() const { return bytes_.size(); }
    char operator[](size_type at) const { return bytes_[at]; }
    char& operator[](size_type at) { return bytes_[at]; }
    char front() const { return bytes_.front(); }
    char back() const { return bytes_.back(); }
    std::string::const_iterator begin() const { return bytes_.begin(); }
    std::string::const_iterator end() const { return bytes_.end(); }

    size_type find(char c, size_type from = 0) const { return bytes_.find(c, from); }
    template <std::size_t N>
    size_type find(const char (&text)[N], size_type from = 0) const {
        return bytes_.find(std::string_view(text), from);
    }
    size_type find(const GbkString& text, size_type from = 0) const { return bytes_.find(text.bytes_, from); }
    size_type rfind(char c, size_type from = npos) const { return bytes_.rfind(c, from); }
    template <std::size_t N>
    size_type rfind(const char (&text)[N], size_type from = npos) const {
        return bytes_.rfind(std::string_view(text), from);
    }
    template <std::size_t N>
    size_type find_first_of(const char (&chars)[N], size_type from = 0) const {
        return bytes_.find_first_of(std::string_view(chars), from);
    }
    template <std::size_t N>
    size_type find_last_of(const char (&chars)[N], size_type from = npos) const {
        return bytes_.find_last_of(std::string_view(chars), from);
    }
    template <std::size_t N>
    bool starts_with(const char (&text)[N]) const {
        return view().starts_with(std::string_view(text));
    }
    template <std::size_t N>
    bool ends_with(const char (&text)[N]) const {
        return view().ends_with(std::string_view(text));
    }
    GbkString substr(size_type at, size_type count = npos) const {
        return GbkString(bytes_.substr(at, count));
    }

    void clear() { bytes_.clear(); }
    void reserve(size_type capacity) { bytes_.reserve(capacity); }
    void push_back(char c) { bytes_.push_back(c); }
    void pop_back() { bytes_.pop_back(); }
    void resize(size_type size) { bytes_.resize(size); }
    GbkString& erase(size_type at, size_type count = npos) {
        bytes_.erase(at, count);
        return *this;
    }
    GbkString& replace(size_type at, size_type count, const GbkString& with) {
        bytes_.replace(at, count, with.bytes_);
        return *this;
    }
    GbkString& append(const GbkString& text) {
        bytes_ += text.bytes_;
        return *this;
    }
    GbkString& operator+=(const GbkString& text) { return append(text); }
    template <std::size_t N>
    GbkString& operator+=(const char (&text)[N]) {
        bytes_ += std::string_view(text);
        return *this;
    }
    GbkString& operator+=(char c) {
        bytes_ += c;
        return *this;
    }

    friend GbkString operator+(GbkString left, const GbkString& right) { return std::move(left += right); }
    template <std::size_t N>
    friend GbkString operator+(GbkString left, const char (&right)[N]) {
        return std::move(left += right);
    }
    template <std::size_t N>
    friend GbkString operator+(const char (&left)[N], const GbkString& right) {
        return GbkString(left) += right;
    }
    friend GbkString operator+(GbkString left, char right) { return std::move(left += right); }
    friend GbkString operator+(char left, const GbkString& right) { return GbkString(1, left) += right; }

    friend bool operator==(const GbkString&, const GbkString&) = default;
    friend std::strong_ordering operator<=>(const GbkString& left, const GbkString& right) {
        return left.bytes_.compare(right.bytes_) <=> 0;
    }
    template <std::size_t N>
    friend bool operator==(const GbkString& left, const char (&right)[N]) {
        return left.view() == std::string_view(right);
    }

private:
    static bool isAscii(std::string_view text) {
        for (char c : text) {
            if (static_cast<unsigned char>(c) >= 0x80) return false;
        }
        return true;
    }

    std::string bytes_;
};

template <>
struct std::hash<GbkString> {
    std::size_t operator()(const GbkString& text) const noexcept {
        return std::hash<std::string>()(text.bytes());
    }
};

// Raw bytes (gzip replies, inflated data): no encoding implied.
using ByteString = std::string;

namespace gbk {

// UTF-8 to GBK; a character GBK cannot hold, or a malformed UTF-8 sequence, becomes "?".
GbkString fromUtf8(std::string_view utf8);
// GBK to UTF-8; a byte sequence that is not GBK becomes "?".
std::string toUtf8(const GbkString& gbkText);

QString toQString(const GbkString& gbkText);
GbkString fromQString(const QString& text);

// A local file path as the program builds every one it opens: a folder in UTF-8, then a file
// name from service data in GBK. "/" never occurs inside a GBK character nor in such a name.
std::string joinPath(const std::string& folder, const GbkString& name);
// The path as readable UTF-8: the folder up to the last "/" as it is, the name after it converted.
std::string pathToUtf8(std::string_view path);

// Trims characters with codes 0 to 32 at both ends, as every reply value is trimmed.
GbkString trimmed(const GbkString& text);
std::string trimmed(std::string_view text);

// Whole-number conversion with the strictness the catalogues rely on: optional sign and
// decimal digits only, no blanks. Raises ConvertError "'x' is not a valid integer value".
int toInt(const GbkString& text);

}  // namespace gbk
