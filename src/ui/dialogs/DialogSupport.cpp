#include "ui/dialogs/DialogSupport.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <limits>

#include "rules/FieldRules.h"
#include "rules/RuleMessages.h"

namespace velk::ui {
namespace {

constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 31;

}  // namespace

void setDialogWindowSize(QDialog& dialog, int width, int height) {
    dialog.setFixedSize(width - kFrameWidth, height - kFrameHeight);
}

QLabel* placedLabel(QWidget* parent, const QString& text, int x, int y, int w, int h) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, w, h);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLineEdit* placedEdit(QWidget* parent, int x, int y, int w, int h) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(x, y, w, h);
    return edit;
}

QPushButton* placedButton(QWidget* parent, const QString& text, int x, int y, int w, int h) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(x, y, w, h);
    button->setAutoDefault(false);
    return button;
}

void placeOkCancel(QDialog& dialog, int okX, int cancelX, int y, int w, int h) {
    QPushButton* ok = placedButton(&dialog, QStringLiteral("确定"), okX, y, w, h);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    QPushButton* cancel = placedButton(&dialog, QStringLiteral("取消"), cancelX, y, w, h);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    // accept() and reject() are virtual, so the dialog's own checks run.
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
}

void keepWhatIsTyped(QLineEdit& edit) {
    edit.setMaxLength(std::numeric_limits<int>::max());
}

void acceptDigitsOnly(QLineEdit& edit) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]*$"));
    edit.setValidator(new QRegularExpressionValidator(digits, &edit));
}

std::optional<int> readInteger(const QString& text) {
    return rules::typedInteger(text.toStdString());
}

int leadingInteger(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    constexpr long long kLimit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = std::min(value * 10 + (text[i].unicode() - '0'), kLimit);
    }
    if (negative) {
        return static_cast<int>(-value);
    }
    return static_cast<int>(std::min(value, kLimit - 1));
}

QString gbkRefusedMessage(const QString& field) {
    return QString::fromStdString(rules::gbkRefused(field.toStdString()));
}

}  // namespace velk::ui
