#pragma once

#include <QComboBox>
#include <QStringList>
#include <QTest>

#include "ui/editor/CEditDialog.h"
#include "ui/support/WidgetTestSupport.h"

// The texts of a list's entries, in order.
inline QStringList entries(const QComboBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        out.append(list->itemText(i));
    }
    return out;
}

// Picks the function the editor offers under label; the check fails when it offers none.
inline void choose(velk::ui::CEditDialog& dialog, const QString& label) {
    QComboBox* list = dialog.controls().function;
    const int position = list->findText(label);
    QVERIFY2(position >= 0, qPrintable(label));
    list->setCurrentIndex(position);
}
