#include "rules/FieldRules.h"

#include <algorithm>

#include "action/TextRules.h"
#include "model/Gbk.h"
#include "model/Records.h"
#include "rules/RuleMessages.h"

namespace velk::rules {

std::optional<Refusal> enumValueProblem(int row, bool hex, std::string_view typed) {
    if (typed.empty()) {
        return Refusal{enumValueEmpty(row)};
    }
    if (hex) {
        for (char c : typed) {
            if (c != ' ' && !isHexDigit(c)) {
                return Refusal{enumValueNotHex(row)};
            }
        }
    }
    return std::nullopt;
}

std::optional<int32_t> typedInteger(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > int64_t{INT32_MAX} + 1) {
            return std::nullopt;
        }
    }
    value = negative ? -value : value;
    if (value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

std::optional<Refusal> irCodeProblem(int32_t code) {
    if (code < kMinIrCode || code > kMaxIrCode) {
        return Refusal{kIrCodeRange};
    }
    return std::nullopt;
}

std::optional<Refusal> channelsProblem(FunctionCode function, int32_t channels) {
    if (channels != 0) {
        return std::nullopt;
    }
    switch (function) {
        case FunctionCode::Infrared:
            return Refusal{kNoIrChannel};
        case FunctionCode::Io:
            return Refusal{kNoIoChannel};
        case FunctionCode::Relay:
            return Refusal{kNoRelayChannel};
        case FunctionCode::Serial:
        case FunctionCode::Network:
        case FunctionCode::Key:
            break;
    }
    return std::nullopt;
}

std::optional<Refusal> functionProblem(std::optional<FunctionCode> function) {
    if (function) {
        return std::nullopt;
    }
    return Refusal{kNoFunction};
}

size_t utf8Characters(std::string_view utf8) {
    size_t count = 0;
    for (char c : utf8) {
        count += (static_cast<unsigned char>(c) & 0xc0u) != 0x80u ? 1 : 0;
    }
    return count;
}

bool emptySegmentAllowed(int segment, int segments) {
    return segments > 1 && (segment == 1 || segment == segments);
}

SegmentContent segmentContent(int type, std::string_view gbk) {
    if (type == kHex) {
        if (std::optional<std::string> normal = normalizeHexText(gbk)) {
            return {std::move(normal), {}};
        }
        return {std::nullopt, kDataFormat};
    }
    if (!CheckDollarEscapes(gbk)) {
        return {std::nullopt, kDollarEscape};
    }
    return {std::string(gbk), {}};
}

SegmentContent composeSegment(int segment, int segments, int type, std::string_view utf8) {
    if (utf8.empty()) {
        if (emptySegmentAllowed(segment, segments)) {
            return {std::string(), {}};
        }
        return {std::nullopt, segmentEmpty(segment)};
    }
    if (const size_t characters = utf8Characters(utf8); characters > kMaxSegmentCharacters) {
        return {std::nullopt, segmentTooLong(segment, characters)};
    }
    std::optional<std::string> gbk = utf8ToGbk(utf8);
    if (!gbk) {
        return {std::nullopt, segmentNotGbk(segment, firstNonGbkCharacter(utf8))};
    }
    return segmentContent(type, *gbk);
}

std::string firstNonGbkCharacter(std::string_view utf8) {
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        size_t length = lead < 0x80 ? 1 : lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
        length = std::min(length, utf8.size() - i);
        std::string_view character = utf8.substr(i, length);
        if (!utf8ToGbk(character)) {
            return std::string(character);
        }
        i += length;
    }
    return std::string(utf8);
}

}  // namespace velk::rules
