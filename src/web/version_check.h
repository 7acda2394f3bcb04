// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <string_view>

#include "web/web_address.h"

namespace rabuscal {

class WebDwn;

// What the version check does behind btVrs. The main window supplies the two
// hooks: its status line, and "show the browser in front and open this
// relative path of the site".
struct VersionCheckHooks {
    std::function<void(const QString& text)> setStatus;
    std::function<void(std::string_view relativePath)> openPage;
};

enum class VersionOutcome { Latest, Newer, Unknown };

inline const QString kLatestVersionText = QStringLiteral("Esta é a versão mais recente do jogo.");
inline const QString kNewerVersionText =
    QStringLiteral("Existe uma versão mais recente deste jogo.");

// Fetches the site's version file and compares its whole content, byte for
// byte, with the program's version "1.0": anything else, a line end included,
// means a newer version and opens the download page. A failed fetch says
// nothing and leaves the status line as it was.
VersionOutcome checkVersion(WebDwn& client, const VersionCheckHooks& hooks,
                            const QByteArray& base = web::webBase());

}  // namespace rabuscal
