// The editor inside the whole form logic: actions built in the editor reach the action list, the
// project file and, by a write, the panel simulator on 127.0.0.1.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <chrono>
#include <thread>

#include "EditorTestSupport.h"
#include "action/ActionText.h"
#include "device/TcpSocket.h"
#include "device/WritePlan.h"
#include "project/ProjectReader.h"
#include "session/FormMirror.h"
#include "session/MessagePump.h"
#include "session/Session.h"
#include "sim/PanelSimulator.h"
#include "support/TempDir.h"
#include "ui/common/Ipv4Edit.h"
#include "ui/editor/CEditDialog.h"
#include "ui/editor/CNetComData.h"

using namespace velk;
using namespace velk::ui;
using namespace velk::test;

namespace {

// Pacing sleeps shortened a hundredfold; the seconds clock runs on the shortened time.
class QuickClock : public PacingClock {
public:
    int64_t nowUs() override { return m_virtualUs.load(); }
    void sleepUntilUs(int64_t deadlineUs) override {
        const int64_t now = m_virtualUs.load();
        if (deadlineUs > now) {
            std::this_thread::sleep_for(std::chrono::microseconds((deadlineUs - now) / 100));
            m_virtualUs.store(deadlineUs);
        }
    }
    int64_t nowSeconds() override { return m_virtualUs.load() / 1000000; }

private:
    std::atomic<int64_t> m_virtualUs{0};
};

using Fill = std::function<void(CEditDialog&)>;

}  // namespace

class EditorFlowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        failOnMessages();
        pinScreenArea(kLargeScreen);
    }

    void actionsFromTheEditorReachListFileAndPanel() {
        test::TempDir dir;
        const std::string path = dir.file("flow.db");
        FormMirror recorder;
        MessageQueue queue;
        QuickClock clock;
        Session session(recorder, queue, clock);
        ProjectSession& project = session.project();
        QVERIFY(project.newProject(path));
        QVERIFY(MessagePump(queue, session).flush());

        // Runs the add command with the editor filled by `fill`; the returned action is committed.
        auto add = [&](int slot, const Fill& fill) {
            project.selectEvent(slot);
            auto request = project.beginAddAction();
            QVERIFY(request.has_value());
            ModalHandlerGuard modal([&](QDialog& d) {
                fill(static_cast<CEditDialog&>(d));
                static_cast<CEditDialog&>(d).controls().ok->click();
                return d.result();
            });
            std::optional<KeyAction> action = CEditDialog::edit(nullptr, project.model(), *request);
            QVERIFY(action.has_value());
            project.commitAddAction(*action);
        };
        add(0, [](CEditDialog& d) {
            choose(d, QStringLiteral("红外"));
            d.controls().irChannels[0]->setChecked(true);
            d.controls().irChannels[3]->setChecked(true);
            d.controls().irCode->setText(QStringLiteral("12"));
        });
        add(0, [](CEditDialog& d) {
            choose(d, QStringLiteral("IO"));
            d.controls().ioChannels[1]->setChecked(true);
            d.controls().ioOperation->setCurrentIndex(2);
        });
        add(0, [](CEditDialog& d) {
            choose(d, QStringLiteral("继电器"));
            d.controls().relayChannels[0]->setChecked(true);
        });
        add(0, [](CEditDialog& d) {
            d.controls().netChannel->setCurrentIndex(1);
            d.controls().customIp->setAddress(0xC0A80114u);
            d.controls().customPort->setText(QStringLiteral("5000"));
            d.controls().netCount->setCurrentIndex(1);
            d.netPanel()->textEdit(0)->setText(QStringLiteral("灯"));
            d.netPanel()->blank(0).index->setCurrentIndex(2);
            d.netPanel()->blank(0).digits->setCurrentIndex(1);
            d.netPanel()->textEdit(1)->setText(QStringLiteral("$0d$0a"));
        });
        add(5, [](CEditDialog& d) {
            QCOMPARE(d.controls().function->count(), 2);  // a hold event: data actions only
            choose(d, QStringLiteral("串口"));
            d.controls().serialType->setCurrentIndex(1);
            d.serialPanel()->textEdit(0)->setText(QStringLiteral("1 2 ab"));
        });

        // Modify the relay action: the editor opens on it and turns it off instead.
        project.selectEvent(0);
        auto request = project.beginModifyAction(2);
        QVERIFY(request.has_value());
        ModalHandlerGuard relayEditor([](QDialog& d) {
            auto& editor = static_cast<CEditDialog&>(d);
            if (editor.controls().function->currentText() != QStringLiteral("继电器")) {
                return int(QDialog::Rejected);
            }
            editor.controls().relayOperation->setCurrentIndex(1);
            editor.controls().ok->click();
            return d.result();
        });
        std::optional<KeyAction> relay = CEditDialog::edit(nullptr, project.model(), *request);
        QVERIFY(relay.has_value());
        project.commitModifyAction(request->row, *relay);

        const auto& slot0 = project.model().actions[0];
        QCOMPARE(slot0.size(), size_t(4));
        QCOMPARE(recorder.actionRows.size(), size_t(4));
        for (size_t i = 0; i < slot0.size(); ++i) {
            QCOMPARE(recorder.actionRows[i], *actionRowTextsOf(slot0[i]));
        }
        QCOMPARE(recorder.actionRows[0], (ActionRowTexts{"红外", "1,4", "ID:12", ""}));
        QCOMPARE(recorder.actionRows[2], (ActionRowTexts{"继电器", "1", "关闭", ""}));
        QCOMPARE(recorder.actionRows[3],
                 (ActionRowTexts{"网络", "UDP", "Ascii", "灯$(**,E3,1,add,loop,save)$0d$0a"}));
        QCOMPARE(project.model().actions[5].at(0).serial.texts, std::vector<std::string>{"01 02 ab"});

        // The project file holds what the model holds.
        QVERIFY(MessagePump(queue, session).flush());
        const ConfigModel written = project.model();
        {
            // Read beside the session that holds the project, as velkctl show reads it.
            const ProjectLoad reopened = loadProjectReadOnly(path);
            QVERIFY2(reopened.model, reopened.error.c_str());
            QCOMPARE(reopened.model->actions[0], written.actions[0]);
            QCOMPARE(reopened.model->actions[5], written.actions[5]);
        }

        // A write sends exactly the plan of this model to the simulator.
        sim::SimulatorOptions options;
        options.port = 0;
        sim::PanelSimulator panel(options);
        std::string error;
        std::optional<uint16_t> port = panel.start(error);
        QVERIFY2(port.has_value(), error.c_str());
        DeviceSession& device = session.device();
        MessagePump pump(queue, session);
        auto pumpUntil = [&](const std::function<bool()>& done) { return pump.runUntil(done, 30000); };
        device.connectOrDisconnect(kLoopbackAddress, *port);
        QVERIFY(pumpUntil([&] { return device.linkState() == LinkState::Connected; }));
        QVERIFY(device.write());
        QVERIFY(pumpUntil([&] { return !device.writing(); }));
        QCOMPARE(int(device.lastWriteResult()), int(WriteResult::Succeeded));
        std::string sent;
        for (const std::string& command : panel.receivedCommands()) {
            sent += command;
        }
        std::string planned;
        for (const std::string& command : planCommands(buildWritePlan(written))) {
            planned += command;
        }
        QCOMPARE(sent, planned);
        const sim::PanelSnapshot held = panel.snapshot();
        int key1Press = 0;
        int key2Hold = 0;
        for (const sim::EventBlock& block : held.events) {
            key1Press += block.input == 1 && block.event == 0 ? 1 : 0;
            key2Hold += block.input == 2 && block.event == 2 ? 1 : 0;
        }
        QVERIFY(key1Press >= 1);
        QVERIFY(key2Hold >= 1);
        device.connectOrDisconnect(0, 0);
        QVERIFY(pumpUntil([&] { return device.linkState() == LinkState::Closed; }));
        session.shutdown();
        panel.stop();
    }
};

QTEST_MAIN(EditorFlowTest)
#include "EditorFlowTest.moc"
