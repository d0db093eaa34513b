#include "editor/checksum_engine.h"

#include <atomic>
#include <bit>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#define ZELMO_HAVE_CLMUL 1
#endif

namespace zelmo::editor {

namespace {

constexpr int kSlices = 16;

template <typename T> using SliceTables = std::array<std::array<T, 256>, kSlices>;

// Tables for a reflected CRC: entry [k][i] is the register after byte i followed by k zero bytes.
template <typename T> constexpr SliceTables<T> makeReflected(T polynomial) {
    SliceTables<T> t{};
    for (unsigned i = 0; i < 256; ++i) {
        T c = static_cast<T>(i);
        for (int b = 0; b < 8; ++b) {
            c = (c & 1) ? static_cast<T>((c >> 1) ^ polynomial) : static_cast<T>(c >> 1);
        }
        t[0][i] = c;
    }
    for (int k = 1; k < kSlices; ++k) {
        for (unsigned i = 0; i < 256; ++i) {
            const T prev = t[k - 1][i];
            t[k][i] = static_cast<T>((prev >> 8) ^ t[0][prev & 0xFF]);
        }
    }
    return t;
}

// Tables for the most-significant-bit-first 16-bit CRC with polynomial 0x1021.
constexpr SliceTables<std::uint16_t> makeForward16(std::uint16_t polynomial) {
    SliceTables<std::uint16_t> t{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t c = 0;
        std::uint16_t a = static_cast<std::uint16_t>(i << 8);
        for (int b = 0; b < 8; ++b) {
            c = ((a ^ c) & 0x8000) ? static_cast<std::uint16_t>((c << 1) ^ polynomial)
                                   : static_cast<std::uint16_t>(c << 1);
            a = static_cast<std::uint16_t>(a << 1);
        }
        t[0][i] = c;
    }
    for (int k = 1; k < kSlices; ++k) {
        for (unsigned i = 0; i < 256; ++i) {
            const std::uint16_t prev = t[k - 1][i];
            t[k][i] = static_cast<std::uint16_t>((prev << 8) ^ t[0][prev >> 8]);
        }
    }
    return t;
}

constexpr SliceTables<std::uint16_t> kArc = makeReflected<std::uint16_t>(0xA001);
constexpr SliceTables<std::uint16_t> kDnp = makeReflected<std::uint16_t>(0xA6BC);
constexpr SliceTables<std::uint16_t> kXModem = makeForward16(0x1021);
constexpr SliceTables<std::uint32_t> kCrc32 = makeReflected<std::uint32_t>(0xEDB88320u);

inline std::uint64_t loadLe64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) {
        v = __builtin_bswap64(v);
    }
    return v;
}

template <typename T> inline T reflectedByte(const SliceTables<T>& t, T crc, std::uint8_t b) {
    return static_cast<T>((crc >> 8) ^ t[0][(crc ^ b) & 0xFF]);
}

inline std::uint16_t forwardByte(std::uint16_t crc, std::uint8_t b) {
    return static_cast<std::uint16_t>((crc << 8) ^ kXModem[0][((crc >> 8) ^ b) & 0xFF]);
}

// Eight bytes of a reflected CRC whose register has already been XORed into v.
template <typename T> inline T reflected8(const SliceTables<T>& t, std::uint64_t v, int base) {
    return static_cast<T>(t[base + 7][v & 0xFF] ^ t[base + 6][(v >> 8) & 0xFF] ^
                          t[base + 5][(v >> 16) & 0xFF] ^ t[base + 4][(v >> 24) & 0xFF] ^
                          t[base + 3][(v >> 32) & 0xFF] ^ t[base + 2][(v >> 40) & 0xFF] ^
                          t[base + 1][(v >> 48) & 0xFF] ^ t[base + 0][v >> 56]);
}

// Eight bytes of the forward CRC, v holding the bytes in little-endian order with the register
// already XORed into the first two.
inline std::uint16_t forward8(std::uint64_t v, int base) {
    const auto& t = kXModem;
    return static_cast<std::uint16_t>(
        t[base + 7][v & 0xFF] ^ t[base + 6][(v >> 8) & 0xFF] ^ t[base + 5][(v >> 16) & 0xFF] ^
        t[base + 4][(v >> 24) & 0xFF] ^ t[base + 3][(v >> 32) & 0xFF] ^
        t[base + 2][(v >> 40) & 0xFF] ^ t[base + 1][(v >> 48) & 0xFF] ^ t[base + 0][v >> 56]);
}

