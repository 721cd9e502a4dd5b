#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "device/ReplyReader.h"

namespace velk {

// The panel's network settings as the panel network dialog returns them on OK.
struct PanelNetworkSettings {
    uint32_t ip = 0;
    uint32_t mask = 0;
    uint32_t gateway = 0;
    std::array<uint8_t, 6> mac{};
    int tcpPort = 0;
    int udpPort = 0;

    bool operator==(const PanelNetworkSettings&) const = default;
};

// What the panel network dialog holds when OK is pressed.
struct PanelNetworkForm {
    uint32_t ip = 0;
    uint32_t mask = 0;
    uint32_t gateway = 0;
    std::array<std::string, 6> macTexts;
    std::string tcpPortText;
    std::string udpPortText;
};

// The dialog's OK check: the settings, or the message of the first failing field (UTF-8).
std::variant<PanelNetworkSettings, std::string> validatePanelNetworkForm(const PanelNetworkForm& form);

// The commands for what the user changed, in the order address, mask, gateway, MAC. Ports are never sent.
std::vector<std::string> panelNetworkChanges(const PanelNetworkReply& panel,
                                             const PanelNetworkSettings& edited);

// The dialog's form prefilled from the panel's reply.
PanelNetworkForm panelNetworkFormOf(const PanelNetworkReply& reply);

}  // namespace velk
