#include "cli/TerminalObserver.h"

#include <cstdio>

namespace velk {

void TerminalObserver::enumRowChanged(int row, const EnumRowTexts& texts) {
    if (row >= 0 && row < static_cast<int>(enumRows.size())) {
        enumRows[static_cast<size_t>(row)] = texts;
    }
}

void TerminalObserver::variableRowChanged(int row, const VariableRowTexts& texts) {
    if (row >= 0 && row < static_cast<int>(variableRows.size())) {
        variableRows[static_cast<size_t>(row)] = texts;
    }
}

void TerminalObserver::netTargetRowChanged(int row, const NetTargetRowTexts& texts) {
    if (row >= 0 && row < static_cast<int>(netTargetRows.size())) {
        netTargetRows[static_cast<size_t>(row)] = texts;
    }
}

void TerminalObserver::actionListFilled(const std::vector<ActionRowTexts>& rows) {
    actionRows = rows;
}
void TerminalObserver::actionRowAppended(const ActionRowTexts& texts) {
    actionRows.push_back(texts);
}

void TerminalObserver::actionRowChanged(int row, const ActionRowTexts& texts) {
    if (row >= 0 && row < static_cast<int>(actionRows.size())) {
        actionRows[static_cast<size_t>(row)] = texts;
    }
}

void TerminalObserver::actionRowRemoved(int row) {
    if (row >= 0 && row < static_cast<int>(actionRows.size())) {
        actionRows.erase(actionRows.begin() + row);
    }
}

void TerminalObserver::eventSettingsShown(const EventSettingsTexts& texts) {
    eventSettings = texts;
}
void TerminalObserver::currentEventChanged(int) {}
void TerminalObserver::projectOpened(const std::string&) {}
void TerminalObserver::linkStateChanged(LinkState state) {
    linkState = state;
}
void TerminalObserver::writeStarted() {
    writeEndedSeen = false;
}

void TerminalObserver::writeProgress(int position) {
    lastProgress = position;
    if (printProgress) {
        std::fprintf(stderr, "写入进度 %d/400\n", position);
    }
}

void TerminalObserver::writeEnded() {
    writeEndedSeen = true;
}

void TerminalObserver::message(MessageTitle title, const std::string& text) {
    messages.emplace_back(title, text);
    std::fprintf(stderr, "%s: %s\n", title == MessageTitle::Error ? "错误" : "提示", text.c_str());
}

void TerminalObserver::panelNetworkReceived(const PanelNetworkReply& reply) {
    panelNetwork = reply;
}

}  // namespace velk
