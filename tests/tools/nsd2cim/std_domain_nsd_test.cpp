// The committed standard-definitions domain against the NSD files it was
// made from, for a sample of LN classes, CDCs, DA classes and enumerations.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "tests/tools/nsd2cim/cim_index.h"

using nsd2cim_test::CimIndex;

namespace {

const std::string kDomainFile = std::string(KILN_SOURCE_DIR) + "/domains/IEC61850_std.xml";
const std::string kNsdDir = std::string(KILN_SHARED_DIR) + "/nsd";

// The four NSD files, searched the way a reader of the standard would.
struct Nsd {
    pugi::xml_document d72, d73, d74, d81;

    bool Load() {
        return d72.load_file((kNsdDir + "/IEC_61850-7-2_2007B5.nsd").c_str()) &&
               d73.load_file((kNsdDir + "/IEC_61850-7-3_2007B5.nsd").c_str()) &&
               d74.load_file((kNsdDir + "/IEC_61850-7-4_2007B5.nsd").c_str()) &&
               d81.load_file((kNsdDir + "/IEC_61850-8-1_2003A2.nsd").c_str());
    }
    pugi::xml_node LnClass(const std::string& name) const {
        for (pugi::xml_node c : d74.document_element().child("LNClasses").children())
            if (name == c.attribute("name").value()) return c;
        return {};
    }
    std::vector<pugi::xml_node> CdcVariants(const std::string& name) const {
        std::vector<pugi::xml_node> out;
        for (pugi::xml_node c : d73.document_element().child("CDCs").children("CDC"))
            if (name == c.attribute("name").value()) out.push_back(c);
        return out;
    }
    pugi::xml_node Constructed(const std::string& name) const {
        for (const pugi::xml_document* d : {&d72, &d73})
            for (pugi::xml_node c : d->document_element().child("ConstructedAttributes").children())
                if (name == c.attribute("name").value()) return c;
        return {};
    }
    pugi::xml_node Enumeration(const std::string& name) const {
        for (const pugi::xml_document* d : {&d72, &d73, &d74})
            for (pugi::xml_node e : d->document_element().child("Enumerations").children())
                if (name == e.attribute("name").value()) return e;
        return {};
    }
    pugi::xml_node ServiceCdc(const std::string& name) const {
        for (pugi::xml_node c : d81.document_element().child("ServiceCDCs").children())
            if (name == c.attribute("cdc").value()) return c;
        return {};
    }
};

std::string ExpectedPresence(const std::string& presCond) {
    if (presCond == "M" || presCond == "Mmulti") return "M";
    if (presCond == "O" || presCond == "Omulti" || presCond == "OmultiRange") return "O";
    return "C";
}

std::string ExpectedTrgOp(pugi::xml_node a) {
    const bool dchg = a.attribute("dchg").as_bool(), qchg = a.attribute("qchg").as_bool(),
               dupd = a.attribute("dupd").as_bool();
    if (qchg) return "QChg";
    if (dchg) return dupd ? "DChg_DUpd" : "DChg";
    return dupd ? "DUpd" : "";
}

class StdDomainVsNsd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!std::filesystem::is_directory(kNsdDir)) return;
        index_ = new CimIndex;
        nsd_ = new Nsd;
        loaded_ = index_->Load(kDomainFile) && nsd_->Load();
    }
    static void TearDownTestSuite() {
        delete index_;
        delete nsd_;
        index_ = nullptr;
        nsd_ = nullptr;
    }
    void SetUp() override {
        if (!std::filesystem::is_directory(kNsdDir))
            GTEST_SKIP() << "the NSD files are not there (" << kNsdDir << "): ../shared is absent";
        ASSERT_TRUE(loaded_) << "cannot parse " << kDomainFile << " or the NSD files";
    }
    const CimIndex& ix() const { return *index_; }
    const Nsd& nsd() const { return *nsd_; }

    // bType and type link of a DA or BDA against its NSD attribute.
    void ExpectValueType(const std::string& member, pugi::xml_node a) const {
        const std::string kind = a.attribute("typeKind") ? a.attribute("typeKind").value() : "BASIC";
        const std::string type = a.attribute("type").value();
        const std::string bType = ix().Value(member, "sec:BDA.bType", "PreBasicTypeEnum");
        SCOPED_TRACE(ix().Name(member));
        if (kind == "BASIC") {
            EXPECT_EQ(bType, type);
        } else if (kind == "CONSTRUCTED") {
            EXPECT_EQ(bType, "Struct");
            const std::string cls = ix().LinkName(member, "sec:BDA.DefinedBy_Struct");
            if (a.attribute("underlyingTypeKind")) {  // a class of the mapping, per control value
                EXPECT_EQ(cls.rfind(type + "_", 0), 0u) << cls;
            } else {
                EXPECT_EQ(cls, type);
            }
        } else if (kind == "ENUMERATED") {
            EXPECT_EQ(bType, "Enum");
            EXPECT_EQ(ix().LinkName(member, "sec:BDA.DefinedBy_EnumType"), type.empty() ? "" : "850EN_" + type);
        } else if (kind == "SCSM") {  // the mapping's physical communication address
            EXPECT_EQ(bType, "PhyComAddr");
        } else {  // "undefined": the tracked control value, chosen as a single point's
            EXPECT_EQ(kind, "undefined");
            EXPECT_EQ(bType, "BOOLEAN");
        }
    }

    // The DAs of a CDC against the DataAttributes of its first NSD variant.
    void ExpectCdcAttributes(const std::string& cdc) const {
        SCOPED_TRACE(cdc);
        const std::string t = ix().One("sec:DOType", cdc);
        ASSERT_FALSE(t.empty());
        auto variants = nsd().CdcVariants(cdc);
        ASSERT_EQ(variants.size(), 1u);
        std::vector<std::string> expected;
        for (pugi::xml_node a : variants[0].children("DataAttribute")) {
            expected.push_back(a.attribute("name").value());
            const std::string da = ix().Member(t, "sec:DA.MemberOf_DOType", expected.back());
            ASSERT_FALSE(da.empty()) << expected.back();
            EXPECT_EQ(ix().Value(da, "sec:DA.fc_0", "FCType"), a.attribute("fc").value());
            EXPECT_FALSE(ix().HasRole(da, "sec:DA.fc_1"));
            const std::string trg = ExpectedTrgOp(a);
            EXPECT_EQ(ix().HasRole(da, "sec:DA.trgOp") ? ix().Value(da, "sec:DA.trgOp", "TrgOpTypeEnum") : "", trg)
                << expected.back();
            EXPECT_EQ(ix().Value(da, "sec:BDA.presence", "PresenceTypeEnum"),
                      ExpectedPresence(a.attribute("presCond").value()))
                << expected.back();
            ExpectValueType(da, a);
        }
        for (pugi::xml_node a : nsd().ServiceCdc(cdc).children("ServiceDataAttribute"))
            expected.push_back(a.attribute("name").value());
        EXPECT_EQ(ix().MemberNames(t, "sec:DA.MemberOf_DOType"), expected);
    }

    static CimIndex* index_;
    static Nsd* nsd_;
    static bool loaded_;
};
CimIndex* StdDomainVsNsd::index_ = nullptr;
Nsd* StdDomainVsNsd::nsd_ = nullptr;
bool StdDomainVsNsd::loaded_ = false;

