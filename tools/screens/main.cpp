// velk-screens FOLDER [NAME...]: renders every registered screen (or the named ones) into
// FOLDER/NAME.png. "velk-screens --list" prints the names. Runs under Xvfb or with
// QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QTextStream>
#include <cstdio>
#include <cstring>

#include "ScreenRegistry.h"
#include "ui/common/UiSeams.h"

namespace {

constexpr int kReadyTimeoutMs = 20000;
constexpr int kCaptionHeight = 26;

// Xvfb and the offscreen platform draw no window frames, so a plain caption with the window's
// title is drawn above the client area: the title is part of what the picture documents.
QPixmap withCaption(const QWidget& window, const QPixmap& client) {
    if (window.windowTitle().isEmpty()) {
        return client;
    }
    QPixmap framed(client.width() + 2, client.height() + kCaptionHeight + 1);
    framed.fill(QColor(96, 116, 146));
    QPainter painter(&framed);
    painter.drawPixmap(1, kCaptionHeight, client);
    painter.setPen(Qt::white);
    painter.setFont(window.font());
    painter.drawText(QRect(8, 0, client.width() - 8, kCaptionHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     window.windowTitle());
    return framed;
}

void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

bool capture(const velk::screens::Screen& screen, const QDir& folder, QTextStream& err) {
    std::unique_ptr<QWidget> widget = screen.make();
    if (!widget) {
        err << "velk-screens: " << screen.name << ": nothing to show\n";
        return false;
    }
    widget->show();
    settle();
    if (screen.ready) {
        QDeadlineTimer deadline(kReadyTimeoutMs);
        while (!screen.ready(*widget)) {
            if (deadline.hasExpired()) {
                err << "velk-screens: " << screen.name << ": not ready within " << kReadyTimeoutMs << " ms\n";
                return false;
            }
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        }
        settle();
    }
    if (screen.beforeCapture) {
        screen.beforeCapture(*widget);
        settle();
    }
    QString path = folder.filePath(screen.name + QStringLiteral(".png"));
    if (!withCaption(*widget, widget->grab()).save(path, "PNG")) {
        err << "velk-screens: cannot write " << path << "\n";
        return false;
    }
    widget->close();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<velk::screens::Screen> screens = velk::screens::registeredScreens();
    // Listing needs no display.
    if (argc > 1 && std::strcmp(argv[1], "--list") == 0) {
        for (const auto& screen : screens) {
            std::printf("%s\n", screen.name.toUtf8().constData());
        }
        return 0;
    }

    QApplication app(argc, argv);
    // The program's own font, so the pictures show what velk shows.
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    // Windows as a roomy desktop shows them, at their designed sizes, whatever the platform's
    // screen (the offscreen one is 800x600); screens of small laptops set their own.
    velk::ui::setScreenAreaHandler([](const QWidget*) { return QRect(0, 0, 1920, 1050); });

    QStringList args = QApplication::arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.isEmpty() || args.first().startsWith(QLatin1Char('-'))) {
        err << "usage: velk-screens FOLDER [NAME...] | velk-screens --list\n";
        return 1;
    }
    QDir folder(args.takeFirst());
    if (!folder.mkpath(QStringLiteral("."))) {
        err << "velk-screens: cannot create " << folder.path() << "\n";
        return 1;
    }
    int failures = 0;
    int written = 0;
    for (const auto& screen : screens) {
        if (!args.isEmpty() && !args.contains(screen.name)) {
            continue;
        }
        if (capture(screen, folder, err)) {
            ++written;
            out << folder.filePath(screen.name + QStringLiteral(".png")) << "\n";
        } else {
            ++failures;
        }
    }
    out.flush();
    err.flush();
    if (written == 0 && failures == 0) {
        std::fprintf(stderr, "velk-screens: no screen matched\n");
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
