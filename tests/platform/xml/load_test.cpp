// Loading: declared encodings, byte-order marks, failures, shared copies.
#include <gtest/gtest.h>

#include "platform/mfc/gbk.h"
#include "platform/xml/base_xml.h"
#include "tests/platform/xml/temp_folder.h"

namespace {

// UTF-16 with a byte-order mark, written by hand: ASCII characters, and
// U+4FDD (保) wherever the text holds "#".
std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) {
        char hi = c == '#' ? '\x4F' : '\0', lo = c == '#' ? '\xDD' : c;
        bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
}

}  // namespace

class XmlLoad : public TempFolderTest {};

TEST_F(XmlLoad, Gb2312FileGivesChineseAttributeValuesInUtf8) {
    const std::string utf8 =
        "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n"
        "<SCL><IED name=\"PL2201\" desc=\"线路保护\"><LN desc=\"距离保护一段\"/></IED></SCL>";
    std::string gbk = kiln::text::Utf8ToGbk(utf8);
    ASSERT_NE(gbk, utf8);  // the file really holds GBK bytes
    CBase_XML xml;
    ASSERT_TRUE(xml.Load(WriteFile("gb.icd", gbk).c_str()));
    CString desc;
    EXPECT_TRUE(CBase_XML::Get_NodeText(xml.GetDocumentElement(), "IED/@desc", desc));
    EXPECT_EQ(desc, "线路保护");
    EXPECT_TRUE(CBase_XML::Get_NodeText(xml.GetDocumentElement(), "IED/LN/@desc", desc));
    EXPECT_EQ(desc, "距离保护一段");
}

TEST_F(XmlLoad, EveryGbkLabelAndOtherIconvEncodingsAreHonoured) {
    // The long value makes the file larger than the head read first.
    std::string longValue;
    for (int k = 0; k < 20000; ++k) longValue += "保护x";
    for (const char* label : {"GBK", "gb18030", "CP936"}) {
        std::string text = std::string("<?xml version='1.0' encoding='") + label + "'?><r a=\"装置\" b=\"" + longValue + "\"/>";
        CBase_XML xml;
        ASSERT_TRUE(xml.Load(WriteFile("f.xml", kiln::text::Utf8ToGbk(text)).c_str())) << label;
        CString a, b;
        CBase_XML::Get_NodeText(xml.GetDocumentElement(), "@a", a);
        EXPECT_EQ(a, "装置") << label;
        CBase_XML::Get_NodeText(xml.GetDocumentElement(), "@b", b);
        EXPECT_EQ(b, longValue.c_str()) << label;
    }
    // Latin-1: the byte E9 is é. The long value makes the file larger than
    // one conversion step.
    CBase_XML latin;
    const std::string latinFile = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"caf\xE9\" b=\"" +
                                  std::string(100000, '\xE9') + "\"/>";
    ASSERT_TRUE(latin.Load(WriteFile("l.xml", latinFile).c_str()));
    CString a, b;
    CBase_XML::Get_NodeText(latin.GetDocumentElement(), "@a", a);
    EXPECT_EQ(a, "caf\xC3\xA9");
    CBase_XML::Get_NodeText(latin.GetDocumentElement(), "@b", b);
    ASSERT_EQ(b.GetLength(), 200000);
    EXPECT_EQ(b.Right(4), "\xC3\xA9\xC3\xA9");
}

TEST_F(XmlLoad, Utf8WithoutDeclarationOrWithByteOrderMark) {
    CBase_XML plain, bom;
    ASSERT_TRUE(plain.Load(WriteFile("p.xml", "<r a=\"线路\"/>").c_str()));
    ASSERT_TRUE(bom.Load(WriteFile("b.xml", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?><r a=\"线路\"/>").c_str()));
    CString a;
    CBase_XML::Get_NodeText(plain.GetDocumentElement(), "@a", a);
    EXPECT_EQ(a, "线路");
    // The mark says UTF-8, as the label does.
    CBase_XML::Get_NodeText(bom.GetDocumentElement(), "@a", a);
    EXPECT_EQ(a, "线路");
    EXPECT_EQ(bom.GetDocumentElement().NodeName(), "r");
}

TEST_F(XmlLoad, Utf16WithByteOrderMarkInBothByteOrders) {
    const std::string text = "<?xml version=\"1.0\" encoding=\"UTF-16\"?><SCL><IED name=\"#1\"/></SCL>";
    for (bool bigEndian : {false, true}) {
        CBase_XML xml;
        ASSERT_TRUE(xml.Load(WriteFile("u16.xml", Utf16(text, bigEndian)).c_str())) << bigEndian;
        CString name;
        EXPECT_TRUE(CBase_XML::Get_NodeText(xml.GetDocumentElement(), "/SCL/IED/@name", name));
        EXPECT_EQ(name, "保1");
    }
}

