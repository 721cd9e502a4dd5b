#include <gtest/gtest.h>

#include "model/ConfigModel.h"

namespace velk {
namespace {

KeyAction actionOf(FunctionCode function, int id = 0) {
    KeyAction a;
    a.function = function;
    a.id = id;
    return a;
}

TEST(ConfigModel, StartsWithSixtyEmptySlotsAndDefaultSettings) {
    ConfigModel model;
    EXPECT_TRUE(model.enums.empty());
    EXPECT_TRUE(model.variables.empty());
    EXPECT_TRUE(model.netTargets.empty());
    for (int slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_TRUE(model.actions[slot].empty());
        EXPECT_EQ(model.eventSettings[slot].addTimeOut, 5000);
    }
}

TEST(ConfigModel, ResetFillsDefaultsAndEmptiesActions) {
    ConfigModel model;
    model.actions[7].push_back(actionOf(FunctionCode::Io));
    model.eventSettings[3].time = 300;
    model.enums[42] = EnumVariable{};
    model.reset();

    ASSERT_EQ(model.enums.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(model.enums[i].index, i + 1);
        EXPECT_EQ(model.enums[i].type, kAscii);
        EXPECT_EQ(model.enums[i].data, std::vector<std::string>{""});
    }
    ASSERT_EQ(model.variables.size(), 16u);
    for (int j = 0; j < 16; ++j) {
        EXPECT_EQ(model.variables[j], (Variable{j + 1, 0, 0, 0, 0}));
    }
    ASSERT_EQ(model.netTargets.size(), 7u);
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(model.netTargets[k], (NetTarget{0, 0, k + 1}));
    }
    EXPECT_TRUE(model.actions[7].empty());
    EXPECT_EQ(model.eventSettings[3], EventSettings{});
}

TEST(ConfigModel, NextActionIdGoesAboveTheLargestSoTheListStaysInIdOrder) {
    ConfigModel model;
    EXPECT_EQ(model.nextActionId(0), 0);
    for (int id : {0, 1, 3}) {
        model.actions[0].push_back(actionOf(FunctionCode::Key, id));
    }
    EXPECT_EQ(model.nextActionId(0), 4) << "the gap at 2 would sort the new action before id 3";
    EXPECT_EQ(model.rowForId(0, 4), 3);
    EXPECT_EQ(model.rowForId(0, 2), 2);
    EXPECT_EQ(model.rowForId(0, -1), 0);
    model.actions[0].erase(model.actions[0].begin());
    EXPECT_EQ(model.nextActionId(0), 4);
    model.actions[0].pop_back();
    EXPECT_EQ(model.nextActionId(0), 2) << "the largest id gone, the next one above is free again";
    EXPECT_EQ(model.nextActionId(1), 0) << "ids are per slot";

    // Ids a damaged file holds: negative ones count as they are, and nothing above INT32_MAX
    // leaves the smallest free id, placed in order.
    model.actions[2] = {actionOf(FunctionCode::Key, -7)};
    EXPECT_EQ(model.nextActionId(2), -6);
    model.actions[2] = {actionOf(FunctionCode::Key, 0), actionOf(FunctionCode::Key, INT32_MAX)};
    EXPECT_EQ(model.nextActionId(2), 1);
    EXPECT_EQ(model.rowForId(2, 1), 1);
}

TEST(FunctionCode, StoredCodesZeroToFiveAndNoOthers) {
    const FunctionCode all[] = {FunctionCode::Infrared, FunctionCode::Io,    FunctionCode::Serial,
                                FunctionCode::Network,  FunctionCode::Relay, FunctionCode::Key};
    for (int32_t code = 0; code <= 5; ++code) {
        EXPECT_EQ(functionCodeOf(code), all[code]) << code;
        EXPECT_EQ(functionCodeValue(all[code]), code);
    }
    for (int64_t code : {-1LL, 6LL, 99LL, 0x100000000LL, -0x100000000LL}) {
        EXPECT_FALSE(functionCodeOf(code).has_value()) << code;
    }
}

TEST(ConfigModel, NamesAndSlotArithmetic) {
    EXPECT_EQ(enumName(10), "E10");
    EXPECT_EQ(variableName(3), "V3");
    EXPECT_EQ(netTargetName(1), "TCP1");
    EXPECT_EQ(netTargetName(4), "TCP4");
    EXPECT_EQ(netTargetName(5), "UDP1");
    EXPECT_EQ(netTargetName(7), "UDP3");
    EXPECT_EQ(inputOf(26), 9);
    EXPECT_EQ(eventOf(26), 2);
    EXPECT_EQ(inputOf(0), 1);
    EXPECT_EQ(inputOf(59), 20);
    EXPECT_EQ(eventOf(28), 1);
}

TEST(ConfigModel, AccessorsGiveDefaultsForMissingKeysAndReplaceInserts) {
    ConfigModel model;
    EXPECT_EQ(model.enumAt(3).index, -1);
    EXPECT_EQ(model.variableAt(3), Variable{});
    model.setNetTarget(49, NetTarget{1, 2, 50});
    EXPECT_EQ(model.netTargetAt(49).index, 50);
}

}  // namespace
}  // namespace velk
