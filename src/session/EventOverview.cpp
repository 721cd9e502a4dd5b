#include "session/EventOverview.h"

#include "action/ActionText.h"
#include "model/StrPrintf.h"
#include "session/RowTexts.h"

namespace velk {
namespace {

constexpr size_t kTooltipDataCharacters = 48;

// The first characters of a UTF-8 text, with "…" when it goes on: a tooltip line stays readable.
std::string shortened(const std::string& utf8, size_t characters) {
    size_t count = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xc0u) != 0x80u && count++ == characters) {
            return utf8.substr(0, i) + "…";
        }
    }
    return utf8;
}

}  // namespace

EventOverview eventOverview(const ConfigModel& model, int slot) {
    EventOverview overview;
    if (!ConfigModel::isValidSlot(slot)) {
        return overview;
    }
    const EventSettings& settings = model.eventSettings[static_cast<size_t>(slot)];
    const std::vector<KeyAction>& actions = model.actions[static_cast<size_t>(slot)];
    overview.actions = static_cast<int>(actions.size());
    overview.timeOn = eventOf(slot) != 0 && settings.timeEnable != 0;
    overview.appendOn = settings.addEnable != 0;

    std::string& tip = overview.tooltip;
    tip = eventName(slot) + (actions.empty() ? "：没有动作" : strprintf("：%zu个动作", actions.size()));
    for (const KeyAction& action : actions) {
        if (std::optional<ActionRowTexts> texts = actionRowTextsOf(action)) {
            tip += strprintf("\n%s  %s  %s", (*texts)[0].c_str(), (*texts)[1].c_str(), (*texts)[2].c_str());
            if (!(*texts)[3].empty()) {
                tip += strprintf("  %s", shortened((*texts)[3], kTooltipDataCharacters).c_str());
            }
        }
    }
    const EventSettingsTexts texts = eventSettingsTexts(slot, settings, true);
    if (eventOf(slot) != 0) {
        tip += strprintf("\n%s", texts.timeText.c_str());
    }
    tip += strprintf("\n%s", texts.appendLine1.c_str());
    if (settings.addEnable != 0) {
        tip += strprintf("\n%s", texts.appendLine2.c_str());
    }
    // A write sends an event's settings only together with its actions.
    if (actions.empty() && (overview.timeOn || overview.appendOn)) {
        tip += "\n（没有动作，写入时不发送这些设置）";
    }
    return overview;
}

}  // namespace velk
