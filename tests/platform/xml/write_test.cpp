// Creating elements, writing values and saving.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>
#include <sys/resource.h>

#include "platform/mfc/gbk.h"
#include "platform/xml/base_xml.h"
#include "tests/platform/xml/temp_folder.h"

namespace {

const char* kSclNs = "http://www.iec.ch/61850/2003/SCL";

CStringArray Names(std::initializer_list<const char*> names) {
    CStringArray a;
    for (const char* n : names) a.Add(n);
    return a;
}

CString TextOf(const XmlNode& node, const char* path) {
    CString out;
    CBase_XML::Get_NodeText(node, path, out);
    return out;
}

}  // namespace

class XmlWrite : public TempFolderTest {};

TEST_F(XmlWrite, CreateSaveAndReloadWithTheDefaultNamespace) {
    CBase_XML xml;
    ASSERT_TRUE(xml.Set_Default_NameSpase(kSclNs));
    XmlNode scl = xml.AddNewNode_withAttrs(xml.GetDocument(), "SCL", Names({"version"}));
    ASSERT_FALSE(scl.IsNull());
    EXPECT_TRUE(xml.AddNewNode_withAttrs(xml.GetDocument(), "Second", Names({})).IsNull());  // one root
    XmlNode ied = xml.AddNewNode_withAttrs(scl, "IED", Names({"name", "type", "desc"}));
    XmlNode ld = xml.AddNewNode_withAttr(ied, "LDevice", "inst");
    XmlNode val = xml.AddNewNode_withAttr(xml.AddNewNode_withAttr(ld, "DAI", "name"), "Val", "");
    ASSERT_FALSE(val.IsNull());
    EXPECT_TRUE(xml.Write_NodeValueString(ied, "@name", "PL2201"));
    EXPECT_TRUE(xml.Write_NodeValueString(ied, "@desc", "线路保护"));
    EXPECT_TRUE(xml.Write_NodeValueString(val, ".", "on"));

    const std::string path = PathOf("out.icd");
    ASSERT_TRUE(xml.SaveAs(path.c_str(), true));
    const std::string text = ReadFile(path);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0u);
    EXPECT_EQ(CountOf(text, "xmlns"), 1u);
    EXPECT_EQ(CountOf(text, "xmlns=\"\""), 0u);
    EXPECT_NE(text.find("<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\" version=\"\">"), std::string::npos);
    // Attributes in creation order, the unwritten one kept empty; children indented.
    EXPECT_NE(text.find("<IED name=\"PL2201\" type=\"\" desc=\"线路保护\">"), std::string::npos);
    EXPECT_NE(text.find("\n\t\t<LDevice inst=\"\">"), std::string::npos);
    EXPECT_NE(text.find("<Val>on</Val>"), std::string::npos);

    CBase_XML back;
    ASSERT_TRUE(back.Load(path.c_str()));
    EXPECT_EQ(TextOf(back.GetDocumentElement(), "/SCL/IED/@desc"), "线路保护");
    EXPECT_EQ(TextOf(back.GetDocumentElement(), "/SCL/IED/LDevice/DAI/Val"), "on");
    EXPECT_EQ(back.GetPath(), CString(path.c_str()));
}

TEST_F(XmlWrite, NewElementsInATemplateInheritItsNamespace) {
    CBase_XML tpl;
    ASSERT_TRUE(tpl.Load(WriteFile("t.xml", "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\"><Header id=\"\"/>"
                                            "<IED type=\"\"><AccessPoint><Server/></AccessPoint></IED></SCL>")
                             .c_str()));
    ASSERT_TRUE(tpl.Set_Default_NameSpase(kSclNs));
    XmlNode server = tpl.Get_NodePtr(tpl.GetDocumentElement(), "//Server");
    XmlNode ld = tpl.AddNewNode_withAttrs(server, "LDevice", Names({"inst"}));
    tpl.AddNewNode_withAttrs(ld, "LN0", Names({"lnClass", "inst", "lnType"}));
    ASSERT_TRUE(tpl.SaveAs(PathOf("o.icd").c_str(), true));
    std::string text = ReadFile(PathOf("o.icd"));
    EXPECT_EQ(CountOf(text, "xmlns"), 1u);
    EXPECT_NE(text.find("<LN0 lnClass=\"\" inst=\"\" lnType=\"\" />"), std::string::npos);

    // A template without a default namespace receives the recorded one on its
    // root; one that declares another keeps its own.
    CBase_XML bare, other;
    ASSERT_TRUE(bare.Load(WriteFile("b.xml", "<MICS a=\"1\"><Header/></MICS>").c_str()));
    EXPECT_TRUE(bare.Set_Default_NameSpase("http://www.example.com/Zel/2004/MICS"));
    EXPECT_EQ(TextOf(bare.GetDocumentElement(), "@xmlns"), "http://www.example.com/Zel/2004/MICS");
    ASSERT_TRUE(other.Load(WriteFile("c.xml", "<M xmlns=\"urn:own\"/>").c_str()));
    EXPECT_TRUE(other.Set_Default_NameSpase("urn:new"));
    EXPECT_EQ(TextOf(other.GetDocumentElement(), "@xmlns"), "urn:own");
    EXPECT_FALSE(other.Set_Default_NameSpase(""));
}

