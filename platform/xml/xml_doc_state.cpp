#include "platform/xml/xml_doc_state.h"

#include "platform/xml/xml_check.h"
#include "platform/xml/xml_file.h"
#include "platform/xml/xml_names.h"

#include <string.h>

namespace kiln::xml {

namespace {

// The entry at `at` of a list of recent answers goes; the others move down;
// `entry` comes first.
template <class T, size_t N>
void PutFirst(std::array<T, N>& recent, size_t at, T entry) {
    for (size_t k = at; k > 0; --k) recent[k] = recent[k - 1];
    recent[0] = entry;
}

}  // namespace

const pugi::xpath_query* XmlDocState::Query(const std::string& xpath) {
    auto it = m_queries.find(xpath);
    if (it != m_queries.end()) return it->second.get();
    std::unique_ptr<pugi::xpath_query> query;
    try {
        query = std::make_unique<pugi::xpath_query>(xpath.c_str());
    } catch (...) {  // pugi::xpath_exception for a malformed path, or out of memory
        return nullptr;
    }
    if (!*query) return nullptr;
    // Paths built from file text (ids in predicates) are mostly used once:
    // start afresh rather than let them grow the cache without bound.
    if (m_queries.size() >= kMaxQueries) m_queries.clear();
    return m_queries.emplace(xpath, std::move(query)).first->second.get();
}

void XmlDocState::BeforeChange() {
    m_scopes = {};
    m_oneScope = 0;
    if (known) return;
    const DocSurvey survey = Survey(doc);
    depth = survey.depth;
    writable = survey.writable;
    m_recent = {};
    known = true;
}

size_t XmlDocState::DepthOf(const pugi::xml_node& node) {
    const void* const first = node.internal_object();
    if (first && first == m_recent[0].node) return m_recent[0].depth;
    const void* const root = doc.internal_object();
    size_t steps = 0;
    for (pugi::xml_node n = node; n; n = n.parent(), ++steps) {
        const void* const p = n.internal_object();
        if (p == root) {
            if (steps > 0) Remember(m_recent.size() - 1, first, steps);
            return steps;
        }
        for (size_t k = 0; k < m_recent.size(); ++k)
            if (m_recent[k].node == p) {
                const size_t d = m_recent[k].depth + steps;
                if (steps == 0)
                    Remember(k, p, d);
                else
                    Remember(m_recent.size() - 1, first, d);
                return d;
            }
    }
    return steps;
}

const char* XmlDocState::NamespaceOf(const pugi::xml_node& element, std::string_view prefix) {
    if (prefix != m_scopePrefix) {
        m_scopes = {};
        m_scopePrefix.assign(prefix);
    }
    // Where nothing below the root declares a namespace, the root answers
    // for every element.
    if (RootScopeOnly()) {
        if (m_scopes[0].node != m_root.internal_object()) m_scopes[0] = Scope{m_root.internal_object(), DeclaredAt(m_root, prefix)};
        return m_scopes[0].uri;
    }
    // Up from the element to the first that declares the prefix or whose
    // answer is kept: an element declaring nothing has its parent's answer.
    const char* uri = nullptr;
    pugi::xml_node n = element;
    for (; n && n.type() == pugi::node_element; n = n.parent()) {
        const void* const p = n.internal_object();
        size_t k = 0;
        while (k < m_scopes.size() && m_scopes[k].node != p) ++k;
        if (k < m_scopes.size()) {
            uri = m_scopes[k].uri;
            PutFirst(m_scopes, k, m_scopes[k]);
            break;
        }
        if ((uri = DeclaredAt(n, prefix)) != nullptr) break;
    }
    // The answer is kept, and the parent's when the two are one, for the
    // element's siblings.
    if (n != element) {
        const pugi::xml_node parent = element.parent();
        if (parent != n && parent.type() == pugi::node_element)
            PutFirst(m_scopes, m_scopes.size() - 1, Scope{parent.internal_object(), uri});
        PutFirst(m_scopes, m_scopes.size() - 1, Scope{element.internal_object(), uri});
    } else if (m_scopes[0].node != element.internal_object()) {
        PutFirst(m_scopes, m_scopes.size() - 1, Scope{element.internal_object(), uri});
    }
    return uri;
}

bool XmlDocState::OneScope() {
    // Only a document as parsed: its names stand in the buffer where the
    // file had them, so a declaration below the root stands after the name
    // of the root's first child element. A text "xmlns" elsewhere only
    // makes the answer cautious.
    if (m_oneScope < 0) {
        m_oneScope = 0;
        m_root = doc.document_element();
        pugi::xml_node child = m_root.first_child();
        while (child && child.type() != pugi::node_element) child = child.next_sibling();
        const char* const begin = buffer.data();
        const char* const end = begin + buffer.size();
        const char* const from = child ? child.name() : end;
        if (!known && from >= begin && from <= end)
            m_oneScope = ::memmem(from, static_cast<size_t>(end - from), "xmlns", 5) == nullptr ? 1 : 0;
    }
    return m_oneScope == 1;
}

void XmlDocState::Remember(size_t at, const void* node, size_t d) {
    PutFirst(m_recent, at, KnownDepth{node, d});
}

}  // namespace kiln::xml
