#include "ui/common/Ipv4Edit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace velk::ui {

Ipv4Edit::Ipv4Edit(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            layout->addWidget(dot);
        }
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("octet%1").arg(i + 1));
        // QIntValidator would let "300" through as an intermediate value.
        static const QRegularExpression octet(
            QStringLiteral("^(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[0-9]{1,2})?$"));
        field->setValidator(new QRegularExpressionValidator(octet, field));
        field->setMaxLength(3);
        field->setAlignment(Qt::AlignCenter);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            // Three digits complete an octet; the cursor moves on as in the classic control.
            if (text.size() == 3 && i + 1 < m_fields.size()) {
                m_fields[i + 1]->setFocus();
                m_fields[i + 1]->selectAll();
            }
            emit addressEdited();
        });
        m_fields[i] = field;
        layout->addWidget(field, 1);
    }
    setFocusProxy(m_fields[0]);
}

uint32_t Ipv4Edit::address() const {
    uint32_t value = 0;
    for (QLineEdit* field : m_fields) {
        uint32_t octet = field->text().toUInt();
        value = (value << 8) | (octet > 255 ? 255 : octet);
    }
    return value;
}

void Ipv4Edit::setAddress(uint32_t address) {
    for (size_t i = 0; i < m_fields.size(); ++i) {
        m_fields[i]->setText(QString::number((address >> (24 - 8 * i)) & 0xffu));
    }
}

bool Ipv4Edit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        for (size_t i = 0; i + 1 < m_fields.size(); ++i) {
            if (watched == m_fields[i] && key->text() == QStringLiteral(".")) {
                m_fields[i + 1]->setFocus();
                m_fields[i + 1]->selectAll();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace velk::ui
