// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/gallery.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include "bitmap_files.h"
#include "http_fixture.h"
#include "support/application.h"
#include "web/drawing_list.h"
#include "web/web_dwn.h"

using rabuscal::support::coreApplication;
using namespace rabuscal;

namespace {

using web_test::bmpBytes;
using web_test::writeFile;

TEST(DrawingList, EveryKindOfLineEndSeparatesNames) {
    using Names = QList<QByteArray>;
    EXPECT_EQ(parseDrawingList("gato\r\ncasa\r\n"), (Names{"gato", "casa"}));
    EXPECT_EQ(parseDrawingList("gato\rcasa\rsol"), (Names{"gato", "casa", "sol"}));
    EXPECT_EQ(parseDrawingList("gato\ncasa\n"), (Names{"gato", "casa"}));
    EXPECT_EQ(parseDrawingList("gato\r\n\r\ncasa"), (Names{"gato", "", "casa"}));
    EXPECT_EQ(parseDrawingList("gato\n\rcasa"), (Names{"gato", "", "casa"}));
    EXPECT_EQ(parseDrawingList("a\xe7\xe3o"), (Names{"a\xe7\xe3o"}));
    EXPECT_EQ(parseDrawingList("\n"), (Names{""}));
    EXPECT_TRUE(parseDrawingList("").isEmpty());
}

TEST(BitmapFile, WholeBitmapsOfAnyDepthLoadButTruncatedGarbageAndForeignPicturesDoNot) {
    const QByteArray whole = bmpBytes({225, 132});
    ASSERT_TRUE(decodeBitmap(whole).ok());
    EXPECT_EQ(decodeBitmap(whole).picture.size(), QSize(225, 132));
    for (const auto format : {QImage::Format_Indexed8, QImage::Format_Mono, QImage::Format_RGB32})
        EXPECT_TRUE(decodeBitmap(bmpBytes({31, 7}, qRgb(10, 200, 30), format)).ok()) << format;
    for (const qsizetype cut : {qsizetype(0), qsizetype(10), qsizetype(54), qsizetype(100),
                                whole.size() / 2, whole.size() - 1}) {
        const LoadedPicture loaded = decodeBitmap(whole.left(cut));
        EXPECT_FALSE(loaded.ok()) << "cut at " << cut;
        EXPECT_EQ(loaded.error, "Bitmap image is not valid");
        EXPECT_TRUE(loaded.picture.isNull());
    }
    EXPECT_FALSE(decodeBitmap("BM this is not a picture at all, just text").ok());

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage(8, 8, QImage::Format_RGB32).save(&buffer, "PNG");
    EXPECT_FALSE(decodeBitmap(png).ok());
}

// A BMP file with a 256-colour palette and the given pixel data; compression
// 0 plain, 1 RLE8, 2 RLE4.
QByteArray bitmapFile(qint32 width, qint32 height, int bits, int compression,
                      const QByteArray& data) {
    const int colours = bits <= 8 ? 1 << bits : 0;
    QByteArray info(40, '\0');
    qToLittleEndian<quint32>(40, info.data());
    qToLittleEndian<qint32>(width, info.data() + 4);
    qToLittleEndian<qint32>(height, info.data() + 8);
    qToLittleEndian<quint16>(1, info.data() + 12);
    qToLittleEndian<quint16>(quint16(bits), info.data() + 14);
    qToLittleEndian<quint32>(quint32(compression), info.data() + 16);
    qToLittleEndian<quint32>(quint32(data.size()), info.data() + 20);
    qToLittleEndian<quint32>(quint32(colours), info.data() + 32);
    const QByteArray palette(colours * 4, '\x40');
    QByteArray file("BM");
    file.resize(14);
    const quint32 offset = quint32(14 + info.size() + palette.size());
    qToLittleEndian<quint32>(offset + quint32(data.size()), file.data() + 2);
    qToLittleEndian<quint32>(0, file.data() + 6);
    qToLittleEndian<quint32>(offset, file.data() + 10);
    return file + info + palette + data;
}

TEST(BitmapFile, PicturesTooLargeOrRunLengthDataThatCannotFillThemAreRefusedUndecoded) {
    // 1,080 bytes whose header asks for 5600 x 5600 pixels.
    const QByteArray bomb = bitmapFile(5600, 5600, 8, 1, QByteArray("\0\1", 2));
    ASSERT_EQ(bomb.size(), 1080);
    EXPECT_EQ(decodeBitmap(bomb).error,
              "Bitmap image is too large (5600 x 5600; at most 4096 x 4096)");
    // Within the size, but the data codes almost nothing of the picture.
    EXPECT_EQ(decodeBitmap(bitmapFile(4096, 4096, 8, 1, QByteArray("\0\1", 2))).error,
              kInvalidBitmapText);
    const QByteArray halfCoded("\x04\x07\0\0\0\1", 6);  // 4 x 2: the first row only
    EXPECT_FALSE(decodeBitmap(bitmapFile(4, 2, 8, 1, halfCoded)).ok());
    QByteArray lineEnds;  // every row ended at once: nothing coded
    for (int row = 0; row < 4096; ++row) lineEnds += QByteArray("\0\0", 2);
    EXPECT_FALSE(decodeBitmap(bitmapFile(4096, 4096, 8, 1, lineEnds)).ok());

    // Run-length pictures that code every pixel load: runs, a padded literal
    // stretch, RLE4 pairs.
    const QByteArray rle8("\0\x03\x01\x02\x03\0\x01\x05\0\0\x04\x03\0\x01", 14);
    const LoadedPicture coded = decodeBitmap(bitmapFile(4, 2, 8, 1, rle8));
    ASSERT_TRUE(coded.ok()) << coded.error.toStdString();
    EXPECT_EQ(coded.picture.size(), QSize(4, 2));
    EXPECT_TRUE(decodeBitmap(bitmapFile(4, 1, 4, 2, QByteArray("\x04\x12\0\x01", 4))).ok());

    // A whole, valid file that is simply too large says so.
    const QByteArray large = bitmapFile(8000, 8000, 1, 0, QByteArray(1000 * 8000, '\0'));
    EXPECT_EQ(decodeBitmap(large).error,
              "Bitmap image is too large (8000 x 8000; at most 4096 x 4096)");
    EXPECT_TRUE(decodeBitmap(bitmapFile(4096, 4096, 1, 0, QByteArray(512 * 4096, '\0'))).ok());
    QByteArray lying = bitmapFile(300, 200, 24, 0, QByteArray(900 * 200, '\0'));
    qToLittleEndian<qint32>(30000, lying.data() + 18);  // a header promising 30000 x 200
    EXPECT_TRUE(decodeBitmap(lying).error.startsWith("Bitmap image is too large"));
}

class GalleryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        site.setHandler([this](const HttpFixture::Request& request) {
            if (request.path.endsWith("lista.txt")) return HttpFixture::ok(listBody);
            if (request.path.endsWith(".bmp")) return HttpFixture::ok(drawing);
            return HttpFixture::status(404, "Not Found");
        });
    }
    QByteArray lastPath() const { return site.requests().last().path; }

    QCoreApplication& app = coreApplication();  // before any network object
    HttpFixture site;
    WebDwn client;
    QTemporaryDir workDir;
    Gallery gallery{client, QDir(workDir.path()), site.base()};
    QByteArray listBody = "gato\r\ncasa\r\nsol";
    QByteArray drawing = bmpBytes({300, 200});
};

