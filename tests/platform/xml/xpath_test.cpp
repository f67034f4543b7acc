// Selection by XPath as the readers and writers use it, node text and the
// node operations.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/xml/base_xml.h"
#include "tests/platform/xml/temp_folder.h"

namespace {

const char* kScl = R"(<?xml version="1.0" encoding="UTF-8"?>
<SCL xmlns="http://www.iec.ch/61850/2003/SCL" xmlns:zScl="http://www.example.com/zScl">
  <Header id="H1" revision=""/>
  <IED name="PL2201" type="PCS">
    <AccessPoint name="S1"><Server>
      <LDevice inst="PROT">
        <LN0 lnClass="LLN0" inst="" lnType="LLN0_T">
          <DataSet name="ds1"><FCDA doName="A"/><FCD doName="B"/><FCDA doName="C"/></DataSet>
          <Inputs><ExtRef iedName="X"/></Inputs>
          <DOI name="Mod"><DAI name="stVal"><Val>on</Val></DAI><SDI name="origin"><DAI name="orCat"><Val>1</Val></DAI></SDI></DOI>
        </LN0>
      </LDevice>
    </Server></AccessPoint>
  </IED>
  <DataTypeTemplates>
    <LNodeType id="Base" lnClass="PTOC"><DO name="Str"/><DO name="Op"/></LNodeType>
    <LNodeType id="Derived" lnClass="PTOC" zScl:base="Base"><DO name="Str"/><DO name="Extra"/></LNodeType>
    <LNodeType id="it's &quot;odd&quot;" lnClass="GGIO"/>
    <LNodeType id="it's" lnClass="QUOTE1"/>
    <LNodeType id="say &quot;x&quot;" lnClass="QUOTE2"/>
    <LNodeType id="''&quot;x'" lnClass="QUOTE3"/>
    <DAType id="T"><BDA name="s" bType="Struct"/><BDA name="l" bType="struct"/></DAType>
    <Name name="a" changeto="b"/>
  </DataTypeTemplates>
</SCL>)";

const char* kItb = R"(<ITB xmlns="http://www.example.com/Zel/2004/ITB" xmlns:s103="urn:s103" xmlns:sQV103="urn:sqv103">
  <InfoItem name="i1"><s103:Config s103:cpu="1" fun="160" inf=""/></InfoItem>
  <InfoItem name="i2"><sQV103:Config sQV103:cpu="2"/></InfoItem>
  <Process><Parameter name="p1"/><parameter name="p2"/><Parameter name="p3"/></Process>
</ITB>)";

CString TextOf(const XmlNode& node, const char* path) {
    CString out;
    CBase_XML::Get_NodeText(node, path, out);
    return out;
}

}  // namespace

class XmlSelect : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        ASSERT_TRUE(m_scl.Load(WriteFile("a.icd", kScl).c_str()));
        m_root = m_scl.GetDocumentElement();
        ASSERT_FALSE(m_root.IsNull());
    }
    CBase_XML m_scl;
    XmlNode m_root;
};

TEST_F(XmlSelect, PlainNamesMatchInAFileWithTheSclDefaultNamespace) {
    XmlNode ied = m_scl.Get_NodePtr(m_root, "/SCL/IED");
    ASSERT_FALSE(ied.IsNull());
    EXPECT_EQ(TextOf(ied, "@name"), "PL2201");
    EXPECT_EQ(m_scl.Get_NodePtr(m_root, "IED"), ied);
    EXPECT_EQ(m_scl.Get_NodePtr(ied, "/SCL/IED"), ied);  // absolute from any context
    EXPECT_EQ(m_scl.Get_NodePtr(m_root, "//Server").NodeName(), "Server");
    EXPECT_EQ(m_scl.Get_NodePtr(m_root, "/SCL/DataTypeTemplates").NodeName(), "DataTypeTemplates");
    EXPECT_EQ(m_root.SelectNodes("/SCL/DataTypeTemplates/Name").Length(), 1);
    EXPECT_TRUE(m_scl.Get_NodePtr(m_root, "/IED").IsNull());
    EXPECT_TRUE(m_scl.Get_NodePtr(m_root, "Server").IsNull());  // not a child of the root
}

