#include "platform/xml/xml_check.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
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

// The offset of the first byte at or after `from` that needs a look: a
// control character other than tab, line feed and carriage return (which
// indented text holds on every line), non-ASCII, "&" (a reference), "!" or
// "?" (after "<": a comment, CDATA section, processing instruction or
// DOCTYPE). Tags need no look: sixteen bytes at a time where SSE2 is there.
inline size_t NextSpecial(const unsigned char* b, size_t from, size_t n) {
    size_t i = from;
#if defined(__SSE2__)
    const __m128i space = _mm_set1_epi8(0x20), amp = _mm_set1_epi8('&'), bang = _mm_set1_epi8('!'),
                  ask = _mm_set1_epi8('?'), tab = _mm_set1_epi8('\t'), lf = _mm_set1_epi8('\n'),
                  cr = _mm_set1_epi8('\r');
    while (i + 16 <= n) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        // Signed: bytes from 0x80 up are negative, so below 0x20 as well.
        const __m128i blank = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, lf)), _mm_cmpeq_epi8(v, cr));
        const __m128i below = _mm_andnot_si128(blank, _mm_cmplt_epi8(v, space));
        const __m128i hit = _mm_or_si128(_mm_or_si128(below, _mm_cmpeq_epi8(v, amp)),
                                         _mm_or_si128(_mm_cmpeq_epi8(v, bang), _mm_cmpeq_epi8(v, ask)));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        i += 16;
    }
#endif
    while (i < n && ((b[i] >= 0x20 && b[i] < 0x80) || b[i] == '\t' || b[i] == '\n' || b[i] == '\r') && b[i] != '&' &&
           b[i] != '!' && b[i] != '?')
        ++i;
    return i;
}

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

bool CheckXmlText(std::string_view text, XmlTextError& error) {
    const size_t n = text.size();
    size_t i = 0;
    auto bad = [&](size_t at, std::string reason) {
        error.offset = at;
        error.reason = std::move(reason);
        return false;
    };
    // Comments, CDATA sections and processing instructions hold characters,
    // not references: only their characters are checked.
    auto skipTo = [&](size_t from, std::string_view end) {
        size_t e = text.find(end, from);
        size_t stop = e == std::string_view::npos ? n : e + end.size();
        std::string reason;
        size_t b = BadCharIn(text, i, stop, &reason);
        if (b != std::string_view::npos) return bad(b, reason);
        i = stop;
        return true;
    };
    const auto* b = reinterpret_cast<const unsigned char*>(text.data());
    while ((i = NextSpecial(b, i, n)) < n) {
        const unsigned char c = b[i];
        if (c == '&') {
            std::string reason;
            if (!CheckReference(text, i, reason)) return bad(i, reason);
            ++i;
        } else if (c == '!' || c == '?') {
            // Markup only right after "<"; elsewhere plain text.
            const size_t lt = i - 1;
            if (i == 0 || b[lt] != '<') {
                ++i;
            } else if (StartsAt(text, lt, "<!--")) {
                i = lt;
                if (!skipTo(lt + 4, "-->")) return false;
            } else if (StartsAt(text, lt, "<![CDATA[")) {
                i = lt;
                if (!skipTo(lt + 9, "]]>")) return false;
            } else if (c == '?') {
                i = lt;
                if (!skipTo(lt + 2, "?>")) return false;
            } else if (StartsAt(text, lt, "<!DOCTYPE")) {
                bool entities = false;
                size_t end = DoctypeEnd(text, lt, entities);
                if (entities) return bad(lt, "文档类型声明（DOCTYPE）声明了实体：不读入声明实体的文档");
                if (end == std::string_view::npos) end = n;
                std::string reason;
                size_t b2 = BadCharIn(text, lt, end, &reason);
                if (b2 != std::string_view::npos) return bad(b2, reason);
                i = end;
            } else {
                ++i;
            }
        } else if (c < 0x20) {
            std::string reason;
            BadCharIn(text, i, n, &reason);
            return bad(i, reason);
        } else {
            // A run of non-ASCII characters (a Chinese text) in one loop; the
            // three-byte characters of the common scripts take a short way.
            do {
                const unsigned char c0 = b[i];
                if (c0 >= 0xE1 && c0 <= 0xEC && i + 2 < n && (b[i + 1] & 0xC0) == 0x80 && (b[i + 2] & 0xC0) == 0x80) {
                    i += 3;
                    continue;
                }
                uint32_t cp = 0;
                size_t len = Decode(b + i, b + n, cp);
                if (len == 0 || !AllowedCodePoint(cp)) {
                    std::string reason;
                    BadCharIn(text, i, n, &reason);
                    return bad(i, reason);
                }
                i += len;
            } while (i < n && b[i] >= 0x80);
        }
    }
    return true;
}

namespace {

// The offset of the first byte `c` at or after `from`, n when none: sixteen
// bytes at a time where SSE2 is there, without a call, since markup stands
// close together.
inline size_t FindByte(const unsigned char* b, size_t from, size_t n, unsigned char c) {
    size_t i = from;
#if defined(__SSE2__)
    const __m128i x = _mm_set1_epi8(static_cast<char>(c));
    for (; i + 16 <= n; i += 16) {
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i)), x));
        if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    while (i < n && b[i] != c) ++i;
    return i;
}

