// IED instance reader: the IED, its logical devices and logical nodes, and
// the hand-over of each node's children to the DOI, control-block, data-set
// and input readers.
#include "core/scl_ied_roles.h"
#include "core/type_classes.h"
#include "import/import_util.h"
#include "import/kiln_import.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using kiln::core::OrdRole;
using namespace kiln::import;

bool CKiln_Import::Import_IED(CKiln_Main* app, URI_Ref icd, XmlNode node) {
    URI_Ref ied = app->DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.IED");
    if (ied.IsEmpty() || node.IsNull()) return true;
    CString text;
    if (ReadAttr(node, "name", text)) app->DocMtd_Modify_attribute_value(ied, kRoleName, text);
    if (ReadAttr(node, "desc", text)) app->DocMtd_Modify_attribute_value(ied, "cim:Naming.description", text);
    // An attribute the file leaves out is held empty, so that the export
    // writes none where the template it starts from has one (type,
    // configVersion).
    app->DocMtd_Modify_attribute_value(ied, "sec:IED.iedType", ReadAttr(node, "type", text) ? text : CString());
    for (const kiln::core::SclAttrRole& r : kiln::core::kIedAttrRoles)
        app->DocMtd_Modify_attribute_value(ied, r.role, ReadAttr(node, r.attribute, text) ? text : CString());
    m_strIEDName = AttrText(node, "name");
    // The devices of all servers share one list in the model, so their order
    // numbers run on over the whole IED.
    long n = 0;
    for (const XmlNode& ap : Children(node, "AccessPoint")) {
        // Each device keeps the name and attributes of its access point, of
        // the point's server and of its authentication. The model has no
        // place for nodes directly under an access point, nor for an access
        // point without a server: each is reported.
        const CString apName = AttrText(ap, "name");
        const std::vector<XmlNode> servers = Children(ap, "Server");
        for (const XmlNode& server : servers) {
            AccessPointTexts texts{{"sec:LDevice.apName", apName}};
            const std::vector<XmlNode> auth = Children(server, "Authentication");
            for (const kiln::core::SclAttrRole& r : kiln::core::kAccessPointAttrRoles) {
                const std::string element = r.element;
                const XmlNode from = element == "AccessPoint" ? ap
                                     : element == "Server"    ? server
                                     : auth.empty()           ? XmlNode()
                                                              : auth.front();
                // The template's authentication says none="true": an attribute
                // the file's leaves out is held empty, so that none is written.
                if (ReadAttr(from, r.attribute, text) && !text.IsEmpty())
                    texts.emplace_back(r.role, text);
                else if (element == "Authentication" && !from.IsNull())
                    texts.emplace_back(r.role, CString());
            }
            for (const XmlNode& ld : Children(server, "LDevice"))
                Import_LDevice(app, ied, ld, Dec(++n), m_strIEDName, texts);
        }
        for (const XmlNode& ln : Children(ap, "LN")) {
            const CString fullName = AttrText(ln, "prefix") + AttrText(ln, "lnClass") + AttrText(ln, "inst");
            AddEntry(m_pLNodesNode, "LNode", "警告：" + fullName,
                     "AccessPoint:" + apName + "下的LNode:" + fullName + "未导入（只导入LDevice中的LNode）", &m_nWarnings);
        }
        if (servers.empty())
            AddEntry(m_pOtherErrorsNode, "other_error", "警告：ICD文件:  AccessPoint:" + apName,
                     "AccessPoint:" + apName + "中没有Server，未导入", &m_nWarnings);
    }
    ReportLeftOutLogs();
    LinkLCBsToLogs(app);
    return true;
}

