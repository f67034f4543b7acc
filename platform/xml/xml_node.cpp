#include "platform/xml/xml_node.h"

#include <cstring>
#include <string>

#include "platform/xml/xml_doc_state.h"
#include "platform/xml/xml_names.h"

namespace {

// All text below `node` in document order, walked without recursion, so that
// no depth of nesting can exhaust the stack.
void AppendTextBelow(const pugi::xml_node& node, std::string& out) {
    pugi::xml_node n = node.first_child();
    while (n) {
        pugi::xml_node_type t = n.type();
        if (t == pugi::node_pcdata || t == pugi::node_cdata) out += n.value();
        if (t == pugi::node_element && n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n != node && !n.next_sibling()) n = n.parent();
        if (n == node) break;
        n = n.next_sibling();
    }
}

}  // namespace

CString XmlNode::LocalName() const {
    const CString name = NodeName();
    const int colon = name.Find(':');
    return colon >= 0 ? name.Mid(colon + 1) : name;
}

CString XmlNode::NamespaceUri() const {
    try {
        const char* name = m_attr ? m_attr.name() : m_node.type() == pugi::node_element ? m_node.name() : nullptr;
        if (!name) return CString();
        const char* colon = std::strchr(name, ':');
        // An attribute without a prefix is in no namespace.
        if (m_attr && !colon) return CString();
        const std::string_view prefix(name, colon ? static_cast<size_t>(colon - name) : 0);
        const char* uri = m_doc ? m_doc->NamespaceOf(m_node, prefix) : kiln::xml::NamespaceOfPrefix(m_node, prefix);
        return uri ? CString(uri) : CString();
    } catch (...) {
        return CString();
    }
}

std::vector<XmlNode> XmlNode::Attributes() const {
    std::vector<XmlNode> out;
    if (!IsElement()) return out;
    for (pugi::xml_attribute a = m_node.first_attribute(); a; a = a.next_attribute())
        out.push_back(XmlNode(m_doc, m_node, a));
    return out;
}

bool XmlNode::IsElement() const { return !m_attr && m_node.type() == pugi::node_element; }

pugi::xpath_node XmlNode::AsXPathNode() const {
    return m_attr ? pugi::xpath_node(m_attr, m_node) : pugi::xpath_node(m_node);
}

CString XmlNode::NodeName() const {
    try {
        if (m_attr) return CString(m_attr.name());
        switch (m_node.type()) {
        case pugi::node_element:
        case pugi::node_pi:
            return CString(m_node.name());
        case pugi::node_pcdata:
            return CString("#text");
        case pugi::node_cdata:
            return CString("#cdata-section");
        case pugi::node_comment:
            return CString("#comment");
        case pugi::node_document:
            return CString("#document");
        default:
            return CString();
        }
    } catch (...) {
        return CString();
    }
}

CString XmlNode::GetText() const {
    try {
        if (m_attr) return CString(m_attr.value());
        switch (m_node.type()) {
        case pugi::node_element:
        case pugi::node_document: {
            // The common case, an element holding one text, without a copy loop.
            pugi::xml_node first = m_node.first_child();
            if (first && !first.next_sibling() &&
                (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata))
                return CString(first.value());
            std::string text;
            AppendTextBelow(m_node, text);
            return CString(std::move(text));
        }
        case pugi::node_pcdata:
        case pugi::node_cdata:
        case pugi::node_comment:
        case pugi::node_pi:
            return CString(m_node.value());
        default:
            return CString();
        }
    } catch (...) {
        return CString();
    }
}

// pugixml handles change the document through non-const members; a handle
// here is const like a pointer, so the members below work on a copy.

bool XmlNode::SetText(const CString& text) const {
    if (IsNull() || !m_doc) return false;
    m_doc->BeforeChange();
    m_doc->NoteText(text.str());
    pugi::xml_attribute attr = m_attr;
    if (attr) return attr.set_value(text.GetString());
    pugi::xml_node node = m_node;
    switch (node.type()) {
    case pugi::node_element: {
        while (pugi::xml_node child = node.first_child()) node.remove_child(child);
        m_doc->NoteRemoval();
        if (text.IsEmpty()) return true;
        pugi::xml_node pcdata = node.append_child(pugi::node_pcdata);
        if (pcdata) m_doc->NoteDepth(m_doc->DepthOf(node) + 1);
        return pcdata.set_value(text.GetString());
    }
    case pugi::node_pcdata:
    case pugi::node_cdata:
    case pugi::node_comment:
        return node.set_value(text.GetString());
    default:
        return false;
    }
}

