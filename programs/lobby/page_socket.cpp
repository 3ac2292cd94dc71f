// The pages' WebSocket connections (Boost.Beast): messages of at most one
// datagram, binary only; anything else closes that connection alone. Each
// connection is numbered once and forgotten when it closes.
#include "programs/lobby/page_socket.h"

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

#include "programs/lobby/page_address.h"

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;

namespace {

class PageSession;

struct PageTable {
    PageHooks hooks;
    uint64_t lastSerial = 0;
    std::unordered_map<uint64_t, std::weak_ptr<PageSession>> open;
    std::unordered_map<std::string, int32_t> perAddress;
    int32_t total = 0;
    PageCounts counts;
};
PageTable Pages;

// A failure of the peer's making (not a close or a lost connection).
bool Malformed(const beast::error_code& error) {
    return error.category() ==
               beast::websocket::make_error_code(websocket::error::closed).category() &&
           error != websocket::error::closed;
}

class PageSession : public std::enable_shared_from_this<PageSession> {
public:
    PageSession(beast::tcp_stream stream, std::string address, const host::NetAddress& peer)
        : ws_(std::move(stream)), address_(std::move(address)), peer_(peer) {
        ++Pages.perAddress[address_];
        ++Pages.total;
    }

    ~PageSession() {
        --Pages.total;
        if (--Pages.perAddress[address_] <= 0)
            Pages.perAddress.erase(address_);
        if (serial_ != 0)
            Pages.open.erase(serial_);
    }

    void Start(const http::request<http::empty_body>& request) {
        beast::get_lowest_layer(ws_).expires_never();
        // A handshake in 30 s; a page silent for 300 s is gone (it polls
        // every 5 s at most).
        ws_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
        ws_.read_message_max(static_cast<size_t>(host::NetDatagramMax));
        ws_.binary(true);
        ws_.async_accept(request, [self = shared_from_this()](beast::error_code error) {
            if (!error)
                self->Opened();
        });
    }

    bool Send(const uint8_t* bytes, int32_t size) {
        if (static_cast<int32_t>(queue_.size()) >= PageQueueMax || forgotten_)
            return false;
        queue_.emplace_back(bytes, bytes + size);
        if (queue_.size() == 1)
            Write();
        return true;
    }

private:
    void Opened() {
        serial_ = ++Pages.lastSerial;
        endpoint_ = LobbyPageEndpoint(serial_);
        Pages.open[serial_] = weak_from_this();
        ++Pages.counts.opened;
        Pages.hooks.opened(endpoint_, peer_);
        Read();
    }

    void Read() {
        ws_.async_read(buffer_, [self = shared_from_this()](beast::error_code error, size_t) {
            self->Got(error);
        });
    }

    void Got(const beast::error_code& error) {
        if (error) {
            Pages.counts.closedBad += Malformed(error);
            return Forget();
        }
        if (!ws_.got_binary()) {
            ++Pages.counts.closedBad;
            Forget();
            ws_.async_close(websocket::close_code::unknown_data,
                            [self = shared_from_this()](beast::error_code) {});
            return;
        }
        ++Pages.counts.received;
        const std::vector<uint8_t> message(
            static_cast<const uint8_t*>(buffer_.data().data()),
            static_cast<const uint8_t*>(buffer_.data().data()) + buffer_.size());
        buffer_.consume(buffer_.size());
        Pages.hooks.received(endpoint_, message.data(), static_cast<int32_t>(message.size()));
        Read();
    }

    void Write() {
        ws_.async_write(asio::buffer(queue_.front()),
                        [self = shared_from_this()](beast::error_code error, size_t) {
                            if (error)
                                return self->Forget();
                            ++Pages.counts.sent;
                            self->queue_.pop_front();
                            if (!self->queue_.empty())
                                self->Write();
                        });
    }

    // The lobby forgets the connection's endpoint; what is still queued for
    // it goes nowhere.
    void Forget() {
        if (forgotten_ || serial_ == 0)
            return;
        forgotten_ = true;
        Pages.open.erase(serial_);
        Pages.hooks.closed(endpoint_);
    }

    websocket::stream<beast::tcp_stream> ws_;
    beast::flat_buffer buffer_;
    std::string address_;
    host::NetAddress peer_;
    uint64_t serial_ = 0;
    host::NetAddress endpoint_;
    std::deque<std::vector<uint8_t>> queue_;
    bool forgotten_ = false;
};

}  // namespace

void SetPageHooks(const PageHooks& hooks) {
    Pages.hooks = hooks;
}

bool PageSocketAllowed(const std::string& address) {
    auto found = Pages.perAddress.find(address);
    return found == Pages.perAddress.end() || found->second < PageSocketsPerAddress;
}

bool PageSocketsFull() {
    return Pages.total >= PageSocketsMax;
}

void OpenPageSocket(beast::tcp_stream stream, const http::request<http::empty_body>& request,
                    const std::string& address, const host::NetAddress& peer) {
    std::make_shared<PageSession>(std::move(stream), address, peer)->Start(request);
}

bool SendToPage(uint64_t serial, const uint8_t* bytes, int32_t size) {
    auto found = Pages.open.find(serial);
    std::shared_ptr<PageSession> session =
        found == Pages.open.end() ? nullptr : found->second.lock();
    if (session && session->Send(bytes, size))
        return true;
    ++Pages.counts.dropped;
    return false;
}

PageCounts& PageSocketCounts() {
    return Pages.counts;
}
