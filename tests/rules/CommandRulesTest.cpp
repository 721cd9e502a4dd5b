#include <gtest/gtest.h>

#include "device/Commands.h"
#include "device/PanelLink.h"
#include "rules/CommandRules.h"

namespace velk::rules {
namespace {

// The fixed part of "QM-PANEL-setenum-3-ascii-" and the "#" between values.
constexpr size_t kEnumPrefix = 25;

TEST(CommandRules, EnumValuesUpToTheLongestCommandAreTaken) {
    EnumVariable variable{3, kAscii, {std::string(kMaxCommandLength - kEnumPrefix, 'x')}};
    ASSERT_EQ(MakeSetEnum(variable).size(), kMaxCommandLength);
    EXPECT_FALSE(enumCommandProblem(variable).has_value());

    variable.data.front().push_back('y');
    std::optional<Refusal> refusal = enumCommandProblem(variable);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->message, "E3的数据过长：写入指令共65531字节，面板一次最多接收65530字节，请缩短数据。");

    // Ten values share one command: each is short, together they are not.
    EnumVariable many{10, kHex, std::vector<std::string>(10, std::string(6600, 'a'))};
    ASSERT_TRUE(enumCommandProblem(many).has_value());
    EXPECT_NE(enumCommandProblem(many)->message.find("E10的数据过长"), std::string::npos);
}

TEST(CommandRules, DataAndAppendCommandsAreMeasuredAsSent) {
    SendData data;
    data.type = kAscii;
    data.texts = {std::string(kMaxCommandLength - 14, 'a')};  // after "setcode-ascii-"
    ASSERT_EQ(MakeSetCode(data).size(), kMaxCommandLength);
    EXPECT_FALSE(dataCommandProblem(data).has_value());
    // "$hh" escapes are decoded before sending: three typed characters make one byte.
    data.texts = {std::string(kMaxCommandLength - 14 - 1, 'a') + "$24"};
    EXPECT_FALSE(dataCommandProblem(data).has_value());
    data.texts = {std::string(kMaxCommandLength - 14, 'a') + "$24"};
    ASSERT_TRUE(dataCommandProblem(data).has_value());
    EXPECT_EQ(dataCommandProblem(data)->message,
              "发送的数据过长：写入指令共65531字节，面板一次最多接收65530字节，请缩短文本。");

    EventSettings settings;
    settings.addEnable = 1;
    settings.addString = std::string(kMaxCommandLength, 'z');
    ASSERT_TRUE(appendCommandProblem(settings).has_value());
    EXPECT_EQ(appendCommandProblem(settings)->message.rfind("追加指令过长：写入指令共", 0), 0u);
    // Append off sends no setmode command, so nothing is too long.
    settings.addEnable = 0;
    EXPECT_FALSE(appendCommandProblem(settings).has_value());
    settings.addEnable = 1;
    settings.addString = "AT+OFF";
    EXPECT_FALSE(appendCommandProblem(settings).has_value());
}

}  // namespace
}  // namespace velk::rules
