#include "platform/mfc/gbk.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace kiln::text {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// One converter per direction and thread, opened on first use: sorting by
// name converts many short keys, and opening a converter costs far more
// than converting a name.
class CachedConverter {
public:
    CachedConverter(const char* from, const char* to) : m_from(from), m_to(to) {}
    ~CachedConverter() {
        if (m_cd != kNoConverter) iconv_close(m_cd);
    }
    iconv_t get() {
        if (m_cd == kNoConverter) m_cd = iconv_open(m_to, m_from);
        if (m_cd != kNoConverter) iconv(m_cd, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
        return m_cd;
    }

private:
    const char* m_from;
    const char* m_to;
    iconv_t m_cd = kNoConverter;
};

iconv_t fixedConverter(const char* from, const char* to) {
    thread_local CachedConverter toGbk("UTF-8", "GB18030");
    thread_local CachedConverter fromGbk("GB18030", "UTF-8");
    if (std::string_view(from) == "UTF-8" && std::string_view(to) == "GB18030") return toGbk.get();
    if (std::string_view(from) == "GB18030" && std::string_view(to) == "UTF-8") return fromGbk.get();
    return kNoConverter;
}

// Converts with iconv; on an invalid sequence either copies the byte through
// (lenient) or stops and reports failure.
bool convert(std::string_view in, const char* from, const char* to, bool lenient, std::string& out) {
    out.clear();
    iconv_t cd = fixedConverter(from, to);
    const bool cached = cd != kNoConverter;
    if (!cached) cd = iconv_open(to, from);
    if (cd == kNoConverter) return false;
    // A short text converts in one call; a large one piece by piece, so that
    // the buffer never needs four times the text's size.
    std::string buf(std::min<size_t>(in.size() * 4 + 16, 64 * 1024), '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    bool ok = true;
    while (srcLeft > 0) {
        char* dst = buf.data();
        size_t dstLeft = buf.size();
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf.data(), buf.size() - dstLeft);
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (truncated sequence at the end)
        if (!lenient) {
            ok = false;
            break;
        }
        out.push_back(*src);
        ++src;
        --srcLeft;
    }
    if (!cached) iconv_close(cd);
    return ok;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
    std::string out;
    convert(utf8, "UTF-8", "GB18030", true, out);
    return out;
}

bool GbkToUtf8(std::string_view gbk, std::string& out) { return convert(gbk, "GB18030", "UTF-8", false, out); }

std::string GbkToUtf8(std::string_view gbk) {
    std::string out;
    convert(gbk, "GB18030", "UTF-8", true, out);
    return out;
}

bool ToUtf8(std::string_view in, const char* fromEncoding, std::string& out) {
    return convert(in, fromEncoding, "UTF-8", false, out);
}

int GbkLength(std::string_view utf8) {
    if (!HasDoubleByte(utf8)) return static_cast<int>(utf8.size());  // ASCII is the same in both
    return static_cast<int>(Utf8ToGbk(utf8).size());
}

bool HasDoubleByte(std::string_view utf8) {
    for (unsigned char c : utf8)
        if (c >= 0x80) return true;
    return false;
}

}  // namespace kiln::text
