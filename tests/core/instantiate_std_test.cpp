// Instance types built from the shipped standard definitions, checked DO by DO
// and DA by DA against the IEC name-space definition files (NSD).
#include <pugixml.hpp>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/core/fixture.h"

namespace kiln::test {
namespace {

const std::string kNsdDir = std::string(KILN_SHARED_DIR) + "/nsd";

struct NsdDo {
    std::string name, cdc, presence, enumeration;
};

// The model's presence of an NSD condition; "" for a forbidden member.
std::string PresenceOf(const std::string& cond) {
    if (cond.empty() || cond == "M" || cond == "Mmulti" || cond == "MmultiRange") return "M";
    if (cond == "O" || cond == "Omulti" || cond == "OmultiRange") return "O";
    return cond == "F" ? "" : "C";
}

bool InScope(const std::string& presence, const std::string& scope) {
    if (scope == "with no") return false;
    if (presence == "C") return scope != "with M";
    if (presence == "O") return scope == "with M/C/O";
    return true;
}

class StdInstantiateTest : public CoreTest {
protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(kNsdDir)) GTEST_SKIP() << "no NSD files (" << kNsdDir << "): ../shared is absent";
        ASSERT_TRUE(d73.load_file((kNsdDir + "/IEC_61850-7-3_2007B5.nsd").c_str()));
        ASSERT_TRUE(d74.load_file((kNsdDir + "/IEC_61850-7-4_2007B5.nsd").c_str()));
        ASSERT_TRUE(d81.load_file((kNsdDir + "/IEC_61850-8-1_2003A2.nsd").c_str()));
        URI_Ref type;
        ASSERT_TRUE(app.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type));
        ASSERT_TRUE(app.Import_ExterDomainFile(type, "sec:TypePackage",
                                               CString(KILN_SOURCE_DIR) + "/domains/IEC61850_std.xml"))
            << app.LastDocError();
        ASSERT_TRUE(app.Msg_OnOpenDocument());
        stdPkg = app.m_uStdTypePackage;
        ASSERT_TRUE(stdPkg.IsSet());
        MakeDomain(kInstDomain, "二次模型数据类型包");
        pkg = MakeTypePackage(kInstDomain, "P1", true);
        Link(pkg, "sec:TypePackage.Depend_TypePackage", stdPkg);
        ui.ClearCalls();
    }

    // The data objects of an LN class and of its bases, own ones first.
    std::vector<NsdDo> NsdDataObjects(const std::string& lnClass) {
        std::vector<NsdDo> out;
        std::set<std::string> seen;
        for (std::string cls = lnClass; !cls.empty() && seen.insert(cls).second;) {
            pugi::xml_node c = d74.document_element().child("LNClasses").find_child_by_attribute("name", cls.c_str());
            EXPECT_TRUE(c) << cls;
            if (!c) break;
            for (pugi::xml_node d : c.children("DataObject")) {
                const std::string presence = PresenceOf(d.attribute("presCond").value());
                if (presence.empty()) continue;
                out.push_back({d.attribute("name").value(), d.attribute("type").value(), presence,
                               d.attribute("underlyingType").value()});
            }
            cls = c.attribute("base").value();
        }
        return out;
    }

    // The names of a CDC's data attributes in any of its variants, and
    // those mandatory in all of them, with the mapping's additions.
    void NsdAttributes(const std::string& cdc, std::set<std::string>& all, std::set<std::string>& mandatory) {
        bool first = true;
        for (pugi::xml_node c : d73.document_element().child("CDCs").children("CDC")) {
            if (cdc != c.attribute("name").value()) continue;
            std::set<std::string> here;
            for (pugi::xml_node a : c.children("DataAttribute")) {
                all.insert(a.attribute("name").value());
                if (PresenceOf(a.attribute("presCond").value()) == "M") here.insert(a.attribute("name").value());
            }
            if (first) {
                mandatory = here;
                first = false;
            } else {
                std::set<std::string> both;
                for (const std::string& n : mandatory)
                    if (here.count(n)) both.insert(n);
                mandatory = both;
            }
        }
        for (pugi::xml_node s : d81.document_element().child("ServiceCDCs").children("ServiceCDC"))
            if (cdc == s.attribute("cdc").value())
                for (pugi::xml_node a : s.children("ServiceDataAttribute")) all.insert(a.attribute("name").value());
    }

    std::vector<URI_Ref> Members(const URI_Ref& rsc, const CString& role) {
        std::vector<URI_Ref> out;
        EXPECT_TRUE(app.DocMtd_get_Association_BUris(rsc, role, out, "e301:OrdNaming.ord", SortPolicy_ByOrd));
        return out;
    }
    URI_Ref StdLnClass(const char* name) {
        for (const URI_Ref& t : Members(stdPkg, "sec:TypePackage.LNodeTypes"))
            if (Get(t, "cim:Naming.name") == name) return t;
        return URI_Ref();
    }
    std::string Name(const URI_Ref& r) { return Get(r, "cim:Naming.name").str(); }

    // Builds the LN class into P1 with the scope and checks the result; in
    // the n-th round (from 0) the class's name is taken n times already.
    void CheckBuild(const char* lnClass, const std::string& scope, int round) {
        SCOPED_TRACE(std::string(lnClass) + " " + scope);
        URI_Ref ln;
        ASSERT_TRUE(app.GetType_FromStandard(StdLnClass(lnClass), pkg, &ln, true, CString(scope.c_str())));
        EXPECT_TRUE(ui.Messages().empty()) << ui.Messages().front();
        ui.ClearCalls();
        EXPECT_EQ(Name(ln), std::string("P1_") + lnClass + (round > 0 ? std::to_string(round + 1) : std::string()));

        std::vector<NsdDo> expected;
        for (const NsdDo& d : NsdDataObjects(lnClass))
            if (InScope(d.presence, scope)) expected.push_back(d);
        const std::vector<URI_Ref> dos = Members(ln, "sec:LNodeType.DOs");
        ASSERT_EQ(dos.size(), expected.size());
        for (size_t i = 0; i < dos.size(); ++i) {
            const NsdDo& want = expected[i];
            SCOPED_TRACE(want.name);
            EXPECT_EQ(Name(dos[i]), want.name);
            EXPECT_EQ(Get(dos[i], "e301:OrdNaming.ord"), ToText(static_cast<int>(i) + 1));
            const URI_Ref type = Doc().FirstTarget(dos[i], "sec:DO.DefinedBy_DOType");
            ASSERT_TRUE(type.IsSet());
            EXPECT_EQ(Name(Doc().FirstTarget(type, "sec:DOType.ClassOf_DOType")), want.cdc) << "the real CDC";
            CheckDataAttributes(type, want, scope);
        }
    }

    void CheckDataAttributes(const URI_Ref& type, const NsdDo& d, const std::string& scope) {
        std::set<std::string> all, mandatory;
        NsdAttributes(d.cdc, all, mandatory);
        std::set<std::string> have;
        for (const URI_Ref& a : Members(type, "sec:DOType.Contains_DAs")) {
            const std::string name = Name(a);
            have.insert(name);
            EXPECT_TRUE(all.count(name)) << d.cdc << " has no " << name;
            const CString bType = Get(a, "sec:BDA.bType");
            const URI_Ref e = Doc().FirstTarget(a, "sec:BDA.DefinedBy_EnumType");
            if (bType.Find("#PreBasicTypeEnum.Enum") > 0) {
                EXPECT_TRUE(e.IsSet()) << name << " of " << d.name << " has no enumeration";
                if (!d.enumeration.empty() && (name == "stVal" || name == "setVal" || name == "subVal")) {
                    EXPECT_EQ(Name(e), "850EN_" + d.enumeration) << name;
                }
            }
        }
        for (const std::string& n : mandatory) EXPECT_TRUE(have.count(n)) << d.cdc << " lacks " << n;
        if (!d.enumeration.empty() && Name(Doc().FirstTarget(type, "sec:DOType.DefinedBy_EnumType")).size()) {
            EXPECT_EQ(Name(type), "P1_" + d.cdc + "_" + d.enumeration);
        }
        (void)scope;
    }

    pugi::xml_document d73, d74, d81;
    URI_Ref stdPkg, pkg;
};

