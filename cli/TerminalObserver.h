#pragma once

#include <optional>
#include <string>
#include <vector>

#include "session/SessionObserver.h"

namespace velk {

// The session observer of velkctl: keeps what the form would show, prints messages and write
// progress on stderr.
class TerminalObserver : public SessionObserver {
public:
    std::array<EnumRowTexts, 10> enumRows{};
    std::array<VariableRowTexts, 16> variableRows{};
    std::array<NetTargetRowTexts, 7> netTargetRows{};
    std::vector<ActionRowTexts> actionRows;
    EventSettingsTexts eventSettings;
    LinkState linkState = LinkState::Closed;
    bool writeEndedSeen = false;
    int lastProgress = -1;
    std::vector<std::pair<MessageTitle, std::string>> messages;
    std::optional<PanelNetworkReply> panelNetwork;
    bool printProgress = false;

    void enumRowChanged(int row, const EnumRowTexts& texts) override;
    void variableRowChanged(int row, const VariableRowTexts& texts) override;
    void netTargetRowChanged(int row, const NetTargetRowTexts& texts) override;
    void actionListFilled(const std::vector<ActionRowTexts>& rows) override;
    void actionRowAppended(const ActionRowTexts& texts) override;
    void actionRowChanged(int row, const ActionRowTexts& texts) override;
    void actionRowRemoved(int row) override;
    void eventSettingsShown(const EventSettingsTexts& texts) override;
    void currentEventChanged(int slot) override;
    void projectOpened(const std::string& utf8Path) override;
    void linkStateChanged(LinkState state) override;
    void writeStarted() override;
    void writeProgress(int position) override;
    void writeEnded() override;
    void message(MessageTitle title, const std::string& text) override;
    void panelNetworkReceived(const PanelNetworkReply& reply) override;
};

}  // namespace velk
