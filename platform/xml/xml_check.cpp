#include "platform/xml/xml_check.h"

#include "platform/mfc/text_funcs.h"
#include "platform/xml/xml_names.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kiln::xml {

namespace {

bool AllowedCodePoint(uint32_t c) {
    if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

// Decodes one UTF-8 character at `p` (p < end); its length, 0 when the bytes
// are no UTF-8 (overlong, surrogate, beyond U+10FFFF, truncated).
size_t Decode(const unsigned char* p, const unsigned char* end, uint32_t& cp) {
    unsigned char c = *p;
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    size_t n;
    uint32_t min;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
        min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
        min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (static_cast<size_t>(end - p) < n) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((p[k] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

// Bytes whose character needs a check: control characters and non-ASCII.
struct Table {
    std::array<bool, 256> special{};
    Table() {
        for (int c = 0; c < 0x20; ++c) special[c] = c != 0x09 && c != 0x0A && c != 0x0D;
        for (int c = 0x80; c < 0x100; ++c) special[c] = true;
    }
};
const Table kPlain;

// The number of line feeds in a text.
size_t CountLines(std::string_view text) {
    size_t lines = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))) != nullptr) {
        ++lines;
        ++p;
    }
    return lines;
}

std::string Hex(uint32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", c);
    return buf;
}

// The offset of a character that is not allowed in [from, to), npos when none.
size_t BadCharIn(std::string_view text, size_t from, size_t to, std::string* reason) {
    const auto* b = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = from; i < to;) {
        if (!kPlain.special[b[i]]) {
            ++i;
            continue;
        }
        uint32_t cp = 0;
        size_t n = Decode(b + i, b + to, cp);
        if (n == 0) {
            if (reason) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "0x%02X", b[i]);
                *reason = std::string("字节") + hex + "不是UTF-8文本（文件的编码没有声明或声明有误）";
            }
            return i;
        }
        if (!AllowedCodePoint(cp)) {
            if (reason) *reason = "XML不允许的字符" + Hex(cp);
            return i;
        }
        i += n;
    }
    return std::string_view::npos;
}

bool StartsAt(std::string_view text, size_t i, std::string_view what) { return text.substr(i, what.size()) == what; }

bool IsNameChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':' ||
           c == '-' || c == '.' || c >= 0x80;
}

// A reference at `i` (text[i] == '&'): false with the reason when it is a
// character reference to a character XML forbids or an entity reference
// other than the five predefined ones. A bare "&" is left to the parser.
bool CheckReference(std::string_view text, size_t i, std::string& reason) {
    size_t semi = text.find(';', i + 1);
    if (semi == std::string_view::npos || semi - i > 64) return true;
    std::string_view ref = text.substr(i + 1, semi - i - 1);
    if (!ref.empty() && ref[0] == '#') {
        bool hex = ref.size() > 1 && ref[1] == 'x';
        std::string_view digits = ref.substr(hex ? 2 : 1);
        if (digits.empty()) return true;
        uint64_t v = 0;
        for (char c : digits) {
            int d = c >= '0' && c <= '9' ? c - '0'
                    : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                  : -1;
            if (d < 0) return true;
            v = v * (hex ? 16 : 10) + static_cast<uint64_t>(d);
            if (v > 0x10FFFF) break;
        }
        if (v > 0x10FFFF || !AllowedCodePoint(static_cast<uint32_t>(v))) {
            reason = "字符引用&" + std::string(ref) + ";指向XML不允许的字符";
            return false;
        }
        return true;
    }
    for (unsigned char c : ref)
        if (!IsNameChar(c)) return true;
    if (ref.empty() || ref == "lt" || ref == "gt" || ref == "amp" || ref == "apos" || ref == "quot") return true;
    reason = "引用了未声明的实体&" + std::string(ref) + ";";
    return false;
}

// The end (one past ">") of the DOCTYPE starting at `i`, as the parser reads
// it, or npos where the parser refuses it; `entities` says whether it
// declares entities. Declarations ("<!ATTLIST ...>") nest by "<!" and ">",
// whatever brackets stand around them; quoted strings, comments and
// processing instructions are passed over whole, and conditional sections
// ("<![ ... ]]>") by their own nesting.
size_t DoctypeEnd(std::string_view text, size_t i, bool& entities) {
    entities = false;
    const size_t n = text.size();
    size_t depth = 0;
    for (size_t k = i + 2; k < n;) {
        const char c = text[k];
        if (c == '<' && StartsAt(text, k, "<!") && (k + 2 >= n || text[k + 2] != '-')) {
            if (k + 2 < n && text[k + 2] == '[') {
                size_t nested = 0;
                for (k += 3;; ) {
                    if (k >= n) return std::string_view::npos;
                    if (StartsAt(text, k, "<![")) {
                        k += 3;
                        ++nested;
                    } else if (StartsAt(text, k, "]]>")) {
                        k += 3;
                        if (nested-- == 0) break;
                    } else {
                        ++k;
                    }
                }
            } else {
                if (StartsAt(text, k, "<!ENTITY")) entities = true;
                k += 2;
                ++depth;
            }
        } else if (c == '"' || c == '\'') {
            const size_t e = text.find(c, k + 1);
            if (e == std::string_view::npos) return e;
            k = e + 1;
        } else if (c == '<') {
            const bool pi = StartsAt(text, k, "<?");
            if (!pi && !StartsAt(text, k, "<!--")) return std::string_view::npos;
            const size_t e = text.find(pi ? "?>" : "-->", k + (pi ? 2 : 4));
            if (e == std::string_view::npos) return e;
            k = e + (pi ? 2 : 3);
        } else if (c == '>') {
            if (depth == 0) return k + 1;
            --depth;
            ++k;
        } else {
            ++k;
        }
    }
    return std::string_view::npos;
}

}  // namespace

