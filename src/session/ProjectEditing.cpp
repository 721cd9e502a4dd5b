// The project session's edits addressed to a slot, row or id (undo and redo) and pasting actions.
#include <algorithm>

#include "action/ActionText.h"
#include "model/StrPrintf.h"
#include "project/ProjectDb.h"
#include "rules/FunctionRules.h"
#include "session/ProjectSession.h"

namespace velk {
namespace {

// "红外  1,3  ID:12", the first three columns of its row.
std::string actionSummary(const KeyAction& action) {
    std::optional<ActionRowTexts> texts = actionRowTextsOf(action);
    if (!texts) {
        return strprintf("功能%d", functionCodeValue(action.function));
    }
    return strprintf("%s  %s  %s", (*texts)[0].c_str(), (*texts)[1].c_str(), (*texts)[2].c_str());
}

}  // namespace

void ProjectSession::showSlot(int slot) {
    if (slot != m_currentEvent && slot >= 0 && slot < kSelectableSlots) {
        selectEvent(slot);
        m_observer.currentEventChanged(slot);
    }
}

int ProjectSession::actionRow(int slot, int id) const {
    if (!ConfigModel::isValidSlot(slot)) {
        return -1;
    }
    const std::vector<KeyAction>& list = m_model.actions[static_cast<size_t>(slot)];
    for (size_t row = 0; row < list.size(); ++row) {
        if (list[row].id == id) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

bool ProjectSession::insertActionById(int slot, const KeyAction& action) {
    if (!m_projectOpen || !ConfigModel::isValidSlot(slot) || actionRow(slot, action.id) >= 0 ||
        !actionRowTextsOf(action)) {
        return false;
    }
    showSlot(slot);
    std::vector<KeyAction>& list = m_model.actions[static_cast<size_t>(slot)];
    // The list stays in id order, the order Open reads it back in.
    const int row = m_model.rowForId(slot, action.id);
    list.insert(list.begin() + row, action);
    if (slot == m_currentEvent) {
        fillActionList(slot);
    }
    m_db->insertAction(slot, action);
    m_observer.eventContentChanged(slot);
    return true;
}

int ProjectSession::moveAction(int row, int step) {
    const int slot = m_currentEvent;
    if (!m_projectOpen || !ConfigModel::isValidSlot(slot) || (step != -1 && step != 1)) {
        return -1;
    }
    const std::vector<KeyAction>& list = m_model.actions[static_cast<size_t>(slot)];
    const int target = row + step;
    if (row < 0 || target < 0 || static_cast<size_t>(row) >= list.size() ||
        static_cast<size_t>(target) >= list.size()) {
        return -1;
    }
    const int upper = std::min(row, target);
    ActionMoveEdit edit{slot, row, target, {}, {}};
    edit.before = {list[static_cast<size_t>(upper)], list[static_cast<size_t>(upper) + 1]};
    edit.after = {edit.before[1], edit.before[0]};
    edit.after[0].id = edit.before[0].id;
    edit.after[1].id = edit.before[1].id;
    for (const KeyAction& action : edit.after) {
        replaceActionById(slot, action.id, action);
    }
    recordEdit(edit);
    return target;
}

bool ProjectSession::replaceActionById(int slot, int id, const KeyAction& action) {
    const int row = actionRow(slot, id);
    std::optional<ActionRowTexts> texts = actionRowTextsOf(action);
    if (!m_projectOpen || row < 0 || !texts) {
        return false;
    }
    showSlot(slot);
    KeyAction changed = action;
    changed.id = id;
    m_model.actions[static_cast<size_t>(slot)][static_cast<size_t>(row)] = changed;
    if (slot == m_currentEvent) {
        m_observer.actionRowChanged(row, *texts);
    }
    m_db->updateAction(slot, changed);
    m_observer.eventContentChanged(slot);
    return true;
}

bool ProjectSession::removeActionById(int slot, int id) {
    const int row = actionRow(slot, id);
    if (!m_projectOpen || row < 0) {
        return false;
    }
    showSlot(slot);
    std::vector<KeyAction>& list = m_model.actions[static_cast<size_t>(slot)];
    list.erase(list.begin() + row);
    if (slot == m_currentEvent) {
        m_observer.actionRowRemoved(row);
    }
    m_db->deleteAction(slot, id);
    m_observer.eventContentChanged(slot);
    return true;
}

bool ProjectSession::applyEventSettings(int slot, const EventSettings& settings) {
    if (!m_projectOpen || !ConfigModel::isValidSlot(slot)) {
        return false;
    }
    showSlot(slot);
    m_model.eventSettings[static_cast<size_t>(slot)] = settings;
    if (slot == m_currentEvent) {
        showEventSettings(slot);
    }
    m_db->updateEventSettings(slot, settings);
    m_observer.eventContentChanged(slot);
    return true;
}

ProjectSession::PasteResult ProjectSession::pasteActions(const std::vector<KeyAction>& actions) {
    PasteResult result;
    const int slot = m_currentEvent;
    if (!m_projectOpen || !ConfigModel::isValidSlot(slot)) {
        return result;
    }
    for (const KeyAction& action : actions) {
        if (std::optional<rules::Refusal> refusal = rules::addProblem(m_model, slot, action.function)) {
            result.refused.emplace_back(action, refusal->message);
            continue;
        }
        KeyAction added = action;
        added.id = m_model.nextActionId(slot);
        appendAction(slot, added);
        ++result.added;
    }
    if (!result.refused.empty()) {
        std::string text =
            strprintf("以下%zu个动作未粘贴到%s：", result.refused.size(), eventName(slot).c_str());
        for (const auto& [action, reason] : result.refused) {
            text += strprintf("\n%s：%s", actionSummary(action).c_str(), reason.c_str());
        }
        m_observer.message(MessageTitle::Notice, text);
    }
    return result;
}

}  // namespace velk
