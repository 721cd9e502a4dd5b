// The main form's keyboard commands, its undo stack, copy and paste of actions, the recent
// projects of the 打开 button and 查找面板 on the 连接 button.
#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QUndoStack>

#include "model/ConfigModel.h"
#include "ui/app/ActionClipboard.h"
#include "ui/app/AppSettings.h"
#include "ui/app/CVelkView.h"
#include "ui/app/EditCommand.h"
#include "ui/app/FormDialogs.h"
#include "ui/common/ControlTips.h"
#include "ui/common/UiSeams.h"
#include "ui/dialogs/CAboutDlg.h"
#include "ui/dialogs/CHyperLink.h"

namespace velk::ui {
namespace {

void selectListRow(QTableWidget* list, int row) {
    if (row >= 0 && row < list->rowCount()) {
        list->selectRow(row);
        list->scrollToItem(list->item(row, 0));
    }
}

}  // namespace

void CVelkView::setUpKeys() {
    MainFormControls& c = m_controls;
    auto windowKey = [this](const QList<QKeySequence>& keys, auto handler) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
        return action;
    };
    // The buttons' own clicks, so a disabled button keeps the key from working too.
    windowKey({QKeySequence(Qt::CTRL | Qt::Key_N)}, [this] { m_controls.newButton->click(); });
    windowKey({QKeySequence(Qt::CTRL | Qt::Key_O)}, [this] { m_controls.openButton->click(); });
    windowKey({QKeySequence(Qt::Key_F1)}, [this] { openGuide(); });
    windowKey({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}, [this] { saveProjectAs(); });
    windowKey({QKeySequence(Qt::CTRL | Qt::Key_V)}, [this] { pasteActions(); });
    windowKey({QKeySequence(Qt::CTRL | Qt::Key_F)}, [this] { findPanel(); });

    // Keys of the action list while it has the focus.
    auto listKey = [this](const QKeySequence& key, auto handler) {
        auto* shortcut = new QShortcut(key, m_controls.actionList, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    listKey(QKeySequence(Qt::Key_Delete), [this] { m_controls.actionDelete->click(); });
    listKey(QKeySequence(Qt::Key_Return), [this] { m_controls.actionModify->click(); });
    listKey(QKeySequence(Qt::Key_Enter), [this] { m_controls.actionModify->click(); });
    listKey(QKeySequence(Qt::CTRL | Qt::Key_C), [this] { copyActions(); });
    listKey(QKeySequence(Qt::CTRL | Qt::Key_Up), [this] { moveSelectedAction(-1); });
    listKey(QKeySequence(Qt::CTRL | Qt::Key_Down), [this] { moveSelectedAction(1); });

    setEnabledToolTip(c.newButton, QStringLiteral("新建项目（Ctrl+N）"));
    setEnabledToolTip(c.openButton,
                      QStringLiteral("打开项目（Ctrl+O）；右键单击：最近打开的项目、另存为（Ctrl+Shift+S）"));
    setEnabledToolTip(c.connectButton, QStringLiteral("连接或断开面板；右键单击：查找面板（Ctrl+F）"));
    setEnabledToolTip(c.aboutButton, QStringLiteral("关于本程序（F1：用户指南）"));
    setEnabledToolTip(c.actionList, QStringLiteral("Enter：修改  Delete：删除  Ctrl+C：复制  Ctrl+V：粘贴  "
                                                   "Ctrl+Z：撤销  Ctrl+Y：重做  Ctrl+↑/↓：上移/下移"));

    c.openButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(c.openButton, &QPushButton::customContextMenuRequested, this, [this](const QPoint& at) {
        std::unique_ptr<QMenu> menu = makeRecentMenu();
        menu->exec(m_controls.openButton->mapToGlobal(at));
    });
    c.actionList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(c.actionList, &QTableWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        std::unique_ptr<QMenu> menu = makeActionMenu();
        menu->exec(m_controls.actionList->viewport()->mapToGlobal(at));
    });
    c.connectButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(c.connectButton, &QPushButton::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        QAction* find = menu.addAction(QStringLiteral("查找面板…"));
        find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
        connect(find, &QAction::triggered, this, [this] { findPanel(); });
        menu.exec(m_controls.connectButton->mapToGlobal(at));
    });
}

void CVelkView::findPanel() {
    if (!m_controls.connectButton->isEnabled()) {
        return;
    }
    const uint16_t port = portEditValue(m_controls.portEdit->text().toStdString());
    if (std::optional<FoundPanel> panel = runFindPanelDialog(this, port == 0 ? kDefaultPanelPort : port)) {
        setPanelAddress(panel->address, panel->port);
    }
}

