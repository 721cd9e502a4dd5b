#include <sqlite3.h>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "sim/PanelSimulator.h"
#include "ui/app/AppSettings.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CVelkApp.h"
#include "ui/app/CVelkView.h"
#include "ui/common/FileDialogs.h"
#include "ui/common/UiSeams.h"
#include "ui/editor/CEditDialog.h"
#include "ui/support/WidgetTestSupport.h"

using namespace velk::ui;
using namespace velk::test;

namespace {

// One value of the project file, read with SQLite directly.
QString sqlValue(const QString& path, const QString& query) {
    sqlite3* db = nullptr;
    QString result = QStringLiteral("<none>");
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, query.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return result;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    // The seams of one test, put back as they were when it ends.
    std::optional<MessageRecorder> m_recorder;
    std::optional<ModalHandlerGuard> m_modal;

    QString newProject(CVelkView& view, const QString& name) {
        QString path = m_dir.filePath(name);
        {
            FileDialogGuard chosen([path](bool) { return path; });
            view.controls().newButton->click();
        }
        // The default rows arrive through the event loop once the worker has run.
        bool loaded = QTest::qWaitFor(
            [&] { return rowTexts(view.controls().netList, 6).at(0) == QStringLiteral("UDP3"); }, 10000);
        if (!loaded) {
            QTest::qFail("the default rows never arrived", __FILE__, __LINE__);
        }
        return path;
    }

private slots:
    void initTestCase() {
        // Recent projects and the window's place go to a file of this run, not the user's settings.
        setAppSettingsFile(m_dir.filePath(QStringLiteral("settings.ini")));
    }

    void init() {
        m_recorder.emplace();
        m_modal.emplace([](QDialog&) { return int(QDialog::Rejected); });
    }

    void cleanup() {
        m_modal.reset();
        m_recorder.reset();
    }

    void atStartOnlyNewOpenAndAboutWork() {
        CVelkView view;
        const MainFormControls& c = view.controls();
        QVERIFY(c.newButton->isEnabled());
        QVERIFY(c.openButton->isEnabled());
        QVERIFY(c.aboutButton->isEnabled());
        for (QWidget* disabled : std::initializer_list<QWidget*>{
                 c.writeButton, c.networkButton, c.learnIrButton, c.irIdEdit, c.connectButton, c.enumModify,
                 c.enumClear, c.variableModify, c.variableClear, c.netModify, c.netClear, c.actionAdd,
                 c.actionModify, c.actionDelete, c.timeButton, c.appendButton, c.enumList, c.actionList}) {
            QVERIFY2(!disabled->isEnabled(), qPrintable(disabled->metaObject()->className()));
        }
        QCOMPARE(c.enumList->rowCount(), 10);
        QCOMPARE(c.variableList->rowCount(), 16);
        QCOMPARE(c.netList->rowCount(), 7);
        QCOMPARE(c.actionList->rowCount(), 0);
        QCOMPARE(rowTexts(c.enumList, 0), QStringList({"", "", "", ""}));
        QCOMPARE(c.portEdit->text(), QStringLiteral("4800"));
        QVERIFY(c.selectorButtons[0]->isChecked());
        QVERIFY(!c.modeCombo->isVisible() && !c.readButton->isVisible());
    }

    void newProjectShowsTheDefaultRows() {
        CVelkView view;
        const MainFormControls& c = view.controls();
        QString path = newProject(view, QStringLiteral("defaults.db"));
        QCOMPARE(c.pathEdit->text(), path);
        QCOMPARE(rowTexts(c.enumList, 0), QStringList({"E1", "Ascii", "1", "''"}));
        QCOMPARE(rowTexts(c.enumList, 9), QStringList({"E10", "Ascii", "1", "''"}));
        QCOMPARE(rowTexts(c.variableList, 15), QStringList({"V16", "0", "0", "0", "保存"}));
        QCOMPARE(rowTexts(c.netList, 0), QStringList({"TCP1", "0.0.0.0", "0"}));
        QCOMPARE(rowTexts(c.netList, 4), QStringList({"UDP1", "0.0.0.0", "0"}));
        QCOMPARE(c.timeText->text(), QStringLiteral("时间：关闭"));
        QVERIFY(c.connectButton->isEnabled());
        QVERIFY(c.enumList->isEnabled());
        QVERIFY(!c.writeButton->isEnabled());
        QVERIFY(m_recorder->messages.isEmpty());
    }

    void selectorsSwitchTheSettingsButtons_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("timeEnabled");
        QTest::addColumn<bool>("appendEnabled");
        QTest::newRow("key 1 press") << 0 << false << true;
        QTest::newRow("key 1 release") << 1 << true << true;
        QTest::newRow("key 3 hold") << 8 << true << false;
        QTest::newRow("IO1 high") << 25 << true << true;
        QTest::newRow("IO2 low") << 27 << false << true;
        QTest::newRow("IO2 pulled low") << 29 << true << false;
    }

