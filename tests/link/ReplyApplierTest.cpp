#include <gtest/gtest.h>

#include "FakePanel.h"
#include "LinkHarness.h"
#include "device/ReplyApplier.h"

namespace velk::test {
namespace {

struct Applied {
    ConfigModel model;
    ModelReplyApplier responses{model};
    Applied() { model.reset(); }
};

ConfigModel resetModel() {
    ConfigModel model;
    model.reset();
    return model;
}

TEST(ParseResponse, EnumerationReplies) {
    struct Case {
        std::string block;
        int key;
        EnumVariable expected;
    };
    const Case cases[] = {
        {"QM-PANEL-rtnenum-3-ascii-", 2, {3, kAscii, {}}},
        {"QM-PANEL-rtnenum-3-ascii-a#b#c", 2, {3, kAscii, {"a", "b", "c"}}},
        {"QM-PANEL-rtnenum-3-HEX-01", 2, {3, kAscii, {"01"}}},
        {"QM-PANEL-rtnenum-1-hex-0A 1#zz#ff ee", 0, {1, kHex, {"0a 01", "ff ee"}}},
        {"QM-PANEL-rtnenum-2-hex-123#", 1, {2, kHex, {"ff"}}},
        {"QM-PANEL-rtnenum-10-ascii-#x", 9, {10, kAscii, {"", "x"}}},
        {"QM-PANEL-rtnenum-4-ascii", 3, {4, kAscii, {}}},
        {"QM-PANEL-rtnenum-5-ascii-1#2#3#4#5#6#7#8#9#10#11#12",
         4,
         {5, kAscii, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}}},
        {"QM-PANEL-rtnenum-6-ascii-\xc4\xe3\xba\xc3", 5, {6, kAscii, {"\xc4\xe3\xba\xc3"}}},
        // A second reply in the block: its "#" adds an empty value slot to the first.
        {"QM-PANEL-rtnenum-7-ascii-aQM-PANEL-rtnenum-8-ascii-b#c",
         6,
         {7, kAscii, {"aQM-PANEL-rtnenum-8-ascii-b", "c"}}},
    };
    for (const auto& c : cases) {
        Applied applied;
        ParseResponse(c.block, applied.responses);
        EXPECT_EQ(applied.model.enumAt(c.key), c.expected) << c.block;
    }
}

TEST(ParseResponse, VariableAndTargetReplies) {
    Applied applied;
    ParseResponse("QM-PANEL-rtnvar-2-5-0-10-SAVE", applied.responses);
    EXPECT_EQ(applied.model.variableAt(1), (Variable{2, 0, 5, 10, 0}));
    ParseResponse("QM-PANEL-rtnvar-16--1--5-7-unsave", applied.responses);
    EXPECT_EQ(applied.model.variableAt(15), (Variable{16, -5, -1, 7, 1}));
    ParseResponse("QM-PANEL-rtnvar-3-1-2-3-keep", applied.responses);
    EXPECT_EQ(applied.model.variableAt(2).save, 1);

    ParseResponse("QM-PANEL-rtnser-UDP-1-192.168.1.30-6000", applied.responses);
    EXPECT_EQ(applied.model.netTargetAt(4), (NetTarget{0xC0A8011E, 6000, 5}));
    ParseResponse("QM-PANEL-rtnser-TCP-4-10.0.0.1-70000", applied.responses);
    EXPECT_EQ(applied.model.netTargetAt(3), (NetTarget{0x0A000001, 4464, 4}));
    ParseResponse("QM-PANEL-rtnser-udp-7-1.2.3.4-1", applied.responses);  // not "UDP": the number as is
    EXPECT_EQ(applied.model.netTargetAt(6), (NetTarget{0x01020304, 1, 7}));
}

TEST(ParseResponse, RepliesWithoutAPlaceAreDropped) {
    const char* blocks[] = {
        "QM-PANEL-rtnenum-0-ascii-a",
        "QM-PANEL-rtnenum-11-ascii-a",
        "QM-PANEL-rtnenum--1-ascii-a",
        "QM-PANEL-rtnvar-17-1-2-3-save",
        "QM-PANEL-rtnvar-0-1-2-3-save",
        "QM-PANEL-rtnser-UDP-4-1.2.3.4-5",
        "QM-PANEL-rtnser-TCP-8-1.2.3.4-5",
        "QM-PANEL-rtnser-UDP-2147483647-1.2.3.4-5",
        "QM-PANEL-rtnvar-1-2-3",
        "QM-PANEL-rtnser-TCP-1-1.2.3.256-5",
        "xQM-PANEL-rtnvar-1-2-3-4-save",  // a read reply counts only at the start of a block
        "QM-PANEL-rtnvar-99999999999-1-2-3-save",
    };
    for (const char* block : blocks) {
        Applied applied;
        ParseResponse(block, applied.responses);
        EXPECT_EQ(applied.model.enums, resetModel().enums) << block;
        EXPECT_EQ(applied.model.variables, resetModel().variables) << block;
        EXPECT_EQ(applied.model.netTargets, resetModel().netTargets) << block;
    }
}

TEST(ParseResponse, StateRepliesAnywhereAndInRuleOrder) {
    struct Case {
        const char* block;
        WriteAck ack;
    };
    const Case cases[] = {
        {"noise QM-PANEL-rtnstate-add ok", ACK_ADDED},
        {"QM-PANEL-rtnstate-clr ok 16", ACK_CLEARED},
        {"QM-PANEL-rtnstate-add okQM-PANEL-rtnstate-edit exit", ACK_EXITED},
        {"QM-PANEL-rtnstate-add ok QM-PANEL-rtnstate-clr ok 16", ACK_CLEARED},
        {"QM-PANEL-rtnstate-clr ok 1", ACK_NONE},
    };
    for (const auto& c : cases) {
        Applied applied;
        ParseResponse(c.block, applied.responses);
        EXPECT_EQ(applied.responses.lastAck, c.ack) << c.block;
    }
    // A read reply first in the block wins over a state reply after it.
    Applied applied;
    ParseResponse("QM-PANEL-rtnvar-1-1-1-1-save QM-PANEL-rtnstate-add ok", applied.responses);
    EXPECT_EQ(applied.responses.lastAck, ACK_NONE);
    EXPECT_EQ(applied.model.variableAt(0).init, 1);
}

std::string networkBlock(const std::string& padding) {
    return "QM-PANEL-rtnip-192.168.1.165\r\nQM-PANEL-rtngate-192.168.1.1\r\nQM-PANEL-rtnsubm-255.255.255."
           "0\r\n"
           "QM-PANEL-rtnmac-0.1A.b2.C3.d4.FF\r\nQM-PANEL-rtntport-4800\r\nQM-PANEL-rtnuport-4801\r\n" +
           padding;
}

TEST(ParseResponse, NetworkBlockOnlyWhenLongerThan180) {
    std::string shortBlock = networkBlock("");
    ASSERT_LE(shortBlock.size(), 180u);
    Applied applied;
    ParseResponse(shortBlock, applied.responses);
    EXPECT_FALSE(applied.responses.panelNetwork);
    ParseResponse(networkBlock(std::string(181 - shortBlock.size(), ' ')), applied.responses);
    ASSERT_TRUE(applied.responses.panelNetwork);
    EXPECT_EQ(applied.responses.panelNetwork->ip, 0xC0A801A5u);
    EXPECT_EQ(applied.responses.panelNetwork->gateway, 0xC0A80101u);
    EXPECT_EQ(applied.responses.panelNetwork->mask, 0xFFFFFF00u);
    EXPECT_EQ(applied.responses.panelNetwork->mac,
              (std::array<uint8_t, 6>{0x00, 0x1A, 0xB2, 0xC3, 0xD4, 0xFF}));
    EXPECT_EQ(applied.responses.panelNetwork->tcpPort, 4800);
    EXPECT_EQ(applied.responses.panelNetwork->udpPort, 4801);
}

TEST(ReadOverTheLink, RepliesReachTheModel) {
    FakePanel panel;
    // Triggers include the start of the next request, as "getenum-1" is also the start of "getenum-10".
    panel.answer("QM-PANEL-getenum-2QM", "QM-PANEL-rtnenum-2-hex-1 2#0A 0b");
    panel.answer("QM-PANEL-getvar-5QM", "QM-PANEL-rtnvar-5-7-1-9-unsave");
    panel.answer("QM-PANEL-getser-UDP-1QM", "QM-PANEL-rtnser-UDP-1-10.1.2.3-502");
    panel.answer("QM-PANEL-getser-TCP-2QM", "QM-PANEL-rtnser-TCP-2-10.1.2.4-503QM-PANEL-rtnvar-6-1-1-1-save");
    panel.answer("QM-PANEL-getvar-1QM", "garbage before QM-PANEL-rtnvar-1-1-2-3-save");
    LinkHarness ui;
    ui.model.reset();
    ASSERT_TRUE(ui.connectTo(panel.port()));
    FastClock clock(5);
    ASSERT_TRUE(ui.runSequence(buildReadPlan(), clock));
    EXPECT_EQ(*ui.outcome, kSequenceCompleted);
    ASSERT_TRUE(ui.pumpUntil([&] { return ui.model.netTargetAt(4).port == 502; }));
    ui.link.close();
    ASSERT_TRUE(ui.pumpUntil([&] { return !ui.closed.empty(); }));

    EXPECT_EQ(ui.model.enumAt(1), (EnumVariable{2, kHex, {"01 02", "0a 0b"}}));
    EXPECT_EQ(ui.model.variableAt(4), (Variable{5, 1, 7, 9, 1}));
    EXPECT_EQ(ui.model.netTargetAt(4), (NetTarget{0x0A010203, 502, 5}));
    EXPECT_EQ(ui.model.netTargetAt(1), (NetTarget{0x0A010204, 503, 2}));
    EXPECT_EQ(ui.model.variableAt(5), resetModel().variableAt(5));  // second reply in the block
    EXPECT_EQ(ui.model.variableAt(0), resetModel().variableAt(0));  // not at the start
    std::string stream = panel.received(0);
    EXPECT_EQ(stream.find("QM-PANEL-getser-UDP-3"), std::string::npos);
    EXPECT_EQ(stream.find("QM-PANEL-getvar-11"), std::string::npos);
}

}  // namespace
}  // namespace velk::test
