// What a save writes and leaves alone, what an open refuses, and the text a
// domain import refuses.
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/mfc/gbk.h"
#include "tests/platform/framework/doc_fixture.h"

namespace fs = std::filesystem;

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spit(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// Every file of a folder with its bytes, inode and permission bits: a file
// rewritten with the same bytes still shows as changed.
struct FileState {
    std::string bytes;
    ino_t inode = 0;
    mode_t mode = 0;
    bool operator==(const FileState&) const = default;
};
std::map<std::string, FileState> Snapshot(const std::string& dir) {
    std::map<std::string, FileState> out;
    for (auto& e : fs::directory_iterator(dir)) {
        struct stat st {};
        stat(e.path().c_str(), &st);
        out[e.path().filename().string()] = {Slurp(e.path().string()), st.st_ino, st.st_mode & 07777};
    }
    return out;
}

std::string FileOf(const std::string& dir, const std::string& domainPrefix) {
    for (auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().rfind(domainPrefix, 0) == 0) return e.path().filename().string();
    return "";
}

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    out.reserve(piece.size() * static_cast<size_t>(times));
    for (int k = 0; k < times; ++k) out += piece;
    return out;
}

// UTF-8 text in another encoding, through iconv.
std::string FromUtf8(const std::string& in, const char* to) {
    iconv_t cd = iconv_open(to, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return "";
    std::string out(in.size() * 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size(), dstLeft = out.size();
    char* dst = out.data();
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) return "";
    out.resize(out.size() - dstLeft);
    return out;
}

const std::string kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
    "xmlns:cim=\"http://iec.ch/TC57/2003/CIM-schema-cim10#\" xmlns:sec=\"http://kiln.local/Zel/2006/CIM-Sec#\" "
    "xmlns:e301=\"http://kiln.local/Zel/2006/e301#\">\n";

}  // namespace

class SaveTest : public DocTest {
protected:
    std::string dir;
    void SetUp() override {
        DocTest::SetUp();
        dir = (fs::temp_directory_path() / ("kiln_save_" + std::string(::testing::UnitTest::GetInstance()
                                                                             ->current_test_info()
                                                                             ->name()) +
                                            "_" + std::to_string(getpid())))
                  .string();
        fs::remove_all(dir);
        pkg = Make(kPkgDomain, "sec:TypePackage", "P");
        icd = Make(kIcdDomain, "sec:ICD", "I");
        ASSERT_TRUE(doc.Save(CString(dir))) << svc.LastDocError();
    }
    void TearDown() override { fs::remove_all(dir); }
    URI_Ref pkg, icd;
};

TEST_F(SaveTest, ASaveWritesOnlyWhatChanged) {
    // Nothing changed: not a byte, not an inode, also from a freshly opened copy.
    auto before = Snapshot(dir);
    ASSERT_TRUE(doc.Save(CString(dir)));
    EXPECT_EQ(Snapshot(dir), before);
    CDocServices other;
    ASSERT_TRUE(other.m_Doc.Open(CString(dir))) << other.LastDocError();
    ASSERT_TRUE(other.m_Doc.Save());
    EXPECT_EQ(Snapshot(dir), before);

    // One domain changed: its file and the manifest are replaced, the other stays.
    const std::string icdFile = FileOf(dir, "domain-2-"), pkgFile = FileOf(dir, "domain-1-");
    svc.DocMtd_Modify_attribute_value(pkg, "cim:Naming.name", "P2");
    ASSERT_TRUE(doc.Save(CString(dir)));
    auto after = Snapshot(dir);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(after[icdFile], before[icdFile]);
    EXPECT_FALSE(after.count(pkgFile)) << "the previous file of the changed domain is gone";
    EXPECT_NE(after["document.xml"], before["document.xml"]);

    // A change of the manifest alone (a domain made read-only) writes no domain file.
    before = after;
    ASSERT_TRUE(doc.SetDomainEditable(kIcdDomain, false));
    ASSERT_TRUE(doc.Save());
    after = Snapshot(dir);
    for (auto& [name, state] : before)
        if (name != "document.xml") {
            EXPECT_EQ(after[name], state) << name;
        }
    EXPECT_NE(after["document.xml"].bytes, before["document.xml"].bytes);

    // Saving into another folder writes everything there.
    ASSERT_TRUE(doc.Save(CString(dir + "/copy")));
    EXPECT_EQ(Snapshot(dir + "/copy").size(), 3u);
}