    void selectorsSwitchTheSettingsButtons() {
        QFETCH(int, slot);
        QFETCH(bool, timeEnabled);
        QFETCH(bool, appendEnabled);
        CVelkView view;
        newProject(view, QStringLiteral("selectors.db"));
        const MainFormControls& c = view.controls();
        c.selectorButtons[static_cast<size_t>(slot)]->click();
        QCOMPARE(view.session().project().currentEvent(), slot);
        QCOMPARE(c.timeButton->isEnabled(), timeEnabled);
        QCOMPARE(c.appendButton->isEnabled(), appendEnabled);
    }

    void listCommandsWithoutSelectionSayWhy() {
        CVelkView view;
        newProject(view, QStringLiteral("messages.db"));
        const MainFormControls& c = view.controls();
        c.enumModify->click();
        c.variableClear->click();
        c.actionDelete->click();
        c.actionModify->click();
        QStringList texts;
        for (const ShownMessage& m : m_recorder->messages) {
            QCOMPARE(m.title, QStringLiteral("错误"));
            texts << m.text;
        }
        QCOMPARE(texts,
                 QStringList({"请选中一项修改", "请选中一项删除", "变量列表为空", "变量列表为空，请先添加"}));
    }

    void clearingARowRewritesItAndReachesTheFile() {
        QString path;
        {
            CVelkView view;
            path = newProject(view, QStringLiteral("clear.db"));
            const MainFormControls& c = view.controls();
            view.session().project().commitNetTarget(velk::NetTarget{0x0A000001u, 502, 3});
            QCOMPARE(rowTexts(c.netList, 2), QStringList({"TCP3", "10.0.0.1", "502"}));
            c.netList->selectRow(2);
            c.netClear->click();
            QCOMPARE(rowTexts(c.netList, 2), QStringList({"TCP3", "0.0.0.0", "0"}));
            view.session().project().commitNetTarget(velk::NetTarget{0x0A000002u, 8080, 2});
            view.shutdown();
        }
        QCOMPARE(sqlValue(path, "select port from net_table where netindex=3"), QStringLiteral("0"));
        QCOMPARE(sqlValue(path, "select port from net_table where netindex=2"), QStringLiteral("8080"));
    }

    void cancelledDialogChangesNothing() {
        CVelkView view;
        newProject(view, QStringLiteral("cancel.db"));
        const MainFormControls& c = view.controls();
        int modalRuns = 0;
        ModalHandlerGuard modal([&](QDialog&) {
            ++modalRuns;
            return int(QDialog::Rejected);
        });
        c.variableList->selectRow(4);
        c.variableModify->click();
        QCOMPARE(modalRuns, 1);
        QCOMPARE(rowTexts(c.variableList, 4), QStringList({"V5", "0", "0", "0", "保存"}));
    }

