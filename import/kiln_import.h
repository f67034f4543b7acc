// CKiln_Import: the importer of one import run. It holds what the readers of
// a run share: the import report (document, category nodes, entry attribute
// list, counters), the tables of existing resources and of the types the run
// makes, the path indexes of the imported instance, the accepted basic types
// and the references that are resolved after the instance is read. Every
// reader of SCL data-type templates and of an SCL IED is a member.
//
// Tables compare keys as exact, case-sensitive text, iterate in ascending key
// order and keep the first entry inserted under a key.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/framework/records.h"
#include "platform/mfc/containers.h"
#include "platform/mfc/cstring.h"
#include "platform/xml/base_xml.h"
#include "platform/xml/xml_node.h"

class CKiln_Main;

// One type of a run: the shell made for an SCL type element, or an existing
// type of the dependency chain.
struct Struct_ImportShell {
    CString m_strOrd;   // 1-based position among the elements of its kind; "" for an existing type
    URI_Ref m_uShell;   // the resource
    XmlNode m_pNode;    // the element that fills the shell; null for an existing type
    URI_Ref m_uClass;   // DA types: the standard DA class, once found
    CString m_strBase;  // LN types: the "@zScl:base" text
};

// A data-set member, input or report client whose target logical node is
// resolved after the whole IED has been read.
struct Struct_PendingRef {
    URI_Ref m_uMember;    // the sec:FCDA, sec:ExtRef or sec:ClientLN
    CString m_strLNPath;  // IED name + LD inst + prefix + LN class + LN inst
    CString m_strLDInst;
    CString m_strLNName;  // prefix + LN class + LN inst
    CString m_strDAName;
    CString m_strDOName;
};

using ImportNameTable = std::map<CString, URI_Ref>;
using ImportShellTable = std::map<CString, Struct_ImportShell>;

namespace kiln::import {
// The predefined basic types of SCL (the 2007 edition's list), accepted in
// "@bType"; Import_DataTypeTemplates fills m_setBasicTypes from it.
extern const char* const kBasicTypes[];
extern const int kBasicTypeCount;
// What new semantics carry as namespace when the file gives no header id.
inline constexpr const char* kNewPackageNs = "_新导入类型包_";
}  // namespace kiln::import

class CKiln_Import {
public:
    CKiln_Import();
    ~CKiln_Import();
    CKiln_Import(const CKiln_Import&) = delete;
    CKiln_Import& operator=(const CKiln_Import&) = delete;

    // ---- state, in declaration order ----
    URI_Ref m_uLastLog;                                   // the Log made last in the run
    std::vector<URI_Ref> m_vLCBs;                         // every LCB of the run still in the model, in order
    int m_nLogCount;                                      // Log elements read in the run
    std::map<CString, std::vector<CString>> m_mapKeyDAs;  // CDC -> key DA names
    bool m_bExtDOFreely;                                  // free DO extension of an ICD import
    int m_nErrors;                                        // error entries added to the report
    int m_nWarnings;                                      // warning entries added to the report
    CStringArray m_saReportAttrs;                         // attributes of every new report entry, in order
    XmlNode m_pOtherErrorsNode;                           // "other_errors"
    XmlNode m_pReportRoot;                                // "ICD"
    XmlNode m_pLNodeTypesNode;
    XmlNode m_pDOTypesNode;
    XmlNode m_pDATypesNode;
    XmlNode m_pDOsNode;
    XmlNode m_pDAsNode;
    XmlNode m_pBDAsNode;
    XmlNode m_pLNodesNode;
    XmlNode m_pLDevicesNode;
    XmlNode m_pDOIsNode;
    XmlNode m_pDAIsNode;
    CBase_XML m_xmlReportDoc;  // the report document
    CKiln_Main* m_pMain;       // the plug-in object of the run
    CBase_XML* m_pSourceXml;   // the file being imported
    std::vector<Struct_PendingRef> m_vPendingRefs;
    CString m_strHeaderId;          // "@id" of the ICD's Header; "" in other imports
    CString m_strIEDName;           // "@name" of the imported IED
    ImportNameTable m_mapKnownDOs;  // standard DOs by LN class name + DO name
    ImportNameTable m_mapTypePackages;
    ImportNameTable m_mapICDs;
    ImportNameTable m_mapKnownDATypes;
    ImportNameTable m_mapKnownDOTypes;
    ImportNameTable m_mapKnownLNodeTypes;
    ImportNameTable m_mapKnownEnumTypes;
    ImportNameTable m_mapOwnDOSemantics;
    ImportNameTable m_mapKnownDOSemantics;
    ImportNameTable m_mapKnownDASemantics;
    ImportNameTable m_mapInstPaths;   // DO and SDO paths of the imported instance
    ImportNameTable m_mapInstLNodes;  // logical nodes of the run by device name + node name
    ImportShellTable m_mapNewDATypes;
    ImportShellTable m_mapNewDOTypes;
    ImportShellTable m_mapNewLNodeTypes;
    ImportShellTable m_mapNewLDevices;
    ImportShellTable m_mapNewEnumTypes;
    std::set<CString> m_setBasicTypes;
    // For an LN type or a base device met along chains of bases: one further
    // along its chain, so that each chain is walked about once (BaseClosesCycle).
    std::map<std::string, URI_Ref> m_mapBaseAncestors;

