// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/web_dwn.h"

#include <gtest/gtest.h>

#include <QUrl>

#include "http_fixture.h"
#include "support/application.h"
#include "support/loopback_peer.h"
#include "web/download_progress.h"

using rabuscal::support::coreApplication;
using namespace rabuscal;

namespace {

using Answer = HttpFixture::Answer;

class WebDwnTest : public ::testing::Test {
  protected:
    QUrl at(const QByteArray& path) const { return QUrl(QString::fromLatin1(site.base() + path)); }

    QCoreApplication& app = coreApplication();  // before any network object
    HttpFixture site;
    WebDwn client;
};

TEST_F(WebDwnTest, SuccessfulAnswerGivesTheWholeBodyUntrimmed) {
    const QByteArray body("1.0\r\n \0\xff", 8);
    site.serve("/rabuscal/versao.txt", body);
    const Fetched answer = client.get(at("rabuscal/versao.txt"));
    ASSERT_TRUE(answer.ok) << answer.error.toStdString();
    EXPECT_EQ(answer.body, body);

    ASSERT_EQ(site.requests().size(), 1);
    const auto& request = site.requests().first();
    EXPECT_EQ(request.requestLine, "GET /rabuscal/versao.txt HTTP/1.1");
    EXPECT_EQ(request.header("Accept"), "text/html, */*");
    EXPECT_EQ(request.header("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
    EXPECT_TRUE(request.header("Authorization").isEmpty());
    // A body without a length: AnswerLargerThanTheLimitFailsOrGivesItsFirstBytes.
}

TEST_F(WebDwnTest, ErrorStatusRedirectBrokenTransferAndUnreachableSiteAllFail) {
    site.setHandler([](const HttpFixture::Request& request) {
        if (request.path == "/missing") return HttpFixture::status(404, "Not Found");
        if (request.path == "/broken") return HttpFixture::status(500, "Internal Server Error");
        if (request.path == "/moved") {
            Answer answer = HttpFixture::status(302, "Found");
            answer.addHeader("Location", "/elsewhere");
            return answer;
        }
        if (request.path == "/elsewhere") return HttpFixture::ok("followed");
        Answer answer = HttpFixture::ok("half of it");
        answer.framing = Answer::Framing::Truncated;
        return answer;
    });
    const QUrl unreachable(QStringLiteral("http://127.0.0.1:%1/x").arg(support::unusedPort()));
    for (const QUrl& address :
         {at("missing"), at("broken"), at("moved"), at("truncated"), unreachable}) {
        const Fetched answer = client.get(address);
        EXPECT_FALSE(answer.ok) << address.toString().toStdString();
        EXPECT_TRUE(answer.body.isEmpty()) << address.toString().toStdString();
        EXPECT_FALSE(answer.error.isEmpty()) << address.toString().toStdString();
    }
    EXPECT_EQ(client.get(at("missing")).error, "HTTP/1.1 404 Not Found");
    for (const auto& request : site.requests()) EXPECT_NE(request.path, "/elsewhere");
}

TEST_F(WebDwnTest, CookiesSetByTheSiteGoBackOnLaterFetches) {
    site.setHandler([](const HttpFixture::Request& request) {
        Answer answer = HttpFixture::ok("ok");
        if (request.path == "/first") answer.addHeader("Set-Cookie", "sessao=abc; Path=/");
        if (request.path == "/second")
            answer.addHeader("Set-Cookie2", "antigo=xyz; Version=1; Path=/");
        return answer;
    });
    ASSERT_TRUE(client.get(at("first")).ok);
    ASSERT_TRUE(client.get(at("second")).ok);
    ASSERT_TRUE(client.get(at("third")).ok);
    EXPECT_TRUE(site.requests()[0].header("Cookie").isEmpty());
    EXPECT_EQ(site.requests()[1].header("Cookie"), "sessao=abc");
    const QByteArray third = site.requests()[2].header("Cookie");
    EXPECT_TRUE(third.contains("sessao=abc")) << third.toStdString();
    EXPECT_TRUE(third.contains("antigo=xyz")) << third.toStdString();
}

// A site that wants "pexo:segredo" and challenges every other request.
HttpFixture::Handler clubArea(int* challenges) {
    return [challenges](const HttpFixture::Request& request) {
        if (request.header("Authorization") == "Basic " + QByteArray("pexo:segredo").toBase64())
            return HttpFixture::ok("lista");
        ++*challenges;
        Answer answer = HttpFixture::status(401, "Unauthorized");
        answer.addHeader("WWW-Authenticate", "Basic realm=\"club\"");
        return answer;
    };
}

TEST_F(WebDwnTest, ClubCredentialsGoWithEveryFetchAndMissingOrWrongOnesFail) {
    int challenges = 0;
    site.setHandler(clubArea(&challenges));
    client.setBasicAuthentication(true);
    EXPECT_FALSE(client.get(at("club/rabuscal/lista.txt")).ok);
    EXPECT_TRUE(site.requests().first().header("Authorization").isEmpty()) << "no user name";

    client.setUsername("pexo");
    client.setPassword("errada");
    challenges = 0;
    EXPECT_FALSE(client.get(at("club/rabuscal/lista.txt")).ok);
    EXPECT_LE(challenges, 2) << "refused credentials are not tried again and again";

    client.setPassword("segredo");
    challenges = 0;
    const qsizetype before = site.requests().size();
    EXPECT_TRUE(client.get(at("club/rabuscal/lista.txt")).ok);
    EXPECT_TRUE(client.get(at("rabuscal/versao.txt")).ok);
    EXPECT_EQ(challenges, 0) << "credentials are sent without waiting for a challenge";
    EXPECT_EQ(site.requests().size(), before + 2);
}

TEST_F(WebDwnTest, SilentOrTricklingServerFailsTheFetchAtItsDeadline) {
    site.setHandler([](const HttpFixture::Request& request) {
        Answer answer = HttpFixture::ok(QByteArray(100, 't'));
        if (request.path == "/stalled") {
            answer.framing = Answer::Framing::Stalled;
        } else {
            // A byte every 20 ms: never silent for long, done only after 2 s.
            answer.pieceSize = 1;
            answer.pieceInterval = 20;
        }
        return answer;
    });
    client.setDeadline(std::chrono::milliseconds(300));
    for (const char* path : {"stalled", "trickling"}) {
        const Fetched answer = client.get(at(path));
        EXPECT_FALSE(answer.ok) << path;
        EXPECT_EQ(answer.error, "Read timed out.") << path;
    }
    // The client is free again for the next fetch.
    site.setHandler([](const HttpFixture::Request&) { return HttpFixture::ok("ok"); });
    EXPECT_TRUE(client.get(at("next")).ok);
}

TEST_F(WebDwnTest, AnswerLargerThanTheLimitFailsOrGivesItsFirstBytes) {
    site.setHandler([](const HttpFixture::Request& request) {
        Answer answer = HttpFixture::ok(QByteArray(5000, 'y'));
        if (request.path == "/unannounced") {
            answer.framing = Answer::Framing::CloseDelimited;
            answer.pieceSize = 1000;
        }
        return answer;
    });
    for (const char* path : {"announced", "unannounced"}) {
        EXPECT_FALSE(client.get(at(path), 4096).ok) << path;
        const Fetched first = client.get(at(path), 4096, WebDwn::Overflow::KeepFirst);
        ASSERT_TRUE(first.ok) << path << first.error.toStdString();
        EXPECT_TRUE(first.cut);
        EXPECT_EQ(first.body, QByteArray(4096, 'y'));
        const Fetched whole = client.get(at(path), 5000, WebDwn::Overflow::KeepFirst);
        EXPECT_TRUE(whole.ok && !whole.cut) << path;
        EXPECT_EQ(whole.body, QByteArray(5000, 'y')) << path;
    }
}

// What the download gauge showed during one fetch.
using GaugeTrace = QList<QPair<qint64, qint64>>;  // maximum, position

GaugeTrace traceFetch(WebDwn& client, const QUrl& address) {
    GaugeTrace trace;
    DownloadProgress progress;
    progress.follow(client);
    QObject::connect(&progress, &DownloadProgress::changed, [&](qint64 maximum, qint64 position) {
        trace.append({maximum, position});
    });
    EXPECT_TRUE(client.get(address).ok);
    return trace;
}

TEST_F(WebDwnTest, GaugeFillsWithTheAnnouncedLengthOrStaysEmptyWithoutOne) {
    site.setHandler([](const HttpFixture::Request& request) {
        Answer answer = HttpFixture::ok(QByteArray(4000, 'b'));
        answer.pieceSize = 1000;
        if (request.path == "/unknown") answer.framing = Answer::Framing::CloseDelimited;
        return answer;
    });
    const GaugeTrace trace = traceFetch(client, at("img.bmp"));
    ASSERT_GE(trace.size(), 3);
    EXPECT_EQ(trace.first(), qMakePair(qint64(4000), qint64(0)));
    EXPECT_EQ(trace.last(), qMakePair(qint64(4000), qint64(0)));
    qint64 highest = 0;
    for (const auto& [maximum, position] : trace) {
        EXPECT_GE(position, 0);
        EXPECT_LE(position, maximum);
        highest = std::max(highest, position);
    }
    EXPECT_EQ(highest, 4000);

    const GaugeTrace unknown = traceFetch(client, at("unknown"));
    ASSERT_FALSE(unknown.isEmpty());
    for (const auto& step : unknown) EXPECT_EQ(step, qMakePair(qint64(0), qint64(0)));
}

TEST(DownloadProgress, PositionIsClampedToTheAnnouncedLength) {
    DownloadProgress progress;
    progress.WebDwnWorkBegin(100);
    for (const auto& [done, shown] : {std::pair{250, 100}, {-5, 0}, {40, 40}}) {
        progress.WebDwnWork(done);
        EXPECT_EQ(progress.position(), shown) << done;
    }
    progress.WebDwnWorkEnd();
    EXPECT_EQ(progress.position(), 0);
}

}  // namespace