TextPosition PositionOf(std::string_view text, size_t offset) {
    TextPosition at;
    if (offset > text.size()) offset = text.size();
    size_t lineStart = 0;
    for (size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++at.line;
            lineStart = i + 1;
        }
    }
    for (size_t i = lineStart; i < offset; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++at.column;
    return at;
}

std::string PositionText(std::string_view text, size_t offset) {
    TextPosition at = PositionOf(text, offset);
    return "第" + std::to_string(at.line) + "行第" + std::to_string(at.column) + "列";
}

LinesBeforeParse::LinesBeforeParse(std::string_view text)
    : m_lines(CountLines(text)),
      m_lastIsBreak(!text.empty() && text.back() == '\n') {}

TextPosition LinesBeforeParse::At(std::string_view parsed, size_t offset) const {
    offset = std::min(offset, parsed.size());
    size_t after = m_lastIsBreak ? 1 : 0;
    if (offset + 1 < parsed.size()) after += static_cast<size_t>(std::count(parsed.begin() + offset, parsed.end() - 1, '\n'));
    size_t lineStart = offset == 0 ? std::string_view::npos : parsed.rfind('\n', offset - 1);
    lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
    TextPosition at = PositionOf(parsed.substr(lineStart), offset - lineStart);
    at.line = m_lines >= after ? m_lines - after + 1 : 1;
    return at;
}

std::string LinesBeforeParse::Text(std::string_view parsed, size_t offset) const {
    TextPosition at = At(parsed, offset);
    return "第" + std::to_string(at.line) + "行第" + std::to_string(at.column) + "列";
}

size_t FirstBadXmlChar(std::string_view text) { return BadCharIn(text, 0, text.size(), nullptr); }

namespace {

// A blank between a tag's names and values. The text check has refused every
// other byte below 0x21 before the scan runs.
inline bool IsBlank(unsigned char c) { return c <= 0x20; }

// An attribute's name as it stands in the text.
struct Name {
    const unsigned char* p;
    size_t size;
};

// The end of the name of the value that opens at `quote`: before the "="
// and the blanks around it, not before `floor`.
inline size_t NameEnd(const unsigned char* b, size_t floor, size_t quote) {
    size_t end = quote;
    while (end > floor && IsBlank(b[end - 1])) --end;
    if (end > floor && b[end - 1] == '=') --end;
    while (end > floor && IsBlank(b[end - 1])) --end;
    return end;
}

// The name of the value that opens at `quote`: in a start tag the parser
// takes, the word before the "=" before it, after `floor` (the end of the
// tag's name or of the value before).
inline Name NameBefore(const unsigned char* b, size_t floor, size_t quote) {
    const size_t end = NameEnd(b, floor, quote);
    size_t start = end;
    while (start > floor && !IsBlank(b[start - 1])) --start;
    return Name{b + start, end - start};
}

// The same for a value after another that ended at `floor`: in a start tag
// the parser takes, only blanks stand between the two, so the name is read
// forward from there rather than back over its bytes.
inline Name NameAfterValue(const unsigned char* b, size_t floor, size_t quote) {
    size_t start = floor;
    while (start < quote && IsBlank(b[start])) ++start;
    return Name{b + start, NameEnd(b, start, quote) - start};
}

// True for two prefixed names whose local parts are equal ("a:x", "b:x";
// the names differ). Declarations ("xmlns:x") are left to the literal
// comparison: no two may declare one prefix. Names that end differently
// (nearly all) are told apart by their last bytes.
inline bool SameLocalPart(const Name& a, const Name& b) {
    if (a.size == 0 || b.size == 0 || a.p[a.size - 1] != b.p[b.size - 1]) return false;
    auto colon = [](const Name& x) {
        const void* c = std::memchr(x.p, ':', x.size);
        return c ? static_cast<size_t>(static_cast<const unsigned char*>(c) - x.p) : x.size;
    };
    const size_t ca = colon(a), cb = colon(b);
    if (ca == a.size || cb == b.size || a.size - ca != b.size - cb) return false;
    auto isXmlns = [](const Name& x, size_t c) { return c == 5 && std::memcmp(x.p, "xmlns", 5) == 0; };
    if (isXmlns(a, ca) || isXmlns(b, cb)) return false;
    return std::memcmp(a.p + ca, b.p + cb, a.size - ca) == 0;
}

// Keys found by hash: the names of a tag of many attributes, where comparing
// each with every earlier one would cost the square of their count. Open
// addressing over views into the text, the table at most half full.
class NameSet {
public:
    // Starts empty for a tag, the table small again whatever the last held.
    void Reset() {
        m_slots.assign(64, std::string_view());
        m_count = 0;
    }
    // False when an equal key is present; else true, the key added.
    bool Insert(std::string_view key) {
        if (2 * (m_count + 1) > m_slots.size()) Grow();
        std::string_view* slot = Find(m_slots, key);
        if (slot->data() != nullptr) return false;
        *slot = key;
        ++m_count;
        return true;
    }

private:
    static std::string_view* Find(std::vector<std::string_view>& slots, std::string_view key) {
        const size_t mask = slots.size() - 1;
        uint64_t h = 0xcbf29ce484222325u;  // FNV-1a, its bits spread by a multiplication
        for (unsigned char c : key) h = (h ^ c) * 0x100000001b3u;
        h *= 0x9E3779B97F4A7C15u;
        for (size_t at = (h >> 32) & mask;; at = (at + 1) & mask)
            if (slots[at].data() == nullptr || slots[at] == key) return &slots[at];
    }
    void Grow() {
        std::vector<std::string_view> bigger(2 * m_slots.size());
        for (std::string_view key : m_slots)
            if (key.data() != nullptr) *Find(bigger, key) = key;
        m_slots.swap(bigger);
    }
    std::vector<std::string_view> m_slots;  // a free slot's view has no data
    size_t m_count = 0;
};

// The names of one start tag's attributes met so far.
class TagNames {
public:
    // The offset of `name` when an earlier name of the tag equals it; npos
    // after adding it otherwise. `sameLocal` is set when two names with
    // different prefixes share their local part ("a:x", "b:x"): the same
    // name when both prefixes stand for one namespace, which only the parsed
    // document tells.
    size_t Add(const Name& name, const unsigned char* b, bool& sameLocal) {
        if (m_count >= kCompared) return AddFound(name, b, sameLocal);
        // Both an equal name and one of the same local part end in the same
        // byte: a name whose last byte no earlier name of the tag ends in
        // (the tag's attributes nearly always) is compared with none.
        const uint64_t last = name.size ? uint64_t{1} << (name.p[name.size - 1] & 63) : 0;
        const bool compare = !last || (m_lastBytes & last) != 0;
        m_lastBytes |= last;
        for (size_t k = 0; compare && k < m_count; ++k) {
            if (m_names[k].size == name.size && m_names[k].p[0] == name.p[0] &&
                std::memcmp(m_names[k].p, name.p, name.size) == 0)
                return static_cast<size_t>(name.p - b);
            if (!sameLocal && SameLocalPart(m_names[k], name)) sameLocal = true;
        }
        m_names[m_count++] = name;
        return std::string_view::npos;
    }
    void Clear() {
        m_count = 0;
        m_lastBytes = 0;
    }

private:
    // Names compared one with another; those after them are found by hash.
    static constexpr size_t kCompared = 16;

