// The greedy LZ parse of the RAR 2.9 compressor, with hash chains of 3-byte keys. Besides the matches
// it keeps the reader's match history (the old distances, the last match), since which match symbol
// fits depends on it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace medium {

// A literal (kind below 256: the byte) or a match of `length` bytes `distance` back.
struct Rar29Token {
    enum : uint16_t { RepeatLast = 258, OldDistance = 259, Short = 263, Long = 271 };
    uint16_t kind;
    uint16_t length;
    uint32_t distance;
};

class Rar29Parser {
public:
    explicit Rar29Parser(uint32_t dictionary);

    // Parses `buffer` from index `from` to its end. Its bytes are those of the stream from position
    // `base` on; no match reaches back before index `lo`. `fresh` forgets the match history.
    void Start(const uint8_t* buffer, size_t size, uint64_t base, size_t from, size_t lo, bool fresh);
    bool Done() const { return at == size; }
    size_t Position() const { return at; }
    // The token at the current index, moving past it.
    Rar29Token Next();

private:
    size_t MatchLength(size_t a, size_t b, size_t limit) const;
    void Insert(size_t i);

    const uint8_t* buf = nullptr;
    size_t size = 0, at = 0;
    uint64_t base = 0, low = 0; // `low` is the stream position of `lo`
    uint32_t maxDistance;
    // Stream positions; -1 for none. `prev` is a ring as large as the dictionary: a link is only
    // followed while it lies within the dictionary, before its slot is used again.
    std::vector<int64_t> head, pairs, prev;
    uint64_t mask;
    std::array<uint32_t, 4> old{};
    uint32_t lastLength = 0, lastDistance = 0;
};

} // namespace medium
