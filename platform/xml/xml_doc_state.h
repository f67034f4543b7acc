// The state behind one loaded or created XML document, shared by every
// CBase_XML copy and every node handle that points into it.
#pragma once

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <unordered_map>

namespace kiln::xml {

class XmlDocState {
public:
    // The file's bytes after conversion to UTF-8; the document's texts point
    // into it (parsed in place), so it is declared before the document.
    std::string buffer;
    pugi::xml_document doc;

    // The compiled query for an XPath text, or null when the text is not a
    // valid XPath. Compiled queries are kept, so a path used in a loop over
    // thousands of elements is compiled once.
    const pugi::xpath_query* Query(const std::string& xpath);

private:
    static constexpr size_t kMaxQueries = 256;
    std::unordered_map<std::string, std::unique_ptr<pugi::xpath_query>> m_queries;
};

}  // namespace kiln::xml
