// One text per rule: the problem it must give, with its place and its message.
#include <gtest/gtest.h>

#include "rules/RuleMessages.h"
#include "textform/TextReader.h"

namespace velk::text {
namespace {

constexpr Severity E = Severity::Error;
constexpr Severity W = Severity::Warning;

struct Case {
    const char* rule;
    std::string text;
    Severity severity;
    int line;
    int column;
    std::string message;  // empty: the parser's own wording
};

const std::string kHeader = "[[event]]\nname = \"按键1 弹起\"\n";
const std::string kNextAction = "[[event.action]]\n";
const std::string kEvent = kHeader + kNextAction;           // the action's fields start on line 4
const std::string kNet = kEvent + "function = \"网络\"\n";  // fields from line 5
const std::string kSerial = kEvent + "function = \"串口\"\n";
const std::string kIr = kEvent + "function = \"红外\"\n";

std::string blankData(const std::string& blank) {
    return kNet + "data = [\"a\", " + blank + ", \"b\"]\n";
}

std::string repeated(const std::string& item, int count, const std::string& separator) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += (i > 0 ? separator : "") + item;
    }
    return text;
}

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        // The text itself.
        {"not TOML", "name = \n", E, 1, 8, ""},
        {"a key given twice", "format = 1\nformat = 1\n", E, 2, 10, ""},
        {"unknown format", "format = 2\n", E, 1, 10,
         "format 2 is not known here; this program reads format 1"},
        {"unknown key", "colour = 1\n", E, 1, 1, "unknown key colour in the project"},
        {"a section that is no array", "enum = 3\n", E, 1, 8, "enum must be an array of tables: [[enum]]"},
        {"unknown key in a table", "[[enum]]\nname = \"E1\"\nsize = 2\n", E, 3, 1,
         "unknown key size in [[enum]]"},
        {"a table without its name", "[[variable]]\ninit = 1\n", E, 1, 1, "[[variable]] needs name"},
        {"a bad name", "[[enum]]\nname = \"E01\"\n", E, 2, 8,
         "name \"E01\" is not a name of an enumerated variable (E1 to E10)"},
        {"a bad target name", "[[target]]\nname = \"TCP5\"\n", E, 2, 8,
         "name \"TCP5\" is not a name of a network target (TCP1 to TCP4, UDP1 to UDP3)"},
        {"a name given twice", "[[enum]]\nname = \"E1\"\n[[enum]]\nname = \"E1\"\n", E, 4, 8,
         "E1 is given twice (first on line 2)"},
        {"a bad event name", "[[event]]\nname = \"按键9 按下\"\n", E, 2, 8,
         "name \"按键9 按下\" is not an event, such as \"按键3 弹起\" or \"IO1 变高\""},
        {"an event given twice", "[[event]]\nname = \"IO1 变高\"\n[[event]]\nname = \"IO1 变高\"\n", E, 4, 8,
         "IO1 变高 is given twice (first on line 2)"},
        {"a number the dialog would not take", "[[variable]]\nname = \"V1\"\ninit = \"5\"\n", E, 3, 8,
         rules::kNotAnInteger},
        {"a fraction", "[[variable]]\nname = \"V2\"\nmin = 1.5\n", E, 3, 7, rules::kNotAnInteger},
        {"beyond 32 bits", "[[variable]]\nname = \"V1\"\nmax = 2147483648\n", E, 3, 7,
         "max: 2147483648 does not fit in 32 bits"},
        {"a time beyond 32 bits", kHeader + "time = -2147483649\n", E, 3, 8,
         "time: -2147483649 does not fit in 32 bits"},
        {"a wrong type", "[[event]]\nname = \"按键1 弹起\"\ntimeEnable = \"yes\"\n", E, 3, 14,
         "timeEnable must be true, false or a stored number"},
        // Texts.
        {"an enum value GBK cannot hold", "[[enum]]\nname = \"E3\"\nvalues = [\"a\", \"xก\"]\n", E, 3, 18,
         rules::enumValueNotGbk(2)},
        {"a segment GBK cannot hold", kNet + "data = [\"a\", { source = \"E1\", digits = 1 }, \"ok ก\"]\n", E,
         5, 49, rules::segmentNotGbk(2, "ก")},
        {"an append command GBK cannot hold", "[[event]]\nname = \"按键1 按下\"\naddString = \"ก\"\n", E, 3,
         14, rules::appendCommandNotGbk()},
        {"a character written as an escape", "[[event]]\nname = \"按键1 按下\"\naddString = \"\\u0e01\"\n", E,
         3, 13, rules::appendCommandNotGbk()},
        {"a zero character", "[[event]]\nname = \"按键1 按下\"\naddString = \"a\\u0000\"\n", E, 3, 13,
         "addString: a text cannot hold U+0000"},
        {"bytes that are not hex", "[[event]]\nname = \"按键1 按下\"\naddString = { bytes = \"zz\" }\n", E, 3,
         23, "addString: bytes are two-digit hex numbers separated by spaces"},
        {"a zero byte", "[[event]]\nname = \"按键1 按下\"\naddString = { bytes = \"41 00\" }\n", E, 3, 23,
         "addString: a text cannot hold the byte 00"},
        {"bytes with other keys", "[[event]]\nname = \"按键1 按下\"\naddString = { bytes = \"41\", x = 1 }\n",
         E, 3, 13, "addString: a text in bytes is written { bytes = \"d6 d0 ff\" }"},
        {"a text longer than a command",
         "[[event]]\nname = \"按键1 按下\"\naddString = \"" + std::string(65531, 'a') + "\"\n", E, 3, 13,
         "addString: 65531 bytes, more than the 65530 of the longest command the panel takes"},
        {"an append command too long for its command",
         "[[event]]\nname = \"按键1 按下\"\naddEnable = true\naddString = \"" + std::string(65520, 'a') +
             "\"\n",
         W, 4, 13, rules::appendCommandTooLong(65545, 65530)},
        // Enumerated variables.
        {"values too long for one command",
         "[[enum]]\nname = \"E2\"\nvalues = [\"" + std::string(30000, 'a') + "\", \"" +
             std::string(30000, 'b') + "\", \"" + std::string(6000, 'c') + "\"]\n",
         W, 3, 10, rules::enumCommandTooLong("E2", 66027, 65530)},
        {"more values than columns",
         "[[enum]]\nname = \"E2\"\nvalues = [" + repeated("\"v\"", 11, ", ") + "]\n", E, 3, 10,
         "11 values: a project file holds at most 10"},
        {"a Hex value with other characters",
         "[[enum]]\nname = \"E2\"\ntype = \"Hex\"\nvalues = [\"0x12\"]\n", E, 4, 11,
         "数据1错误，hex格式的数据只能为数字和字母A到F"},
        {"an empty value", "[[enum]]\nname = \"E2\"\nvalues = [\"a\", \"\"]\n", W, 3, 16, "数据2不能为空"},
        {"no value", "[[enum]]\nname = \"E2\"\nvalues = []\n", W, 3, 10,
         "no values: the dialog takes 1 to 10"},
        {"a Hex value of spaces", "[[enum]]\nname = \"E2\"\ntype = \"Hex\"\nvalues = [\"  \"]\n", W, 4, 11,
         "value 1 holds no byte and is dropped, as the dialog drops it"},
        {"a type outside the list", "[[enum]]\nname = \"E2\"\ntype = { position = 2 }\nvalues = [\"01\"]\n",
         W, 3, 8, "type: 2 is not an entry of the form's list (\"Ascii\", \"Hex\")"},
        {"a label outside the list", "[[enum]]\nname = \"E2\"\ntype = \"Binary\"\n", E, 3, 8,
         "type: \"Binary\" is not one of \"Ascii\", \"Hex\""},
        // Rows the form does not show.
        {"an enum row outside the list", "[[enum]]\nname = \"E11\"\n", W, 2, 8,
         "E11 has no row on the form (E1 to E10); it is kept as the file holds it and never written to a "
         "panel"},
        {"a variable row outside the list", "[[variable]]\nname = \"V0\"\n", W, 2, 8,
         "V0 has no row on the form (V1 to V16); it is kept as the file holds it and never written to a "
         "panel"},
        {"a target row outside the list", "[[target]]\nname = \"UDP4\"\n", W, 2, 8,
         "UDP4 has no row on the form (TCP1 to UDP3); it is kept as the file holds it and never written to a "
         "panel"},
        {"a retention outside the list", "[[variable]]\nname = \"V1\"\nsave = { position = 2 }\n", W, 3, 8,
         "save: 2 is not an entry of the form's list (\"保存\", \"不保存\")"},
        {"a hidden event", "[[event]]\nname = \"输入11 按下\"\n", W, 2, 8,
         "the form offers no selector for 输入11 按下; it is kept as the file holds it"},
        // Network targets.
        {"a port beyond 16 bits", "[[target]]\nname = \"TCP1\"\nport = 70000\n", E, 3, 8,
         "port: 70000 is not a port (0 to 65535)"},
        {"a port that is no number", "[[target]]\nname = \"TCP1\"\nport = \"80\"\n", E, 3, 8,
         rules::kNotAnInteger},
        {"an address that is none", "[[target]]\nname = \"TCP1\"\nip = \"1.2.3\"\n", E, 3, 6,
         "ip must be an IPv4 address such as \"192.168.1.20\""},
        {"an address octet beyond 255", "[[target]]\nname = \"TCP1\"\nip = \"1.2.3.256\"\n", E, 3, 6,
         "ip must be an IPv4 address such as \"192.168.1.20\""},
        // Event settings.
        {"a time on a press event", "[[event]]\nname = \"按键1 按下\"\ntime = 300\n", W, 1, 1,
         "a press event has no time setting: the form cannot edit it and a write does not send it"},
        {"an append setting on a hold event", "[[event]]\nname = \"按键1 保持\"\naddEnable = true\n", W, 1, 1,
         "a hold event has no append setting: the form cannot edit it"},
        {"a flag other than 0 and 1", "[[event]]\nname = \"按键1 弹起\"\naddIsSend = 2\n", W, 3, 13,
         "addIsSend: the dialog sets true or false"},
        // Actions.
        {"an action without function", kEvent + "id = 1\n", E, 3, 1, "[[event.action]] needs function"},
        {"an unknown function", kEvent + "function = \"键盘\"\n", E, 4, 12,
         "function: \"键盘\" is not one of \"红外\", \"IO\", \"串口\", \"网络\", \"继电器\", \"按键\""},
        {"a function no file holds", kEvent + "function = { position = 7 }\n", E, 4, 12,
         "function 7 cannot be stored: a project file holds \"红外\", \"IO\", \"串口\", \"网络\", "
         "\"继电器\", "
         "\"按键\""},
        {"a field of another function", kEvent + "function = \"IO\"\nioChannels = [1]\nirCode = 5\n", E, 6, 1,
         "unknown key irCode in [[event.action]]"},
        {"an id given twice",
         kIr + "irChannels = [1]\nirCode = 1\nid = 1\n" + kNextAction +
             "function = \"IO\"\nioChannels = [1]\nid = 1\n",
         E, 11, 6, "id 1 is given twice in this event (first on line 7)"},
        {"a channel that cannot be stored", kIr + "irChannels = [33]\nirCode = 1\n", E, 5, 15,
         "irChannels: a channel is a number from 1 to 32"},
        {"a channel listed twice", kIr + "irChannels = [2, 2]\nirCode = 1\n", E, 5, 18,
         "irChannels: channel 2 is listed twice"},
        {"an infrared id outside 1..64", kIr + "irChannels = [1]\nirCode = 65\n", W, 6, 10,
         rules::kIrCodeRange},
        {"an infrared action without id", kIr + "irChannels = [1]\n", W, 3, 1, rules::kIrCodeRange},
        {"no channel", kIr + "irCode = 5\n", W, 3, 1, rules::kNoIrChannel},
        {"an infrared channel beyond 4", kIr + "irChannels = [5]\nirCode = 5\n", W, 5, 14,
         "红外 has channels 1 to 4"},
        {"an IO channel beyond 2", kEvent + "function = \"IO\"\nioChannels = [3]\n", W, 5, 14,
         "IO has channels 1 to 2"},
        {"a relay channel beyond 2", kEvent + "function = \"继电器\"\nrelayChannels = [1, 3]\n", W, 5, 17,
         "继电器 has channels 1 to 2"},
        {"an IO operation outside the list",
         kEvent + "function = \"IO\"\nioChannels = [1]\nioOperation = { position = 3 }\n", W, 6, 15,
         "ioOperation: 3 is not an entry of the form's list (\"置高\", \"置低\", \"反转\")"},
        {"a key action", kEvent + "function = \"按键\"\nkeyChannel = 2\n", W, 3, 1, rules::kKeyNotAdded},
        {"an IO action without channel", kEvent + "function = \"IO\"\n", W, 3, 1, rules::kNoIoChannel},
        {"a relay action without channel", kEvent + "function = \"继电器\"\nrelayChannels = []\n", W, 5, 17,
         rules::kNoRelayChannel},
        {"a network channel outside the list", kNet + "channel = { position = 9 }\ndata = [\"x\"]\n", W, 5,
         11,
         "channel: 9 is not an entry of the form's list (\"TCP(自定义地址)\", \"UDP(自定义地址)\", \"TCP1\", "
         "\"TCP2\", \"TCP3\", \"TCP4\", \"UDP1\", \"UDP2\", \"UDP3\")"},
        {"a network port beyond 16 bits", kNet + "port = -1\ndata = [\"x\"]\n", E, 5, 8,
         "port: -1 is not a port (0 to 65535)"},
        {"a data type outside the list", kNet + "type = { position = 2 }\ndata = [\"x\"]\n", W, 5, 8,
         "type: 2 is not an entry of the form's list (\"Ascii\", \"Hex\")"},
        {"a serial channel outside the list", kSerial + "channel = { position = 2 }\ndata = [\"x\"]\n", W, 5,
         11, "channel: 2 is not an entry of the form's list (\"RS232-1\", \"RS232-2\")"},
        {"a baud rate that is no label", kSerial + "baudrate = \"9601\"\ndata = [\"x\"]\n", E, 5, 12,
         "baudrate: \"9601\" is not one of \"115200\", \"600\", \"1200\", \"2400\", \"4800\", \"9600\", "
         "\"14400\", "
         "\"19200\", \"38400\", \"57600\""},
        {"a baud rate outside the list", kSerial + "baudrate = { position = 10 }\ndata = [\"x\"]\n", W, 5, 12,
         "baudrate: 10 is not an entry of the form's list (\"115200\", \"600\", \"1200\", \"2400\", "
         "\"4800\", "
         "\"9600\", \"14400\", \"19200\", \"38400\", \"57600\")"},
        // A number where a list's text belongs would be taken for a position: refused, naming the texts.
        {"a baud rate as a number", kSerial + "baudrate = 9600\ndata = [\"x\"]\n", E, 5, 12,
         "baudrate must be one of \"115200\", \"600\", \"1200\", \"2400\", \"4800\", \"9600\", \"14400\", "
         "\"19200\", \"38400\", \"57600\" — write it in quotes: \"9600\""},
        {"a list position as a bare number", kSerial + "dataWidth = 2\ndata = [\"x\"]\n", E, 5, 13,
         "dataWidth must be one of \"5位\", \"6位\", \"7位\", \"8位\", not a number (a stored position no "
         "entry has is written { position = 2 })"},
        {"an operation as a number", kEvent + "function = \"IO\"\nioChannels = [1]\nioOperation = 1\n", E, 6,
         15,
         "ioOperation must be one of \"置高\", \"置低\", \"反转\", not a number (a stored position no entry "
         "has is written { position = 1 })"},
        {"a network channel as a number", kNet + "channel = 2\ndata = [\"x\"]\n", E, 5, 11,
         "channel must be one of \"TCP(自定义地址)\", \"UDP(自定义地址)\", \"TCP1\", \"TCP2\", \"TCP3\", "
         "\"TCP4\", \"UDP1\", \"UDP2\", \"UDP3\", not a number (a stored position no entry has is written "
         "{ position = 2 })"},
        {"a function as a number", kEvent + "function = 2\n", E, 4, 12,
         "function must be one of \"红外\", \"IO\", \"串口\", \"网络\", \"继电器\", \"按键\", not a number "
         "(a "
         "stored position no entry has is written { position = 2 })"},
        {"a blank option as a number", blankData("{ source = \"E1\", digits = 1, loop = 1 }"), E, 5, 50,
         "loop must be one of \"是\", \"否\", not a number (a stored position no entry has is written "
         "{ position = 1 })"},
        {"a position with another key", kSerial + "stop = { position = 1, x = 2 }\ndata = [\"x\"]\n", E, 5, 8,
         "stop must be one of \"1位\", \"2位\", or { position = N } for a stored position"},
        {"data bits outside the list", kSerial + "dataWidth = { position = 4 }\ndata = [\"x\"]\n", W, 5, 13,
         "dataWidth: 4 is not an entry of the form's list (\"5位\", \"6位\", \"7位\", \"8位\")"},
        {"a parity outside the list", kSerial + "adjust = { position = 5 }\ndata = [\"x\"]\n", W, 5, 10,
         "adjust: 5 is not an entry of the form's list (\"无校验\", \"偶校验\", \"奇校验\", \"强制1校验\", "
         "\"强制0校验\")"},
        {"stop bits outside the list", kSerial + "stop = { position = 2 }\ndata = [\"x\"]\n", W, 5, 8,
         "stop: 2 is not an entry of the form's list (\"1位\", \"2位\")"},
        // Data.
        {"data without a last segment", kNet + "data = [\"a\", { source = \"E1\", digits = 1 }]\n", E, 5, 8,
         "data is a list of segments with blanks between them: [\"text\", { source = \"E1\", digits = 1 }, "
         "\"text\"]"},
        {"more blanks than columns",
         kNet + "data = [\"a\"" + repeated(", { source = \"E1\", digits = 1 }, \"a\"", 11, "") + "]\n", E, 5,
         8, "11 blanks: a project file holds at most 10"},
        {"more blanks than the editor offers",
         kNet + "data = [\"a\"" + repeated(", { source = \"E1\", digits = 1 }, \"a\"", 7, "") + "]\n", W, 5,
         8, "7 blanks: the editor offers 0 to 6"},
        {"a blank that is no table", kNet + "data = [\"a\", \"E1\", \"b\"]\n", E, 5, 14,
         "blank 1 must be a table such as { source = \"E1\", digits = 1 }"},
        {"one empty segment", kNet + "data = [\"\"]\n", W, 5, 9, "文本1  不能为空"},
        {"no data at all", kNet, W, 3, 1, "文本1  不能为空"},
        {"an empty middle segment",
         kNet + "data = [\"a\", { source = \"E1\", digits = 1 }, \"\", { source = \"E2\", digits = 1 }, "
                "\"b\"]\n",
         W, 5, 45, "文本2  不能为空"},
        {"a Hex segment that is no hex", kNet + "type = \"Hex\"\ndata = [\"0x12\"]\n", W, 6, 9,
         rules::kDataFormat},
        {"a Hex segment of spaces", kNet + "type = \"Hex\"\ndata = [\"  \"]\n", W, 6, 9, rules::kDataFormat},
        {"a Hex segment not in normal form", kNet + "type = \"Hex\"\ndata = [\"1 2\"]\n", W, 6, 9,
         "segment 1 is not in the Hex normal form; the composer stores \"01 02\""},
        {"a dollar without two hex digits", kNet + "data = [\"100$\"]\n", W, 5, 9, rules::kDollarEscape},
        {"a segment longer than the composer's edit", kNet + "data = [\"" + std::string(201, 'x') + "\"]\n",
         W, 5, 9, rules::segmentTooLong(1, 201)},
        // Blanks.
        {"a blank source that is none", blankData("{ source = \"X3\", digits = 1 }"), E, 5, 25,
         "source \"X3\" is not Input, E1..E10 or V1..V16"},
        {"a blank without source", blankData("{ digits = 1 }"), E, 5, 14, "blank 1 needs source"},
        {"a kind against its source", blankData("{ kind = 1, source = \"V2\", digits = 1 }"), E, 5, 23,
         "kind 1 does not match source \"V2\""},
        {"another kind with an E source", blankData("{ kind = 7, source = \"E2\", digits = 1 }"), E, 5, 23,
         "a blank of kind 7 is written with a V source"},
        {"an option of another kind", blankData("{ source = \"E1\", digits = 1, mode = \"full\" }"), E, 5, 43,
         "unknown key mode in blank 1"},
        {"a blank of another kind", blankData("{ kind = 7, source = \"V2\", digits = 1 }"), W, 5, 23,
         "blank kind 7 is none the composer knows; it is shown and sent as a V blank"},
        {"an enum source outside the list", blankData("{ source = \"E11\", digits = 1 }"), W, 5, 25,
         "source: 11 is outside 1~10, which the form offers"},
        {"a variable source outside the list", blankData("{ source = \"V0\", digits = 1 }"), W, 5, 25,
         "source: 0 is outside 1~16, which the form offers"},
        {"no digits", blankData("{ source = \"Input\" }"), W, 5, 14,
         "digits: 0 is outside 1~10, which the form offers"},
        {"digits beyond 10", blankData("{ source = \"Input\", digits = 11 }"), W, 5, 43,
         "digits: 11 is outside 1~10, which the form offers"},
        {"a group beyond 20", blankData("{ source = \"E1\", digits = 1, group = 21 }"), W, 5, 51,
         "group: 21 is outside 1~20, which the form offers"},
        {"a count beyond 5", blankData("{ source = \"Input\", digits = 1, mode = \"count\", count = 6 }"), W,
         5, 70, "count: 6 is outside 1~5, which the form offers"},
        {"a mode outside the list", blankData("{ source = \"Input\", digits = 1, mode = { position = 3 } }"),
         W, 5, 53, "mode: 3 is not an entry of the form's list (\"full\", \"click\", \"count\")"},
        {"an overflow outside the list",
         blankData("{ source = \"Input\", digits = 1, overflow = { position = 3 } }"), W, 5, 57,
         "overflow: 3 is not an entry of the form's list (\"不发送\", \"裁剪\", \"填入\")"},
        {"a loop outside the list", blankData("{ source = \"E1\", digits = 1, loop = { position = 2 } }"), W,
         5, 50, "loop: 2 is not an entry of the form's list (\"是\", \"否\")"},
        {"a direction outside the list",
         blankData("{ source = \"V1\", digits = 1, direction = { position = 2 } }"), W, 5, 55,
         "direction: 2 is not an entry of the form's list (\"add\", \"sub\")"},
        // What an event may hold.
        {"two actions of one kind",
         kIr + "irChannels = [1]\nirCode = 1\n" + kNextAction +
             "function = \"红外\"\nirChannels = [2]\nirCode = 2\n",
         W, 7, 1, rules::kindAlreadyHeld(FunctionCode::Infrared)},
        {"a serial and a network action",
         kNet + "data = [\"x\"]\n" + kNextAction + "function = \"串口\"\ndata = [\"y\"]\n", W, 6, 1,
         rules::kindAlreadyHeld(FunctionCode::Serial)},
        {"an IO action on a hold event",
         "[[event]]\nname = \"IO1 拉低\"\n[[event.action]]\nfunction = \"IO\"\nioChannels = [1]\n", W, 3, 1,
         rules::kHoldEventTakesData},
        {"an action beyond a full list",
         "[[event]]\nname = \"按键2 弹起\"\n" + kNextAction +
             "function = \"红外\"\nirChannels = [1]\nirCode = 1\n" + kNextAction +
             "function = \"IO\"\nioChannels = [1]\n" + kNextAction +
             "function = \"继电器\"\nrelayChannels = [1]\n" + kNextAction +
             "function = \"串口\"\ndata = [\"x\"]\n" + kNextAction + "function = \"网络\"\ndata = [\"y\"]\n",
         W, 16, 1, rules::kSlotFull},
        {"actions out of id order",
         kIr + "id = 2\nirChannels = [1]\nirCode = 1\n" + kNextAction +
             "id = 1\nfunction = \"IO\"\nioChannels = [1]\n",
         W, 8, 1, "actions run in id order: id 1 comes before id 2"},
    };
    return all;
}

