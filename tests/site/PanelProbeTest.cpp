#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "device/TcpSocket.h"
#include "site/PanelProbe.h"

// The network block is read only when whole: a block cut short by the network never gives a
// setting read in part.
namespace velk {
namespace {

const std::string kBlock =
    "QM-PANEL-rtnip-192.168.1.165\r\nQM-PANEL-rtngate-192.168.1.1\r\nQM-PANEL-rtnsubm-255.255.255.0\r\n"
    "QM-PANEL-rtnmac-00.1A.2B.3C.00.01\r\nQM-PANEL-rtntport-4800\r\nQM-PANEL-rtnuport-4801\r\n"
    "QM-PANEL-rtnname-velk-panel-sim\r\n";

TEST(PanelProbeTest, TheNetworkBlockIsTakenOnlyWhole) {
    std::optional<PanelNetworkReply> whole = networkBlockOf(kBlock);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->ip, 0xC0A801A5u);
    EXPECT_EQ(whole->mask, 0xFFFFFF00u);
    EXPECT_EQ(whole->mac, (std::array<uint8_t, 6>{0x00, 0x1A, 0x2B, 0x3C, 0x00, 0x01}));
    EXPECT_EQ(whole->udpPort, 4801);
    // Noise before it is no part of it.
    EXPECT_EQ(networkBlockOf("\x15\xca" + kBlock), whole);
    // Cut anywhere before its end, nothing is read: not "48" for 4801.
    const size_t end = kBlock.find("rtnname");
    for (size_t cut = 0; cut < end; ++cut) {
        SCOPED_TRACE(cut);
        EXPECT_FALSE(networkBlockOf(kBlock.substr(0, cut)));
    }
}

TEST(PanelProbeTest, APortWhereNothingListensIsSaidPlainly) {
    std::string error;
    std::optional<TcpListener> listener = TcpListener::listenLoopback(0, error);
    ASSERT_TRUE(listener) << error;
    const uint16_t port = listener->port();
    listener.reset();
    std::atomic<bool> stop{false};
    auto answer = probePanel({kLoopbackAddress, port}, 1000, stop);
    ASSERT_TRUE(std::holds_alternative<std::string>(answer));
    EXPECT_EQ(std::get<std::string>(answer), "connection refused");
}

}  // namespace
}  // namespace velk
