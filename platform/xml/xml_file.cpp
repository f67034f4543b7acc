#include "platform/xml/xml_file.h"

#include "platform/mfc/cstring.h"
#include "platform/mfc/file_io.h"
#include "platform/mfc/gbk.h"
#include "platform/mfc/text_funcs.h"
#include "platform/xml/gb18030_decode.h"
#include "platform/xml/xml_check.h"
#include "platform/xml/xml_names.h"

#include <iconv.h>
#include <sys/stat.h>

#include <cerrno>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kiln::xml {

namespace {

// What the document keeps: comments, processing instructions (a stylesheet
// line of a report template) and the document type survive a load and save.
// A text of blanks only is kept where it is an element's whole content
// (<Val> </Val>, a value); between elements it is layout and goes.
// The XML declaration is parsed to be checked (PrologFault), then dropped:
// a save writes its own.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_pi | pugi::parse_doctype |
                                   pugi::parse_ws_pcdata_single | pugi::parse_declaration;

bool IsAsciiName(const std::string& enc) { return enc == "US-ASCII" || enc == "ASCII"; }

// UTF-8 and ASCII, whose text is UTF-8 as it stands.
bool IsUtf8Name(const std::string& enc) { return enc.empty() || enc == "UTF-8" || enc == "UTF8" || IsAsciiName(enc); }

// True for an encoding the converter reads from.
bool ConverterKnows(const std::string& enc) {
    const iconv_t cd = iconv_open("UTF-8", enc.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    return true;
}

// A 16- or 32-bit encoding declared in a file whose bytes are plainly 8-bit
// (it starts with "<?xml"): the label is wrong, the bytes are read as UTF-8.
bool IsWideName(const std::string& enc) {
    return enc.rfind("UTF-16", 0) == 0 || enc.rfind("UTF-32", 0) == 0 || enc.rfind("UCS-", 0) == 0 ||
           enc.rfind("UTF16", 0) == 0 || enc.rfind("UTF32", 0) == 0;
}

// The GBK family is read as GB18030, which equals GB2312 and GBK on every
// character they have.
bool IsGbkName(const std::string& enc) {
    return enc == "GB2312" || enc == "GBK" || enc == "GB18030" || enc == "CP936" || enc == "MS936" ||
           enc == "WINDOWS-936" || enc == "EUC-CN" || enc == "X-GBK" || enc == "GB_2312-80" || enc == "CSGB2312";
}

// GB2312 alone (its EUC-CN form). Tools label GBK text "GB2312", and such
// text is read as GBK; but a text under that label whose bytes are UTF-8 and
// hold codes GB2312 has not is UTF-8 mislabelled, and refused.
bool IsGb2312Name(const std::string& enc) {
    return enc == "GB2312" || enc == "EUC-CN" || enc == "GB_2312-80" || enc == "CSGB2312";
}

// A byte of the text that is not of its declared encoding, placed at `at`:
// "文件内容不符合其声明的编码…：<place>：字节0x..<what>".
std::string ByteFault(std::string_view text, size_t at, char byte, const std::string& declared, const char* what) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(byte));
    return "文件内容不符合其声明的编码" + declared + "：" + PositionText(text, at) + "：字节" + hex + what;
}

// The offset of the first byte GB2312 does not have (a lead byte outside its
// rows 1-9 and 16-87, a trail byte outside 0xA1-0xFE, a lead byte at the
// end), npos when every byte is ASCII or a GB2312 code.
size_t FirstNonGb2312(std::string_view data) {
    const auto* b = reinterpret_cast<const unsigned char*>(data.data());
    const size_t n = data.size();
    for (size_t i = 0; i < n;) {
        if (b[i] < 0x80) {
            ++i;
            continue;
        }
        const unsigned lead = b[i];
        const bool row = (lead >= 0xA1 && lead <= 0xA9) || (lead >= 0xB0 && lead <= 0xF7);
        if (!row) return i;
        if (i + 1 >= n) return i;
        if (b[i + 1] < 0xA1 || b[i + 1] > 0xFE) return i + 1;
        i += 2;
    }
    return std::string_view::npos;
}

