#include "ui/common/WindowPlacement.h"

#include <algorithm>

namespace velk::ui {

QRect placeWindow(QSize wanted, const QRect& available, const QMargins& frame) {
    const QRect room = available.marginsRemoved(frame);
    const QSize size = wanted.boundedTo(room.size()).expandedTo(QSize(1, 1));
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(room.center());
    placed.moveLeft(std::max(placed.left(), room.left()));
    placed.moveTop(std::max(placed.top(), room.top()));
    return placed;
}

std::optional<QRect> restoredPlacement(const QRect& saved, const QList<QRect>& areas, QSize minimum,
                                       const QMargins& frame) {
    if (!saved.isValid() || saved.width() < minimum.width() || saved.height() < minimum.height()) {
        return std::nullopt;
    }
    for (const QRect& area : areas) {
        const QRect room = area.marginsRemoved(frame);
        // The title bar must be reachable: the top edge inside the area, wide enough to grab.
        const QRect titleBar(saved.left(), saved.top() - frame.top(), saved.width(), frame.top());
        if (!area.intersects(titleBar) || area.intersected(titleBar).width() < std::min(saved.width(), 100)) {
            continue;
        }
        if (saved.width() > room.width() || saved.height() > room.height()) {
            continue;
        }
        QRect placed = saved;
        placed.moveLeft(std::clamp(placed.left(), room.left(), room.right() - placed.width() + 1));
        placed.moveTop(std::clamp(placed.top(), room.top(), room.bottom() - placed.height() + 1));
        return placed;
    }
    return std::nullopt;
}

}  // namespace velk::ui
