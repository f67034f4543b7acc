// Reading and writing one domain as a CIM-XML (RDF/XML) file.
#pragma once

#include <string>
#include <vector>

#include "platform/framework/cim_store.h"

namespace kiln::cim {

// Receives the text of a file being written.
class XmlSink {
public:
    virtual ~XmlSink() = default;
    virtual bool Put(const char* data, size_t n) = 0;
};

// Writes the live resources of one domain (`members`, in creation order):
// attributes, then the links of the roles that files carry (the child side
// of each pair), in link order. False, with the reason, for a value that
// holds a character XML does not allow (nothing of it is written then) or
// when the sink fails.
bool WriteDomain(const Store& s, int domain, const std::vector<Idx>& members, XmlSink& sink, std::string& error);

// A link whose target lies in a domain that is not loaded yet.
struct PendingLink {
    Idx src;
    int role;
    std::string target;  // full identifier
};

// Reads a CIM-XML text into an existing domain. Targets in other domains
// must exist unless `deferred` is given, which then collects them. On
// failure `error` says why and every resource this call made is removed
// again. `text` is modified (parsed in place); it must be UTF-8. With
// `checkValues` attribute values must fit their schema types; the document's
// own files are read without that check, since the store writes any text
// and what it saved must always open again.
bool ReadDomain(Store& s, int domain, std::string& text, const std::string& source,
                std::vector<PendingLink>* deferred, std::string& error, std::vector<Idx>* created = nullptr,
                bool checkValues = true);

// Resolves links collected by ReadDomain; false with `error` for a target
// that does not exist or that the role does not admit (`failed`, when
// given, receives that link's place in `pending`).
bool ResolvePending(Store& s, const std::vector<PendingLink>& pending, std::string& error, size_t* failed = nullptr);

// The modified flags of every domain, and putting them back: a refused read
// leaves the document as it was, flags included.
std::vector<bool> ModifiedFlags(const Store& s);
void RestoreModifiedFlags(Store& s, const std::vector<bool>& flags);

// Turns a file's bytes into UTF-8 text by its declared encoding (GB2312,
// GBK and GB18030 are converted; UTF-8 is kept; UTF-16 is known by its
// byte-order mark or its zero bytes, whatever the declaration says).
bool ToUtf8Text(std::string& bytes, std::string& error);

}  // namespace kiln::cim
