// Name replacement from a file: which names of an ICD, a type package or the
// whole document change, the locks that stop it, the run around it and the
// round trip through the name-replacement export.
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <tuple>

#include <pugixml.hpp>

#include "tests/import/import_files_fixture.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

const std::string kIcdText =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\" version=\"2007\" revision=\"B\">\n"
    "<Header id=\"RN\"/>\n"
    "<IED name=\"RELAY\" type=\"R\"><AccessPoint name=\"S1\"><Server>\n"
    "<LDevice inst=\"PROT\"><LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\">\n"
    "<DataSet name=\"ds\"><FCDA ldInst=\"PROT\" lnClass=\"PTOC\" lnInst=\"1\" doName=\"Op\" daName=\"stVal\" "
    "fc=\"ST\"/></DataSet>\n"
    "</LN0>\n"
    "<LN lnClass=\"LPHD\" lnType=\"PH\" inst=\"1\"/>\n"
    "<LN lnClass=\"PTOC\" lnType=\"PT\" inst=\"1\"><DOI name=\"Op\"/><Inputs>\n"
    "<ExtRef iedName=\"RELAY\" ldInst=\"PROT\" lnClass=\"PTOC\" lnInst=\"1\" doName=\"Str\" daName=\"stVal\"/>\n"
    "</Inputs></LN></LDevice>\n"
    "</Server></AccessPoint></IED>\n"
    "<DataTypeTemplates>\n"
    "<LNodeType id=\"L0\" lnClass=\"LLN0\"><DO name=\"Mod\" type=\"TINC\"/></LNodeType>\n"
    "<LNodeType id=\"PH\" lnClass=\"LPHD\"><DO name=\"PhyHealth\" type=\"TINC\"/></LNodeType>\n"
    "<LNodeType id=\"PT\" lnClass=\"PTOC\"><DO name=\"Op\" type=\"TSPS\"/><DO name=\"Str\" type=\"TSPS\"/>"
    "</LNodeType>\n"
    "<DOType id=\"TINC\" cdc=\"INC\"><DA name=\"stVal\" bType=\"INT32\" fc=\"ST\"/></DOType>\n"
    "<DOType id=\"TSPS\" cdc=\"SPS\"><DA name=\"stVal\" bType=\"BOOLEAN\" fc=\"ST\"/></DOType>\n"
    "</DataTypeTemplates>\n</SCL>\n";

// A name-replacement file with the given Name elements.
std::string NameFile(const std::string& names) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\">"
           "<Header id=\"\"/><DataTypeTemplates>\n" +
           names + "</DataTypeTemplates></SCL>\n";
}

// Pairs covering whole, partial, differently cased, repeated, chained and
// incomplete entries.
const std::string kPairs =
    "<Name name=\"PROT\" type=\"sec:LDevice\" changeto=\"BAY1\"/>\n"
    "<Name name=\"PTOC1\" type=\"sec:LNode\" changeto=\"过流1\"/>\n"
    "<Name name=\"Op\" type=\"sec:DO\" changeto=\"OpA\"/>\n"
    "<Name name=\"Op\" type=\"sec:DO\" changeto=\"second\"/>\n"
    "<Name name=\"PT\" type=\"sec:LNodeType\" changeto=\"PT_A\"/>\n"
    "<Name name=\"PT_A\" type=\"sec:LNodeType\" changeto=\"PT_B\"/>\n"
    "<Name name=\"lln0\" changeto=\"case\"/>\n"
    "<Name name=\"L\" changeto=\"part\"/>\n"
    "<Name name=\"Str\" changeto=\"\"/>\n"
    "<Name changeto=\"no name\"/>\n"
    "<Name name=\"Mod\"/>\n"
    "<Name name=\"ds\" changeto=\"DS\"/>\n"
    "<Name name=\"stVal\" changeto=\"value\"/>\n"
    "<Name name=\"PTOC\" changeto=\"std\"/>\n"
    "<Name name=\"P1_PTOC\" changeto=\"P1_NEW\"/>\n";

// What the run says of kPairs' second pair of "Op" and of its incomplete entries.
const CString kSecondOp = "名称Op未替换为second：文件中已有该名称的替换名OpA！\n"
                          "元素Name未导入（name=“Str”，changeto为空）\n"
                          "元素Name未导入（changeto=“no name”，没有name）\n"
                          "元素Name未导入（name=“Mod”，没有changeto）";
