#include <gtest/gtest.h>

#include <random>

#include "device/ReplyReader.h"

namespace velk {
namespace {

template <typename T>
T expectReply(std::string_view block) {
    Reply reply = readReply(block);
    EXPECT_TRUE(std::holds_alternative<T>(reply)) << block.substr(0, 80);
    return std::holds_alternative<T>(reply) ? std::get<T>(reply) : T{};
}

void expectDropped(std::string_view block) {
    EXPECT_TRUE(std::holds_alternative<std::monostate>(readReply(block))) << block.substr(0, 80);
}

TEST(ReplyReader, EnumValues) {
    struct Case {
        const char* block;
        int number;
        const char* word;
        std::vector<std::string> values;
    };
    const Case cases[] = {
        {"QM-PANEL-rtnenum-3-ascii-", 3, "ascii", {""}},
        {"QM-PANEL-rtnenum-3-ascii-a#b#c", 3, "ascii", {"a", "b", "c"}},
        {"QM-PANEL-rtnenum-3-HEX-01", 3, "HEX", {"01"}},
        {"QM-PANEL-rtnenum-4-ascii-#X", 4, "ascii", {"", "X"}},
        {"QM-PANEL-rtnenum-1-hex-01 02#0a 0b", 1, "hex", {"01 02", "0a 0b"}},
        {"QM-PANEL-rtnenum-7-ascii", 7, "ascii", {""}},
        {"QM-PANEL-rtnenum-2-ascii-a#b#", 2, "ascii", {"a", "b", ""}},
        {"QM-PANEL-rtnenum-12-a,b-x", 12, "a,b", {"x"}},
    };
    for (const auto& c : cases) {
        auto reply = expectReply<EnumReply>(c.block);
        EXPECT_EQ(reply.number, c.number) << c.block;
        EXPECT_EQ(reply.typeWord, c.word) << c.block;
        EXPECT_EQ(reply.values, c.values) << c.block;
    }
}

TEST(ReplyReader, EnumCountsHashesOfTheWholeBlockAndStopsAtTen) {
    auto two = expectReply<EnumReply>("QM-PANEL-rtnenum-1-ascii-a#bQM-PANEL-rtnenum-2-ascii-c#d");
    EXPECT_EQ(two.values, (std::vector<std::string>{"a", "bQM-PANEL-rtnenum-2-ascii-c", "d"}));

    auto many = expectReply<EnumReply>("QM-PANEL-rtnenum-5-ascii-1#2#3#4#5#6#7#8#9#10#11#12");
    ASSERT_EQ(many.values.size(), 10u);
    EXPECT_EQ(many.values[9], "10");

    std::string longValue(5000, 'v');
    auto whole = expectReply<EnumReply>("QM-PANEL-rtnenum-5-ascii-" + longValue);
    EXPECT_EQ(whole.values, std::vector<std::string>{longValue})
        << "values longer than 29 characters stay whole";
}

TEST(ReplyReader, NetTargetAndVariable) {
    auto udp = expectReply<NetTargetReply>("QM-PANEL-rtnser-UDP-1-192.168.1.30-6000");
    EXPECT_EQ(udp.word, "UDP");
    EXPECT_EQ(udp.number, 1);
    EXPECT_EQ(udp.ip, 0xC0A8011Eu);
    EXPECT_EQ(udp.port, 6000);

    auto var = expectReply<VariableReply>("QM-PANEL-rtnvar-2-5-0-10-SAVE");
    EXPECT_EQ(var.number, 2);
    EXPECT_EQ(var.init, 5);
    EXPECT_EQ(var.min, 0);
    EXPECT_EQ(var.max, 10);
    EXPECT_EQ(var.word, "SAVE");

    auto negative = expectReply<VariableReply>("QM-PANEL-rtnvar-3--5--10-2147483647-unsave\r\n");
    EXPECT_EQ(negative.init, -5);
    EXPECT_EQ(negative.min, -10);
    EXPECT_EQ(negative.max, 2147483647);
}

TEST(ReplyReader, IncompleteOrOutOfRangeFieldsAreDropped) {
    for (const char* block :
         {"QM-PANEL-rtnvar-2-5-0-10", "QM-PANEL-rtnvar-2-5-0-10-", "QM-PANEL-rtnvar-x-5-0-10-save",
          "QM-PANEL-rtnvar-2-99999999999-0-10-save", "QM-PANEL-rtnvar-2-2147483648-0-1-save",
          "QM-PANEL-rtnser-UDP-1-192.168.1.300-6000", "QM-PANEL-rtnser-UDP-1-192.168.1-6000",
          "QM-PANEL-rtnser--1-1.2.3.4-5", "QM-PANEL-rtnenum--ascii-x", "QM-PANEL-rtnenum-1-",
          "QM-PANEL-rtnenum-99999999999999999999-ascii-x"}) {
        expectDropped(block);
    }
}

TEST(ReplyReader, StateRepliesAnywhereReadRepliesOnlyAtTheStart) {
    EXPECT_EQ(expectReply<StateReply>("xxQM-PANEL-rtnstate-add ok").ack, ACK_ADDED);
    EXPECT_EQ(expectReply<StateReply>("QM-PANEL-rtnstate-clr ok 16\r\n").ack, ACK_CLEARED);
    EXPECT_EQ(expectReply<StateReply>("noise QM-PANEL-rtnstate-edit exit").ack, ACK_EXITED);
    // Rule 4 is tested before rule 6.
    EXPECT_EQ(expectReply<StateReply>("QM-PANEL-rtnstate-add okQM-PANEL-rtnstate-edit exit").ack, ACK_EXITED);
    expectDropped("xQM-PANEL-rtnvar-2-5-0-10-save");
    expectDropped("QM-PANEL-rtnstate-clr ok 15");
    // A read reply decides even when it also carries a state reply.
    expectReply<VariableReply>("QM-PANEL-rtnvar-2-5-0-10-saveQM-PANEL-rtnstate-add ok");
}

std::string networkBlock(std::string tail = "") {
    std::string block =
        "QM-PANEL-rtnip-192.168.1.165\r\nQM-PANEL-rtngate-192.168.1.1\r\nQM-PANEL-rtnsubm-255.255.255.0\r\n"
        "QM-PANEL-rtnmac-0A.1b.C2.3.FF.00\r\nQM-PANEL-rtntport-4800\r\nQM-PANEL-rtnuport-4801\r\n";
    return block + tail;
}

TEST(ReplyReader, PanelNetworkBlockLongerThan180) {
    std::string block = networkBlock();
    ASSERT_LE(block.size(), 180u);
    expectDropped(block);
    block = networkBlock(std::string(40, ' '));
    auto lan = expectReply<PanelNetworkReply>(block);
    EXPECT_EQ(lan.ip, 0xC0A801A5u);
    EXPECT_EQ(lan.gateway, 0xC0A80101u);
    EXPECT_EQ(lan.mask, 0xFFFFFF00u);
    EXPECT_EQ(lan.mac, (std::array<uint8_t, 6>{0x0A, 0x1B, 0xC2, 0x03, 0xFF, 0x00}));
    EXPECT_EQ(lan.tcpPort, 4800);
    EXPECT_EQ(lan.udpPort, 4801);

    std::string badMac = block;
    badMac.replace(badMac.find("FF.00"), 5, "1FF.0");
    expectDropped(badMac);
}

TEST(ReplyReader, BlocksEndAtTheirFirstNul) {
    expectDropped(std::string("\0QM-PANEL-rtnstate-add ok", 25));
    auto reply = expectReply<EnumReply>(std::string("QM-PANEL-rtnenum-1-ascii-a\0#b#c", 31));
    EXPECT_EQ(reply.values, std::vector<std::string>{"a"});
}

TEST(ReplyReader, HostileBlocksStayBounded) {
    std::string storm = "QM-PANEL-rtnenum-1-ascii-" + std::string(10 * 1024 * 1024, '#');
    auto reply = expectReply<EnumReply>(storm);
    EXPECT_EQ(reply.values, std::vector<std::string>(10, ""));

    std::string bigNumber = "QM-PANEL-rtnvar-" + std::string(1 << 20, '9') + "-1-1-1-save";
    expectDropped(bigNumber);

    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    const std::string prefixes[] = {"QM-PANEL-rtnenum-", "QM-PANEL-rtnser-", "QM-PANEL-rtnvar-",
                                    "QM-PANEL-rtnip-", ""};
    for (int round = 0; round < 2000; ++round) {
        std::string block = prefixes[round % 5];
        int length = byte(random) * 2;
        for (int i = 0; i < length; ++i) {
            block += static_cast<char>(byte(random));
        }
        readReply(block);  // must neither crash nor hang; the sanitizer run checks the memory
    }
}

}  // namespace
}  // namespace velk
