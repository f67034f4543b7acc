#include "platform/mfc/text_funcs.h"

#include <cstdio>

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

namespace kiln::path {

bool EndsWithSeparator(const CString& path) {
    if (path.IsEmpty()) return false;
    char c = path.GetAt(path.GetLength() - 1);
    return c == '/' || c == '\\';
}

CString Join(const CString& dir, const CString& name) {
    if (dir.IsEmpty()) return name;
    CString d = dir;
    d.TrimRight("/\\");
    CString n = name;
    n.TrimLeft("/\\");
    return d + "/" + n;
}

CString TemplateFile(const CString& docFolder, const CString& fileName) {
    CString folder = Normalize(docFolder);
    return folder + (EndsWithSeparator(folder) ? "../Template/" : "/../Template/") + fileName;
}

CString Normalize(const CString& path) {
    CString p = path;
    p.Replace('\\', '/');
    return p;
}

}  // namespace kiln::path
