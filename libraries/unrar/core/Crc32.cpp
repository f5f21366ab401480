#include "Crc32.h"

#include <zlib.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CRC32_CLMUL 1
#endif

namespace unrar {

namespace {

#ifdef CRC32_CLMUL
// Carry-less multiplication folds 64 bytes a step into four 128-bit lanes, which are folded into one
// and reduced to the 32-bit remainder by Barrett's method: about ten times zlib's speed. The
// constants are powers of x modulo the bit-reflected polynomial, for the distances folded over.
#define CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

CLMUL_TARGET inline __m128i Load(const uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// x times the two halves of k, folded onto the next 128 bits.
CLMUL_TARGET inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)),
                         next);
}

CLMUL_TARGET uint32_t FoldCrc(const uint8_t* p, size_t size, uint32_t crc) {
    const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
    __m128i x1 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(int(crc)));
    __m128i x2 = Load(p + 16), x3 = Load(p + 32), x4 = Load(p + 48);
    p += 64;
    size -= 64;
    for (; size >= 64; p += 64, size -= 64) {
        x1 = Fold(x1, k1k2, Load(p));
        x2 = Fold(x2, k1k2, Load(p + 16));
        x3 = Fold(x3, k1k2, Load(p + 32));
        x4 = Fold(x4, k1k2, Load(p + 48));
    }
    x1 = Fold(Fold(Fold(x1, k3k4, x2), k3k4, x3), k3k4, x4);
    for (; size >= 16; p += 16, size -= 16)
        x1 = Fold(x1, k3k4, Load(p));

    // 128 bits to 64, then to the remainder.
    __m128i x = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k3k4, 0x10));
    x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), k5, 0x00), _mm_srli_si128(x, 4));
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, low32), poly, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), poly, 0x00);
    return uint32_t(_mm_extract_epi32(_mm_xor_si128(x, t), 1));
}

// Asked when first needed: a static initialiser may run before libgcc has read the processor's
// features, and would then always take zlib's way.
bool HasClmul() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    }();
    return has;
}
#endif

} // namespace

uint32_t Crc32(const void* data, size_t size, uint32_t crc) {
    auto p = static_cast<const uint8_t*>(data);
#ifdef CRC32_CLMUL
    if (size >= 64 && HasClmul()) {
        const size_t folded = size & ~size_t(15);
        crc = ~FoldCrc(p, folded, ~crc);
        p += folded;
        size -= folded;
    }
#endif
    // zlib's for the rest: libarchive checks member data with it already.
    return uint32_t(crc32_z(crc, p, size));
}

} // namespace unrar