// Streams the text into a file descriptor through a buffer of its own; the
// first failed write stops all later ones and keeps its errno.
class FdWriter : public pugi::xml_writer {
public:
    explicit FdWriter(int fd) : m_fd(fd) { m_buffer.reserve(kSize); }
    void write(const void* data, size_t size) override {
        if (!m_ok) return;
        if (m_buffer.size() + size > kSize) {
            Flush();
            if (size >= kSize) {
                Send(static_cast<const char*>(data), size);
                return;
            }
        }
        m_buffer.append(static_cast<const char*>(data), size);
    }
    // Writes what the buffer holds; false when any write failed.
    bool Flush() {
        Send(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
        return m_ok;
    }
    int Error() const { return m_errno; }

private:
    static constexpr size_t kSize = 1 << 18;
    void Send(const char* data, size_t size) {
        if (!m_ok || size == 0) return;
        if (!kiln::file::WriteAll(m_fd, data, size)) {
            m_ok = false;
            m_errno = errno;
        }
    }
    int m_fd;
    std::string m_buffer;
    bool m_ok = true;
    int m_errno = 0;
};

// A name XML allows for an encoding: a Latin letter, then letters, digits,
// ".", "_" and "-".
bool IsEncodingName(std::string_view name) {
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (name.empty() || !letter(name[0])) return false;
    for (char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '.' && c != '_' && c != '-') return false;
    return true;
}

// Why a value of the XML declaration is refused, the value shown as it is.
std::string DeclarationValueFault(const char* what, std::string_view value, const char* rule) {
    return std::string("XML格式错误：XML声明的") + what + "“" + kiln::text::Visible(value, true) + "”" + rule;
}
std::string EncodingNameFault(std::string_view name) {
    return DeclarationValueFault("编码名称", name, "不合XML的写法");
}

bool IsNameStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}
bool IsNameChar(unsigned char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The XML declaration at the start of a text, read as XML writes it:
// "<?xml", then version, encoding and standalone (the last two optional),
// each a name, "=" and a quoted value after a blank, then "?>". `given`
// false when the text starts with none (the parser takes "<?xml" in any
// case for one); else its encoding (`encodingAt` the offset of the value,
// empty when it names none), or its first fault with `faultAt` its offset.
struct Declaration {
    bool given = false;
    std::string encoding;
    size_t encodingAt = 0;
    std::string fault;
    size_t faultAt = 0;
};
Declaration ReadDeclaration(std::string_view text) {
    Declaration d;
    auto lower = [&](size_t k) { return static_cast<char>(text[k] | 0x20); };
    if (text.size() < 5 || text.substr(0, 2) != "<?" || lower(2) != 'x' || lower(3) != 'm' || lower(4) != 'l' ||
        (text.size() > 5 && IsNameChar(static_cast<unsigned char>(text[5]))))
        return d;
    d.given = true;
    auto fail = [&](size_t at, std::string why) {
        d.fault = std::move(why);
        d.faultAt = at;
        return d;
    };
    if (text.substr(2, 3) != "xml") return fail(0, "XML格式错误：XML声明写作<?xml，不是<?" + std::string(text.substr(2, 3)));
    static constexpr std::string_view kOrder[] = {"version", "encoding", "standalone"};
    size_t next = 0, i = 5;
    const size_t n = text.size();
    auto blanks = [&] {
        const size_t from = i;
        while (i < n && IsBlank(text[i])) ++i;
        return i > from;
    };
    for (bool first = true;; first = false) {
        const bool spaced = blanks();
        if (text.substr(i, 2) == "?>") {
            if (next == 0) return fail(0, "XML格式错误：XML声明没有version");
            return d;
        }
        if (i == n || !IsNameStart(static_cast<unsigned char>(text[i]))) return fail(i, "XML格式错误：XML声明没有以“?>”结束");
        if (!spaced) return fail(i, "XML格式错误：XML声明的属性前没有空白");
        const size_t nameAt = i;
        while (i < n && IsNameChar(static_cast<unsigned char>(text[i]))) ++i;
        const std::string_view name = text.substr(nameAt, i - nameAt);
        while (next < 3 && name != kOrder[next]) ++next;
        if (next == 3 || (first && next != 0) || (!first && next == 0))
            return fail(nameAt, "XML格式错误：XML声明的属性依次是version、encoding、standalone（后两者可省），不是" +
                                    kiln::text::Visible(name, true));
        blanks();
        if (i == n || text[i] != '=') return fail(i, "XML格式错误：XML声明的" + std::string(name) + "后没有“=”");
        ++i;
        blanks();
        if (i == n || (text[i] != '"' && text[i] != '\'')) return fail(i, "XML格式错误：XML声明的" + std::string(name) + "的值没有引号");
        const size_t valueAt = i + 1;
        // No value of the three holds "?", so the declaration's end stops a value left open.
        const size_t close = text.find(text[i], valueAt), end = text.find("?>", valueAt);
        if (close == std::string_view::npos || close > end)
            return fail(i, "XML格式错误：XML声明的" + std::string(name) + "的值没有结束引号");
        const std::string_view value = text.substr(valueAt, close - valueAt);
        if (next == 0 && (value.size() < 3 || value.substr(0, 2) != "1." ||
                          value.find_first_not_of("0123456789", 2) != std::string_view::npos))
            return fail(nameAt, DeclarationValueFault("版本", value, "不是1.x"));
        if (next == 1 && !IsEncodingName(value)) return fail(valueAt, EncodingNameFault(value));
        if (next == 1) {
            d.encoding = std::string(value);
            d.encodingAt = valueAt;
        }
        if (next == 2 && value != "yes" && value != "no")
            return fail(nameAt, DeclarationValueFault("standalone", value, "不是yes或no"));
        ++next;
        i = close + 1;
    }
}

}  // namespace

