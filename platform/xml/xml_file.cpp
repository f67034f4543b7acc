#include "platform/xml/xml_file.h"

#include "platform/xml/gb18030_decode.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace kiln::xml {

namespace {

// What the document keeps: comments, processing instructions (a stylesheet
// line of a report template) and the document type survive a load and save.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_pi | pugi::parse_doctype;

std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return u;
}

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

// One iconv pass from `from` to UTF-8 into a new buffer (the encodings other
// than the GBK family, which have a faster path). False on an unknown
// encoding or an invalid or truncated sequence.
bool ConvertToUtf8(const char* from, const char* data, size_t size, std::unique_ptr<char[]>& out, size_t& outSize) {
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    // Most encodings grow by at most a half (two bytes become three); the
    // buffer grows when one needs more.
    size_t capacity = size + size / 2 + 16;
    std::unique_ptr<char[]> buf(new char[capacity]);
    char* src = const_cast<char*>(data);
    size_t srcLeft = size;
    size_t used = 0;
    bool ok = true;
    while (srcLeft > 0) {
        char* dst = buf.get() + used;
        size_t dstLeft = capacity - used;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        used = capacity - dstLeft;
        if (r != static_cast<size_t>(-1)) continue;
        if (errno != E2BIG) {
            ok = false;
            break;
        }
        size_t bigger = capacity + capacity / 2 + 64;
        std::unique_ptr<char[]> grown(new char[bigger]);
        std::memcpy(grown.get(), buf.get(), used);
        buf = std::move(grown);
        capacity = bigger;
    }
    iconv_close(cd);
    if (!ok) return false;
    out = std::move(buf);
    outSize = used;
    return true;
}

class StringWriter : public pugi::xml_writer {
public:
    std::string text;
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

bool WriteAll(int fd, const std::string& text) {
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

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

// Parses `size` bytes held in `data`, which `state` takes over.
bool ParseXmlBuffer(std::unique_ptr<char[]> data, size_t size, XmlDocState& state) {
    const auto* b = reinterpret_cast<const unsigned char*>(data.get());
    pugi::xml_encoding encoding = pugi::encoding_utf8;
    bool utf8Bom = size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF;
    bool wide = size >= 2 && ((b[0] == 0xFE && b[1] == 0xFF) || (b[0] == 0xFF && b[1] == 0xFE) || b[0] == 0 || b[1] == 0);
    if (wide) {
        // UTF-16 or UTF-32, by byte-order mark or by the zero bytes around "<":
        // pugixml recognises these and converts them itself.
        encoding = pugi::encoding_auto;
    } else if (!utf8Bom) {
        std::string declared = Upper(DeclaredEncoding(std::string_view(data.get(), size < 1024 ? size : 1024)));
        if (!IsUtf8Name(declared) && !IsWideName(declared)) {
            std::unique_ptr<char[]> converted;
            size_t convertedSize = 0;
            if (IsGbkName(declared)) {
                converted.reset(new char[2 * size + 16]);
                if (!Gb18030ToUtf8(data.get(), size, converted.get(), convertedSize)) return false;
            } else if (!ConvertToUtf8(declared.c_str(), data.get(), size, converted, convertedSize)) {
                return false;
            }
            data = std::move(converted);
            size = convertedSize;
        }
    }
    state.buffer = std::move(data);
    pugi::xml_parse_result result = state.doc.load_buffer_inplace(state.buffer.get(), size, kParseOptions, encoding);
    return result.status == pugi::status_ok && state.doc.document_element();
}

}  // namespace

bool LoadXmlFile(const std::string& path, XmlDocState& state) {
    if (path.empty()) return false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    size_t size = static_cast<size_t>(st.st_size);
    std::unique_ptr<char[]> data;
    try {
        data.reset(new char[size + 1]);
    } catch (...) {
        ::close(fd);
        return false;
    }
    size_t got = 0;
    while (got < size) {
        ssize_t n = ::read(fd, data.get() + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    if (got != size) return false;
    return ParseXmlBuffer(std::move(data), size, state);
}

bool SaveXmlFile(const pugi::xml_document& doc, const std::string& path, bool overwrite) {
    if (path.empty() || !doc.document_element()) return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && (!overwrite || !S_ISREG(st.st_mode))) return false;

    StringWriter writer;
    writer.text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    doc.save(writer, "\t", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);

    static std::atomic<unsigned> counter{0};
    std::string tmp = path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, writer.text);
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}

}  // namespace kiln::xml
