// The XML layer's load of a file declared in GB2312 (or, by the first byte,
// GBK, GB18030 or nothing), then a walk of its text and attributes. The
// GB18030 conversion of the same bytes gives one answer at each vector
// width, and the same again in a room of the exact size of its text (where
// the checked way does most of the work); one byte less is refused. A
// loaded document's names hold only characters XML allows in names.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "fuzz/plain_names.h"
#include "platform/xml/gb18030_decode.h"
#include "platform/xml/xml_doc_state.h"
#include "platform/xml/xml_file.h"

namespace {

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "failed: %s\n", what);
    std::abort();
}

struct Converted {
    bool ok = false;
    size_t bad = 0;
    std::string text;
};

// The conversion into exactly `room` bytes (a buffer of that size, so that
// the sanitizer sees any store past it).
Converted Convert(const std::string& in, size_t room, kiln::xml::ScanWidth width) {
    std::unique_ptr<char[]> buf(new char[room]);
    Converted c;
    size_t n = room;
    c.ok = kiln::xml::Gb18030ToUtf8(in.data(), in.size(), buf.get(), n, &c.bad, width);
    c.text.assign(buf.get(), c.ok ? n : 0);
    if (c.ok) Check(n <= room, "the size within the room");
    return c;
}

void CompareConversions(const std::string& in) {
    const Converted plain = Convert(in, 2 * in.size(), kiln::xml::ScanWidth::kOne);
    for (const auto width : {kiln::xml::ScanWidth::kWidest, kiln::xml::ScanWidth::kSixteen}) {
        const Converted c = Convert(in, 2 * in.size(), width);
        Check(c.ok == plain.ok && (c.ok ? c.text == plain.text : c.bad == plain.bad), "the conversion at each width");
    }
    if (!plain.ok) return;
    for (const auto width : {kiln::xml::ScanWidth::kWidest, kiln::xml::ScanWidth::kOne}) {
        const Converted exact = Convert(in, plain.text.size(), width);
        Check(exact.ok && exact.text == plain.text, "the conversion in the room of its text");
        if (!plain.text.empty()) Check(!Convert(in, plain.text.size() - 1, width).ok, "a byte too little room refused");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    CompareConversions(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    static const char* const kDecl[] = {"GB2312", "GBK", "GB18030", nullptr};
    const char* enc = kDecl[data[0] % 4];
    std::string bytes = enc ? std::string("<?xml version=\"1.0\" encoding=\"") + enc + "\"?>" : std::string();
    bytes.append(reinterpret_cast<const char*>(data) + 1, size - 1);
    kiln::xml::XmlDocState state;
    std::string error;
    if (!kiln::xml::ParseXmlText(kiln::file::Bytes(bytes), state, error)) return 0;
    Check(kiln::fuzz::PlainNamesAllowed(state.doc), "the names of a loaded document are allowed");
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
