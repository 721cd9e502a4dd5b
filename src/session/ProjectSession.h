#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/ConfigModel.h"
#include "model/UiPoster.h"
#include "session/ProjectEdit.h"
#include "session/SessionObserver.h"

namespace velk {

class ProjectDb;
class ProjectLock;

// What the main form does with the project, without widgets: owns the model and the project
// file, runs every list command and reports what the form shows to the observer. Runs on the
// user-interface thread only; statements go to the database worker and are never waited for.
class ProjectSession {
public:
    ProjectSession(SessionObserver& observer, UiPoster& poster);
    ~ProjectSession();
    ProjectSession(const ProjectSession&) = delete;
    ProjectSession& operator=(const ProjectSession&) = delete;

    // 新建 and 打开 with the path the file dialog returned (UTF-8). False, after telling the user
    // why, when the file cannot be opened or created; the previous project then stays open.
    bool newProject(const std::string& utf8Path);
    bool openProject(const std::string& utf8Path);
    bool projectOpen() const { return m_projectOpen; }
    // Before 打开: the question to ask when the file is a database of another program, which Open
    // would add the project's tables to (UTF-8); empty when Open needs no consent.
    static std::string openQuestion(const std::string& utf8Path);
    const std::string& projectPath() const { return m_path; }

    // Whether every edit is in the file (see SaveState); while not, the form says why.
    const SaveState& saveState() const { return m_saveState; }
    bool hasUnsavedEdits() const { return !m_saveState.saved(); }
    // Tries the held statements again, in their order (the user asks; the next edit does too).
    void retryWrites();
    // Compares the file with what velk left (the window came to the front); a change is told
    // through the save state.
    void checkFile();
    // 另存为: the window's configuration written through the program's statements as a new
    // project file at utf8Path (replacing one there), which then becomes the open project. False,
    // after telling the user why, when it could not be written; the open project stays.
    bool saveAs(const std::string& utf8Path);
    // Opens the project's file again from disk, dropping what the window did not save.
    bool reopenProject();

    ConfigModel& model() { return m_model; }
    const ConfigModel& model() const { return m_model; }

    // The event selector clicked; slots 0..29.
    void selectEvent(int slot);
    int currentEvent() const { return m_currentEvent; }

    // WM_ROW_*, WM_DB_ERROR and WM_DB_BARRIER from the database worker.
    void handle(const ViewMessage& message);

    // List commands. The view passes the first selected row (-1 when none); a begin* call shows
    // the selection message and returns nothing, or returns the record the dialog edits. The
    // commit* call takes the record the dialog returned on OK.
    std::optional<EnumVariable> beginModifyEnum(int selectedRow);
    void commitEnum(const EnumVariable& result);
    void clearEnum(int selectedRow);
    std::optional<Variable> beginModifyVariable(int selectedRow);
    void commitVariable(const Variable& result);
    void clearVariable(int selectedRow);
    std::optional<NetTarget> beginModifyNetTarget(int selectedRow);
    void commitNetTarget(const NetTarget& result);
    void clearNetTarget(int selectedRow);

    struct ActionEditRequest {
        int slot = 0;
        int disabledFunctions = 0;        // the editor's m_disabledFunctions
        std::optional<KeyAction> source;  // the action modified; none when adding
        int row = -1;                     // its row when modifying
    };
    std::optional<ActionEditRequest> beginAddAction();
    void commitAddAction(const KeyAction& action);
    std::optional<ActionEditRequest> beginModifyAction(int selectedRow);
    void commitModifyAction(int row, const KeyAction& action);
    void deleteAction(int selectedRow);
    // Ctrl+Up / Ctrl+Down: the action at row changes places with the one above (step -1) or below
    // (+1). Ids stay in their rows, in order: the two rows' contents are swapped and each is written
    // by its row's update. The moved action's new row, or -1 when it cannot move that way.
    int moveAction(int row, int step);
    // A double click in the action list adds when the slot is empty or nothing is selected.
    bool actionDoubleClickAdds(int selectedRow) const;

