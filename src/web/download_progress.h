// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

namespace rabuscal {

class WebDwn;

// The main window's download gauge as the fetches move it: the maximum is
// the size the server announced (0 when it gave none, so the bar stays
// empty), the position the bytes received so far, never outside 0..maximum,
// and back to 0 when the transfer ends.
class DownloadProgress : public QObject {
    Q_OBJECT
  public:
    explicit DownloadProgress(QObject* parent = nullptr) : QObject(parent) {}

    // Follows every fetch of the client from now on.
    void follow(const WebDwn& client);

    qint64 maximum() const { return maximum_; }
    qint64 position() const { return position_; }

    void WebDwnWorkBegin(qint64 total);
    void WebDwnWork(qint64 received);
    void WebDwnWorkEnd();

  signals:
    void changed(qint64 maximum, qint64 position);

  private:
    qint64 maximum_ = 0;
    qint64 position_ = 0;
};

}  // namespace rabuscal