XmlNode XmlNode::ParentNode() const {
    if (m_attr) return XmlNode(m_doc, m_node);
    pugi::xml_node parent = m_node.parent();
    return parent ? XmlNode(m_doc, parent) : XmlNode();
}

XmlNode XmlNode::SelectSingleNode(const CString& xpath) const {
    if (IsNull() || !m_doc) return XmlNode();
    const std::string& path = xpath.str();
    try {
        // The paths the readers use most ("@name", ".", "Header") are answered
        // directly; they select exactly what the XPath would.
        if (path == ".") return *this;
        if (kiln::xml::IsAttributePath(path)) {
            if (!IsElement()) return XmlNode();
            pugi::xml_attribute a = m_node.attribute(path.c_str() + 1);
            return a ? XmlNode(m_doc, m_node, a) : XmlNode();
        }
        if (kiln::xml::IsXmlName(path)) {
            if (m_attr) return XmlNode();
            for (pugi::xml_node c = m_node.first_child(); c; c = c.next_sibling())
                if (c.type() == pugi::node_element && path == c.name()) return XmlNode(m_doc, c);
            return XmlNode();
        }
        const pugi::xpath_query* query = m_doc->Query(path);
        if (!query) return XmlNode();
        pugi::xpath_node found = query->evaluate_node(AsXPathNode());
        if (!found) return XmlNode();
        return XmlNode(m_doc, found);
    } catch (...) {
        return XmlNode();
    }
}

XmlNodeList XmlNode::SelectNodes(const CString& xpath) const {
    if (IsNull() || !m_doc) return XmlNodeList();
    try {
        const pugi::xpath_query* query = m_doc->Query(xpath.str());
        if (!query) return XmlNodeList();
        pugi::xpath_node_set set = query->evaluate_node_set(AsXPathNode());
        set.sort();  // unions ("FCDA|FCD") in document order as well
        return XmlNodeList(m_doc, std::move(set));
    } catch (...) {
        return XmlNodeList();
    }
}

XmlChildElements XmlNode::ChildElements(const char* name) const {
    const bool holds = !m_attr && (m_node.type() == pugi::node_element || m_node.type() == pugi::node_document);
    return XmlChildElements(m_doc, holds ? m_node : pugi::xml_node(), name);
}

std::vector<XmlNode> XmlNode::ChildElementsIn(const CString& ns, std::initializer_list<const char*> locals,
                                              bool others) const {
    std::vector<XmlNode> out;
    ForEachChildElementIn(ns, locals, [&](const XmlNode& child, bool picked) {
        if (picked != others) out.push_back(child);
    });
    return out;
}

void XmlNode::WalkChildElementsIn(const CString& ns, std::initializer_list<const char*> locals,
                                  void (*visit)(void*, const XmlNode&, bool), void* context) const {
    const pugi::xml_node_type type = m_node.type();
    if (m_attr || (type != pugi::node_element && type != pugi::node_document)) return;
    const std::string_view wanted(ns.GetString(), static_cast<size_t>(ns.GetLength()));
    // Below the root, where nothing there declares a namespace, a child
    // declares none of its own.
    const bool own = !(m_doc && type == pugi::node_element && m_doc->RootScopeOnly());
    // The namespace of the last prefix met, in this element's scope.
    std::string_view scopePrefix;
    const char* scopeUri = nullptr;
    bool resolved = false;
    // One handle lent for every child: the document is shared once a walk.
    XmlNode lent(m_doc, pugi::xml_node());
    for (pugi::xml_node child = m_node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) continue;
        const char* const name = child.name();
        const char* const colon = std::strchr(name, ':');
        const char* const local = colon ? colon + 1 : name;
        bool named = false;
        for (const char* l : locals)
            if (l && local[0] == l[0] && std::strcmp(local, l) == 0) {
                named = true;
                break;
            }
        bool in = false;
        if (named) {
            const std::string_view prefix(name, colon ? static_cast<size_t>(colon - name) : 0);
            const char* uri = own ? kiln::xml::DeclaredAt(child, prefix) : nullptr;
            if (!uri) {
                if (!resolved || prefix != scopePrefix) {
                    try {
                        scopeUri = m_doc ? m_doc->NamespaceOf(m_node, prefix) : kiln::xml::NamespaceOfPrefix(m_node, prefix);
                    } catch (...) {
                        scopeUri = nullptr;
                    }
                    scopePrefix = prefix;
                    resolved = true;
                }
                uri = scopeUri;
            }
            in = wanted == (uri ? uri : "");
        }
        lent.m_node = child;
        visit(context, lent, in);
    }
}

pugi::xml_node XmlChildElements::Next(pugi::xml_node n) const {
    for (; n; n = n.next_sibling())
        if (n.type() == pugi::node_element && (!m_name || std::strcmp(n.name(), m_name) == 0)) return n;
    return n;
}

