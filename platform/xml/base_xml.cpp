#include "platform/xml/base_xml.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "platform/xml/xml_doc_state.h"
#include "platform/xml/xml_file.h"
#include "platform/xml/xml_names.h"

namespace {

std::shared_ptr<kiln::xml::XmlDocState> NewState() noexcept {
    try {
        return std::make_shared<kiln::xml::XmlDocState>();
    } catch (...) {
        return nullptr;
    }
}

// Sets the value of what `path` selects under `node`. An attribute path that
// selects nothing adds the attribute; with `create`, a child name that
// selects nothing appends the child.
bool WriteValue(kiln::xml::XmlDocState* state, const XmlNode& node, const CString& path, const CString& text,
                bool create) {
    if (node.IsNull() || !state) return false;
    // An attribute of an element, the writers' most common path, set directly
    // (what selecting it and setting its text would do).
    if (node.IsElement() && kiln::xml::IsAttributePath(path.str())) {
        state->BeforeChange();
        state->NoteText(path.str());
        state->NoteText(text.str());
        pugi::xml_node element = node.PugiNode();
        pugi::xml_attribute a = element.attribute(path.GetString() + 1);
        if (!a) a = element.append_attribute(path.GetString() + 1);
        return a && a.set_value(text.GetString());
    }
    // A child element by name: the first one, appended with `create` when
    // there is none; its content becomes the one text.
    if (node.IsElement() && kiln::xml::IsXmlName(path.str())) {
        pugi::xml_node element = node.PugiNode();
        pugi::xml_node child;
        for (pugi::xml_node c = element.first_child(); c && !child; c = c.next_sibling())
            if (c.type() == pugi::node_element && path.str() == c.name()) child = c;
        if (!child && !create) return false;
        state->BeforeChange();
        state->NoteText(text.str());
        if (!child) {
            child = element.append_child(pugi::node_element);
            if (!child) return false;
            if (!child.set_name(path.GetString())) {
                element.remove_child(child);
                state->NoteRemoval();
                return false;
            }
            state->NoteText(path.str());
            state->NoteChildOf(element);
        }
        if (child.first_child()) {
            while (pugi::xml_node old = child.first_child()) child.remove_child(old);
            state->NoteRemoval();
        }
        if (text.IsEmpty()) return true;
        pugi::xml_node pcdata = child.append_child(pugi::node_pcdata);
        if (pcdata) state->NoteDepth(state->DepthOf(child) + 1);
        return pcdata.set_value(text.GetString());
    }
    XmlNode target = node.SelectSingleNode(path);
    if (target.IsNull() && kiln::xml::IsAttributePath(path.str())) return node.SetAttribute(path.Mid(1), text);
    if (target.IsNull() && create && node.IsElement()) target = node.AppendChild(path);
    return !target.IsNull() && target.SetText(text);
}

}  // namespace

XmlElementsText::Name::Name(std::string_view name)
    : m_valid(kiln::xml::IsXmlName(name) && kiln::xml::IsWritableText(name)) {
    m_open.append("<").append(name);
    m_close.append("</").append(name).append(">");
    m_attr.append(" ").append(name).append("=\"");
}

namespace {

// By byte: where it cannot stand as it is (kInAttribute: between quotes,
// kInText: as an element's content; the NUL, which ends a text, in
// neither), and whether a text holding it is to be checked (kToCheck:
// control characters and all but ASCII).
struct ByteTable {
    unsigned char cls[256] = {};
    constexpr ByteTable(unsigned char inAttribute, unsigned char inText, unsigned char toCheck) {
        for (int c = 0; c < 256; ++c)
            if (c < 0x20 || c >= 0x80) cls[c] = toCheck;
        cls[0] |= inAttribute | inText;
        cls[static_cast<unsigned char>('&')] = inAttribute | inText;
        cls[static_cast<unsigned char>('<')] = inAttribute | inText;
        cls[static_cast<unsigned char>('"')] = inAttribute;
    }
};

}  // namespace

void XmlElementsText::Grow(size_t least) {
    const size_t capacity = std::max({least, m_capacity * 2, size_t{64} * 1024});
    auto text = std::make_unique_for_overwrite<char[]>(capacity);
    if (m_size > 0) std::memcpy(text.get(), m_text.get(), m_size);
    m_text = std::move(text);
    m_capacity = capacity;
}

