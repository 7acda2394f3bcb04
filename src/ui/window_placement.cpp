// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_placement.h"

#include <algorithm>
#include <limits>

namespace rabuscal {

namespace {

constexpr int kGap = 8;  // room for the window system's frame and a little air

enum class Side { Below, Above, Right, Left };

QRect nextTo(const QRect& anchor, QSize box, Side side) {
    const int centredLeft = anchor.center().x() - box.width() / 2;
    const int centredTop = anchor.center().y() - box.height() / 2;
    switch (side) {
        case Side::Below:
            return {QPoint(centredLeft, anchor.bottom() + 1 + kGap), box};
        case Side::Above:
            return {QPoint(centredLeft, anchor.top() - kGap - box.height()), box};
        case Side::Right:
            return {QPoint(anchor.right() + 1 + kGap, centredTop), box};
        case Side::Left:
            return {QPoint(anchor.left() - kGap - box.width(), centredTop), box};
    }
    return {};
}

// The places around `anchor` in `order`, each slid along the area's edges to
// stay inside: a place may slide as long as it stays clear.
QList<QRect> around(const QRect& anchor, QSize box, const QRect& area,
                    std::initializer_list<Side> order) {
    QList<QRect> places;
    for (const Side side : order) {
        QRect place = nextTo(anchor, box, side);
        place.moveTopLeft(keptInside(place, area));
        places.append(place);
    }
    return places;
}

bool coversAny(const QRect& place, const QList<QRect>& windows) {
    return std::any_of(windows.begin(), windows.end(),
                       [&](const QRect& w) { return place.intersects(w); });
}

qint64 coveredArea(const QRect& place, const QRect& other) {
    const QRect common = place.intersected(other);
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

}  // namespace

QPoint keptInside(const QRect& window, const QRect& area) {
    // Right and bottom first, so that a window too large for the area ends
    // with its top-left corner on the area's.
    const int left =
        std::max(std::min(window.left(), area.right() + 1 - window.width()), area.left());
    const int top =
        std::max(std::min(window.top(), area.bottom() + 1 - window.height()), area.top());
    return {left, top};
}

QPoint centredIn(QSize window, const QRect& area) {
    QRect centred(QPoint(), window);
    centred.moveCenter(area.center());
    return keptInside(centred, area);
}

QPoint besideOrLeastCovering(QSize window, const QRect& area, const QRect& anchor,
                             const QRect& keepClear) {
    const QList<QRect> besides =
        around(anchor, window, area, {Side::Right, Side::Left, Side::Below, Side::Above});
    for (const QRect& place : besides)
        if (!place.intersects(anchor)) return place.topLeft();

    // No room beside it: try the area's edges and the lines just clear of
    // the part to keep in view, every left with every top.
    const int lefts[] = {area.left(), area.right() + 1 - window.width(),
                         keepClear.left() - kGap - window.width(), keepClear.right() + 1 + kGap};
    const int tops[] = {area.top(), area.bottom() + 1 - window.height(),
                        keepClear.top() - kGap - window.height(), keepClear.bottom() + 1 + kGap};
    QList<QRect> places = besides;
    for (const int left : lefts)
        for (const int top : tops) {
            const QRect place(QPoint(left, top), window);
            places.append(QRect(keptInside(place, area), window));
        }
    QRect best = places.front();
    std::pair<qint64, qint64> bestCover{std::numeric_limits<qint64>::max(), 0};
    for (const QRect& place : places) {
        const std::pair cover{coveredArea(place, keepClear), coveredArea(place, anchor)};
        if (cover < bestCover) {
            best = place;
            bestCover = cover;
        }
    }
    return best.topLeft();
}

int wholeScaleThatFits(QSize window, QSize area) {
    if (window.isEmpty()) return 1;
    return std::max(1, std::min(area.width() / window.width(), area.height() / window.height()));
}

QPoint reportPlacement(QSize box, const QRect& area, QList<QRect> windows) {
    std::stable_sort(windows.begin(), windows.end(), [](const QRect& a, const QRect& b) {
        return a.width() * a.height() > b.width() * b.height();
    });
    QList<QRect> places;
    for (const QRect& window : windows)
        places += around(window, box, area, {Side::Below, Side::Above, Side::Right, Side::Left});
    for (const QRect& place : places)
        if (!coversAny(place, windows)) return place.topLeft();
    if (!windows.isEmpty())
        for (const QRect& place : places)
            if (!place.intersects(windows.front())) return place.topLeft();
    return keptInside(
        QRect(area.bottomRight() - QPoint(box.width(), box.height()) + QPoint(1, 1), box), area);
}

}  // namespace rabuscal
