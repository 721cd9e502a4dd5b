#include "ui/common/Ipv4Edit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QValidator>

#include "device/PanelAddress.h"

namespace velk::ui {
namespace {

// Where a dotted address, with an optional ":port", stands in a pasted text; what the address and
// port may be is PanelAddress's to say.
const QRegularExpression& dottedAddress() {
    static const QRegularExpression pattern(
        QStringLiteral("(?<![0-9])([0-9]{1,3}(?:\\.[0-9]{1,3}){3})(?![0-9])(?::([0-9]{1,5}))?"));
    return pattern;
}

// An octet field takes 0..255 as it is typed. Any other text is refused, but one that holds a whole
// dotted address (a paste, however it came: keys, menu, mouse) is handed to the control, which
// fills all four fields once the field has finished refusing it.
class OctetValidator : public QValidator {
public:
    OctetValidator(Ipv4Edit* control, QObject* parent) : QValidator(parent), m_control(control) {}

    State validate(QString& input, int&) const override {
        static const QRegularExpression octet(
            QStringLiteral("^(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[0-9]{1,2})?$"));
        // QIntValidator would let "300" through as an intermediate value.
        if (octet.match(input).hasMatch()) {
            return Acceptable;
        }
        if (dottedAddress().match(input).hasMatch()) {
            QMetaObject::invokeMethod(
                m_control, [control = m_control, text = input] { control->takePastedAddress(text); },
                Qt::QueuedConnection);
        }
        return Invalid;
    }

private:
    Ipv4Edit* m_control;
};

}  // namespace

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
        field->setValidator(new OctetValidator(this, field));
        // No length limit: the validator keeps an octet to three digits, and a limit would cut a
        // pasted address to its first octet before the validator sees it.
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

bool Ipv4Edit::takePastedAddress(const QString& text) {
    QRegularExpressionMatch match = dottedAddress().match(text);
    if (!match.hasMatch()) {
        return false;
    }
    uint32_t address = 0;
    if (!parseDottedAddress(match.captured(1).toStdString(), address)) {
        return false;
    }
    // A port the panel cannot have leaves the port field as it is.
    int port = -1;
    if (match.hasCaptured(2)) {
        if (std::optional<PanelAddress> panel = parsePanelAddress(match.captured(0).toStdString())) {
            port = panel->port;
        }
    }
    setAddress(address);
    m_fields[3]->setFocus();
    emit addressEdited();
    emit addressPasted(address, port);
    return true;
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
