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

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/mfc/containers.h"
#include "platform/mfc/file_io.h"
#include "platform/mfc/cstring.h"
#include "platform/xml/xml_node.h"

// Elements written as text, for CBase_XML::AppendElements to add in one
// step: the subtree that the same elements, attributes and texts added one
// call at a time give, for writers that make elements by the hundred
// thousand (one parse of the text costs less than a call per node). Texts
// are escaped here and end, as the layer's other writes do, at a NUL.
class XmlElementsText {
public:
    // An element's or attribute's name, judged once: a writer keeps its
    // names as constants, which must outlive the texts written with them.
    class Name {
    public:
        explicit Name(std::string_view name);

    private:
        friend class XmlElementsText;
        std::string m_open, m_close, m_attr;  // "<n", "</n>", " n=\""
        bool m_valid;                         // a valid XML name that may be written
    };

    // Opens an element inside the one open (at the top, a child of the
    // element the text is appended to).
    void Open(const Name& name) {
        EndTag();
        m_namesValid = m_namesValid && name.m_valid;
        Put(name.m_open);
        m_open.push_back(&name);
        m_inTag = true;
        ++m_elements;
        if (m_open.size() > m_depth) m_depth = m_open.size();
    }
    // An attribute of the element just opened, before any content; an
    // element takes each name once.
    void Attribute(const Name& name, std::string_view value) {
        m_namesValid = m_namesValid && name.m_valid && m_inTag;
        Put(name.m_attr);
        PutEscaped(value, kInAttribute);
        Put("\"");
    }
    // The open element's text; an empty one adds nothing.
    void Text(std::string_view text) {
        if (text.empty() || m_open.empty()) return;
        EndTag();
        PutEscaped(text, kInText);
        if (m_open.size() + 1 > m_depth) m_depth = m_open.size() + 1;
    }
    void Close() {
        if (m_open.empty()) return;
        if (m_inTag) {
            Put("/>");
            m_inTag = false;
        } else {
            Put(m_open.back()->m_close);
        }
        m_open.pop_back();
    }
    // <element attr="value"><child>text</child></element> in one step, what
    // Open, Attribute, Open, Text, Close, Close give (AddNewNode_withAttrValueAndChild).
    void ElementWithChild(const Name& element, const Name& attr, std::string_view value, const Name& child,
                          std::string_view text);
    // AppendElements gives back the element just opened.
    void Keep() { m_kept.push_back(m_elements - 1); }
    bool IsEmpty() const { return m_size == 0; }
    // Starts afresh, keeping the memory for the next text.
    void Clear() {
        m_size = m_elements = m_depth = 0;
        m_open.clear();
        m_kept.clear();
        m_inTag = false;
        m_namesValid = m_writable = true;
    }

private:
    friend class CBase_XML;
    enum : unsigned char { kInAttribute = 1, kInText = 2, kToCheck = 4 };
    void EndTag() {
        if (!m_inTag) return;
        Put(">");
        m_inTag = false;
    }
    // Room for n more bytes at the end of the text, counted in.
    char* Room(size_t n) {
        if (m_size + n > m_capacity) Grow(m_size + n);
        char* const at = m_text.get() + m_size;
        m_size += n;
        return at;
    }
    void Grow(size_t least);
    void Put(std::string_view bytes) {
        char* at = Room(bytes.size());
        for (const char c : bytes) *at++ = c;
    }
    void PutEscaped(std::string_view text, unsigned char where) {
        char* const begin = Room(text.size() * kMostPerByte);
        m_size -= text.size() * kMostPerByte - static_cast<size_t>(Escape(begin, text, where) - begin);
    }
    // Writes `text` escaped at `out`; gives the end.
    char* Escape(char* out, std::string_view text, unsigned char where);
    static constexpr size_t kMostPerByte = 6;  // "&quot;"

    std::unique_ptr<char[]> m_text;  // the text is its first m_size bytes
    size_t m_size = 0, m_capacity = 0;
    std::vector<const Name*> m_open;  // the elements open, outermost first
    std::vector<size_t> m_kept;       // the elements kept, numbered in order of Open from 0
    size_t m_elements = 0;            // elements opened
    size_t m_depth = 0;               // levels of nodes below the parent (a text counts one)
    bool m_inTag = false;             // the last start tag is not yet ended
    bool m_namesValid = true;         // every name is valid, every attribute in a start tag
    bool m_writable = true;           // every name and text may be written
};

class CBase_XML {
public:
    CBase_XML();

    bool Load(const CString& path);
    // Writes the document to `path`. With `bOverwrite` false an existing file
    // is left alone and the result is false. A failed save leaves no file.
    // A `target` of a user's choice never goes into the workspace's own
    // folders.
    bool SaveAs(const CString& path, bool bOverwrite = true, kiln::file::Target target = kiln::file::Target::Own);
    // The same over the file `name` of the open folder `dirfd` (which stays
    // open), whatever its path leads to meanwhile; `path` names the file.
    bool SaveAt(int dirfd, const CString& name, const CString& path,
                kiln::file::Target target = kiln::file::Target::Own);
    // Whether the last SaveAt failed only after the file had taken its name
    // (its folder could not be synced): the file is written, but may not
    // have reached the disk.
    bool SavedUnsynced() const { return m_bUnsynced; }
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

    // Appends the elements of `text` (all closed) after the children of the
    // element `parent`; *pKept (when given) receives the elements Keep
    // marked, in order. False, with nothing added, when `parent` is no
    // element, a name is not a valid XML name or the text cannot be parsed.
    bool AppendElements(const XmlNode& parent, const XmlElementsText& text, std::vector<XmlNode>* pKept = nullptr);

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
    // Saves through `write` (false with the reason) as the file `path`.
    bool SaveThrough(const CString& path, const std::function<bool(std::string& error)>& write);
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
    bool m_bUnsynced = false;                        // see SavedUnsynced
};
