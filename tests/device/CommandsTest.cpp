#include <gtest/gtest.h>

#include <climits>

#include "device/Commands.h"
#include "device/PanelLink.h"
#include "support/ActionMaker.h"

namespace velk {
namespace {

using test::infraredAction;
using test::ioAction;
using test::relayAction;

TEST(Commands, FixedAndEventCommands) {
    EXPECT_EQ(MakeIntoEdit(), "QM-PANEL-intoEdit");
    EXPECT_EQ(MakeClearKeys(), "QM-PANEL-clrkey-FF");
    EXPECT_EQ(MakeExitEdit(), "QM-PANEL-exitedit");
    EXPECT_EQ(MakeKeyEdit(3) + MakeAddAct(1), "QM-PANEL-keyedit-3->addact-onkeyup->");
    EXPECT_EQ(MakeAddAct(0), "addact-onkeydown->");
    EXPECT_EQ(MakeAddAct(2), "addact-onkeyhold->");
    EXPECT_EQ(MakeGetLan(), "QM-PANEL-getlan");
}

TEST(Commands, BindOutputs) {
    const std::pair<KeyAction, const char*> cases[] = {
        {infraredAction(3, 12), "bindir-1,2-12->"},
        {infraredAction(16, 12), ""},
        {infraredAction(0, 12), ""},
        {infraredAction(0x15, 64), "bindir-1,3-64->"},
        {ioAction(3, 1), "bindio-1,2-0->"},
        {ioAction(1, 0), "bindio-1-1->"},
        {ioAction(2, 2), "bindio-2-turn->"},
        {ioAction(1, 3), ""},
        {ioAction(0, 0), ""},
        {ioAction(-1, 0), ""},
        {ioAction(16, 0), ""},
        {relayAction(2, 2), "bindrelay-2-turn->"},
        {relayAction(1, 0), "bindrelay-1-on->"},
        {relayAction(3, 1), "bindrelay-1,2-off->"},
        {relayAction(1, -1), ""},
    };
    for (const auto& [action, expected] : cases) {
        std::string built = action.function == FunctionCode::Infrared ? MakeBindIr(action)
                            : action.function == FunctionCode::Io     ? MakeBindIo(action)
                                                                      : MakeBindRelay(action);
        EXPECT_EQ(built, expected);
    }
}

Placeholder blankOfDigits(int digits) {
    Placeholder p;
    p.kind = kKindVar;
    p.digits = digits;
    return p;
}

SendData dataOf(int type, std::vector<std::string> texts, std::vector<Placeholder> blanks) {
    SendData d;
    d.type = type;
    d.varNum = static_cast<int>(blanks.size());
    d.texts = std::move(texts);
    d.placeholders = std::move(blanks);
    return d;
}

TEST(Commands, SetCodeHexAndAscii) {
    EXPECT_EQ(MakeSetCode(dataOf(kHex, {"01 02", "03"}, {blankOfDigits(2)})), "setcode-hex-01 02 ** ** 03");
    EXPECT_EQ(MakeSetCode(dataOf(kHex, {"01", ""}, {blankOfDigits(1)})), "setcode-hex-01 **");
    EXPECT_EQ(MakeSetCode(dataOf(kHex, {""}, {})), "setcode-hex-");
    EXPECT_EQ(MakeSetCode(dataOf(kHex, {"01", "02"}, {blankOfDigits(0)})), "setcode-hex-01 02");
    EXPECT_EQ(MakeSetCode(dataOf(kAscii, {"AB", "$0d$0a"}, {blankOfDigits(3)})), "setcode-ascii-AB***\r\n");
    EXPECT_EQ(MakeSetCode(dataOf(kAscii, {"A$4"}, {})), std::string("setcode-ascii-A\x04"));
    EXPECT_EQ(MakeSetCode(dataOf(kAscii, {"A$"}, {})), "setcode-ascii-A");
    EXPECT_EQ(MakeSetCode(dataOf(kAscii, {"A", "B"}, {blankOfDigits(0)})), "setcode-ascii-AB");
    EXPECT_EQ(MakeSetCode(dataOf(kAscii, {"a$24b "}, {})), "setcode-ascii-a$b ");
    EXPECT_EQ(MakeSetCode(dataOf(kAscii, {"$00"}, {})), std::string("setcode-ascii-\0", 15));
    EXPECT_EQ(MakeSetCode(dataOf(kAscii, {"\xC5\xBC"}, {})), "setcode-ascii-\xC5\xBC");
}

TEST(Commands, SetCodeBoundedForHostileWidths) {
    SendData d = dataOf(kHex, {"01"}, {blankOfDigits(INT32_MAX)});
    std::string text = MakeSetCode(d);
    EXPECT_GT(text.size(), kMaxCommandLength);
    EXPECT_LT(text.size(), 4 * kMaxCommandLength);
    SendData missingSegments = dataOf(kAscii, {}, {blankOfDigits(1), blankOfDigits(2)});
    EXPECT_EQ(MakeSetCode(missingSegments), "setcode-ascii-***");
}

TEST(Commands, SetVoidForEachKind) {
    Placeholder input;
    input.modeIndex = 2;
    input.countIndex = 2;
    input.overflowIndex = 1;
    EXPECT_EQ(MakeSetVoid(input, 1), "setvoid-01-input-count-3-cut");
    input.modeIndex = 1;
    input.overflowIndex = 2;
    EXPECT_EQ(MakeSetVoid(input, 1), "setvoid-01-input-click-fill");
    input.modeIndex = 2;
    input.countIndex = 9;
    EXPECT_EQ(MakeSetVoid(input, 4), "setvoid-04-input-count-1-fill");
    input.modeIndex = 5;
    input.overflowIndex = 8;
    EXPECT_EQ(MakeSetVoid(input, 10), "setvoid-10-input-full-discard");

    Placeholder e;
    e.kind = kKindEnum;
    e.enumIndex = 2;
    EXPECT_EQ(MakeSetVoid(e, 2), "setvoid-02-enum3-1-add-loop-save");
    e.loopIndex = 1;
    e.saveIndex = 1;
    e.enumDirection = 1;
    e.groupIndex = 19;
    EXPECT_EQ(MakeSetVoid(e, 2), "setvoid-02-enum3-20-sub-unsave");

    Placeholder v;
    v.kind = kKindVar;
    v.varIndex = 15;
    v.step = -2;
    v.interval = 500;
    EXPECT_EQ(MakeSetVoid(v, 6), "setvoid-06-var16--2-500-add");
    v.kind = 42;
    v.varDirection = 1;
    v.varIndex = INT32_MAX;
    EXPECT_EQ(MakeSetVoid(v, 6), "setvoid-06-var2147483648--2-500-sub");
}

TEST(Commands, Destinations) {
    SendData net;
    net.ip = 0xC0A80114;
    net.port = 5000;
    const std::pair<int, const char*> nets[] = {{0, "setdest-TCP-192.168.1.20-5000"},
                                                {1, "setdest-UDP-192.168.1.20-5000"},
                                                {2, "setdest-TCP-1"},
                                                {5, "setdest-TCP-4"},
                                                {6, "setdest-UDP-1"},
                                                {7, "setdest-UDP-2"},
                                                {8, "setdest-UDP-3"},
                                                {-1, ""}};
    for (auto [channel, expected] : nets) {
        net.channel = channel;
        EXPECT_EQ(MakeSetDestNet(net), expected) << channel;
    }

    SerialSendData serial;
    serial.baudrate = 5;
    EXPECT_EQ(MakeSetDestSerial(serial), "setdest-232-1-5-8-0-1");
    serial.channel = 1;
    serial.dataWidth = 0;
    serial.adjust = 4;
    serial.stop = 1;
    EXPECT_EQ(MakeSetDestSerial(serial), "setdest-232-2-5-5-4-2");
    serial.channel = 2;
    EXPECT_EQ(MakeSetDestSerial(serial), "setdest-485-5-5-4-2");
    serial.channel = 3;
    EXPECT_EQ(MakeSetDestSerial(serial), "");
    serial.channel = -1;
    EXPECT_EQ(MakeSetDestSerial(serial), "");
}

TEST(Commands, TimeAndAppend) {
    EXPECT_EQ(MakeSetTime(0), "");
    EXPECT_EQ(MakeSetTime(3000), "settime-3000");
    EXPECT_EQ(MakeSetTime(-5), "settime--5");
    EventSettings s;
    EXPECT_EQ(MakeSetMode(s), "");
    s.addEnable = 1;
    s.addString = "AB\xC5\xBC";
    EXPECT_EQ(MakeSetMode(s), "setmode-add-5000-discard-AB\xC5\xBC");
    s.addIsSend = 1;
    s.addTimeOut = 200;
    s.addString.clear();
    EXPECT_EQ(MakeSetMode(s), "setmode-add-200-send-");
}

TEST(Commands, Definitions) {
    EnumVariable e;
    e.index = 4;
    EXPECT_EQ(MakeSetEnum(e), "");
    e.data = {};
    EXPECT_EQ(MakeSetEnum(e), "");
    e.data = {"", "X"};
    EXPECT_EQ(MakeSetEnum(e), "QM-PANEL-setenum-4-ascii-#X");
    e.index = 2;
    e.data = {"ON", "OFF"};
    EXPECT_EQ(MakeSetEnum(e), "QM-PANEL-setenum-2-ascii-ON#OFF");
    e.index = 1;
    e.type = kHex;
    e.data = {"01 02", "0a 0b"};
    EXPECT_EQ(MakeSetEnum(e), "QM-PANEL-setenum-1-hex-01 02#0a 0b");

    EXPECT_EQ(MakeSetVar(Variable{3, 0, 0, 0, 0}), "");
    EXPECT_EQ(MakeSetVar(Variable{3, 0, 0, 0, 1}), "QM-PANEL-setvar-3-0-0-0-unsave");
    EXPECT_EQ(MakeSetVar(Variable{1, 0, 10, 100, 0}), "QM-PANEL-setvar-1-10-0-100-save");
    EXPECT_EQ(MakeSetVar(Variable{2, -5, 0, 0, 7}), "QM-PANEL-setvar-2-0--5-0-unsave");

    EXPECT_EQ(MakeSetSer(NetTarget{0, 0, 1}), "");
    EXPECT_EQ(MakeSetSer(NetTarget{0, 80, 1}), "QM-PANEL-setser-TCP-1-0.0.0.0-80");
    EXPECT_EQ(MakeSetSer(NetTarget{0xC0A8011E, 6000, 6}), "QM-PANEL-setser-UDP-2-192.168.1.30-6000");
    EXPECT_EQ(MakeSetSer(NetTarget{0xFFFFFFFF, 0, 7}), "QM-PANEL-setser-UDP-3-255.255.255.255-0");
}

TEST(Commands, ReadsAndPanelSettings) {
    EXPECT_EQ(MakeGetEnum(4), "QM-PANEL-getenum-4");
    EXPECT_EQ(MakeGetVar(7), "QM-PANEL-getvar-7");
    EXPECT_EQ(MakeGetSer(3), "QM-PANEL-getser-TCP-3");
    EXPECT_EQ(MakeGetSer(5), "QM-PANEL-getser-UDP-1");
    EXPECT_EQ(MakeSetIp(0xC0A80164), "QM-PANEL-setip-192.168.1.100");
    EXPECT_EQ(MakeSetSubm(0xFFFFFF00), "QM-PANEL-setsubm-255.255.255.0");
    EXPECT_EQ(MakeSetGate(0x0A000001), "QM-PANEL-setgate-10.0.0.1");
    EXPECT_EQ(MakeSetMac({0x00, 0x1A, 0xb2, 0xFF, 0x0a, 0x01}), "QM-PANEL-setmac-00.1A.B2.FF.0A.01");
    EXPECT_EQ(MakeLearnIr(5), "QM-PANEL-leairQM-PANEL-sndir-01-05");
    EXPECT_EQ(MakeLearnIr(1), "QM-PANEL-leairQM-PANEL-sndir-01-01");
    EXPECT_EQ(MakeLearnIr(64), "QM-PANEL-leairQM-PANEL-sndir-01-64");
}

}  // namespace
}  // namespace velk