    static std::string_view View(const Name& n) { return {reinterpret_cast<const char*>(n.p), n.size}; }
    // The part of a prefixed name from its colon on (":x" of "a:x"), which
    // SameLocalPart compares; empty for a name without a prefix or one
    // that declares a prefix ("xmlns:x").
    static std::string_view LocalPart(const Name& n) {
        const std::string_view v = View(n);
        const size_t colon = v.find(':');
        if (colon == std::string_view::npos || v.substr(0, colon) == "xmlns") return {};
        return v.substr(colon);
    }
    // Add for a tag of more names than kCompared: each found among the
    // earlier ones by hash, and its local part among theirs.
    [[gnu::noinline]] size_t AddFound(const Name& name, const unsigned char* b, bool& sameLocal) {
        if (m_count == kCompared) {
            m_all.Reset();
            m_locals.Reset();
            for (const Name& n : m_names) {
                m_all.Insert(View(n));
                if (const std::string_view local = LocalPart(n); !local.empty()) m_locals.Insert(local);
            }
        }
        if (!m_all.Insert(View(name))) return static_cast<size_t>(name.p - b);
        // Names of one local part that differ: their prefixes differ.
        if (const std::string_view local = LocalPart(name); !local.empty() && !m_locals.Insert(local)) sameLocal = true;
        ++m_count;
        return std::string_view::npos;
    }