TEST_F(XmlSelect, PrefixedNamesMatchLiterally) {
    XmlNode derived = m_scl.Get_NodePtr(m_root, "DataTypeTemplates/LNodeType[@zScl:base='Base']");
    ASSERT_FALSE(derived.IsNull());
    EXPECT_EQ(TextOf(derived, "@id"), "Derived");
    EXPECT_EQ(TextOf(derived, "@zScl:base"), "Base");
    CString base = "unchanged";
    EXPECT_FALSE(CBase_XML::Get_NodeText(m_scl.Get_NodePtr(m_root, "DataTypeTemplates/LNodeType"), "@zScl:base", base));
    EXPECT_EQ(base, "");

    CBase_XML itb;
    ASSERT_TRUE(itb.Load(WriteFile("t.itb", kItb).c_str()));
    XmlNodeList items = itb.GetDocumentElement().SelectNodes("InfoItem");
    ASSERT_EQ(items.Length(), 2);
    XmlNode config = itb.Get_NodePtr(items.Item(0), "s103:Config");
    ASSERT_FALSE(config.IsNull());
    EXPECT_EQ(config.NodeName(), "s103:Config");
    EXPECT_EQ(TextOf(config, "@s103:cpu"), "1");
    EXPECT_TRUE(itb.Get_NodePtr(items.Item(0), "sQV103:Config").IsNull());
    EXPECT_TRUE(itb.Get_NodePtr(items.Item(0), "s103:config").IsNull());  // case matters
    EXPECT_EQ(TextOf(itb.Get_NodePtr(items.Item(1), "sQV103:Config"), "@sQV103:cpu"), "2");
    // Names by namespace: an element's by its prefix or the default, an
    // attribute's by its prefix alone, "xml" fixed; none for an undeclared prefix.
    EXPECT_EQ(itb.GetDocumentElement().NamespaceUri(), "http://www.example.com/Zel/2004/ITB");
    EXPECT_EQ(items.Item(0).NamespaceUri(), "http://www.example.com/Zel/2004/ITB");
    EXPECT_EQ(config.NamespaceUri(), "urn:s103");
    EXPECT_EQ(config.LocalName(), "Config");
    std::vector<std::string> attrs;
    for (const XmlNode& a : config.Attributes())
        attrs.push_back((a.LocalName() + "=" + a.GetText() + "@" + a.NamespaceUri()).str());
    EXPECT_EQ(attrs, (std::vector<std::string>{"cpu=1@urn:s103", "fun=160@", "inf=@"}));
    CBase_XML scoped;
    ASSERT_TRUE(scoped.Load(WriteFile("ns.xml", "<r xmlns:p=\"urn:outer\"><p:a xmlns:p=\"urn:inner\" xml:lang=\"zh\"/>"
                                                "<p:b/><q:c/></r>")
                                .c_str()));
    std::vector<std::string> spaces;
    for (const XmlNode& e : scoped.GetDocumentElement().ChildElements()) spaces.push_back(e.NamespaceUri().str());
    EXPECT_EQ(spaces, (std::vector<std::string>{"urn:inner", "urn:outer", ""}));
    // Picked by namespace and local name: the same answers, a child's own
    // declaration before its parent's scope.
    auto names = [](const std::vector<XmlNode>& nodes) {
        std::vector<std::string> out;
        for (const XmlNode& e : nodes) out.push_back(e.NodeName().str());
        return out;
    };
    const XmlNode r = scoped.GetDocumentElement();
    EXPECT_EQ(names(r.ChildElementsIn("urn:outer", {"a", "b", "c"})), (std::vector<std::string>{"p:b"}));
    EXPECT_EQ(names(r.ChildElementsIn("urn:inner", {"b", "a"})), (std::vector<std::string>{"p:a"}));
    EXPECT_EQ(names(r.ChildElementsIn("", {"c", "a"})), (std::vector<std::string>{"q:c"}));
    EXPECT_EQ(names(r.ChildElementsIn("urn:outer", {"b"}, true)), (std::vector<std::string>{"p:a", "q:c"}));
    // Walked once, each child with whether it is picked; a lent handle copied
    // stays its child.
    std::vector<std::string> walked;
    std::vector<XmlNode> kept;
    r.ForEachChildElementIn("urn:outer", {"a", "b"}, [&](const XmlNode& e, bool picked) {
        walked.push_back(e.NodeName().str() + (picked ? "+" : "-"));
        kept.push_back(e);
    });
    EXPECT_EQ(walked, (std::vector<std::string>{"p:a-", "p:b+", "q:c-"}));
    EXPECT_EQ(names(kept), (std::vector<std::string>{"p:a", "p:b", "q:c"}));
    EXPECT_EQ(scoped.GetDocumentElement().NamespaceUri(), "");
    EXPECT_EQ(scoped.GetDocumentElement().SelectSingleNode("p:a/@xml:lang").NamespaceUri(),
              "http://www.w3.org/XML/1998/namespace");
    EXPECT_TRUE(items.Item(0).SelectSingleNode("@name").Attributes().empty());
    // Either spelling, in document order.
    XmlNodeList params = itb.Get_NodePtr(itb.GetDocumentElement(), "Process").SelectNodes("Parameter|parameter");
    ASSERT_EQ(params.Length(), 3);
    EXPECT_EQ(TextOf(params.Item(1), "@name"), "p2");
}

