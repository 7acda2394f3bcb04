// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
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

// The version a version file names: digits in groups joined by single dots
// ("1.0", "1.10.2"), at most 32 bytes, maybe followed by one line end, which
// is not part of it. Anything else (empty, an error page, blanks) names none.
std::optional<QByteArray> versionInFile(QByteArray body);

// Fetches the site's version file and compares the version it names, byte for
// byte, with the program's version "1.0": the same is the latest, any other
// (older ones too: the site names the version to have) means a newer version
// and opens the download page. A failed fetch, or a file that names no
// version, says nothing and leaves the status line as it was.
VersionOutcome checkVersion(WebDwn& client, const VersionCheckHooks& hooks,
                            const QByteArray& base = web::webBase());

}  // namespace rabuscal
