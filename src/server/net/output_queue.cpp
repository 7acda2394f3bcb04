// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/net/output_queue.h"

#include <sys/socket.h>

#include <cerrno>

namespace rabuscal::server {

namespace {
// A queue that emptied gives its memory back above this.
constexpr std::size_t kKeptCapacity = 64 * 1024;

// Sends what the socket takes: the bytes taken, or -1 when it is broken.
ssize_t sendSome(int fd, std::string_view bytes) {
    for (;;) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
}
}  // namespace

std::size_t OutputQueue::appendCatchUp(const SharedBytes& drawing) {
    if (catchUp_) {
        const std::string copy = drawing.str();
        out_.append(copy);
        return copy.size();
    }
    catchUp_ = CatchUp{drawing, 0, out_.size()};
    return 0;
}

OutputQueue::Written OutputQueue::writeTo(int fd) {
    Written w;
    for (;;) {
        std::string_view offer;
        const bool live = !catchUp_ || head_ < catchUp_->at;
        if (live) {
            offer = std::string_view(out_).substr(
                head_, catchUp_ ? catchUp_->at - head_ : std::string_view::npos);
        } else {
            offer = catchUp_->bytes.piece(catchUp_->sent);
            if (offer.empty()) {
                catchUp_.reset();  // the joiner has the whole drawing
                continue;
            }
        }
        if (offer.empty()) break;
        const ssize_t n = sendSome(fd, offer);
        if (n < 0) {
            w.failed = true;
            break;
        }
        const auto taken = static_cast<std::size_t>(n);
        if (live) {
            head_ += taken;
            w.live += taken;
        } else {
            catchUp_->sent += taken;
            w.kept += taken;
        }
        if (taken < offer.size()) break;  // the socket is full
    }
    compact();
    return w;
}

std::size_t OutputQueue::cutCatchUp(std::string_view separator) {
    if (!catchUp_) return 0;
    const std::size_t end = catchUp_->bytes.nextMessage(catchUp_->sent, separator);
    std::string rest;
    for (std::size_t at = catchUp_->sent; at < end;) {
        const std::string_view p = catchUp_->bytes.piece(at).substr(0, end - at);
        rest.append(p);
        at += p.size();
    }
    out_.insert(catchUp_->at, rest);
    catchUp_.reset();
    return rest.size();
}

void OutputQueue::clear() {
    out_.clear();
    head_ = 0;
    catchUp_.reset();
}

void OutputQueue::compact() {
    if (queued() == 0 && !catchUp_) {
        out_.clear();
        head_ = 0;
        if (out_.capacity() > kKeptCapacity) std::string().swap(out_);
    } else if (head_ > queued()) {
        out_.erase(0, head_);
        if (catchUp_) catchUp_->at -= head_;
        head_ = 0;
    }
}

}  // namespace rabuscal::server
