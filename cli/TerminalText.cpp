#include "cli/TerminalText.h"

#include "model/StrPrintf.h"

namespace velk::cli {
namespace {

std::string escaped(std::string_view utf8, bool keepLineBreaks) {
    std::string text;
    text.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        // U+0080..U+009F, the C1 controls, are 0xC2 0x80..0x9F in UTF-8.
        if (byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            text += strprintf("\\xc2\\x%02x", static_cast<unsigned char>(utf8[i + 1]));
            ++i;
        } else if (byte == '\n' && keepLineBreaks) {
            text += '\n';
        } else if (byte < 0x20 || byte == 0x7F) {
            text += strprintf("\\x%02x", byte);
        } else {
            text += static_cast<char>(byte);
        }
    }
    return text;
}

}  // namespace

std::string terminalText(std::string_view utf8) {
    return escaped(utf8, false);
}

std::string terminalMessage(std::string_view utf8) {
    return escaped(utf8, true);
}

}  // namespace velk::cli