TEST_F(SaveTest, ReplacedFilesKeepTheirPermissions) {
    const std::string pkgFile = FileOf(dir, "domain-1-");
    chmod((dir + "/" + pkgFile).c_str(), 0440);
    chmod((dir + "/document.xml").c_str(), 0604);
    svc.DocMtd_Modify_attribute_value(pkg, "cim:Naming.name", "P2");
    ASSERT_TRUE(doc.Save());
    auto now = Snapshot(dir);
    EXPECT_EQ(now["document.xml"].mode, 0604u);
    const std::string newFile = FileOf(dir, "domain-1-");
    ASSERT_NE(newFile, pkgFile);
    EXPECT_EQ(now[newFile].mode, 0440u);
}

TEST_F(SaveTest, LeftoversOfAKilledSaveNeitherCollideNorStay) {
    // A save killed before its rename left files of the next generations,
    // one with garbage, and a half-written manifest.
    Spit(dir + "/domain-1-g2.xml", "garbage");
    Spit(dir + "/domain-7-g9.xml", "garbage");
    Spit(dir + "/document.xml.tmp4242_0", "<KilnDoc");
    Spit(dir + "/notes.txt", "the user's own file");
    svc.DocMtd_Modify_attribute_value(pkg, "cim:Naming.name", "P2");
    ASSERT_TRUE(doc.Save()) << svc.LastDocError();
    auto now = Snapshot(dir);
    EXPECT_EQ(now.size(), 4u) << "manifest, two domain files and the user's file";
    EXPECT_TRUE(now.count("notes.txt"));
    EXPECT_TRUE(now.count("domain-1-g10.xml")) << "a generation above every one in the folder";
    CDocServices other;
    ASSERT_TRUE(other.m_Doc.Open(CString(dir))) << other.LastDocError();
    EXPECT_EQ(other.DocMtd_getValue_ofAttr(other.DocMtd_TestBy_URIRef(CString(pkg.sUri)), "cim:Naming.name"), "P2");
}

TEST_F(SaveTest, ManifestsOfAnotherFormatOrABadGenerationAreRefused) {
    const std::string manifest = Slurp(dir + "/document.xml");
    ASSERT_NE(manifest.find("generation=\"1\""), std::string::npos);
    struct Case {
        const char* from;
        const char* to;
        const char* says;
    } cases[] = {
        {"generation=\"1\"", "generation=\"9223372036854775807\"", "代数无效"},
        {"generation=\"1\"", "generation=\"99999999999999999999999\"", "代数无效"},
        {"generation=\"1\"", "generation=\"-3\"", "代数无效"},
        {"generation=\"1\"", "generation=\"\"", "代数无效"},
        {"format=\"1\"", "format=\"2\"", "格式版本2未知"},
    };
    svc.DocMtd_Modify_attribute_value(pkg, "cim:Naming.name", "P2");
    for (const Case& c : cases) {
        std::string text = manifest;
        text.replace(text.find(c.from), std::string(c.from).size(), c.to);
        Spit(dir + "/document.xml", text);
        auto before = Snapshot(dir);
        CDocServices other;
        EXPECT_FALSE(other.m_Doc.Open(CString(dir))) << c.to;
        EXPECT_NE(other.LastDocError().Find(c.says), -1) << other.LastDocError();
        // A save into the folder refuses as well and leaves it as it is.
        EXPECT_FALSE(doc.Save()) << c.to;
        EXPECT_NE(svc.LastDocError().Find(c.says), -1) << svc.LastDocError();
        EXPECT_EQ(Snapshot(dir), before) << c.to;
    }
    // Something that is no manifest at all is not saved over either.
    Spit(dir + "/document.xml", "my notes");
    EXPECT_FALSE(doc.Save());
    EXPECT_EQ(Slurp(dir + "/document.xml"), "my notes");
    // Parse errors name the line and column.
    CDocServices other;
    Spit(dir + "/document.xml", "<?xml version=\"1.0\"?>\n<KilnDocument format=\"1\">\n  <Domain name=\"a#\"\n</KilnDocument>");
    EXPECT_FALSE(other.m_Doc.Open(CString(dir)));
    EXPECT_NE(other.LastDocError().Find("第4行第1列"), -1) << other.LastDocError();
}

