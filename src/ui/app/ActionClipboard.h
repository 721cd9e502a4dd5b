#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "model/Records.h"

class QMimeData;

namespace velk::ui {

// Actions on the system clipboard, so they reach another velk window too: in the project text
// form (a fragment of [[action]] tables, docs/project-text.md) and as plain lines of the action
// list's column texts, separated by tabs, for any other program.
constexpr const char* kActionsMimeType = "application/x-velk-actions";

std::unique_ptr<QMimeData> actionsMimeData(const std::vector<KeyAction>& actions, const std::string& event);

// What a paste finds: the actions, or why there are none to paste (UTF-8 problem text).
struct ClipboardActions {
    std::vector<KeyAction> actions;
    QString problem;
};
ClipboardActions actionsFromMimeData(const QMimeData* data);

}  // namespace velk::ui
