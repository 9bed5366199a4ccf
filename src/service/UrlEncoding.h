#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

// Ids and typed texts put into addresses. Every byte outside the unreserved characters of
// RFC 3986 (letters, digits, "-", ".", "_", "~") is percent-encoded with capital hex digits, so
// "#", "&", "?", "/", "%", "+" and blanks reach the server inside the part they belong to,
// and an id of letters and digits goes in unchanged. Cannot fail.

// One query value from the text's UTF-8 bytes, which is what a browser sends for the text.
QString UrlQueryValue(const QString& text);

// One query value from bytes as they are, for a server that reads them in their own code page.
std::string UrlQueryValueBytes(std::string_view bytes);

// One path segment, encoded as a query value. None for "." and "..": a browser takes them, even
// percent-encoded, for the folder itself or its parent, so no encoding keeps them one segment.
std::optional<QString> UrlPathSegment(const QString& text);
