#pragma once

#include <utility>  // Boost 1.74's awaitable.hpp needs it first

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HttpExchange.h"

// HTTP/1.1 server on Boost.Beast that speaks plain HTTP and HTTPS on the same port: the first
// bytes of a connection tell a TLS handshake from a request. Each connection runs as one
// coroutine on the io_context; the handler is called on whichever thread runs it, so it must be
// thread-safe. A request that does not parse gets 400 and the connection is closed; the server
// keeps accepting. The log function gets one line per request, after the reply went out and
// after the lines of the replies that had begun to go out when the request came in.
class DemoServer {
public:
    using Handler = std::function<HttpReply(const HttpRequest&)>;
    using Logger = std::function<void(const std::string&)>;

    DemoServer(boost::asio::io_context& io, boost::asio::ssl::context& tls, Handler handler, Logger logger);

    // Binds and starts accepting; returns the bound port. Raises boost::system::system_error.
    unsigned short listen(const boost::asio::ip::address& address, unsigned short port);
    void stop();

    struct Shared;  // what every connection needs; lives as long as the longest connection

private:
    std::shared_ptr<Shared> shared_;
    boost::asio::io_context& io_;
    std::vector<std::shared_ptr<boost::asio::ip::tcp::acceptor>> acceptors_;
};