    Name m_names[kCompared];
    size_t m_count = 0;
    uint64_t m_lastBytes = 0;  // bit c & 63 for each last byte c of the names
    NameSet m_all, m_locals;
};

// The bytes the pass stops at among the 64 from a place, a bit each: `look`
// holds "<" but for an end tag's and, for the text check, what it looks at
// (control characters other than tab, line feed and carriage return,
// non-ASCII but whole characters the vectors tell, "&"); `tag` the quotes
// and ">", which matter inside a start tag only; `name`, without the text
// check, the non-ASCII bytes, which matter in a start tag's names (their
// characters are checked there). Every other byte is passed over: a text
// needs a closer look only where one of these stands. A "<" that ends the
// text is no stop: it starts nothing.
struct Stops {
    uint64_t look, tag, name;
};

// Bit 0: "<"; bit 1: a byte the text check looks at; bit 2: a quote or ">".
struct StopClasses {
    std::array<uint8_t, 256> of{};
    StopClasses() {
        for (int c = 0; c < 256; ++c)
            of[c] = static_cast<uint8_t>((c == '<' ? 1 : 0) | (kPlain.special[c] || c == '&' ? 2 : 0) |
                                         (c == '"' || c == '\'' || c == '>' ? 4 : 0));
    }
};
const StopClasses kStopClasses;

// The bytes the vectors compare with, each filling 32 bytes. Read from
// memory through a pointer the compiler cannot see through: built again
// from immediates they would cost three instructions each in every block.
enum Splat { kLt, kSlash, kSpace, kAmp, kDq, kSq, kGt, kTab, kLf, kCr, kHighBits, kContinuation, kFirstLead, kLeads, kFirstNameLead, kNameLeads, kBlanks, kTagBytes, kSplats };
struct alignas(32) Bytes32 {
    unsigned char v[32];
};
constexpr std::array<Bytes32, kSplats> MakeSplats() {
    std::array<Bytes32, kSplats> s{};
    const unsigned char bytes[kBlanks] = {'<', '/', 0x20, '&', '"', '\'', '>', '\t', '\n', '\r', 0xC0, 0x80, 0xE1, 0x0B, 0xE4, 0x08};
    for (int k = 0; k < kBlanks; ++k)
        for (auto& c : s[k].v) c = bytes[k];
    // Tab, line feed and carriage return are the bytes that a lookup by
    // their low half gives back (bytes from 0x80 up give 0).
    for (int k = 0; k < 32; ++k) s[kBlanks].v[k] = k % 16 == 9 || k % 16 == 10 || k % 16 == 13 ? k % 16 : 0x80;
    // The same for the quotes and ">", by their low halves 2, 7 and 14.
    for (int k = 0; k < 32; ++k) s[kTagBytes].v[k] = k % 16 == 2 ? '"' : k % 16 == 7 ? '\'' : k % 16 == 14 ? '>' : 0x80;
    return s;
}
constexpr std::array<Bytes32, kSplats> kSplatBytes = MakeSplats();
inline const Bytes32* Splats() {
    const Bytes32* s = kSplatBytes.data();
    __asm__("" : "+r"(s));
    return s;
}

// The bytes of whole three-byte characters at the start of a run of `r`
// non-ASCII bytes in a vector of `kBytes`, of[r]; at most kMost, which
// leaves the vector's last bytes to the next one.
template <unsigned kBytes>
struct WholeCharacters {
    static constexpr unsigned kMost = (kBytes - 1) / 3 * 3;
    std::array<uint8_t, kBytes + 1> of{};
    constexpr WholeCharacters() {
        for (unsigned r = 0; r <= kBytes; ++r) of[r] = static_cast<uint8_t>(std::min(r, kMost) / 3 * 3);
    }
};
constexpr WholeCharacters<16> kWhole16;
constexpr WholeCharacters<32> kWhole32;

// The ways to read the text, by the processor's vectors. Characters: the
// end of the run of three-byte characters of the common scripts (leading
// bytes 0xE1 to 0xEC) from `i`, a vector of them at a time; Of: the stops of
// the 64 bytes at `p` (and the byte after them, which tells an end tag's
// "<").

// One byte at a time: processors without vectors, and tests.
struct OneByte {
    static size_t Characters(const unsigned char*, size_t i, size_t) { return i; }
    template <bool kText>
    static Stops Of(const unsigned char* p, const Bytes32*) {
        Stops s{0, 0, 0};
        for (unsigned k = 0; k < 64; ++k) {
            const unsigned c = kStopClasses.of[p[k]];
            const bool endTag = p[k] == '<' && p[k + 1] == '/';
            s.look |= uint64_t{(c & (kText ? 3u : 1u)) != 0 && !endTag} << k;
            s.tag |= uint64_t{(c >> 2) & 1u} << k;
            if (!kText) s.name |= uint64_t{p[k] >= 0x80} << k;
        }
        return s;
    }
};

#if defined(__SSE2__)
struct Sixteen {
    static size_t Characters(const unsigned char* b, size_t i, size_t n) {
        const auto* const k = reinterpret_cast<const __m128i*>(Splats());
        while (i + 16 <= n) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
            const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(v));
            const unsigned next = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, k[2 * kHighBits]), k[2 * kContinuation]));
            const __m128i lead = _mm_sub_epi8(v, k[2 * kFirstLead]);
            const unsigned leads = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(lead, k[2 * kLeads]), lead));
            const unsigned run = static_cast<unsigned>(__builtin_ctz(~high | 0x10000u));
            const unsigned whole = kWhole16.of[run];
            if (whole == 0 || (((leads ^ 0x1249u) | (next ^ 0x6DB6u)) & ((1u << whole) - 1)) != 0) break;
            i += whole;
            if (whole != kWhole16.kMost || run == whole) break;
        }
        return i;
    }
    template <bool kText>
    static Stops Of(const unsigned char* p, const Bytes32* splats) {
        const auto* const k = reinterpret_cast<const __m128i*>(splats);
        auto splat = [k](Splat c) { return k[2 * c]; };
        auto bits = [](__m128i x, unsigned at) { return uint64_t{static_cast<unsigned>(_mm_movemask_epi8(x))} << at; };
        Stops s{0, 0, 0};
        for (unsigned at = 0; at < 64; at += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
            if constexpr (!kText) s.name |= bits(v, at);
            const __m128i slash = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at + 1)), splat(kSlash));
            __m128i look = _mm_andnot_si128(slash, _mm_cmpeq_epi8(v, splat(kLt)));
            if constexpr (kText) {
                const __m128i blank =
                    _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, splat(kTab)), _mm_cmpeq_epi8(v, splat(kLf))), _mm_cmpeq_epi8(v, splat(kCr)));
                // Signed: bytes from 0x80 up are negative, so below 0x20 as well.
                const __m128i below = _mm_andnot_si128(blank, _mm_cmplt_epi8(v, splat(kSpace)));
                look = _mm_or_si128(look, _mm_or_si128(below, _mm_cmpeq_epi8(v, splat(kAmp))));
            }
            s.look |= bits(look, at);
            s.tag |= bits(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, splat(kDq)), _mm_cmpeq_epi8(v, splat(kSq))), _mm_cmpeq_epi8(v, splat(kGt))), at);
        }
        return s;
    }
};
#else
using Sixteen = OneByte;
#endif

