#pragma once

#include <QRect>
#include <QStringList>
#include <cstdint>

class QComboBox;
class QLineEdit;
class QWidget;

namespace velk::ui {

// Controls at fixed pixel positions, as the editor's window sizes are fixed too (labels are
// placedLabel of ui/dialogs/DialogSupport.h).
QComboBox* makeList(QWidget* parent, const QStringList& entries, const QRect& geometry);
QLineEdit* makeEdit(QWidget* parent, const QRect& geometry, int maxLength);

// "1" ... "last" (or from `first`).
QStringList numberEntries(int first, int last);

// The entries of a shared choice list, by position until `text` gives nothing (src/action).
QStringList choiceEntries(const char* (*text)(int32_t));

// Selects a stored position; a value the list does not hold (a hostile or damaged project file)
// selects `fallback` instead of leaving the list without a selection.
void selectPosition(QComboBox* list, int position, int fallback = 0);

}  // namespace velk::ui
