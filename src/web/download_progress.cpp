// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/download_progress.h"

#include <algorithm>

#include "web/web_dwn.h"

namespace rabuscal {

void DownloadProgress::follow(const WebDwn& client) {
    connect(&client, &WebDwn::WorkBegin, this, &DownloadProgress::WebDwnWorkBegin);
    connect(&client, &WebDwn::Work, this, &DownloadProgress::WebDwnWork);
    connect(&client, &WebDwn::WorkEnd, this, &DownloadProgress::WebDwnWorkEnd);
}

void DownloadProgress::WebDwnWorkBegin(qint64 total) {
    maximum_ = std::max<qint64>(total, 0);
    position_ = 0;
    emit changed(maximum_, position_);
}

void DownloadProgress::WebDwnWork(qint64 received) {
    position_ = std::clamp<qint64>(received, 0, maximum_);
    emit changed(maximum_, position_);
}

void DownloadProgress::WebDwnWorkEnd() {
    position_ = 0;
    emit changed(maximum_, position_);
}

}  // namespace rabuscal
