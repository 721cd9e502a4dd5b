#include "action/TextRules.h"

#include <algorithm>

#include "action/FormChoices.h"
#include "model/StrPrintf.h"

namespace velk {

namespace {

// 0..15, or -1 for a character that is no hexadecimal digit.
int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

bool isHexDigit(char c) {
    return hexValue(c) >= 0;
}

std::optional<std::vector<uint8_t>> ParseHexText(std::string_view text) {
    for (char c : text) {
        if (c != ' ' && !isHexDigit(c)) {
            return std::nullopt;
        }
    }
    std::vector<uint8_t> bytes;
    size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == ' ') {
            ++pos;
            continue;
        }
        size_t end = text.find(' ', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view piece = text.substr(pos, end - pos);
        if (piece.size() == 1) {
            bytes.push_back(static_cast<uint8_t>(hexValue(piece[0])));
        } else if (piece.size() == 2) {
            bytes.push_back(static_cast<uint8_t>(hexValue(piece[0]) * 16 + hexValue(piece[1])));
        } else {
            bytes.push_back(0xff);
        }
        pos = end;
    }
    if (bytes.empty()) {
        return std::nullopt;
    }
    return bytes;
}

std::string hexNormalForm(const std::vector<uint8_t>& bytes) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            out += ' ';
        }
        out += strprintf("%02x", bytes[i]);
    }
    return out;
}

std::optional<std::string> normalizeHexText(std::string_view text) {
    auto bytes = ParseHexText(text);
    if (!bytes) {
        return std::nullopt;
    }
    return hexNormalForm(*bytes);
}

bool CheckDollarEscapes(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '$') {
            ++i;
            continue;
        }
        if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2])) {
            return false;
        }
        i += 3;
    }
    return true;
}

std::string DecodeDollarEscapes(std::string_view segment) {
    // An escape's characters that are no hex digit count as 0, as the earlier tool read them.
    auto nibble = [](char c) { return std::max(hexValue(c), 0); };
    std::string out;
    out.reserve(segment.size());
    size_t i = 0;
    while (i < segment.size()) {
        char c = segment[i];
        if (c != '$') {
            out += c;
            ++i;
            continue;
        }
        size_t left = segment.size() - i - 1;
        if (left >= 2) {
            out += static_cast<char>(nibble(segment[i + 1]) * 16 + nibble(segment[i + 2]));
            i += 3;
        } else if (left == 1) {
            out += static_cast<char>(nibble(segment[i + 1]));
            i += 2;
        } else {
            i += 1;
        }
    }
    return out;
}

std::string starRun(int32_t digits, std::string_view mark) {
    std::string out;
    if (digits <= 0) {
        return out;
    }
    size_t count = std::min<size_t>(static_cast<size_t>(digits), kMaxStarRun);
    out.reserve(count * mark.size());
    for (size_t i = 0; i < count; ++i) {
        out += mark;
    }
    return out;
}

const char* inputModeName(int32_t modeIndex) {
    const char* name = inputModeEntry(modeIndex);
    return name != nullptr ? name : inputModeEntry(0);
}

const char* overflowName(int32_t overflowIndex) {
    static const char* const names[] = {"discard", "cut", "fill"};
    return names[(overflowIndex >= 0 && overflowIndex <= 2) ? overflowIndex : 0];
}

int32_t inputCount(int32_t countIndex) {
    return (countIndex >= 0 && countIndex <= 4) ? countIndex + 1 : 1;
}

std::string placeholderText(const Placeholder& blank) {
    std::string stars = starRun(blank.digits);
    if (blank.kind == kKindInput) {
        std::string text = "$(" + stars + ",Input," + inputModeName(blank.modeIndex) + ",";
        if (blank.modeIndex == 2) {
            text += strprintf("%d,", inputCount(blank.countIndex));
        }
        return text + overflowName(blank.overflowIndex) + ")";
    }
    if (blank.kind == kKindEnum) {
        return strprintf("$(%s,E%lld,%lld,%s,%s,%s)", stars.c_str(), blank.enumIndex + 1LL,
                         blank.groupIndex + 1LL, blank.enumDirection != 0 ? "sub" : "add",
                         blank.loopIndex != 0 ? "unloop" : "loop", blank.saveIndex != 0 ? "unsave" : "save");
    }
    return strprintf("$(%s,V%lld,%d,%d,%s)", stars.c_str(), blank.varIndex + 1LL, blank.step, blank.interval,
                     blank.varDirection != 0 ? "sub" : "add");
}

std::string FormatDataText(const SendData& data) {
    std::string text;
    for (size_t k = 0; k < data.placeholders.size(); ++k) {
        text += data.segmentAt(k);
        text += placeholderText(data.placeholders[k]);
    }
    text += data.segmentAt(data.placeholders.size());
    return text;
}

}  // namespace velk
