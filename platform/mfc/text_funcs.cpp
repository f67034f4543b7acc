#include "platform/mfc/text_funcs.h"

#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

CString StringAfter(const CString& text, const CString& first, const CString& second) {
    CString rest = text;
    if (!first.IsEmpty()) {
        int p = rest.Find(first);
        if (p < 0) return CString();
        rest = rest.Mid(p + first.GetLength());
    }
    if (!second.IsEmpty()) {
        int p = rest.Find(second);
        if (p < 0) return CString();
        rest = rest.Mid(p + second.GetLength());
    }
    return rest;
}

CString StringBefore(const CString& text, const CString& sep) {
    if (sep.IsEmpty()) return text;
    int p = text.Find(sep);
    return p < 0 ? text : text.Left(p);
}

CString ToString(double value, int width, int decimals) {
    if (decimals < 0) decimals = 0;
    if (width < 0) width = 0;
    // Width counts the digits before the point; add the point and decimals.
    int total = width + (decimals > 0 ? decimals + 1 : 0);
    CString s;
    s.Format("%0*.*f", total, decimals, value);
    return s;
}

CString ToString(int value) {
    CString s;
    s.Format("%d", value);
    return s;
}

int Search_StringArray(const CStringArray& list, const CString& text) {
    for (int i = 0; i < list.GetSize(); ++i)
        if (list[i] == text) return i;
    return -1;
}

CString create_path(const CString& path, const CString& pattern, const CString& folder) {
    const CString& p = path;
    int slash = p.ReverseFind('/');
    CString dir = slash < 0 ? CString() : p.Left(slash);
    CString file = p.Mid(slash + 1);
    int dot = file.ReverseFind('.');
    // A leading point starts a hidden name, not an extension.
    CString name = dot > 0 ? file.Left(dot) : file;
    CString ext = dot > 0 ? file.Mid(dot + 1) : CString();
    // One pass over the pattern, so that a replacement is never read again.
    CString out;
    const std::pair<const char*, const CString*> keys[] = {
        {"**name**", &name}, {"**ext**", &ext}, {"**file**", &file}, {"**path**", &dir}};
    for (int i = 0; i < pattern.GetLength();) {
        bool replaced = false;
        for (const auto& [key, value] : keys) {
            if (pattern.str().compare(static_cast<size_t>(i), std::char_traits<char>::length(key), key) == 0) {
                out += *value;
                i += static_cast<int>(std::char_traits<char>::length(key));
                replaced = true;
                break;
            }
        }
        if (!replaced) out += pattern.GetAt(i++);
    }
    return folder.IsEmpty() ? out : kiln::path::Join(folder, out);
}

namespace kiln::text {

long long AtoiValue(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        int d = s[i] - '0';
        v = v > (LLONG_MAX - d) / 10 ? LLONG_MAX : v * 10 + d;
    }
    return neg ? -v : v;
}

std::string Visible(std::string_view s, bool bytes) {
    // Control and format characters, and blanks other than the space.
    static constexpr char32_t kHidden[][2] = {
        {0x00, 0x09}, {0x0B, 0x1F}, {0x7F, 0xA0}, {0xAD, 0xAD}, {0x34F, 0x34F}, {0x61C, 0x61C},
        {0x115F, 0x1160}, {0x180E, 0x180E}, {0x2000, 0x200F}, {0x2028, 0x202F}, {0x205F, 0x206F},
        {0x3000, 0x3000}, {0x3164, 0x3164}, {0xFE00, 0xFE0F}, {0xFEFF, 0xFEFF}, {0xFFA0, 0xFFA0},
        {0xFFF9, 0xFFFB}};
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        // One character: its length in bytes and its code.
        const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        char32_t code = n == 1 ? c : c & (0x7F >> n);
        bool utf8 = (c < 0x80 || n > 1) && i + n <= s.size();
        for (size_t k = 1; utf8 && k < n; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            utf8 = (b & 0xC0) == 0x80;
            code = (code << 6) | (b & 0x3F);
        }
        bool hidden = false;
        for (const auto& r : kHidden) hidden = hidden || (utf8 && code >= r[0] && code <= r[1]);
        char esc[16];
        if (!utf8 && bytes) {
            std::snprintf(esc, sizeof esc, "\\x%02X", static_cast<unsigned>(c));
            out += esc;
        } else if (!hidden) {
            out.append(s.substr(i, utf8 ? n : 1));
        } else if (code == '\t' || code == '\r') {
            out += code == '\t' ? "\\t" : "\\r";
        } else {
            std::snprintf(esc, sizeof esc, "\\u%04X", static_cast<unsigned>(code));
            out += esc;
        }
        i += utf8 ? n : 1;
    }
    return out;
}

}  // namespace kiln::text

namespace kiln::path {

bool EndsWithSeparator(const CString& path) {
    if (path.IsEmpty()) return false;
    return path.GetAt(path.GetLength() - 1) == '/';
}

CString Join(const CString& dir, const CString& name) {
    if (dir.IsEmpty()) return name;
    CString d = dir;
    d.TrimRight("/");
    CString n = name;
    n.TrimLeft("/");
    return d + "/" + n;
}

CString TemplateFile(const CString& docFolder, const CString& fileName) {
    return docFolder + (EndsWithSeparator(docFolder) ? "../Template/" : "/../Template/") + fileName;
}

CString TemplateFileToOpen(const CString& templateFile) {
    return std::filesystem::path(templateFile.str()).lexically_normal().string().c_str();
}

}  // namespace kiln::path
