// SPDX-License-Identifier: GPL-3.0-or-later
// Figures for the web side: how long a fetch holds the window, how fast a
// long drawing list fills the gallery, what checking a bitmap costs, what a
// run-length bomb costs in memory, and when a drawing served one byte every
// 10 s fails (the fetch deadline: this part takes about 30 s).
//   bench_web [rounds]
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdio>
#include <fstream>
#include <string>

#include "ui/main_frame.h"
#include "web/bitmap_file.h"
#include "web/drawing_list.h"
#include "web/gallery.h"
#include "web/gallery_panel.h"
#include "web/http_fixture.h"  // tests/web
#include "web/web_dwn.h"

using namespace rabuscal;

namespace {

struct NoFrame : MainFrame {
    void selectPage(Page) override {}
    Page currentPage() const override { return Page::Desenho; }
    void setStatus(const QString&) override {}
    QString status() const override { return {}; }
    void setHoverCaption(const QString&) override {}
    void makeDragSurface(QWidget*) override {}
};

QByteArray bmp(QSize size) {
    QImage picture(size, QImage::Format_RGB888);
    picture.fill(Qt::gray);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "BMP");
    return bytes;
}

// A BMP file with a 256-colour palette and run-length (RLE8) data.
QByteArray rle8File(qint32 width, qint32 height, const QByteArray& data) {
    QByteArray info(40, '\0');
    qToLittleEndian<quint32>(40, info.data());
    qToLittleEndian<qint32>(width, info.data() + 4);
    qToLittleEndian<qint32>(height, info.data() + 8);
    qToLittleEndian<quint16>(1, info.data() + 12);
    qToLittleEndian<quint16>(8, info.data() + 14);
    qToLittleEndian<quint32>(1, info.data() + 16);
    qToLittleEndian<quint32>(quint32(data.size()), info.data() + 20);
    qToLittleEndian<quint32>(256, info.data() + 32);
    QByteArray file("BM");
    file.resize(14);
    const quint32 offset = 14 + 40 + 1024;
    qToLittleEndian<quint32>(offset + quint32(data.size()), file.data() + 2);
    qToLittleEndian<quint32>(0, file.data() + 6);
    qToLittleEndian<quint32>(offset, file.data() + 10);
    return file + info + QByteArray(1024, '\x40') + data;
}

// Peak resident memory since the last reset, in kB.
long peakKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

