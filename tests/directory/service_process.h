// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test helpers: rabuscal-directory and redis-server as child processes.

#include <signal.h>
#include <sys/resource.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>
#include <memory>

#include "directory/wire_peer.h"

namespace rabuscal::directory::testing {

// rabuscal-directory on an ephemeral port, its output collected.
class ServiceProcess {
  public:
    // `fileLimit`: the open-file limit it runs under, if not 0.
    explicit ServiceProcess(QStringList args = {}, rlim_t fileLimit = 0) {
        support::coreApplication();
        if (fileLimit)
            process_.setChildProcessModifier([fileLimit] {
                const rlimit few{fileLimit, fileLimit};
                ::setrlimit(RLIMIT_NOFILE, &few);
            });
        process_.start(RABUSCAL_DIRECTORY_BIN, QStringList{"--port", "0"} + args);
        const QRegularExpression listening("listening on port (\\d+)");
        [[maybe_unused]] const bool started = QTest::qWaitFor(
            [&] {
                const auto match = listening.match(QString::fromLatin1(output()));
                if (match.hasMatch()) port_ = match.captured(1).toUShort();
                return port_ != 0 || process_.state() == QProcess::NotRunning;
            },
            kPatience);
    }
    ~ServiceProcess() {
        process_.kill();
        process_.waitForFinished(kPatience);
    }
    quint16 port() const { return port_; }
    const QByteArray& output() {
        out_ += process_.readAllStandardOutput();
        return out_;
    }
    bool waitOutput(const char* text) {
        return waitFor([&] { return output().contains(text); });
    }
    QProcess& process() { return process_; }

  private:
    QProcess process_;
    QByteArray out_;
    quint16 port_ = 0;
};

// A redis-server of the test's own on a free loopback port, nothing saved.
class RedisProcess {
  public:
    static constexpr const char* kBinary = "/usr/bin/redis-server";
    static bool available() { return QFile::exists(kBinary); }

    // `extra`: more redis-server options; a password puts "--requirepass" in.
    explicit RedisProcess(QStringList extra = {}, QString password = {})
        : port_(support::unusedPort()), extra_(std::move(extra)), password_(std::move(password)) {
        if (!password_.isEmpty()) extra_ << "--requirepass" << password_;
        start();
    }
    ~RedisProcess() { stop(); }

    bool start() {
        process_ = std::make_unique<QProcess>();
        process_->start(kBinary, QStringList{"--port", QString::number(port_), "--bind",
                                             "127.0.0.1", "--save", "", "--appendonly", "no"} +
                                     extra_);
        return QTest::qWaitFor(
            [&] {
                QTcpSocket probe;
                probe.connectToHost("127.0.0.1", port_);
                return probe.waitForConnected(200);
            },
            kPatience);
    }
    void stop() {
        if (!process_) return;
        process_->kill();
        process_->waitForFinished(kPatience);
        process_.reset();
    }
    QString url() const {
        return "redis://" + (password_.isEmpty() ? QString() : ":" + password_ + "@") +
               "127.0.0.1:" + QString::number(port_);
    }

  private:
    std::unique_ptr<QProcess> process_;
    quint16 port_ = 0;
    QStringList extra_;
    QString password_;
};

}  // namespace rabuscal::directory::testing
