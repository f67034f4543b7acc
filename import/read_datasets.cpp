// IED instance reader: data sets with their members, and inputs. The logical
// node a member or input refers to is kept as a pending reference.
#include "core/type_classes.h"
#include "import/import_util.h"
#include "import/kiln_import.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using kiln::core::OrdRole;
using namespace kiln::import;

bool CKiln_Import::Import_DataSet(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString ord, ImportNameTable& dataSets,
                                  bool bFlag) {
    URI_Ref dataSet;
    if (!app->NewRsc_DataSet(&dataSet, lnode)) return true;
    CString name, desc;
    if (ReadAttr(node, "name", name)) app->DocMtd_Modify_attribute_value(dataSet, kRoleName, name);
    if (ReadAttr(node, "desc", desc)) app->DocMtd_Modify_attribute_value(dataSet, "cim:Naming.description", desc);
    app->DocMtd_Modify_attribute_value(dataSet, kRoleOrd, ord);
    long i = 0;
    for (const XmlNode& member : Children(node, "*")) {
        const CString kind = member.NodeName();
        if (kind == "FCDA" || kind == "FCD") Import_FCDA(app, dataSet, member, Dec(++i), bFlag);
    }
    dataSets.emplace(name, dataSet);
    return true;
}

bool CKiln_Import::Import_FCDA(CKiln_Main* app, URI_Ref dataSet, XmlNode node, CString ord, bool /*bFlag*/) {
    URI_Ref fcda;
    if (!app->NewRsc_FCDA(&fcda, dataSet)) return true;
    WriteChanged(app, fcda, OrdRole(), ord);
    // The roles are made once: a file has many members.
    static const CString kLnClass("sec:FCDA.lnClass"), kLnInst("sec:FCDA.lnInst"), kPrefix("sec:FCDA.memberRef"),
        kLdInst("sec:FCDA.ldInst"), kDoName("sec:DARef.doName"), kDaName("sec:DARef.daName"), kIx("sec:FCDA.ix");
    CString name, lnClass, lnInst, prefix, ldInst, fc, doName, daName, ix;
    if (ReadAttr(node, "name", name)) app->DocMtd_Modify_attribute_value(fcda, kRoleName, name);
    if (ReadAttr(node, "lnClass", lnClass))
        app->DocMtd_Modify_attribute_value(fcda, kLnClass, lnClass);
    else
        AddOtherError("错误：ICD文件:  FCDA:" + name, "lnclass为空");
    if (ReadAttr(node, "lnInst", lnInst)) app->DocMtd_Modify_attribute_value(fcda, kLnInst, lnInst);
    if (ReadAttr(node, "prefix", prefix)) app->DocMtd_Modify_attribute_value(fcda, kPrefix, prefix);
    if (ReadAttr(node, "ldInst", ldInst)) app->DocMtd_Modify_attribute_value(fcda, kLdInst, ldInst);
    if (ReadAttr(node, "fc", fc)) app->DocMtd_Modify_attribute_value(fcda, "sec:FCDA.fc", ModelEnum("FCType", fc));
    if (ReadAttr(node, "doName", doName)) app->DocMtd_Modify_attribute_value(fcda, kDoName, doName);
    if (ReadAttr(node, "daName", daName)) app->DocMtd_Modify_attribute_value(fcda, kDaName, daName);
    // The element of an array the member names.
    if (ReadAttr(node, "ix", ix)) app->DocMtd_Modify_attribute_value(fcda, kIx, ix);
    const CString lnName = kiln::core::NodeNameText(prefix, lnClass, lnInst);
    // A member without ldInst names a node of the data set's own device.
    if (ldInst.IsEmpty() && !lnName.IsEmpty())
        ldInst = app->DocMtd_getValue_ofAttr(
            app->DocMtd_getFirstUri_ofAsso(dataSet, "sec:DataSet.LNode/sec:LNode.LDevice"), kRoleName);
    if (!lnName.IsEmpty())
        m_vPendingRefs.push_back({fcda, m_strIEDName + ldInst + lnName, ldInst, lnName, daName, doName});
    return true;
}

bool CKiln_Import::Import_ExtRef(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString ord) {
    URI_Ref extRef;
    if (!app->NewRsc_ExtRef(&extRef, lnode)) return true;
    const CString iedName = AttrText(node, "iedName"), lnInst = AttrText(node, "lnInst"),
                  lnClass = AttrText(node, "lnClass"), prefix = AttrText(node, "prefix"),
                  ldInst = AttrText(node, "ldInst");
    app->DocMtd_Modify_attribute_value(extRef, kRoleOrd, ord);
    CString text, doName, daName;
    // The writers keep the input's name in "intAddr", where SCL has a place
    // for it; an input the file gives none stays nameless (not the creator's).
    const bool named = ReadAttr(node, "name", text) || ReadAttr(node, "intAddr", text);
    app->DocMtd_Modify_attribute_value(extRef, kRoleName, named ? text : CString());
    if (ReadAttr(node, "doName", doName)) app->DocMtd_Modify_attribute_value(extRef, "sec:DARef.doName", doName);
    if (ReadAttr(node, "daName", daName)) app->DocMtd_Modify_attribute_value(extRef, "sec:DARef.daName", daName);
    if (ReadAttr(node, "desc", text)) app->DocMtd_Modify_attribute_value(extRef, "cim:Naming.description", text);
    // What names the source, kept whether or not its node is in this file
    // (an input from another IED is written back as the file named it).
    static const char* const kRefs[][2] = {{"iedName", "sec:ExtRef.iedName"}, {"ldInst", "sec:ExtRef.ldInst"},
                                           {"prefix", "sec:ExtRef.prefix"},   {"lnClass", "sec:ExtRef.lnClass"},
                                           {"lnInst", "sec:ExtRef.lnInst"}};
    for (const auto& [attr, role] : kRefs)
        if (ReadAttr(node, attr, text)) app->DocMtd_Modify_attribute_value(extRef, role, text);
    const CString lnName = kiln::core::NodeNameText(prefix, lnClass, lnInst);
    m_vPendingRefs.push_back({extRef, iedName + ldInst + lnName, ldInst, lnName, daName, doName});
    return true;
}
