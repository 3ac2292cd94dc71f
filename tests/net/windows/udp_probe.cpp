// The Windows program's datagram transport over loopback, run under Wine (or
// on Windows): delivery both ways with the sender's address, a datagram over
// the limit dropped whole, the port held once, names resolved, this
// computer's own addresses bound. A console program: prints one line a check
// and exits 0 when all hold.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/host.h"

namespace {

int Failures = 0;

void Check(bool holds, const char* what) {
    std::printf("%s: %s\n", holds ? "ok" : "FAILED", what);
    Failures += holds ? 0 : 1;
}

bool Await(int32_t socket, host::NetDatagram& datagram) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (host::NetReceive(socket, datagram))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

}  // namespace

int main() {
    host::NetAddress loopback;
    host::NetNumericAddress("127.0.0.1", 0, loopback);
    std::string error;
    const int32_t a = host::NetOpen(loopback, error);
    const int32_t b = host::NetOpen(loopback, error);
    Check(a >= 0 && b >= 0, "two sockets open on 127.0.0.1");
    if (a < 0 || b < 0) {
        std::printf("%s\n", error.c_str());
        return 1;
    }
    Check(host::NetBound(b).port > 0, "a free port chosen");
    const std::vector<uint8_t> bytes = {1, 2, 3};
    host::NetDatagram got;
    Check(host::NetSend(a, host::NetBound(b), bytes.data(), 3) && Await(b, got) && got.size == 3 &&
              got.from == host::NetBound(a),
          "a to b, with a's address");
    Check(host::NetSend(b, got.from, bytes.data(), 2) && Await(a, got) && got.size == 2,
          "b answers a");
    Check(!host::NetReceive(a, got), "nothing more waiting, at once");
    std::vector<uint8_t> large(host::NetDatagramMax, 9);
    Check(!host::NetSend(a, host::NetBound(b), large.data(), host::NetDatagramMax + 1),
          "a datagram over the limit is not sent");
    Check(host::NetSend(a, host::NetBound(b), large.data(), host::NetDatagramMax) &&
              Await(b, got) && got.size == host::NetDatagramMax,
          "the largest datagram passes");
    Check(host::NetOpen(host::NetBound(a), error) < 0, "a port in use is refused");
    host::NetAddress resolved;
    Check(host::NetResolve("localhost:41700", resolved, error) && resolved.port == 41700,
          "localhost resolves");
    host::NetClose(a);
    Check(!host::NetSend(a, host::NetBound(b), bytes.data(), 1), "a closed socket sends nothing");
    host::NetClose(b);
    // The addresses a host tells the other player: this computer's own.
    for (host::NetAddress address : host::NetLocalAddresses()) {
        const int32_t own = host::NetOpen(address, error);
        std::printf("this computer: %s\n", host::NetAddressText(address).c_str());
        Check(own >= 0 && address.family == 4 && address.bytes[0] != 127,
              "a socket binds on an address of this computer's, not loopback");
        if (own >= 0)
            host::NetClose(own);
    }
    std::printf("udp_probe: %d failed\n", Failures);
    return Failures == 0 ? 0 : 1;
}
