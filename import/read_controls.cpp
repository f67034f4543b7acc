// IED instance reader: logs, log, setting-group and report control blocks
// and report clients.
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

#include "import/import_util.h"
#include "import/kiln_import.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using namespace kiln::import;

namespace {

// The trigger options of a TrgOps element as one control-block value: the
// parts of the options set, in a fixed order, after "#TrgOpControlTypeEnum.".
CString TrgOpsValue(const XmlNode& node) {
    XmlNode trgOps;
    for (const XmlNode& child : Children(node, "TrgOps")) {
        trgOps = child;
        break;
    }
    auto set = [&](const char* name) { return IsTrueText(AttrText(trgOps, name)); };
    const bool dchg = set("dchg"), dupd = set("dupd");
    // General interrogation is on unless the options say otherwise: SCL's
    // default for an absent gi is true.
    CString giText;
    const bool gi = !trgOps.IsNull() && (!ReadAttr(trgOps, "gi", giText) || IsTrueText(giText));
    CString parts;
    if (dchg && dupd)
        parts = "DChg_DUpd";
    else if (dchg)
        parts = "DChg";
    else if (dupd)
        parts = "DUpd";
    if (set("period")) parts += "Period";
    if (gi) parts += "GI";
    if (set("qchg")) parts += "QChg";
    return ModelEnum("TrgOpControlTypeEnum", parts);
}

XmlNode FirstChild(const XmlNode& node, const char* name) {
    for (const XmlNode& child : Children(node, name)) return child;
    return XmlNode();
}

}  // namespace

CKiln_Import::DeviceLog& CKiln_Import::DeviceLogOf(CKiln_Main* app, const URI_Ref& ld) {
    const auto [at, added] = m_mapDeviceLogAt.emplace(ld.sUri, m_vDeviceLogs.size());
    if (!added) return m_vDeviceLogs[at->second];
    m_vDeviceLogs.push_back({ld, app->DocMtd_getValue_ofAttr(ld, kRoleName), URI_Ref(), CString(), 0});
    return m_vDeviceLogs.back();
}

