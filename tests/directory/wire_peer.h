// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A raw peer of the directory that sends requests and reads the replies as
// messages. The service writes each reply whole and no payload holds "j#g",
// so the stream received so far splits into whole messages.

#include <string_view>
#include <vector>

#include "protocol/commands.h"
#include "protocol/framing.h"
#include "support/application.h"
#include "support/loopback_peer.h"

namespace rabuscal::directory::testing {

using support::kPatience;
using support::waitFor;

class WirePeer : public support::LoopbackPeer {
  public:
    using LoopbackPeer::LoopbackPeer;

    void sendRequest(std::string_view command, std::string_view payload) {
        send(protocol::composeWith(protocol::kDirectorySeparator, command, payload));
    }
    // Sends one request and waits for the next reply.
    protocol::Message ask(std::string_view command, std::string_view payload) {
        const std::size_t before = messages().size();
        sendRequest(command, payload);
        return waitMessage(before + 1);
    }

    std::vector<protocol::Message> messages() const {
        if (received.empty()) return {};
        return protocol::splitChunk(received, protocol::kDirectorySeparator);
    }
    // Waits until `count` replies have come in all told; returns them all.
    std::vector<protocol::Message> waitMessages(std::size_t count) {
        support::waitFor([&] { return messages().size() >= count; });
        return messages();
    }
    // The reply number `count` (counting from 1), once it is in.
    protocol::Message waitMessage(std::size_t count) {
        const auto all = waitMessages(count);
        return all.size() >= count ? all[count - 1] : protocol::Message{"<none>", {}};
    }
};

}  // namespace rabuscal::directory::testing
