#include "ui/editor/EditorControls.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace velk::ui {

QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

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

void selectPosition(QComboBox* list, int position, int fallback) {
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : fallback);
}

}  // namespace velk::ui
