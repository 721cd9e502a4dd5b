// The main window as an installer uses it in the field: the word beside the address fields, the
// overview of the events, copy and paste between projects, undo and redo against the file, the
// keyboard, recent projects, the window's size and place, and the other helps around the form.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>
#include <optional>

#include "ViewProjects.h"
#include "model/Gbk.h"
#include "session/EventOverview.h"
#include "session/IgnoringObserver.h"
#include "session/MessagePump.h"
#include "sim/PanelSimulator.h"
#include "support/ActionMaker.h"
#include "support/MaximalProject.h"
#include "support/RichProject.h"
#include "support/SqliteCli.h"
#include "ui/app/ActionClipboard.h"
#include "ui/app/AppSettings.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CVelkView.h"
#include "ui/app/EventMarks.h"
#include "ui/app/FormLayout.h"
#include "ui/common/Ipv4Edit.h"
#include "ui/common/Translations.h"
#include "ui/common/WindowPlacement.h"
#include "ui/dialogs/CHyperLink.h"
#include "ui/editor/CEditDialog.h"
#include "ui/support/WidgetTestSupport.h"

using namespace velk;
using namespace velk::ui;
using namespace velk::test;

namespace {

// The rows of every table of the file, once the worker has run what is queued.
std::string fileRows(CVelkView& view) {
    if (!view.settleProjectFile()) {
        return "<not settled>";
    }
    return projectRows(view.session().project().projectPath());
}

// A project made without the form: actions on 按键1 按下, 按键2 弹起 and IO1 变高, settings on.
QString makeProject(const QString& path) {
    IgnoringObserver observer;
    MessageQueue queue;
    ProjectSession project(observer, queue);
    project.newProject(path.toStdString());
    MessagePump(queue, project).flush(30000);
    project.selectEvent(0);
    for (const KeyAction& action : {infraredAction(5, 12), ioAction(3, 2), networkAction(2, {"PLAY"})}) {
        project.commitAddAction(action);
    }
    EventSettings append = project.model().eventSettings[0];
    append.addEnable = 1;
    append.addString = "STOP";
    project.commitAppendSettings(append);
    project.selectEvent(4);
    project.commitAddAction(infraredAction(5, 3));
    EventSettings time = project.model().eventSettings[4];
    time.timeEnable = 1;
    time.time = 300;
    project.commitTimeSettings(time);
    project.selectEvent(25);
    project.commitAddAction(networkAction(2, {"ON"}));
    MessagePump(queue, project).flush(30000);
    project.shutdown();
    return path;
}

// A main window shown and active, so window-wide keys reach it.
struct CFrameHolder {
    CMainFrame frame;
    void show() {
        frame.show();
        QApplication::setActiveWindow(&frame);
        QVERIFY(QTest::qWaitForWindowActive(&frame));
    }
    ~CFrameHolder() { frame.view()->shutdown(); }
};

}  // namespace

class FieldWorkTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir{projectFolderTemplate(QStringLiteral("fieldwork"))};
    // The seams of one test, put back as they were when it ends.
    std::optional<MessageRecorder> m_recorder;
    std::optional<ModalHandlerGuard> m_modal;
    std::optional<QuestionGuard> m_question;

    QString newProject(CVelkView& view, const QString& name) {
        return newProjectThroughView(view, m_dir.filePath(name));
    }

    void openProject(CVelkView& view, const QString& path) {
        view.openProjectFile(path);
        QVERIFY(view.settleProjectFile());
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        setAppSettingsFile(m_dir.filePath(QStringLiteral("settings.ini")));
        pinScreenArea(kLargeScreen);
    }

    void init() {
        forgetRecentProjects();
        m_recorder.emplace();
        m_modal.emplace([](QDialog&) { return int(QDialog::Rejected); });
        m_question.emplace([](const ShownMessage& m) {
            qFatal("unexpected question: %s", qPrintable(m.text));
            return false;
        });
    }

    void cleanup() {
        m_question.reset();
        m_modal.reset();
        m_recorder.reset();
    }

    // F1: the reason a connection failed stands beside the address fields until the next attempt;
    // a connection the panel drops says so there too.
    void linkFailuresAndDropsAreNamedBesideTheAddress() {
        CVelkView view;
        newProject(view, QStringLiteral("link.db"));
        const MainFormControls& c = view.controls();
        QVERIFY(c.linkNotice->text().isEmpty());
        view.setPanelAddress(0x7F000001u, 1);  // nobody listens there
        c.connectButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(c.linkNotice->text(), QStringLiteral("无法连接：连接被拒绝"), 10000);
        QCOMPARE(c.connectButton->text(), QStringLiteral("连接"));
        QVERIFY(c.linkNotice->toolTip().contains(QStringLiteral("connect:")));
        // It sits right of 连接, inside the function area.
        QVERIFY(c.linkNotice->geometry().left() > c.connectButton->geometry().right());
        QVERIFY(c.functionGroup->geometry().contains(c.linkNotice->geometry()));

        sim::SimulatorOptions options;
        options.port = 0;
        sim::PanelSimulator panel(options);
        std::string error;
        std::optional<uint16_t> port = panel.start(error);
        QVERIFY2(port, error.c_str());
        view.setPanelAddress(0x7F000001u, *port);
        c.connectButton->click();
        QVERIFY(c.linkNotice->text().isEmpty());  // cleared by the new attempt
        QTRY_COMPARE_WITH_TIMEOUT(c.connectButton->text(), QStringLiteral("断开"), 10000);
        panel.stop();
        QTRY_COMPARE_WITH_TIMEOUT(c.linkNotice->text(), QStringLiteral("与面板的连接已断开"), 10000);
        QVERIFY(m_recorder->messages.isEmpty());
    }

    // Every event selector shows its count of actions and its settings, with its actions listed in
    // the tooltip, once a project is loaded.
    void theOverviewShowsEveryEventAfterALoad() {
        const QString path = makeProject(m_dir.filePath(QStringLiteral("overview.db")));
        CVelkView view;
        openProject(view, path);
        const MainFormControls& c = view.controls();
        const ConfigModel& model = view.session().project().model();
        for (int slot = 0; slot < kSelectableSlots; ++slot) {
            const EventOverview expected = eventOverview(model, slot);
            const EventMarks* marks = c.eventMarks[static_cast<size_t>(slot / 3)];
            QCOMPARE(marks->overview(slot % 3), expected);
            QCOMPARE(c.selectorButtons[static_cast<size_t>(slot)]->toolTip(),
                     QString::fromStdString(expected.tooltip));
            QCOMPARE(c.selectorButtons[static_cast<size_t>(slot)]->font().bold(), expected.actions > 0);
        }
        QCOMPARE(c.eventMarks[0]->overview(0).actions, 3);
        QVERIFY(c.eventMarks[0]->overview(0).appendOn);
        QVERIFY(c.eventMarks[1]->overview(1).timeOn);
        QCOMPARE(c.eventMarks[8]->overview(1).actions, 1);
        QVERIFY(c.selectorButtons[0]->toolTip().startsWith(
            QStringLiteral("按键1 按下：3个动作\n红外  1,3  ID:12\nIO")));
        // An edit shows at once.
        c.selectorButtons[7]->click();
        view.session().project().commitAddAction(ioAction(3, 2));
        QTRY_COMPARE(c.eventMarks[2]->overview(1).actions, 1);
        QVERIFY(c.marksLegend->text().contains(QStringLiteral("动作数")));
    }

    // Copy in one project, paste into another: ids as for new actions, the action the event cannot
    // take left out with its reason; the clipboard holds the text form and plain lines.
    void copyAndPasteBetweenTwoProjects() {
        CVelkView source;
        openProject(source, makeProject(m_dir.filePath(QStringLiteral("from.db"))));
        CVelkView target;
        newProject(target, QStringLiteral("to.db"));
        target.controls().selectorButtons[1]->click();
        target.session().project().commitAddAction(infraredAction(5, 40));

        // Nothing selected: the whole event is copied.
        source.controls().selectorButtons[0]->click();
        source.copyActions();
        const QMimeData* clip = QApplication::clipboard()->mimeData();
        QVERIFY(clip->hasFormat(QString::fromLatin1(kActionsMimeType)));
        QVERIFY(clip->data(QString::fromLatin1(kActionsMimeType)).startsWith("# velk actions"));
        QCOMPARE(clip->text().split(QLatin1Char('\n')).size(), 3);
        QVERIFY(clip->text().startsWith(QStringLiteral("红外\t1,3\tID:12\t")));

        const std::string before = fileRows(target);
        target.pasteActions();
        QCOMPARE(m_recorder->messages.size(), 1);
        QCOMPARE(m_recorder->messages[0].title, QStringLiteral("提示"));
        QCOMPARE(m_recorder->messages[0].text,
                 QStringLiteral("以下1个动作未粘贴到按键1 弹起：\n红外  1,3  ID:12：本事件已有红外功能。"));
        const std::vector<KeyAction>& list = target.session().project().model().actions[1];
        QCOMPARE(list.size(), size_t(3));
        QCOMPARE(list[1].function, FunctionCode::Io);
        QCOMPARE(list[1].id, 1);
        QCOMPARE(list[2].id, 2);
        QCOMPARE(target.controls().actionList->rowCount(), 3);
        QCOMPARE(rowTexts(target.controls().actionList, 2).at(3), QStringLiteral("PLAY"));
        const std::string after = fileRows(target);
        QVERIFY(after.find("key_table1\n0,") != std::string::npos);
        QCOMPARE(runSqlite3(target.session().project().projectPath(), "select count(*) from key_table1;"),
                 std::string("3\n"));

        // The paste is one step: one undo takes both actions out of the file again, one redo puts
        // them back with their ids.
        QCOMPARE(target.undoStack().count(), 2);
        target.undoStack().undo();
        QCOMPARE(fileRows(target), before);
        target.undoStack().redo();
        QCOMPARE(fileRows(target), after);
        QCOMPARE(target.controls().actionList->rowCount(), 3);
        // Selected rows only.
        m_recorder->messages.clear();
        source.controls().actionList->selectRow(2);
        source.copyActions();
        QCOMPARE(actionsFromMimeData(QApplication::clipboard()->mimeData()).actions.size(), size_t(1));
        // Plain text that is not the text form pastes nothing and says so.
        QApplication::clipboard()->setText(QStringLiteral("红外\t1,3\tID:12"));
        target.pasteActions();
        QCOMPARE(m_recorder->messages.last().text, QStringLiteral("剪贴板中没有可粘贴的动作。"));
    }

    // Undo and redo of each kind of edit, from the keyboard, checked against the file's rows.
    void undoAndRedoOfEveryKindOfEditReachTheFile() {
        CFrameHolder holder;
        CVelkView& view = *holder.frame.view();
        newProject(view, QStringLiteral("undo.db"));
        holder.show();
        const MainFormControls& c = view.controls();
        ProjectSession& project = view.session().project();
        auto undo = [&] { QTest::keyClick(c.enumList, Qt::Key_Z, Qt::ControlModifier); };
        auto redoY = [&] { QTest::keyClick(c.enumList, Qt::Key_Y, Qt::ControlModifier); };
        auto redoShiftZ = [&] {
            QTest::keyClick(c.enumList, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        };
        c.enumList->setFocus();

        struct Step {
            const char* what;
            std::function<void()> edit;
        };
        const std::vector<Step> steps = {
            {"enum",
             [&] {
                 project.commitEnum(EnumVariable{2, kAscii, {"ON", "OFF"}});
             }},
            {"variable",
             [&] {
                 project.commitVariable(Variable{3, 1, 5, 9, 1});
             }},
            {"target",
             [&] {
                 project.commitNetTarget(NetTarget{0xC0A80114u, 5000, 6});
             }},
            {"clear",
             [&] {
                 c.enumList->selectRow(1);
                 c.enumClear->click();
             }},
            {"clear variable",
             [&] {
                 c.variableList->selectRow(2);
                 c.variableClear->click();
             }},
            {"clear target",
             [&] {
                 c.netList->selectRow(5);
                 c.netClear->click();
             }},
            {"add",
             [&] {
                 c.selectorButtons[1]->click();
                 project.commitAddAction(infraredAction(5, 7));
             }},
            {"add another", [&] { project.commitAddAction(ioAction(3, 2)); }},
            {"modify", [&] { project.commitModifyAction(0, infraredAction(5, 9)); }},
            {"delete",
             [&] {
                 c.actionList->selectRow(0);
                 c.actionDelete->click();
             }},
            {"time",
             [&] {
                 EventSettings s = project.model().eventSettings[1];
                 s.timeEnable = 1;
                 s.time = 250;
                 project.commitTimeSettings(s);
             }},
            {"append",
             [&] {
                 EventSettings s = project.model().eventSettings[1];
                 s.addEnable = 1;
                 s.addString = "AT";
                 project.commitAppendSettings(s);
             }},
        };
        std::vector<std::string> states = {fileRows(view)};
        for (const Step& step : steps) {
            step.edit();
            states.push_back(fileRows(view));
            QVERIFY2(states.back() != states[states.size() - 2], step.what);
        }
        QCOMPARE(view.undoStack().count(), int(steps.size()));
        c.selectorButtons[20]->click();
        c.enumList->setFocus();
        for (size_t i = steps.size(); i > 0; --i) {
            undo();
            QVERIFY2(fileRows(view) == states[i - 1], steps[i - 1].what);
        }
        // The delete undone put the action back at its row with its id; the event is in view.
        QCOMPARE(project.currentEvent(), 1);
        for (size_t i = 1; i <= steps.size(); ++i) {
            if (i % 2 == 0) {
                redoY();
            } else {
                redoShiftZ();
            }
            QVERIFY2(fileRows(view) == states[i], steps[i - 1].what);
        }
        QCOMPARE(project.model().actions[1].size(), size_t(1));
        QCOMPARE(rowTexts(c.actionList, 0).at(0), QStringLiteral("IO"));
        QCOMPARE(project.currentEvent(), 1);

        // New and Open start a history of their own.
        QVERIFY(view.undoStack().count() > 0);
        newProject(view, QStringLiteral("undo2.db"));
        QCOMPARE(view.undoStack().count(), 0);
        QVERIFY(!view.undoStack().canUndo());
        project.commitVariable(Variable{4, 2, 0, 8, 0});
        QCOMPARE(view.undoStack().count(), 1);
        openProject(view, m_dir.filePath(QStringLiteral("undo.db")));
        QCOMPARE(view.undoStack().count(), 0);
        const std::string opened = fileRows(view);
        undo();
        QCOMPARE(fileRows(view), opened);
        QVERIFY(m_recorder->messages.isEmpty());
    }

    // 新建 Ctrl+N, 打开 Ctrl+O, F1 the guide, Delete and Enter on the action list.
    void keyboardCommands() {
        CFrameHolder holder;
        CVelkView& view = *holder.frame.view();
        holder.show();
        const MainFormControls& c = view.controls();
        int fileDialogs = 0;
        const QString path = m_dir.filePath(QStringLiteral("keys.db"));
        QFile::remove(path);
        {
            FileDialogGuard chosen([&](bool save) {
                ++fileDialogs;
                return save ? path : QString();
            });
            QTest::keyClick(&view, Qt::Key_N, Qt::ControlModifier);
            QCOMPARE(fileDialogs, 1);
            QVERIFY(view.settleProjectFile());
            QCOMPARE(c.pathEdit->text(), path);
            QTest::keyClick(&view, Qt::Key_O, Qt::ControlModifier);
            QCOMPARE(fileDialogs, 2);
        }
        QStringList opened;
        CHyperLink::setOpener([&](const QString& target) {
            opened << target;
            return 33;
        });
        QTest::keyClick(&view, Qt::Key_F1);
        CHyperLink::setOpener(nullptr);
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened[0].endsWith(QStringLiteral("guide.html")));

        view.session().project().commitAddAction(infraredAction(5, 5));
        view.session().project().commitAddAction(ioAction(3, 2));
        c.actionList->setFocus();
        c.actionList->selectRow(1);
        int editors = 0;
        {
            ModalHandlerGuard modal([&](QDialog& dialog) {
                editors += dynamic_cast<CEditDialog*>(&dialog) != nullptr ? 1 : 0;
                return int(QDialog::Rejected);
            });
            QTest::keyClick(c.actionList, Qt::Key_Return);
            QCOMPARE(editors, 1);
        }
        QTest::keyClick(c.actionList, Qt::Key_Delete);
        QCOMPARE(view.session().project().model().actions[0].size(), size_t(1));
        QCOMPARE(c.actionList->rowCount(), 1);
        QVERIFY(m_recorder->messages.isEmpty());
    }

    // F5: Tab leaves a list at once and walks the whole form, reaching the action list.
    void tabWalksTheFormAndReachesTheActionList() {
        CFrameHolder holder;
        CVelkView& view = *holder.frame.view();
        newProject(view, QStringLiteral("tab.db"));
        holder.show();
        const MainFormControls& c = view.controls();
        c.enumList->setFocus();
        QVERIFY(c.enumList->hasFocus());
        QTest::keyClick(c.enumList, Qt::Key_Tab);
        QVERIFY(!c.enumList->hasFocus());
        QList<QWidget*> visited;
        for (int i = 0; i < 80 && !c.actionList->hasFocus(); ++i) {
            visited << QApplication::focusWidget();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QVERIFY(c.actionList->hasFocus());
        QVERIFY(visited.contains(c.variableList));
        QVERIFY(visited.contains(c.netList));
        QTest::keyClick(c.actionList, Qt::Key_Tab);
        QVERIFY(!c.actionList->hasFocus());
    }

    // At the designed size every control stands where the form was designed; larger, the lists
    // and the action list grow; smaller than the form, it scrolls.
    void theWindowGrowsItsListsAndScrollsWhenSmall() {
        CFrameHolder holder;
        CMainFrame& frame = holder.frame;
        CVelkView& view = *frame.view();
        newProject(view, QStringLiteral("sizes.db"));
        for (int i = 0; i < 4; ++i) {
            view.session().project().commitAddAction(i == 0   ? infraredAction(5, 1)
                                                     : i == 1 ? ioAction(3, 2)
                                                     : i == 2 ? networkAction(2, {"x"})
                                                              : [] {
                                                                    KeyAction relay;
                                                                    relay.function = FunctionCode::Relay;
                                                                    relay.relayChannels = 1;
                                                                    return relay;
                                                                }());
        }
        holder.show();
        frame.resize(kDesignedClientSize);
        QTRY_COMPARE(view.size(), kDesignedClientSize);
        const MainFormControls& c = view.controls();
        for (QWidget* widget : view.findChildren<QWidget*>()) {
            if (widget->property("velkDesignedGeometry").isValid()) {
                QCOMPARE(widget->geometry(), designedGeometry(widget));
            }
        }
        QCOMPARE(c.enumList->columnWidth(3), 260);
        QVERIFY(c.actionList->verticalScrollBar()->isVisible() ||
                c.actionList->verticalScrollBar()->maximum() > 0);

        frame.resize(1280, 1024);
        QTRY_COMPARE(view.size(), QSize(1280, 1024));
        QVERIFY(c.enumList->width() > designedGeometry(c.enumList).width());
        QVERIFY(c.variableList->height() > designedGeometry(c.variableList).height());
        QVERIFY(c.actionList->height() > designedGeometry(c.actionList).height());
        QCOMPARE(c.actionList->verticalScrollBar()->maximum(), 0);  // all four actions in view
        QVERIFY(view.rect().contains(c.actionGroup->geometry()));
        QVERIFY(view.rect().contains(c.keyPanel->geometry()));
        // Nothing overlaps the designed neighbours: the key panel stays right of the lists.
        QVERIFY(c.keyPanel->geometry().left() > c.enumGroup->geometry().right());

        // The fullest events a project holds (five actions, a key action among them) in view too.
        const QString maximal = m_dir.filePath(QStringLiteral("maximal.db"));
        QVERIFY(writeMaximalProject(maximal.toStdString()));
        openProject(view, maximal);
        for (int selector : {0, 1, 27}) {
            c.selectorButtons[selector]->click();
            QCOMPARE(c.actionList->rowCount(), 5);
            QCoreApplication::processEvents();  // the list lays its rows out
            QCOMPARE(c.actionList->verticalScrollBar()->maximum(), 0);
        }

        frame.resize(600, 400);
        QTRY_VERIFY(frame.scrollArea()->verticalScrollBar()->maximum() > 0);
        QVERIFY(frame.scrollArea()->horizontalScrollBar()->maximum() > 0);
        QCOMPARE(view.size(), kFormMinimumSize);
    }

    // Size and place are remembered, and restored only where they fit a screen; a window on a
    // 1366x768 screen keeps its title bar on it.
    void placementIsRememberedAndFitsTheScreen() {
        {
            ScreenAreaGuard laptop([](const QWidget*) { return QRect(0, 0, 1366, 728); });
            CMainFrame frame;
            frame.restorePlacement();
            const QRect window = frame.geometry().marginsAdded(kExpectedFrame);
            QVERIFY(QRect(0, 0, 1366, 728).contains(window));
            QCOMPARE(frame.width(), 830);
            QCOMPARE(frame.height(), 728 - kExpectedFrame.top() - kExpectedFrame.bottom());
            QVERIFY(frame.geometry().top() - kExpectedFrame.top() >= 0);
            frame.view()->shutdown();
        }
        const QRect chosen(200, 120, 1100, 820);
        {
            CMainFrame frame;
            frame.setGeometry(chosen);
            frame.savePlacement();
            frame.view()->shutdown();
        }
        {
            CMainFrame frame;
            frame.restorePlacement();
            QCOMPARE(frame.geometry(), chosen);
            frame.view()->shutdown();
        }
        // A place on a screen that is gone is not restored.
        openAppSettings()->setValue("window/geometry", QRect(5000, 3000, 900, 700));
        {
            CMainFrame frame;
            frame.restorePlacement();
            QVERIFY(kLargeScreen.contains(frame.geometry()));
            QCOMPARE(frame.size(), kDesignedClientSize);
            frame.view()->shutdown();
        }
        QCOMPARE(restoredPlacement(QRect(100, 100, 800, 600), {QRect(0, 0, 1024, 768)}, QSize(320, 240)),
                 std::optional<QRect>(QRect(100, 100, 800, 600)));
        QVERIFY(!restoredPlacement(QRect(100, 100, 1900, 600), {QRect(0, 0, 1024, 768)}, QSize(320, 240)));
        QCOMPARE(placeWindow(QSize(830, 800), QRect(0, 0, 1920, 1080)).size(), QSize(830, 800));
    }

    // The last eight projects, newest first, from a right click on 打开.
    void recentProjectsFromTheOpenButton() {
        CVelkView view;
        QStringList paths;
        for (int i = 0; i < 9; ++i) {
            paths << makeProject(m_dir.filePath(QStringLiteral("recent%1.db").arg(i)));
        }
        for (const QString& path : paths) {
            view.openProjectFile(path);
        }
        QVERIFY(view.settleProjectFile());
        QStringList recent = recentProjects();
        QCOMPARE(recent.size(), 8);
        QCOMPARE(recent.first(), paths.last());
        QVERIFY(!recent.contains(paths.first()));
        QFile::remove(paths[3]);
        std::unique_ptr<QMenu> menu = view.makeRecentMenu();
        QList<QAction*> entries;
        for (QAction* action : menu->actions()) {
            if (action->data().isValid()) {
                entries << action;
            }
        }
        QCOMPARE(entries.size(), 8);
        QVERIFY(entries[0]->text().contains(paths[8]));
        QVERIFY(!entries[5]->isEnabled());  // recent3.db is gone
        entries[2]->trigger();
        QVERIFY(view.settleProjectFile());
        QCOMPARE(view.controls().pathEdit->text(), paths[6]);
        QCOMPARE(view.controls().openButton->contextMenuPolicy(), Qt::CustomContextMenu);
        QCOMPARE(view.controls().openButton->geometry(), QRect(128, 15, 60, 20));
    }

    // A database of another program is opened only when the user agrees to the tables being added.
    void openingAForeignDatabaseAsksFirst() {
        const QString path = m_dir.filePath(QStringLiteral("other.db"));
        QFile::remove(path);
        int status = -1;
        runSqlite3(path.toStdString(), "create table things(a); insert into things values(1);", &status);
        QCOMPARE(status, 0);
        CVelkView view;
        QStringList asked;
        bool answer = false;
        QuestionGuard question([&](const ShownMessage& m) {
            asked << m.text;
            return answer;
        });
        {
            FileDialogGuard chosen([&](bool) { return path; });
            view.controls().openButton->click();
        }
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked[0].contains(path));
        QVERIFY(view.controls().pathEdit->text().isEmpty());
        QCOMPARE(runSqlite3(path.toStdString(), "select name from sqlite_master;"), std::string("things\n"));
        answer = true;
        view.openProjectFile(path);
        QVERIFY(view.settleProjectFile());
        QCOMPARE(view.controls().pathEdit->text(), path);
        QVERIFY(runSqlite3(path.toStdString(),
                           "select count(*) from sqlite_master where name='key_table0';") == "1\n");
        // A project, or a missing file, is opened without a question.
        asked.clear();
        openProject(view, makeProject(m_dir.filePath(QStringLiteral("mine.db"))));
        QVERIFY(asked.isEmpty());
    }

    void infraredIdTakesDigitsOnly() {
        CVelkView view;
        QLineEdit* edit = view.controls().irIdEdit;
        edit->setEnabled(true);
        QCOMPARE(typedInto(edit, QStringLiteral("1a2-")), QStringLiteral("12"));
        edit->clear();
        edit->insert(QStringLiteral("7x"));
        QCOMPARE(edit->text(), QString());
    }

    void aPastedDottedAddressFillsTheFields() {
        CVelkView view;
        const MainFormControls& c = view.controls();
        c.ipEdit->field(1)->setEnabled(true);
        c.ipEdit->field(1)->setFocus();
        c.ipEdit->field(1)->insert(QStringLiteral(" 10.1.2.33:4801\n"));
        QTRY_COMPARE(c.ipEdit->address(), 0x0A010221u);
        QCOMPARE(c.portEdit->text(), QStringLiteral("4801"));
        // Something else pasted changes nothing.
        c.ipEdit->field(0)->insert(QStringLiteral("hello"));
        QCoreApplication::processEvents();
        QCOMPARE(c.ipEdit->address(), 0x0A010221u);
        QVERIFY(!c.ipEdit->takePastedAddress(QStringLiteral("300.1.1.1")));
        // The address is taken, a port no panel can have is not: the port field keeps its text.
        for (const char* pasted : {"10.1.2.34:0", "10.1.2.34:65536", "10.1.2.34:99999"}) {
            QVERIFY(c.ipEdit->takePastedAddress(QString::fromLatin1(pasted)));
            QCOMPARE(c.ipEdit->address(), 0x0A010222u);
            QCOMPARE(c.portEdit->text(), QStringLiteral("4801"));
        }
        QVERIFY(c.ipEdit->takePastedAddress(QStringLiteral("panel 10.1.2.35:65535, room 3")));
        QCOMPARE(c.ipEdit->address(), 0x0A010223u);
        QCOMPARE(c.portEdit->text(), QStringLiteral("65535"));
    }

    void disabledControlsSayWhy() {
        CVelkView view;
        const MainFormControls& c = view.controls();
        QCOMPARE(c.enumList->toolTip(), QStringLiteral("请先新建或打开项目"));
        QCOMPARE(c.selectorButtons[4]->toolTip(), QStringLiteral("请先新建或打开项目"));
        QCOMPARE(c.writeButton->toolTip(), QStringLiteral("请先新建或打开项目，再连接面板"));
        QCOMPARE(c.timeButton->toolTip(), QStringLiteral("请先新建或打开项目"));
        newProject(view, QStringLiteral("tips.db"));
        QCOMPARE(c.writeButton->toolTip(), QStringLiteral("请先连接面板"));
        QCOMPARE(c.timeButton->toolTip(), QStringLiteral("按下和变低事件没有时间设置"));
        QVERIFY(c.enumList->toolTip().isEmpty());
        c.selectorButtons[2]->click();
        QVERIFY(c.timeButton->isEnabled());
        QVERIFY(c.timeButton->toolTip().isEmpty());
        QCOMPARE(c.appendButton->toolTip(), QStringLiteral("保持和拉低事件没有追加设置"));
        QVERIFY(c.openButton->toolTip().contains(QStringLiteral("最近")));
    }

    // Qt's own texts in Chinese from the translations installed with Qt; a missing file is no fault.
    void qtTextsAreChinese() {
        QTemporaryDir empty;
        QVERIFY(!installQtTranslations(*QCoreApplication::instance(), empty.path()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
        QVERIFY(installQtTranslations(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("打开"));
    }
};

QTEST_MAIN(FieldWorkTest)
#include "FieldWorkTest.moc"
