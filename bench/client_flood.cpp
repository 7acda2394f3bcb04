// SPDX-License-Identifier: GPL-3.0-or-later
// The game window under server floods of valid messages: a fake server sends,
// as fast as the socket takes them,
//   - "mdv" alternating between this player's nick and another's, 100,000 times;
//   - 1,000,000 "cls";
//   - 300,000 strokes ("mdw" then "mov" messages);
// to the main and chat windows of a joined copy. Meanwhile a prober thread
// posts an event to the window every 20 ms and times how long it waits for
// the event loop (a click waits the same), a 10 ms timer on the window's
// thread records the longest gap between its ticks (a frame waits the same),
// and resident memory is sampled. The idle seconds before the first flood
// are the reference.
//   client_flood [scale]   (scale: a factor on every flood's size, default 1)
// Prints, per flood: bytes, time until the window has handled all of it, the
// worst wait of a posted event and of the timer, and resident memory growth.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "client/board.h"
#include "client/ui/chat_window.h"
#include "client/ui/game_session.h"
#include "reference_listener.h"

using namespace rabuscal;

namespace {

using Clock = std::chrono::steady_clock;

long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

struct Flood {
    const char* name;
    std::string bytes;
};

std::vector<Flood> floods(double scale) {
    std::vector<Flood> out;
    std::string mdv;
    for (int i = 0; i < int(100000 * scale); ++i) mdv += i % 2 ? "$-$mdv:bia" : "$-$mdv:ana";
    out.push_back({"mdv, two nicks alternating", std::move(mdv)});
    std::string cls;
    for (int i = 0; i < int(1000000 * scale); ++i) cls += "$-$cls:";
    out.push_back({"cls", std::move(cls)});
    std::string strokes;
    for (int i = 0; i < int(300000 * scale); ++i) {
        strokes += i % 100 == 0 ? "$-$mdw:" : "$-$mov:";
        strokes += std::to_string(i * 7 % client::Board::kWidth) + "|" +
                   std::to_string(i * 13 % client::Board::kHeight);
    }
    out.push_back({"strokes", std::move(strokes)});
    return out;
}

// The marker after flood `i`: the points at stake the window ends up with.
std::string marker(std::size_t i) {
    return std::to_string(1000 + i);
}

bool sendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        bytes.remove_prefix(std::size_t(n));
    }
    return true;
}

struct Worst {
    std::mutex lock;
    double postedMs = 0, timerMs = 0;
    long peakKb = 0;
    void reset(long kb) {
        const std::lock_guard<std::mutex> guard(lock);
        postedMs = timerMs = 0;
        peakKb = kb;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const double scale = argc > 1 ? std::max(0.001, atof(argv[1])) : 1.0;
    const std::vector<Flood> all = floods(scale);

    sockaddr_in address{};
    const int listener = rabuscal::bench::loopbackListener(address);
    if (listener < 0) return 1;

    TForm1 main;
    TForm2 chat;
    main.Game->attachChatWindow(chat);
    main.Game->client().setNick("ana");
    main.show();
    chat.show();

    std::atomic<int> go{-1};  // the flood the server is to send next
    std::thread server([&] {
        const int peer = accept(listener, nullptr, nullptr);
        sendAll(peer, "$-$onj:");
        for (std::size_t i = 0; i < all.size(); ++i) {
            while (go.load() != int(i)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            sendAll(peer, all[i].bytes);
            sendAll(peer, "$-$pts:" + marker(i));
        }
        while (go.load() != int(all.size()))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        close(peer);
    });
    main.Game->Cli().open(QStringLiteral("127.0.0.1"), ntohs(address.sin_port));

    Worst worst;
    // The window's own timer: the longest gap between two ticks.
    Clock::time_point lastTick = Clock::now();
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        const double gap = std::chrono::duration<double, std::milli>(now - lastTick).count();
        lastTick = now;
        const std::lock_guard<std::mutex> guard(worst.lock);
        worst.timerMs = std::max(worst.timerMs, gap);
    });
    ticker.start(10);

    // The prober posts an event and waits for it before the next.
    std::atomic<bool> probing{true};
    std::thread prober([&] {
        while (probing) {
            std::atomic<bool> done{false};
            const auto asked = Clock::now();
            QMetaObject::invokeMethod(
                &main, [&done] { done = true; }, Qt::QueuedConnection);
            while (!done) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                const long kb = residentKb();
                const std::lock_guard<std::mutex> guard(worst.lock);
                worst.peakKb = std::max(worst.peakKb, kb);
            }
            const double waited =
                std::chrono::duration<double, std::milli>(Clock::now() - asked).count();
            {
                const std::lock_guard<std::mutex> guard(worst.lock);
                worst.postedMs = std::max(worst.postedMs, waited);
                worst.peakKb = std::max(worst.peakKb, residentKb());
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });

    auto runFor = [](int ms) {
        const auto until = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < until) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    };
    runFor(2000);  // connected, joined, idle: the reference
    double idlePosted, idleTimer;
    {
        const std::lock_guard<std::mutex> guard(worst.lock);
        idlePosted = worst.postedMs;
        idleTimer = worst.timerMs;
    }
    std::printf("client_flood (scale %.3g), platform %s\n", scale,
                qPrintable(QGuiApplication::platformName()));
    std::printf("%-28s %9s %9s %12s %12s %10s\n", "flood", "MB", "handled", "worst event",
                "worst tick", "RSS growth");
    std::printf("%-28s %9s %9s %9.1f ms %9.1f ms %10s\n", "idle (reference)", "-", "-", idlePosted,
                idleTimer, "-");
    for (std::size_t i = 0; i < all.size(); ++i) {
        const long before = residentKb();
        worst.reset(before);
        const auto start = Clock::now();
        go = int(i);
        const std::string expected = marker(i);
        while (main.Game->client().session().pontos != expected) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (Clock::now() - start > std::chrono::seconds(300)) {
                std::printf("flood %s not handled within 300 s\n", all[i].name);
                std::_Exit(2);
            }
        }
        const double handled = std::chrono::duration<double>(Clock::now() - start).count();
        runFor(300);
        const std::lock_guard<std::mutex> guard(worst.lock);
        std::printf("%-28s %9.2f %7.2f s %9.1f ms %9.1f ms %7.1f MiB\n", all[i].name,
                    double(all[i].bytes.size()) / 1e6, handled, worst.postedMs, worst.timerMs,
                    double(worst.peakKb - before) / 1024.0);
    }
    go = int(all.size());
    probing = false;
    prober.join();
    server.join();
    close(listener);
    return 0;
}
