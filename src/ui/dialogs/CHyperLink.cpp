#include "ui/dialogs/CHyperLink.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QTimerEvent>
#include <QUrl>

#include "ui/common/UiSeams.h"

namespace velk::ui {
namespace {

// Result codes of the shell's open call that the messages below explain.
constexpr int kOpenSucceeded = 33;
constexpr int kNoAssociation = 31;

CHyperLink::Opener& opener() {
    static CHyperLink::Opener handler;
    return handler;
}

int openWithDesktop(const QString& target) {
    QUrl url = QUrl::fromUserInput(target);
    // The desktop has one way to open a web address; when it fails, nothing is registered for it.
    return url.isValid() && QDesktopServices::openUrl(url) ? kOpenSucceeded : kNoAssociation;
}

}  // namespace

CHyperLink::CHyperLink(QWidget* parent) : QLabel(parent) {
    m_plainFont = font();
    m_underlineFont = m_plainFont;
    m_underlineFont.setUnderline(true);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_Hover);
    applyColour();
}

void CHyperLink::setURL(const QString& target) {
    m_url = target;
    setToolTip(target);
    if (text().isEmpty()) {
        setLinkText(target);
    }
}

void CHyperLink::setLinkText(const QString& text) {
    setText(text);
    adjustSize();
}

QColor CHyperLink::textColour() const {
    if (m_hovered) {
        return kHoverColour;
    }
    return m_visited ? kVisitedColour : kLinkColour;
}

void CHyperLink::setOpener(Opener handler) {
    opener() = std::move(handler);
}

QString CHyperLink::errorText(int code) {
    switch (code) {
        case 0:
            return QStringLiteral("The operating system is out\nof memory or resources.");
        case 2:
            return QStringLiteral("The specified file was not found.");
        case 3:
            return QStringLiteral("The specified path was not found.");
        case 5:
            return QStringLiteral("The operating system denied\naccess to the specified file.");
        case 8:
            return QStringLiteral("There was not enough memory to complete the operation.");
        case 11:
            return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
        case 26:
            return QStringLiteral("A sharing violation occurred. ");
        case 27:
            return QStringLiteral("The filename association is\nincomplete or invalid.");
        case 28:
            return QStringLiteral(
                "The DDE transaction could not\nbe completed because the request timed out.");
        case 29:
            return QStringLiteral("The DDE transaction failed.");
        case 30:
            return QStringLiteral(
                "The DDE transaction could not\nbe completed because other DDE transactions\nwere being "
                "processed.");
        case 31:
            return QStringLiteral("There is no application associated\nwith the given filename extension.");
        case 32:
            return QStringLiteral("The specified dynamic-link library was not found.");
        default:
            return QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    }
}

void CHyperLink::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    if (!m_hovered) {
        setHovered(true);
        m_timerId = startTimer(kHoverTimerMs);
    }
}

void CHyperLink::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timerId) {
        QLabel::timerEvent(event);
        return;
    }
    if (!rect().contains(mapFromGlobal(QCursor::pos()))) {
        setHovered(false);
    }
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        open();
    }
}

void CHyperLink::open() {
    setHovered(false);
    if (openTarget(window(), m_url)) {
        m_visited = true;
        applyColour();
    }
}

bool CHyperLink::openTarget(QWidget* messageParent, const QString& target) {
    int result = opener() ? opener()(target) : openWithDesktop(target);
    if (result > 32) {
        return true;
    }
    QApplication::beep();
    showMessage(messageParent, QStringLiteral("RVK panel config (TAV8)"),
                QStringLiteral("Unable to open hyperlink:\n\n") + errorText(result), QMessageBox::Warning);
    return false;
}

void CHyperLink::setHovered(bool hovered) {
    m_hovered = hovered;
    if (!hovered && m_timerId != 0) {
        killTimer(m_timerId);
        m_timerId = 0;
    }
    setFont(hovered ? m_underlineFont : m_plainFont);
    applyColour();
}

void CHyperLink::applyColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, textColour());
    setPalette(colours);
    update();
}

}  // namespace velk::ui
