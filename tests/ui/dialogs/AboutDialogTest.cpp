#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <algorithm>
#include <cstdlib>

#include "ui/dialogs/CAboutDlg.h"
#include "ui/dialogs/CHyperLink.h"
#include "ui/dialogs/Clogo.h"
#include "ui/support/WidgetTestSupport.h"

using namespace velk::ui;
using velk::test::MessageRecorder;

namespace {

// Answers the link's open calls with a fixed result code and records the targets.
class OpenerStub {
public:
    explicit OpenerStub(int result) {
        CHyperLink::setOpener([this, result](const QString& target) {
            targets.append(target);
            return result;
        });
    }
    ~OpenerStub() { CHyperLink::setOpener(nullptr); }
    OpenerStub(const OpenerStub&) = delete;
    OpenerStub& operator=(const OpenerStub&) = delete;

    QStringList targets;
};

// The build folder holds the installed tree's share/ beside its bin/, as the package does.
QString besideTheProgram(const QString& path) {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../") + path);
}

// Share of pixels where the two pictures differ clearly in any channel (premultiplied ARGB).
double differingShare(const QImage& a, const QImage& b) {
    QImage left = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage right = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int differing = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            QRgb l = left.pixel(x, y);
            QRgb r = right.pixel(x, y);
            int most = std::max({std::abs(qRed(l) - qRed(r)), std::abs(qGreen(l) - qGreen(r)),
                                 std::abs(qBlue(l) - qBlue(r)), std::abs(qAlpha(l) - qAlpha(r))});
            differing += most > 40 ? 1 : 0;
        }
    }
    return double(differing) / (left.width() * left.height());
}

void hover(CHyperLink& link) {
    QPointF inside(2, 2);
    QEnterEvent enter(inside, inside, link.mapToGlobal(inside));
    QApplication::sendEvent(&link, &enter);
}

}  // namespace