bool CKiln_Import::Import_LDevice(CKiln_Main* app, URI_Ref ied, XmlNode node, CString ord, CString iedName,
                                  const AccessPointTexts& accessPoint) {
    XmlNode ln0;
    XmlNode lphd;
    for (const XmlNode& child : Children(node, "LN0")) {
        ln0 = child;
        break;
    }
    const std::vector<XmlNode> lns = Children(node, "LN");
    for (const XmlNode& child : lns) {
        if (AttrText(child, "lnClass") == "LPHD") {
            lphd = child;
            break;
        }
    }
    const CString inst = AttrText(node, "inst");
    auto known = [this](const CString& id) {
        auto it = m_mapNewLNodeTypes.find(id);
        return it != m_mapNewLNodeTypes.end() && it->second.m_uShell.IsSet();
    };
    // Second-edition files carry LPHD in one device of the IED only, so a
    // device without an LPHD node is taken; one whose LPHD names an unknown
    // type is refused like an unknown LN0 type.
    if (!known(AttrText(ln0, "lnType")) || (!lphd.IsNull() && !known(AttrText(lphd, "lnType")))) {
        AddEntry(m_pLDevicesNode, "LDevice", "错误：" + inst, "未找到LDevice:" + inst + "的LLN0Type或LPHDType",
                 &m_nErrors);
        return false;
    }
    URI_Ref ld;
    if (!app->NewRsc_LDevice(&ld, ied, URI_Ref(), URI_Ref(), URI_Ref())) return false;
    app->DocMtd_Modify_attribute_value(ld, kRoleOrd, ord);
    app->DocMtd_Modify_attribute_value(ld, kRoleName, inst);
    for (const auto& [role, text] : accessPoint) app->DocMtd_Modify_attribute_value(ld, role, text);
    app->Mtd_SetStatusBarText("正在导入LD:" + inst);
    CString desc;
    if (ReadAttr(node, "desc", desc)) app->DocMtd_Modify_attribute_value(ld, "cim:Naming.description", desc);
    CString ownName;
    if (ReadAttr(node, "ldName", ownName)) app->DocMtd_Modify_attribute_value(ld, "sec:LDevice.ldName", ownName);
    // The access control of the device, as the text the file gave it (what
    // other namespaces add within it is reported with the rest of theirs).
    for (const XmlNode& control : Children(node, "AccessControl")) {
        CString text;
        for (pugi::xml_node t = control.PugiNode().first_child(); t; t = t.next_sibling())
            if (t.type() == pugi::node_pcdata || t.type() == pugi::node_cdata) text += t.value();
        app->DocMtd_Modify_attribute_value(ld, "sec:LDevice.accessControl", text);
        break;
    }
    const CString ldName = iedName + inst;
    Import_LNode(app, ld, ln0, "1", URI_Ref(), URI_Ref(), ldName, false);
    long i = 0;
    for (const XmlNode& ln : lns) Import_LNode(app, ld, ln, Dec(2 + i++), URI_Ref(), URI_Ref(), ldName, false);
    return true;
}

