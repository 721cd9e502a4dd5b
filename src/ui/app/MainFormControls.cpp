#include "ui/app/MainFormControls.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "device/PanelAddress.h"
#include "ui/app/EventMarks.h"
#include "ui/common/Ipv4Edit.h"

namespace velk::ui {
namespace {

struct Column {
    const char* header;
    int width;
};

constexpr const char* kDesigned = "velkDesignedGeometry";

// Places a control and keeps the rectangle, which the layout of a larger window starts from.
template <typename Widget>
Widget* placed(Widget* widget, int x, int y, int w, int h) {
    widget->setGeometry(x, y, w, h);
    widget->setProperty(kDesigned, QRect(x, y, w, h));
    return widget;
}

QPushButton* button(QWidget* parent, const QString& text, int x, int y, int w, int h) {
    return placed(new QPushButton(text, parent), x, y, w, h);
}

QLabel* label(QWidget* parent, const QString& text, int x, int y, int w, int h) {
    return placed(new QLabel(text, parent), x, y, w, h);
}

QGroupBox* groupBox(QWidget* parent, const QString& title, int x, int y, int w, int h) {
    return placed(new QGroupBox(title, parent), x, y, w, h);
}

QTableWidget* list(QWidget* parent, std::initializer_list<Column> columns, int rows, bool multiSelect, int x,
                   int y, int w, int h) {
    auto* result = placed(new QTableWidget(rows, static_cast<int>(columns.size()), parent), x, y, w, h);
    result->setShowGrid(true);
    // Tab moves on to the next control; the arrow keys walk the cells.
    result->setTabKeyNavigation(false);
    result->setSelectionBehavior(QAbstractItemView::SelectRows);
    result->setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection
                                         : QAbstractItemView::SingleSelection);
    result->setEditTriggers(QAbstractItemView::NoEditTriggers);
    result->verticalHeader()->setVisible(false);
    result->verticalHeader()->setDefaultSectionSize(18);
    result->horizontalHeader()->setHighlightSections(false);
    result->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    result->setWordWrap(false);
    int column = 0;
    QStringList headers;
    for (const Column& each : columns) {
        headers << QString::fromUtf8(each.header);
        result->setColumnWidth(column++, each.width);
    }
    result->setHorizontalHeaderLabels(headers);
    for (int row = 0; row < rows; ++row) {
        setRowTexts(result, row, QStringList());
    }
    return result;
}

struct KeyGroup {
    const char* title;
    int x;
    int y;
    std::array<const char*, 3> selectors;
};

// The ten inputs in slot order: keys 1..8, then IO1 and IO2.
constexpr std::array<KeyGroup, 10> kKeyGroups{{
    {"按键1", 430, 118, {"按下", "弹起", "保持"}},
    {"按键2", 505, 118, {"按下", "弹起", "保持"}},
    {"按键3", 580, 118, {"按下", "弹起", "保持"}},
    {"按键4", 655, 118, {"按下", "弹起", "保持"}},
    {"按键5", 730, 118, {"按下", "弹起", "保持"}},
    {"按键6", 430, 208, {"按下", "弹起", "保持"}},
    {"按键7", 505, 208, {"按下", "弹起", "保持"}},
    {"按键8", 580, 208, {"按下", "弹起", "保持"}},
    {"IO1", 655, 208, {"变低", "变高", "拉低"}},
    {"IO2", 730, 208, {"变低", "变高", "拉低"}},
}};

void buildFunctionArea(QWidget* form, MainFormControls& c) {
    c.functionGroup = groupBox(form, QStringLiteral("功能区"), 5, 0, 800, 96);
    label(form, QStringLiteral("操作:"), 17, 17, 30, 22);
    c.newButton = button(form, QStringLiteral("新建"), 58, 15, 60, 20);
    c.openButton = button(form, QStringLiteral("打开"), 128, 15, 60, 20);
    c.writeButton = button(form, QStringLiteral("写入"), 198, 15, 60, 20);
    c.networkButton = button(form, QStringLiteral("网络设置"), 268, 15, 60, 20);
    c.aboutButton = button(form, QStringLiteral("关于"), 338, 15, 60, 20);
    label(form, QStringLiteral("路径:"), 17, 41, 30, 22);
    c.pathEdit = placed(new QLineEdit(form), 58, 39, 316, 22);
    c.pathEdit->setReadOnly(true);

    c.ipLabel = label(form, QStringLiteral("IP地址:"), 10, 66, 48, 25);
    c.ipEdit = placed(new Ipv4Edit(form), 58, 68, 140, 25);
    c.portLabel = label(form, QStringLiteral("端口:"), 205, 66, 38, 25);
    c.portEdit = placed(new QLineEdit(QString::number(kDefaultPanelPort), form), 243, 66, 60, 25);
    c.connectButton = button(form, QStringLiteral("连接"), 314, 66, 60, 20);
    // Right of 连接, under the 红外学习 group and the logo: the only room beside the address fields.
    c.linkNotice = label(form, QString(), 380, 81, 420, 14);
    c.linkNotice->setObjectName(QStringLiteral("linkNotice"));
    c.linkNotice->setStyleSheet(QStringLiteral("color: #b00000;"));

    groupBox(form, QString(), 405, 15, 90, 65);
    c.irIdLabel = label(form, QStringLiteral("红外ID:"), 410, 28, 45, 20);
    c.irIdEdit = placed(new QLineEdit(form), 455, 28, 35, 20);
    c.learnIrButton = button(form, QStringLiteral("红外学习"), 420, 55, 60, 20);

    // Kept from the designed form but never shown.
    c.modeCombo = new QComboBox(form);
    c.modeCombo->addItems({QStringLiteral("离线模式"), QStringLiteral("在线模式")});
    c.modeCombo->setCurrentIndex(0);
    c.modeCombo->hide();
    c.readButton = new QPushButton(QStringLiteral("读取"), form);
    c.readButton->hide();
}

void buildFixedLists(QWidget* form, MainFormControls& c) {
    c.enumGroup = groupBox(form, QStringLiteral("枚举变量区"), 0, 100, 420, 190);
    c.enumList = list(form, {{"序号", 38}, {"类型", 38}, {"数目", 38}, {"数据列表", 260}}, 10, false, 5, 118,
                      410, 145);
    c.enumModify = button(form, QStringLiteral("修改"), 105, 264, 60, 20);
    c.enumClear = button(form, QStringLiteral("删除"), 225, 264, 60, 20);

    c.variableGroup = groupBox(form, QStringLiteral("普通变量区"), 0, 292, 420, 190);
    c.variableList =
        list(form, {{"序号", 80}, {"初始值", 80}, {"最小值", 80}, {"最大值", 80}, {"掉电保存", 80}}, 16, true,
             5, 310, 410, 140);
    c.variableModify = button(form, QStringLiteral("修改"), 105, 456, 60, 20);
    c.variableClear = button(form, QStringLiteral("删除"), 225, 456, 60, 20);

    c.netGroup = groupBox(form, QStringLiteral("网络连接"), 0, 492, 210, 190);
    c.netList = list(form, {{"通道", 38}, {"IP地址", 110}, {"端口", 50}}, 7, false, 5, 510, 200, 145);
    c.netModify = button(form, QStringLiteral("修改"), 45, 656, 40, 20);
    c.netClear = button(form, QStringLiteral("删除"), 121, 656, 40, 20);
}

void buildKeyPanel(QWidget* form, MainFormControls& c) {
    c.keyPanel = groupBox(form, QStringLiteral("按键面板区"), 425, 100, 380, 382);
    c.selectors = new QButtonGroup(form);
    c.selectors->setExclusive(true);
    int slot = 0;
    for (size_t g = 0; g < kKeyGroups.size(); ++g) {
        const KeyGroup& group = kKeyGroups[g];
        auto* box = groupBox(form, QString::fromUtf8(group.title), group.x, group.y, 70, 85);
        std::array<QRadioButton*, 3> selectors{};
        for (int i = 0; i < 3; ++i) {
            auto* selector =
                placed(new QRadioButton(QString::fromUtf8(group.selectors[static_cast<size_t>(i)]), box), 10,
                       18 + 22 * i, 50, 20);
            c.selectors->addButton(selector, slot);
            c.selectorButtons[static_cast<size_t>(slot)] = selector;
            selectors[static_cast<size_t>(i)] = selector;
            ++slot;
        }
        c.keyGroups[g] = box;
        c.eventMarks[g] = new EventMarks(box, selectors);
    }
    // Under the key groups, in the room the panel has there.
    c.marksLegend = label(form, EventMarks::legendText(), 435, 300, 360, 20);
    c.marksLegend->setObjectName(QStringLiteral("marksLegend"));
}

void buildActionArea(QWidget* form, MainFormControls& c) {
    c.actionGroup = groupBox(form, QStringLiteral("按键功能列表"), 213, 492, 592, 190);
    c.actionList = list(form, {{"功能", 42}, {"通道", 58}, {"参数/操作", 143}, {"数据", 1024}}, 0, true, 218,
                        510, 582, 80);
    c.actionAdd = button(form, QStringLiteral("添加"), 265, 656, 60, 20);
    c.actionModify = button(form, QStringLiteral("修改"), 372, 656, 60, 20);
    c.actionDelete = button(form, QStringLiteral("删除"), 476, 656, 60, 20);

    c.timeGroup = groupBox(form, QString(), 225, 590, 110, 65);
    c.timeText = label(form, QString(), 230, 603, 100, 20);
    c.timeButton = button(form, QStringLiteral("时间设置"), 240, 630, 60, 20);
    c.appendGroup = groupBox(form, QString(), 345, 590, 320, 65);
    c.appendLine1 = label(form, QString(), 350, 603, 300, 20);
    c.appendLine2 = label(form, QString(), 350, 630, 240, 20);
    c.appendButton = button(form, QStringLiteral("追加设置"), 595, 630, 60, 20);
}

}  // namespace

MainFormControls buildMainForm(QWidget* form) {
    MainFormControls controls;
    buildFunctionArea(form, controls);
    buildFixedLists(form, controls);
    buildKeyPanel(form, controls);
    buildActionArea(form, controls);
    return controls;
}

QRect designedGeometry(const QWidget* widget) {
    const QVariant rect = widget->property(kDesigned);
    return rect.isValid() ? rect.toRect() : widget->geometry();
}

int firstSelectedRow(const QTableWidget* list) {
    int first = -1;
    for (const QModelIndex& index : list->selectionModel()->selectedRows()) {
        if (first < 0 || index.row() < first) {
            first = index.row();
        }
    }
    return first;
}

void setRowTexts(QTableWidget* list, int row, const QStringList& texts) {
    if (row < 0 || row >= list->rowCount()) {
        return;
    }
    for (int column = 0; column < list->columnCount(); ++column) {
        QString text = column < texts.size() ? texts.at(column) : QString();
        if (QTableWidgetItem* item = list->item(row, column)) {
            item->setText(text);
        } else {
            list->setItem(row, column, new QTableWidgetItem(text));
        }
    }
}

}  // namespace velk::ui
