// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/report_placement.h"

#include <algorithm>

namespace rabuscal {

namespace {

constexpr int kGap = 8;  // room for the window system's frame and a little air

QList<QRect> besides(const QRect& window, QSize box) {
    const int centredLeft = window.center().x() - box.width() / 2;
    const int centredTop = window.center().y() - box.height() / 2;
    return {
        {QPoint(centredLeft, window.bottom() + 1 + kGap), box},
        {QPoint(centredLeft, window.top() - kGap - box.height()), box},
        {QPoint(window.right() + 1 + kGap, centredTop), box},
        {QPoint(window.left() - kGap - box.width(), centredTop), box},
    };
}

bool coversAny(const QRect& place, const QList<QRect>& windows) {
    return std::any_of(windows.begin(), windows.end(),
                       [&](const QRect& w) { return place.intersects(w); });
}

}  // namespace

QPoint reportPlacement(QSize box, const QRect& screen, QList<QRect> windows) {
    std::stable_sort(windows.begin(), windows.end(), [](const QRect& a, const QRect& b) {
        return a.width() * a.height() > b.width() * b.height();
    });
    QList<QRect> places;
    for (const QRect& window : windows) places += besides(window, box);
    // A place may slide along the screen's edge as long as it stays clear.
    for (QRect& place : places) {
        place.moveLeft(std::clamp(place.left(), screen.left(), screen.right() + 1 - box.width()));
        place.moveTop(std::clamp(place.top(), screen.top(), screen.bottom() + 1 - box.height()));
    }
    for (const QRect& place : places)
        if (!coversAny(place, windows)) return place.topLeft();
    if (!windows.isEmpty())
        for (const QRect& place : places)
            if (!place.intersects(windows.front())) return place.topLeft();
    return screen.bottomRight() - QPoint(box.width(), box.height()) + QPoint(1, 1);
}

}  // namespace rabuscal