// Sixteen bytes through a reflected table with the register starting at `crc`.
template <typename T> T reflectedUpdate16(const SliceTables<T>& t, T crc, const std::uint8_t* p) {
    return static_cast<T>(reflected8(t, loadLe64(p) ^ crc, 8) ^ reflected8(t, loadLe64(p + 8), 0));
}

inline std::uint64_t forwardMix(std::uint16_t crc) {
    // The register's high byte meets the first data byte, its low byte the second.
    return static_cast<std::uint64_t>(crc >> 8) | (static_cast<std::uint64_t>(crc & 0xFF) << 8);
}

// The registers the calculator keeps (the reflected ones as they stand in the byte rules).
struct Registers {
    std::uint16_t arc;
    std::uint16_t dnp;
    std::uint16_t xmodem;
    std::uint32_t crc32;
};

constexpr std::uint16_t reverse16(std::uint16_t v) {
    std::uint16_t r = 0;
    for (int i = 0; i < 16; ++i) {
        r = static_cast<std::uint16_t>((r << 1) | ((v >> i) & 1));
    }
    return r;
}

// x^n modulo a 16-bit polynomial given with its x^16 term (0x18005 for 0x8005).
constexpr std::uint64_t xPowMod(int n, std::uint32_t poly) {
    std::uint32_t r = 1;
    for (int i = 0; i < n; ++i) {
        r <<= 1;
        if (r & 0x10000u) {
            r ^= poly;
        }
    }
    return r;
}

// Byte tables of the most-significant-bit-first CRCs with the polynomials 0x8005 and 0x3D65
// (the unreflected forms of CRC-16/ARC and CRC-16/DNP).
constexpr SliceTables<std::uint16_t> kArcMsb = makeForward16(0x8005);
constexpr SliceTables<std::uint16_t> kDnpMsb = makeForward16(0x3D65);

inline std::uint16_t msbBytes(const SliceTables<std::uint16_t>& t, std::uint16_t crc,
                              const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        crc = static_cast<std::uint16_t>((crc << 8) ^ t[0][((crc >> 8) ^ p[i]) & 0xFF]);
    }
    return crc;
}

#if defined(ZELMO_HAVE_CLMUL)
// CRC-32 by carry-less multiplication: 16-byte blocks are folded into one 128-bit remainder
// that keeps the polynomial residue of everything folded so far; the remainder's 16 bytes then
// run through the table like message bytes with a zero register. The register is XORed into the
// first block beforehand. Built for processors with PCLMULQDQ only; callers check at run time.
__attribute__((target("pclmul,sse4.1"))) inline __m128i fold32(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(
        _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

__attribute__((target("pclmul,sse4.1"))) std::uint32_t
crc32Clmul(std::uint32_t crc, const std::uint8_t* p, std::size_t n, std::size_t& used) {
    used = 0;
    if (n < 32) {
        return crc;
    }
    // Fold by 128 bits: x^(128+32) and x^(128-32) modulo the polynomial, bit-reflected and
    // shifted; fold by 512 bits (four independent lanes): x^(512+32) and x^(512-32).
    const __m128i k1 = _mm_set_epi64x(0x0ccaa009eLL, 0x1751997d0LL);
    const __m128i k4 = _mm_set_epi64x(0x1c6e41596LL, 0x154442bd4LL);
    auto load = [p](std::size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
    };
    __m128i x = _mm_xor_si128(load(0), _mm_cvtsi32_si128(static_cast<int>(crc)));
    std::size_t i = 16;
    if (n >= 128) {
        __m128i x1 = load(16), x2 = load(32), x3 = load(48);
        for (i = 64; i + 64 <= n; i += 64) {
            x = fold32(x, k4, load(i));
            x1 = fold32(x1, k4, load(i + 16));
            x2 = fold32(x2, k4, load(i + 32));
            x3 = fold32(x3, k4, load(i + 48));
        }
        x = fold32(fold32(fold32(x, k1, x1), k1, x2), k1, x3);
    }
    for (; i + 16 <= n; i += 16) {
        x = fold32(x, k1, load(i));
    }
    alignas(16) std::uint8_t rest[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(rest), x);
    used = i;
    return reflectedUpdate16(kCrc32, 0u, rest);
}

// Each byte's bits in reverse order, by two nibble lookups.
__attribute__((target("pclmul,ssse3,sse4.1"))) inline __m128i
mirrored(__m128i v, __m128i revLow, __m128i revHigh, __m128i nibble) {
    const __m128i lo = _mm_and_si128(v, nibble);
    const __m128i hi = _mm_and_si128(_mm_srli_epi16(v, 4), nibble);
    return _mm_or_si128(_mm_shuffle_epi8(revLow, lo), _mm_shuffle_epi8(revHigh, hi));
}

// One fold: the high qword times K1 (high qword of k), the low qword times K2, plus the block.
__attribute__((target("pclmul,ssse3,sse4.1"))) inline __m128i fold(__m128i x, __m128i k,
                                                                   __m128i next) {
    return _mm_xor_si128(
        _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), _mm_clmulepi64_si128(x, k, 0x00)), next);
}

