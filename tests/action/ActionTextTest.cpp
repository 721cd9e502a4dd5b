#include <gtest/gtest.h>

#include "action/ActionText.h"

namespace velk {
namespace {

TEST(ChannelListText, NamesBitsZeroToThree) {
    const std::pair<int, const char*> cases[] = {{5, "1,3"}, {0, ""},    {15, "1,2,3,4"},
                                                 {16, ""},   {9, "1,4"}, {-1, "1,2,3,4"}};
    for (auto [bits, text] : cases) {
        EXPECT_EQ(ChannelListText(bits), text) << bits;
    }
}

TEST(SerialSettingsText, DefaultsAndChoices) {
    SerialSendData serial;
    EXPECT_EQ(SerialSettingsText(serial), "Ascii,115200,8,无,1");
    serial.type = kHex;
    serial.baudrate = 5;
    serial.dataWidth = 2;
    serial.adjust = 1;
    serial.stop = 1;
    EXPECT_EQ(SerialSettingsText(serial), "Hex,9600,7,偶,2");
    serial.baudrate = 10;
    serial.adjust = 5;
    EXPECT_EQ(SerialSettingsText(serial), "Hex,,7,2");
}

TEST(ActionRowTexts, EveryFunction) {
    KeyAction ir;
    ir.irChannels = 9;
    ir.irCode = 12;
    EXPECT_EQ(actionRowTextsOf(ir), (ActionRowTexts{"红外", "1,4", "ID:12", ""}));

    KeyAction io;
    io.function = FunctionCode::Io;
    io.ioChannels = 3;
    io.ioOperation = 2;
    EXPECT_EQ(actionRowTextsOf(io), (ActionRowTexts{"IO", "1,2", "反转", ""}));

    KeyAction relay;
    relay.function = FunctionCode::Relay;
    relay.relayChannels = 2;
    relay.relayOperation = 3;
    EXPECT_EQ(actionRowTextsOf(relay), (ActionRowTexts{"继电器", "2", "", ""}));

    KeyAction key;
    key.function = FunctionCode::Key;
    key.keyChannel = 7;
    EXPECT_EQ(actionRowTextsOf(key), (ActionRowTexts{"按键", "7", "", ""}));

    KeyAction serial;
    serial.function = FunctionCode::Serial;
    serial.serial.channel = 1;
    serial.serial.texts = {"AB"};
    EXPECT_EQ(actionRowTextsOf(serial), (ActionRowTexts{"串口", "RS232-2", "Ascii,115200,8,无,1", "AB"}));

    KeyAction bad;
    bad.function = static_cast<FunctionCode>(9);
    EXPECT_FALSE(actionRowTextsOf(bad));
}

TEST(ActionRowTexts, NetworkChannelsAndGbkData) {
    const std::pair<int, const char*> channels[] = {{0, "TCP"},  {1, "UDP"},  {2, "TCP1"}, {5, "TCP4"},
                                                    {6, "UDP1"}, {8, "UDP3"}, {-2, ""}};
    for (auto [channel, text] : channels) {
        KeyAction net;
        net.function = FunctionCode::Network;
        net.network.channel = channel;
        net.network.type = kHex;
        net.network.texts = {"\xC5\xBC"};  // 偶 in GBK, shown as UTF-8
        auto row = actionRowTextsOf(net);
        ASSERT_TRUE(row);
        EXPECT_EQ((*row)[1], text) << channel;
        EXPECT_EQ((*row)[2], "Hex");
        EXPECT_EQ((*row)[3], "偶");
    }
}

}  // namespace
}  // namespace velk
