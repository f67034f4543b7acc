// Every SCL file of tests/data/scl imported through the ICD import and
// written back with the ICD export: the IED and the types it uses come back
// as the file had them, but for what the README names as left out; a file
// valid against the schema stays valid; a second import and export gives
// the same bytes. Then the tree comparison itself on small trees.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "platform/framework/cim_schema.h"
#include "tests/host/named_breaches.h"
#include "tests/host/named_references.h"
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

// The allowed differences that no entry of the import report names (one
// whose name and text hold every word ReportWordsOf gives), a line each.
std::string UnreportedLosses(const std::vector<TreeDifference>& differences, const std::vector<ReportEntry>& report) {
    std::string out;
    for (const TreeDifference& d : differences) {
        // The model keeps the IED's name; only the file names it TEMPLATE.
        if (d.allowed.empty() || (d.attribute == "name" && d.path.rfind("/SCL/IED[", 0) == 0 &&
                                  d.path.find('/', 1 + std::string("/SCL/").size()) == std::string::npos))
            continue;
        const std::vector<std::string> words = ReportWordsOf(d);
        const bool named = std::any_of(report.begin(), report.end(), [&](const ReportEntry& e) {
            const std::string text = e.name.str() + " " + e.error.str();
            return std::all_of(words.begin(), words.end(),
                               [&](const std::string& w) { return text.find(w) != std::string::npos; });
        });
        if (!named) out += "\n  " + ::testing::PrintToString(d);
    }
    return out;
}

// Imports an SCL file with "导入 ICD（IED类型配置）" and writes it back with
// "生成 ICD 文件", as a user does.
class SclFileTest : public MakerFilesTest {
protected:
    void SetUp() override {
        MakerFilesTest::SetUp();
        if (IsSkipped()) return;
        for (const char* t : {"ICD_Template.xml", "MICS_Template.xml", "ITB_Template.xml", "M2I_Template.xml"})
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
        EXPECT_TRUE(fs::is_regular_file(path)) << "no file written for " << name;
        return path;
    }

    // The references of the written file its export's message does not
    // account for (UnnamedReferences), a line each.
    static std::string UnnamedReferencesOf(const std::string& path, const std::string& message) {
        pugi::xml_document doc;
        if (!doc.load_file(path.c_str())) return "the file does not parse";
        std::string out;
        for (const std::string& line : UnnamedReferences(DanglingReferences(doc.document_element()), message))
            out += "\n  " + line;
        return out;
    }
    // "ICD:Delete" on the resource, as its menu item runs it, answered Yes;
    // the question's text.
    std::string DeleteByMenu(const URI_Ref& rsc) {
        ui.ClearCalls();
        ui.AnswerYes("$?$删除确认");
        app.m_uCurRsc = rsc;
        app.Msg_OnAppCommand("ICD:Delete");
        const std::vector<CString> boxes = Boxes();
        return boxes.empty() ? std::string() : boxes.front().str();
    }
    std::string LastMessage() { return ui.Messages().empty() ? std::string() : ui.Messages().back().str(); }

    // The differences of the export from its source that the README does
    // not name, a line each.
    static std::string Lost(const std::string& source, const std::string& output,
                            std::vector<TreeDifference>* pAll = nullptr) {
        CBase_XML src, out;
        if (!src.Load(source.c_str())) return "source not read: " + src.LastError().str();
        if (!out.Load(output.c_str())) return "output not read: " + out.LastError().str();
        std::ostringstream lost;
        const std::vector<TreeDifference> differences =
            CompareSclRoundTrip(src.GetDocumentElement().PugiNode(), out.GetDocumentElement().PugiNode());
        for (const TreeDifference& d : differences)
            if (d.allowed.empty()) lost << "\n  " << d;
        if (pAll) *pAll = differences;
        return lost.str();
    }
};

class SclRoundTripTest : public SclFileTest, public ::testing::WithParamInterface<std::string> {};

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
    return std::regex_replace(info.param, std::regex("[^A-Za-z0-9]"), "_");
}

TEST_P(SclRoundTripTest, WhatTheFileHoldsComesBackOut) {
    const std::string file = GetParam();
    const std::string source = (kDataDir / file).string();
    const URI_Ref first = ImportAnswering(source);
    ASSERT_TRUE(first.IsSet()) << file;
    const std::vector<ReportEntry> report = SavedReport();
    const std::string once = Export(first, "once.icd");

    // Both files as text in UTF-8, whatever the source's encoding.
    std::vector<TreeDifference> differences;
    EXPECT_EQ(Lost(source, once, &differences), "") << file << ": the export differs from the source";
    std::ostringstream allowed;
    for (const TreeDifference& d : differences)
        if (!d.allowed.empty()) allowed << "\n  " << d;
    if (!allowed.str().empty()) std::cout << file << ": left out as the README says:" << allowed.str() << "\n";
    EXPECT_EQ(UnreportedLosses(differences, report), "") << file << ": left out without a report entry";

    bool skipped = false;
    const std::string message = ui.Messages().empty() ? std::string() : ui.Messages().back().str();
    const std::string errors = ValidateAgainstScl(once, skipped);
    if (ValidateAgainstScl(source, skipped).empty() && !skipped) {
        EXPECT_EQ(errors, "") << file << " is valid, its export is not";
    }
    // It names no member its types lack, and each Enum value that is none
    // of its type's is named.
    EXPECT_EQ(UnnamedReferencesOf(once, message), "") << file;
    // Whatever the source, each schema error of the export is named after
    // its success text, and nothing is named for a valid one.
    if (!skipped) {
        EXPECT_EQ(SchemaErrorsAgainstBreaches(once, message, errors), "") << file << ": the export names\n" << message;
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

// ---- deletions and renames of used members ----

// A member of an imported file's types: the list of the ICD's type package
// its type is in, the type's id, the member's list and its name (an
// enumeration value by its text).
struct MemberAt {
    const char* typeList;
    const char* type;
    const char* memberList;
    const char* name;
};

class MemberChangeTest : public SclFileTest {
protected:
    URI_Ref Find(const URI_Ref& icd, const MemberAt& at) {
        const URI_Ref type = Member(Target(icd, "sec:ICD.TypePackage"), at.typeList, at.type);
        if (std::string(at.memberList) != "sec:EnumType.EnumVals") return Member(type, at.memberList, at.name);
        for (const URI_Ref& v : Members(type, at.memberList))
            if (Get(v, "sec:EnumVal.val") == at.name) return v;
        return URI_Ref();
    }
};

struct DeletionRow {
    const char* what;
    const char* file;
    MemberAt member;
    const char* question;  // a part of the question's lines naming what uses the member
    const char* gone;      // a text of the file that its export no longer writes
    const char* kept = nullptr;  // a text of the file that its export still writes
};
void PrintTo(const DeletionRow& row, std::ostream* os) { *os << row.what; }

class MemberDeletionTest : public MemberChangeTest, public ::testing::WithParamInterface<DeletionRow> {};

// The question names what uses the member; what uses it goes with it, and
// the export names nothing that is gone.
TEST_P(MemberDeletionTest, TheQuestionNamesTheUsersAndTheExportNoneOfThem) {
    const DeletionRow& row = GetParam();
    const std::string source = (kDataDir / row.file).string();
    ASSERT_NE(ReadBytes(source).find(row.gone), std::string::npos) << row.gone;
    const URI_Ref icd = ImportAnswering(source);
    ASSERT_TRUE(icd.IsSet());
    const URI_Ref member = Find(icd, row.member);
    ASSERT_TRUE(member.IsSet()) << row.member.name;
    const std::string question = DeleteByMenu(member);
    EXPECT_NE(question.find(row.question), std::string::npos) << question;
    EXPECT_FALSE(Doc().Exists(member));

    const std::string written = Export(icd, "deleted.icd");
    EXPECT_EQ(ReadBytes(written).find(row.gone), std::string::npos) << row.gone;
    if (row.kept) {
        EXPECT_NE(ReadBytes(written).find(row.kept), std::string::npos) << row.kept;
    }
    EXPECT_EQ(UnnamedReferencesOf(written, LastMessage()), "");
}

const char* const kRecloser = "ed1_2003_recloser_controller_odd_enums.icd";
const char* const kFeeder = "feeder_relay_report_blocks.icd";

INSTANTIATE_TEST_SUITE_P(
    Members, MemberDeletionTest,
    ::testing::Values(
        DeletionRow{"an SDO a data-set member names", kRecloser,
                    {"sec:TypePackage.DOTypes", "RC_WYE", "sec:DOType.Contains_SDOs", "phsA"},
                    "将一并删除：CTRL/LLN0.", "doName=\"A.phsA\""},
        DeletionRow{"a DA whose SDI a DOI holds", kRecloser,
                    {"sec:TypePackage.DOTypes", "RC_MV", "sec:DOType.Contains_DAs", "units"},
                    "MMXU1.TotW.units[CF].SIUnit、", "<SDI name=\"units\">"},
        DeletionRow{"a BDA a DAI holds", kRecloser,
                    {"sec:TypePackage.DATypes", "RC_Unit", "sec:DAType.Contains_BDAs", "SIUnit"},
                    "将一并删除：CTRL/MMXU1.TotW.units[CF].SIUnit", "<DAI name=\"SIUnit\">"},
        DeletionRow{"an enumeration value a DAI holds", kRecloser,
                    {"sec:TypePackage.EnumTypes", "RC_SIUnit", "sec:EnumType.EnumVals", "W"},
                    "将一并删除：CTRL/MMXU1.TotW.units[CF].SIUnit", "<Val>W</Val>"},
        DeletionRow{"an enumeration value some setting groups of a DAI hold", "ed2_distance_relay_many_devices.icd",
                    {"sec:TypePackage.EnumTypes", "NV_TrModeKind", "sec:EnumType.EnumVals", "3-phase"},
                    "\n删除后以下预设值将一并删除：", "<Val sGroup=\"3\">3-phase</Val>",
                    "<Val sGroup=\"2\">1-or-3-phase</Val>"},
        DeletionRow{"an enumeration value a DAI and a type's BDA hold", kRecloser,
                    {"sec:TypePackage.EnumTypes", "RC_multiplier", "sec:EnumType.EnumVals", "k"},
                    "\n删除后以下预设值将一并删除：CTRL/MMXU1.TotW.units[CF].multiplier、RC_Unit.multiplier", "<Val>k</Val>"},
        DeletionRow{"an unused enumeration value, the others keeping their codes", kRecloser,
                    {"sec:TypePackage.EnumTypes", "RC_multiplier", "sec:EnumType.EnumVals", "m"},
                    "确实要删除“枚举值: Val_-3”吗？", "<EnumVal ord=\"-3\">m</EnumVal>", "<EnumVal ord=\"3\">k</EnumVal>"},
        DeletionRow{"a DA a data-set member and an input name", kFeeder,
                    {"sec:TypePackage.DOTypes", "FR_ACT", "sec:DOType.Contains_DAs", "general"},
                    "将不再指向数据：PROT/PTOC2.OC1_OP", "daName=\"general\" intAddr=\"OC1_OP\""},
        DeletionRow{"a DA a DAI with a short address holds", "latin1_feeder_relay.icd",
                    {"sec:TypePackage.DOTypes", "FR_ACT", "sec:DOType.Contains_DAs", "general"},
                    ".Op.general", "sAddr=\"BUS1.OP\""},
        DeletionRow{"a DO an input names", kFeeder,
                    {"sec:TypePackage.LNodeTypes", "FR_PTOC", "sec:LNodeType.DOs", "Op"},
                    "将不再指向数据：PROT/PTOC2.OC1_OP", "doName=\"Op\" daName=\"general\" intAddr=\"OC1_OP\""}),
    [](const auto& info) { return std::regex_replace(info.param.what, std::regex("[^A-Za-z0-9]"), "_"); });

// Every used DO, SDO, DA, BDA and enumeration value of each data file,
// deleted in turn from the imported file by its menu: the export then names
// no member that is gone. CI deletes a fixed sample of each file's members
// (every member in turn would take minutes under the sanitizers);
// KILN_DELETION_WALK=all deletes each.
class DeletionWalkTest : public MemberChangeTest, public ::testing::WithParamInterface<std::string> {
protected:
    bool Editable(const URI_Ref& rsc) {
        CString domain;
        return app.DocMtd_DEnv_Get_Rsc_Domain(rsc, domain) && app.DocMtd_DEnv_IsDomainEditable(domain);
    }
    // The members the ICD's nodes use, down from their LN types, each once.
    std::vector<URI_Ref> UsedMembers(const URI_Ref& icd) {
        std::vector<URI_Ref> out, types;
        std::set<std::string> seen;
        auto add = [&](const URI_Ref& r, std::vector<URI_Ref>& list) {
            if (r.IsSet() && seen.insert(r.sUri).second) list.push_back(r);
        };
        for (const URI_Ref& ld : Members(ServerOf(icd), "sec:Server.LDevices"))
            for (const URI_Ref& node : Members(ld, "sec:LDevice.LNodes")) add(Target(node, "sec:LNode.LNodeType"), types);
        // The member lists of each kind of type, and the roles to a member's own type.
        static const std::map<std::string, std::vector<const char*>> kLists = {
            {"sec:LNodeType", {"sec:LNodeType.DOs"}},
            {"sec:DOType", {"sec:DOType.Contains_SDOs", "sec:DOType.Contains_DAs"}},
            {"sec:DAType", {"sec:DAType.Contains_BDAs"}},
            {"sec:EnumType", {"sec:EnumType.EnumVals"}}};
        static const std::map<std::string, std::vector<const char*>> kTypeRoles = {
            {"sec:DO", {"sec:DO.DefinedBy_DOType"}},
            {"sec:SDO", {"sec:SDO.DefinedBy_DOType"}},
            {"sec:DA", {"sec:BDA.DefinedBy_Struct", "sec:BDA.DefinedBy_EnumType"}},
            {"sec:BDA", {"sec:BDA.DefinedBy_Struct", "sec:BDA.DefinedBy_EnumType"}}};
        for (size_t i = 0; i < types.size(); ++i) {
            const auto lists = kLists.find(types[i].sClass);
            if (lists == kLists.end()) continue;
            for (const char* list : lists->second)
                for (const URI_Ref& m : Members(types[i], list)) {
                    if (Editable(m)) add(m, out);
                    if (const auto roles = kTypeRoles.find(m.sClass); roles != kTypeRoles.end())
                        for (const char* role : roles->second) add(Target(m, role), types);
                }
        }
        return out;
    }
};

TEST_P(DeletionWalkTest, NoExportNamesADeletedMember) {
    const std::string file = GetParam();
    const URI_Ref icd = ImportAnswering((kDataDir / file).string());
    ASSERT_TRUE(icd.IsSet());
    const std::vector<URI_Ref> members = UsedMembers(icd);
    ASSERT_FALSE(members.empty());
    const char* walk = std::getenv("KILN_DELETION_WALK");
    const bool all = walk && std::string(walk) == "all";
    // The sample: six members spread over the list, the first and the last among them.
    constexpr size_t kSample = 6;
    const size_t step = all || members.size() <= kSample ? 1 : (members.size() - 1) / (kSample - 1);
    const fs::path kept = workspace / "kept";
    ASSERT_TRUE(Doc().Save(kept.string().c_str())) << Doc().LastError();
    int deleted = 0;
    for (size_t k = 0; k < members.size(); k += step) {
        ASSERT_TRUE(Doc().Open(kept.string().c_str())) << Doc().LastError();
        const URI_Ref member = members[k];
        const CString label = Get(member, "cim:Naming.name") + " (" + CString(member.sClass) + ")";
        DeleteByMenu(member);
        if (Doc().Exists(member)) continue;  // refused, as a type's last member may be
        ++deleted;
        const std::string written = Export(icd, "walk.icd");
        EXPECT_EQ(UnnamedReferencesOf(written, LastMessage()), "") << file << ": " << label << " deleted";
    }
    EXPECT_GT(deleted, 0) << file;
    std::cout << file << ": " << deleted << " of " << members.size() << " used members deleted\n";
}

INSTANTIATE_TEST_SUITE_P(DataFiles, DeletionWalkTest, ::testing::ValuesIn(DataFiles()), TestName);

// An ICD whose enumeration a pasted DO of another ICD still uses: its
// deletion is refused before anything of it goes.
TEST_F(MemberChangeTest, ARefusedIcdDeletionDeletesNothing) {
    const URI_Ref relay = ImportAnswering((kDataDir / "distance_relay_settings.icd").string());
    const URI_Ref feeder = ImportAnswering((kDataDir / "feeder_relay_report_blocks.icd").string());
    ASSERT_TRUE(relay.IsSet() && feeder.IsSet());
    app.m_uCurRsc = Find(relay, {"sec:TypePackage.LNodeTypes", "LDR_LLN0", "sec:LNodeType.DOs", "Mod"});
    ASSERT_TRUE(app.m_uCurRsc.IsSet());
    app.Msg_OnAppCommand("ICD:Copy");
    app.m_uCurRsc = Member(Target(feeder, "sec:ICD.TypePackage"), "sec:TypePackage.LNodeTypes", "FR_LPHD");
    app.Msg_OnAppCommand("ICD:Paste");
    const int before = Doc().ResourceCount();
    DeleteByMenu(relay);
    EXPECT_EQ(Boxes(), (std::vector<CString>{"确实要删除“IED类型配置: LDR-9_Ver3.0_RevA”吗？",
                                             "由于存在被该类型定义的DA/BDA，不能继续删除！", "删除 ICD 时发生错误！"}));
    EXPECT_EQ(Doc().ResourceCount(), before);
    EXPECT_TRUE(Target(relay, "sec:ICD.IED").IsSet());
}

// A Log deleted: the question names its log control blocks, and the export
// gives them no name of a log (SCL wants one: the breach is named).
TEST_F(MemberChangeTest, ALogDeletedLeavesItsBlocksWithoutALogName) {
    const URI_Ref icd = ImportAnswering((kDataDir / "ed2_1_bay_controller_private_namespaces.icd").string());
    ASSERT_TRUE(icd.IsSet());
    URI_Ref log;
    for (const URI_Ref& ld : Members(ServerOf(icd), "sec:Server.LDevices"))
        for (const URI_Ref& node : Members(ld, "sec:LDevice.LNodes"))
            if (log.IsEmpty()) log = Target(node, "sec:LNode.Log");
    ASSERT_TRUE(log.IsSet());
    EXPECT_NE(DeleteByMenu(log).find("\n删除后以下控制块将没有日志：EvtLog"), std::string::npos);
    const std::string text = ReadBytes(Export(icd, "no_log.icd"));
    const size_t block = text.find("<LogControl name=\"EvtLog\"");
    ASSERT_NE(block, std::string::npos);
    const std::string element = text.substr(block, text.find('>', block) - block);
    EXPECT_EQ(element.find(" logName="), std::string::npos) << element;
    EXPECT_NE(LastMessage().find("不符合SCL的日志控制块（logName格式错误）：CTRL/LLN0.EvtLog"), std::string::npos)
        << LastMessage();
}

// An enumeration value's new text reaches the values that hold it; one
// none of its type's is named by the export and by the check.
TEST_F(MemberChangeTest, EnumerationValuesAgreeWithTheirTypes) {
    const URI_Ref icd = ImportAnswering((kDataDir / "distance_relay_settings.icd").string());
    ASSERT_TRUE(icd.IsSet());
    const URI_Ref value = Find(icd, {"sec:TypePackage.EnumTypes", "LDR_ctlModel", "sec:EnumType.EnumVals", "status-only"});
    ASSERT_TRUE(value.IsSet());
    CString text = "direct-only", display;
    int refresh = 0;
    if (app.HtmlMsg_OnFieldChanged(nullptr, value, "sec:EnumVal.val", "status-only", text, &display, &refresh))
        Set(value, "sec:EnumVal.val", text);
    const std::string renamed = ReadBytes(Export(icd, "renamed.icd"));
    EXPECT_EQ(renamed.find("<Val>status-only</Val>"), std::string::npos);
    EXPECT_NE(renamed.find("<Val>direct-only</Val>"), std::string::npos);
    EXPECT_EQ(UnnamedReferencesOf((workspace / "renamed.icd").string(), LastMessage()), "");

    // The recloser's setting curve holds -3 and 5, which its enumeration lacks.
    const URI_Ref recloser = ImportAnswering((kDataDir / kRecloser).string());
    ASSERT_TRUE(recloser.IsSet());
    // An enumeration value's number is its code: "上移" is refused, a new
    // value takes a free code, and a code typed in the view is stored as
    // typed, once in its enumeration; no other value's code changes.
    const MemberAt sbo{"sec:TypePackage.EnumTypes", "RC_ctlModel", "sec:EnumType.EnumVals", "sbo-with-normal-security"};
    ui.ClearCalls();
    app.m_uCurRsc = Find(recloser, sbo);
    app.Msg_OnAppCommand("ICD:Move Up");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"枚举值的序号是其编码，不能移动！"});
    app.m_uCurRsc = Find(recloser, {"sec:TypePackage.EnumTypes", "RC_CurveChar", "sec:EnumType.EnumVals", "IEC Normal Inverse"});
    app.Msg_OnAppCommand("ICD:Add EnumVal");
    const URI_Ref mega = Find(recloser, {"sec:TypePackage.EnumTypes", "RC_multiplier", "sec:EnumType.EnumVals", "M"});
    for (const auto& [code, stored] : {std::pair{"3", false}, {"x", false}, {"-6", true}}) {
        CString typed = code;
        EXPECT_EQ(app.HtmlMsg_OnFieldChanged(nullptr, mega, "e301:OrdNaming.ord", "6", typed, &display, &refresh), stored)
            << code;
        if (stored) Set(mega, "e301:OrdNaming.ord", typed);
    }
    // An attribute made enumerated in the view, a member made structured by
    // "切换到 复合类型": neither names a type yet, which the export and the
    // check name.
    CString enumerated = CString(kiln::cim::kModelNamespace) + "#PreBasicTypeEnum.Enum";
    const URI_Ref general = Find(recloser, {"sec:TypePackage.DOTypes", "RC_ACT", "sec:DOType.Contains_DAs", "general"});
    if (app.HtmlMsg_OnFieldChanged(nullptr, general, "sec:BDA.bType", Get(general, "sec:BDA.bType"), enumerated, &display, &refresh))
        Set(general, "sec:BDA.bType", enumerated);
    app.m_uCurRsc = Find(recloser, {"sec:TypePackage.DATypes", "RC_AnalogueValue", "sec:DAType.Contains_BDAs", "f"});
    app.Msg_OnAppCommand("ICD:Switch to Struct");
    const std::string codes = ReadBytes(Export(recloser, "curves.icd"));
    for (const char* untyped : {"不符合数据类型的DA（bType为Enum却没有type）：RC_ACT.general",
                                "不符合数据类型的BDA（bType为Struct却没有type）：RC_AnalogueValue.f"})
        EXPECT_NE(LastMessage().find(untyped), std::string::npos) << LastMessage();
    for (const char* kept : {"<EnumVal ord=\"1\">direct-with-normal-security</EnumVal>",
                             "<EnumVal ord=\"2\">sbo-with-normal-security</EnumVal>",
                             "<EnumVal ord=\"6\">IEC Very Inverse</EnumVal>", "<EnumVal ord=\"7\">7</EnumVal>",
                             "<EnumVal ord=\"3\">k</EnumVal>",
                             "<EnumVal ord=\"-6\">M</EnumVal>"})
        EXPECT_NE(codes.find(kept), std::string::npos) << kept;
    for (const char* value : {"-3", "5"})
        EXPECT_NE(LastMessage().find(std::string("不符合SCL的值（Enum取值错误）：CTRL/PhPTOC1.TmACrv.setCharact:") + value),
                  std::string::npos)
            << LastMessage();
    ui.ClearCalls();
    ui.AnswerNo("$?$导入完成");
    app.m_uCurRsc = recloser;
    app.Msg_OnAppCommand("ICD:Check ICD");
    std::string report;
    for (const ReportEntry& e : SavedReport()) report += e.name.str() + " " + e.error.str() + "\n";
    for (const char* value : {"-3", "5"})
        EXPECT_NE(report.find(std::string("PhPTOC1的DOI: TmACrv的DAI: setCharact[SG] Enum取值错误：") + value), std::string::npos) << report;
    for (const char* untyped : {"的DOType: RC_ACT的DA: general bType为Enum，未指定类型 ！",
                                "的DAType: RC_AnalogueValue的BDA: f bType为Struct，未指定类型 ！"})
        EXPECT_NE(report.find(untyped), std::string::npos) << report;
}

