#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/WritePlan.h"
#include "sim/CommandFramer.h"
#include "sim/PanelSimulator.h"
#include "sim/PanelState.h"
#include "sim/StateText.h"
#include "textform/ProjectDiff.h"
#include "textform/TextReader.h"

// What a panel holds, rebuilt from the commands of a write: equal to the project that was written
// wherever the commands carry it, and saying so where they do not.
namespace velk::sim {
namespace {

ConfigModel modelOf(const std::string& text) {
    text::TextRead read = text::readText(text);
    EXPECT_FALSE(read.hasErrors()) << text;
    return read.model;
}

// Every command of the project's write, applied to a fresh panel as the simulator cuts them.
PanelSnapshot heldAfterWrite(const ConfigModel& model, size_t sendsOnly = SIZE_MAX) {
    PanelState panel;
    size_t sends = 0;
    for (const WriteStep& step : buildWritePlan(model)) {
        if (step.kind != WriteStep::Send) {
            continue;
        }
        if (sends == sendsOnly) {
            break;
        }
        ++sends;
        CommandFramer framer;
        framer.feed(step.command);
        while (std::optional<ParsedCommand> command = framer.next(true)) {
            panel.apply(*command);
        }
    }
    return panel.snapshot();
}

const char* const kHeader = "format = 1\n";

TEST(StateTextTest, AWholeWriteGivesTheProjectBack) {
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty project", ""},
        {"lists", R"toml(
[[enum]]
name = "E2"
values = ["ON", "", "开"]
[[enum]]
name = "E10"
type = "Hex"
values = ["01 02", "0a ff"]
[[variable]]
name = "V16"
init = -7
min = -2147483648
max = 2147483647
save = "不保存"
[[target]]
name = "TCP1"
ip = "0.0.0.0"
port = 80
[[target]]
name = "UDP3"
ip = "255.255.255.255"
port = 65535
)toml"},
        {"every action kind", R"toml(
[[event]]
name = "按键8 弹起"
timeEnable = true
time = 2147483647
addEnable = true
addTimeOut = 0
addIsSend = true
addString = "a#b$24"
[[event.action]]
id = 0
function = "红外"
irChannels = [1, 2, 3, 4]
irCode = 64
[[event.action]]
id = 1
function = "IO"
ioChannels = [2]
ioOperation = "反转"
[[event.action]]
id = 2
function = "继电器"
relayChannels = [1, 2]
relayOperation = "关闭"
[[event.action]]
id = 3
function = "串口"
channel = "RS232-2"
type = "Hex"
baudrate = "57600"
dataWidth = "5位"
adjust = "强制0校验"
stop = "2位"
data = ["", { source = "E10", digits = 10, group = 20, loop = "否", direction = "sub", save = "否" }, ""]
)toml"},
        {"data with blanks of every source", R"toml(
[[event]]
name = "IO2 拉低"
[[event.action]]
id = 0
function = "网络"
channel = "TCP4"
data = [
    "$00$ff A",
    { source = "Input", digits = 1, mode = "click", overflow = "填入" },
    "-",
    { source = "Input", digits = 3, mode = "count", count = 5 },
    "你好$24",
    { source = "V1", digits = 2, step = -3, interval = 7 },
    "end",
]
[[event]]
name = "按键1 按下"
[[event.action]]
id = 0
function = "网络"
channel = "UDP(自定义地址)"
ip = "10.1.2.3"
port = 9
type = "Hex"
data = ["01", { source = "E1", digits = 2 }, "02 03", { source = "V2", digits = 1 }, ""]
)toml"},
    };
    for (const auto& [name, body] : cases) {
        SCOPED_TRACE(name);
        const ConfigModel project = modelOf(kHeader + body);
        const HeldProject held = heldProject(heldAfterWrite(project));
        EXPECT_EQ(text::diffProjects(project, held.model), std::vector<std::string>());
        EXPECT_EQ(held.doubts, std::vector<std::string>());
        // The text itself reads back as the same project.
        const std::string text = panelStateText(heldAfterWrite(project), {kLoopbackAddress, 4800});
        EXPECT_EQ(text::diffProjects(project, modelOf(text)), std::vector<std::string>()) << text;
    }
}

TEST(StateTextTest, WhatNoCommandCarriesIsNamed) {
    struct Case {
        const char* name;
        std::string body;
        std::vector<std::string> differences;  // what diff then shows
        std::string doubt;                     // part of a doubt named, or empty for none
    };
    const std::vector<Case> cases = {
        {"ids with a gap",
         "[[event]]\nname = \"按键1 按下\"\n[[event.action]]\nid = 0\nfunction = \"红外\"\nirChannels = [1]\n"
         "irCode = 1\n[[event.action]]\nid = 5\nfunction = \"红外\"\nirChannels = [2]\nirCode = 2\n",
         {"按键1 按下: action 1 added: function = \"红外\", irChannels = [2], irCode = 2",
          "按键1 按下: action 5 removed: function = \"红外\", irChannels = [2], irCode = 2"},
         ""},
        {"settings of an event without actions",
         "[[event]]\nname = \"按键3 弹起\"\ntimeEnable = true\ntime = 5\n",
         {"按键3 弹起: timeEnable true -> false", "按键3 弹起: time 5 -> 0"},
         ""},
        {"a blank of 0 digits",
         "[[event]]\nname = \"按键1 按下\"\n[[event.action]]\nid = 0\nfunction = \"网络\"\n"
         "data = [\"A\", { source = \"V1\", digits = 0 }, \"B\"]\n",
         {"按键1 按下: action 0: data segment 1 \"A\" -> \"AB\"",
          "按键1 按下: action 0: data segment 2 \"B\" -> \"\""},
         "do not show its 1 blanks"},
        {"a star in Ascii data",
         "[[event]]\nname = \"按键1 按下\"\n[[event.action]]\nid = 0\nfunction = \"网络\"\n"
         "data = [\"A*\", { source = \"V1\", digits = 1 }, \"B\"]\n",
         {"按键1 按下: action 0: data segment 1 \"A*\" -> \"A\"",
          "按键1 按下: action 0: data blank 1 { source = "
          "\"V1\", digits = 1 } -> { source = \"V1\", digits = 2 }"},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ConfigModel project = modelOf(kHeader + c.body);
        const HeldProject held = heldProject(heldAfterWrite(project));
        EXPECT_EQ(text::diffProjects(project, held.model), c.differences);
        if (c.doubt.empty()) {
            EXPECT_EQ(held.doubts, std::vector<std::string>());
        } else {
            ASSERT_EQ(held.doubts.size(), 1u);
            EXPECT_NE(held.doubts[0].find(c.doubt), std::string::npos) << held.doubts[0];
            EXPECT_NE(panelStateText(heldAfterWrite(project), {kLoopbackAddress, 4800}).find("# Not exact: "),
                      std::string::npos);
        }
    }
}

TEST(StateTextTest, AWriteBrokenOffShowsWhatIsMissing) {
    const ConfigModel project = modelOf(std::string(kHeader) +
                                        "[[variable]]\nname = \"V1\"\ninit = 3\n"
                                        "[[event]]\nname = \"按键1 按下\"\n[[event.action]]\nid = 0\n"
                                        "function = \"红外\"\nirChannels = [1]\nirCode = 4\n");
    // intoEdit, clear, setvar and the header arrived; the action did not.
    const PanelSnapshot held = heldAfterWrite(project, 4);
    ASSERT_TRUE(held.editing);
    EXPECT_EQ(text::diffProjects(project, heldProject(held).model),
              std::vector<std::string>{
                  "按键1 按下: action 0 removed: function = \"红外\", irChannels = [1], irCode = 4"});
    EXPECT_NE(panelStateText(held, {kLoopbackAddress, 4800}).find("still in edit mode"), std::string::npos);
}

TEST(StateTextTest, TheTextNamesThePanelAndItsNetwork) {
    PanelNetwork network;
    network.ip = 0x7F000002;
    network.mac = {0x00, 0x1A, 0x2B, 0x3C, 0x00, 0x07};
    PanelState panel(network);
    const std::string text = panelStateText(panel.snapshot(), {0x7F000002, 4811});
    EXPECT_NE(text.find("at 127.0.0.2:4811 holds"), std::string::npos) << text;
    EXPECT_NE(text.find("ip 127.0.0.2"), std::string::npos);
    EXPECT_NE(text.find("MAC 00.1A.2B.3C.00.07"), std::string::npos);
    EXPECT_EQ(PanelSimulator::stateFilePath("dir", {0x7F000002, 4811}), "dir/127.0.0.2_4811.toml");
}

}  // namespace
}  // namespace velk::sim