namespace {

// A file's bytes as UTF-8 text by their byte-order mark or declared encoding.
bool ToUtf8Text(kiln::file::Bytes& data, std::string& error) {
    const auto* b = reinterpret_cast<const unsigned char*>(data.data());
    const size_t size = data.size();
    bool utf8Bom = size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF;
    bool wide = size >= 2 && ((b[0] == 0xFE && b[1] == 0xFF) || (b[0] == 0xFF && b[1] == 0xFE) || b[0] == 0 || b[1] == 0);
    if (wide) {
        // UTF-16 by byte-order mark or by the zero byte beside the first "<".
        const char* from = b[0] == 0xFE ? "UTF-16BE" : b[0] == 0xFF ? "UTF-16LE" : b[0] == 0 ? "UTF-16BE" : "UTF-16LE";
        if (b[0] == 0xFF && size >= 4 && b[2] == 0 && b[3] == 0) from = "UTF-32LE";
        else if (b[0] == 0 && size >= 4 && b[1] == 0) from = "UTF-32BE";
        else if (b[0] != 0 && size >= 4 && b[1] == 0 && b[2] == 0) from = "UTF-32LE";
        std::string converted;
        if (!kiln::text::ToUtf8(data, from, converted)) {
            error = std::string("文件不是有效的") + from + "文本";
            return false;
        }
        // A byte-order mark, now in UTF-8, goes; the declaration may say UTF-16.
        const bool bom = converted.compare(0, 3, "\xEF\xBB\xBF") == 0;
        data = kiln::file::Bytes(std::string_view(converted).substr(bom ? 3 : 0));
        const Declaration given = ReadDeclaration(data);
        if (!given.fault.empty()) {
            error = PositionText(data, given.faultAt) + "：" + given.fault;
            return false;
        }
    } else {
        const size_t bom = utf8Bom ? 3 : 0;
        // The declaration is read before the text is known to be text: names shown escaped.
        const Declaration given = ReadDeclaration(std::string_view(data).substr(bom));
        if (!given.fault.empty()) {
            error = PositionText(data, bom + given.faultAt) + "：" + given.fault;
            return false;
        }
        CString declaredName = given.encoding.c_str();
        const std::string& declared = declaredName.MakeUpper().str();
        // The mark says UTF-8: a declaration of another encoding contradicts it.
        if (utf8Bom) {
            if (IsUtf8Name(declared)) return true;
            error = PositionText(data, bom + given.encodingAt) + "：文件以UTF-8的字节顺序标记开头，却声明了编码" + given.encoding;
            return false;
        }
        // A name no reader here knows says nothing of the bytes: named as unknown.
        if (!IsUtf8Name(declared) && !IsGbkName(declared) && !ConverterKnows(declared)) {
            error = PositionText(data, given.encodingAt) + "：文件声明了未知的编码" + given.encoding;
            return false;
        }
        if (IsAsciiName(declared)) {
            // ASCII is read as the UTF-8 it is part of; other bytes are not ASCII.
            const auto* const first = std::find_if(data.data(), data.data() + size, [](char c) { return (c & 0x80) != 0; });
            if (first != data.data() + size) {
                const size_t at = static_cast<size_t>(first - data.data());
                error = ByteFault(data, at, *first, declaredName.str(), "不是ASCII的字符");
                return false;
            }
        }
        if (!IsUtf8Name(declared) && !IsWideName(declared)) {
            if (IsGb2312Name(declared)) {
                const size_t bad = FirstNonGb2312(data);
                if (bad != std::string_view::npos && FirstBadXmlChar(data) == std::string_view::npos) {
                    // Placed as the UTF-8 text it is: the character that holds the byte.
                    size_t at = bad;
                    while (at > 0 && (static_cast<unsigned char>(data[at]) & 0xC0) == 0x80) --at;
                    error = ByteFault(data, at, data[bad], declaredName.str(), "不是GB2312的字符（文件的文本是UTF-8）");
                    return false;
                }
            }
            if (IsGbkName(declared)) {
                // Converted in one pass into room enough for any text (two
                // bytes a byte at most); the room is not filled first, so
                // what the text does not take is never touched.
                kiln::file::Bytes converted;
                converted.resize(2 * size);
                size_t need = converted.size(), bad = 0;
                if (!Gb18030ToUtf8(data.data(), size, converted.data(), need, &bad)) {
                    TextPosition at = PositionOf(data, bad);
                    error = "文件内容不符合其声明的编码" + declaredName.str() + "：第" + std::to_string(at.line) + "行";
                    return false;
                }
                converted.resize(need);
                data = std::move(converted);
            } else {
                std::string converted;
                if (!kiln::text::ToUtf8(data, declared.c_str(), converted)) {
                    error = "文件内容不符合其声明的编码" + declaredName.str();
                    return false;
                }
                data = kiln::file::Bytes(converted);
            }
        }
    }
    return true;
}

}  // namespace

