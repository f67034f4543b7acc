// CKiln_Export: the exporter of one export command. It lives on the
// command's stack, writes one SCL file (the IED instance and the data-type
// templates of the types in use, or one type package) and the MICS document
// of an ICD, and changes nothing in the model.
//
// The writers create every element with its full attribute list, then fill
// the values attribute by attribute; a false result travels up unchanged and
// the command saves nothing.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/map_item_target.h"
#include "platform/framework/records.h"
#include "platform/mfc/containers.h"
#include "platform/mfc/cstring.h"
#include "platform/xml/base_xml.h"
#include "platform/xml/xml_node.h"

class CKiln_Main;
namespace kiln::core {
class CItbTableRules;
}

namespace kiln::exporter {
// The namespaces of the written files.
inline constexpr const char* kSclNamespace = "http://www.iec.ch/61850/2003/SCL";
inline constexpr const char* kMicsNamespace = "http://kiln.local/Zel/2004/MICS";
// The namespace of the system's own attributes in SCL files ("zScl:base" ...);
// the ICD template declares it.
inline constexpr const char* kZsclNamespace = "http://kiln.local/Zel/2007/zScl";
}  // namespace kiln::exporter

// What a DAI of an imported file holds beyond its name and value: its
// description, short address, kind of value, index and every value with its
// setting group (text, sGroup), written as they were read.
struct DAIDetails {
    CString desc, sAddr, valKind, ix, valImport;
    std::vector<std::pair<CString, CString>> vals;
};

// One node of the value tree of a DOI: the DAIs that end here (name, value)
// and the SDI nodes below, in order of first use.
class SDIObj {
public:
    SDIObj() = default;
    explicit SDIObj(const CString& name) : m_strName(name) {}
    virtual ~SDIObj() = default;
    SDIObj(const SDIObj&) = delete;
    SDIObj& operator=(const SDIObj&) = delete;

    virtual CString GetTypeName() const { return "SDI"; }
    bool IsEmpty() const {
        return m_vEntries.empty() && m_vChildren.empty() && m_strDesc.IsEmpty() && m_strIx.IsEmpty() &&
               m_strAddr.IsEmpty();
    }
    SDIObj* Find_Child(const CString& name) const;
    // Adds the dotted DAI path ("pulseConfig.onDur", "origin.orCat[0]") with
    // its value below this node; an index in brackets is dropped from every
    // segment. False for a path or segment that begins with "." or "[", or
    // one whose last segment is empty.
    bool Add_DAI_Path(const CString& path, const CString& value);
    // Writes this node as an element into `text`, with everything below:
    // its DAIs, then its SDI children. With `pPaths`, each DOI or SDI
    // element is kept (XmlElementsText::Keep) and its dotted path below
    // `path` goes to *pPaths in the same order, so that later values of the
    // node can share it.
    void Write_Node(XmlElementsText& text, std::vector<std::string>* pPaths, const std::string& path) const;

protected:
    // The ix, desc and sAddr of the SDI elements a DAI stands in, outermost
    // first (the parts of "sec:DAI.sdiIx", "sec:DAI.sdiDesc" and
    // "sec:DAI.sdiSAddr"); a missing part is empty.
    struct SDIParts {
        std::vector<std::string_view> ix, desc, sAddr;
    };
    struct Entry {
        Entry(std::string_view n, std::string_view v, std::unique_ptr<DAIDetails> d)
            : name(n), value(v), details(std::move(d)) {}
        CString name, value;
        std::unique_ptr<DAIDetails> details;  // null for a DAI of a name and a value only
    };
    // Add_DAI_Path on views of the texts: only the stored names and values
    // are copied. A DAI with details, or standing in SDIs with an ix, a
    // desc or an sAddr (`sdis`, from the level `level` of this node on),
    // keeps them.
    bool AddPath(std::string_view path, std::string_view value, std::unique_ptr<DAIDetails> details = nullptr,
                 const SDIParts* sdis = nullptr, size_t level = 0);
    // The first child of the name and the ix.
    SDIObj* Find_Child(std::string_view name, std::string_view ix = {}) const;

