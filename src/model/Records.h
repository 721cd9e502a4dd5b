#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Plain value records of one panel configuration. Every text is a byte string in code page 936
// (GBK), byte for byte what the project file and the panel hold.
namespace velk {

enum DataType : int { kAscii = 0, kHex = 1 };

// What a key action does, by the code the project file and the form store for it. Every switch over
// it names all of them without a default, so the compiler points at each place a new one must touch.
enum class FunctionCode : int32_t {
    Infrared = 0,
    Io = 1,
    Serial = 2,
    Network = 3,
    Relay = 4,
    Key = 5,
};

// The code stored for a function, and the function a stored code stands for (nothing outside 0..5).
constexpr int32_t functionCodeValue(FunctionCode function) {
    return static_cast<int32_t>(function);
}
std::optional<FunctionCode> functionCodeOf(int64_t value);

enum PlaceholderKind : int { kKindInput = 0, kKindEnum = 1, kKindVar = 2 };

struct EnumVariable {
    int32_t index = -1;
    int32_t type = kAscii;
    std::vector<std::string> data{std::string()};

    bool operator==(const EnumVariable&) const = default;
};

struct Variable {
    int32_t index = 0;
    int32_t min = 0;
    int32_t init = 0;
    int32_t max = 0;
    int32_t save = 0;  // 0: retained over power loss, 1: not retained

    bool operator==(const Variable&) const = default;
};

struct NetTarget {
    uint32_t ip = 0;  // first octet in the most significant byte
    uint16_t port = 0;
    int32_t index = 0;

    bool operator==(const NetTarget&) const = default;
};

struct Placeholder {
    int32_t kind = kKindInput;
    int32_t modeIndex = 0;
    int32_t countIndex = 0;
    int32_t overflowIndex = 0;
    int32_t enumIndex = 0;
    int32_t groupIndex = 0;
    int32_t loopIndex = 0;
    int32_t enumDirection = 0;
    int32_t saveIndex = 0;
    int32_t varIndex = 0;
    int32_t step = 0;
    int32_t interval = 0;
    int32_t varDirection = 0;
    int32_t digits = 0;

    bool operator==(const Placeholder&) const = default;
};

struct SendData {
    int32_t varNum = 0;
    int32_t channel = 0;
    uint32_t ip = 0;
    int32_t port = 0;
    int32_t type = kAscii;
    // Segments around the blanks: varNum + 1 entries once composed. Records of other functions
    // keep both lists empty, so readers go through segmentAt().
    std::vector<std::string> texts;
    std::vector<Placeholder> placeholders;  // varNum entries

    bool operator==(const SendData&) const = default;

    // Segment k, or the empty text where a malformed record holds fewer segments.
    const std::string& segmentAt(size_t k) const;
};

struct SerialSendData : SendData {
    int32_t baudrate = 0;
    int32_t dataWidth = 3;
    int32_t adjust = 0;
    int32_t stop = 0;

    bool operator==(const SerialSendData&) const = default;
};

struct KeyAction {
    FunctionCode function = FunctionCode::Infrared;
    int32_t irChannels = 0;
    int32_t irCode = 0;
    int32_t ioOperation = 0;
    int32_t ioChannels = 0;
    int32_t relayOperation = 0;
    int32_t relayChannels = 0;
    SendData network;
    SerialSendData serial;
    int32_t keyChannel = 0;
    int32_t id = 0;

    bool operator==(const KeyAction&) const = default;
};

struct EventSettings {
    int32_t timeEnable = 0;
    int32_t time = 0;
    int32_t addEnable = 0;
    int32_t addTimeOut = 5000;
    int32_t addIsSend = 0;
    std::string addString;

    bool operator==(const EventSettings&) const = default;
};

}  // namespace velk