// A node's entry: the files know a node by its prefix, class and instance.
const CString kNodeRefused = "名称PTOC1未替换为过流1：逻辑节点的名称由前缀、LN类和实例号组成，不能替换！";

class ReplaceNamesTest : public ImportFilesTest {
protected:
    ReplaceNamesTest() {
        EXPECT_TRUE(RunIcd(kIcdText, &imported));
        icdPkg = Target(imported, "sec:ICD.TypePackage");
        ld = Member(Target(Target(imported, "sec:ICD.IED"), "sec:IED.Servers"), "sec:Server.LDevices", "PROT");
        lln0 = Node(ld, "LLN0");
        ptoc1 = Node(ld, "PTOC1");
        ptType = Member(icdPkg, "sec:TypePackage.LNodeTypes", "PT");
        ptOp = Member(ptType, "sec:LNodeType.DOs", "Op");
        doi = Members(ptoc1, "sec:LNode.DOIs").at(0);
        extRef = Members(ptoc1, "sec:LNode.ExtRefs").at(0);
        dataSet = Members(lln0, "sec:LNode.DataSets").at(0);
        fcda = Members(dataSet, "sec:DataSet.FCDAs").at(0);
        // A node typed by the standard package and one typed by P1.
        stdNode = MakeLNode(ld, "", "PTOC", "7", 7, m.ptoc);
        p1Node = MakeLNode(ld, "", "PTOC", "8", 8, m.p1Ptoc);
        // An M2I whose items name DOs, one by a path.
        URI_Ref itb, item;
        EXPECT_TRUE(app.NewRsc_ITB(&itb, imported));
        EXPECT_TRUE(app.NewRsc_InfoItem(&item, itb));
        EXPECT_TRUE(app.NewRsc_InfoItem(&item, itb));
        EXPECT_TRUE(app.NewRsc_M2I(&m2i, imported, itb, true));
        const std::vector<URI_Ref> items = Members(m2i, "sec:M2I.MapItems");
        EXPECT_EQ(items.size(), 2u);
        mapOp = items.at(0);
        mapPath = items.at(1);
        Set(mapOp, "sec:DARef.doName", "Op");
        Set(mapPath, "sec:DARef.doName", "Op.sub");
        Link(mapOp, "sec:DARef.LNode", ptoc1);
        Link(mapPath, "sec:DARef.LNode", ptoc1);
        ui.ClearCalls();
    }

    bool Replace(const URI_Ref& scope, const std::string& names) {
        ui.AnswerOpenFile(WriteFile("names.Name", NameFile(names)));
        return app.Rsc_ReplaceName(scope);
    }
    // The notice of a run that succeeded.
    CString Done() { return CString((workspace / "names.Name").string().c_str()) + "文件替换完成！"; }
    CString Name(const URI_Ref& r) { return Get(r, "cim:Naming.name"); }
    CString DoName(const URI_Ref& r) { return Get(r, "sec:DARef.doName"); }
    // Every domain of the document as CIM-XML text.
    std::string Everything() {
        std::string all;
        for (const CString& d : Doc().DomainNames()) {
            CString text;
            Doc().CimDomainToStr(d, text);
            all += d.str() + "\n" + text.str();
        }
        return all;
    }
    // A product in a domain of its own with an ICD (domain kiln.<name>.icd#).
    URI_Ref IcdOfNewProduct(const CString& name) {
        MakeDomain("kiln." + name + "#", "二次模型装置类型包");
        const URI_Ref p = MakeUnder(Make("kiln." + name + "#", "sec:ProductPackage", name), "sec:Product", "P",
                                    "sec:Product.ProductPackage");
        URI_Ref out;
        EXPECT_TRUE(app.NewRsc_ICD(&out, URI_Ref(), name, false, p));
        return out;
    }

    URI_Ref imported, icdPkg, ld, lln0, ptoc1, ptType, ptOp, doi, extRef, dataSet, fcda, stdNode, p1Node;
    URI_Ref m2i, mapOp, mapPath;
};

