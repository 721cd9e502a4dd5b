#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <functional>

namespace velk::ui {

// A static text that behaves as a link: coloured by its state, underlined only while the pointer
// is over it, opened with the system's default handler on a click.
class CHyperLink : public QLabel {
    Q_OBJECT
public:
    static constexpr QColor kLinkColour{0, 0, 238};
    static constexpr QColor kVisitedColour{85, 26, 139};
    static constexpr QColor kHoverColour{255, 0, 0};
    static constexpr int kHoverTimerMs = 100;

    explicit CHyperLink(QWidget* parent = nullptr);

    void setURL(const QString& target);
    QString url() const { return m_url; }
    // Sets the shown text and fits the control to it.
    void setLinkText(const QString& text);

    bool isHovered() const { return m_hovered; }
    bool isVisited() const { return m_visited; }
    QColor textColour() const;

    // Opens the target: the shell's result code, above 32 for success.
    using Opener = std::function<int(const QString& target)>;
    // Test hook: while set, targets are handed to it instead of the desktop's handler.
    static void setOpener(Opener opener);
    // Opens a target as a click on a link does: through the test hook or the desktop; a failure
    // beeps and is explained in a message box over messageParent. True when it opened.
    static bool openTarget(QWidget* messageParent, const QString& target);
    // The explanation shown for a failed open's result code.
    static QString errorText(int code);

protected:
    void enterEvent(QEnterEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void open();
    void setHovered(bool hovered);
    void applyColour();

    QString m_url;
    QFont m_plainFont;
    QFont m_underlineFont;
    bool m_hovered = false;
    bool m_visited = false;
    int m_timerId = 0;
};

}  // namespace velk::ui
