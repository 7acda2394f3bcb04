// SPDX-License-Identifier: GPL-3.0-or-later
#include "assets/indexed_bitmap.h"

#include <QHash>
#include <QList>
#include <QSaveFile>
#include <algorithm>
#include <limits>
#include <vector>

#include "assets/sketch_palette.h"

namespace rabuscal::assets {
namespace {

int distance2(QRgb a, QRgb b) {
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

// A shade this close to magenta would show as a pink fringe around the window.
bool nearMagenta(QRgb c) {
    return distance2(c, kTransparent.rgb()) < 90 * 90;
}

bool isOpaque(const QImage& opaque, int x, int y) {
    return opaque.isNull() || qGray(opaque.pixel(x, y)) > 127;
}

QList<QRgb> choosePalette(const QHash<QRgb, int>& counts) {
    std::vector<std::pair<int, QRgb>> byCount;
    byCount.reserve(counts.size());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (!nearMagenta(it.key())) byCount.emplace_back(it.value(), it.key());
    std::sort(byCount.begin(), byCount.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });

    QList<QRgb> palette{kTransparent.rgb()};
    // Greedy by frequency, refusing colours too close to one already taken;
    // the spacing shrinks until the palette is full or every colour is in.
    for (int spacing = 12; spacing >= 0 && palette.size() < 256; spacing -= 3) {
        for (const auto& [count, colour] : byCount) {
            if (palette.size() == 256) break;
            const bool crowded = std::any_of(palette.cbegin(), palette.cend(), [&](QRgb p) {
                return distance2(p, colour) <= spacing * spacing;
            });
            if (!crowded) palette.append(colour);
        }
    }
    return palette;
}

}  // namespace

QImage toIndexed8(const QImage& artIn, const QImage& opaque) {
    const QImage art = artIn.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x)
            if (isOpaque(opaque, x, y)) ++counts[art.pixel(x, y) | 0xff000000u];

    const QList<QRgb> palette = choosePalette(counts);
    QHash<QRgb, uchar> nearest;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        int best = 1;
        int bestDistance = std::numeric_limits<int>::max();
        for (int i = 1; i < palette.size(); ++i) {
            const int d = distance2(palette[i], it.key());
            if (d < bestDistance) bestDistance = d, best = i;
        }
        nearest.insert(it.key(), uchar(best));
    }

    QList<QRgb> table = palette;
    // Readers of old 256-colour bitmaps expect a full table.
    while (table.size() < 256) table.append(qRgb(0, 0, 0));
    QImage out(art.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    out.fill(0);  // also clears the row padding, which the bitmap file carries
    for (int y = 0; y < art.height(); ++y) {
        uchar* line = out.scanLine(y);
        for (int x = 0; x < art.width(); ++x)
            line[x] = isOpaque(opaque, x, y) ? nearest.value(art.pixel(x, y) | 0xff000000u) : 0;
    }
    return out;
}

bool saveBitmap(const QImage& indexed, const QString& path) {
    // Written by hand rather than through QImage::save, whose row padding is
    // whatever memory held: the same drawing must give the same bytes.
    if (indexed.format() != QImage::Format_Indexed8 || indexed.colorCount() > 256) return false;
    const quint32 rowBytes = (quint32(indexed.width()) + 3) & ~3u;
    const quint32 paletteBytes = 256 * 4;
    const quint32 pixelsAt = 14 + 40 + paletteBytes;
    const quint32 fileBytes = pixelsAt + rowBytes * quint32(indexed.height());

    QByteArray data;
    data.reserve(int(fileBytes));
    auto u16 = [&](quint32 v) { data.append(char(v & 0xff)).append(char((v >> 8) & 0xff)); };
    auto u32 = [&](quint32 v) { u16(v & 0xffff), u16(v >> 16); };
    data.append("BM");
    u32(fileBytes), u32(0), u32(pixelsAt);
    u32(40), u32(quint32(indexed.width())), u32(quint32(indexed.height()));
    u16(1), u16(8), u32(0), u32(rowBytes * quint32(indexed.height()));
    u32(3780), u32(3780), u32(256), u32(0);  // 96 dpi, 256 colours
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < indexed.colorCount() ? indexed.color(i) : qRgb(0, 0, 0);
        data.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    }
    for (int y = indexed.height() - 1; y >= 0; --y) {  // bottom row first
        data.append(reinterpret_cast<const char*>(indexed.constScanLine(y)), indexed.width());
        data.append(QByteArray(int(rowBytes) - indexed.width(), '\0'));
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit();
}

}  // namespace rabuscal::assets