TEST_F(XmlWrite, AttributeListsAndInvalidNames) {
    CBase_XML xml;
    XmlNode root = xml.AddNewNode_withAttrs(xml.GetDocument(), "Report", Names({}));
    XmlNode entry = xml.AddNewNode_withAttrs(root, "other_error", Names({"name", "", "error", "name", "parent"}));
    ASSERT_FALSE(entry.IsNull());
    pugi::xml_node n = entry.PugiNode();
    std::string order;
    for (pugi::xml_attribute a : n.attributes()) order += std::string(a.name()) + ",";
    EXPECT_EQ(order, "name,error,parent,");
    EXPECT_FALSE(xml.AddNewNode_withAttr(root, "Semantic_Desc", "").PugiNode().first_attribute());
    XmlNode prefixed = xml.AddNewNode_withAttrs(root, "s103:Config", Names({"typ", "zScl:base"}));
    EXPECT_EQ(prefixed.NodeName(), "s103:Config");
    EXPECT_TRUE(xml.Write_NodeValueString(prefixed, "@zScl:base", "B"));
    EXPECT_EQ(TextOf(root, "s103:Config/@zScl:base"), "B");

    EXPECT_TRUE(xml.AddNewNode_withAttr(root, "bad name", "a").IsNull());
    EXPECT_TRUE(xml.AddNewNode_withAttr(root, "", "a").IsNull());
    EXPECT_TRUE(xml.AddNewNode_withAttr(root, "x", "1a").IsNull());
    EXPECT_TRUE(xml.AddNewNode_withAttr(XmlNode(), "x", "a").IsNull());
    EXPECT_TRUE(xml.AddNewNode_withAttr(entry.SelectSingleNode("@name"), "x", "a").IsNull());
    // A refused element leaves nothing behind.
    EXPECT_EQ(root.SelectNodes("*").Length(), 3);
}

