// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/web_dwn.h"

#include <QAuthenticator>
#include <QEventLoop>
#include <QNetworkCookie>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace rabuscal {

namespace {

QNetworkRequest requestFor(const QUrl& address) {
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Accept", "text/html, */*");
    request.setRawHeader("User-Agent", "Mozilla/3.0 (compatible; Indy Library)");
    // Bodies are kept byte for byte, and the length check below compares
    // what came over the wire with what the server announced.
    request.setRawHeader("Accept-Encoding", "identity");
    return request;
}

QString statusFailure(const QNetworkReply& reply, int status) {
    const QByteArray reason =
        reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    return QStringLiteral("HTTP/1.1 %1 %2").arg(status).arg(QString::fromLatin1(reason)).trimmed();
}

}  // namespace

WebDwn::WebDwn(QObject* parent) : QObject(parent), jar_(new QNetworkCookieJar) {
    manager_.setProxy(QNetworkProxy::NoProxy);
    manager_.setCookieJar(jar_);
    manager_.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    connect(&manager_, &QNetworkAccessManager::authenticationRequired, this,
            &WebDwn::answerChallenge);
}

void WebDwn::setUsername(const QByteArray& user) {
    if (user == username_) return;
    username_ = user;
    // Persistent connections remember the credentials of an answered
    // challenge; new ones must not be overridden by them.
    manager_.clearAccessCache();
}

void WebDwn::setPassword(const QByteArray& password) {
    if (password == password_) return;
    password_ = password;
    manager_.clearAccessCache();
}

Fetched WebDwn::get(const QUrl& address, qint64 maxBody, Overflow overflow) {
    Fetched result;
    if (busy_) {
        result.error = QStringLiteral("Another transfer is in progress");
        return result;
    }
    busy_ = true;
    challengesAnswered_ = 0;

    QNetworkRequest request = requestFor(address);
    if (basicAuthentication_ && !username_.isEmpty())
        request.setRawHeader("Authorization", "Basic " + (username_ + ':' + password_).toBase64());

    QNetworkReply* reply = manager_.get(request);
    QEventLoop loop;
    // One deadline for the whole fetch: a server that trickles a byte now
    // and then must not hold the window for longer.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    bool timedOut = false;
    bool tooLarge = false;
    bool begun = false;
    qint64 announced = -1;

    // Takes what arrived, up to maxBody; beyond it the transfer ends.
    auto take = [&](const QByteArray& bytes) {
        if (result.body.size() + bytes.size() <= maxBody) {
            result.body += bytes;
            return true;
        }
        if (overflow == Overflow::KeepFirst) {
            result.body += bytes.left(maxBody - result.body.size());
            result.cut = true;
        } else {
            tooLarge = true;
        }
        return false;
    };

    connect(&deadline, &QTimer::timeout, reply, [&] {
        timedOut = true;
        reply->abort();
    });
    connect(reply, &QNetworkReply::metaDataChanged, reply, [&] {
        keepCookie2(*reply);
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        announced = length.isValid() ? length.toLongLong() : -1;
        if (announced > maxBody && overflow == Overflow::Fail) {
            tooLarge = true;
            reply->abort();
            return;
        }
        if (!begun) {
            begun = true;
            emit WorkBegin(announced > 0 ? announced : 0);
        }
    });
    connect(reply, &QNetworkReply::readyRead, reply, [&] {
        if (!take(reply->readAll())) {
            reply->abort();
            return;
        }
        emit Work(result.body.size());
    });
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);

    deadline.start(deadline_);
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();
    if (!tooLarge && !timedOut && !result.cut) take(reply->readAll());

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (timedOut)
        result.error = QStringLiteral("Read timed out.");
    else if (result.cut && status >= 200 && status <= 299)
        result.ok = true;  // the first bytes of a longer answer, as asked
    else if (tooLarge)
        result.error = QStringLiteral("Answer larger than %1 bytes.").arg(maxBody);
    else if (status != 0 && (status < 200 || status > 299))
        result.error = statusFailure(*reply, status);
    else if (reply->error() != QNetworkReply::NoError)
        result.error = reply->errorString();
    else if (status == 0)
        result.error = QStringLiteral("No HTTP answer.");
    else if (announced >= 0 && result.body.size() != announced)
        result.error = QStringLiteral("Connection closed after %1 of %2 bytes.")
                           .arg(result.body.size())
                           .arg(announced);
    else
        result.ok = true;
    if (!result.ok) result.body.clear();

    delete reply;
    busy_ = false;
    if (begun) emit WorkEnd();
    return result;
}

void WebDwn::answerChallenge(QNetworkReply*, QAuthenticator* authenticator) {
    // One answer per fetch: credentials the site refused once are refused
    // again, so a second challenge ends the fetch as a failure.
    if (!basicAuthentication_ || username_.isEmpty() || challengesAnswered_ > 0) return;
    ++challengesAnswered_;
    authenticator->setUser(QString::fromLatin1(username_));
    authenticator->setPassword(QString::fromLatin1(password_));
}

void WebDwn::keepCookie2(const QNetworkReply& reply) {
    // Qt's jar takes "Set-Cookie" by itself; the older "Set-Cookie2" has the
    // same name=value; attribute layout, so it goes through the same parser.
    for (const auto& [name, value] : reply.rawHeaderPairs()) {
        if (name.compare("Set-Cookie2", Qt::CaseInsensitive) != 0) continue;
        const QList<QNetworkCookie> cookies = QNetworkCookie::parseCookies(value);
        if (!cookies.isEmpty()) jar_->setCookiesFromUrl(cookies, reply.url());
    }
}

}  // namespace rabuscal
