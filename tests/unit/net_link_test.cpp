// The headless host's network in memory: two sockets of one process deliver
// to each other in order, a port is held once, and the seeded faults drop,
// repeat and reorder datagrams at their rates, the same for the same seed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/host.h"

namespace {

struct NetLink : testing::Test {
    int32_t a = -1, b = -1;
    void SetUp() override {
        headless::Reset();
        std::string error;
        a = host::NetOpen(host::NetAddress{}, error);
        b = host::NetOpen(host::NetAddress{}, error);
        ASSERT_GE(a, 0);
        ASSERT_GE(b, 0);
    }
    void TearDown() override { headless::Reset(); }

    void SendNumber(int32_t number) {
        const uint8_t bytes[2] = {static_cast<uint8_t>(number >> 8),
                                  static_cast<uint8_t>(number & 0xFF)};
        ASSERT_TRUE(host::NetSend(a, host::NetBound(b), bytes, 2));
    }
    std::vector<int32_t> Received() {
        std::vector<int32_t> numbers;
        host::NetDatagram datagram;
        while (host::NetReceive(b, datagram)) {
            EXPECT_EQ(datagram.from, host::NetBound(a));
            numbers.push_back(datagram.bytes[0] << 8 | datagram.bytes[1]);
        }
        return numbers;
    }
};

TEST_F(NetLink, DeliversInOrderWithTheSendersAddress) {
    EXPECT_EQ(host::NetAddressText(host::NetBound(a)), "127.0.0.1:40000");
    EXPECT_EQ(host::NetAddressText(host::NetBound(b)), "127.0.0.1:40001");
    for (int32_t i = 0; i < 5; ++i)
        SendNumber(i);
    EXPECT_EQ(Received(), (std::vector<int32_t>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(Received().empty());
}

TEST_F(NetLink, PortsAreHeldOnceAndClosedSocketsGetNothing) {
    std::string error;
    EXPECT_EQ(host::NetOpen(host::NetBound(a), error), -1);
    EXPECT_NE(error.find("taken"), std::string::npos);
    const uint8_t byte = 1;
    EXPECT_FALSE(host::NetSend(a, host::NetBound(b), &byte, 0));
    EXPECT_FALSE(host::NetSend(a, host::NetBound(b), &byte, host::NetDatagramMax + 1));
    const host::NetAddress bAt = host::NetBound(b);
    host::NetClose(b);
    EXPECT_TRUE(host::NetSend(a, bAt, &byte, 1)) << "sent, as UDP would, to no one";
    EXPECT_EQ(headless::NetUndeliverable(), 1);
    host::NetDatagram datagram;
    EXPECT_FALSE(host::NetReceive(b, datagram));
    EXPECT_GE(host::NetOpen(bAt, error), 0) << "a closed socket's port is free again";
}

TEST_F(NetLink, AQueueNeverReadIsBounded) {
    for (int32_t i = 0; i < 5000; ++i)
        SendNumber(i % 1000);
    EXPECT_LT(Received().size(), 5000u);
    EXPECT_GT(headless::NetUndeliverable(), 0);
}

TEST_F(NetLink, FaultsComeAtTheirRatesAndTheSameForTheSameSeed) {
    headless::SetNetFaults({7, 10, 5, 5});
    for (int32_t i = 0; i < 400; ++i)
        SendNumber(i);
    const std::vector<int32_t> first = Received();
    EXPECT_GE(headless::NetLost(), 20);
    EXPECT_LE(headless::NetLost(), 70);
    int32_t repeated = 0, overtaken = 0;
    for (size_t i = 1; i < first.size(); ++i) {
        repeated += first[i] == first[i - 1];
        overtaken += first[i] < first[i - 1];
    }
    EXPECT_GT(repeated, 3);
    EXPECT_GT(overtaken, 3);

    headless::SetNetFaults({7, 10, 5, 5});
    for (int32_t i = 0; i < 400; ++i)
        SendNumber(i);
    EXPECT_EQ(Received(), first);
    headless::SetNetFaults({8, 10, 5, 5});
    for (int32_t i = 0; i < 400; ++i)
        SendNumber(i);
    EXPECT_NE(Received(), first);
}

TEST_F(NetLink, NamesResolveToTheLinkOnly) {
    host::NetAddress address;
    std::string error;
    ASSERT_TRUE(host::NetResolve("localhost:40001", address, error));
    EXPECT_EQ(address, host::NetBound(b));
    EXPECT_FALSE(host::NetResolve("lobby.example:41700", address, error));
    EXPECT_FALSE(host::NetResolve("127.0.0.1", address, error));
}

}  // namespace
