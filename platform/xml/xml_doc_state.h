// The state behind one loaded or created XML document, shared by every
// CBase_XML copy and every node handle that points into it.
#pragma once

#include <pugixml.hpp>

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/mfc/file_io.h"
#include "platform/xml/xml_check.h"

namespace kiln::xml {

class XmlDocState {
public:
    // The file's bytes after conversion to UTF-8; the document's texts point
    // into it (parsed in place), so it is declared before the document.
    kiln::file::Bytes buffer;
    pugi::xml_document doc;

    // The compiled query for an XPath text, or null when the text is not a
    // valid XPath. Compiled queries are kept, so a path used in a loop over
    // thousands of elements is compiled once.
    const pugi::xpath_query* Query(const std::string& xpath);

    // What a save needs to know without walking the whole document: a bound
    // of its depth (deeper documents are written without indentation) and
    // whether every name and text may be written. A fresh document is known;
    // a parsed one is walked (Survey) when first added to or changed. The
    // layer notes every name, text and node it puts in; removals leave the
    // bound a bound. A save walks the document only when these do not settle
    // the question.
    bool known = true;
    size_t depth = 0;       // the deepest node's depth at most (the root element's is 1)
    bool writable = true;   // false once a name or text went in that may not be written
    // Call before adding to or changing the document.
    void BeforeChange();
    void NoteText(std::string_view text) {
        if (known && writable && !IsWritableText(text)) writable = false;
    }
    // A child just added to `parent`: gives the child's depth.
    size_t NoteChildOf(const pugi::xml_node& parent) {
        const size_t d = DepthOf(parent) + 1;
        NoteDepth(d);
        return d;
    }
    // A node just added at that depth (a text below an element of depth - 1).
    void NoteDepth(size_t d) {
        if (d > depth) depth = d;
    }
    // The depth of a node of the document (the document's is 0).
    size_t DepthOf(const pugi::xml_node& node);
    // Call after removing nodes: their memory may be reused for new nodes.
    void NoteRemoval() {
        m_recent = {};
        m_scopes = {};
        m_oneScope = 0;
    }

    // The namespace `prefix` stands for at `element` ("" for the default
    // one), by the declarations in scope; null when none declares it. The
    // answers for the last elements asked about are kept: readers ask for
    // every child of one element in turn, then for the children of each, and
    // an element's scope is its parent's but for what it declares itself.
    const char* NamespaceOf(const pugi::xml_node& element, std::string_view prefix);
    // True for a document as loaded in which no element below the root
    // declares a namespace: every element's scope is the root's.
    bool RootScopeOnly() { return m_oneScope == 1 || (m_oneScope < 0 && OneScope()); }

private:
    struct KnownDepth {
        const void* node = nullptr;
        size_t depth = 0;
    };
    // Elements lately added to, with their depth, most recent first: writers
    // add many children to one element, and children to a child just added,
    // so a walk up ends after a step or two.
    std::array<KnownDepth, 4> m_recent;
    // The scopes a namespace was last resolved in, for one prefix, most
    // recent first; any change forgets them.
    struct Scope {
        const void* node = nullptr;
        const char* uri = nullptr;
    };
    std::array<Scope, 4> m_scopes;
    std::string m_scopePrefix;
    // For a document as loaded: 1 when no element below the root declares
    // a namespace (the whole document is one scope), 0 when one may, -1
    // while not yet looked at.
    int m_oneScope = -1;
    pugi::xml_node m_root;  // the root element, when m_oneScope is 1
    bool OneScope();
    void Remember(size_t at, const void* node, size_t d);

    static constexpr size_t kMaxQueries = 256;
    std::unordered_map<std::string, std::unique_ptr<pugi::xpath_query>> m_queries;
};

}  // namespace kiln::xml