#if defined(__x86_64__)
struct ThirtyTwo {
    KILN_WIDE static size_t Characters(const unsigned char* b, size_t i, size_t n) {
        const auto* const k = reinterpret_cast<const __m256i*>(Splats());
        while (i + 32 <= n) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
            const uint64_t high = static_cast<uint32_t>(_mm256_movemask_epi8(v));
            const uint32_t next = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(v, k[kHighBits]), k[kContinuation])));
            const __m256i lead = _mm256_sub_epi8(v, k[kFirstLead]);
            const uint32_t leads = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_min_epu8(lead, k[kLeads]), lead)));
            const unsigned run = static_cast<unsigned>(__builtin_ctzll(~high));
            const unsigned whole = kWhole32.of[run];
            if (whole == 0 || (((leads ^ 0x49249249u) | (next ^ 0xB6DB6DB6u)) & ((uint32_t{1} << whole) - 1)) != 0) break;
            i += whole;
            if (whole != kWhole32.kMost || run == whole) break;
        }
        return i;
    }
    template <bool kText>
    KILN_WIDE static Stops Of(const unsigned char* p, const Bytes32* splats) {
        const auto* const splat = reinterpret_cast<const __m256i*>(splats);
        // The tables and the byte the instructions take from a register, read
        // once for both halves: the compiler would read them again for each.
        __m256i blanks = splat[kBlanks], space = splat[kSpace], tagBytes = splat[kTagBytes];
        __asm__("" : "+x"(blanks), "+x"(space), "+x"(tagBytes));
        Stops s{0, 0, 0};
        uint64_t high = 0;
        for (unsigned at = 0; at < 64; at += 32) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + at));
            const __m256i slash = _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + at + 1)), splat[kSlash]);
            __m256i look = _mm256_andnot_si256(slash, _mm256_cmpeq_epi8(v, splat[kLt]));
            if constexpr (kText) {
                const __m256i blank = _mm256_cmpeq_epi8(_mm256_shuffle_epi8(blanks, v), v);
                const __m256i below = _mm256_andnot_si256(blank, _mm256_cmpgt_epi8(space, v));
                look = _mm256_or_si256(look, _mm256_or_si256(below, _mm256_cmpeq_epi8(v, splat[kAmp])));
            }
            const __m256i tag = _mm256_cmpeq_epi8(_mm256_shuffle_epi8(tagBytes, v), v);
            s.look |= uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(look))} << at;
            s.tag |= uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(tag))} << at;
            high |= uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(v))} << at;
        }
        if (!kText) s.name = high;
        else if (high != 0) s.look &= ~WholeCommonCharacters(p, high, splat);
        return s;
    }
    // Of the non-ASCII bytes `high` of the 64 bytes at `p`, those the text
    // check need not look at: all of them where they are three-byte
    // characters of the common scripts (leading bytes 0xE4 to 0xEC, CJK
    // from U+4000 to U+CFFF, always allowed, in names as well, at their
    // start too), none otherwise, the text check then reading them one by
    // one. A character the 64 bytes cut is left to it as well: its leading
    // byte in the last two bytes, or its continuation bytes in the first two.
    KILN_WIDE static uint64_t WholeCommonCharacters(const unsigned char* p, uint64_t high, const __m256i* splat) {
        uint64_t leads = 0, next = 0;
        for (unsigned at = 0; at < 64; at += 32) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + at));
            const __m256i lead = _mm256_sub_epi8(v, splat[kFirstNameLead]);
            leads |= uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_min_epu8(lead, splat[kNameLeads]), lead)))} << at;
            // Signed: the continuation bytes are those below 0xC0 from 0x80 up.
            next |= uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpgt_epi8(splat[kHighBits], v)))} << at;
        }
        const uint64_t follow = leads << 1 | leads << 2;
        // Each byte after a leading one a continuation byte, each continuation
        // byte after a leading one, but in the first two.
        if ((leads | next) != high || ((next ^ follow) & (follow | ~uint64_t{3})) != 0) return 0;
        // Passed over: the leading bytes but those of a character the end of
        // the 64 bytes cuts, and the continuation bytes after them (a stray
        // one in the first two is left to the text check).
        return (leads & ~(uint64_t{3} << 62)) | follow;
    }
};
#endif

// The stops of the 64 bytes from `at`; the text ends in blanks, where the
// pass never stops.
template <class Width, bool kText>
Stops StopsAt(const unsigned char* b, size_t at, size_t n, const Bytes32* splats) {
    if (n - at > 64) return Width::template Of<kText>(b + at, splats);
    unsigned char tail[65];
    std::memset(tail, ' ', sizeof tail);
    std::memcpy(tail, b + at, n - at);
    if (tail[n - at - 1] == '<') tail[n - at - 1] = ' ';
    return Width::template Of<kText>(tail, splats);
}

// One forward pass over a text for the text check, the repeated-attribute
// scan, or both at once. Both read the text alike but for one case: a "<!"
// or "<?" inside a start tag, which the text check takes for markup while
// the scan reads on through the tag; there the two go apart.
//
// The scan goes from one "<" outside markup to the next: text holds no tag,
// whatever quotes or ">" it holds. End tags hold no attribute; comments,
// CDATA sections, processing instructions and the DOCTYPE are passed over.
// In a start tag the scan leaps from one value to the next, each passed over
// from its opening quote to its closing one whatever it holds ("<", ">", the
// other quote), as the parser reads it; a name is the word before the "="
// before its value. The places of a tag's values are kept, and the names
// read only where a tag holds two values or more.
struct Pass {
    explicit Pass(std::string_view t) : text(t), b(reinterpret_cast<const unsigned char*>(t.data())), n(t.size()) {}
    std::string_view text;
    const unsigned char* b;
    size_t n;
    size_t pos = 0;  // where the pass goes on
    XmlTextError* error = nullptr;
    // The start tag the scan is in: its "<", and the opening quotes of its
    // values so far.
    size_t tag = 0;
    size_t* values = inPlace;
    size_t count = 0, room = std::size(inPlace);
    size_t inPlace[16];
    std::vector<size_t> more;  // a tag of more than 16 values
    void Add(size_t open) {
        if (count == room) Grow();
        values[count++] = open;
    }
    [[gnu::noinline]] void Grow() {
        more.assign(values, values + count);
        more.resize(2 * count);
        values = more.data();
        room = more.size();
    }
    TagNames names;
    size_t repeated = std::string_view::npos;
    bool sameLocal = false;
};

enum class Stop { kEnd, kBadText, kRepeated, kApart };

// The text check's refusal at `at`, its reason the one the character there gives.
[[gnu::noinline, gnu::cold]] Stop RefuseAt(Pass& p, size_t at) {
    BadCharIn(p.text, at, p.n, &p.error->reason);
    p.error->offset = at;
    return Stop::kBadText;
}

[[gnu::noinline, gnu::cold]] Stop Refuse(Pass& p, size_t at, std::string reason) {
    p.error->offset = at;
    p.error->reason = std::move(reason);
    return Stop::kBadText;
}

// Why the character `c` (the bytes `bytes`) may not stand in a name, or at
// its start: named by its code and, where it shows as itself, the character.
std::string NameFault(std::string_view bytes, uint32_t c, bool first) {
    std::string named = Hex(c);
    if (kiln::text::Visible(bytes) == bytes) named += "“" + std::string(bytes) + "”";
    return first ? "XML格式错误：名称不能以字符" + named + "开头" : "XML格式错误：名称中不能有字符" + named;
}

