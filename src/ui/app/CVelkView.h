#pragma once

#include <QWidget>
#include <memory>
#include <set>

#include "device/PacingClock.h"
#include "session/Session.h"
#include "session/SessionObserver.h"
#include "ui/app/MainFormControls.h"

class QMenu;
class QTableWidget;
class QUndoCommand;
class QUndoStack;

namespace velk::ui {

class QtUiPoster;
class CWritingTip;

// The main form: shows what the session reports and forwards every click to it. Around the
// designed form it keeps the undo stack of the open project, copies and pastes actions, offers
// the keyboard commands and the recent projects, and shows an overview of every event.
class CVelkView : public QWidget, public SessionObserver {
    Q_OBJECT
public:
    explicit CVelkView(QWidget* parent = nullptr);
    ~CVelkView() override;

    Session& session() { return *m_session; }
    const MainFormControls& controls() const { return m_controls; }

    // The panel address typed in the form (from --panel); the form keeps the default panel otherwise.
    void setPanelAddress(uint32_t ip, int port);
    // Opens a project as 打开 does after its file dialog (the command line's file, a recent project):
    // a database of another program is opened only when the user agrees.
    void openProjectFile(const QString& path);
    // Closes the link and lets the database worker finish what is queued (at most 20 s).
    void shutdown();
    // Runs the event loop until every statement queued so far has run and its rows have been
    // taken (tests and measurements wait on it). False on time-out.
    bool settleProjectFile(int timeoutMs = 20000);

    // The open project's edits, cleared by 新建 and 打开.
    QUndoStack& undoStack() { return *m_undoStack; }
    // Ctrl+C: the selected actions of the current event, or all of them when none is selected.
    void copyActions();
    // Ctrl+V: the actions on the clipboard into the current event, as one step of the undo stack.
    void pasteActions();
    // Ctrl+Up / Ctrl+Down: the selected action changes places with its neighbour (step -1 or +1),
    // one step of the undo stack; it stays selected.
    void moveSelectedAction(int step);
    // The menu a right click on the action list shows: 上移 and 下移, enabled where they can move.
    std::unique_ptr<QMenu> makeActionMenu();
    // The menu of recent projects that the 打开 button shows on a right click.
    std::unique_ptr<QMenu> makeRecentMenu();
    // F1: the user guide, where the about box finds it.
    void openGuide();
    // Ctrl+F, or 查找面板 on 连接's right-click menu: the chosen panel's address and port into the
    // address fields. Only while 连接 can be pressed, as the address is what it connects to.
    void findPanel();

    // 另存为 (Ctrl+Shift+S): the window's configuration as a new project file, which becomes the
    // open project. False when cancelled or refused.
    bool saveProjectAs();
    // Opens the project from disk again, after asking when that drops unsaved edits.
    void reopenFromDisk();
    // Before the window closes or another project replaces this one: true to go on. While edits
    // are not in the file, offers 另存为 first.
    bool leaveUnsavedEdits();
    // Before 写入: true to go on; asks while edits are not in the file.
    bool writeDespiteUnsavedEdits();
    // The window came to the front: the file is compared with what velk left, held edits retried.
    void windowActivated();

    // SessionObserver
    void enumRowChanged(int row, const EnumRowTexts& texts) override;
    void variableRowChanged(int row, const VariableRowTexts& texts) override;
    void netTargetRowChanged(int row, const NetTargetRowTexts& texts) override;
    void actionListFilled(const std::vector<ActionRowTexts>& rows) override;
    void actionRowAppended(const ActionRowTexts& texts) override;
    void actionRowChanged(int row, const ActionRowTexts& texts) override;
    void actionRowRemoved(int row) override;
    void eventSettingsShown(const EventSettingsTexts& texts) override;
    void currentEventChanged(int slot) override;
    void projectOpened(const std::string& utf8Path) override;
    void linkStateChanged(LinkState state) override;
    void linkNoticeChanged(const std::string& utf8) override;
    void eventContentChanged(int slot) override;
    void saveStateChanged(const SaveState& state) override;
    void writeStarted() override;
    void writeProgress(int position) override;
    void writeEnded() override;
    void message(MessageTitle title, const std::string& text) override;
    void panelNetworkReceived(const PanelNetworkReply& reply) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void connectControls();
    void setUpKeys();
    void setUpUndo();
    void enableProjectControls(bool enable);
    void enableDeviceControls(bool enable);
    void refreshOverviews();
    void showEdit(const ProjectEdit& edit, bool after);
    void addSavingEntries(QMenu& menu);

    void onNewProject();
    void onOpenProject();
    void onModifyEnum();
    void onModifyVariable();
    void onModifyNetTarget();
    void onAddAction();
    void onModifyAction();
    void onActionListDoubleClick();
    void onTimeSettings();
    void onAppendSettings();
    void showPanelNetworkDialog(const PanelNetworkReply& reply);

    MainFormControls m_controls;
    SystemClock m_clock;
    std::unique_ptr<QtUiPoster> m_poster;
    std::unique_ptr<Session> m_session;
    QUndoStack* m_undoStack = nullptr;
    std::unique_ptr<QUndoCommand> m_pasteStep;  // collects the edits of one paste
    CWritingTip* m_pWritingTip = nullptr;
    std::set<int> m_staleOverviews;  // slots whose overview is to be redrawn
    bool m_overviewQueued = false;
    bool m_projectOpen = false;
    bool m_shutDown = false;
    int64_t m_awaitedBarrier = 0;
    bool m_barrierSeen = false;
    QString m_baseTitle;  // the window's title while every edit is saved
};

}  // namespace velk::ui
