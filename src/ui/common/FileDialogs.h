#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace velk::ui {

// The project file dialogs of 新建 and 打开. An empty result means the user cancelled.
QString chooseNewProjectFile(QWidget* parent);
QString chooseProjectFileToOpen(QWidget* parent);

using FileDialogHandler = std::function<QString(bool saveDialog)>;

// Test hook: while set, the dialogs are not shown and the handler's answer is taken instead. The
// flag tells whether the save-style dialog was asked for. Returns the handler it replaces.
FileDialogHandler setFileDialogHandler(FileDialogHandler handler);

}  // namespace velk::ui
