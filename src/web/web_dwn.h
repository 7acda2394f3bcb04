// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>

class QNetworkReply;
class QAuthenticator;

namespace rabuscal {

// What a fetch brought back: the whole body of a 2xx answer, or why there is
// none (the text the error report shows for a failed drawing download).
struct Fetched {
    bool ok = false;
    QByteArray body;
    QString error;
    bool cut = false;  // the answer was longer: body holds its first bytes only
};

// The game's HTTP client. A fetch blocks its caller until the answer is in,
// or until its deadline (30 s from its start) has passed, however slowly the
// bytes keep coming: it runs a nested event loop that leaves user input
// queued, so the windows cannot start a second fetch or act on a half-done
// one, while the progress signals still repaint the download gauge. Socket
// notifications of the game connections are not filtered by that loop: their
// handlers may run during a fetch, each to completion, as they do in the main
// loop.
//
// Every request is a GET over HTTP/1.1 without proxy, with the headers the
// site has always seen ("text/html, */*", the Indy user agent). Cookies the
// site sets live in memory until the program ends and go back with later
// requests. A redirect is not followed: like any answer outside 2xx it fails
// the fetch. Basic credentials, once set, stay for every later fetch.
class WebDwn : public QObject {
    Q_OBJECT
  public:
    static constexpr std::chrono::milliseconds kDefaultDeadline{30000};
    static constexpr qint64 kDefaultMaxBody = 64 * 1024 * 1024;

    // What a body longer than the limit gives: a failure, or its first bytes.
    enum class Overflow { Fail, KeepFirst };

    explicit WebDwn(QObject* parent = nullptr);

    // GET of a full address; blocks until the body is whole or the fetch
    // failed. A body larger than maxBody fails rather than filling memory,
    // or, with Overflow::KeepFirst, ends the transfer there and gives the
    // first maxBody bytes (Fetched::cut).
    Fetched get(const QUrl& address, qint64 maxBody = kDefaultMaxBody,
                Overflow overflow = Overflow::Fail);

    // HTTP Basic authentication: sent with every request while the switch is
    // on and a user name is set, and used once to answer a 401 challenge.
    // User name and password are Windows-1252 bytes, as typed by the player.
    void setUsername(const QByteArray& user);
    void setPassword(const QByteArray& password);
    void setBasicAuthentication(bool on) { basicAuthentication_ = on; }

    // A fetch that has not ended this long after its start fails as timed out.
    void setDeadline(std::chrono::milliseconds deadline) { deadline_ = deadline; }

  signals:
    // Progress of the transfer under way: the expected size (0 when the
    // server gives none), the bytes received so far, and its end.
    void WorkBegin(qint64 total);
    void Work(qint64 received);
    void WorkEnd();

  private:
    void answerChallenge(QNetworkReply* reply, QAuthenticator* authenticator);
    void keepCookie2(const QNetworkReply& reply);

    QNetworkAccessManager manager_;
    QNetworkCookieJar* jar_;  // owned by manager_
    QByteArray username_;
    QByteArray password_;
    bool basicAuthentication_ = false;
    std::chrono::milliseconds deadline_ = kDefaultDeadline;
    bool busy_ = false;
    int challengesAnswered_ = 0;
};

}  // namespace rabuscal
