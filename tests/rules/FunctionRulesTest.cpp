#include <gtest/gtest.h>

#include "rules/FunctionRules.h"

namespace velk::rules {
namespace {

KeyAction actionOf(FunctionCode function) {
    KeyAction a;
    a.function = function;
    return a;
}

TEST(FunctionRules, MasksFollowTheFunctionsOfTheSlot) {
    struct Case {
        int slot;
        std::vector<FunctionCode> functions;
        std::optional<FunctionCode> excepted;
        int used;
        bool canAdd;
    };
    const Case cases[] = {
        {0, {}, std::nullopt, 0, true},
        {2, {FunctionCode::Network}, std::nullopt, 24, false},  // hold: only data actions
        {2, {}, std::nullopt, 0, true},
        {0,
         {FunctionCode::Infrared, FunctionCode::Io, FunctionCode::Relay, FunctionCode::Serial},
         std::nullopt,
         31,
         false},
        {0, {FunctionCode::Infrared, FunctionCode::Io, FunctionCode::Relay}, std::nullopt, 7, true},
        {1, {FunctionCode::Key, FunctionCode::Key}, std::nullopt, 0, true},
        {0, {FunctionCode::Infrared, FunctionCode::Network}, FunctionCode::Network, 1, true},
        {0, {FunctionCode::Infrared, FunctionCode::Network}, FunctionCode::Infrared, 24, true},
        {0, {static_cast<FunctionCode>(99), static_cast<FunctionCode>(-1)}, std::nullopt, 0, true},
    };
    for (const auto& c : cases) {
        ConfigModel model;
        for (FunctionCode f : c.functions) {
            model.actions[c.slot].push_back(actionOf(f));
        }
        EXPECT_EQ(usedFunctionMask(model, c.slot, c.excepted), c.used) << "slot " << c.slot;
        if (!c.excepted) {
            EXPECT_EQ(canAdd(model, c.slot), c.canAdd) << "slot " << c.slot;
        }
    }
}

TEST(FunctionRules, DeletingTheDataActionAllowsAnotherOne) {
    ConfigModel model;
    for (FunctionCode f :
         {FunctionCode::Infrared, FunctionCode::Io, FunctionCode::Relay, FunctionCode::Serial}) {
        model.actions[0].push_back(actionOf(f));
    }
    EXPECT_FALSE(canAdd(model, 0));
    model.actions[0].pop_back();
    EXPECT_TRUE(canAdd(model, 0));
    EXPECT_EQ(addMask(model, 0), 7);
}

TEST(FunctionRules, HoldEventsAreEveryThirdSlot) {
    EXPECT_FALSE(isHoldEvent(0));
    EXPECT_FALSE(isHoldEvent(1));
    EXPECT_TRUE(isHoldEvent(2));
    EXPECT_TRUE(isHoldEvent(26));  // IO1 held low
    EXPECT_TRUE(isHoldEvent(59));
    ConfigModel model;
    EXPECT_EQ(addMask(model, 26), kHoldEventRefused);
    EXPECT_EQ(addMask(model, 27), 0);
}

TEST(FunctionRules, AddProblemsGiveTheReasonOfEachRefusal) {
    struct Case {
        int slot;
        std::vector<FunctionCode> held;
        FunctionCode added;
        std::string reason;  // empty: the add command would take it
    };
    const Case cases[] = {
        {0, {}, FunctionCode::Infrared, ""},
        {0, {FunctionCode::Infrared}, FunctionCode::Infrared, "本事件已有红外功能。"},
        {0, {FunctionCode::Io}, FunctionCode::Io, "本事件已有IO功能。"},
        {1, {FunctionCode::Relay}, FunctionCode::Relay, "本事件已有继电器功能。"},
        {1, {FunctionCode::Network}, FunctionCode::Serial, "本事件已有串口或网络功能。"},
        {1, {FunctionCode::Serial}, FunctionCode::Network, "本事件已有串口或网络功能。"},
        {1, {FunctionCode::Serial}, FunctionCode::Infrared, ""},
        {2, {}, FunctionCode::Infrared, "保持和拉低事件只能添加串口或网络功能。"},
        {29, {}, FunctionCode::Relay, "保持和拉低事件只能添加串口或网络功能。"},
        {2, {}, FunctionCode::Serial, ""},
        {2, {FunctionCode::Network}, FunctionCode::Network, "添加功能已满！"},
        {0, {}, FunctionCode::Key, "添加时不能选择按键功能。"},
        {0,
         {FunctionCode::Infrared, FunctionCode::Io, FunctionCode::Relay, FunctionCode::Serial},
         FunctionCode::Key,
         "添加功能已满！"},
        {0, {}, static_cast<FunctionCode>(6), "未知的功能，无法添加。"},
    };
    for (const Case& c : cases) {
        ConfigModel model;
        for (FunctionCode f : c.held) {
            model.actions[static_cast<size_t>(c.slot)].push_back(actionOf(f));
        }
        std::optional<Refusal> refusal = addProblem(model, c.slot, c.added);
        EXPECT_EQ(refusal ? refusal->message : "", c.reason) << "slot " << c.slot;
    }
}

}  // namespace
}  // namespace velk::rules
