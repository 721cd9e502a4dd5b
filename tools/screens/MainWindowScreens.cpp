// The main window with a project holding data, as an installer sees it after 打开.
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include "ScreenRegistry.h"
#include "model/Gbk.h"
#include "model/UiPoster.h"
#include "session/IgnoringObserver.h"
#include "session/MessagePump.h"
#include "session/ProjectSession.h"
#include "ui/app/AppSettings.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CVelkView.h"

namespace {

using namespace velk;

std::string gbk(const char* utf8) {
    return utf8ToGbk(utf8).value_or(std::string());
}

constexpr uint32_t ipv4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return (a << 24) | (b << 16) | (c << 8) | d;
}

// Handles the worker's messages until every statement queued so far has run.
void settleProject(ProjectSession& project, MessageQueue& queue) {
    MessagePump(queue, project).flush(30000);
}

KeyAction networkAction(const char* text, int channel) {
    KeyAction action;
    action.function = FunctionCode::Network;
    action.network.channel = channel;
    action.network.type = kAscii;
    action.network.texts = {gbk(text)};
    return action;
}

// A project with values in every list and a few actions on 按键1.
QString makeSampleProject(const QString& folder) {
    QString path = QDir(folder).filePath(QStringLiteral("会议室.db"));
    IgnoringObserver observer;
    MessageQueue queue;
    ProjectSession project(observer, queue);
    project.newProject(path.toStdString());
    settleProject(project, queue);

    project.commitEnum(EnumVariable{1, kAscii, {gbk("开机"), gbk("关机"), "standby"}});
    project.commitEnum(EnumVariable{2, kHex, {"01 02 ab ff", "0a 0b"}});
    project.commitVariable(Variable{1, 0, 20, 100, 0});
    project.commitVariable(Variable{2, 1, 1, 8, 1});
    project.commitNetTarget(NetTarget{ipv4(192, 168, 1, 20), 5000, 1});
    project.commitNetTarget(NetTarget{ipv4(192, 168, 1, 255), 6000, 5});

    project.selectEvent(0);
    KeyAction infrared;
    infrared.function = FunctionCode::Infrared;
    infrared.irChannels = 5;
    infrared.irCode = 12;
    project.commitAddAction(infrared);
    KeyAction relay;
    relay.function = FunctionCode::Relay;
    relay.relayOperation = 1;
    relay.relayChannels = 3;
    project.commitAddAction(relay);
    project.commitAddAction(networkAction("PLAY 投影", 0));
    EventSettings append = project.model().eventSettings[0];
    append.addEnable = 1;
    append.addIsSend = 1;
    append.addString = "STOP";
    project.commitAppendSettings(append);
    settleProject(project, queue);
    project.shutdown();
    return path;
}

QTemporaryDir& sampleFolder() {
    static QTemporaryDir folder;
    return folder;
}

const bool registered = velk::screens::addScreen(velk::screens::Screen{
    QStringLiteral("main-window"),
    [] {
        // The screens' own settings, not the user's recent projects.
        velk::ui::setAppSettingsFile(QDir(sampleFolder().path()).filePath(QStringLiteral("settings.ini")));
        QString path = makeSampleProject(sampleFolder().path());
        auto frame = std::make_unique<velk::ui::CMainFrame>();
        frame->view()->openProjectFile(path);
        return std::unique_ptr<QWidget>(std::move(frame));
    },
    [](QWidget& widget) {
        velk::ui::CVelkView* view = static_cast<velk::ui::CMainFrame&>(widget).view();
        // Every row in, not only the first lists: enumerations and settings come last.
        if (!view->settleProjectFile(100)) {
            return false;
        }
        const auto& controls = view->controls();
        const QTableWidgetItem* item = controls.netList->item(4, 1);
        return controls.actionList->rowCount() == 3 && item &&
               item->text() == QStringLiteral("192.168.1.255");
    },
    {}});

}  // namespace
