#pragma once

#include <map>
#include <string>
#include <vector>

// One request as the router sees it, independent of the network code. Header names are lower
// case.
struct HttpRequest {
    bool tls = false;
    unsigned short localPort = 0;
    std::string method;
    std::string target;  // path and query, as received
    std::map<std::string, std::string> headers;
    std::string body;

    std::string path() const;
    // The raw (undecoded) value of a query key, or empty.
    std::string query(const std::string& key) const;
    std::string header(const std::string& lowerName) const;
};

// The router's answer. delayMs holds the reply back without blocking a worker; operation names
// the SOAP operation for the request log.
struct HttpReply {
    int status = 200;
    std::string contentType = "text/plain; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    int delayMs = 0;
    // Sends the full Content-Length but only the first half of the body, then drops the
    // connection: a transfer cut off in the middle.
    bool cutOff = false;
    // Sends the body one byte at a time, this many milliseconds apart: a server that never
    // stalls long enough for an idle limit and never finishes either.
    int trickleMs = 0;
    std::string operation;

    static HttpReply text(int status, std::string body);
    static HttpReply notFound();
};
