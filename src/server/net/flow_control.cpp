// SPDX-License-Identifier: GPL-3.0-or-later
// The game server's flow control: each connection's queue against the marks,
// the caps and the budget, a late joiner's catch-up, and the connections that
// stopped reading.
#include <algorithm>

#include "protocol/framing.h"
#include "server/net/tcp_peer.h"
#include "server/texts.h"

namespace rabuscal::server {

// The high-water mark, lowered when many connections share the budget: all of
// them at the mark fill half of it, so whenever a flood waits for half the
// budget, some connection is above its mark, on its way to being closed or
// drained.
std::size_t TcpGameServer::mark() const {
    return std::min(limits_.highWaterMark, limits_.totalBudget / (2 * (peers_.size() + 1)));
}

// One slow connection costs only itself. A connection that sends in bulk (its
// reads fill the buffer: a flood, never a hand on a mouse) waits while any
// queue is above the mark or the queues of all together pass half the budget;
// everybody waits only when the budget is nearly spent. So a flood goes at the
// pace of the readers the server keeps, while chat and honest drawing go on.
bool TcpGameServer::readingPaused(const Peer& peer) const {
    const std::size_t budget = limits_.totalBudget;
    if (totalQueued_ >= budget - budget / 8) return true;
    return peer.bulk && (aboveMark_ > 0 || totalQueued_ >= budget / 2);
}

// Drawings that ended live on only for the joiners still receiving them. Past
// the budget, the catch-ups of the oldest stop after the message they are
// sending: those joiners stay, with the board as far as it got.
void TcpGameServer::shedEndedDrawings() {
    const KeptDrawing& drawing = rules_.drawing();
    while (drawing.memory() - drawing.ownMemory() > limits_.drawingBudget) {
        Peer* oldest = nullptr;
        for (const ConnectionId id : catchingUp_) {
            Peer* p = find(id);
            if (p && p->out.catchingUp() && p->out.catchUpGeneration() != drawing.generation() &&
                (!oldest || p->out.catchUpGeneration() < oldest->out.catchUpGeneration()))
                oldest = p;
        }
        if (!oldest) return;
        totalQueued_ += oldest->out.cutCatchUp(protocol::kGameSeparator);
        caughtUp(*oldest);
        queuedFor(*oldest);
    }
}

void TcpGameServer::send(ConnectionId id, std::string_view bytes) {
    Peer* peer = find(id);
    if (!peer || peer->hungUp || peer->closing) return;
    peer->out.append(bytes);
    totalQueued_ += bytes.size();
    queuedFor(*peer);
}

void TcpGameServer::sendKept(ConnectionId id, const SharedBytes& drawing) {
    Peer* peer = find(id);
    if (!peer || peer->hungUp || peer->closing) return;
    totalQueued_ += peer->out.appendCatchUp(drawing);
    if (peer->out.catchingUp() && !peer->catchingUp) {
        peer->catchingUp = true;
        peer->lastProgress = Clock::now();
        catchingUp_.push_back(id);
    }
    queuedFor(*peer);
}

// The marks and caps, once bytes were queued for `peer`.
void TcpGameServer::queuedFor(Peer& peer) {
    if (!peer.dirty) {
        peer.dirty = true;
        dirty_.push_back(&peer);
    }
    const std::size_t queued = peer.queued();
    // Behind a catch-up the live bytes cannot move yet: only the cap counts.
    if (queued > mark() && !peer.aboveMark() && !peer.catchingUp) {
        peer.aboveSince = Clock::now();
        ++aboveMark_;
    }
    if (queued > limits_.connectionCap) {
        dropNonReader(peer, texts::refusals::kQueueOverCap);
    } else if (totalQueued_ > limits_.totalBudget && peer.aboveMark()) {
        dropNonReader(peer, "the server's queues are full");
    }
}

// The joiner has the drawing (or its catch-up was cut): its live queue counts
// against the mark from now on.
void TcpGameServer::caughtUp(Peer& peer) {
    if (!peer.catchingUp || peer.out.catchingUp()) return;
    peer.catchingUp = false;
    std::erase(catchingUp_, peer.id);
    if (peer.queued() > mark() && !peer.aboveMark()) {
        peer.aboveSince = Clock::now();
        ++aboveMark_;
    }
}

// Once per chunk, not per message, every connection that got something is
// offered its queue, even one whose socket was full a moment ago: the kernel
// announces room only once much of it is free, and waiting for that would hold
// strokes back.
void TcpGameServer::flushDirty() {
    shedEndedDrawings();  // a drawing may have ended with what was just handled
    // writeOut may mark peers for closing but never removes one: the list stays valid.
    for (Peer* peer : dirty_) {
        peer->dirty = false;
        if (!peer->closing) writeOut(*peer);
    }
    dirty_.clear();
}

void TcpGameServer::writeOut(Peer& peer) {
    const OutputQueue::Written written = peer.out.writeTo(peer.fd);
    totalQueued_ -= written.live;
    if (written.failed) {
        peer.hungUp = true;
        markClosing(peer, {});
        return;
    }
    if (peer.catchingUp) {
        if (written.live + written.kept > 0) peer.lastProgress = Clock::now();
        caughtUp(peer);
    }
    if (peer.aboveMark() && peer.queued() <= mark() / 2) leaveMark(peer);
}

void TcpGameServer::leaveMark(Peer& peer) {
    peer.aboveSince = {};
    if (--aboveMark_ == 0 && !readable_.empty()) schedulePass();
}

void TcpGameServer::checkStalled() {
    const Clock::time_point now = Clock::now();
    checkJoinDeadlines(now);
    for (auto& [id, peer] : peers_)
        if (peer->aboveMark() && now - peer->aboveSince > limits_.stallTimeout)
            dropNonReader(*peer, texts::refusals::kStoppedReading);
    // A late joiner may read its catch-up slowly, but not stop.
    for (const ConnectionId id : catchingUp_)
        if (Peer* peer = find(id); peer && now - peer->lastProgress > limits_.stallTimeout)
            dropNonReader(*peer, texts::refusals::kStoppedReading);
    if (!closing_.empty() && !inPass_) finishHandling();
    if (moreWork()) schedulePass();
}

}  // namespace rabuscal::server
