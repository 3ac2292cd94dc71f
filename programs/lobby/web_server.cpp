// Serving the web edition over HTTP with Boost.Beast: one connection at a
// time per session, requests read with Beast's parser (headers of at most
// 8 KiB, no body), the answer chosen by web_files.cpp, files sent whole; an
// upgrade to WebSocket at /lobby handed to page_socket.cpp once let in.
#include "programs/lobby/web_server.h"

#include <utility>  // Boost 1.74 misses it under C++20

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket/rfc6455.hpp>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "programs/lobby/asio_address.h"
#include "programs/lobby/page_socket.h"
#include "programs/lobby/rate_limit.h"
#include "programs/lobby/web_files.h"
#include "programs/lobby/web_origin.h"

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

// A page loads some 20 files; a visitor reloading often stays well inside.
constexpr int64_t RequestsPerMinute = 6000;
constexpr int64_t RequestsBurst = 200;
constexpr size_t AddressesFollowed = 100000;

struct WebServer {
    explicit WebServer(asio::io_context& io) : acceptor(io), retry(io) {}
    tcp::acceptor acceptor;
    asio::steady_timer retry;
    std::string root;
    std::vector<std::string> origins;  // --origin, besides the lobby's own
    host::NetAddress proxy;            // --real-ip-from; family 0 without
    std::unordered_map<std::string, LobbyBucket> buckets;
    WebCounts counts;
};
std::unique_ptr<WebServer> Server;

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Who asks: the peer, or the visitor that the proxy of --real-ip-from names
// in X-Real-IP (the proxy itself when it names none).
host::NetAddress Visitor(const tcp::endpoint& peer,
                         const http::request<http::empty_body>& request) {
    const host::NetAddress address =
        AddressOf(asio::ip::udp::endpoint(peer.address(), peer.port()));
    host::NetAddress named;
    if (Server->proxy.family != 0 && LobbyLimitKey(address) == LobbyLimitKey(Server->proxy) &&
        host::NetNumericAddress(std::string(request["X-Real-IP"]), 1, named))
        return named;
    return address;
}

bool WithinRate(const std::string& address) {
    if (Server->buckets.size() > AddressesFollowed)
        Server->buckets.clear();
    return LobbyTakeToken(Server->buckets[address], NowMs(), RequestsPerMinute, RequestsBurst);
}

class WebSession : public std::enable_shared_from_this<WebSession> {
public:
    explicit WebSession(tcp::socket socket) : stream_(std::move(socket)) {}

    void Read() {
        parser_.emplace();
        parser_->header_limit(8192);
        stream_.expires_after(std::chrono::seconds(30));
        http::async_read(
            stream_, buffer_, *parser_,
            [self = shared_from_this()](beast::error_code error, size_t) { self->Answer(error); });
    }

private:
    void Answer(beast::error_code error) {
        if (error) {
            Close();
            return;
        }
        const http::request<http::empty_body> request = parser_->release();
        Server->counts.requests += 1;
        boost::system::error_code ignored;
        const host::NetAddress visitor =
            Visitor(stream_.socket().remote_endpoint(ignored), request);
        const std::string address = LobbyLimitKey(visitor);
        if (!WithinRate(address)) {
            Server->counts.limited += 1;
            return SendEmpty(request, http::status::too_many_requests, false);
        }
        if (beast::websocket::is_upgrade(request))
            return Upgrade(request, visitor);
        if (request.method() != http::verb::get && request.method() != http::verb::head) {
            Server->counts.refused += 1;
            return SendEmpty(request, http::status::method_not_allowed, false);
        }
        const WebAnswer answer =
            AnswerWebRequest(Server->root, std::string(request.target()),
                             std::string(request[http::field::accept_encoding]),
                             std::string(request[http::field::if_none_match]));
        if (answer.status == 200)
            return SendFile(request, answer);
        Server->counts.served += answer.status == 304;
        Server->counts.refused += answer.status == 404;
        SendEmpty(request, http::status(answer.status), request.keep_alive(), &answer);
    }

    // The page's connection to the lobby: at /lobby only, from the lobby's
    // own pages or those of --origin, and so many at once per address.
    void Upgrade(const http::request<http::empty_body>& request, const host::NetAddress& visitor) {
        const std::string address = LobbyLimitKey(visitor);
        const auto origin = request.find(http::field::origin);
        http::status refusal = http::status::ok;
        if (request.target() != "/lobby")
            refusal = http::status::not_found;
        else if (origin != request.end() &&
                 !WebOriginAllowed(std::string(origin->value()),
                                   std::string(request[http::field::host]), Server->origins))
            refusal = http::status::forbidden;
        else if (!PageSocketAllowed(address))
            refusal = http::status::too_many_requests;
        else if (PageSocketsFull())
            refusal = http::status::service_unavailable;
        if (refusal != http::status::ok) {
            Server->counts.refused += 1;
            PageSocketCounts().refused += 1;
            return SendEmpty(request, refusal, false);
        }
        OpenPageSocket(std::move(stream_), request, address, visitor);
    }

