#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/ConfigModel.h"
#include "session/SessionObserver.h"

namespace velk {

// The form without widgets: keeps the last state the form would show (the rows of every list,
// the action list, the event texts, messages, link states, write progress) and every observer call
// as a readable line. velkctl reads what it prints from it; the tests check it.
class FormMirror : public SessionObserver {
public:
    struct Message {
        MessageTitle title;
        std::string text;
        bool operator==(const Message&) const = default;
    };

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
    void linkNoticeChanged(const std::string& utf8) override;
    void eventContentChanged(int slot) override;
    void saveStateChanged(const SaveState& state) override;
    void writeStarted() override;
    void writeProgress(int position) override;
    void writeEnded() override;
    void message(MessageTitle title, const std::string& text) override;
    void panelNetworkReceived(const PanelNetworkReply& reply) override;

    // Forgets the event lines and messages; the last state stays.
    void clearEvents();
    // Event lines that begin with prefix, in order.
    std::vector<std::string> eventsStartingWith(const std::string& prefix) const;
    // Texts of the recorded messages, in order.
    std::vector<std::string> messageTexts() const;
    // Whether a message titled "错误" was shown.
    bool errorShown() const;

    // Told when the edits stop reaching the file or reach it again (velkctl prints the cause).
    std::function<void(const SaveState&)> onSaveState;
    // Told of every message as it is shown (velkctl prints them).
    std::function<void(MessageTitle, const std::string&)> onMessage;

    // Every call as one line: "enumRow 3 E4|Ascii|1|''", "message 错误 请选中一项修改", ...
    std::vector<std::string> events;

    std::array<EnumRowTexts, kEnumCount> enumRows{};
    std::array<VariableRowTexts, kVariableCount> variableRows{};
    std::array<NetTargetRowTexts, kNetTargetCount> netRows{};
    std::vector<ActionRowTexts> actionRows;
    std::optional<EventSettingsTexts> settings;
    std::vector<Message> messages;
    SaveState saveState;
    std::vector<LinkState> linkStates;
    std::string linkNotice;
    // How often each slot was reported changed (not kept as event lines: a load reports many).
    std::array<int, kSlotCount> contentChanges{};
    std::vector<int> progress;
    int writeStartedCount = 0;
    int writeEndedCount = 0;
    int currentEvent = -1;
    std::optional<std::string> openedPath;
    int projectOpenedCount = 0;
    std::optional<PanelNetworkReply> panelNetwork;
    // Calls whose row was outside the list, which the form could not have shown.
    int badRowCalls = 0;
};

std::string joinTexts(const std::string* begin, const std::string* end);

template <size_t N>
std::string joinTexts(const std::array<std::string, N>& texts) {
    return joinTexts(texts.data(), texts.data() + N);
}

// "错误" and "提示"
const char* titleText(MessageTitle title);
const char* linkStateText(LinkState state);

}  // namespace velk
