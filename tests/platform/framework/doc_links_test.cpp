// Links, attributes and resources of the document store.
#include "platform/framework/cim_schema.h"
#include "tests/platform/framework/doc_fixture.h"

using Strs = std::vector<std::string>;

TEST_F(DocTest, LinksAddedFromEitherEndKeepTheOtherEnd) {
    URI_Ref pkg = Make(kPkgDomain, "sec:TypePackage", "P");
    URI_Ref t1 = Child(pkg, "sec:LNodeType", "sec:LNodeType.TypePackage", "T1");
    // From the parent's side, as the type-package creator links an ICD's package.
    URI_Ref icd = Make(kIcdDomain, "sec:ICD", "I");
    ASSERT_TRUE(svc.DocMtd_add_Association(icd, "sec:ICD.TypePackage", pkg));

    EXPECT_EQ(svc.DocMtd_getFirstUri_ofAsso(pkg, "sec:TypePackage.ICD"), icd);
    EXPECT_EQ(svc.DocMtd_getFirstUri_ofAsso(pkg, "sec:TypePackage.LNodeTypes"), t1);
    EXPECT_EQ(svc.DocMtd_getFirstUri_ofAsso(t1, "sec:LNodeType.TypePackage"), pkg);
    EXPECT_EQ(svc.DocMtd_getFirstUri_ofAsso(t1, "sec:LNodeType.TypePackage").sClass, "sec:TypePackage");

    // Adding a link twice keeps one.
    ASSERT_TRUE(svc.DocMtd_add_Association(pkg, "sec:TypePackage.LNodeTypes", t1));
    int n = -1;
    EXPECT_EQ(svc.DocMtd_GetSeqNumber_byAsso(pkg, "sec:TypePackage.LNodeTypes", &n), "2");
    EXPECT_EQ(n, 1);
}

TEST_F(DocTest, ParentListsHoldMembersOfSubclasses) {
    URI_Ref ln = Make(kIcdDomain, "sec:LNode", "LN");
    URI_Ref fcda = Make(kIcdDomain, "sec:FCDA", "F");
    URI_Ref ext = Make(kIcdDomain, "sec:ExtRef", "E");
    URI_Ref map = Make(kIcdDomain, "sec:MapItem", "M");
    ASSERT_TRUE(svc.DocMtd_add_Association(fcda, "sec:DARef.LNode", ln));
    ASSERT_TRUE(svc.DocMtd_add_Association(ext, "sec:DARef.LNode", ln));
    ASSERT_TRUE(svc.DocMtd_add_Association(map, "sec:DARef.LNode", ln));
    URI_Ref sv = Make(kIcdDomain, "sec:SV", "S");
    ASSERT_TRUE(svc.DocMtd_add_Association(sv, "sec:CB.LNode", ln));

    std::vector<URI_Ref> out;
    ASSERT_TRUE(svc.DocMtd_get_Association_BUris(ln, "sec:LNode.DARefs", out, "", SortPolicy_None));
    EXPECT_EQ(Names(out), (Strs{"F", "E", "M"}));
    ASSERT_TRUE(svc.DocMtd_get_Association_BUris(ln, "sec:LNode.CBs", out, "", SortPolicy_None));
    EXPECT_EQ(Names(out), (Strs{"S"}));
}

TEST_F(DocTest, AddRefusesBadTargetsAndNeverEnforcesMaximum) {
    URI_Ref ln = Make(kIcdDomain, "sec:LNode", "LN");
    URI_Ref ld = Make(kIcdDomain, "sec:LDevice", "LD");
    URI_Ref lcb = Make(kIcdDomain, "sec:LCB", "C");
    URI_Ref log1 = Make(kIcdDomain, "sec:Log", "L1");
    URI_Ref log2 = Make(kIcdDomain, "sec:Log", "L2");

    EXPECT_FALSE(svc.DocMtd_add_Association(ln, "sec:LNode.LDevice", URI_Ref()));
    EXPECT_FALSE(svc.DocMtd_add_Association(ln, "sec:LNode.LDevice", URI_Ref("kiln.icd#nothing", "sec:LDevice")));
    EXPECT_FALSE(svc.DocMtd_add_Association(ln, "sec:LNode.LDevice", log1));  // class not admitted
    EXPECT_FALSE(svc.DocMtd_add_Association(ln, "sec:LNode.NoSuchRole", ld));
    EXPECT_FALSE(svc.DocMtd_add_Association(ld, "sec:LNode.LDevice", ln));  // role of another class
    int n = -1;
    EXPECT_EQ(svc.DocMtd_GetSeqNumber_byAsso(ln, "sec:LNode.LDevice", &n), "1");
    EXPECT_EQ(n, 0) << "a refused add must change nothing";

    // "sec:LCB.Log" has maximum 1 in the schema; a second link is still added.
    ASSERT_TRUE(svc.DocMtd_add_Association(lcb, "sec:LCB.Log", log1));
    ASSERT_TRUE(svc.DocMtd_add_Association(lcb, "sec:LCB.Log", log2));
    svc.DocMtd_GetSeqNumber_byAsso(lcb, "sec:LCB.Log", &n);
    EXPECT_EQ(n, 2);
}

