// The XML layer's load of UTF-8 text, checked against plain walks of the
// parsed document and the checks against themselves at each vector width
// and in one pass: the repeated-attribute scan finds the first attribute
// that repeats an earlier one of its element (none when none does), and the
// namespace of every element and attribute, resolved through the kept
// scopes in two orders, is the one its declarations in scope give; the text
// is refused for a name's character (which only the one pass checks, where
// it reads tags) when a name of the parsed document holds one XML does not
// allow there.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/plain_names.h"
#include "platform/xml/xml_check.h"
#include "platform/xml/xml_doc_state.h"
#include "platform/xml/xml_file.h"
#include "platform/xml/xml_names.h"

namespace {

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "failed: %s\n", what);
    std::abort();
}

// The next node in document order below `root`, without recursion.
pugi::xml_node Next(pugi::xml_node n, const pugi::xml_node& root) {
    if (n.first_child()) return n.first_child();
    while (n && n != root && !n.next_sibling()) n = n.parent();
    return n && n != root ? n.next_sibling() : pugi::xml_node();
}

// The offset of the name of the first attribute, in document order, that
// repeats an earlier one of its element: every pair compared.
size_t PlainRepeat(const pugi::xml_document& doc, const char* base) {
    for (pugi::xml_node n = doc.first_child(); n; n = Next(n, doc))
        for (pugi::xml_attribute b = n.first_attribute(); b; b = b.next_attribute())
            for (pugi::xml_attribute a = n.first_attribute(); a != b; a = a.next_attribute())
                if (std::strcmp(a.name(), b.name()) == 0) return static_cast<size_t>(b.name() - base);
    return std::string_view::npos;
}

// Whether some element holds two attributes of one local name under two
// prefixes bound to one namespace: every pair compared.
bool PlainNamespaceRepeat(const pugi::xml_node& root) {
    for (pugi::xml_node n = root; n; n = Next(n, root))
        for (pugi::xml_attribute b = n.first_attribute(); b; b = b.next_attribute())
            for (pugi::xml_attribute a = n.first_attribute(); a != b; a = a.next_attribute()) {
                const char *ca = std::strchr(a.name(), ':'), *cb = std::strchr(b.name(), ':');
                if (!ca || !cb || std::strcmp(ca, cb) != 0 || std::strncmp(a.name(), "xmlns:", 6) == 0 ||
                    std::strncmp(b.name(), "xmlns:", 6) == 0)
                    continue;
                const char* ua = kiln::xml::NamespaceOfPrefix(n, std::string_view(a.name(), static_cast<size_t>(ca - a.name())));
                const char* ub = kiln::xml::NamespaceOfPrefix(n, std::string_view(b.name(), static_cast<size_t>(cb - b.name())));
                if (ua && ub && *ua && std::strcmp(ua, ub) == 0) return true;
            }
    return false;
}

