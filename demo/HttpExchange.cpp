#include "HttpExchange.h"

std::string HttpRequest::path() const {
    return target.substr(0, target.find('?'));
}

std::string HttpRequest::query(const std::string& key) const {
    size_t start = target.find('?');
    if (start == std::string::npos) return {};
    std::string q = target.substr(start + 1);
    size_t pos = 0;
    while (pos <= q.size()) {
        size_t end = q.find('&', pos);
        if (end == std::string::npos) end = q.size();
        std::string pair = q.substr(pos, end - pos);
        size_t eq = pair.find('=');
        if (pair.substr(0, eq) == key) return eq == std::string::npos ? std::string() : pair.substr(eq + 1);
        pos = end + 1;
    }
    return {};
}

std::string HttpRequest::header(const std::string& lowerName) const {
    auto it = headers.find(lowerName);
    return it == headers.end() ? std::string() : it->second;
}

HttpReply HttpReply::text(int status, std::string body) {
    HttpReply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

HttpReply HttpReply::notFound() {
    return text(404, "not found\n");
}