bool CKiln_Import::Import_LNode(CKiln_Main* app, URI_Ref ld, XmlNode node, CString ord, URI_Ref log, URI_Ref sgcb,
                                CString ldName, bool bDataSetFlag) {
    CString lnClass, lnType;
    if (!ReadAttr(node, "lnClass", lnClass) || !ReadAttr(node, "lnType", lnType)) {
        AddEntry(m_pLNodesNode, "LNode", "错误：", "lnClass为空！", &m_nErrors);
        return false;
    }
    const CString prefix = AttrText(node, "prefix");
    CString inst = AttrText(node, "inst");
    const CString fullName = prefix + lnClass + inst;
    const CString deviceName = app->DocMtd_getValue_ofAttr(ld, kRoleName);
    if (node.NodeName() == "LN0" && !inst.IsEmpty()) {
        inst.Empty();
        AddEntry(m_pLNodesNode, "LNode", "错误：" + fullName, deviceName + "下的LNode:" + fullName + "inst不为空！",
                 &m_nErrors);
    }
    app->Mtd_SetStatusBarText("正在导入LD:" + ldName + " LNode: " + kiln::core::NodeNameText(prefix, lnClass, inst));
    auto type = m_mapNewLNodeTypes.find(lnType);
    if (type == m_mapNewLNodeTypes.end() || type->second.m_uShell.IsEmpty()) {
        AddEntry(m_pLNodesNode, "LNode", "错误：" + fullName,
                 "未找到LDevice: " + deviceName + "下的LNode:" + fullName + "对应的lnType:" + lnType + "！",
                 &m_nErrors);
        return false;
    }
    // A class other than its type's is a fault of the file: reported, and
    // the node is taken with its type all the same.
    const CString typeClass =
        type->second.m_pNode.IsNull()
            ? app->DocMtd_getFirstValue_ofAsso(type->second.m_uShell, "sec:LNodeType.ClassOf_LNType", kRoleName)
            : AttrText(type->second.m_pNode, "lnClass");
    if (!typeClass.IsEmpty() && typeClass != lnClass)
        AddEntry(m_pLNodesNode, "LNode", "错误：" + fullName,
                 deviceName + "下的LNode:" + fullName + "的lnClass与其lnType:" + lnType + "的lnClass:" + typeClass +
                     "不同！",
                 &m_nErrors);
    URI_Ref lnode;
    if (!app->NewRsc_LNode(&lnode, ld, type->second.m_uShell, true)) return false;
    // The node's DOs are those of its type and of the type's bases, the
    // type's own winning, so that a DOI of an inherited DO is read.
    CheckKeptTypeReads(app);
    const std::shared_ptr<const ImportNameTable> dos = KeptLNTypeDOs(app, type->second.m_uShell);

    const CString name = kiln::core::NodeNameText(prefix, lnClass, inst);
    WriteChanged(app, lnode, OrdRole(), ord);
    WriteChanged(app, lnode, kRoleName, name);
    app->DocMtd_Modify_attribute_value(lnode, "sec:LNode.prefix", prefix);
    app->DocMtd_Modify_attribute_value(lnode, "sec:LNode.lnClass", lnClass);
    WriteChanged(app, lnode, "sec:LNode.lnInst", inst);
    m_mapInstLNodes.emplace(ldName + fullName, lnode);
    // References name an LN0 without instance, so it is found that way too.
    if (name != fullName) m_mapInstLNodes.emplace(ldName + name, lnode);
    CString desc;
    if (ReadAttr(node, "desc", desc)) app->DocMtd_Modify_attribute_value(lnode, "cim:Naming.description", desc);
    app->DocMtd_Modify_attribute_value(lnode, "sec:LNode.lnType", lnType);
    // The node's purpose, one of those the model knows.
    CString use;
    if (ReadAttr(node, "LNodeUse", use) && (use == "Warning" || use == "Alarm" || use == "DevAlarm" || use == "State"))
        app->DocMtd_Modify_attribute_value(lnode, "sec:LNode.LNodeUse", ModelEnum("LNodeUseEnum", use));

    ImportNameTable dois, dataSets;
    long i = 0;
    for (const XmlNode& doi : node.ChildElements("DOI")) Import_DOI(app, lnode, doi, Dec(++i), lnType, dois, *dos);
    // A value belongs to a DOI: one directly under the node has no data
    // object and is left out.
    for (const XmlNode& dai : node.ChildElements("DAI")) {
        const CString daiName = AttrText(dai, "name");
        AddEntry(m_pDAIsNode, "DAI", "错误：" + fullName + "." + daiName,
                 deviceName + "下的LNode:" + fullName + "中的DAI:" + daiName + "不在DOI中，未导入！", &m_nErrors);
    }
    i = 0;
    for (const XmlNode& el : node.ChildElements("Log")) Import_Log(app, lnode, el, Dec(++i), log);
    if (lnClass.Find("LLN0") >= 0) {
        i = 0;
        for (const XmlNode& el : node.ChildElements("SettingControl")) Import_SGCB(app, lnode, el, Dec(++i), sgcb);
    }
    i = 0;
    for (const XmlNode& inputs : node.ChildElements("Inputs"))
        for (const XmlNode& el : inputs.ChildElements("ExtRef")) Import_ExtRef(app, lnode, el, Dec(++i));
    i = 0;
    for (const XmlNode& el : node.ChildElements("DataSet"))
        Import_DataSet(app, lnode, el, Dec(++i), dataSets, bDataSetFlag);
    i = 0;
    for (const XmlNode& el : node.ChildElements("LogControl")) Import_LCB(app, lnode, el, Dec(++i), dataSets);
    i = 0;
    for (const XmlNode& el : node.ChildElements("ReportControl")) Import_RCB(app, lnode, el, Dec(++i), dataSets);
    return true;
}
