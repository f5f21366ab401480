#include "medium/Rar29Parser.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace medium {

namespace {

constexpr int kHashBits = 16;
constexpr int kChainDepth = 16;

uint32_t Key(const uint8_t* p) {
    return ((uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]) * 2654435761u) >> (32 - kHashBits);
}

} // namespace

Rar29Parser::Rar29Parser(uint32_t dictionary)
    : maxDistance(dictionary - 1), head(size_t(1) << kHashBits, -1), pairs(65536, -1), prev(dictionary, -1),
      mask(dictionary - 1) {}

void Rar29Parser::Start(const uint8_t* buffer, size_t bufferSize, uint64_t bufferBase, size_t from, size_t lo,
                        bool fresh) {
    buf = buffer;
    size = bufferSize;
    base = bufferBase;
    at = from;
    low = base + lo;
    if (fresh) {
        old = {};
        lastLength = lastDistance = 0;
    }
}

size_t Rar29Parser::MatchLength(size_t a, size_t b, size_t limit) const {
    size_t n = 0;
    while (n + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, buf + a + n, 8);
        std::memcpy(&y, buf + b + n, 8);
        if (x != y) {
            if constexpr (std::endian::native == std::endian::little)
                return n + std::countr_zero(x ^ y) / 8;
            else
                return n + std::countl_zero(x ^ y) / 8;
        }
        n += 8;
    }
    while (n < limit && buf[a + n] == buf[b + n])
        ++n;
    return n;
}

void Rar29Parser::Insert(size_t j) {
    if (size - j >= 3) {
        int64_t& first = head[Key(buf + j)];
        prev[(base + j) & mask] = first;
        first = int64_t(base + j);
    }
    if (j + 1 < size)
        pairs[buf[j] << 8 | buf[j + 1]] = int64_t(base + j);
}

Rar29Token Rar29Parser::Next() {
    const size_t i = at, left = size - i;
    const uint64_t here = base + i, room = here - low;
    const uint8_t c = buf[i];
    constexpr uint16_t kNone = 0xFFFF;
    // Twice the bits a match saves over literals, roughly: the longest match is not always the best.
    Rar29Token best{kNone, 1, 0};
    size_t score = 1;

    size_t n = lastLength;
    uint32_t d = lastDistance;
    if (n && n <= left && d <= room && std::memcmp(buf + i - d, buf + i, n) == 0) {
        best = {Rar29Token::RepeatLast, uint16_t(n), d};
        score = 2 * n - 1;
    }
    for (size_t index = 0; index < old.size(); ++index) {
        d = old[index];
        if (d && d <= room && buf[i - d] == c) {
            n = MatchLength(i - d, i, std::min<size_t>(257, left));
            if (n >= 2 && 2 * (n - 1) > score) {
                best = {uint16_t(Rar29Token::OldDistance + index), uint16_t(n), d};
                score = 2 * (n - 1);
            }
        }
    }
    if (left >= 3) {
        int64_t& first = head[Key(buf + i)];
        int64_t p = first;
        prev[here & mask] = p;
        first = int64_t(here);
        size_t longest = 2;
        for (int depth = kChainDepth; depth && p >= int64_t(low) && here - p <= maxDistance; --depth) {
            const size_t at_p = size_t(p - base);
            if (buf[at_p + longest] == buf[i + longest]) {
                d = uint32_t(here - p);
                const size_t bonus = (d >= 0x2000) + (d >= 0x40000);
                n = MatchLength(at_p, i, std::min(258 + bonus, left));
                if (n > longest && n >= 3 + bonus) {
                    longest = n;
                    const size_t saved = 2 * (n - 2 - (d >= 0x2000));
                    if (saved > score) {
                        best = {Rar29Token::Long, uint16_t(n), d};
                        score = saved;
                    }
                    if (n == left || n >= 258)
                        break;
                }
            }
            p = prev[p & mask];
        }
    }
    if (left >= 2) {
        int64_t& last = pairs[c << 8 | buf[i + 1]];
        const int64_t p = last;
        last = int64_t(here);
        if (best.kind == kNone && p >= int64_t(low) && here - p <= 256)
            best = {Rar29Token::Short, 2, uint32_t(here - p)};
    }
    if (best.kind == kNone) {
        at = i + 1;
        return {c, 1, 0};
    }
    if (best.kind != Rar29Token::RepeatLast) {
        const size_t from =
            best.kind < Rar29Token::Short ? best.kind - Rar29Token::OldDistance : old.size() - 1;
        std::copy_backward(old.begin(), old.begin() + from, old.begin() + from + 1);
        old[0] = best.distance;
        lastLength = best.length;
        lastDistance = best.distance;
    }
    // Inside a long match only its ends are worth finding again, and skipping the rest keeps long runs
    // fast.
    const size_t length = best.length;
    if (length <= 32) {
        for (size_t j = i + 1; j < i + length; ++j)
            Insert(j);
    } else {
        for (size_t j = i + 1; j < i + 16; ++j)
            Insert(j);
        for (size_t j = i + length - 8; j < i + length; ++j)
            Insert(j);
    }
    at = i + length;
    return best;
}

} // namespace medium
