// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/client/group_announcer.h"

namespace rabuscal::directory {

GroupAnnouncer::GroupAnnouncer(std::string groupName, const QString& host, quint16 port,
                               QObject* parent)
    : QObject(parent), groupName_(std::move(groupName)), client_(host, port) {
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMsecs);
    connect(&retry_, &QTimer::timeout, this, &GroupAnnouncer::announce);
    connect(&client_, &DirectoryConnection::statusForServerWindow, this, &GroupAnnouncer::logLine);
    connect(&client_, &DirectoryConnection::statusForMain, this, [this](const QByteArray& text) {
        if (!text.isEmpty()) emit logLine(text);
    });
    connect(&client_, &DirectoryConnection::connectionLost, this, &GroupAnnouncer::retryLater);
    connect(&client_, &DirectoryConnection::connectionFailed, this, &GroupAnnouncer::retryLater);
}

GroupAnnouncer::~GroupAnnouncer() = default;

void GroupAnnouncer::announce() {
    announced_ = true;
    client_.activateGroup(groupName_);
}

void GroupAnnouncer::withdraw(int msecs) {
    announced_ = false;
    retry_.stop();
    if (client_.isActive()) client_.sendRequest(DirectoryClient::deactivateRequest(groupName_));
    client_.flushAndClose(msecs);
}

void GroupAnnouncer::retryLater() {
    // The group went with the connection; it comes back with the next one.
    if (announced_ && !client_.isActive() && !retry_.isActive()) retry_.start();
}

}  // namespace rabuscal::directory
