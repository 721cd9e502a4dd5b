#include <gtest/gtest.h>

#include <algorithm>

#include "device/Commands.h"
#include "device/PanelLink.h"
#include "device/WritePlan.h"

namespace velk {
namespace {

ConfigModel defaultModel() {
    ConfigModel model;
    model.reset();
    return model;
}

TEST(WritePlan, EmptyConfigurationStillEntersClearsAndExits) {
    ConfigModel model = defaultModel();
    EXPECT_EQ(writeProgressIncrement(model), 330);
    EXPECT_EQ(planCommands(buildWritePlan(model)),
              (std::vector<std::string>{"QM-PANEL-intoEdit", "QM-PANEL-clrkey-FF", "QM-PANEL-exitedit"}));
    EXPECT_EQ(planPacingMs(buildWritePlan(model)), 30 + 10);
}

TEST(WritePlan, SmallProjectSendsTheExpectedList) {
    ConfigModel model = defaultModel();
    model.enums[1].data = {"ON", "OFF"};
    model.variables[0] = Variable{1, 0, 10, 100, 0};
    model.netTargets[5] = NetTarget{0xC0A8011E, 6000, 6};

    KeyAction ir;
    ir.irChannels = 3;
    ir.irCode = 12;
    KeyAction net;
    net.function = FunctionCode::Network;
    net.network.channel = 6;
    net.network.type = kHex;
    net.network.varNum = 1;
    net.network.texts = {"01 02", "03"};
    Placeholder blank;
    blank.modeIndex = 2;
    blank.countIndex = 2;
    blank.overflowIndex = 1;
    blank.digits = 2;
    net.network.placeholders = {blank};
    model.actions[7] = {ir, net};  // key 3 release
    model.eventSettings[7].timeEnable = 1;
    model.eventSettings[7].time = 3000;
    model.eventSettings[7].addEnable = 1;
    model.eventSettings[7].addString = "X";
    model.eventSettings[6].timeEnable = 1;  // press events never send a time
    model.eventSettings[6].time = 100;
    KeyAction key;
    key.function = FunctionCode::Key;
    model.actions[6] = {key};

    EXPECT_EQ(planCommands(buildWritePlan(model)), (std::vector<std::string>{
                                                       "QM-PANEL-intoEdit",
                                                       "QM-PANEL-clrkey-FF",
                                                       "QM-PANEL-setenum-2-ascii-ON#OFF",
                                                       "QM-PANEL-setvar-1-10-0-100-save",
                                                       "QM-PANEL-setser-UDP-2-192.168.1.30-6000",
                                                       "QM-PANEL-keyedit-3->addact-onkeydown->",
                                                       "QM-PANEL-keyedit-3->addact-onkeyup->",
                                                       "bindir-1,2-12->",
                                                       "setcode-hex-01 02 ** ** 03",
                                                       "setvoid-01-input-count-3-cut",
                                                       "setdest-UDP-1",
                                                       "settime-3000",
                                                       "setmode-add-5000-discard-X",
                                                       "QM-PANEL-exitedit",
                                                   }));
    // 3 definitions plus two slots of weight 5.
    EXPECT_EQ(writeProgressIncrement(model), 330 / 13);
}

TEST(WritePlan, OneSlotGivesTheProgressOfTheExample) {
    ConfigModel model = defaultModel();
    KeyAction ir;
    ir.irChannels = 1;
    ir.irCode = 1;
    model.actions[0] = {ir};
    EXPECT_EQ(writeProgressIncrement(model), 66);

    double progress = 0;
    std::vector<int> posted;
    for (const auto& step : buildWritePlan(model)) {
        if (step.kind == WriteStep::WaitAck && step.tickAt >= 0) {
            posted.push_back(static_cast<int>(step.tickAdds ? progress + step.tickValue : step.tickValue));
        } else if (step.kind == WriteStep::SetProgress) {
            progress = step.value;
            posted.push_back(static_cast<int>(progress));
        } else if (step.kind == WriteStep::AddProgress) {
            progress += step.value;
            posted.push_back(static_cast<int>(progress));
        }
    }
    EXPECT_EQ(posted, (std::vector<int>{10, 50, 380, 400}));
}

TEST(WritePlan, SleepsStayWhenTheirCommandIsEmpty) {
    ConfigModel model = defaultModel();
    KeyAction io;
    io.function = FunctionCode::Io;
    io.ioOperation = 3;  // nothing to send
    model.actions[1] = {io};
    auto plan = buildWritePlan(model);
    auto commands = planCommands(plan);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "QM-PANEL-keyedit-1->addact-onkeyup->"), 1);
    EXPECT_EQ(commands.size(), 4u);
    EXPECT_EQ(planPacingMs(plan), 30 + 30 + 10 + 100 + 10);
}

TEST(WritePlan, OverlongCommandsAreNotSentButNamed) {
    ConfigModel model = defaultModel();
    model.enums[0].data = {std::string(kMaxCommandLength, 'x')};
    model.enums[2].data = {"ok"};
    KeyAction network;
    network.function = FunctionCode::Network;
    network.network.texts = {std::string(kMaxCommandLength, 'y')};
    KeyAction relay;
    relay.function = FunctionCode::Relay;
    relay.relayChannels = 1;
    model.actions[7] = {network, relay};
    model.actions[25] = {relay};
    model.eventSettings[25].addEnable = 1;
    model.eventSettings[25].addString = std::string(kMaxCommandLength, 'z');
    model.actions[40] = {relay};
    auto commands = planCommands(buildWritePlan(model));
    for (const auto& command : commands) {
        EXPECT_LE(command.size(), kMaxCommandLength);
    }
    // The rest of each event still goes: its header, the relay and (slot 7) its append setting.
    EXPECT_NE(std::find(commands.begin(), commands.end(), "QM-PANEL-setenum-3-ascii-ok"), commands.end());
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "bindrelay-1-on->"), 3);
    EXPECT_EQ(leftOutOfWrite(model), (std::vector<std::string>{"E1", "按键3 弹起", "IO1 变高"}));
    EXPECT_TRUE(leftOutOfWrite(defaultModel()).empty());
}

// Rows a foreign file holds under indexes the lists do not have stay in the model but never reach
// the panel, nor count in the progress.
TEST(WritePlan, OnlyTheListIndexesAreWritten) {
    ConfigModel model = defaultModel();
    const int baseStep = writeProgressIncrement(model);
    EnumVariable foreignEnum;
    foreignEnum.data = {"X"};
    for (int index : {0, 11, -3}) {
        foreignEnum.index = index;
        model.setEnum(index - 1, foreignEnum);
    }
    for (int index : {0, 17}) {
        model.setVariable(index - 1, Variable{index, 1, 2, 3, 1});
    }
    for (int index : {0, 8, 100}) {
        model.setNetTarget(index - 1, NetTarget{0x01020304, 80, index});
    }
    EnumVariable misplaced;  // a record whose own index disagrees with its place
    misplaced.index = 12;
    misplaced.data = {"Y"};
    model.setEnum(3, misplaced);
    for (const auto& command : planCommands(buildWritePlan(model))) {
        EXPECT_EQ(command.find("setenum"), std::string::npos) << command;
        EXPECT_EQ(command.find("setvar"), std::string::npos) << command;
        EXPECT_EQ(command.find("setser"), std::string::npos) << command;
    }
    EXPECT_EQ(writeProgressIncrement(model), baseStep);
    EXPECT_EQ(model.enums.size(), 13u);  // kept, only not written
}

}  // namespace
}  // namespace velk
