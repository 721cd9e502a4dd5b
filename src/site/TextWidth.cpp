#include "site/TextWidth.h"

#include <cstdint>

namespace velk {
namespace {

struct Character {
    uint32_t codePoint = 0;
    size_t length = 1;  // bytes
};

// The character at the start of text; a byte that begins none counts as one column of its own.
Character characterAt(std::string_view text) {
    const auto first = static_cast<unsigned char>(text[0]);
    size_t length = first < 0x80             ? 1
                    : (first & 0xE0) == 0xC0 ? 2
                    : (first & 0xF0) == 0xE0 ? 3
                    : (first & 0xF8) == 0xF0 ? 4
                                             : 0;
    if (length == 0 || length > text.size()) {
        return {0xFFFD, 1};
    }
    uint32_t codePoint = length == 1 ? first : first & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) {
            return {0xFFFD, 1};
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    return {codePoint, length};
}

int columnsOf(uint32_t c) {
    if ((c >= 0x0300 && c <= 0x036F) || (c >= 0x200B && c <= 0x200F) || c == 0xFE0F) {
        return 0;
    }
    const bool wide =
        (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
        (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
        (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
        (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
        (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

}  // namespace

size_t displayWidth(std::string_view text) {
    size_t width = 0;
    while (!text.empty()) {
        Character character = characterAt(text);
        width += static_cast<size_t>(columnsOf(character.codePoint));
        text.remove_prefix(character.length);
    }
    return width;
}

std::string padded(std::string_view text, size_t width) {
    std::string result(text);
    for (size_t shown = displayWidth(text); shown < width; ++shown) {
        result += ' ';
    }
    return result;
}

std::string paddedLeft(std::string_view text, size_t width) {
    const size_t shown = displayWidth(text);
    return std::string(shown < width ? width - shown : 0, ' ') + std::string(text);
}

std::string fitted(std::string_view text, size_t width) {
    std::string result;
    size_t shown = 0;
    while (!text.empty()) {
        Character character = characterAt(text);
        const auto columns = static_cast<size_t>(columnsOf(character.codePoint));
        if (shown + columns > width) {
            break;
        }
        shown += columns;
        result.append(text.substr(0, character.length));
        text.remove_prefix(character.length);
    }
    return result;
}

}  // namespace velk
