// Whether the edits reach the project file: the window's state while they do not, and the ways
// out (retry, 另存为, reopening from disk), with the questions asked before a write, a close, or
// another project would lose or contradict what the file does not hold.
#include <QLineEdit>
#include <QMenu>

#include "ui/app/CVelkView.h"
#include "ui/common/FileDialogs.h"
#include "ui/common/UiSeams.h"

namespace velk::ui {
namespace {

const QString kTitle = QStringLiteral("提示");

QString unsavedText(const SaveState& state) {
    if (state.fileLost) {
        return QStringLiteral("项目文件不再写入：%1").arg(QString::fromStdString(state.reason));
    }
    return QStringLiteral("%1 项修改未保存：%2").arg(state.pending).arg(QString::fromStdString(state.reason));
}

}  // namespace

void CVelkView::saveStateChanged(const SaveState& state) {
    QWidget* top = window();
    if (m_baseTitle.isNull()) {
        m_baseTitle = top->windowTitle();
    }
    QLineEdit* path = m_controls.pathEdit;
    if (state.saved()) {
        top->setWindowTitle(m_baseTitle);
        path->setStyleSheet(QString());
        path->setToolTip(path->text());
        return;
    }
    // The title and the path field say it for as long as it lasts; neither moves a control.
    const QString text = unsavedText(state);
    top->setWindowTitle(QStringLiteral("%1 — %2").arg(m_baseTitle, text));
    path->setStyleSheet(QStringLiteral("QLineEdit { color: #b00000; }"));
    path->setToolTip(text +
                     QStringLiteral("\n右键单击“打开”：另存为（Ctrl+Shift+S）、重试保存、从磁盘重新打开"));
}

void CVelkView::windowActivated() {
    if (!m_shutDown) {
        ProjectSession& project = m_session->project();
        project.checkFile();
        project.retryWrites();
    }
}

bool CVelkView::saveProjectAs() {
    ProjectSession& project = m_session->project();
    if (!project.projectOpen()) {
        return false;
    }
    const QString path = chooseNewProjectFile(this);
    return !path.isEmpty() && project.saveAs(path.toStdString());
}

void CVelkView::reopenFromDisk() {
    ProjectSession& project = m_session->project();
    if (!project.projectOpen()) {
        return;
    }
    if (project.hasUnsavedEdits() &&
        !askQuestion(this, kTitle, QStringLiteral("从磁盘重新打开项目，放弃窗口中没有保存的修改吗？"))) {
        return;
    }
    project.reopenProject();
}

bool CVelkView::leaveUnsavedEdits() {
    const SaveState& state = m_session->project().saveState();
    if (state.saved()) {
        return true;
    }
    const QString question =
        QStringLiteral(
            "项目文件中没有保存最近的修改（%1）。\n先把窗口中的配置另存为新的项目文件吗？\n"
            "选“否”将放弃这些修改。")
            .arg(QString::fromStdString(state.reason));
    if (!askQuestion(this, kTitle, question)) {
        return true;
    }
    return saveProjectAs();
}

bool CVelkView::writeDespiteUnsavedEdits() {
    return m_session->project().saveState().saved() ||
           askQuestion(this, kTitle, QStringLiteral("项目文件中没有保存最近的修改，仍然写入面板吗？"));
}

void CVelkView::addSavingEntries(QMenu& menu) {
    ProjectSession& project = m_session->project();
    QAction* saveAs = menu.addAction(QStringLiteral("另存为…\tCtrl+Shift+S"));
    saveAs->setEnabled(project.projectOpen());
    connect(saveAs, &QAction::triggered, this, [this] { saveProjectAs(); });
    const SaveState& state = project.saveState();
    QAction* retry = menu.addAction(QStringLiteral("重试保存"));
    retry->setEnabled(!state.saved() && !state.fileLost);
    connect(retry, &QAction::triggered, this, [this] { m_session->project().retryWrites(); });
    QAction* reopen = menu.addAction(QStringLiteral("从磁盘重新打开"));
    reopen->setEnabled(project.projectOpen());
    connect(reopen, &QAction::triggered, this, [this] { reopenFromDisk(); });
}

}  // namespace velk::ui