bool CKiln_Import::Import_Log(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString /*ord*/, URI_Ref& log) {
    ++m_nLogCount;
    // Each logical device keeps its first Log; a further one there is noted.
    DeviceLog& device = DeviceLogOf(app, app->DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LDevice"));
    if (++device.count > 1) {
        AddEntry(m_pOtherErrorsNode, "other_error", "ICD文件:  Log", "存在" + Dec(device.count) + "个", nullptr);
        return false;
    }
    if (!app->NewRsc_Log(&log, lnode)) return false;
    m_uLastLog = log;
    device.log = log;
    CString text;
    if (ReadAttr(node, "name", text)) app->DocMtd_Modify_attribute_value(log, kRoleName, text);
    if (ReadAttr(node, "desc", text)) app->DocMtd_Modify_attribute_value(log, "cim:Naming.description", text);
    device.logName = app->DocMtd_getValue_ofAttr(log, kRoleName);
    return true;
}

bool CKiln_Import::Import_LCB(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString ord,
                              const ImportNameTable& dataSets) {
    URI_Ref lcb;
    if (!app->NewRsc_LCB(&lcb, lnode, URI_Ref())) return true;
    app->DocMtd_Modify_attribute_value(lcb, kRoleOrd, ord);
    app->DocMtd_Modify_attribute_value(lcb, "sec:LCB.trgOp", TrgOpsValue(node));
    CString name, text;
    if (ReadAttr(node, "name", name)) app->DocMtd_Modify_attribute_value(lcb, kRoleName, name);
    if (ReadAttr(node, "desc", text)) app->DocMtd_Modify_attribute_value(lcb, "cim:Naming.description", text);
    // Logging and reason codes are on where the file leaves them out, as
    // SCL's defaults have it.
    app->DocMtd_Modify_attribute_value(lcb, "sec:LCB.logEna", ReadBoolText(node, "logEna", true));
    app->DocMtd_Modify_attribute_value(lcb, "sec:LCB.optReasonForInclusion", ReadBoolText(node, "reasonCode", true));
    // A period the file does not give is not the creator's: it stays empty.
    app->DocMtd_Modify_attribute_value(lcb, "sec:LCB.intgPd", ReadAttr(node, "intgPd", text) ? text : CString());
    if (ReadAttr(node, "bufTime", text)) app->DocMtd_Modify_attribute_value(lcb, "sec:LCB.bufTime", text);
    // The log's name as the file wrote it (a first-edition file names the
    // logical device there), for a block that finds no Log.
    if (ReadAttr(node, "logName", text)) app->DocMtd_Modify_attribute_value(lcb, "sec:LCB.logName", text);
    if (ReadAttr(node, "datSet", text)) {
        auto it = dataSets.find(text);
        if (it == dataSets.end()) {
            // The LCB goes, and so it is never linked to a Log.
            app->DocMtd_delete_a_Rsc(lcb);
            AddOtherError("错误：ICD文件: LCB:" + name, "未找到DataSet:" + text);
            return true;
        }
        app->DocMtd_add_Association(lcb, "sec:LCB.DataSet", it->second);
    }
    m_vLCBs.push_back(lcb);
    // zScl:logName="" marks a block written without a Log (its plain logName
    // only fills the schema's place): it stays without one.
    CString ownLogName;
    if (node.GetAttribute("zScl:logName", ownLogName) && ownLogName.IsEmpty()) {
        app->DocMtd_clear_Association(lcb, "sec:LCB.Log");
        return true;
    }
    m_vPendingLCBs.push_back({lcb, app->DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LDevice"),
                              AttrText(node, "logName"), AttrText(node, "ldInst")});
    return true;
}

void CKiln_Import::LinkLCBsToLogs(CKiln_Main* app) {
    // The first device (in reading order) with a Log under each key, so that
    // each LCB finds its Log without going through every device.
    std::unordered_map<std::string, URI_Ref> byLdName, byLogName, byDevice;
    std::map<std::pair<std::string, std::string>, URI_Ref> byDeviceAndLogName;
    for (const DeviceLog& d : m_vDeviceLogs) {
        if (d.log.IsEmpty()) continue;
        byLdName.emplace(d.ldName.str(), d.log);
        byLogName.emplace(d.logName.str(), d.log);
        byDevice.emplace(d.ld.sUri, d.log);
        byDeviceAndLogName.emplace(std::make_pair(d.ld.sUri, d.logName.str()), d.log);
    }
    auto lookUp = [](const auto& index, const auto& key) {
        auto it = index.find(key);
        return it == index.end() ? URI_Ref() : it->second;
    };
    for (const PendingLCB& p : m_vPendingLCBs) {
        URI_Ref log;
        // The device the file names, then a Log of the name (the LCB's own
        // device first), then a device of that name, then its own device.
        if (!p.ldInst.IsEmpty()) log = lookUp(byLdName, p.ldInst.str());
        if (log.IsEmpty() && !p.logName.IsEmpty()) {
            log = lookUp(byDeviceAndLogName, std::make_pair(p.ld.sUri, p.logName.str()));
            if (log.IsEmpty()) log = lookUp(byLogName, p.logName.str());
            if (log.IsEmpty()) log = lookUp(byLdName, p.logName.str());
        }
        if (log.IsEmpty()) log = lookUp(byDevice, p.ld.sUri);
        // Without a Log of its own the LCB keeps the one its creator chose.
        if (log.IsSet() && app->DocMtd_getFirstUri_ofAsso(p.lcb, "sec:LCB.Log") != log)
            app->DocMtd_update_Association(p.lcb, "sec:LCB.Log", log);
    }
}

bool CKiln_Import::Import_SGCB(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString ord, URI_Ref& sgcb) {
    if (!app->NewRsc_SGCB(&sgcb, lnode)) return true;
    app->DocMtd_Modify_attribute_value(sgcb, kRoleName, "SGCB");
    CString actText, numText, text;
    // The file's description, none where it has none (not the creator's).
    app->DocMtd_Modify_attribute_value(sgcb, "cim:Naming.description", AttrText(node, "desc"));
    if (ReadAttr(node, "resvTms", text)) app->DocMtd_Modify_attribute_value(sgcb, "sec:SGCB.resvTms", text);
    int actSG = 0;
    if (ReadAttr(node, "actSG", actText)) {
        app->DocMtd_Modify_attribute_value(sgcb, "sec:SGCB.activeSG", actText);
        if (!actText.IsEmpty()) actSG = LeadingInt(actText);
    }
    if (ReadAttr(node, "numOfSGs", numText)) {
        const int numOfSGs = LeadingInt(numText);
        if (numOfSGs > 0 && numOfSGs >= actSG) {
            app->DocMtd_Modify_attribute_value(sgcb, "sec:SGCB.numOfSG", numText);
        } else {
            app->DocMtd_Modify_attribute_value(sgcb, "sec:SGCB.numOfSG", "1");
            AddOtherError("错误：ICD文件: SGCB", "numOfSGs 或 actSG 数量错误");
        }
    }
    app->DocMtd_Modify_attribute_value(sgcb, kRoleOrd, ord);
    return true;
}

bool CKiln_Import::Import_RCB(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString ord,
                              const ImportNameTable& dataSets) {
    URI_Ref rcb;
    if (!app->NewRsc_RCB(&rcb, lnode, URI_Ref())) return true;
    app->DocMtd_Modify_attribute_value(rcb, kRoleOrd, ord);
    const XmlNode rptEnabled = FirstChild(node, "RptEnabled");
    const XmlNode optFields = FirstChild(node, "OptFields");
    app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.rptEna", rptEnabled.IsNull() ? "false" : "true");
    const CString trgOp = TrgOpsValue(node);
    CString text;
    if (ReadAttr(node, "name", text)) app->DocMtd_Modify_attribute_value(rcb, kRoleName, text);
    app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.trgOp", trgOp);
    // An option the file leaves out has SCL's default: off, but for the
    // buffer overflow, which is on.
    static const struct {
        const char* attr;
        const char* role;
        bool absent;
    } kOptions[] = {{"seqNum", "sec:RCB.optSequenceNumber", false},
                    {"timeStamp", "sec:RCB.optReportTimeStamp", false},
                    {"reasonCode", "sec:RCB.optReasonForInclusion", false},
                    {"dataRef", "sec:RCB.optDataReference", false},
                    {"dataSet", "sec:RCB.optDataSetName", false},
                    {"bufOvfl", "sec:RCB.optBufferOverflow", true},
                    {"entryID", "sec:RCB.optEntryID", false},
                    {"configRef", "sec:RCB.optConfRevision", false}};
    for (const auto& o : kOptions)
        app->DocMtd_Modify_attribute_value(rcb, o.role, ReadBoolText(optFields, o.attr, o.absent));
    // An option of early first-edition files that the schema written has
    // no place for: it is not kept, and the report says so.
    if (ReadAttr(optFields, "segmentation", text))
        AddEntry(m_pOtherErrorsNode, "other_error", "警告：ICD文件: ReportControl:" + AttrText(node, "name"),
                 "未保留OptFields的segmentation=\"" + text + "\"", &m_nWarnings);
    // The period and buffer time the file does not give are not the
    // creator's: they stay empty.
    app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.intgPd", ReadAttr(node, "intgPd", text) ? text : CString());
    if (ReadAttr(node, "confRev", text)) app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.confRev", text);
    app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.BRCB_or_URCB", ReadBoolText(node, "buffered", false));
    // Indexed as the file says; empty (SCL's default, indexed) when it is silent.
    const CString indexed = ReadAttr(node, "indexed", text) ? ReadBoolText(node, "indexed", true) : CString();
    app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.indexed", indexed);
    if (ReadAttr(node, "rptID", text)) app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.rptID", text);
    app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.bufIm", ReadAttr(node, "bufTime", text) ? text : CString());
    if (ReadAttr(node, "desc", text)) app->DocMtd_Modify_attribute_value(rcb, "cim:Naming.description", text);
    // The number of clients; SCL's default for an absent max is 1.
    if (!rptEnabled.IsNull()) {
        app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.rptEnabledMax",
                                           ReadAttr(rptEnabled, "max", text) ? text : CString("1"));
        if (ReadAttr(rptEnabled, "desc", text)) app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.rptEnabledDesc", text);
    }
    // Values of the block that SCL has no attribute for; the writers keep them
    // as zScl: attributes.
    for (const char* role : {"sqNum", "purgeBuf", "entryID", "timeOfEntry"})
        if (ReadAttr(node, role, text)) app->DocMtd_Modify_attribute_value(rcb, CString("sec:RCB.") + role, text);
    if (ReadAttr(node, "datSet", text)) {
        auto it = dataSets.find(text);
        if (it != dataSets.end()) app->DocMtd_add_Association(rcb, "sec:RCB.DataSet", it->second);
    }
    // The clients, with or without a data set (SCL's datSet is optional).
    long i = 0;
    for (const XmlNode& client : Children(rptEnabled, "ClientLN")) Import_ClientLN(app, rcb, client, Dec(++i));
    return true;
}

