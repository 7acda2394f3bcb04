// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/kept_drawing.h"

#include <algorithm>

namespace rabuscal::server {

// One block: its pages are touched only as the drawing fills them, and its
// bytes never move, so a snapshot reads them while the rules append behind.
class DrawingBlock {
  public:
    explicit DrawingBlock(std::shared_ptr<DrawingMemory> memory)
        : data(new char[KeptDrawing::kBlockSize]), memory_(std::move(memory)) {
        memory_->bytes += KeptDrawing::kBlockSize;
    }
    ~DrawingBlock() { memory_->bytes -= KeptDrawing::kBlockSize; }
    DrawingBlock(const DrawingBlock&) = delete;
    DrawingBlock& operator=(const DrawingBlock&) = delete;

    std::unique_ptr<char[]> data;
    std::size_t used = 0;

  private:
    std::shared_ptr<DrawingMemory> memory_;
};

std::string_view SharedBytes::piece(std::size_t offset) const {
    if (offset >= size_) return {};
    const std::size_t block = offset / KeptDrawing::kBlockSize;
    const std::size_t inner = offset % KeptDrawing::kBlockSize;
    const std::size_t length = std::min(KeptDrawing::kBlockSize - inner, size_ - offset);
    return {blocks_[block]->data.get() + inner, length};
}

std::size_t SharedBytes::nextMessage(std::size_t offset, std::string_view separator) const {
    std::string seam;  // the last bytes of the previous block: a separator may straddle two
    for (std::size_t at = offset; at < size_;) {
        const std::string_view p = piece(at);
        if (!seam.empty()) {
            const std::string joined = seam + std::string(p.substr(0, separator.size() - 1));
            if (const std::size_t s = joined.find(separator); s != std::string::npos)
                return at - seam.size() + s;
        }
        if (const std::size_t found = p.find(separator); found != std::string_view::npos)
            return at + found;
        seam.assign(p.substr(p.size() - std::min(p.size(), separator.size() - 1)));
        at += p.size();
    }
    return size_;
}

std::string SharedBytes::str() const {
    std::string out;
    out.reserve(size_);
    for (std::size_t at = 0; at < size_;) {
        const std::string_view p = piece(at);
        out.append(p);
        at += p.size();
    }
    return out;
}

KeptDrawing::KeptDrawing(std::size_t cap) : cap_(cap), memory_(std::make_shared<DrawingMemory>()) {}

KeptDrawing::~KeptDrawing() = default;

void KeptDrawing::clear() {
    blocks_.clear();
    size_ = 0;
    ++generation_;
}

bool KeptDrawing::append(std::string_view bytes) {
    if (size_ + bytes.size() > cap_) return false;
    while (!bytes.empty()) {
        if (blocks_.empty() || blocks_.back()->used == kBlockSize)
            blocks_.push_back(std::make_shared<DrawingBlock>(memory_));
        DrawingBlock& last = *blocks_.back();
        const std::size_t n = std::min(bytes.size(), kBlockSize - last.used);
        std::copy_n(bytes.data(), n, last.data.get() + last.used);
        last.used += n;
        size_ += n;
        bytes.remove_prefix(n);
    }
    return true;
}

SharedBytes KeptDrawing::snapshot() const {
    SharedBytes s;
    s.blocks_.assign(blocks_.begin(), blocks_.end());
    s.size_ = size_;
    s.generation_ = generation_;
    return s;
}

}  // namespace rabuscal::server
