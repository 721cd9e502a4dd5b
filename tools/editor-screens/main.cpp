// Renders the action editor in each of its shapes into PNG files, for the documentation and for
// checking the layout by eye: velk-editor-screens OUTPUT_FOLDER
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <cstdio>
#include <functional>

#include "ui/common/Ipv4Edit.h"
#include "ui/common/UiSeams.h"
#include "ui/editor/CEditDialog.h"
#include "ui/editor/CNetComData.h"

using velk::ConfigModel;
using velk::KeyAction;
using velk::Placeholder;
using velk::ProjectSession;
using velk::ui::CEditDialog;
using velk::ui::CNetComData;

namespace {

struct Screen {
    const char* file;
    std::function<void(CEditDialog&)> prepare;
};

void chooseFunction(CEditDialog& dialog, const QString& label) {
    QComboBox* list = dialog.controls().function;
    list->setCurrentIndex(list->findText(label));
}

Placeholder enumBlank(int e, int digits) {
    Placeholder p;
    p.kind = velk::kKindEnum;
    p.enumIndex = e;
    p.digits = digits;
    return p;
}

Placeholder varBlank(int v, int step, int interval) {
    Placeholder p;
    p.kind = velk::kKindVar;
    p.varIndex = v;
    p.step = step;
    p.interval = interval;
    p.digits = 3;
    return p;
}

Placeholder inputBlank(int mode) {
    Placeholder p;
    p.kind = velk::kKindInput;
    p.modeIndex = mode;
    p.countIndex = 2;
    p.overflowIndex = 1;
    p.digits = 2;
    return p;
}

// A network action with n blanks cycling through the three kinds, opened for modification.
void openNetworkWithBlanks(CEditDialog& dialog, int n) {
    KeyAction action;
    action.function = velk::FunctionCode::Network;
    action.network.channel = 2;
    action.network.varNum = n;
    for (int k = 0; k < n; ++k) {
        action.network.texts.push_back("SEG" + std::to_string(k + 1));
        if (k % 3 == 0) {
            action.network.placeholders.push_back(enumBlank(k, 2));
        } else if (k % 3 == 1) {
            action.network.placeholders.push_back(varBlank(k, 1, 5));
        } else {
            action.network.placeholders.push_back(inputBlank(2));
        }
    }
    action.network.texts.push_back("END");
    ProjectSession::ActionEditRequest request;
    request.source = action;
    dialog.setRequest(request);
}

const Screen kScreens[] = {
    {"editor-infrared.png",
     [](CEditDialog& d) {
         chooseFunction(d, QStringLiteral("红外"));
         d.controls().irChannels[0]->setChecked(true);
         d.controls().irChannels[2]->setChecked(true);
     }},
    {"editor-io.png", [](CEditDialog& d) { chooseFunction(d, QStringLiteral("IO")); }},
    {"editor-relay.png", [](CEditDialog& d) { chooseFunction(d, QStringLiteral("继电器")); }},
    {"editor-network.png",
     [](CEditDialog& d) { d.netPanel()->textEdit(0)->setText(QStringLiteral("开灯")); }},
    {"editor-network-custom.png",
     [](CEditDialog& d) {
         d.controls().netChannel->setCurrentIndex(1);
         d.controls().customIp->setAddress(0xC0A80114u);
         d.controls().customPort->setText(QStringLiteral("5000"));
     }},
    {"editor-serial.png", [](CEditDialog& d) { chooseFunction(d, QStringLiteral("串口")); }},
    {"editor-blanks-0.png", [](CEditDialog& d) { openNetworkWithBlanks(d, 0); }},
    {"editor-blanks-1.png", [](CEditDialog& d) { openNetworkWithBlanks(d, 1); }},
    {"editor-blanks-3.png", [](CEditDialog& d) { openNetworkWithBlanks(d, 3); }},
    {"editor-blanks-6.png", [](CEditDialog& d) { openNetworkWithBlanks(d, 6); }},
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: velk-editor-screens OUTPUT_FOLDER\n");
        return 1;
    }
    QApplication::setApplicationName(QStringLiteral("velk"));
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    // The editor at its designed sizes, whatever the platform's screen (offscreen: 800x600).
    velk::ui::setScreenAreaHandler([](const QWidget*) { return QRect(0, 0, 1920, 1050); });

    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "velk-editor-screens: cannot create %s\n", argv[1]);
        return 1;
    }
    ConfigModel model;
    model.reset();
    int failures = 0;
    for (const Screen& screen : kScreens) {
        CEditDialog dialog(model);
        screen.prepare(dialog);
        dialog.show();
        QApplication::processEvents();
        const QString path = folder.filePath(QString::fromLatin1(screen.file));
        if (!dialog.grab().save(path, "PNG")) {
            std::fprintf(stderr, "velk-editor-screens: cannot write %s\n", path.toLocal8Bit().constData());
            ++failures;
            continue;
        }
        std::printf("%s\n", path.toLocal8Bit().constData());
    }
    return failures == 0 ? 0 : 1;
}