TEST_F(StdDomainVsNsd, LnClassesCarryTheirDataObjectsWithCdcAndPresence) {
    for (const char* name : {"LLN0", "LPHD", "PTOC", "XCBR", "MMXU", "GGIO", "StatisticsLN"}) {
        SCOPED_TRACE(name);
        const std::string t = ix().One("sec:LNodeType", name);
        ASSERT_FALSE(t.empty());
        pugi::xml_node cls = nsd().LnClass(name);
        ASSERT_TRUE(cls);
        std::vector<std::string> expected;
        for (pugi::xml_node d : cls.children("DataObject")) {
            const std::string presCond = d.attribute("presCond").value();
            if (presCond == "F") continue;  // forbidden: not part of the class
            expected.push_back(d.attribute("name").value());
            const std::string o = ix().Member(t, "sec:DO.LNodeType", expected.back());
            ASSERT_FALSE(o.empty()) << expected.back();
            EXPECT_EQ(ix().LinkName(o, "sec:DO.DefinedBy_DOType"), d.attribute("type").value()) << expected.back();
            EXPECT_EQ(ix().Value(o, "sec:DO.presence", "PresenceTypeEnum"), ExpectedPresence(presCond))
                << expected.back();
            EXPECT_EQ(ix().Attr(o, "sec:DO.transient"), d.attribute("transient").as_bool() ? "true" : "")
                << expected.back();
        }
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(ix().MemberNames(t, "sec:DO.LNodeType"), expected);
    }
    // StatisticsLN declares ClcSrc as forbidden.
    EXPECT_TRUE(ix().Member(ix().One("sec:LNodeType", "StatisticsLN"), "sec:DO.LNodeType", "ClcSrc").empty());
}

