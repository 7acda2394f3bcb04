// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/version_check.h"

#include <QCoreApplication>

#include "rabuscal_config.h"
#include "web/web_dwn.h"

namespace rabuscal {

VersionOutcome checkVersion(WebDwn& client, const VersionCheckHooks& hooks,
                            const QByteArray& base) {
    // The button's pressed face is drawn before the fetch holds the window.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const Fetched answer = client.get(web::webAddress(base, web::kVersionFile));
    if (!answer.ok) return VersionOutcome::Unknown;
    if (answer.body == QByteArray(rabuscal::config::kVersion)) {
        if (hooks.setStatus) hooks.setStatus(kLatestVersionText);
        return VersionOutcome::Latest;
    }
    if (hooks.setStatus) hooks.setStatus(kNewerVersionText);
    if (hooks.openPage) hooks.openPage(web::kDownloadPage);
    return VersionOutcome::Newer;
}

}  // namespace rabuscal
