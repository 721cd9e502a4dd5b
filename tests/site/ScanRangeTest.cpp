#include <gtest/gtest.h>

#include "device/PanelAddress.h"
#include "site/PanelScan.h"
#include "site/ScanRange.h"

namespace velk {
namespace {

uint32_t at(const char* text) {
    uint32_t address = 0;
    EXPECT_TRUE(parseDottedAddress(text, address)) << text;
    return address;
}

TEST(ScanRangeTest, ReadsAddressesAndBlocks) {
    struct Case {
        const char* text;
        const char* first;
        const char* last;
    };
    const std::vector<Case> cases = {
        {"192.168.1.165", "192.168.1.165", "192.168.1.165"},
        {"192.168.1.0/24", "192.168.1.1", "192.168.1.254"},
        // A block is the one the address lies in.
        {"192.168.1.77/24", "192.168.1.1", "192.168.1.254"},
        {"10.20.0.0/16", "10.20.0.1", "10.20.255.254"},
        {"10.20.30.40/16", "10.20.0.1", "10.20.255.254"},
        {"127.0.1.0/25", "127.0.1.1", "127.0.1.126"},
        {"127.0.1.200/25", "127.0.1.129", "127.0.1.254"},
        // The smallest block with a network and a broadcast address left out.
        {"127.0.0.5/30", "127.0.0.5", "127.0.0.6"},
        // /31 and /32 have none to leave out.
        {"127.0.0.5/31", "127.0.0.4", "127.0.0.5"},
        {"127.0.0.5/32", "127.0.0.5", "127.0.0.5"},
        {"255.255.255.255/32", "255.255.255.255", "255.255.255.255"},
        {"255.255.0.0/16", "255.255.0.1", "255.255.255.254"},
        {"0.0.0.0/30", "0.0.0.1", "0.0.0.2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto parsed = parseScanRange(c.text);
        ASSERT_TRUE(std::holds_alternative<AddressRange>(parsed)) << std::get<std::string>(parsed);
        EXPECT_EQ(std::get<AddressRange>(parsed), (AddressRange{at(c.first), at(c.last)}));
    }
}

TEST(ScanRangeTest, RefusesWhatIsNoRangeNamingIt) {
    const std::vector<const char*> bad = {
        "",
        "192.168.1",
        "192.168.1.256",
        "192.168.1.0/",
        "192.168.1.0/15",
        "10.0.0.0/8",
        "10.0.0.0/0",
        "10.0.0.0/33",
        "10.0.0.0/-24",
        "10.0.0.0/+24",
        "10.0.0.0/2x",
        "10.0.0.0/024",
        "10.0.0.0/24/8",
        "10.0.0.0 /24",
        "10.0.0.0/ 24",
        "host",
        "10.0.0.1-10.0.0.9",
    };
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        auto parsed = parseScanRange(text);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed));
        EXPECT_NE(std::get<std::string>(parsed).find(std::string(text) + ":"), std::string::npos)
            << std::get<std::string>(parsed);
    }
}

TEST(ScanRangeTest, AddressesAreSortedAndEachOnce) {
    const std::vector<uint32_t> addresses =
        scanAddresses({std::get<AddressRange>(parseScanRange("127.0.0.9")),
                       std::get<AddressRange>(parseScanRange("127.0.0.0/29")),
                       std::get<AddressRange>(parseScanRange("127.0.0.3"))});
    std::vector<uint32_t> expected;
    for (uint32_t host = 1; host <= 6; ++host) {
        expected.push_back(0x7F000000u + host);
    }
    expected.push_back(0x7F000009u);
    EXPECT_EQ(addresses, expected);
    EXPECT_EQ(scanAddresses({std::get<AddressRange>(parseScanRange("10.0.0.0/16"))}).size(), 65534u);
    // The top of the address space ends the loop rather than wrapping round.
    EXPECT_EQ(scanAddresses({{0xFFFFFFFEu, 0xFFFFFFFFu}}), (std::vector<uint32_t>{0xFFFFFFFEu, 0xFFFFFFFFu}));
}

TEST(ScanRangeTest, CidrTextOfAnInterface) {
    EXPECT_EQ(cidrText(at("192.168.1.23"), at("255.255.255.0")), "192.168.1.0/24");
    EXPECT_EQ(cidrText(at("10.1.2.3"), at("255.255.0.0")), "10.1.0.0/16");
    EXPECT_EQ(cidrText(at("10.1.2.3"), at("255.255.255.255")), "10.1.2.3/32");
    EXPECT_EQ(cidrText(at("10.1.2.3"), at("255.255.255.252")), "10.1.2.0/30");
}