// A 16-bit register placed in the top bits of a 128-bit block.
__attribute__((target("pclmul,ssse3,sse4.1"))) inline __m128i top16(std::uint16_t reg) {
    return _mm_set_epi64x(static_cast<long long>(static_cast<std::uint64_t>(reg) << 48), 0);
}

// All four CRCs by carry-less multiplication, 16 bytes at a time, each in the unreflected
// domain: a block loaded most significant byte first is a polynomial of degree < 128, and
// X * x^128 + B = Xh * x^192 + Xl * x^128 + B is congruent to Xh * K1 + Xl * K2 + B with
// K1 = x^192 mod P and K2 = x^128 mod P, which again fits in 128 bits. The reflected CRC-16s
// run on bit-reversed bytes with the reversed register (a reflected CRC is the mirror of the
// plain one over mirrored bytes). At the end each remainder's 16 bytes go through the byte
// table with a zero register. Returns the bytes consumed (a multiple of 16, or 0 below 32).
__attribute__((target("pclmul,ssse3,sse4.1"))) std::size_t
foldAll(Registers& r, const std::uint8_t* p, std::size_t n) {
    if (n < 32) {
        return 0;
    }
    const __m128i byteReverse = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    // Bit reversal of each byte: nibble tables for the low nibble (result's high half) and the
    // high nibble (result's low half).
    const __m128i revLow = _mm_set_epi8(
        static_cast<char>(0xF0), 0x70, static_cast<char>(0xB0), 0x30, static_cast<char>(0xD0), 0x50,
        static_cast<char>(0x90), 0x10, static_cast<char>(0xE0), 0x60, static_cast<char>(0xA0), 0x20,
        static_cast<char>(0xC0), 0x40, static_cast<char>(0x80), 0);
    const __m128i revHigh = _mm_set_epi8(0x0F, 0x07, 0x0B, 0x03, 0x0D, 0x05, 0x09, 0x01, 0x0E, 0x06,
                                         0x0A, 0x02, 0x0C, 0x04, 0x08, 0x00);
    const __m128i nibble = _mm_set1_epi8(0x0F);
    static constexpr std::uint64_t kArcK1 = xPowMod(192, 0x18005), kArcK2 = xPowMod(128, 0x18005);
    static constexpr std::uint64_t kDnpK1 = xPowMod(192, 0x13D65), kDnpK2 = xPowMod(128, 0x13D65);
    static constexpr std::uint64_t kXmK1 = xPowMod(192, 0x11021), kXmK2 = xPowMod(128, 0x11021);
    const __m128i kArcK =
        _mm_set_epi64x(static_cast<long long>(kArcK1), static_cast<long long>(kArcK2));
    const __m128i kDnpK =
        _mm_set_epi64x(static_cast<long long>(kDnpK1), static_cast<long long>(kDnpK2));
    const __m128i kXmK =
        _mm_set_epi64x(static_cast<long long>(kXmK1), static_cast<long long>(kXmK2));
    const __m128i k32 = _mm_set_epi64x(0x0ccaa009eLL, 0x1751997d0LL);

    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i be = _mm_shuffle_epi8(b, byteReverse);
    __m128i mbe = _mm_shuffle_epi8(mirrored(b, revLow, revHigh, nibble), byteReverse);
    __m128i xm = _mm_xor_si128(be, top16(r.xmodem));
    __m128i arc = _mm_xor_si128(mbe, top16(reverse16(r.arc)));
    __m128i dnp = _mm_xor_si128(mbe, top16(reverse16(r.dnp)));
    __m128i c32 = _mm_xor_si128(b, _mm_cvtsi32_si128(static_cast<int>(r.crc32)));
    std::size_t i = 16;
    for (; i + 16 <= n; i += 16) {
        b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        be = _mm_shuffle_epi8(b, byteReverse);
        mbe = _mm_shuffle_epi8(mirrored(b, revLow, revHigh, nibble), byteReverse);
        xm = fold(xm, kXmK, be);
        arc = fold(arc, kArcK, mbe);
        dnp = fold(dnp, kDnpK, mbe);
        c32 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(c32, k32, 0x00),
                                          _mm_clmulepi64_si128(c32, k32, 0x11)),
                            b);
    }
    alignas(16) std::uint8_t rest[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(rest), _mm_shuffle_epi8(xm, byteReverse));
    r.xmodem = msbBytes(kXModem, 0, rest, 16);
    _mm_store_si128(reinterpret_cast<__m128i*>(rest), _mm_shuffle_epi8(arc, byteReverse));
    r.arc = reverse16(msbBytes(kArcMsb, 0, rest, 16));
    _mm_store_si128(reinterpret_cast<__m128i*>(rest), _mm_shuffle_epi8(dnp, byteReverse));
    r.dnp = reverse16(msbBytes(kDnpMsb, 0, rest, 16));
    _mm_store_si128(reinterpret_cast<__m128i*>(rest), c32);
    r.crc32 = reflectedUpdate16(kCrc32, 0u, rest);
    return i;
}

