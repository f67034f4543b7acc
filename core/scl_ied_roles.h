// The attributes of an IED, and of the access point, server and
// authentication each logical device stands under (and of a log control
// block's reference to its Log), that the model keeps as a file wrote them:
// each SCL attribute with its role. The ICD import reads them; the ICD
// export writes those a model holds (the IED's over the template's).
#pragma once

#include <string_view>

namespace kiln::core {

struct SclAttrRole {
    const char* element;  // "IED", "AccessPoint", "Server" or "Authentication"
    const char* attribute;
    const char* role;
};

// On the IED (its name, desc and type have roles of their own).
inline constexpr SclAttrRole kIedAttrRoles[] = {
    {"IED", "manufacturer", "sec:IED.manufacturer"},
    {"IED", "configVersion", "sec:IED.configVersion"},
    {"IED", "originalSclVersion", "sec:IED.originalSclVersion"},
    {"IED", "originalSclRevision", "sec:IED.originalSclRevision"},
    {"IED", "originalSclRelease", "sec:IED.originalSclRelease"},
    {"IED", "engRight", "sec:IED.engRight"},
    {"IED", "owner", "sec:IED.owner"},
};

// On each logical device, for its access point (whose name is
// "sec:LDevice.apName"), the point's server and the server's authentication.
inline constexpr SclAttrRole kAccessPointAttrRoles[] = {
    {"AccessPoint", "desc", "sec:LDevice.apDesc"},
    {"AccessPoint", "router", "sec:LDevice.apRouter"},
    {"AccessPoint", "clock", "sec:LDevice.apClock"},
    {"AccessPoint", "kdc", "sec:LDevice.apKdc"},
    {"Server", "desc", "sec:LDevice.serverDesc"},
    {"Server", "timeout", "sec:LDevice.serverTimeout"},
    {"Authentication", "none", "sec:LDevice.authNone"},
    {"Authentication", "password", "sec:LDevice.authPassword"},
    {"Authentication", "weak", "sec:LDevice.authWeak"},
    {"Authentication", "strong", "sec:LDevice.authStrong"},
    {"Authentication", "certificate", "sec:LDevice.authCertificate"},
};

// On a log control block, the node of its Log as its file named it (the
// second edition's log in another device or node), in this order.
inline constexpr SclAttrRole kLogRefAttrRoles[] = {
    {"LogControl", "ldInst", "sec:LCB.ldInst"},
    {"LogControl", "prefix", "sec:LCB.prefix"},
    {"LogControl", "lnClass", "sec:LCB.lnClass"},
    {"LogControl", "lnInst", "sec:LCB.lnInst"},
};

// The attributes by which an input (ExtRef) or a report's client (ClientLN)
// names its node as its file wrote them, kept in the class's role of the
// same name ("sec:ExtRef.iedName"): they stand for a node outside the model.
inline constexpr const char* kNodeRefAttributes[] = {"iedName", "ldInst", "prefix", "lnClass", "lnInst"};

// On a report control block's RptEnabled. A block whose rptEna is off
// writes no RptEnabled, and a file without one is read so: such a block
// holds neither.
inline constexpr SclAttrRole kRptEnabledAttrRoles[] = {
    {"RptEnabled", "max", "sec:RCB.rptEnabledMax"},
    {"RptEnabled", "desc", "sec:RCB.rptEnabledDesc"},
};
inline bool WritesRptEnabled(std::string_view rptEna) { return rptEna != "false"; }

}  // namespace kiln::core
