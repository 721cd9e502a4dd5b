#include "ui/app/EventMarks.h"

#include <QGroupBox>
#include <QPainter>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <algorithm>

namespace velk::ui {
namespace {

constexpr int kBadgeHeight = 12;
constexpr int kMarkSize = 5;
constexpr int kMarkX = 5;

}  // namespace

const QColor& EventMarks::countColour() {
    static const QColor colour(42, 111, 191);
    return colour;
}

const QColor& EventMarks::timeColour() {
    static const QColor colour(232, 137, 12);
    return colour;
}

const QColor& EventMarks::appendColour() {
    static const QColor colour(46, 158, 62);
    return colour;
}

QString EventMarks::legendText() {
    return QStringLiteral(
               "<span style='color:%1'>&#9632;</span> 动作数&nbsp;&nbsp;&nbsp;"
               "<span style='color:%2'>&#9679;</span> 时间设置开启&nbsp;&nbsp;&nbsp;"
               "<span style='color:%3'>&#9679;</span> 追加设置开启")
        .arg(countColour().name(), timeColour().name(), appendColour().name());
}

EventMarks::EventMarks(QGroupBox* group, const std::array<QRadioButton*, 3>& selectors)
    : QWidget(group), m_selectors(selectors) {
    setObjectName(QStringLiteral("eventMarks"));
    // Only paints: clicks and tooltips belong to the selectors beneath.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, group->width(), group->height());
    raise();
}

void EventMarks::setOverview(int index, const EventOverview& overview) {
    EventOverview& shown = m_overviews.at(static_cast<size_t>(index));
    if (shown == overview) {
        return;
    }
    shown = overview;
    QRadioButton* selector = m_selectors.at(static_cast<size_t>(index));
    QFont font = selector->font();
    font.setBold(overview.actions > 0);
    selector->setFont(font);
    update();
}

void EventMarks::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont badgeFont = font();
    badgeFont.setPixelSize(9);
    badgeFont.setBold(true);
    for (size_t i = 0; i < m_selectors.size(); ++i) {
        const EventOverview& overview = m_overviews[i];
        const QRadioButton* selector = m_selectors[i];
        const QRect row = selector->geometry();
        if (overview.timeOn) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(timeColour());
            painter.drawEllipse(QRect(kMarkX, row.top() + 3, kMarkSize, kMarkSize));
        }
        if (overview.appendOn) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(appendColour());
            painter.drawEllipse(QRect(kMarkX, row.bottom() - 3 - kMarkSize + 1, kMarkSize, kMarkSize));
        }
        if (overview.actions <= 0) {
            continue;
        }
        // Right after the text, as the style lays the selector out.
        QStyleOptionButton option;
        option.initFrom(selector);
        option.text = selector->text();
        const QRect contents =
            selector->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, selector);
        const int textEnd =
            row.left() + contents.left() + selector->fontMetrics().horizontalAdvance(selector->text());
        const QString count = overview.actions > 9 ? QStringLiteral("9+") : QString::number(overview.actions);
        const int badgeWidth = std::max(kBadgeHeight, QFontMetrics(badgeFont).horizontalAdvance(count) + 4);
        const int left = std::min(textEnd + 2, width() - 2 - badgeWidth);
        const QRect badge(left, row.center().y() - kBadgeHeight / 2, badgeWidth, kBadgeHeight);
        painter.setPen(Qt::NoPen);
        painter.setBrush(countColour());
        painter.drawRoundedRect(badge, kBadgeHeight / 2.0, kBadgeHeight / 2.0);
        painter.setPen(Qt::white);
        painter.setFont(badgeFont);
        painter.drawText(badge, Qt::AlignCenter, count);
    }
}

}  // namespace velk::ui