TEST_F(DocTest, DelUpdateAndClearKeepBothEndsConsistent) {
    URI_Ref ld = Make(kIcdDomain, "sec:LDevice", "LD");
    URI_Ref ld2 = Make(kIcdDomain, "sec:LDevice", "LD2");
    URI_Ref a = Child(ld, "sec:LNode", "sec:LNode.LDevice", "A");
    URI_Ref b = Child(ld, "sec:LNode", "sec:LNode.LDevice", "B");
    std::vector<URI_Ref> out;

    EXPECT_FALSE(svc.DocMtd_del_Association(a, "sec:LNode.LDevice", ld2)) << "no such link";
    ASSERT_TRUE(svc.DocMtd_del_Association(a, "sec:LNode.LDevice", ld));
    svc.DocMtd_get_Association_BUris(ld, "sec:LDevice.LNodes", out, "", SortPolicy_None);
    EXPECT_EQ(Names(out), (Strs{"B"}));

    ASSERT_TRUE(svc.DocMtd_update_Association(b, "sec:LNode.LDevice", ld2));
    svc.DocMtd_get_Association_BUris(ld, "sec:LDevice.LNodes", out, "", SortPolicy_None);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(svc.DocMtd_getFirstUri_ofAsso(b, "sec:LNode.LDevice"), ld2);
    // A refused update keeps the old link.
    EXPECT_FALSE(svc.DocMtd_update_Association(b, "sec:LNode.LDevice", a));
    EXPECT_EQ(svc.DocMtd_getFirstUri_ofAsso(b, "sec:LNode.LDevice"), ld2);
    // An empty target clears the role; a role the class does not have is refused.
    ASSERT_TRUE(svc.DocMtd_update_Association(b, "sec:LNode.LDevice", URI_Ref()));
    EXPECT_TRUE(svc.DocMtd_getFirstUri_ofAsso(b, "sec:LNode.LDevice").IsEmpty());
    EXPECT_FALSE(svc.DocMtd_update_Association(b, "sec:LDevice.LNodes", URI_Ref()));
    EXPECT_FALSE(
        svc.DocMtd_update_Association(URI_Ref("kiln.icd#gone", "sec:LNode"), "sec:LNode.LDevice", URI_Ref()));

    svc.DocMtd_add_Association(a, "sec:LNode.LDevice", ld2);
    svc.DocMtd_add_Association(b, "sec:LNode.LDevice", ld2);
    ASSERT_TRUE(svc.DocMtd_clear_Association(ld2, "sec:LDevice.LNodes"));
    EXPECT_TRUE(svc.DocMtd_getFirstUri_ofAsso(a, "sec:LNode.LDevice").IsEmpty());
    EXPECT_TRUE(svc.DocMtd_getFirstUri_ofAsso(b, "sec:LNode.LDevice").IsEmpty());
    EXPECT_TRUE(svc.DocMtd_clear_Association(ld2, "sec:Unknown.Role")) << "nothing to clear is no failure";
}

