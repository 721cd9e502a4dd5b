#include "ui/app/FormLayout.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

#include "ui/app/MainFormControls.h"

namespace velk::ui {
namespace {

// The designed rectangle moved by (dx, dy) and grown by (dw, dh).
void place(QWidget* widget, int dx, int dy, int dw = 0, int dh = 0) {
    const QRect designed = designedGeometry(widget);
    widget->setGeometry(designed.x() + dx, designed.y() + dy, designed.width() + dw, designed.height() + dh);
}

// The last column takes the width a list gains; the others keep theirs.
void widenLastColumn(QTableWidget* list, int extra) {
    constexpr const char* kDesignedWidth = "velkDesignedLastColumn";
    const int last = list->columnCount() - 1;
    if (!list->property(kDesignedWidth).isValid()) {
        list->setProperty(kDesignedWidth, list->columnWidth(last));
    }
    list->setColumnWidth(last, list->property(kDesignedWidth).toInt() + extra);
}

}  // namespace

void layoutMainForm(const MainFormControls& c, QSize size) {
    const int gx = std::max(0, size.width() - kDesignedClientSize.width());
    const int gy = std::max(0, size.height() - kDesignedClientSize.height());
    // Half the height goes to the enumeration and variable lists, half to the bottom row, where the
    // action list shows more of its event.
    const int top = gy / 2;
    const int enumGrowth = top / 2;
    const int variableGrowth = top - enumGrowth;
    const int bottom = gy - top;
    const int centre = gx / 2;  // buttons stay centred under their growing lists

    place(c.functionGroup, 0, 0, gx, 0);

    place(c.enumGroup, 0, 0, gx, enumGrowth);
    place(c.enumList, 0, 0, gx, enumGrowth);
    place(c.enumModify, centre, enumGrowth);
    place(c.enumClear, centre, enumGrowth);
    widenLastColumn(c.enumList, gx);

    place(c.variableGroup, 0, enumGrowth, gx, variableGrowth);
    place(c.variableList, 0, enumGrowth, gx, variableGrowth);
    place(c.variableModify, centre, top);
    place(c.variableClear, centre, top);
    widenLastColumn(c.variableList, gx);

    place(c.keyPanel, gx, 0, 0, top);
    for (QGroupBox* group : c.keyGroups) {
        place(group, gx, 0);
    }
    place(c.marksLegend, gx, 0);

    place(c.netGroup, 0, top, 0, bottom);
    place(c.netList, 0, top, 0, bottom);
    place(c.netModify, 0, top + bottom);
    place(c.netClear, 0, top + bottom);

    place(c.actionGroup, 0, top, gx, bottom);
    place(c.actionList, 0, top, gx, bottom);
    for (QWidget* widget :
         std::initializer_list<QWidget*>{c.timeGroup, c.timeText, c.timeButton, c.appendGroup, c.appendLine1,
                                         c.appendLine2, c.appendButton}) {
        place(widget, 0, top + bottom);
    }
    for (QPushButton* button : {c.actionAdd, c.actionModify, c.actionDelete}) {
        place(button, centre, top + bottom);
    }
}

}  // namespace velk::ui
