#include "DemoServer.h"

#include <algorithm>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/core/detect_ssl.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <set>

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using asio::awaitable;
using asio::use_awaitable;
using asio::ip::tcp;

namespace {

// Connections are served on whichever thread is free, so a reply can reach its client, and the
// client's next request be answered and logged, while the thread that sent the first reply has
// not written its line yet. Every reply takes a ticket when it starts going out and gives it back
// once its line is written; a request's line waits for the tickets taken before it arrived. The
// log then lists what a client got in the order it got it, and a client that reads the log after
// a request of its own sees every reply it had by then.
class LogOrder {
public:
    // Everything a request arriving now has to wait for lies below this.
    std::uint64_t horizon() {
        std::lock_guard lock(mutex_);
        return nextTicket_;
    }
    std::uint64_t replyStarts() {
        std::lock_guard lock(mutex_);
        outstanding_.insert(nextTicket_);
        return nextTicket_++;
    }
    void lineWritten(std::uint64_t ticket) {
        std::lock_guard lock(mutex_);
        outstanding_.erase(ticket);
    }
    bool linesWrittenBelow(std::uint64_t horizon) {
        std::lock_guard lock(mutex_);
        return outstanding_.empty() || *outstanding_.begin() >= horizon;
    }

private:
    std::mutex mutex_;
    std::uint64_t nextTicket_ = 0;
    std::set<std::uint64_t> outstanding_;
};

// One reply's ticket, given back however the reply ends (a dropped connection included).
class ReplyTicket {
public:
    explicit ReplyTicket(LogOrder& order) : order_(order) {}
    ~ReplyTicket() {
        if (taken_) order_.lineWritten(ticket_);
    }
    ReplyTicket(const ReplyTicket&) = delete;
    ReplyTicket& operator=(const ReplyTicket&) = delete;
    void take() {
        if (!taken_) ticket_ = order_.replyStarts();
        taken_ = true;
    }

private:
    LogOrder& order_;
    std::uint64_t ticket_ = 0;
    bool taken_ = false;
};

}  // namespace

struct DemoServer::Shared {
    asio::ssl::context& tls;
    Handler handler;
    Logger logger;
    LogOrder logOrder{};
};