    void addAndModifyGoThroughTheActionEditor() {
        CVelkView view;
        newProject(view, QStringLiteral("editor.db"));
        const MainFormControls& c = view.controls();
        QString irCode = QStringLiteral("12");
        int editorRuns = 0;
        ModalHandlerGuard modal([&](QDialog& dialog) {
            auto* editor = dynamic_cast<CEditDialog*>(&dialog);
            if (!editor) {
                return int(QDialog::Rejected);
            }
            ++editorRuns;
            const CEditDialog::Controls& e = editor->controls();
            int infrared = e.function->findText(QStringLiteral("红外"));
            if (infrared < 0) {
                return int(QDialog::Rejected);
            }
            e.function->setCurrentIndex(infrared);
            e.irChannels[0]->setChecked(true);
            e.irChannels[2]->setChecked(true);
            e.irCode->setText(irCode);
            e.ok->click();
            return dialog.result();
        });
        c.actionAdd->click();
        QCOMPARE(editorRuns, 1);
        QCOMPARE(c.actionList->rowCount(), 1);
        QCOMPARE(rowTexts(c.actionList, 0).mid(0, 3), QStringList({"红外", "1,3", "ID:12"}));

        // 修改 on the selected row reopens the editor; the new code replaces the old one in place.
        irCode = QStringLiteral("20");
        c.actionList->selectRow(0);
        c.actionModify->click();
        QCOMPARE(editorRuns, 2);
        QCOMPARE(c.actionList->rowCount(), 1);
        QCOMPARE(rowTexts(c.actionList, 0).at(2), QStringLiteral("ID:20"));
        QCOMPARE(view.session().project().model().actions[0].at(0).irCode, 20);
        QVERIFY(m_recorder->messages.isEmpty());
    }

    void writeIntoTheSimulatorShowsProgressAndTheOutcome() {
        velk::sim::SimulatorOptions options;
        options.port = 0;
        velk::sim::PanelSimulator panel(options);
        std::string error;
        std::optional<uint16_t> port = panel.start(error);
        QVERIFY2(port, error.c_str());

        CVelkView view;
        newProject(view, QStringLiteral("write.db"));
        const MainFormControls& c = view.controls();
        view.session().project().commitEnum(velk::EnumVariable{1, velk::kAscii, {"ON", "OFF"}});
        view.setPanelAddress(0x7F000001u, *port);
        c.connectButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(c.connectButton->text(), QStringLiteral("断开"), 10000);
        QVERIFY(c.writeButton->isEnabled() && c.networkButton->isEnabled() && c.learnIrButton->isEnabled());

        c.writeButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(!m_recorder->messages.isEmpty(), 60000);
        QCOMPARE(m_recorder->messages.last().text, QStringLiteral("写入成功！"));
        // The window stayed live through the write and the panel holds what was written.
        QCOMPARE(panel.snapshot().enums[0].values.size(), size_t(2));

        // The panel going away is a link event like any other: the form goes back to 连接.
        panel.stop();
        QTRY_COMPARE_WITH_TIMEOUT(c.connectButton->text(), QStringLiteral("连接"), 10000);
        QVERIFY(!c.writeButton->isEnabled());
    }

    void aRefusedConnectionLeavesTheFormClosedAndQuiet() {
        CVelkView view;
        newProject(view, QStringLiteral("nopanel.db"));
        const MainFormControls& c = view.controls();
        // A port nobody listens on: the refusal comes back at once, and the form only keeps 连接
        // so the installer can click again.
        view.setPanelAddress(0x7F000001u, 1);
        c.connectButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(!view.session().device().lastLinkError().empty(), 10000);
        QCOMPARE(view.session().device().linkState(), velk::LinkState::Closed);
        QCOMPARE(c.connectButton->text(), QStringLiteral("连接"));
        QVERIFY(c.connectButton->isEnabled());
        QVERIFY(!c.writeButton->isEnabled());
        QVERIFY(m_recorder->messages.isEmpty());
    }