TEST_F(ReplaceNamesTest, AnIcdChangesWholeNamesOnceAndLeavesTypesItMayNotChange) {
    Doc().SetDomainEditable(kInstDomain, false);  // P1, whose type a node uses
    ASSERT_TRUE(Replace(imported, kPairs));
    EXPECT_EQ(Name(ld), "BAY1");
    EXPECT_EQ(Name(ptoc1), "PTOC1");
    EXPECT_EQ(Name(lln0), "LLN0");  // neither "lln0" nor "L" matches the whole name
    EXPECT_EQ(Name(doi), "OpA");   // the first pair of "Op" wins
    EXPECT_EQ(Name(ptOp), "OpA");
    EXPECT_EQ(DoName(fcda), "OpA");
    EXPECT_EQ(DoName(mapOp), "OpA");
    EXPECT_EQ(DoName(mapPath), "OpA.sub");  // a path follows its DO
    EXPECT_EQ(DoName(extRef), "Str");       // an empty "changeto" is no pair
    EXPECT_EQ(Name(Member(ptType, "sec:LNodeType.DOs", "Str")), "Str");
    // The type is met in its package and again through its node: renamed once.
    EXPECT_EQ(Name(ptType), "PT_A");
    // Data sets, data attribute names and types of other packages keep theirs.
    EXPECT_EQ(Name(dataSet), "ds");
    EXPECT_EQ(Get(fcda, "sec:DARef.daName"), "stVal");
    EXPECT_EQ(Name(m.ptoc), "PTOC");
    EXPECT_EQ(Name(m.ptocOp), "Op");
    EXPECT_EQ(Name(m.p1Ptoc), "P1_PTOC");
    EXPECT_EQ(Name(m.p1PtocOp), "Op");
    // No report; the second pair of Op is named; the views were refreshed once.
    EXPECT_EQ(Boxes(), (std::vector<CString>{kSecondOp + "\n" + kNodeRefused, Done()}));
    EXPECT_FALSE(ReportSaved());
    EXPECT_EQ(ui.CountOf(Enum_UiCall::AllViewsRefresh), 1);
    EXPECT_EQ(ui.CountOf(Enum_UiCall::WaitCursorBegin), ui.CountOf(Enum_UiCall::WaitCursorEnd));

    // An editable instance package's type is renamed through its node.
    Doc().SetDomainEditable(kInstDomain, true);
    ASSERT_TRUE(Replace(imported, kPairs));
    EXPECT_EQ(Name(m.p1Ptoc), "P1_NEW");
    EXPECT_EQ(Name(m.p1PtocOp), "OpA");
    EXPECT_EQ(Name(m.ptoc), "PTOC");
    EXPECT_EQ(Name(ptType), "PT_B");  // a second run goes one pair further
}

TEST_F(ReplaceNamesTest, ATypePackageChangesOnlyWhenItIsAnInstancePackage) {
    // The file writes SCL's namespace under a prefix: read as with the default.
    std::string prefixed;
    for (const char c : NameFile(kPairs)) {
        const bool open = !prefixed.empty() && prefixed.back() == '<';
        if (open && c == '/') prefixed += "/scl:";
        else if (open && std::isalpha(static_cast<unsigned char>(c))) prefixed += std::string("scl:") + c;
        else prefixed += c;
    }
    prefixed.replace(prefixed.find("xmlns="), 6, "xmlns:scl=");
    ui.AnswerOpenFile(WriteFile("names.Name", prefixed));
    ASSERT_TRUE(app.Rsc_ReplaceName(m.instPkg));
    EXPECT_EQ(Name(m.p1Ptoc), "P1_NEW");
    EXPECT_EQ(Name(m.p1PtocOp), "OpA");
    EXPECT_EQ(Name(ptType), "PT");  // another package
    EXPECT_EQ(Name(ptoc1), "PTOC1");

    const std::string before = Everything();
    ASSERT_TRUE(Replace(m.stdPkg, kPairs));
    EXPECT_EQ(Everything(), before);
    // A resource of another class changes nothing and succeeds.
    ASSERT_TRUE(Replace(ld, kPairs));
    EXPECT_EQ(Everything(), before);
}

