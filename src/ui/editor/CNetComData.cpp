#include "ui/editor/CNetComData.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <algorithm>

#include "action/FormChoices.h"
#include "rules/CommandRules.h"
#include "rules/FieldRules.h"
#include "ui/common/ControlTips.h"
#include "ui/common/GbkText.h"
#include "ui/common/UiSeams.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/editor/EditorControls.h"
#include "ui/editor/EditorNumbers.h"

namespace velk::ui {
namespace {

constexpr int kMaxNumberRead = 99;
constexpr const char* kCountOnlyInCountMode = "方式为count时才能选择次数";

QStringList indexEntries() {
    QStringList entries;
    for (int i = 1; i <= 10; ++i) {
        entries.append(QStringLiteral("E%1").arg(i));
    }
    for (int i = 1; i <= 16; ++i) {
        entries.append(QStringLiteral("V%1").arg(i));
    }
    entries.append(QStringLiteral("Input"));
    return entries;
}

QFrame* makeFrame(QWidget* parent, const QRect& geometry) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(geometry);
    return frame;
}

int clampCount(int n) {
    return std::clamp(n, 0, CNetComData::kBlankCount);
}

}  // namespace

CNetComData::CNetComData(QWidget* parent, const KeyAction* record) : QWidget(parent), m_record(record) {
    for (int c = 0; c < kCellCount; ++c) {
        buildCell(c);
    }
    hide();
}

void CNetComData::buildCell(int c) {
    auto* cell = new QWidget(this);
    cell->setObjectName(QStringLiteral("cell%1").arg(c));
    cell->setGeometry((c % 3) * kCellWidth + 5, (c / 3) * kCellHeight + 5, kCellWidth, kCellHeight);
    makeFrame(cell, QRect(0, 0, kCellWidth - 7, kCellHeight - 5));
    placedLabel(cell, QStringLiteral("文本%1：").arg(c + 1), 6, 5, 52, 21);
    QLineEdit* edit = makeEdit(cell, QRect(58, 5, 244, 21), kMaxTextLength);
    // A segment is kept as typed or pasted; one over the limit is refused when confirmed.
    keepWhatIsTyped(*edit);
    edit->setObjectName(QStringLiteral("text%1").arg(c));
    m_textEdits[static_cast<size_t>(c)] = edit;
    m_cells[static_cast<size_t>(c)] = cell;
    if (c < kBlankCount) {
        buildBlank(c, cell);
    }
}

void CNetComData::buildBlank(int c, QWidget* cell) {
    Blank& b = m_blanks[static_cast<size_t>(c)];
    b.part = new QWidget(cell);
    b.part->setGeometry(4, 28, 300, 45);
    makeFrame(b.part, QRect(0, 0, 300, 45));
    placedLabel(b.part, QStringLiteral("空缺%1：").arg(c + 1), 5, 2, 50, 20);
    placedLabel(b.part, QStringLiteral("序号"), 56, 2, 26, 20);
    b.index = makeList(b.part, indexEntries(), QRect(82, 2, 66, 20));
    placedLabel(b.part, QStringLiteral("位数"), 154, 2, 26, 20);
    b.digits = makeList(b.part, numberEntries(kBlankDigits.first, kBlankDigits.last), QRect(180, 2, 50, 20));

    const QRect groupArea(0, 23, 300, 21);
    b.enumGroup = new QWidget(b.part);
    b.enumGroup->setGeometry(groupArea);
    placedLabel(b.enumGroup, QStringLiteral("分组"), 5, 0, 26, 20);
    b.group = makeList(b.enumGroup, numberEntries(kEnumBlankGroups.first, kEnumBlankGroups.last),
                       QRect(31, 0, 44, 20));
    placedLabel(b.enumGroup, QStringLiteral("循环"), 78, 0, 26, 20);
    b.loop = makeList(b.enumGroup, choiceEntries(yesNoEntry), QRect(104, 0, 42, 20));
    placedLabel(b.enumGroup, QStringLiteral("方向"), 149, 0, 26, 20);
    b.enumDirection = makeList(b.enumGroup, choiceEntries(directionEntry), QRect(175, 0, 52, 20));
    placedLabel(b.enumGroup, QStringLiteral("保存"), 230, 0, 26, 20);
    b.save = makeList(b.enumGroup, choiceEntries(yesNoEntry), QRect(256, 0, 42, 20));

    b.inputGroup = new QWidget(b.part);
    b.inputGroup->setGeometry(groupArea);
    placedLabel(b.inputGroup, QStringLiteral("方式"), 5, 0, 26, 20);
    b.mode = makeList(b.inputGroup, choiceEntries(inputModeEntry), QRect(31, 0, 64, 20));
    placedLabel(b.inputGroup, QStringLiteral("次数"), 99, 0, 26, 20);
    b.count = makeList(b.inputGroup, numberEntries(kInputBlankCounts.first, kInputBlankCounts.last),
                       QRect(125, 0, 42, 20));
    placedLabel(b.inputGroup, QStringLiteral("溢出处理"), 171, 0, 50, 20);
    b.overflow = makeList(b.inputGroup, choiceEntries(overflowEntry), QRect(221, 0, 76, 20));

    b.varGroup = new QWidget(b.part);
    b.varGroup->setGeometry(groupArea);
    placedLabel(b.varGroup, QStringLiteral("步长"), 5, 0, 26, 20);
    b.step = makeEdit(b.varGroup, QRect(31, 0, 62, 20), kMaxTextLength);
    placedLabel(b.varGroup, QStringLiteral("间隔"), 99, 0, 26, 20);
    b.interval = makeEdit(b.varGroup, QRect(125, 0, 62, 20), kMaxTextLength);
    placedLabel(b.varGroup, QStringLiteral("方向"), 193, 0, 26, 20);
    b.varDirection = makeList(b.varGroup, choiceEntries(directionEntry), QRect(219, 0, 56, 20));

    // A new panel shows E1 with its options and "次数" disabled, as the mode rule would leave it.
    applyGroupRule(c);
    setEnabledExplained(b.count, false, QString::fromUtf8(kCountOnlyInCountMode));
    connect(b.index, &QComboBox::currentIndexChanged, this, [this, c] { OnIndexChanged(c); });
    connect(b.mode, &QComboBox::currentIndexChanged, this, [this, c] { OnModeChanged(c); });
}

