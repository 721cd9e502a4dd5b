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

    // Where the link points: the user guide that comes with the program.
    static QString documentationUrl();

private:
    CHyperLink* m_link = nullptr;
};

}  // namespace velk::ui
