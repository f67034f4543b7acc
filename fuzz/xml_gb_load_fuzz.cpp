// The XML layer's load of a file declared in GB2312 (or, by the first byte,
// GBK, GB18030 or nothing), then a walk of its text and attributes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/xml/xml_doc_state.h"
#include "platform/xml/xml_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const char* const kDecl[] = {"GB2312", "GBK", "GB18030", nullptr};
    const char* enc = kDecl[data[0] % 4];
    std::string bytes = enc ? std::string("<?xml version=\"1.0\" encoding=\"") + enc + "\"?>" : std::string();
    bytes.append(reinterpret_cast<const char*>(data) + 1, size - 1);
    kiln::xml::XmlDocState state;
    std::string error;
    if (!kiln::xml::ParseXmlText(kiln::file::Bytes(bytes), state, error)) return 0;
    size_t total = 0;
    for (pugi::xml_node n = state.doc.document_element(); n;) {
        total += std::char_traits<char>::length(n.value());
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) total += a.value()[0] != 0;
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n && !n.next_sibling()) n = n.parent();
        if (n) n = n.next_sibling();
    }
    return static_cast<int>(total & 0);
}