// ---- the comparison itself, on small files ----

// A file of one IED "A" with one device "L" whose LN0 holds `ln0`, then
// `more` inside the server's device, and the templates `types` (an LLN0
// type "T0" is always there).
std::string SmallScl(const std::string& ln0, const std::string& more = "", const std::string& types = "",
                     const std::string& before = "") {
    return "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\">" + before +
           "<IED name=\"A\"><AccessPoint name=\"S1\"><Server><LDevice inst=\"L\">"
           "<LN0 lnClass=\"LLN0\" inst=\"\" lnType=\"T0\">" + ln0 + "</LN0>" + more +
           "</LDevice></Server></AccessPoint></IED><DataTypeTemplates>"
           "<LNodeType id=\"T0\" lnClass=\"LLN0\"><DO name=\"Mod\" type=\"D0\"/></LNodeType>"
           "<DOType id=\"D0\" cdc=\"ENC\"><DA name=\"stVal\" fc=\"ST\" bType=\"INT32\"/></DOType>" +
           types + "</DataTypeTemplates></SCL>";
}

const std::string kLn0 = "/SCL/IED[name=A]/AccessPoint[name=S1]/Server/LDevice[inst=L]/LN0";
const std::string kRcb = "<ReportControl name=\"r\" datSet=\"ds\" confRev=\"1\">";
const std::string kSet = "<DataSet name=\"ds\"><FCDA ldInst=\"L\" lnClass=\"LLN0\" doName=\"Mod\" fc=\"ST\"/>"
                         "<FCDA ldInst=\"L\" lnClass=\"LLN0\" doName=\"Beh\" fc=\"ST\"/></DataSet>";

struct CompareRow {
    const char* what;
    std::string source, output;
    std::vector<std::string> differences;  // as printed; allowed ones say so
};
void PrintTo(const CompareRow& row, std::ostream* os) { *os << row.what; }

class SclCompareTest : public ::testing::TestWithParam<CompareRow> {};