TEST_F(ReplaceNamesTest, TheWholeDocumentChangesInstancePackagesAndIcdsButNotTheTypesOfNodes) {
    MakeDomain("kiln.locked#", "二次模型数据类型包");
    const URI_Ref lockedPkg = MakeTypePackage("kiln.locked#", "LOCKED", true);
    const URI_Ref lockedType = MakeLNodeType(lockedPkg, "PT", 1);
    Doc().SetDomainEditable("kiln.locked#", false);
    ASSERT_TRUE(Replace(URI_Ref(), kPairs));
    EXPECT_EQ(Name(ld), "BAY1");
    EXPECT_EQ(Name(ptoc1), "PTOC1");
    EXPECT_EQ(Name(doi), "OpA");
    EXPECT_EQ(DoName(fcda), "OpA");
    EXPECT_EQ(DoName(mapOp), "OpA");
    EXPECT_EQ(Name(ptType), "PT_A");        // the ICD's own package is an instance package
    EXPECT_EQ(Name(m.p1Ptoc), "P1_NEW");    // so is P1
    EXPECT_EQ(Name(m.ptoc), "PTOC");        // the standard package is not
    EXPECT_EQ(Name(lockedType), "PT");      // nor may a locked domain change
    EXPECT_EQ(Boxes(), (std::vector<CString>{kSecondOp + "\n" + kNodeRefused, Done()}));
}

// A name SCL does not hold for what it names (outside its pattern, or a
// sibling's) is not given, here or in the references to it; one message
// names each pair at the end, once. Two names swapped, both refused,
// change nothing.
TEST_F(ReplaceNamesTest, NamesSclDoesNotHoldAreNotGivenAndNamedOnce) {
    // A node an older release stored under another name is known by its file's.
    const URI_Ref lphd = Node(ld, "LPHD1");
    Set(lphd, "cim:Naming.name", "LPHD");
    ASSERT_TRUE(Replace(imported,
                        "<Name name=\"PROT\" type=\"sec:LDevice\" changeto=\"保护\"/>\n"
                        "<Name name=\"PT\" type=\"sec:LNodeType\" changeto=\"L0\"/>\n"
                        "<Name name=\"Op\" type=\"sec:DO\" changeto=\"动作\"/>\n"
                        "<Name name=\"LPHD1\" changeto=\"LPHD9\"/>\n"
                        "<Name name=\"PTOC1\" type=\"sec:LNode\" changeto=\"过流1\"/>\n"));
    EXPECT_EQ(Boxes(), (std::vector<CString>{
                           "名称PT未替换为L0：类型包中已经存在名为L0的类型，不能修改！\n"
                           "名称Op未替换为动作：DO名必须以大写字母开头，只含字母和数字，最多12个字符！\n"
                           "名称PROT未替换为保护：逻辑装置名必须以字母或数字开头，只含字母、数字和下划线，最多64个字符！\n"
                           "名称LPHD1未替换为LPHD9：逻辑节点的名称由前缀、LN类和实例号组成，不能替换！\n" +
                               kNodeRefused,
                           Done()}));
    EXPECT_EQ(Name(lphd), "LPHD");
    EXPECT_EQ(Name(ld), "PROT");
    EXPECT_EQ(Name(ptType), "PT");
    EXPECT_EQ(Name(ptOp), "Op");
    EXPECT_EQ(Name(doi), "Op");
    EXPECT_EQ(DoName(fcda), "Op");
    EXPECT_EQ(DoName(mapOp), "Op");
    EXPECT_EQ(Name(ptoc1), "PTOC1");

    ui.ClearCalls();
    ASSERT_TRUE(Replace(imported, "<Name name=\"Op\" changeto=\"Str\"/>\n<Name name=\"Str\" changeto=\"Op\"/>\n"));
    EXPECT_EQ(Boxes(), (std::vector<CString>{"名称Op未替换为Str：LN类型中已经存在名为Str的DO，不能修改！\n"
                                             "名称Str未替换为Op：LN类型中已经存在名为Op的DO，不能修改！",
                                             Done()}));
    EXPECT_EQ(Name(ptOp), "Op");
    EXPECT_EQ(Name(doi), "Op");
    EXPECT_EQ(DoName(fcda), "Op");
    EXPECT_EQ(DoName(mapOp), "Op");
    EXPECT_EQ(DoName(extRef), "Str");
    EXPECT_EQ(Name(m.p1PtocOp), "Str");  // P1's type holds no Str: its DO is renamed
}

