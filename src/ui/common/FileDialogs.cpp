#include "ui/common/FileDialogs.h"

#include <QFileDialog>
#include <utility>

namespace velk::ui {
namespace {

FileDialogHandler& fileDialogHandler() {
    static FileDialogHandler handler;
    return handler;
}

const QString kProjectFilter = QStringLiteral("Database Files(*.db)");

}  // namespace

QString chooseNewProjectFile(QWidget* parent) {
    if (fileDialogHandler()) {
        return fileDialogHandler()(true);
    }
    QFileDialog dialog(parent, QString(), QString(), kProjectFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("db"));
    // Replacing an existing file asks first.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().first();
}

QString chooseProjectFileToOpen(QWidget* parent) {
    if (fileDialogHandler()) {
        return fileDialogHandler()(false);
    }
    // A name that does not exist yet is accepted; opening it creates an empty project.
    QFileDialog dialog(parent, QString(), QString(), kProjectFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().first();
}

FileDialogHandler setFileDialogHandler(FileDialogHandler handler) {
    return std::exchange(fileDialogHandler(), std::move(handler));
}

}  // namespace velk::ui