TEST_F(GalleryTest, ClubListSendsTheLoginAndEachListsDrawingsComeFromItsOwnAreaIntoImgBmp) {
    const QList<QByteArray> names = gallery.fetchClubList("pexo", "pexo");
    EXPECT_EQ(names.size(), 3);
    EXPECT_EQ(lastPath(), "/club/rabuscal/lista.txt");
    EXPECT_EQ(site.requests().last().header("Authorization"),
              "Basic " + QByteArray("pexo:pexo").toBase64());
    EXPECT_EQ(gallery.GalleryPrefix(), "club/");
    const LoadedPicture loaded = gallery.downloadDrawing(names[1]);
    ASSERT_TRUE(loaded.ok()) << loaded.error.toStdString();
    EXPECT_EQ(lastPath(), "/club/rabuscal/casa.bmp");
    EXPECT_EQ(loaded.picture.size(), QSize(300, 200)) << "kept at its own size";
    QFile written(workDir.filePath("img.bmp"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), drawing);

    // Back to the public list, in the file's order: downloads come from the
    // public area again, and the club login still goes with every fetch.
    EXPECT_EQ(gallery.fetchPublicList(), (QList<QByteArray>{"gato", "casa", "sol"}));
    EXPECT_EQ(lastPath(), "/rabuscal/lista.txt");
    EXPECT_EQ(gallery.GalleryPrefix(), "");
    EXPECT_TRUE(gallery.downloadDrawing("sol").ok());
    EXPECT_EQ(lastPath(), "/rabuscal/sol.bmp");
    EXPECT_FALSE(site.requests().last().header("Authorization").isEmpty());
}

