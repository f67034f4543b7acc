// Saving, opening and importing documents and domain files.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <algorithm>
#include <map>

#include "platform/framework/cim_schema.h"
#include "platform/mfc/gbk.h"
#include "tests/platform/framework/doc_fixture.h"

namespace fs = std::filesystem;
using kiln::cim::CCimSchema;
using kiln::cim::RoleKind;

namespace {

std::string TempDir(const char* tag) {
    std::string d = (fs::temp_directory_path() / ("kiln_doc_" + std::string(tag) + "_" + std::to_string(getpid()))).string();
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spit(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// Everything the document says about its resources, per resource: class,
// domain, attribute values, and the targets of every named role in order.
std::map<std::string, std::string> Dump(CDocServices& svc) {
    const CCimSchema& sc = *svc.m_Doc.Schema();
    std::map<std::string, std::string> out;
    for (int c = 0; c < sc.ClassCount(); ++c) {
        std::vector<URI_Ref> list;
        svc.DocMtd_get_Uris_byClassName(CString(sc.Class(c).name), list, "", SortPolicy_None);
        for (const URI_Ref& r : list) {
            std::string& s = out[r.sUri];
            CString dom;
            svc.DocMtd_DEnv_Get_Rsc_Domain(r, dom);
            s = r.sClass + " @" + dom.str() + "\n";
            for (int k = 0; k < sc.RoleCount(); ++k) {
                const auto& ri = sc.Role(k);
                if (ri.name.empty() || !sc.RoleApplies(k, c)) continue;
                if (ri.kind == RoleKind::Attribute) {
                    CString v;
                    if (svc.DocMtd_get_attribute_value(r, CString(ri.name), v) && !v.IsEmpty())
                        s += ri.name + "=" + v.str() + "\n";
                } else {
                    std::vector<URI_Ref> t;
                    svc.DocMtd_get_Association_BUris(r, CString(ri.name), t, "", SortPolicy_None);
                    if (t.empty()) continue;
                    std::vector<std::string> ids;
                    for (const URI_Ref& x : t) ids.push_back(x.sUri);
                    // Files keep the order of the written end; the other end
                    // is rebuilt in reading order, so compare it as a set.
                    if (!ri.written) std::sort(ids.begin(), ids.end());
                    s += ri.name + "->";
                    for (const std::string& x : ids) s += " " + x;
                    s += "\n";
                }
            }
        }
    }
    return out;
}

const char* kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
    "xmlns:cim=\"http://iec.ch/TC57/2003/CIM-schema-cim10#\" xmlns:sec=\"http://kiln.local/Zel/2006/CIM-Sec#\" "
    "xmlns:e301=\"http://kiln.local/Zel/2006/e301#\">\n";

}  // namespace

class PersistTest : public DocTest {
protected:
    std::string dir;
    void SetUp() override {
        DocTest::SetUp();
        dir = TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { fs::remove_all(dir); }

    // One resource of every creatable class spread over three domains, every
    // attribute role set somewhere and one link for every association pair.
    void FillWithEveryClass() {
        const CCimSchema& sc = *doc.Schema();
        URI_Ref type;
        svc.Proc_FindCreatableType_ByName("二次模型数据类型包", "", type);
        ASSERT_TRUE(svc.Proc_Create_a_Domain_byType("kiln.third#", type, "第三", DomainTypeDfn()));
        const CString domains[] = {kPkgDomain, kIcdDomain, "kiln.third#"};
        std::vector<URI_Ref> byClass(static_cast<size_t>(sc.ClassCount()));
        for (int c = 0; c < sc.ClassCount(); ++c) {
            if (sc.Class(c).isAbstract) continue;
            byClass[static_cast<size_t>(c)] = Make(domains[c % 3], CString(sc.Class(c).name), "n" + std::to_string(c));
        }
        // A resource of the class (or a subclass) for each end.
        auto some = [&](int cls) {
            for (int c = 0; c < sc.ClassCount(); ++c)
                if (byClass[static_cast<size_t>(c)].IsSet() && sc.IsA(c, cls)) return byClass[static_cast<size_t>(c)];
            return URI_Ref();
        };
        int n = 0;
        for (int r = 0; r < sc.RoleCount(); ++r) {
            const auto& ri = sc.Role(r);
            if (ri.name.empty() || sc.RoleId(ri.name) != r) continue;
            URI_Ref src = some(ri.owner);
            ASSERT_TRUE(src.IsSet()) << ri.name;
            if (ri.kind == RoleKind::Attribute) {
                // A value of the role's type; texts with every character that needs care.
                std::string v = "v" + std::to_string(++n) + " <&>\"' 中文\n\ttab\r end  ";
                if (!ri.enumName.empty())
                    v = std::string(kiln::cim::kModelNamespace) + "#" + ri.enumName + ".v" + std::to_string(n);
                else if (ri.valueType == "cim:Integer")
                    v = std::to_string(n);
                else if (ri.valueType == "cim:Boolean")
                    v = n % 2 ? "true" : "false";
                ASSERT_TRUE(svc.DocMtd_Modify_attribute_value(src, CString(ri.name), CString(v))) << ri.name;
            } else if (ri.written) {
                ASSERT_TRUE(svc.DocMtd_add_Association(src, CString(ri.name), some(ri.target))) << ri.name;
            }
        }
        // Order matters: a parent list written from three children.
        URI_Ref ld = some(sc.ClassId("sec:LDevice"));
        for (int k = 0; k < 3; ++k) Child(ld, "sec:LNode", "sec:LNode.LDevice", "extra");
        svc.DocMtd_Modify_attribute_value(ld, "cim:Naming.description", "");  // an empty value
        svc.DocMtd_Modify_attribute_value(ld, "cim:Naming.pathName", "  ");   // blanks only
        svc.DocMtd_DEnv_SetDataBlock(kIcdDomain, "blk", "数据 & <x>");
    }
};

TEST_F(PersistTest, SaveAndOpenGiveTheSameDocument) {
    FillWithEveryClass();
    doc.SetDomainPrefixDefault("pfx");
    auto before = Dump(svc);
    ASSERT_GT(before.size(), 50u);
    // Made in memory, the files are those the save into the empty folder writes.
    std::map<std::string, std::string> inMemory, written;
    ASSERT_TRUE(doc.SaveInMemory(inMemory)) << svc.LastDocError();
    ASSERT_TRUE(doc.Save(CString(dir))) << svc.LastDocError();
    for (auto& e : fs::directory_iterator(dir)) {
        std::ifstream in(e.path(), std::ios::binary);
        written[e.path().filename().string()].assign(std::istreambuf_iterator<char>(in), {});
    }
    EXPECT_EQ(inMemory.size(), 1u + 3u);
    EXPECT_TRUE(inMemory == written);
    EXPECT_FALSE(svc.DocMtd_DEnv_IsDomainModified(kPkgDomain));

    CDocServices other;
    ASSERT_TRUE(other.m_Doc.Open(CString(dir))) << other.LastDocError();
    auto after = Dump(other);
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [uri, text] : before) EXPECT_EQ(after[uri], text) << uri;
    EXPECT_EQ(other.Get_DomainPrefix_Default(), "pfx");
    EXPECT_EQ(other.DocMtd_Get_DocPath(), CString(dir));
    EXPECT_EQ(other.m_Doc.DomainTypeName(kIcdDomain), "二次模型装置ICD包");
    EXPECT_EQ(other.m_Doc.DomainTitle(kPkgDomain), "标准");
    CString blk;
    ASSERT_TRUE(other.DocMtd_DEnv_GetDataBlock(kIcdDomain, "blk", blk));
    EXPECT_EQ(blk, "数据 & <x>");

    // Saving again replaces the files of the previous save.
    ASSERT_TRUE(other.m_Doc.Save());
    int files = 0;
    for (auto& e : fs::directory_iterator(dir)) files += e.path().extension() == ".xml";
    EXPECT_EQ(files, 1 + 3) << "manifest and one file per domain";
}

TEST_F(PersistTest, FilesHaveTheAgreedForm) {
    URI_Ref pkg = Make(kPkgDomain, "sec:TypePackage", "IEC61850");
    URI_Ref t = Child(pkg, "sec:LNodeType", "sec:LNodeType.TypePackage", "LLN0", "1");
    URI_Ref icd = Make(kIcdDomain, "sec:ICD", "I");
    ASSERT_TRUE(svc.DocMtd_add_Association(icd, "sec:ICD.TypePackage", pkg));
    CString text;
    ASSERT_TRUE(svc.DocMtd_DEnv_CimDomainToStr(kPkgDomain, text));
    std::string s = text.str();
    std::string tl = t.sUri.substr(t.sUri.find('#'));
    EXPECT_NE(s.find("<rdf:RDF "), std::string::npos);
    EXPECT_NE(s.find("<sec:LNodeType rdf:ID=\"" + tl.substr(1) + "\">"), std::string::npos) << s;
    EXPECT_NE(s.find("<sec:LNodeType.TypePackage rdf:resource=\"#" + pkg.sUri.substr(pkg.sUri.find('#') + 1) + "\"/>"),
              std::string::npos);
    EXPECT_EQ(s.find("sec:TypePackage.LNodeTypes"), std::string::npos) << "each link is written once, child side";
    // The package's ICD link is written on the package, naming the other domain in full.
    EXPECT_NE(s.find("<sec:TypePackage.ICD rdf:resource=\"" + icd.sUri + "\"/>"), std::string::npos);
}

TEST_F(PersistTest, ImportReadsAnExternalFileIntoANewDomain) {
    URI_Ref enumType = Make(kPkgDomain, "sec:EnumType", "E");
    std::string file = dir + "/Std Types.xml";
    Spit(file, std::string(kHeader) +
                   "  <sec:TypePackage rdf:ID=\"TP1\">\n    <cim:Naming.name>IEC61850</cim:Naming.name>\n"
                   // the link of LNT_LLN0 to TP1 once more, from this end: kept once
                   "    <sec:TypePackage.LNodeTypes rdf:resource=\"#LNT_LLN0\"/>\n"
                   "    <sec:TypePackage.ref>http://www.iec.ch/61850/2003</sec:TypePackage.ref>\n  </sec:TypePackage>\n"
                   "  <sec:LNodeType rdf:ID=\"LNT_LLN0\">\n    <cim:Naming.name>LLN0</cim:Naming.name>\n"
                   "    <e301:OrdNaming.ord>1</e301:OrdNaming.ord>\n    <sec:LNodeType.TypePackage rdf:resource=\"#TP1\"/>\n"
                   "  </sec:LNodeType>\n"
                   "  <sec:DA rdf:ID=\"DA_17\">\n    <sec:BDA.bType>http://kiln.local/Zel/2006/CIM-Sec#PreBasicTypeEnum.Whatever</sec:BDA.bType>\n"
                   "    <sec:BDA.DefinedBy_EnumType rdf:resource=\"" + enumType.sUri + "\"/>\n  </sec:DA>\n"
                   "  <sec:TypePackage rdf:ID=\"TP2\">\n    <sec:TypePackage.LNodeTypes rdf:resource=\"#LNT_LLN0\"/>\n"
                   "  </sec:TypePackage>\n</rdf:RDF>\n");
    URI_Ref type;
    svc.Proc_FindCreatableType_ByName("二次模型标准定义包1", "", type);
    CString dom;
    ASSERT_TRUE(svc.Import_ExterDomainFile(type, "sec:TypePackage", CString(file), &dom)) << svc.LastDocError();
    EXPECT_EQ(dom, "kiln.Std Types#");
    EXPECT_EQ(doc.DomainTypeName(dom), "二次模型标准定义包1");
    URI_Ref tp = svc.DocMtd_TestBy_URIRef(dom + "TP1");
    ASSERT_TRUE(tp.IsSet());
    std::vector<URI_Ref> out;
    svc.DocMtd_get_Association_BUris(tp, "sec:TypePackage.LNodeTypes", out, "", SortPolicy_ByOrd);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].sUri, dom.str() + "LNT_LLN0");
    // LNT_LLN0 names TP1; TP2 names LNT_LLN0 from the package side: two links, both kept.
    svc.DocMtd_get_Association_BUris(out[0], "sec:LNodeType.TypePackage", out, "", SortPolicy_None);
    EXPECT_EQ(out.size(), 2u);
    svc.DocMtd_get_Association_BUris(enumType, "sec:EnumType.TypeOf_BDA", out, "", SortPolicy_None);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].sClass, "sec:DA");

    // The same file again: its domain exists now.
    EXPECT_FALSE(svc.Import_ExterDomainFile(type, "sec:TypePackage", CString(file)));
    // A file without the class the domain type asks for is refused.
    std::string other = dir + "/other.xml";
    Spit(other, std::string(kHeader) + "<sec:LNodeType rdf:ID=\"x\"/></rdf:RDF>");
    int count = doc.ResourceCount();
    EXPECT_FALSE(svc.Import_ExterDomainFile(type, "sec:TypePackage", CString(other)));
    EXPECT_EQ(doc.ResourceCount(), count);
    EXPECT_FALSE(svc.DocMtd_Test_DomainExist("kiln.other#"));
    EXPECT_FALSE(svc.Import_ExterDomainFile(type, "*sec:NoSuchClass", CString(other)));
    EXPECT_EQ(doc.ResourceCount(), count);
    // A refused file that linked into another domain takes its links back and
    // leaves that domain unmodified.
    URI_Ref pkg = Make(kPkgDomain, "sec:TypePackage", "P");
    ASSERT_TRUE(doc.Save(CString(dir + "/saved")));
    Spit(other, std::string(kHeader) + "<sec:LNodeType rdf:ID=\"x\"><sec:LNodeType.TypePackage rdf:resource=\"" +
                    pkg.sUri + "\"/></sec:LNodeType></rdf:RDF>");
    EXPECT_FALSE(svc.Import_ExterDomainFile(type, "sec:TypePackage", CString(other)));
    EXPECT_FALSE(doc.IsDomainModified(kPkgDomain));
    EXPECT_TRUE(svc.DocMtd_getFirstUri_ofAsso(pkg, "sec:TypePackage.LNodeTypes").IsEmpty());
    // "*": the class the resources hang under elsewhere. An ICD domain holds no
    // product package; its ICD names its product in another domain.
    URI_Ref product = Make(kPkgDomain, "sec:Product", "P1");
    std::string icdFile = dir + "/abc.icd.xml";
    Spit(icdFile, std::string(kHeader) + "<sec:ICD rdf:ID=\"ICD_1\"><sec:ICD.Product rdf:resource=\"" +
                      product.sUri + "\"/></sec:ICD></rdf:RDF>");
    svc.Proc_FindCreatableType_ByName("二次模型装置ICD包", "", type);
    ASSERT_TRUE(svc.Import_ExterDomainFile(type, "*sec:ProductPackage", CString(icdFile), &dom))
        << svc.LastDocError();
    EXPECT_EQ(svc.DocMtd_getFirstUri_ofAsso(svc.DocMtd_TestBy_URIRef(dom + "ICD_1"), "sec:ICD.Product"), product);
}

