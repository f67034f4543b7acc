#include "core/clock.h"
#include "core/kiln_main.h"
#include "platform/mfc/gbk.h"

bool CKiln_Main::IsChinese(CString text) {
    // The test runs on the GBK bytes, at every byte position.
    const std::string gbk = kiln::text::Utf8ToGbk(text.str());
    for (size_t i = 0; i + 1 < gbk.size(); ++i) {
        if (static_cast<unsigned char>(gbk[i]) >= 0x80 && static_cast<unsigned char>(gbk[i + 1]) >= 0x80)
            return true;
    }
    return false;
}

void CKiln_Main::GetTime(CString* pOut, int mode) {
    if (!pOut) return;
    const std::time_t now = kiln::core::ClockNow();
    std::tm t{};
    localtime_r(&now, &t);
    const int year = t.tm_year + 1900, month = t.tm_mon + 1, day = t.tm_mday;
    CString text;
    if (mode == 0) {
        text.Format("%d%02d%02d%02d%02d%02d", year, month, day, t.tm_hour, t.tm_min, t.tm_sec);
    } else if (mode == 1) {
        text.Format("%d年%d月%d日%d点%d分", year, month, day, t.tm_hour, t.tm_min);
    } else {
        text.Format("%d%d%d%d%d%d", year, month, day, t.tm_hour, t.tm_min, t.tm_sec);
    }
    *pOut = text;
}

bool CKiln_Main::isLNodeUseToThisPurpose(URI_Ref& node, LNodeUseEnum purpose) {
    CString value;
    DocMtd_get_attribute_value(node, "sec:LNode.LNodeUse", value);
    if (value.IsEmpty()) return purpose == LNodeUse_None;
    const int dot = value.ReverseFind('.');
    const CString word = dot >= 0 ? value.Mid(dot + 1) : value;
    static const char* const kWords[] = {"Warning", "Alarm", "DevAlarm", "State"};
    for (int i = 0; i < 4; ++i) {
        if (word == kWords[i]) return static_cast<int>(purpose) == i + 1;
    }
    return false;
}

bool CKiln_Main::Write_error_to_Report(CString name, CString message, bool isError) {
    CStringArray attrs;
    attrs.Add("name");
    attrs.Add("error");
    XmlNode node = m_xmlReport.AddNewNode_withAttrs(m_pReportNode, "other_error", attrs);
    if (isError) {
        ++m_nReportErrors;
        name = "错误：  " + name;
    } else {
        ++m_nReportWarnings;
        name = "警告：  " + name;
    }
    m_xmlReport.Write_NodeValueString(node, "@name", name);
    m_xmlReport.Write_NodeValueString(node, "@error", message);
    return true;
}