    // The text of the first node `xpath` selects under `node`: false with ""
    // when the node is null or nothing is selected.
    bool Get_NodeText(const XmlNode& node, const CString& xpath, CString& out);

    // ---- enumerations, DA types, BDAs, values ----
    bool Import_EnumType(CKiln_Main* app, URI_Ref enumType, XmlNode node, CString ord);
    // True when the id names a standard enumeration whose values (order
    // numbers and texts, in order) are the EnumType element's: the element
    // then gets no type of its own and references go to the standard's.
    bool IsStandardEnumType(CKiln_Main* app, const XmlNode& node, const CString& id);
    bool Import_DAType(CKiln_Main* app, URI_Ref daType, XmlNode node, CString ord, bool bLoadDepends);
    bool Import_BDA(CKiln_Main* app, URI_Ref daType, XmlNode node, CString ord);
    bool Import_Val(CKiln_Main* app, URI_Ref owner, XmlNode node, CString ord);
    bool Link_StructBDAs(CKiln_Main* app, URI_Ref daClass, XmlNode node);
    bool Link_AllStructBDAs(CKiln_Main* app);
    // Names each type read that contains itself, or nests or derives deeper
    // than the walks of types go (kiln::core::TypeNestingFaults).
    void Report_TypeNesting(CKiln_Main* app);

    // ---- DO types, DAs, SDOs ----
    bool Import_DOType(CKiln_Main* app, URI_Ref doType, XmlNode node, CString ord, bool bLoadDepends);
    bool Import_DA(CKiln_Main* app, URI_Ref doType, ImportNameTable& members, XmlNode node, CString ord);
    bool Import_SDO(CKiln_Main* app, URI_Ref doType, ImportNameTable& members, XmlNode node, CString ord);
    // The presence condition of the class's member (its "role") on the member
    // read from the file, when the two are of one kind and the class's has one.
    void CopyPresence(CKiln_Main* app, const URI_Ref& classMember, const URI_Ref& member, const char* role);

    // ---- LN types and DOs ----
    // Whether basing `rsc` (an LN type or a base device), which has no base
    // yet, on `base` along `role` would close a circle: whether the chain of
    // `base` ends at `rsc`. However long the chains, each is walked about
    // once in a run.
    bool BaseClosesCycle(CKiln_Main* app, const URI_Ref& rsc, const URI_Ref& base, const char* role);
    bool Import_LNodeType(CKiln_Main* app, URI_Ref lnType, XmlNode node, CString base, URI_Ref package, CString ord,
                          bool bLoadDepends);
    // False when no DO with a name was made (the creator refused, or the
    // element has no name).
    bool Import_DO(CKiln_Main* app, URI_Ref lnType, XmlNode node, CString ord, CString typeId, CString lnClass,
                   ImportNameTable& classDOs, URI_Ref package);
    bool Check_DATypeClassOf(CKiln_Main* app);

    // ---- member path tables ----
    bool Collect_SDOPaths(CKiln_Main* app, URI_Ref sdo, ImportNameTable* paths, CString path);
    bool Collect_DAPaths(CKiln_Main* app, URI_Ref sdo, ImportNameTable* paths, CString path);
    bool Collect_BDAPaths(CKiln_Main* app, URI_Ref bda, ImportNameTable* paths, CString withFc, CString plain);

