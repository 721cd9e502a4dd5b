#include <gtest/gtest.h>

#include "rules/FieldRules.h"
#include "rules/RuleMessages.h"

namespace velk::rules {
namespace {

std::string repeated(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

TEST(FieldRules, EnumValueRowsGiveTheDialogsMessages) {
    struct Case {
        int row;
        bool hex;
        std::string typed;
        std::string message;  // empty: accepted
    };
    const Case cases[] = {
        {1, false, "", "数据1不能为空"},
        {2, true, "", "数据2不能为空"},
        {3, true, "0x12", "数据3错误，hex格式的数据只能为数字和字母A到F"},
        {4, true, "中", "数据4错误，hex格式的数据只能为数字和字母A到F"},
        {5, true, "1 2 AB 3f0", ""},
        {6, true, "   ", ""},  // accepted here; the value is dropped when stored
        {7, false, "0x12 $", ""},
        {8, false, "中文", ""},
    };
    for (const Case& c : cases) {
        std::optional<Refusal> refusal = enumValueProblem(c.row, c.hex, c.typed);
        EXPECT_EQ(refusal ? refusal->message : "", c.message) << c.typed;
    }
}

// Every number edit of the dialogs and the editor reads its text by this one rule on OK.
TEST(FieldRules, NumberEditsReadWholeIntegersWithinInt32) {
    const struct {
        const char* text;
        std::optional<int32_t> value;
    } cases[] = {
        {"0", 0},
        {"4800", 4800},
        {"007", 7},
        {"-5", -5},  // a negative value loaded from a project survives an untouched OK
        {"+5", 5},
        {" 12 ", 12},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"-", std::nullopt},
        {"1 2", std::nullopt},
        {"12a", std::nullopt},
        {"0x10", std::nullopt},
        {"--1", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(typedInteger(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(FieldRules, InfraredIdsRunFromOneToSixtyFour) {
    for (int32_t code : {0, -1, 65, INT32_MAX, INT32_MIN}) {
        ASSERT_TRUE(irCodeProblem(code).has_value()) << code;
        EXPECT_EQ(irCodeProblem(code)->message, "红外ID范围 1~64");
    }
    for (int32_t code : {1, 32, 64}) {
        EXPECT_FALSE(irCodeProblem(code).has_value()) << code;
    }
}

TEST(FieldRules, SegmentsAreComposedAsTheComposerDoes) {
    struct Case {
        int segment;
        int segments;
        int type;
        std::string typed;
        std::optional<std::string> stored;
        std::string refusal;
    };
    const std::string dollar = "数据格式错误,\"$\"后两位数据不正确,\n\n若要输入\"$\"，请使用$24。";
    const Case cases[] = {
        {1, 1, 0, "", std::nullopt, "文本1  不能为空"},
        {1, 3, 0, "", "", ""},
        {3, 3, 1, "", "", ""},  // an empty last segment is not parsed as Hex
        {2, 3, 0, "", std::nullopt, "文本2  不能为空"},
        {1, 1, 1, "1 2 AB 3f0", "01 02 ab ff", ""},
        {1, 1, 1, "0x12", std::nullopt, "数据格式错误"},
        {1, 1, 1, "   ", std::nullopt, "数据格式错误"},
        {1, 1, 0, "100$", std::nullopt, dollar},
        {1, 1, 0, "$2", std::nullopt, dollar},
        {1, 1, 0, "$g1", std::nullopt, dollar},
        {1, 1, 0, "$$41", std::nullopt, dollar},
        {1, 1, 0, "$24", "$24", ""},
        {1, 1, 0, "A$0d$0a", "A$0d$0a", ""},
        {1, 1, 0, "中文", "\xd6\xd0\xce\xc4", ""},
        {2, 2, 0, "aกb", std::nullopt, "文本2  含有无法以GBK编码保存的字符“ก”，请删除或替换后再试。"},
        {1, 1, 0, "x😀", std::nullopt, "文本1  含有无法以GBK编码保存的字符“😀”，请删除或替换后再试。"},
        // 200 characters is the edit's limit, counted in characters, not bytes; one more is refused.
        {1, 1, 0, std::string(200, 'a'), std::string(200, 'a'), ""},
        {2, 3, 0, std::string(201, 'a'), std::nullopt,
         "文本2  过长：最多200个字符，现有201个，请缩短后再试。"},
        {1, 1, 0, repeated("中", 200), repeated("\xd6\xd0", 200), ""},
        {1, 1, 1, repeated("f", 250), std::nullopt, "文本1  过长：最多200个字符，现有250个，请缩短后再试。"},
    };
    for (const Case& c : cases) {
        SegmentContent result = composeSegment(c.segment, c.segments, c.type, c.typed);
        EXPECT_EQ(result.stored, c.stored) << c.typed;
        EXPECT_EQ(result.refusal, c.refusal) << c.typed;
    }
}

TEST(FieldRules, ActionsWithoutAChannelOrAFunctionSayWhatIsMissing) {
    EXPECT_EQ(channelsProblem(FunctionCode::Infrared, 0)->message, "请至少选择一个红外通道。");
    EXPECT_EQ(channelsProblem(FunctionCode::Io, 0)->message, "请至少选择一个IO通道。");
    EXPECT_EQ(channelsProblem(FunctionCode::Relay, 0)->message, "请至少选择一个继电器通道。");
    for (FunctionCode function : {FunctionCode::Infrared, FunctionCode::Io, FunctionCode::Relay}) {
        EXPECT_FALSE(channelsProblem(function, 1).has_value());
        EXPECT_FALSE(channelsProblem(function, 15).has_value());
    }
    // Data actions and key actions have no channel boxes.
    for (FunctionCode function : {FunctionCode::Network, FunctionCode::Serial, FunctionCode::Key}) {
        EXPECT_FALSE(channelsProblem(function, 0).has_value());
    }
    EXPECT_EQ(functionProblem(std::nullopt)->message, "请选择功能。");
    EXPECT_FALSE(functionProblem(FunctionCode::Io).has_value());
}

TEST(FieldRules, RefusalsNameTheirField) {
    EXPECT_EQ(enumValueNotGbk(2), "数据2中有GBK编码无法表示的字符，请修改后再确定。");
    EXPECT_EQ(appendCommandNotGbk(), "追加指令中有GBK编码无法表示的字符，请修改后再确定。");
    EXPECT_EQ(firstNonGbkCharacter("ab😀c"), "😀");
    EXPECT_EQ(firstNonGbkCharacter("abc"), "abc");
}

}  // namespace
}  // namespace velk::rules
