#pragma once

#include <QSize>

namespace velk::ui {

struct MainFormControls;

// The main window's client size at its designed size, where every control stands where the form
// was designed.
constexpr QSize kDesignedClientSize{830, 800};
// The smallest form that shows every control without scrolling (their extent): a smaller window
// scrolls the form.
constexpr QSize kFormMinimumSize{810, 688};

// Places every control of a form of this size: up to the designed size as designed; beyond it the
// lists, their frames and the action list grow, and what stands below or right of them moves with
// them.
void layoutMainForm(const MainFormControls& controls, QSize size);

}  // namespace velk::ui