    // ---- IED, logical devices, logical nodes ----
    bool Import_IED(CKiln_Main* app, URI_Ref icd, XmlNode node);
    // `accessPoint`: the roles and texts of the device's access point (its
    // name, attributes, server and authentication), kept on the device.
    using AccessPointTexts = std::vector<std::pair<const char*, CString>>;
    bool Import_LDevice(CKiln_Main* app, URI_Ref ied, XmlNode node, CString ord, CString iedName,
                        const AccessPointTexts& accessPoint = {});
    bool Import_LNode(CKiln_Main* app, URI_Ref ld, XmlNode node, CString ord, URI_Ref log, URI_Ref sgcb, CString ldName,
                      bool bDataSetFlag);

    // ---- DOI and DAI ----
    bool Import_DOI(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString ord, CString lnType, ImportNameTable& dois,
                    const ImportNameTable& dos);
    bool Import_DAI(CKiln_Main* app, URI_Ref doi, XmlNode node, const ImportNameTable& paths, CString path);

    // ---- control blocks ----
    bool Import_Log(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString ord, URI_Ref& log);
    bool Import_LCB(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString ord, const ImportNameTable& dataSets);
    bool Import_SGCB(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString ord, URI_Ref& sgcb);
    bool Import_RCB(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString ord, const ImportNameTable& dataSets);
    bool Import_ClientLN(CKiln_Main* app, URI_Ref rcb, XmlNode node, CString ord);

    // ---- data sets and inputs ----
    bool Import_DataSet(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString ord, ImportNameTable& dataSets,
                        bool bFlag);
    bool Import_FCDA(CKiln_Main* app, URI_Ref dataSet, XmlNode node, CString ord, bool bFlag);
    bool Import_ExtRef(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString ord);

    // ---- instance path indexes ----
    // With `only`, the table holds just the paths of that set (what the
    // references ask for), not every DA path of the ICD.
    bool Index_ICD_DAs(CKiln_Main* app, URI_Ref icd, ImportNameTable& daPaths,
                       const std::set<CString>* only = nullptr);
    bool Index_ICD_LNodes(CKiln_Main* app, URI_Ref icd);

    // ---- key data attributes ----
    bool Init_KeyDATable(CString cdc, CString daName);
    bool IsKeyDA(CString cdc, CString daName);

    // ---- import workers: each reads one loaded file into the model and
    // ends with the import report; false tells the caller to show its
    // file-format message ----
    // Why the worker refused the file for its root, "" when it did not say:
    // the run shows it on a line of its own after that message.
    CString m_strRefusal;
    bool Import_ICD(URI_Ref* pOut, CKiln_Main* app, CBase_XML* source, URI_Ref base, CBase_XML report, bool bFlag,
                    URI_Ref product);
    bool Import_TypePackageFile(CKiln_Main* app, CBase_XML* source, CBase_XML report);
    bool Import_LNodeTypeFile(CKiln_Main* app, CBase_XML* source, CBase_XML report, URI_Ref package);
    // The types and base logical devices of a DataTypeTemplates element into
    // the ICD's own package, or into a new package named `name` when icd is
    // empty. Asks for the package the types depend on.
    bool Import_DataTypeTemplates(CKiln_Main* app, URI_Ref icd, XmlNode templates, CString name);
    bool Import_BaseLDevices(CKiln_Main* app, URI_Ref ldevice, XmlNode node, CString ord, bool bFlag);
    // Links every queued ExtRef, FCDA and ClientLN to its logical node and
    // reports what the imported IED does not hold.
    bool Link_ExtRefsAndFCDAs(CKiln_Main* app, const ImportNameTable& daPaths);
    // The (name, changeto) pairs of a name-replacement file applied to the
    // names in `scope`: an ICD, a type package, or the whole document when
    // empty. `report` is not used. False when the file has no root element
    // or a domain refuses the whole-document replacement.
    bool Replace_Names(CKiln_Main* app, CBase_XML* source, CBase_XML report, URI_Ref scope);

