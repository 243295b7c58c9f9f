#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <immintrin.h>
#endif

namespace Markup {

// Where the byte c stands among the 16 bytes at p: a bit per byte, the lowest
// for p[0]; 0 when the machine has no 16-byte compare (the caller then looks
// at the bytes one by one).
#if defined(__SSE2__)
inline unsigned hits16(const char *p, char c)
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
}
#endif

// The position of the first byte c at or after `from`, or npos. memchr reads
// long stretches fast but costs a call each time; where the byte comes thick
// and fast (a text of nothing but at signs or colons) that call would cost more
// than the byte, so the first bytes are looked at here: 64 of them, about
// what a web address takes up to the space that ends it.
inline std::size_t findByte(std::string_view t, std::size_t from, char c)
{
    const std::size_t n = t.size();
    if (from >= n)
        return std::string_view::npos;
#if defined(__SSE2__)
    if (n - from >= 16) {
        for (const std::size_t near = from + 64; from < near && n - from >= 16; from += 16)
            if (const unsigned hits = hits16(t.data() + from, c))
                return from + unsigned(__builtin_ctz(hits));
    } else
#endif
    {
        for (const std::size_t near = std::min(n, from + 16); from < near; ++from)
            if (t[from] == c)
                return from;
    }
    if (from >= n)
        return std::string_view::npos;
    const void *hit = std::memchr(t.data() + from, c, n - from);
    return hit ? static_cast<std::size_t>(static_cast<const char *>(hit) - t.data()) : std::string_view::npos;
}

#if defined(__SSE2__)
// Asks for the text a few 64-byte rounds ahead of the n bytes at `from` being
// copied from i on. The processor would fetch it by itself while the copying
// goes on, but each link written stops the copying, and the link's own reads
// ahead of it would then wait for the memory.
inline void askAhead(const char *from, std::size_t i, std::size_t n)
{
    _mm_prefetch(from + std::min(i + 512, n - 1), _MM_HINT_T0);
}
#endif

// Copies the n bytes at `from` to `to` up to the first byte that is a or b,
// and gives that byte's position, or n when there is none. The text is read
// once for both the search and the copy. Bytes after the one found may be
// copied as well, but nothing is written beyond to + n.
inline std::size_t copyUntilEither(const char *from, std::size_t n, char *to, char a, char b)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i wantA = _mm_set1_epi8(a), wantB = _mm_set1_epi8(b);
    const auto copyBlock = [&](std::size_t at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + at));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(to + at), v);
        return _mm_or_si128(_mm_cmpeq_epi8(v, wantA), _mm_cmpeq_epi8(v, wantB));
    };
    // 64 bytes a round, one test for all of them: in ordinary text the bytes
    // looked for come a few hundred bytes apart.
    for (; i + 64 <= n; i += 64) {
        askAhead(from, i, n);
        const __m128i h0 = copyBlock(i), h1 = copyBlock(i + 16), h2 = copyBlock(i + 32),
                      h3 = copyBlock(i + 48);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(h0, h1), _mm_or_si128(h2, h3)))) {
            const unsigned long long hits =
                unsigned(_mm_movemask_epi8(h0)) | unsigned(_mm_movemask_epi8(h1)) << 16 |
                (unsigned long long)(unsigned(_mm_movemask_epi8(h2)) | unsigned(_mm_movemask_epi8(h3)) << 16)
                    << 32;
            return i + std::size_t(__builtin_ctzll(hits));
        }
    }
    for (; i + 16 <= n; i += 16)
        if (const unsigned hits = unsigned(_mm_movemask_epi8(copyBlock(i))))
            return i + unsigned(__builtin_ctz(hits));
    if (i < n && n >= 16) {
        // The last bytes as one block that ends with the text, its bytes in
        // front of i already looked at.
        const std::size_t last = n - 16;
        const unsigned hits = unsigned(_mm_movemask_epi8(copyBlock(last))) >> (i - last);
        return hits ? i + unsigned(__builtin_ctz(hits)) : n;
    }
#endif
    for (; i < n; ++i) {
        to[i] = from[i];
        if (from[i] == a || from[i] == b)
            return i;
    }
    return n;
}

#if defined(__x86_64__) && defined(__GNUC__)
// copyUntilEither with 32-byte registers, for processors that have them: half
// the instructions for each stretch of text.
__attribute__((target("avx2"))) inline std::size_t copyUntilEitherAvx2(const char *from, std::size_t n,
                                                                       char *to, char a, char b)
{
    std::size_t i = 0;
    const __m256i wantA = _mm256_set1_epi8(a), wantB = _mm256_set1_epi8(b);
    for (; i + 64 <= n; i += 64) {
        askAhead(from, i, n);
        const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(from + i));
        const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(from + i + 32));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(to + i), v0);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(to + i + 32), v1);
        const __m256i h0 = _mm256_or_si256(_mm256_cmpeq_epi8(v0, wantA), _mm256_cmpeq_epi8(v0, wantB));
        const __m256i h1 = _mm256_or_si256(_mm256_cmpeq_epi8(v1, wantA), _mm256_cmpeq_epi8(v1, wantB));
        const __m256i h = _mm256_or_si256(h0, h1);
        if (!_mm256_testz_si256(h, h)) {
            const unsigned long long hits = unsigned(_mm256_movemask_epi8(h0)) |
                                            (unsigned long long)unsigned(_mm256_movemask_epi8(h1)) << 32;
            return i + std::size_t(__builtin_ctzll(hits));
        }
    }
    // Fewer than 64 bytes are left: the 16-byte rounds take them.
    return i + copyUntilEither(from + i, n - i, to + i, a, b);
}

