#include "ui/common/ControlTips.h"

#include <QVariant>
#include <QWidget>

namespace velk::ui {
namespace {

constexpr const char* kEnabledTip = "velkEnabledToolTip";
constexpr const char* kDisabledTip = "velkDisabledToolTip";

void showTip(QWidget* widget) {
    const char* key = widget->isEnabled() ? kEnabledTip : kDisabledTip;
    widget->setToolTip(widget->property(key).toString());
}

}  // namespace

void setEnabledToolTip(QWidget* widget, const QString& tip) {
    widget->setProperty(kEnabledTip, tip);
    showTip(widget);
}

void setEnabledExplained(QWidget* widget, bool enabled, const QString& whyDisabled) {
    widget->setProperty(kDisabledTip, whyDisabled);
    widget->setEnabled(enabled);
    showTip(widget);
}

}  // namespace velk::ui