TEST_F(PersistTest, GbkFilesAreConverted) {
    std::string body = std::string("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n") + (kHeader + std::string(kHeader).find('\n') + 1) +
                       "<sec:TypePackage rdf:ID=\"P\"><cim:Naming.name>标准定义包</cim:Naming.name></sec:TypePackage></rdf:RDF>";
    std::string file = dir + "/gbk.xml";
    Spit(file, kiln::text::Utf8ToGbk(body));
    URI_Ref type;
    svc.Proc_FindCreatableType_ByName("二次模型标准定义包2", "", type);
    CString dom;
    ASSERT_TRUE(svc.Import_ExterDomainFile(type, "", CString(file), &dom)) << svc.LastDocError();
    EXPECT_EQ(svc.DocMtd_getValue_ofAttr(svc.DocMtd_TestBy_URIRef(dom + "P"), "cim:Naming.name"), "标准定义包");
}

TEST_F(PersistTest, BadFilesAreRefusedAndChangeNothing) {
    URI_Ref type;
    svc.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type);
    URI_Ref ln = Make(kIcdDomain, "sec:LNode", "LN");
    auto before = Dump(svc);
    struct Case {
        const char* name;
        std::string body;
        const char* says;
    } cases[] = {
        {"truncated", std::string(kHeader) + "<sec:TypePackage rdf:ID=\"a\">", "XML"},
        {"unknown_class", std::string(kHeader) + "<sec:TypePackage rdf:ID=\"a\"/><sec:Foo rdf:ID=\"b\"/></rdf:RDF>", "sec:Foo"},
        {"unknown_role", std::string(kHeader) + "<sec:TypePackage rdf:ID=\"a\"><sec:DA.fc_0>ST</sec:DA.fc_0></sec:TypePackage></rdf:RDF>", "sec:DA.fc_0"},
        {"no_id", std::string(kHeader) + "<sec:TypePackage><cim:Naming.name>x</cim:Naming.name></sec:TypePackage></rdf:RDF>", "rdf:ID"},
        {"duplicate_id", std::string(kHeader) + "<sec:TypePackage rdf:ID=\"a\"/><sec:TypePackage rdf:ID=\"a\"/></rdf:RDF>", "标识重复"},
        {"dangling_link", std::string(kHeader) + "<sec:LNodeType rdf:ID=\"a\"><sec:LNodeType.TypePackage rdf:resource=\"#zz\"/></sec:LNodeType></rdf:RDF>", "zz"},
        // a link into the existing document whose target class the role does not admit
        {"wrong_target", std::string(kHeader) + "<sec:LNodeType rdf:ID=\"a\"><sec:LNodeType.TypePackage rdf:resource=\"" + ln.sUri + "\"/></sec:LNodeType></rdf:RDF>", "sec:LNode"},
        {"wrong_root", "<?xml version=\"1.0\"?><SCL/>", "rdf:RDF"},
    };
    for (const Case& c : cases) {
        std::string file = dir + "/" + c.name + ".xml";
        Spit(file, c.body);
        EXPECT_FALSE(svc.Import_ExterDomainFile(type, "", CString(file))) << c.name;
        EXPECT_NE(svc.LastDocError().Find(c.says), -1) << c.name << ": " << svc.LastDocError();
        EXPECT_FALSE(svc.DocMtd_Test_DomainExist(CString("kiln.") + c.name + "#")) << c.name;
        EXPECT_TRUE(svc.DocMtd_getFirstUri_ofAsso(ln, "sec:LNode.DARefs").IsEmpty());
    }
    EXPECT_EQ(Dump(svc), before);

    // A document whose domain file is broken does not replace the open one.
    ASSERT_TRUE(doc.Save(CString(dir + "/doc")));
    for (auto& e : fs::directory_iterator(dir + "/doc"))
        if (e.path().filename().string().rfind("domain-2", 0) == 0) Spit(e.path().string(), cases[1].body);
    URI_Ref keep = Make(kPkgDomain, "sec:TypePackage", "unsaved");
    EXPECT_FALSE(doc.Open(CString(dir + "/doc")));
    EXPECT_NE(svc.LastDocError().Find("sec:Foo"), -1);
    EXPECT_EQ(svc.DocMtd_TestBy_URIRef(CString(keep.sUri)), keep);
}