// An entry's class ("type") limits what it renames; an entry of a class no
// pair renames, and a second pair of one old name for a class it already
// has, are named and change nothing. One old name may have a pair for each
// of two classes; a name one pair gave is taken for the next. Elements of
// another namespace, wherever the run meets them, are named and not read.
TEST_F(ReplaceNamesTest, AnEntryRenamesOnlyItsClassAndASecondPairIsNamed) {
    ASSERT_TRUE(Replace(imported,
                        "</DataTypeTemplates><o:DataTypeTemplates xmlns:o=\"urn:other\"><Name name=\"PT\" "
                        "changeto=\"PTO\"/></o:DataTypeTemplates><DataTypeTemplates>\n"
                        "<Name name=\"Str\" type=\"sec:LDevice\" changeto=\"StrX\"/>\n"
                        "<Name name=\"PROT\" type=\"sec:LDevice\" changeto=\"BAY1\"/>\n"
                        "<Name name=\"PROT\" type=\"sec:LDevice\" changeto=\"MEAS\"/>\n"
                        "<Name name=\"PTOC1\" type=\"sec:DO\" changeto=\"X1\"/>\n"
                        "<Name name=\"Op\" type=\"sec:DOI\" changeto=\"OpX\"/>\n"
                        "<Name name=\"Op\" changeto=\"OpA\"/>\n"
                        "<Name name=\"Op\" type=\"sec:DO\" changeto=\"OpB\"/>\n"
                        "<Name name=\"Str\" type=\"sec:DO\" changeto=\"OpA\"/>\n"
                        "<Name name=\"PT\" type=\"sec:LNode\" changeto=\"PTX\"/>\n"
                        "<Name name=\"PT\" type=\"sec:LNodeType\" changeto=\"PT_A\"/>\n"
                        // Entries of another namespace are not read.
                        "<o:Name xmlns:o=\"urn:other\" name=\"Str\" changeto=\"StrO\"/>\n"
                        "<Name xmlns=\"urn:other\" name=\"Mod\" changeto=\"ModO\"/>\n"
                        "<Name name=\"Beh\" changeto=\"BehX\"><o:F xmlns:o=\"urn:other\"/></Name>\n"
                        "<Name name=\"\" changeto=\"E\"/>\n"));
    EXPECT_EQ(Boxes(), (std::vector<CString>{"元素o:DataTypeTemplates未导入（命名空间urn:other）\n"
                                             "元素o:Name未导入（命名空间urn:other）\n"
                                             "元素Name未导入（命名空间urn:other）\n"
                                             "元素o:F未导入（命名空间urn:other）\n"
                                             "名称PROT未替换为MEAS：文件中已有该名称的替换名BAY1！\n"
                                             "名称Op未替换为OpX：类型sec:DOI的名称不能替换！\n"
                                             "名称Op未替换为OpB：文件中已有该名称的替换名OpA！\n"
                                             "元素Name未导入（changeto=“E”，name为空）\n"
                                             "名称Str未替换为OpA：LN类型中已经存在名为OpA的DO，不能修改！",
                                             Done()}));
    // The DO Str, the device, the node, the type, the DO Op and its DOI.
    EXPECT_EQ((std::vector<CString>{Name(Member(ptType, "sec:LNodeType.DOs", "Str")), Name(ld), Name(ptoc1),
                                    Name(ptType), Name(ptOp), Name(doi)}),
              (std::vector<CString>{"Str", "BAY1", "PTOC1", "PT_A", "OpA", "OpA"}));
}