TEST_F(XmlSelect, PredicatesUnionsAndDescendants) {
    XmlNode dtt = m_scl.Get_NodePtr(m_root, "/SCL/DataTypeTemplates");
    EXPECT_EQ(TextOf(m_scl.Get_NodePtr(dtt, "LNodeType[@id='Base']"), "@lnClass"), "PTOC");
    XmlNodeList structs = m_scl.Get_NodePtr(dtt, "DAType").SelectNodes("BDA[@bType='Struct']");
    ASSERT_EQ(structs.Length(), 1);  // "struct" does not match
    EXPECT_EQ(TextOf(structs.Item(0), "@name"), "s");

    XmlNode ln0 = m_scl.Get_NodePtr(m_root, "//LN0");
    XmlNodeList fcdas = m_scl.Get_NodePtr(ln0, "DataSet").SelectNodes("FCDA|FCD");
    ASSERT_EQ(fcdas.Length(), 3);
    EXPECT_EQ(TextOf(fcdas.Item(0), "@doName"), "A");
    EXPECT_EQ(fcdas.Item(1).NodeName(), "FCD");
    EXPECT_EQ(TextOf(fcdas.Item(2), "@doName"), "C");
    EXPECT_TRUE(fcdas.Item(3).IsNull());
    EXPECT_TRUE(fcdas.Item(-1).IsNull());

    EXPECT_EQ(ln0.SelectNodes("Inputs/ExtRef").Length(), 1);
    XmlNodeList dais = m_scl.Get_NodePtr(ln0, "DOI").SelectNodes(".//DAI");
    ASSERT_EQ(dais.Length(), 2);
    EXPECT_EQ(TextOf(dais.Item(0), "@name"), "stVal");
    EXPECT_EQ(TextOf(dais.Item(1), "@name"), "orCat");
    EXPECT_TRUE(m_scl.Get_NodePtr(m_scl.Get_NodePtr(ln0, "DOI"), "DAI[@name='dU']").IsNull());
}

TEST_F(XmlSelect, IdsWithQuotesAreDataInAPredicate) {
    XmlNode dtt = m_scl.Get_NodePtr(m_root, "DataTypeTemplates");
    struct Case {
        const char* id;
        const char* lnClass;
    };
    for (Case c : {Case{"it's \"odd\"", "GGIO"}, Case{"it's", "QUOTE1"}, Case{"say \"x\"", "QUOTE2"},
                   Case{"''\"x'", "QUOTE3"}, Case{"Base", "PTOC"}}) {
        CString path = "LNodeType[@id=" + CBase_XML::XPathLiteral(c.id) + "]";
        XmlNodeList found = dtt.SelectNodes(path);
        ASSERT_EQ(found.Length(), 1) << path;
        EXPECT_EQ(TextOf(found.Item(0), "@lnClass"), c.lnClass) << path;
    }
    // Text pasted into quotes by hand breaks the path: nothing is found, nothing throws.
    EXPECT_TRUE(m_scl.Get_NodePtr(dtt, CString("LNodeType[@id='") + "it's" + "']").IsNull());
    EXPECT_EQ(dtt.SelectNodes("LNodeType[@id='it's']").Length(), 0);
    EXPECT_TRUE(m_scl.Get_NodePtr(dtt, "LNodeType[").IsNull());
    CString out = "x";
    EXPECT_FALSE(CBase_XML::Get_NodeText(dtt, "@@", out));
    EXPECT_EQ(out, "");
}

