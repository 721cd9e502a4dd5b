#pragma once

#include <QWidget>
#include <array>

#include "model/Records.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace velk::ui {

// The data composer: text segments with blanks between them, laid out in cells three to a row.
// The action editor holds one for network data and one for serial data. It only reads the record
// it is given (null while adding).
class CNetComData : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCellCount = 11;
    static constexpr int kBlankCount = 10;  // cell 10 holds only the last segment
    static constexpr int kCellWidth = 315;
    static constexpr int kCellHeight = 80;
    static constexpr int kMaxTextLength = 200;    // the step and interval edits
    static constexpr int kFirstVarPosition = 10;  // "序号": E1..E10, then V1..V16
    static constexpr int kInputPosition = 26;     // "序号": Input
    static constexpr int kCountModePosition = 2;  // "方式": count

    enum class Group { Enum, Var, Input };

    // Builds every cell and hides the panel.
    CNetComData(QWidget* parent, const KeyAction* record);

    void ShowCells(int n);
    void LoadCells(int n);
    bool CollectData(int n, int type, SendData& out);

    // The controls of one cell, for the editor's tests and screenshots.
    struct Blank {
        QWidget* part = nullptr;  // label, second frame and options
        QComboBox* index = nullptr;
        QComboBox* digits = nullptr;
        QWidget* inputGroup = nullptr;
        QComboBox* mode = nullptr;
        QComboBox* count = nullptr;
        QComboBox* overflow = nullptr;
        QWidget* enumGroup = nullptr;
        QComboBox* group = nullptr;
        QComboBox* loop = nullptr;
        QComboBox* enumDirection = nullptr;
        QComboBox* save = nullptr;
        QWidget* varGroup = nullptr;
        QLineEdit* step = nullptr;
        QLineEdit* interval = nullptr;
        QComboBox* varDirection = nullptr;
    };
    QLineEdit* textEdit(int cell) const { return m_textEdits.at(static_cast<size_t>(cell)); }
    const Blank& blank(int k) const { return m_blanks.at(static_cast<size_t>(k)); }
    bool cellShown(int cell) const;
    bool blankShown(int k) const;
    bool groupShown(int k, Group group) const;

private:
    void OnIndexChanged(int cell);
    void OnModeChanged(int cell);

    void buildCell(int cell);
    void buildBlank(int cell, QWidget* parent);
    void applyGroupRule(int k);
    void applyModeRule(int k);
    void loadBlank(int k, const Placeholder& placeholder);

    const KeyAction* m_record;
    std::array<QWidget*, kCellCount> m_cells{};
    std::array<QLineEdit*, kCellCount> m_textEdits{};
    std::array<Blank, kBlankCount> m_blanks{};
};

}  // namespace velk::ui