    // ---- information table and mapping ----
    // The groups and items of an ITB file as a new ITB of `icd` (with an
    // empty icd, the ICD the file's iedModel and icdVersion name). Ids are
    // checked before anything is made; a creator's refusal takes back what
    // the call made. With the report template, what the model cannot hold
    // (left out) and what 103 refuses is named in the report, which ends
    // the run as the other imports end.
    bool Import_ITB(CKiln_Main* app, CBase_XML* source, URI_Ref icd, const CBase_XML* report = nullptr);
    // The refusals of an M2I file that come before anything is made: no
    // "Mappings" under the root, no ICD, an ICD without IED or server. Shows
    // the message and gives false.
    bool Check_M2ISource(CKiln_Main* app, CBase_XML* source, const URI_Ref& icd);
    // The MappingItems of an M2I file as a new M2I of `icd`, whose ITB must
    // exist; `items` are its InfoItems by id. Ends with the report.
    bool Import_M2I(CKiln_Main* app, CBase_XML* source, URI_Ref icd, CBase_XML report, ImportNameTable items);

private:
    // ---- shared steps of the workers ----
    // Report attributes, the report document and its nodes, the main object
    // and the source. False when the report lacks one of its nodes.
    bool Bind_Report(CKiln_Main* app, CBase_XML* source, const CBase_XML& report);
    // Every type package by name, then the standard tables from the
    // standard package's chain. Returns the standard package.
    URI_Ref Load_StandardTables(CKiln_Main* app);
    // The root must be "SCL" and (with bCheckKeys) every element under its
    // DataTypeTemplates must carry its key attribute; on the first that lacks it, its report
    // entry. False when the file fails.
    bool Check_FileKeys(XmlNode root, bool& bKeyMissing, bool bCheckKeys = true);
    // A type file is read by the namespace of its root SCL (SCL's or none):
    // an element of another namespace among the root's children or within
    // its DataTypeTemplates (outside Private elements) is named and taken
    // out of the tree, so that the readers, which go by plain names, never
    // take it for SCL's; one of that namespace under a prefix loses the
    // prefix. False, with why, for a file of another root.
    bool Take_SclNamespace(const XmlNode& root);
    // The common ending: "导入成功!" when nothing counted was found, else the
    // summary, the saved report and the question. `what` is "ICD",
    // "TypePackage", "LNodeType", "M2I" or "ITB".
    void Finish_Report(CKiln_Main* app, const char* what);
    // One warning per kind and element of what the model has no place for:
    // in the IED element the ICD import took (GOOSE and sampled-value
    // control blocks, Private elements, the IED's Services, the binding
    // attributes of inputs, elements and attributes of other namespaces),
    // in the file's data-type templates, and the file's Communication
    // section as it concerns that IED (its access points, GSE and SMV).
    void Report_UnkeptContent(const XmlNode& root, const XmlNode& ied);
    // One error per attribute SCL requires that a type element or one of
    // its members lacks, and no reader names itself (see kRequired).
    void Report_MissingAttributes(const XmlNode& type);
    // The DO names of each LNodeType element by id, read before any change.
    using TemplateDOs = std::map<CString, std::vector<CString>>;
    // The names of the DOs a type based on `base` inherits: along the base
    // chain in the file, then in the model. A chain closing on itself ends,
    // as one does at the bound of nesting (kiln::core::kTypeNestingBound).
    std::vector<CString> InheritedDOs(CKiln_Main* app, const CString& id, const CString& base,
                                      const TemplateDOs& fileDOs, const std::map<CString, CString>& fileBases);

    // The Log of one logical device of the run and the Log elements read there.
    struct DeviceLog {
        URI_Ref ld;
        CString ldName;
        URI_Ref log;
        CString logName;
        int count = 0;
        CString leftOut;  // the further Logs, "Log:H、Log:K", as the report names them
    };
    // An LCB with what its Log is found by once the whole IED is read.
    struct PendingLCB {
        URI_Ref lcb;
        URI_Ref ld;
        CString logName;
        // The Log's node as the file names it, by kLogRefAttrRoles; bLogRef
        // when it names any part of it.
        CString logRef[4];
        bool bLogRef = false;
    };

    // A report entry under `category` made with m_saReportAttrs; counts into
    // *pCounter when given.
    void AddEntry(const XmlNode& category, const char* element, const CString& name, const CString& error,
                  int* pCounter);
    void AddOtherError(const CString& name, const CString& error) {
        AddEntry(m_pOtherErrorsNode, "other_error", name, error, &m_nErrors);
    }
    // Enters the DA, DO and LN types of the packages along the dependency
    // chain of `package` (instance or standard ones) into the shell tables.
    void LoadDependTypes(CKiln_Main* app, const URI_Ref& package, bool bInstance);
    // The type link of a Struct or Enum member ("DA" or "BDA" in findings);
    // the DA type entry a Struct member was linked to, else null.
    Struct_ImportShell* LinkMemberType(CKiln_Main* app, const URI_Ref& member, const CString& bType,
                                       const CString& typeId, const char* kind, const CString& name);
    // The Val children of a DA, BDA or DAI element: the first text to
    // `valueRole`, each one a sec:Val numbered by its position.
    void ImportMemberVals(CKiln_Main* app, const URI_Ref& owner, const XmlNode& node, const CString& valueRole);
    // The entry of a logical device in m_vDeviceLogs, made when missing.
    DeviceLog& DeviceLogOf(CKiln_Main* app, const URI_Ref& ld);
    // One warning per device that held further Logs, naming the device, the
    // Log kept and those left out.
    void ReportLeftOutLogs();
    // Links each LCB to the Log of the node its "ldInst", "prefix",
    // "lnClass" and "lnInst" name (none when that node holds no Log), else to
    // the Log its "logName" names, else to its own device's Log.
    void LinkLCBsToLogs(CKiln_Main* app);

