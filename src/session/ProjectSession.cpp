#include "session/ProjectSession.h"

#include <filesystem>

#include "project/DbFailure.h"
#include "project/ProjectDb.h"
#include "project/ProjectLock.h"
#include "project/ProjectReader.h"
#include "project/RowPlacement.h"
#include "rules/FunctionRules.h"
#include "rules/RuleMessages.h"
#include "session/ProjectImport.h"

namespace velk {

namespace {

constexpr const char* kSelectToModify = "请选中一项修改";
constexpr const char* kSelectToDelete = "请选中一项删除";
constexpr const char* kEmptyAddFirst = "变量列表为空，请先添加";
constexpr const char* kEmpty = "变量列表为空";
constexpr const char* kCannotOpen = "无法打开项目文件：";
constexpr const char* kCannotWrite = "项目文件无法写入：";
constexpr const char* kCannotSave = "无法另存为：";
constexpr const char* kForeignFileQuestion = "所选文件不是velk项目文件，其中没有项目的表：\n";
constexpr const char* kForeignFileQuestionEnd = "\n\n要在这个文件中添加项目的表并打开它吗？";

bool isKeyOf(int key, int count) {
    return key >= 0 && key < count;
}

}  // namespace

ProjectSession::ProjectSession(SessionObserver& observer, UiPoster& poster)
    : m_observer(observer), m_poster(poster), m_db(std::make_unique<ProjectDb>(poster)) {}

ProjectSession::~ProjectSession() {
    shutdown();
}

bool ProjectSession::newProject(const std::string& utf8Path) {
    return attachProject(utf8Path, true);
}

bool ProjectSession::openProject(const std::string& utf8Path) {
    return attachProject(utf8Path, false);
}

std::string ProjectSession::openQuestion(const std::string& utf8Path) {
    // As short as the open check's own wait: a file another program holds must not freeze the form.
    constexpr int kLookBusyTimeoutMs = 200;
    if (projectFileKind(utf8Path, kLookBusyTimeoutMs) != ProjectFileKind::Foreign) {
        return {};
    }
    return kForeignFileQuestion + utf8Path + kForeignFileQuestionEnd;
}

bool ProjectSession::attachProject(const std::string& utf8Path, bool emptyFirst) {
    if (m_shutDown) {
        return false;
    }
    auto refuse = [&](const std::string& reason) {
        m_observer.message(MessageTitle::Error, kCannotOpen + utf8Path + "\n" + reason);
        return false;
    };
    const bool sameProject = m_lock && m_lock->covers(utf8Path);
    std::unique_ptr<ProjectLock> lock;
    if (!sameProject && ProjectLock::acquire(utf8Path, lock) == ProjectLock::Outcome::Elsewhere) {
        return refuse(kHeldElsewhere);
    }
    std::string reason;
    std::error_code missing;
    if (emptyFirst && !std::filesystem::exists(utf8Path, missing)) {
        // A new file is built whole under a temporary name first, so a failure leaves none behind;
        // New's statements then run on it as on any file.
        ConfigModel empty;
        empty.reset();
        ImportOutcome built = importProject(empty, utf8Path, false, true);
        if (!built.ok) {
            return refuse(built.error);
        }
    }
    std::shared_ptr<DbConnection> connection = ProjectDb::connect(utf8Path, reason);
    if (!connection) {
        return refuse(reason);
    }
    if (!sameProject) {
        m_lock = std::move(lock);  // the previous project's goes; none where no lock file can be made
    }
    m_db->attach(std::move(connection));
    setSaveState(SaveState{});
    m_rowsAccepted = false;
    m_projectOpen = true;
    m_path = utf8Path;
    m_observer.projectOpened(utf8Path);
    showEventSettings(m_currentEvent);
    if (emptyFirst) {
        m_db->postNewDeletes();
    }
    m_db->postCreatesAndSelects();
    resetModel();
    return true;
}

void ProjectSession::resetModel() {
    m_model.reset();
    for (int key = 0; key < kEnumCount; ++key) {
        showEnumRow(key);
    }
    for (int key = 0; key < kVariableCount; ++key) {
        showVariableRow(key);
    }
    for (int key = 0; key < kNetTargetCount; ++key) {
        showNetTargetRow(key);
    }
    m_db->postDefaultInserts();
    m_currentEvent = 0;
    m_observer.actionListFilled({});
    m_observer.currentEventChanged(0);
    // The labels must not keep showing the previous project's settings when the file has none.
    showEventSettings(0);
    allContentChanged();
}

void ProjectSession::allContentChanged() {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        m_observer.eventContentChanged(slot);
    }
}