std::atomic<bool> gAccelerationAllowed{true};

bool haveClmul() {
    static const bool have = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return have && gAccelerationAllowed.load(std::memory_order_relaxed);
}
#else
std::atomic<bool> gAccelerationAllowed{true};
bool haveClmul() {
    return false;
}
std::uint32_t crc32Clmul(std::uint32_t crc, const std::uint8_t*, std::size_t, std::size_t& used) {
    used = 0;
    return crc;
}
std::size_t foldAll(Registers&, const std::uint8_t*, std::size_t) {
    return 0;
}
#endif

void updateAll(Registers& r, std::span<const std::uint8_t> bytes) {
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    if (haveClmul()) {
        const std::size_t used = foldAll(r, p, n);
        p += used;
        n -= used;
    }
    std::uint16_t arc = r.arc, dnp = r.dnp, xm = r.xmodem;
    std::uint32_t c32 = r.crc32;
    while (n >= 16) {
        const std::uint64_t lo = loadLe64(p);
        const std::uint64_t hi = loadLe64(p + 8);
        arc = static_cast<std::uint16_t>(reflected8(kArc, lo ^ arc, 8) ^ reflected8(kArc, hi, 0));
        dnp = static_cast<std::uint16_t>(reflected8(kDnp, lo ^ dnp, 8) ^ reflected8(kDnp, hi, 0));
        xm = static_cast<std::uint16_t>(forward8(lo ^ forwardMix(xm), 8) ^ forward8(hi, 0));
        c32 = reflected8(kCrc32, lo ^ c32, 8) ^ reflected8(kCrc32, hi, 0);
        p += 16;
        n -= 16;
    }
    for (; n > 0; --n, ++p) {
        arc = reflectedByte(kArc, arc, *p);
        dnp = reflectedByte(kDnp, dnp, *p);
        xm = forwardByte(xm, *p);
        c32 = reflectedByte(kCrc32, c32, *p);
    }
    r = {arc, dnp, xm, c32};
}

template <typename T>
T reflectedUpdate(const SliceTables<T>& t, T crc, std::span<const std::uint8_t> bytes) {
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    while (n >= 16) {
        crc =
            static_cast<T>(reflected8(t, loadLe64(p) ^ crc, 8) ^ reflected8(t, loadLe64(p + 8), 0));
        p += 16;
        n -= 16;
    }
    for (; n > 0; --n, ++p) {
        crc = reflectedByte(t, crc, *p);
    }
    return crc;
}

// A linear map of 16-bit registers as 16 column images.
using Matrix16 = std::array<std::uint16_t, 16>;

std::uint16_t apply(const Matrix16& m, std::uint16_t v) {
    std::uint16_t out = 0;
    for (int i = 0; v != 0; ++i, v = static_cast<std::uint16_t>(v >> 1)) {
        if (v & 1) {
            out = static_cast<std::uint16_t>(out ^ m[i]);
        }
    }
    return out;
}

Matrix16 compose(const Matrix16& a, const Matrix16& b) { // a after b
    Matrix16 r{};
    for (int i = 0; i < 16; ++i) {
        r[i] = apply(a, b[i]);
    }
    return r;
}

template <typename Step> std::uint16_t zeros(std::uint16_t crc, std::uint64_t count, Step step) {
    Matrix16 m{};
    for (int i = 0; i < 16; ++i) {
        m[i] = step(static_cast<std::uint16_t>(1u << i));
    }
    while (count != 0) {
        if (count & 1) {
            crc = apply(m, crc);
        }
        count >>= 1;
        if (count != 0) {
            m = compose(m, m);
        }
    }
    return crc;
}

} // namespace