TEST_F(StdDomainVsNsd, AbstractBaseClassesFollowTheNsd) {
    for (const char* name : {"LLN0", "LPHD", "PTOC", "XCBR", "MMXU", "GGIO"}) {
        SCOPED_TRACE(name);
        std::vector<std::string> nsdChain, chain;
        for (std::string b = nsd().LnClass(name).attribute("base").value(); !b.empty();
             b = nsd().LnClass(b).attribute("base").value()) {
            ASSERT_EQ(std::string(nsd().LnClass(b).name()), "AbstractLNClass");
            nsdChain.push_back(b);
            ASSERT_LT(nsdChain.size(), 20u);
        }
        for (std::string t = ix().Link(ix().One("sec:LNodeType", name), "sec:LNodeType.Abstract_Type"); !t.empty();
             t = ix().Link(t, "sec:LNodeType.Abstract_Type")) {
            chain.push_back(ix().Name(t));
            ASSERT_LT(chain.size(), 20u);
        }
        EXPECT_EQ(chain, nsdChain);
    }
    // A protection function inherits Beh and Mod from its abstract classes
    // instead of declaring them itself.
    const std::string ptoc = ix().One("sec:LNodeType", "PTOC");
    std::set<std::string> inherited;
    for (std::string t = ix().Link(ptoc, "sec:LNodeType.Abstract_Type"); !t.empty();
         t = ix().Link(t, "sec:LNodeType.Abstract_Type"))
        for (const std::string& n : ix().MemberNames(t, "sec:DO.LNodeType")) inherited.insert(n);
    EXPECT_TRUE(inherited.count("Beh"));
    EXPECT_TRUE(inherited.count("Mod"));
    EXPECT_TRUE(ix().Member(ptoc, "sec:DO.LNodeType", "Beh").empty());
}

TEST_F(StdDomainVsNsd, CdcsCarryTheirAttributesFcsTriggerOptionsAndTypes) {
    for (const char* cdc : {"SPS", "DPC", "MV", "WYE", "CTS", "GTS", "MTS", "NTS"}) ExpectCdcAttributes(cdc);
    // Every attribute has a basic type, whatever the definitions leave open.
    for (const char* cls : {"sec:DA", "sec:BDA"})
        for (const std::string& member : ix().OfClass(cls))
            EXPECT_NE(ix().Value(member, "sec:BDA.bType", "PreBasicTypeEnum"), "") << ix().Name(member);

    // Spot checks that do not lean on the helper.
    const std::string mv = ix().One("sec:DOType", "MV");
    const std::string mag = ix().Member(mv, "sec:DA.MemberOf_DOType", "mag");
    EXPECT_EQ(ix().Value(mag, "sec:DA.trgOp", "TrgOpTypeEnum"), "DChg_DUpd");
    EXPECT_EQ(ix().LinkName(mag, "sec:BDA.DefinedBy_Struct"), "AnalogueValue");
    const std::string q = ix().Member(ix().One("sec:DOType", "SPS"), "sec:DA.MemberOf_DOType", "q");
    EXPECT_EQ(ix().Value(q, "sec:DA.trgOp", "TrgOpTypeEnum"), "QChg");
    EXPECT_EQ(ix().Value(q, "sec:DA.fc_0", "FCType"), "ST");
}