TEST_F(GalleryTest, ListsOverAMegabyteGiveTheirFirstNames) {
    QByteArray names;  // 30,000 names of 100 bytes: 3 MiB
    for (int i = 0; i < 30000; ++i)
        names += QByteArray::number(i).rightJustified(100, '0') + "\r\n";
    listBody = names;
    const QList<QByteArray> first = gallery.fetchPublicList();
    ASSERT_EQ(first.size(), kMaxDrawingNames);
    EXPECT_EQ(first.last(), QByteArray::number(9999).rightJustified(100, '0'));

    // With names so long that the list ends inside one, that one is left out.
    listBody = QByteArray();
    for (int i = 0; i < 10000; ++i) listBody += QByteArray(298, 'a' + i % 26) + "\n";
    const QList<QByteArray> longNames = gallery.fetchPublicList();
    ASSERT_GT(longNames.size(), 1000);
    EXPECT_LT(longNames.size(), kMaxDrawingNames);
    EXPECT_EQ(longNames.last().size(), 298);
}

TEST_F(GalleryTest, NamesWithBlanksAndUrlSignsFetchTheirOwnFileAndFailuresAreReported) {
    EXPECT_EQ(gallery.drawingAddress("meu gato").toEncoded(),
              site.base() + "rabuscal/meu%20gato.bmp");
    EXPECT_EQ(gallery.drawingAddress("n#1?x=2").toEncoded(),
              site.base() + "rabuscal/n%231%3Fx%3D2.bmp");
    EXPECT_EQ(gallery.drawingAddress("a\xe7\xe3o").toEncoded(),
              site.base() + "rabuscal/a%E7%E3o.bmp");
    EXPECT_TRUE(gallery.downloadDrawing("meu gato #2?").ok());
    EXPECT_EQ(lastPath(), "/rabuscal/meu%20gato%20%232%3F.bmp");

    // A failed list is empty; a failed download is reported with the answer.
    ASSERT_TRUE(QFile::remove(workDir.filePath("img.bmp")));
    site.setHandler(
        [](const HttpFixture::Request&) { return HttpFixture::status(404, "Not Found"); });
    EXPECT_TRUE(gallery.fetchClubList("pexo", "errada").isEmpty());
    EXPECT_EQ(gallery.GalleryPrefix(), "club/");
    const LoadedPicture loaded = gallery.downloadDrawing("gato");
    EXPECT_EQ(loaded.error, "HTTP/1.1 404 Not Found");
    EXPECT_FALSE(QFile::exists(workDir.filePath("img.bmp")));
}

TEST_F(GalleryTest, LocalListHoldsOnlyOrdinaryBitmapFilesSorted) {
    for (const char* name : {"zebra.bmp", "Arvore.BMP", "casa.bmp", ".oculto.bmp"})
        writeFile(workDir.filePath(name), bmpBytes({4, 4}));
    writeFile(workDir.filePath("nota.txt"), "x");
    QDir(workDir.path()).mkdir("pasta.bmp");
    EXPECT_EQ(gallery.localBitmaps(), (QStringList{"Arvore.BMP", "casa.bmp", "zebra.bmp"}));

    EXPECT_TRUE(gallery.loadLocalBitmap("casa.bmp").ok());
    writeFile(workDir.filePath("ruim.bmp"), "garbage");
    EXPECT_EQ(gallery.loadLocalBitmap("ruim.bmp").error, "Bitmap image is not valid");
}

}  // namespace