// The offset of the first quote or ">" at or after `from`, n when none.
inline size_t FindQuoteOrEnd(const unsigned char* b, size_t from, size_t n) {
    size_t i = from;
#if defined(__SSE2__)
    const __m128i dq = _mm_set1_epi8('"'), sq = _mm_set1_epi8('\''), gt = _mm_set1_epi8('>');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, dq), _mm_cmpeq_epi8(v, sq)), _mm_cmpeq_epi8(v, gt));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    while (i < n && b[i] != '"' && b[i] != '\'' && b[i] != '>') ++i;
    return i;
}

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

// The names of one start tag's attributes met so far.
class TagNames {
public:
    // The offset of `name` when an earlier name of the tag equals it; npos
    // after adding it otherwise. `sameLocal` is set when two names with
    // different prefixes share their local part ("a:x", "b:x"): the same
    // name when both prefixes stand for one namespace, which only the parsed
    // document tells.
    size_t Add(const Name& name, const unsigned char* b, bool& sameLocal) {
        // Both an equal name and one of the same local part end in the same
        // byte: a name whose last byte no earlier name of the tag ends in
        // (the tag's attributes nearly always) is compared with none.
        const uint64_t last = name.size ? uint64_t{1} << (name.p[name.size - 1] & 63) : 0;
        const bool compare = !last || (m_lastBytes & last) != 0;
        m_lastBytes |= last;
        const Name* seen = m_count <= 16 ? m_names : m_more.data();
        for (size_t k = 0; compare && k < m_count; ++k) {
            if (seen[k].size == name.size && seen[k].p[0] == name.p[0] && std::memcmp(seen[k].p, name.p, name.size) == 0)
                return static_cast<size_t>(name.p - b);
            if (!sameLocal && SameLocalPart(seen[k], name)) sameLocal = true;
        }
        if (m_count < 16) {
            m_names[m_count] = name;
        } else {
            if (m_count == 16) m_more.assign(m_names, m_names + 16);
            m_more.push_back(name);
        }
        ++m_count;
        return std::string_view::npos;
    }
    void Clear() {
        m_count = 0;
        m_lastBytes = 0;
    }

private:
    Name m_names[16];
    std::vector<Name> m_more;  // a tag of more than 16 attributes
    size_t m_count = 0;
    uint64_t m_lastBytes = 0;  // bit c & 63 for each last byte c of the names
};

}  // namespace

size_t FirstRepeatedAttribute(std::string_view text, bool* sameLocal) {
    bool twoPrefixes = false;
    const auto* const b = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    TagNames names;
    // The end of the markup `end` found from `from`, n when it is missing.
    auto past = [&](size_t from, std::string_view end) {
        const size_t e = text.find(end, from);
        return e == std::string_view::npos ? n : e + end.size();
    };
    // From one "<" outside markup to the next: text holds no tag, whatever
    // quotes or ">" it holds. End tags hold no attribute; comments, CDATA
    // sections, processing instructions and the DOCTYPE are passed over. In
    // a start tag the scan leaps from one value to the next, each passed over
    // from its opening quote to its closing one whatever it holds ("<", ">",
    // the other quote), as the parser reads it; a name is the word before
    // the "=" before its value. Most tags hold one attribute: its name is
    // read only when a second comes.
    size_t repeated = std::string_view::npos;
    for (size_t i = 0; repeated == std::string_view::npos && (i = FindByte(b, i, n, '<')) < n;) {
        const size_t lt = i++;
        if (i >= n) break;
        const unsigned char c = b[i];
        if (c == '/') continue;
        if (c == '?') {
            i = past(i + 1, "?>");
            continue;
        }
        if (c == '!') {
            if (StartsAt(text, lt, "<!--")) {
                i = past(lt + 4, "-->");
            } else if (StartsAt(text, lt, "<![CDATA[")) {
                i = past(lt + 9, "]]>");
            } else if (StartsAt(text, lt, "<!DOCTYPE")) {
                bool entities = false;
                const size_t end = DoctypeEnd(text, lt, entities);
                i = end == std::string_view::npos ? n : end;
            }
            continue;
        }
        size_t count = 0, firstFloor = 0, firstQuote = 0;
        for (size_t floor = i;;) {
            i = FindQuoteOrEnd(b, i, n);
            if (i >= n) break;
            if (b[i] == '>') {
                ++i;
                break;
            }
            const size_t quote = i;
            i = FindByte(b, i + 1, n, b[quote]);
            if (i >= n) break;
            const size_t nameFloor = floor;
            floor = ++i;
            if (count++ == 0) {
                firstFloor = nameFloor;
                firstQuote = quote;
                continue;
            }
            if (count == 2) {
                names.Clear();
                names.Add(NameBefore(b, firstFloor, firstQuote), b, twoPrefixes);
            }
            repeated = names.Add(NameAfterValue(b, nameFloor, quote), b, twoPrefixes);
            if (repeated != std::string_view::npos) break;
        }
    }
    if (sameLocal) *sameLocal = twoPrefixes;
    return repeated;
}

}  // namespace kiln::xml
