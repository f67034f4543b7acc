// IED instance reader: logs, log, setting-group and report control blocks
// and report clients.
#include <iterator>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

#include "core/scl_ied_roles.h"
#include "core/type_classes.h"
#include "import/import_util.h"
#include "import/kiln_import.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using namespace kiln::import;

namespace {

// The trigger options of a TrgOps element as one control-block value: the
// parts of the options set, in a fixed order, after "#TrgOpControlTypeEnum.";
// "" for a block without TrgOps, which is written back without one.
CString TrgOpsValue(const XmlNode& node) {
    XmlNode trgOps;
    for (const XmlNode& child : Children(node, "TrgOps")) {
        trgOps = child;
        break;
    }
    if (trgOps.IsNull()) return CString();
    auto set = [&](const char* name) { return IsTrueText(AttrText(trgOps, name)); };
    const bool dchg = set("dchg"), dupd = set("dupd");
    // General interrogation is on unless the options say otherwise: SCL's
    // default for an absent gi is true.
    CString giText;
    const bool gi = !ReadAttr(trgOps, "gi", giText) || IsTrueText(giText);
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

// A boolean attribute as the model keeps it: "true" or "false" as the file
// gives it, "" when the file leaves it out (the schema's default stands, and
// the export writes none).
CString KeptBoolText(const XmlNode& node, const char* name) {
    CString text;
    return ReadAttr(node, name, text) ? CString(kiln::core::BoolText(IsTrueText(text))) : CString();
}

}  // namespace

CKiln_Import::DeviceLog& CKiln_Import::DeviceLogOf(CKiln_Main* app, const URI_Ref& ld) {
    const auto [at, added] = m_mapDeviceLogAt.emplace(ld.sUri, m_vDeviceLogs.size());
    if (!added) return m_vDeviceLogs[at->second];
    m_vDeviceLogs.push_back({ld, app->DocMtd_getValue_ofAttr(ld, kRoleName), URI_Ref(), CString(), 0, CString()});
    return m_vDeviceLogs.back();
}

bool CKiln_Import::Import_Log(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString /*ord*/, URI_Ref& log) {
    ++m_nLogCount;
    // Each logical device keeps its first Log; the further ones there are
    // named in one warning once the IED is read (ReportLeftOutLogs).
    DeviceLog& device = DeviceLogOf(app, app->DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LDevice"));
    if (++device.count > 1) {
        CString name;
        const CString log = ReadAttr(node, "name", name) && !name.IsEmpty() ? "Log:" + name : CString("Log");
        device.leftOut += (device.leftOut.IsEmpty() ? "" : "、") + log;
        return false;
    }
    if (!app->NewRsc_Log(&log, lnode)) return false;
    m_uLastLog = log;
    device.log = log;
    CString text;
    // A Log the file names not (every first-edition one) stays nameless.
    app->DocMtd_Modify_attribute_value(log, kRoleName, ReadAttr(node, "name", text) ? text : CString());
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
    // Logging and reason codes as the file gives them; where it leaves them
    // out, SCL's defaults (on) stand.
    app->DocMtd_Modify_attribute_value(lcb, "sec:LCB.logEna", KeptBoolText(node, "logEna"));
    app->DocMtd_Modify_attribute_value(lcb, "sec:LCB.optReasonForInclusion", KeptBoolText(node, "reasonCode"));
    // A period the file does not give is not the creator's: it stays empty.
    app->DocMtd_Modify_attribute_value(lcb, "sec:LCB.intgPd", ReadAttr(node, "intgPd", text) ? text : CString());
    if (ReadAttr(node, "bufTime", text)) app->DocMtd_Modify_attribute_value(lcb, "sec:LCB.bufTime", text);
    // The log's name as the file wrote it (a first-edition file names the
    // logical device there), for a block that finds no Log.
    if (ReadAttr(node, "logName", text)) app->DocMtd_Modify_attribute_value(lcb, "sec:LCB.logName", text);
    // The node of the Log as the file names it (the second edition's log in
    // another device or node), each part only when the file gives it.
    PendingLCB pending{lcb, app->DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LDevice"), AttrText(node, "logName"),
                       {}, false};
    static_assert(std::size(kiln::core::kLogRefAttrRoles) == std::size(pending.logRef));
    for (size_t k = 0; k < std::size(pending.logRef); ++k)
        if (ReadAttr(node, kiln::core::kLogRefAttrRoles[k].attribute, pending.logRef[k])) {
            app->DocMtd_Modify_attribute_value(lcb, kiln::core::kLogRefAttrRoles[k].role, pending.logRef[k]);
            pending.bLogRef = true;
        }
    // A data set the node does not hold is a fault of the file: the block
    // stays without it, and the report says so.
    if (ReadAttr(node, "datSet", text)) {
        auto it = dataSets.find(text);
        if (it != dataSets.end())
            app->DocMtd_add_Association(lcb, "sec:LCB.DataSet", it->second);
        else
            AddOtherError("错误：ICD文件: LCB:" + name, "未找到DataSet:" + text);
    }
    m_vLCBs.push_back(lcb);
    // zScl:logName="" marks a block written without a Log (its plain logName
    // only fills the schema's place): it stays without one.
    CString ownLogName;
    if (node.GetAttribute("zScl:logName", ownLogName) && ownLogName.IsEmpty()) {
        app->DocMtd_clear_Association(lcb, "sec:LCB.Log");
        return true;
    }
    m_vPendingLCBs.push_back(pending);
    return true;
}

void CKiln_Import::ReportLeftOutLogs() {
    for (const DeviceLog& d : m_vDeviceLogs) {
        if (d.count < 2) continue;
        const CString kept = d.logName.IsEmpty() ? CString("Log") : "Log:" + d.logName;
        AddEntry(m_pOtherErrorsNode, "other_error", "警告：ICD文件:  LDevice:" + d.ldName,
                 "存在" + Dec(d.count) + "个Log，只导入了第一个" + kept + "，未导入" + d.leftOut, &m_nWarnings);
    }
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
        if (p.bLogRef) {
            // The node the file names (its own device and LLN0 for a part it
            // leaves out) holds the Log, or the block has none.
            log = p.logRef[0].IsEmpty() ? lookUp(byDevice, p.ld.sUri) : lookUp(byLdName, p.logRef[0].str());
            const URI_Ref node = app->DocMtd_getFirstUri_ofAsso(log, "sec:Log.LNode");
            // Both by the name the ICD gives them (an LLN0 by its class alone).
            const CString lnClass = p.logRef[2].IsEmpty() ? CString("LLN0") : p.logRef[2];
            const CString nodeClass = app->DocMtd_getValue_ofAttr(node, "sec:LNode.lnClass");
            if (log.IsSet() && (nodeClass != lnClass ||
                                kiln::core::NodeNameText(app->DocMtd_getValue_ofAttr(node, "sec:LNode.prefix"), nodeClass,
                                                         app->DocMtd_getValue_ofAttr(node, "sec:LNode.lnInst")) !=
                                    kiln::core::NodeNameText(p.logRef[1], lnClass, p.logRef[3])))
                log = URI_Ref();
            if (log.IsEmpty()) {
                app->DocMtd_clear_Association(p.lcb, "sec:LCB.Log");
                continue;
            }
        } else if (!p.logName.IsEmpty()) {
            // A Log of the name (the LCB's own device first), then a device
            // of that name.
            log = lookUp(byDeviceAndLogName, std::make_pair(p.ld.sUri, p.logName.str()));
            if (log.IsEmpty()) log = lookUp(byLogName, p.logName.str());
            if (log.IsEmpty()) log = lookUp(byLdName, p.logName.str());
            // A name no kept Log answers to (a device's further Log, not
            // kept) names a nameless Log of its own device only: else the
            // block keeps that name and no Log.
            if (log.IsEmpty()) {
                log = lookUp(byDevice, p.ld.sUri);
                if (log.IsEmpty() || !app->DocMtd_getValue_ofAttr(log, kRoleName).IsEmpty()) {
                    app->DocMtd_clear_Association(p.lcb, "sec:LCB.Log");
                    continue;
                }
            }
        }
        // Else its own device's.
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
    // An option the file leaves out stays empty: SCL's default stands (off,
    // but for the buffer overflow, which is on).
    static const std::pair<const char*, const char*> kOptions[] = {
        {"seqNum", "sec:RCB.optSequenceNumber"},   {"timeStamp", "sec:RCB.optReportTimeStamp"},
        {"reasonCode", "sec:RCB.optReasonForInclusion"}, {"dataRef", "sec:RCB.optDataReference"},
        {"dataSet", "sec:RCB.optDataSetName"},     {"bufOvfl", "sec:RCB.optBufferOverflow"},
        {"entryID", "sec:RCB.optEntryID"},         {"configRef", "sec:RCB.optConfRevision"}};
    for (const auto& [attr, role] : kOptions)
        app->DocMtd_Modify_attribute_value(rcb, role, KeptBoolText(optFields, attr));
    // An option of early first-edition files that the schema written has
    // no place for: it is not kept, and the report says so.
    if (ReadAttr(optFields, "segmentation", text))
        AddEntry(m_pOtherErrorsNode, "other_error", "警告：ICD文件: ReportControl:" + AttrText(node, "name"),
                 "未保留OptFields的segmentation=\"" + text + "\"", &m_nWarnings);
    // The period, buffer time and configuration revision the file does not
    // give are not the creator's: they stay empty.
    app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.intgPd", ReadAttr(node, "intgPd", text) ? text : CString());
    app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.confRev", ReadAttr(node, "confRev", text) ? text : CString());
    app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.BRCB_or_URCB", ReadBoolText(node, "buffered", false));
    // Indexed as the file says; empty (SCL's default, indexed) when it is silent.
    app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.indexed", KeptBoolText(node, "indexed"));
    // A block without an id stays without one (the server then uses the
    // block's reference), not the creator's.
    app->DocMtd_Modify_attribute_value(rcb, "sec:RCB.rptID", ReadAttr(node, "rptID", text) ? text : CString());
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
    // A data set the node does not hold is a fault of the file: the block
    // stays without it, and the report says so.
    if (ReadAttr(node, "datSet", text)) {
        auto it = dataSets.find(text);
        if (it != dataSets.end())
            app->DocMtd_add_Association(rcb, "sec:RCB.DataSet", it->second);
        else
            AddOtherError("错误：ICD文件: RCB:" + AttrText(node, "name"), "未找到DataSet:" + text);
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
    const CString lnName = kiln::core::NodeNameText(prefix, lnClass, lnInst);
    m_vPendingRefs.push_back({client, iedName + ldInst + lnName, ldInst, lnName, CString(), CString()});
    return true;
}