bool CNetComData::cellShown(int cell) const {
    return !m_cells.at(static_cast<size_t>(cell))->isHidden();
}

bool CNetComData::blankShown(int k) const {
    return cellShown(k) && !blank(k).part->isHidden();
}

bool CNetComData::groupShown(int k, Group group) const {
    const Blank& b = blank(k);
    QWidget* widget = group == Group::Enum ? b.enumGroup : group == Group::Var ? b.varGroup : b.inputGroup;
    return blankShown(k) && !widget->isHidden();
}

void CNetComData::ShowCells(int n) {
    n = clampCount(n);
    for (int c = 0; c < kCellCount; ++c) {
        m_cells[static_cast<size_t>(c)]->setVisible(c <= n);
        if (c < kBlankCount) {
            m_blanks[static_cast<size_t>(c)].part->setVisible(c < n);
            if (c < n) {
                applyGroupRule(c);
            }
        }
    }
    // The editor places the panel (at 0, 90 of its window, in a scroll area when the screen is
    // small); the panel sizes itself.
    if (n == 0) {
        resize(580, kCellHeight);
    } else if (n == 1) {
        resize(630, kCellHeight);
    } else {
        resize(945, (n / 3 + 1) * kCellHeight);
    }
}

void CNetComData::LoadCells(int n) {
    n = clampCount(n);
    int stored = 0;
    const SendData* block = nullptr;
    if (m_record == nullptr) {
        for (int c = 0; c <= n; ++c) {
            textEdit(c)->clear();
        }
    } else {
        // The block follows the record's function, not the panel loading it: a network action
        // turned into a serial one keeps its data.
        if (m_record->function == FunctionCode::Network) {
            block = &m_record->network;
        } else if (m_record->function == FunctionCode::Serial) {
            block = &m_record->serial;
        } else {
            return;
        }
        // Never read past the stored lists; cells beyond them keep what they hold.
        stored = static_cast<int>(std::min<size_t>(block->placeholders.size(), kBlankCount));
        const int filled = std::min(n, stored);
        for (int k = 0; k < filled; ++k) {
            textEdit(k)->setText(fromGbk(block->segmentAt(static_cast<size_t>(k))));
            loadBlank(k, block->placeholders[static_cast<size_t>(k)]);
        }
        textEdit(filled)->setText(fromGbk(block->segmentAt(static_cast<size_t>(filled))));
    }
    for (int k = 0; k < kBlankCount; ++k) {
        if (blankShown(k)) {
            applyGroupRule(k);
        }
    }
    for (int k = 0; k < kBlankCount; ++k) {
        applyModeRule(k);
    }
    if (block != nullptr) {
        for (int k = 0; k < std::min(n, stored); ++k) {
            const Placeholder& p = block->placeholders[static_cast<size_t>(k)];
            if (p.kind == kKindInput) {
                selectPosition(blank(k).overflow, p.overflowIndex);
            }
        }
    }
}

