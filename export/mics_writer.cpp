// The MICS document of an ICD: one semantic space per instance type package
// of the ICD's dependency chain, with the LN types, DOs, DO types and DAs of
// each package and their descriptions.
#include "core/kiln_main.h"
#include "export/export_util.h"
#include "export/kiln_export.h"

using namespace kiln::exporter;

namespace {

constexpr const char* kStdSpaceId = "IEC 61850-7-4:2003";

void Fill(CStringArray& list, std::initializer_list<const char*> names) {
    list.RemoveAll();
    for (const char* n : names) list.Add(n);
}

// An A_Name entry under the space with its Semantic_Desc child.
void AppendAName(CBase_XML& xml, const CStringArray& attrs, const XmlNode& space, const CString& name,
                 const char* kind, const CString& desc) {
    XmlNode aName = xml.AddNewNode_withAttrs(space, "A_Name", attrs);
    Put(xml, aName, "name_ID", name);
    Put(xml, aName, "name_Type", kind);
    XmlNode text = xml.AddNewNode_withAttr(aName, "Semantic_Desc", CString());
    xml.Write_NodeValueString(text, ".", desc);
}

}  // namespace

bool CKiln_Export::Export_MICS(CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& icd) {
    Fill(m_saSemanticSpaceAttrs, {"space_ID", "vendor", "document", "version", "depend_SpaceID", "isStdSpace"});
    Fill(m_saANameAttrs, {"name_ID", "name_Type"});
    Fill(m_saLNodeTypeAttrs, {"space_ID", "name_ID", "prefix", "ln_Class", "desc"});
    Fill(m_saDOAttrs, {"space_ID", "name_ID", "doType", "presence", "desc"});
    Fill(m_saDOTypeAttrs, {"space_ID", "name_ID", "desc"});
    // A DA's "type" stands in its list, so it has a fixed place after "desc".
    Fill(m_saDAAttrs, {"space_ID", "name_ID", "bType", "presence", "desc", "type"});
    Fill(m_saIcdAttrs, {"icd_ID"});

    XmlNode root = xml.GetDocumentElement();
    const CString icdName = Attr(pMain, icd, kiln::core::kRoleName);
    Put(xml, root, "iedModel", icdName);
    Put(xml, xml.Get_NodePtr(root, "Header"), "id", "MICS for " + icdName);

    const URI_Ref ownPackage = pMain->DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.TypePackage");
    const bool bFree = Attr(pMain, icd, "sec:ICD.extDOFreely").CompareNoCase("true") == 0;
    if (ownPackage.IsEmpty()) return false;
    std::vector<URI_Ref> packages;
    pMain->GetTypePackage_Depended(&packages, ownPackage, true);

    const XmlNode spaces = xml.Get_NodePtr(root, "SemanticSpaces");
    const XmlNode lnTypesNode = xml.Get_NodePtr(root, "LNodeTypes");
    const XmlNode doTypesNode = xml.Get_NodePtr(root, "DOTypes");

    for (const URI_Ref& pkg : packages) {
        if (pkg == pMain->m_uStdTypePackage) continue;
        const URI_Ref owner = pMain->DocMtd_getFirstUri_ofAsso(pkg, "sec:TypePackage.ICD");
        const CString spaceId = Attr(pMain, owner.IsSet() ? owner : pkg, kiln::core::kRoleName);
        const CString depend = FirstName(pMain, pkg, "sec:TypePackage.Depend_TypePackage");
        XmlNode space = xml.AddNewNode_withAttrs(spaces, "SemanticSpace", m_saSemanticSpaceAttrs);
        Put(xml, space, "space_ID", spaceId);
        Put(xml, space, "depend_SpaceID", depend);
        const bool bFreeSpace = pkg == ownPackage && bFree;
        Put(xml, space, "isStdSpace", bFreeSpace ? "false" : "true");

        std::vector<URI_Ref> lnTypes, doTypes;
        Members(pMain, pkg, "sec:TypePackage.LNodeTypes", lnTypes);
        Members(pMain, pkg, "sec:TypePackage.DOTypes", doTypes);
        for (const URI_Ref& t : lnTypes) {
            const CString typeName = Attr(pMain, t, kiln::core::kRoleName);
            XmlNode entry;
            if (bFreeSpace) {
                entry = xml.AddNewNode_withAttrs(lnTypesNode, "LNodeType", m_saIcdAttrs);
                Put(xml, entry, "icd_ID", typeName);
            } else {
                const CString desc = Attr(pMain, t, "cim:Naming.description");
                entry = xml.AddNewNode_withAttrs(lnTypesNode, "LNodeType", m_saLNodeTypeAttrs);
                Put(xml, entry, "space_ID", spaceId);
                Put(xml, entry, "name_ID", typeName);
                Put(xml, entry, "prefix", Attr(pMain, t, "sec:LNodeType.prefix"));
                Put(xml, entry, "ln_Class", FirstName(pMain, t, "sec:LNodeType.ClassOf_LNType"));
                Put(xml, entry, "desc", desc);
                AppendAName(xml, m_saANameAttrs, space, typeName, "LNType", desc);
            }
            std::vector<URI_Ref> dos;
            Members(pMain, t, "sec:LNodeType.DOs", dos);
            for (const URI_Ref& d : dos) {
                if (!Attr(pMain, d, "sec:DO.SemanticNs").IsEmpty()) continue;
                const CString doName = Attr(pMain, d, kiln::core::kRoleName);
                const CString desc = Attr(pMain, d, "cim:Naming.description");
                XmlNode doNode = xml.AddNewNode_withAttrs(entry, "DO", m_saDOAttrs);
                Put(xml, doNode, "space_ID", spaceId);
                Put(xml, doNode, "name_ID", doName);
                Put(xml, doNode, "doType",
                    FirstName(pMain, d, "sec:DO.DefinedBy_DOType/sec:DOType.ClassOf_DOType"));
                Put(xml, doNode, "presence", Reduce(Attr(pMain, d, "sec:DO.presence")));
                Put(xml, doNode, "desc", desc);
                AppendAName(xml, m_saANameAttrs, space, doName, "DO", desc);
            }
            const URI_Ref lnClass = pMain->DocMtd_getFirstUri_ofAsso(t, "sec:LNodeType.ClassOf_LNType");
            if (!bFreeSpace && !Attr(pMain, t, "sec:LNodeType.prefix").IsEmpty() && lnClass.IsSet())
                Export_MICS_DO_Depend_LNodeType(pMain, xml, lnClass, entry, space);
        }
        for (const URI_Ref& y : doTypes) {
            const CString typeName = Attr(pMain, y, kiln::core::kRoleName);
            const CString desc = Attr(pMain, y, "cim:Naming.description");
            XmlNode typeNode = xml.AddNewNode_withAttrs(doTypesNode, "DOType", m_saDOTypeAttrs);
            Put(xml, typeNode, "space_ID", spaceId);
            Put(xml, typeNode, "name_ID", typeName);
            Put(xml, typeNode, "desc", desc);
            AppendAName(xml, m_saANameAttrs, space, typeName, "DOType", desc);
            std::vector<URI_Ref> das;
            Members(pMain, y, "sec:DOType.Contains_DAs", das);
            for (const URI_Ref& a : das) {
                if (!Attr(pMain, a, "sec:BDA.SemanticNs").IsEmpty()) continue;
                const CString daName = Attr(pMain, a, kiln::core::kRoleName);
                const CString daDesc = Attr(pMain, a, "cim:Naming.description");
                const CString bType = Reduce(Attr(pMain, a, "sec:BDA.bType"));
                CString type;
                if (bType.CompareNoCase("Struct") == 0)
                    type = FirstName(pMain, a, "sec:BDA.DefinedBy_Struct");
                else if (bType.CompareNoCase("Enum") == 0)
                    type = FirstName(pMain, a, "sec:BDA.DefinedBy_EnumType");
                XmlNode daNode = xml.AddNewNode_withAttrs(typeNode, "DA", m_saDAAttrs);
                Put(xml, daNode, "name_ID", daName);
                Put(xml, daNode, "bType", bType);
                Put(xml, daNode, "presence", Reduce(Attr(pMain, a, "sec:BDA.presence")));
                Put(xml, daNode, "type", type);
                Put(xml, daNode, "desc", daDesc);
                AppendAName(xml, m_saANameAttrs, space, daName, "DA", daDesc);
                Put(xml, daNode, "space_ID", spaceId);
            }
        }
    }
    return true;
}