XmlNode XmlNode::AppendChild(const CString& name) const {
    pugi::xml_node child = AppendElement(name);
    return child ? XmlNode(m_doc, child) : XmlNode();
}

pugi::xml_node XmlNode::AppendElement(const CString& name, size_t* pDepth) const {
    if (m_attr || !m_doc || !kiln::xml::IsXmlName(name.str())) return pugi::xml_node();
    pugi::xml_node node = m_node;
    if (node.type() == pugi::node_document) {
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element) return pugi::xml_node();  // one root only
    } else if (node.type() != pugi::node_element) {
        return pugi::xml_node();
    }
    m_doc->BeforeChange();
    pugi::xml_node child = node.append_child(pugi::node_element);
    if (!child) return pugi::xml_node();
    if (!child.set_name(name.GetString())) {
        node.remove_child(child);
        m_doc->NoteRemoval();
        return pugi::xml_node();
    }
    m_doc->NoteText(name.str());
    const size_t d = m_doc->NoteChildOf(node);
    if (pDepth) *pDepth = d;
    return child;
}

bool XmlNode::RemoveChild(const XmlNode& child) const {
    if (m_attr || child.m_attr || !child.m_node || !m_node) return false;
    if (child.m_node.parent() != m_node) return false;
    pugi::xml_node node = m_node;
    const bool removed = node.remove_child(child.m_node);
    if (removed && m_doc) m_doc->NoteRemoval();
    return removed;
}

bool XmlNode::GetAttribute(const CString& name, CString& value) const { return GetAttribute(name.GetString(), value); }

bool XmlNode::GetAttribute(const char* name, CString& value) const {
    try {
        value.Empty();
        if (!IsElement()) return false;
        pugi::xml_attribute a = m_node.attribute(name);
        if (!a) return false;
        value = a.value();
        return true;
    } catch (...) {
        return false;
    }
}

long XmlNode::DropElementPrefix(const CString& prefix) const {
    if (!IsElement() || prefix.IsEmpty()) return 0;
    long renamed = 0;
    try {
        const std::string head = prefix.str() + ":";
        pugi::xml_node n = m_node;
        while (n) {
            if (n.type() == pugi::node_element) {
                const char* name = n.name();
                if (std::strncmp(name, head.c_str(), head.size()) == 0 && name[head.size()] != 0) {
                    const std::string local(name + head.size());
                    if (n.set_name(local.c_str())) ++renamed;
                }
                if (n.first_child()) {
                    n = n.first_child();
                    continue;
                }
            }
            while (n != m_node && !n.next_sibling()) n = n.parent();
            if (n == m_node) break;
            n = n.next_sibling();
        }
    } catch (...) {
        // Out of memory: the elements renamed so far keep their new names.
    }
    return renamed;
}

bool XmlNode::GetAttributeOrPrefixed(const char* name, const char* prefix, CString& value) const {
    value.Empty();
    if (!IsElement()) return false;
    const size_t prefixLength = std::strlen(prefix);
    pugi::xml_attribute prefixed;
    // The first characters are compared before the calls: most attributes
    // differ there already.
    for (pugi::xml_attribute a = m_node.first_attribute(); a; a = a.next_attribute()) {
        const char* n = a.name();
        if (n[0] == name[0] && std::strcmp(n, name) == 0) {
            value = a.value();
            return true;
        }
        if (!prefixed && n[0] == prefix[0] && std::strncmp(n, prefix, prefixLength) == 0 &&
            std::strcmp(n + prefixLength, name) == 0)
            prefixed = a;
    }
    if (!prefixed) return false;
    value = prefixed.value();
    return true;
}

bool XmlNode::SetAttribute(const CString& name, const CString& value) const {
    if (!IsElement() || !m_doc || !kiln::xml::IsXmlName(name.str())) return false;
    m_doc->BeforeChange();
    m_doc->NoteText(name.str());
    m_doc->NoteText(value.str());
    pugi::xml_node node = m_node;
    pugi::xml_attribute a = node.attribute(name.GetString());
    if (!a) a = node.append_attribute(name.GetString());
    return a && a.set_value(value.GetString());
}

bool XmlNode::RemoveAttribute(const CString& name) const {
    if (!IsElement() || !m_doc) return false;
    pugi::xml_node node = m_node;
    if (!node.attribute(name.GetString())) return true;
    m_doc->BeforeChange();
    return node.remove_attribute(name.GetString());
}

XmlNode XmlNodeList::Item(long index) const {
    if (index < 0 || index >= Length()) return XmlNode();
    return XmlNode(m_doc, m_set[static_cast<size_t>(index)]);
}