// The same with 64-byte registers: one compare of each kind for each round.
__attribute__((target("avx512bw"))) inline std::size_t copyUntilEitherAvx512(const char *from, std::size_t n,
                                                                             char *to, char a, char b)
{
    std::size_t i = 0;
    const __m512i wantA = _mm512_set1_epi8(a), wantB = _mm512_set1_epi8(b);
    for (; i + 64 <= n; i += 64) {
        askAhead(from, i, n);
        const __m512i v = _mm512_loadu_si512(from + i);
        _mm512_storeu_si512(to + i, v);
        if (const unsigned long long hits =
                _mm512_cmpeq_epi8_mask(v, wantA) | _mm512_cmpeq_epi8_mask(v, wantB))
            return i + std::size_t(__builtin_ctzll(hits));
    }
    return i + copyUntilEither(from + i, n - i, to + i, a, b);
}
#endif

// copyUntilEither in the widest registers this processor has, asked once.
inline std::size_t copyUntilEitherFast(const char *from, std::size_t n, char *to, char a, char b)
{
#if defined(__x86_64__) && defined(__GNUC__)
    static const int width = __builtin_cpu_supports("avx512bw") ? 64
                             : __builtin_cpu_supports("avx2")   ? 32
                                                                : 16;
    if (width == 64)
        return copyUntilEitherAvx512(from, n, to, a, b);
    if (width == 32)
        return copyUntilEitherAvx2(from, n, to, a, b);
#endif
    return copyUntilEither(from, n, to, a, b);
}

// Where the bytes a and b stand among the 64 bytes at p: a bit per byte in
// hitsA and hitsB, the lowest for p[0]. False when the machine has no 16-byte
// compare; the caller then looks another way.
inline bool hits64(const char *p, char a, char b, std::uint64_t &hitsA, std::uint64_t &hitsB)
{
#if defined(__SSE2__)
    // Written out rather than as a loop, which the compiler keeps: the four
    // loads and compares then run side by side.
    const __m128i wantA = _mm_set1_epi8(a), wantB = _mm_set1_epi8(b);
    const auto bits = [&](int k, __m128i want) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * k));
        return std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, want)))) << (16 * k);
    };
    hitsA = bits(0, wantA) | bits(1, wantA) | bits(2, wantA) | bits(3, wantA);
    hitsB = bits(0, wantB) | bits(1, wantB) | bits(2, wantB) | bits(3, wantB);
    return true;
#else
    (void)p, (void)a, (void)b, (void)hitsA, (void)hitsB;
    return false;
#endif
}

// The position of the first byte among the n at p that is a or b, or n when
// there is none.
inline std::size_t findEither(const char *p, std::size_t n, char a, char b)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i wantA = _mm_set1_epi8(a), wantB = _mm_set1_epi8(b);
    const auto hits = [&](std::size_t at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + at));
        return unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, wantA), _mm_cmpeq_epi8(v, wantB))));
    };
    for (; i + 16 <= n; i += 16)
        if (const unsigned h = hits(i))
            return i + unsigned(__builtin_ctz(h));
    if (i < n && n >= 16) {
        // The last bytes as one block that ends with the text, its bytes in
        // front of i already looked at.
        const std::size_t last = n - 16;
        const unsigned h = hits(last) >> (i - last);
        return h ? i + unsigned(__builtin_ctz(h)) : n;
    }
#endif
    for (; i < n; ++i)
        if (p[i] == a || p[i] == b)
            return i;
    return n;
}

// The position of the last byte c in [from, to), or npos; as findByte, the
// 16 bytes nearest to `to` are looked at here before memrchr takes over.
inline std::size_t findLastByte(std::string_view t, std::size_t from, std::size_t to, char c)
{
    if (to <= from)
        return std::string_view::npos;
#if defined(__SSE2__)
    if (to - from >= 16) {
        if (const unsigned hits = hits16(t.data() + to - 16, c))
            return to - 16 + unsigned(31 - __builtin_clz(hits));
        to -= 16;
    } else
#endif
    {
        for (const std::size_t near = to - std::min(to - from, std::size_t(16)); to > near; --to)
            if (t[to - 1] == c)
                return to - 1;
    }
    if (to <= from)
        return std::string_view::npos;
#ifdef _WIN32
    // The Windows C library has no memrchr.
    for (; to > from; --to)
        if (t[to - 1] == c)
            return to - 1;
    return std::string_view::npos;
#else
    const void *hit = memrchr(t.data() + from, c, to - from);
    return hit ? static_cast<std::size_t>(static_cast<const char *>(hit) - t.data()) : std::string_view::npos;
#endif
}

} // namespace Markup
