// The committed standard-definitions domain imported into the document store
// as an external domain, then walked through the document operations the way
// the plug-in walks the standard package.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/framework/doc_services.h"
#include "tests/tools/nsd2cim/cim_index.h"

namespace {

const CString kDomainFile = CString(KILN_SOURCE_DIR) + "/domains/IEC61850_std.xml";

class StdDomainInStore : public ::testing::Test {
protected:
    CDocServices svc;
    CString domain;
    nsd2cim_test::CimIndex file;  // the same file read directly, for counts

    void SetUp() override {
        ASSERT_TRUE(file.Load(kDomainFile.str()));
        ASSERT_TRUE(svc.m_Doc.isOpened()) << "schema not loaded";
        URI_Ref type;
        ASSERT_TRUE(svc.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type));
        ASSERT_TRUE(svc.Import_ExterDomainFile(type, "sec:TypePackage", kDomainFile, &domain)) << svc.LastDocError();
    }

    std::vector<URI_Ref> Members(const URI_Ref& r, const CString& role) {
        std::vector<URI_Ref> out;
        EXPECT_TRUE(svc.DocMtd_get_Association_BUris(r, role, out, "e301:OrdNaming.ord", SortPolicy_ByOrd));
        return out;
    }
    CString Name(const URI_Ref& r) { return svc.DocMtd_getValue_ofAttr(r, "cim:Naming.name"); }
    URI_Ref Named(const std::vector<URI_Ref>& list, const CString& name) {
        for (const URI_Ref& r : list)
            if (Name(r) == name) return r;
        return {};
    }
};

TEST_F(StdDomainInStore, OpeningFindsThePackageAndItsLln0AndLphd) {
    // As a document is opened: the first package whose ref is the IEC 61850
    // (2003) namespace URI, then "LLN0" and "LPHD" among its LNodeTypes.
    std::vector<URI_Ref> packages;
    ASSERT_TRUE(svc.DocMtd_get_Uris_byClassName("sec:TypePackage", packages, "", SortPolicy_ByName));
    URI_Ref std;
    for (const URI_Ref& p : packages)
        if (svc.DocMtd_getValue_ofAttr(p, "sec:TypePackage.ref") == "http://www.iec.ch/61850/2003") std = p;
    ASSERT_FALSE(std.IsEmpty());
    EXPECT_EQ(Name(std), "Orsane.Zel:2007");
    CString d;
    ASSERT_TRUE(svc.DocMtd_DEnv_Get_Rsc_Domain(std, d));
    EXPECT_EQ(d, domain);

    std::vector<URI_Ref> lnTypes = Members(std, "sec:TypePackage.LNodeTypes");
    EXPECT_EQ(lnTypes.size(), file.OfClass("sec:LNodeType").size());
    EXPECT_FALSE(Named(lnTypes, "LLN0").IsEmpty());
    EXPECT_FALSE(Named(lnTypes, "LPHD").IsEmpty());
    EXPECT_EQ(Members(std, "sec:TypePackage.DOTypes").size(), file.OfClass("sec:DOType").size());
    EXPECT_EQ(Members(std, "sec:TypePackage.EnumTypes").size(), file.OfClass("sec:EnumType").size());
    EXPECT_EQ(Members(std, "sec:TypePackage.DASemantics").size(), file.OfClass("sec:DASemantic").size());
}

TEST_F(StdDomainInStore, TypesAndMembersAreReachableFromBothEnds) {
    URI_Ref std = svc.DocMtd_TestBy_URIRef(domain + "StdTypePackage");
    ASSERT_FALSE(std.IsEmpty());
    std::vector<URI_Ref> lnTypes = Members(std, "sec:TypePackage.LNodeTypes");

    // The DOs of PTOC and of its abstract classes, as instantiation lists them.
    URI_Ref ptoc = Named(lnTypes, "PTOC");
    std::vector<CString> dos;
    for (URI_Ref t = ptoc; !t.IsEmpty(); t = svc.DocMtd_getFirstUri_ofAsso(t, "sec:LNodeType.Abstract_Type"))
        for (const URI_Ref& d : Members(t, "sec:LNodeType.DOs")) dos.push_back(Name(d));
    EXPECT_NE(std::find(dos.begin(), dos.end(), CString("Op")), dos.end());
    EXPECT_NE(std::find(dos.begin(), dos.end(), CString("Beh")), dos.end());
    URI_Ref domainLn = Named(lnTypes, "DomainLN");
    std::vector<URI_Ref> derived;
    ASSERT_TRUE(svc.DocMtd_get_Association_BUris(domainLn, "sec:LNodeType.Derivative_Types", derived, "",
                                                 SortPolicy_None));
    EXPECT_FALSE(derived.empty());

    // A CDC through its DAs, their class and enumeration links, and back.
    URI_Ref spc = Named(Members(std, "sec:TypePackage.DOTypes"), "SPC");
    URI_Ref ctlModel = Named(Members(spc, "sec:DOType.Contains_DAs"), "ctlModel");
    EXPECT_TRUE(svc.DocMtd_getValue_ofAttr(ctlModel, "sec:DA.fc_0").Find("#FCType.CF") > 0);
    EXPECT_TRUE(svc.DocMtd_getValue_ofAttr(ctlModel, "sec:BDA.bType").Find("#PreBasicTypeEnum.Enum") > 0);
    URI_Ref en = svc.DocMtd_getFirstUri_ofAsso(ctlModel, "sec:BDA.DefinedBy_EnumType");
    EXPECT_EQ(Name(en), "850EN_CtlModelKind");
    EXPECT_EQ(Members(en, "sec:EnumType.EnumVals").size(), 5u);
    std::vector<URI_Ref> users;
    ASSERT_TRUE(svc.DocMtd_get_Association_BUris(en, "sec:EnumType.TypeOf_BDA", users, "", SortPolicy_None));
    EXPECT_GE(users.size(), 8u);  // ctlModel of every control CDC

    std::vector<URI_Ref> sps;
    URI_Ref last;
    ASSERT_EQ(svc.DocMtd_get_descendent_BUris(std, "sec:TypePackage.DOTypes/sec:DOType.TypeOf_DO", sps, last, "",
                                              SortPolicy_None),
              1);
    EXPECT_EQ(sps.size(), file.OfClass("sec:DO").size());  // every DO of every LN class is typed by a CDC
    EXPECT_EQ(svc.DocMtd_getFirstValue_ofAsso(Named(Members(spc, "sec:DOType.Contains_DAs"), "Oper"),
                                              "sec:BDA.DefinedBy_Struct", "cim:Naming.name"),
              "Oper_BOOLEAN");
}

}  // namespace
