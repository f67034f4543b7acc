// The committed standard-definitions domain, read as the document store and
// the plug-in read it: one standard package, links that resolve, sibling
// lists numbered from 1, value texts in the model namespace.
#include <gtest/gtest.h>

#include <cctype>
#include <set>

#include "tests/tools/nsd2cim/cim_index.h"

using nsd2cim_test::CimIndex;
using nsd2cim_test::kNs;

namespace {

const std::string kDomainFile = std::string(KILN_SOURCE_DIR) + "/domains/IEC61850_std.xml";

class StdDomain : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        index_ = new CimIndex;
        loaded_ = index_->Load(kDomainFile);
    }
    static void TearDownTestSuite() {
        delete index_;
        index_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(loaded_) << "cannot parse " << kDomainFile; }
    const CimIndex& ix() const { return *index_; }

    static CimIndex* index_;
    static bool loaded_;
};
CimIndex* StdDomain::index_ = nullptr;
bool StdDomain::loaded_ = false;

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

TEST_F(StdDomain, HoldsOneStandardPackageFoundByRefAndByName) {
    auto packages = ix().OfClass("sec:TypePackage");
    ASSERT_EQ(packages.size(), 1u);
    const std::string p = packages.front();
    EXPECT_EQ(ix().Attr(p, "sec:TypePackage.ref"), "http://www.iec.ch/61850/2003");
    EXPECT_EQ(ix().Name(p), "Orsane.Zel:2007");
    EXPECT_EQ(ix().Attr(p, "sec:TypePackage.isInstType"), "false");

    // Opening a document walks the package's LNodeTypes in sibling order and
    // takes "LLN0" and "LPHD" without regard to case.
    std::string lln0, lphd;
    for (const std::string& t : ix().Members(p, "sec:LNodeType.TypePackage")) {
        if (Lower(ix().Name(t)) == "lln0") lln0 = t;
        if (Lower(ix().Name(t)) == "lphd") lphd = t;
    }
    EXPECT_EQ(ix().Name(lln0), "LLN0");
    EXPECT_EQ(ix().Name(lphd), "LPHD");
}

TEST_F(StdDomain, IdsAreUniqueAndEveryLinkResolvesInTheFile) {
    std::set<std::string> ids;
    int links = 0;
    for (pugi::xml_node r : ix().Doc().document_element().children()) {
        const std::string id = r.attribute("rdf:ID").value();
        EXPECT_FALSE(id.empty()) << r.name();
        EXPECT_TRUE(ids.insert(id).second) << "repeated id " << id;
        EXPECT_EQ(id.find('#'), std::string::npos) << id;
        for (pugi::xml_node c : r.children()) {
            pugi::xml_attribute res = c.attribute("rdf:resource");
            if (!res) continue;
            ++links;
            const std::string t = res.value();
            ASSERT_FALSE(t.empty()) << id << " " << c.name();
            EXPECT_EQ(t[0], '#') << id << " " << c.name() << " names another domain";
            EXPECT_TRUE(ix().Has(t.substr(1))) << id << " " << c.name() << " -> " << t;
        }
    }
    EXPECT_GT(links, 5000);
}

TEST_F(StdDomain, EveryTypeBelongsToThePackageAndNoneIsAnInstanceType) {
    const std::string p = ix().OfClass("sec:TypePackage").front();
    for (const char* cls : {"sec:LNodeType", "sec:DOType", "sec:DAType", "sec:EnumType",
                            "sec:DOSemantic", "sec:DASemantic"}) {
        auto all = ix().OfClass(cls);
        EXPECT_FALSE(all.empty()) << cls;
        for (const std::string& t : all) {
            EXPECT_EQ(ix().Links(t, std::string(cls) + ".TypePackage"), std::vector<std::string>{p}) << t;
        }
    }
    const std::pair<std::string, std::string> kinds[] = {{"sec:LNodeType", "sec:LNodeType.ClassOf_LNType"},
                                                          {"sec:DOType", "sec:DOType.ClassOf_DOType"},
                                                          {"sec:DAType", "sec:DAType.ClassOf_DAType"}};
    for (const auto& [cls, classOf] : kinds) {
        for (const std::string& t : ix().OfClass(cls)) {
            EXPECT_EQ(ix().Attr(t, cls + ".isInstType"), "false") << t;
            EXPECT_FALSE(ix().HasRole(t, classOf)) << t;
        }
    }
}

// The sibling lists that the creators and the order commands keep: numbered
// 1..n in each parent list (the values of an enumeration carry their codes).
TEST_F(StdDomain, SiblingListsAreNumberedFromOne) {
    const std::string p = ix().OfClass("sec:TypePackage").front();
    auto contiguous = [&](const std::string& parent, const std::string& role) {
        auto members = ix().Members(parent, role);
        for (std::size_t i = 0; i < members.size(); ++i)
            EXPECT_EQ(ix().Attr(members[i], "e301:OrdNaming.ord"), std::to_string(i + 1))
                << role << " of " << parent;
    };
    for (const char* role : {"sec:LNodeType.TypePackage", "sec:DOType.TypePackage", "sec:DAType.TypePackage",
                             "sec:EnumType.TypePackage", "sec:DOSemantic.TypePackage",
                             "sec:DASemantic.TypePackage"})
        contiguous(p, role);
    for (const std::string& t : ix().OfClass("sec:LNodeType")) contiguous(t, "sec:DO.LNodeType");
    for (const std::string& t : ix().OfClass("sec:DOType")) {
        contiguous(t, "sec:DA.MemberOf_DOType");
        contiguous(t, "sec:SDO.MemberOf_DOType");
    }
    for (const std::string& t : ix().OfClass("sec:DAType")) contiguous(t, "sec:BDA.MemberOf_DAType");
    for (const std::string& e : ix().OfClass("sec:EnumType")) {
        auto vals = ix().Members(e, "sec:EnumVal.EnumType");
        EXPECT_FALSE(vals.empty()) << e;
        for (std::size_t i = 1; i < vals.size(); ++i) EXPECT_LT(ix().Ord(vals[i - 1]), ix().Ord(vals[i])) << e;
    }
}

