#include "device/PanelAddress.h"

#include <charconv>
#include <cstdlib>

#include "model/StrPrintf.h"

namespace velk {

bool parseDottedAddress(std::string_view text, uint32_t& address) {
    uint32_t result = 0;
    size_t pos = 0;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                return false;
            }
            ++pos;
        }
        unsigned value = 0;
        size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 3) {
            value = value * 10 + static_cast<unsigned>(text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || value > 255) {
            return false;
        }
        result = (result << 8) | value;
    }
    if (pos != text.size()) {
        return false;
    }
    address = result;
    return true;
}

std::string dottedAddress(uint32_t address) {
    return strprintf("%u.%u.%u.%u", (address >> 24) & 0xffu, (address >> 16) & 0xffu, (address >> 8) & 0xffu,
                     address & 0xffu);
}

std::optional<PanelAddress> parsePanelAddress(std::string_view text) {
    PanelAddress panel;
    std::string_view host = text;
    if (size_t colon = text.find(':'); colon != std::string_view::npos) {
        host = text.substr(0, colon);
        std::string_view port = text.substr(colon + 1);
        unsigned value = 0;
        auto [end, status] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (port.empty() || status != std::errc() || end != port.data() + port.size() || value < 1 ||
            value > 65535) {
            return std::nullopt;
        }
        panel.port = static_cast<uint16_t>(value);
    }
    if (!parseDottedAddress(host, panel.ip)) {
        return std::nullopt;
    }
    return panel;
}

std::string panelAddressText(const PanelAddress& address) {
    return strprintf("%s:%u", dottedAddress(address.ip).c_str(), address.port);
}

uint16_t portOfNumber(long long value) {
    return static_cast<uint16_t>(static_cast<unsigned long long>(value) & 0xFFFF);
}

uint16_t portEditValue(const std::string& portText) {
    return portOfNumber(std::strtoll(portText.c_str(), nullptr, 10));
}

std::string macText(const std::array<uint8_t, 6>& mac) {
    return strprintf("%02X.%02X.%02X.%02X.%02X.%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

std::optional<std::array<std::string, 6>> splitMacText(std::string_view text) {
    std::array<std::string, 6> parts;
    size_t part = 0;
    std::string current;
    for (char c : text) {
        if (c == '.' || c == '-' || c == ':') {
            if (part >= 5) {
                return std::nullopt;
            }
            parts[part++] = current;
            current.clear();
        } else {
            current += c;
        }
    }
    if (part != 5) {
        return std::nullopt;
    }
    parts[5] = current;
    return parts;
}

}  // namespace velk
