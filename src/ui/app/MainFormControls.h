#pragma once

#include <QRect>
#include <QString>
#include <array>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QWidget;

namespace velk::ui {

class EventMarks;
class Ipv4Edit;

// Every control of the main form, created at their places by buildMainForm.
struct MainFormControls {
    QPushButton* newButton = nullptr;      // 新建
    QPushButton* openButton = nullptr;     // 打开
    QPushButton* writeButton = nullptr;    // 写入
    QPushButton* networkButton = nullptr;  // 网络设置
    QPushButton* aboutButton = nullptr;    // 关于
    QLineEdit* pathEdit = nullptr;
    QLabel* ipLabel = nullptr;
    Ipv4Edit* ipEdit = nullptr;
    QLabel* portLabel = nullptr;
    QLineEdit* portEdit = nullptr;
    QPushButton* connectButton = nullptr;  // 连接 / 断开
    QLabel* linkNotice = nullptr;          // why the last connection failed or ended
    QLabel* irIdLabel = nullptr;
    QLineEdit* irIdEdit = nullptr;
    QPushButton* learnIrButton = nullptr;  // 红外学习
    QComboBox* modeCombo = nullptr;        // hidden: 离线模式 / 在线模式
    QPushButton* readButton = nullptr;     // hidden: 读取
    QWidget* logo = nullptr;

    QTableWidget* enumList = nullptr;
    QPushButton* enumModify = nullptr;
    QPushButton* enumClear = nullptr;
    QTableWidget* variableList = nullptr;
    QPushButton* variableModify = nullptr;
    QPushButton* variableClear = nullptr;
    QTableWidget* netList = nullptr;
    QPushButton* netModify = nullptr;
    QPushButton* netClear = nullptr;
    QTableWidget* actionList = nullptr;
    QPushButton* actionAdd = nullptr;
    QPushButton* actionModify = nullptr;
    QPushButton* actionDelete = nullptr;

    QButtonGroup* selectors = nullptr;  // id = event slot 0..29
    std::array<QRadioButton*, 30> selectorButtons{};
    std::array<QGroupBox*, 10> keyGroups{};    // 按键1 .. 按键8, IO1, IO2
    std::array<EventMarks*, 10> eventMarks{};  // what each group's events hold
    QLabel* marksLegend = nullptr;

    QLabel* timeText = nullptr;
    QPushButton* timeButton = nullptr;  // 时间设置
    QLabel* appendLine1 = nullptr;
    QLabel* appendLine2 = nullptr;
    QPushButton* appendButton = nullptr;  // 追加设置

    // The frames, which grow with their lists when the window is larger than designed.
    QGroupBox* functionGroup = nullptr;  // 功能区
    QGroupBox* enumGroup = nullptr;
    QGroupBox* variableGroup = nullptr;
    QGroupBox* keyPanel = nullptr;  // 按键面板区
    QGroupBox* netGroup = nullptr;
    QGroupBox* actionGroup = nullptr;
    QGroupBox* timeGroup = nullptr;
    QGroupBox* appendGroup = nullptr;
};

// Creates the form's controls as children of form, at the rectangles of the designed form.
MainFormControls buildMainForm(QWidget* form);

// The rectangle a control has on the designed form (where buildMainForm put it).
QRect designedGeometry(const QWidget* widget);

// The first selected row of a list, or -1.
int firstSelectedRow(const QTableWidget* list);

// Rewrites the texts of one row.
void setRowTexts(QTableWidget* list, int row, const QStringList& texts);

}  // namespace velk::ui
