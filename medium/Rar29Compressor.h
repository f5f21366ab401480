// Packs members' data as RAR 2.9 LZ streams with Huffman-coded blocks (unpack version 29, method 0x33,
// no PPMd, no filters), each starting at its member's first byte: read by itself or, when solid, after
// the members before it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace medium {

class Rar29Parser;

class Rar29Compressor {
public:
    // `dictionary` is a power of two from 64 KB to 4 MB: as far back as a match reaches.
    Rar29Compressor(bool solid, uint32_t dictionary);
    ~Rar29Compressor();

    // The packed stream of the next member with data, given whole. When solid, matches reach back into
    // the members packed before it and the match history goes on from them. `parsed` is told the bytes
    // of `data` packed so far, now and then; what it throws stops the packing.
    std::vector<uint8_t> Pack(const uint8_t* data, size_t size, const std::function<void(uint64_t)>& parsed);

private:
    bool solid;
    uint32_t dictionary;
    std::unique_ptr<Rar29Parser> parser;
    std::vector<uint8_t> window;     // when solid: the last `dictionary` bytes, then the member's data
    std::vector<uint8_t> oldLengths; // the code lengths of the last set of tables written
    uint64_t tables = 0;             // sets of tables written
    uint64_t streamed = 0;           // bytes of all members packed
};

} // namespace medium
