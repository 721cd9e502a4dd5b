#include "device/PanelNetwork.h"

#include <cctype>

#include "device/Commands.h"
#include "device/FormNumbers.h"
#include "model/StrPrintf.h"

namespace velk {
namespace {

bool isBlank(const std::string& text) {
    return text.empty();
}

// A MAC edit's byte: at most two hex digits after any leading spaces ("A" is 0x0A); a text of
// spaces only reads as 0.
uint8_t macByte(const std::string& text) {
    unsigned value = 0;
    int digits = 0;
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    for (; i < text.size() && digits < 2 && std::isxdigit(static_cast<unsigned char>(text[i]));
         ++i, ++digits) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        value = value * 16 + static_cast<unsigned>(c >= 'a' ? c - 'a' + 10 : c - '0');
    }
    return static_cast<uint8_t>(value);
}

}  // namespace

std::variant<PanelNetworkSettings, std::string> validatePanelNetworkForm(const PanelNetworkForm& form) {
    PanelNetworkSettings settings;
    settings.ip = form.ip;
    settings.mask = form.mask;
    settings.gateway = form.gateway;
    for (size_t i = 0; i < form.macTexts.size(); ++i) {
        const std::string& text = form.macTexts[i];
        if (isBlank(text)) {
            return strprintf("MAC%zu为空", i + 1);
        }
        for (char c : text) {
            if (c != ' ' && !std::isxdigit(static_cast<unsigned char>(c))) {
                return strprintf("MAC%zu错误，只能为数字和字母A到F", i + 1);
            }
        }
        settings.mac[i] = macByte(text);
    }
    if (isBlank(form.tcpPortText)) {
        return std::string("TCP端口不能为空");
    }
    long long tcp = leadingDecimal(form.tcpPortText);
    if (tcp == 0 || tcp > 65535) {
        return std::string("TCP端口范围为0到65536");
    }
    if (isBlank(form.udpPortText)) {
        return std::string("UDP端口不能为空");
    }
    long long udp = leadingDecimal(form.udpPortText);
    if (udp == 0 || udp > 65535) {
        return std::string("UDP端口范围为0到65536");
    }
    settings.tcpPort = static_cast<int>(tcp);
    settings.udpPort = static_cast<int>(udp);
    return settings;
}

std::vector<std::string> panelNetworkChanges(const PanelNetworkReply& panel,
                                             const PanelNetworkSettings& edited) {
    std::vector<std::string> commands;
    if (edited.ip != panel.ip) {
        commands.push_back(MakeSetIp(edited.ip));
    }
    if (edited.mask != panel.mask) {
        commands.push_back(MakeSetSubm(edited.mask));
    }
    if (edited.gateway != panel.gateway) {
        commands.push_back(MakeSetGate(edited.gateway));
    }
    if (edited.mac != panel.mac) {
        commands.push_back(MakeSetMac(edited.mac));
    }
    return commands;
}

PanelNetworkForm panelNetworkFormOf(const PanelNetworkReply& reply) {
    PanelNetworkForm form;
    form.ip = reply.ip;
    form.mask = reply.mask;
    form.gateway = reply.gateway;
    for (size_t i = 0; i < reply.mac.size(); ++i) {
        form.macTexts[i] = strprintf("%02X", reply.mac[i]);
    }
    form.tcpPortText = strprintf("%d", reply.tcpPort);
    form.udpPortText = strprintf("%d", reply.udpPort);
    return form;
}

}  // namespace velk
