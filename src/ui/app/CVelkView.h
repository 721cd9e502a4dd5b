#pragma once

#include <QWidget>
#include <memory>

#include "device/PacingClock.h"
#include "session/Session.h"
#include "session/SessionObserver.h"
#include "ui/app/MainFormControls.h"

class QTableWidget;

namespace velk::ui {

class QtUiPoster;
class CWritingTip;

// The main form: shows what the session reports and forwards every click to it.
class CVelkView : public QWidget, public SessionObserver {
    Q_OBJECT
public:
    explicit CVelkView(QWidget* parent = nullptr);
    ~CVelkView() override;

    Session& session() { return *m_session; }
    const MainFormControls& controls() const { return m_controls; }

    // The panel address typed in the form (from --panel); the form keeps the default panel otherwise.
    void setPanelAddress(uint32_t ip, int port);
    // Opens a project as 打开 does, without the file dialog (the command line's file).
    void openProjectFile(const QString& path);
    // Closes the link and lets the database worker finish what is queued (at most 20 s).
    void shutdown();

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
    void writeStarted() override;
    void writeProgress(int position) override;
    void writeEnded() override;
    void message(MessageTitle title, const std::string& text) override;
    void panelNetworkReceived(const PanelNetworkReply& reply) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    void enableProjectControls(bool enable);
    void enableDeviceControls(bool enable);

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
    void onAbout();
    void showPanelNetworkDialog(const PanelNetworkReply& reply);

    MainFormControls m_controls;
    SystemClock m_clock;
    std::unique_ptr<QtUiPoster> m_poster;
    std::unique_ptr<Session> m_session;
    CWritingTip* m_pWritingTip = nullptr;
    bool m_shutDown = false;
};

}  // namespace velk::ui