// An element with its attribute's value set in one step is what the element
// and a later attribute write give: the same text, the same refusals.
TEST_F(XmlWrite, ElementWithAttributeValueInOneStep) {
    const CString tricky = "a<b & \"c\" 'd' 保护\t";
    CBase_XML oneStep, twoSteps;
    for (CBase_XML* xml : {&oneStep, &twoSteps}) {
        xml->Set_Default_NameSpase(kSclNs);
        XmlNode root = xml == &oneStep ? xml->AddNewNode_withAttrValue(xml->GetDocument(), "SCL", "version", "2007")
                                       : xml->AddNewNode_withAttr(xml->GetDocument(), "SCL", "version");
        ASSERT_FALSE(root.IsNull());
        if (xml == &twoSteps) {
            ASSERT_TRUE(xml->Write_NodeValueString(root, "@version", "2007"));
        }
        XmlNode dai = xml == &oneStep ? xml->AddNewNode_withAttrValue(root, "DAI", "name", tricky)
                                      : xml->AddNewNode_withAttr(root, "DAI", "name");
        ASSERT_FALSE(dai.IsNull());
        if (xml == &twoSteps) {
            ASSERT_TRUE(xml->Write_NodeValueString(dai, "@name", tricky));
        }
        ASSERT_TRUE(xml->Write_NodeValueString_withCreate(dai, "Val", "v"));
        // With a child and its text (an empty text gives an empty child).
        for (const CString& text : {tricky, CString()}) {
            XmlNode withVal = xml == &oneStep
                                  ? xml->AddNewNode_withAttrValueAndChild(root, "DAI", "name", "n", "Val", text)
                                  : xml->AddNewNode_withAttrValue(root, "DAI", "name", "n");
            ASSERT_FALSE(withVal.IsNull());
            if (xml == &twoSteps) {
                ASSERT_TRUE(xml->Write_NodeValueString_withCreate(withVal, "Val", text));
            }
        }
        // Several attributes with their values; a name given twice takes the later value.
        CStringArray names;
        for (const char* n : {"name", "desc", "name"}) names.Add(n);
        const CString desc = "d", later = "n2";
        XmlNode doi = xml == &oneStep ? xml->AddNewNode_withAttrValues(root, "DOI", names, {tricky, desc, later})
                                      : xml->AddNewNode_withAttrs(root, "DOI", names);
        ASSERT_FALSE(doi.IsNull());
        if (xml == &twoSteps) {
            ASSERT_TRUE(xml->Write_NodeValueString(doi, "@name", tricky) &&
                        xml->Write_NodeValueString(doi, "@desc", desc) && xml->Write_NodeValueString(doi, "@name", later));
        }
        // The namespace declaration stays the root's own, ahead of the attribute.
        ASSERT_TRUE(xml == &oneStep ? !xml->AddNewNode_withAttrValue(root, "SDI", "xmlns", "x").IsNull()
                                    : !xml->AddNewNode_withAttr(root, "SDI", "xmlns").IsNull() &&
                                          xml->Write_NodeValueString(root.SelectSingleNode("SDI[last()]"), "@xmlns", "x"));
    }
    ASSERT_TRUE(oneStep.SaveAs(PathOf("one.xml").c_str(), true));
    ASSERT_TRUE(twoSteps.SaveAs(PathOf("two.xml").c_str(), true));
    EXPECT_EQ(ReadFile(PathOf("one.xml")), ReadFile(PathOf("two.xml")));
    EXPECT_NE(ReadFile(PathOf("one.xml")).find("<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\" version=\"2007\">"),
              std::string::npos);

    XmlNode root = oneStep.GetDocumentElement();
    EXPECT_TRUE(oneStep.AddNewNode_withAttrValue(root, "x", "", "v").IsNull());
    EXPECT_TRUE(oneStep.AddNewNode_withAttrValue(root, "x", "1a", "v").IsNull());
    EXPECT_TRUE(oneStep.AddNewNode_withAttrValue(root, "bad name", "a", "v").IsNull());
    EXPECT_TRUE(oneStep.AddNewNode_withAttrValue(XmlNode(), "x", "a", "v").IsNull());
    EXPECT_TRUE(oneStep.AddNewNode_withAttrValueAndChild(root, "x", "a", "v", "bad name", "t").IsNull());
    EXPECT_TRUE(oneStep.AddNewNode_withAttrValueAndChild(root, "x", "", "v", "Val", "t").IsNull());
    CStringArray names;
    names.Add("a");
    const CString v = "v";
    EXPECT_TRUE(oneStep.AddNewNode_withAttrValues(root, "x", names, {v, v}).IsNull());
    for (const char* bad : {"", "1a"}) {
        names.Add(bad);
        EXPECT_TRUE(oneStep.AddNewNode_withAttrValues(root, "x", names, {v, v}).IsNull()) << bad;
        names.RemoveAt(1);
    }
    EXPECT_EQ(root.SelectNodes("*").Length(), 5);
}

