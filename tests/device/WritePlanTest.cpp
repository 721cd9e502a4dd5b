#include <gtest/gtest.h>

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

TEST(WritePlan, OverlongCommandsAreNotSent) {
    ConfigModel model = defaultModel();
    model.enums[0].data = {std::string(kMaxCommandLength, 'x')};
    auto commands = planCommands(buildWritePlan(model));
    EXPECT_EQ(commands.size(), 3u);
}

}  // namespace
}  // namespace velk
