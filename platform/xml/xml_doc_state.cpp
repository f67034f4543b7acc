#include "platform/xml/xml_doc_state.h"

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

}  // namespace kiln::xml