TEST_F(StdDomainVsNsd, WyeHoldsItsPhasesAsSubDataObjectsOfCmv) {
    const std::string wye = ix().One("sec:DOType", "WYE");
    std::vector<std::string> expected;
    for (pugi::xml_node s : nsd().CdcVariants("WYE")[0].children("SubDataObject")) {
        expected.push_back(s.attribute("name").value());
        const std::string sdo = ix().Member(wye, "sec:SDO.MemberOf_DOType", expected.back());
        ASSERT_FALSE(sdo.empty()) << expected.back();
        EXPECT_EQ(ix().LinkName(sdo, "sec:SDO.DefinedBy_DOType"), s.attribute("type").value());
        EXPECT_EQ(ix().Value(sdo, "sec:SDO.presence", "PresenceTypeEnum"),
                  ExpectedPresence(s.attribute("presCond").value()));
    }
    EXPECT_EQ(ix().MemberNames(wye, "sec:SDO.MemberOf_DOType"), expected);
    EXPECT_EQ(expected.front(), "phsA");
    // The phase values themselves: cVal of CMV, a measured vector.
    const std::string cVal = ix().Member(ix().One("sec:DOType", "CMV"), "sec:DA.MemberOf_DOType", "cVal");
    EXPECT_EQ(ix().Value(cVal, "sec:DA.fc_0", "FCType"), "MX");
    EXPECT_EQ(ix().LinkName(cVal, "sec:BDA.DefinedBy_Struct"), "Vector");
}

// Every array member of a CDC (isArray, DataAttribute or SubDataObject of any
// variant) carries its size as the NSD names it, the attribute that holds it;
// a CDC whose members come in another order than its DAs, then its SDOs
// carries its order across both kinds.
TEST_F(StdDomainVsNsd, ArraysCarryTheirSizeAttributeAndCdcsTheirOrderAcrossKinds) {
    int arrays = 0;
    for (pugi::xml_node c : nsd().d73.document_element().child("CDCs").children("CDC")) {
        const std::string t = ix().One("sec:DOType", c.attribute("name").value());
        std::string kinds;
        for (pugi::xml_node m : c.children()) {
            const bool sdo = std::string(m.name()) == "SubDataObject";
            if (!sdo && std::string(m.name()) != "DataAttribute") continue;
            kinds += sdo ? 'S' : 'A';
            const std::string member = ix().Member(t, sdo ? "sec:SDO.MemberOf_DOType" : "sec:DA.MemberOf_DOType",
                                                   m.attribute("name").value());
            const std::string where = std::string(c.attribute("name").value()) + "." + m.attribute("name").value();
            if (member.empty()) continue;  // presence conditions the package leaves out
            const std::string size = m.attribute("isArray").as_bool() ? m.attribute("sizeAttribute").value() : "";
            EXPECT_EQ(ix().Attr(member, sdo ? "sec:SDO.count" : "sec:BDA.count"), size) << where;
            arrays += !size.empty();
        }
        const bool daFirst = kinds.find("SA") == std::string::npos;
        EXPECT_EQ(ix().Attr(t, "sec:DOType.memberKinds"), daFirst ? "" : kinds) << c.attribute("name").value();
    }
    EXPECT_EQ(arrays, 16);  // CSG's crvPts once for each of its three variants
}

// The SP, SG and SE variants of a setting CDC are one DOType whose setting
// attribute offers the three constraints as alternatives.
TEST_F(StdDomainVsNsd, SettingVariantsBecomeOneCdcWithAlternativeFcs) {
    for (const auto& [cdc, attr] : {std::pair{"ING", "setVal"}, std::pair{"ASG", "setMag"}}) {
        SCOPED_TRACE(cdc);
        auto variants = nsd().CdcVariants(cdc);
        ASSERT_EQ(variants.size(), 3u);
        const std::string t = ix().One("sec:DOType", cdc);
        ASSERT_FALSE(t.empty());
        std::vector<std::string> first;
        for (pugi::xml_node a : variants[0].children("DataAttribute")) first.push_back(a.attribute("name").value());
        EXPECT_EQ(ix().MemberNames(t, "sec:DA.MemberOf_DOType"), first);
        const std::string da = ix().Member(t, "sec:DA.MemberOf_DOType", attr);
        for (int i = 0; i < 3; ++i) {
            const std::string fc = variants[static_cast<std::size_t>(i)]
                                       .find_child_by_attribute("DataAttribute", "name", attr)
                                       .attribute("fc")
                                       .value();
            EXPECT_EQ(ix().Value(da, "sec:DA.fc_" + std::to_string(i), "FCType"), fc);
        }
        // The trigger option of the SP variant (SG and SE have none).
        EXPECT_EQ(ix().Value(da, "sec:DA.trgOp", "TrgOpTypeEnum"), "DChg");
    }
}