// Elements written as text and appended in one step are what the same
// elements added one call at a time give: the same saved bytes (markup,
// quotes, blanks, line ends, an empty text, a tree deeper than the save
// indents), the elements kept, the same refusals.
TEST_F(XmlWrite, ElementsAsTextEqualElementsAddedOneByOne) {
    using Name = XmlElementsText::Name;
    const Name kDOI("DOI"), kSDI("SDI"), kDAI("DAI"), kVal("Val"), kName("name"), kDesc("desc"), kGroup("sGroup"),
        kDeep("d");
    // The last ends at its NUL, as the layer's other writes end it.
    const std::vector<CString> texts{"a<b & \"c\" 'd' > ]]> &amp; 保护\t", " ", "\r\n x \n", "", CString("cut\0off", 7)};
    constexpr int kDeepLevels = 300;  // past the depth the save indents
    CBase_XML asText, oneByOne;
    std::vector<XmlNode> kept;
    for (CBase_XML* xml : {&asText, &oneByOne}) {
        XmlNode root = xml->AddNewNode_withAttrs(xml->GetDocument(), "SCL", Names({}));
        XmlNode ln = xml->AddNewNode_withAttrs(root, "LN", Names({"inst"}));
        ASSERT_FALSE(ln.IsNull());
        if (xml == &asText) {
            XmlElementsText text;
            for (const CString& t : texts) {
                text.Open(kDOI);
                text.Attribute(kName, t.str());
                text.Keep();
                text.ElementWithChild(kDAI, kName, t.str(), kVal, t.str());
                text.Open(kSDI);
                text.Attribute(kDesc, t.str());
                text.Keep();
                text.Open(kDAI);
                text.Open(kVal);
                text.Attribute(kGroup, "1");
                text.Text(t.str());
                text.Close();
                text.Close();
                text.Close();
                text.Close();
            }
            for (int k = 0; k < kDeepLevels; ++k) text.Open(kDeep);
            for (int k = 0; k < kDeepLevels; ++k) text.Close();
            ASSERT_TRUE(xml->AppendElements(ln, text, &kept));
            continue;
        }
        for (const CString& t : texts) {
            XmlNode doi = xml->AddNewNode_withAttrValue(ln, "DOI", "name", t);
            ASSERT_FALSE(xml->AddNewNode_withAttrValueAndChild(doi, "DAI", "name", t, "Val", t).IsNull());
            XmlNode sdi = xml->AddNewNode_withAttrValue(doi, "SDI", "desc", t);
            XmlNode val = xml->AddNewNode_withAttr(xml->AddNewNode_withAttrs(sdi, "DAI", Names({})), "Val", "sGroup");
            ASSERT_TRUE(xml->Write_NodeValueString(val, "@sGroup", "1"));
            ASSERT_TRUE(xml->Write_NodeValueString(val, ".", t));
        }
        XmlNode deep = ln;
        for (int k = 0; k < kDeepLevels; ++k) deep = xml->AddNewNode_withAttrs(deep, "d", Names({}));
        ASSERT_FALSE(deep.IsNull());
    }
    ASSERT_TRUE(asText.SaveAs(PathOf("text.xml").c_str(), true));
    ASSERT_TRUE(oneByOne.SaveAs(PathOf("one.xml").c_str(), true));
    const std::string saved = ReadFile(PathOf("text.xml"));
    EXPECT_EQ(saved, ReadFile(PathOf("one.xml")));
    EXPECT_NE(saved.find("<Val> </Val>"), std::string::npos);
    EXPECT_EQ(saved.find("\n\t"), std::string::npos);  // too deep to indent
    // The kept elements in order: each DOI, then its SDI.
    ASSERT_EQ(kept.size(), texts.size() * 2);
    for (size_t k = 0; k < texts.size(); ++k) {
        EXPECT_EQ(kept[2 * k].NodeName(), "DOI");
        EXPECT_EQ(TextOf(kept[2 * k], "@name"), texts[k].GetString());
        EXPECT_EQ(kept[2 * k + 1].NodeName(), "SDI");
        EXPECT_EQ(TextOf(kept[2 * k + 1], "@desc"), texts[k].GetString());
    }

    // Refused: a name that is none, an element left open, an attribute after
    // content, a parent that is no element; nothing is added.
    XmlNode ln = asText.Get_NodePtr(asText.GetDocumentElement(), "LN");
    const long before = ln.SelectNodes("*").Length();
    const Name kBad("bad name");
    XmlElementsText badName, open, late, fine;
    badName.Open(kDOI);
    badName.Attribute(kBad, "v");
    badName.Close();
    open.Open(kDOI);
    late.Open(kDOI);
    late.Text("t");
    late.Attribute(kName, "v");
    late.Close();
    fine.Open(kDOI);
    fine.Close();
    for (const XmlElementsText* text : {&badName, &open, &late}) EXPECT_FALSE(asText.AppendElements(ln, *text));
    EXPECT_FALSE(asText.AppendElements(XmlNode(), fine));
    EXPECT_FALSE(asText.AppendElements(ln.SelectSingleNode("@inst"), fine));
    EXPECT_FALSE(asText.AppendElements(asText.GetDocument(), fine));
    EXPECT_EQ(ln.SelectNodes("*").Length(), before);
}

