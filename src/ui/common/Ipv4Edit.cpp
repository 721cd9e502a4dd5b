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

// An octet field takes up to three digits worth 0..255 as they are typed ("001" is 1); a key that
// would make more is not taken. Any other text is refused, but one that holds a whole dotted address
// (a paste, however it came: keys, menu, mouse) is handed to the control, which fills all four
// fields once the field has finished refusing it.
class OctetValidator : public QValidator {
public:
    OctetValidator(Ipv4Edit* control, QObject* parent) : QValidator(parent), m_control(control) {}

    State validate(QString& input, int&) const override {
        static const QRegularExpression digits(QStringLiteral("^[0-9]{0,3}$"));
        // QIntValidator would let "300" through as an intermediate value.
        if (digits.match(input).hasMatch() && input.toInt() <= 255) {
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
            // A third digit typed at the end completes the octet: the next field takes the keys.
            if (text.size() == 3 && m_fields[i]->cursorPosition() == 3 && i + 1 < m_fields.size()) {
                enterField(i + 1, FieldEntry::SelectAll);
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

void Ipv4Edit::enterField(size_t index, FieldEntry entry) {
    QLineEdit* field = m_fields[index];
    field->setFocus();
    switch (entry) {
        case FieldEntry::SelectAll:
            field->selectAll();
            break;
        case FieldEntry::AtStart:
            field->setCursorPosition(0);
            break;
        case FieldEntry::AtEnd:
            field->setCursorPosition(static_cast<int>(field->text().size()));
            break;
    }
}

bool Ipv4Edit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    size_t index = 0;
    while (index < m_fields.size() && watched != m_fields[index]) {
        ++index;
    }
    if (index == m_fields.size()) {
        return QWidget::eventFilter(watched, event);
    }
    QLineEdit* field = m_fields[index];
    const bool first = index == 0;
    const bool last = index + 1 == m_fields.size();
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (key->text() == QStringLiteral(".") || key->text() == QStringLiteral(" ")) {
        // The separator ends an octet that has digits before the caret. Right after a move (the
        // field empty or wholly selected) it is the dot the user types out of habit: nothing
        // happens, so no field is skipped.
        if (!last && !field->text().isEmpty() && !field->hasSelectedText() && field->cursorPosition() > 0) {
            enterField(index + 1, FieldEntry::SelectAll);
        }
        return true;
    }
    if (plain && !field->hasSelectedText()) {
        const int caret = field->cursorPosition();
        if (key->key() == Qt::Key_Backspace && caret == 0 && !first) {
            enterField(index - 1, FieldEntry::AtEnd);
            return true;
        }
        if (key->key() == Qt::Key_Left && caret == 0 && !first) {
            enterField(index - 1, FieldEntry::AtEnd);
            return true;
        }
        if (key->key() == Qt::Key_Right && caret == field->text().size() && !last) {
            enterField(index + 1, FieldEntry::AtStart);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace velk::ui
