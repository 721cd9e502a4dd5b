#include "ui/editor/EditorControls.h"

#include <QComboBox>
#include <QLineEdit>

namespace velk::ui {

QComboBox* makeList(QWidget* parent, const QStringList& entries, const QRect& geometry) {
    auto* list = new QComboBox(parent);
    list->addItems(entries);
    list->setCurrentIndex(0);
    list->setGeometry(geometry);
    return list;
}

QLineEdit* makeEdit(QWidget* parent, const QRect& geometry, int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(maxLength);
    edit->setGeometry(geometry);
    return edit;
}

QStringList numberEntries(int first, int last) {
    QStringList entries;
    for (int i = first; i <= last; ++i) {
        entries.append(QString::number(i));
    }
    return entries;
}

QStringList choiceEntries(const char* (*text)(int32_t)) {
    QStringList entries;
    for (int32_t position = 0; const char* entry = text(position); ++position) {
        entries.append(QString::fromUtf8(entry));
    }
    return entries;
}

void selectPosition(QComboBox* list, int position, int fallback) {
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : fallback);
}

}  // namespace velk::ui
