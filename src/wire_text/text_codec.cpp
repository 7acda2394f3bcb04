// SPDX-License-Identifier: GPL-3.0-or-later
#include "wire_text/text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr char kSubstitute = '\x1a';

}  // namespace

std::string toWire(const QString& text) {
    // The codec writes the substitute byte 0x1A for a character the code page
    // cannot hold (and nothing for a lone surrogate); a typed U+001A is that
    // byte too. Going character by character tells them apart, so exactly the
    // unmappable characters become "?".
    QStringEncoder encoder("windows-1252");
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView character = QStringView(text).mid(i, length);
        i += length;
        if (character.size() == 1 && character.front() == QChar(kSubstitute)) {
            out += kSubstitute;
            continue;
        }
        const QByteArray one = encoder.encode(character);
        out += one == QByteArrayView(&kSubstitute, 1) || one.isEmpty() ? std::string("?")
                                                                       : one.toStdString();
    }
    return out;
}

QString fromWire(std::string_view bytes) {
    QStringDecoder decoder("windows-1252");
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}
