// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The directory client's rules, plain C++ without a socket: the pending
// directory message, the reader of the service's replies, the lobby's group
// lists and the lamp `Shp2`. DirectoryConnection (`Cli2`) feeds it the
// socket's events; tests feed it bytes.
//
// Wire (Windows-1252 bytes, each message behind "j#g", nothing ends one):
//   requests  "j#gjgs:rabuscal"            list the groups
//             "j#gatv:rabuscal|" + name    announce a group
//             "j#gdtv:rabuscal|" + name    withdraw it
//   replies   "sys:" text                  -> showServerStatus(">>> " + text)
//             "msg:" text                  -> showMainStatus(">>> " + text)
//             "lsg:" ("name|address^")*    -> Grupos and GroupAddresses replaced
//             anything else                -> ignored
//
// One request slot: a request made while the link is not connected replaces
// the one waiting, and the connection sends only the last one, once, when it
// is established. A request made while connected is sent at once.

#include <string>
#include <string_view>
#include <vector>

#include "protocol/framing.h"
#include "protocol/link_lamp.h"

namespace rabuscal::directory {

using Lamp = protocol::LinkLamp;

// The socket as the rules see it.
class DirectoryLink {
  public:
    virtual ~DirectoryLink() = default;
    // Connected (a link still connecting is not active).
    virtual bool active() const = 0;
    virtual void send(std::string_view message) = 0;
    // Starts connecting; joins an attempt already under way.
    virtual void open() = 0;
};

// What the windows (or the announcer's log) are told. Texts are Windows-1252.
class DirectoryView {
  public:
    virtual ~DirectoryView() = default;
    // Main window `Stk`: connection texts and "msg" replies.
    virtual void showMainStatus(std::string_view text) = 0;
    // Server window `Stk`: "sys" replies.
    virtual void showServerStatus(std::string_view text) = 0;
    virtual void showLamp(Lamp colour) = 0;
    // Grupos and GroupAddresses were replaced or emptied.
    virtual void showGroups() = 0;
    // The link was connected and has been closed.
    virtual void reportLost() = 0;
    // An attempt failed or a connected link reported an error.
    virtual void reportFailure() = 0;
};

class DirectoryClient {
  public:
    DirectoryClient(DirectoryLink& link, DirectoryView& view);

    // The three requests, complete with their "j#g".
    static std::string listRequest();
    static std::string activateRequest(std::string_view groupName);
    static std::string deactivateRequest(std::string_view groupName);

    // Stores `message` as the pending directory message; sends it at once if
    // the link is connected (it stays stored), otherwise opens the link.
    void sendRequest(const std::string& message);

    // `btGrp` pressed: the main status line is emptied, the lamp turns red and
    // the list is asked for.
    void askGroups();
    // `btAtv` pressed while the group is not announced: "atv" with the name.
    void activateGroup(std::string_view groupName);
    // `btAtv` pressed while it is: "dtv" with the name and the group lists
    // emptied; then, if connected, "j#gjgs:rabuscal" goes straight out behind
    // it (the pending slot keeps the "dtv") so that a fresh "lsg", which
    // already leaves the group out, refills the list.
    void deactivateGroup(std::string_view groupName);

    // Link events.
    void connecting();
    void connected();
    void disconnected();
    void failed();
    // The last reply of a read may be held until the next read completes it;
    // quiet() takes it as whole once nothing more has come for
    // protocol::kQuietFlushMs (disconnected() does the same first).
    void received(std::string_view bytes);
    void quiet();
    bool holding() const { return reader_.holding(); }

    const std::string& pendingMessage() const { return pending_; }
    // `Grupos` (the names) and `GroupAddresses`, always the same length.
    const std::vector<std::string>& Grupos() const { return groupNames_; }
    const std::vector<std::string>& GroupAddresses() const { return groupAddresses_; }
    // `GruposClick`: the address to put into `Servidor`; empty for a bad index.
    std::string addressAt(int index) const;
    Lamp lamp() const { return lamp_; }

  private:
    void DirectoryReply(std::string_view command, std::string_view payload);
    void setLamp(Lamp colour);
    void replaceGroups(std::string_view payload);
    void clearGroups();

    DirectoryLink& link_;
    DirectoryView& view_;
    // The splitter of one connection; a new one for every connection.
    protocol::ChunkReader reader_;
    std::string pending_;
    std::vector<std::string> groupNames_;
    std::vector<std::string> groupAddresses_;
    Lamp lamp_ = Lamp::Maroon;
};

}  // namespace rabuscal::directory
