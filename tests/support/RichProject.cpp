#include "support/RichProject.h"

#include <climits>

#include "model/StrPrintf.h"
#include "project/Statements.h"
#include "session/IgnoringObserver.h"
#include "session/MessagePump.h"
#include "session/ProjectSession.h"
#include "support/SqliteCli.h"
#include "support/TempDir.h"

namespace velk::test {

namespace {

Placeholder blank(int32_t kind, int32_t digits) {
    Placeholder p;
    p.kind = kind;
    p.digits = digits;
    return p;
}

// Ten blanks of every kind with values inside and outside the composer's lists, around segments
// with quotes, escapes, GBK and bytes GBK cannot decode.
SerialSendData everyBlank() {
    SerialSendData s;
    s.channel = 1;
    s.type = kAscii;
    s.baudrate = 11;
    s.dataWidth = 9;
    s.adjust = -1;
    s.stop = 4;
    s.texts = {"it's \"quoted\" \\", "A$0d$0a", "",   "\xd6\xd0\xce\xc4", "\x81", "100$", "$24", "tab\there",
               "new\nline",          "",        "end"};
    Placeholder input = blank(kKindInput, 10);
    input.modeIndex = 2;
    input.countIndex = 4;
    input.overflowIndex = 2;
    Placeholder inputOut = blank(kKindInput, 0);
    inputOut.modeIndex = 5;
    inputOut.countIndex = -3;
    inputOut.overflowIndex = 9;
    Placeholder enumBlank = blank(kKindEnum, 3);
    enumBlank.enumIndex = 9;
    enumBlank.groupIndex = 19;
    enumBlank.loopIndex = 1;
    enumBlank.saveIndex = 1;
    enumBlank.enumDirection = 1;
    Placeholder enumOut = blank(kKindEnum, 70000);
    enumOut.enumIndex = 12;
    enumOut.groupIndex = -1;
    enumOut.loopIndex = 4;
    enumOut.saveIndex = INT_MAX;
    enumOut.enumDirection = INT_MIN;
    Placeholder var = blank(kKindVar, 1);
    var.varIndex = 15;
    var.step = -100;
    var.interval = INT_MAX;
    var.varDirection = 1;
    Placeholder varOut = blank(kKindVar, -2);
    varOut.varIndex = 16;
    varOut.step = INT_MIN;
    Placeholder seven = blank(7, 4);
    seven.varIndex = 2;
    seven.step = 3;
    seven.interval = 4;
    seven.varDirection = 5;
    Placeholder minus = blank(-1, 2);
    minus.varIndex = -1;
    Placeholder big = blank(INT_MAX, 1);
    Placeholder enumFirst = blank(kKindEnum, 1);
    s.placeholders = {input, inputOut, enumBlank, enumOut, var, varOut, seven, minus, big, enumFirst};
    s.varNum = 10;
    return s;
}

KeyAction withId(KeyAction a, int32_t id) {
    a.id = id;
    return a;
}

KeyAction simple(FunctionCode function, int32_t channels, int32_t second) {
    KeyAction a;
    a.function = function;
    switch (function) {
        case FunctionCode::Infrared:
            a.irChannels = channels;
            a.irCode = second;
            break;
        case FunctionCode::Io:
            a.ioChannels = channels;
            a.ioOperation = second;
            break;
        case FunctionCode::Relay:
            a.relayChannels = channels;
            a.relayOperation = second;
            break;
        case FunctionCode::Key:
            a.keyChannel = channels;
            break;
        case FunctionCode::Serial:
        case FunctionCode::Network:
            break;  // data actions are built by their own makers
    }
    return a;
}

KeyAction network(int32_t channel, int32_t type, std::vector<std::string> texts,
                  std::vector<Placeholder> blanks) {
    KeyAction a;
    a.function = FunctionCode::Network;
    a.network.channel = channel;
    a.network.type = type;
    a.network.ip = 0xffffffffu;
    a.network.port = 65535;
    a.network.texts = std::move(texts);
    a.network.placeholders = std::move(blanks);
    a.network.varNum = static_cast<int32_t>(a.network.placeholders.size());
    return a;
}

EnumVariable enumOf(int32_t index, int32_t type, std::vector<std::string> values) {
    EnumVariable e;
    e.index = index;
    e.type = type;
    e.data = std::move(values);
    return e;
}

std::string statements() {
    std::string sql;
    auto add = [&](const std::string& statement) { sql += statement + ";\n"; };
    // Lists: rows outside them and values the dialogs never make.
    add(sql::updateEnum(enumOf(
        5, kAscii,
        {"it's", "say \"hi\"", "back\\slash", "$24", "tab\t", "\xd6\xd0", "\x81\x30", " ", "E", "10th"})));
    add(sql::updateEnum(enumOf(6, kAscii, {})));
    add(sql::updateEnum(enumOf(7, 2, {"01 ff"})));
    add(sql::insertEnum(enumOf(0, kAscii, {"zero"})));
    add(sql::insertEnum(enumOf(11, kHex, {"0a"})));
    add(sql::insertEnum(enumOf(-3, kAscii, {""})));
    add(sql::updateVariable(Variable{5, INT_MIN, INT_MAX, -1, 7}));
    add(sql::insertVariable(Variable{17, 1, 2, 3, 1}));
    add(sql::insertVariable(Variable{0, 0, 0, 0, 0}));
    add(sql::insertVariable(Variable{-1, -1, -1, -1, -1}));
    add(sql::updateNetTarget(NetTarget{0xffffffffu, 65535, 1}));
    add(sql::insertNetTarget(NetTarget{0x01020304u, 1, 8}));
    add(sql::insertNetTarget(NetTarget{0, 0, 0}));
    // Key 1 release: ten blanks; hold: values outside the lists, ids at both ends, two data actions.
    KeyAction serial;
    serial.function = FunctionCode::Serial;
    serial.serial = everyBlank();
    add(sql::insertAction(1, withId(serial, 0)));
    add(sql::insertAction(2, withId(simple(FunctionCode::Infrared, 16, 65), -5)));
    add(sql::insertAction(2, withId(simple(FunctionCode::Io, 0, 7), 3)));
    add(sql::insertAction(2, withId(simple(FunctionCode::Relay, -1, -1), INT_MAX)));
    add(sql::insertAction(2, withId(network(12, 3, {"x"}, {}), 7)));
    // Hex with a trailing space in a segment and blanks at the end.
    add(sql::insertAction(
        2, withId(network(2, kHex, {"01 02 ", "ff", ""}, {blank(kKindEnum, 2), blank(kKindInput, 1)}), 8)));
    add(sql::insertAction(3, withId(simple(FunctionCode::Key, 99, 0), 1)));
    // Hidden slots.
    add(sql::insertAction(31, withId(simple(FunctionCode::Infrared, 1, 1), 0)));
    add(sql::insertAction(45, withId(network(0, kAscii, {"hidden"}, {}), 2)));
    add(sql::insertAction(59, withId(simple(FunctionCode::Key, 16, 0), 0)));
    EventSettings settings;
    settings.timeEnable = 2;
    settings.time = -7;
    settings.addEnable = 1;
    settings.addTimeOut = INT_MAX;
    settings.addIsSend = -1;
    settings.addString = "line\nnext\t'q' \"d\" \\ \xc4\xe3\xba\xc3 \xff\xfe";
    add(sql::updateEventSettings(59, settings));
    add(sql::updateEventSettings(2, settings));
    settings.addString.clear();
    add(sql::updateEventSettings(30, settings));
    return sql;
}

}  // namespace

std::string richProjectSql() {
    return readFileBytes(VELK_RICH_PROJECT_SQL) + "BEGIN TRANSACTION;\n" + statements() +
           "COMMIT TRANSACTION;\n";
}

bool makeRichProject(const std::string& path) {
    {
        IgnoringObserver observer;
        MessageQueue queue;
        ProjectSession session(observer, queue);
        if (!session.newProject(path) || !MessagePump(queue, session).flush()) {
            return false;
        }
    }
    int status = -1;
    runSqlite3(path, richProjectSql(), &status);
    return status == 0;
}

std::string projectRows(const std::string& path) {
    std::string script = ".mode quote\n";
    for (const char* table : {"variable", "net_table", "enum_table", "keyOherData"}) {
        script += strprintf(".print %s\nSELECT * FROM %s ORDER BY 1;\n", table, table);
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        script += strprintf(".print key_table%d\nSELECT * FROM key_table%d ORDER BY 1;\n", slot, slot);
    }
    script += ".print schema\nSELECT type, name, sql FROM sqlite_master ORDER BY name;\n";
    return runSqlite3(path, script);
}

}  // namespace velk::test