// A damaged manifest is refused as a damaged domain file is, naming the
// manifest: bytes that are no UTF-8, an element, attribute, text, flag or
// domain type this program never writes, a link into a domain the manifest no
// longer names (named by the file holding the link as well). One that reads
// well but not in the form this program writes stays as it is when nothing
// changed.
TEST_F(SaveTest, ADamagedManifestIsRefusedWithTheFilesName) {
    ASSERT_TRUE(svc.DocMtd_add_Association(icd, "sec:ICD.TypePackage", pkg));  // written in the package's file
    ASSERT_TRUE(doc.Save()) << svc.LastDocError();
    const std::string path = dir + "/document.xml", manifest = Slurp(path), title = "title=\"标准\"";
    ASSERT_NE(manifest.find(title), std::string::npos) << manifest;
    const std::string pkgFile = dir + "/" + FileOf(dir, "domain-1-");
    struct Case {
        std::string from, to, says;
    } cases[] = {
        {title, "title=\"标\x07" "准\"", "XML不允许的字符U+0007"},
        {title, "title=\"\xE6\xE0\x87\xE5\x87\x86\"", "不是UTF-8文本"},  // a bit flipped in 标
        {"type=\"二次模型装置ICD包\"", "type=\"二次模型装置ICE包\"", "域kiln.icd#的类型未知：二次模型装置ICE包"},
        {"editable=\"true\"", "editable=\"truu\"", "editable值无效：truu"},
        {"editable=\"true\"", "editablu=\"true\"", "Domain的属性editablu未知"},
        {"<Domain ", "<Domaim ", "KilnDocument中的元素Domaim未知"},
        // The "<" of a domain nobody links into flipped to ",": read as text,
        // the entry would vanish and the next save remove the domain's file.
        {"<Domain ", ",Domain ", "第3行第3列：KilnDocument中的文本未知"},
        {"name=\"kiln.icd#\"", "name=\"kiln.icc#\"",
         pkgFile + "：关联目标不存在：kiln.icd#" },
        {"name=\"kiln.icd#\"", "name=\"kiln.icc#\"", "（文档清单" + path + "中没有域kiln.icd#）"},
        // Its root as the folders of a workspace are known by it: the first
        // element, after nothing but the prolog.
        {"<KilnDocument", "<Notes/><KilnDocument", "格式错误：缺少KilnDocument"},
        {"<KilnDocument", "notes<KilnDocument", "格式错误：缺少KilnDocument"},
    };
    for (const Case& c : cases) {
        std::string text = manifest;
        text.replace(text.find(c.from), c.from.size(), c.to);
        Spit(path, text);
        CDocServices other;
        EXPECT_FALSE(other.m_Doc.Open(CString(dir))) << c.to;
        const std::string error = other.LastDocError().str();
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }

    // Blanks of another width and attributes in single quotes: the same
    // manifest to this program, left as it is by a run that changes nothing.
    std::string other = manifest;
    for (size_t at = 0; (at = other.find("\n  <", at)) != std::string::npos;) other.replace(at, 3, "\n\t"), ++at;
    for (const char* attr : {"generation=\"", "file=\""}) {
        const size_t at = other.find(attr);
        other[at + std::string(attr).size() - 1] = '\'';
        other[other.find('"', at + std::string(attr).size())] = '\'';
    }
    ASSERT_NE(other, manifest);
    Spit(path, other);
    const auto before = Snapshot(dir);
    CDocServices again;
    ASSERT_TRUE(again.m_Doc.Open(CString(dir))) << again.LastDocError();
    ASSERT_TRUE(again.m_Doc.Save()) << again.LastDocError();
    EXPECT_EQ(Snapshot(dir), before);
    // A change writes it in this program's form.
    ASSERT_TRUE(again.DocMtd_DEnv_SetDataBlock(kIcdDomain, "k", "v"));
    ASSERT_TRUE(again.m_Doc.Save()) << again.LastDocError();
    EXPECT_NE(Slurp(path).find("generation=\"3\""), std::string::npos) << Slurp(path);
}

TEST_F(SaveTest, ValuesThatNoXmlReaderTakesAreRefusedBeforeTheyReachAFile) {
    EXPECT_FALSE(svc.DocMtd_Modify_attribute_value(pkg, "cim:Naming.name", "a\x01z"));
    EXPECT_FALSE(svc.DocMtd_Modify_attribute_value(pkg, "cim:Naming.description", "\xB1\xEA\xD7\xBC"))
        << "GBK bytes are no UTF-8";
    URI_Ref r;
    EXPECT_FALSE(svc.DocMtd_create_a_Rsc(kPkgDomain, "sec:TypePackage", r, "x\x1Fy"));
    EXPECT_TRUE(svc.DocMtd_Modify_attribute_value(pkg, "cim:Naming.description", "tab\t cr\r lf\n 中文"));
    // A data block of any bytes survives a save and an open.
    const std::string bytes("\x01\0\xFF\r\n<&", 7);
    ASSERT_TRUE(svc.DocMtd_DEnv_SetDataBlock(kIcdDomain, "bin", CString(bytes)));
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(Slurp(dir + "/document.xml").find('\x01'), std::string::npos);
    CDocServices other;
    ASSERT_TRUE(other.m_Doc.Open(CString(dir))) << other.LastDocError();
    CString back;
    ASSERT_TRUE(other.DocMtd_DEnv_GetDataBlock(kIcdDomain, "bin", back));
    EXPECT_EQ(back.str(), bytes);
    EXPECT_EQ(other.DocMtd_getValue_ofAttr(other.DocMtd_TestBy_URIRef(CString(pkg.sUri)), "cim:Naming.description"),
              "tab\t cr\r lf\n 中文");
}