bool CKiln_Import::Import_ClientLN(CKiln_Main* app, URI_Ref rcb, XmlNode node, CString ord) {
    URI_Ref client;
    if (!app->NewRsc_ClientLN(&client, rcb)) return true;
    const CString iedName = AttrText(node, "iedName"), lnInst = AttrText(node, "lnInst"),
                  lnClass = AttrText(node, "lnClass"), prefix = AttrText(node, "prefix"),
                  ldInst = AttrText(node, "ldInst");
    app->DocMtd_Modify_attribute_value(client, kRoleOrd, ord);
    CString name;
    if (ReadAttr(node, "name", name)) app->DocMtd_Modify_attribute_value(client, kRoleName, name);
    // What names the client, kept whether or not the client is in this file.
    static const char* const kRefs[][2] = {{"iedName", "sec:ClientLN.iedName"}, {"ldInst", "sec:ClientLN.ldInst"},
                                           {"prefix", "sec:ClientLN.prefix"},   {"lnClass", "sec:ClientLN.lnClass"},
                                           {"lnInst", "sec:ClientLN.lnInst"},   {"apRef", "sec:ClientLN.apRef"},
                                           {"desc", "cim:Naming.description"}};
    CString text;
    for (const auto& [attr, role] : kRefs)
        if (ReadAttr(node, attr, text)) app->DocMtd_Modify_attribute_value(client, role, text);
    const CString lnName = prefix + lnClass + lnInst;
    m_vPendingRefs.push_back({client, iedName + ldInst + lnName, ldInst, lnName, CString(), CString()});
    return true;
}
