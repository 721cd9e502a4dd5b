#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The addresses a scan tries: single addresses and CIDR blocks as an installer types them.
namespace velk {

// Inclusive, host order.
struct AddressRange {
    uint32_t first = 0;
    uint32_t last = 0;

    bool operator==(const AddressRange&) const = default;
};

// The shortest prefix a scan takes: a /16 is 65,534 addresses, enough for any one floor.
constexpr int kMinScanPrefix = 16;

// "A.B.C.D" or "A.B.C.D/N" with N from 16 to 32. A block is the one the address lies in (its host
// bits need not be zero); up to /30 its network and broadcast addresses are left out, as no panel
// can hold them. The range, or the message naming what is wrong.
std::variant<AddressRange, std::string> parseScanRange(std::string_view text);

// Every address of the ranges, ascending, each once.
std::vector<uint32_t> scanAddresses(const std::vector<AddressRange>& ranges);

// "192.168.1.0/24" for the network an address and mask lie in (the mask's leading ones).
std::string cidrText(uint32_t address, uint32_t mask);

// An IPv4 address of this computer with its network's mask.
struct LocalAddress {
    uint32_t address = 0;
    uint32_t mask = 0;
};

// The block to scan first: where panels are, when the computer is on their network.
constexpr const char* kFactoryScanRange = "192.168.1.0/24";

// The ranges a scan offers for the computer's own networks, space-separated: each network once,
// loopback and link-local (169.254.0.0/16) left out, a network wider than a /16 narrowed to the /24
// around the address (the panels of a floor are near their computer). kFactoryScanRange when
// there is none.
std::string localScanRanges(const std::vector<LocalAddress>& addresses);

}  // namespace velk