TEST_F(SaveTest, HostileImportsAreRefusedWithTheirLineAndChangeNothing) {
    URI_Ref type;
    svc.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type);
    const std::string body = "<sec:TypePackage rdf:ID=\"a\">\n";
    const std::string end = "</sec:TypePackage></rdf:RDF>\n";
    const std::string ns = "http://kiln.local/Zel/2006/CIM-Sec#";
    struct Case {
        const char* name;
        std::string text;
        const char* says;
    } cases[] = {
        {"bad_utf8", kHeader + body + "<cim:Naming.name>\xC3\x28</cim:Naming.name>\n" + end, "第4行第18列：字节0xC3不是UTF-8"},
        {"gbk_undeclared", kHeader + body + "<cim:Naming.name>" + kiln::text::Utf8ToGbk("标准") + "</cim:Naming.name>\n" + end, "第4行第18列"},
        {"control_ref", kHeader + body + "<cim:Naming.name>a&#1;b</cim:Naming.name>\n" + end, "&#1;"},
        {"control_hex_ref", kHeader + body + "<cim:Naming.name>a&#x1F;b</cim:Naming.name>\n" + end, "&#x1F;"},
        {"control_raw", kHeader + body + "<cim:Naming.name>a\x01" "b</cim:Naming.name>\n" + end, "U+0001"},
        {"fffe", kHeader + body + "<cim:Naming.name>\xEF\xBF\xBE</cim:Naming.name>\n" + end, "U+FFFE"},
        {"entity_decl", "<?xml version=\"1.0\"?>\n<!DOCTYPE r [ <!ENTITY xxe SYSTEM \"file:///etc/passwd\"> ]>\n" +
             kHeader.substr(kHeader.find('\n') + 1) + body + "<cim:Naming.name>&xxe;</cim:Naming.name>\n" + end, "第2行第1列：文档类型声明"},
        {"undeclared_entity", kHeader + body + "<cim:Naming.name>&nbsp;</cim:Naming.name>\n" + end, "&nbsp;"},
        {"ord_not_a_number", kHeader + body + "<e301:OrdNaming.ord>notanumber</e301:OrdNaming.ord>\n" + end, "e301:OrdNaming.ord"},
        {"boolean_maybe", kHeader + "<sec:DO rdf:ID=\"d\">\n<sec:DO.transient>maybe</sec:DO.transient></sec:DO></rdf:RDF>", "sec:DO.transient"},
        {"enum_bogus", kHeader + "<sec:DO rdf:ID=\"d\">\n<sec:DO.presence>bogus</sec:DO.presence></sec:DO></rdf:RDF>", "PresenceTypeEnum"},
        {"enum_other", kHeader + "<sec:DO rdf:ID=\"d\">\n<sec:DO.presence>" + ns + "FCType.ST</sec:DO.presence></sec:DO></rdf:RDF>", "PresenceTypeEnum"},
        {"parse_error", kHeader + body + "<cim:Naming.name>中文<</cim:Naming.name>\n" + end, "第4行第21列：XML格式错误"},
        // 80,000 levels inside a value: read without recursion, refused as a value holding elements.
        {"deep", kHeader + body + "<cim:Naming.name>" + Repeat("<a>", 80000) + Repeat("</a>", 80000) + "</cim:Naming.name>\n" + end,
         "第4行第2列：属性cim:Naming.name含有元素"},
    };
    auto before = doc.ResourceCount();
    for (const Case& c : cases) {
        std::string file = dir + "/" + c.name + ".xml";
        Spit(file, c.text);
        EXPECT_FALSE(svc.Import_ExterDomainFile(type, "", CString(file))) << c.name;
        EXPECT_NE(svc.LastDocError().Find(c.says), -1) << c.name << ": " << svc.LastDocError();
        EXPECT_FALSE(svc.DocMtd_Test_DomainExist(CString("kiln.") + c.name + "#")) << c.name;
        EXPECT_EQ(doc.ResourceCount(), before) << c.name;
    }
    // Values of the right type pass: a negative order, "1" for true, a literal
    // newer than the schema's list, an array size naming an attribute.
    std::string good = dir + "/good.xml";
    Spit(good, kHeader + std::string("<sec:DO rdf:ID=\"d\"><e301:OrdNaming.ord>-2</e301:OrdNaming.ord>") +
                   "<sec:DO.transient>1</sec:DO.transient><sec:DO.presence>" + ns +
                   "PresenceTypeEnum.Omulti</sec:DO.presence></sec:DO><sec:BDA rdf:ID=\"b\"><sec:BDA.count>maxPts</sec:BDA.count></sec:BDA></rdf:RDF>");
    EXPECT_TRUE(svc.Import_ExterDomainFile(type, "", CString(good))) << svc.LastDocError();
}