TEST_F(PersistTest, AFailedSaveLeavesThePreviousFilesWhole) {
    FillWithEveryClass();
    ASSERT_TRUE(doc.Save(CString(dir)));
    auto saved = Dump(svc);
    std::map<std::string, std::string> files;
    for (auto& e : fs::directory_iterator(dir)) files[e.path().filename().string()] = Slurp(e.path().string());

    // A change in every domain: each save writes three domain files.
    for (const CString& d : {CString(kPkgDomain), CString(kIcdDomain), CString("kiln.third#")})
        Make(d, "sec:TypePackage", "later");
    // Fail after the first domain file, then before the manifest; setting a
    // new file's permissions fails; the folder was moved away and a copy put
    // in its place (a save goes into neither).
    const std::string moved = dir + ".moved";
    const struct {
        const char* op;
        int skip;
        std::string says;
    } faults[] = {
        {"save", 1, "注入的故障：save"},
        {"save", 3, "注入的故障：save"},
        {"mode", 1, "的权限：" + std::string(std::strerror(EPERM))},
        {nullptr, 0, "文档文件夹" + dir + "已不是打开文档时的文件夹"},
    };
    auto filesOf = [](const std::string& folder) {
        std::map<std::string, std::string> now;
        for (auto& e : fs::directory_iterator(folder)) now[e.path().filename().string()] = Slurp(e.path().string());
        return now;
    };
    for (const auto& f : faults) {
        if (f.op) {
            doc.InjectFault(f.op, f.skip);
        } else {
            fs::rename(dir, moved);
            fs::copy(moved, dir);
            // Nor does a file that follows the saves (the report) go there.
            EXPECT_FALSE(doc.KeepFileUntilSave("Report.xml"));
        }
        EXPECT_FALSE(doc.Save(CString(dir))) << f.says;
        EXPECT_NE(svc.LastDocError().Find(CString(f.says)), -1) << f.says << ": " << svc.LastDocError();
        EXPECT_EQ(filesOf(dir), files) << f.says;
        if (!f.op) {
            EXPECT_EQ(filesOf(moved), files);
            fs::remove_all(dir);
            fs::rename(moved, dir);
        }
    }

    CDocServices previous;
    ASSERT_TRUE(previous.m_Doc.Open(CString(dir)));
    EXPECT_EQ(Dump(previous), saved);

    // The folder's sync after the manifest's rename fails: the new manifest
    // is the document, and nothing it or the previous one names is removed.
    doc.InjectFault("sync");
    EXPECT_FALSE(doc.Save(CString(dir)));
    EXPECT_TRUE(doc.SavedUnsynced());
    EXPECT_NE(svc.LastDocError().Find(CString("不能同步文件夹" + dir + "：" + std::strerror(EIO))), -1);
    auto now = filesOf(dir);
    for (const auto& [name, bytes] : files) EXPECT_TRUE(name == "document.xml" || now[name] == bytes) << name;
    CDocServices other;
    ASSERT_TRUE(other.m_Doc.Open(CString(dir))) << other.LastDocError();
    EXPECT_EQ(Dump(other), Dump(svc));
}