TEST_F(DocTest, DeleteRemovesLinksAndDoesNotCascade) {
    URI_Ref ld = Make(kIcdDomain, "sec:LDevice", "LD");
    URI_Ref ln = Child(ld, "sec:LNode", "sec:LNode.LDevice", "LN");
    URI_Ref doi = Child(ln, "sec:DOI", "sec:DOI.LNode", "DOI");
    ASSERT_TRUE(svc.DocMtd_delete_a_Rsc(ln));

    EXPECT_TRUE(svc.DocMtd_TestBy_URIRef(CString(ln.sUri)).IsEmpty());
    EXPECT_EQ(svc.DocMtd_TestBy_URIRef(CString(doi.sUri)), doi) << "children stay";
    EXPECT_TRUE(svc.DocMtd_getFirstUri_ofAsso(doi, "sec:DOI.LNode").IsEmpty());
    std::vector<URI_Ref> out{ld};
    ASSERT_TRUE(svc.DocMtd_get_Association_BUris(ld, "sec:LDevice.LNodes", out, "", SortPolicy_ByOrd));
    EXPECT_TRUE(out.empty());

    // A stale handle changes nothing and fails.
    EXPECT_FALSE(svc.DocMtd_delete_a_Rsc(ln));
    EXPECT_FALSE(svc.DocMtd_Modify_attribute_value(ln, "cim:Naming.name", "X"));
    EXPECT_FALSE(svc.DocMtd_add_Association(ln, "sec:LNode.LDevice", ld));
    EXPECT_FALSE(svc.DocMtd_add_Association(doi, "sec:DOI.LNode", ln));
    EXPECT_FALSE(svc.DocMtd_get_Association_BUris(ln, "sec:LNode.DOIs", out, "", SortPolicy_ByOrd));
    URI_Ref last;
    EXPECT_EQ(svc.DocMtd_get_descendent_BUris(URI_Ref(), "sec:LNode.DOIs", out, last, "", SortPolicy_ByOrd), 0);
    CString v = "keep";
    EXPECT_FALSE(svc.DocMtd_get_attribute_value(ln, "cim:Naming.name", v));
    EXPECT_EQ(v, "keep");
}

TEST_F(DocTest, AttributesUnknownRolesAndEnumeratedValues) {
    URI_Ref da = Make(kPkgDomain, "sec:DA", "stVal");
    CString v = "old";
    // A role the class does not have reads as empty, without failing.
    EXPECT_TRUE(svc.DocMtd_get_attribute_value(da, "sec:ICD.icdVersion", v));
    EXPECT_EQ(v, "");
    EXPECT_EQ(svc.DocMtd_getValue_ofAttr(da, "no:Such.role"), "");
    EXPECT_FALSE(svc.DocMtd_Modify_attribute_value(da, "sec:ICD.icdVersion", "1"));
    // Inherited roles: a DA is written through the roles of BDA.
    CString bogus = CString(kiln::cim::kModelNamespace) + "#PreBasicTypeEnum.NotAType";
    ASSERT_TRUE(svc.DocMtd_Modify_attribute_value(da, "sec:BDA.bType", bogus));
    EXPECT_EQ(svc.DocMtd_getValue_ofAttr(da, "sec:BDA.bType"), bogus) << "enumerated values are not validated";
    ASSERT_TRUE(svc.DocMtd_Modify_attribute_value(da, "sec:DA.fc_0", "anything"));
    URI_Ref bda = Make(kPkgDomain, "sec:BDA", "b");
    EXPECT_FALSE(svc.DocMtd_Modify_attribute_value(bda, "sec:DA.fc_0", "x")) << "a BDA has no fc";
}

TEST_F(DocTest, AttributeCopyLeavesOrderAndExcludedRoles) {
    URI_Ref src = Make(kPkgDomain, "sec:LNodeType", "Std", "7");
    svc.DocMtd_Modify_attribute_value(src, "sec:LNodeType.isInstType", "false");
    svc.DocMtd_Modify_attribute_value(src, "sec:LNodeType.prefix", "P_");
    svc.DocMtd_Modify_attribute_value(src, "cim:Naming.description", "d");
    URI_Ref dst = Make(kPkgDomain, "sec:LNodeType", "New", "2");

    CStringArray except;
    except.Add("isInstType");              // short name
    except.Add("cim:Naming.description");  // full role
    ASSERT_TRUE(svc.DocMtd_Copy_RscAttributes(src, dst, except, true, false));
    EXPECT_EQ(svc.DocMtd_getValue_ofAttr(dst, "cim:Naming.name"), "Std");
    EXPECT_EQ(svc.DocMtd_getValue_ofAttr(dst, "sec:LNodeType.prefix"), "P_");
    EXPECT_EQ(svc.DocMtd_getValue_ofAttr(dst, "e301:OrdNaming.ord"), "2");
    EXPECT_EQ(svc.DocMtd_getValue_ofAttr(dst, "sec:LNodeType.isInstType"), "");
    EXPECT_EQ(svc.DocMtd_getValue_ofAttr(dst, "cim:Naming.description"), "");
    EXPECT_FALSE(svc.DocMtd_Copy_RscAttributes(src, URI_Ref(), except));
}

