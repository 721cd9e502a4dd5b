#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <optional>

namespace velk::ui {

// Where a window goes, from its client size and the frame the window manager draws around it.

// The frame expected before the window manager has told the real one (a title bar and borders).
constexpr QMargins kExpectedFrame{4, 30, 4, 4};

// The client geometry of a window that wants `wanted`: that size where the available area allows
// it (frame included), otherwise as much as fits; centred on the area and never past it, so the
// title bar stays on the screen.
QRect placeWindow(QSize wanted, const QRect& available, const QMargins& frame = kExpectedFrame);

// A remembered client geometry, when it still fits one of the screens' available areas (a screen
// may be gone or smaller): the geometry itself, moved inside that area if it sticks out a little.
// Nothing when no area holds its title bar or it is smaller than minimum.
std::optional<QRect> restoredPlacement(const QRect& saved, const QList<QRect>& areas, QSize minimum,
                                       const QMargins& frame = kExpectedFrame);

}  // namespace velk::ui