TEST_P(SclCompareTest, NamesEveryDifferenceByPathAndAttribute) {
    const CompareRow& row = GetParam();
    pugi::xml_document src, out;
    ASSERT_TRUE(src.load_string(row.source.c_str())) << row.source;
    ASSERT_TRUE(out.load_string(row.output.c_str())) << row.output;
    std::vector<std::string> got;
    for (const TreeDifference& d : CompareSclRoundTrip(src.document_element(), out.document_element()))
        got.push_back(::testing::PrintToString(d));
    EXPECT_EQ(got, row.differences);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SclCompareTest,
    ::testing::Values(
        CompareRow{"the same file", SmallScl(kSet), SmallScl(kSet), {}},
        CompareRow{"an absent gi is true, a written false differs",
                   SmallScl(kRcb + "<TrgOps dchg=\"true\"/></ReportControl>"),
                   SmallScl(kRcb + "<TrgOps dchg=\"1\" gi=\"false\"/></ReportControl>"),
                   {kLn0 + "/ReportControl[name=r]/TrgOps @gi: source \"true\", output \"false\""}},
        CompareRow{"a member's empty instance and attribute name are none",
                   SmallScl("<DataSet name=\"ds\"><FCDA ldInst=\"L\" lnClass=\"LLN0\" lnInst=\"\" doName=\"Mod\" "
                            "daName=\"\" fc=\"ST\"/></DataSet>"),
                   SmallScl("<DataSet name=\"ds\"><FCDA ldInst=\"L\" lnClass=\"LLN0\" doName=\"Mod\" fc=\"ST\"/>"
                            "</DataSet>"),
                   {}},
        CompareRow{"data set members in another order",
                   SmallScl(kSet),
                   SmallScl("<DataSet name=\"ds\"><FCDA ldInst=\"L\" lnClass=\"LLN0\" doName=\"Beh\" fc=\"ST\"/>"
                            "<FCDA lnClass=\"LLN0\" doName=\"Mod\" fc=\"ST\"/></DataSet>"),
                   {kLn0 + "/DataSet[name=ds]/FCDA[1] @doName: source \"Mod\", output \"Beh\"",
                    kLn0 + "/DataSet[name=ds]/FCDA[2] @doName: source \"Beh\", output \"Mod\""}},
        CompareRow{"a member or a log without ldInst names its own device; left out in the output, an attribute "
                   "is its default",
                   SmallScl("<DataSet name=\"ds\"><FCDA lnClass=\"LLN0\" doName=\"Mod\" fc=\"ST\"/></DataSet>"
                            "<LogControl name=\"c\" logName=\"G\"/><LogControl name=\"d\" ldInst=\"L\" "
                            "logEna=\"true\" logName=\"G\"/>"),
                   SmallScl("<DataSet name=\"ds\"><FCDA ldInst=\"L\" lnClass=\"LLN0\" doName=\"Mod\" "
                            "fc=\"ST\"/></DataSet><LogControl name=\"c\" ldInst=\"K\" logName=\"G\"/>"
                            "<LogControl name=\"d\" logName=\"G\"/>"),
                   {kLn0 + "/LogControl[name=c] @ldInst: source (absent), output \"K\""}},
        CompareRow{"an attribute only the output holds is made up, at its default too, but for what the writer "
                   "always writes",
                   SmallScl("<DataSet name=\"ds\"><FCDA lnClass=\"LLN0\" doName=\"Mod\" fc=\"ST\"/></DataSet>" + kRcb +
                            "<TrgOps dchg=\"true\"/><OptFields/><RptEnabled/></ReportControl>"),
                   SmallScl("<DataSet name=\"ds\" desc=\"\"><FCDA ldInst=\"L\" prefix=\"\" lnClass=\"LLN0\" "
                            "doName=\"Mod\" fc=\"ST\"/></DataSet>" +
                            std::regex_replace(kRcb, std::regex(" confRev"), " rptID=\"RCB_1\" confRev") +
                            "<TrgOps dchg=\"true\" dupd=\"false\" qchg=\"false\" gi=\"true\" period=\"false\"/>"
                            "<OptFields bufOvfl=\"true\"/><RptEnabled max=\"1\"/></ReportControl>"),
                   {kLn0 + "/DataSet[name=ds]/FCDA @prefix: source (absent), output \"\"",
                    kLn0 + "/ReportControl[name=r] @rptID: source (absent), output \"RCB_1\"",
                    kLn0 + "/ReportControl[name=r]/OptFields @bufOvfl: source (absent), output \"true\""}},
        CompareRow{"instance values in another order, one lost, one changed",
                   SmallScl("<DOI name=\"Mod\" desc=\"模式\"><DAI name=\"stVal\" sAddr=\"1.2\"><Val sGroup=\"1\">3</Val>"
                            "<Val sGroup=\"2\">4</Val></DAI></DOI><DOI name=\"Beh\"><DAI name=\"d\"><Val/></DAI></DOI>"),
                   SmallScl("<DOI name=\"Beh\"><DAI name=\"d\"><Val></Val></DAI></DOI><DOI name=\"Mod\" desc=\"模式\">"
                            "<DAI name=\"stVal\"><Val sGroup=\"1\">3</Val><Val sGroup=\"2\">5</Val></DAI></DOI>"),
                   {kLn0 + "/DOI[name=Mod,ix=]/DAI[name=stVal,ix=] @sAddr: source \"1.2\", output (absent)",
                    kLn0 + "/DOI[name=Mod,ix=]/DAI[name=stVal,ix=]/Val[sGroup=2] #text: source \"4\", output \"5\""}},
        CompareRow{"what the README names is allowed, and said so",
                   SmallScl("<GSEControl name=\"g\" appID=\"x\"/>",
                            "<LN lnClass=\"PTRC\" inst=\"1\" lnType=\"T0\"><Inputs><ExtRef iedName=\"B\" ldInst=\"L\" "
                            "lnClass=\"XCBR\" lnInst=\"1\" doName=\"Pos\" pLN=\"XCBR\" srcCBName=\"gcb\"/></Inputs></LN>",
                            "", "<Communication><SubNetwork name=\"N\"><ConnectedAP iedName=\"A\" apName=\"S1\"/>"
                                "</SubNetwork></Communication>"),
                   SmallScl("", "<LN lnClass=\"PTRC\" inst=\"1\" lnType=\"T0\"><Inputs><ExtRef iedName=\"B\" "
                                "ldInst=\"L\" lnClass=\"XCBR\" lnInst=\"1\" doName=\"Pos\"/></Inputs></LN>"),
                   {kLn0 + "/GSEControl[name=g]: source (present), output (absent) (allowed: no GOOSE or sampled-value "
                           "control blocks)",
                    "/SCL/IED[name=A]/AccessPoint[name=S1]/Server/LDevice[inst=L]/LN[prefix=,lnClass=PTRC,inst=1]/Inputs/"
                    "ExtRef[iedName=B,ldInst=L,prefix=,lnClass=XCBR,lnInst=1,doName=Pos,daName=,intAddr=] @pLN: source "
                    "\"XCBR\", output (absent) (allowed: no binding attributes of inputs)",
                    "/SCL/IED[name=A]/AccessPoint[name=S1]/Server/LDevice[inst=L]/LN[prefix=,lnClass=PTRC,inst=1]/Inputs/"
                    "ExtRef[iedName=B,ldInst=L,prefix=,lnClass=XCBR,lnInst=1,doName=Pos,daName=,intAddr=] @srcCBName: "
                    "source \"gcb\", output (absent) (allowed: no binding attributes of inputs)",
                    "/SCL/Communication: source (present), output (absent) (allowed: no Communication section)"}},
        CompareRow{"a lost input is not allowed, an attribute of another namespace is",
                   SmallScl("", "<LN xmlns:m=\"urn:maker\" m:slot=\"3\" lnClass=\"PTRC\" inst=\"1\" lnType=\"T0\">"
                                "<Inputs><ExtRef intAddr=\"IN1\"/></Inputs></LN>"),
                   SmallScl("", "<LN lnClass=\"PTRC\" inst=\"1\" lnType=\"T0\"/>"),
                   {"/SCL/IED[name=A]/AccessPoint[name=S1]/Server/LDevice[inst=L]/LN[prefix=,lnClass=PTRC,inst=1] "
                    "@{urn:maker}slot: source \"3\", output (absent) (allowed: no elements or attributes of other "
                    "namespaces)",
                    "/SCL/IED[name=A]/AccessPoint[name=S1]/Server/LDevice[inst=L]/LN[prefix=,lnClass=PTRC,inst=1]/Inputs: "
                    "source (present), output (absent)"}},
        CompareRow{"Private elements, the IED's services and elements of another namespace are allowed; the "
                   "Communication of other IEDs is not compared",
                   "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\" xmlns:m=\"urn:maker\"><Communication><SubNetwork "
                   "name=\"N\"><ConnectedAP iedName=\"B\" apName=\"S1\"/></SubNetwork></Communication><IED name=\"A\">"
                   "<Private type=\"m:hw\">CPU1</Private><Services/><AccessPoint name=\"S1\"><Server><LDevice inst=\"L\">"
                   "<LN0 lnClass=\"LLN0\" inst=\"\" lnType=\"T0\"><m:Pos x=\"1\"/></LN0></LDevice></Server></AccessPoint>"
                   "</IED><DataTypeTemplates><LNodeType id=\"T0\" lnClass=\"LLN0\"><DO name=\"Mod\" type=\"D0\"/>"
                   "</LNodeType><DOType id=\"D0\" cdc=\"ENC\"><Private type=\"m:range\">0-9</Private><DA name=\"stVal\" "
                   "fc=\"ST\" bType=\"INT32\"/></DOType></DataTypeTemplates></SCL>",
                   SmallScl(""),
                   {"/SCL/IED[name=A]/Private[type=m:hw]: source (present), output (absent) (allowed: no Private elements)",
                    "/SCL/IED[name=A]/Services: source (present), output (absent) (allowed: no Services element of the "
                    "IED)",
                    kLn0 + "/{urn:maker}Pos: source (present), output (absent) (allowed: no elements or attributes of "
                           "other namespaces)",
                    "/SCL/DataTypeTemplates/DOType[id=D0]/Private[type=m:range]: source (present), output (absent) "
                    "(allowed: no Private elements)"}},
        CompareRow{"types: those in use by id, a changed member, an added type; unused ones not compared",
                   SmallScl("", "", "<DOType id=\"Unused\" cdc=\"SPS\"/>"),
                   "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\"><IED name=\"A\"><AccessPoint name=\"S1\"><Server>"
                   "<LDevice inst=\"L\"><LN0 lnClass=\"LLN0\" inst=\"\" lnType=\"T0\"/></LDevice></Server></AccessPoint>"
                   "</IED><DataTypeTemplates><DOType id=\"D0\" cdc=\"ENC\"><DA name=\"stVal\" fc=\"ST\" bType=\"INT8\"/>"
                   "</DOType><LNodeType id=\"T0\" lnClass=\"LLN0\"><DO name=\"Mod\" type=\"D0\"/></LNodeType>"
                   "<EnumType id=\"E\"/></DataTypeTemplates></SCL>",
                   {"/SCL/DataTypeTemplates/DOType[id=D0]/DA @bType: source \"INT32\", output \"INT8\"",
                    "/SCL/DataTypeTemplates/EnumType[id=E]: source (absent), output (present)"}},
        CompareRow{"a DO type's SDOs and DAs in another order across both kinds; a lost member named once",
                   SmallScl("", "<LN lnClass=\"MMXU\" inst=\"1\" lnType=\"T1\"/>",
                            "<LNodeType id=\"T1\" lnClass=\"MMXU\"><DO name=\"A\" type=\"W\"/></LNodeType>"
                            "<DOType id=\"W\" cdc=\"WYE\"><SDO name=\"phsA\" type=\"C\"/><DA name=\"angRef\" "
                            "fc=\"CF\" bType=\"INT8\"/><SDO name=\"neut\" type=\"C\"/><DA name=\"d\" fc=\"DC\" "
                            "bType=\"VisString255\"/></DOType><DOType id=\"C\" cdc=\"CMV\"/>"),
                   SmallScl("", "<LN lnClass=\"MMXU\" inst=\"1\" lnType=\"T1\"/>",
                            "<LNodeType id=\"T1\" lnClass=\"MMXU\"><DO name=\"A\" type=\"W\"/></LNodeType>"
                            "<DOType id=\"W\" cdc=\"WYE\"><DA name=\"angRef\" fc=\"CF\" bType=\"INT8\"/>"
                            "<SDO name=\"phsA\" type=\"C\"/><SDO name=\"neut\" type=\"C\"/></DOType>"
                            "<DOType id=\"C\" cdc=\"CMV\"/>"),
                   {"/SCL/DataTypeTemplates/DOType[id=W] #order: source \"SDO phsA, DA angRef, SDO neut\", output "
                    "\"DA angRef, SDO phsA, SDO neut\"",
                    "/SCL/DataTypeTemplates/DOType[id=W]/DA[2]: source (present), output (absent)"}},
        CompareRow{"the SCL namespace under a prefix, the writer's own attributes, a client's access point",
                   "<s:SCL xmlns:s=\"http://www.iec.ch/61850/2003/SCL\"><s:IED name=\"A\"><s:AccessPoint name=\"C1\">"
                   "<s:LN lnClass=\"IHMI\" inst=\"1\" lnType=\"T0\"/></s:AccessPoint><s:AccessPoint name=\"S1\"><s:Server>"
                   "<s:LDevice inst=\"L\"><s:LN0 lnClass=\"LLN0\" inst=\"\" lnType=\"T0\"><s:LogControl name=\"c\" "
                   "logName=\"L\"/></s:LN0></s:LDevice></s:Server></s:AccessPoint></s:IED></s:SCL>",
                   SmallScl("<LogControl xmlns:zScl=\"http://kiln.local/Zel/2007/zScl\" name=\"c\" logName=\"L\" "
                            "zScl:logName=\"\"/>"),
                   {"/SCL/IED[name=A]/AccessPoint[name=C1]: source (present), output (absent) (allowed: no logical node "
                    "directly under an access point)",
                    "/SCL/DataTypeTemplates/DOType[id=D0]: source (absent), output (present)"}},
        CompareRow{"inputs and clients naming the IED's own nodes follow its name",
                   SmallScl(kRcb + "<RptEnabled><ClientLN iedName=\"A\" ldInst=\"L\" lnClass=\"LLN0\"/></RptEnabled>"
                                   "</ReportControl><Inputs><ExtRef iedName=\"A\" ldInst=\"L\" lnClass=\"LLN0\" "
                                   "doName=\"Mod\"/><ExtRef iedName=\"B\" ldInst=\"L\" lnClass=\"LLN0\" "
                                   "doName=\"Mod\"/></Inputs>"),
                   std::regex_replace(SmallScl(kRcb + "<RptEnabled><ClientLN iedName=\"TEMPLATE\" ldInst=\"L\" "
                                                      "lnClass=\"LLN0\"/></RptEnabled></ReportControl><Inputs><ExtRef "
                                                      "iedName=\"TEMPLATE\" ldInst=\"L\" lnClass=\"LLN0\" "
                                                      "doName=\"Mod\"/><ExtRef iedName=\"TEMPLATE\" ldInst=\"L\" "
                                                      "lnClass=\"LLN0\" doName=\"Mod\"/></Inputs>"),
                                      std::regex("IED name=\"A\""), "IED name=\"TEMPLATE\""),
                   {"/SCL/IED[name=A] @name: source \"A\", output \"TEMPLATE\" (allowed: names the IED \"TEMPLATE\", "
                    "as an ICD does)",
                    kLn0 + "/Inputs/ExtRef[iedName=B,ldInst=L,prefix=,lnClass=LLN0,lnInst=,doName=Mod,daName=,"
                           "intAddr=]: source (present), output (absent)",
                    kLn0 + "/Inputs/ExtRef[iedName=A,ldInst=L,prefix=,lnClass=LLN0,lnInst=,doName=Mod,daName=,"
                           "intAddr=]: source (absent), output (present)"}},
        CompareRow{"an SDI with no DAI below may go, one with a DAI not; free text and protocol namespaces may go",
                   std::regex_replace(SmallScl("<Text>bay 1</Text><DOI name=\"Mod\"><SDI name=\"spare\"><SDI "
                                               "name=\"x\"/></SDI><SDI name=\"v\"><DAI name=\"a\"><Val>1</Val>"
                                               "</DAI></SDI></DOI>"),
                                      std::regex("bType=\"INT32\"/>"),
                                      "bType=\"INT32\"><ProtNs>IEC 61850-8-1:2003</ProtNs></DA>"),
                   SmallScl("<DOI name=\"Mod\"/>"),
                   {kLn0 + "/Text: source (present), output (absent) (allowed: no `Text` elements)",
                    kLn0 + "/DOI[name=Mod,ix=]/SDI[name=spare,ix=]: source (present), output (absent) (allowed: no SDI "
                           "with no DAI below it)",
                    kLn0 + "/DOI[name=Mod,ix=]/SDI[name=v,ix=]: source (present), output (absent)",
                    "/SCL/DataTypeTemplates/DOType[id=D0]/DA/ProtNs: source (present), output (absent) "
                    "(allowed: no `ProtNs` of a data attribute or data type)"}},
        CompareRow{"a control block's data set its node lacks may go, one it holds not",
                   SmallScl(kSet + kRcb + "</ReportControl><LogControl name=\"c\" datSet=\"gone\" logName=\"L\"/>"),
                   SmallScl(kSet + "<ReportControl name=\"r\" confRev=\"1\"/><LogControl name=\"c\" logName=\"L\"/>"),
                   {kLn0 + "/ReportControl[name=r] @datSet: source \"ds\", output (absent)",
                    kLn0 + "/LogControl[name=c] @datSet: source \"gone\", output (absent) (allowed: no `datSet` that "
                           "names no data set of its control block's node)"}},
        CompareRow{"a device's further Log may go, its first not",
                   SmallScl("<Log name=\"G\"/><Log name=\"H\"/>", "<LN lnClass=\"RDRE\" inst=\"1\" lnType=\"T0\">"
                                                                  "<Log name=\"F\"/></LN>"),
                   SmallScl("", "<LN lnClass=\"RDRE\" inst=\"1\" lnType=\"T0\"/>"),
                   {kLn0 + "/Log[name=G]: source (present), output (absent)",
                    kLn0 + "/Log[name=H]: source (present), output (absent) (allowed: keeps one `Log` of each logical "
                           "device)",
                    "/SCL/IED[name=A]/AccessPoint[name=S1]/Server/LDevice[inst=L]/LN[prefix=,lnClass=RDRE,inst=1]/"
                    "Log[name=F]: source (present), output (absent) (allowed: keeps one `Log` of each logical "
                    "device)"}},
        CompareRow{"an access point without a server may go, one with a server not",
                   SmallScl("").replace(SmallScl("").find("</IED>"), 0,
                                        "<AccessPoint name=\"A1\"><ServerAt apName=\"S1\"/></AccessPoint>"
                                        "<AccessPoint name=\"G1\"><Server/></AccessPoint>"),
                   SmallScl(""),
                   {"/SCL/IED[name=A]/AccessPoint[name=A1]: source (present), output (absent) (allowed: no access "
                    "point without a server)",
                    "/SCL/IED[name=A]/AccessPoint[name=G1]: source (present), output (absent)"}},
        CompareRow{"the IED taken is the first with a server",
                   "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\"><IED name=\"HMI\"><AccessPoint name=\"S1\"/></IED>"
                   "<IED name=\"B\" desc=\"b\"><AccessPoint name=\"S1\"><Server/></AccessPoint></IED></SCL>",
                   "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\"><IED name=\"HMI\"><AccessPoint name=\"S1\"/></IED>"
                   "</SCL>",
                   {"/SCL/IED[name=B] @desc: source \"b\", output \"\"",
                    "/SCL/IED[name=B] @name: source \"B\", output \"HMI\" (allowed: names the IED \"TEMPLATE\", as "
                    "an ICD does)",
                    "/SCL/IED[name=B]/AccessPoint[name=S1]/Server: source (present), output (absent)"}}));

// ---- what a file leaves out stays out, through import and export ----

// A small file of one IED "A" without configVersion, its device "L" (whose
// LN0 holds `ln0`, then `more`), further devices, and the templates `types`
// besides the LLN0 type "T0".
std::string SparseScl(const std::string& ln0, const std::string& more = "", const std::string& devices = "",
                      const std::string& types = "") {
    return "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\" version=\"2007\" revision=\"B\">"
           "<Header id=\"A\" nameStructure=\"IEDName\"/><IED name=\"A\" type=\"A-1\"><AccessPoint name=\"S1\">"
           "<Server><Authentication/><LDevice inst=\"L\"><LN0 lnClass=\"LLN0\" inst=\"\" lnType=\"T0\">" +
           ln0 + "</LN0>" + more + "</LDevice>" + devices +
           "</Server></AccessPoint></IED><DataTypeTemplates>"
           "<LNodeType id=\"T0\" lnClass=\"LLN0\"><DO name=\"Mod\" type=\"D0\"/></LNodeType>" + types +
           "<DOType id=\"D0\" cdc=\"INC\"><DA name=\"stVal\" fc=\"ST\" dchg=\"true\" bType=\"INT32\"/></DOType>"
           "</DataTypeTemplates></SCL>";
}

const std::string kDs = "<DataSet name=\"ds\"><FCDA ldInst=\"L\" lnClass=\"LLN0\" doName=\"Mod\" fc=\"ST\"/></DataSet>";
const std::string kBlockBody = "<TrgOps dchg=\"true\"/><OptFields seqNum=\"true\"/><RptEnabled max=\"2\"/>";