    CString m_strName;
    CString m_strDesc, m_strIx;  // the element's desc and ix, when it has them
    CString m_strAddr;           // an SDI's sAddr, a DOI's accessControl
    std::vector<Entry> m_vEntries;
    std::vector<std::unique_ptr<SDIObj>> m_vChildren;
};

// The root of one DOI's value tree: the DAIs of the DOI that carry a value,
// or details of an imported file.
class DOIObj : public SDIObj {
public:
    // bOk is true only when the whole tree was built. With `paths` (the
    // DO's attribute paths as SCL names them) a DAI of no such path is left
    // out of the tree, and when it holds something to write its path goes
    // to *pLacking.
    DOIObj(CKiln_Main* pMain, const URI_Ref& doi, bool& bOk, const std::set<std::string>* paths = nullptr,
           std::vector<CString>* pLacking = nullptr);
    CString GetTypeName() const override { return "DOI"; }
};

class CKiln_Export {
public:
    // The element tables of one logical node: dotted path to element, and DO
    // or SDO path to description.
    using NodeTable = std::map<std::string, XmlNode>;
    using DescTable = std::map<std::string, CString>;
    // The child elements of elements a node's values go into, by element
    // and name, the first of each.
    using ChildTable = std::map<pugi::xml_node, std::map<std::pair<std::string, std::string>, XmlNode>>;

    CKiln_Export();
    ~CKiln_Export();
    CKiln_Export(const CKiln_Export&) = delete;
    CKiln_Export& operator=(const CKiln_Export&) = delete;

    // ---- entry writers ----
    // The IED of an ICD: its type and one LDevice per logical device.
    bool Export_ICD_IED(CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& icd, bool bFromM2I);
    // One logical device under `parent`; bTypePackage writes a base device
    // of a type-package file (own nodes only, with AbstractLD).
    bool Export_LDevice(CKiln_Main* pMain, const XmlNode& parent, CBase_XML& xml, const URI_Ref& ld,
                        bool bTypePackage);
    // The types in use of the last Export_ICD_IED under DataTypeTemplates.
    bool Export_ICD_TypePackages(const XmlNode& node, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& icd);
    // One type package whole under DataTypeTemplates.
    bool Export_Alone_TypePackage(const XmlNode& node, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& package,
                                  bool bWithBaseLDevices);
    // The MICS document of an ICD; false only when the ICD has no type package.
    bool Export_MICS(CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& icd);

