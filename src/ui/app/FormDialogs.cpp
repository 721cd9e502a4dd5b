#include "ui/app/FormDialogs.h"

#include "ui/common/UiSeams.h"
#include "ui/dialogs/CAboutDlg.h"
#include "ui/dialogs/CAddCommandDlg.h"
#include "ui/dialogs/CAddEnumDialog.h"
#include "ui/dialogs/CAddNet.h"
#include "ui/dialogs/CAddVariableDialog.h"
#include "ui/dialogs/CFindPanelDialog.h"
#include "ui/dialogs/CSetIpDialog.h"
#include "ui/dialogs/CSetTimeDlg.h"
#include "ui/editor/CEditDialog.h"

namespace velk::ui {
namespace {

// Runs a record dialog on the record of the given row; its result only when the user pressed OK.
template <typename Dialog, typename Record>
std::optional<Record> runRecordDialog(QWidget* parent, const Record& record, int row) {
    Dialog dialog(parent);
    dialog.setRecord(record, row);
    if (runModal(dialog) != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.record();
}

template <typename Dialog>
std::optional<EventSettings> runSettingsDialog(QWidget* parent, const EventSettings& settings) {
    Dialog dialog(parent);
    dialog.setSettings(settings);
    if (runModal(dialog) != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.settings();
}

}  // namespace

std::optional<EnumVariable> runEnumDialog(QWidget* parent, const EnumVariable& record, int row) {
    return runRecordDialog<CAddEnumDialog>(parent, record, row);
}

std::optional<Variable> runVariableDialog(QWidget* parent, const Variable& record, int row) {
    return runRecordDialog<CAddVariableDialog>(parent, record, row);
}

std::optional<NetTarget> runNetTargetDialog(QWidget* parent, const NetTarget& record, int row) {
    return runRecordDialog<CAddNet>(parent, record, row);
}

std::optional<EventSettings> runTimeDialog(QWidget* parent, const EventSettings& settings) {
    return runSettingsDialog<CSetTimeDlg>(parent, settings);
}

std::optional<EventSettings> runAppendDialog(QWidget* parent, const EventSettings& settings) {
    return runSettingsDialog<CAddCommandDlg>(parent, settings);
}

std::optional<KeyAction> runActionEditor(QWidget* parent, const ConfigModel& model,
                                         const ProjectSession::ActionEditRequest& request) {
    return CEditDialog::edit(parent, model, request);
}

std::optional<PanelNetworkSettings> runPanelNetworkDialog(QWidget* parent, const PanelNetworkReply& reply) {
    CSetIpDialog dialog(parent);
    dialog.setPanelValues(reply);
    if (runModal(dialog) != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.settings();
}

void runAboutBox(QWidget* parent) {
    CAboutDlg dialog(parent);
    runModal(dialog);
}

std::optional<FoundPanel> runFindPanelDialog(QWidget* parent, uint16_t port) {
    CFindPanelDialog dialog(parent);
    dialog.setRanges(localNetworkRanges());
    dialog.setPort(port);
    if (runModal(dialog) != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.chosenPanel();
}

}  // namespace velk::ui
