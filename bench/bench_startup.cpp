// SPDX-License-Identifier: GPL-3.0-or-later
// bench_startup [runs [game program]]: the game's start-up and idle memory against a minimal
// Qt Widgets program that shows one 691 x 362 window (the floor), under the
// X server of DISPLAY (Xvfb). Prints medians and ratios:
//   1. time from start to the first mapped 691 x 362 window;
//   2. resident and proportional size of the process 2 s after that;
//   3. in this process, the game's windows: how much the game's process grows
//      when the browser opens a page, and what a page that never ends leaves
//      of the browser's processes (bound 512 MB).
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/forms.h"
#include "app/game_windows.h"
#include "support/application.h"
#include "web/browser_window.h"
#include "web/http_fixture.h"
#include "web/process_memory.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double mapMs = 0;
    double rssMb = 0;
    double pssMb = 0;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double megabytes(std::uint64_t bytes) {
    return static_cast<double>(bytes) / (1 << 20);
}

// Starts the program and waits for the X server to map its window.
Run startOnce(xcb_connection_t* x, const std::string& program) {
    Run run;
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    while (xcb_generic_event_t* stale = xcb_poll_for_event(x)) free(stale);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return run;
    for (bool mapped = false; !mapped;) {
        xcb_generic_event_t* event = xcb_wait_for_event(x);
        if (!event) break;
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            xcb_get_geometry_reply_t* size =
                xcb_get_geometry_reply(x, xcb_get_geometry(x, map->window), nullptr);
            mapped = size && size->width == 691 && size->height == 362;
            free(size);
        }
        free(event);
    }
    run.mapMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    run.rssMb = megabytes(rabuscal::web::residentBytes(pid));
    run.pssMb = megabytes(rabuscal::web::proportionalBytes(pid));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return run;
}

Run medianOf(xcb_connection_t* x, const std::string& program, int runs) {
    std::vector<double> map, rss, pss;
    for (int i = 0; i < runs; ++i) {
        const Run run = startOnce(x, program);
        map.push_back(run.mapMs);
        rss.push_back(run.rssMb);
        pss.push_back(run.pssMb);
    }
    return {median(map), median(rss), median(pss)};
}

std::uint64_t familyBytes(int pid) {
    std::uint64_t bytes = rabuscal::web::proportionalBytes(pid);
    for (const int child : rabuscal::web::descendants(pid))
        bytes += rabuscal::web::proportionalBytes(child);
    return bytes;
}

void browserFigures(int argc, char** argv) {
    using rabuscal::support::waitFor;
    QApplication application(argc, argv);
    HttpFixture site;
    site.setHandler([](const HttpFixture::Request& request) {
        if (request.path != "/endless")
            return HttpFixture::ok("<html><head><title>Como jogar</title></head><body>" +
                                   QByteArray("<p>Regras do jogo.</p>").repeated(200) +
                                   "</body></html>");
        HttpFixture::Answer answer;
        answer.framing = HttpFixture::Answer::Framing::Endless;
        answer.body = QByteArray("<p>sem fim, sem fim, sem fim</p>\n").repeated(2048);
        return answer;
    });
    const int self = static_cast<int>(getpid());
    rabuscal::GameWindows windows;
    windows.showMainWindow();
    rabuscal::support::settle(2000);
    const double before = megabytes(rabuscal::web::residentBytes(self));
    const double beforePss = megabytes(rabuscal::web::proportionalBytes(self));
    QElapsedTimer opening;
    opening.start();
    rabuscal::FWeb->show();
    rabuscal::FWeb->navigate(QUrl(QString::fromLatin1(site.base() + "rabuscal/pgn01.htm")));
    waitFor([] { return rabuscal::FWeb->title() == "Como jogar"; }, 60000);
    const qint64 openMs = opening.elapsed();
    rabuscal::support::settle(2000);
    const double after = megabytes(rabuscal::web::residentBytes(self));
    const double afterPss = megabytes(rabuscal::web::proportionalBytes(self));
    const double browser = megabytes(familyBytes(static_cast<int>(rabuscal::FWeb->helperPid())));
    std::printf("\nopening a page (the browser program starts): %lld ms\n", openMs);
    std::printf("game process RSS %.1f -> %.1f MB (+%.1f), PSS %.1f -> %.1f MB (+%.1f)\n", before,
                after, after - before, beforePss, afterPss, afterPss - beforePss);
    std::printf("browser program and its engine processes, PSS together: %.1f MB\n", browser);

    rabuscal::FWeb->navigate(QUrl(QString::fromLatin1(site.base() + "endless")));
    const int helper = static_cast<int>(rabuscal::FWeb->helperPid());
    double peak = 0;
    QElapsedTimer stopping;
    stopping.start();
    waitFor(
        [&] {
            peak = std::max(peak, megabytes(familyBytes(helper)));
            return rabuscal::FWeb->title() == "Página indisponível";
        },
        120000);
    const qint64 stopMs = stopping.elapsed();
    rabuscal::support::settle(2000);
    std::printf(
        "a page that never ends (bound 512 MB): offline page after %lld ms, browser "
        "processes' PSS peak %.1f MB, %.1f MB after; game process RSS %.1f MB\n",
        stopMs, peak, megabytes(familyBytes(helper)),
        megabytes(rabuscal::web::residentBytes(self)));
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "bench_startup: no X server (run under Xvfb, DISPLAY set)\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    const Run floor = medianOf(x, RABUSCAL_STARTUP_REFERENCE_EXE, runs);
    // Another build of the game (an older one, say) may be measured instead.
    const Run game = medianOf(x, argc > 2 ? argv[2] : RABUSCAL_GAME_EXE, runs);
    xcb_disconnect(x);
    std::printf("median of %d runs          floor    game   ratio\n", runs);
    std::printf("start to mapped window   %6.1f  %6.1f   %5.2f  ms\n", floor.mapMs, game.mapMs,
                game.mapMs / floor.mapMs);
    std::printf("idle RSS                 %6.1f  %6.1f   %5.2f  MB\n", floor.rssMb, game.rssMb,
                game.rssMb / floor.rssMb);
    std::printf("idle PSS                 %6.1f  %6.1f   %5.2f  MB\n", floor.pssMb, game.pssMb,
                game.pssMb / floor.pssMb);
    std::fflush(stdout);
    if (argc <= 2) browserFigures(argc, argv);
    return 0;
}
