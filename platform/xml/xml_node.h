// Node handles of the XML layer: a node (element, attribute, text, or the
// document itself) and a list of selected nodes.
//
// A handle is a small value that keeps its document alive (like a reference-
// counted DOM node pointer); the default handle is null, meaning "no node".
// Every operation on a null handle returns false, an empty text or a null
// handle, and no operation throws.
//
// XPath names match the qualified names as written in the file: "/SCL/IED"
// matches in a file whose root declares a default namespace, and
// "s103:Config" or "@zScl:base" match those literal names.
//
// Removing a child frees it: handles that still point into the removed
// subtree must not be used afterwards.
#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/mfc/cstring.h"

namespace kiln::xml {
class XmlDocState;
}

class XmlNodeList;
class XmlChildElements;

class XmlNode {
public:
    XmlNode() = default;

    bool IsNull() const { return !m_node && !m_attr; }
    explicit operator bool() const { return !IsNull(); }
    bool IsElement() const;
    bool IsAttribute() const { return static_cast<bool>(m_attr); }

    // The qualified name of an element or attribute ("s103:Config"); "#text",
    // "#cdata-section", "#comment", "#document" for the other kinds.
    CString NodeName() const;

    // The node text: an attribute's value; for an element or the document all
    // the text below it, concatenated in document order.
    CString GetText() const;
    // Replaces an attribute's value, or an element's content by one text.
    bool SetText(const CString& text) const;

    // The element or document that holds this node; an attribute's element.
    XmlNode ParentNode() const;

    // The name of an element or attribute without its prefix ("Config" for
    // "s103:Config").
    CString LocalName() const;
    // The namespace of an element or attribute, by the declarations in scope
    // ("xmlns:p" for the prefix p, "xmlns" for an element without one): ""
    // for a name in no namespace (an attribute without a prefix) and for a
    // prefix nothing declares.
    CString NamespaceUri() const;
    // The attributes of this element, in document order; none for another node.
    std::vector<XmlNode> Attributes() const;

    // XPath relative to this node. SelectSingleNode gives the first match in
    // document order; both give nothing for an invalid XPath.
    XmlNode SelectSingleNode(const CString& xpath) const;
    XmlNodeList SelectNodes(const CString& xpath) const;

    // The child elements of this element (or of the document) in document
    // order: every one, or with a name those whose qualified name is exactly
    // it, the same nodes the XPath of that name selects. Walked directly,
    // without an XPath query; empty for an attribute or a null handle.
    XmlChildElements ChildElements(const char* name = nullptr) const;
    // The child elements whose namespace (as NamespaceUri gives it) is `ns`
    // and whose local name is one of `locals`, in document order; with
    // `others`, every other child element instead. Names are compared where
    // they stand, and a prefix is resolved once for this element: a child
    // is looked at only for a declaration of its own.
    std::vector<XmlNode> ChildElementsIn(const CString& ns, std::initializer_list<const char*> locals,
                                         bool others = false) const;
    // Every child element in document order, each with whether
    // ChildElementsIn(ns, locals) picks it: fn(child, picked), in one walk.
    // The handle fn is given is lent for the call: copy it to keep it.
    template <class Fn>
    void ForEachChildElementIn(const CString& ns, std::initializer_list<const char*> locals, Fn&& fn) const {
        using F = std::remove_reference_t<Fn>;
        WalkChildElementsIn(
            ns, locals, [](void* f, const XmlNode& child, bool picked) { (*static_cast<F*>(f))(child, picked); },
            const_cast<void*>(static_cast<const void*>(&fn)));
    }

    // A new element appended as the last child of this element (or as the
    // root of an empty document). It carries no namespace declaration of its
    // own, so it is in the default namespace of its ancestors. Null when the
    // name is not a valid XML name or this node cannot hold elements.
    XmlNode AppendChild(const CString& name) const;
    // Removes a direct child (element, text, comment) with its subtree.
    bool RemoveChild(const XmlNode& child) const;
    // Gives this element and every element below it that is named
    // `prefix`:local the name local (a file that writes a namespace under a
    // prefix reads like one that declares it as the default). Walks without
    // recursion; returns how many elements were renamed.
    long DropElementPrefix(const CString& prefix) const;

