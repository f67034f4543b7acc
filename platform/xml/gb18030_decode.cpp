#include "platform/xml/gb18030_decode.h"

#include <iconv.h>

#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kiln::xml {

namespace {

constexpr unsigned kLeadFirst = 0x81, kLeadLast = 0xFE;   // lead byte of two- and four-byte codes
constexpr unsigned kTrailFirst = 0x40, kTrailLast = 0xFE;  // trail byte of two-byte codes (not 0x7F)
constexpr unsigned kTrailCount = kTrailLast - kTrailFirst + 1;
// A pair's place in the table of short codes: the pair as it is in memory,
// a little-endian number (lead byte low), so that the conversion reads the
// table with the pair as its index, checking nothing first. Half the places
// (lead bytes below 0x80) are never read.
constexpr size_t kShortPlaces = 0x10000;
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
inline size_t ShortPlace(unsigned lead, unsigned trail) { return trail << 8 | lead; }

char* PutUtf8(uint32_t cp, char* out);

// The UTF-8 bytes of every two-byte code, read from iconv.
class TwoByteTable {
public:
    TwoByteTable() : m_cp(new uint32_t[(kLeadLast - kLeadFirst + 1) * kTrailCount]()) {
        iconv_t cd = iconv_open("UTF-32LE", "GB18030");
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            Encode();  // every code then goes through iconv below
            return;
        }
        // A whole row of codes per call (one call per code costs far more
        // than the conversion); a code iconv refuses stays 0 and the rest of
        // the row goes on after it.
        for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead) {
            char src[2 * kTrailCount];
            unsigned trails[kTrailCount];
            size_t count = 0;
            for (unsigned trail = kTrailFirst; trail <= kTrailLast; ++trail) {
                if (trail == 0x7F) continue;
                src[2 * count] = static_cast<char>(lead);
                src[2 * count + 1] = static_cast<char>(trail);
                trails[count++] = trail;
            }
            size_t next = 0;  // the first code of the row not yet converted
            while (next < count) {
                unsigned char dst[4 * kTrailCount];
                char* s = src + 2 * next;
                char* d = reinterpret_cast<char*>(dst);
                size_t sl = 2 * (count - next), dl = sizeof dst;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                const bool whole = iconv(cd, &s, &sl, &d, &dl) != static_cast<size_t>(-1);
                const size_t done = static_cast<size_t>(s - src) / 2 - next;  // codes taken
                if (static_cast<size_t>(d - reinterpret_cast<char*>(dst)) != 4 * done) {
                    // Not one code point per code: the row is read code by code.
                    for (; next < count; ++next) OneCode(cd, lead, trails[next]);
                    break;
                }
                for (size_t k = 0; k < done; ++k) {
                    const unsigned char* cp = dst + 4 * k;
                    m_cp[Index(lead, trails[next + k])] =
                        cp[0] | (cp[1] << 8) | (cp[2] << 16) | (static_cast<uint32_t>(cp[3]) << 24);
                }
                next += done;
                if (!whole) ++next;  // the refused code stays 0
            }
        }
        iconv_close(cd);
        Encode();
    }
    // The code's UTF-8 bytes in memory order, and their number (0 where
    // iconv refuses the code).
    uint32_t Utf8At(unsigned lead, unsigned trail, size_t& len) const {
        const uint32_t code = m_short[ShortPlace(lead, trail)];
        if (code != 0) {
            len = code >> 24;
            return code & 0xFFFFFF;
        }
        const uint32_t cp = m_cp[Index(lead, trail)];
        if (cp == 0) {
            len = 0;
            return 0;
        }
        char bytes[4] = {};
        len = static_cast<size_t>(PutUtf8(cp, bytes) - bytes);
        uint32_t word;
        std::memcpy(&word, bytes, 4);
        return word;
    }
    // By ShortPlace: the UTF-8 bytes of a code that takes at most three,
    // with their number in the top byte; 0 for any other pair (no two-byte
    // code, refused by iconv, or four UTF-8 bytes).
    const uint32_t* Short() const { return m_short.get(); }

