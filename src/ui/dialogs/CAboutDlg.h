#pragma once

#include <QDialog>

namespace velk::ui {

class CHyperLink;

// The about box: the program's name and version and a link to its documentation.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    CHyperLink* link() const { return m_link; }

    // Where the link points: the user guide that comes with the program, found beside the
    // running program's folder.
    static QString documentationUrl();
    // The guide's path for a program in programDir.
    static QString guidePath(const QString& programDir);

private:
    CHyperLink* m_link = nullptr;
};

}  // namespace velk::ui
