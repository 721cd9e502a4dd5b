#pragma once

#include <QWidget>
#include <array>

#include "session/EventOverview.h"

class QGroupBox;
class QRadioButton;

namespace velk::ui {

// Paints over one key group box what its three events hold, readable at a glance: the count of
// actions in a badge right of each selector's text (the text bold while the event has actions),
// and marks left of the selector for a time setting (orange, above) and an append setting (green,
// below). The selectors keep their texts; their tooltips list the actions.
class EventMarks : public QWidget {
    Q_OBJECT
public:
    EventMarks(QGroupBox* group, const std::array<QRadioButton*, 3>& selectors);

    void setOverview(int index, const EventOverview& overview);
    const EventOverview& overview(int index) const { return m_overviews.at(static_cast<size_t>(index)); }

    // What the marks mean, as rich text for a label beside them.
    static QString legendText();

    static const QColor& countColour();
    static const QColor& timeColour();
    static const QColor& appendColour();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<QRadioButton*, 3> m_selectors;
    std::array<EventOverview, 3> m_overviews{};
};

}  // namespace velk::ui