namespace {

// The prefix of an attribute's name ("" for none) and its local part.
std::string_view PrefixOf(const char* name, std::string_view& local) {
    const std::string_view whole(name);
    const size_t colon = whole.find(':');
    local = colon == std::string_view::npos ? whole : whole.substr(colon + 1);
    return colon == std::string_view::npos ? std::string_view() : whole.substr(0, colon);
}

// The first attribute, in document order, that names the same namespace and
// local name as an earlier one of its element under another prefix
// ("a:x", "b:x" with a and b bound to one namespace), which namespaces do
// not allow; false when none does. Walked without recursion; each
// attribute's namespace and local name found among the earlier ones of its
// element by hash, each prefix resolved once an element and only for a
// local part two prefixed names of it share (resolving walks the ancestors).
bool FindNamespaceRepeat(const pugi::xml_node& root, pugi::xml_attribute& first, pugi::xml_attribute& second,
                         std::string& uri) {
    for (pugi::xml_node n = root; n;) {
        // Fresh for each element (none allocates while empty): emptying a
        // map costs what it once held.
        std::unordered_map<std::string_view, const char*> declared, resolved;
        std::unordered_map<std::string, pugi::xml_attribute> seen;  // namespace, NUL, local name
        std::unordered_map<std::string_view, size_t> locals;          // prefixed names by local part
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
            std::string_view local;
            const std::string_view prefix = PrefixOf(a.name(), local);
            if (prefix == "xmlns") declared.emplace(local, a.value());
            else if (!prefix.empty()) ++locals[local];
        }
        for (pugi::xml_attribute b = n.first_attribute(); b; b = b.next_attribute()) {
            std::string_view local;
            const std::string_view prefix = PrefixOf(b.name(), local);
            if (prefix.empty() || prefix == "xmlns" || locals[local] < 2) continue;
            auto at = resolved.find(prefix);
            if (at == resolved.end()) {
                const auto own = prefix == "xml" ? declared.end() : declared.find(prefix);
                at = resolved.emplace(prefix, own != declared.end() ? own->second : NamespaceOfPrefix(n, prefix)).first;
            }
            const char* const space = at->second;
            if (!space || !*space) continue;
            std::string key = space;
            key.push_back('\0');
            key.append(local);
            const auto [earlier, added] = seen.emplace(std::move(key), b);
            if (!added) {
                first = earlier->second;
                second = b;
                uri = space;
                return true;
            }
        }
        // The next element in document order.
        pugi::xml_node next = n.first_child();
        while (next && next.type() != pugi::node_element) next = next.next_sibling();
        if (!next) {
            for (pugi::xml_node up = n; up && up != root && !next; up = up.parent()) {
                next = up.next_sibling();
                while (next && next.type() != pugi::node_element) next = next.next_sibling();
            }
        }
        n = next;
    }
    return false;
}

// The offset of the first element or CDATA section at the top level beside
// the root, in the text parsed in place (which keeps where each node
// starts); npos when there is none. (The parser drops other text there.)
size_t ContentBesideRoot(const pugi::xml_document& doc, std::string_view buffer) {
    const pugi::xml_node root = doc.document_element();
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_element && n != root) return static_cast<size_t>(n.name() - 1 - buffer.data());
        if (n.type() == pugi::node_cdata) return static_cast<size_t>(n.value() - 9 - buffer.data());  // "<![CDATA["
    }
    return std::string::npos;
}