TEST_F(StdDomainVsNsd, ControlCdcsGetTheOperateAttributesOfTheMapping) {
    struct Case {
        const char* cdc;
        const char* ctlValBType;
        const char* ctlValStruct;
    };
    for (const Case& c : {Case{"DPC", "BOOLEAN", ""}, Case{"INC", "INT32", ""},
                          Case{"APC", "Struct", "AnalogueValueCtl"}, Case{"ENC", "Enum", ""}}) {
        SCOPED_TRACE(c.cdc);
        const std::string t = ix().One("sec:DOType", c.cdc);
        const std::string oper = ix().Member(t, "sec:DA.MemberOf_DOType", "Oper");
        ASSERT_FALSE(oper.empty());
        EXPECT_EQ(ix().Value(oper, "sec:DA.fc_0", "FCType"), "CO");
        const std::string cls = ix().Link(oper, "sec:BDA.DefinedBy_Struct");
        EXPECT_EQ(ix().MemberNames(cls, "sec:BDA.MemberOf_DAType"),
                  (std::vector<std::string>{"ctlVal", "operTm", "origin", "ctlNum", "T", "Test", "Check"}));
        const std::string ctlVal = ix().Member(cls, "sec:BDA.MemberOf_DAType", "ctlVal");
        EXPECT_EQ(ix().Value(ctlVal, "sec:BDA.bType", "PreBasicTypeEnum"), c.ctlValBType);
        EXPECT_EQ(ix().LinkName(ctlVal, "sec:BDA.DefinedBy_Struct"), c.ctlValStruct);
        EXPECT_EQ(ix().LinkName(ix().Member(cls, "sec:BDA.MemberOf_DAType", "origin"), "sec:BDA.DefinedBy_Struct"),
                  "Originator");
    }
    // Two CDCs with the same control value share one class.
    const std::string spcOper = ix().Member(ix().One("sec:DOType", "SPC"), "sec:DA.MemberOf_DOType", "Oper");
    const std::string dpcOper = ix().Member(ix().One("sec:DOType", "DPC"), "sec:DA.MemberOf_DOType", "Oper");
    EXPECT_EQ(ix().Link(spcOper, "sec:BDA.DefinedBy_Struct"), ix().Link(dpcOper, "sec:BDA.DefinedBy_Struct"));
}

TEST_F(StdDomainVsNsd, ConstructedClassesCarryTheirMembers) {
    for (const char* name : {"AnalogueValue", "Vector", "Unit", "Originator"}) {
        SCOPED_TRACE(name);
        const std::string t = ix().One("sec:DAType", name);
        ASSERT_FALSE(t.empty());
        std::vector<std::string> expected;
        for (pugi::xml_node s : nsd().Constructed(name).children("SubDataAttribute")) {
            expected.push_back(s.attribute("name").value());
            const std::string bda = ix().Member(t, "sec:BDA.MemberOf_DAType", expected.back());
            ASSERT_FALSE(bda.empty()) << expected.back();
            EXPECT_EQ(ix().Value(bda, "sec:BDA.presence", "PresenceTypeEnum"),
                      ExpectedPresence(s.attribute("presCond").value()));
            ExpectValueType(bda, s);
        }
        EXPECT_EQ(ix().MemberNames(t, "sec:BDA.MemberOf_DAType"), expected);
    }
    const std::string av = ix().One("sec:DAType", "AnalogueValue");
    auto bType = [&](const char* m) {
        return ix().Value(ix().Member(av, "sec:BDA.MemberOf_DAType", m), "sec:BDA.bType", "PreBasicTypeEnum");
    };
    EXPECT_EQ(bType("i"), "INT32");
    EXPECT_EQ(bType("f"), "FLOAT32");
    // Quality is a basic type of 7-2 (a packed list), not a constructed class.
    EXPECT_TRUE(nsd().d72.document_element().child("BasicTypes").find_child_by_attribute("name", "Quality"));
    EXPECT_TRUE(ix().Named("sec:DAType", "Quality").empty());
}