TEST_F(DocTest, ResourcesAndDomains) {
    URI_Ref r = Make(kPkgDomain, "sec:TypePackage", "P");
    const std::string& id = r.sUri;
    EXPECT_EQ(id.rfind(kPkgDomain.str(), 0), 0u);
    EXPECT_EQ(std::count(id.begin(), id.end(), '#'), 1);
    CString d;
    ASSERT_TRUE(svc.DocMtd_DEnv_Get_Rsc_Domain(r, d));
    EXPECT_EQ(d, kPkgDomain);
    Struct_RscInst inst;
    ASSERT_TRUE(svc.DocMtd_TestBy_RscInst(CString(id), &inst));
    EXPECT_EQ(inst.sName, "P");
    EXPECT_FALSE(svc.DocMtd_TestBy_RscInst("kiln.std#missing", &inst));

    EXPECT_FALSE(svc.DocMtd_DEnv_IsDomainEditable(""));
    EXPECT_TRUE(svc.DocMtd_DEnv_IsDomainEditable(kPkgDomain));
    EXPECT_FALSE(svc.DocMtd_DEnv_IsDomainEditable(kEnvDomain));
    URI_Ref type, none;
    ASSERT_TRUE(svc.Proc_FindCreatableType_ByName("二次模型数据类型包", "", type));
    EXPECT_FALSE(svc.Proc_Create_a_Domain_byType(kPkgDomain, type, "", DomainTypeDfn())) << "exists";
    EXPECT_FALSE(svc.Proc_Create_a_Domain_byType("no-hash", type, "", DomainTypeDfn()));
    EXPECT_FALSE(svc.Proc_Create_a_Domain_byType("a#b#", type, "", DomainTypeDfn()));
    EXPECT_FALSE(svc.Proc_Create_a_Domain_byType("x#", none, "", DomainTypeDfn()));
    EXPECT_FALSE(svc.Proc_FindCreatableType_ByName("不存在", "", none));
    EXPECT_FALSE(svc.DocMtd_create_a_Rsc("nowhere#", "sec:LNode", none, "x"));
    EXPECT_FALSE(svc.DocMtd_create_a_Rsc(kPkgDomain, "sec:Foo", none, "x"));
    EXPECT_FALSE(svc.DocMtd_create_a_Rsc(kPkgDomain, "sec:DARef", none, "x")) << "abstract";
    URI_Ref handle;
    ASSERT_TRUE(svc.Proc_FromName_toDomain(kIcdDomain, handle));
    EXPECT_EQ(handle.sClass, kDomainHandleClass);
    EXPECT_FALSE(svc.Proc_FromName_toDomain("nothing#", handle));
    // A drawing file's name (create_path with "**name**") finds its domain without the "#".
    ASSERT_TRUE(svc.Proc_FromName_toDomain("kiln.icd", handle));
    EXPECT_EQ(handle.sUri, kIcdDomain.str());
    EXPECT_FALSE(svc.Proc_FromName_toDomain("kiln", handle));
    EXPECT_FALSE(svc.Proc_FromName_toDomain("", handle));

    // Every domain type the plug-in asks for exists, with a CIM-XML file type.
    for (const char* name : {"二次模型标准定义包1", "二次模型标准定义包2", "二次模型标准定义包3", "二次模型数据类型包",
                             "二次模型装置类型包", "二次模型装置ICD包"}) {
        ASSERT_TRUE(svc.Proc_FindCreatableType_ByName(name, name, type)) << name;
        EXPECT_EQ(type.sClass, "dEnv:DomainType");
        CString ft = svc.DocMtd_getValue_ofAttr(type, "dEnv:DomainTypeBase.fileType");
        EXPECT_EQ(ft.Mid(ft.ReverseFind('.') + 1), "CIM-XML");
    }
}

TEST_F(DocTest, DatabaseFlagAndFaultInjection) {
    EXPECT_FALSE(doc.IsDatabaseDoc());
    EXPECT_TRUE(svc.DocMtd_DEnv_ServerTest());
    doc.SetDatabaseDoc(true);
    doc.SetServerReachable(false);
    EXPECT_FALSE(svc.DocMtd_DEnv_ServerTest());

    // A creator's clean-up path: the second write fails, the half-made resource is deleted.
    URI_Ref lnt = Make(kPkgDomain, "sec:LNodeType", "T");
    int before = doc.ResourceCount();
    doc.InjectFault("modify", 1);
    URI_Ref r = Make(kPkgDomain, "sec:DO", "DO_1");  // the name is set by create, not by modify
    ASSERT_TRUE(svc.DocMtd_add_Association(r, "sec:DO.LNodeType", lnt));
    EXPECT_TRUE(svc.DocMtd_Modify_attribute_value(r, "e301:OrdNaming.ord", "1"));
    EXPECT_FALSE(svc.DocMtd_Modify_attribute_value(r, "cim:Naming.description", "x"));
    EXPECT_FALSE(svc.LastDocError().IsEmpty());
    EXPECT_TRUE(svc.DocMtd_Modify_attribute_value(r, "cim:Naming.description", "x")) << "fires once";
    ASSERT_TRUE(svc.DocMtd_delete_a_Rsc(r));
    EXPECT_EQ(doc.ResourceCount(), before);
    std::vector<URI_Ref> out;
    svc.DocMtd_get_Association_BUris(lnt, "sec:LNodeType.DOs", out, "", SortPolicy_ByOrd);
    EXPECT_TRUE(out.empty());

    doc.InjectFault("create");
    URI_Ref none;
    EXPECT_FALSE(svc.DocMtd_create_a_Rsc(kPkgDomain, "sec:DO", none, "x"));
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ(doc.ResourceCount(), before);
}

