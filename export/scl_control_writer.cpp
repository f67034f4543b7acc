// Control blocks, data sets and inputs of a logical node: SettingControl,
// Log, LogControl, DataSet with FCDA, ExtRef and ReportControl with its
// clients. Values the schema has no attribute for are written as zScl:
// attributes of the control block.
#include <iterator>

#include "core/array_elements.h"
#include "core/kiln_main.h"
#include "core/scl_ied_roles.h"
#include "core/scl_names.h"
#include "core/type_classes.h"
#include "export/export_util.h"
#include "export/kiln_export.h"

using namespace kiln::exporter;

namespace {

// An unsigned decimal without sign or blanks; false for anything else.
bool ReadCount(const CString& text, long long& out) {
    if (text.IsEmpty() || text.GetLength() > 9) return false;
    for (int i = 0; i < text.GetLength(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    out = std::stoll(text.str());
    return true;
}

// The logical node a DARef names, with what identifies it in SCL.
struct NodeRef {
    URI_Ref node;
    CString ldInst, prefix, lnClass, lnInst;
};

// A reference's node fields as every writer gives them: a node of this
// IED that is an LLN0 (a log block's reference without a class names one)
// by its class alone, since it is written as LN0, which has neither prefix
// nor instance; with either, the reference would name no node of the file.
// A reference to another IED's node stays as its file named it.
NodeRef InWrittenForm(NodeRef r, bool bOwnIed, bool bLln0WithoutClass = false) {
    if (bOwnIed && (r.lnClass == "LLN0" || (bLln0WithoutClass && r.lnClass.IsEmpty())))
        r.prefix = r.lnInst = CString();
    return r;
}

NodeRef ReadNodeRef(CKiln_Main* pMain, const URI_Ref& lnode) {
    NodeRef r;
    r.node = lnode;
    if (lnode.IsEmpty()) return r;
    r.ldInst = FirstName(pMain, lnode, "sec:LNode.LDevice");
    r.prefix = Attr(pMain, lnode, "sec:LNode.prefix");
    r.lnClass = LnClassOf(pMain, lnode);
    // A second LLN0 of its device is not written: a reference to it is
    // left out as one to no node, never given to the device's LLN0.
    if (r.lnClass == "LLN0" && IsSecondLln0(pMain, lnode)) return NodeRef{lnode, {}, {}, {}, {}};
    r.lnInst = Attr(pMain, lnode, "sec:LNode.lnInst");
    return InWrittenForm(r, true);
}

// The names by which a reference names the IED written: the name its file
// gives it, the model's name of it, and "@" (an input's own IED).
struct OwnIedNames {
    CString file, model;
    bool Name(const CString& iedName) const {
        return iedName == "@" || (!iedName.IsEmpty() && (iedName == file || iedName == model));
    }
};

// A node outside the model, as the file named it (or the user typed it) in
// the roles of `cls` ("sec:ClientLN", "sec:ExtRef"); its IED's name goes to
// `iedName`. One that names the IED written is in the written form.
NodeRef KeptNodeRef(CKiln_Main* pMain, const URI_Ref& member, const CString& cls, const OwnIedNames& own,
                    CString& iedName) {
    NodeRef r;
    iedName = Attr(pMain, member, cls + ".iedName");
    r.ldInst = Attr(pMain, member, cls + ".ldInst");
    r.prefix = Attr(pMain, member, cls + ".prefix");
    r.lnClass = Attr(pMain, member, cls + ".lnClass");
    r.lnInst = Attr(pMain, member, cls + ".lnInst");
    return InWrittenForm(r, own.Name(iedName));
}

// A data reference as the export names it: "doName.daName", or the DO alone.
CString DataRefLabel(const CString& doName, const CString& daName) {
    return daName.IsEmpty() ? doName : doName + "." + daName;
}

URI_Ref FirstMember(CKiln_Main* pMain, const URI_Ref& rsc, const CString& role) {
    std::vector<URI_Ref> list;
    if (!Members(pMain, rsc, role, list) || list.empty()) return URI_Ref();
    return list.front();
}

}  // namespace

bool CKiln_Export::Export_TrgOps(const XmlNode& parent, CBase_XML& xml, const CString& trgOp, bool bGi) {
    // A block that holds no trigger options (read from a file without
    // TrgOps) is written without them.
    if (trgOp.IsEmpty() && !bGi) return true;
    const CString text = Reduce(trgOp);
    const bool dchg = text.Find("DChg") >= 0;
    const bool qchg = text.Find("QChg") >= 0;
    const bool gi = bGi || text.Find("GI") >= 0;
    const bool dupd = text.Find("DUpd") >= 0;
    const bool period = text.Find("Period") >= 0;
    XmlNode element = xml.AddNewNode_withAttrs(parent, "TrgOps", Names({"dchg", "dupd", "qchg", "gi", "period"}));
    if (!element) return false;
    // Every flag is written: the schema's default of gi is true.
    auto flag = [](bool b) { return CString(b ? "true" : "false"); };
    Put(xml, element, "dchg", flag(dchg));
    Put(xml, element, "dupd", flag(dupd));
    Put(xml, element, "qchg", flag(qchg));
    Put(xml, element, "gi", flag(gi));
    Put(xml, element, "period", flag(period));
    return true;
}

bool CKiln_Export::Export_SGCB(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& sgcb) {
    CString name;
    if (!ReadName(pMain, sgcb, name)) return false;
    const CString storedCount = Attr(pMain, sgcb, "sec:SGCB.numOfSG");
    const CString activeSG = Attr(pMain, sgcb, "sec:SGCB.activeSG");
    // The block's own description (the creator's for a block made in the
    // model) and reservation time, each only when it holds one.
    const CString desc = Attr(pMain, sgcb, "cim:Naming.description");
    const CString resvTms = Attr(pMain, sgcb, "sec:SGCB.resvTms");
    CStringArray attrs;
    if (!desc.IsEmpty()) attrs.Add("desc");
    attrs.Add("actSG");
    attrs.Add("numOfSGs");
    if (!resvTms.IsEmpty()) attrs.Add("resvTms");
    XmlNode element = xml.AddNewNode_withAttrs(parent, "SettingControl", attrs);
    if (!element) return false;
    const CString numOfSGs = storedCount.IsEmpty() ? CString("5") : storedCount;
    // The active group stands when it lies within 1 .. numOfSGs.
    long long count = 0, active = 0;
    const bool bActive = ReadCount(numOfSGs, count) && ReadCount(activeSG, active) && active >= 1 && active <= count;
    // An active group past a sound number of groups is written as the
    // first (a number of groups SCL refuses is named as a breach).
    if (!bActive && !activeSG.IsEmpty() && ReadCount(numOfSGs, count) && count >= 1)
        m_vLeftOut.push_back("定值控制块的激活定值组（超出定值组数" + numOfSGs + "）：" + m_strNodePath + "." + name + ":" +
                             activeSG);
    if (!desc.IsEmpty()) Put(xml, element, "desc", desc);
    Put(xml, element, "actSG", bActive ? activeSG : CString("1"));
    Put(xml, element, "numOfSGs", numOfSGs);
    if (!resvTms.IsEmpty()) Put(xml, element, "resvTms", resvTms);
    return true;
}

bool CKiln_Export::Export_Log(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& log) {
    CString name;
    ReadName(pMain, log, name);
    const CString desc = Attr(pMain, log, "cim:Naming.description");
    // A nameless Log (a first-edition file's) is written without a name.
    CStringArray attrs;
    if (!name.IsEmpty()) attrs.Add("name");
    if (!desc.IsEmpty()) attrs.Add("desc");
    XmlNode element = xml.AddNewNode_withAttrs(parent, "Log", attrs);
    if (!element) return false;
    if (!name.IsEmpty()) Put(xml, element, "name", name);
    if (!desc.IsEmpty()) Put(xml, element, "desc", desc);
    return true;
}

URI_Ref CKiln_Export::WrittenDataSetOf(CKiln_Main* pMain, const URI_Ref& block, const CString& role,
                                       const CString& blockName) {
    const URI_Ref dataSet = FirstMember(pMain, block, role);
    // A block without one (its data set deleted, or none given) is valid
    // SCL without datSet: nothing is left out, and it is named as it is.
    if (dataSet.IsEmpty()) {
        m_vWithoutDataSet.push_back(m_strNodePath + "." + blockName);
        return dataSet;
    }
    if (Is_DataSetWritten(pMain, dataSet)) return dataSet;
    m_vLeftOut.push_back("控制块的数据集引用（数据集未导出）：" + m_strNodePath + "." + blockName + ":" +
                         Attr(pMain, dataSet, kiln::core::kRoleName));
    return URI_Ref();
}

namespace {

// The node of an LCB's log as the LogControl names it, each part "" where
// it is written without (its own device, LLN0): the block's kept reference
// (as its file named it) while that still names its Log's node, else the
// Log's node.
NodeRef LogRefOf(CKiln_Main* pMain, const URI_Ref& lcb, const URI_Ref& log) {
    NodeRef kept;
    CString* parts[] = {&kept.ldInst, &kept.prefix, &kept.lnClass, &kept.lnInst};  // by kLogRefAttrRoles
    bool bKept = false;
    for (size_t k = 0; k < std::size(parts); ++k) {
        *parts[k] = Attr(pMain, lcb, kiln::core::kLogRefAttrRoles[k].role);
        bKept = bKept || !parts[k]->IsEmpty();
    }
    // The log of a log control block lies in its own IED.
    kept = InWrittenForm(kept, true, true);
    const CString ownLd = FirstName(pMain, lcb, "sec:LCB.LNode/sec:LNode.LDevice");
    if (log.IsEmpty()) return kept;
    NodeRef ref = ReadNodeRef(pMain, pMain->DocMtd_getFirstUri_ofAsso(log, "sec:Log.LNode"));
    if (bKept && (kept.ldInst.IsEmpty() ? ownLd : kept.ldInst) == ref.ldInst &&
        (kept.lnClass.IsEmpty() ? CString("LLN0") : kept.lnClass) == ref.lnClass && kept.prefix == ref.prefix &&
        kept.lnInst == ref.lnInst)
        return kept;
    if (ref.ldInst == ownLd) ref.ldInst = CString();
    if (ref.lnClass == "LLN0") ref.lnClass = CString();
    return ref;
}

}  // namespace

bool CKiln_Export::Export_LCBs(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& lcb) {
    CString name;
    if (!ReadName(pMain, lcb, name)) return false;
    const URI_Ref dataSet = WrittenDataSetOf(pMain, lcb, "sec:LCB.DataSet", name);
    const CString datSet = dataSet.IsSet() ? Attr(pMain, dataSet, kiln::core::kRoleName) : CString();
    // The log is named by its own name and found in its logical node.
    const URI_Ref log = pMain->DocMtd_getFirstUri_ofAsso(lcb, "sec:LCB.Log");
    const NodeRef logRef = LogRefOf(pMain, lcb, log);
    const CString logEna = Attr(pMain, lcb, "sec:LCB.logEna");
    const CString reason = Attr(pMain, lcb, "sec:LCB.optReasonForInclusion");
    const CString trgOp = Attr(pMain, lcb, "sec:LCB.trgOp");
    const CString intgPd = Attr(pMain, lcb, "sec:LCB.intgPd");
    // The integrity period the block holds, the period trigger on or not.
    const bool bIntgPd = !intgPd.IsEmpty();
    const CString bufTime = Attr(pMain, lcb, "sec:LCB.bufTime");
    const CString desc = Attr(pMain, lcb, "cim:Naming.description");

    const std::pair<const char*, CString> refs[] = {
        {"ldInst", logRef.ldInst}, {"prefix", logRef.prefix}, {"lnClass", logRef.lnClass}, {"lnInst", logRef.lnInst}};
    CStringArray attrs = Names({"name"});
    for (const auto& [attr, value] : refs)
        if (!value.IsEmpty()) attrs.Add(attr);
    // logName is the Log's; for a block without a Log or with a nameless
    // one the name its file wrote there (a first-edition file names a
    // logical device), else the Log's device. A block left with none is
    // written without one, which the rules check names: no name is made up
    // for it. zScl:logName="" keeps that it has no Log.
    const bool bNoLog = log.IsEmpty();
    CString logName = bNoLog ? CString() : Attr(pMain, log, kiln::core::kRoleName);
    if (logName.IsEmpty()) logName = Attr(pMain, lcb, "sec:LCB.logName");
    if (logName.IsEmpty() && !bNoLog) logName = FirstName(pMain, log, "sec:Log.LNode/sec:LNode.LDevice");
    if (!logName.IsEmpty()) attrs.Add("logName");
    if (dataSet.IsSet()) attrs.Add("datSet");
    if (!logEna.IsEmpty()) attrs.Add("logEna");
    if (!reason.IsEmpty()) attrs.Add("reasonCode");
    if (!bufTime.IsEmpty()) attrs.Add("bufTime");
    if (bIntgPd) attrs.Add("intgPd");
    if (!desc.IsEmpty()) attrs.Add("desc");
    if (bNoLog) attrs.Add("zScl:logName");
    XmlNode element = xml.AddNewNode_withAttrs(parent, "LogControl", attrs);
    if (!element) return false;
    Put(xml, element, "name", name);
    for (const auto& [attr, value] : refs)
        if (!value.IsEmpty()) Put(xml, element, attr, value);
    if (!logName.IsEmpty()) Put(xml, element, "logName", logName);
    if (dataSet.IsSet()) Put(xml, element, "datSet", datSet);
    if (!logEna.IsEmpty()) Put(xml, element, "logEna", logEna);
    if (!reason.IsEmpty()) Put(xml, element, "reasonCode", reason);
    if (!bufTime.IsEmpty()) Put(xml, element, "bufTime", bufTime);
    if (bIntgPd) Put(xml, element, "intgPd", intgPd);
    if (!desc.IsEmpty()) Put(xml, element, "desc", desc);
    return Export_TrgOps(element, xml, trgOp, false);
}

bool CKiln_Export::Export_RCBs(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& rcb) {
    CString name;
    if (!ReadName(pMain, rcb, name)) return false;
    const URI_Ref dataSet = WrittenDataSetOf(pMain, rcb, "sec:RCB.DataSet", name);
    const CString datSet = dataSet.IsSet() ? Attr(pMain, dataSet, kiln::core::kRoleName) : CString();
    const CString rptID = Attr(pMain, rcb, "sec:RCB.rptID");
    const CString confRev = Attr(pMain, rcb, "sec:RCB.confRev");
    const CString desc = Attr(pMain, rcb, "cim:Naming.description");
    const bool bBuffered = Attr(pMain, rcb, "sec:RCB.BRCB_or_URCB").Find("true") >= 0;
    const CString bufTime = Attr(pMain, rcb, "sec:RCB.bufIm");
    const CString trgOp = Attr(pMain, rcb, "sec:RCB.trgOp");
    const CString intgPd = Attr(pMain, rcb, "sec:RCB.intgPd");
    // The integrity period and buffer time the block holds, the period
    // trigger on or not, buffered or not; one it does not hold is not
    // written (the schema's default stands).
    const bool bIntgPd = !intgPd.IsEmpty();
    const bool bBufTime = !bufTime.IsEmpty();
    const CString indexed = Attr(pMain, rcb, "sec:RCB.indexed");
    const bool bGi = Attr(pMain, rcb, "sec:RCB.gi") == "true";
    // RptEnabled stands unless the block was read without one; its max is
    // the block's, 5 for a block that holds none.
    const bool bEnabled = kiln::core::WritesRptEnabled(Attr(pMain, rcb, "sec:RCB.rptEna").str());
    const CString storedMax = Attr(pMain, rcb, "sec:RCB.rptEnabledMax");
    const CString max = storedMax.IsEmpty() ? CString("5") : storedMax;
    const CString enabledDesc = Attr(pMain, rcb, "sec:RCB.rptEnabledDesc");
    // Values of the block that the schema has no attribute for.
    std::vector<std::pair<CString, CString>> own;
    for (const char* role : {"sqNum", "purgeBuf", "entryID", "timeOfEntry"}) {
        CString value = Attr(pMain, rcb, CString("sec:RCB.") + role);
        if (!value.IsEmpty()) own.emplace_back(CString("zScl:") + role, value);
    }

    // A block without an id (read from a file that gave none) is written
    // without one: the server then uses the block's reference.
    CStringArray attrs = Names({"name"});
    if (!rptID.IsEmpty()) attrs.Add("rptID");
    if (dataSet.IsSet()) attrs.Add("datSet");
    // SCL needs confRev: a block read without one is written without one,
    // and the check names it.
    if (!confRev.IsEmpty()) attrs.Add("confRev");
    if (!desc.IsEmpty()) attrs.Add("desc");
    if (bBuffered) attrs.Add("buffered");
    if (bBufTime) attrs.Add("bufTime");
    if (!indexed.IsEmpty()) attrs.Add("indexed");
    if (bIntgPd) attrs.Add("intgPd");
    for (const auto& [attr, value] : own) attrs.Add(attr);
    XmlNode element = xml.AddNewNode_withAttrs(parent, "ReportControl", attrs);
    if (!element) return false;
    Put(xml, element, "name", name);
    if (!rptID.IsEmpty()) Put(xml, element, "rptID", rptID);
    if (dataSet.IsSet()) Put(xml, element, "datSet", datSet);
    if (!confRev.IsEmpty()) Put(xml, element, "confRev", confRev);
    if (!desc.IsEmpty()) Put(xml, element, "desc", desc);
    if (bBuffered) Put(xml, element, "buffered", "true");
    if (bBufTime) Put(xml, element, "bufTime", bufTime);
    if (!indexed.IsEmpty()) Put(xml, element, "indexed", indexed);
    if (bIntgPd) Put(xml, element, "intgPd", intgPd);
    for (const auto& [attr, value] : own) xml.Write_NodeValueString(element, "@" + attr, value);

    if (!Export_TrgOps(element, xml, trgOp, bGi)) return false;
    static const std::pair<const char*, const char*> kOptions[] = {
        {"seqNum", "sec:RCB.optSequenceNumber"}, {"timeStamp", "sec:RCB.optReportTimeStamp"},
        {"reasonCode", "sec:RCB.optReasonForInclusion"}, {"dataSet", "sec:RCB.optDataSetName"},
        {"dataRef", "sec:RCB.optDataReference"}, {"bufOvfl", "sec:RCB.optBufferOverflow"},
        {"entryID", "sec:RCB.optEntryID"}, {"configRef", "sec:RCB.optConfRevision"}};
    CStringArray optAttrs;
    std::vector<CString> optValues;
    for (const auto& [attr, role] : kOptions) {
        CString value = Attr(pMain, rcb, role);
        if (value.IsEmpty()) continue;
        optAttrs.Add(attr);
        optValues.push_back(value);
    }
    if (XmlNode options = xml.AddNewNode_withAttrs(element, "OptFields", optAttrs))
        for (int i = 0; i < optAttrs.GetSize(); ++i)
            xml.Write_NodeValueString(options, "@" + optAttrs[i], optValues[static_cast<size_t>(i)]);
    std::vector<URI_Ref> clients;
    Members(pMain, rcb, "sec:RCB.ClientLNs", clients);
    if (!bEnabled) {
        // Without RptEnabled the block has no place for its clients, nor
        // for the max and desc an older document holds beside them.
        for (const URI_Ref& client : clients) {
            const CString clientName = Attr(pMain, client, kiln::core::kRoleName);
            m_vLeftOut.push_back("客户端LN（报告控制块没有RptEnabled）：" + m_strNodePath + "." + name +
                                 (clientName.IsEmpty() ? CString() : ":" + clientName));
        }
        for (const kiln::core::SclAttrRole& r : kiln::core::kRptEnabledAttrRoles)
            if (const CString held = Attr(pMain, rcb, r.role); !held.IsEmpty())
                m_vLeftOut.push_back("RptEnabled的" + CString(r.attribute) + "（报告控制块没有RptEnabled）：" +
                                     m_strNodePath + "." + name + ":" + held);
        return true;
    }
    XmlNode enabled = xml.AddNewNode_withAttrs(element, "RptEnabled",
                                               enabledDesc.IsEmpty() ? Names({"max"}) : Names({"desc", "max"}));
    if (!enabled) return false;
    if (!enabledDesc.IsEmpty()) Put(xml, enabled, "desc", enabledDesc);
    Put(xml, enabled, "max", max);
    for (const URI_Ref& client : clients)
        if (!Export_ClientLN(enabled, pMain, xml, client, name)) return false;
    return true;
}

bool CKiln_Export::Export_ClientLN(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& client,
                                   const CString& blockName) {
    // The client's node in the model names it; a client outside the model
    // is named as its file named it.
    const URI_Ref lnode = pMain->DocMtd_getFirstUri_ofAsso(client, "sec:ClientLN.LNode");
    CString iedName;
    const OwnIedNames own{m_strIedName, Attr(pMain, m_uIed, kiln::core::kRoleName)};
    const NodeRef ref =
        lnode.IsSet() ? ReadNodeRef(pMain, lnode) : KeptNodeRef(pMain, client, "sec:ClientLN", own, iedName);
    if (lnode.IsSet()) iedName = IedNameOf(pMain, lnode);
    // A client named by nothing has no place in SCL: it is named instead.
    if (iedName.IsEmpty() || ref.lnClass.IsEmpty()) {
        const CString clientName = Attr(pMain, client, kiln::core::kRoleName);
        m_vLeftOut.push_back("客户端LN（未指向LNode）：" + m_strNodePath + "." + blockName +
                             (clientName.IsEmpty() ? CString() : ":" + clientName));
        return true;
    }
    const CString desc = Attr(pMain, client, "cim:Naming.description");
    const CString apRef = Attr(pMain, client, "sec:ClientLN.apRef");
    CStringArray attrs;
    if (!desc.IsEmpty()) attrs.Add("desc");
    attrs.Add("iedName");
    // A client read without a device is written without one (the check
    // names it).
    if (!ref.ldInst.IsEmpty()) attrs.Add("ldInst");
    if (!ref.prefix.IsEmpty()) attrs.Add("prefix");
    attrs.Add("lnClass");
    attrs.Add("lnInst");
    if (!apRef.IsEmpty()) attrs.Add("apRef");
    XmlNode element = xml.AddNewNode_withAttrs(parent, "ClientLN", attrs);
    if (!element) return false;
    if (!desc.IsEmpty()) Put(xml, element, "desc", desc);
    Put(xml, element, "iedName", iedName);
    if (!ref.ldInst.IsEmpty()) Put(xml, element, "ldInst", ref.ldInst);
    if (!ref.prefix.IsEmpty()) Put(xml, element, "prefix", ref.prefix);
    Put(xml, element, "lnClass", ref.lnClass);
    Put(xml, element, "lnInst", ref.lnInst);
    if (!apRef.IsEmpty()) Put(xml, element, "apRef", apRef);
    return true;
}

bool CKiln_Export::Collect_FCDAs(CKiln_Main* pMain, const URI_Ref& dataSet, std::vector<FcdaRow>& rows,
                                 std::vector<LeftOutMember>* pLeftOut) {
    rows.clear();
    std::vector<URI_Ref> members;
    if (!Members(pMain, dataSet, "sec:DataSet.FCDAs", members)) return false;
    for (const URI_Ref& member : members) {
        CString cause = CollectFCDA(pMain, member, rows);
        if (pLeftOut && !cause.IsEmpty()) pLeftOut->push_back({member, std::move(cause)});
    }
    m_dataSetWritten[dataSet.sUri] = !rows.empty();
    return true;
}

CString CKiln_Export::CollectFCDA(CKiln_Main* pMain, const URI_Ref& member, std::vector<FcdaRow>& rows) {
    const CString doName = Attr(pMain, member, "sec:DARef.doName");
    const URI_Ref lnode = FirstMember(pMain, member, "sec:DARef.LNode");
    const CString daName = StringBefore(Attr(pMain, member, "sec:DARef.daName"), "[");
    const CString fc = Reduce(Attr(pMain, member, "sec:FCDA.fc"));
    if (lnode.IsEmpty() || !NodeHolds(pMain, lnode, doName, daName))
        return LeftOutCause(pMain, lnode, doName, daName);
    if (doName.IsEmpty()) return "没有DO名";
    const NodeRef ref = ReadNodeRef(pMain, lnode);
    // The node is written with the class of its type: without one, or as a
    // second LLN0, it is not written as the member would name it.
    if (ref.lnClass.IsEmpty())
        return IsSecondLln0(pMain, lnode) ? "逻辑节点是LDevice中的第二个LLN0" : "LN类型未指定lnClass";
    rows.push_back({ref.ldInst, ref.prefix, ref.lnClass, ref.lnInst, doName, daName, fc,
                    Attr(pMain, member, "sec:FCDA.ix")});
    return CString();
}

const std::map<std::string, URI_Ref>& CKiln_Export::DOsOf(CKiln_Main* pMain, const URI_Ref& lnType) {
    const auto known = m_typeDOs.find(lnType.sUri);
    if (known != m_typeDOs.end()) return known->second;
    std::map<std::string, URI_Ref>& byName = m_typeDOs[lnType.sUri];
    std::vector<URI_Ref> chain;
    pMain->Get_AbstractTypes(lnType, &chain, "sec:LNodeType.Abstract_Type");
    for (const URI_Ref& t : chain) {
        std::vector<URI_Ref> dos;
        Members(pMain, t, "sec:LNodeType.DOs", dos);
        for (const URI_Ref& d : dos) {
            if (!byName.emplace(Attr(pMain, d, kiln::core::kRoleName).str(), d).second) continue;
            if (FirstMember(pMain, d, "sec:DO.DefinedBy_DOType").IsEmpty()) m_typelessDOs.insert(d.sUri);
        }
    }
    return byName;
}

bool CKiln_Export::NodeHolds(CKiln_Main* pMain, const URI_Ref& lnode, const CString& doName, const CString& daName) {
    const URI_Ref lnType = FirstMember(pMain, lnode, "sec:LNode.LNodeType");
    if (lnType.IsEmpty()) return false;
    const std::map<std::string, URI_Ref>& dos = DOsOf(pMain, lnType);
    const auto dataObject = dos.find(StringBefore(doName, ".").str());
    if (dataObject == dos.end()) return false;
    // A DO whose type was cleared holds nothing a reader could resolve.
    if (m_typelessDOs.count(dataObject->second.sUri)) return false;
    // The path below the DO: the doName's SDOs, then the daName.
    const int dot = doName.Find('.');
    std::string below = dot < 0 ? std::string() : doName.Mid(dot + 1).str();
    const std::string da = kiln::core::WithoutConstraints(daName.str());
    if (!da.empty()) below += (below.empty() ? "" : ".") + da;
    // An element of an array is named by its index after the array's name:
    // the index is one the array's count holds, and the path the array's.
    if (below.find('(') != std::string::npos) {
        if (!kiln::core::ElementIndexesHeld(below, ArraysOf(pMain, dataObject->second))) return false;
        below = kiln::core::WithoutElementIndexes(below);
    }
    if (below.empty()) return true;
    // An attribute at the path, or one below it (a member of a struct),
    // which sorts right after it.
    const std::set<std::string>& paths = SclPathsOf(pMain, dataObject->second);
    for (auto it = paths.lower_bound(below); it != paths.end() && it->compare(0, below.size(), below) == 0; ++it)
        if (it->size() == below.size() || (*it)[below.size()] == '.') return true;
    return false;
}

CString CKiln_Export::LeftOutCause(CKiln_Main* pMain, const URI_Ref& lnode, const CString& doName,
                                   const CString& daName) {
    if (lnode.IsEmpty()) return "未指向LNode";
    const URI_Ref lnType = FirstMember(pMain, lnode, "sec:LNode.LNodeType");
    if (lnType.IsEmpty()) return "逻辑节点未指定LN类型";
    const std::map<std::string, URI_Ref>& dos = DOsOf(pMain, lnType);
    const auto dataObject = dos.find(StringBefore(kiln::core::WithoutElementIndexes(doName.str()).c_str(), ".").str());
    if (dataObject == dos.end()) return "LN类型中没有该DO";
    if (m_typelessDOs.count(dataObject->second.sUri)) return "DO未指定DOType";
    // An element its array lacks, of a path the node's type holds.
    const bool indexed = doName.Find('(') >= 0 || daName.Find('(') >= 0;
    if (indexed && NodeHolds(pMain, lnode, kiln::core::WithoutElementIndexes(doName.str()).c_str(),
                             kiln::core::WithoutElementIndexes(daName.str()).c_str()))
        return "DO类型中没有该数组元素";
    return "DO类型中没有该DA";
}

const std::map<std::string, std::string>& CKiln_Export::ArraysOf(CKiln_Main* pMain, const URI_Ref& dataObject) {
    const auto known = m_doArrays.find(dataObject.sUri);
    if (known != m_doArrays.end()) return known->second;
    return m_doArrays.emplace(dataObject.sUri, kiln::core::ArraysBelow(*pMain, dataObject)).first->second;
}

const std::set<std::string>& CKiln_Export::SclPathsOf(CKiln_Main* pMain, const URI_Ref& dataObject) {
    const auto known = m_doPaths.find(dataObject.sUri);
    if (known != m_doPaths.end()) return known->second;
    std::set<std::string>& paths = m_doPaths[dataObject.sUri];
    Struct_DAs_ofDO members;
    URI_Ref walked = dataObject;
    pMain->Get_DAs_of_aDO(walked, &members, "", nullptr);
    // Each attribute's path, and the paths of the structs it lies in (a DAI
    // may name a DA of any kind), but not of the SDOs above them.
    for (const Struct_DAItem& m : members.vDAs) {
        const std::string& path = m.sPath.str();
        const size_t objects = kiln::core::SubObjectsLength(path);
        for (size_t dot = path.find('.', objects + 1); dot != std::string::npos; dot = path.find('.', dot + 1))
            paths.insert(kiln::core::WithoutConstraints(std::string_view(path).substr(0, dot)));
        paths.insert(kiln::core::WithoutConstraints(path));
    }
    return paths;
}

bool CKiln_Export::Is_DataSetWritten(CKiln_Main* pMain, const URI_Ref& dataSet) {
    if (dataSet.IsEmpty()) return false;
    const auto known = m_dataSetWritten.find(dataSet.sUri);
    if (known != m_dataSetWritten.end()) return known->second;
    std::vector<FcdaRow> rows;
    return Collect_FCDAs(pMain, dataSet, rows) && !rows.empty();
}

bool CKiln_Export::Export_DataSets(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& dataSet) {
    CString name;
    if (!ReadName(pMain, dataSet, name)) return false;
    std::vector<FcdaRow> rows;
    std::vector<LeftOutMember> leftOut;
    if (!Collect_FCDAs(pMain, dataSet, rows, &leftOut)) return false;
    // A member that names no node (or no DO or DA of its node, or a node
    // not written as it would name it) is left out, and so is, as SCL has no
    // data set without members, one with nothing to write: the control
    // blocks that use it name no data set. Each is named, a member by its
    // own reference.
    const CString where = m_strNodePath + "." + name;
    for (const auto& [member, cause] : leftOut)
        m_vLeftOut.push_back("数据集成员（" + cause + "）：" + where + ":" + kiln::core::MemberReference(*pMain, member));
    if (rows.empty()) {
        m_vLeftOut.push_back("数据集（没有成员）：" + where);
        return true;
    }
    const CString desc = Attr(pMain, dataSet, "cim:Naming.description");
    XmlNode element = xml.AddNewNode_withAttrs(parent, "DataSet", Names({"name", "desc"}));
    if (!element) return false;
    Put(xml, element, "name", name);
    if (!desc.IsEmpty()) Put(xml, element, "desc", desc);

    for (const FcdaRow& row : rows) {
        const bool bLLN0 = row.lnClass == "LLN0";
        CStringArray attrs = Names({"ldInst"});
        if (!row.prefix.IsEmpty()) attrs.Add("prefix");
        attrs.Add("lnClass");
        if (!bLLN0) attrs.Add("lnInst");
        attrs.Add("doName");
        if (!row.daName.IsEmpty()) attrs.Add("daName");
        attrs.Add("fc");
        if (!row.ix.IsEmpty()) attrs.Add("ix");
        XmlNode fcda = xml.AddNewNode_withAttrs(element, "FCDA", attrs);
        if (!fcda) return false;
        if (!Put(xml, fcda, "ldInst", row.ldInst)) return false;
        if (!row.prefix.IsEmpty() && !Put(xml, fcda, "prefix", row.prefix)) return false;
        if (!Put(xml, fcda, "lnClass", row.lnClass)) return false;
        if (!bLLN0 && !Put(xml, fcda, "lnInst", row.lnInst)) return false;
        if (!Put(xml, fcda, "doName", row.doName)) return false;
        if (!row.daName.IsEmpty() && !Put(xml, fcda, "daName", row.daName)) return false;
        if (!Put(xml, fcda, "fc", row.fc)) return false;
        if (!row.ix.IsEmpty() && !Put(xml, fcda, "ix", row.ix)) return false;
    }
    return true;
}

bool CKiln_Export::Export_ExtRefs(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& extRef) {
    CString name;
    if (!ReadName(pMain, extRef, name)) return false;
    const CString desc = Attr(pMain, extRef, "cim:Naming.description");
    const URI_Ref lnode = pMain->DocMtd_getFirstUri_ofAsso(extRef, "sec:DARef.LNode");
    // The source's node in the model names it; a source outside the model
    // is named as its file named it.
    CString iedName;
    const OwnIedNames own{m_strIedName, Attr(pMain, m_uIed, kiln::core::kRoleName)};
    NodeRef ref = lnode.IsSet() ? ReadNodeRef(pMain, lnode) : KeptNodeRef(pMain, extRef, "sec:ExtRef", own, iedName);
    if (lnode.IsSet()) iedName = IedNameOf(pMain, lnode);
    CString doName = Attr(pMain, extRef, "sec:DARef.doName");
    CString daName = Attr(pMain, extRef, "sec:DARef.daName");
    // An input whose DO names no node (the node deleted, or none chosen)
    // is written with what it holds and its source named; one without a DO
    // is an input still to be bound. One whose DO or DA its node's type
    // lacks is written as one still to be bound, and named as a data-set
    // member is.
    if (lnode.IsSet() && !doName.IsEmpty() && !NodeHolds(pMain, lnode, doName, daName)) {
        m_vLeftOut.push_back("外部输入量的源（" + LeftOutCause(pMain, lnode, doName, daName) + "）：" + m_strNodePath + "." +
                             name + ":" + DataRefLabel(doName, daName));
        ref = NodeRef();
        iedName = doName = daName = CString();
    } else if (ref.lnClass.IsEmpty() && !doName.IsEmpty()) {
        m_vLeftOut.push_back("外部输入量的源（未指向LNode）：" + m_strNodePath + "." + name);
    }

    // The reference attributes are optional in the schema: an empty one is
    // left out. The name has its place in intAddr, the description in desc.
    const std::pair<const char*, CString> values[] = {
        {"desc", desc},       {"iedName", iedName}, {"ldInst", ref.ldInst}, {"prefix", ref.prefix},
        {"lnClass", ref.lnClass}, {"lnInst", ref.lnInst}, {"doName", doName}, {"daName", daName},
        {"intAddr", name}};
    CStringArray attrs;
    for (const auto& [attr, value] : values)
        if (!value.IsEmpty()) attrs.Add(attr);
    XmlNode element = xml.AddNewNode_withAttrs(parent, "ExtRef", attrs);
    if (!element) return false;
    for (const auto& [attr, value] : values)
        if (!value.IsEmpty()) Put(xml, element, attr, value);
    return true;
}