std::string_view PrefixOf(const char* name) {
    const char* colon = std::strchr(name, ':');
    return colon ? std::string_view(name, static_cast<size_t>(colon - name)) : std::string_view();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    kiln::xml::XmlTextError bad;
    const bool good = kiln::xml::CheckXmlText(text, bad);
    bool sameLocal = false;
    const size_t scanned = kiln::xml::FirstRepeatedAttribute(text, &sameLocal);

    // Each vector width gives the same answers, and the one pass that does
    // both checks gives what the two give apart, but where it refuses a
    // name's character before any fault of the text.
    kiln::xml::XmlTextError inOne;
    size_t inOneTwice = 0;
    bool inOneLocal = false;
    const bool inOneOk = kiln::xml::CheckXmlTextAndAttributes(text, inOne, inOneTwice, inOneLocal);
    const bool nameRefused = !inOneOk && inOne.reason.rfind("XML格式错误：名称", 0) == 0;
    Check(!nameRefused || good || inOne.offset < bad.offset, "a name refused before the text's fault");
    for (const auto width : {kiln::xml::ScanWidth::kWidest, kiln::xml::ScanWidth::kSixteen, kiln::xml::ScanWidth::kOne}) {
        kiln::xml::XmlTextError e;
        const bool ok = kiln::xml::CheckXmlText(text, e, width);
        Check(ok == good && (ok || (e.offset == bad.offset && e.reason == bad.reason)), "the text check at each width");
        bool local = false;
        Check(kiln::xml::FirstRepeatedAttribute(text, &local, width) == scanned && local == sameLocal,
              "the repeated-attribute scan at each width");
        kiln::xml::XmlTextError both;
        size_t twice = 0;
        const bool bothOk = kiln::xml::CheckXmlTextAndAttributes(text, both, twice, local, width);
        Check(bothOk == inOneOk && (bothOk ? twice == inOneTwice && local == inOneLocal
                                           : both.offset == inOne.offset && both.reason == inOne.reason),
              "both checks in one pass at each width");
        Check(nameRefused || (bothOk == good && (bothOk ? twice == scanned && local == sameLocal
                                                        : both.offset == bad.offset && both.reason == bad.reason)),
              "both checks in one pass");
    }
    if (!good) return 0;

    // The same text parsed as the layer parses it, in place: a name's
    // offset in the buffer is its offset in the text.
    std::string copy = text;
    pugi::xml_document doc;
    const unsigned options = pugi::parse_default | pugi::parse_comments | pugi::parse_pi | pugi::parse_doctype |
                             pugi::parse_ws_pcdata_single;
    if (doc.load_buffer_inplace(copy.data(), copy.size(), options, pugi::encoding_utf8).status != pugi::status_ok) return 0;
    Check(scanned == PlainRepeat(doc, copy.data()), "the scan finds the first repeated attribute");
    // (Past a repeated attribute the pass reads on as the text check.)
    if (scanned == std::string_view::npos)
        Check(nameRefused != kiln::fuzz::PlainNamesAllowed(doc), "a text is refused for a name's character when a name holds one");

    // The layer's load: refused for a repeat, else namespaces by scope.
    kiln::xml::XmlDocState state;
    std::string error;
    size_t refusedAt = std::string_view::npos;
    const bool loaded = kiln::xml::ParseXmlText(kiln::file::Bytes(text), state, error, &refusedAt);
    if (scanned != std::string_view::npos) {
        Check(!loaded, "a text with a repeated attribute is not loaded");
        return 0;
    }
    // One name through two prefixes of one namespace: a loaded text holds
    // none, and a text refused for one holds one, by a plain walk.
    const bool namespaceRepeat = PlainNamespaceRepeat(doc.document_element());
    Check(!loaded || !namespaceRepeat, "a name repeated through two prefixes of one namespace is refused");
    // (A refusal for one is placed at an attribute's name, which the
    // message names: other refusals may quote names of any text.)
    bool atAttribute = false;
    for (pugi::xml_node n = doc.document_element(); n && !loaded && !atAttribute; n = Next(n, doc.document_element()))
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
            atAttribute = atAttribute || static_cast<size_t>(a.name() - copy.data()) == refusedAt;
    Check(!atAttribute || error.find("同属命名空间") == std::string::npos || namespaceRepeat,
          "a text refused for a name repeated through two prefixes holds one");
    if (!loaded) return 0;
    const pugi::xml_node root = state.doc.document_element();
    auto same = [&](const pugi::xml_node& element, std::string_view prefix) {
        const char* kept = state.NamespaceOf(element, prefix);
        const char* plain = kiln::xml::NamespaceOfPrefix(element, prefix);
        Check((kept == nullptr) == (plain == nullptr) && (!kept || std::strcmp(kept, plain) == 0),
              "a namespace by the kept scopes is the one in scope");
    };
    auto ask = [&](const pugi::xml_node& e) {
        if (e.type() != pugi::node_element) return;
        same(e, PrefixOf(e.name()));
        for (pugi::xml_attribute a = e.first_attribute(); a; a = a.next_attribute())
            if (std::strchr(a.name(), ':')) same(e, PrefixOf(a.name()));
    };
    // In document order, then the children of each element in turn.
    for (pugi::xml_node n = root; n; n = Next(n, root)) ask(n);
    for (pugi::xml_node n = root; n; n = Next(n, root))
        for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) ask(c);
    return 0;
}