private:
    void OneCode(iconv_t cd, unsigned lead, unsigned trail) {
        char src[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        unsigned char dst[8];
        char* s = src;
        char* d = reinterpret_cast<char*>(dst);
        size_t sl = 2, dl = sizeof dst;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &s, &sl, &d, &dl) == static_cast<size_t>(-1) || dl != sizeof dst - 4) return;
        m_cp[Index(lead, trail)] = dst[0] | (dst[1] << 8) | (dst[2] << 16) | (static_cast<uint32_t>(dst[3]) << 24);
    }
    static size_t Index(unsigned lead, unsigned trail) { return (lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst); }
    // The UTF-8 bytes of the codes that take at most three, from their
    // code points.
    void Encode();
    std::unique_ptr<uint32_t[]> m_cp;
    std::unique_ptr<uint32_t[]> m_short;
};

void TwoByteTable::Encode() {
    m_short.reset(new uint32_t[kShortPlaces]());
    for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead) {
        for (unsigned trail = kTrailFirst; trail <= kTrailLast; ++trail) {
            const uint32_t cp = m_cp[Index(lead, trail)];
            if (cp == 0 || cp >= 0x10000) continue;
            char bytes[4] = {};
            const auto len = static_cast<uint32_t>(PutUtf8(cp, bytes) - bytes);
            uint32_t word;
            std::memcpy(&word, bytes, 4);
            m_short[ShortPlace(lead, trail)] = word | len << 24;
        }
    }
}

const TwoByteTable& Table() {
    static const TwoByteTable table;
    return table;
}

char* PutUtf8(uint32_t cp, char* out) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// One code of `len` bytes through iconv; false when iconv refuses it.
bool ThroughIconv(iconv_t& cd, const unsigned char* p, size_t len, char*& out, size_t room) {
    if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-8", "GB18030");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    char* s = reinterpret_cast<char*>(const_cast<unsigned char*>(p));
    size_t sl = len, dl = room;
    return iconv(cd, &s, &sl, &out, &dl) != static_cast<size_t>(-1) && sl == 0;
}

// The ways to copy a run of ASCII: a step stores kStep bytes as they are and
// gives the number of them before the first byte that is not ASCII (kStep
// when there is none); the next code overwrites the rest.
struct OneByte {
    static constexpr ptrdiff_t kStep = 8;
    static size_t Copy(const unsigned char* p, char* o) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        std::memcpy(o, &word, 8);
        const uint64_t high = word & 0x8080808080808080ULL;
        return high == 0 ? 8 : static_cast<size_t>(__builtin_ctzll(high)) / 8;
    }
};

#if defined(__SSE2__)
struct Sixteen {
    static constexpr ptrdiff_t kStep = 16;
    static size_t Copy(const unsigned char* p, char* o) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), v);
        return static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(_mm_movemask_epi8(v)) | 0x10000u));
    }
};
#else
using Sixteen = OneByte;
#endif

#if defined(__x86_64__)
struct ThirtyTwo {
    static constexpr ptrdiff_t kStep = 32;
    KILN_WIDE static size_t Copy(const unsigned char* p, char* o) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), v);
        return static_cast<size_t>(__builtin_ctzll(static_cast<uint32_t>(_mm256_movemask_epi8(v)) | (uint64_t{1} << 32)));
    }
};
#endif

// The codes nearly every text is made of, while at least a step of the
// input is left: runs of ASCII a step at a time, and two-byte codes of at
// most three UTF-8 bytes by the table alone. Stops before any other code
// (four bytes long, of four UTF-8 bytes, or no GB18030), which the caller
// converts. The room at `o` must take twice what is left of the input: no
// code gives more than twice its bytes, so no store, a step at most, goes
// past it, and no bound is checked on the way.
template <class Width>
void Common(const uint32_t* shortCodes, const unsigned char*& p, const unsigned char* end, char*& o) {
    if (end - p < Width::kStep) return;
    const unsigned char* const last = end - Width::kStep;  // the last place a step starts from
    const unsigned char* q = p;
    char* w = o;
    while (q <= last) {
        if (*q < 0x80) {
            const size_t plain = Width::Copy(q, w);
            q += plain;
            w += plain;
            continue;
        }
        uint16_t pair;
        std::memcpy(&pair, q, 2);
        const uint32_t code = shortCodes[pair];
        if (code == 0) break;
        std::memcpy(w, &code, 4);  // its bytes and what the next code overwrites
        w += code >> 24;
        q += 2;
    }
    p = q;
    o = w;
}