struct AbsenceRow {
    const char* what;
    std::string scl;
    // XPaths into the export, each with the values it selects (an
    // element's name, an attribute's value).
    std::vector<std::pair<std::string, std::vector<std::string>>> selects;
    std::vector<ReportEntry> report;  // entries the import report holds
};
void PrintTo(const AbsenceRow& row, std::ostream* os) { *os << row.what; }

class SclAbsenceTest : public SclFileTest, public ::testing::WithParamInterface<AbsenceRow> {};

TEST_P(SclAbsenceTest, WhatTheFileLeavesOutStaysOut) {
    const AbsenceRow& row = GetParam();
    const std::string source = (workspace / "source.icd").string();
    std::ofstream(source, std::ios::binary) << row.scl;
    const URI_Ref icd = ImportAnswering(source);
    ASSERT_TRUE(icd.IsSet());
    const std::vector<ReportEntry> report = SavedReport();
    for (const ReportEntry& e : row.report)
        EXPECT_NE(std::find(report.begin(), report.end(), e), report.end())
            << e << " not in " << ::testing::PrintToString(report);
    const std::string once = Export(icd, "once.icd");
    EXPECT_EQ(Lost(source, once), "");
    pugi::xml_document out;
    ASSERT_TRUE(out.load_file(once.c_str()));
    for (const auto& [path, values] : row.selects) {
        std::vector<std::string> got;
        for (const pugi::xpath_node& n : out.select_nodes(path.c_str()))
            got.push_back(n.attribute() ? n.attribute().value() : n.node().name());
        EXPECT_EQ(got, values) << path;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Items, SclAbsenceTest,
    ::testing::Values(
        AbsenceRow{"report blocks without rptID",
                   SparseScl(kDs + "<ReportControl name=\"r1\" datSet=\"ds\" confRev=\"1\">" + kBlockBody +
                             "</ReportControl><ReportControl name=\"r2\" datSet=\"ds\" confRev=\"1\">" + kBlockBody +
                             "</ReportControl>"),
                   {{"//ReportControl/@name", {"r1", "r2"}}, {"//ReportControl/@rptID", {}}},
                   {}},
        AbsenceRow{"control blocks without TrgOps",
                   SparseScl(kDs + "<ReportControl name=\"r\" rptID=\"A/r\" datSet=\"ds\" confRev=\"1\">"
                                   "<OptFields seqNum=\"true\"/><RptEnabled/></ReportControl>"
                                   "<LogControl name=\"c\" datSet=\"ds\" logName=\"G\"/><Log name=\"G\"/>"),
                   {{"//ReportControl/@name", {"r"}}, {"//TrgOps", {}}, {"//LogControl/@logName", {"G"}}},
                   {}},
        AbsenceRow{"inputs without intAddr",
                   SparseScl("", "<LN lnClass=\"GGIO\" inst=\"1\" lnType=\"T1\"><Inputs><ExtRef iedName=\"B\" "
                                 "ldInst=\"C\" lnClass=\"XCBR\" lnInst=\"1\" doName=\"Pos\" daName=\"stVal\"/>"
                                 "<ExtRef iedName=\"B\" ldInst=\"C\" lnClass=\"XCBR\" lnInst=\"1\" doName=\"Pos\" "
                                 "daName=\"q\"/></Inputs></LN>",
                             "", "<LNodeType id=\"T1\" lnClass=\"GGIO\"><DO name=\"Mod\" type=\"D0\"/></LNodeType>"),
                   {{"//ExtRef/@daName", {"stVal", "q"}}, {"//ExtRef/@intAddr", {}}},
                   {}},
        AbsenceRow{"a report block without confRev, a report client without ldInst",
                   SparseScl(kDs + "<ReportControl name=\"r\" rptID=\"A/r\" datSet=\"ds\"><TrgOps dchg=\"true\"/>"
                                   "<OptFields seqNum=\"true\"/><RptEnabled max=\"2\"><ClientLN iedName=\"HMI\" "
                                   "lnClass=\"IHMI\" lnInst=\"1\"/></RptEnabled></ReportControl>"),
                   {{"//ReportControl/@confRev", {}}, {"//ClientLN/@ldInst", {}}, {"//ClientLN/@iedName", {"HMI"}}},
                   {}},
        AbsenceRow{"an IED without configVersion, an authentication without attributes",
                   SparseScl(""),
                   {{"/SCL/IED/@type", {"A-1"}}, {"/SCL/IED/@configVersion", {}}, {"//Authentication/@*", {}}},
                   {}},
        AbsenceRow{"an IED without type",
                   std::regex_replace(SparseScl(""), std::regex(" type=\"A-1\""), ""),
                   {{"/SCL/IED/@type", {}}},
                   {}},
        AbsenceRow{"a first-edition nameless Log and a log control block naming the device",
                   std::regex_replace(SparseScl(kDs + "<LogControl name=\"c\" datSet=\"ds\" logName=\"L\">"
                                                      "<TrgOps dchg=\"true\"/></LogControl><Log/>"),
                                      std::regex(" version=\"2007\" revision=\"B\""), ""),
                   {{"//LN0/Log", {"Log"}}, {"//Log/@name", {}}, {"//LogControl/@logName", {"L"}}},
                   {}},
        AbsenceRow{"control blocks whose data set the node lacks",
                   SparseScl(kDs + "<ReportControl name=\"r\" rptID=\"A/r\" datSet=\"gone\" confRev=\"3\">" +
                             kBlockBody + "</ReportControl><LogControl name=\"c\" datSet=\"gone\" logName=\"G\" "
                                          "logEna=\"false\"><TrgOps dchg=\"true\"/></LogControl><Log name=\"G\"/>"),
                   {{"//ReportControl/@confRev", {"3"}},
                    {"//ReportControl/@datSet", {}},
                    {"//LogControl/@logEna", {"false"}},
                    {"//LogControl/@datSet", {}}},
                   {{"other_error", "错误：ICD文件: RCB:r", "未找到DataSet:gone"},
                    {"other_error", "错误：ICD文件: LCB:c", "未找到DataSet:gone"}}},
        AbsenceRow{"log control blocks naming a log in another device or node",
                   SparseScl(kDs + "<LogControl name=\"c1\" ldInst=\"R\" logName=\"G1\"/>"
                                   "<LogControl name=\"c2\" ldInst=\"D\" lnClass=\"RDRE\" lnInst=\"1\" "
                                   "logName=\"G2\"/><LogControl name=\"c3\" ldInst=\"M\" logName=\"G3\"/>",
                             "",
                             "<LDevice inst=\"R\"><LN0 lnClass=\"LLN0\" inst=\"\" lnType=\"T0\"><Log name=\"G1\"/>"
                             "</LN0></LDevice><LDevice inst=\"D\"><LN0 lnClass=\"LLN0\" inst=\"\" lnType=\"T0\"/>"
                             "<LN lnClass=\"RDRE\" inst=\"1\" lnType=\"T2\"><Log name=\"G2\"/></LN></LDevice>"
                             "<LDevice inst=\"M\"><LN0 lnClass=\"LLN0\" inst=\"\" lnType=\"T0\"/></LDevice>",
                             "<LNodeType id=\"T2\" lnClass=\"RDRE\"><DO name=\"Mod\" type=\"D0\"/></LNodeType>"),
                   {{"//LogControl[@name='c1']/@ldInst", {"R"}},
                    {"//LogControl[@name='c2']/@*", {"c2", "D", "RDRE", "1", "G2"}},
                    {"//LogControl[@name='c3']/@ldInst", {"M"}},
                    {"//LogControl[@name='c3']/@logName", {"G3"}}},
                   {}},
        AbsenceRow{"log control blocks naming a device's further Log, not kept, or a Log of no device",
                   SparseScl(kDs + "<LogControl name=\"c1\" datSet=\"ds\" logName=\"G\"/>"
                                   "<LogControl name=\"c2\" datSet=\"ds\" logName=\"H\"/>"
                                   "<LogControl name=\"c3\" datSet=\"ds\" logName=\"Gone\"/>"
                                   "<Log name=\"G\"/><Log name=\"H\" desc=\"second\"/><Log/>"),
                   {{"//LogControl/@logName", {"G", "H", "Gone"}}, {"//Log/@name", {"G"}}},
                   {{"other_error", "警告：ICD文件:  LDevice:L", "存在3个Log，只导入了第一个Log:G，未导入Log:H、Log"}}}));

// ---- the values the property view stores, through export and import ----

// Mod.stVal with values of setting groups 1 and 2, Beh.stVal with one
// value, Health.stVal without any, a DA with a value, a structure whose BDAs
// have one value or none; `sgcb` at the LN0's end.
std::string ValueScl(const std::string& sgcb = "") {
    std::string scl = SparseScl("<DOI name=\"Mod\"><DAI name=\"stVal\"><Val sGroup=\"1\">1</Val><Val sGroup=\"2\">2</Val>"
                                "</DAI></DOI><DOI name=\"Beh\"><DAI name=\"stVal\"><Val>5</Val></DAI></DOI>"
                                "<DOI name=\"Health\"><DAI name=\"stVal\" sAddr=\"h\"/></DOI>" + sgcb);
    auto swap = [&](const std::string& from, const std::string& to) { scl.replace(scl.find(from), from.size(), to); };
    swap("<DO name=\"Mod\" type=\"D0\"/>",
         "<DO name=\"Mod\" type=\"D0\"/><DO name=\"Beh\" type=\"D0\"/><DO name=\"Health\" type=\"D0\"/>");
    swap("</DOType>", "<DA name=\"ctlModel\" fc=\"CF\" bType=\"INT32\"><Val>1</Val></DA><DA name=\"origin\" fc=\"ST\" "
                      "bType=\"Struct\" type=\"V_Or\"/></DOType><DAType id=\"V_Or\"><BDA name=\"orCat\" bType=\"INT32\">"
                      "<Val>3</Val></BDA><BDA name=\"orIdent\" bType=\"INT32\"/></DAType>");
    return scl;
}

struct ValueRow {
    const char* what;
    std::string scl;  // the file's text, or the name of a test file
    // The user's steps: "edit AT FIELD VALUE" in the property view (stored
    // as the host stores it; a node's LN type by its id), "add AT" ("增加
    // 预设值"), "delete AT" ("删除 预设值") or "check" ("检查 ICD"). AT:
    // "<DOI>/<DAI>" (the first of the ICD), "<DO type>/<DA>", "<DA type>/<BDA>",
    // "SGCB" or a node's name, and "#k" for its k-th value; "ExtRef:NAME" or
    // "ClientLN:" (the first report client).
    std::vector<std::string> steps;
    std::vector<std::pair<std::string, std::vector<std::string>>> selects;  // XPath: texts or attribute values
    std::vector<std::string> said = {};  // texts the messages hold, the export's and the check report's included
};
void PrintTo(const ValueRow& row, std::ostream* os) { *os << row.what; }

class SclValueTest : public SclFileTest, public ::testing::WithParamInterface<ValueRow> {
protected:
    // The first resource along the path whose name (without "[FC]") is `name`; "" takes any.
    URI_Ref Named(const URI_Ref& from, const std::string& path, const std::string& name, size_t skip = 0) {
        std::vector<URI_Ref> all;
        URI_Ref last;
        if (from.IsSet()) app.DocMtd_get_descendent_BUris(from, path.c_str(), all, last, "e301:OrdNaming.ord", SortPolicy_ByOrd);
        for (const URI_Ref& r : all) {
            const std::string n = Get(r, "cim:Naming.name").str();
            if ((name.empty() || n.substr(0, n.find('[')) == name) && skip-- == 0) return r;
        }
        return URI_Ref();
    }
    URI_Ref Find(const URI_Ref& icd, const std::string& at) {
        const std::string ied = "sec:ICD.IED/sec:IED.Servers/sec:Server.LDevices/sec:LDevice.LNodes/";
        if (at == "SGCB") return Named(icd, ied + "sec:LNode.SGCB", "");
        for (const auto& [kind, path] : {std::pair<std::string, std::string>{"ExtRef:", "sec:LNode.ExtRefs"},
                                         {"ClientLN:", "sec:LNode.RCBs/sec:RCB.ClientLNs"}})
            if (at.rfind(kind, 0) == 0) return Named(icd, ied + path, at.substr(kind.size()));
        if (at.find('/') == std::string::npos) return Named(icd, ied.substr(0, ied.size() - 1), at);
        const size_t slash = at.find('/'), hash = at.find('#');
        const std::string parent = at.substr(0, slash), member = at.substr(slash + 1, hash - slash - 1);
        URI_Ref found = Named(Named(icd, ied + "sec:LNode.DOIs", parent), "sec:DOI.DAIs", member);
        if (found.IsEmpty())
            found = Named(Named(icd, "sec:ICD.TypePackage/sec:TypePackage.DOTypes", parent), "sec:DOType.Contains_DAs", member);
        if (found.IsEmpty())
            found = Named(Named(icd, "sec:ICD.TypePackage/sec:TypePackage.DATypes", parent), "sec:DAType.Contains_BDAs", member);
        if (hash == std::string::npos) return found;
        return Named(found, found.sClass == "sec:DAI" ? "sec:DAI.Vals" : "sec:BDA.Vals", "", std::stoul(at.substr(hash + 1)) - 1);
    }
};

// Each value the property view stores is in the export, the export read
// back gives the same file, and what the view refuses stays as it was.
TEST_P(SclValueTest, WhatTheViewStoresIsWrittenAndReadBack) {
    const ValueRow& row = GetParam();
    std::string source = (kDataDir / row.scl).string();
    if (row.scl.rfind("<SCL", 0) == 0) std::ofstream(source = (workspace / "source.icd").string(), std::ios::binary) << row.scl;
    const URI_Ref icd = ImportAnswering(source);
    ASSERT_TRUE(icd.IsSet());
    ui.ClearCalls();
    std::string said;
    for (const std::string& step : row.steps) {
        std::istringstream words(step);
        std::string kind, at, field, value;
        words >> kind >> at >> field >> value;
        if (kind == "check") {
            ui.AnswerNo("$?$导入完成");
            app.m_uCurRsc = icd;
            app.Msg_OnAppCommand("ICD:Check ICD");
            for (const ReportEntry& e : SavedReport()) said += e.name.str() + " " + e.error.str() + "\n";
            continue;
        }
        const URI_Ref rsc = Find(icd, at);
        ASSERT_TRUE(rsc.IsSet()) << step;
        if (field == "sec:LNode.LNodeType")
            value = Named(icd, "sec:ICD.TypePackage/sec:TypePackage.LNodeTypes", value).sUri;
        CString stored = value.c_str();
        if (kind == "edit" && app.HtmlMsg_OnFieldChanged(nullptr, rsc, field.c_str(), Get(rsc, field.c_str()), stored, nullptr, nullptr))
            app.DocMtd_Modify_attribute_value(rsc, field.c_str(), stored);
        if (kind == "delete") ui.AnswerYes("删除");
        app.m_uCurRsc = rsc;
        if (kind != "edit") app.Msg_OnAppCommand(kind == "add" ? "ICD:Add Val" : "ICD:Delete");
    }
    const std::string once = Export(icd, "once.icd");
    for (const CString& m : ui.Messages()) said += m.str() + "\n";
    for (const std::string& text : row.said) EXPECT_NE(said.find(text), std::string::npos) << text << " not in\n" << said;
    pugi::xml_document out;
    ASSERT_TRUE(out.load_file(once.c_str()));
    for (const auto& [path, values] : row.selects) {
        std::vector<std::string> got;
        for (const pugi::xpath_node& n : out.select_nodes(path.c_str()))
            got.push_back(n.attribute() ? n.attribute().value() : n.node().text().get());
        EXPECT_EQ(got, values) << path;
    }
    const URI_Ref second = ImportAnswering(once);
    ASSERT_TRUE(second.IsSet());
    EXPECT_EQ(FirstDifferentLine(ReadBytes(once), ReadBytes(Export(second, "twice.icd"))), "");
}

const std::string kModVals = "//DOI[@name='Mod']/DAI/Val", kRecVals = "//DOI[@name='RecTmms']/DAI/Val";
INSTANTIATE_TEST_SUITE_P(
    Values, SclValueTest,
    ::testing::Values(
        ValueRow{"values edited on a DAI, a value and a DA, added and edited on a DAI and a DA, a BDA's",
                 ValueScl(),
                 {"edit Mod/stVal#1 sec:Val.sValue 7", "edit Mod/stVal#2 sec:Val.sValue 8", "add Mod/stVal",
                  "edit Mod/stVal#3 sec:Val.sGroup 3", "edit Mod/stVal#3 sec:Val.sValue 9",
                  "edit Beh/stVal sec:DAI.valueStr 4", "add Health/stVal", "edit Health/stVal#1 sec:Val.sValue 12",
                  "edit D0/ctlModel sec:BDA.valueStr 2", "add D0/stVal", "edit D0/stVal#1 sec:Val.sValue 6",
                  "edit V_Or/orCat sec:BDA.valueStr 4", "edit V_Or/orIdent sec:BDA.valueStr 5"},
                 {{kModVals, {"7", "8", "9"}}, {kModVals + "/@sGroup", {"1", "2", "3"}},
                  {"//DOI[@name='Beh']/DAI/Val", {"4"}}, {"//DOI[@name='Health']/DAI/Val", {"12"}},
                  {"//DA[@name='ctlModel']/Val", {"2"}}, {"//DA[@name='stVal']/Val", {"6"}},
                  {"//BDA[@name='orCat']/Val", {"4"}}, {"//BDA[@name='orIdent']/Val", {"5"}}}},
        ValueRow{"values deleted: a DAI's first, a DAI's and a DA's only one",
                 ValueScl(),
                 {"delete Mod/stVal#1", "delete Beh/stVal#1", "delete D0/ctlModel#1"},
                 {{kModVals, {"2"}}, {kModVals + "/@sGroup", {"2"}}, {"//DOI[@name='Beh']/DAI/Val", {}},
                  {"//DA[@name='ctlModel']/Val", {}}}},
        ValueRow{"test file: setting groups edited, more groups, a value added in one, fewer groups refused",
                 "ed1_2003_recloser_controller_odd_enums.icd",
                 {"edit RecTmms/setVal#1 sec:Val.sValue 2100", "edit RecTmms/setVal#2 sec:Val.sValue 700",
                  "edit SGCB sec:SGCB.numOfSG 4", "edit SGCB sec:SGCB.activeSG 3", "add RecTmms/setVal",
                  "edit RecTmms/setVal#3 sec:Val.sGroup 3", "edit RecTmms/setVal#3 sec:Val.sValue 900",
                  "edit SGCB sec:SGCB.numOfSG 2"},
                 {{kRecVals, {"2100", "700", "900"}}, {kRecVals + "/@sGroup", {"1", "2", "3"}},
                  {"//LDevice[@inst='CTRL']//SettingControl/@numOfSGs", {"4"}},
                  {"//LDevice[@inst='CTRL']//SettingControl/@actSG", {"3"}}},
                 {"定值组数不能小于激活定值组（3），不能修改！"}},
        ValueRow{"test file: a name plate's first value",
                 "distance_relay_settings.icd",
                 {"edit NamPlt/vendor#1 sec:Val.sValue NewVendor"},
                 {{"//LDevice[@inst='PROT']/LN0/DOI[@name='NamPlt']/DAI[@name='vendor']/Val", {"NewVendor"}}}},
        ValueRow{"test file: an enumerated DA's value",
                 "ed2_bay_controller.icd",
                 {"edit SPC$V1/ctlModel sec:BDA.valueStr direct-with-normal-security"},
                 {{"//DOType[@id='SPC$V1']/DA[@name='ctlModel']/Val", {"direct-with-normal-security"}}}},
        ValueRow{"setting groups: the view keeps the active group and the values within the count",
                 ValueScl("<SettingControl actSG=\"2\" numOfSGs=\"3\"/>"),
                 {"edit Mod/stVal#2 sec:Val.sGroup 4", "edit Mod/stVal#2 sec:Val.sGroup 3",
                  "edit Mod/stVal#2 sec:Val.sGroup 0", "edit SGCB sec:SGCB.activeSG 4", "edit SGCB sec:SGCB.activeSG 1",
                  "edit SGCB sec:SGCB.activeSG 0", "edit SGCB sec:SGCB.numOfSG 2"},
                 {{kModVals + "/@sGroup", {"1", "3"}}, {"//SettingControl/@actSG", {"1"}},
                  {"//SettingControl/@numOfSGs", {"3"}}},
                 {"定值组不能大于定值组数（3），不能修改！", "激活定值组不能大于定值组数（3），不能修改！",
                  "逻辑装置中有定值组3的预设值，定值组数不能小于它，不能修改！", "定值组不能小于1，不能修改！",
                  "激活定值组不能小于1，不能修改！"}},
        ValueRow{"values added and given no text: a BOOLEAN's and an Enum's are named",
                 "ed1_2003_recloser_controller_odd_enums.icd",
                 {"add RC_ACT/general", "add RC_DPC/ctlModel"},
                 {{"//DOType[@id='RC_ACT']/DA[@name='general']/Val", {""}}},
                 {"不符合SCL的值（BOOLEAN取值错误）：RC_ACT.general:\n", "不符合SCL的值（Enum取值错误）：RC_DPC.ctlModel:\n"}},
        ValueRow{"setting groups: a file's active group and values past the count are named",
                 ValueScl("<SettingControl actSG=\"3\" numOfSGs=\"1\"/>"),
                 {},
                 {{"//SettingControl/@actSG", {"1"}}, {kModVals + "/@sGroup", {"1", "2"}}},
                 {"未导出定值控制块的激活定值组（超出定值组数1）：L/LLN0.SGCB:3",
                  "不符合SCL的DAI（sGroup超出numOfSGs）：L/LLN0.Mod.stVal:2"}},
        ValueRow{"setting groups: a file's value of group 0 is named",
                 std::regex_replace(ValueScl("<SettingControl actSG=\"1\" numOfSGs=\"2\"/>"),
                                    std::regex("sGroup=\"1\""), "sGroup=\"0\""),
                 {},
                 {{kModVals + "/@sGroup", {"0", "2"}}},
                 {"不符合SCL的DAI（sGroup小于1）：L/LLN0.Mod.stVal:0"}},
        ValueRow{"a node given a type without the DO a data-set member and an input name",
                 SparseScl("<DataSet name=\"ds\"><FCDA ldInst=\"L\" lnClass=\"LLN0\" doName=\"Mod\" fc=\"ST\"/>"
                           "<FCDA ldInst=\"L\" lnClass=\"PTOC\" lnInst=\"1\" doName=\"StrVal\" fc=\"SG\"/>"
                           "</DataSet><Inputs><ExtRef iedName=\"A\" ldInst=\"L\" lnClass=\"PTOC\" lnInst=\"1\" "
                           "doName=\"StrVal\" daName=\"setMag.f\" intAddr=\"in1\"/></Inputs>",
                           "<LN lnClass=\"PTOC\" inst=\"1\" lnType=\"T1\"/>", "",
                           "<LNodeType id=\"T1\" lnClass=\"PTOC\"><DO name=\"Mod\" type=\"D0\"/>"
                           "<DO name=\"StrVal\" type=\"D2\"/></LNodeType><LNodeType id=\"T2\" lnClass=\"PTOC\">"
                           "<DO name=\"Mod\" type=\"D0\"/></LNodeType><DOType id=\"D2\" cdc=\"ASG\"><DA "
                           "name=\"setMag\" fc=\"SG\" bType=\"Struct\" type=\"V_AV\"/></DOType><DAType id=\"V_AV\">"
                           "<BDA name=\"f\" bType=\"FLOAT32\"/></DAType>"),
                 {"edit PTOC1 sec:LNode.LNodeType T2"},
                 {{"//FCDA/@doName", {"Mod"}}, {"//ExtRef/@*", {"in1"}}},
                 {"未导出数据集成员（LN类型中没有该DO）：L/LLN0.ds:L/PTOC1.StrVal",
                  "未导出外部输入量的源（LN类型中没有该DO）：L/LLN0.in1:StrVal.setMag.f"}},
        ValueRow{"a node given a type whose DO lacks the attribute a data-set member and an input name",
                 SparseScl("<DataSet name=\"ds\"><FCDA ldInst=\"L\" lnClass=\"LLN0\" doName=\"Mod\" fc=\"ST\"/>"
                           "<FCDA ldInst=\"L\" lnClass=\"PTOC\" lnInst=\"1\" doName=\"StrVal\" daName=\"setMag\" "
                           "fc=\"SG\"/></DataSet><Inputs><ExtRef iedName=\"A\" ldInst=\"L\" lnClass=\"PTOC\" "
                           "lnInst=\"1\" doName=\"StrVal\" daName=\"setMag.f\" intAddr=\"in1\"/></Inputs>",
                           "<LN lnClass=\"PTOC\" inst=\"1\" lnType=\"T1\"/>", "",
                           "<LNodeType id=\"T1\" lnClass=\"PTOC\"><DO name=\"StrVal\" type=\"D2\"/></LNodeType>"
                           "<LNodeType id=\"T2\" lnClass=\"PTOC\"><DO name=\"StrVal\" type=\"D0\"/></LNodeType>"
                           "<DOType id=\"D2\" cdc=\"ASG\"><DA name=\"setMag\" fc=\"SG\" bType=\"Struct\" "
                           "type=\"V_AV\"/></DOType><DAType id=\"V_AV\"><BDA name=\"f\" bType=\"FLOAT32\"/></DAType>"),
                 {"edit PTOC1 sec:LNode.LNodeType T2", "check"},
                 {{"//FCDA/@doName", {"Mod"}}, {"//ExtRef/@*", {"in1"}}},
                 {"未导出数据集成员（DO类型中没有该DA）：L/LLN0.ds:L/PTOC1.StrVal.setMag",
                  "未导出外部输入量的源（DO类型中没有该DA）：L/LLN0.in1:StrVal.setMag.f",
                  "T2/StrVal.setMag lnType下按此路径找不到此DO或DA"}},
        ValueRow{"a data-set member and an input naming an element past its array's count",
                 SparseScl("<DataSet name=\"ds\"><FCDA ldInst=\"L\" lnClass=\"MHAI\" lnInst=\"1\" doName=\"HA\" "
                           "daName=\"phsAHar(15).cVal\" fc=\"MX\"/><FCDA ldInst=\"L\" lnClass=\"MHAI\" lnInst=\"1\" "
                           "doName=\"HA.phsAHar(16)\" fc=\"MX\"/></DataSet><Inputs><ExtRef iedName=\"A\" ldInst=\"L\" "
                           "lnClass=\"MHAI\" lnInst=\"1\" doName=\"HA\" daName=\"phsAHar(16).cVal.f\" intAddr=\"in1\"/>"
                           "</Inputs>",
                           "<LN lnClass=\"MHAI\" inst=\"1\" lnType=\"T5\"/>", "",
                           "<LNodeType id=\"T5\" lnClass=\"MHAI\"><DO name=\"HA\" type=\"D5\"/></LNodeType>"
                           "<DOType id=\"D5\" cdc=\"HWYE\"><SDO name=\"phsAHar\" type=\"D6\" count=\"16\"/></DOType>"
                           "<DOType id=\"D6\" cdc=\"CMV\"><DA name=\"cVal\" fc=\"MX\" bType=\"Struct\" "
                           "type=\"V_AV\"/></DOType><DAType id=\"V_AV\"><BDA name=\"f\" bType=\"FLOAT32\"/></DAType>"),
                 {"check"},
                 {{"//FCDA/@daName", {"phsAHar(15).cVal"}}, {"//ExtRef/@*", {"in1"}}},
                 {"未导出数据集成员（DO类型中没有该数组元素）：L/LLN0.ds:L/MHAI1.HA.phsAHar(16)",
                  "未导出外部输入量的源（DO类型中没有该数组元素）：L/LLN0.in1:HA.phsAHar(16).cVal.f",
                  "T5/HA.phsAHar(16) lnType下按此路径找不到此DO或DA", "T5/HA.phsAHar(16).cVal.f lnType下按此路径找不到此DO或DA"}},
        ValueRow{"a maker's node given a type whose DO lacks an attribute a DAI holds",
                 SparseScl("", "<LN prefix=\"PV\" lnClass=\"LPDI\" inst=\"1\" lnType=\"T3\"><DOI name=\"Beh\">"
                               "<DAI name=\"stVal\"><Val>1</Val></DAI><DAI name=\"d\"><Val>x</Val></DAI></DOI></LN>",
                           "",
                           "<LNodeType id=\"T3\" lnClass=\"LPDI\"><DO name=\"Beh\" type=\"D3\"/></LNodeType>"
                           "<LNodeType id=\"T4\" lnClass=\"GGIO\"><DO name=\"Beh\" type=\"D0\"/></LNodeType>"
                           "<DOType id=\"D3\" cdc=\"ENS\"><DA name=\"stVal\" fc=\"ST\" bType=\"INT32\"/>"
                           "<DA name=\"d\" fc=\"DC\" bType=\"VisString255\"/></DOType>"),
                 {"edit PVLPDI1 sec:LNode.LNodeType T4", "check"},
                 {{"//LN[@lnClass='GGIO']/DOI[@name='Beh']/DAI/@name", {"stVal"}}},
                 {"未导出DAI（DO类型中没有该DA）：L/PVGGIO1.Beh.d", "PVGGIO1的DOI: Beh的DAI: d[DC] DO类型中按此路径找不到此DA"}},
        // Named by the model's name of the IED, the file's, "@"; another IED's as it was read.
        ValueRow{"inputs, a report client and a log block naming this IED's LLN0 with a prefix and an instance",
                 SparseScl(kDs + "<ReportControl name=\"r\" datSet=\"ds\" confRev=\"1\"><TrgOps dchg=\"true\"/>"
                           "<OptFields/><RptEnabled max=\"2\"><ClientLN iedName=\"A\" ldInst=\"L9\" prefix=\"Zq\" "
                           "lnClass=\"LLN0\" lnInst=\"1\"/></RptEnabled></ReportControl><LogControl name=\"c\" "
                           "datSet=\"ds\" prefix=\"Zq\" lnInst=\"1\" logName=\"L\"/><Inputs><ExtRef iedName=\"A\" "
                           "ldInst=\"L9\" prefix=\"Zq\" lnClass=\"LLN0\" lnInst=\"1\" doName=\"Mod\" "
                           "intAddr=\"in1\"/><ExtRef iedName=\"@\" ldInst=\"L\" prefix=\"Zq\" lnClass=\"LLN0\" "
                           "lnInst=\"1\" intAddr=\"in2\"/><ExtRef iedName=\"B\" ldInst=\"L\" prefix=\"Zq\" "
                           "lnClass=\"LLN0\" lnInst=\"1\" intAddr=\"in3\"/></Inputs>"),
                 {"edit ExtRef:in1 sec:ExtRef.ldInst L", "edit ClientLN: sec:ClientLN.ldInst L",
                  "edit ClientLN: sec:ClientLN.iedName TEMPLATE"},
                 {{"//ExtRef/@*",
                   {"A", "L", "LLN0", "Mod", "in1", "@", "L", "LLN0", "in2", "B", "L", "Zq", "LLN0", "1", "in3"}},
                  {"//ClientLN/@*", {"TEMPLATE", "L", "LLN0", ""}},
                  {"//LogControl/@prefix|//LogControl/@lnInst", {}}}}));

// The allowed losses are the README's own words, so that the table and the
// README's list go together.
TEST(SclCompareTable, EveryAllowedLossIsNamedInTheReadme) {
    std::string readme = ReadBytes((fs::path(KILN_SOURCE_DIR) / "README.md").string());
    readme = std::regex_replace(readme, std::regex("\\s+"), " ");
    for (const AllowedLoss& row : AllowedLosses())
        EXPECT_NE(readme.find(row.readme), std::string::npos) << row.element << " " << row.attribute << ": " << row.readme;
}

// What an import report entry naming a loss holds, taken from the loss's
// path, a namespace with its slashes included.
TEST(SclCompareTable, ReportWordsOfALossNameItsKindAndWhatTellsItApart) {
    const std::string ln0 = "/SCL/IED[name=A]/AccessPoint[name=S1]/Server/LDevice[inst=L]/LN0";
    const struct {
        TreeDifference loss;
        std::vector<std::string> words;
    } rows[] = {
        {{ln0 + "/GSEControl[name=g]", "", "(present)", "(absent)", "x"}, {"GSEControl", "g"}},
        {{ln0 + "/{http://x.example/a/b}Pos[2]", "", "(present)", "(absent)", "x"}, {"Pos", "http://x.example/a/b"}},
        {{"/SCL/IED[name=A]/Private[type=m:hw]", "", "(present)", "(absent)", "x"}, {"Private", "m:hw"}},
        {{ln0 + "/DOI[name=Mod,ix=]", "", "(present)", "(absent)", "x"}, {"DOI", "Mod"}},
        {{ln0 + "/Inputs/ExtRef[iedName=B,ldInst=L,intAddr=IN1]", "pLN", "\"XCBR\"", "(absent)", "x"},
         {"ExtRef", "pLN"}},
        {{ln0, "{urn:maker}slot", "\"3\"", "(absent)", "x"}, {"LN0", "slot", "urn:maker"}},
        {{"/SCL/Communication", "", "(present)", "(absent)", "x"}, {"Communication"}},
        {{ln0 + "/ReportControl[name=r]", "datSet", "\"gone\"", "(absent)", "x"}, {"r", "DataSet:gone"}},
        {{ln0 + "/Log[name=H]", "", "(present)", "(absent)", "x"}, {"Log", "H"}},
    };
    for (const auto& row : rows) EXPECT_EQ(ReportWordsOf(row.loss), row.words) << row.loss;
}

// ---- every field the property view offers, through the ICD export ----

// A field of a class's page, an attribute or a link: `value` typed, or a
// list row's text; the edit must make `xpath` select more nodes in the next
// export than in the one before ("!xpath" fewer; "" the file changes when
// the field does), or be refused saying `said` ("" for a field the view
// does not offer). `at` names the resource when not the class's first ("#n"
// the class's n-th, from 0). `file` names the export that writes the
// element: the MICS document beside the ICD, the ICD's type package file,
// its information table or its mapping.
struct FieldRow {
    const char* cls;
    const char* field;
    const char* at;
    const char* value;
    const char* xpath;
    const char* said = nullptr;
    const char* file = nullptr;  // "mics", "types", "itb" or "m2i" where not the ICD's
};

const FieldRow kFieldRows[] = {
    {"sec:BDA", "cim:Naming.description", "", "V1", "//BDA[@desc='V1']", nullptr},
    {"sec:BDA", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:BDA", "e301:OrdNaming.ord", "ctlVal", "3", ""},
    {"sec:BDA", "sec:BDA.SemanticNs", "", "X", nullptr, ""},
    {"sec:BDA", "sec:BDA.bType", "", "#1", "//BDA[@bType='INT8']", nullptr},
    {"sec:BDA", "sec:BDA.count", "", "46", "//BDA[@count='46']", nullptr},
    {"sec:BDA", "sec:BDA.presence", "", "X", nullptr, ""},
    {"sec:BDA", "sec:BDA.sAddr", "", "V8", "//BDA[@sAddr='V8']", nullptr},
    {"sec:BDA", "sec:BDA.valImport", "", "否", "//BDA[@valImport='false']", nullptr},
    {"sec:BDA", "sec:BDA.valKind", "", "#1", "//BDA[@valKind='Conf']", nullptr},
    {"sec:BDA", "sec:BDA.valueDesc", "", "X", nullptr, ""},
    {"sec:BDA", "sec:BDA.valueStr", "", "15", "//BDA[@name='f']/Val[text()='15']"},
    {"sec:ClientLN", "cim:Naming.description", "", "V13", "//ClientLN[@desc='V13']", nullptr},
    {"sec:ClientLN", "cim:Naming.name", "", "X", nullptr, ""},
    {"sec:ClientLN", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:ClientLN", "e301:OrdNaming.ord", "", "56", ""},
    {"sec:ClientLN", "sec:ClientLN.apRef", "", "V17", "//ClientLN[@apRef='V17']", nullptr},
    {"sec:ClientLN", "sec:ClientLN.iedName", "", "V18", "//ClientLN[@iedName='V18']", nullptr},
    {"sec:ClientLN", "sec:ClientLN.ldInst", "", "V19", "//ClientLN[@ldInst='V19']", nullptr},
    {"sec:ClientLN", "sec:ClientLN.lnClass", "", "IHMI", "//ClientLN[@lnClass='IHMI']"},
    {"sec:ClientLN", "sec:ClientLN.lnInst", "", "2", "//ClientLN[@lnInst='2']"},
    {"sec:ClientLN", "sec:ClientLN.prefix", "", "V22", "//ClientLN[@prefix='V22']", nullptr},
    {"sec:ClientLN", "sec:ClientLN.LNode", "", "CTRL/[Q0]CSWI[1](断路器控制)", "//ClientLN[@lnClass='CSWI']"},
    {"sec:DA", "cim:Naming.description", "", "V23", "//DA[@desc='V23']", nullptr},
    {"sec:DA", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:DA", "e301:OrdNaming.ord", "", "65", "", nullptr},
    {"sec:DA", "sec:BDA.SemanticNs", "stVal", "V26", nullptr, ""},
    {"sec:DA", "sec:BDA.bType", "sboTimeout", "#1", "//DA[@name='sboTimeout' and @bType='INT8']"},
    {"sec:DA", "sec:BDA.count", "", "68", "//DA[@count='68']", nullptr},
    {"sec:DA", "sec:BDA.presence", "", "#1", "//DA[@presence='C']", nullptr, "mics"},
    {"sec:DA", "sec:BDA.sAddr", "", "V30", "//DA[@sAddr='V30']", nullptr},
    {"sec:DA", "sec:BDA.valImport", "", "否", "//DA[@valImport='false']", nullptr},
    {"sec:DA", "sec:BDA.valKind", "", "#1", "//DA[@valKind='Conf']", nullptr},
    {"sec:DA", "sec:BDA.valueDesc", "", "X", nullptr, ""},
    {"sec:DA", "sec:BDA.valueStr", "ctlModel", "direct-with-normal-security", "//DA[@name='ctlModel']/Val[text()='direct-with-normal-security']"},
    {"sec:DA", "sec:DA.trgOp", "", "#1", "//DA[@dupd='true']", nullptr},
    {"sec:DAI", "cim:Naming.description", "", "V36", "//DAI[@desc='V36']", nullptr},
    {"sec:DAI", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:DAI", "e301:OrdNaming.ord", "sboTimeout[CF]", "1", ""},
    {"sec:DAI", "sec:DAI.daType", "", "X", nullptr, ""},
    {"sec:DAI", "sec:DAI.ix", "", "3", "//DAI[@ix='3']"},
    {"sec:DAI", "sec:DAI.sAddr", "", "V41", "//DAI[@sAddr='V41']", nullptr},
    {"sec:DAI", "sec:DAI.sdiDesc", "mag[MX].f", "V42", "//SDI[@desc='V42']"},
    {"sec:DAI", "sec:DAI.sdiIx", "mag[MX].f", "5", "//SDI[@ix='5']"},
    {"sec:DAI", "sec:DAI.sdiSAddr", "mag[MX].f", "V44", "//SDI[@sAddr='V44']"},
    {"sec:DAI", "sec:DAI.sdiIx", "mag[MX].f", "+5", nullptr, "ix必须是0到4294967295之间的整数！"},
    {"sec:DAI", "sec:DAI.sdiIx", "mag[MX].f", "5.6", nullptr, "DAI: mag[MX].f在1层SDI下，sdiIx不能多于1段，不能修改！"},
    {"sec:DAI", "sec:DAI.sdiDesc", "mag[MX].f", "V42\nV43", nullptr, "sdiDesc不能多于1行，不能修改！"},
    // Two DAIs of one SDI: the one edited last gives its description.
    {"sec:DAI", "sec:DAI.sdiDesc", "units[CF].SIUnit", "V45", "//SDI[@desc='V45']"},
    {"sec:DAI", "sec:DAI.sdiDesc", "units[CF].multiplier", "V46", "//SDI[@desc='V46']"},
    // A DAI that stands in no SDI.
    {"sec:DAI", "sec:DAI.sdiIx", "", "5", nullptr, ""},
    {"sec:DAI", "sec:DAI.sdiDesc", "", "V42", nullptr, ""},
    {"sec:DAI", "sec:DAI.sdiSAddr", "", "V44", nullptr, ""},
    {"sec:DAI", "sec:DAI.valImport", "", "否", "//DAI[@valImport='false']", nullptr},
    {"sec:DAI", "sec:DAI.valKind", "", "#1", "//DAI[@valKind='Conf']", nullptr},
    {"sec:DAI", "sec:DAI.valueDesc", "", "X", nullptr, ""},
    {"sec:DAI", "sec:DAI.valueStr", "", "direct-with-normal-security", "//DAI[@name='ctlModel']/Val[text()='direct-with-normal-security']"},
    {"sec:DAType", "cim:Naming.description", "", "V49", "//DAType[@desc='V49']", nullptr},
    {"sec:DAType", "cim:Naming.name", "", "V50", "//DA[@type='V50']", nullptr},
    {"sec:DAType", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:DAType", "e301:OrdNaming.ord", "", "3", "", nullptr, "types"},
    {"sec:DAType", "sec:DAType.iedType", "", "V53", "//DAType[@iedType='V53']", nullptr},
    {"sec:DAType", "sec:DAType.isInstType", "", "X", nullptr, ""},
    {"sec:DO", "cim:Naming.description", "", "V55", "//DO[@desc='V55']", nullptr},
    {"sec:DO", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:DO", "e301:OrdNaming.ord", "", "97", "", nullptr},
    {"sec:DO", "sec:DO.SemanticDesc", "", "X", nullptr, ""},
    {"sec:DO", "sec:DO.SemanticNs", "Health", "V59", nullptr, ""},
    {"sec:DO", "sec:DO.accessControl", "", "V60", "//DO[@accessControl='V60']", nullptr},
    {"sec:DO", "sec:DO.derivate", "", "X", nullptr, ""},
    {"sec:DO", "sec:DO.presence", "", "#2", "//DO[@presence='O']", nullptr, "mics"},
    {"sec:DO", "sec:DO.transient", "", "否", "//DO[@transient='false']", nullptr},
    {"sec:DO", "sec:DO.DefinedBy_DOType", "Beh", "ENS$Health$V1  (_新导入_模板类包)", "//DO[@name='Beh' and @type='ENS$Health$V1']"},
    {"sec:DOSemantic", "cim:Naming.name", "", "OpX", nullptr, ""},
    {"sec:DOSemantic", "cim:Naming.description", "", "动作语义", nullptr, ""},
    {"sec:DASemantic", "cim:Naming.name", "", "OpX", nullptr, ""},
    {"sec:DOI", "cim:Naming.description", "", "V64", "//DOI[@desc='V64']", nullptr},
    {"sec:DOI", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:DOI", "e301:OrdNaming.ord", "", "106", "", nullptr},
    {"sec:DOI", "sec:DOI.accessControl", "", "V67", "//DOI[@accessControl='V67']", nullptr},
    {"sec:DOI", "sec:DOI.cdcType", "", "X", nullptr, ""},
    {"sec:DOI", "sec:DOI.ix", "", "3", "//DOI[@ix='3']"},
    {"sec:DOType", "cim:Naming.description", "", "V70", "//DOType[@desc='V70']", nullptr},
    {"sec:DOType", "cim:Naming.name", "", "V71", "//DO[@type='V71']", nullptr},
    {"sec:DOType", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:DOType", "e301:OrdNaming.ord", "", "3", "", nullptr, "types"},
    {"sec:DOType", "sec:DOType.cdc", "", "SPS", nullptr, "DO类型的CDC由其标准CDC决定，只能是"},
    {"sec:DOType", "sec:DOType.iedType", "", "V75", "//DOType[@iedType='V75']", nullptr},
    {"sec:DOType", "sec:DOType.isInstType", "", "X", nullptr, ""},
    {"sec:DOType", "sec:DOType.memberKinds", "", "X", nullptr, ""},
    {"sec:DataSet", "cim:Naming.description", "", "V78", "//DataSet[@desc='V78']", nullptr},
    {"sec:DataSet", "cim:Naming.name", "", "V79", "//DataSet[@name='V79']", nullptr},
    {"sec:DataSet", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:DataSet", "e301:OrdNaming.ord", "", "121", "", nullptr},
    {"sec:EnumType", "cim:Naming.description", "", "V82", "//EnumType[@desc='V82']", nullptr},
    {"sec:EnumType", "cim:Naming.name", "", "V83", "//BDA[@type='V83']", nullptr},
    {"sec:EnumType", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:EnumType", "e301:OrdNaming.ord", "MultiplierKind", "1", "", nullptr, "types"},
    {"sec:EnumVal", "cim:Naming.description", "", "V86", "//EnumVal[@desc='V86']", nullptr},
    {"sec:EnumVal", "cim:Naming.name", "", "V87", nullptr, ""},
    {"sec:EnumVal", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:EnumVal", "e301:OrdNaming.ord", "", "129", "", nullptr},
    {"sec:EnumVal", "sec:EnumVal.val", "", "V90", "//EnumVal[text()='V90']", nullptr},
    {"sec:ExtRef", "cim:Naming.description", "", "V91", "//ExtRef[@desc='V91']", nullptr},
    {"sec:ExtRef", "cim:Naming.name", "", "V92", "//ExtRef[@intAddr='V92']", nullptr},
    {"sec:ExtRef", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:ExtRef", "e301:OrdNaming.ord", "", "134", "", nullptr},
    {"sec:ExtRef", "sec:DARef.daName", "", "V95", nullptr, "DO: Pos的类型中没有V95，不能修改！"},
    {"sec:ExtRef", "sec:DARef.doName", "CB_POS_Q", "BlkOpn", "//ExtRef[@doName='BlkOpn' and @daName='q']", nullptr},
    {"sec:ExtRef", "sec:DARef.daName", "CB_POS_Q", "ctlModel[CF]", "//ExtRef[@daName='ctlModel']", nullptr},
    {"sec:ExtRef", "sec:DARef.doName", "CB_POS_Q", "Loc", "//ExtRef[@doName='Loc' and not(@daName)]", nullptr},
    {"sec:ExtRef", "sec:ExtRef.iedName", "", "X1", nullptr, "已指向逻辑节点"},
    {"sec:ExtRef", "sec:ExtRef.ldInst", "", "X1", nullptr, "已指向逻辑节点"},
    {"sec:ExtRef", "sec:ExtRef.lnClass", "", "X1", nullptr, "已指向逻辑节点"},
    {"sec:ExtRef", "sec:ExtRef.lnInst", "", "X1", nullptr, "已指向逻辑节点"},
    {"sec:ExtRef", "sec:ExtRef.prefix", "", "X1", nullptr, "已指向逻辑节点"},
    // A reference moved to a node whose type lacks its data object.
    {"sec:ExtRef", "sec:DARef.LNode", "", "MEAS/[]MMXU[1](测量)", "//ExtRef[@lnClass='MMXU']"},
    {"sec:FCDA", "cim:Naming.description", "", "X", nullptr, ""},
    {"sec:FCDA", "cim:Naming.name", "", "X", nullptr, ""},
    {"sec:FCDA", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:FCDA", "e301:OrdNaming.ord", "", "145", "", nullptr},
    {"sec:FCDA", "sec:DARef.daName", "", "V106", nullptr, "DO: Pos的类型中没有V106，不能修改！"},
    {"sec:FCDA", "sec:DARef.doName", "", "BlkOpn", "//FCDA[@doName='BlkOpn' and @daName='stVal']", nullptr},
    {"sec:FCDA", "sec:DARef.daName", "", "ctlModel[CF]", "//FCDA[@daName='ctlModel']", nullptr},
    {"sec:FCDA", "sec:DARef.doName", "", "Loc", "//FCDA[@doName='Loc' and not(@daName)]", nullptr},
    {"sec:FCDA", "sec:FCDA.fc", "", "#1", nullptr, "fc必须是Loc具有的功能约束"},
    {"sec:FCDA", "sec:FCDA.ix", "", "149", "//FCDA[@ix='149']", nullptr},
    {"sec:FCDA", "sec:DARef.LNode", "", "MEAS/[]MMXU[1](测量)", "!//FCDA[@doName='Loc']"},
    {"sec:ICD", "cim:Naming.description", "", "X", nullptr, ""},
    {"sec:ICD", "cim:Naming.name", "#1", "BCU-9_Ver1.4_RevC", "//Header[@id='BCU-9']"},
    {"sec:ICD", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:ICD", "sec:ICD.icdVersion", "#1", "V114", "//Header[@version='V114']"},
    {"sec:ICD", "sec:ICD.productType", "", "X", nullptr, ""},
    {"sec:IED", "cim:Naming.description", "#1", "V116", "//IED[@desc='V116']"},
    {"sec:IED", "cim:Naming.name", "", "X", nullptr, ""},
    {"sec:IED", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:IED", "sec:IED.configVersion", "#1", "V119", "//IED[@configVersion='V119']"},
    {"sec:IED", "sec:IED.engRight", "#1", "fix", "//IED[@engRight='fix']"},
    {"sec:IED", "sec:IED.iedType", "#1", "V121", "//IED[@type='V121']"},
    {"sec:IED", "sec:IED.manufacturer", "#1", "V122", "//IED[@manufacturer='V122']"},
    {"sec:IED", "sec:IED.originalSclRelease", "#1", "4", "//IED[@originalSclRelease='4']"},
    {"sec:IED", "sec:IED.originalSclRevision", "#1", "A", "//IED[@originalSclRevision='A']"},
    {"sec:IED", "sec:IED.originalSclVersion", "#1", "2003", "//IED[@originalSclVersion='2003']"},
    {"sec:IED", "sec:IED.owner", "#1", "V126", "//IED[@owner='V126']"},
    {"sec:InfoGroup", "cim:Naming.name", "G2", "V301", "//InfoGroup[@name='V301']", nullptr, "itb"},
    {"sec:InfoGroup", "cim:Naming.description", "", "V302", "//InfoGroup[@desc='V302']", nullptr, "itb"},
    {"sec:InfoItem", "cim:Naming.name", "", "V303", "//InfoItem[@name='V303']", nullptr, "itb"},
    {"sec:InfoItem", "cim:Naming.description", "", "V304", "//InfoItem[@desc='V304']", nullptr, "itb"},
    {"sec:InfoItem", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:InfoItem", "e301:OrdNaming.ord", "", "1", "", nullptr, "itb"},
    {"sec:InfoItem", "sec:InfoItem.id", "", "8", "//InfoItem[@id='8']", nullptr, "itb"},
    {"sec:InfoItem", "sec:InfoItem.dataType", "", "SPS (告警信息)", "//InfoItem[@dataType='SPS']", nullptr, "itb"},
    {"sec:InfoItem", "sec:InfoItem.infoGroup", "", "NoSuch", nullptr, "信息组NoSuch不存在，不能修改！", "itb"},
    {"sec:InfoItem", "sec:InfoItem.infoGroup", "", "V301", "//InfoItem[@infoGroup='V301']", nullptr, "itb"},
    {"sec:InfoItem", "sec:InfoItem.p103_typ", "", "1", "//s103:Config[@typ='1']", nullptr, "itb"},
    {"sec:InfoItem", "sec:InfoItem.p103_fun", "", "2", "//s103:Config[@fun='2']", nullptr, "itb"},
    {"sec:InfoItem", "sec:InfoItem.p103_inf", "", "3", "//s103:Config[@inf='3']", nullptr, "itb"},
    {"sec:InfoItem", "sec:InfoItem.p103_grp", "", "4", "//s103:Config[@grp='4']", nullptr, "itb"},
    {"sec:InfoItem", "sec:InfoItem.p103_ent", "", "5", "//s103:Config[@itm='5']", nullptr, "itb"},
    {"sec:InfoItem", "sec:InfoItem.p103_acc", "", "6", "//s103:Config[@acc='6']", nullptr, "itb"},
    {"sec:LCB", "cim:Naming.description", "", "V127", "//LogControl[@desc='V127']", nullptr},
    {"sec:LCB", "cim:Naming.name", "", "V128", "//LogControl[@name='V128']", nullptr},
    {"sec:LCB", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:LCB", "e301:OrdNaming.ord", "", "170", ""},
    {"sec:LCB", "sec:LCB.bufTime", "", "171", "//LogControl[@bufTime='171']", nullptr},
    {"sec:LCB", "sec:LCB.intgPd", "", "172", "//LogControl[@intgPd='172']", nullptr},
    {"sec:LCB", "sec:LCB.ldInst", "", "X1", nullptr, "已指定日志"},
    {"sec:LCB", "sec:LCB.lnClass", "", "X1", nullptr, "已指定日志"},
    {"sec:LCB", "sec:LCB.lnInst", "", "X1", nullptr, "已指定日志"},
    {"sec:LCB", "sec:LCB.logEna", "", "否", "//LogControl[@logEna='false']", nullptr},
    {"sec:LCB", "sec:LCB.logName", "", "LOGX", nullptr, "日志控制块的logName由其日志决定，只能是"},
    {"sec:LCB", "sec:LCB.optReasonForInclusion", "", "否", "//LogControl[@reasonCode='false']", nullptr},
    {"sec:LCB", "sec:LCB.prefix", "", "X1", nullptr, "已指定日志"},
    {"sec:LCB", "sec:LCB.trgOp", "", "#1", "//TrgOps[@dupd='true']", nullptr},
    {"sec:LCB", "sec:LCB.DataSet", "", "V79", "//LogControl[@datSet='V79']"},
    {"sec:LDevice", "cim:Naming.description", "", "V141", "//LDevice[@desc='V141']", nullptr},
    {"sec:LDevice", "cim:Naming.name", "", "V142", "//LDevice[@inst='V142']", nullptr},
    {"sec:LDevice", "cim:Naming.pathName", "", "X", nullptr, ""},
    // A point's value on its second device (before the first moves away).
    {"sec:LDevice", "sec:LDevice.serverDesc", "MEAS", "站控层", "//Server[@desc='站控层']", nullptr},
    {"sec:LDevice", "e301:OrdNaming.ord", "", "184", "", nullptr},
    {"sec:LDevice", "sec:LDevice.accessControl", "", "V145", "//AccessControl[text()='V145']", nullptr},
    {"sec:LDevice", "sec:LDevice.apClock", "", "true", "//AccessPoint[@clock='true']"},
    {"sec:LDevice", "sec:LDevice.apDesc", "", "V147", "//AccessPoint[@desc='V147']", nullptr},
    {"sec:LDevice", "sec:LDevice.apKdc", "", "true", "//AccessPoint[@kdc='true']"},
    {"sec:LDevice", "sec:LDevice.apName", "", "V149", "//AccessPoint[@name='V149']", nullptr},
    {"sec:LDevice", "sec:LDevice.apRouter", "", "true", "//AccessPoint[@router='true']"},
    {"sec:LDevice", "sec:LDevice.authCertificate", "", "true", "//Authentication[@certificate='true']"},
    {"sec:LDevice", "sec:LDevice.authNone", "", "false", "//Authentication[@none='false']"},
    {"sec:LDevice", "sec:LDevice.authPassword", "", "true", "//Authentication[@password='true']"},
    {"sec:LDevice", "sec:LDevice.authStrong", "", "true", "//Authentication[@strong='true']"},
    {"sec:LDevice", "sec:LDevice.authWeak", "", "true", "//Authentication[@weak='true']"},
    {"sec:LDevice", "sec:LDevice.isAbstract", "", "X", nullptr, ""},
    {"sec:LDevice", "sec:LDevice.ldName", "", "V157", "//LDevice[@ldName='V157']", nullptr},
    {"sec:LDevice", "sec:LDevice.serverTimeout", "", "40", "//Server[@timeout='40']"},
    // A link with nothing to pick but "清除..." while none is set.
    {"sec:LDevice", "sec:LDevice.Abstract_LDevice", "", "清除...", ""},
    {"sec:LNode", "cim:Naming.description", "", "V160", "//LN0[@desc='V160']", nullptr},
    {"sec:LNode", "cim:Naming.name", "Q0CSWI1", "Q0CSWI9", "//LN[@prefix='Q0' and @lnClass='CSWI' and @inst='9']", nullptr},
    {"sec:LNode", "cim:Naming.name", "Q0XCBR1", "Q0CSWI1", nullptr, "逻辑节点名称由前缀、XCBR和实例号组成，不能修改！"},
    {"sec:LNode", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:LNode", "e301:OrdNaming.ord", "LPHD1", "4", ""},
    {"sec:LNode", "sec:LNode.LNodeUse", "", "#1", "//LN0[@zScl:LNodeUse='Alarm']"},
    {"sec:LNode", "sec:LNode.lnClass", "", "V165", nullptr, "逻辑节点的类由其LN类型决定，只能是LLN0！"},
    {"sec:LNode", "sec:LNode.lnClass", "", "", nullptr, "逻辑节点的类由其LN类型决定，只能是LLN0！"},
    {"sec:LNode", "sec:LNode.lnInst", "LPHD1", "2", "//LN[@lnClass='LPHD' and @inst='2']"},
    {"sec:LNode", "sec:LNode.lnInst", "", "5", nullptr, "SCL的LN0没有实例号，LLN0不能设置实例号！"},
    {"sec:LNode", "sec:LNode.prefix", "", "V167", nullptr, "SCL的LN0没有前缀，LLN0不能设置前缀！"},
    {"sec:LNode", "sec:LNode.prefix", "LPHD2", "V167", "//LN[@prefix='V167' and @lnClass='LPHD']", nullptr},
    {"sec:LNode", "sec:LNode.MemberOf_LNodeContainer", "", "清除...", ""},
    {"sec:LNodeType", "cim:Naming.description", "", "V168", "//LNodeType[@desc='V168']", nullptr},
    {"sec:LNodeType", "cim:Naming.name", "", "V169", "//LN0[@lnType='V169']", nullptr},
    {"sec:LNodeType", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:LNodeType", "e301:OrdNaming.ord", "", "3", "", nullptr, "types"},
    {"sec:LNodeType", "sec:LNodeType.iedType", "", "V172", "//LNodeType[@iedType='V172']", nullptr},
    {"sec:LNodeType", "sec:LNodeType.iedTypeRead", "", "X", nullptr, ""},
    {"sec:LNodeType", "sec:LNodeType.isAbstract", "", "X", nullptr, ""},
    {"sec:LNodeType", "sec:LNodeType.isInstType", "", "X", nullptr, ""},
    {"sec:LNodeType", "sec:LNodeType.lnClass", "", "+5", nullptr, "LN类型的类由其标准LN类决定，只能是"},
    {"sec:LNodeType", "sec:LNodeType.prefix", "", "V177", "//LNodeType[@prefix='V177']", nullptr, "mics"},
    {"sec:LNodeType", "sec:LNodeType.Abstract_Type", "", "LLN0$V1(_新导入_模板类包)", "//LNodeType[@zScl:base='LLN0$V1']"},
    {"sec:MapItem", "cim:Naming.name", "", "V311", "//MappingItem[@name='V311']", nullptr, "m2i"},
    {"sec:MapItem", "cim:Naming.description", "", "V312", "//MappingItem[@desc='V312']", nullptr, "m2i"},
    {"sec:MapItem", "e301:OrdNaming.ord", "", "1", "", nullptr, "m2i"},
    {"sec:MapItem", "sec:DARef.doName", "", "Loc", "//MappingItem[contains(@toDA, 'Loc.stVal')]", nullptr, "m2i"},
    {"sec:MapItem", "sec:DARef.daName", "", "  ", "//MappingItem[contains(@toDA, '.Loc') and not(contains(@toDA, 'Loc.'))]", nullptr, "m2i"},
    {"sec:MapItem", "sec:MapItem.valStr", "", "V313", "//Parameter[@val='V313']", nullptr, "m2i"},
    {"sec:MapItem", "sec:MapItem.operator", "", "M2I:V314", "//Process[@operator='M2I:V314']", nullptr, "m2i"},
    {"sec:MapItem", "sec:MapItem.dU", "", "V315", nullptr, "DO: Loc的类型中没有dU，不能修改！"},
    {"sec:MapItem", "sec:MapItem.daName_t", "", "t", "//MappingItem[contains(@toDA, '.t')]", nullptr, "m2i"},
    {"sec:MapItem", "sec:MapItem.minVal", "", "1", nullptr, "DO: Loc的类型中没有minVal，不能修改！"},
    {"sec:MapItem", "sec:MapItem.maxVal", "", "1", nullptr, "DO: Loc的类型中没有maxVal，不能修改！"},
    {"sec:MapItem", "sec:MapItem.stepSize", "", "1", nullptr, "DO: Loc的类型中没有stepSize，不能修改！"},
    {"sec:MapItem", "sec:MapItem.unitSiUnit", "", "V", nullptr, "DO: Loc的类型中没有units.SIUnit，不能修改！"},
    {"sec:MapItem", "sec:MapItem.unitMultiplier", "", "k", nullptr, "DO: Loc的类型中没有units.multiplier，不能修改！"},
    {"sec:MapItem", "sec:MapItem.InfoItem", "", "清除...", "!//Parameter[@idITB='8']", nullptr, "m2i"},
    {"sec:MapItem", "sec:DARef.LNode", "", "MEAS/[]MMXU[1](测量)", "!//MappingItem", nullptr, "m2i"},
    {"sec:Log", "cim:Naming.description", "", "V178", "//Log[@desc='V178']", nullptr},
    {"sec:Log", "cim:Naming.name", "", "V179", "//LogControl[@logName='V179']", nullptr},
    {"sec:Log", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:RCB", "cim:Naming.description", "", "V181", "//ReportControl[@desc='V181']", nullptr},
    {"sec:RCB", "cim:Naming.name", "", "V182", "//ReportControl[@name='V182']", nullptr},
    {"sec:RCB", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:RCB", "e301:OrdNaming.ord", "", "224", ""},
    {"sec:RCB", "sec:RCB.BRCB_or_URCB", "", "否", "//ReportControl[not(@buffered)]", nullptr},
    {"sec:RCB", "sec:RCB.bufIm", "", "226", "//ReportControl[@bufTime='226']", nullptr},
    {"sec:RCB", "sec:RCB.confRev", "", "227", "//ReportControl[@confRev='227']", nullptr},
    {"sec:RCB", "sec:RCB.entryID", "", "V188", "//ReportControl[@zScl:entryID='V188']", nullptr},
    {"sec:RCB", "sec:RCB.gi", "", "否", "//TrgOps[@gi='false']", nullptr},
    {"sec:RCB", "sec:RCB.indexed", "", "否", "//ReportControl[@indexed='false']", nullptr},
    {"sec:RCB", "sec:RCB.intgPd", "", "231", "//ReportControl[@intgPd='231']", nullptr},
    {"sec:RCB", "sec:RCB.optBufferOverflow", "", "否", "//OptFields[@bufOvfl='false']", nullptr},
    {"sec:RCB", "sec:RCB.optConfRevision", "", "否", "//OptFields[@configRef='false']", nullptr},
    {"sec:RCB", "sec:RCB.optDataReference", "", "否", "//OptFields[@dataRef='false']", nullptr},
    {"sec:RCB", "sec:RCB.optDataSetName", "", "否", "//OptFields[@dataSet='false']", nullptr},
    {"sec:RCB", "sec:RCB.optEntryID", "", "否", "//OptFields[@entryID='false']", nullptr},
    {"sec:RCB", "sec:RCB.optReasonForInclusion", "", "否", "//OptFields[@reasonCode='false']", nullptr},
    {"sec:RCB", "sec:RCB.optReportTimeStamp", "", "否", "//OptFields[@timeStamp='false']", nullptr},
    {"sec:RCB", "sec:RCB.optSequenceNumber", "", "否", "//OptFields[@seqNum='false']", nullptr},
    {"sec:RCB", "sec:RCB.purgeBuf", "", "否", "//ReportControl[@zScl:purgeBuf='false']", nullptr},
    {"sec:RCB", "sec:RCB.rptEna", "", "否", nullptr, "报告控制块有1个客户端LN，RptEnabled不能为否，不能修改！"},
    {"sec:RCB", "sec:RCB.rptEnabledDesc", "", "V202", "//RptEnabled[@desc='V202']", nullptr},
    {"sec:RCB", "sec:RCB.rptEnabledMax", "", "243", "//RptEnabled[@max='243']", nullptr},
    {"sec:RCB", "sec:RCB.rptID", "", "V204", "//ReportControl[@rptID='V204']", nullptr},
    {"sec:RCB", "sec:RCB.sqNum", "", "245", "//ReportControl[@zScl:sqNum='245']", nullptr},
    {"sec:RCB", "sec:RCB.timeOfEntry", "", "V206", "//ReportControl[@zScl:timeOfEntry='V206']", nullptr},
    {"sec:RCB", "sec:RCB.trgOp", "", "#1", "//TrgOps[@dupd='true']", nullptr},
    {"sec:RCB", "sec:RCB.DataSet", "", "dsLog", "//ReportControl[@datSet='dsLog']"},
    {"sec:SDO", "cim:Naming.description", "", "V207", "//SDO[@desc='V207']", nullptr},
    {"sec:SDO", "cim:Naming.name", "", "X", nullptr, ""},
    {"sec:SDO", "e301:OrdNaming.ord", "", "1", ""},
    {"sec:SDO", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:SDO", "sec:SDO.count", "", "4", "//SDO[@count='4']", nullptr},
    {"sec:SDO", "sec:SDO.presence", "", "X", nullptr, ""},
    {"sec:SDO", "sec:SDO.SemanticNs", "", "X", nullptr, ""},
    // The one type its list offers, picked again: nothing changes.
    {"sec:SDO", "sec:SDO.DefinedBy_DOType", "", "SPS$V1  (_新导入_模板类包)", "", nullptr, "types"},
    {"sec:SGCB", "cim:Naming.description", "", "V208", "//SettingControl[@desc='V208']", nullptr},
    {"sec:SGCB", "cim:Naming.name", "", "X", nullptr, ""},
    {"sec:SGCB", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:SGCB", "sec:SGCB.activeSG", "", "2", "//SettingControl[@actSG='2']"},
    {"sec:SGCB", "sec:SGCB.numOfSG", "", "252", "//SettingControl[@numOfSGs='252']", nullptr},
    {"sec:SGCB", "sec:SGCB.resvTms", "", "253", "//SettingControl[@resvTms='253']", nullptr},
    {"sec:Server", "cim:Naming.description", "", "X", nullptr, ""},
    {"sec:Server", "cim:Naming.name", "", "X", nullptr, ""},
    {"sec:Server", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:TypePackage", "cim:Naming.description", "", "X", nullptr, ""},
    {"sec:TypePackage", "cim:Naming.name", "#1", "V218", "//Header[@id='V218']", nullptr, "types"},
    {"sec:TypePackage", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:TypePackage", "sec:TypePackage.isInstType", "", "X", nullptr, ""},
    {"sec:TypePackage", "sec:TypePackage.ref", "", "X", nullptr, ""},
    {"sec:Val", "cim:Naming.description", "", "X", nullptr, ""},
    {"sec:Val", "cim:Naming.name", "", "X", nullptr, ""},
    {"sec:Val", "cim:Naming.pathName", "", "X", nullptr, ""},
    {"sec:Val", "sec:Val.desc", "", "X", nullptr, ""},
    {"sec:Val", "sec:Val.sGroup", "", "266", "//Val[@sGroup='266']", nullptr},
    {"sec:Val", "sec:Val.sValue", "", "sbo-with-normal-security", "//Val[text()='sbo-with-normal-security']"},
    {"sec:LNode", "sec:LNode.lnType", "", "X", nullptr, ""},
    {"sec:ICD", "sec:ICD.icdRevision", "", "X", nullptr, ""},
    {"sec:DAI", "sec:DAI.fc", "", "X", nullptr, ""},
    {"sec:FCDA", "sec:FCDA.ldInst", "", "X", nullptr, ""},
    {"sec:FCDA", "sec:FCDA.lnClass", "", "X", nullptr, ""},
    {"sec:FCDA", "sec:FCDA.lnInst", "", "X", nullptr, ""},
    {"sec:FCDA", "sec:FCDA.memberRef", "", "X", nullptr, ""},
    // Late: links that change what many fields above are judged by.
    {"sec:LCB", "sec:LCB.Log", "", "清除...", "//LogControl[@zScl:logName='']"},
    {"sec:LNode", "sec:LNode.LNodeType", "LLN0", "清除...", nullptr, "逻辑节点的LN类型只能更换，不能清除！"},
    {"sec:LNode", "sec:LNode.LNodeType", "", "#1", "//LN0[@lnType = preceding::LN0/@lnType or @lnType = following::LN0/@lnType]"},
    {"sec:TypePackage", "sec:TypePackage.Depend_TypePackage", "#1", "P1  (产品系列)", "//SemanticSpace[@depend_SpaceID='P1']", nullptr, "mics"},
    // Last: a free space writes its LN types without their prefix.
    {"sec:ICD", "sec:ICD.extDOFreely", "#1", "是", "//SemanticSpace[@isStdSpace='false']", nullptr, "mics"},
};


TEST_F(SclFileTest, EveryFieldTheViewOffersIsWrittenOrRefused) {
    const URI_Ref icd = ImportAnswering((kDataDir / "ed2_bay_controller.icd").string());
    ASSERT_TRUE(icd.IsSet());
    app.Mtd_CreateStandardViews();
    CBase_Cmd* view = app.Mtd_View_of_sID(kView_Html1);
    CString domain;
    ASSERT_TRUE(app.DocMtd_DEnv_Get_Rsc_Domain(icd, domain));
    // The pages: the resources of each class the file brought, and a
    // sub-data object of the measured value's DO type, which it has none of.
    const kiln::cim::CCimSchema& schema = *kiln::cim::CCimSchema::Shared();
    std::map<std::string, std::vector<URI_Ref>> pages;
    std::vector<URI_Ref> doTypes;
    app.m_Doc.ByClass("sec:DOType", doTypes);
    const auto typeNamed = [&](const char* name) {
        for (const URI_Ref& t : doTypes)
            if (Get(t, "cim:Naming.name") == name) return t;
        return URI_Ref();
    };
    URI_Ref sdo;
    ASSERT_TRUE(app.NewRsc_SDO(&sdo, typeNamed("MV$V1"), ""));
    ASSERT_TRUE(app.DocMtd_add_Association(sdo, "sec:SDO.DefinedBy_DOType", typeNamed("SPS$V1")));
    // Name semantics of the ICD's own package, and an information table of
    // two groups whose item is mapped to the breaker's position.
    const URI_Ref pkg = app.DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.TypePackage");
    URI_Ref doSemantic, daSemantic, itb, group, item, m2i, mapItem;
    ASSERT_TRUE(app.NewRsc_DOSemantic(&doSemantic, pkg) && app.NewRsc_DASemantic(&daSemantic, pkg));
    ASSERT_TRUE(app.NewRsc_ITB(&itb, icd) && app.NewRsc_InfoGroup(&group, itb, "G1") &&
                app.NewRsc_InfoGroup(&group, itb, "G2") && app.NewRsc_InfoItem(&item, itb));
    ASSERT_TRUE(app.NewRsc_M2I(&m2i, icd, itb, false) && app.NewRsc_MapItem(&mapItem, m2i, item));
    std::vector<URI_Ref> nodes;
    app.m_Doc.ByClass("sec:LNode", nodes);
    const auto breaker = std::find_if(nodes.begin(), nodes.end(), [&](const URI_Ref& n) { return Get(n, "cim:Naming.name") == "Q0XCBR1"; });
    ASSERT_TRUE(breaker != nodes.end() && app.DocMtd_add_Association(mapItem, "sec:DARef.LNode", *breaker));
    ASSERT_TRUE(app.DocMtd_Modify_attribute_value(item, "sec:InfoItem.id", "7") &&
                app.DocMtd_Modify_attribute_value(item, "sec:InfoItem.infoGroup", "G1") &&
                app.DocMtd_Modify_attribute_value(mapItem, "sec:DARef.doName", "Pos") &&
                app.DocMtd_Modify_attribute_value(mapItem, "sec:DARef.daName", "stVal"));
    // What the tree shows beside: a signal list of the IED with its signals,
    // a setting group of the device's block with a value, and GOOSE and
    // sampled-value blocks of the breaker.
    URI_Ref made, list, setting;
    std::vector<URI_Ref> sgcbs;
    app.m_Doc.ByClass("sec:SGCB", sgcbs);
    ASSERT_TRUE(app.NewRsc_SignalList(&list, app.DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.IED")) &&
                app.NewRsc_InSignal(&made, list) && app.NewRsc_OutSignal(&made, list) && !sgcbs.empty() &&
                app.NewRsc_SettingGroup(&setting, sgcbs.front()) && app.NewRsc_SettingData(&made, setting) &&
                app.NewRsc_GSE(&made, *breaker) && app.NewRsc_SV(&made, *breaker));
    for (int c = 0; c < schema.ClassCount(); ++c) {
        std::vector<URI_Ref> all;
        app.m_Doc.ByClass(schema.Class(c).name.c_str(), all);
        for (const URI_Ref& r : all) {
            CString d;
            if (r.sClass == schema.Class(c).name && app.DocMtd_DEnv_Get_Rsc_Domain(r, d) && d == domain)
                pages[r.sClass].push_back(r);
        }
    }
    auto pageOf = [&](const std::string& cls, const char* at) {
        if (*at == '#') return pages[cls].at(std::stoul(at + 1));
        for (const URI_Ref& r : pages[cls])
            if (!*at || Get(r, "cim:Naming.name") == at) return r;
        return URI_Ref();
    };
    // The type package, information table or mapping file.
    auto exportOther = [&](const std::string& file, const std::string& name) {
        const std::string path = (workspace / name).string();
        ui.AnswerSaveFile(path.c_str());
        EXPECT_TRUE(file == "types" ? app.Rsc_TypePackage_Export(pkg)
                    : file == "itb" ? app.Rsc_ITB_Export(itb)
                                    : app.Rsc_M2I_Export(m2i));
        return ReadBytes(path);
    };
    auto shown = [](const Struct_EditPack& pack, size_t n) { return pack.vList.vPairs[n].first.str(); };
    auto prepare = [&](const URI_Ref& rsc, const char* field, Struct_EditPack& pack) {
        const bool offered = app.HtmlMsg_OnPrepareEditField(view, rsc, field, CString(), &pack);
        ui.ClearCalls();
        return offered;
    };
    // An attribute's text, or a link's first target.
    auto current = [&](const URI_Ref& rsc, const char* field) {
        Struct_AttrDfn attr;
        return app.DocMtd_Get_AttrDfn(rsc.sClass.c_str(), field, attr) ? Get(rsc, field)
                                                                      : CString(app.DocMtd_getFirstUri_ofAsso(rsc, field).sUri);
    };
    // Every attribute and link field the view offers on a page of a class
    // has its row.
    std::set<std::pair<std::string, std::string>> rows, offered;
    for (const FieldRow& row : kFieldRows) rows.emplace(row.cls, row.field);
    for (const auto& [cls, rscs] : pages)
        for (int r = 0; r < schema.RoleCount(); ++r) {
            const kiln::cim::RoleInfo& role = schema.Role(r);
            if (role.name.empty() || !schema.RoleApplies(r, schema.ClassId(cls))) continue;
            for (const URI_Ref& rsc : rscs) {
                Struct_EditPack pack;
                if (prepare(rsc, role.name.c_str(), pack)) {
                    offered.emplace(cls, role.name);
                    break;
                }
            }
        }
    for (const auto& field : offered)
        EXPECT_TRUE(rows.count(field)) << "no row for " << field.first << " " << field.second;

    std::string before = ReadBytes(Export(icd, "field0.icd")), micsBefore = ReadBytes((workspace / "field0.mics").string());
    int k = 0;
    std::vector<std::pair<URI_Ref, FieldRow>> written;  // the attributes found in the ICD file
    for (const FieldRow& row : kFieldRows) {
        const std::string what = std::string(row.cls) + " " + row.field + " " + row.at + " -> " + row.value;
        const URI_Ref rsc = pageOf(row.cls, row.at);
        ASSERT_TRUE(rsc.IsSet()) << what;
        Struct_EditPack pack;
        if (!prepare(rsc, row.field, pack)) {
            EXPECT_TRUE(row.said && !*row.said) << what << ": not editable";
            continue;
        }
        CString value = row.value;
        // A list row by its text, or "#k" by its place.
        for (size_t n = 0; n < pack.vList.vPairs.size(); ++n)
            if (shown(pack, n) == row.value || "#" + std::to_string(n) == row.value) value = pack.vList.vPairs[n].second;
        const std::string file = row.file ? row.file : "";
        const bool other = !file.empty() && file != "mics";
        const std::string otherBefore = other ? exportOther(file, "field" + std::to_string(k) + "b." + file) : "";
        const CString old = current(rsc, row.field);
        if (app.HtmlMsg_OnFieldChanged(view, rsc, row.field, old, value, nullptr, nullptr))
            app.DocMtd_Modify_attribute_value(rsc, row.field, value);
        std::string said;
        for (const CString& m : ui.Messages()) said += m.str() + "\n";
        const std::string name = "field" + std::to_string(++k);
        const std::string after = ReadBytes(Export(icd, name + ".icd"));
        const std::string micsAfter = ReadBytes((workspace / (name + ".mics")).string());
        const std::string was = file == "mics" ? micsBefore : other ? otherBefore : before;
        const std::string now = file == "mics" ? micsAfter : other ? exportOther(file, name + "." + file) : after;
        before = after;
        micsBefore = micsAfter;
        ASSERT_TRUE(row.said || row.xpath) << what << ": a field stored is written or refused";
        if (row.said) {
            // A row of a field not editable that the view offered fails here.
            EXPECT_TRUE(*row.said) << what << ": offered";
            EXPECT_NE(said.find(row.said), std::string::npos) << what << ": said " << said;
            EXPECT_EQ(current(rsc, row.field), old) << what;
        } else if (!*row.xpath) {
            // An order number moves the element; one past the last leaves
            // the last element where it is, as a link left as it was.
            EXPECT_EQ(FirstDifferentLine(was, now) != "", current(rsc, row.field) != old) << what;
        } else {
            const bool fewer = *row.xpath == '!';
            const char* xpath = row.xpath + (fewer ? 1 : 0);
            pugi::xml_document b, a;
            ASSERT_TRUE(b.load_string(was.c_str()) && a.load_string(now.c_str())) << what;
            const size_t nb = b.select_nodes(xpath).size(), na = a.select_nodes(xpath).size();
            std::string listed;
            for (size_t n = 0; n < pack.vList.vPairs.size(); ++n) listed += " [" + shown(pack, n) + "]";
            EXPECT_GT(fewer ? nb : na, fewer ? na : nb) << what << ": " << said << FirstDifferentLine(was, now) << listed;
            Struct_AttrDfn attr;
            if (file.empty() && app.DocMtd_Get_AttrDfn(rsc.sClass.c_str(), row.field, attr)) written.emplace_back(rsc, row);
        }
    }
    // The ICD import reads each field the ICD file was found to hold back:
    // the last file holds the field's last value on a resource of its class.
    const URI_Ref back = ImportAnswering((workspace / ("field" + std::to_string(k) + ".icd")).string());
    CString backDomain;
    ASSERT_TRUE(back.IsSet() && app.DocMtd_DEnv_Get_Rsc_Domain(back, backDomain));
    for (const auto& [rsc, row] : written) {
        const CString value = current(rsc, row.field);
        std::vector<URI_Ref> all;
        app.m_Doc.ByClass(row.cls, all);
        const bool read = std::any_of(all.begin(), all.end(), [&](const URI_Ref& r) {
            CString d;
            return r.sClass == row.cls && app.DocMtd_DEnv_Get_Rsc_Domain(r, d) && d == backDomain && current(r, row.field) == value;
        });
        EXPECT_TRUE(read) << row.cls << " " << row.field << " " << row.at << ": " << value.str() << " not read back";
    }
}

}  // namespace
}  // namespace kiln::test
