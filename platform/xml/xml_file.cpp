#include "platform/xml/xml_file.h"

#include "platform/mfc/cstring.h"
#include "platform/mfc/file_io.h"
#include "platform/mfc/gbk.h"
#include "platform/xml/gb18030_decode.h"

#include <sys/stat.h>

#include <string>
#include <string_view>

namespace kiln::xml {

namespace {

// What the document keeps: comments, processing instructions (a stylesheet
// line of a report template) and the document type survive a load and save.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_pi | pugi::parse_doctype;

bool IsUtf8Name(const std::string& enc) {
    return enc.empty() || enc == "UTF-8" || enc == "UTF8" || enc == "US-ASCII" || enc == "ASCII";
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

class StringWriter : public pugi::xml_writer {
public:
    std::string text;
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

// The encoding named by the XML declaration at the start of `head`; empty
// when there is no declaration or it names none.
std::string DeclaredEncoding(std::string_view head) {
    if (head.substr(0, 5) != "<?xml") return std::string();
    size_t end = head.find("?>");
    if (end == std::string_view::npos) return std::string();
    std::string_view decl = head.substr(0, end);
    size_t p = decl.find("encoding");
    if (p == std::string_view::npos) return std::string();
    p += 8;
    auto skipSpace = [&] {
        while (p < decl.size() && (decl[p] == ' ' || decl[p] == '\t' || decl[p] == '\r' || decl[p] == '\n')) ++p;
    };
    skipSpace();
    if (p >= decl.size() || decl[p] != '=') return std::string();
    ++p;
    skipSpace();
    if (p >= decl.size() || (decl[p] != '"' && decl[p] != '\'')) return std::string();
    char quote = decl[p++];
    size_t close = decl.find(quote, p);
    if (close == std::string_view::npos) return std::string();
    return std::string(decl.substr(p, close - p));
}

// Parses the file's bytes, which `state` takes over.
bool ParseXmlBuffer(std::string data, XmlDocState& state) {
    const auto* b = reinterpret_cast<const unsigned char*>(data.data());
    const size_t size = data.size();
    pugi::xml_encoding encoding = pugi::encoding_utf8;
    bool utf8Bom = size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF;
    bool wide = size >= 2 && ((b[0] == 0xFE && b[1] == 0xFF) || (b[0] == 0xFF && b[1] == 0xFE) || b[0] == 0 || b[1] == 0);
    if (wide) {
        // UTF-16 or UTF-32, by byte-order mark or by the zero bytes around "<":
        // pugixml recognises these and converts them itself.
        encoding = pugi::encoding_auto;
    } else if (!utf8Bom) {
        CString declaredName = DeclaredEncoding(std::string_view(data).substr(0, 1024));
        const std::string& declared = declaredName.MakeUpper().str();
        if (!IsUtf8Name(declared) && !IsWideName(declared)) {
            std::string converted;
            if (IsGbkName(declared)) {
                converted.resize(2 * size + 16);
                size_t convertedSize = 0;
                if (!Gb18030ToUtf8(data.data(), size, converted.data(), convertedSize)) return false;
                converted.resize(convertedSize);
            } else if (!kiln::text::ToUtf8(data, declared.c_str(), converted)) {
                return false;
            }
            data = std::move(converted);
        }
    }
    state.buffer = std::move(data);
    pugi::xml_parse_result result =
        state.doc.load_buffer_inplace(state.buffer.data(), state.buffer.size(), kParseOptions, encoding);
    return result.status == pugi::status_ok && state.doc.document_element();
}

}  // namespace

bool LoadXmlFile(const std::string& path, XmlDocState& state) {
    std::string data;
    if (path.empty() || !kiln::file::ReadFile(path, data)) return false;
    return ParseXmlBuffer(std::move(data), state);
}

bool SaveXmlFile(const pugi::xml_document& doc, const std::string& path, bool overwrite) {
    if (path.empty() || !doc.document_element()) return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && (!overwrite || !S_ISREG(st.st_mode))) return false;

    StringWriter writer;
    writer.text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    doc.save(writer, "\t", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);

    return kiln::file::ReplaceFile(path, writer.text, false);
}

}  // namespace kiln::xml