// A renamed DO is followed by every text that names it, whole or as the
// head of a path, in every node of its type, whether the type package or the
// ICD is renamed: PhV of the measuring node, its DOI, and the members of the
// data sets MeasFlt and PmuSet.
TEST_F(ReplaceNamesTest, ARenamedDoIsFollowedByEveryPathThatNamesIt) {
    std::ifstream in(std::string(KILN_SOURCE_DIR) + "/tests/data/scl/ed2_distance_relay_many_devices.icd",
                     std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    URI_Ref icd;
    // The fixture's standard package lacks some of the file's classes: the
    // import's report is not opened.
    ASSERT_TRUE(RunIcd(text, &icd, [this] {
        ui.AnswerInputKeep("选择依赖的类型包：");
        ui.AnswerNo();
    }));
    const URI_Ref meas = Member(Target(Target(icd, "sec:ICD.IED"), "sec:IED.Servers"), "sec:Server.LDevices", "MEAS");
    const URI_Ref lln0 = Node(meas, "LLN0"), mmxu = Node(meas, "MMXU1");
    const URI_Ref measFlt = Member(lln0, "sec:LNode.DataSets", "MeasFlt");
    const URI_Ref pmuSet = Member(lln0, "sec:LNode.DataSets", "PmuSet");
    const struct {
        URI_Ref scope;
        const char* from;
        const char* to;
    } runs[] = {{Target(icd, "sec:ICD.TypePackage"), "PhV", "PhVx"}, {icd, "PhVx", "PhVy"}};
    for (const auto& run : runs) {
        ui.ClearCalls();
        ASSERT_TRUE(Replace(run.scope, "<Name name=\"" + std::string(run.from) + "\" type=\"sec:DO\" changeto=\"" +
                                           run.to + "\"/>\n"));
        EXPECT_EQ(Boxes(), std::vector<CString>{Done()});
        const CString to = run.to;
        EXPECT_EQ(DataSetMembers(pmuSet), (std::vector<CString>{"MMXU1." + to + ".phsA", "MMXU1." + to + ".phsB",
                                                                 "MMXU1." + to + ".phsC"}));
        EXPECT_EQ(DataSetMembers(measFlt).at(0), "MMXU1." + to);
        EXPECT_EQ(Get(Members(pmuSet, "sec:DataSet.FCDAs").at(0), "sec:DARef.daName"), "cVal");
        EXPECT_EQ(Name(Member(mmxu, "sec:LNode.DOIs", to)), to);
    }
}

TEST_F(ReplaceNamesTest, LockedDomainsStopTheWholeDocumentBeforeAnyChange) {
    const CString file = WriteFile("names.Name", NameFile(kPairs));
    const CString icdDomain = DomainOf(imported);
    // No ICD and no instance package may change.
    Doc().SetDomainEditable(icdDomain, false);
    Doc().SetDomainEditable(kInstDomain, false);
    std::string before = Everything();
    ui.AnswerOpenFile(file);
    EXPECT_FALSE(app.Rsc_ReplaceName(URI_Ref()));
    EXPECT_EQ(Boxes(), (std::vector<CString>{"当前域不可编辑！-W0047", file + "文件格式不正确, 替换不成功！"}));
    EXPECT_EQ(Everything(), before);

    // One ICD is locked, the other ICD and P1 are not: nothing changes, P1
    // and the ICD that comes first included.
    Doc().SetDomainEditable(icdDomain, true);
    Doc().SetDomainEditable(kInstDomain, true);
    const URI_Ref other = IcdOfNewProduct("zz");
    Doc().SetDomainEditable(DomainOf(other), false);
    before = Everything();
    ui.ClearCalls();
    ui.AnswerOpenFile(file);
    EXPECT_FALSE(app.Rsc_ReplaceName(URI_Ref()));
    EXPECT_EQ(Boxes(), (std::vector<CString>{"当前域不可编辑！-W0048", file + "文件格式不正确, 替换不成功！"}));
    EXPECT_EQ(Everything(), before);
    EXPECT_EQ(ui.CountOf(Enum_UiCall::AllViewsRefresh), 0);
}

TEST_F(ReplaceNamesTest, TheRunNeedsNoTemplateAndNamesTheFileThatFails) {
    fs::remove(workspace / "Template" / "Report_Template.xml");
    const std::string before = Everything();
    // Cancel: nothing, no message.
    ui.AnswerFileCancel();
    EXPECT_FALSE(app.Rsc_ReplaceName(imported));
    EXPECT_TRUE(Boxes().empty());
    ASSERT_NE(ui.LastOf(Enum_UiCall::OpenFile), nullptr);
    EXPECT_EQ(ui.LastOf(Enum_UiCall::OpenFile)->sText, "TypePackage文件|*.Name|ICD-XML文件|*.xml||");
    // A file that does not load (cut short; UTF-8 bytes under a GB2312
    // declaration; an attribute twice through two prefixes): the file-format message with its path, then why and where.
    for (const auto& [name, text, why] :
         {std::tuple<const char*, const char*, const char*>{"bad.Name", "<SCL><DataTypeTemplates><Name name=\"PROT\"",
                                                             "：第1行第37列：XML格式错误：Error parsing element attribute"},
          {"mixed.Name",
           "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<SCL><DataTypeTemplates>"
           "<Name name=\"PROT\" changeto=\"过流\"/></DataTypeTemplates></SCL>",
           "：文件内容不符合其声明的编码GB2312：第2行第53列：字节0x87不是GB2312的字符（文件的文本是UTF-8）"},
          {"twice.Name",
           "<SCL xmlns:a=\"urn:x\" xmlns:b=\"urn:x\"><DataTypeTemplates><Name name=\"PROT\" a:changeto=\"X\" "
           "b:changeto=\"Y\"/></DataTypeTemplates></SCL>",
           "：第1行第90列：XML格式错误：属性b:changeto与a:changeto重复（同属命名空间urn:x）"}}) {
        ui.ClearCalls();
        const CString bad = WriteFile(name, text);
        ui.AnswerOpenFile(bad);
        EXPECT_FALSE(app.Rsc_ReplaceName(imported));
        EXPECT_EQ(Boxes(), std::vector<CString>{bad + "文件格式不正确, 替换不成功！\n" + bad + why});
        EXPECT_EQ(Everything(), before);
    }
    // A file of another root is refused; one without pairs changes nothing
    // and succeeds.
    ui.ClearCalls();
    const CString other = WriteFile("other.xml", "<Names><DataTypeTemplates><Name name=\"PROT\" changeto=\"X\"/>"
                                                 "</DataTypeTemplates></Names>");
    ui.AnswerOpenFile(other);
    EXPECT_FALSE(app.Rsc_ReplaceName(imported));
    EXPECT_TRUE(Replace(URI_Ref(), ""));
    EXPECT_EQ(Everything(), before);
    EXPECT_EQ(Boxes(), (std::vector<CString>{other + "文件格式不正确, 替换不成功！\n根元素是Names（命名空间无），只导入根元素为"
                                                     "SCL（命名空间http://www.iec.ch/61850/2003/SCL，或无命名空间）的文件",
                                             Done()}));
    EXPECT_EQ(ui.CountOf(Enum_UiCall::AllViewsRefresh), 1);
    EXPECT_EQ(ui.CountOf(Enum_UiCall::WaitCursorBegin), ui.CountOf(Enum_UiCall::WaitCursorEnd));
}

TEST_F(ReplaceNamesTest, TheExportedNameFileEditedRenamesAndUneditedChangesNothing) {
    fs::copy_file(fs::path(KILN_SOURCE_DIR) / "Template" / "ICD_Template.xml",
                  workspace / "Template" / "ICD_Template.xml");
    Set(ld, "cim:Naming.name", "保护装置");
    Set(ptoc1, "cim:Naming.name", "过流一段");
    Set(ptType, "cim:Naming.name", "过流类型");
    Set(ptOp, "cim:Naming.name", "动作");
    Set(doi, "cim:Naming.name", "动作");
    Set(fcda, "sec:DARef.doName", "动作");
    const std::string file = (workspace / "out.Name").string();
    ui.AnswerSaveFile(file.c_str());
    ASSERT_TRUE(app.Rsc_Create_ReplaceNameFile(imported));

    // Unedited: every "changeto" is empty.
    const std::string before = Everything();
    ui.ClearCalls();
    ui.AnswerOpenFile(file.c_str());
    ASSERT_TRUE(app.Rsc_ReplaceName(imported));
    EXPECT_EQ(Everything(), before);

    // Edited as a user would: each Chinese name gets its new name.
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(file.c_str()));
    const std::map<std::string, std::string> edits = {
        {"保护装置", "PROT"}, {"过流一段", "PTOC1"}, {"过流类型", "T_PTOC"}, {"动作", "Op"}};
    int edited = 0;
    for (const pugi::xpath_node& n : doc.select_nodes("/SCL/DataTypeTemplates/Name")) {
        auto it = edits.find(n.node().attribute("name").value());
        ASSERT_NE(it, edits.end()) << n.node().attribute("name").value();
        n.node().attribute("changeto").set_value(it->second.c_str());
        ++edited;
    }
    EXPECT_EQ(edited, 4);
    ASSERT_TRUE(doc.save_file(file.c_str()));
    ui.AnswerOpenFile(file.c_str());
    ASSERT_TRUE(app.Rsc_ReplaceName(imported));
    EXPECT_EQ(Name(ld), "PROT");
    EXPECT_EQ(Name(ptoc1), "过流一段");  // named, not given
    EXPECT_EQ(Name(ptType), "T_PTOC");
    EXPECT_EQ(Name(ptOp), "Op");
    EXPECT_EQ(Name(doi), "Op");
    EXPECT_EQ(DoName(fcda), "Op");
}

}  // namespace
}  // namespace kiln::test