void ProjectSession::recordEdit(const ProjectEdit& edit) {
    // An OK that changed nothing still writes its statement, but there is nothing to undo.
    const bool changed = std::visit([](const auto& e) { return !(e.before == e.after); }, edit);
    if (m_editListener && changed) {
        m_editListener(edit);
    }
}

void ProjectSession::selectEvent(int slot) {
    if (slot < 0 || slot >= kSelectableSlots) {
        return;
    }
    m_currentEvent = slot;
    fillActionList(slot);
    showEventSettings(slot);
}

void ProjectSession::fillActionList(int slot) {
    std::vector<ActionRowTexts> rows;
    if (ConfigModel::isValidSlot(slot)) {
        for (const KeyAction& action : m_model.actions[static_cast<size_t>(slot)]) {
            if (std::optional<ActionRowTexts> texts = actionRowTextsOf(action)) {
                rows.push_back(*texts);
            }
        }
    }
    m_observer.actionListFilled(rows);
}

void ProjectSession::showEventSettings(int slot) {
    if (!ConfigModel::isValidSlot(slot)) {
        return;
    }
    m_observer.eventSettingsShown(
        eventSettingsTexts(slot, m_model.eventSettings[static_cast<size_t>(slot)], m_projectOpen));
}

void ProjectSession::showEnumRow(int key) {
    if (isKeyOf(key, kEnumCount)) {
        m_observer.enumRowChanged(key, enumRowTexts(key, m_model.enumAt(key)));
    }
}

void ProjectSession::showVariableRow(int key) {
    if (isKeyOf(key, kVariableCount)) {
        m_observer.variableRowChanged(key, variableRowTexts(key, m_model.variableAt(key)));
    }
}

void ProjectSession::showNetTargetRow(int key) {
    if (isKeyOf(key, kNetTargetCount)) {
        m_observer.netTargetRowChanged(key, netTargetRowTexts(key, m_model.netTargetAt(key)));
    }
}

void ProjectSession::handle(const ViewMessage& message) {
    switch (message.id) {
        case WM_DB_BARRIER:
            if (m_db->generation() > 0 && message.wParam == ProjectDb::gateToken(m_db->generation())) {
                m_rowsAccepted = true;
            }
            break;
        case WM_DB_ERROR:
            reportDbError(message);
            break;
        case WM_DB_HELD:
            noteHeld(message);
            break;
        case WM_DB_SAVED:
            if (message.wParam == m_db->generation()) {
                setSaveState(SaveState{});
            }
            break;
        case WM_ROW_NET:
        case WM_ROW_ENUM:
        case WM_ROW_VARIABLE:
        case WM_ROW_ACTION:
        case WM_ROW_KEYOTHER:
            if (m_rowsAccepted) {
                loadRow(message);
            }
            break;
        default:
            break;
    }
}

void ProjectSession::reportDbError(const ViewMessage& message) {
    if (!m_errorReported.insert(message.wParam).second) {
        return;
    }
    m_observer.message(MessageTitle::Error, kCannotWrite + message.text);
}

void ProjectSession::noteHeld(const ViewMessage& message) {
    if (message.wParam != m_db->generation()) {
        return;  // an earlier project's, dropped when this one was opened
    }
    SaveState state;
    state.pending = static_cast<int>(message.lParam);
    state.reason = message.text;
    state.fileLost = message.text == kFileReplaced || message.text == kFileMovedOrDeleted ||
                     message.text == kFileChangedElsewhere;
    const bool news = m_saveState.saved() || m_saveState.reason != state.reason;
    setSaveState(state);
    // Told once when the edits stop reaching the file, and when the cause changes; after that the
    // form's state says it, not a message per edit.
    if (news) {
        std::string text = kCannotWrite + state.reason;
        if (state.fileLost) {
            text +=
                "\n项目文件不再写入。请用“另存为”保存窗口中的配置，"
                "或从磁盘重新打开项目（放弃未保存的修改）。";
        } else {
            text += "\n修改已保留在窗口中，原因消除后会按顺序写入。";
        }
        m_observer.message(MessageTitle::Error, text);
    }
}

void ProjectSession::setSaveState(SaveState state) {
    if (state == m_saveState) {
        return;
    }
    m_saveState = std::move(state);
    m_observer.saveStateChanged(m_saveState);
}

