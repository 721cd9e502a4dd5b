#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// How a panel is addressed and how its addresses are written: the one place for the default panel,
// IP[:PORT] texts, dotted addresses and MAC texts. The desktop form, velkctl and the simulator all
// read and write them through here.
namespace velk {

// The panel a fresh form and velkctl talk to, and where the simulator listens and what it reports.
constexpr uint32_t kDefaultPanelIp = 0xC0A801A5;  // 192.168.1.165
constexpr uint16_t kDefaultPanelPort = 4800;

struct PanelAddress {
    uint32_t ip = kDefaultPanelIp;  // host order, first octet most significant
    uint16_t port = kDefaultPanelPort;

    bool operator==(const PanelAddress&) const = default;
};

// "A.B.C.D", four decimal octets of at most three digits each, to a host-order address; false for
// anything else.
bool parseDottedAddress(std::string_view text, uint32_t& address);

// "192.168.1.165" for 0xC0A801A5.
std::string dottedAddress(uint32_t address);

// "IP" or "IP:PORT" with a port of 1..65535; without a port the panel's default port. Nothing for
// any other text.
std::optional<PanelAddress> parsePanelAddress(std::string_view text);

// "192.168.1.165:4800"
std::string panelAddressText(const PanelAddress& address);

// The port the form's port edit stands for: its text as the C library's decimal conversion reads
// it, low 16 bits kept ("70000" is 4464, an empty text 0).
uint16_t portEditValue(const std::string& portText);

// A port typed as a number where the panel keeps 16 bits: its low 16 bits (70000 is 4464).
uint16_t portOfNumber(long long value);

// "00.1A.2B.3C.4D.5E"
std::string macText(const std::array<uint8_t, 6>& mac);

// "XX.XX.XX.XX.XX.XX" (also with "-" or ":" between the bytes) into the texts of the six bytes,
// as the panel network dialog's MAC edits hold them; nothing unless there are exactly six.
std::optional<std::array<std::string, 6>> splitMacText(std::string_view text);

}  // namespace velk