// A run of non-ASCII characters from `i` in a name (of a start tag, outside
// its values, of a processing instruction or the DOCTYPE): its end; npos,
// with the error, at a character that is no UTF-8 or that XML forbids (the
// text check's), or that XML's rules do not allow in a name there (the
// first of a name, where the byte before the run ends none). ASCII is left
// to the parser, which holds names to XML's rules on it.
[[gnu::noinline, gnu::cold]] size_t NameCharacters(Pass& p, size_t i) {
    const unsigned char* const b = p.b;
    bool first = i == 0 || !IsNameChar(b[i - 1]);
    do {
        uint32_t cp = 0;
        const size_t len = Decode(b + i, b + p.n, cp);
        if (len == 0 || !AllowedCodePoint(cp)) {
            RefuseAt(p, i);
            return std::string_view::npos;
        }
        if (!IsNameCharacter(cp, first)) {
            Refuse(p, i, NameFault(p.text.substr(i, len), cp, first));
            return std::string_view::npos;
        }
        first = false;
        i += len;
    } while (i < p.n && b[i] >= 0x80);
    return i;
}

// The name from `i` (the bytes the parser takes into one): false, with the
// error, where NameCharacters refuses it.
bool NameAt(Pass& p, size_t i) {
    while (i < p.n && IsNameChar(p.b[i])) {
        if (p.b[i] < 0x80) {
            ++i;
        } else if ((i = NameCharacters(p, i)) == std::string_view::npos) {
            return false;
        }
    }
    return true;
}

// The end of the markup that starts at `lt` with "<!" or "<?" (one past its
// end, the text's end where it is missing), lt + 2 for a "<!" that starts
// none; with the text check, its characters are checked, and a DOCTYPE that
// declares entities refused; with the scan of tags (and an error to give),
// the name of a processing instruction or the DOCTYPE is checked.
template <bool kText, bool kNames>
[[gnu::noinline]] Stop PassMarkup(Pass& p, size_t lt, size_t& end) {
    const std::string_view text = p.text;
    auto past = [&](size_t from, std::string_view close) {
        const size_t e = text.find(close, from);
        return e == std::string_view::npos ? p.n : e + close.size();
    };
    size_t name = std::string_view::npos;  // where the name of a PI or the DOCTYPE starts
    if (text[lt + 1] == '?') {
        end = past(lt + 2, "?>");
        name = lt + 2;
    } else if (StartsAt(text, lt, "<!--")) {
        end = past(lt + 4, "-->");
    } else if (StartsAt(text, lt, "<![CDATA[")) {
        end = past(lt + 9, "]]>");
    } else if (StartsAt(text, lt, "<!DOCTYPE")) {
        bool entities = false;
        end = DoctypeEnd(text, lt, entities);
        if (kText && entities) return Refuse(p, lt, "文档类型声明（DOCTYPE）声明了实体：不读入声明实体的文档");
        if (end == std::string_view::npos) end = p.n;
        // Its name after a blank; the check after the parse refuses one
        // without a name (no blank, a digit, "-" or "." first).
        for (name = lt + 9; name < end && IsBlank(p.b[name]);) ++name;
        const unsigned char first = name < end ? p.b[name] : 0;
        if (name == lt + 9 || (first >= '0' && first <= '9') || first == '-' || first == '.') name = std::string_view::npos;
    } else {
        end = lt + 2;
        return Stop::kEnd;
    }
    // Comments, CDATA sections and processing instructions hold characters,
    // not references: only their characters are checked.
    if (kText) {
        std::string reason;
        const size_t bad = BadCharIn(text, lt, end, &reason);
        if (bad != std::string_view::npos) return Refuse(p, bad, std::move(reason));
    }
    if (kNames && p.error && name != std::string_view::npos && !NameAt(p, name)) return Stop::kBadText;
    return Stop::kEnd;
}

// A run of non-ASCII characters (a Chinese text) from `i`: its end; npos,
// with the text check's error, at a character that is no UTF-8 or that XML
// forbids. The three-byte characters of the common scripts (leading bytes
// 0xE1 to 0xEC), a vector of them at a time, then the rest one by one.
template <class Width>
inline size_t PassCharacters(Pass& p, size_t i) {
    const unsigned char* const b = p.b;
    const size_t n = p.n;
    i = Width::Characters(b, i, n);
    if (i == n || b[i] < 0x80) return i;
    do {
        const unsigned char c0 = b[i];
        if (c0 >= 0xE1 && c0 <= 0xEC && i + 2 < n && (b[i + 1] & 0xC0) == 0x80 && (b[i + 2] & 0xC0) == 0x80) {
            i += 3;
            continue;
        }
        uint32_t cp = 0;
        const size_t len = Decode(b + i, b + n, cp);
        if (len == 0 || !AllowedCodePoint(cp)) {
            RefuseAt(p, i);
            return std::string_view::npos;
        }
        i += len;
    } while (i < n && b[i] >= 0x80);
    return i;
}

// The byte at `i` the text check looks at, neither "<" nor non-ASCII:
// false, with the error, unless it is "&" starting an allowed reference.
[[gnu::noinline]] bool PassReference(Pass& p, size_t i) {
    if (p.b[i] != '&') {
        RefuseAt(p, i);
        return false;
    }
    std::string reason;
    if (CheckReference(p.text, i, reason)) return true;
    Refuse(p, i, std::move(reason));
    return false;
}

// The byte of a name a value's name is told by: the byte itself where it
// can stand in a name before "=" (not blank, no quote, no "<"), else 0; 0
// for ":" as well, which ends the prefix of a name without a local part.
constexpr unsigned NameByte(unsigned c) { return c < 0x21 || c == '"' || c == '\'' || c == '<' || c == ':' ? 0 : c; }

