#include "support/ActionMaker.h"

namespace velk::test {

KeyAction infraredAction(int32_t channels, int32_t code) {
    KeyAction a;
    a.function = FunctionCode::Infrared;
    a.irChannels = channels;
    a.irCode = code;
    return a;
}

KeyAction ioAction(int32_t channels, int32_t operation) {
    KeyAction a;
    a.function = FunctionCode::Io;
    a.ioChannels = channels;
    a.ioOperation = operation;
    return a;
}

KeyAction relayAction(int32_t channels, int32_t operation) {
    KeyAction a;
    a.function = FunctionCode::Relay;
    a.relayChannels = channels;
    a.relayOperation = operation;
    return a;
}

KeyAction networkAction(int32_t channel, std::vector<std::string> texts, std::vector<Placeholder> blanks) {
    KeyAction a;
    a.function = FunctionCode::Network;
    a.network.channel = channel;
    a.network.varNum = static_cast<int32_t>(blanks.size());
    a.network.texts = std::move(texts);
    a.network.placeholders = std::move(blanks);
    return a;
}

Placeholder inputBlank(int32_t mode, int32_t count, int32_t overflow, int32_t digits) {
    Placeholder p;
    p.kind = kKindInput;
    p.modeIndex = mode;
    p.countIndex = count;
    p.overflowIndex = overflow;
    p.digits = digits;
    return p;
}

Placeholder enumBlank(int32_t index, int32_t group, int32_t loop, int32_t save, int32_t digits,
                      int32_t direction) {
    Placeholder p;
    p.kind = kKindEnum;
    p.enumIndex = index;
    p.groupIndex = group;
    p.loopIndex = loop;
    p.saveIndex = save;
    p.digits = digits;
    p.enumDirection = direction;
    return p;
}

Placeholder varBlank(int32_t index, int32_t step, int32_t interval, int32_t direction, int32_t digits) {
    Placeholder p;
    p.kind = kKindVar;
    p.varIndex = index;
    p.step = step;
    p.interval = interval;
    p.varDirection = direction;
    p.digits = digits;
    return p;
}

}  // namespace velk::test
