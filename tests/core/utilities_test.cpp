// The double-byte test, the time texts, the purpose of a logical node and
// the writer of check findings.
#include "core/clock.h"
#include "platform/mfc/gbk.h"
#include "platform/mfc/text_funcs.h"
#include "tests/core/fixture.h"

namespace kiln::test {
namespace {

// Text whose GBK form is exactly these bytes.
CString FromGbk(const char* bytes) { return CString(kiln::text::GbkToUtf8(bytes)); }

TEST(IsChinese, LooksForTwoHighBytesInTheGbkForm) {
    EXPECT_FALSE(CKiln_Main::IsChinese(""));
    EXPECT_FALSE(CKiln_Main::IsChinese("a"));
    EXPECT_FALSE(CKiln_Main::IsChinese("plain ASCII"));
    EXPECT_TRUE(CKiln_Main::IsChinese("ab中"));
    EXPECT_TRUE(CKiln_Main::IsChinese("中"));
    // 0x81 0x41 and 0x81 0x40 are GBK characters whose second byte is ASCII:
    // high bytes that are never adjacent.
    const CString lowSecond = FromGbk("\x81\x41\x81\x40");
    ASSERT_FALSE(lowSecond.IsEmpty());
    EXPECT_TRUE(kiln::text::HasDoubleByte(lowSecond.str()));  // in UTF-8 it is "Chinese" ...
    EXPECT_FALSE(CKiln_Main::IsChinese(lowSecond));           // ... in GBK it is not
    EXPECT_FALSE(CKiln_Main::IsChinese(FromGbk("\x81\x41" "A" "\x81\x40")));
    // A high byte after such a character makes a pair.
    EXPECT_TRUE(CKiln_Main::IsChinese(FromGbk("\x81\x41\xD6\xD0")));
}

// The calendar time of a local date and time.
std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

TEST(GetTime, ModesPadOrDoNotPad) {
    const std::time_t early = LocalTime(2008, 2, 1, 9, 5, 7);
    kiln::core::CClockScope clock([early] { return early; });
    CString text = "old";
    CKiln_Main::GetTime(&text, 0);
    EXPECT_EQ(text, "20080201090507");
    CKiln_Main::GetTime(&text, 1);
    EXPECT_EQ(text, "2008年2月1日9点5分");
    CKiln_Main::GetTime(&text, 7);
    EXPECT_EQ(text, "200821957");
    CKiln_Main::GetTime(nullptr, 0);  // nothing to write to
}

TEST(GetTime, TwoDigitFieldsAndTheSystemClockAfterwards) {
    {
        const std::time_t late = LocalTime(2019, 12, 25, 23, 45, 56);
        kiln::core::CClockScope clock([late] { return late; });
        CString text;
        CKiln_Main::GetTime(&text, 0);
        EXPECT_EQ(text, "20191225234556");
        CKiln_Main::GetTime(&text, 1);
        EXPECT_EQ(text, "2019年12月25日23点45分");
    }
    // Without a set clock the year is this one's.
    CString text;
    CKiln_Main::GetTime(&text, 0);
    ASSERT_EQ(text.GetLength(), 14);
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    EXPECT_EQ(text.Left(4), ToString(t.tm_year + 1900));
}

class PurposeTest : public CoreTest {
protected:
    PurposeTest() {
        MakeDomain(kInstDomain, "二次模型数据类型包");
        node = MakeLNode(MakeLDevice(kInstDomain, "LD", 1), "", "GGIO", "1", 1);
    }
    void Use(const CString& value) { Set(node, "sec:LNode.LNodeUse", value); }
    bool Is(LNodeUseEnum purpose) { return app.isLNodeUseToThisPurpose(node, purpose); }
    URI_Ref node;
};

TEST_F(PurposeTest, ComparesTheWordAfterTheLastDot) {
    EXPECT_TRUE(Is(LNodeUse_None));  // empty value
    EXPECT_FALSE(Is(LNodeUse_Alarm));

    Use(EnumValue("LNodeUseEnum", "Alarm"));
    EXPECT_TRUE(Is(LNodeUse_Alarm));
    EXPECT_FALSE(Is(LNodeUse_DevAlarm));
    EXPECT_FALSE(Is(LNodeUse_None));

    Use(EnumValue("LNodeUseEnum", "DevAlarm"));
    EXPECT_TRUE(Is(LNodeUse_DevAlarm));
    EXPECT_FALSE(Is(LNodeUse_Alarm));

    Use("Alarm");
    EXPECT_TRUE(Is(LNodeUse_Alarm));
    Use("State");
    EXPECT_TRUE(Is(LNodeUse_State));
    Use("x.Warning");
    EXPECT_TRUE(Is(LNodeUse_Warning));
}

TEST_F(PurposeTest, OtherCaseMatchesNothing) {
    Use(EnumValue("LNodeUseEnum", "alarm"));
    for (LNodeUseEnum p : {LNodeUse_None, LNodeUse_Warning, LNodeUse_Alarm, LNodeUse_DevAlarm, LNodeUse_State})
        EXPECT_FALSE(Is(p)) << p;
}

using ReportTest = CoreTest;

TEST_F(ReportTest, FindingsAreAppendedInOrderAndCounted) {
    CStringArray none;
    app.m_pReportNode = app.m_xmlReport.AddNewNode_withAttrs(app.m_xmlReport.GetDocument(), "Report", none);
    ASSERT_FALSE(app.m_pReportNode.IsNull());

    EXPECT_TRUE(app.Write_error_to_Report("IED1/LD1", "错误：缺少 LLN0", true));
    EXPECT_TRUE(app.Write_error_to_Report("IED1/LD2", "名称重复", false));
    EXPECT_TRUE(app.Write_error_to_Report("IED1/LD3", "第二个错误", true));

    EXPECT_EQ(app.m_nReportErrors, 2);
    EXPECT_EQ(app.m_nReportWarnings, 1);
    XmlNodeList findings = app.m_pReportNode.SelectNodes("other_error");
    ASSERT_EQ(findings.Length(), 3);
    CString name, error;
    findings.Item(0).GetAttribute("name", name);
    findings.Item(0).GetAttribute("error", error);
    EXPECT_EQ(name, "错误：  IED1/LD1");
    EXPECT_EQ(error, "错误：缺少 LLN0");  // the message is not changed
    findings.Item(1).GetAttribute("name", name);
    findings.Item(1).GetAttribute("error", error);
    EXPECT_EQ(name, "警告：  IED1/LD2");
    EXPECT_EQ(error, "名称重复");
    findings.Item(2).GetAttribute("name", name);
    EXPECT_EQ(name, "错误：  IED1/LD3");
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(ReportTest, WithoutAReportNodeOnlyTheCountsChange) {
    EXPECT_TRUE(app.Write_error_to_Report("x", "y", false));
    EXPECT_EQ(app.m_nReportWarnings, 1);
    EXPECT_EQ(app.m_nReportErrors, 0);
    EXPECT_TRUE(app.m_xmlReport.GetDocumentElement().IsNull());
}

}  // namespace
}  // namespace kiln::test