    // Attribute of this element: false (and an empty value) when absent.
    bool GetAttribute(const CString& name, CString& value) const;
    bool GetAttribute(const char* name, CString& value) const;
    // The attribute `name`, or when it is absent the one named `prefix` +
    // `name` ("zScl:" + "base"), read in one pass over the attributes.
    bool GetAttributeOrPrefixed(const char* name, const char* prefix, CString& value) const;
    // Sets an attribute, appending it after the existing ones when absent.
    bool SetAttribute(const CString& name, const CString& value) const;
    // Removes an attribute; true also when there was none.
    bool RemoveAttribute(const CString& name) const;

    friend bool operator==(const XmlNode& a, const XmlNode& b) {
        return a.m_node == b.m_node && a.m_attr == b.m_attr;
    }
    friend bool operator!=(const XmlNode& a, const XmlNode& b) { return !(a == b); }

    // For the layer itself and its benchmark: the underlying pugixml node.
    pugi::xml_node PugiNode() const { return m_node; }
    pugi::xml_attribute PugiAttribute() const { return m_attr; }

private:
    friend class CBase_XML;
    friend class XmlNodeList;
    friend class XmlChildElements;
    XmlNode(std::shared_ptr<kiln::xml::XmlDocState> doc, pugi::xml_node node, pugi::xml_attribute attr = {})
        : m_doc(std::move(doc)), m_node(node), m_attr(attr) {}
    XmlNode(std::shared_ptr<kiln::xml::XmlDocState> doc, const pugi::xpath_node& xn)
        : m_doc(std::move(doc)), m_node(xn.attribute() ? xn.parent() : xn.node()), m_attr(xn.attribute()) {}
    pugi::xpath_node AsXPathNode() const;
    // The walk of ForEachChildElementIn: visit(context, child, picked).
    void WalkChildElementsIn(const CString& ns, std::initializer_list<const char*> locals,
                             void (*visit)(void*, const XmlNode&, bool), void* context) const;
    // AppendChild without the handle: the new pugixml element, or null;
    // *pDepth (when given) receives its depth.
    pugi::xml_node AppendElement(const CString& name, size_t* pDepth = nullptr) const;

    std::shared_ptr<kiln::xml::XmlDocState> m_doc;
    pugi::xml_node m_node;       // the node, or an attribute's element
    pugi::xml_attribute m_attr;  // set when the handle is an attribute
};

// The nodes an XPath selected, in document order.
class XmlNodeList {
public:
    XmlNodeList() = default;

    long Length() const { return static_cast<long>(m_set.size()); }
    bool IsEmpty() const { return m_set.empty(); }
    // Null outside 0 .. Length() - 1.
    XmlNode Item(long index) const;

private:
    friend class XmlNode;
    XmlNodeList(std::shared_ptr<kiln::xml::XmlDocState> doc, pugi::xpath_node_set set)
        : m_doc(std::move(doc)), m_set(std::move(set)) {}

    std::shared_ptr<kiln::xml::XmlDocState> m_doc;
    pugi::xpath_node_set m_set;
};

// A walk over the child elements of one node (XmlNode::ChildElements), for
// range-for loops. The document must not change while it runs.
class XmlChildElements {
public:
    class iterator {
    public:
        XmlNode operator*() const { return XmlNode(m_range->m_doc, m_node); }
        iterator& operator++() {
            m_node = m_range->Next(m_node.next_sibling());
            return *this;
        }
        bool operator!=(const iterator& o) const { return m_node != o.m_node; }
        bool operator==(const iterator& o) const { return m_node == o.m_node; }

    private:
        friend class XmlChildElements;
        iterator(const XmlChildElements* range, pugi::xml_node node) : m_range(range), m_node(node) {}
        const XmlChildElements* m_range;
        pugi::xml_node m_node;
    };

    iterator begin() const { return iterator(this, Next(m_parent.first_child())); }
    iterator end() const { return iterator(this, pugi::xml_node()); }
    bool empty() const { return !(begin() != end()); }

private:
    friend class XmlNode;
    XmlChildElements(std::shared_ptr<kiln::xml::XmlDocState> doc, pugi::xml_node parent, const char* name)
        : m_doc(std::move(doc)), m_parent(parent), m_name(name) {}
    // The first child element from `n` on (n itself included) that matches.
    pugi::xml_node Next(pugi::xml_node n) const;

    std::shared_ptr<kiln::xml::XmlDocState> m_doc;
    pugi::xml_node m_parent;  // null: no children
    const char* m_name;       // null: every element
};