TEST_F(StdDomainVsNsd, EnumerationsCarryTheirLiteralsAndAreLinkedFromTheirAttributes) {
    for (const char* name : {"CtlModelKind", "MultiplierKind", "BehaviourModeKind", "OriginatorCategoryKind"}) {
        SCOPED_TRACE(name);
        const std::string e = ix().One("sec:EnumType", std::string("850EN_") + name);
        ASSERT_FALSE(e.empty());
        std::vector<std::string> names, ords;
        for (pugi::xml_node l : nsd().Enumeration(name).children("Literal")) {
            names.push_back(l.attribute("name").value());
            ords.push_back(l.attribute("literalVal").value());
        }
        std::vector<std::string> gotNames, gotVals, gotOrds;
        for (const std::string& v : ix().Members(e, "sec:EnumVal.EnumType")) {
            gotNames.push_back(ix().Name(v));
            gotVals.push_back(ix().Attr(v, "sec:EnumVal.val"));
            gotOrds.push_back(ix().Attr(v, "e301:OrdNaming.ord"));
        }
        EXPECT_EQ(gotNames, names);
        EXPECT_EQ(gotVals, names);
        EXPECT_EQ(gotOrds, ords);
    }
    EXPECT_EQ(ix().Attr(ix().Members(ix().One("sec:EnumType", "850EN_MultiplierKind"), "sec:EnumVal.EnumType").front(),
                        "e301:OrdNaming.ord"),
              "-24");
    const std::string ctlModel = ix().Member(ix().One("sec:DOType", "SPC"), "sec:DA.MemberOf_DOType", "ctlModel");
    EXPECT_EQ(ix().LinkName(ctlModel, "sec:BDA.DefinedBy_EnumType"), "850EN_CtlModelKind");
    // A default value is one of its enumeration's values (the NSD names the
    // literal "" of MultiplierKind by its description "none").
    for (const char* cls : {"sec:DA", "sec:BDA"})
        for (const std::string& member : ix().OfClass(cls)) {
            const std::string value = ix().Attr(member, "sec:BDA.valueStr");
            const std::string type = ix().Link(member, "sec:BDA.DefinedBy_EnumType");
            if (value.empty() || type.empty()) continue;
            std::vector<std::string> vals;
            for (const std::string& v : ix().Members(type, "sec:EnumVal.EnumType"))
                vals.push_back(ix().Attr(v, "sec:EnumVal.val"));
            EXPECT_NE(std::find(vals.begin(), vals.end(), value), vals.end()) << member << ": " << value;
        }
}

TEST_F(StdDomainVsNsd, EveryClassOfTheNsdIsInThePackage) {
    std::set<std::string> lnClasses, cdcs, constructed, enums;
    for (pugi::xml_node c : nsd().d74.document_element().child("LNClasses").children())
        lnClasses.insert(c.attribute("name").value());
    for (pugi::xml_node c : nsd().d73.document_element().child("CDCs").children("CDC"))
        cdcs.insert(c.attribute("name").value());
    for (const pugi::xml_document* d : {&nsd().d72, &nsd().d73}) {
        for (pugi::xml_node c : d->document_element().child("ConstructedAttributes").children())
            constructed.insert(c.attribute("name").value());
    }
    for (const pugi::xml_document* d : {&nsd().d72, &nsd().d73, &nsd().d74}) {
        for (pugi::xml_node e : d->document_element().child("Enumerations").children())
            enums.insert(std::string("850EN_") + e.attribute("name").value());
    }
    auto names = [&](const char* cls) {
        std::set<std::string> out;
        for (const std::string& id : ix().OfClass(cls)) out.insert(ix().Name(id));
        return out;
    };
    EXPECT_EQ(names("sec:LNodeType"), lnClasses);
    EXPECT_EQ(ix().OfClass("sec:LNodeType").size(), lnClasses.size());
    EXPECT_EQ(names("sec:DOType"), cdcs);
    EXPECT_EQ(ix().OfClass("sec:DOType").size(), cdcs.size());
    EXPECT_EQ(names("sec:EnumType"), enums);
    std::set<std::string> daTypes = names("sec:DAType");
    for (const std::string& c : constructed) EXPECT_TRUE(daTypes.count(c)) << c;
}

}  // namespace