// The first fault of the markup a DOCTYPE holds after its name (`after`, up
// to its closing ">"): an external identifier (SYSTEM "uri" or PUBLIC "id"
// "uri"), then an internal subset in brackets of markup declarations
// (<!ELEMENT, <!ATTLIST, <!ENTITY, <!NOTATION, each to its ">" outside
// quotes), comments, processing instructions, parameter entity references
// and blanks. The declarations are read no further: nothing of them is
// used. Empty when there is none, else why, with `at` its offset in `after`
// (npos for the DOCTYPE's own start).
// `open`: the parser found no end, and `after` runs to the text's end; the
// ">" is then looked for. Where it is missing, the fault named is a literal
// left open (its quote), taken for one that holds "<" or ">" (it ran on to
// a later quote), else the internal subset left open (its "[") where a tag
// stands in it, else the DOCTYPE.
std::string DoctypeFault(std::string_view after, size_t& at, bool open = false) {
    const size_t n = after.size();
    size_t i = 0;
    auto blanks = [&] {
        const size_t from = i;
        while (i < n && IsBlank(after[i])) ++i;
        return i > from;
    };
    auto fail = [&](size_t where, const char* why) {
        at = where;
        return std::string("XML格式错误：文档类型声明（DOCTYPE）") + why;
    };
    // The first literal that ran past where it should have ended.
    size_t leftOpen = std::string_view::npos;
    const char* leftOpenWhy = nullptr;
    auto unended = [&] {
        if (leftOpen != std::string_view::npos) return fail(leftOpen, leftOpenWhy);
        return fail(std::string_view::npos, "没有以“>”结束");
    };
    // A quoted literal after a blank: kNone at its place when there is none.
    enum class Literal { kRead, kNone, kUnclosed };
    auto literal = [&](bool pubid) {
        if (!blanks() || i == n || (after[i] != '"' && after[i] != '\'')) return Literal::kNone;
        const size_t close = after.find(after[i], i + 1);
        const bool suspect = close == std::string_view::npos ||
                             (open && after.substr(i + 1, close - i - 1).find_first_of("<>") != std::string_view::npos);
        if (suspect && leftOpen == std::string_view::npos) {
            leftOpen = i;
            leftOpenWhy = pubid ? "的公共标识没有结束引号" : "的系统标识没有结束引号";
        }
        if (close == std::string_view::npos) return Literal::kUnclosed;
        for (size_t k = i + 1; pubid && k < close; ++k) {
            const char c = after[k];
            const bool id = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                            std::string_view(" \r\n-'()+,./:=?;!*#@$_%").find(c) != std::string_view::npos;
            if (!id) return suspect ? Literal::kUnclosed : Literal::kNone;
        }
        i = close + 1;
        return Literal::kRead;
    };
    // An identifier's literal, or the fault where it is missing.
    auto identifier = [&](bool pubid, const char* missing, std::string& fault) {
        const Literal read = literal(pubid);
        if (read == Literal::kUnclosed) fault = unended();
        else if (read == Literal::kNone) fault = fail(i, missing);
        return read == Literal::kRead;
    };
    const size_t external = (blanks(), i);
    std::string fault;
    if (after.substr(i, 6) == "SYSTEM") {
        i += 6;
        if (!identifier(false, "的SYSTEM后没有用引号括起的系统标识", fault)) return fault;
    } else if (after.substr(i, 6) == "PUBLIC") {
        i += 6;
        if (!identifier(true, "的PUBLIC后没有用引号括起的公共标识", fault) ||
            !identifier(false, "的公共标识后没有用引号括起的系统标识", fault))
            return fault;
    } else if (i < n && after[i] != '[' && !(open && after[i] == '>')) {
        return fail(external, "的名称之后应是SYSTEM、PUBLIC或[");
    }
    blanks();
    if (i < n && after[i] == '[') {
        const size_t subset = i++;
        for (;;) {
            blanks();
            if (i == n) return open && leftOpen != std::string_view::npos ? unended() : fail(subset, "的内部子集没有以]结束");
            if (after[i] == ']') break;
            const std::string_view rest = after.substr(i);
            // A tag where a declaration should stand: the subset was not closed before the root.
            if (open && rest.size() > 1 && rest[0] == '<' && (IsNameStart(static_cast<unsigned char>(rest[1])) || rest[1] == '/'))
                return leftOpen != std::string_view::npos ? unended() : fail(subset, "的内部子集没有以]结束");
            size_t end = std::string_view::npos;
            if (rest.substr(0, 4) == "<!--") {
                end = after.find("-->", i + 4);
                if (end != std::string_view::npos) end += 3;
            } else if (rest.substr(0, 2) == "<?") {
                end = after.find("?>", i + 2);
                if (end != std::string_view::npos) end += 2;
            } else if (rest[0] == '%') {
                size_t k = i + 1;
                while (k < n && IsNameChar(static_cast<unsigned char>(after[k]))) ++k;
                if (k > i + 1 && k < n && after[k] == ';' && IsNameStart(static_cast<unsigned char>(after[i + 1])))
                    end = k + 1;
                else
                    return fail(i, "的内部子集中有写法不对的参数实体引用");
            } else {
                bool keyword = false;
                for (const std::string_view word : {"<!ELEMENT", "<!ATTLIST", "<!ENTITY", "<!NOTATION"})
                    keyword = keyword || (rest.substr(0, word.size()) == word && rest.size() > word.size() &&
                                          IsBlank(rest[word.size()]));
                if (!keyword) return fail(i, "的内部子集中有不是标记声明的内容");
                // To its ">", quoted literals passed over whole.
                for (size_t k = i + 2; k < n && end == std::string_view::npos; ++k) {
                    if (after[k] == '"' || after[k] == '\'') {
                        k = after.find(after[k], k + 1);
                        if (k == std::string_view::npos) break;
                    } else if (after[k] == '>') {
                        end = k + 1;
                    }
                }
            }
            if (end == std::string_view::npos) return fail(i, "的内部子集中有没有结束的声明");
            i = end;
        }
        ++i;
        blanks();
    }
    if (open) return i < n && after[i] == '>' ? std::string() : unended();
    if (i < n) return fail(i, "在应结束处还有内容");
    return std::string();
}

