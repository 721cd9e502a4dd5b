#include "device/CommandLog.h"

namespace velk {

std::string escapeCommand(std::string_view command) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string line;
    line.reserve(command.size());
    for (char c : command) {
        auto byte = static_cast<unsigned char>(c);
        if (byte == '\\') {
            line += "\\\\";
        } else if (byte >= 0x20 && byte <= 0x7E) {
            line += c;
        } else {
            line += "\\x";
            line += kDigits[byte >> 4];
            line += kDigits[byte & 0x0F];
        }
    }
    return line;
}

}  // namespace velk
