#include "ui/dialogs/CWritingTip.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>

namespace velk::ui {

CWritingTip::CWritingTip(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("正在写入"));
    // A caption without a close button: the write decides when the window goes.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* text = new QLabel(QStringLiteral("    请勿操作TAV16 PLAN，关闭软件或者断开网络"), this);
    text->setObjectName(QStringLiteral("tipText"));
    text->setGeometry(10, 14, 292, 22);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setGeometry(14, 52, 284, 20);
    m_bar->setRange(0, kRange);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    // 208 x 56 dialog units of the usual dialog font.
    setFixedSize(312, 91);
}

void CWritingTip::setPosition(int position) {
    if (position >= 0 && position <= kRange) {
        m_bar->setValue(position);
    }
}

int CWritingTip::position() const {
    return m_bar->value();
}

void CWritingTip::finish() {
    m_finishing = true;
    if (isVisible()) {
        done(QDialog::Accepted);
    }
    m_finishing = false;
}

void CWritingTip::reject() {
    if (m_finishing) {
        QDialog::reject();
    }
}

void CWritingTip::closeEvent(QCloseEvent* event) {
    if (m_finishing) {
        QDialog::closeEvent(event);
    } else {
        event->ignore();
    }
}

}  // namespace velk::ui