TEST(ScanRangeTest, LocalNetworksOfferedForAScan) {
    struct Case {
        std::vector<LocalAddress> addresses;
        std::string ranges;
    };
    const std::vector<Case> cases = {
        {{}, "192.168.1.0/24"},
        {{{at("192.168.3.17"), at("255.255.255.0")}}, "192.168.3.0/24"},
        // Loopback, link-local and an unset address are no network of panels.
        {{{at("127.0.0.1"), at("255.0.0.0")}, {at("169.254.7.9"), at("255.255.0.0")}, {0, 0}},
         "192.168.1.0/24"},
        // Wider than a /16: the /24 around the address.
        {{{at("10.20.30.40"), at("255.0.0.0")}}, "10.20.30.0/24"},
        {{{at("172.16.5.6"), at("255.255.0.0")}}, "172.16.0.0/16"},
        // Each network once, in the order found.
        {{{at("192.168.3.17"), at("255.255.255.0")},
          {at("10.0.0.2"), at("255.255.255.252")},
          {at("192.168.3.99"), at("255.255.255.0")}},
         "192.168.3.0/24 10.0.0.0/30"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ranges);
        EXPECT_EQ(localScanRanges(c.addresses), c.ranges);
        // What is offered can be scanned as it stands.
        size_t start = 0;
        const std::string ranges = localScanRanges(c.addresses);
        while (start < ranges.size()) {
            const size_t end = std::min(ranges.find(' ', start), ranges.size());
            EXPECT_TRUE(
                std::holds_alternative<AddressRange>(parseScanRange(ranges.substr(start, end - start))));
            start = end + 1;
        }
    }
}

// The block a panel sends, as the simulator sends it.
const std::string kBlock =
    "QM-PANEL-rtnip-192.168.1.165\r\nQM-PANEL-rtngate-192.168.1.1\r\nQM-PANEL-rtnsubm-255.255.255.0\r\n"
    "QM-PANEL-rtnmac-00.1A.2B.3C.4D.5E\r\nQM-PANEL-rtntport-4800\r\nQM-PANEL-rtnuport-4801\r\n"
    "QM-PANEL-rtnname-velk-panel-sim\r\n";

TEST(ScanRangeTest, NetworkBlockIsTakenOnlyWhole) {
    const std::optional<PanelNetworkReply> whole = wholeNetworkBlock(kBlock, false);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->ip, at("192.168.1.165"));
    EXPECT_EQ(whole->gateway, at("192.168.1.1"));
    EXPECT_EQ(whole->mask, at("255.255.255.0"));
    EXPECT_EQ(whole->mac, (std::array<uint8_t, 6>{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
    EXPECT_EQ(whole->tcpPort, 4800);
    EXPECT_EQ(whole->udpPort, 4801);
    // Cut anywhere, the block is never read in part while more may come: the UDP port "4801" cut to
    // "480" is the case that would read. It is whole once its six lines are there and, past 180
    // characters, a line ends.
    const size_t uportEnd = kBlock.find("4801\r\n") + 4;
    size_t firstWhole = 0;
    for (size_t cut = 0; cut <= kBlock.size() && firstWhole == 0; ++cut) {
        if (wholeNetworkBlock(kBlock.substr(0, cut), false)) {
            firstWhole = cut;
        }
    }
    EXPECT_GT(firstWhole, std::max<size_t>(uportEnd, 180));
    for (size_t cut = firstWhole; cut <= kBlock.size(); ++cut) {
        SCOPED_TRACE(cut);
        const std::optional<PanelNetworkReply> read = wholeNetworkBlock(kBlock.substr(0, cut), false);
        ASSERT_TRUE(read);
        EXPECT_EQ(*read, *whole);
    }
    // A peer that closed after its last byte sent all it will: a block that reads whole to there
    // counts; one cut in its port does not.
    EXPECT_EQ(wholeNetworkBlock(kBlock.substr(0, kBlock.size() - 2), true), whole);
    const std::string cutPort = kBlock.substr(0, uportEnd - 1);
    EXPECT_FALSE(wholeNetworkBlock(cutPort, false));
    EXPECT_FALSE(wholeNetworkBlock(cutPort, true)) << "a cut port read as another";
    // Other replies and short blocks are no network block, closed or not.
    EXPECT_FALSE(wholeNetworkBlock("QM-PANEL-rtnstate-edit exit", true));
    EXPECT_FALSE(wholeNetworkBlock(kBlock.substr(0, 170), true));
}

TEST(ScanRangeTest, FoundPanelsAsLinesAndJson) {
    FoundPanel panel{at("127.0.0.2"), 4800, *wholeNetworkBlock(kBlock, true)};
    EXPECT_EQ(foundPanelLine(panel),
              "127.0.0.2\t4800\t192.168.1.165\t255.255.255.0\t192.168.1.1\t00.1A.2B.3C.4D.5E");
    EXPECT_EQ(foundPanelsJson({}), "[]\n");
    EXPECT_EQ(foundPanelsJson({panel}),
              "[\n  {\n    \"address\": \"127.0.0.2\",\n    \"port\": 4800,\n    \"ip\": \"192.168.1.165\",\n"
              "    \"mask\": \"255.255.255.0\",\n    \"gateway\": \"192.168.1.1\",\n"
              "    \"mac\": \"00.1A.2B.3C.4D.5E\"\n  }\n]\n");
}

}  // namespace
}  // namespace velk
