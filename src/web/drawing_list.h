// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

namespace rabuscal {

// A list of shared drawings as the site serves it: one drawing name per line,
// without ".bmp". Lines end with CR LF, CR or LF; a last line without an end
// counts, a line end at the very end adds nothing, and an empty line in the
// middle is an empty name. Names stay Windows-1252 bytes.
//
// Only the first maxNames lines are kept, so that a list of any size fills
// the gallery quickly and within bounded memory.
inline constexpr qsizetype kMaxDrawingNames = 10000;

QList<QByteArray> parseDrawingList(const QByteArray& body, qsizetype maxNames = kMaxDrawingNames);

}  // namespace rabuscal