// What a name's last two bytes tell, by the two bytes before a value's "="
// read as one 16-bit number: 0 where the last byte tells nothing (the names
// are then read whole), else 0x40 with, in the low six bits, the bit the
// names ending in these bytes share.
struct NamePairs {
    std::array<uint8_t, 65536> of{};
    constexpr NamePairs() {
        const bool littleEndian = std::endian::native == std::endian::little;
        for (unsigned w = 0; w < 65536; ++w) {
            const unsigned first = littleEndian ? w & 0xFF : w >> 8, second = littleEndian ? w >> 8 : w & 0xFF;
            const unsigned last = NameByte(second);
            of[w] = static_cast<uint8_t>(last == 0 ? 0 : 0x40 | ((last ^ (NameByte(first) << 3)) & 63));
        }
    }
};
constexpr NamePairs kNamePairs;

// The names of the values of the tag, each compared with those before it:
// true at the first that repeats one (p.repeated).
[[gnu::noinline]] bool CompareNames(Pass& p) {
    const unsigned char* const b = p.b;
    const size_t* const v = p.values;
    p.names.Clear();
    p.names.Add(NameBefore(b, p.tag + 1, v[0]), b, p.sameLocal);
    for (size_t k = 1; k < p.count; ++k) {
        // The value before ends at the same quote as it opened with.
        const size_t close = p.text.find(static_cast<char>(b[v[k - 1]]), v[k - 1] + 1);
        p.repeated = p.names.Add(NameAfterValue(b, close + 1, v[k]), b, p.sameLocal);
        if (p.repeated != std::string_view::npos) return true;
    }
    return false;
}

// The same, the names first told by their last two bytes. A name written
// as nearly all are, its "=" right before the value, is told by them, which
// two equal names share, as do two names of one local part ("a:x", "b:x"):
// only a tag where two names share them has its names read and compared.
// For a tag of two values or more.
[[gnu::noinline]] bool NamesRepeat(Pass& p) {
    const unsigned char* const b = p.b;
    const size_t* v = p.values;
    const size_t* const end = v + p.count;
    // The two bytes before a value's "=" are read from the text's third
    // byte on: a value there opens after "<=" at the text's start.
    if (*v < 3) return CompareNames(p);
    // What the name of the value that opens at `at` is told by; 0 where it
    // must be read whole.
    auto tell = [b](size_t at) -> unsigned {
        const unsigned char* const open = b + at;
        if (open[-1] != '=') return 0;
        uint16_t pair;
        std::memcpy(&pair, open - 3, sizeof pair);
        return kNamePairs.of[pair];
    };
    // Two values, as most tags that hold more than one. What tells a name
    // is 0 or holds 0x40.
    if (p.count == 2) {
        const unsigned first = tell(v[0]), second = tell(v[1]);
        if ((first & second) == 0 || first == second) return CompareNames(p);
        return false;
    }
    uint64_t told = 0;
    do {
        const unsigned last = tell(*v);
        if (last == 0) return CompareNames(p);
        const uint64_t bit = uint64_t{1} << (last & 63);
        if (told & bit) return CompareNames(p);
        told |= bit;
    } while (++v != end);
    return false;
}

// Each way of the pass at one width (below).
template <class Width>
struct PassAt;

// Runs the pass from p.pos to the end of the text (kEnd), to the text
// check's first error (kBadText), to the first repeated attribute with the
// text check left (kRepeated), or to a "<!" or "<?" inside a start tag
// (kApart: p.pos at it, p.tag at the tag). Its place in the text is where
// it stands in the code: outside tags, in a start tag, in a value.
template <class Width, bool kText, bool kAttrs>
Stop Run(Pass& p) {
    const unsigned char* const b = p.b;
    const size_t n = p.n;
    size_t base = p.pos;  // the block: the 64 bytes from here
    if (base >= n) return Stop::kEnd;
    const Bytes32* const splats = Splats();
    Stops s = StopsAt<Width, kText>(b, base, n, splats);
    uint64_t inTag = 0;  // in a start tag: the block's stops not yet passed
    size_t i = 0;
    // Takes the block from `at`; false, with no stops left, at the end of the text.
    auto blockAt = [&](size_t at) {
        base = at;
        if (at + 64 < n) {
            s = Width::template Of<kText>(b + at, splats);
        } else if (at < n) {
            s = StopsAt<Width, kText>(b, at, n, splats);
        } else {
            s = Stops{0, 0, 0};
            inTag = 0;
            return false;
        }
        inTag = s.look | s.tag;
        if constexpr (!kText) inTag |= s.name;
        return true;
    };
    // Goes on at `to`, past what the text check looked at.
    auto goOnAt = [&](size_t to) {
        if (to - base >= 64) return blockAt(to);
        const uint64_t keep = ~uint64_t{0} << (to - base);
        s.look &= keep;
        inTag &= keep;
        return true;
    };
    // What the text check looks at, at i, but "<": false when it refuses the text.
    auto check = [&] {
        if (b[i] < 0x80) return PassReference(p, i);
        const size_t end = PassAt<Width>::Characters(p, i);
        if (end == std::string_view::npos) return false;
        goOnAt(end);
        return true;
    };
    // A "<" inside a start tag: true where the text check takes it for markup.
    auto apart = [&] {
        if (!kText || (b[i + 1] != '!' && b[i + 1] != '?')) return false;
        p.pos = i;
        return true;
    };
    // A non-ASCII byte in a start tag outside its values: the characters of
    // the name there checked, where there is an error to give.
    auto name = [&] {
        if (!kText && !p.error) return true;
        const size_t end = NameCharacters(p, i);
        if (end == std::string_view::npos) return false;
        goOnAt(end);
        return true;
    };
    // The end of a start tag or of the text inside one: its names compared.
    auto namesRepeat = [&] { return p.count >= 2 && NamesRepeat(p); };
    for (;;) {
        // Outside tags: "<" and what the text check looks at.
        while (s.look == 0)
            if (!blockAt(base + 64)) return Stop::kEnd;
        unsigned t = static_cast<unsigned>(__builtin_ctzll(s.look));
        i = base + t;
        s.look &= s.look - 1;
        if (b[i] != '<') {
            if (!check()) return Stop::kBadText;
            continue;
        }
        if (b[i + 1] == '!' || b[i + 1] == '?') {
            size_t end = 0;
            if (PassMarkup<kText, kAttrs>(p, i, end) == Stop::kBadText) return Stop::kBadText;
            goOnAt(end);
            continue;
        }
        if (!kAttrs) continue;
        // A start tag: quotes, ">", and "<" and what the text check looks at.
        p.tag = i;
        p.count = 0;
        inTag = (s.look | s.tag | (kText ? 0 : s.name)) & (~uint64_t{1} << t);
        for (;;) {
            while (inTag == 0)
                if (!blockAt(base + 64)) return namesRepeat() ? Stop::kRepeated : Stop::kEnd;
            t = static_cast<unsigned>(__builtin_ctzll(inTag));
            i = base + t;
            inTag &= inTag - 1;
            const unsigned char c = b[i];
            if (c == '>') {
                // Outside again: the text check's stops not yet passed.
                s.look &= inTag;
                if (namesRepeat()) {
                    p.pos = i + 1;
                    return Stop::kRepeated;
                }
                break;
            } else if (c == '<') {
                if (apart()) return Stop::kApart;
                continue;
            } else if (c != '"' && c != '\'') {
                if (c >= 0x80 ? !name() : !check()) return Stop::kBadText;
                continue;
            }
            // A value: its closing quote, and "<" and what the text check
            // looks at; the stops of names are not its.
            const size_t open = i;
            if constexpr (!kText) inTag &= ~s.name;
            for (;;) {
                while (inTag == 0) {
                    if (!blockAt(base + 64)) return namesRepeat() ? Stop::kRepeated : Stop::kEnd;
                    if constexpr (!kText) inTag &= ~s.name;
                }
                i = base + static_cast<unsigned>(__builtin_ctzll(inTag));
                inTag &= inTag - 1;
                const unsigned char in = b[i];
                if (in == c) break;
                if (in == '<') {
                    if (apart()) return Stop::kApart;
                } else if (kText && (in >= 0x80 || in < 0x20 || in == '&')) {
                    if (!check()) return Stop::kBadText;
                }
            }
            if constexpr (!kText) inTag |= s.name & (~uint64_t{1} << (i - base));
            p.Add(open);
        }
    }
}