TEST_F(StdInstantiateTest, PtocMmxuAndXcbrFollowTheNsdInEveryScope) {
    int round = 0;
    for (const char* scope : {"with M", "with M/C", "with M/C/O", "with no"}) {
        for (const char* cls : {"PTOC", "MMXU", "XCBR"}) CheckBuild(cls, scope, round);
        ++round;
    }
}

TEST_F(StdInstantiateTest, BehHealthAndModGetTheirEnumerations) {
    URI_Ref ln;
    ASSERT_TRUE(app.GetType_FromStandard(StdLnClass("XCBR"), pkg, &ln, true, "with M/C/O"));
    std::map<std::string, URI_Ref> types;
    for (const URI_Ref& d : Members(ln, "sec:LNodeType.DOs"))
        types[Name(d)] = Doc().FirstTarget(d, "sec:DO.DefinedBy_DOType");
    auto stValEnum = [&](const URI_Ref& type) {
        for (const URI_Ref& a : Members(type, "sec:DOType.Contains_DAs"))
            if (Name(a) == "stVal") return Name(Doc().FirstTarget(a, "sec:BDA.DefinedBy_EnumType"));
        return std::string();
    };
    EXPECT_EQ(stValEnum(types["Beh"]), "850EN_BehaviourModeKind");
    EXPECT_EQ(stValEnum(types["Health"]), "850EN_HealthKind");
    EXPECT_EQ(stValEnum(types["Mod"]), "850EN_BehaviourModeKind");
    EXPECT_NE(types["Beh"], types["Health"]);
    EXPECT_EQ(Name(types["Beh"]), "P1_ENS_BehaviourModeKind");
    EXPECT_EQ(Name(types["Mod"]), "P1_ENC_BehaviourModeKind");
    // Mod's operate structure carries the mode kind to its control value.
    int controlValues = 0;
    for (const URI_Ref& a : Members(types["Mod"], "sec:DOType.Contains_DAs")) {
        if (Name(a) != "Oper") continue;
        const URI_Ref oper = Doc().FirstTarget(a, "sec:BDA.DefinedBy_Struct");
        for (const URI_Ref& b : Members(oper, "sec:DAType.Contains_BDAs")) {
            if (Name(b) == "ctlVal") {
                EXPECT_EQ(Name(Doc().FirstTarget(b, "sec:BDA.DefinedBy_EnumType")), "850EN_BehaviourModeKind");
                ++controlValues;
            }
        }
    }
    EXPECT_EQ(controlValues, 1);
    EXPECT_TRUE(ui.Messages().empty());
}

}  // namespace
}  // namespace kiln::test