    // One MappingItem of an M2I file in its data object's group.
    struct M2IEntry {
        CString toDA;
        CString daPath;  // below the data object; "" for the object itself
        XmlNode node;
        size_t position = 0;  // the MappingItem's place among the file's
    };
    // The run state of an M2I import (m2i_import.cpp, m2i_items.cpp).
    struct M2IRun;
    void Map_M2IGroup(M2IRun& run, const CString& key, const std::vector<M2IEntry>& entries);
    // The error entry of a MappingItem under the report's "M2I" node.
    void AddM2IError(M2IRun& run, const CString& name, const CString& error);

    bool m_bAnswerCancelled = false;  // no dependency or no new package (name cancelled, or refused, said so)
    bool m_bCreatorRefused = false;   // a creator refused a type of the file
    std::vector<DeviceLog> m_vDeviceLogs;    // the devices of the run that read a Log element
    std::unordered_map<std::string, size_t> m_mapDeviceLogAt;  // device identifier -> its m_vDeviceLogs entry
    // What the instance readers read of the types over and over, kept while
    // the change stamps of everything it is read from hold (type_reads.cpp).
    struct DOReads {
        URI_Ref doType;  // the DO's type; empty when it has none
        CString cdc;     // the name of the type's CDC class; "" when none
    };
    struct MemberReads {
        bool hasFc = false;  // a DA whose "sec:DA.fc_0" could be read
        CString fc;
        bool hasDaType = false;  // the member's struct type has a class
        CString daType;          // that class's name
    };
    struct KeptTypeReads {
        std::vector<int> slots;        // where the stamps are kept in the document
        std::vector<uint64_t> stamps;  // the stamps the reads below were made at
        std::map<std::string, ImportNameTable> doTypePaths;  // member paths below a DO type (keys start with ".")
        std::unordered_map<std::string, DOReads> dos;
        std::unordered_map<std::string, MemberReads> members;
        // The DOs of an LN type and its bases by name, the type's own first.
        std::unordered_map<std::string, std::shared_ptr<const ImportNameTable>> lnTypeDOs;
    };
    KeptTypeReads m_keptTypeReads;
    // Forgets the kept reads when anything they were read from changed.
    void CheckKeptTypeReads(CKiln_Main* app);
    const ImportNameTable& KeptDOTypePaths(CKiln_Main* app, const URI_Ref& doType);
    const DOReads& KeptDOReads(CKiln_Main* app, const URI_Ref& dataObject);
    const MemberReads& KeptMemberReads(CKiln_Main* app, const URI_Ref& member);
    std::shared_ptr<const ImportNameTable> KeptLNTypeDOs(CKiln_Main* app, const URI_Ref& lnType);
public:
    // The ix, desc and sAddr texts of the SDIs around a DAI ("sec:DAI.sdiIx",
    // "sec:DAI.sdiDesc", "sec:DAI.sdiSAddr"); empty when no SDI has one.
    struct SDIRun {
        CString ix;
        CString desc;
        CString sAddr;
    };

private:
    // The member paths a DAI is looked up in: the keys of `table` behind the
    // text `inFront` (the DOI's name; "" when the table holds whole paths).
    struct DAIPaths {
        const ImportNameTable* table;
        CString inFront;
        const URI_Ref* Find(const CString& key) const;
    };
    bool ImportDAI(CKiln_Main* app, const URI_Ref& doi, const XmlNode& node, const DAIPaths& paths,
                   const CString& path, const SDIRun* run = nullptr);
    // The LCBs of m_vLCBs that look for a Log, with their device and logName.
    std::vector<PendingLCB> m_vPendingLCBs;
};
