#include "project/RowLoader.h"

#include <algorithm>
#include <limits>

#include "action/TextRules.h"
#include "model/ConfigModel.h"

namespace velk::rows {

namespace {

const std::string& column(const Row& row, size_t index) {
    static const std::string empty;
    return index < row.size() ? row[index] : empty;
}

int32_t intColumn(const Row& row, size_t index) {
    return readInteger(column(row, index));
}

// The low 32 bits of the stored number: the signed form this system writes and the unsigned form
// other writers may have used give the same address.
uint32_t addressColumn(const Row& row, size_t index) {
    return static_cast<uint32_t>(static_cast<uint64_t>(readInteger64(column(row, index))));
}

constexpr size_t kFirstGroupColumn = 12;
constexpr size_t kGroupWidth = 8;

Placeholder placeholderFromRow(const Row& row, int n) {
    size_t base = kFirstGroupColumn + kGroupWidth * static_cast<size_t>(n - 1);
    int32_t kind = intColumn(row, base);
    int32_t p1 = intColumn(row, base + 1);
    int32_t p2 = intColumn(row, base + 2);
    int32_t p3 = intColumn(row, base + 3);
    int32_t p4 = intColumn(row, base + 4);
    int32_t p5 = intColumn(row, base + 5);
    int32_t p6 = intColumn(row, base + 6);
    Placeholder p;
    switch (kind) {
        case kKindEnum:
            p.kind = kKindEnum;
            p.enumIndex = p1;
            p.groupIndex = p2;
            p.loopIndex = p3;
            p.saveIndex = p4;
            p.digits = p5;
            p.enumDirection = p6;
            break;
        case kKindInput:
            p.kind = kKindInput;
            p.modeIndex = p2;
            p.countIndex = p3;
            p.overflowIndex = p4;
            p.digits = p5;
            break;
        default:
            // Var, and any other kind, which is kept as stored and read in the Var form.
            p.kind = kind;
            p.varIndex = p1;
            p.step = p2;
            p.interval = p3;
            p.varDirection = p4;
            p.digits = p5;
            break;
    }
    return p;
}

// Segments data1 .. data<varNum+1> sit at 11 and then every eighth column.
void readSendData(const Row& row, SendData& data) {
    data.varNum = std::clamp(intColumn(row, 6), 0, 10);
    data.channel = intColumn(row, 2);
    data.type = intColumn(row, 5);
    data.texts.clear();
    data.placeholders.clear();
    data.texts.push_back(column(row, 11));
    for (int n = 1; n <= data.varNum; ++n) {
        data.placeholders.push_back(placeholderFromRow(row, n));
        data.texts.push_back(column(row, 11 + kGroupWidth * static_cast<size_t>(n)));
    }
}

}  // namespace

int64_t readInteger64(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr int64_t kLimit = std::numeric_limits<int64_t>::max() / 10 - 10;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < kLimit) {
            value = value * 10 + (text[i] - '0');
        }
    }
    return negative ? -value : value;
}

int32_t readInteger(const std::string& text) {
    return static_cast<int32_t>(std::clamp<int64_t>(readInteger64(text), std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

Variable variableFromRow(const Row& row) {
    Variable v;
    v.index = intColumn(row, 0);
    v.init = intColumn(row, 1);
    v.min = intColumn(row, 2);
    v.max = intColumn(row, 3);
    v.save = intColumn(row, 4);
    return v;
}

NetTarget netTargetFromRow(const Row& row) {
    NetTarget t;
    t.index = intColumn(row, 0);
    t.ip = addressColumn(row, 1);
    t.port = static_cast<uint16_t>(static_cast<uint64_t>(readInteger64(column(row, 2))) & 0xffffu);
    return t;
}

EnumVariable enumFromRow(const Row& row) {
    EnumVariable e;
    e.index = intColumn(row, 0);
    e.type = intColumn(row, 1);
    int size = std::clamp(intColumn(row, 2), 0, kEnumCount);
    e.data.clear();
    for (int k = 0; k < size; ++k) {
        const std::string& value = column(row, 3 + static_cast<size_t>(k));
        if (e.type == kAscii) {
            e.data.push_back(value);
        } else if (std::optional<std::string> normal = normalizeHexText(value)) {
            e.data.push_back(*normal);
        }
    }
    return e;
}

EventSettingsRow eventSettingsFromRow(const Row& row) {
    EventSettingsRow result;
    result.oindex = intColumn(row, 0);
    result.settings.timeEnable = intColumn(row, 1);
    result.settings.time = intColumn(row, 2);
    result.settings.addEnable = intColumn(row, 3);
    result.settings.addTimeOut = intColumn(row, 4);
    result.settings.addIsSend = intColumn(row, 5);
    result.settings.addString = column(row, 6);
    return result;
}

std::optional<KeyAction> actionFromRow(const Row& row) {
    std::optional<FunctionCode> function = functionCodeOf(intColumn(row, 1));
    if (!function) {
        return std::nullopt;
    }
    KeyAction a;
    a.id = intColumn(row, 0);
    a.function = *function;
    int32_t channel = intColumn(row, 2);
    int32_t type = intColumn(row, 5);
    switch (a.function) {
        case FunctionCode::Infrared:
            a.irChannels = channel;
            a.irCode = type;
            break;
        case FunctionCode::Io:
            a.ioChannels = channel;
            a.ioOperation = type;
            break;
        case FunctionCode::Relay:
            a.relayChannels = channel;
            a.relayOperation = type;
            break;
        case FunctionCode::Key:
            a.keyChannel = channel;
            break;
        case FunctionCode::Serial:
            readSendData(row, a.serial);
            a.serial.baudrate = intColumn(row, 7);
            a.serial.dataWidth = intColumn(row, 8);
            a.serial.adjust = intColumn(row, 9);
            a.serial.stop = intColumn(row, 10);
            break;
        case FunctionCode::Network:
            readSendData(row, a.network);
            a.network.ip = addressColumn(row, 3);
            a.network.port =
                static_cast<int32_t>(static_cast<uint64_t>(readInteger64(column(row, 4))) & 0xffffu);
            break;
    }
    return a;
}

}  // namespace velk::rows
