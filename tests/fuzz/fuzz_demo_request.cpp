// The demo service's request handling: the bytes of one HTTP request through the same Beast
// parser limits as the server's connections, then the router over the default sample data.
#include <utility>  // Boost 1.74's headers need it first

#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <cctype>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "RequestRouter.h"
#include "SampleStore.h"

namespace http = boost::beast::http;

namespace {
RequestRouter* router = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::ensureGuiApplication(*argc, *argv);
    static SampleStore store({LUMO_DEMO_DATA_DIR}, fuzz::workFolder() + "state");
    router = new RequestRouter(store, "https://127.0.0.1:8443");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    http::request_parser<http::string_body> parser;
    parser.body_limit(16 * 1024 * 1024);
    parser.header_limit(64 * 1024);
    parser.eager(true);
    boost::beast::error_code ec;
    size_t offset = 0;
    while (offset < size && !parser.is_done()) {
        const size_t used = parser.put(boost::asio::buffer(data + offset, size - offset), ec);
        if (ec || used == 0) break;
        offset += used;
    }
    if (ec == http::error::need_more || (!ec && !parser.is_done())) {
        ec = {};
        parser.put_eof(ec);
    }
    if (ec || !parser.is_done()) return 0;

    const http::request<http::string_body>& req = parser.get();
    HttpRequest request;
    request.localPort = 8443;
    request.method = std::string(req.method_string());
    request.target = std::string(req.target());
    request.body = req.body();
    for (const auto& field : req) {
        std::string name(field.name_string());
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        request.headers[name] = std::string(field.value());
    }
    const HttpReply reply = router->route(request);
    (void)reply;
    return 0;
}
