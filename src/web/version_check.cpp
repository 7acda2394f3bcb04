// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/version_check.h"

#include "rabuscal_config.h"
#include "web/web_dwn.h"

namespace rabuscal {

namespace {

constexpr qsizetype kLongestVersion = 32;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<QByteArray> versionInFile(QByteArray body) {
    if (body.endsWith("\r\n"))
        body.chop(2);
    else if (body.endsWith('\n'))
        body.chop(1);
    if (body.isEmpty() || body.size() > kLongestVersion) return std::nullopt;
    // Digits in groups joined by single dots: no dot first, last or twice.
    bool digitBefore = false;
    for (const char c : body) {
        if (isDigit(c))
            digitBefore = true;
        else if (c == '.' && digitBefore)
            digitBefore = false;
        else
            return std::nullopt;
    }
    if (!digitBefore) return std::nullopt;
    return body;
}

VersionOutcome checkVersion(WebDwn& client, const VersionCheckHooks& hooks,
                            const QByteArray& base) {
    const Fetched answer = client.get(web::webAddress(base, web::kVersionFile));
    if (!answer.ok) return VersionOutcome::Unknown;
    // An empty file or an error page served as the file says nothing about
    // versions: the check failed, and failed checks are silent.
    const std::optional<QByteArray> version = versionInFile(answer.body);
    if (!version) return VersionOutcome::Unknown;
    if (*version == QByteArray(rabuscal::config::kVersion)) {
        if (hooks.setStatus) hooks.setStatus(kLatestVersionText);
        return VersionOutcome::Latest;
    }
    if (hooks.setStatus) hooks.setStatus(kNewerVersionText);
    if (hooks.openPage) hooks.openPage(web::kDownloadPage);
    return VersionOutcome::Newer;
}

}  // namespace rabuscal
