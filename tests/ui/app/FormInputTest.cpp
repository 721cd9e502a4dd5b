// What an installer types and arranges on the form: addresses typed key by key reach the panel and
// the file as typed, 新建 and 打开 show the session's panel address, and actions move up and down
// from the keyboard and the action list's menu, one undo step each.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>
#include <optional>

#include "ViewProjects.h"
#include "action/ActionText.h"
#include "sim/PanelSimulator.h"
#include "support/ActionMaker.h"
#include "support/SqliteCli.h"
#include "ui/app/AppSettings.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CVelkView.h"
#include "ui/common/Ipv4Edit.h"
#include "ui/dialogs/CAddNet.h"
#include "ui/support/WidgetTestSupport.h"

using namespace velk;
using namespace velk::ui;
using namespace velk::test;

namespace {

QString hexAddress(uint32_t address) {
    return QStringLiteral("%1").arg(address, 8, 16, QLatin1Char('0'));
}

// A main window shown and active, so the keys of the action list reach it.
struct ShownFrame {
    CMainFrame frame;
    void show() {
        frame.show();
        QApplication::setActiveWindow(&frame);
        QVERIFY(QTest::qWaitForWindowActive(&frame));
    }
    ~ShownFrame() { frame.view()->shutdown(); }
};

QStringList functionColumn(const QTableWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->rowCount(); ++row) {
        texts << rowTexts(list, row).at(0);
    }
    return texts;
}

}  // namespace

class FormInputTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir{projectFolderTemplate(QStringLiteral("forminput"))};
    std::optional<MessageRecorder> m_recorder;

    QString newProject(CVelkView& view, const QString& name) {
        return newProjectThroughView(view, m_dir.filePath(name));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        setAppSettingsFile(m_dir.filePath(QStringLiteral("settings.ini")));
        pinScreenArea(kLargeScreen);
    }

    void init() { m_recorder.emplace(); }
    void cleanup() { m_recorder.reset(); }

    // Every typed shape connects the form to the panel at exactly that address: a panel listens on
    // each loopback address in turn, and nothing answers anywhere else.
    void theFormConnectsToTheAddressAsTyped() {
        CVelkView view;
        newProject(view, QStringLiteral("connect.db"));
        const MainFormControls& c = view.controls();
        int tried = 0;
        for (const TypedAddress& typed : typedAddresses()) {
            if (typed.expected >> 24 != 127) {
                continue;
            }
            ++tried;
            sim::SimulatorOptions options;
            options.address = typed.expected;
            options.port = 0;
            sim::PanelSimulator panel(options);
            std::string error;
            std::optional<uint16_t> port = panel.start(error);
            QVERIFY2(port, error.c_str());
            view.setPanelAddress(typed.before, *port);
            typeAddress(c.ipEdit, QString::fromLatin1(typed.keys));
            c.connectButton->click();
            QTRY_VERIFY2_WITH_TIMEOUT(c.connectButton->text() == QStringLiteral("断开") ||
                                          !view.session().device().lastLinkError().empty(),
                                      typed.name, 10000);
            QVERIFY2(c.connectButton->text() == QStringLiteral("断开"),
                     qPrintable(QStringLiteral("%1: typed %2, the control held %3")
                                    .arg(QString::fromLatin1(typed.name), QString::fromLatin1(typed.keys),
                                         hexAddress(c.ipEdit->address()))));
            QCOMPARE(view.session().device().panelIp(), typed.expected);
            c.connectButton->click();
            QTRY_COMPARE_WITH_TIMEOUT(c.connectButton->text(), QStringLiteral("连接"), 10000);
        }
        QVERIFY(tried >= 10);
        QVERIFY(m_recorder->messages.isEmpty());
    }

    // The network target dialog, run from the form's 修改: what was typed is what the file holds.
    void theNetworkTargetDialogStoresTheAddressAsTyped() {
        CVelkView view;
        const QString path = newProject(view, QStringLiteral("target.db"));
        const MainFormControls& c = view.controls();
        ProjectSession& project = view.session().project();
        for (const TypedAddress& typed : typedAddresses()) {
            project.commitNetTarget(NetTarget{typed.before, 4800, 3});
            ModalHandlerGuard modal([&typed](QDialog& dialog) {
                typeAddress(dialog.findChild<Ipv4Edit*>(QStringLiteral("ipEdit")),
                            QString::fromLatin1(typed.keys));
                clickOk(dialog);
                return dialog.result();
            });
            c.netList->selectRow(2);
            c.netModify->click();
            QVERIFY(view.settleProjectFile());
            const std::string stored =
                runSqlite3(path.toStdString(), "select ip, port from net_table where netindex=3;");
            QVERIFY2(stored == std::to_string(static_cast<int32_t>(typed.expected)) + "|4800\n",
                     qPrintable(QStringLiteral("%1: typed %2, stored %3")
                                    .arg(QString::fromLatin1(typed.name), QString::fromLatin1(typed.keys),
                                         QString::fromStdString(stored))));
            QCOMPARE(project.model().netTargets.at(2).ip, typed.expected);
        }
        QVERIFY(m_recorder->messages.isEmpty());
    }

    // 新建 and 打开 put back the address the session holds: the default panel until a connection,
    // the one connected to after it; a typed address nobody connected to is not kept.
    void newAndOpenShowTheSessionsPanelAddress() {
        CVelkView view;
        const MainFormControls& c = view.controls();
        const QString first = newProject(view, QStringLiteral("reset1.db"));
        QCOMPARE(c.ipEdit->address(), kDefaultPanelIp);
        typeAddress(c.ipEdit, QStringLiteral("10.1.2.3"));
        QCOMPARE(c.ipEdit->address(), 0x0A010203u);
        newProject(view, QStringLiteral("reset2.db"));
        QCOMPARE(c.ipEdit->address(), kDefaultPanelIp);

        sim::SimulatorOptions options;
        options.port = 0;
        sim::PanelSimulator panel(options);
        std::string error;
        std::optional<uint16_t> port = panel.start(error);
        QVERIFY2(port, error.c_str());
        c.portEdit->setText(QString::number(*port));
        typeAddress(c.ipEdit, QStringLiteral("127.0.0.1"));
        c.connectButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(c.connectButton->text(), QStringLiteral("断开"), 10000);
        c.connectButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(c.connectButton->text(), QStringLiteral("连接"), 10000);
        typeAddress(c.ipEdit, QStringLiteral("10.9.8.7"));
        view.openProjectFile(first);
        QVERIFY(view.settleProjectFile());
        QCOMPARE(c.ipEdit->address(), 0x7F000001u);
        QCOMPARE(c.portEdit->text(), QString::number(*port));  // the port edit is the user's

        // The address the program was started with (--panel) stands in for the default.
        CVelkView started;
        started.setPanelAddress(0x0A000009u, 4800);
        typeAddress(started.controls().ipEdit, QStringLiteral("10.0.0.1"));
        newProject(started, QStringLiteral("reset3.db"));
        QCOMPARE(started.controls().ipEdit->address(), 0x0A000009u);
        QVERIFY(m_recorder->messages.isEmpty());
    }

    // Ctrl+Up and Ctrl+Down in the action list, and 上移 and 下移 on its menu: the selected action
    // moves and stays selected, each move one step of the undo stack, all of it in the file.
    void actionsMoveFromTheKeyboardAndTheMenu() {
        ShownFrame holder;
        CVelkView& view = *holder.frame.view();
        const QString path = newProject(view, QStringLiteral("move.db"));
        holder.show();
        const MainFormControls& c = view.controls();
        ProjectSession& project = view.session().project();
        c.selectorButtons[1]->click();
        project.commitAddAction(infraredAction(1, 7));
        project.commitAddAction(relayAction(1, 0));
        project.commitAddAction(networkAction(2, {"ON"}));
        QCOMPARE(functionColumn(c.actionList), (QStringList{"红外", "继电器", "网络"}));
        const int added = view.undoStack().count();
        auto fileOrder = [&] {
            return view.settleProjectFile()
                       ? runSqlite3(path.toStdString(), "select id, function from key_table1 order by id;")
                       : std::string("<not settled>");
        };
        QCOMPARE(fileOrder(), std::string("0|0\n1|4\n2|3\n"));

        c.actionList->setFocus();
        c.actionList->selectRow(2);
        QTest::keyClick(c.actionList, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(functionColumn(c.actionList), (QStringList{"红外", "网络", "继电器"}));
        QCOMPARE(firstSelectedRow(c.actionList), 1);
        QTest::keyClick(c.actionList, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(functionColumn(c.actionList), (QStringList{"网络", "红外", "继电器"}));
        QCOMPARE(firstSelectedRow(c.actionList), 0);
        // At the top it stays; nothing is written and no step is added.
        QTest::keyClick(c.actionList, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(functionColumn(c.actionList), (QStringList{"网络", "红外", "继电器"}));
        QCOMPARE(view.undoStack().count(), added + 2);
        QCOMPARE(fileOrder(), std::string("0|3\n1|0\n2|4\n"));

        // The menu offers only the way the selected action can go.
        {
            std::unique_ptr<QMenu> menu = view.makeActionMenu();
            const QList<QAction*> entries = menu->actions();
            QCOMPARE(entries.size(), 2);
            QCOMPARE(entries[0]->text(), QStringLiteral("上移"));
            QCOMPARE(entries[1]->text(), QStringLiteral("下移"));
            QVERIFY(!entries[0]->isEnabled());
            QVERIFY(entries[1]->isEnabled());
            entries[1]->trigger();
        }
        QCOMPARE(functionColumn(c.actionList), (QStringList{"红外", "网络", "继电器"}));
        QCOMPARE(firstSelectedRow(c.actionList), 1);
        QTest::keyClick(c.actionList, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(functionColumn(c.actionList), (QStringList{"红外", "继电器", "网络"}));
        {
            std::unique_ptr<QMenu> menu = view.makeActionMenu();
            QVERIFY(menu->actions().at(0)->isEnabled());
            QVERIFY(!menu->actions().at(1)->isEnabled());
        }
        c.actionList->clearSelection();
        {
            std::unique_ptr<QMenu> menu = view.makeActionMenu();
            QVERIFY(!menu->actions().at(0)->isEnabled());
            QVERIFY(!menu->actions().at(1)->isEnabled());
        }
        QCOMPARE(view.undoStack().count(), added + 4);
        QCOMPARE(view.undoStack().undoText(), QStringLiteral("下移动作 (按键1 弹起)"));

        // Each undo takes back one move, in the file too; redo makes it again.
        view.undoStack().undo();
        QCOMPARE(functionColumn(c.actionList), (QStringList{"红外", "网络", "继电器"}));
        QCOMPARE(firstSelectedRow(c.actionList), 1);
        view.undoStack().undo();
        view.undoStack().undo();
        QCOMPARE(functionColumn(c.actionList), (QStringList{"红外", "网络", "继电器"}));
        view.undoStack().undo();
        QCOMPARE(functionColumn(c.actionList), (QStringList{"红外", "继电器", "网络"}));
        QCOMPARE(fileOrder(), std::string("0|0\n1|4\n2|3\n"));
        view.undoStack().redo();
        view.undoStack().redo();
        QCOMPARE(functionColumn(c.actionList), (QStringList{"网络", "红外", "继电器"}));
        QCOMPARE(fileOrder(), std::string("0|3\n1|0\n2|4\n"));
        QCOMPARE(project.model().actions[1].at(0).network.texts, std::vector<std::string>{"ON"});
        QVERIFY(m_recorder->messages.isEmpty());
    }
};

QTEST_MAIN(FormInputTest)
#include "FormInputTest.moc"