class AboutDialogTest : public QObject {
    Q_OBJECT
private slots:
    void aboutBoxTexts() {
        CAboutDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("关于 RVK panel config"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("aboutText"))->text(),
                 QStringLiteral("关于 RVK panel config V1.63(TAV8) 版"));
        CHyperLink* link = dialog.link();
        QCOMPARE(link->url(), CAboutDlg::documentationUrl());
        QCOMPARE(link->toolTip(), link->url());
        // The link leads to the guide that ships with the program.
        QVERIFY(QFileInfo::exists(QUrl(link->url()).toLocalFile()));
    }

    void linkOpensTheGuideBesideTheProgram() {
        QString target = QUrl(CAboutDlg::documentationUrl()).toLocalFile();
        QCOMPARE(target, besideTheProgram(QStringLiteral("share/doc/velk/guide.html")));
        // Never the sources' copy: that is not there once the program is installed or moved.
        QVERIFY(!target.startsWith(QStringLiteral(VELK_SOURCE_DIR "/docs/")));
        // A page a browser opens, made from the guide.
        QFile page(target);
        QVERIFY(page.open(QIODevice::ReadOnly));
        QByteArray html = page.readAll();
        QVERIFY(html.startsWith("<!DOCTYPE html>"));
        QVERIFY(html.contains("<meta charset=\"utf-8\">"));
        QVERIFY(html.contains("<h1>velk user guide</h1>"));
        QVERIFY(html.contains("红外学习"));
    }

    void guideFollowsTheProgramsFolder_data() {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<QString>("guide");
        QTest::newRow("installed") << "/usr/bin"
                                   << "/usr/share/doc/velk/guide.html";
        QTest::newRow("other prefix") << "/opt/velk/bin"
                                      << "/opt/velk/share/doc/velk/guide.html";
        QTest::newRow("trailing slash") << "/home/i/build/bin/"
                                        << "/home/i/build/share/doc/velk/guide.html";
        QTest::newRow("unpacked package") << "/tmp/root/usr/bin"
                                          << "/tmp/root/usr/share/doc/velk/guide.html";
    }

    void guideFollowsTheProgramsFolder() {
        QFETCH(QString, programDir);
        QFETCH(QString, guide);
        QCOMPARE(CAboutDlg::guidePath(programDir), guide);
    }

    void movedTreeStillFindsItsGuide() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("usr/bin")));
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("usr/share/doc/velk")));
        QFile guide(root.filePath(QStringLiteral("usr/share/doc/velk/guide.html")));
        QVERIFY(guide.open(QIODevice::WriteOnly));
        guide.close();
        QString found = CAboutDlg::guidePath(root.filePath(QStringLiteral("usr/bin")));
        QVERIFY(QFileInfo(found).isFile());
        QCOMPARE(QFileInfo(found).canonicalFilePath(), QFileInfo(guide).canonicalFilePath());
    }

    void iconIsThePanelMarkOfTheLogo_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("48") << 48;
        QTest::newRow("128") << 128;
        QTest::newRow("256") << 256;
    }

    void iconIsThePanelMarkOfTheLogo() {
        QFETCH(int, size);
        QString file =
            besideTheProgram(QStringLiteral("share/icons/hicolor/%1x%1/apps/" VELK_APP_ID ".png").arg(size));
        QImage icon(file);
        QVERIFY2(!icon.isNull(), qPrintable(file));
        QCOMPARE(icon.size(), QSize(size, size));
        QImage mark = Clogo::panelMark(size).toImage();
        QVERIFY2(differingShare(icon, mark) < 0.02, qPrintable(QString::number(differingShare(icon, mark))));
        // The measure tells another picture apart: the mark turned on its side.
        QVERIFY(differingShare(icon, mark.transformed(QTransform().rotate(90))) > 0.1);
    }

    void linkLooksLikeALink() {
        CHyperLink link;
        link.setLinkText(QStringLiteral("velk 用户指南"));
        link.setURL(QStringLiteral("https://example.org/guide"));
        QCOMPARE(link.textColour(), QColor(0, 0, 238));
        QCOMPARE(link.palette().color(QPalette::WindowText), QColor(0, 0, 238));
        QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(link.toolTip(), QStringLiteral("https://example.org/guide"));
        QVERIFY(!link.font().underline());
        QVERIFY(!link.autoFillBackground());
        QCOMPARE(link.size(), link.sizeHint());
    }

    void hoverUnderlinesUntilThePointerLeaves() {
        QWidget face;
        face.resize(300, 100);
        face.move(200, 200);
        auto* link = new CHyperLink(&face);
        link->setLinkText(QStringLiteral("velk 用户指南"));
        link->move(20, 20);
        face.show();
        QVERIFY(QTest::qWaitForWindowExposed(&face));
        QCursor::setPos(link->mapToGlobal(QPoint(3, 3)));

        hover(*link);
        QVERIFY(link->isHovered());
        QVERIFY(link->font().underline());
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(255, 0, 0));

        QCursor::setPos(face.mapToGlobal(QPoint(280, 90)));
        QTRY_VERIFY(!link->isHovered());
        QVERIFY(!link->font().underline());
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 238));
    }

    void clickOpensTheTargetAndMarksItVisited() {
        MessageRecorder recorder;
        OpenerStub opener(42);
        CHyperLink link;
        link.setLinkText(QStringLiteral("guide"));
        link.setURL(QStringLiteral("file:///tmp/guide.md"));
        link.show();
        hover(link);
        QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(opener.targets, QStringList{QStringLiteral("file:///tmp/guide.md")});
        QVERIFY(recorder.messages.isEmpty());
        QVERIFY(link.isVisited());
        QVERIFY(!link.isHovered());
        QCOMPARE(link.palette().color(QPalette::WindowText), QColor(85, 26, 139));
    }

    void failedOpenExplainsTheCode_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "The operating system is out\nof memory or resources.";
        QTest::newRow("2") << 2 << "The specified file was not found.";
        QTest::newRow("3") << 3 << "The specified path was not found.";
        QTest::newRow("5") << 5 << "The operating system denied\naccess to the specified file.";
        QTest::newRow("8") << 8 << "There was not enough memory to complete the operation.";
        QTest::newRow("11") << 11 << "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        QTest::newRow("26") << 26 << "A sharing violation occurred. ";
        QTest::newRow("27") << 27 << "The filename association is\nincomplete or invalid.";
        QTest::newRow("28") << 28
                            << "The DDE transaction could not\nbe completed because the request timed out.";
        QTest::newRow("29") << 29 << "The DDE transaction failed.";
        QTest::newRow("30") << 30
                            << "The DDE transaction could not\nbe completed because other DDE "
                               "transactions\nwere being processed.";
        QTest::newRow("31") << 31 << "There is no application associated\nwith the given filename extension.";
        QTest::newRow("32") << 32 << "The specified dynamic-link library was not found.";
        QTest::newRow("unknown") << 17 << "Unknown Error (17) occurred.";
        QTest::newRow("negative") << -1 << "Unknown Error (-1) occurred.";
    }

    void failedOpenExplainsTheCode() {
        QFETCH(int, code);
        QFETCH(QString, text);
        MessageRecorder recorder;
        OpenerStub opener(code);
        CAboutDlg dialog;
        dialog.show();
        CHyperLink* link = dialog.link();
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(opener.targets, QStringList{CAboutDlg::documentationUrl()});
        QCOMPARE(recorder.messages.size(), 1);
        QCOMPARE(recorder.messages[0].text, QStringLiteral("Unable to open hyperlink:\n\n") + text);
        QCOMPARE(recorder.messages[0].icon, QMessageBox::Warning);
        QVERIFY(!link->isVisited());
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 238));
    }

    void clickOutsideOrWithTheRightButtonOpensNothing() {
        OpenerStub opener(33);
        CHyperLink link;
        link.setLinkText(QStringLiteral("guide"));
        link.show();
        QTest::mouseClick(&link, Qt::RightButton, {}, QPoint(2, 2));
        QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(link.width() + 5, 2));
        QVERIFY(opener.targets.isEmpty());
    }

    void logoWhiteIsTransparent() {
        QImage image = Clogo::logoImage();
        QCOMPARE(image.size(), QSize(1200, 208));
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::white));
        QImage keyed = Clogo::logoPixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        int transparent = 0;
        int opaque = 0;
        for (int y = 0; y < image.height(); y += 4) {
            for (int x = 0; x < image.width(); x += 4) {
                bool white = (image.pixel(x, y) & 0xffffffu) == 0xffffffu;
                int alpha = qAlpha(keyed.pixel(x, y));
                QCOMPARE(alpha, white ? 0 : 255);
                (white ? transparent : opaque)++;
            }
        }
        QVERIFY(transparent > 0);
        QVERIFY(opaque > 0);
    }

    void logoPaintsOnlyItsRectangle() {
        QWidget face;
        face.resize(495, 571);
        face.setAutoFillBackground(true);
        QPalette colours = face.palette();
        colours.setColor(QPalette::Window, QColor(10, 200, 10));
        face.setPalette(colours);
        auto* logo = new Clogo(&face);
        logo->setGeometry(0, 0, 495, 571);
        QImage shot = face.grab().toImage();
        const QColor background(10, 200, 10);
        QCOMPARE(shot.pixelColor(50, 20), background);
        QCOMPARE(shot.pixelColor(450, 20), background);
        QCOMPARE(shot.pixelColor(200, 100), background);
        // The corner of the logo is white in the picture, so the form shows through it.
        QCOMPARE(shot.pixelColor(100, 0), background);
        int painted = 0;
        for (int y = 0; y < 55; ++y) {
            for (int x = 100; x < 396; ++x) {
                painted += shot.pixelColor(x, y) != background ? 1 : 0;
            }
        }
        QVERIFY(painted > 296 * 55 / 10);
    }
};

QTEST_MAIN(AboutDialogTest)
#include "AboutDialogTest.moc"