TEST(Check, EachRuleGivesItsProblemAtItsPlace) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.rule);
        TextRead read = readText(c.text);
        ASSERT_EQ(read.problems.size(), 1u) << [&] {
            std::string all;
            for (const Problem& p : read.problems) {
                all += formatProblem("t", p) + "\n";
            }
            return all;
        }();
        const Problem& p = read.problems[0];
        EXPECT_EQ(p.severity, c.severity);
        EXPECT_EQ(p.line, c.line);
        EXPECT_EQ(p.column, c.column);
        if (!c.message.empty()) {
            EXPECT_EQ(p.message, c.message);
        } else {
            EXPECT_FALSE(p.message.empty());
        }
    }
}

// No segment the composer takes makes a command longer than the link carries, so such data comes
// with the segments' own warnings; the command's length is named at the data too.
TEST(Check, DataTooLongForItsCommandIsNamedAtTheData) {
    const std::string segment = "\"" + std::string(6000, 'x') + "\"";
    const std::string text =
        kNet + "data = [" + repeated(segment, 11, ", { source = \"E1\", digits = 1 }, ") + "]\n";
    TextRead read = readText(text);
    EXPECT_FALSE(read.hasErrors());
    const std::string tooLong = "发送的数据过长";
    int named = 0;
    for (const Problem& p : read.problems) {
        if (p.message.compare(0, tooLong.size(), tooLong) == 0) {
            ++named;
            EXPECT_EQ(p.line, 5);
            EXPECT_EQ(p.column, 8);
        }
    }
    EXPECT_EQ(named, 1);
}

TEST(Check, EveryProblemOfATextIsReportedInTextOrder) {
    TextRead read = readText(
        "[[variable]]\nname = \"V1\"\ninit = \"x\"\nmax = 9999999999\n[[enum]]\nname = \"E2\"\nvalues = "
        "[\"\"]\n");
    ASSERT_EQ(read.problems.size(), 3u);
    EXPECT_EQ(read.problems[0].line, 3);
    EXPECT_EQ(read.problems[1].line, 4);
    EXPECT_EQ(read.problems[2].line, 7);
    EXPECT_EQ(read.problems[2].severity, Severity::Warning);
    EXPECT_TRUE(read.hasErrors());
}

TEST(Check, ProblemsAreFormattedWithFileLineAndColumn) {
    Problem p{Severity::Warning, 3, 16, "数据2不能为空"};
    EXPECT_EQ(formatProblem("a.toml", p), "a.toml:3:16: warning: 数据2不能为空");
    p.severity = Severity::Error;
    p.line = 0;
    EXPECT_EQ(formatProblem("a.toml", p), "a.toml: error: 数据2不能为空");
}

}  // namespace
}  // namespace velk::text
