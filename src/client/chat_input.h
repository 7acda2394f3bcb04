// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the chat window sends: a guess with `btTentar`, a chat line with Enter
// in `Frase`. The texts go as typed, except that a "$-$" in them is defused
// so that no typed text can forge a message for the other players.

#include <string_view>

#include "client/client_session.h"

namespace rabuscal::client {

class ChatInput {
  public:
    // The virtual key code of Enter, whichever Enter key the widget saw.
    static constexpr int kEnterKey = 13;

    explicit ChatInput(ClientSession& session) : session_(session) {}

    // `frase` is the text of `Frase`. True when `Frase` is to be cleared (the
    // guess went out); false keeps the text.
    bool btTentarMouseDown(std::string_view frase);
    // The key goes on to `Frase` afterwards either way.
    void FraseKeyDown(int key, std::string_view frase);
    // True when `Frase` is to be cleared: every Enter release, sent or not.
    bool FraseKeyUp(int key) const { return key == kEnterKey; }

  private:
    ClientSession& session_;
};

}  // namespace rabuscal::client