TEST_F(XmlWrite, WritingValuesAndTexts) {
    CBase_XML xml;
    ASSERT_TRUE(xml.Load(WriteFile("m.xml", "<MICS iedModel=\"\"><DA name=\"a\"><x/>old</DA></MICS>").c_str()));
    XmlNode root = xml.GetDocumentElement();
    XmlNode da = xml.Get_NodePtr(root, "DA");
    EXPECT_TRUE(xml.Write_NodeValueString(root, "@iedModel", "Dev"));
    // An attribute the element lacks is added after the others.
    EXPECT_TRUE(xml.Write_NodeValueString(da, "@type", "INT32"));
    EXPECT_STREQ(da.PugiNode().last_attribute().name(), "type");
    // "." replaces the element's whole content by the text.
    EXPECT_TRUE(xml.Write_NodeValueString(da, ".", "new"));
    EXPECT_TRUE(xml.Get_NodePtr(da, "x").IsNull());
    EXPECT_EQ(TextOf(da, "."), "new");
    // A child element is written only when it exists, unless created.
    EXPECT_FALSE(xml.Write_NodeValueString(da, "Semantic_Desc", "d"));
    EXPECT_TRUE(xml.Write_NodeValueString_withCreate(da, "Val", "1"));
    EXPECT_TRUE(xml.Write_NodeValueString_withCreate(da, "Val", "2"));
    XmlNodeList vals = da.SelectNodes("Val");
    ASSERT_EQ(vals.Length(), 1);
    EXPECT_EQ(vals.Item(0).GetText(), "2");
    EXPECT_FALSE(xml.Write_NodeValueString(XmlNode(), "@a", "1"));
    EXPECT_FALSE(xml.Write_NodeValueString_withCreate(XmlNode(), "Val", "1"));
    EXPECT_FALSE(xml.Write_NodeValueString_withCreate(da, "a b", "1"));
    EXPECT_FALSE(xml.Write_NodeValueString_withCreate(da, "Val/x", "1"));
    EXPECT_FALSE(xml.Write_NodeValueString(da, "@", "1"));
    // With creation, an attribute path adds the attribute, not a child.
    EXPECT_TRUE(xml.Write_NodeValueString_withCreate(da, "@sAddr", "3:1"));
    EXPECT_EQ(TextOf(da, "@sAddr"), "3:1");
    EXPECT_EQ(da.SelectNodes("*").Length(), 1);  // still only Val
    // The document node is no element: nothing is created under it.
    EXPECT_FALSE(xml.Write_NodeValueString_withCreate(xml.GetDocument(), "Other", "1"));
    EXPECT_EQ(xml.GetDocument().SelectNodes("*").Length(), 1);

    // Markup and both quote kinds in values survive a save and a load.
    const CString tricky = "a<b & \"c\" 'd'>";
    EXPECT_TRUE(xml.Write_NodeValueString(da, "@name", tricky));
    EXPECT_TRUE(xml.Write_NodeValueString(da, "Val", tricky));
    ASSERT_TRUE(xml.SaveAs(PathOf("m2.xml").c_str(), true));
    CBase_XML back;
    ASSERT_TRUE(back.Load(PathOf("m2.xml").c_str()));
    EXPECT_EQ(TextOf(back.GetDocumentElement(), "DA/@name"), tricky);
    EXPECT_EQ(TextOf(back.GetDocumentElement(), "DA/Val"), tricky);

    // A text of blanks only is read as the file holds it, and written back.
    CBase_XML blanks;
    ASSERT_TRUE(blanks.Load(WriteFile("b.xml", "<T><Val> </Val><EnumVal ord=\"3\">\t \t</EnumVal><E>\n</E></T>").c_str()));
    EXPECT_EQ(TextOf(blanks.GetDocumentElement(), "Val"), " ");
    EXPECT_EQ(TextOf(blanks.GetDocumentElement(), "EnumVal"), "\t \t");
    ASSERT_TRUE(blanks.SaveAs(PathOf("b2.xml").c_str(), true));
    EXPECT_NE(ReadFile(PathOf("b2.xml")).find("<Val> </Val>\n\t<EnumVal ord=\"3\">\t \t</EnumVal>\n\t<E>\n</E>"),
              std::string::npos);
}

