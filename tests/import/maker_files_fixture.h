// The fixture of imports of SCL files in makers' styles (tests/data/scl):
// the shipped standard definitions as the package the types depend on, a
// data file imported into the product, and lookups of what came in.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/import/import_files_fixture.h"

namespace kiln::test {

class MakerFilesTest : public ImportFilesTest {
protected:
    void SetUp() override {
        const CString std = CString(KILN_SOURCE_DIR) + "/domains/IEC61850_std.xml";
        if (!std::filesystem::exists(std.str()))
            GTEST_SKIP() << "no shipped standard definitions (domains/IEC61850_std.xml)";
        URI_Ref type;
        ASSERT_TRUE(app.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type));
        ASSERT_TRUE(app.Import_ExterDomainFile(type, "sec:TypePackage", std)) << app.LastDocError();
        ui.ClearCalls();
    }

    // Imports the data file into the product, choosing the shipped package;
    // with errors or warnings the report question is expected (it names the
    // errors) and answered No, and the status line counts both.
    URI_Ref Import(const char* file, int errors, int warnings = 0) {
        return ImportPath(CString(KILN_SOURCE_DIR) + "/tests/data/scl/" + file, errors, warnings);
    }
    // The same for a file anywhere (one the test wrote).
    URI_Ref ImportPath(const CString& file, int errors, int warnings = 0) {
        ui.AnswerOpenFile(file);
        ui.AnswerInputChoice("Orsane.Zel:2007  (标准)", "选择依赖的类型包：");
        if (errors + warnings > 0) ui.AnswerNo("ICD文件导入完毕,发现错误" + ToText(errors) + "个。是否查看报告？");
        URI_Ref out;
        EXPECT_TRUE(app.Rsc_ICD_Import(&out, product)) << file;
        EXPECT_EQ(ui.PendingAnswers(), 0u) << file;
        if (errors + warnings == 0) {
            EXPECT_EQ(Boxes(), std::vector<CString>{"导入成功!"}) << file;
        } else {
            const Struct_UiCall* status = ui.LastOf(Enum_UiCall::StatusText);
            EXPECT_EQ(status ? status->sText : CString(),
                      "导入ICD结束，发现" + ToText(errors) + "个错误，发现" + ToText(warnings) + "个警告。")
                << file;
        }
        return out;
    }
    URI_Ref ServerOf(const URI_Ref& icd) { return Target(Target(icd, "sec:ICD.IED"), "sec:IED.Servers"); }
    URI_Ref DeviceOf(const URI_Ref& icd, const CString& inst) {
        return Member(ServerOf(icd), "sec:Server.LDevices", inst);
    }
    CString Desc(const URI_Ref& r) { return Get(r, "cim:Naming.description"); }
    CString TypeName(const URI_Ref& node) { return Get(Target(node, "sec:LNode.LNodeType"), "cim:Naming.name"); }
    // The values of a DOI's data attributes, in order.
    std::vector<CString> DaiValues(const URI_Ref& node, const CString& doi) {
        std::vector<CString> out;
        for (const URI_Ref& dai : Members(Member(node, "sec:LNode.DOIs", doi), "sec:DOI.DAIs"))
            out.push_back(Get(dai, "sec:DAI.valueStr"));
        return out;
    }
    // "node name.DO name" of each member of the data set.
    std::vector<CString> FcdaTargets(const URI_Ref& dataSet) {
        std::vector<CString> out;
        for (const URI_Ref& f : Members(dataSet, "sec:DataSet.FCDAs"))
            out.push_back(Get(Target(f, "sec:DARef.LNode"), "cim:Naming.name") + "." + Get(f, "sec:DARef.doName"));
        return out;
    }
};

}  // namespace kiln::test