std::uint32_t byteSum(std::span<const std::uint8_t> bytes, std::uint32_t sum) {
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
#if defined(__SSE2__)
    // psadbw adds eight bytes at a time into 64-bit lanes; the lanes cannot overflow for any
    // range a 64-bit size can describe in practice, and the result is taken modulo 2^32.
    __m128i acc0 = _mm_setzero_si128();
    __m128i acc1 = _mm_setzero_si128();
    const __m128i zero = _mm_setzero_si128();
    while (n >= 32) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        acc0 = _mm_add_epi64(acc0, _mm_sad_epu8(a, zero));
        acc1 = _mm_add_epi64(acc1, _mm_sad_epu8(b, zero));
        p += 32;
        n -= 32;
    }
    const __m128i acc = _mm_add_epi64(acc0, acc1);
    std::uint64_t lanes[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), acc);
    sum += static_cast<std::uint32_t>(lanes[0] + lanes[1]);
#endif
    for (; n > 0; --n, ++p) {
        sum += *p;
    }
    return sum;
}

bool setChecksumAcceleration(bool allowed) {
    gAccelerationAllowed.store(allowed, std::memory_order_relaxed);
    return haveClmul();
}

std::uint32_t crc32Update(std::uint32_t crc, std::span<const std::uint8_t> bytes) {
    std::size_t used = 0;
    if (haveClmul()) {
        crc = crc32Clmul(crc, bytes.data(), bytes.size(), used);
    }
    return reflectedUpdate(kCrc32, crc, bytes.subspan(used));
}

std::uint32_t crc32(std::span<const std::uint8_t> bytes) {
    return ~crc32Update(0xFFFFFFFFu, bytes);
}

std::uint16_t crc16ArcZeros(std::uint16_t crc, std::uint64_t count) {
    return zeros(crc, count, [](std::uint16_t c) { return reflectedByte(kArc, c, 0); });
}

std::uint16_t crc16XModemZeros(std::uint16_t crc, std::uint64_t count) {
    return zeros(crc, count, [](std::uint16_t c) { return forwardByte(c, 0); });
}

void ChecksumCalculator::update(std::span<const std::uint8_t> bytes) {
    count_ += bytes.size();
    sum_ = byteSum(bytes, sum_);
    if (!all_) {
        return;
    }
    Registers r{arc_, dnp_, xmodem_, crc32_};
    updateAll(r, bytes);
    arc_ = r.arc;
    dnp_ = r.dnp;
    xmodem_ = r.xmodem;
    crc32_ = r.crc32;
}

ChecksumValues ChecksumCalculator::result() const {
    ChecksumValues v;
    v.Sum = sum_;
    if (!all_) {
        return v;
    }
    v.Crc16 = arc_;
    v.Modbus = static_cast<std::uint16_t>(arc_ ^ crc16ArcZeros(0xFFFF, count_));
    const std::uint16_t dnp = static_cast<std::uint16_t>(~dnp_);
    v.Dnp = static_cast<std::uint16_t>((dnp >> 8) | (dnp << 8));
    v.XModem = xmodem_;
    v.CcittFFFF = static_cast<std::uint16_t>(xmodem_ ^ crc16XModemZeros(0xFFFF, count_));
    v.Ccitt1D0F = static_cast<std::uint16_t>(xmodem_ ^ crc16XModemZeros(0x1D0F, count_));
    v.Crc32 = ~crc32_;
    return v;
}

const std::array<ChecksumField, 9> kChecksumFields = {{
    {"Checksum 16", 4},
    {"Checksum 32", 8},
    {"CRC-16", 4},
    {"CRC-16 (Modbus)", 4},
    {"CRC-DNP", 4},
    {"CRC-CCIT (XModem)", 4},
    {"CRC-CCIT (FFFF)", 4},
    {"CRC-CCIT (1D0F)", 4},
    {"CRC-32", 8},
}};

std::array<std::string, 9> formatChecksumValues(const ChecksumValues& v) {
    const std::array<std::uint32_t, 9> raw = {v.Sum & 0xFFFF, v.Sum,       v.Crc16,
                                              v.Modbus,       v.Dnp,       v.XModem,
                                              v.CcittFFFF,    v.Ccitt1D0F, v.Crc32};
    std::array<std::string, 9> out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%0*X", kChecksumFields[i].Digits, raw[i]);
        out[i] = text;
    }
    return out;
}

void correctChecksumRange(std::uint32_t& from, std::uint32_t& to, std::uint32_t size) {
    // Both rules judge the range as typed, so From above To resets both ends and the whole
    // buffer is used.
    const bool ordered = from <= to;
    if (!(ordered && from < size)) {
        from = 0;
    }
    if (!(ordered && to < size)) {
        to = size == 0 ? 0 : size - 1;
    }
}

} // namespace zelmo::editor