// The first fault of the DOCTYPE whose "<!DOCTYPE" stands at `start`: a
// blank and a name, then the markup DoctypeFault reads, up to `end` (the
// offset of its ">"), or to the text's end where the parser found none.
// Empty when there is none, else why, with `at` its offset.
std::string DoctypeFaultAt(std::string_view buffer, size_t start, size_t end, size_t& at) {
    const bool open = end == std::string_view::npos;
    const std::string_view whole = buffer.substr(0, open ? buffer.size() : end);
    size_t name = start + 9;  // "<!DOCTYPE"
    const bool blank = name < whole.size() && IsBlank(whole[name]);
    while (name < whole.size() && IsBlank(whole[name])) ++name;
    at = start;
    if (!blank || name == whole.size() || !IsNameStart(static_cast<unsigned char>(whole[name])))
        return "XML格式错误：文档类型声明（DOCTYPE）没有名称";
    while (name < whole.size() && IsNameChar(static_cast<unsigned char>(whole[name]))) ++name;
    size_t in = 0;
    std::string fault = DoctypeFault(whole.substr(name), in, open);
    if (!fault.empty() && in != std::string_view::npos) at = name + in;
    return fault;
}

// The first fault of the XML declaration and the document type beside the
// root, which the parser takes anywhere at the top level: the declaration
// stands at the very start (where ReadDeclaration has read it); one DOCTYPE
// with a name and the markup DoctypeFault reads before the root. Empty when
// there is none, else why, with `at` the offset of the fault in the text
// parsed in place. Of a document the parser refused, the part it read.
std::string PrologFault(const pugi::xml_document& doc, std::string_view buffer, size_t& at) {
    const size_t start = buffer.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    const auto offset = [&](const char* p) { return static_cast<size_t>(p - buffer.data()); };
    bool rootSeen = false, doctypeSeen = false;
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_element) {
            rootSeen = true;
        } else if (n.type() == pugi::node_declaration) {
            at = offset(n.name()) - 2;  // "<?"
            if (at != start) return "XML格式错误：XML声明只能在文件开头";
        } else if (n.type() == pugi::node_doctype) {
            const size_t value = offset(n.value());
            at = buffer.rfind("<!DOCTYPE", value);
            if (rootSeen) return "XML格式错误：文档类型声明（DOCTYPE）在根元素之后";
            if (doctypeSeen) return "XML格式错误：文档类型声明（DOCTYPE）重复";
            if (std::string fault = DoctypeFaultAt(buffer, at, value + std::strlen(n.value()), at); !fault.empty())
                return fault;
            doctypeSeen = true;
        }
    }
    return std::string();
}

// Why the parser refused a DOCTYPE, with `at` where: one inside the root at
// its start; else the one after the last node the parser read at the top
// level, read to the text's end (DoctypeFaultAt), at its start where that
// finds no fault.
std::string DoctypeRefusal(const pugi::xml_document& doc, std::string_view buffer, size_t errorAt, size_t& at) {
    at = errorAt;
    if (buffer.substr(errorAt, 9) == "<!DOCTYPE" && doc.document_element())
        return "XML格式错误：文档类型声明（DOCTYPE）在根元素之中";
    // Past the texts of the nodes read before it, which end in the NUL the parse wrote.
    size_t from = 0;
    auto past = [&](const char* text) {
        if (text >= buffer.data() && text < buffer.data() + buffer.size())
            from = std::max(from, static_cast<size_t>(text - buffer.data()) + std::strlen(text));
    };
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
        past(n.name());
        past(n.value());
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) past(a.value());
    }
    const size_t start = buffer.find("<!DOCTYPE", from);
    if (start == std::string_view::npos || start > errorAt) return "XML格式错误：文档类型声明（DOCTYPE）的写法不对";
    std::string fault = DoctypeFaultAt(buffer, start, std::string_view::npos, at);
    if (fault.empty()) {
        at = start;
        fault = "XML格式错误：文档类型声明（DOCTYPE）的写法不对";
    }
    return fault;
}

}  // namespace

