#pragma once

#include "session/SessionObserver.h"

namespace velk {

// An observer that shows nothing, for sessions nobody watches (screenshots, benchmarks); override
// only what matters.
class IgnoringObserver : public SessionObserver {
public:
    void enumRowChanged(int, const EnumRowTexts&) override {}
    void variableRowChanged(int, const VariableRowTexts&) override {}
    void netTargetRowChanged(int, const NetTargetRowTexts&) override {}
    void actionListFilled(const std::vector<ActionRowTexts>&) override {}
    void actionRowAppended(const ActionRowTexts&) override {}
    void actionRowChanged(int, const ActionRowTexts&) override {}
    void actionRowRemoved(int) override {}
    void eventSettingsShown(const EventSettingsTexts&) override {}
    void currentEventChanged(int) override {}
    void projectOpened(const std::string&) override {}
    void linkStateChanged(LinkState) override {}
    void writeStarted() override {}
    void writeProgress(int) override {}
    void writeEnded() override {}
    void message(MessageTitle, const std::string&) override {}
    void panelNetworkReceived(const PanelNetworkReply&) override {}
};

}  // namespace velk
