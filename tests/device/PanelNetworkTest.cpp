#include <gtest/gtest.h>

#include "device/IrLearning.h"
#include "device/PanelAddress.h"
#include "device/PanelNetwork.h"

namespace velk {
namespace {

// 192.168.1.165, gateway 192.168.1.1, mask 255.255.255.0, MAC 00.1A.2B.3C.4D.5E, ports 4800 and 4801.
PanelNetworkReply panelReply() {
    return {0xC0A801A5u, 0xC0A80101u, 0xFFFFFF00u, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}, 4800, 4801};
}

TEST(PanelNetwork, FormPrefilledFromThePanelsReply) {
    PanelNetworkForm form = panelNetworkFormOf(panelReply());
    EXPECT_EQ(form.ip, 0xC0A801A5u);
    EXPECT_EQ(form.mask, 0xFFFFFF00u);
    EXPECT_EQ(form.gateway, 0xC0A80101u);
    EXPECT_EQ(form.macTexts, (std::array<std::string, 6>{"00", "1A", "2B", "3C", "4D", "5E"}));
    EXPECT_EQ(form.tcpPortText, "4800");
    EXPECT_EQ(form.udpPortText, "4801");
    // An unchanged form gives back exactly what the panel reported, so nothing would be sent.
    auto checked = validatePanelNetworkForm(form);
    ASSERT_TRUE(std::holds_alternative<PanelNetworkSettings>(checked));
    EXPECT_TRUE(panelNetworkChanges(panelReply(), std::get<PanelNetworkSettings>(checked)).empty());
}

TEST(PanelNetwork, FirstFailingFieldDecides) {
    struct Case {
        const char* name;
        size_t macEdit;  // 1..6
        const char* macText;
        const char* tcpText;
        const char* udpText;
        const char* message;  // empty: accepted
        uint8_t macByte;
        int tcpPort;
    };
    const Case cases[] = {
        {"unchanged", 1, "00", "4800", "4801", "", 0x00, 4800},
        {"one digit reads as a byte", 3, "a", "4800", "4801", "", 0x0A, 4800},
        {"leading space", 4, " B", "4800", "4801", "", 0x0B, 4800},
        {"spaces only read as 0", 5, "  ", "4800", "4801", "", 0x00, 4800},
        {"TCP port with trailing text", 1, "00", "80x", "4801", "", 0x00, 80},
        {"G is not hex", 3, "G1", "4800", "4801", "MAC3错误，只能为数字和字母A到F", 0, 0},
        {"empty MAC", 6, "", "4800", "4801", "MAC6为空", 0, 0},
        {"empty TCP port", 1, "00", "", "4801", "TCP端口不能为空", 0, 0},
        {"TCP port 0", 1, "00", "0", "4801", "TCP端口范围为0到65536", 0, 0},
        {"TCP port above 65535", 1, "00", "65536", "4801", "TCP端口范围为0到65536", 0, 0},
        {"TCP port without digits", 1, "00", "x1", "4801", "TCP端口范围为0到65536", 0, 0},
        {"huge TCP port", 1, "00", "99999999999999999999", "4801", "TCP端口范围为0到65536", 0, 0},
        {"empty UDP port", 1, "00", "4800", "", "UDP端口不能为空", 0, 0},
        {"UDP port 0", 1, "00", "4800", "0", "UDP端口范围为0到65536", 0, 0},
        {"MAC checked before ports", 2, "x", "0", "", "MAC2错误，只能为数字和字母A到F", 0, 0},
        {"TCP checked before UDP", 1, "00", "", "", "TCP端口不能为空", 0, 0},
    };
    for (const Case& c : cases) {
        PanelNetworkForm form = panelNetworkFormOf(panelReply());
        form.macTexts[c.macEdit - 1] = c.macText;
        form.tcpPortText = c.tcpText;
        form.udpPortText = c.udpText;
        auto checked = validatePanelNetworkForm(form);
        if (std::string(c.message).empty()) {
            ASSERT_TRUE(std::holds_alternative<PanelNetworkSettings>(checked)) << c.name;
            const auto& settings = std::get<PanelNetworkSettings>(checked);
            std::array<uint8_t, 6> mac = panelReply().mac;
            mac[c.macEdit - 1] = c.macByte;
            EXPECT_EQ(settings.mac, mac) << c.name;
            EXPECT_EQ(settings.tcpPort, c.tcpPort) << c.name;
            EXPECT_EQ(settings.udpPort, 4801) << c.name;
        } else {
            ASSERT_TRUE(std::holds_alternative<std::string>(checked)) << c.name;
            EXPECT_EQ(std::get<std::string>(checked), c.message) << c.name;
        }
    }
}

TEST(PanelNetwork, OnlyChangedFieldsAreSentInTheFixedOrder) {
    const PanelNetworkReply panel = panelReply();
    PanelNetworkSettings edited{panel.ip, panel.mask, panel.gateway, panel.mac, panel.tcpPort, panel.udpPort};
    EXPECT_TRUE(panelNetworkChanges(panel, edited).empty());

    edited.mac[5] = 0xFF;
    edited.gateway = 0xC0A801FEu;
    edited.ip = 0x0A000009u;
    edited.mask = 0xFFFF0000u;
    // Ports pass through: the panel is never told to change them.
    edited.tcpPort = 9000;
    edited.udpPort = 9001;
    EXPECT_EQ(
        panelNetworkChanges(panel, edited),
        (std::vector<std::string>{"QM-PANEL-setip-10.0.0.9", "QM-PANEL-setsubm-255.255.0.0",
                                  "QM-PANEL-setgate-192.168.1.254", "QM-PANEL-setmac-00.1A.2B.3C.4D.FF"}));

    PanelNetworkSettings gatewayOnly{panel.ip, panel.mask, 0xC0A801FEu, panel.mac, 0, 0};
    EXPECT_EQ(panelNetworkChanges(panel, gatewayOnly),
              std::vector<std::string>{"QM-PANEL-setgate-192.168.1.254"});
}

TEST(PanelNetwork, MacTypedAsTextReachesTheCommand) {
    // velkctl lan --mac: the text split into the six edits, checked as the dialog checks them.
    PanelNetworkForm form = panelNetworkFormOf(panelReply());
    form.macTexts = *splitMacText("0a-1B-c:3.d4.5");
    auto checked = validatePanelNetworkForm(form);
    ASSERT_TRUE(std::holds_alternative<PanelNetworkSettings>(checked));
    EXPECT_EQ(panelNetworkChanges(panelReply(), std::get<PanelNetworkSettings>(checked)),
              std::vector<std::string>{"QM-PANEL-setmac-0A.1B.0C.03.D4.05"});
}

TEST(IrLearning, IdsOneToSixtyFourAreLearned) {
    struct Case {
        const char* text;
        const char* command;  // empty: refused
    };
    const Case cases[] = {
        {"1", "QM-PANEL-leairQM-PANEL-sndir-01-01"},
        {"7", "QM-PANEL-leairQM-PANEL-sndir-01-07"},
        {"64", "QM-PANEL-leairQM-PANEL-sndir-01-64"},
        {" 12", "QM-PANEL-leairQM-PANEL-sndir-01-12"},
        {"5x", "QM-PANEL-leairQM-PANEL-sndir-01-05"},
        {"0", ""},
        {"65", ""},
        {"", ""},
        {"-3", ""},
        {"+3", ""},
        {"abc", ""},
        {"99999999999999999999", ""},
    };
    for (const Case& c : cases) {
        IrLearnRequest request = learnIrCommand(c.text);
        if (std::string(c.command).empty()) {
            EXPECT_FALSE(request.accepted()) << c.text;
            EXPECT_EQ(request.refusal, "红外ID范围为1到64") << c.text;
            EXPECT_EQ(request.command, "") << c.text;
        } else {
            EXPECT_TRUE(request.accepted()) << c.text;
            EXPECT_EQ(request.command, c.command) << c.text;
        }
    }
}

}  // namespace
}  // namespace velk
