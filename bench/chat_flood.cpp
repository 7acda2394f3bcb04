// SPDX-License-Identifier: GPL-3.0-or-later
// How long a click waits while a server floods the chat: a fake server sends
// `messages` "msg" and "avs" entries (alternately) in `seconds`, in bursts
// every 100 ms, to the game's main and chat windows; meanwhile a prober
// thread asks for a click on `btTentar` every 50 ms, through the event
// queue as the window system would, and times how long the click waits for
// its handler. The same clicks on the idle game are the reference.
//   chat_flood [messages] [seconds] [padding]   (padding: characters added to each text)
// Prints the waits (median, 99th percentile, worst) before, during and
// after the flood, the time until the last entry shows, and peak memory;
// then what appending costs at the chat's line cap against below it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "client/chat_log.h"
#include "client/ui/chat_window.h"
#include "client/ui/game_session.h"
#include "reference_listener.h"

using namespace rabuscal;

namespace {

using Clock = std::chrono::steady_clock;

long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return -1;
}

int padding = 0;

std::string entry(int i) {
    const std::string pad(std::size_t(padding), 'x');
    return i % 2 == 0
               ? "$-$msg:fulano falou: mensagem " + pad + " n\xfamero " + std::to_string(i)
               : "$-$avs:fulano tentou \"" + pad + "\" e... eerrroooouuuuu... " + std::to_string(i);
}

// Sends "onj" and then the flood to the first connection; keeps it open
// until `stop`.
void floodServer(int listener, int messages, int seconds, std::atomic<bool>& stop,
                 std::atomic<long long>& floodEndNs) {
    const int peer = accept(listener, nullptr, nullptr);
    const std::string joined = "$-$onj:";
    send(peer, joined.data(), joined.size(), MSG_NOSIGNAL);
    std::this_thread::sleep_for(std::chrono::seconds(2));  // the idle reference
    const int bursts = seconds * 10;
    const auto start = Clock::now();
    int sent = 0;
    for (int burst = 0; burst < bursts; ++burst) {
        std::string chunk;
        const int until = messages * (burst + 1) / bursts;
        for (; sent < until; ++sent) chunk += entry(sent);
        for (std::size_t at = 0; at < chunk.size();) {
            const ssize_t n = send(peer, chunk.data() + at, chunk.size() - at, MSG_NOSIGNAL);
            if (n <= 0) break;
            at += std::size_t(n);
        }
        if (burst + 1 == bursts) break;
        std::this_thread::sleep_until(start + std::chrono::milliseconds(100 * (burst + 1)));
    }
    floodEndNs = Clock::now().time_since_epoch().count();
    while (!stop) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    close(peer);
}