namespace {

// Every LN class element of 7-4 with its tag, and every data object with the
// name of its class.
std::vector<pugi::xml_node> LnClassElements(const pugi::xml_document& d74) {
    std::vector<pugi::xml_node> out;
    for (pugi::xml_node c : d74.document_element().child("LNClasses").children())
        if (std::string(c.name()) == "LNClass" || std::string(c.name()) == "AbstractLNClass") out.push_back(c);
    return out;
}

}  // namespace

// Abstract classes carry the mark that keeps them out of the lists of
// classes to instantiate; no other class does.
TEST_F(StdDomainVsNsd, AbstractClassesAreMarked) {
    int marked = 0;
    for (pugi::xml_node c : LnClassElements(nsd().d74)) {
        const std::string t = ix().One("sec:LNodeType", c.attribute("name").value());
        ASSERT_FALSE(t.empty()) << c.attribute("name").value();
        const bool isAbstract = std::string(c.name()) == "AbstractLNClass";
        EXPECT_EQ(ix().Attr(t, "sec:LNodeType.isAbstract"), isAbstract ? "true" : "") << ix().Name(t);
        marked += isAbstract;
    }
    EXPECT_EQ(marked, 39);
}

// The enumeration that 7-4 gives a data object of an enumerated CDC is
// linked from the data object; the CDC keeps its value attributes open.
TEST_F(StdDomainVsNsd, EnumeratedDataObjectsNameTheirEnumeration) {
    int linked = 0, placeholders = 0;
    for (pugi::xml_node c : LnClassElements(nsd().d74)) {
        const std::string t = ix().One("sec:LNodeType", c.attribute("name").value());
        for (pugi::xml_node d : c.children("DataObject")) {
            if (std::string(d.attribute("presCond").value()) == "F") continue;
            const std::string o = ix().Member(t, "sec:DO.LNodeType", d.attribute("name").value());
            ASSERT_FALSE(o.empty()) << ix().Name(t) << "." << d.attribute("name").value();
            const std::string underlying = d.attribute("underlyingType").value();
            const bool isEnum = !underlying.empty() && nsd().Enumeration(underlying);
            // The placeholder of an application's enumeration takes the schedule's state kind.
            const bool open = underlying == "EnumDA";
            EXPECT_EQ(ix().LinkName(o, "sec:DO.DefinedBy_EnumType"),
                      isEnum ? "850EN_" + underlying : open ? "850EN_ScheduleStateKind" : "")
                << ix().Name(t) << "." << ix().Name(o);
            linked += isEnum;
            placeholders += open;
        }
    }
    EXPECT_EQ(linked, 90);
    EXPECT_EQ(placeholders, 3);  // FSCC.ValENS, FSCH.ValENS, FSCH.ValENG
    // Beh, Health and Mod of the common base class.
    const std::string domainLn = ix().One("sec:LNodeType", "DomainLN");
    for (const auto& [name, kind] : {std::pair<const char*, const char*>{"Beh", "850EN_BehaviourModeKind"},
                                     {"Health", "850EN_HealthKind"},
                                     {"Mod", "850EN_BehaviourModeKind"}})
        EXPECT_EQ(ix().LinkName(ix().Member(domainLn, "sec:DO.LNodeType", name), "sec:DO.DefinedBy_EnumType"), kind);
    const std::string ensStVal = ix().Member(ix().One("sec:DOType", "ENS"), "sec:DA.MemberOf_DOType", "stVal");
    EXPECT_EQ(ix().Value(ensStVal, "sec:BDA.bType", "PreBasicTypeEnum"), "Enum");
    EXPECT_FALSE(ix().HasRole(ensStVal, "sec:BDA.DefinedBy_EnumType"));
}