    // ---- name-replacement file ----
    // Appends one Name element (name, type, changeto) per Chinese name of the
    // resource (an ICD or a type package; empty: every ICD and instance
    // package) under the root's DataTypeTemplates, in ascending GBK byte
    // order, each name once with the class it was first met under. False
    // when the document has no DataTypeTemplates.
    bool Export_ReplaceNameFile(CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& rsc);
    // What the ICD export left out because SCL cannot hold it, one text per
    // thing (its kind and where it stands), in the order met.
    const std::vector<CString>& LeftOut() const { return m_vLeftOut; }
    // The control blocks the ICD export wrote without a data set, each where
    // it stands ("LD_1/LLN0.brcb1"), in the order met.
    const std::vector<CString>& WithoutDataSet() const { return m_vWithoutDataSet; }
    // True when the GBK form of the text holds two adjacent bytes >= 0x80.
    static bool IsChinese(const CString& text);

private:
    // ---- logical nodes and their children ----
    bool Export_LNode(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& lnode);
    // A further access point `name` after the template's `model`, with a
    // server like the template's `server`; returns that server.
    static XmlNode AddAccessPoint(const XmlNode& ied, const XmlNode& model, const XmlNode& server,
                                  const CString& name);
    bool Export_SGCB(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& sgcb);
    bool Export_Log(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& log);
    bool Export_LCBs(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& lcb);
    bool Export_DataSets(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& dataSet);
    // One FCDA of a data set as it is written.
    struct FcdaRow {
        CString ldInst, prefix, lnClass, lnInst, doName, daName, fc, ix;
    };
    // A member left out, and why.
    struct LeftOutMember {
        URI_Ref member;
        CString cause;
    };
    // The members of the data set that are written (those naming a node and
    // a DO and DA of its type), with `pLeftOut` the others too; false when
    // the members cannot be read.
    bool Collect_FCDAs(CKiln_Main* pMain, const URI_Ref& dataSet, std::vector<FcdaRow>& rows,
                       std::vector<LeftOutMember>* pLeftOut = nullptr);
    // The member's row, when it is written; else why it is not.
    CString CollectFCDA(CKiln_Main* pMain, const URI_Ref& member, std::vector<FcdaRow>& rows);
    // True when the data set is written, i.e. has a member to write.
    bool Is_DataSetWritten(CKiln_Main* pMain, const URI_Ref& dataSet);
    // The DOs of the LN type and of its base types by name (the first of a
    // name), read once per export (the model does not change while it is
    // written); those without a type are noted as they are read.
    const std::map<std::string, URI_Ref>& DOsOf(CKiln_Main* pMain, const URI_Ref& lnType);
    // True when the node's type (or a base type) has the DO a reference's
    // doName begins with, that DO has a type and, below it, the doName's
    // SDOs and the daName (a DA, or a struct of attributes); false for a
    // node without a type.
    bool NodeHolds(CKiln_Main* pMain, const URI_Ref& lnode, const CString& doName, const CString& daName);
    // Why a reference the node does not hold is left out: no node, a node
    // without a type, a DO its type lacks or one without a type of its own,
    // an element of an array its type lacks, or an attribute it lacks.
    CString LeftOutCause(CKiln_Main* pMain, const URI_Ref& lnode, const CString& doName, const CString& daName);
    // The attribute paths of the DO as SCL names them, structs included
    // ("origin", "origin.orCat"), read once per DO.
    const std::set<std::string>& SclPathsOf(CKiln_Main* pMain, const URI_Ref& dataObject);
    // The arrays below the DO with their counts (core/array_elements.h),
    // read once per DO.
    const std::map<std::string, std::string>& ArraysOf(CKiln_Main* pMain, const URI_Ref& dataObject);
    // The data set a control block names along `role` when it is written;
    // one left out makes the block go without, which LeftOut() names (a
    // block without one, WithoutDataSet()).
    URI_Ref WrittenDataSetOf(CKiln_Main* pMain, const URI_Ref& block, const CString& role, const CString& blockName);
    bool Export_ExtRefs(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& extRef);
    bool Export_RCBs(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& rcb);
    // One client of the report control block `blockName` under its
    // RptEnabled; a client that names no IED or LN class is left out.
    bool Export_ClientLN(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& client,
                         const CString& blockName);
    // The IED name a reference to the logical node writes: the name the
    // file gives the IED being written when the node is one of its own,
    // else the name of the node's IED.
    CString IedNameOf(CKiln_Main* pMain, const URI_Ref& lnode) const;
    // TrgOps of a control block from its stored trigger value; bGi forces gi.
    bool Export_TrgOps(const XmlNode& parent, CBase_XML& xml, const CString& trgOp, bool bGi);

    // ---- values from the mapping items ----
    bool Add_SDO_to_InstDO_map(CKiln_Main* pMain, const URI_Ref& sdo, DescTable& descs, const CString& path,
                               kiln::core::TypePath& onPath);
    bool Export_DOI(const XmlNode& lnElement, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& mapItem, bool bFlag,
                    NodeTable& nodes, DescTable& descs);
    XmlNode Write_SDI_and_GET_DAI(const XmlNode& lnElement, CBase_XML& xml, const CString& doPath,
                                  const CString& daPath, NodeTable& nodes, bool bFlag, const CString& value,
                                  const CString& desc, bool* pOther = nullptr);
    // The DAI of the DA path with the value, also an empty one (an
    // enumeration's empty literal), below the DO path's elements; a DAI of
    // that name written before stays as it is (`pOther` set true when it
    // holds another value).
    XmlNode WriteValueDAI(const XmlNode& lnElement, CBase_XML& xml, const CString& doPath, const CString& daPath,
                          NodeTable& nodes, const CString& value, bool* pOther = nullptr);

