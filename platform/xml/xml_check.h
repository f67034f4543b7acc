// Checks of XML text before it is parsed, and the place of an offset as a
// line and column. The parser itself is lenient: it takes bytes that are no
// UTF-8, characters XML forbids (also written as "&#1;") and references to
// entities nobody declared, and a later save would write them back changed
// or in a form no other reader takes. Text is checked here first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kiln::xml {

// A place in a text: 1-based line, and 1-based column counted in characters.
struct TextPosition {
    size_t line = 1;
    size_t column = 1;
};
TextPosition PositionOf(std::string_view text, size_t offset);
// "第3行第7列" for messages.
std::string PositionText(std::string_view text, size_t offset);

// The lines of a text taken before an in-place parse, to place a parse error
// afterwards: the parser changes the text only before the place of the error
// (and its last byte, which it uses as its end mark), so the error's line is
// counted back from the end.
class LinesBeforeParse {
public:
    explicit LinesBeforeParse(std::string_view text);
    TextPosition At(std::string_view parsed, size_t offset) const;
    std::string Text(std::string_view parsed, size_t offset) const;  // "第3行第7列"

private:
    size_t m_lines = 0;
    bool m_lastIsBreak = false;
};

// The offset of the first byte that is not UTF-8 or starts a character that
// XML 1.0 forbids (control characters other than tab, line feed and carriage
// return; U+FFFE, U+FFFF); npos when the whole text may be written.
size_t FirstBadXmlChar(std::string_view text);

// True when the text may be written: FirstBadXmlChar finds nothing. Plain
// printable ASCII, what nearly every name and value is, needs no decoding.
inline bool IsWritableText(std::string_view text) {
    size_t i = 0;
    auto plain = [](unsigned char c) { return c >= 0x20 && c < 0x80; };
    while (i < text.size() && plain(static_cast<unsigned char>(text[i]))) ++i;
    return i == text.size() || FirstBadXmlChar(text.substr(i)) == std::string_view::npos;
}

// The width of the vectors the checks below read the text with: the widest
// this processor has, or narrower ones, which give the same answers (tests
// compare them).
enum class ScanWidth { kWidest, kSixteen, kOne };

// True where the processor has the vectors ScanWidth::kWidest reads with
// (AVX2 with BMI1 and BMI2); the code built for them is marked KILN_WIDE.
bool HasWideVectors();
#if defined(__x86_64__)
#define KILN_WIDE [[gnu::target("avx2,bmi,bmi2")]]
#endif

// Why a text is refused and where.
struct XmlTextError {
    size_t offset = 0;
    std::string reason;
};

// Checks a whole XML document in UTF-8: every byte is UTF-8, no character
// XML forbids is present, raw or as a character reference, every entity
// reference is one of the five predefined ones, and no DOCTYPE declares
// entities (they are never expanded, so their references would turn into
// other text, and an external one must never be read).
bool CheckXmlText(std::string_view text, XmlTextError& error, ScanWidth width = ScanWidth::kWidest);

// The offset of the name of the first attribute that repeats an earlier one
// of its start tag, which XML does not allow (the parser takes it); npos when
// none does. Read on the text before it is parsed, tag by tag as the parser
// reads it: a value runs from its quote to the same quote, whatever it holds;
// comments, CDATA sections, processing instructions and the DOCTYPE are
// passed over. A text the parser refuses may give any answer.
// `sameLocal` (when given) tells whether some start tag holds two names with
// different prefixes and one local part ("a:x", "b:x"): one name repeated
// where both prefixes stand for the same namespace (NamespaceRepeat).
size_t FirstRepeatedAttribute(std::string_view text, bool* sameLocal = nullptr, ScanWidth width = ScanWidth::kWidest);

// Both checks of a text about to be parsed, in one pass: false with the
// error CheckXmlText gives; else true, with `repeated` and `sameLocal` as
// FirstRepeatedAttribute gives them. The same pass, which reads the tags,
// checks the names as well (of elements, attributes, processing
// instructions and the DOCTYPE): false at a character of one that XML's
// rules do not allow in a name, or not at its start ("XML格式错误：名称…"),
// where that comes before any fault of the text. (Past a repeated attribute
// the pass goes on as the text check alone.)
bool CheckXmlTextAndAttributes(std::string_view text, XmlTextError& error, size_t& repeated, bool& sameLocal,
                               ScanWidth width = ScanWidth::kWidest);

}  // namespace kiln::xml