namespace {

constexpr auto kIdleTimeout = std::chrono::seconds(60);
// A reply whose line never comes (a client that stops reading mid-body) holds later lines back
// no longer than this; they are written out of order then rather than not at all.
constexpr auto kLogOrderLimit = std::chrono::seconds(5);

awaitable<void> earlierLinesWritten(LogOrder& order, std::uint64_t horizon) {
    if (order.linesWrittenBelow(horizon)) co_return;
    const auto deadline = std::chrono::steady_clock::now() + kLogOrderLimit;
    asio::steady_timer poll(co_await asio::this_coro::executor);
    while (!order.linesWrittenBelow(horizon) && std::chrono::steady_clock::now() < deadline) {
        poll.expires_after(std::chrono::milliseconds(1));
        beast::error_code ec;
        co_await poll.async_wait(asio::redirect_error(use_awaitable, ec));
    }
}

template <class Stream>
awaitable<void> serveRequests(Stream& stream, beast::flat_buffer& buffer, bool tls, unsigned short port,
                              DemoServer::Handler& handler, DemoServer::Logger& logger, LogOrder& logOrder) {
    const std::string scheme = tls ? "https" : "http";
    for (;;) {
        http::request_parser<http::string_body> parser;
        parser.body_limit(16 * 1024 * 1024);
        parser.header_limit(64 * 1024);
        beast::get_lowest_layer(stream).expires_after(kIdleTimeout);
        beast::error_code ec;
        co_await http::async_read(stream, buffer, parser, asio::redirect_error(use_awaitable, ec));
        if (ec == http::error::end_of_stream || ec == asio::error::eof || ec == beast::error::timeout ||
            ec == asio::error::connection_reset || ec == asio::ssl::error::stream_truncated)
            co_return;
        if (ec) {
            // Garbage on the wire: answer once, then drop the connection.
            http::response<http::string_body> bad{http::status::bad_request, 11};
            bad.set(http::field::content_type, "text/plain; charset=utf-8");
            bad.set(http::field::connection, "close");
            bad.body() = "bad request: " + ec.message() + "\n";
            bad.prepare_payload();
            beast::error_code ignored;
            co_await http::async_write(stream, bad, asio::redirect_error(use_awaitable, ignored));
            logger("request " + scheme + " " + std::to_string(port) + " - - - 400");
            co_return;
        }
        const std::uint64_t arrived = logOrder.horizon();
        ReplyTicket ticket(logOrder);
        http::request<http::string_body> req = parser.release();
        HttpRequest request;
        request.tls = tls;
        request.localPort = port;
        request.method = std::string(req.method_string());
        request.target = std::string(req.target());
        request.body = req.body();
        for (const auto& field : req) {
            std::string name(field.name_string());
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            request.headers[name] = std::string(field.value());
        }
        auto started = std::chrono::steady_clock::now();
        HttpReply reply = handler(request);
        if (reply.delayMs > 0) {
            asio::steady_timer timer(co_await asio::this_coro::executor);
            timer.expires_after(std::chrono::milliseconds(reply.delayMs));
            co_await timer.async_wait(asio::redirect_error(use_awaitable, ec));
        }
        http::response<http::string_body> res{static_cast<http::status>(reply.status), req.version()};
        res.set(http::field::server, "lumoclass-demo-service");
        res.set(http::field::content_type, reply.contentType);
        for (const auto& [name, value] : reply.headers) res.set(name, value);
        res.keep_alive(req.keep_alive());
        if (request.method != "HEAD") res.body() = std::move(reply.body);
        res.prepare_payload();
        beast::get_lowest_layer(stream).expires_after(kIdleTimeout);
        if (reply.cutOff) {
            // The header promises the whole body; half of it comes, then the connection ends.
            http::response_serializer<http::string_body> serializer{res};
            ticket.take();
            co_await http::async_write_header(stream, serializer, asio::redirect_error(use_awaitable, ec));
            const std::string& body = res.body();
            if (!ec)
                co_await asio::async_write(stream, asio::buffer(body.data(), body.size() / 2),
                                           asio::redirect_error(use_awaitable, ec));
            co_await earlierLinesWritten(logOrder, arrived);
            logger("request " + scheme + " " + std::to_string(port) + " " + request.method + " " +
                   request.target + " - " + std::to_string(reply.status) + " cut-off");
            co_return;
        }
        if (reply.trickleMs > 0) {
            http::response_serializer<http::string_body> serializer{res};
            const std::string& body = res.body();
            // Until its last byte the client has no reply, so nothing waits for it before then.
            if (body.empty()) ticket.take();
            co_await http::async_write_header(stream, serializer, asio::redirect_error(use_awaitable, ec));
            asio::steady_timer pause(co_await asio::this_coro::executor);
            for (std::size_t i = 0; i < body.size() && !ec; ++i) {
                if (i + 1 == body.size()) ticket.take();
                co_await asio::async_write(stream, asio::buffer(body.data() + i, 1),
                                           asio::redirect_error(use_awaitable, ec));
                beast::get_lowest_layer(stream).expires_after(kIdleTimeout);
                pause.expires_after(std::chrono::milliseconds(reply.trickleMs));
                co_await pause.async_wait(asio::redirect_error(use_awaitable, ec));
            }
            co_await earlierLinesWritten(logOrder, arrived);
            logger("request " + scheme + " " + std::to_string(port) + " " + request.method + " " +
                   request.target + " - " + std::to_string(reply.status) + " trickle");
            co_return;
        }
        ticket.take();
        co_await http::async_write(stream, res, asio::redirect_error(use_awaitable, ec));
        auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
                .count();
        co_await earlierLinesWritten(logOrder, arrived);
        logger("request " + scheme + " " + std::to_string(port) + " " + request.method + " " +
               request.target + " " + (reply.operation.empty() ? "-" : reply.operation) + " " +
               std::to_string(reply.status) + " " + std::to_string(elapsed) + "ms");
        if (ec || !res.keep_alive()) co_return;
    }
}

awaitable<void> session(tcp::socket socket, std::shared_ptr<DemoServer::Shared> shared, unsigned short port) {
    beast::tcp_stream stream(std::move(socket));
    beast::flat_buffer buffer;
    try {
        stream.expires_after(std::chrono::seconds(30));
        bool tls = co_await beast::async_detect_ssl(stream, buffer, use_awaitable);
        if (tls) {
            beast::ssl_stream<beast::tcp_stream> secure(std::move(stream), shared->tls);
            std::size_t used =
                co_await secure.async_handshake(asio::ssl::stream_base::server, buffer.data(), use_awaitable);
            buffer.consume(used);
            co_await serveRequests(secure, buffer, true, port, shared->handler, shared->logger,
                                   shared->logOrder);
            beast::error_code ec;
            beast::get_lowest_layer(secure).expires_after(std::chrono::seconds(5));
            co_await secure.async_shutdown(asio::redirect_error(use_awaitable, ec));
        } else {
            co_await serveRequests(stream, buffer, false, port, shared->handler, shared->logger,
                                   shared->logOrder);
            beast::error_code ec;
            stream.socket().shutdown(tcp::socket::shutdown_send, ec);
        }
    } catch (const std::exception&) {
        // A peer that went away or failed the handshake ends only its own connection.
    }
}

awaitable<void> acceptLoop(std::shared_ptr<tcp::acceptor> acceptor,
                           std::shared_ptr<DemoServer::Shared> shared) {
    const unsigned short port = acceptor->local_endpoint().port();
    for (;;) {
        beast::error_code ec;
        tcp::socket socket = co_await acceptor->async_accept(asio::redirect_error(use_awaitable, ec));
        if (ec == asio::error::operation_aborted || !acceptor->is_open()) co_return;
        if (ec) continue;
        asio::co_spawn(acceptor->get_executor(), session(std::move(socket), shared, port), asio::detached);
    }
}

}  // namespace

DemoServer::DemoServer(asio::io_context& io, asio::ssl::context& tls, Handler handler, Logger logger)
    : shared_(new Shared{tls, std::move(handler), std::move(logger)}), io_(io) {}

unsigned short DemoServer::listen(const asio::ip::address& address, unsigned short port) {
    auto acceptor = std::make_shared<tcp::acceptor>(io_);
    tcp::endpoint endpoint(address, port);
    acceptor->open(endpoint.protocol());
    acceptor->set_option(asio::socket_base::reuse_address(true));
    acceptor->bind(endpoint);
    acceptor->listen(asio::socket_base::max_listen_connections);
    acceptors_.push_back(acceptor);
    asio::co_spawn(io_, acceptLoop(acceptor, shared_), asio::detached);
    return acceptor->local_endpoint().port();
}

void DemoServer::stop() {
    for (auto& acceptor : acceptors_) {
        beast::error_code ec;
        acceptor->close(ec);
    }
}
