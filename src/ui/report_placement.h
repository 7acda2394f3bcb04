// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace rabuscal {

// Where the error report opens: beside the game's windows, never over them,
// so that the list or the fields it reports on stay in view. Tries below,
// above, right of and left of each window in turn (the largest, the main
// window, first) for a place on the screen that covers no window; failing
// that, a place that at least keeps the main window clear; failing that, the
// screen's bottom-right corner.
QPoint reportPlacement(QSize box, const QRect& screen, QList<QRect> windows);

}  // namespace rabuscal
