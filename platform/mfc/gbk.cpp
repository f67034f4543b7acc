#include "platform/mfc/gbk.h"

#include <iconv.h>

#include <cerrno>

namespace kiln::text {

namespace {

// Converts with iconv; on an invalid sequence either copies the byte through
// (lenient) or stops and reports failure.
bool convert(std::string_view in, const char* from, const char* to, bool lenient, std::string& out) {
    out.clear();
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string buf(in.size() * 4 + 16, '\0');
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
    iconv_close(cd);
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
    bool ascii = true;
    for (unsigned char c : utf8)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) return static_cast<int>(utf8.size());
    return static_cast<int>(Utf8ToGbk(utf8).size());
}

bool HasDoubleByte(std::string_view utf8) {
    for (unsigned char c : utf8)
        if (c >= 0x80) return true;
    return false;
}

}  // namespace kiln::text
