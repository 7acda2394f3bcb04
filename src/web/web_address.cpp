// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/web_address.h"

#include "rabuscal_config.h"

namespace rabuscal {

namespace web {

static_assert(std::string_view(rabuscal::config::kWebBase).ends_with('/'),
              "RABUSCAL_WEB_BASE must end in /: relative paths are appended to it directly");

QByteArray webBase() {
    return QByteArray(rabuscal::config::kWebBase);
}

QUrl webAddress(const QByteArray& base, std::string_view relativePath) {
    const QByteArray address =
        base + QByteArray(relativePath.data(), qsizetype(relativePath.size()));
    return QUrl::fromEncoded(address, QUrl::StrictMode);
}

}  // namespace web

}  // namespace rabuscal
