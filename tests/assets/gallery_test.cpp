// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the web site's template drawings against the lists that name them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

namespace {

const QString kSite = QStringLiteral(RABUSCAL_SITE_DIR);

QList<QByteArray> namesIn(const QString& folder) {
    QFile list(QDir(folder).filePath("lista.txt"));
    EXPECT_TRUE(list.open(QIODevice::ReadOnly)) << qPrintable(list.fileName());
    const QByteArray body = list.readAll();
    EXPECT_TRUE(body.endsWith("\r\n")) << qPrintable(list.fileName());
    QList<QByteArray> names = body.split('\n');
    names.removeLast();  // after the last line end
    for (QByteArray& name : names) {
        EXPECT_TRUE(name.endsWith('\r')) << name.constData() << " has a bare LF";
        name.chop(1);
    }
    return names;
}

void expectEveryListedDrawingLoads(const QString& folder) {
    const QList<QByteArray> names = namesIn(folder);
    EXPECT_GE(names.size(), 3) << qPrintable(folder);
    for (const QByteArray& name : names) {
        const QImage drawing(QDir(folder).filePath(QString::fromLatin1(name) + ".bmp"));
        ASSERT_FALSE(drawing.isNull()) << name.constData() << " is listed but does not load";
        EXPECT_TRUE(drawing.width() >= 225 && drawing.width() <= 450) << name.constData();
        EXPECT_TRUE(drawing.height() >= 132 && drawing.height() <= 264) << name.constData();
        EXPECT_EQ(drawing.pixel(0, 0), qRgb(255, 255, 255))
            << name.constData() << " is not on white";
    }
}

}  // namespace

TEST(Gallery, EveryPublicDrawingListedLoadsFromTheSite) {
    expectEveryListedDrawingLoads(kSite + "/rabuscal");
    EXPECT_TRUE(namesIn(kSite + "/rabuscal").contains("casa de praia"));
}

TEST(Gallery, EveryClubDrawingListedLoadsFromTheSite) {
    expectEveryListedDrawingLoads(kSite + "/club/rabuscal");
}