template <typename Work>
double microsecondsPer(int rounds, Work work) {
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < rounds; ++i) work();
    return double(clock.nsecsElapsed()) / 1000.0 / rounds;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 200;

    HttpFixture site;
    {
        // The bomb first, while the heap is small: fetched, written to
        // img.bmp and loaded as a double-click on its name would.
        QTemporaryDir workDir;
        WebDwn client;
        Gallery gallery(client, QDir(workDir.path()), site.base());
        const QByteArray bomb = rle8File(5600, 5600, QByteArray("\0\1", 2));
        const QByteArray bomb4096 = rle8File(4096, 4096, QByteArray("\0\1", 2));
        site.setHandler([&](const HttpFixture::Request& request) {
            return HttpFixture::ok(request.path.contains("4096") ? bomb4096 : bomb);
        });
        resetPeak();
        const long before = peakKb();
        const LoadedPicture refused = gallery.downloadDrawing("bomba");
        const LoadedPicture refused4096 = gallery.downloadDrawing("bomba4096");
        const long after = peakKb();
        std::printf("RLE bomb (%lld B, 5600 x 5600): \"%s\"\n", (long long)bomb.size(),
                    qPrintable(refused.error));
        std::printf("RLE bomb (%lld B, 4096 x 4096): \"%s\"\n", (long long)bomb4096.size(),
                    qPrintable(refused4096.error));
        std::printf("  peak memory growth, both downloads:  %8ld kB\n", after - before);
        // The reference: the same bomb decoded unchecked and made ready for
        // the board (24-bit colour), as it was before the checks.
        resetPeak();
        const long libraryBefore = peakKb();
        QImage decoded;
        decoded.loadFromData(bomb, "BMP");
        decoded = decoded.convertToFormat(QImage::Format_RGB32);
        std::printf("  the same bomb decoded unchecked:     %8ld kB (%d x %d)\n",
                    peakKb() - libraryBefore, decoded.width(), decoded.height());
    }
    const QByteArray small = "1.0";
    const QByteArray drawing = bmp({225, 132});
    const QByteArray large(4 * 1024 * 1024, 'x');
    site.setHandler([&](const HttpFixture::Request& request) {
        if (request.path == "/small") return HttpFixture::ok(small);
        if (request.path == "/drawing") return HttpFixture::ok(drawing);
        return HttpFixture::ok(large);
    });
    WebDwn client;
    auto fetch = [&](const char* path) {
        if (!client.get(QUrl(QString::fromLatin1(site.base() + path))).ok) std::abort();
    };
    std::printf("fetch of the version file (3 bytes):   %8.1f us\n",
                microsecondsPer(rounds, [&] { fetch("small"); }));
    std::printf("fetch of a 225 x 132 drawing (%lld B): %8.1f us\n", (long long)drawing.size(),
                microsecondsPer(rounds, [&] { fetch("drawing"); }));
    std::printf("fetch of 4 MiB:                         %8.1f us\n",
                microsecondsPer(std::max(1, rounds / 20), [&] { fetch("large"); }));

    QByteArray list;
    for (int i = 0; i < kMaxDrawingNames; ++i) list += "desenho " + QByteArray::number(i) + "\r\n";
    std::printf("parse a list of %lld names:             %8.1f us\n", (long long)kMaxDrawingNames,
                microsecondsPer(rounds, [&] { parseDrawingList(list); }));

    QTemporaryDir workDir;
    NoFrame frame;
    site.setHandler([&](const HttpFixture::Request&) { return HttpFixture::ok(list); });
    GalleryPanel panel(frame, client, nullptr, QDir(workDir.path()), site.base());
    std::printf("btPexo with %lld names (fetch + fill):  %8.1f us\n", (long long)kMaxDrawingNames,
                microsecondsPer(std::max(1, rounds / 20),
                                [&] { emit panel.btPexo->MouseDown(Qt::LeftButton, {}, {}); }));

    QByteArray names;  // 30,000 names of 100 bytes: 3 MiB
    for (int i = 0; i < 30000; ++i)
        names += QByteArray::number(i).rightJustified(100, '0') + "\r\n";
    list = names;
    QElapsedTimer listClock;
    listClock.start();
    emit panel.btPexo->MouseDown(Qt::LeftButton, {}, {});
    std::printf("btPexo with a 3 MiB list: %d names in    %8.1f ms\n", panel.Lbox->count(),
                double(listClock.nsecsElapsed()) / 1e6);

    const QByteArray big = bmp({1000, 1000});
    std::printf("check and decode a 225 x 132 bitmap:    %8.1f us\n",
                microsecondsPer(rounds, [&] { decodeBitmap(drawing); }));
    std::printf("check and decode a 1000 x 1000 bitmap:  %8.1f us\n",
                microsecondsPer(std::max(1, rounds / 10), [&] { decodeBitmap(big); }));

    QImage mono(8000, 8000, QImage::Format_Mono);
    mono.fill(0);
    QByteArray monoFile;
    QBuffer monoBuffer(&monoFile);
    monoBuffer.open(QIODevice::WriteOnly);
    mono.save(&monoBuffer, "BMP");
    std::printf("a valid 8000 x 8000 1-bit file: \"%s\"\n",
                qPrintable(decodeBitmap(monoFile).error));

    // One byte every 10 s: the fetch ends at its deadline, not when the
    // server stops.
    site.setHandler([&](const HttpFixture::Request&) {
        HttpFixture::Answer answer = HttpFixture::ok(drawing);
        answer.pieceSize = 1;
        answer.pieceInterval = 10000;
        return answer;
    });
    QTemporaryDir slowDir;
    Gallery slowGallery(client, QDir(slowDir.path()), site.base());
    QElapsedTimer slowClock;
    slowClock.start();
    const LoadedPicture slow = slowGallery.downloadDrawing("devagar");
    std::printf("drawing served at 1 byte / 10 s: \"%s\" after %.1f s (deadline %lld s)\n",
                qPrintable(slow.error), double(slowClock.elapsed()) / 1000.0,
                (long long)(WebDwn::kDefaultDeadline.count() / 1000));
    return 0;
}
