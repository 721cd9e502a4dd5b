// The main window as it grows and shows its overview, and the action editor on a laptop screen.
#include <QDir>
#include <QPushButton>
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
#include "ui/common/UiSeams.h"
#include "ui/editor/CEditDialog.h"

namespace {

using namespace velk;

std::string gbk(const char* utf8) {
    return utf8ToGbk(utf8).value_or(std::string());
}

KeyAction action(FunctionCode function, int code = 1) {
    KeyAction a;
    a.function = function;
    a.irChannels = 1;
    a.irCode = code;
    a.ioChannels = 1;
    a.relayChannels = 2;
    return a;
}

KeyAction sending(FunctionCode function, const char* text) {
    KeyAction a;
    a.function = function;
    a.network.channel = 2;
    a.network.texts = {gbk(text)};
    a.serial.texts = {gbk(text)};
    return a;
}

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// A meeting room: several keys and both inputs configured, some with time and append settings.
QString meetingRoomProject() {
    const QString path = QDir(folder().path()).filePath(QStringLiteral("大会议室.db"));
    if (QFile::exists(path)) {
        return path;
    }
    IgnoringObserver observer;
    MessageQueue queue;
    ProjectSession project(observer, queue);
    project.newProject(path.toStdString());
    MessagePump(queue, project).flush(30000);
    project.commitEnum(EnumVariable{1, kAscii, {gbk("开机"), gbk("关机")}});
    project.commitNetTarget(NetTarget{0xC0A80114u, 5000, 1});
    struct Event {
        int slot;
        std::vector<KeyAction> actions;
        int time;
        const char* append;
    };
    const Event events[] = {
        {0,
         {action(FunctionCode::Infrared, 12), action(FunctionCode::Io), action(FunctionCode::Relay),
          sending(FunctionCode::Network, "PROJECTOR ON")},
         0,
         "STOP"},
        {1, {action(FunctionCode::Infrared, 3)}, 300, nullptr},
        {3, {sending(FunctionCode::Serial, "VOL+"), action(FunctionCode::Relay)}, 0, nullptr},
        {5, {sending(FunctionCode::Network, "VOL++")}, 0, nullptr},
        {9, {action(FunctionCode::Io), sending(FunctionCode::Network, "SCREEN DOWN")}, 0, "SCREEN STOP"},
        {13, {}, 500, nullptr},
        {24, {action(FunctionCode::Relay)}, 0, nullptr},
        {25, {action(FunctionCode::Relay), sending(FunctionCode::Serial, "LIGHTS OFF")}, 1000, "LIGHTS ON"},
    };
    for (const Event& event : events) {
        project.selectEvent(event.slot);
        for (const KeyAction& a : event.actions) {
            project.commitAddAction(a);
        }
        EventSettings settings = project.model().eventSettings[static_cast<size_t>(event.slot)];
        if (event.time > 0) {
            settings.timeEnable = 1;
            settings.time = event.time;
            project.commitTimeSettings(settings);
        }
        if (event.append != nullptr) {
            settings.addEnable = 1;
            settings.addString = event.append;
            project.commitAppendSettings(settings);
        }
    }
    MessagePump(queue, project).flush(30000);
    project.shutdown();
    return path;
}

std::unique_ptr<QWidget> meetingRoomWindow(QSize size) {
    ui::setAppSettingsFile(QDir(folder().path()).filePath(QStringLiteral("settings.ini")));
    const QString path = meetingRoomProject();
    auto frame = std::make_unique<ui::CMainFrame>();
    frame->setGeometry(QRect(QPoint(0, 0), size));
    frame->view()->openProjectFile(path);
    return frame;
}

bool loaded(QWidget& widget) {
    ui::CVelkView* view = static_cast<ui::CMainFrame&>(widget).view();
    return view->settleProjectFile(100) && view->controls().actionList->rowCount() == 4;
}

const bool overview = screens::addScreen(screens::Screen{
    QStringLiteral("main-window-overview"), [] { return meetingRoomWindow(QSize(830, 800)); }, loaded, {}});

const bool large = screens::addScreen(screens::Screen{
    QStringLiteral("main-window-1280x1024"), [] { return meetingRoomWindow(QSize(1280, 1024)); }, loaded,
    [](QWidget& widget) { widget.setGeometry(0, 0, 1280, 1024); }});

// 连接 to a port nobody listens on: the reason beside the address fields.
const bool refused =
    screens::addScreen(screens::Screen{QStringLiteral("main-window-connect-refused"),
                                       [] {
                                           std::unique_ptr<QWidget> window =
                                               meetingRoomWindow(QSize(830, 800));
                                           ui::CVelkView* view = static_cast<ui::CMainFrame&>(*window).view();
                                           view->setPanelAddress(0x7F000001u, 1);
                                           return window;
                                       },
                                       [](QWidget& widget) {
                                           ui::CVelkView* view = static_cast<ui::CMainFrame&>(widget).view();
                                           if (!loaded(widget)) {
                                               return false;
                                           }
                                           if (view->session().device().linkNotice().empty() &&
                                               view->session().device().linkState() == LinkState::Closed) {
                                               view->controls().connectButton->click();
                                           }
                                           return !view->session().device().linkNotice().empty();
                                       },
                                       {}});

// Six blanks, opened for modification, on a laptop's 1366x768 screen (its available area without
// a 40-pixel panel) at 100 % and at 150 %.
ui::ScreenAreaHandler& desktopArea() {
    static ui::ScreenAreaHandler handler;
    return handler;
}

std::unique_ptr<QWidget> sixBlankEditor(QRect area) {
    // The laptop's area until the editor is up; the other screens keep the desktop's.
    desktopArea() = ui::setScreenAreaHandler([area](const QWidget*) { return area; });
    static ConfigModel model = [] {
        ConfigModel m;
        m.reset();
        return m;
    }();
    KeyAction source;
    source.function = FunctionCode::Network;
    source.network.channel = 2;
    for (int k = 0; k < 6; ++k) {
        source.network.texts.push_back("SEG" + std::to_string(k + 1));
        Placeholder blank;
        blank.kind = k % 3 == 0 ? kKindEnum : k % 3 == 1 ? kKindVar : kKindInput;
        blank.enumIndex = k;
        blank.varIndex = k;
        blank.digits = 2;
        source.network.placeholders.push_back(blank);
    }
    source.network.texts.push_back("END");
    source.network.varNum = 6;
    ProjectSession::ActionEditRequest request;
    request.source = source;
    request.row = 0;
    auto dialog = std::make_unique<ui::CEditDialog>(model);
    dialog->setRequest(request);
    return dialog;
}

void backToTheDesktop(QWidget&) {
    ui::setScreenAreaHandler(std::move(desktopArea()));
}

const bool laptop = screens::addScreen(screens::Screen{QStringLiteral("editor-six-blanks-1366x768"),
                                                       [] { return sixBlankEditor(QRect(0, 0, 1366, 728)); },
                                                       {},
                                                       backToTheDesktop});

const bool scaled = screens::addScreen(screens::Screen{QStringLiteral("editor-six-blanks-1366x768-150"),
                                                       [] { return sixBlankEditor(QRect(0, 0, 910, 485)); },
                                                       {},
                                                       backToTheDesktop});

}  // namespace