void CVelkView::setUpUndo() {
    QAction* undo = m_undoStack->createUndoAction(this, QStringLiteral("撤销"));
    undo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z)});
    QAction* redo = m_undoStack->createRedoAction(this, QStringLiteral("重做"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction* action : {undo, redo}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    ProjectSession& project = m_session->project();
    auto shown = [this](const ProjectEdit& edit, bool after) { showEdit(edit, after); };
    project.setEditListener([this, &project, shown](const ProjectEdit& edit) {
        if (m_pasteStep) {
            new EditCommand(project, edit, shown, m_pasteStep.get());
        } else {
            m_undoStack->push(new EditCommand(project, edit, shown));
        }
    });
}

void CVelkView::showEdit(const ProjectEdit& edit, bool after) {
    MainFormControls& c = m_controls;
    std::visit(EditVisitor{
                   [&](const EnumEdit& e) { selectListRow(c.enumList, e.after.index - 1); },
                   [&](const VariableEdit& e) { selectListRow(c.variableList, e.after.index - 1); },
                   [&](const NetTargetEdit& e) { selectListRow(c.netList, e.after.index - 1); },
                   [&](const ActionEdit& e) {
                       const std::optional<KeyAction>& shownAction = after ? e.after : e.before;
                       c.actionList->clearSelection();
                       if (shownAction) {
                           selectListRow(c.actionList,
                                         m_session->project().actionRow(e.slot, shownAction->id));
                       }
                   },
                   [&](const ActionMoveEdit& e) {
                       c.actionList->clearSelection();
                       selectListRow(c.actionList, after ? e.toRow : e.fromRow);
                   },
                   [&](const SettingsEdit&) {},
               },
               edit);
}

void CVelkView::copyActions() {
    const ProjectSession& project = m_session->project();
    const int slot = project.currentEvent();
    if (!project.projectOpen() || !ConfigModel::isValidSlot(slot)) {
        return;
    }
    const std::vector<KeyAction>& list = project.model().actions[static_cast<size_t>(slot)];
    std::vector<KeyAction> copied;
    for (int row = 0; row < static_cast<int>(list.size()); ++row) {
        QTableWidgetItem* item = m_controls.actionList->item(row, 0);
        if (item != nullptr && item->isSelected()) {
            copied.push_back(list[static_cast<size_t>(row)]);
        }
    }
    if (copied.empty()) {
        copied = list;
    }
    if (copied.empty()) {
        return;
    }
    QGuiApplication::clipboard()->setMimeData(actionsMimeData(copied, eventName(slot)).release());
}

void CVelkView::pasteActions() {
    ProjectSession& project = m_session->project();
    if (!project.projectOpen()) {
        return;
    }
    ClipboardActions found = actionsFromMimeData(QGuiApplication::clipboard()->mimeData());
    if (found.actions.empty()) {
        showMessage(this, QStringLiteral("提示"), found.problem);
        return;
    }
    const int before = m_controls.actionList->rowCount();
    m_pasteStep = std::make_unique<QUndoCommand>(QStringLiteral("粘贴动作"));
    const ProjectSession::PasteResult result = project.pasteActions(found.actions);
    std::unique_ptr<QUndoCommand> step = std::move(m_pasteStep);
    if (step->childCount() > 0) {
        m_undoStack->push(step.release());
    }
    m_controls.actionList->clearSelection();
    for (int row = before; row < before + result.added; ++row) {
        m_controls.actionList->selectionModel()->select(
            m_controls.actionList->model()->index(row, 0),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

void CVelkView::moveSelectedAction(int step) {
    const int row = m_session->project().moveAction(firstSelectedRow(m_controls.actionList), step);
    if (row >= 0) {
        m_controls.actionList->clearSelection();
        selectListRow(m_controls.actionList, row);
    }
}

std::unique_ptr<QMenu> CVelkView::makeActionMenu() {
    auto menu = std::make_unique<QMenu>(this);
    const ProjectSession& project = m_session->project();
    const int row = firstSelectedRow(m_controls.actionList);
    const int count = m_controls.actionList->rowCount();
    const bool editable = project.projectOpen() && m_controls.actionList->isEnabled();
    QAction* up = menu->addAction(QStringLiteral("上移"), this, [this] { moveSelectedAction(-1); });
    up->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    up->setEnabled(editable && row > 0 && row < count);
    QAction* down = menu->addAction(QStringLiteral("下移"), this, [this] { moveSelectedAction(1); });
    down->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    down->setEnabled(editable && row >= 0 && row + 1 < count);
    for (QAction* action : {up, down}) {
        // Shown as a reminder; the list's own shortcuts do the work.
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setShortcutVisibleInContextMenu(true);
    }
    return menu;
}

std::unique_ptr<QMenu> CVelkView::makeRecentMenu() {
    auto menu = std::make_unique<QMenu>(QStringLiteral("最近打开的项目"), this);
    menu->setToolTipsVisible(true);
    const QStringList paths = recentProjects();
    addSavingEntries(*menu);
    menu->addSeparator();
    if (paths.isEmpty()) {
        menu->addAction(QStringLiteral("（没有最近打开的项目）"))->setEnabled(false);
        return menu;
    }
    int number = 1;
    for (const QString& path : paths) {
        QAction* entry = menu->addAction(QStringLiteral("&%1  %2").arg(number++).arg(path));
        entry->setData(path);
        // Opening a name that is gone would make a new, empty project there.
        if (!QFileInfo::exists(path)) {
            entry->setEnabled(false);
            entry->setText(entry->text() + QStringLiteral("（文件不存在）"));
        }
        connect(entry, &QAction::triggered, this, [this, path] { openProjectFile(path); });
    }
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("清除列表")), &QAction::triggered, this,
            [] { forgetRecentProjects(); });
    return menu;
}

void CVelkView::openGuide() {
    CHyperLink::openTarget(window(), CAboutDlg::documentationUrl());
}

}  // namespace velk::ui
