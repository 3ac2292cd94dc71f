// The desktop's datagram transport over loopback: delivery with the sender's
// address, nothing blocking, datagrams over the limit dropped whole, sockets
// not ours refused; and the addresses' text both ways.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/host.h"

namespace {

host::NetAddress Loopback(int32_t port = 0) {
    host::NetAddress address;
    EXPECT_TRUE(host::NetNumericAddress("127.0.0.1", port, address));
    return address;
}

// Waits for the next datagram, generously: the machine may be busy.
bool Await(int32_t socket, host::NetDatagram& datagram) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (host::NetReceive(socket, datagram))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

struct TwoSockets : testing::Test {
    int32_t a = -1, b = -1;
    std::string error;
    void SetUp() override {
        a = host::NetOpen(Loopback(), error);
        b = host::NetOpen(Loopback(), error);
        ASSERT_GE(a, 0) << error;
        ASSERT_GE(b, 0) << error;
    }
    void TearDown() override {
        host::NetClose(a);
        host::NetClose(b);
    }
};

TEST_F(TwoSockets, DeliversWithTheSendersAddress) {
    const host::NetAddress at = host::NetBound(b);
    EXPECT_EQ(at.family, 4);
    EXPECT_GT(at.port, 0);
    const std::vector<uint8_t> bytes = {1, 2, 3, 250};
    ASSERT_TRUE(host::NetSend(a, at, bytes.data(), 4));
    host::NetDatagram got;
    ASSERT_TRUE(Await(b, got));
    EXPECT_EQ(std::vector<uint8_t>(got.bytes, got.bytes + got.size), bytes);
    EXPECT_EQ(got.from, host::NetBound(a));
    EXPECT_FALSE(host::NetReceive(b, got)) << "one datagram, received once";
}

TEST_F(TwoSockets, TheLargestDatagramPassesAndALargerOneIsDroppedWhole) {
    std::vector<uint8_t> largest(host::NetDatagramMax, 7);
    EXPECT_FALSE(host::NetSend(a, host::NetBound(b), largest.data(), host::NetDatagramMax + 1));
    EXPECT_FALSE(host::NetSend(a, host::NetBound(b), largest.data(), 0));
    // A stranger's oversized datagram, then a plain one: only the plain one.
    const int raw = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(host::NetBound(b).port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::vector<uint8_t> oversized(host::NetDatagramMax + 300, 9);
    ASSERT_GT(::sendto(raw, oversized.data(), oversized.size(), 0, reinterpret_cast<sockaddr*>(&to),
                       sizeof to),
              0);
    ::close(raw);
    ASSERT_TRUE(host::NetSend(a, host::NetBound(b), largest.data(), host::NetDatagramMax));
    host::NetDatagram got;
    ASSERT_TRUE(Await(b, got));
    EXPECT_EQ(got.size, host::NetDatagramMax);
    EXPECT_EQ(got.from, host::NetBound(a));
}

TEST_F(TwoSockets, ClosedAndForeignSocketsAreRefused) {
    host::NetDatagram got;
    EXPECT_FALSE(host::NetReceive(a, got)) << "nothing waiting: false at once";
    const uint8_t byte = 1;
    EXPECT_FALSE(host::NetSend(0, host::NetBound(b), &byte, 1))
        << "standard input is no socket of ours";
    EXPECT_FALSE(host::NetSend(a, host::NetAddress{}, &byte, 1)) << "no address";
    host::NetClose(a);
    EXPECT_FALSE(host::NetSend(a, host::NetBound(b), &byte, 1));
    EXPECT_EQ(host::NetBound(a).family, 0);
}

TEST(Udp, APortInUseIsRefusedWithWhy) {
    std::string error;
    const int32_t first = host::NetOpen(Loopback(), error);
    ASSERT_GE(first, 0);
    EXPECT_EQ(host::NetOpen(host::NetBound(first), error), -1);
    EXPECT_NE(error.find("cannot open 127.0.0.1:"), std::string::npos) << error;
    host::NetClose(first);
}

TEST(NetText, HostAndPortAreSplitAndChecked) {
    std::string name;
    int32_t port = 0;
    EXPECT_TRUE(host::SplitHostPort("lobby.example:41700", name, port));
    EXPECT_EQ(name, "lobby.example");
    EXPECT_EQ(port, 41700);
    EXPECT_TRUE(host::SplitHostPort("[::1]:5", name, port));
    EXPECT_EQ(name, "::1");
    for (const char* bad : {"host", "host:", ":80", "host:0", "host:65536", "host:8x", "::1:80",
                            "[::1]80", "[]:80", "host:123456"})
        EXPECT_FALSE(host::SplitHostPort(bad, name, port)) << bad;
}

TEST(NetText, AddressesReadAndWrittenBack) {
    const std::pair<const char*, const char*> cases[] = {
        {"127.0.0.1", "127.0.0.1:9"},
        {"::1", "[::1]:9"},
        {"2001:db8::8:800:200c:417a", "[2001:db8::8:800:200c:417a]:9"},
        {"fe80:0:0:0:0:0:0:1", "[fe80::1]:9"},
        {"1:0:0:2:0:0:0:3", "[1:0:0:2::3]:9"},
        {"::", "[::]:9"},
    };
    for (const auto& [text, written] : cases) {
        host::NetAddress address;
        ASSERT_TRUE(host::NetNumericAddress(text, 9, address)) << text;
        EXPECT_EQ(host::NetAddressText(address), written);
    }
    host::NetAddress address;
    for (const char* bad : {"256.0.0.1", "1.2.3", "1.2.3.4.5", "1..2.3",
                            "12345::", "1:2:3:4:5:6:7:8:9", "1::2::3", "g::1", "localhost", ""})
        EXPECT_FALSE(host::NetNumericAddress(bad, 9, address)) << bad;
}

TEST(Udp, NamesAndNumbersResolve) {
    host::NetAddress address;
    std::string error;
    ASSERT_TRUE(host::NetResolve("localhost:41700", address, error)) << error;
    EXPECT_EQ(address.port, 41700);
    EXPECT_TRUE(address.family == 4 || address.family == 6);
    ASSERT_TRUE(host::NetResolve("[::1]:80", address, error));
    EXPECT_EQ(address.family, 6);
    EXPECT_FALSE(host::NetResolve("localhost", address, error));
    EXPECT_NE(error.find("HOST:PORT"), std::string::npos);
}

}  // namespace

// The addresses told to the other player are this computer's own: a socket
// binds on each, and none is loopback.
TEST(LocalAddresses, AreThisComputersOwnAndNotLoopback) {
    for (host::NetAddress address : host::NetLocalAddresses()) {
        EXPECT_EQ(address.family, 4);
        EXPECT_NE(address.bytes[0], 127) << host::NetAddressText(address);
        std::string error;
        const int32_t socket = host::NetOpen(address, error);
        EXPECT_GE(socket, 0) << host::NetAddressText(address) << ": " << error;
        if (socket >= 0)
            host::NetClose(socket);
    }
}