// A domain is marked changed only when its file would change: a link marks
// the domain of the end that files carry, not the other one.
TEST_F(PersistTest, ALinkMarksOnlyTheDomainWhoseFileCarriesIt) {
    const URI_Ref pkg = Make(kPkgDomain, "sec:TypePackage", "P");
    const URI_Ref cls = Child(pkg, "sec:LNodeType", "sec:LNodeType.TypePackage", "GGIO");
    const URI_Ref icd = Make(kIcdDomain, "sec:ICD", "I");
    const URI_Ref inst = Make(kIcdDomain, "sec:LNodeType", "I_GGIO");
    struct Case {
        const char* what;
        std::function<bool()> change;
        bool pkgChanged, icdChanged;
    };
    const Case cases[] = {
        {"class link from the ICD", [&] { return svc.DocMtd_add_Association(inst, "sec:LNodeType.ClassOf_LNType", cls); },
         false, true},
        {"its removal", [&] { return svc.DocMtd_del_Association(inst, "sec:LNodeType.ClassOf_LNType", cls); }, false,
         true},
        {"relinked and cleared from the class's end",
         [&] {
             return svc.DocMtd_add_Association(inst, "sec:LNodeType.ClassOf_LNType", cls) &&
                    svc.DocMtd_clear_Association(cls, "sec:LNodeType.Inst_LNTypes");
         },
         false, true},
        {"a relinked instance deleted",
         [&] {
             return svc.DocMtd_add_Association(inst, "sec:LNodeType.ClassOf_LNType", cls) && svc.DocMtd_delete_a_Rsc(inst);
         },
         false, true},
        {"the package end of the ICD's link", [&] { return svc.DocMtd_add_Association(icd, "sec:ICD.TypePackage", pkg); },
         true, false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(doc.Save(CString(dir))) << svc.LastDocError();
        ASSERT_TRUE(c.change()) << c.what << ": " << svc.LastDocError();
        EXPECT_EQ(doc.IsDomainModified(kPkgDomain), c.pkgChanged) << c.what;
        EXPECT_EQ(doc.IsDomainModified(kIcdDomain), c.icdChanged) << c.what;
    }
}

// A read-only domain takes no write: no resource made, changed or deleted
// there, no link its file carries; links it only answers from its other end
// are made. The first refusal is kept for the caller to show.
TEST_F(PersistTest, AReadOnlyDomainRefusesEveryWriteIntoIt) {
    const URI_Ref pkg = Make(kPkgDomain, "sec:TypePackage", "P");
    const URI_Ref cls = Child(pkg, "sec:LNodeType", "sec:LNodeType.TypePackage", "GGIO");
    const URI_Ref icd = Make(kIcdDomain, "sec:ICD", "I");
    const URI_Ref other = Make(kIcdDomain, "sec:TypePackage", "Q");
    const URI_Ref inst = Make(kIcdDomain, "sec:LNodeType", "I_GGIO");
    ASSERT_TRUE(svc.DocMtd_add_Association(icd, "sec:ICD.TypePackage", pkg));
    ASSERT_TRUE(svc.DocMtd_DEnv_SetDataBlock(kPkgDomain, "blk", "old"));
    ASSERT_TRUE(doc.Save(CString(dir)));
    const auto before = Dump(svc);
    ASSERT_TRUE(doc.SetDomainEditable(kPkgDomain, false));
    EXPECT_EQ(doc.TakeWriteRefusal(), "");

    URI_Ref made;
    const std::pair<const char*, std::function<bool()>> refused[] = {
        {"create", [&] { return svc.DocMtd_create_a_Rsc(kPkgDomain, "sec:LNodeType", made, "X"); }},
        {"modify", [&] { return svc.DocMtd_Modify_attribute_value(cls, "cim:Naming.name", "Y"); }},
        {"copy", [&] { return svc.DocMtd_Copy_RscAttributes(inst, cls, CStringArray()); }},
        {"delete", [&] { return svc.DocMtd_delete_a_Rsc(cls); }},
        {"delete the ICD its file names", [&] { return svc.DocMtd_delete_a_Rsc(icd); }},
        {"add", [&] { return svc.DocMtd_add_Association(cls, "sec:LNodeType.ClassOf_LNType", cls); }},
        {"add from the other end", [&] { return svc.DocMtd_add_Association(other, "sec:TypePackage.LNodeTypes", cls); }},
        {"del", [&] { return svc.DocMtd_del_Association(icd, "sec:ICD.TypePackage", pkg); }},
        {"update", [&] { return svc.DocMtd_update_Association(icd, "sec:ICD.TypePackage", URI_Ref()); }},
        {"clear", [&] { return svc.DocMtd_clear_Association(icd, "sec:ICD.TypePackage"); }},
        {"data block", [&] { return svc.DocMtd_DEnv_SetDataBlock(kPkgDomain, "blk", "new"); }},
    };
    for (const auto& [what, write] : refused) {
        EXPECT_FALSE(write()) << what;
        EXPECT_EQ(svc.LastDocError(), CString("域不可编辑：") + kPkgDomain) << what;
    }
    EXPECT_FALSE(doc.IsDomainModified(kPkgDomain));
    EXPECT_EQ(Dump(svc), before);
    EXPECT_EQ(doc.TakeWriteRefusal(), CString("域不可编辑：") + kPkgDomain);
    EXPECT_EQ(doc.TakeWriteRefusal(), "");

    // The ICD's own end of a link into the read-only domain is its own write.
    EXPECT_TRUE(svc.DocMtd_add_Association(inst, "sec:LNodeType.ClassOf_LNType", cls)) << svc.LastDocError();
    EXPECT_TRUE(svc.DocMtd_delete_a_Rsc(inst)) << svc.LastDocError();
    EXPECT_FALSE(doc.IsDomainModified(kPkgDomain));
    EXPECT_EQ(doc.TakeWriteRefusal(), "");
}

// A file that follows the document's saves (a report): work kept with
// KeepFileUntilSave stays when the document is saved; a run that is not
// saved, or is killed, leaves the file as the last save had it, with no
// copy or part of a replacement left behind.
TEST_F(PersistTest, AFileKeptUntilTheSaveFollowsTheDocument) {
    const std::string report = dir + "/Report.xml";
    auto leftovers = [&] {
        std::vector<std::string> out;
        for (auto& e : fs::directory_iterator(dir)) {
            const std::string n = e.path().filename().string();
            if (n.rfind("Report.xml.", 0) == 0) out.push_back(n);
        }
        return out;
    };
    auto reopen = [&] {
        CDocServices other;
        EXPECT_TRUE(other.m_Doc.Open(CString(dir))) << other.LastDocError();
    };
    Make(kPkgDomain, "sec:TypePackage", "P");
    ASSERT_TRUE(doc.Save(CString(dir)));
    struct Case {
        const char* what;
        bool hadFile;
        std::function<void()> end;  // after the new work was written
        bool workStays;
    };
    const Case cases[] = {
        {"saved", true, [&] { ASSERT_TRUE(doc.Save()); }, true},
        {"saved, no file before", false, [&] { ASSERT_TRUE(doc.Save()); }, true},
        {"saved with a change", true,
         [&] {
             Make(kIcdDomain, "sec:ICD", "I");
             ASSERT_TRUE(doc.Save());
         },
         true},
        {"not saved", true, [&] { doc.RestoreUnsavedFiles(); }, false},
        {"not saved, no file before", false, [&] { doc.RestoreUnsavedFiles(); }, false},
        {"killed in the middle of a replacement", true,
         [&] {
             Spit(report + ".tmp4241_0", "half");
             reopen();
         },
         false},
        {"killed, no file before", false, reopen, false},
        // Temporaries that no copy names: of a copy killed while it was
        // written, of a report replaced after a killed run's was put back.
        {"killed while the copy was written", true,
         [&] {
             Spit(report + ".unsaved-g1.tmp4242_0", "saved re");
             reopen();
         },
         false},
        {"killed after a killed run's report was put back", true,
         [&] {
             doc.RestoreUnsavedFiles();
             Spit(report + ".tmp4243_7", "half");
             Spit(dir + "/document.xml.tmp4243_8", "<KilnDoc");
             reopen();
         },
         false},
        {"saved, with a copy's temporary left", true,
         [&] {
             Spit(report + ".unsaved-g1.tmp4242_1", "saved re");
             ASSERT_TRUE(doc.Save());
         },
         true},
    };
    for (const Case& c : cases) {
        if (c.hadFile) {
            Spit(report, "saved report");
            chmod(report.c_str(), 0600);
        } else {
            fs::remove(report);
        }
        ASSERT_TRUE(doc.Open(CString(dir)));
        ASSERT_TRUE(doc.KeepFileUntilSave("Report.xml")) << c.what << ": " << svc.LastDocError();
        ASSERT_TRUE(doc.KeepFileUntilSave("Report.xml"));  // once until the save: the first state is kept
        Spit(report, "new work");
        c.end();
        EXPECT_EQ(fs::exists(report) ? Slurp(report) : "(none)",
                  c.workStays ? "new work" : (c.hadFile ? "saved report" : "(none)"))
            << c.what;
        struct stat st {};
        if (c.hadFile) {
            EXPECT_TRUE(stat(report.c_str(), &st) == 0 && (st.st_mode & 07777) == 0600) << c.what;
        }
        EXPECT_TRUE(leftovers().empty()) << c.what << ": " << leftovers().front();
        EXPECT_FALSE(fs::exists(dir + "/document.xml.tmp4243_8")) << c.what;
    }
}

// A file whose copy cannot be kept (the copy's write fails as on a full disk,
// its permissions cannot be set, the folder's sync fails, a FIFO or a link
// to nothing is in its place, named and never waited on) is refused: the
// caller leaves it as it is, no part of the copy stays, and the document
// refuses to save, naming the file and the reason, until the unsaved work
// ends; the document's files stay byte for byte.
TEST_F(PersistTest, AFileThatCannotBeKeptStopsTheSaves) {
    const std::string report = dir + "/Report.xml";
    Make(kPkgDomain, "sec:TypePackage", "P");
    ASSERT_TRUE(doc.Save(CString(dir)));
    Spit(report, "saved report");
    const struct {
        const char* op;  // none: something else takes the file's place
        std::string says;
        std::function<void()> place;
    } faults[] = {
        {"keep", std::strerror(ENOSPC), nullptr},
        {"mode", std::strerror(EPERM), nullptr},
        {"sync", std::strerror(EIO), nullptr},
        {nullptr, "：is a FIFO", [&] { ASSERT_EQ(mkfifo(report.c_str(), 0644), 0); }},
        {nullptr, "：is a dangling link", [&] { fs::create_symlink("gone.xml", report); }},
    };
    auto contents = [&] {
        std::map<std::string, std::string> files;
        for (auto& e : fs::directory_iterator(dir))
            files[e.path().filename().string()] = e.is_regular_file() ? Slurp(e.path().string()) : "(no file)";
        return files;
    };
    for (const auto& f : faults) {
        ASSERT_TRUE(doc.Open(CString(dir))) << svc.LastDocError();
        if (f.op) {
            doc.InjectFault(f.op);
        } else {
            fs::rename(report, report + ".aside");
            f.place();
        }
        const std::map<std::string, std::string> files = contents();
        EXPECT_FALSE(doc.KeepFileUntilSave("Report.xml")) << f.says;
        const CString says = svc.LastDocError();
        EXPECT_NE(says.Find(CString("不能保存文件" + report + "的副本")), -1) << says;
        EXPECT_NE(says.Find(CString(f.says)), -1) << says;
        Make(kIcdDomain, "sec:ICD", "I");
        EXPECT_FALSE(doc.Save()) << f.says;
        EXPECT_EQ(svc.LastDocError(), says);
        EXPECT_EQ(contents(), files) << says;
        doc.RestoreUnsavedFiles();
        if (!f.op) {
            fs::remove(report);
            fs::rename(report + ".aside", report);
        }
        EXPECT_EQ(Slurp(report), "saved report");
    }
    // Once the unsaved work ended, the next run keeps the file and saves.
    ASSERT_TRUE(doc.KeepFileUntilSave("Report.xml")) << svc.LastDocError();
    EXPECT_TRUE(doc.Save()) << svc.LastDocError();
}

TEST_F(PersistTest, DomainServices) {
    URI_Ref pkg = Make(kPkgDomain, "sec:TypePackage", "P");
    URI_Ref lnt = Child(pkg, "sec:LNodeType", "sec:LNodeType.TypePackage", "T");
    URI_Ref ln = Make(kIcdDomain, "sec:LNode", "LN");
    ASSERT_TRUE(svc.DocMtd_add_Association(ln, "sec:LNode.LNodeType", lnt));

    // A member of the package's LN types whose class link is the key.
    URI_Ref std1 = Make(kPkgDomain, "sec:LNodeType", "LLN0");
    ASSERT_TRUE(svc.DocMtd_add_Association(lnt, "sec:LNodeType.ClassOf_LNType", std1));
    URI_Ref found;
    ASSERT_TRUE(svc.DocMtd_Find_aURI_InAsso(std1, pkg, "sec:TypePackage.LNodeTypes", found, "sec:LNodeType.ClassOf_LNType"));
    EXPECT_EQ(found, lnt);
    EXPECT_FALSE(svc.DocMtd_Find_aURI_InAsso(ln, pkg, "sec:TypePackage.LNodeTypes", found, "sec:LNodeType.ClassOf_LNType"));

    // A domain written to a file and read into another domain.
    std::string file = dir + "/pkg.xml";
    ASSERT_TRUE(svc.DocMtd_DEnv_CimDomainToFile(kPkgDomain, CString(file)));
    ASSERT_TRUE(svc.DocMtd_DEnv_CimDomainToFile(kPkgDomain, CString(file))) << "an existing file is replaced";
    // A file that cannot take the target's place leaves the target as it was
    // and no temporary file behind.
    const std::string taken = dir + "/taken.xml";
    fs::create_directory(taken);
    EXPECT_FALSE(svc.DocMtd_DEnv_CimDomainToFile(kPkgDomain, CString(taken)));
    EXPECT_TRUE(fs::is_directory(taken));
    for (auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    ASSERT_TRUE(svc.DocMtd_DEnv_FileToCimDomain(CString(file), "copy#"));
    URI_Ref copyT = svc.DocMtd_TestBy_URIRef("copy#" + CString(lnt.sUri.substr(lnt.sUri.find('#') + 1)));
    ASSERT_TRUE(copyT.IsSet());
    EXPECT_EQ(svc.DocMtd_getFirstValue_ofAsso(copyT, "sec:LNodeType.TypePackage", "cim:Naming.name"), "P");
    EXPECT_FALSE(svc.DocMtd_DEnv_FileToCimDomain(CString(file), "copy#")) << "its ids are taken now";

    // Deleting a domain removes its resources and the links into it.
    ASSERT_TRUE(svc.DocMtd_DEnvDelete_a_Domain(kPkgDomain));
    EXPECT_FALSE(svc.DocMtd_Test_DomainExist(kPkgDomain));
    EXPECT_TRUE(svc.DocMtd_TestBy_URIRef(CString(lnt.sUri)).IsEmpty());
    EXPECT_TRUE(svc.DocMtd_getFirstUri_ofAsso(ln, "sec:LNode.LNodeType").IsEmpty());
    EXPECT_FALSE(svc.DocMtd_DEnvDelete_a_Domain(kEnvDomain));

    // Data blocks travel with the document.
    ASSERT_TRUE(svc.DocMtd_DEnv_SetDataBlock(kIcdDomain, "k", "v1"));
    ASSERT_TRUE(svc.DocMtd_DEnv_SetDataBlock(kIcdDomain, "k", "v2"));
    CString v;
    ASSERT_TRUE(svc.DocMtd_DEnv_GetDataBlock(kIcdDomain, "k", v));
    EXPECT_EQ(v, "v2");
    EXPECT_FALSE(svc.DocMtd_DEnv_GetDataBlock(kIcdDomain, "other", v));
    // Blocks from and to files, byte for byte; a folder is no file.
    const std::string blockFile = dir + "/block.bin";
    const std::string bytes("a\0b\xFF\r\n", 6);
    Spit(blockFile, bytes);
    ASSERT_TRUE(svc.DocMtd_DEnv_SetDataBlock_byFile(kIcdDomain, "bin", CString(blockFile)));
    fs::remove(blockFile);
    ASSERT_EQ(mkfifo(blockFile.c_str(), 0644), 0);  // taken by the block, not waited on
    ASSERT_TRUE(svc.DocMtd_DEnv_GetDataBlock_byFile(kIcdDomain, "bin", CString(blockFile)));
    EXPECT_EQ(Slurp(blockFile), bytes);
    EXPECT_FALSE(svc.DocMtd_DEnv_SetDataBlock_byFile(kIcdDomain, "dir", CString(dir)));
    EXPECT_FALSE(svc.DocMtd_DEnv_GetDataBlock(kIcdDomain, "dir", v));

    // New identifiers after opening do not collide with those read.
    ASSERT_TRUE(doc.Save(CString(dir + "/d"))) << svc.LastDocError();
    CDocServices other;
    ASSERT_TRUE(other.m_Doc.Open(CString(dir + "/d"))) << other.LastDocError();
    // Blocks of any bytes come back from the saved document unchanged.
    ASSERT_TRUE(other.DocMtd_DEnv_GetDataBlock_byFile(kIcdDomain, "bin", CString(blockFile)));
    EXPECT_EQ(Slurp(blockFile), bytes);
    ASSERT_TRUE(other.DocMtd_DEnv_GetDataBlock(kIcdDomain, "k", v));
    EXPECT_EQ(v, "v2");
    URI_Ref fresh;
    ASSERT_TRUE(other.DocMtd_create_a_Rsc(kIcdDomain, "sec:LNode", fresh, "new"));
    EXPECT_NE(fresh, ln);
    EXPECT_EQ(other.DocMtd_getValue_ofAttr(other.DocMtd_TestBy_URIRef(CString(ln.sUri)), "cim:Naming.name"), "LN");
}

TEST_F(PersistTest, DrawerFilesLoadIntoTemporaryDomains) {
    URI_Ref product = Make(kIcdDomain, "sec:Product", "P100");
    CString dom;
    EXPECT_FALSE(svc.DrrMtd_Open_a_Drawer_ofKeyRsc(product, dom)) << "no drawer by default";
    doc.SetDrawerFolder(CString(dir));
    Spit(dir + "/P100.xml", std::string(kHeader) + "<sec:ICD rdf:ID=\"icd1\"/></rdf:RDF>");
    ASSERT_TRUE(svc.DrrMtd_Open_a_Drawer_ofKeyRsc(product, dom)) << svc.LastDocError();
    EXPECT_TRUE(svc.DocMtd_DEnv_Is_Tmp_Domain(dom));
    EXPECT_TRUE(svc.DocMtd_TestBy_URIRef(dom + "icd1").IsSet());
    CString again = dom;
    EXPECT_TRUE(svc.DrrMtd_Open_a_Drawer_ofKeyRsc(product, again)) << "an open drawer is reused";
    EXPECT_EQ(again, dom);
}

TEST(SchemaPath, OverrideEnvironmentAndDefault) {
    std::string def = CCimSchema::SchemaPath();
    EXPECT_NE(def.find("cim_schema.xml"), std::string::npos);
    setenv("KILN_SCHEMA_FILE", "/from/env.xml", 1);
    EXPECT_EQ(CCimSchema::SchemaPath(), "/from/env.xml");
    unsetenv("KILN_SCHEMA_FILE");
    CDocServices before;
    CCimSchema::SetSchemaPath("/no/such/schema.xml");
    EXPECT_EQ(CCimSchema::SchemaPath(), "/no/such/schema.xml");
    CDocServices broken;
    EXPECT_FALSE(broken.m_Doc.isOpened());
    EXPECT_NE(CCimSchema::LoadError().find("/no/such/schema.xml"), std::string::npos);
    URI_Ref r;
    EXPECT_FALSE(broken.DocMtd_create_a_Rsc("a#", "sec:LNode", r, "x"));
    CCimSchema::SetSchemaPath("");
    EXPECT_EQ(CCimSchema::SchemaPath(), def);
    EXPECT_TRUE(before.m_Doc.isOpened()) << "documents keep their schema";
    URI_Ref t;
    EXPECT_TRUE(before.Proc_FindCreatableType_ByName("二次模型装置ICD包", "", t));
    CDocServices after;
    EXPECT_TRUE(after.m_Doc.isOpened());
}