void CNetComData::loadBlank(int k, const Placeholder& p) {
    const Blank& b = blank(k);
    if (p.kind == kKindInput) {
        b.index->setCurrentIndex(kInputPosition);
        selectPosition(b.mode, p.modeIndex);
        selectPosition(b.count, p.countIndex);
    } else if (p.kind == kKindEnum) {
        selectPosition(b.index, p.enumIndex < kFirstVarPosition ? p.enumIndex : -1);
        selectPosition(b.group, p.groupIndex);
        selectPosition(b.loop, p.loopIndex);
        selectPosition(b.save, p.saveIndex);
        selectPosition(b.enumDirection, p.enumDirection);
    } else {
        const int position = p.varIndex >= 0 && p.varIndex < kInputPosition - kFirstVarPosition
                                 ? p.varIndex + kFirstVarPosition
                                 : kFirstVarPosition;
        b.index->setCurrentIndex(position);
        b.step->setText(QString::number(p.step));
        b.interval->setText(QString::number(p.interval));
        selectPosition(b.varDirection, p.varDirection);
    }
    selectPosition(b.digits, p.digits - 1);
}

void CNetComData::applyGroupRule(int k) {
    const Blank& b = blank(k);
    const int p = b.index->currentIndex();
    b.enumGroup->setVisible(p < kFirstVarPosition);
    b.varGroup->setVisible(p >= kFirstVarPosition && p < kInputPosition);
    b.inputGroup->setVisible(p >= kInputPosition);
}

void CNetComData::applyModeRule(int k) {
    const Blank& b = blank(k);
    setEnabledExplained(b.count, b.mode->currentIndex() == kCountModePosition,
                        QString::fromUtf8(kCountOnlyInCountMode));
    b.overflow->clear();
    b.overflow->addItems(choiceEntries(overflowEntry));
    b.overflow->setCurrentIndex(0);
}

void CNetComData::OnIndexChanged(int cell) {
    applyGroupRule(cell);
}

void CNetComData::OnModeChanged(int cell) {
    applyModeRule(cell);
}

bool CNetComData::CollectData(int n, int type, SendData& out) {
    n = clampCount(n);
    const int t = n + 1;
    std::vector<std::string> texts;
    for (int i = 1; i <= t; ++i) {
        const QString text = textEdit(i - 1)->text();
        rules::SegmentContent segment = rules::composeSegment(i, t, type, text.toStdString());
        if (!segment.stored) {
            showError(this, QString::fromStdString(segment.refusal), QMessageBox::Critical);
            return false;
        }
        texts.push_back(std::move(*segment.stored));
    }

    std::vector<Placeholder> placeholders;
    for (int k = 0; k < n; ++k) {
        const Blank& b = blank(k);
        const int p = std::max(b.index->currentIndex(), 0);
        Placeholder placeholder;
        if (p < kFirstVarPosition) {
            placeholder.kind = kKindEnum;
            placeholder.enumIndex = p;
            placeholder.groupIndex = b.group->currentIndex();
            placeholder.loopIndex = b.loop->currentIndex();
            placeholder.enumDirection = b.enumDirection->currentIndex();
            placeholder.saveIndex = b.save->currentIndex();
        } else if (p >= kInputPosition) {
            placeholder.kind = kKindInput;
            placeholder.modeIndex = b.mode->currentIndex();
            placeholder.countIndex = b.count->currentIndex();
            placeholder.overflowIndex = b.overflow->currentIndex();
        } else {
            placeholder.kind = kKindVar;
            placeholder.varIndex = p - kFirstVarPosition;
            placeholder.step = leadingInteger(b.step->text(), {.maxChars = kMaxNumberRead});
            placeholder.interval = leadingInteger(b.interval->text(), {.maxChars = kMaxNumberRead});
            placeholder.varDirection = b.varDirection->currentIndex();
        }
        placeholder.digits = b.digits->currentIndex() + 1;
        placeholders.push_back(placeholder);
    }

    SendData composed = out;
    composed.varNum = n;
    composed.type = type;
    composed.texts = std::move(texts);
    composed.placeholders = std::move(placeholders);
    // Segments and blanks travel in one command; the panel could not take a longer one.
    if (std::optional<rules::Refusal> refusal = rules::dataCommandProblem(composed)) {
        showError(this, QString::fromStdString(refusal->message), QMessageBox::Critical);
        return false;
    }
    out = std::move(composed);
    return true;
}

}  // namespace velk::ui