TEST_F(XmlSelect, NodeTextPresentEmptyAbsentAndNull) {
    XmlNode header = m_scl.Get_NodePtr(m_root, "Header");
    CString out = "x";
    EXPECT_TRUE(CBase_XML::Get_NodeText(header, "@revision", out));  // present, empty
    EXPECT_EQ(out, "");
    out = "x";
    EXPECT_FALSE(CBase_XML::Get_NodeText(header, "@version", out));  // absent
    EXPECT_EQ(out, "");
    out = "x";
    EXPECT_FALSE(CBase_XML::Get_NodeText(XmlNode(), "@id", out));
    EXPECT_EQ(out, "");
    XmlNode val = m_scl.Get_NodePtr(m_root, "//DAI[@name='stVal']/Val");
    EXPECT_TRUE(CBase_XML::Get_NodeText(val, ".", out));
    EXPECT_EQ(out, "on");
    // An element's text is all the text below it.
    EXPECT_EQ(TextOf(m_scl.Get_NodePtr(m_root, "//DOI"), "."), "on1");
}

TEST_F(XmlSelect, NameParentRemoveAndListsOfNodes) {
    XmlNode orCat = m_scl.Get_NodePtr(m_root, "//DAI[@name='orCat']");
    EXPECT_EQ(orCat.NodeName(), "DAI");
    EXPECT_EQ(orCat.ParentNode().NodeName(), "SDI");
    EXPECT_EQ(orCat.ParentNode().ParentNode().NodeName(), "DOI");
    EXPECT_EQ(m_root.ParentNode(), m_scl.GetDocument());
    EXPECT_TRUE(m_scl.GetDocument().ParentNode().IsNull());
    XmlNode attr = orCat.SelectSingleNode("@name");
    EXPECT_TRUE(attr.IsAttribute());
    EXPECT_EQ(attr.NodeName(), "name");
    EXPECT_EQ(attr.ParentNode(), orCat);

    // The in-file base rule of the type-package import: drop the DOs the base declares.
    XmlNode dtt = m_scl.Get_NodePtr(m_root, "DataTypeTemplates");
    XmlNode derived = m_scl.Get_NodePtr(dtt, "LNodeType[@id='Derived']");
    XmlNodeList baseDos = m_scl.Get_NodePtr(dtt, "LNodeType[@id='Base']").SelectNodes("DO");
    for (long i = 0; i < baseDos.Length(); ++i) {
        CString name = TextOf(baseDos.Item(i), "@name");
        XmlNodeList same = derived.SelectNodes("DO[@name=" + CBase_XML::XPathLiteral(name) + "]");
        for (long k = 0; k < same.Length(); ++k) EXPECT_TRUE(derived.RemoveChild(same.Item(k)));
    }
    XmlNodeList left = derived.SelectNodes("DO");
    ASSERT_EQ(left.Length(), 1);
    EXPECT_EQ(TextOf(left.Item(0), "@name"), "Extra");
    // Only a direct child can be removed.
    EXPECT_FALSE(dtt.RemoveChild(left.Item(0)));
    EXPECT_FALSE(derived.RemoveChild(derived.SelectSingleNode("@id")));
    EXPECT_FALSE(XmlNode().RemoveChild(left.Item(0)));

    // Null handles answer emptily.
    XmlNode none;
    EXPECT_TRUE(none.SelectSingleNode(".").IsNull());
    EXPECT_EQ(none.SelectNodes("//DAI").Length(), 0);
    EXPECT_EQ(none.NodeName(), "");
    EXPECT_FALSE(none.SetText("x"));
    EXPECT_TRUE(m_scl.Get_NodePtr(none, "/SCL").IsNull());
}