void ProjectSession::retryWrites() {
    if (m_projectOpen) {
        m_db->worker().postRetry();
    }
}

void ProjectSession::checkFile() {
    if (m_projectOpen) {
        m_db->postCheck();
    }
}

bool ProjectSession::saveAs(const std::string& utf8Path) {
    if (m_shutDown || !m_projectOpen) {
        return false;
    }
    const bool ours = m_lock && m_lock->covers(utf8Path);
    ImportOutcome outcome = importProject(m_model, utf8Path, true, ours);
    if (!outcome.ok) {
        m_observer.message(MessageTitle::Error, kCannotSave + utf8Path + "\n" + outcome.error);
        return false;
    }
    // The new file holds exactly the window's configuration; it is now the project.
    return openProject(utf8Path);
}

bool ProjectSession::reopenProject() {
    if (!m_projectOpen) {
        return false;
    }
    const std::string path = m_path;
    return openProject(path);
}

// Rows whose index lies outside the list are kept in the model under index - 1, as the form keeps
// them, but no list row shows them.
void ProjectSession::loadRow(const ViewMessage& message) {
    switch (message.id) {
        case WM_ROW_NET:
            if (std::optional<int> key = rows::placeNetTarget(m_model, message.row)) {
                showNetTargetRow(*key);
            }
            break;
        case WM_ROW_ENUM:
            if (std::optional<int> key = rows::placeEnum(m_model, message.row)) {
                showEnumRow(*key);
            }
            break;
        case WM_ROW_VARIABLE:
            if (std::optional<int> key = rows::placeVariable(m_model, message.row)) {
                showVariableRow(*key);
            }
            break;
        case WM_ROW_KEYOTHER: {
            // Slot 0 is the one a load selects; another selected slot keeps its own texts.
            std::optional<int> slot = rows::placeEventSettings(m_model, message.row);
            if (slot) {
                m_observer.eventContentChanged(*slot);
            }
            if (slot == 0 && m_currentEvent == 0) {
                fillActionList(0);
                showEventSettings(0);
            }
            break;
        }
        case WM_ROW_ACTION: {
            int slot = static_cast<int>(message.wParam);
            if (message.wParam != slot || !rows::placeAction(m_model, slot, message.row)) {
                break;
            }
            m_observer.eventContentChanged(slot);
            if (slot == m_currentEvent) {
                fillActionList(slot);
            }
            break;
        }
        default:
            break;
    }
}

bool ProjectSession::selectedListRow(int selectedRow, int count, const char* refusal) {
    if (!m_projectOpen) {
        return false;
    }
    if (selectedRow < 0) {
        m_observer.message(MessageTitle::Error, refusal);
        return false;
    }
    return isKeyOf(selectedRow, count);
}

std::optional<EnumVariable> ProjectSession::beginModifyEnum(int selectedRow) {
    if (!selectedListRow(selectedRow, kEnumCount, kSelectToModify)) {
        return std::nullopt;
    }
    return m_model.enumAt(selectedRow);
}

void ProjectSession::commitEnum(const EnumVariable& result) {
    if (!m_projectOpen || !isKeyOf(result.index - 1, kEnumCount)) {
        return;
    }
    EnumEdit edit{m_model.enumAt(result.index - 1), result};
    applyEnum(result);
    recordEdit(edit);
}

void ProjectSession::clearEnum(int selectedRow) {
    if (!selectedListRow(selectedRow, kEnumCount, kSelectToDelete)) {
        return;
    }
    EnumVariable cleared;
    cleared.index = selectedRow + 1;
    commitEnum(cleared);
}

std::optional<Variable> ProjectSession::beginModifyVariable(int selectedRow) {
    if (!selectedListRow(selectedRow, kVariableCount, kSelectToModify)) {
        return std::nullopt;
    }
    return m_model.variableAt(selectedRow);
}

void ProjectSession::commitVariable(const Variable& result) {
    if (!m_projectOpen || !isKeyOf(result.index - 1, kVariableCount)) {
        return;
    }
    VariableEdit edit{m_model.variableAt(result.index - 1), result};
    applyVariable(result);
    recordEdit(edit);
}

void ProjectSession::clearVariable(int selectedRow) {
    if (!selectedListRow(selectedRow, kVariableCount, kSelectToDelete)) {
        return;
    }
    Variable cleared;
    cleared.index = selectedRow + 1;
    commitVariable(cleared);
}