TEST_F(XmlWrite, SavingGbkInputWritesUtf8AndFailuresLeaveNoFile) {
    CBase_XML xml;
    std::string gbk = kiln::text::Utf8ToGbk("<?xml version=\"1.0\" encoding=\"GBK\"?>\n<!-- 模板 --><r d=\"保护\"/>");
    ASSERT_TRUE(xml.Load(WriteFile("g.xml", gbk).c_str()));
    ASSERT_TRUE(xml.SaveAs(PathOf("u.xml").c_str(), true));
    std::string text = ReadFile(PathOf("u.xml"));
    EXPECT_EQ(CountOf(text, "encoding="), 1u);
    EXPECT_NE(text.find("encoding=\"UTF-8\""), std::string::npos);
    EXPECT_NE(text.find("<!-- 模板 -->"), std::string::npos);  // comments are kept
    EXPECT_NE(text.find("d=\"保护\""), std::string::npos);

    // Not overwriting an existing file, a missing folder, an empty document.
    EXPECT_FALSE(xml.SaveAs(PathOf("u.xml").c_str(), false));
    EXPECT_EQ(ReadFile(PathOf("u.xml")), text);
    EXPECT_FALSE(xml.SaveAs(PathOf("no/such/dir/x.xml").c_str(), true));
    CBase_XML empty;
    EXPECT_FALSE(empty.SaveAs(PathOf("e.xml").c_str(), true));
    EXPECT_FALSE(std::filesystem::exists(PathOf("e.xml")));
    // The folder of a chosen file, as it opened, another workspace's document
    // folder (its manifest's root after a comment holding "<"): named so.
    std::filesystem::create_directory(PathOf("doc"));
    WriteFile("doc/document.xml", "<?xml version=\"1.0\"?>\n<!-- <notes> --><KilnDocument/>\n");
    {
        const kiln::file::KeptOut during({});
        const int doc = ::open(PathOf("doc").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        EXPECT_FALSE(xml.SaveAt(doc, "x.xml", PathOf("doc/x.xml").c_str(), kiln::file::Target::Chosen));
        ::close(doc);
    }
    EXPECT_NE(xml.LastError().str().find(
                  "：" + PathOf("doc/x.xml") + " is in the document folder of another workspace (it holds kiln's manifest " +
                  std::filesystem::canonical(PathOf("doc/document.xml")).string() + "), which no export writes into"),
              std::string::npos)
        << xml.LastError();
    EXPECT_FALSE(std::filesystem::exists(PathOf("doc/x.xml")));
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir)) files += entry.is_regular_file();
    EXPECT_EQ(files, 2u);  // g.xml and u.xml: no temporary file is left
}

// A write that fails part-way through a large document (here the process's
// file-size limit) keeps the file that was there and leaves no temporary file.
TEST_F(XmlWrite, WriteFailingMidwayKeepsTheOldFile) {
    CBase_XML xml;
    XmlNode root = xml.AddNewNode_withAttrs(xml.GetDocument(), "r", CStringArray());
    ASSERT_TRUE(root);
    for (int i = 0; i < 20000; ++i) {
        XmlNode e = xml.AddNewNode_withAttr(root, "DAI", "name");
        ASSERT_TRUE(e && xml.Write_NodeValueString(e, "@name", "value_" + std::to_string(i)));
    }
    const std::string old = WriteFile("big.xml", "<old/>");

    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct sigaction ignore {}, before {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &before), 0);
    struct rlimit small = saved;
    small.rlim_cur = 100000;  // the document takes about 600 kB
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved_ok = xml.SaveAs(old.c_str(), true);
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &before, nullptr);

    EXPECT_FALSE(saved_ok);
    EXPECT_NE(xml.LastError().Find("big.xml"), -1);
    EXPECT_EQ(ReadFile(old), "<old/>");
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir)) files += entry.is_regular_file();
    EXPECT_EQ(files, 1u);

    // Within the limit again, the same document is written whole.
    ASSERT_TRUE(xml.SaveAs(old.c_str(), true));
    EXPECT_EQ(CountOf(ReadFile(old), "<DAI "), 20000u);
}