// The direct walk over child elements selects what the XPath of the same name
// selects, for every element of the file and every name found in it (prefixed
// names included), and "*" for the whole list; text, comments and attributes
// are never in it.
TEST_F(XmlSelect, ChildElementWalkMatchesTheXPathOfTheName) {
    auto walk = [](const XmlNode& node, const char* name) {
        std::vector<XmlNode> out;
        for (const XmlNode& child : node.ChildElements(name)) out.push_back(child);
        return out;
    };
    auto select = [](const XmlNode& node, const CString& path) {
        std::vector<XmlNode> out;
        XmlNodeList list = node.SelectNodes(path);
        for (long i = 0; i < list.Length(); ++i) out.push_back(list.Item(i));
        return out;
    };
    CBase_XML itb;
    ASSERT_TRUE(itb.Load(WriteFile("a.itb", kItb).c_str()));
    int compared = 0;
    for (CBase_XML* xml : {&m_scl, &itb}) {
        XmlNodeList all = xml->GetDocumentElement().SelectNodes("descendant-or-self::*");
        ASSERT_GT(all.Length(), 5);
        for (long i = 0; i < all.Length(); ++i) {
            const XmlNode el = all.Item(i);
            EXPECT_EQ(walk(el, nullptr), select(el, "*")) << el.NodeName().GetString();
            std::set<std::string> names;
            for (const XmlNode& child : select(el, "*")) names.insert(child.NodeName().str());
            names.insert("NoSuchElement");
            for (const std::string& name : names) {
                EXPECT_EQ(walk(el, name.c_str()), select(el, name)) << name;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 40);
    // Mixed content: only the element children count.
    CBase_XML mixed;
    ASSERT_TRUE(mixed.Load(WriteFile("m.xml", "<r>text<!-- c --><a/>more<b/><?pi x?><a/></r>").c_str()));
    const XmlNode r = mixed.GetDocumentElement();
    ASSERT_EQ(walk(r, nullptr).size(), 3u);
    EXPECT_EQ(walk(r, "a").size(), 2u);
    EXPECT_EQ(walk(r, nullptr)[1].NodeName(), "b");
    // The document's child element is its root; an attribute, a leaf and a
    // null handle have none.
    EXPECT_EQ(walk(mixed.GetDocument(), nullptr), std::vector<XmlNode>{r});
    EXPECT_TRUE(r.SelectSingleNode("@x").IsNull());
    EXPECT_TRUE(walk(m_root.SelectSingleNode("@xmlns"), nullptr).empty());
    EXPECT_TRUE(walk(walk(r, "b")[0], nullptr).empty());
    EXPECT_TRUE(walk(XmlNode(), nullptr).empty());
    EXPECT_TRUE(XmlNode().ChildElements().empty());
}

// An attribute is read under its own name first, its prefixed name second.
TEST_F(XmlSelect, AnAttributeOrItsPrefixedForm) {
    CBase_XML xml;
    ASSERT_TRUE(xml.Load(
        WriteFile("p.xml", R"(<r><e z:a="pz" a="plain" z:b="only" zz:c="other"/><e a=""/></r>)").c_str()));
    XmlNodeList es = xml.GetDocumentElement().SelectNodes("e");
    ASSERT_EQ(es.Length(), 2);
    const XmlNode e = es.Item(0);
    CString v = "x";
    EXPECT_TRUE(e.GetAttributeOrPrefixed("a", "z:", v));
    EXPECT_EQ(v, "plain") << "the own name wins wherever it stands";
    EXPECT_TRUE(e.GetAttributeOrPrefixed("b", "z:", v));
    EXPECT_EQ(v, "only");
    EXPECT_FALSE(e.GetAttributeOrPrefixed("c", "z:", v));
    EXPECT_EQ(v, "");
    v = "x";
    EXPECT_TRUE(es.Item(1).GetAttributeOrPrefixed("a", "z:", v));
    EXPECT_EQ(v, "");
    v = "x";
    EXPECT_FALSE(XmlNode().GetAttributeOrPrefixed("a", "z:", v));
    EXPECT_EQ(v, "");
    EXPECT_FALSE(e.SelectSingleNode("@a").GetAttributeOrPrefixed("a", "z:", v)) << "an attribute has none";
}