std::optional<NetTarget> ProjectSession::beginModifyNetTarget(int selectedRow) {
    if (!selectedListRow(selectedRow, kNetTargetCount, kSelectToModify)) {
        return std::nullopt;
    }
    return m_model.netTargetAt(selectedRow);
}

void ProjectSession::commitNetTarget(const NetTarget& result) {
    if (!m_projectOpen || !isKeyOf(result.index - 1, kNetTargetCount)) {
        return;
    }
    NetTargetEdit edit{m_model.netTargetAt(result.index - 1), result};
    applyNetTarget(result);
    recordEdit(edit);
}

void ProjectSession::clearNetTarget(int selectedRow) {
    if (!selectedListRow(selectedRow, kNetTargetCount, kSelectToDelete)) {
        return;
    }
    NetTarget cleared;
    cleared.index = selectedRow + 1;
    commitNetTarget(cleared);
}

std::optional<ProjectSession::ActionEditRequest> ProjectSession::beginAddAction() {
    const int slot = m_currentEvent;
    if (!m_projectOpen || !ConfigModel::isValidSlot(slot)) {
        return std::nullopt;
    }
    if (!rules::canAdd(m_model, slot)) {
        m_observer.message(MessageTitle::Error, rules::kSlotFull);
        return std::nullopt;
    }
    ActionEditRequest request;
    request.slot = slot;
    request.disabledFunctions = rules::addMask(m_model, slot);
    return request;
}

void ProjectSession::commitAddAction(const KeyAction& action) {
    const int slot = m_currentEvent;
    if (!m_projectOpen || !ConfigModel::isValidSlot(slot)) {
        return;
    }
    if (!actionRowTextsOf(action)) {
        return;  // a function the list cannot show would put rows and actions out of step
    }
    KeyAction added = action;
    added.id = m_model.nextActionId(slot);
    appendAction(slot, added);
}

void ProjectSession::appendAction(int slot, KeyAction action) {
    std::vector<KeyAction>& list = m_model.actions[static_cast<size_t>(slot)];
    const int row = m_model.rowForId(slot, action.id);
    list.insert(list.begin() + row, action);
    if (slot == m_currentEvent) {
        if (static_cast<size_t>(row) + 1 == list.size()) {
            if (std::optional<ActionRowTexts> texts = actionRowTextsOf(action)) {
                m_observer.actionRowAppended(*texts);
            }
        } else {
            fillActionList(slot);
        }
    }
    m_db->insertAction(slot, action);
    m_observer.eventContentChanged(slot);
    recordEdit(ActionEdit{slot, row, std::nullopt, std::move(action)});
}

std::optional<ProjectSession::ActionEditRequest> ProjectSession::beginModifyAction(int selectedRow) {
    const int slot = m_currentEvent;
    if (!m_projectOpen || !ConfigModel::isValidSlot(slot)) {
        return std::nullopt;
    }
    const std::vector<KeyAction>& list = m_model.actions[static_cast<size_t>(slot)];
    if (list.empty()) {
        m_observer.message(MessageTitle::Error, kEmptyAddFirst);
        return std::nullopt;
    }
    if (selectedRow < 0) {
        m_observer.message(MessageTitle::Error, kSelectToModify);
        return std::nullopt;
    }
    if (static_cast<size_t>(selectedRow) >= list.size()) {
        return std::nullopt;
    }
    const KeyAction& source = list[static_cast<size_t>(selectedRow)];
    ActionEditRequest request;
    request.slot = slot;
    request.disabledFunctions = rules::usedFunctionMask(m_model, slot, source.function);
    request.source = source;
    request.row = selectedRow;
    return request;
}

void ProjectSession::commitModifyAction(int row, const KeyAction& action) {
    const int slot = m_currentEvent;
    if (!m_projectOpen || !ConfigModel::isValidSlot(slot)) {
        return;
    }
    std::vector<KeyAction>& list = m_model.actions[static_cast<size_t>(slot)];
    if (row < 0 || static_cast<size_t>(row) >= list.size()) {
        return;
    }
    std::optional<ActionRowTexts> texts = actionRowTextsOf(action);
    if (!texts) {
        return;
    }
    KeyAction changed = action;
    changed.id = list[static_cast<size_t>(row)].id;
    ActionEdit edit{slot, row, list[static_cast<size_t>(row)], changed};
    list[static_cast<size_t>(row)] = changed;
    m_observer.actionRowChanged(row, *texts);
    m_db->updateAction(slot, changed);
    m_observer.eventContentChanged(slot);
    recordEdit(edit);
}

