#pragma once

#include <optional>

#include "device/PanelNetwork.h"
#include "model/ConfigModel.h"
#include "session/ProjectSession.h"
#include "site/PanelScan.h"

class QWidget;

namespace velk::ui {

// The dialogs the main form opens, each run modally through the UI seam. Nothing when cancelled.
std::optional<EnumVariable> runEnumDialog(QWidget* parent, const EnumVariable& record, int row);
std::optional<Variable> runVariableDialog(QWidget* parent, const Variable& record, int row);
std::optional<NetTarget> runNetTargetDialog(QWidget* parent, const NetTarget& record, int row);
std::optional<EventSettings> runTimeDialog(QWidget* parent, const EventSettings& settings);
std::optional<EventSettings> runAppendDialog(QWidget* parent, const EventSettings& settings);
std::optional<KeyAction> runActionEditor(QWidget* parent, const ConfigModel& model,
                                         const ProjectSession::ActionEditRequest& request);
std::optional<PanelNetworkSettings> runPanelNetworkDialog(QWidget* parent, const PanelNetworkReply& reply);
void runAboutBox(QWidget* parent);
// 查找面板, offering the computer's own networks and asking on port; the panel the user chose.
std::optional<FoundPanel> runFindPanelDialog(QWidget* parent, uint16_t port);

}  // namespace velk::ui