    template <class Body>
    void Describe(http::response<Body>& response, const WebAnswer& answer) {
        if (!answer.cacheControl.empty())
            response.set(http::field::cache_control, answer.cacheControl);
        if (!answer.etag.empty())
            response.set(http::field::etag, answer.etag);
        if (answer.varies)
            response.set(http::field::vary, "Accept-Encoding");
        if (!answer.location.empty())
            response.set(http::field::location, answer.location);
    }

    void SendEmpty(const http::request<http::empty_body>& request, http::status status,
                   bool keepAlive, const WebAnswer* answer = nullptr) {
        auto response =
            std::make_shared<http::response<http::empty_body>>(status, request.version());
        response->set("X-Content-Type-Options", "nosniff");
        if (status == http::status::method_not_allowed)
            response->set(http::field::allow, "GET, HEAD");
        if (answer)
            Describe(*response, *answer);
        response->content_length(0);
        response->keep_alive(keepAlive);
        Write(response);
    }

    void SendFile(const http::request<http::empty_body>& request, const WebAnswer& answer) {
        http::file_body::value_type body;
        beast::error_code error;
        body.open(answer.file.c_str(), beast::file_mode::scan, error);
        if (error) {
            Server->counts.refused += 1;
            return SendEmpty(request, http::status::not_found, request.keep_alive());
        }
        auto response = std::make_shared<http::response<http::file_body>>(
            std::piecewise_construct, std::make_tuple(std::move(body)),
            std::make_tuple(http::status::ok, request.version()));
        response->set(http::field::content_type, answer.type);
        response->set("X-Content-Type-Options", "nosniff");
        if (!answer.coding.empty())
            response->set(http::field::content_encoding, answer.coding);
        Describe(*response, answer);
        response->content_length(answer.size);
        response->keep_alive(request.keep_alive());
        Server->counts.served += 1;
        if (request.method() == http::verb::head) {
            // The headers alone: an empty answer that claims the file's length.
            auto head = std::make_shared<http::response<http::empty_body>>(http::status::ok,
                                                                           request.version());
            head->base() = response->base();
            return Write(head);
        }
        Write(response);
    }

    template <class Response>
    void Write(std::shared_ptr<Response> response) {
        const bool keepAlive = response->keep_alive();
        http::async_write(
            stream_, *response,
            [self = shared_from_this(), response, keepAlive](beast::error_code error, size_t) {
                if (error || !keepAlive)
                    return self->Close();
                self->Read();
            });
    }

    void Close() {
        beast::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    }

    beast::tcp_stream stream_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::empty_body>> parser_;
};

void Accept() {
    Server->acceptor.async_accept([](beast::error_code error, tcp::socket socket) {
        if (error == asio::error::operation_aborted)
            return;
        if (error) {
            // Out of descriptors, most likely (pages' connections last): the
            // connection waits in the queue, and asking again at once would
            // spin.
            Server->retry.expires_after(std::chrono::milliseconds(100));
            Server->retry.async_wait([](beast::error_code stopped) {
                if (!stopped)
                    Accept();
            });
            return;
        }
        std::make_shared<WebSession>(std::move(socket))->Read();
        Accept();
    });
}

}  // namespace

int StartWebServer(asio::io_context& io, const LobbyOptions& options, std::string& error) {
    const std::string& root = options.webRoot;
    const std::string& bind = options.bind;
    const int port = options.webPort;
    std::error_code missing;
    if (!std::filesystem::is_regular_file(std::filesystem::path(root) / "index.html", missing)) {
        error = root + " holds no index.html: build the web edition first";
        return -1;
    }
    Server = std::make_unique<WebServer>(io);
    Server->root = root;
    Server->origins = options.origins;
    Server->proxy = options.realIpFrom;
    boost::system::error_code failure;
    const asio::ip::address address = asio::ip::make_address(bind, failure);
    const tcp::endpoint local(address, static_cast<uint16_t>(port));
    if (!failure)
        Server->acceptor.open(local.protocol(), failure);
    if (!failure)
        Server->acceptor.set_option(asio::socket_base::reuse_address(true), failure);
    if (!failure)
        Server->acceptor.bind(local, failure);
    if (!failure)
        Server->acceptor.listen(asio::socket_base::max_listen_connections, failure);
    if (failure) {
        error = "cannot serve the web edition on " + bind + " port " + std::to_string(port) + ": " +
                failure.message();
        return -1;
    }
    Accept();
    return Server->acceptor.local_endpoint().port();
}

const WebCounts& WebServerCounts() {
    static const WebCounts none;
    return Server ? Server->counts : none;
}

void StopWebServer() {
    Server.reset();
}