struct Waits {
    std::vector<double> ms;
    void print(const char* when) {
        if (ms.empty()) return std::printf("%-28s no clicks\n", when), void();
        std::sort(ms.begin(), ms.end());
        std::printf("%-28s %5zu clicks  median %7.2f ms  p99 %7.2f ms  worst %7.2f ms\n", when,
                    ms.size(), ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
    }
};

// Entries appended one chunk each, with their repaint, below the chat's line
// cap and with the chat full all along (the oldest lines go in batches): each
// side's quickest of five runs of 200, so a busy moment does not decide.
void appendingAtTheCap() {
    TForm2 chat;
    chat.show();
    rabuscal::client::ChatLog log;
    int sent = 0;
    auto append = [&](int entries) {
        const auto start = Clock::now();
        for (int i = 0; i < entries; ++i) {
            chat.addChatEntries({log.noticeEntry("> aviso " + std::to_string(sent++))});
            QCoreApplication::processEvents();
        }
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    auto quickest = [&] {
        double best = append(200);
        for (int i = 1; i < 5; ++i) best = std::min(best, append(200));
        return best;
    };
    append(500);
    const double below = quickest();  // from 500 to 1,500 lines
    append(TForm2::kMaximumChatLines);
    const double atCap = quickest();
    std::printf(
        "200 entries appended: %.1f ms below the line cap, %.1f ms at the cap (%d lines): "
        "ratio %.2f\n",
        below, atCap, chat.Chat->document()->blockCount(), atCap / below);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int messages = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    const int seconds = argc > 2 ? std::max(1, atoi(argv[2])) : 10;
    padding = argc > 3 ? std::max(0, atoi(argv[3])) : 0;

    sockaddr_in address{};
    const int listener = rabuscal::bench::loopbackListener(address);
    if (listener < 0) return 1;

    TForm1 main;
    TForm2 chat;
    main.Game->attachChatWindow(chat);
    main.show();
    chat.show();

    std::atomic<bool> stop{false};
    std::atomic<long long> floodEndNs{0};
    std::thread server(floodServer, listener, messages, seconds, std::ref(stop),
                       std::ref(floodEndNs));
    main.Game->Cli().open(QStringLiteral("127.0.0.1"), ntohs(address.sin_port));

    // The prober asks for a click and waits for its handler before the next.
    std::mutex lock;
    Clock::time_point askedAt;
    std::promise<void>* answered = nullptr;
    Waits before, during, after;
    long long lastShownNs = 0;
    QObject::connect(chat.btTentar, &ImageButton::MouseDown, [&] {
        const std::lock_guard<std::mutex> guard(lock);
        if (answered == nullptr) return;
        const auto now = Clock::now();
        const double waited = std::chrono::duration<double, std::milli>(now - askedAt).count();
        const long long end = floodEndNs;
        if (end == 0 && lastShownNs == 0 && chat.Chat->document()->blockCount() < 10)
            before.ms.push_back(waited);
        else if (lastShownNs == 0)
            during.ms.push_back(waited);
        else
            after.ms.push_back(waited);
        answered->set_value();
        answered = nullptr;
    });
    // Notices when the last entry shows: the flood is over for the player.
    const auto started = Clock::now();
    QObject::connect(chat.Chat->document(), &QTextDocument::contentsChanged, [&] {
        if (lastShownNs == 0 &&
            chat.Chat->document()->lastBlock().text().endsWith(QString::number(messages - 1)))
            lastShownNs = Clock::now().time_since_epoch().count();
    });

    std::atomic<bool> probing{true};
    std::thread prober([&] {
        while (probing) {
            std::promise<void> done;
            std::future<void> waitDone = done.get_future();
            {
                const std::lock_guard<std::mutex> guard(lock);
                askedAt = Clock::now();
                answered = &done;
            }
            QMetaObject::invokeMethod(
                &chat,
                [&chat] {
                    const QPoint at = chat.btTentar->mapTo(&chat, QPoint(5, 5));
                    const QPointF global = chat.mapToGlobal(QPointF(at));
                    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton,
                                      Qt::LeftButton, Qt::NoModifier);
                    QCoreApplication::sendEvent(chat.windowHandle(), &press);
                    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global,
                                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
                    QCoreApplication::sendEvent(chat.windowHandle(), &release);
                },
                Qt::QueuedConnection);
            if (waitDone.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
                std::printf("a click went unanswered for 30 s\n");
                std::_Exit(2);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });

    // Runs until two seconds after the last entry showed.
    while (true) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        const long long shown = lastShownNs;
        if (shown != 0 && Clock::now().time_since_epoch().count() - shown > 2'000'000'000LL) break;
        if (Clock::now() - started > std::chrono::seconds(seconds + 120)) {
            std::printf("the last entry did not show within %d s\n", seconds + 120);
            break;
        }
    }
    probing = false;
    // Let the prober's last click through.
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    prober.join();
    stop = true;
    server.join();
    close(listener);

    std::printf("%d entries (+%d characters) in %d s, bursts every 100 ms, platform %s\n", messages,
                padding, seconds, qPrintable(QGuiApplication::platformName()));
    before.print("click wait, idle (reference)");
    during.print("click wait, during the flood");
    after.print("click wait, after the flood");
    if (floodEndNs != 0 && lastShownNs != 0)
        std::printf("last entry shown %.0f ms after the server sent it\n",
                    double(lastShownNs - floodEndNs) / 1e6);
    std::printf("chat lines %d; peak resident memory %ld kB\n", chat.Chat->document()->blockCount(),
                statusKb("VmHWM:"));
    appendingAtTheCap();
    return 0;
}
