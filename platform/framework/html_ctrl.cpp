#include "platform/framework/html_ctrl.h"

#include <string>

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

void CHtmlEditCtrl2::BSTR2CString(BSTR bstr, CString& text) {
    text.Empty();
    if (!bstr) return;
    unsigned int n = SysStringLen(bstr);
    std::string out;
    out.reserve(n + 1);
    for (unsigned int i = 0; i < n; ++i) {
        char32_t c = bstr[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && bstr[i + 1] >= 0xDC00 && bstr[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(bstr[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    text = CString(std::move(out));
}

void CBase_Html::OnUpdateXSLTFilesText(CCmdUI* pCmdUI) {
    if (pCmdUI) pCmdUI->Enable(TRUE);
}
