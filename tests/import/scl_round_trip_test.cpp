// Every SCL file of tests/data/scl imported through the ICD import and
// written back with the ICD export: the IED and the types it uses come back
// as the file had them, but for what the README names as left out; a file
// valid against the schema stays valid; a second import and export gives
// the same bytes. Then the tree comparison itself on small trees.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "tests/import/maker_files_fixture.h"
#include "tests/import/scl_compare.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

const fs::path kDataDir = fs::path(KILN_SOURCE_DIR) / "tests" / "data" / "scl";

std::vector<std::string> DataFiles() {
    std::vector<std::string> out;
    for (const fs::directory_entry& e : fs::directory_iterator(kDataDir))
        if (e.is_regular_file()) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The first line where two texts differ, both sides shown.
std::string FirstDifferentLine(const std::string& a, const std::string& b) {
    std::istringstream sa(a), sb(b);
    std::string la, lb;
    for (int n = 1;; ++n) {
        const bool ea = !std::getline(sa, la), eb = !std::getline(sb, lb);
        if (ea && eb) return std::string();
        if (ea || eb || la != lb)
            return "line " + std::to_string(n) + ":\n  first:  " + (ea ? "(end)" : la) + "\n  second: " + (eb ? "(end)" : lb);
    }
}

class SclRoundTripTest : public MakerFilesTest, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override {
        MakerFilesTest::SetUp();
        if (IsSkipped()) return;
        for (const char* t : {"ICD_Template.xml", "MICS_Template.xml"})
            fs::copy_file(fs::path(KILN_SOURCE_DIR) / "Template" / t, workspace / "Template" / t);
    }

    // The ICD import of the file, answering No to the report question when
    // the import asks it (how many findings a file gives is not this test's
    // business).
    URI_Ref ImportAnswering(const std::string& path) {
        ui.ClearCalls();
        ui.AnswerOpenFile(path.c_str());
        ui.AnswerInputChoice("Orsane.Zel:2007  (标准)", "选择依赖的类型包：");
        ui.AnswerNo("是否查看报告");
        URI_Ref out;
        EXPECT_TRUE(app.Rsc_ICD_Import(&out, product)) << path;
        if (ui.PendingAnswers() > 0) {
            // No findings: the question never came; drop its answer.
            ui.SetFailureHandler([](const std::string&) {});
            ui.VerifyAllAnswered();
            ui.TakeFailures();
            ui.SetFailureHandler([](const std::string& f) { ADD_FAILURE() << f; });
        }
        return out;
    }

    // "生成 ICD 文件" of the ICD into the workspace; the written file's path.
    std::string Export(const URI_Ref& icd, const std::string& name) {
        const std::string path = (workspace / name).string();
        ui.AnswerNo("是否由M2I生成DOI DAI");
        ui.AnswerSaveFile(path.c_str());
        EXPECT_TRUE(app.Rsc_ICD_Export(icd, false));
        EXPECT_TRUE(fs::is_regular_file(path)) << "no file written for " << GetParam();
        return path;
    }
};

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
    return std::regex_replace(info.param, std::regex("[^A-Za-z0-9]"), "_");
}

TEST_P(SclRoundTripTest, WhatTheFileHoldsComesBackOut) {
    const std::string file = GetParam();
    const std::string source = (kDataDir / file).string();
    const URI_Ref first = ImportAnswering(source);
    ASSERT_TRUE(first.IsSet()) << file;
    const std::string once = Export(first, "once.icd");

    // Both files as text in UTF-8, whatever the source's encoding.
    CBase_XML src, out;
    ASSERT_TRUE(src.Load(source.c_str())) << src.LastError();
    ASSERT_TRUE(out.Load(once.c_str())) << out.LastError();
    std::ostringstream lost, allowed;
    for (const TreeDifference& d :
         CompareSclRoundTrip(src.GetDocumentElement().PugiNode(), out.GetDocumentElement().PugiNode()))
        (d.allowed.empty() ? lost : allowed) << "\n  " << d;
    if (!allowed.str().empty()) std::cout << file << ": left out as the README says:" << allowed.str() << "\n";
    EXPECT_TRUE(lost.str().empty()) << file << ": the export differs from the source:" << lost.str();

    bool skipped = false;
    if (ValidateAgainstScl(source, skipped).empty() && !skipped) {
        EXPECT_EQ(ValidateAgainstScl(once, skipped), "") << file << " is valid, its export is not";
    }
    if (skipped) std::cout << "no schema check: ../shared/xsd or xmllint is not there\n";

    // The export imported and exported again gives the same bytes.
    const URI_Ref second = ImportAnswering(once);
    ASSERT_TRUE(second.IsSet()) << file;
    const std::string twice = Export(second, "twice.icd");
    EXPECT_EQ(FirstDifferentLine(ReadBytes(once), ReadBytes(twice)), "")
        << file << ": the second export differs from the first";
}

INSTANTIATE_TEST_SUITE_P(DataFiles, SclRoundTripTest, ::testing::ValuesIn(DataFiles()), TestName);

}  // namespace
}  // namespace kiln::test
