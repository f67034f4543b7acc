// The entry point of the plug-in module. The host loads the shared library
// and calls the entry point with DLL_PROCESS_ATTACH before it uses anything
// of the module, and with DLL_PROCESS_DETACH before it unloads it; thread
// attach and detach may be passed and do nothing.
//
// Attach links the module's resources (resources/kiln_core.rc beside the
// library: the dialog template of the product selection) into the class
// library's resource chain. It creates no plug-in object and registers
// nothing with the framework; the host constructs CKiln_Main itself.
#pragma once

#include "platform/mfc/extension_module.h"

// 1 on success; 0 when attach fails (the resources cannot be read), and the
// host must then not use the module.
extern "C" __attribute__((visibility("default"))) int KilnModule_Entry(int reason);
