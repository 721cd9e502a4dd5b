#include "ui/app/CVelkView.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QUndoStack>

#include "device/PanelAddress.h"
#include "session/EventOverview.h"
#include "session/MessagePump.h"
#include "ui/app/AppSettings.h"
#include "ui/app/EventMarks.h"
#include "ui/app/FormDialogs.h"
#include "ui/app/FormLayout.h"
#include "ui/app/QtUiPoster.h"
#include "ui/common/ControlTips.h"
#include "ui/common/FileDialogs.h"
#include "ui/common/Ipv4Edit.h"
#include "ui/common/UiSeams.h"
#include "ui/dialogs/CWritingTip.h"
#include "ui/dialogs/Clogo.h"
#include "ui/dialogs/DialogSupport.h"

namespace velk::ui {
namespace {

template <size_t N>
QStringList qtTexts(const std::array<std::string, N>& texts) {
    QStringList result;
    for (const std::string& text : texts) {
        result << QString::fromStdString(text);
    }
    return result;
}

const QString kNoProject = QStringLiteral("请先新建或打开项目");
const QString kNotConnected = QStringLiteral("请先连接面板");
const QString kNoTimeSetting = QStringLiteral("按下和变低事件没有时间设置");
const QString kNoAppendSetting = QStringLiteral("保持和拉低事件没有追加设置");

}  // namespace

CVelkView::CVelkView(QWidget* parent) : QWidget(parent) {
    m_controls = buildMainForm(this);
    auto* logo = new Clogo(this);
    logo->setGeometry(405, 29, 495, 571);
    // The logo paints over part of the form; clicks go to the controls below it.
    logo->setAttribute(Qt::WA_TransparentForMouseEvents);
    logo->lower();
    m_controls.logo = logo;

    m_poster = std::make_unique<QtUiPoster>(this, [this](const ViewMessage& message) {
        if (!m_shutDown) {
            m_session->handle(message);
        }
        if (message.id == WM_DB_BARRIER && message.wParam == m_awaitedBarrier) {
            m_barrierSeen = true;
        }
    });
    m_session = std::make_unique<Session>(*this, *m_poster, m_clock);
    m_undoStack = new QUndoStack(this);

    m_controls.ipEdit->setAddress(m_session->device().panelIp());
    acceptDigitsOnly(*m_controls.irIdEdit);
    m_controls.selectorButtons[0]->setChecked(true);
    connectControls();
    setUpKeys();
    setUpUndo();
    enableDeviceControls(false);
    enableProjectControls(false);
    m_session->project().selectEvent(0);
    setMinimumSize(kFormMinimumSize);
}

CVelkView::~CVelkView() {
    shutdown();
}

void CVelkView::shutdown() {
    if (m_shutDown) {
        return;
    }
    m_session->shutdown();
    m_shutDown = true;
}

bool CVelkView::settleProjectFile(int timeoutMs) {
    m_awaitedBarrier = nextBarrierToken();
    m_barrierSeen = false;
    m_session->project().postBarrier(m_awaitedBarrier);
    QDeadlineTimer deadline(timeoutMs);
    while (!m_barrierSeen && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    // What the rows brought is drawn once they are in (the overview).
    QCoreApplication::processEvents();
    return m_barrierSeen;
}

void CVelkView::setPanelAddress(uint32_t ip, int port) {
    // The address the program starts with is the one 新建 and 打开 go back to until a connection.
    m_session->device().setPanelIp(ip);
    m_controls.ipEdit->setAddress(ip);
    m_controls.portEdit->setText(QString::number(port));
}

void CVelkView::openProjectFile(const QString& path) {
    if (!leaveUnsavedEdits()) {
        return;
    }
    const std::string question = ProjectSession::openQuestion(path.toStdString());
    if (!question.empty() && !askQuestion(this, QStringLiteral("提示"), QString::fromStdString(question))) {
        return;
    }
    m_session->project().openProject(path.toStdString());
}

void CVelkView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutMainForm(m_controls, size());
}

void CVelkView::connectControls() {
    MainFormControls& c = m_controls;
    ProjectSession& project = m_session->project();
    DeviceSession& device = m_session->device();
    connect(c.newButton, &QPushButton::clicked, this, [this] { onNewProject(); });
    connect(c.openButton, &QPushButton::clicked, this, [this] { onOpenProject(); });
    connect(c.aboutButton, &QPushButton::clicked, this, [this] { runAboutBox(this); });
    connect(c.writeButton, &QPushButton::clicked, this, [this, &device] {
        if (writeDespiteUnsavedEdits()) {
            device.write();
        }
    });
    connect(c.networkButton, &QPushButton::clicked, this, [&device] { device.requestPanelNetwork(); });
    connect(c.learnIrButton, &QPushButton::clicked, this,
            [this, &device] { device.learnIr(m_controls.irIdEdit->text().toStdString()); });
    connect(c.connectButton, &QPushButton::clicked, this, [this, &device] {
        device.connectOrDisconnect(m_controls.ipEdit->address(),
                                   portEditValue(m_controls.portEdit->text().toStdString()));
    });
    // "192.168.1.165:4800" pasted into the address brings its port along.
    connect(c.ipEdit, &Ipv4Edit::addressPasted, this, [this](uint32_t, int port) {
        if (port >= 0) {
            m_controls.portEdit->setText(QString::number(port));
        }
    });

    connect(c.enumModify, &QPushButton::clicked, this, [this] { onModifyEnum(); });
    connect(c.enumClear, &QPushButton::clicked, this,
            [this, &project] { project.clearEnum(firstSelectedRow(m_controls.enumList)); });
    connect(c.variableModify, &QPushButton::clicked, this, [this] { onModifyVariable(); });
    connect(c.variableClear, &QPushButton::clicked, this,
            [this, &project] { project.clearVariable(firstSelectedRow(m_controls.variableList)); });
    connect(c.netModify, &QPushButton::clicked, this, [this] { onModifyNetTarget(); });
    connect(c.netClear, &QPushButton::clicked, this,
            [this, &project] { project.clearNetTarget(firstSelectedRow(m_controls.netList)); });
    connect(c.actionAdd, &QPushButton::clicked, this, [this] { onAddAction(); });
    connect(c.actionModify, &QPushButton::clicked, this, [this] { onModifyAction(); });
    connect(c.actionDelete, &QPushButton::clicked, this,
            [this, &project] { project.deleteAction(firstSelectedRow(m_controls.actionList)); });
    connect(c.timeButton, &QPushButton::clicked, this, [this] { onTimeSettings(); });
    connect(c.appendButton, &QPushButton::clicked, this, [this] { onAppendSettings(); });
    connect(c.selectors, &QButtonGroup::idClicked, this, [&project](int slot) { project.selectEvent(slot); });

    // A double click anywhere in a list, rows or empty area, is the list's modify (or add) command.
    for (QTableWidget* list : {c.enumList, c.variableList, c.netList, c.actionList}) {
        list->viewport()->installEventFilter(this);
    }
}

bool CVelkView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        const MainFormControls& c = m_controls;
        if (watched == c.enumList->viewport()) {
            onModifyEnum();
            return true;
        }
        if (watched == c.variableList->viewport()) {
            onModifyVariable();
            return true;
        }
        if (watched == c.netList->viewport()) {
            onModifyNetTarget();
            return true;
        }
        if (watched == c.actionList->viewport()) {
            onActionListDoubleClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CVelkView::enableProjectControls(bool enable) {
    MainFormControls& c = m_controls;
    for (QWidget* widget : std::initializer_list<QWidget*>{
             c.enumList, c.variableList, c.netList, c.actionList, c.ipLabel, c.ipEdit, c.portLabel,
             c.portEdit, c.connectButton, c.enumClear, c.enumModify, c.variableClear, c.variableModify,
             c.actionAdd, c.actionDelete, c.actionModify, c.netClear, c.netModify}) {
        setEnabledExplained(widget, enable, kNoProject);
    }
    for (QRadioButton* selector : c.selectorButtons) {
        setEnabledExplained(selector, enable, kNoProject);
    }
}

void CVelkView::enableDeviceControls(bool enable) {
    MainFormControls& c = m_controls;
    const QString why = m_projectOpen ? kNotConnected : kNoProject + QStringLiteral("，再连接面板");
    for (QWidget* widget : std::initializer_list<QWidget*>{c.writeButton, c.irIdLabel, c.irIdEdit,
                                                           c.learnIrButton, c.networkButton}) {
        setEnabledExplained(widget, enable, why);
    }
}

void CVelkView::onNewProject() {
    if (!leaveUnsavedEdits()) {
        return;
    }
    QString path = chooseNewProjectFile(this);
    if (!path.isEmpty()) {
        m_session->project().newProject(path.toStdString());
    }
}

void CVelkView::onOpenProject() {
    QString path = chooseProjectFileToOpen(this);
    if (!path.isEmpty()) {
        openProjectFile(path);
    }
}

void CVelkView::onModifyEnum() {
    ProjectSession& project = m_session->project();
    int row = firstSelectedRow(m_controls.enumList);
    auto record = project.beginModifyEnum(row);
    if (!record) {
        return;
    }
    if (auto result = runEnumDialog(this, *record, row)) {
        project.commitEnum(*result);
    }
}

void CVelkView::onModifyVariable() {
    ProjectSession& project = m_session->project();
    int row = firstSelectedRow(m_controls.variableList);
    auto record = project.beginModifyVariable(row);
    if (!record) {
        return;
    }
    if (auto result = runVariableDialog(this, *record, row)) {
        project.commitVariable(*result);
    }
}

void CVelkView::onModifyNetTarget() {
    ProjectSession& project = m_session->project();
    int row = firstSelectedRow(m_controls.netList);
    auto record = project.beginModifyNetTarget(row);
    if (!record) {
        return;
    }
    if (auto result = runNetTargetDialog(this, *record, row)) {
        project.commitNetTarget(*result);
    }
}

void CVelkView::onAddAction() {
    ProjectSession& project = m_session->project();
    auto request = project.beginAddAction();
    if (!request) {
        return;
    }
    if (auto action = runActionEditor(this, project.model(), *request)) {
        project.commitAddAction(*action);
    }
}

void CVelkView::onModifyAction() {
    ProjectSession& project = m_session->project();
    auto request = project.beginModifyAction(firstSelectedRow(m_controls.actionList));
    if (!request) {
        return;
    }
    if (auto action = runActionEditor(this, project.model(), *request)) {
        project.commitModifyAction(request->row, *action);
    }
}

void CVelkView::onActionListDoubleClick() {
    if (m_session->project().actionDoubleClickAdds(firstSelectedRow(m_controls.actionList))) {
        onAddAction();
    } else {
        onModifyAction();
    }
}

void CVelkView::onTimeSettings() {
    ProjectSession& project = m_session->project();
    if (auto settings = project.beginTimeSettings()) {
        if (auto result = runTimeDialog(this, *settings)) {
            project.commitTimeSettings(*result);
        }
    }
}

void CVelkView::onAppendSettings() {
    ProjectSession& project = m_session->project();
    if (auto settings = project.beginAppendSettings()) {
        if (auto result = runAppendDialog(this, *settings)) {
            project.commitAppendSettings(*result);
        }
    }
}

void CVelkView::showPanelNetworkDialog(const PanelNetworkReply& reply) {
    if (auto edited = runPanelNetworkDialog(this, reply)) {
        m_session->device().applyPanelNetwork(reply, *edited);
    }
}

void CVelkView::enumRowChanged(int row, const EnumRowTexts& texts) {
    setRowTexts(m_controls.enumList, row, qtTexts(texts));
}

void CVelkView::variableRowChanged(int row, const VariableRowTexts& texts) {
    setRowTexts(m_controls.variableList, row, qtTexts(texts));
}

void CVelkView::netTargetRowChanged(int row, const NetTargetRowTexts& texts) {
    setRowTexts(m_controls.netList, row, qtTexts(texts));
}

void CVelkView::actionListFilled(const std::vector<ActionRowTexts>& rows) {
    QTableWidget* list = m_controls.actionList;
    list->clearSelection();
    list->setRowCount(static_cast<int>(rows.size()));
    for (size_t row = 0; row < rows.size(); ++row) {
        setRowTexts(list, static_cast<int>(row), qtTexts(rows[row]));
    }
}

void CVelkView::actionRowAppended(const ActionRowTexts& texts) {
    QTableWidget* list = m_controls.actionList;
    int row = list->rowCount();
    list->insertRow(row);
    setRowTexts(list, row, qtTexts(texts));
}

void CVelkView::actionRowChanged(int row, const ActionRowTexts& texts) {
    setRowTexts(m_controls.actionList, row, qtTexts(texts));
}

void CVelkView::actionRowRemoved(int row) {
    if (row >= 0 && row < m_controls.actionList->rowCount()) {
        m_controls.actionList->removeRow(row);
    }
}

void CVelkView::eventSettingsShown(const EventSettingsTexts& texts) {
    m_controls.timeText->setText(QString::fromStdString(texts.timeText));
    m_controls.appendLine1->setText(QString::fromStdString(texts.appendLine1));
    m_controls.appendLine2->setText(QString::fromStdString(texts.appendLine2));
    const int slot = m_session ? m_session->project().currentEvent() : 0;
    setEnabledExplained(m_controls.timeButton, texts.timeButtonEnabled,
                        !m_projectOpen  ? kNoProject
                        : slot % 3 == 0 ? kNoTimeSetting
                                        : QString());
    setEnabledExplained(m_controls.appendButton, texts.appendButtonEnabled,
                        !m_projectOpen  ? kNoProject
                        : slot % 3 == 2 ? kNoAppendSetting
                                        : QString());
}

void CVelkView::currentEventChanged(int slot) {
    if (slot >= 0 && slot < static_cast<int>(m_controls.selectorButtons.size())) {
        m_controls.selectorButtons[static_cast<size_t>(slot)]->setChecked(true);
    }
}

void CVelkView::projectOpened(const std::string& utf8Path) {
    m_projectOpen = true;
    m_controls.pathEdit->setText(QString::fromStdString(utf8Path));
    // A typed address nobody connected to is not kept: the control shows the session's panel.
    if (m_session) {
        m_controls.ipEdit->setAddress(m_session->device().panelIp());
    }
    enableProjectControls(true);
    enableDeviceControls(m_session && m_session->device().linkState() == LinkState::Connected);
    // Each project has its own history.
    m_undoStack->clear();
    rememberRecentProject(QString::fromStdString(utf8Path));
}

void CVelkView::linkStateChanged(LinkState state) {
    bool connected = state == LinkState::Connected;
    m_controls.connectButton->setText(connected ? QStringLiteral("断开") : QStringLiteral("连接"));
    enableDeviceControls(connected);
}

void CVelkView::linkNoticeChanged(const std::string& utf8) {
    QLabel* notice = m_controls.linkNotice;
    notice->setText(QString::fromStdString(utf8));
    const std::string& detail = m_session ? m_session->device().lastLinkError() : std::string();
    notice->setToolTip(utf8.empty() || detail.empty()
                           ? notice->text()
                           : notice->text() + QStringLiteral("\n") + QString::fromStdString(detail));
}

void CVelkView::eventContentChanged(int slot) {
    if (slot < 0 || slot >= kSelectableSlots) {
        return;
    }
    m_staleOverviews.insert(slot);
    // A load reports slot after slot; the overview is drawn once the rows have been taken.
    if (!m_overviewQueued) {
        m_overviewQueued = true;
        QTimer::singleShot(0, this, [this] { refreshOverviews(); });
    }
}

void CVelkView::refreshOverviews() {
    m_overviewQueued = false;
    if (!m_session) {
        return;
    }
    for (int slot : m_staleOverviews) {
        const EventOverview overview = eventOverview(m_session->project().model(), slot);
        m_controls.eventMarks[static_cast<size_t>(slot / 3)]->setOverview(slot % 3, overview);
        setEnabledToolTip(m_controls.selectorButtons[static_cast<size_t>(slot)],
                          QString::fromStdString(overview.tooltip));
    }
    m_staleOverviews.clear();
}

void CVelkView::writeStarted() {
    delete m_pWritingTip;
    m_pWritingTip = new CWritingTip(this);
    // Modal to the form without a nested event loop, so posted messages keep flowing.
    m_pWritingTip->setWindowModality(Qt::ApplicationModal);
    m_pWritingTip->show();
}

void CVelkView::writeProgress(int position) {
    if (m_pWritingTip) {
        m_pWritingTip->setPosition(position);
    }
}

void CVelkView::writeEnded() {
    if (m_pWritingTip) {
        m_pWritingTip->finish();
        m_pWritingTip->deleteLater();
        m_pWritingTip = nullptr;
    }
}

void CVelkView::message(MessageTitle title, const std::string& text) {
    showMessage(this, title == MessageTitle::Error ? QStringLiteral("错误") : QStringLiteral("提示"),
                QString::fromStdString(text));
}

void CVelkView::panelNetworkReceived(const PanelNetworkReply& reply) {
    // Leave the message handler before the dialog's own loop starts.
    QTimer::singleShot(0, this, [this, reply] { showPanelNetworkDialog(reply); });
}

}  // namespace velk::ui