    // 时间设置 and 追加设置: the current event's record for the dialog, or nothing when the
    // button is disabled for it; commit takes the record the dialog returned.
    std::optional<EventSettings> beginTimeSettings() const;
    void commitTimeSettings(const EventSettings& settings);
    std::optional<EventSettings> beginAppendSettings() const;
    void commitAppendSettings(const EventSettings& settings);

    // Ctrl+V: the actions go to the current event as the add command would add them, in order and
    // each with a new id; one the event cannot take (Refusal of rules::addProblem) is left out, and
    // the user is told which and why in one message.
    struct PasteResult {
        int added = 0;
        std::vector<std::pair<KeyAction, std::string>> refused;  // the action and the reason
    };
    PasteResult pasteActions(const std::vector<KeyAction>& actions);

    // Every edit the user makes (list commands, dialogs, pastes) once it is queued for the file, for
    // an undo stack. Rows a load or the panel brings and the addressed calls below are not edits.
    using EditListener = std::function<void(const ProjectEdit&)>;
    void setEditListener(EditListener listener) { m_editListener = std::move(listener); }

    // Records written where they belong: model, list row and project file, by the statement the
    // same change made by hand writes. The panel's replies use the first three; undo and redo all.
    // The action and settings calls select the event they change, so the user sees it; each is
    // false, changing nothing, when the project has no such slot, row or id.
    void applyEnum(const EnumVariable& variable);
    void applyVariable(const Variable& variable);
    void applyNetTarget(const NetTarget& target);
    // The key-table insert of the action with its own id, at its id's place in the list.
    bool insertActionById(int slot, const KeyAction& action);
    bool replaceActionById(int slot, int id, const KeyAction& action);
    bool removeActionById(int slot, int id);
    bool applyEventSettings(int slot, const EventSettings& settings);
    // The row of the action with this id in its slot's list, or -1.
    int actionRow(int slot, int id) const;

    // WM_DB_BARRIER with the token arrives once every statement queued before it has run. Tokens
    // must not be negative: negative ones mark where a project's rows begin.
    void postBarrier(int64_t token);

    // DB_QUIT, then wait at most timeoutMs for the worker to finish what is queued.
    bool shutdown(int timeoutMs = 20000);

    // The worker and the open project's table handles (tests watch the statements through it).
    ProjectDb& database() { return *m_db; }

private:
    bool attachProject(const std::string& utf8Path, bool emptyFirst);
    void resetModel();
    void fillActionList(int slot);
    void showEventSettings(int slot);
    void showEnumRow(int key);
    void showVariableRow(int key);
    void showNetTargetRow(int key);
    void loadRow(const ViewMessage& message);
    void reportDbError(const ViewMessage& message);
    void noteHeld(const ViewMessage& message);
    void setSaveState(SaveState state);
    // Whether selectedRow names a row of a list of count rows that can be modified or cleared;
    // an empty selection is told with refusal.
    bool selectedListRow(int selectedRow, int count, const char* refusal);
    void recordEdit(const ProjectEdit& edit);
    // Shows the slot as the current event when the form offers it (undo, redo).
    void showSlot(int slot);
    // A new action (its id given) into the list at its id's place: the end, but for damaged files.
    void appendAction(int slot, KeyAction action);
    // The event slots of the form changed: every slot's content (a reset) or one.
    void allContentChanged();

    SessionObserver& m_observer;
    UiPoster& m_poster;
    ConfigModel m_model;
    std::unique_ptr<ProjectDb> m_db;
    bool m_projectOpen = false;
    std::string m_path;
    int m_currentEvent = 0;
    // Rows are taken only after the open project's gate barrier: rows still on their way from an
    // earlier project are dropped.
    bool m_rowsAccepted = false;
    std::set<int64_t> m_errorReported;    // generations whose write failure the user has been told of
    std::unique_ptr<ProjectLock> m_lock;  // the open project's, while it is open
    SaveState m_saveState;
    EditListener m_editListener;
    bool m_shutDown = false;
};

}  // namespace velk
