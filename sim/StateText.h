#pragma once

#include <string>
#include <vector>

#include "device/PanelAddress.h"
#include "model/ConfigModel.h"
#include "sim/PanelState.h"

// What a simulated panel holds, as a project: rebuilt from the commands it received (never from a
// project file), so comparing it with the project that was written shows what reached the panel.
namespace velk::sim {

struct HeldProject {
    ConfigModel model;
    // What this panel's commands leave open, one line each: a data text that cannot be cut back
    // into its segments and blanks exactly, an event block of an input the panel has not.
    std::vector<std::string> doubts;
};

HeldProject heldProject(const PanelSnapshot& held);

// The project text of what the panel at address holds, with comments naming the panel's network
// settings, what a write never sends (and so reads as its default here), and this panel's doubts.
std::string panelStateText(const PanelSnapshot& held, const PanelAddress& address);

}  // namespace velk::sim