// Each way of the pass at one width; the widest compiled for AVX2 as one whole.
template <class Width>
struct PassAt {
    [[gnu::noinline]] static size_t Characters(Pass& p, size_t i) { return PassCharacters<Width>(p, i); }
    static Stop Text(Pass& p) { return Run<Width, true, false>(p); }
    static Stop Attributes(Pass& p) { return Run<Width, false, true>(p); }
    static Stop Both(Pass& p) { return Run<Width, true, true>(p); }
};
#if defined(__x86_64__)
template <>
struct PassAt<ThirtyTwo> {
    KILN_WIDE [[gnu::noinline, gnu::flatten]] static size_t Characters(Pass& p, size_t i) { return PassCharacters<ThirtyTwo>(p, i); }
    KILN_WIDE [[gnu::flatten]] static Stop Text(Pass& p) { return Run<ThirtyTwo, true, false>(p); }
    KILN_WIDE [[gnu::flatten]] static Stop Attributes(Pass& p) { return Run<ThirtyTwo, false, true>(p); }
    KILN_WIDE [[gnu::flatten]] static Stop Both(Pass& p) { return Run<ThirtyTwo, true, true>(p); }
};
#endif

// Both jobs in one pass; where they go apart, each goes on alone: the text
// check from the "<", the scan from the start of the tag it is in.
template <class Width>
bool CheckBoth(Pass& p) {
    switch (PassAt<Width>::Both(p)) {
    case Stop::kBadText:
        return false;
    case Stop::kRepeated:
        return PassAt<Width>::Text(p) != Stop::kBadText;
    case Stop::kApart:
        if (PassAt<Width>::Text(p) == Stop::kBadText) return false;
        p.pos = p.tag;
        return PassAt<Width>::Attributes(p) != Stop::kBadText;
    case Stop::kEnd:
        break;
    }
    return true;
}

// Runs `job` with the width asked for, the widest the processor has by default.
template <class Job>
auto AtWidth(ScanWidth width, Job job) {
#if defined(__x86_64__)
    if (width == ScanWidth::kWidest && HasWideVectors()) return job(ThirtyTwo{});
#endif
    if (width != ScanWidth::kOne) return job(Sixteen{});
    return job(OneByte{});
}

}  // namespace

bool HasWideVectors() {
#if defined(__x86_64__)
    static const bool wide = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
    return wide;
#else
    return false;
#endif
}

bool CheckXmlText(std::string_view text, XmlTextError& error, ScanWidth width) {
    Pass p(text);
    p.error = &error;
    return AtWidth(width, [&](auto w) { return PassAt<decltype(w)>::Text(p) != Stop::kBadText; });
}

size_t FirstRepeatedAttribute(std::string_view text, bool* sameLocal, ScanWidth width) {
    Pass p(text);
    AtWidth(width, [&](auto w) { return PassAt<decltype(w)>::Attributes(p); });
    if (sameLocal) *sameLocal = p.sameLocal;
    return p.repeated;
}

bool CheckXmlTextAndAttributes(std::string_view text, XmlTextError& error, size_t& repeated, bool& sameLocal,
                               ScanWidth width) {
    Pass p(text);
    p.error = &error;
    const bool ok = AtWidth(width, [&](auto w) { return CheckBoth<decltype(w)>(p); });
    repeated = p.repeated;
    sameLocal = p.sameLocal;
    return ok;
}

}  // namespace kiln::xml
