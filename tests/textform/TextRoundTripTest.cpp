#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "action/TextRules.h"
#include "project/ProjectReader.h"
#include "session/ProjectImport.h"
#include "support/RichProject.h"
#include "support/TempDir.h"
#include "textform/ModelMaker.h"
#include "textform/TextReader.h"
#include "textform/TextWriter.h"

namespace velk::text {
namespace {

std::string errorsOf(const TextRead& read) {
    std::string text;
    for (const Problem& p : read.problems) {
        if (p.severity == Severity::Error) {
            text += formatProblem("text", p) + "\n";
        }
    }
    return text;
}

// Export, read back, export again: the same model and the same bytes.
void expectRoundTrip(const ConfigModel& model) {
    const std::string first = exportText(model);
    TextRead read = readText(first);
    ASSERT_FALSE(read.hasErrors()) << errorsOf(read) << first;
    EXPECT_EQ(firstProjectDifference(model, read.model), "") << first;
    EXPECT_EQ(exportText(read.model), first);
}

TEST(TextRoundTrip, ARichProjectComesBackWhole) {
    test::TempDir dir;
    const std::string path = dir.file("rich.db");
    ASSERT_TRUE(test::makeRichProject(path));
    ProjectLoad load = loadProjectReadOnly(path);
    ASSERT_TRUE(load.model) << load.error;
    expectRoundTrip(*load.model);

    const std::string text = exportText(*load.model);
    // GBK as UTF-8, other bytes kept as their hex, kinds the composer lacks kept by number.
    EXPECT_NE(text.find("values = [\"ON\", \"OFF\", \"开\"]"), std::string::npos);
    EXPECT_NE(text.find("{ bytes = \"81\" }"), std::string::npos);
    EXPECT_NE(text.find("{ bytes = \"81 30\" }"), std::string::npos);
    EXPECT_NE(text.find("{ kind = 7, source = \"V3\", digits = 4, step = 3, interval = 4, direction = { "
                        "position = 5 } }"),
              std::string::npos);
    EXPECT_NE(text.find("\"it's \\\"quoted\\\" \\\\\""), std::string::npos);
    EXPECT_NE(text.find("name = \"输入11 弹起\""), std::string::npos);  // slot 31
    EXPECT_NE(text.find("name = \"E0\""), std::string::npos);
    EXPECT_NE(text.find("name = \"UDP4\""), std::string::npos);  // net_table index 8
    EXPECT_NE(text.find("name = \"TCP0\""), std::string::npos);
    EXPECT_NE(text.find("\"01 02 \""), std::string::npos);
}

TEST(TextRoundTrip, ADefaultProjectIsAlmostEmpty) {
    ConfigModel model;
    model.reset();
    EXPECT_EQ(exportText(model),
              "# velk project, text form (/usr/share/doc/velk/project-text.html)\nformat = 1\n");
    TextRead read = readText("");
    EXPECT_FALSE(read.hasProblems());
    EXPECT_EQ(firstProjectDifference(model, read.model), "");
}

TEST(TextRoundTrip, LeftOutFieldsGetTheirDefaults) {
    TextRead read = readText(R"(
[[event]]
name = "按键3 弹起"
[[event.action]]
function = "串口"
data = ["x"]
[[event.action]]
function = "红外"
irChannels = [2]
irCode = 9
)");
    ASSERT_FALSE(read.hasErrors()) << errorsOf(read);
    const auto& actions = read.model.actions[7];
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0].id, 0);  // ids as the add command gives them
    EXPECT_EQ(actions[1].id, 1);
    EXPECT_EQ(actions[0].serial.dataWidth, 3);
    EXPECT_EQ(actions[0].serial.texts, std::vector<std::string>{"x"});
    EXPECT_EQ(actions[1].irChannels, 2);
    EXPECT_EQ(read.model.eventSettings[7], EventSettings{});
}

// An action without an id goes above the ids before it, as the add command adds it: the text's
// order is the order it runs in, and no warning says otherwise. An id given further on is passed over.
TEST(TextRoundTrip, ActionsWithoutIdsRunWhereTheTextPutsThem) {
    TextRead read = readText(R"(
[[event]]
name = "按键1 弹起"
[[event.action]]
id = 5
function = "红外"
irChannels = [1]
irCode = 9
[[event.action]]
function = "继电器"
relayChannels = [1]
[[event.action]]
function = "网络"
data = ["x"]
[[event]]
name = "按键2 弹起"
[[event.action]]
function = "继电器"
relayChannels = [1]
[[event.action]]
id = 0
function = "IO"
ioChannels = [1]
)");
    EXPECT_FALSE(read.hasErrors()) << errorsOf(read);
    const auto& actions = read.model.actions[1];
    ASSERT_EQ(actions.size(), 3u);
    EXPECT_EQ(actions[0].function, FunctionCode::Infrared);
    EXPECT_EQ(actions[1].function, FunctionCode::Relay);
    EXPECT_EQ(actions[1].id, 6);
    EXPECT_EQ(actions[2].function, FunctionCode::Network);
    EXPECT_EQ(actions[2].id, 7);
    const auto& passedOver = read.model.actions[4];
    ASSERT_EQ(passedOver.size(), 2u);
    EXPECT_EQ(passedOver[0].id, 0);
    EXPECT_EQ(passedOver[1].id, 1);
    EXPECT_EQ(passedOver[1].function, FunctionCode::Relay);
    ASSERT_EQ(read.problems.size(), 1u);
    EXPECT_NE(read.problems[0].message.find("id 0 comes before id 1"), std::string::npos);
}

TEST(TextRoundTrip, EqualModelsGiveIdenticalBytesWhateverTheirOrder) {
    ConfigModel a;
    a.reset();
    KeyAction first;
    first.function = FunctionCode::Io;
    first.ioChannels = 1;
    first.id = 2;
    KeyAction second = first;
    second.function = FunctionCode::Relay;
    second.id = 0;
    a.actions[4] = {first, second};
    ConfigModel b = a;
    b.actions[4] = {second, first};
    EXPECT_EQ(exportText(a), exportText(b));
}

TEST(TextRoundTrip, EveryValueAProjectFileCanHoldComesBack) {
    for (uint32_t variant = 1; variant <= 400; ++variant) {
        SCOPED_TRACE(variant);
        ModelMaker maker(variant);
        expectRoundTrip(maker.make());
        if (HasFatalFailure()) {
            return;
        }
    }
}

}  // namespace
}  // namespace velk::text
