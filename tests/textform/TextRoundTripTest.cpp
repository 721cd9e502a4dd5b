#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "action/TextRules.h"
#include "model/db/ProjectReader.h"
#include "session/ProjectImport.h"
#include "support/RichProject.h"
#include "support/TempDir.h"
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
    EXPECT_NE(text.find("{ kind = 7, source = \"V3\", digits = 4, step = 3, interval = 4, direction = 5 }"),
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
    EXPECT_EQ(exportText(model), "# velk project, text form (docs/project-text.md)\nformat = 1\n");
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

TEST(TextRoundTrip, EqualModelsGiveIdenticalBytesWhateverTheirOrder) {
    ConfigModel a;
    a.reset();
    KeyAction first;
    first.function = kFunctionIo;
    first.ioChannels = 1;
    first.id = 2;
    KeyAction second = first;
    second.function = kFunctionRelay;
    second.id = 0;
    a.actions[4] = {first, second};
    ConfigModel b = a;
    b.actions[4] = {second, first};
    EXPECT_EQ(exportText(a), exportText(b));
}

// Random models of everything a project file can hold, including values no form offers.
class ModelMaker {
public:
    explicit ModelMaker(uint32_t seed) : m_random(seed) {}

    ConfigModel make() {
        ConfigModel model;
        model.reset();
        for (int i = 0; i < pick(0, 4); ++i) {
            EnumVariable e;
            e.index = number();
            if (e.index == INT_MIN) {
                continue;
            }
            e.type = pick(0, 3) == 0 ? number() : pick(0, 1);
            e.data.clear();
            for (int k = 0; k < pick(0, 10); ++k) {
                std::string value = text();
                if (e.type != kAscii) {
                    std::optional<std::string> normal = NormalizeHexText(hexText());
                    if (!normal) {
                        continue;
                    }
                    value = *normal;
                }
                e.data.push_back(value);
            }
            model.setEnum(e.index - 1, e);
        }
        for (int i = 0; i < pick(0, 4); ++i) {
            Variable v{number(), number(), number(), number(), number()};
            if (v.index != INT_MIN) {
                model.setVariable(v.index - 1, v);
            }
        }
        for (int i = 0; i < pick(0, 4); ++i) {
            NetTarget t{static_cast<uint32_t>(number()), static_cast<uint16_t>(pick(0, 65535)), number()};
            if (t.index != INT_MIN) {
                model.setNetTarget(t.index - 1, t);
            }
        }
        for (int i = 0; i < pick(0, 6); ++i) {
            const auto slot = static_cast<size_t>(pick(0, kSlotCount - 1));
            model.eventSettings[slot] = {number(), number(), number(), number(), number(), text()};
            for (int k = 0; k < pick(0, 5); ++k) {
                KeyAction a = action();
                // Ids are the key of a slot's table.
                if (std::none_of(model.actions[slot].begin(), model.actions[slot].end(),
                                 [&](const KeyAction& other) { return other.id == a.id; })) {
                    model.actions[slot].push_back(a);
                }
            }
        }
        return model;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    int32_t number() {
        switch (pick(0, 4)) {
            case 0:
                return INT_MIN;
            case 1:
                return INT_MAX;
            case 2:
                return pick(-3, 12);
            default:
                return static_cast<int32_t>(m_random());
        }
    }

    std::string text() {
        static const std::vector<std::string> pieces = {
            "a",        " ",    "'",    "\"",   "\\", "$", "$24", "\t", "\n", "\r", "\x7f",    "\x01",
            "\xd6\xd0", "\x81", "\xff", "\x80", "#",  "=", "[",   "]",  "{",  "}",  "\xa1\xa1"};
        std::string out;
        for (int i = 0; i < pick(0, 6); ++i) {
            out += pieces[static_cast<size_t>(pick(0, static_cast<int>(pieces.size()) - 1))];
        }
        return out;
    }

    std::string hexText() {
        std::string out;
        for (int i = 0; i < pick(1, 4); ++i) {
            out += std::to_string(pick(0, 9)) + " ";
        }
        return out;
    }

    Placeholder placeholder() {
        Placeholder p;
        p.kind = pick(0, 4) == 0 ? number() : pick(0, 2);
        p.digits = number();
        if (p.kind == kKindInput) {
            p.modeIndex = number();
            p.countIndex = number();
            p.overflowIndex = number();
        } else if (p.kind == kKindEnum) {
            p.enumIndex = number();
            p.groupIndex = number();
            p.loopIndex = number();
            p.saveIndex = number();
            p.enumDirection = number();
        } else {
            p.varIndex = number();
            p.step = number();
            p.interval = number();
            p.varDirection = number();
        }
        return p;
    }

    void sendData(SendData& data) {
        data.type = pick(0, 3) == 0 ? number() : pick(0, 1);
        data.channel = number();
        data.varNum = pick(0, 10);
        data.texts = {text()};
        for (int k = 0; k < data.varNum; ++k) {
            data.placeholders.push_back(placeholder());
            data.texts.push_back(text());
        }
    }

    KeyAction action() {
        KeyAction a;
        a.id = number();
        a.function = pick(0, 5);
        switch (a.function) {
            case kFunctionInfrared:
                a.irChannels = number();
                a.irCode = number();
                break;
            case kFunctionIo:
                a.ioChannels = number();
                a.ioOperation = number();
                break;
            case kFunctionRelay:
                a.relayChannels = number();
                a.relayOperation = number();
                break;
            case kFunctionKey:
                a.keyChannel = number();
                break;
            case kFunctionNetwork:
                sendData(a.network);
                a.network.ip = static_cast<uint32_t>(number());
                a.network.port = pick(0, 65535);
                break;
            default:
                sendData(a.serial);
                a.serial.baudrate = number();
                a.serial.dataWidth = number();
                a.serial.adjust = number();
                a.serial.stop = number();
                break;
        }
        return a;
    }

    std::mt19937 m_random;
};

TEST(TextRoundTrip, EveryValueAProjectFileCanHoldComesBack) {
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE(seed);
        ModelMaker maker(seed);
        expectRoundTrip(maker.make());
        if (HasFatalFailure()) {
            return;
        }
    }
}

}  // namespace
}  // namespace velk::text
