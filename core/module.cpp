#include "core/module.h"

#include <dlfcn.h>

namespace {

AFX_EXTENSION_MODULE g_moduleState;

// The path of the shared library that holds this code.
CString ownModulePath() {
    Dl_info info{};
    static const int anchor = 0;
    if (dladdr(&anchor, &info) == 0 || !info.dli_fname) return CString();
    return CString(info.dli_fname);
}

}  // namespace

extern "C" int KilnModule_Entry(int reason) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        if (!AfxInitExtensionModule(g_moduleState, ownModulePath())) return 0;
        // The chain owns the object and AfxTermExtensionModule deletes it.
        new CDynLinkLibrary(g_moduleState, false);
        return 1;
    case DLL_PROCESS_DETACH:
        AfxTermExtensionModule(g_moduleState, false);
        return 1;
    default:  // thread attach and detach
        return 1;
    }
}