    // ---- data-type templates ----
    bool Export_LNodeType(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& type);
    bool Export_DO(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& dataObject);
    bool Export_DOType(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& type);
    bool Export_DA(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& member, bool bAsBDA);
    bool Export_DAType(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& type);
    bool Export_EnumType(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& type);
    bool Export_EnumVals(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& value);
    bool Get_m_doTypeList(CKiln_Main* pMain, const URI_Ref& member);
    bool Get_m_daTypeList(CKiln_Main* pMain, const URI_Ref& member);
    // Adds the type of the member (a DO, SDO, DA or BDA) and every type
    // below it along `membersRole` to the list, each once, however deep they
    // nest or whether one contains itself.
    void CollectTypes(CKiln_Main* pMain, const URI_Ref& member, std::vector<URI_Ref>& list,
                      std::set<std::string>& uris, const char* membersRole);
    // A type whose isInstType is "false" is left out of a type-package
    // file; the ICD form writes every type it references.
    bool SkipsType(CKiln_Main* pMain, const URI_Ref& type, const char* role) const;

    // ---- MICS ----
    bool Export_MICS_DO_Depend_LNodeType(CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& lnType,
                                         const XmlNode& lnTypeNode, const XmlNode& spaceNode);

    // Appends to the list when the URI text is new.
    static void AddOnce(std::vector<URI_Ref>& list, std::set<std::string>& uris, const URI_Ref& rsc);

    bool m_bFromM2I = false;
    bool m_bIcdForm = false;  // the data-type templates of an ICD are being written
    std::vector<URI_Ref> m_lnTypeList;
    std::vector<URI_Ref> m_doTypeList;
    std::vector<URI_Ref> m_daTypeList;
    std::vector<URI_Ref> m_enumTypeList;
    std::set<std::string> m_lnTypeUris;
    std::set<std::string> m_doTypeUris;
    std::set<std::string> m_daTypeUris;
    std::set<std::string> m_enumTypeUris;
    std::map<std::string, bool> m_dataSetWritten;  // data set URI -> has members to write
    std::map<std::string, std::map<std::string, URI_Ref>> m_typeDOs;  // see DOsOf()
    std::set<std::string> m_typelessDOs;  // the DOs DOsOf() met that have no type
    std::map<std::string, std::set<std::string>> m_doPaths;           // see SclPathsOf()
    std::map<std::string, std::map<std::string, std::string>> m_doArrays;  // see ArraysOf()
    std::vector<CString> m_vLeftOut;               // see LeftOut()
    std::optional<kiln::core::MapItemResolver> m_targets;  // the mapping items' targets, made when first asked
    std::vector<CString> m_vWithoutDataSet;        // see WithoutDataSet()
    CString m_strNodePath;                         // LD inst + "/" + name of the node being written
    XmlElementsText m_values;                      // the value trees of that node, its memory kept for the next
    ChildTable m_doiChildren;                      // the children of that node's value elements, as asked for
    URI_Ref m_uIed;                                // the IED an ICD export writes
    CString m_strIedName;                          // the name the file gives it
    CStringArray m_saSemanticSpaceAttrs;
    CStringArray m_saANameAttrs;
    CStringArray m_saLNodeTypeAttrs;
    CStringArray m_saDOAttrs;
    CStringArray m_saDOTypeAttrs;
    CStringArray m_saDAAttrs;
    CStringArray m_saIcdAttrs;
};