char* XmlElementsText::Escape(char* out, std::string_view text, unsigned char where) {
    static constexpr ByteTable kBytes(kInAttribute, kInText, kToCheck);
    bool check = false;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const unsigned char cls = kBytes.cls[c];
        if (cls == 0) {
            *out++ = ch;
            continue;
        }
        check = check || (cls & kToCheck);
        if (!(cls & where)) {
            *out++ = ch;
            continue;
        }
        if (c == 0) break;
        const std::string_view ref = c == '&' ? "&amp;" : c == '<' ? "&lt;" : "&quot;";
        for (const char r : ref) *out++ = r;
    }
    if (check) m_writable = m_writable && kiln::xml::IsWritableText(text);
    return out;
}

void XmlElementsText::ElementWithChild(const Name& element, const Name& attr, std::string_view value,
                                       const Name& child, std::string_view text) {
    EndTag();
    m_namesValid = m_namesValid && element.m_valid && attr.m_valid && child.m_valid;
    const size_t most = element.m_open.size() + attr.m_attr.size() + value.size() * kMostPerByte + 2 +
                        child.m_open.size() + 1 + text.size() * kMostPerByte + child.m_close.size() +
                        element.m_close.size();
    char* const begin = Room(most);
    auto copy = [](char* to, const std::string& bytes) {
        std::memcpy(to, bytes.data(), bytes.size());
        return to + bytes.size();
    };
    char* out = copy(copy(begin, element.m_open), attr.m_attr);
    out = Escape(out, value, kInAttribute);
    *out++ = '"';
    *out++ = '>';
    out = copy(out, child.m_open);
    if (text.empty()) {
        *out++ = '/';
        *out++ = '>';
    } else {
        *out++ = '>';
        out = copy(Escape(out, text, kInText), child.m_close);
    }
    out = copy(out, element.m_close);
    m_size -= most - static_cast<size_t>(out - begin);
    m_elements += 2;
    m_depth = std::max(m_depth, m_open.size() + (text.empty() ? 2 : 3));
}

CBase_XML::CBase_XML() : m_pDoc(NewState()) {}

bool CBase_XML::Load(const CString& path) {
    try {
        auto state = std::make_shared<kiln::xml::XmlDocState>();
        std::string error;
        bool ok = kiln::xml::LoadXmlFile(path.str(), *state, error);
        m_strError = error;
        // A failed load leaves an empty document, never a half-read one.
        m_pDoc = ok ? std::move(state) : std::make_shared<kiln::xml::XmlDocState>();
        m_bLoaded = ok;
        m_strPath = ok ? path : CString();
        return ok;
    } catch (...) {
        m_bLoaded = false;
        m_strError = "内存不足，不能读入" + path;
        return false;
    }
}

bool CBase_XML::SaveAs(const CString& path, bool bOverwrite, kiln::file::Target target) {
    return SaveThrough(path, [&](std::string& error) {
        return kiln::xml::SaveXmlFile(*m_pDoc, path.str(), bOverwrite, error, target);
    });
}

bool CBase_XML::SaveAt(int dirfd, const CString& name, const CString& path, kiln::file::Target target) {
    return SaveThrough(path, [&](std::string& error) {
        return kiln::xml::SaveXmlFileAt(*m_pDoc, dirfd, name.str(), path.str(), error, target, &m_bUnsynced);
    });
}

bool CBase_XML::SaveThrough(const CString& path, const std::function<bool(std::string& error)>& write) {
    m_bUnsynced = false;
    try {
        std::string error;
        if (!m_pDoc || !write(error)) {
            m_strError = error;
            return false;
        }
        m_strError.Empty();
        m_strPath = path;
        return true;
    } catch (...) {
        return false;
    }
}

bool CBase_XML::Set_Default_NameSpase(const CString& uri) {
    try {
        if (uri.IsEmpty()) return false;
        m_strDefaultNs = uri;
        pugi::xml_node root = m_pDoc ? m_pDoc->doc.document_element() : pugi::xml_node();
        // A document element that declares a default namespace keeps it; new
        // elements then inherit that one.
        if (root && !root.attribute("xmlns")) {
            m_pDoc->BeforeChange();
            m_pDoc->NoteText(uri.str());
            return root.prepend_attribute("xmlns").set_value(uri.GetString());
        }
        return true;
    } catch (...) {
        return false;
    }
}

XmlNode CBase_XML::Get_NodePtr(const XmlNode& node, const CString& path) const { return node.SelectSingleNode(path); }

