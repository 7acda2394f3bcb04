// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A loopback TCP relay that forwards each direction cut into random pieces,
// the way a long network path hands a stream over: pieces of 1 to maxPiece
// bytes (the internet's usual segment payload by default), each sent on its
// own after a random gap of 0 to maxGapMs. Seeded, so a failing run repeats.
//
// With a separator, the relay keeps what TCP promises a sender whose sends
// are whole messages: a piece that starts a message and ends inside it is a
// full segment, so a message of at most `shortMessage` bytes that starts a
// piece travels whole, and a longer one is cut only after more than
// `shortMessage` bytes. Every other cut position, inside every message,
// still occurs (in pieces that start inside a message).
//
// It runs on its own thread with plain sockets, so it serves clients and
// servers driven by any event loop in the test.

#include <QtGlobal>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace rabuscal::support {

class CuttingRelay {
  public:
    struct Options {
        std::uint32_t seed = 1;
        std::size_t maxPiece = 1448;
        int maxGapMs = 5;
        std::string separator;  // empty: cut anywhere
        std::size_t shortMessage = 512;
    };

    // Listens on 127.0.0.1 (an ephemeral port) and connects each accepted
    // connection to 127.0.0.1:upstreamPort.
    CuttingRelay(quint16 upstreamPort, Options options);
    ~CuttingRelay();
    CuttingRelay(const CuttingRelay&) = delete;
    CuttingRelay& operator=(const CuttingRelay&) = delete;

    quint16 port() const { return port_; }
    // Pieces forwarded so far, both directions, every connection.
    std::size_t pieces() const { return pieces_.load(); }

  private:
    struct Loop;
    std::unique_ptr<Loop> loop_;
    quint16 port_ = 0;
    std::atomic<std::size_t> pieces_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace rabuscal::support
