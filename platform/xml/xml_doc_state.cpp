#include "platform/xml/xml_doc_state.h"

#include "platform/xml/xml_check.h"
#include "platform/xml/xml_file.h"

namespace kiln::xml {

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

void XmlDocState::Remember(size_t at, const void* node, size_t d) {
    // The entry at `at` goes; the others move down; the node comes first.
    for (size_t k = at; k > 0; --k) m_recent[k] = m_recent[k - 1];
    m_recent[0] = KnownDepth{node, d};
}

}  // namespace kiln::xml