#if defined(__x86_64__)
KILN_WIDE [[gnu::flatten]] void CommonWide(const uint32_t* shortCodes, const unsigned char*& p, const unsigned char* end,
                                           char*& o) {
    Common<ThirtyTwo>(shortCodes, p, end, o);
}
#endif

// Common at the width asked for, the widest the processor has by default.
void CommonAt(ScanWidth width, const uint32_t* shortCodes, const unsigned char*& p, const unsigned char* end, char*& o) {
#if defined(__x86_64__)
    if (width == ScanWidth::kWidest && HasWideVectors()) return CommonWide(shortCodes, p, end, o);
#endif
    if (width != ScanWidth::kOne) return Common<Sixteen>(shortCodes, p, end, o);
    Common<OneByte>(shortCodes, p, end, o);
}

}  // namespace

bool Gb18030ToUtf8(const char* in, size_t size, char* out, size_t& outSize, size_t* badOffset, ScanWidth width) {
    const TwoByteTable& table = Table();
    const auto* p = reinterpret_cast<const unsigned char*>(in);
    const unsigned char* end = p + size;
    size_t n = 0;
    const size_t cap = out ? outSize : 0;  // no write ever goes past it
    iconv_t cd = reinterpret_cast<iconv_t>(-1);  // opened on the first code that needs it
    bool ok = true;
    while (p < end) {
        if (out && cap - n >= 2 * static_cast<size_t>(end - p)) {
            // Room for the rest whatever it holds: the common codes without
            // bounds, then one code below.
            char* o = out + n;
            CommonAt(width, table.Short(), p, end, o);
            n = static_cast<size_t>(o - out);
            if (p == end) break;
        }
        if (*p < 0x80) {
            // Markup is ASCII: copy whole runs, eight bytes at a time.
            const unsigned char* q = p;
            uint64_t word;
            while (q + 8 <= end && (std::memcpy(&word, q, 8), (word & 0x8080808080808080ULL) == 0)) q += 8;
            while (q < end && *q < 0x80) ++q;
            if (out) {
                if (static_cast<size_t>(q - p) > cap - n) {
                    ok = false;
                    break;
                }
                std::memcpy(out + n, p, static_cast<size_t>(q - p));
            }
            n += static_cast<size_t>(q - p);
            p = q;
            continue;
        }
        unsigned lead = p[0];
        unsigned trail = p + 1 < end ? p[1] : 0;
        if (!out) {
            // Counting only: a two-byte code gives at most three bytes (four
            // in the last row, where GB18030-2022 put characters beyond the
            // BMP), a four-byte code four; the sequences are checked when
            // converting.
            if (lead >= kLeadFirst && lead <= kLeadLast && trail >= 0x30 && trail <= 0x39 && p + 4 <= end) {
                n += 4;
                p += 4;
            } else if (lead >= kLeadFirst && lead <= kLeadLast && trail >= kTrailFirst && trail <= kTrailLast &&
                       trail != 0x7F) {
                n += lead == kLeadLast ? 4 : 3;
                p += 2;
            } else {
                ok = false;
                break;
            }
            continue;
        }
        char* o = out + n;
        char* const start = o;
        if (lead >= kLeadFirst && lead <= kLeadLast && trail >= kTrailFirst && trail <= kTrailLast && trail != 0x7F) {
            size_t len = 0;
            const uint32_t bytes = table.Utf8At(lead, trail, len);
            if (len != 0 && cap - n >= 4) {
                std::memcpy(o, &bytes, 4);  // its bytes and what the next code overwrites
                o += len;
            } else if (len != 0 && len <= cap - n) {
                std::memcpy(o, &bytes, len);
                o += len;
            } else if (len != 0 || !ThroughIconv(cd, p, 2, o, cap - n)) {
                ok = false;
                break;
            }
            p += 2;
        } else if (lead >= kLeadFirst && lead <= kLeadLast && trail >= 0x30 && trail <= 0x39 && p + 4 <= end) {
            if (!ThroughIconv(cd, p, 4, o, cap - n)) {
                ok = false;
                break;
            }
            p += 4;
        } else {
            ok = false;  // a lone or truncated lead byte, or 0x80 / 0xFF
            break;
        }
        n += static_cast<size_t>(o - start);
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    if (!ok && badOffset) *badOffset = static_cast<size_t>(p - reinterpret_cast<const unsigned char*>(in));
    outSize = n;
    return ok;
}

}  // namespace kiln::xml