TEST_F(StdDomain, MembersHaveOneParentOneTypeAndValuesOfTheModelNamespace) {
    for (const std::string& d : ix().OfClass("sec:DO")) {
        EXPECT_EQ(ix().Links(d, "sec:DO.LNodeType").size(), 1u) << d;
        EXPECT_EQ(ix().Links(d, "sec:DO.DefinedBy_DOType").size(), 1u) << d;
        EXPECT_EQ(ix().Class(ix().Link(d, "sec:DO.DefinedBy_DOType")), "sec:DOType") << d;
        EXPECT_EQ(ix().LinkName(d, "sec:DO.DOSemantic"), ix().Name(d)) << d;
        EXPECT_EQ(ix().Class(ix().Link(d, "sec:DO.DOSemantic")), "sec:DOSemantic") << d;
        EXPECT_TRUE(std::set<std::string>({"M", "O", "C"}).count(ix().Value(d, "sec:DO.presence", "PresenceTypeEnum")))
            << d;
    }
    for (const std::string& s : ix().OfClass("sec:SDO")) {
        EXPECT_EQ(ix().Links(s, "sec:SDO.MemberOf_DOType").size(), 1u) << s;
        EXPECT_EQ(ix().Class(ix().Link(s, "sec:SDO.DefinedBy_DOType")), "sec:DOType") << s;
        EXPECT_EQ(ix().LinkName(s, "sec:SDO.DASemantic"), ix().Name(s)) << s;
    }
    const std::set<std::string> fcs = {"ST", "MX", "CO", "SP", "SV", "CF", "DC", "SG", "SE", "SR", "OR", "BL", "EX"};
    for (const char* cls : {"sec:DA", "sec:BDA"}) {
        const bool isDa = std::string(cls) == "sec:DA";
        for (const std::string& a : ix().OfClass(cls)) {
            EXPECT_EQ(ix().Links(a, isDa ? "sec:DA.MemberOf_DOType" : "sec:BDA.MemberOf_DAType").size(), 1u) << a;
            EXPECT_EQ(ix().LinkName(a, "sec:BDA.DASemantic"), ix().Name(a)) << a;
            EXPECT_EQ(ix().Class(ix().Link(a, "sec:BDA.DASemantic")), "sec:DASemantic") << a;
            if (isDa) {
                EXPECT_TRUE(fcs.count(ix().Value(a, "sec:DA.fc_0", "FCType"))) << a;
                if (ix().HasRole(a, "sec:DA.trgOp")) {
                    EXPECT_TRUE(std::set<std::string>({"DChg", "QChg", "DUpd", "DChg_DUpd"})
                                    .count(ix().Value(a, "sec:DA.trgOp", "TrgOpTypeEnum")))
                        << a;
                }
            } else {
                EXPECT_FALSE(ix().HasRole(a, "sec:DA.fc_0")) << a;
                EXPECT_FALSE(ix().HasRole(a, "sec:DA.trgOp")) << a;
            }
            const std::string bType = ix().Attr(a, "sec:BDA.bType");
            if (bType.empty()) continue;  // set per controlled object or by the mapping
            ASSERT_EQ(bType.rfind(kNs + "PreBasicTypeEnum.", 0), 0u) << a;
            const bool isStruct = bType == kNs + "PreBasicTypeEnum.Struct";
            EXPECT_EQ(ix().Links(a, "sec:BDA.DefinedBy_Struct").size(), isStruct ? 1u : 0u) << a;
            if (isStruct) {
                EXPECT_EQ(ix().Class(ix().Link(a, "sec:BDA.DefinedBy_Struct")), "sec:DAType") << a;
            }
            if (bType != kNs + "PreBasicTypeEnum.Enum") {
                EXPECT_FALSE(ix().HasRole(a, "sec:BDA.DefinedBy_EnumType")) << a;
            }
        }
    }
}

// Instance types copy the DOs of an LN class and of its abstract classes, so
// the chain must end and must not declare one DO name twice.
TEST_F(StdDomain, AbstractChainsEndAndNeverRepeatADataObject) {
    for (const std::string& t : ix().OfClass("sec:LNodeType")) {
        EXPECT_LE(ix().Links(t, "sec:LNodeType.Abstract_Type").size(), 1u) << t;
        std::set<std::string> seenTypes, seenDos;
        for (std::string cur = t; !cur.empty(); cur = ix().Link(cur, "sec:LNodeType.Abstract_Type")) {
            ASSERT_TRUE(seenTypes.insert(cur).second) << "cycle at " << t;
            EXPECT_EQ(ix().Class(cur), "sec:LNodeType");
            for (const std::string& n : ix().MemberNames(cur, "sec:DO.LNodeType"))
                EXPECT_TRUE(seenDos.insert(n).second) << n << " twice along the chain of " << ix().Name(t);
        }
    }
}

TEST_F(StdDomain, CarriesTheIecCopyrightAheadOfTheRoot) {
    pugi::xml_node first = ix().Doc().first_child();
    while (first && first.type() != pugi::node_comment && first.type() != pugi::node_element)
        first = first.next_sibling();
    ASSERT_EQ(first.type(), pugi::node_comment);
    const std::string text = first.value();
    EXPECT_NE(text.find("COPYRIGHT (c) IEC"), std::string::npos);
    EXPECT_NE(text.find("www.iec.ch/CCv1"), std::string::npos);
}

}  // namespace