namespace kiln::exporter {
// The MICS file written beside an SCL file at `path`.
CString MicsPathFor(const CString& path);
// True when the bytes hold two adjacent bytes >= 0x80 (at any position).
bool HasHighBytePair(const std::string& bytes);

// The namespaces of the information-table and mapping files and the prefix
// of the IEC 60870-5-103 addresses in information-table files.
inline constexpr const char* kItbNamespace = "http://kiln.local/Zel/2004/ITB";
inline constexpr const char* kM2iNamespace = "http://kiln.local/Zel/2004/M2I";
inline constexpr const char* kS103Namespace = "http://kiln.local/Zel/2004/ITB/s103";

// One information item under the root of an information-table file, with
// its s103:Config child; false when its name cannot be read or an element
// cannot be created. What the ITB import would name of the item, the
// `index`-th of its table, is named in `breaches` by `rules` (which meet
// its id and address here, once read): a blank name, each number of its
// address past what 103 holds, its id or address given before; a group
// the table lacks (none `rules` has met) is left out and named there too.
bool Export_ITB_InfoItem(const XmlNode& root, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& item, size_t index,
                         kiln::core::CItbTableRules& rules, std::vector<CString>& breaches);
// What the M2I export of one mapping keeps from item to item: the ITB's
// items by the key the import finds them by, the targets resolved so far,
// what each logical node met so far gives its items, and every toDA written.
struct M2IExportRun {
    explicit M2IExportRun(CKiln_Main& app, std::map<CString, URI_Ref> keys)
        : itemKeys(std::move(keys)), targets(app) {}
    std::map<CString, URI_Ref> itemKeys;
    kiln::core::MapItemResolver targets;
    // The "LD/LN" a node's items are written under (empty outside a
    // device), and whether the node is a second LLN0 of its device; found
    // once per node. By DO name, the place of the last item that maps a key
    // DA of that data object of the node.
    struct Node {
        CString ref;
        bool secondLln0 = false;
        std::map<CString, size_t> lastKeyItem;
    };
    std::unordered_map<std::string, Node> nodes;
    std::unordered_set<std::string> written;
    size_t position = 0;  // the place of the item being written
};
// A mapping item as the M2I export reads it, once for both its passes: its
// node (with what the run found of it), its information item, its target
// and its texts, by the fields below and then one per MapItemProperties()
// row. The texts point into the document, which the export does not change.
struct M2IMapItem {
    enum Field { kName, kDoName, kDaName, kOperator, kDesc, kValue, kProperties };
    URI_Ref lnode, info;
    M2IExportRun::Node* node = nullptr;
    kiln::core::MapItemResolver::Target target;
    std::vector<std::string_view> texts;
};
// Reads the mapping item into `out`; false only when it cannot be read.
bool Read_M2I_MapItem(CKiln_Main* pMain, const URI_Ref& mapItem, M2IMapItem& out, M2IExportRun& run);
// The MappingItem elements of one mapping item under `mappings`: the main
// one and one per property that holds a value. An item the import would not
// read back as it is gives nothing, and is named in `leftOut`: one without
// logical device or DO name, whose information item goes by a key that
// finds another item, whose target the node's type does not hold, whose DA
// is no key DA of its data object's class (which has key DAs), or with a
// toDA already written; a property the import would not read back onto it
// is left out and named.
void Export_M2I_MapItem(const XmlNode& mappings, CBase_XML& xml, const M2IMapItem& item, CKiln_Main* pMain,
                        std::vector<CString>& leftOut, M2IExportRun& run);
// One MappingItem with its Process and Parameter; toDA = ref + daPart.
// False when one of the three elements cannot be created.
bool Export_M2I_MappingItem(CBase_XML& xml, const XmlNode& parent, const CString& ref, const CString& name,
                            const CString& desc, const CString& op, const CString& idItb, const CString& value,
                            const CString& daPart);
}  // namespace kiln::exporter
