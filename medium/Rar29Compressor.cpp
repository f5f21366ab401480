// The tables and codes are those the RAR 2.9 readers decode: a main code of 299 symbols (literals, 256
// end of block, 257 filter, 258 the last match again, 259-262 an old distance, 263-270 a 2-byte match at
// a short distance, 271-298 a length slot with a distance from the distance code), a distance code of 60
// slots, a code of 17 for the low 4 bits of far distances (16 repeats the last low value for it and the
// next 15) and a code of 28 length slots for the old distances. Codes are canonical, at most 15 bits,
// read most significant bit first.
//
// A stream: tables, then symbols; after the symbol that brings a block to kBlockBytes unpacked bytes,
// 256, bit 1 and a new set of tables from the next byte; at the member's end 256, bit 0 (end of the
// member) and bit 1 (the next member's stream starts with tables), then zero bits to the byte and zero
// bytes until 10 bits follow the start of that last 256 (libarchive looks as far ahead for every
// symbol). A set of tables starts with bit 0 (no PPMd) and the keep bit: set on every second set when
// there is an earlier set to keep, and never on a non-solid member's first set.
#include "medium/Rar29Compressor.h"

#include "medium/Rar29Parser.h"

#include <algorithm>
#include <array>
#include <queue>

namespace medium {

namespace {

constexpr size_t kMainSymbols = 299, kDistanceSlots = 60, kLowSymbols = 17, kLengthSlots = 28;
constexpr size_t kTableLengths = kMainSymbols + kDistanceSlots + kLowSymbols + kLengthSlots;
constexpr int kMaxCodeLength = 15;
constexpr size_t kBlockBytes = 16 << 10; // unpacked bytes under one set of tables
constexpr size_t kEndOfBlock = 256;

constexpr std::array<uint8_t, kLengthSlots> kLengthBases{0,  1,  2,  3,   4,   5,   6,   7,  8,  10,
                                                         12, 14, 16, 20,  24,  28,  32,  40, 48, 56,
                                                         64, 80, 96, 112, 128, 160, 192, 224};
constexpr std::array<uint8_t, kLengthSlots> kLengthBits{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                                        2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
constexpr std::array<uint8_t, kDistanceSlots> kDistanceBits{
    0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,  7,  7,  8,  8,
    9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16, 16, 16, 16, 16,
    16, 16, 16, 16, 16, 16, 16, 16, 18, 18, 18, 18, 18, 18, 18, 18, 18, 18, 18, 18};
constexpr std::array<uint8_t, 8> kShortBases{0, 4, 8, 16, 32, 64, 128, 192};
constexpr std::array<uint8_t, 8> kShortBits{2, 2, 3, 4, 5, 6, 6, 6};

constexpr std::array<uint32_t, kDistanceSlots> kDistanceBases = [] {
    std::array<uint32_t, kDistanceSlots> bases{};
    for (size_t i = 1; i < kDistanceSlots; ++i)
        bases[i] = bases[i - 1] + (1u << kDistanceBits[i - 1]);
    return bases;
}();

template <size_t N> constexpr std::array<uint8_t, 256> Slots(const std::array<uint8_t, N>& bits) {
    std::array<uint8_t, 256> table{};
    size_t at = 0;
    for (size_t slot = 0; slot < N && at < 256; ++slot)
        for (size_t k = 0; k < (size_t(1) << bits[slot]) && at < 256; ++k)
            table[at++] = uint8_t(slot);
    return table;
}
constexpr std::array<uint8_t, 256> kLengthSlot = Slots(kLengthBits);
constexpr std::array<uint8_t, 256> kShortSlot = Slots(kShortBits);

size_t DistanceSlot(uint32_t value) {
    return size_t(std::upper_bound(kDistanceBases.begin(), kDistanceBases.end(), value) -
                  kDistanceBases.begin()) -
           1;
}

class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out(out) {}
    void Put(uint32_t value, int bits) {
        acc = acc << bits | value;
        count += bits;
        while (count >= 8) {
            count -= 8;
            out.push_back(uint8_t(acc >> count));
        }
        acc &= (uint64_t(1) << count) - 1;
    }
    void Align() {
        if (count)
            Put(0, 8 - count);
    }
    uint64_t Tell() const { return uint64_t(out.size()) * 8 + count; }

private:
    std::vector<uint8_t>& out;
    uint64_t acc = 0;
    int count = 0;
};

// Huffman code lengths of at most kMaxCodeLength bits. The reader builds no table for a code that is not
// complete, so a code in use has two symbols at least: a lone one gets a partner.
std::vector<uint8_t> CodeLengths(const std::vector<uint32_t>& freqs) {
    std::vector<uint8_t> lengths(freqs.size());
    std::vector<size_t> used;
    for (size_t s = 0; s < freqs.size(); ++s)
        if (freqs[s])
            used.push_back(s);
    if (used.empty())
        return lengths;
    if (used.size() == 1)
        used.push_back(used[0] == 0 ? 1 : 0);
    std::vector<uint64_t> weights;
    for (size_t s : used)
        weights.push_back(std::max<uint32_t>(freqs[s], 1));
    for (;;) {
        using Node = std::pair<uint64_t, size_t>; // weight, node
        std::priority_queue<Node, std::vector<Node>, std::greater<>> heap;
        std::vector<size_t> parent(2 * used.size(), 0);
        for (size_t k = 0; k < used.size(); ++k)
            heap.push({weights[k], k});
        size_t next = used.size();
        while (heap.size() > 1) {
            const Node a = heap.top();
            heap.pop();
            const Node b = heap.top();
            heap.pop();
            parent[a.second] = parent[b.second] = next;
            heap.push({a.first + b.first, next++});
        }
        const size_t root = next - 1;
        std::vector<uint8_t> depth(next, 0);
        for (size_t node = root; node-- > 0;)
            depth[node] = uint8_t(std::min(depth[parent[node]] + 1, 255));
        if (std::all_of(depth.begin(), depth.begin() + used.size(),
                        [](uint8_t n) { return n <= kMaxCodeLength; })) {
            for (size_t k = 0; k < used.size(); ++k)
                lengths[used[k]] = depth[k];
            return lengths;
        }
        for (uint64_t& w : weights)
            w = (w + 1) / 2;
    }
}

// Codes in the reader's order: by length, then by symbol.
std::vector<uint16_t> CanonicalCodes(const uint8_t* lengths, size_t count) {
    std::vector<uint16_t> codes(count);
    uint32_t code = 0;
    for (int length = 1; length <= kMaxCodeLength; ++length) {
        for (size_t s = 0; s < count; ++s)
            if (lengths[s] == length)
                codes[s] = uint16_t(code++);
        code <<= 1;
    }
    return codes;
}

enum Code : uint8_t { Main, Dist, Low, Len, Bits };

struct Op {
    Code code;
    uint8_t bits; // for Bits
    uint32_t value;
};

// The reader's memory of far distances' low 4 bits: the last value and how many more far distances take
// it without a symbol.
struct LowState {
    uint32_t last = 0;
    bool valid = false;
    int repeats = 0;
};

using Freqs = std::array<std::vector<uint32_t>, 4>;

bool Far(const Rar29Token& t) {
    return t.kind == Rar29Token::Long && DistanceSlot(t.distance - 1) > 9;
}

// Appends the ops of `tokens` and counts their symbols. A run of low values that the reader repeats
// (symbol 16) is started only when the next 15 far distances of these tokens take the same value and
// after a value was sent in this member, so no run is left open at the end of a block or member and
// none depends on what came before the member.
void Symbolize(const std::vector<Rar29Token>& tokens, LowState& low, std::vector<Op>& ops, Freqs& freqs) {
    // run[k]: how many far distances from token k on, in a row, take its low value.
    std::vector<uint32_t> run(tokens.size(), 0);
    size_t following = tokens.size();
    for (size_t k = tokens.size(); k-- > 0;) {
        if (!Far(tokens[k]))
            continue;
        run[k] = following < tokens.size() &&
                         ((tokens[following].distance - 1) & 15) == ((tokens[k].distance - 1) & 15)
                     ? run[following] + 1
                     : 1;
        following = k;
    }
    auto symbol = [&](Code code, uint32_t value) {
        ops.push_back({code, 0, value});
        ++freqs[code][value];
    };
    auto bits = [&](uint32_t value, uint8_t count) {
        if (count)
            ops.push_back({Bits, count, value});
    };
    for (size_t k = 0; k < tokens.size(); ++k) {
        const Rar29Token& t = tokens[k];
        if (t.kind < 256) {
            symbol(Main, t.kind);
        } else if (t.kind == Rar29Token::RepeatLast) {
            symbol(Main, t.kind);
        } else if (t.kind < Rar29Token::Short) {
            const size_t slot = kLengthSlot[t.length - 2];
            symbol(Main, t.kind);
            symbol(Len, uint32_t(slot));
            bits(t.length - 2 - kLengthBases[slot], kLengthBits[slot]);
        } else if (t.kind == Rar29Token::Short) {
            const size_t slot = kShortSlot[t.distance - 1];
            symbol(Main, uint32_t(Rar29Token::Short + slot));
            bits(t.distance - 1 - kShortBases[slot], kShortBits[slot]);
        } else {
            // What the reader adds to a long match's length for its distance.
            const uint32_t coded = t.length - (t.distance >= 0x2000) - (t.distance >= 0x40000) - 3;
            size_t slot = kLengthSlot[coded];
            symbol(Main, uint32_t(Rar29Token::Long + slot));
            bits(coded - kLengthBases[slot], kLengthBits[slot]);
            const uint32_t value = t.distance - 1;
            slot = DistanceSlot(value);
            symbol(Dist, uint32_t(slot));
            const uint32_t extra = value - kDistanceBases[slot];
            const uint8_t count = kDistanceBits[slot];
            if (slot <= 9) {
                bits(extra, count);
                continue;
            }
            if (count > 4)
                bits(extra >> 4, count - 4);
            if (low.repeats) {
                --low.repeats;
            } else if (low.valid && low.last == (extra & 15) && run[k] >= 16) {
                symbol(Low, 16);
                low.repeats = 15;
            } else {
                symbol(Low, extra & 15);
                low.last = extra & 15;
                low.valid = true;
            }
        }
    }
}

// A table block: not PPMd, whether the old lengths are kept (then the new ones are sent as differences
// from them, mod 16), the 20 lengths of the code for the lengths, and the lengths in that code with runs
// of the previous length (16, 17) and of zeros (18, 19).
void WriteTables(BitWriter& bw, const std::vector<uint8_t>& lengths, const std::vector<uint8_t>& old,
                 bool keep) {
    bw.Align();
    bw.Put(0, 1);
    bw.Put(keep ? 1 : 0, 1);
    struct TableOp {
        uint8_t symbol, bits;
        uint32_t value;
    };
    std::vector<TableOp> ops;
    for (size_t i = 0; i < kTableLengths;) {
        const uint8_t n = lengths[i];
        size_t run = 1;
        while (i + run < kTableLengths && lengths[i + run] == n && run < 138)
            ++run;
        if (n == 0 && run >= 3) {
            ops.push_back(run <= 10 ? TableOp{18, 3, uint32_t(run - 3)} : TableOp{19, 7, uint32_t(run - 11)});
        } else if (i && n == lengths[i - 1] && run >= 3) {
            ops.push_back(run <= 10 ? TableOp{16, 3, uint32_t(run - 3)} : TableOp{17, 7, uint32_t(run - 11)});
        } else {
            ops.push_back({uint8_t((n - (keep ? old[i] : 0)) & 15), 0, 0});
            run = 1;
        }
        i += run;
    }
    std::vector<uint32_t> freqs(20);
    for (const TableOp& op : ops)
        ++freqs[op.symbol];
    const std::vector<uint8_t> pre = CodeLengths(freqs);
    for (size_t i = 0; i < 20;) {
        if (pre[i] == 0) {
            size_t run = 1;
            while (i + run < 20 && pre[i + run] == 0 && run < 17)
                ++run;
            if (run >= 3) {
                bw.Put(15, 4);
                bw.Put(uint32_t(run - 2), 4);
                i += run;
                continue;
            }
        }
        bw.Put(pre[i], 4);
        if (pre[i] == 15)
            bw.Put(0, 4);
        ++i;
    }
    const std::vector<uint16_t> codes = CanonicalCodes(pre.data(), pre.size());
    for (const TableOp& op : ops) {
        bw.Put(codes[op.symbol], pre[op.symbol]);
        if (op.bits)
            bw.Put(op.value, op.bits);
    }
}

} // namespace

Rar29Compressor::Rar29Compressor(bool solid, uint32_t dictionary)
    : solid(solid), dictionary(dictionary), parser(std::make_unique<Rar29Parser>(dictionary)) {}

Rar29Compressor::~Rar29Compressor() = default;

std::vector<uint8_t> Rar29Compressor::Pack(const uint8_t* data, size_t size,
                                           const std::function<void(uint64_t)>& parsed) {
    std::vector<uint8_t> out;
    if (!size)
        return out;
    // The stream position of the buffer's first byte; positions grow over all members, so the
    // parser's links into earlier members are told apart by position alone.
    const uint64_t start = streamed;
    const uint8_t* buffer = data;
    size_t from = 0, bufferSize = size;
    uint64_t base = start;
    if (solid) {
        const size_t keep = std::min<size_t>(window.size(), dictionary);
        window.erase(window.begin(), window.end() - keep);
        window.insert(window.end(), data, data + size);
        buffer = window.data();
        bufferSize = window.size();
        from = keep;
        base = start - keep;
    } else {
        oldLengths.clear();
    }
    parser->Start(buffer, bufferSize, base, from, solid ? 0 : from, !solid);
    streamed += size;

    BitWriter bw(out);
    LowState low;
    std::vector<Rar29Token> piece;
    std::vector<Op> ops;
    size_t pieceBytes = 0, reported = 0;
    while (!parser->Done()) {
        const Rar29Token t = parser->Next();
        piece.push_back(t);
        pieceBytes += t.length;
        const bool last = parser->Done();
        if (pieceBytes < kBlockBytes && !last)
            continue;

        Freqs freqs{std::vector<uint32_t>(kMainSymbols), std::vector<uint32_t>(kDistanceSlots),
                    std::vector<uint32_t>(kLowSymbols), std::vector<uint32_t>(kLengthSlots)};
        ops.clear();
        Symbolize(piece, low, ops, freqs);
        ++freqs[Main][kEndOfBlock];
        std::vector<uint8_t> lengths;
        for (const std::vector<uint32_t>& f : freqs) {
            const std::vector<uint8_t> l = CodeLengths(f);
            lengths.insert(lengths.end(), l.begin(), l.end());
        }
        WriteTables(bw, lengths, oldLengths, !oldLengths.empty() && tables % 2 == 1);
        oldLengths = lengths;
        ++tables;
        const std::array<size_t, 4> offsets{0, kMainSymbols, kMainSymbols + kDistanceSlots,
                                            kMainSymbols + kDistanceSlots + kLowSymbols};
        const std::array<size_t, 4> counts{kMainSymbols, kDistanceSlots, kLowSymbols, kLengthSlots};
        std::array<std::vector<uint16_t>, 4> codes;
        for (size_t c = 0; c < 4; ++c)
            codes[c] = CanonicalCodes(lengths.data() + offsets[c], counts[c]);
        for (const Op& op : ops) {
            if (op.code == Bits)
                bw.Put(op.value, op.bits);
            else
                bw.Put(codes[op.code][op.value], lengths[offsets[op.code] + op.value]);
        }
        const uint64_t at = bw.Tell();
        bw.Put(codes[Main][kEndOfBlock], lengths[kEndOfBlock]);
        if (last) {
            bw.Put(0, 1);
            bw.Put(1, 1);
            bw.Align();
            // The reader looks 10 bits ahead for every symbol, the last one too.
            while (uint64_t(out.size()) * 8 < at + 10)
                out.push_back(0);
        } else {
            bw.Put(1, 1);
        }
        piece.clear();
        pieceBytes = 0;
        const size_t done = parser->Position() - from;
        if (parsed && (last || done - reported >= (size_t(1) << 20))) {
            reported = done;
            parsed(done);
        }
    }
    return out;
}

} // namespace medium
