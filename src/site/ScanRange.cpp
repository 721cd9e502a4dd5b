#include "site/ScanRange.h"

#include <algorithm>
#include <bit>
#include <charconv>

#include "device/PanelAddress.h"
#include "model/StrPrintf.h"

namespace velk {

std::variant<AddressRange, std::string> parseScanRange(std::string_view text) {
    const size_t slash = text.find('/');
    const std::string_view addressPart = text.substr(0, slash);
    uint32_t address = 0;
    if (!parseDottedAddress(addressPart, address)) {
        return strprintf("%s: not an address A.B.C.D or a block A.B.C.D/N", std::string(text).c_str());
    }
    if (slash == std::string_view::npos) {
        return AddressRange{address, address};
    }
    const std::string_view prefixPart = text.substr(slash + 1);
    int prefix = -1;
    const char* end = prefixPart.data() + prefixPart.size();
    auto [last, status] = std::from_chars(prefixPart.data(), end, prefix);
    if (prefixPart.empty() || prefixPart.size() > 2 || status != std::errc() || last != end ||
        prefix < kMinScanPrefix || prefix > 32) {
        return strprintf("%s: the block's prefix length must be a number from %d to 32",
                         std::string(text).c_str(), kMinScanPrefix);
    }
    const uint32_t mask = prefix == 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> prefix);
    AddressRange range{address & mask, (address & mask) | ~mask};
    if (prefix <= 30) {
        ++range.first;
        --range.last;
    }
    return range;
}

std::vector<uint32_t> scanAddresses(const std::vector<AddressRange>& ranges) {
    std::vector<uint32_t> addresses;
    for (const AddressRange& range : ranges) {
        for (uint64_t address = range.first; address <= range.last; ++address) {
            addresses.push_back(static_cast<uint32_t>(address));
        }
    }
    std::sort(addresses.begin(), addresses.end());
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
    return addresses;
}

std::string cidrText(uint32_t address, uint32_t mask) {
    const int prefix = std::countl_one(mask);
    // A shift by the type's full width is undefined, so a /32 keeps no host bits by hand.
    const uint32_t hostBits = prefix >= 32 ? 0 : 0xFFFFFFFFu >> prefix;
    return strprintf("%s/%d", dottedAddress(address & ~hostBits).c_str(), prefix);
}

std::string localScanRanges(const std::vector<LocalAddress>& addresses) {
    std::vector<std::string> ranges;
    for (const LocalAddress& local : addresses) {
        const bool loopback = (local.address >> 24) == 127;
        const bool linkLocal = (local.address >> 16) == 0xA9FE;
        if (loopback || linkLocal || local.address == 0) {
            continue;
        }
        const uint32_t mask = std::countl_one(local.mask) < kMinScanPrefix ? 0xFFFFFF00u : local.mask;
        std::string range = cidrText(local.address, mask);
        if (std::find(ranges.begin(), ranges.end(), range) == ranges.end()) {
            ranges.push_back(std::move(range));
        }
    }
    if (ranges.empty()) {
        return kFactoryScanRange;
    }
    std::string joined;
    for (const std::string& range : ranges) {
        joined += (joined.empty() ? "" : " ") + range;
    }
    return joined;
}

}  // namespace velk