// A change stamp moves with every change of its class and role, and only then.
TEST_F(DocTest, ChangeStampsMoveWithTheirClassAndRoleOnly) {
    URI_Ref type = Make(kPkgDomain, "sec:LNodeType", "T");
    URI_Ref cls = Make(kPkgDomain, "sec:LNodeType", "C");
    URI_Ref node = Make(kPkgDomain, "sec:LNode", "N");
    // Every stamp is read both ways: by names and by its place.
    auto stamp = [&](const char* c, const char* role) {
        const uint64_t byName = doc.ChangeStamp(c, role);
        EXPECT_EQ(doc.ChangeStampAt(doc.ChangeStampSlot(c, role)), byName) << c << " " << role;
        return byName;
    };
    EXPECT_EQ(stamp("sec:LNode", "sec:NoSuchRole"), 0u);
    EXPECT_EQ(stamp("sec:NoSuchClass", "cim:Naming.name"), 0u);
    EXPECT_EQ(doc.ChangeStampSlot("sec:NoSuchClass", "cim:Naming.name"), -1);
    EXPECT_EQ(doc.ChangeStampAt(-1), 0u);
    EXPECT_EQ(doc.ChangeStampAt(1 << 30), 0u);
    EXPECT_NE(doc.ChangeStampSlot("sec:LNode", "cim:Naming.name"), doc.ChangeStampSlot("sec:LNodeType", "cim:Naming.name"));

    uint64_t name = stamp("sec:LNodeType", "cim:Naming.name");
    const uint64_t nodeName = stamp("sec:LNode", "cim:Naming.name");
    ASSERT_TRUE(svc.DocMtd_Modify_attribute_value(cls, "cim:Naming.name", "C2"));
    EXPECT_NE(stamp("sec:LNodeType", "cim:Naming.name"), name);
    EXPECT_EQ(stamp("sec:LNode", "cim:Naming.name"), nodeName) << "another class";
    name = stamp("sec:LNodeType", "cim:Naming.name");

    // A link moves both of its ends; updating and clearing move them again.
    uint64_t link = stamp("sec:LNode", "sec:LNode.LNodeType");
    uint64_t back = stamp("sec:LNodeType", "sec:LNodeType.LNode");
    ASSERT_TRUE(svc.DocMtd_add_Association(node, "sec:LNode.LNodeType", type));
    EXPECT_NE(stamp("sec:LNode", "sec:LNode.LNodeType"), link);
    EXPECT_NE(stamp("sec:LNodeType", "sec:LNodeType.LNode"), back);
    EXPECT_EQ(stamp("sec:LNodeType", "cim:Naming.name"), name) << "another role";
    for (int step = 0; step < 3; ++step) {
        link = stamp("sec:LNode", "sec:LNode.LNodeType");
        if (step == 0) {
            ASSERT_TRUE(svc.DocMtd_update_Association(node, "sec:LNode.LNodeType", cls));
        }
        if (step == 1) {
            ASSERT_TRUE(svc.DocMtd_del_Association(node, "sec:LNode.LNodeType", cls));
        }
        if (step == 2) {
            ASSERT_TRUE(svc.DocMtd_add_Association(node, "sec:LNode.LNodeType", type));
            link = stamp("sec:LNode", "sec:LNode.LNodeType");
            ASSERT_TRUE(svc.DocMtd_delete_a_Rsc(type));  // the other end goes away
        }
        EXPECT_NE(stamp("sec:LNode", "sec:LNode.LNodeType"), link) << step;
    }
    name = stamp("sec:LNodeType", "cim:Naming.name");
    ASSERT_TRUE(svc.DocMtd_delete_a_Rsc(cls));
    EXPECT_NE(stamp("sec:LNodeType", "cim:Naming.name"), name) << "a deleted resource loses its values";
}
