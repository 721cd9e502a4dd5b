#pragma once

#include <QString>

class QWidget;

namespace velk::ui {

// A control's tooltip says what it does while it is enabled and why it is not while it is disabled.

// The tooltip of the enabled control (empty: none).
void setEnabledToolTip(QWidget* widget, const QString& tip);
// Enables or disables the control; disabled, its tooltip is whyDisabled.
void setEnabledExplained(QWidget* widget, bool enabled, const QString& whyDisabled);

}  // namespace velk::ui