bool ParseXmlText(kiln::file::Bytes data, XmlDocState& state, std::string& error, size_t* parseErrorAt) {
    if (parseErrorAt) *parseErrorAt = std::string::npos;
    if (!ToUtf8Text(data, error)) return false;
    // The parser takes an attribute given twice; XML does not. Found in the
    // text as it is before the parse changes it, and said unless the parser
    // finds an error of its own.
    XmlTextError bad;
    size_t twice = std::string::npos;
    bool sameLocal = false;
    if (!CheckXmlTextAndAttributes(data, bad, twice, sameLocal)) {
        error = PositionText(data, bad.offset) + "：" + bad.reason;
        return false;
    }
    std::string repeated;
    if (twice != std::string::npos) {
        size_t end = twice;
        while (end < data.size() && data[end] != '=' && !IsBlank(data[end])) ++end;
        repeated = PositionText(data, twice) + "：XML格式错误：属性" + std::string(data.data() + twice, end - twice) + "重复";
    }
    state.buffer = std::move(data);
    state.known = false;  // the parsed document is surveyed when first changed or saved
    pugi::xml_parse_result result = state.doc.load_buffer_inplace(state.buffer.data(), state.buffer.size(),
                                                                  kParseOptions, pugi::encoding_utf8);
    if (result.status != pugi::status_ok) {
        // The text was parsed in place: the place is counted in it as it is
        // now, unless the caller can give the text again.
        const size_t at = static_cast<size_t>(result.offset < 0 ? 0 : result.offset);
        // A fault of the part read before it (a declaration out of place) is named first.
        size_t prologAt = 0;
        if (std::string fault = PrologFault(state.doc, state.buffer, prologAt); !fault.empty() && prologAt < at) {
            if (parseErrorAt) *parseErrorAt = prologAt;
            error = PositionText(state.buffer, prologAt) + "：" + fault;
        } else if (result.status == pugi::status_bad_doctype) {
            size_t where = at;
            const std::string fault = DoctypeRefusal(state.doc, state.buffer, at, where);
            if (parseErrorAt) *parseErrorAt = where;
            error = PositionText(state.buffer, where) + "：" + fault;
        } else {
            if (parseErrorAt) *parseErrorAt = at;
            error = PositionText(state.buffer, at) + "：XML格式错误：" + result.description();
        }
        return false;
    }
    if (!state.doc.document_element()) {
        error = "文件中没有根元素";
        return false;
    }
    if (!repeated.empty()) {
        error = repeated;
        state.doc.reset();
        return false;
    }
    // The parser takes a second root; XML allows only comments, processing
    // instructions and the DOCTYPE beside the root.
    if (const size_t at = ContentBesideRoot(state.doc, state.buffer); at != std::string::npos) {
        if (parseErrorAt) *parseErrorAt = at;
        const bool after = at > static_cast<size_t>(state.doc.document_element().name() - state.buffer.data());
        error = PositionText(state.buffer, at) + "：XML格式错误：" + (after ? "根元素之后还有内容" : "根元素之前还有内容");
        state.doc.reset();
        return false;
    }
    size_t prologAt = 0;
    if (const std::string fault = PrologFault(state.doc, state.buffer, prologAt); !fault.empty()) {
        const size_t at = prologAt;
        if (parseErrorAt) *parseErrorAt = at;
        error = PositionText(state.buffer, at) + "：" + fault;
        state.doc.reset();
        return false;
    }
    if (const pugi::xml_node declaration = state.doc.first_child(); declaration.type() == pugi::node_declaration)
        state.doc.remove_child(declaration);
    // One name through two prefixes of one namespace: its place is the
    // second name's, which the parse left where it was.
    pugi::xml_attribute first, second;
    std::string uri;
    if (sameLocal && FindNamespaceRepeat(state.doc.document_element(), first, second, uri)) {
        const size_t at = static_cast<size_t>(second.name() - state.buffer.data());
        if (parseErrorAt) *parseErrorAt = at;
        error = PositionText(state.buffer, at) + "：XML格式错误：属性" + second.name() + "与" + first.name() +
                "重复（同属命名空间" + uri + "）";
        state.doc.reset();
        return false;
    }
    return true;
}

namespace {

// pugixml's own walk (without recursion) visits every node below the root
// with its depth, cheaper than stepping through the node API here.
class SurveyWalker : public pugi::xml_tree_walker {
public:
    DocSurvey survey;
    bool for_each(pugi::xml_node& n) override {
        survey.depth = std::max(survey.depth, static_cast<size_t>(depth()) + 1);
        if (!IsWritableText(n.name()) || !IsWritableText(n.value())) survey.writable = false;
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
            if (!IsWritableText(a.name()) || !IsWritableText(a.value())) survey.writable = false;
        return survey.writable;
    }
};

}  // namespace

DocSurvey Survey(const pugi::xml_node& root) {
    SurveyWalker walker;
    if (!IsWritableText(root.name()) || !IsWritableText(root.value())) walker.survey.writable = false;
    pugi::xml_node start = root;  // a handle: traverse is not const, it changes nothing
    if (walker.survey.writable) start.traverse(walker);
    return walker.survey;
}

