#include <gtest/gtest.h>

#include "textform/ProjectDiff.h"
#include "textform/TextReader.h"

namespace velk::text {
namespace {

ConfigModel modelOf(const std::string& text) {
    TextRead read = readText(text);
    EXPECT_FALSE(read.hasErrors());
    return read.model;
}

const std::string kBase = R"(
[[enum]]
name = "E3"
values = ["a", "b"]
[[variable]]
name = "V2"
max = 100
[[event]]
name = "按键3 弹起"
time = 300
[[event.action]]
id = 1
function = "红外"
irChannels = [1]
irCode = 5
[[event.action]]
id = 2
function = "网络"
data = ["x", { source = "E1", digits = 2 }, "y"]
)";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

TEST(Diff, SameProjectsHaveNoDifference) {
    EXPECT_TRUE(diffProjects(modelOf(kBase), modelOf(kBase)).empty());
}

TEST(Diff, EachChangeIsOneLineInTheWordsOfTheText) {
    struct Case {
        std::string from;
        std::string to;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"values = [\"a\", \"b\"]",
         "values = [\"a\", \"c\"]",
         {"E3: values [\"a\", \"b\"] -> [\"a\", \"c\"]"}},
        {"max = 100", "max = 200", {"V2: max 100 -> 200"}},
        {"time = 300", "time = 500", {"按键3 弹起: time 300 -> 500"}},
        {"irCode = 5", "irCode = 6", {"按键3 弹起: action 1: irCode 5 -> 6"}},
        {"digits = 2 }",
         "digits = 3 }",
         {"按键3 弹起: action 2: data blank 1 { source = \"E1\", digits = 2 } -> "
          "{ source = \"E1\", digits = 3 }"}},
        {"\"y\"]", "\"z\"]", {"按键3 弹起: action 2: data segment 2 \"y\" -> \"z\""}},
        {"\"x\", { source = \"E1\", digits = 2 }, \"y\"]",
         "\"x\"]",
         {"按键3 弹起: action 2: data [\"x\", { source = \"E1\", digits = 2 }, \"y\"] -> [\"x\"]"}},
        {"id = 1\nfunction = \"红外\"\nirChannels = [1]\nirCode = 5",
         "id = 1\nfunction = \"IO\"\nioChannels = [2]",
         {"按键3 弹起: action 1: function \"红外\" -> \"IO\"",
          "按键3 弹起: action 1: ioChannels (none) -> [2]",
          "按键3 弹起: action 1: ioOperation (none) -> \"置高\"",
          "按键3 弹起: action 1: irChannels [1] -> (none)", "按键3 弹起: action 1: irCode 5 -> (none)"}},
        {"id = 1",
         "id = 0",
         {"按键3 弹起: action 0 added: function = \"红外\", irChannels = [1], irCode = 5",
          "按键3 弹起: action 1 removed: function = \"红外\", irChannels = [1], irCode = 5"}},
        {"[[variable]]\nname = \"V2\"",
         "[[variable]]\nname = \"V17\"",
         {"V2: max 100 -> 0", "V17 added: max = 100"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        EXPECT_EQ(diffProjects(modelOf(kBase), modelOf(replaced(kBase, c.from, c.to))), c.lines);
    }
}

}  // namespace
}  // namespace velk::text
