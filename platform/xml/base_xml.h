// CBase_XML: one XML document of the framework (a template, a report, a file
// being written or read), over pugixml.
//
// - A copy shares the document (as a reference-counted DOM pointer would);
//   Load gives the object a fresh document and leaves its copies alone.
// - Load honours the declared encoding: UTF-8, UTF-16/UTF-32 with a byte-order
//   mark, GB2312/GBK/GB18030 and the other encodings iconv knows are converted
//   to UTF-8 before parsing. A missing, unreadable or malformed file, text
//   that is not in its encoding, characters XML forbids and a DOCTYPE that
//   declares entities give false, and LastError says why and where.
// - SaveAs writes UTF-8 with a declaration that says so, indented, attributes
//   in the order they were created.
// - New elements carry no namespace declaration of their own, so they are in
//   the default namespace of their ancestors and no xmlns="" ever appears.
//   Set_Default_NameSpase records the namespace of new elements: it is
//   declared on the document element when that declares no default namespace
//   (and on the root that a later AddNewNode creates in an empty document).
// - No exception leaves the class: failures give false or a null node.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>

#include "platform/mfc/containers.h"
#include "platform/mfc/file_io.h"
#include "platform/mfc/cstring.h"
#include "platform/xml/xml_node.h"

class CBase_XML {
public:
    CBase_XML();

    bool Load(const CString& path);
    // Writes the document to `path`. With `bOverwrite` false an existing file
    // is left alone and the result is false. A failed save leaves no file.
    // A `target` of a user's choice never goes into the workspace's own
    // folders.
    bool SaveAs(const CString& path, bool bOverwrite = true, kiln::file::Target target = kiln::file::Target::Own);
    bool Set_Default_NameSpase(const CString& uri);

    // The first node that `path` selects relative to `node`; null when none.
    XmlNode Get_NodePtr(const XmlNode& node, const CString& path) const;

    // A new element appended as the last child of `parent` (an element, or
    // the document node of an empty document), with the named attributes,
    // empty, in list order. Empty and repeated names add nothing. Null when
    // `parent` is null or a name is not a valid XML name.
    XmlNode AddNewNode_withAttrs(const XmlNode& parent, const CString& element, const CStringArray& attrs);
    // The same with one attribute; an empty name gives no attribute.
    XmlNode AddNewNode_withAttr(const XmlNode& parent, const CString& element, const CString& attr);
    // The same with the attribute's value set (a non-empty `attr` only): what
    // AddNewNode_withAttr and then Write_NodeValueString("@" + attr) give, in
    // one step for writers that make elements by the hundred thousand.
    XmlNode AddNewNode_withAttrValue(const XmlNode& parent, const CString& element, const CString& attr,
                                     const CString& value);
    // The same with several attributes, each set to its value (names[k] to
    // values[k]), in list order: what AddNewNode_withAttrs and then
    // Write_NodeValueString("@" + name) for each give. Null (and nothing
    // added) when the counts differ or a name is empty or not a valid XML name.
    XmlNode AddNewNode_withAttrValues(const XmlNode& parent, const CString& element, const CStringArray& names,
                                      std::initializer_list<std::reference_wrapper<const CString>> values);
    // The same with a child element holding a text: <element attr="value">
    // <child>text</child></element>, what AddNewNode_withAttrValue and then
    // Write_NodeValueString_withCreate(child, text) give. Null (and nothing
    // added) when `child` is not a valid XML name.
    XmlNode AddNewNode_withAttrValueAndChild(const XmlNode& parent, const CString& element, const CString& attr,
                                             const CString& value, const CString& child, const CString& text);

    // Sets the value of what `path` selects under `node`: an attribute
    // ("@name"; added after the others when the element lacks it) or an
    // element's text ("." for the node itself, "Val" for a child element).
    bool Write_NodeValueString(const XmlNode& node, const CString& path, const CString& text);
    // The same, first appending the child element `child` when `node` has none.
    bool Write_NodeValueString_withCreate(const XmlNode& node, const CString& child, const CString& text);

    // The text of the first node `path` selects under `node`: true with the
    // text when found (an attribute present but empty gives true and ""),
    // false with "" when `node` is null or nothing is selected.
    static bool Get_NodeText(const XmlNode& node, const CString& path, CString& out);

    // `value` as an XPath string literal, whatever quotes it holds, for paths
    // built from file text: "LNodeType[@id=" + XPathLiteral(id) + "]". A text
    // with more apostrophes than an XPath can join (kMaxLiteralQuotes) gives
    // an empty result; such a path selects nothing, and XPathLiteralError says why.
    static CString XPathLiteral(const CString& value);
    static constexpr int kMaxLiteralQuotes = 400;
    // Why XPathLiteral gave nothing for `value` ("" when it gave a literal).
    static CString XPathLiteralError(const CString& value);

    XmlNode GetDocumentElement() const;
    // The document node itself: the context for absolute paths and the
    // parent of a new root element.
    XmlNode GetDocument() const;

    bool IsLoaded() const { return m_bLoaded; }
    // Why the last Load or SaveAs failed, with the line and column of the
    // file where there is one; empty after a success.
    const CString& LastError() const { return m_strError; }
    const CString& GetPath() const { return m_strPath; }
    const CString& Get_Default_NameSpase() const { return m_strDefaultNs; }

private:
    // The element with `count` attributes (names[k], set to values[k] when
    // there are values), then the child with its text when there is one.
    XmlNode AddNode(const XmlNode& parent, const CString& element, const CString* names, size_t count,
                    const std::reference_wrapper<const CString>* values, const CString* child = nullptr,
                    const CString* text = nullptr);

    CString m_strPath;                               // the file last loaded or saved
    std::shared_ptr<kiln::xml::XmlDocState> m_pDoc;  // null only when memory ran out
    bool m_bLoaded = false;                          // the document came from a file
    CString m_strDefaultNs;                          // the namespace of new elements
    CString m_strError;                              // why the last Load or SaveAs failed
};
