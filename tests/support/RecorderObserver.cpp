#include "support/RecorderObserver.h"

#include "model/StrPrintf.h"

namespace velk::test {

std::string joinTexts(const std::string* begin, const std::string* end) {
    std::string joined;
    for (const std::string* it = begin; it != end; ++it) {
        if (it != begin) {
            joined += '|';
        }
        joined += *it;
    }
    return joined;
}

const char* titleText(MessageTitle title) {
    return title == MessageTitle::Error ? "错误" : "提示";
}

const char* linkStateText(LinkState state) {
    switch (state) {
        case LinkState::Closed:
            return "closed";
        case LinkState::Connecting:
            return "connecting";
        case LinkState::Connected:
            return "connected";
    }
    return "?";
}

void RecorderObserver::enumRowChanged(int row, const EnumRowTexts& texts) {
    events.push_back(strprintf("enumRow %d ", row) + joinTexts(texts));
    if (row < 0 || row >= kEnumCount) {
        ++badRowCalls;
        return;
    }
    enumRows[static_cast<size_t>(row)] = texts;
}

void RecorderObserver::variableRowChanged(int row, const VariableRowTexts& texts) {
    events.push_back(strprintf("variableRow %d ", row) + joinTexts(texts));
    if (row < 0 || row >= kVariableCount) {
        ++badRowCalls;
        return;
    }
    variableRows[static_cast<size_t>(row)] = texts;
}

void RecorderObserver::netTargetRowChanged(int row, const NetTargetRowTexts& texts) {
    events.push_back(strprintf("netRow %d ", row) + joinTexts(texts));
    if (row < 0 || row >= kNetTargetCount) {
        ++badRowCalls;
        return;
    }
    netRows[static_cast<size_t>(row)] = texts;
}

void RecorderObserver::actionListFilled(const std::vector<ActionRowTexts>& rows) {
    events.push_back(strprintf("actionListFilled %zu", rows.size()));
    actionRows = rows;
}

void RecorderObserver::actionRowAppended(const ActionRowTexts& texts) {
    events.push_back("actionRowAppended " + joinTexts(texts));
    actionRows.push_back(texts);
}

void RecorderObserver::actionRowChanged(int row, const ActionRowTexts& texts) {
    events.push_back(strprintf("actionRowChanged %d ", row) + joinTexts(texts));
    if (row < 0 || static_cast<size_t>(row) >= actionRows.size()) {
        ++badRowCalls;
        return;
    }
    actionRows[static_cast<size_t>(row)] = texts;
}

void RecorderObserver::actionRowRemoved(int row) {
    events.push_back(strprintf("actionRowRemoved %d", row));
    if (row < 0 || static_cast<size_t>(row) >= actionRows.size()) {
        ++badRowCalls;
        return;
    }
    actionRows.erase(actionRows.begin() + row);
}

void RecorderObserver::eventSettingsShown(const EventSettingsTexts& texts) {
    events.push_back("eventSettings " + texts.timeText + "|" + texts.appendLine1 + "|" + texts.appendLine2 +
                     strprintf("|%d|%d", texts.timeButtonEnabled ? 1 : 0, texts.appendButtonEnabled ? 1 : 0));
    settings = texts;
}

void RecorderObserver::currentEventChanged(int slot) {
    events.push_back(strprintf("currentEvent %d", slot));
    currentEvent = slot;
}

void RecorderObserver::projectOpened(const std::string& utf8Path) {
    events.push_back("projectOpened " + utf8Path);
    openedPath = utf8Path;
    ++projectOpenedCount;
}

void RecorderObserver::linkStateChanged(LinkState state) {
    events.push_back(std::string("linkState ") + linkStateText(state));
    linkStates.push_back(state);
}

void RecorderObserver::writeStarted() {
    events.emplace_back("writeStarted");
    ++writeStartedCount;
}

void RecorderObserver::writeProgress(int position) {
    events.push_back(strprintf("writeProgress %d", position));
    progress.push_back(position);
}

void RecorderObserver::writeEnded() {
    events.emplace_back("writeEnded");
    ++writeEndedCount;
}

void RecorderObserver::message(MessageTitle title, const std::string& text) {
    events.push_back(std::string("message ") + titleText(title) + " " + text);
    messages.push_back({title, text});
}

void RecorderObserver::panelNetworkReceived(const PanelNetworkReply& reply) {
    events.push_back(strprintf("panelNetwork %u %u %u %d %d", reply.ip, reply.mask, reply.gateway,
                               reply.tcpPort, reply.udpPort));
    panelNetwork = reply;
}

void RecorderObserver::clearEvents() {
    events.clear();
    messages.clear();
}

std::vector<std::string> RecorderObserver::eventsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& event : events) {
        if (event.rfind(prefix, 0) == 0) {
            found.push_back(event);
        }
    }
    return found;
}

std::vector<std::string> RecorderObserver::messageTexts() const {
    std::vector<std::string> texts;
    for (const Message& m : messages) {
        texts.push_back(m.text);
    }
    return texts;
}

}  // namespace velk::test