TEST_F(SaveTest, WhateverTheStoreTookOpensAgain) {
    // The store writes any text; the model keeps flags in any case ("TRUE")
    // and may hold values outside their types. Its own files must reopen.
    const std::string ns = "http://kiln.local/Zel/2006/CIM-Sec#";
    URI_Ref d = Make(kPkgDomain, "sec:DOType", "T");
    ASSERT_TRUE(svc.DocMtd_Modify_attribute_value(d, "sec:DOType.isInstType", "TRUE"));
    ASSERT_TRUE(svc.DocMtd_Modify_attribute_value(d, "e301:OrdNaming.ord", "abc"));
    ASSERT_TRUE(svc.DocMtd_Modify_attribute_value(pkg, "sec:TypePackage.isInstType", "maybe"));
    ASSERT_TRUE(doc.Save(CString(dir))) << svc.LastDocError();
    CDocServices other;
    ASSERT_TRUE(other.m_Doc.Open(CString(dir))) << other.LastDocError();
    EXPECT_EQ(other.DocMtd_getValue_ofAttr(d, "sec:DOType.isInstType"), "TRUE");
    EXPECT_EQ(other.DocMtd_getValue_ofAttr(d, "e301:OrdNaming.ord"), "abc");
    EXPECT_EQ(other.DocMtd_getValue_ofAttr(pkg, "sec:TypePackage.isInstType"), "maybe");

    // An imported file may hold the flag in any case too; "maybe" stays refused there.
    URI_Ref type;
    svc.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type);
    std::string file = dir + "-upper.xml";
    Spit(file, kHeader + std::string("<sec:DO rdf:ID=\"d\"><sec:DO.transient>TRUE</sec:DO.transient></sec:DO></rdf:RDF>"));
    EXPECT_TRUE(svc.Import_ExterDomainFile(type, "", CString(file))) << svc.LastDocError();
    fs::remove(file);
}

TEST_F(SaveTest, Utf16FilesLoadWithOrWithoutTheirDeclaration) {
    URI_Ref type;
    svc.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type);
    std::string text = std::string(kHeader) + "<sec:TypePackage rdf:ID=\"a\"><cim:Naming.name>标准</cim:Naming.name></sec:TypePackage></rdf:RDF>";
    std::string utf16 = std::string(kHeader).replace(kHeader.find("UTF-8"), 5, "UTF-16") +
                        text.substr(kHeader.size());
    struct Case {
        const char* name;
        const char* encoding;
        const std::string* source;
        bool bom;
    } cases[] = {{"le_declared", "UTF-16LE", &utf16, true},
                 {"be_declared", "UTF-16BE", &utf16, true},
                 {"le_plain", "UTF-16LE", &text, true},
                 {"be_no_bom", "UTF-16BE", &utf16, false}};
    for (const Case& c : cases) {
        std::string converted = FromUtf8(*c.source, c.encoding);
        ASSERT_FALSE(converted.empty());
        if (c.bom) converted = (std::string(c.encoding) == "UTF-16LE" ? std::string("\xFF\xFE") : std::string("\xFE\xFF")) + converted;
        std::string file = dir + "/" + c.name + ".xml";
        Spit(file, converted);
        CString dom;
        ASSERT_TRUE(svc.Import_ExterDomainFile(type, "", CString(file), &dom)) << c.name << ": " << svc.LastDocError();
        EXPECT_EQ(svc.DocMtd_getValue_ofAttr(svc.DocMtd_TestBy_URIRef(dom + "a"), "cim:Naming.name"), "标准") << c.name;
    }
}
