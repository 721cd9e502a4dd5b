#include "session/FormMirror.h"

#include "model/StrPrintf.h"

namespace velk {

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

void FormMirror::enumRowChanged(int row, const EnumRowTexts& texts) {
    events.push_back(strprintf("enumRow %d ", row) + joinTexts(texts));
    if (row < 0 || row >= kEnumCount) {
        ++badRowCalls;
        return;
    }
    enumRows[static_cast<size_t>(row)] = texts;
}

void FormMirror::variableRowChanged(int row, const VariableRowTexts& texts) {
    events.push_back(strprintf("variableRow %d ", row) + joinTexts(texts));
    if (row < 0 || row >= kVariableCount) {
        ++badRowCalls;
        return;
    }
    variableRows[static_cast<size_t>(row)] = texts;
}

void FormMirror::netTargetRowChanged(int row, const NetTargetRowTexts& texts) {
    events.push_back(strprintf("netRow %d ", row) + joinTexts(texts));
    if (row < 0 || row >= kNetTargetCount) {
        ++badRowCalls;
        return;
    }
    netRows[static_cast<size_t>(row)] = texts;
}

void FormMirror::actionListFilled(const std::vector<ActionRowTexts>& rows) {
    events.push_back(strprintf("actionListFilled %zu", rows.size()));
    actionRows = rows;
}

void FormMirror::actionRowAppended(const ActionRowTexts& texts) {
    events.push_back("actionRowAppended " + joinTexts(texts));
    actionRows.push_back(texts);
}

void FormMirror::actionRowChanged(int row, const ActionRowTexts& texts) {
    events.push_back(strprintf("actionRowChanged %d ", row) + joinTexts(texts));
    if (row < 0 || static_cast<size_t>(row) >= actionRows.size()) {
        ++badRowCalls;
        return;
    }
    actionRows[static_cast<size_t>(row)] = texts;
}

void FormMirror::actionRowRemoved(int row) {
    events.push_back(strprintf("actionRowRemoved %d", row));
    if (row < 0 || static_cast<size_t>(row) >= actionRows.size()) {
        ++badRowCalls;
        return;
    }
    actionRows.erase(actionRows.begin() + row);
}

void FormMirror::eventSettingsShown(const EventSettingsTexts& texts) {
    events.push_back("eventSettings " + texts.timeText + "|" + texts.appendLine1 + "|" + texts.appendLine2 +
                     strprintf("|%d|%d", texts.timeButtonEnabled ? 1 : 0, texts.appendButtonEnabled ? 1 : 0));
    settings = texts;
}

void FormMirror::currentEventChanged(int slot) {
    events.push_back(strprintf("currentEvent %d", slot));
    currentEvent = slot;
}

void FormMirror::projectOpened(const std::string& utf8Path) {
    events.push_back("projectOpened " + utf8Path);
    openedPath = utf8Path;
    ++projectOpenedCount;
}

void FormMirror::linkStateChanged(LinkState state) {
    events.push_back(std::string("linkState ") + linkStateText(state));
    linkStates.push_back(state);
}

void FormMirror::linkNoticeChanged(const std::string& utf8) {
    events.push_back("linkNotice " + utf8);
    linkNotice = utf8;
}

void FormMirror::eventContentChanged(int slot) {
    if (slot < 0 || slot >= kSlotCount) {
        ++badRowCalls;
        return;
    }
    ++contentChanges[static_cast<size_t>(slot)];
}

void FormMirror::saveStateChanged(const SaveState& state) {
    events.push_back(strprintf("saveState %d %s", state.pending, state.reason.c_str()));
    saveState = state;
    if (onSaveState) {
        onSaveState(state);
    }
}

void FormMirror::writeStarted() {
    events.emplace_back("writeStarted");
    ++writeStartedCount;
}

void FormMirror::writeProgress(int position) {
    events.push_back(strprintf("writeProgress %d", position));
    progress.push_back(position);
}

void FormMirror::writeEnded() {
    events.emplace_back("writeEnded");
    ++writeEndedCount;
}

void FormMirror::message(MessageTitle title, const std::string& text) {
    events.push_back(std::string("message ") + titleText(title) + " " + text);
    messages.push_back({title, text});
    if (onMessage) {
        onMessage(title, text);
    }
}

void FormMirror::panelNetworkReceived(const PanelNetworkReply& reply) {
    events.push_back(strprintf("panelNetwork %u %u %u %d %d", reply.ip, reply.mask, reply.gateway,
                               reply.tcpPort, reply.udpPort));
    panelNetwork = reply;
}

void FormMirror::clearEvents() {
    events.clear();
    messages.clear();
}

std::vector<std::string> FormMirror::eventsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& event : events) {
        if (event.rfind(prefix, 0) == 0) {
            found.push_back(event);
        }
    }
    return found;
}

bool FormMirror::errorShown() const {
    for (const Message& m : messages) {
        if (m.title == MessageTitle::Error) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> FormMirror::messageTexts() const {
    std::vector<std::string> texts;
    for (const Message& m : messages) {
        texts.push_back(m.text);
    }
    return texts;
}

}  // namespace velk
