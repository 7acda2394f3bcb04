// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The drawing a late joiner receives: the strokes since the last "cls", kept in
// fixed blocks that the rules only ever append to. A joiner gets a snapshot
// (the blocks as they stand, shared, never copied), which its connection sends
// as its socket takes it; the rules go on appending meanwhile, and a drawing
// that ends lives on only in the snapshots still being sent.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rabuscal::server {

// The bytes of every block alive, in the kept drawing or in a snapshot.
struct DrawingMemory {
    std::size_t bytes = 0;
};

class DrawingBlock;

// A drawing as it stood when the snapshot was taken.
class SharedBytes {
  public:
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Which drawing this is (each one that ends gets a new number).
    std::uint64_t generation() const { return generation_; }
    // The contiguous bytes from `offset` to the end of their block.
    std::string_view piece(std::size_t offset) const;
    // Where the first message at or after `offset` starts (size() if none).
    std::size_t nextMessage(std::size_t offset, std::string_view separator) const;
    std::string str() const;

  private:
    friend class KeptDrawing;
    std::vector<std::shared_ptr<const DrawingBlock>> blocks_;
    std::size_t size_ = 0;
    std::uint64_t generation_ = 0;
};

class KeptDrawing {
  public:
    static constexpr std::size_t kBlockSize = 256 * 1024;

    explicit KeptDrawing(std::size_t cap);
    ~KeptDrawing();

    // The drawing ends: the next one starts empty. Snapshots keep their bytes.
    void clear();
    // Appends whole messages; false (and nothing kept) past the cap.
    bool append(std::string_view bytes);

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::size_t cap() const { return cap_; }
    std::uint64_t generation() const { return generation_; }
    SharedBytes snapshot() const;
    std::string str() const { return snapshot().str(); }
    // The memory of every drawing still alive, this one and the ended ones
    // that snapshots still hold.
    std::size_t memory() const { return memory_->bytes; }
    std::size_t ownMemory() const { return blocks_.size() * kBlockSize; }

  private:
    std::size_t cap_;
    std::vector<std::shared_ptr<DrawingBlock>> blocks_;
    std::size_t size_ = 0;
    std::uint64_t generation_ = 1;
    std::shared_ptr<DrawingMemory> memory_;
};

}  // namespace rabuscal::server