XmlNode CBase_XML::AddNewNode_withAttrs(const XmlNode& parent, const CString& element, const CStringArray& attrs) {
    // Empty names are passed over.
    const auto empty = [](const CString& name) { return name.IsEmpty(); };
    if (std::none_of(attrs.begin(), attrs.end(), empty))
        return AddNode(parent, element, attrs.GetSize() ? &attrs[0] : nullptr, static_cast<size_t>(attrs.GetSize()), nullptr);
    std::vector<CString> names;
    std::remove_copy_if(attrs.begin(), attrs.end(), std::back_inserter(names), empty);
    return AddNode(parent, element, names.data(), names.size(), nullptr);
}

XmlNode CBase_XML::AddNewNode_withAttr(const XmlNode& parent, const CString& element, const CString& attr) {
    return AddNode(parent, element, &attr, attr.IsEmpty() ? 0 : 1, nullptr);
}

XmlNode CBase_XML::AddNewNode_withAttrValue(const XmlNode& parent, const CString& element, const CString& attr,
                                            const CString& value) {
    if (attr.IsEmpty()) return XmlNode();
    const std::reference_wrapper<const CString> values[] = {value};
    return AddNode(parent, element, &attr, 1, values);
}

XmlNode CBase_XML::AddNewNode_withAttrValues(const XmlNode& parent, const CString& element, const CStringArray& names,
                                             std::initializer_list<std::reference_wrapper<const CString>> values) {
    if (static_cast<size_t>(names.GetSize()) != values.size()) return XmlNode();
    return AddNode(parent, element, values.size() ? &names[0] : nullptr, values.size(), values.begin());
}

XmlNode CBase_XML::AddNewNode_withAttrValueAndChild(const XmlNode& parent, const CString& element,
                                                    const CString& attr, const CString& value, const CString& child,
                                                    const CString& text) {
    if (attr.IsEmpty()) return XmlNode();
    const std::reference_wrapper<const CString> values[] = {value};
    return AddNode(parent, element, &attr, 1, values, &child, &text);
}

XmlNode CBase_XML::AddNode(const XmlNode& parent, const CString& element, const CString* names, size_t count,
                           const std::reference_wrapper<const CString>* values, const CString* child,
                           const CString* text) {
    try {
        if (parent.IsNull()) return XmlNode();
        for (size_t k = 0; k < count; ++k)
            if (!kiln::xml::IsXmlName(names[k].str())) return XmlNode();
        if (child && !kiln::xml::IsXmlName(child->str())) return XmlNode();
        size_t depth = 0;
        pugi::xml_node node = parent.AppendElement(element, &depth);
        if (!node) return XmlNode();
        kiln::xml::XmlDocState& state = *parent.m_doc;
        bool ok = true;
        // A new root of an empty document declares the recorded namespace.
        const bool bRoot = parent.m_node.type() == pugi::node_document;
        if (bRoot && !m_strDefaultNs.IsEmpty()) {
            state.NoteText(m_strDefaultNs.str());
            ok = node.append_attribute("xmlns").set_value(m_strDefaultNs.GetString());
        }
        // A name met before (or the namespace's) takes the later value.
        for (size_t k = 0; k < count && ok; ++k) {
            const CString& attr = names[k];
            state.NoteText(attr.str());
            if (values) state.NoteText(values[k].get().str());
            pugi::xml_attribute a = bRoot || k > 0 ? node.attribute(attr.GetString()) : pugi::xml_attribute();
            if (!a) a = node.append_attribute(attr.GetString());
            ok = a && (!values || a.set_value(values[k].get().GetString()));
        }
        if (ok && child) {
            state.NoteText(child->str());
            state.NoteText(text->str());
            pugi::xml_node c = node.append_child(pugi::node_element);
            ok = c && c.set_name(child->GetString());
            state.NoteDepth(depth + 1);
            if (ok && !text->IsEmpty()) {
                pugi::xml_node pcdata = c.append_child(pugi::node_pcdata);
                state.NoteDepth(depth + 2);
                ok = pcdata.set_value(text->GetString());
            }
        }
        if (!ok) {
            pugi::xml_node holder = parent.m_node;
            holder.remove_child(node);
            state.NoteRemoval();
            return XmlNode();
        }
        return XmlNode(parent.m_doc, node);
    } catch (...) {
        return XmlNode();
    }
}

