// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the game's windows open. Plain geometry in the screen's logical
// pixels (what Qt calls device-independent), so the rules hold at any scale
// and are tested without a screen. `area` is the screen's available area:
// the screen less the desktop's panels.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace rabuscal {

// The top-left corner that puts `window` inside `area`, moving it as little
// as possible. A window larger than the area keeps its top-left corner in
// it, where the skinned windows' captions and drag surfaces begin.
QPoint keptInside(const QRect& window, const QRect& area);

// Centred on the area, and inside it as above.
QPoint centredIn(QSize window, const QRect& area);

// Beside `anchor` (right of it, left, below, above, sliding along the area's
// edges) where the area has room for the whole window clear of it; failing
// that, the place inside the area that covers least of `keepClear` (the part
// of the anchor the player must see), then least of the anchor.
QPoint besideOrLeastCovering(QSize window, const QRect& area, const QRect& anchor,
                             const QRect& keepClear);

// The largest whole scale, at least 1, at which `window` (in logical pixels)
// fits whole into `area` (in the screen's device pixels).
int wholeScaleThatFits(QSize window, QSize area);

// Where the error report opens: beside the game's windows, never over them,
// so that the list or the fields it reports on stay in view. Tries below,
// above, right of and left of each window in turn (the largest, the main
// window, first) for a place in the area that covers no window; failing
// that, a place that at least keeps the main window clear; failing that, the
// area's bottom-right corner.
QPoint reportPlacement(QSize box, const QRect& area, QList<QRect> windows);

}  // namespace rabuscal