namespace {

// A file larger than this is judged by its head before the rest is read.
constexpr size_t kHeadBytes = size_t{1} << 16;

// True, with why and where, when the head of a larger file already refuses
// it: its text holds a byte that is no text of its encoding or a character
// XML forbids (a binary file offered by mistake), short of the last bytes,
// which the cut may have split. A head that does not convert settles nothing.
bool HeadRefuses(std::string_view head, std::string& error) {
    kiln::file::Bytes text(head);
    std::string ignored;
    if (!ToUtf8Text(text, ignored)) return false;
    XmlTextError bad;
    if (CheckXmlText(text, bad) || bad.offset + 4 >= text.size()) return false;
    error = PositionText(text, bad.offset) + "：" + bad.reason;
    return true;
}

}  // namespace

bool LoadXmlFile(const std::string& path, XmlDocState& state, std::string& error) {
    kiln::file::Bytes data;
    std::string reason, refused;
    if (path.empty()) {
        error = "没有给出文件名";
        return false;
    }
    const auto goOn = [&refused](std::string_view head) { return !HeadRefuses(head, refused); };
    if (!kiln::file::ReadFile(path, data, reason, kHeadBytes, goOn)) {
        error = "不能读取文件" + path + "：" + reason;
        return false;
    }
    if (!refused.empty()) {
        error = path + "：" + refused;
        return false;
    }
    size_t at = std::string::npos;
    if (ParseXmlText(std::move(data), state, error, &at)) return true;
    // A parse error's line is counted in the file's text as it was: read
    // again, only now that it failed.
    kiln::file::Bytes again;
    std::string ignored;
    if (at != std::string::npos && kiln::file::ReadFile(path, again, ignored) && ToUtf8Text(again, ignored)) {
        const size_t colon = error.find("：XML格式错误");
        if (colon != std::string::npos) error = PositionText(again, at) + error.substr(colon);
    }
    error = path + "：" + error;
    return false;
}

namespace {

// SaveXmlFile into the file `name` of the open folder `dirfd`, or by its
// path when `dirfd` is -1; `path` names the file in messages.
bool WriteXmlFile(const XmlDocState& state, int dirfd, const std::string& name, const std::string& path,
                  bool overwrite, std::string& error, kiln::file::Target target, bool* unsynced = nullptr) {
    const pugi::xml_document& doc = state.doc;
    if (path.empty() || !doc.document_element()) {
        error = path.empty() ? "没有给出文件名" : "文档是空的";
        return false;
    }
    struct stat st {};
    const int found = dirfd < 0 ? ::stat(path.c_str(), &st) : ::fstatat(dirfd, name.c_str(), &st, 0);
    if (found == 0 && (!overwrite || !S_ISREG(st.st_mode))) {
        error = path + (S_ISREG(st.st_mode) ? "已经存在" : "不是文件");
        return false;
    }
    // What the layer kept of the document's changes spares the walk when it
    // settles the question: every text writable and the depth bound within
    // the indentation limit. Otherwise the walk decides.
    const bool bKnown = state.known && state.writable && state.depth <= kMaxIndentedDepth;
    const DocSurvey survey = bKnown ? DocSurvey{state.depth, true} : Survey(doc);
    if (!survey.writable) {
        error = "文档含有XML不允许的字符或不是UTF-8的文本，不能写入" + path;
        return false;
    }

    // Indentation costs a tab per level on every line: beyond a depth no real
    // document reaches, the document is written without it, so that the
    // output stays linear in the document's size.
    const unsigned flags = survey.depth <= kMaxIndentedDepth ? pugi::format_indent : pugi::format_raw;
    int err = 0;
    auto produce = [&](int fd) {
        FdWriter writer(fd);
        static constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
        writer.write(kDeclaration, sizeof kDeclaration - 1);
        doc.save(writer, "\t", flags | pugi::format_no_declaration, pugi::encoding_utf8);
        if (writer.Flush()) return true;
        errno = writer.Error();
        return false;
    };
    // Synced before its rename: a crash leaves the old file or the new one.
    kiln::file::FolderMark other;
    const bool written = dirfd < 0 ? kiln::file::ReplaceFileWith(path, true, produce, &err, target)
                                   : kiln::file::ReplaceFileAt(dirfd, name, true, produce, &err, target, unsynced, &other);
    if (!written && unsynced && *unsynced) {
        const size_t slash = path.rfind('/');
        error = "不能同步文件夹" + (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "：" +
                kiln::file::ErrorText(err);
        return false;
    }
    if (!written) {
        error = "不能写入文件" + path + "：" + (other ? other.Refusal(path) : kiln::file::ErrorText(err));
        return false;
    }
    return true;
}

}  // namespace

bool SaveXmlFile(const XmlDocState& state, const std::string& path, bool overwrite, std::string& error,
                 kiln::file::Target target) {
    return WriteXmlFile(state, -1, path, path, overwrite, error, target);
}

bool SaveXmlFileAt(const XmlDocState& state, int dirfd, const std::string& name, const std::string& path,
                   std::string& error, kiln::file::Target target, bool* unsynced) {
    return WriteXmlFile(state, dirfd, name, path, true, error, target, unsynced);
}

}  // namespace kiln::xml
