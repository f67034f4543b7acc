// Names SCL holds once: a node's prefix, class and instance in its device,
// a device's name in its IED. A new or pasted node or device whose name is
// taken takes the first free number, and the status line says so; the
// property view asks whether an edited name is taken.
#pragma once

#include <map>
#include <set>

#include "core/kiln_main.h"

namespace kiln::core {

// The instances the nodes of one LN class hold in a device, by prefix.
class CNodeInstances {
public:
    // The device's nodes of the class, `except` left out.
    CNodeInstances(CKiln_Main& app, const URI_Ref& ld, const CString& lnClass, const URI_Ref& except = URI_Ref());

    bool Taken(const CString& prefix, const CString& inst) const;
    // `node`, new in the device, keeps its instance when free; else it takes
    // the first free one from the number after the class's other nodes on,
    // said on the status line ("逻辑节点PTOC2已存在，新逻辑节点命名为PTOC3").
    // Then it counts among the others. An LLN0 has no instance to free.
    void Free(const URI_Ref& node);

private:
    CKiln_Main& m_app;
    CString m_class;
    int m_others = 0;
    std::map<CString, std::set<CString>> m_taken;
};

// The path from an IED to its devices.
inline constexpr const char* kDevicesOfIed = "sec:IED.Servers/sec:Server.LDevices";

// `ld`, new in its IED, keeps its name when free; else it is named as a new
// device is, "LD_" and the first free number from the count of the IED's
// devices on, said on the status line.
void FreeDeviceName(CKiln_Main& app, const URI_Ref& ld);

}  // namespace kiln::core
