// Figures for the web side: how long a fetch holds the window, how fast a
// long drawing list fills the gallery, and what checking a bitmap costs.
//   bench_web [rounds]
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>

#include "ui/main_frame.h"
#include "web/bitmap_file.h"
#include "web/drawing_list.h"
#include "web/gallery_panel.h"
#include "web/http_fixture.h"  // tests/web
#include "web/web_dwn.h"

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

    const QByteArray big = bmp({1000, 1000});
    std::printf("check and decode a 225 x 132 bitmap:    %8.1f us\n",
                microsecondsPer(rounds, [&] { decodeBitmap(drawing); }));
    std::printf("check and decode a 1000 x 1000 bitmap:  %8.1f us\n",
                microsecondsPer(std::max(1, rounds / 10), [&] { decodeBitmap(big); }));
    return 0;
}
