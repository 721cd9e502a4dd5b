// Actions as the clipboard holds them: a fragment of the text form, read back in its order.
#include <gtest/gtest.h>

#include "ModelMaker.h"
#include "support/TempDir.h"
#include "textform/TextReader.h"
#include "textform/TextWriter.h"

namespace velk::text {
namespace {

std::string problemsOf(const ActionsRead& read) {
    std::string all;
    for (const Problem& p : read.problems) {
        all += formatProblem("clipboard", p) + "\n";
    }
    return all;
}

TEST(ActionsText, EveryActionAFileCanHoldComesBackInItsOrder) {
    for (uint32_t variant = 1; variant <= 300; ++variant) {
        SCOPED_TRACE(variant);
        ConfigModel model = ModelMaker(variant).make();
        std::vector<KeyAction> actions;
        for (const auto& list : model.actions) {
            actions.insert(actions.end(), list.rbegin(), list.rend());  // not in id order
        }
        const std::string text = exportActions(actions, "按键1 弹起");
        ActionsRead read = readActionsText(text);
        ASSERT_FALSE(read.hasErrors()) << problemsOf(read) << text;
        ASSERT_EQ(read.actions, actions) << text;
    }
}

TEST(ActionsText, TheFragmentIsTheTextFormOfItsActions) {
    KeyAction ir;
    ir.function = FunctionCode::Infrared;
    ir.id = 4;
    ir.irChannels = 5;
    ir.irCode = 12;
    KeyAction net;
    net.function = FunctionCode::Network;
    net.network.channel = 2;
    net.network.texts = {"PLAY ", "\xd6\xd0"};  // GBK for 中
    Placeholder blank;
    blank.kind = kKindEnum;
    blank.enumIndex = 2;
    blank.digits = 2;
    net.network.placeholders = {blank};
    net.network.varNum = 1;
    EXPECT_EQ(exportActions({ir, net}, "IO1 变高"),
              "# velk actions, text form (/usr/share/doc/velk/project-text.html)\n"
              "format = 1\n"
              "event = \"IO1 变高\"\n"
              "\n[[action]]\nid = 4\nfunction = \"红外\"\nirChannels = [1, 3]\nirCode = 12\n"
              "\n[[action]]\nid = 0\nfunction = \"网络\"\nchannel = \"TCP1\"\n"
              "data = [\n    \"PLAY \",\n    { source = \"E3\", digits = 2 },\n    \"中\",\n]\n");
    // Without actions it is still a fragment that reads as none.
    ActionsRead empty = readActionsText(exportActions({}));
    EXPECT_TRUE(empty.actions.empty());
    EXPECT_TRUE(empty.problems.empty());
}

// The clipboard example of the documentation is what a copy of its action writes.
TEST(ActionsText, TheDocumentedFragmentIsWhatACopyWrites) {
    const std::string doc = test::readFileBytes(VELK_PROJECT_TEXT_DOC);
    const size_t start = doc.find("```toml\n# velk actions");
    ASSERT_NE(start, std::string::npos);
    const size_t end = doc.find("```", start + 8);
    const std::string example = doc.substr(start + 8, end - start - 8);
    ActionsRead read = readActionsText(example);
    ASSERT_TRUE(read.problems.empty()) << problemsOf(read);
    EXPECT_EQ(exportActions(read.actions, "按键1 弹起"), example);
}

TEST(ActionsText, WhatIsNoFragmentOfActionsIsRefusedWithItsPlace) {
    struct Case {
        const char* what;
        std::string text;
        int line;
        std::string message;  // empty: the parser's wording
    };
    const Case cases[] = {
        {"not TOML", "[[action]\n", 1, ""},
        {"a project text", "format = 1\n[[event]]\nname = \"按键1 弹起\"\n", 2, "event must be a string"},
        {"another format", "format = 7\n", 1, "format 7 is not known here; this program reads format 1"},
        {"an unknown key", "[[action]]\nfunction = \"IO\"\nioChannels = [1]\ncolour = 1\n", 4,
         "unknown key colour in [[action]]"},
        {"no function", "[[action]]\nid = 1\n", 1, "[[action]] needs function"},
        {"a function no file holds", "[[action]]\nfunction = 9\n", 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ActionsRead read = readActionsText(c.text);
        ASSERT_TRUE(read.hasErrors()) << problemsOf(read);
        ASSERT_EQ(read.problems.size(), 1u) << problemsOf(read);
        EXPECT_EQ(read.problems.front().line, c.line);
        if (!c.message.empty()) {
            EXPECT_EQ(read.problems.front().message, c.message);
        }
    }
    // What the form would refuse is a warning: the action comes along, the paste decides.
    ActionsRead noChannel = readActionsText("[[action]]\nfunction = \"IO\"\n");
    EXPECT_FALSE(noChannel.hasErrors());
    ASSERT_EQ(noChannel.actions.size(), 1u);
    EXPECT_EQ(noChannel.problems.front().message, "请至少选择一个IO通道。");
}

}  // namespace
}  // namespace velk::text