bool CKiln_Export::Export_MICS_DO_Depend_LNodeType(CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& lnType,
                                                  const XmlNode& lnTypeNode, const XmlNode& spaceNode) {
    // The class and its base types, each once: the chain stops at a type
    // met before, so a circle of base types ends.
    std::vector<URI_Ref> chain;
    pMain->Get_AbstractTypes(lnType, &chain, "sec:LNodeType.Abstract_Type");
    for (const URI_Ref& t : chain) {
        std::vector<URI_Ref> dos;
        Members(pMain, t, "sec:LNodeType.DOs", dos);
        for (const URI_Ref& d : dos) {
            const URI_Ref semantic = pMain->DocMtd_getFirstUri_ofAsso(d, "sec:DO.DOSemantic");
            const URI_Ref semanticPkg =
                semantic.IsSet() ? pMain->DocMtd_getFirstUri_ofAsso(semantic, "sec:DOSemantic.TypePackage") : URI_Ref();
            const CString doName = Attr(pMain, d, kiln::core::kRoleName);
            XmlNode doNode = xml.AddNewNode_withAttrs(lnTypeNode, "DO", m_saDOAttrs);
            Put(xml, doNode, "name_ID", doName);
            if (semanticPkg.IsSet() && semanticPkg == pMain->m_uStdTypePackage) {
                Put(xml, doNode, "space_ID", kStdSpaceId);
            } else {
                Put(xml, doNode, "space_ID", Attr(pMain, semanticPkg, kiln::core::kRoleName));
                // The entry of an inherited DO carries its description as an
                // attribute of its own, created with the others.
                XmlNode aName = xml.AddNewNode_withAttrs(spaceNode, "A_Name", Names({"name_ID", "name_Type",
                                                                                     "Semantic_Desc"}));
                Put(xml, aName, "name_ID", doName);
                Put(xml, aName, "name_Type", "DO");
                Put(xml, aName, "Semantic_Desc", Attr(pMain, semantic, "cim:Naming.description"));
            }
            Put(xml, doNode, "doType", FirstName(pMain, d, "sec:DO.DefinedBy_DOType"));
            Put(xml, doNode, "presence", Reduce(Attr(pMain, d, "sec:DO.presence")));
        }
    }
    return true;
}
