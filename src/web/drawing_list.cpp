// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/drawing_list.h"

namespace rabuscal {

QList<QByteArray> parseDrawingList(const QByteArray& body, qsizetype maxNames) {
    QList<QByteArray> names;
    const qsizetype size = body.size();
    qsizetype start = 0;
    while (start < size && names.size() < maxNames) {
        qsizetype end = start;
        while (end < size && body[end] != '\r' && body[end] != '\n') ++end;
        names.append(body.mid(start, end - start));
        if (end < size) {
            const bool crLf = body[end] == '\r' && end + 1 < size && body[end + 1] == '\n';
            end += crLf ? 2 : 1;
        }
        start = end;
    }
    return names;
}

}  // namespace rabuscal