TEST_F(XmlLoad, MissingMalformedAndUnreadableFilesGiveFalse) {
    CBase_XML xml;
    EXPECT_FALSE(xml.Load(PathOf("none.xml").c_str()));
    EXPECT_FALSE(xml.Load(""));
    EXPECT_FALSE(xml.Load(m_dir.string().c_str()));  // a folder
    EXPECT_FALSE(xml.Load(WriteFile("empty.xml", "").c_str()));
    EXPECT_FALSE(xml.Load(WriteFile("open.xml", "<SCL><IED></SCL>").c_str()));
    EXPECT_FALSE(xml.Load(WriteFile("text.xml", "not xml at all").c_str()));
    EXPECT_FALSE(xml.Load(WriteFile("comment.xml", "<?xml version=\"1.0\"?><!-- only -->").c_str()));
    EXPECT_FALSE(xml.Load(WriteFile("enc.xml", "<?xml version=\"1.0\" encoding=\"NO-SUCH-CODE\"?><r/>").c_str()));
    // A lone lead byte is not GBK.
    EXPECT_FALSE(xml.Load(WriteFile("bad.xml", "<?xml version=\"1.0\" encoding=\"GBK\"?><r a=\"\xD7\"/>").c_str()));
    EXPECT_FALSE(xml.IsLoaded());
}

TEST_F(XmlLoad, FailedLoadLeavesAnEmptyDocumentAndCopiesKeepTheirs) {
    CBase_XML xml;
    ASSERT_TRUE(xml.Load(WriteFile("a.xml", "<a><b/></a>").c_str()));
    CBase_XML copy = xml;
    XmlNode b = xml.Get_NodePtr(xml.GetDocumentElement(), "b");
    ASSERT_FALSE(b.IsNull());

    // The copy shares the document: a change through one shows in the other.
    EXPECT_TRUE(copy.Write_NodeValueString(copy.GetDocumentElement(), "@x", "1"));
    CString x;
    EXPECT_TRUE(CBase_XML::Get_NodeText(xml.GetDocumentElement(), "@x", x));
    EXPECT_EQ(x, "1");

    EXPECT_FALSE(xml.Load(PathOf("none.xml").c_str()));
    EXPECT_TRUE(xml.GetDocumentElement().IsNull());
    EXPECT_TRUE(xml.GetPath().IsEmpty());
    // The copy and a node taken before still hold the old document.
    EXPECT_EQ(copy.GetDocumentElement().NodeName(), "a");
    EXPECT_EQ(b.ParentNode().NodeName(), "a");
}

// A backslash in a path is a character of a name: the file is read from
// and written to the folder of that name, not to one that splits there.
TEST_F(XmlLoad, ABackslashIsPartOfAName) {
    std::filesystem::create_directories(m_dir / "a\\b");
    std::filesystem::create_directories(m_dir / "a" / "b");
    WriteFile("a\\b/T.xml", "<named/>");
    WriteFile("a/b/T.xml", "<split/>");
    CBase_XML xml;
    ASSERT_TRUE(xml.Load(PathOf("a\\b/T.xml").c_str()));
    EXPECT_EQ(xml.GetDocumentElement().NodeName(), "named");
    ASSERT_TRUE(xml.SaveAs(PathOf("a\\b/U.xml").c_str(), true));
    EXPECT_TRUE(std::filesystem::exists(m_dir / "a\\b" / "U.xml"));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "a" / "b" / "U.xml"));
}

TEST_F(XmlLoad, AnElementPrefixIsDroppedOnlyWhereItStandsAndAtAnyDepth) {
    std::string text = "<s:SCL xmlns:s=\"urn:x\" xmlns:t=\"urn:t\" s:a=\"1\"><s:IED name=\"A\"><t:IED/><s:/><IED/>";
    const int depth = 20000;  // deeper than a recursive walk could go
    for (int i = 0; i < depth; ++i) text += "<s:SDI>";
    text += "text";
    for (int i = 0; i < depth; ++i) text += "</s:SDI>";
    text += "</s:IED><ss:X xmlns:ss=\"urn:y\"/></s:SCL>";
    CBase_XML xml;
    ASSERT_TRUE(xml.Load(WriteFile("p.xml", text).c_str()));
    const XmlNode root = xml.GetDocumentElement();
    EXPECT_EQ(root.SelectSingleNode("IED/t:IED").DropElementPrefix("s"), 0);  // nothing of that prefix below
    EXPECT_EQ(root.DropElementPrefix(""), 0);
    EXPECT_EQ(root.DropElementPrefix("s"), 2 + depth);
    EXPECT_EQ(root.NodeName(), "SCL");
    CString value;
    EXPECT_TRUE(CBase_XML::Get_NodeText(root, "/SCL/IED/@name", value));
    EXPECT_EQ(value, "A");
    // Attributes, other prefixes, a longer prefix and names that are only
    // the prefix stay as they were.
    EXPECT_TRUE(root.GetAttribute("s:a", value));
    EXPECT_FALSE(root.SelectSingleNode("IED/t:IED").IsNull());
    EXPECT_FALSE(root.SelectSingleNode("ss:X").IsNull());
    EXPECT_EQ(root.SelectSingleNode("IED").SelectNodes("*").Length(), 4);
    EXPECT_EQ(root.SelectSingleNode("IED/SDI").GetText(), "text");
}