    void commandLineTakesAPanelAddressAndAProject() {
        AppOptions options = parseAppOptions({"velk", "--panel", "127.0.0.1:4801", "p.db"});
        QVERIFY(options.error.isEmpty());
        QCOMPARE(*options.panelIp, 0x7F000001u);
        QCOMPARE(options.panelPort, 4801);
        QCOMPARE(options.projectPath, QStringLiteral("p.db"));
        QVERIFY(!parseAppOptions({"velk", "--panel", "300.1.1.1"}).error.isEmpty());
        QVERIFY(!parseAppOptions({"velk", "--panel", "1.2.3.4:70000"}).error.isEmpty());
        QVERIFY(!parseAppOptions({"velk", "--verbose"}).error.isEmpty());
        QCOMPARE(parseAppOptions({"velk", "--panel", "10.0.0.9"}).panelPort, 4800);
        // Nothing given is silently dropped: a second project, an option without its value.
        const QString twoProjects = parseAppOptions({"velk", "a.db", "b.db"}).error;
        QVERIFY2(twoProjects.contains(QStringLiteral("one project at a time")) &&
                     twoProjects.contains(QStringLiteral("a.db")) &&
                     twoProjects.contains(QStringLiteral("b.db")),
                 qPrintable(twoProjects));
        QCOMPARE(parseAppOptions({"velk", "p.db", "--panel"}).error,
                 QStringLiteral("--panel needs a value: IP[:PORT]"));
    }

    void helpAndVersionAnswerWhateverFollows() {
        AppOptions version = parseAppOptions({"velk", "p.db", "--version", "--panel", "300.1.1.1"});
        QVERIFY(version.version);
        QVERIFY(!version.help);
        QVERIFY(version.error.isEmpty());
        QVERIFY(parseAppOptions({"velk", "-h"}).help);
        QVERIFY(parseAppOptions({"velk", "--help", "--verbose"}).help);
        QVERIFY(!parseAppOptions({"velk", "--versions"}).version);
        QVERIFY(!parseAppOptions({"velk", "--versions"}).error.isEmpty());
        AppOptions plain = parseAppOptions({"velk", "p.db"});
        QVERIFY(!plain.help && !plain.version);
    }

    // Another program changes the file: the title says so until resolved, 写入 asks first, and
    // closing offers 另存为, which keeps the window's configuration.
    void aFileChangedUnderneathShowsInTheTitleAndClosingOffersSaveAs() {
        CMainFrame frame;
        CVelkView& view = *frame.view();
        const QString base = frame.windowTitle();
        const QString path = newProject(view, QStringLiteral("guarded.db"));
        QVERIFY(view.settleProjectFile());
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "update variable set init=77 where vindex=5", nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(other);
        view.session().project().commitVariable(velk::Variable{1, 0, 5, 9, 0});
        QVERIFY(QTest::qWaitFor(
            [&] { return frame.windowTitle().contains(QStringLiteral("文件已被其他程序修改")); }, 10000));
        QVERIFY(frame.windowTitle().startsWith(base));
        QCOMPARE(m_recorder->messages.size(), 1);
        QCOMPARE(sqlValue(path, QStringLiteral("select init from variable where vindex=1")),
                 QStringLiteral("0"));

        QStringList questions;
        {
            QuestionGuard no([&](const ShownMessage& m) {
                questions << m.text;
                return false;
            });
            QVERIFY(!view.writeDespiteUnsavedEdits());
        }
        QCOMPARE(questions, QStringList{QStringLiteral("项目文件中没有保存最近的修改，仍然写入面板吗？")});

        const QString saved = m_dir.filePath(QStringLiteral("saved.db"));
        {
            QuestionGuard yes([](const ShownMessage&) { return true; });
            FileDialogGuard chosen([&](bool) { return saved; });
            QVERIFY(frame.close());
        }
        QCOMPARE(sqlValue(saved, QStringLiteral("select init from variable where vindex=1")),
                 QStringLiteral("5"));
        // The window's configuration, not the other program's change.
        QCOMPARE(sqlValue(saved, QStringLiteral("select init from variable where vindex=5")),
                 QStringLiteral("0"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
