// A CIM-XML domain file read into a fresh document as a new domain, then
// written back: refused or read, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/framework/cim_doc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CBase_CimDoc doc;
    if (!doc.isOpened()) return 0;
    CString text(std::string(reinterpret_cast<const char*>(data), size));
    if (doc.StrToCimDomain(text, "fuzz#")) {
        CString back;
        doc.CimDomainToStr("fuzz#", back);
    }
    return 0;
}