void ProjectSession::deleteAction(int selectedRow) {
    const int slot = m_currentEvent;
    if (!m_projectOpen || !ConfigModel::isValidSlot(slot)) {
        return;
    }
    std::vector<KeyAction>& list = m_model.actions[static_cast<size_t>(slot)];
    if (list.empty()) {
        m_observer.message(MessageTitle::Error, kEmpty);
        return;
    }
    if (selectedRow < 0) {
        m_observer.message(MessageTitle::Error, kSelectToDelete);
        return;
    }
    if (static_cast<size_t>(selectedRow) >= list.size()) {
        return;
    }
    ActionEdit edit{slot, selectedRow, list[static_cast<size_t>(selectedRow)], std::nullopt};
    list.erase(list.begin() + selectedRow);
    m_observer.actionRowRemoved(selectedRow);
    m_db->deleteAction(slot, edit.before->id);
    m_observer.eventContentChanged(slot);
    recordEdit(edit);
}

bool ProjectSession::actionDoubleClickAdds(int selectedRow) const {
    if (!ConfigModel::isValidSlot(m_currentEvent)) {
        return true;
    }
    return m_model.actions[static_cast<size_t>(m_currentEvent)].empty() || selectedRow < 0;
}

std::optional<EventSettings> ProjectSession::beginTimeSettings() const {
    if (!m_projectOpen || !ConfigModel::isValidSlot(m_currentEvent) || m_currentEvent % 3 == 0) {
        return std::nullopt;
    }
    return m_model.eventSettings[static_cast<size_t>(m_currentEvent)];
}

void ProjectSession::commitTimeSettings(const EventSettings& settings) {
    if (!beginTimeSettings()) {
        return;
    }
    const int slot = m_currentEvent;
    EventSettings changed = m_model.eventSettings[static_cast<size_t>(slot)];
    changed.timeEnable = settings.timeEnable;
    changed.time = settings.time;
    SettingsEdit edit{slot, m_model.eventSettings[static_cast<size_t>(slot)], changed};
    applyEventSettings(slot, changed);
    recordEdit(edit);
}

std::optional<EventSettings> ProjectSession::beginAppendSettings() const {
    if (!m_projectOpen || !ConfigModel::isValidSlot(m_currentEvent) || m_currentEvent % 3 == 2) {
        return std::nullopt;
    }
    return m_model.eventSettings[static_cast<size_t>(m_currentEvent)];
}

void ProjectSession::commitAppendSettings(const EventSettings& settings) {
    if (!beginAppendSettings()) {
        return;
    }
    const int slot = m_currentEvent;
    EventSettings changed = m_model.eventSettings[static_cast<size_t>(slot)];
    changed.addEnable = settings.addEnable;
    changed.addTimeOut = settings.addTimeOut;
    changed.addIsSend = settings.addIsSend;
    changed.addString = settings.addString;
    SettingsEdit edit{slot, m_model.eventSettings[static_cast<size_t>(slot)], changed};
    applyEventSettings(slot, changed);
    recordEdit(edit);
}

void ProjectSession::applyEnum(const EnumVariable& variable) {
    std::optional<int> key = rows::keyOfIndex(variable.index);
    if (!key) {
        return;
    }
    m_model.setEnum(*key, variable);
    showEnumRow(*key);
    m_db->updateEnum(variable);
}

void ProjectSession::applyVariable(const Variable& variable) {
    std::optional<int> key = rows::keyOfIndex(variable.index);
    if (!key) {
        return;
    }
    m_model.setVariable(*key, variable);
    showVariableRow(*key);
    m_db->updateVariable(variable);
}

void ProjectSession::applyNetTarget(const NetTarget& target) {
    std::optional<int> key = rows::keyOfIndex(target.index);
    if (!key) {
        return;
    }
    m_model.setNetTarget(*key, target);
    showNetTargetRow(*key);
    m_db->updateNetTarget(target);
}

void ProjectSession::postBarrier(int64_t token) {
    m_db->postBarrier(token);
}

bool ProjectSession::shutdown(int timeoutMs) {
    if (m_shutDown) {
        return true;
    }
    m_shutDown = true;
    return m_db->quit(timeoutMs);
}

}  // namespace velk