bool CBase_XML::AppendElements(const XmlNode& parent, const XmlElementsText& text, std::vector<XmlNode>* pKept) {
    try {
        if (!parent.IsElement() || !parent.m_doc || !text.m_namesValid || !text.m_open.empty()) return false;
        if (text.m_size == 0) return true;
        kiln::xml::XmlDocState& state = *parent.m_doc;
        state.BeforeChange();
        pugi::xml_node node = parent.m_node;
        const pugi::xml_node last = node.last_child();
        const size_t depth = state.DepthOf(node);
        // Escapes are read back; nothing else of the text is changed (a
        // text of blanks stays, line ends and blanks in values stay as
        // they are).
        const pugi::xml_parse_result parsed =
            node.append_buffer(text.m_text.get(), text.m_size, pugi::parse_escapes | pugi::parse_ws_pcdata,
                               pugi::encoding_utf8);
        const pugi::xml_node first = last ? last.next_sibling() : node.first_child();
        if (!parsed) {
            for (pugi::xml_node n = first; n;) {
                const pugi::xml_node next = n.next_sibling();
                node.remove_child(n);
                n = next;
            }
            state.NoteRemoval();
            return false;
        }
        state.NoteDepth(depth + text.m_depth);
        if (!text.m_writable) state.writable = false;
        if (!pKept || text.m_kept.empty()) return true;
        // The new elements in the order they were opened, each numbered.
        size_t number = 0, next = 0;
        for (pugi::xml_node n = first; n && next < text.m_kept.size();) {
            if (n.type() == pugi::node_element) {
                if (number++ == text.m_kept[next]) {
                    pKept->push_back(XmlNode(parent.m_doc, n));
                    ++next;
                }
                if (pugi::xml_node child = n.first_child()) {
                    n = child;
                    continue;
                }
            }
            while (n != node && !n.next_sibling()) n = n.parent();
            n = n == node ? pugi::xml_node() : n.next_sibling();
        }
        return next == text.m_kept.size();
    } catch (...) {
        return false;
    }
}

bool CBase_XML::Write_NodeValueString(const XmlNode& node, const CString& path, const CString& text) {
    try {
        return WriteValue(node.m_doc.get(), node, path, text, false);
    } catch (...) {
        return false;
    }
}

bool CBase_XML::Write_NodeValueString_withCreate(const XmlNode& node, const CString& child, const CString& text) {
    try {
        return WriteValue(node.m_doc.get(), node, child, text, true);
    } catch (...) {
        return false;
    }
}

bool CBase_XML::Get_NodeText(const XmlNode& node, const CString& path, CString& out) {
    try {
        out.Empty();
        XmlNode found = node.SelectSingleNode(path);
        if (found.IsNull()) return false;
        out = found.GetText();
        return true;
    } catch (...) {
        return false;
    }
}

CString CBase_XML::XPathLiteralError(const CString& value) {
    int quotes = 0;
    for (char c : value.str()) quotes += c == '\'';
    if (quotes <= kMaxLiteralQuotes || value.Find('"') < 0) return CString();
    return "文本中的单引号（" + std::to_string(quotes) + "个）多于XPath表达式能拼接的" +
           std::to_string(kMaxLiteralQuotes) + "个，不能按它查找";
}

CString CBase_XML::XPathLiteral(const CString& value) {
    try {
        if (value.Find('\'') < 0) return "'" + value + "'";
        // Each apostrophe adds a piece to concat(): past the parser's depth
        // limit the path would not compile and would silently find nothing.
        if (!XPathLiteralError(value).IsEmpty()) return CString();
        if (value.Find('"') < 0) return "\"" + value + "\"";
        // Both quote kinds: concat('a', "'", 'b'), one piece per run between
        // apostrophes.
        CString result = "concat(";
        int start = 0;
        bool first = true;
        while (true) {
            int quote = value.Find('\'', start);
            CString piece = quote < 0 ? value.Mid(start) : value.Mid(start, quote - start);
            if (!piece.IsEmpty()) {
                result += first ? "'" : ", '";
                result += piece + "'";
                first = false;
            }
            if (quote < 0) break;
            result += first ? "\"'\"" : ", \"'\"";
            first = false;
            start = quote + 1;
        }
        return result + ")";
    } catch (...) {
        return "''";
    }
}

XmlNode CBase_XML::GetDocumentElement() const {
    if (!m_pDoc) return XmlNode();
    pugi::xml_node root = m_pDoc->doc.document_element();
    return root ? XmlNode(m_pDoc, root) : XmlNode();
}

XmlNode CBase_XML::GetDocument() const { return m_pDoc ? XmlNode(m_pDoc, m_pDoc->doc) : XmlNode(); }
