#include <gtest/gtest.h>

#include "device/PanelAddress.h"

namespace velk {
namespace {

TEST(PanelAddress, ParsesOnlyFourDecimalOctets) {
    uint32_t address = 0;
    EXPECT_TRUE(parseDottedAddress("192.168.1.165", address));
    EXPECT_EQ(address, 0xC0A801A5u);
    EXPECT_TRUE(parseDottedAddress("0.0.0.0", address));
    EXPECT_EQ(address, 0u);
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4 ", "a.b.c.d", "1..2.3", "1234.1.1.1"}) {
        EXPECT_FALSE(parseDottedAddress(bad, address)) << bad;
    }
}

TEST(PanelAddress, DottedAddressRoundTrips) {
    for (uint32_t address : {0u, 0xC0A801A5u, 0x7F000001u, 0xFFFFFFFFu, 0x0A000009u}) {
        uint32_t parsed = 1;
        ASSERT_TRUE(parseDottedAddress(dottedAddress(address), parsed)) << dottedAddress(address);
        EXPECT_EQ(parsed, address);
    }
    EXPECT_EQ(dottedAddress(0xC0A801A5u), "192.168.1.165");
}

TEST(PanelAddress, IpWithAnOptionalPortOfOneTo65535) {
    struct Case {
        const char* text;
        std::optional<PanelAddress> expected;
    };
    const Case cases[] = {
        {"10.0.0.9", PanelAddress{0x0A000009u, kDefaultPanelPort}},
        {"127.0.0.1:4801", PanelAddress{0x7F000001u, 4801}},
        {"1.2.3.4:1", PanelAddress{0x01020304u, 1}},
        {"1.2.3.4:65535", PanelAddress{0x01020304u, 65535}},
        {"1.2.3.4:0", std::nullopt},
        {"1.2.3.4:65536", std::nullopt},
        {"1.2.3.4:70000", std::nullopt},
        {"1.2.3.4:", std::nullopt},
        {"1.2.3.4:+80", std::nullopt},
        {"1.2.3.4: 80", std::nullopt},
        {"1.2.3.4:80x", std::nullopt},
        {"1.2.3.4:80:81", std::nullopt},
        {":80", std::nullopt},
        {"1.2.3", std::nullopt},
        {"300.1.1.1", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parsePanelAddress(c.text), c.expected) << c.text;
    }
}

TEST(PanelAddress, DefaultsAndTextRoundTrip) {
    PanelAddress panel;
    EXPECT_EQ(panelAddressText(panel), "192.168.1.165:4800");
    for (const PanelAddress& address :
         {PanelAddress{}, PanelAddress{0x7F000001u, 1}, PanelAddress{0, 65535}}) {
        EXPECT_EQ(parsePanelAddress(panelAddressText(address)), address) << panelAddressText(address);
    }
}

TEST(PanelPort, LowSixteenBitsOfTheDecimalText) {
    struct Case {
        const char* text;
        uint16_t port;
    };
    const Case cases[] = {{"4800", 4800}, {"70000", 4464}, {"", 0},       {"abc", 0},
                          {" 12x", 12},   {"65536", 0},    {"-1", 65535}, {"99999999999999999999999", 65535}};
    for (const auto& c : cases) {
        EXPECT_EQ(portEditValue(c.text), c.port) << c.text;
    }
}

TEST(MacText, UpperCaseBytesJoinedByDots) {
    EXPECT_EQ(macText({0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}), "00.1A.2B.3C.4D.5E");
    EXPECT_EQ(macText({0xFF, 0x0A, 0xB0, 0x01, 0x00, 0xFE}), "FF.0A.B0.01.00.FE");
}

TEST(MacText, SplitsIntoExactlySixByteTexts) {
    using Parts = std::array<std::string, 6>;
    EXPECT_EQ(splitMacText("00.1a.2B.3C.4D.5E"), (Parts{"00", "1a", "2B", "3C", "4D", "5E"}));
    EXPECT_EQ(splitMacText("00-11-22-33-44-55"), (Parts{"00", "11", "22", "33", "44", "55"}));
    EXPECT_EQ(splitMacText("0:1:2:3:4:5"), (Parts{"0", "1", "2", "3", "4", "5"}));
    // Empty or odd parts are left to the dialog's own check, which names the failing edit.
    EXPECT_EQ(splitMacText("....."), Parts{});
    EXPECT_EQ(splitMacText("G1.00.00.00.00.00"), (Parts{"G1", "00", "00", "00", "00", "00"}));
    for (const char* bad : {"", "00.11", "00.11.22.33.44", "00.11.22.33.44.55.66", "001122334455"}) {
        EXPECT_FALSE(splitMacText(bad).has_value()) << bad;
    }
    EXPECT_EQ(splitMacText(macText({1, 2, 3, 4, 250, 255})), (Parts{"01", "02", "03", "04", "FA", "FF"}));
}

}  // namespace
}  // namespace velk
