// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The drawer's round controls: `btDes` opens the phrase page, `btOkp` starts a
// round with the phrase, `btTroc` hands the drawer role to the player chosen
// in `Lista`, `btTerm` ends the round. Each sends at most one message; the
// server takes them as they come, so the refusals are made here.

#include <optional>
#include <string_view>

#include "client/board.h"
#include "client/client_session.h"

namespace rabuscal::client {

class RoundControls {
  public:
    RoundControls(ClientSession& session, Board& board) : session_(session), board_(board) {}

    void btDesMouseDown();
    // `secret` is the text of `Secret`.
    void btOkpMouseUp(std::string_view secret);
    // `selectedLine` is the selected line of `Lista`, if any.
    void btTrocMouseDown(std::optional<std::string_view> selectedLine);
    void btTermMouseDown();

  private:
    ClientSession& session_;
    Board& board_;
};

}  // namespace rabuscal::client
