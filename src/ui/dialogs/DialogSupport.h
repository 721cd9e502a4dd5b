#pragma once

#include <QString>
#include <optional>

class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace velk::ui {

// Sizes given for the dialogs are those of the whole window; Qt sizes the client area, so a
// typical frame and caption are taken off.
void setDialogWindowSize(QDialog& dialog, int width, int height);

QLabel* placedLabel(QWidget* parent, const QString& text, int x, int y, int w, int h);
QLineEdit* placedEdit(QWidget* parent, int x, int y, int w, int h);
QPushButton* placedButton(QWidget* parent, const QString& text, int x, int y, int w, int h);

// The 确定 (default, runs the dialog's accept()) and 取消 (runs reject()) buttons on one row.
void placeOkCancel(QDialog& dialog, int okX, int cancelX, int y, int w, int h);

// A free-text edit that keeps whatever is typed or pasted, however long: a text too long for its
// use is refused with a message when the dialog is confirmed, never cut by the edit.
void keepWhatIsTyped(QLineEdit& edit);

// An edit that takes only the digits 0-9 as they are typed, so no sign can be entered.
void acceptDigitsOnly(QLineEdit& edit);

// The text of a number edit as an int (digits, or a minus and digits as loaded); nothing when it
// is empty, holds anything else or does not fit an int.
std::optional<int> readInteger(const QString& text);

// Leading blanks, an optional sign and the leading digits, as C's atoi reads them; a text without
// leading digits gives 0 and values beyond int saturate instead of overflowing.
int leadingInteger(const QString& text);

// The refusal of a text holding a character that GBK cannot represent, naming the field.
QString gbkRefusedMessage(const QString& field);

}  // namespace velk::ui
