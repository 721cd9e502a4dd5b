#pragma once

#include <string>

#include "model/ConfigModel.h"

namespace velk {

// What an event selector shows of its event at a glance, and the tooltip that lists it (UTF-8).
struct EventOverview {
    int actions = 0;
    bool timeOn = false;    // a time setting a write sends (not on press events)
    bool appendOn = false;  // the append setting is on
    std::string tooltip;    // the event's name, its actions one a line, its time and append texts

    bool empty() const { return actions == 0 && !timeOn && !appendOn; }
    bool operator==(const EventOverview&) const = default;
};

EventOverview eventOverview(const ConfigModel& model, int slot);

}  // namespace velk
