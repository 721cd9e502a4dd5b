#include "textform/Vocabulary.h"

#include "action/FormChoices.h"
#include "model/ConfigModel.h"
#include "model/StrPrintf.h"

namespace velk::text {

namespace {

std::vector<std::string> entriesOf(ChoiceEntry text) {
    std::vector<std::string> entries;
    for (int32_t k = 0; text(k) != nullptr; ++k) {
        entries.emplace_back(text(k));
    }
    return entries;
}

}  // namespace

std::optional<int32_t> Choice::position(std::string_view text) const {
    for (size_t k = 0; k < labels.size(); ++k) {
        if (labels[k] == text) {
            return static_cast<int32_t>(k);
        }
    }
    return std::nullopt;
}

const std::string* Choice::label(int32_t k) const {
    return k >= 0 && static_cast<size_t>(k) < labels.size() ? &labels[static_cast<size_t>(k)] : nullptr;
}

std::string Choice::listed() const {
    std::string text;
    for (const std::string& entry : labels) {
        text += (text.empty() ? "\"" : ", \"") + entry + "\"";
    }
    return text;
}

const Choice& dataTypeChoice() {
    static const Choice choice{entriesOf(dataTypeEntry)};
    return choice;
}

const Choice& saveChoice() {
    static const Choice choice{{"保存", "不保存"}};
    return choice;
}

const Choice& functionChoice() {
    // By the code a project file stores.
    static const Choice choice{[] {
        std::vector<std::string> labels;
        for (int32_t code = 0; std::optional<FunctionCode> function = functionCodeOf(code); ++code) {
            labels.emplace_back(functionLabel(*function));
        }
        return labels;
    }()};
    return choice;
}

const Choice& ioOperationChoice() {
    static const Choice choice{entriesOf(ioOperationText)};
    return choice;
}

const Choice& relayOperationChoice() {
    static const Choice choice{entriesOf(relayOperationText)};
    return choice;
}

const Choice& networkChannelChoice() {
    static const Choice choice{entriesOf(networkChannelEntry)};
    return choice;
}

const Choice& serialChannelChoice() {
    static const Choice choice{entriesOf(serialChannelEntry)};
    return choice;
}

const Choice& baudRateChoice() {
    static const Choice choice{entriesOf(baudRateText)};
    return choice;
}

const Choice& dataWidthChoice() {
    static const Choice choice{entriesOf(dataWidthEntry)};
    return choice;
}

const Choice& parityChoice() {
    static const Choice choice{entriesOf(parityEntry)};
    return choice;
}

const Choice& stopChoice() {
    static const Choice choice{entriesOf(stopBitsEntry)};
    return choice;
}

const Choice& inputModeChoice() {
    static const Choice choice{entriesOf(inputModeEntry)};
    return choice;
}

const Choice& overflowChoice() {
    static const Choice choice{entriesOf(overflowEntry)};
    return choice;
}

const Choice& yesNoChoice() {
    static const Choice choice{entriesOf(yesNoEntry)};
    return choice;
}

const Choice& directionChoice() {
    static const Choice choice{entriesOf(directionEntry)};
    return choice;
}

std::optional<int64_t> numberAfter(std::string_view prefix, std::string_view name) {
    if (name.substr(0, prefix.size()) != prefix) {
        return std::nullopt;
    }
    std::string_view digits = name.substr(prefix.size());
    const bool negative = !digits.empty() && digits[0] == '-';
    if (negative) {
        digits.remove_prefix(1);
    }
    // Shortest form only, so that every number has exactly one name: no "+", no leading zeros
    // and no "-0".
    if (digits.empty() || digits.size() > 10 || (digits[0] == '0' && (digits.size() > 1 || negative))) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

namespace {

std::optional<int32_t> asInt32(std::optional<int64_t> value) {
    if (!value || *value < INT32_MIN || *value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*value);
}

}  // namespace

std::optional<int32_t> enumRowIndex(std::string_view name) {
    return asInt32(numberAfter("E", name));
}

std::optional<int32_t> variableRowIndex(std::string_view name) {
    return asInt32(numberAfter("V", name));
}

std::optional<int32_t> targetRowIndex(std::string_view name) {
    if (std::optional<int64_t> tcp = numberAfter("TCP", name)) {
        return *tcp <= 4 ? asInt32(tcp) : std::nullopt;
    }
    std::optional<int64_t> udp = numberAfter("UDP", name);
    if (!udp || *udp < 1) {
        return std::nullopt;
    }
    return asInt32(*udp + 4);
}

std::optional<int> eventSlot(std::string_view name) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (eventName(slot) == name) {
            return slot;
        }
    }
    return std::nullopt;
}

std::string enumSource(int32_t enumIndex) {
    return strprintf("E%lld", enumIndex + 1LL);
}

std::string varSource(int32_t varIndex) {
    return strprintf("V%lld", varIndex + 1LL);
}

}  // namespace velk::text
