// Name replacement: pairs (old name, new name) from a name-replacement file
// applied to the names of LN types and their DOs, logical devices, logical
// nodes and DOIs, and to the DO references of MapItems, inputs and data-set
// members, in an ICD, a type package or the whole document.
//
// A resource is renamed at most once per run, so a pair A -> B is never
// followed by B -> C. Nothing is written into a domain that may not be
// edited, and types are renamed only in instance packages. A name that SCL
// does not hold for the resource (outside its pattern, or a sibling's) is
// not given; the run names each such pair at its end. The types are renamed
// first; a DOI or a DO reference then follows the rename its node's type made
// of that DO, and keeps its name where none was made.
#include <map>
#include <set>
#include <string>

#include "core/name_rules.h"
#include "import/import_util.h"
#include "import/kiln_import.h"
#include "platform/ui/ui_functions.h"

using kiln::core::kRoleName;
using kiln::import::IsTrueText;
using kiln::import::MembersByOrd;

namespace {

constexpr const char* kRoleDoName = "sec:DARef.doName";
constexpr const char* kServerPath = "sec:ICD.IED/sec:IED.Servers";

using ReplacementTable = std::map<CString, CString>;

// The pairs of the file's "/SCL/DataTypeTemplates/Name" elements; the first
// pair of an old name wins, an element lacking a text of either is skipped.
ReplacementTable ReadTable(const XmlNode& root) {
    ReplacementTable table;
    XmlNodeList names = root.SelectNodes("/SCL/DataTypeTemplates/Name");
    for (long i = 0; i < names.Length(); ++i) {
        CString from, to;
        if (!names.Item(i).GetAttribute("name", from) || !names.Item(i).GetAttribute("changeto", to)) continue;
        if (from.IsEmpty() || to.IsEmpty()) continue;
        table.emplace(from, to);
    }
    return table;
}

class Renamer {
public:
    Renamer(CKiln_Main* app, const ReplacementTable& table) : m_app(app), m_table(table) {}

    // True when the resource's domain may be changed (asked once per domain).
    bool Editable(const URI_Ref& rsc) {
        CString domain;
        if (!m_app->DocMtd_DEnv_Get_Rsc_Domain(rsc, domain)) return false;
        auto it = m_domains.find(domain);
        if (it == m_domains.end()) it = m_domains.emplace(domain, m_app->DocMtd_DEnv_IsDomainEditable(domain)).first;
        return it->second;
    }

    bool IsInstancePackage(const URI_Ref& pkg) {
        return pkg.IsSet() && IsTrueText(m_app->DocMtd_getValue_ofAttr(pkg, "sec:TypePackage.isInstType"));
    }

    // The table applied to a resource's name: a whole-text match is
    // replaced, once per resource in the run. Gives the name replaced, empty
    // when none was.
    CString Apply(const URI_Ref& rsc) {
        if (rsc.IsEmpty() || m_done.count(rsc.sUri)) return CString();
        CString value;
        if (!m_app->DocMtd_get_attribute_value(rsc, kRoleName, value)) return CString();
        auto it = m_table.find(value);
        if (it == m_table.end() || !Editable(rsc)) return CString();
        m_done.insert(rsc.sUri);
        const CString breach = kiln::core::NameBreach(*m_app, rsc, it->second);
        if (!breach.IsEmpty()) {
            const CString line = "名称" + value + "未替换为" + it->second + "：" + breach;
            if (m_refused.insert(line).second) m_refusals += (m_refusals.IsEmpty() ? "" : "\n") + line;
            return CString();
        }
        return m_app->DocMtd_Modify_attribute_value(rsc, kRoleName, it->second) ? value : CString();
    }

    // A DOI's name or a DO reference of the node `lnode` follows the rename
    // of the DO it names in the node's type or the types it derives from;
    // without such a rename it keeps its text.
    void Follow(const URI_Ref& rsc, const char* role, const URI_Ref& lnode) {
        if (rsc.IsEmpty() || lnode.IsEmpty() || m_renamedDOs.empty()) return;
        CString value;
        if (!m_app->DocMtd_get_attribute_value(rsc, role, value)) return;
        std::vector<URI_Ref> types;
        m_app->Get_AbstractTypes(m_app->DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LNodeType"), &types,
                                 "sec:LNodeType.Abstract_Type");
        for (const URI_Ref& type : types) {
            auto renamed = m_renamedDOs.find(type.sUri);
            if (renamed == m_renamedDOs.end()) continue;
            auto it = renamed->second.find(value);
            if (it == renamed->second.end()) continue;
            if (Editable(rsc)) m_app->DocMtd_Modify_attribute_value(rsc, role, it->second);
            return;
        }
    }

    // One line for each name not given, in the order met.
    const CString& Refusals() const { return m_refusals; }

    // An LN type and its DOs, when the type lies in an instance package.
    void LNodeType(const URI_Ref& type) {
        if (!IsInstancePackage(m_app->DocMtd_getFirstUri_ofAsso(type, "sec:LNodeType.TypePackage"))) return;
        Apply(type);
        for (const URI_Ref& d : MembersByOrd(m_app, type, "sec:LNodeType.DOs")) {
            const CString old = Apply(d);
            if (!old.IsEmpty()) m_renamedDOs[type.sUri].emplace(old, m_table.at(old));
        }
    }

    void Package(const URI_Ref& pkg) {
        if (!IsInstancePackage(pkg)) return;
        for (const URI_Ref& t : MembersByOrd(m_app, pkg, "sec:TypePackage.LNodeTypes")) LNodeType(t);
    }

    // The LN types of a server's nodes.
    void NodeTypes(const URI_Ref& server) {
        for (const URI_Ref& ld : MembersByOrd(m_app, server, "sec:Server.LDevices"))
            for (const URI_Ref& ln : MembersByOrd(m_app, ld, "sec:LDevice.LNodes")) {
                const URI_Ref type = m_app->DocMtd_getFirstUri_ofAsso(ln, "sec:LNode.LNodeType");
                if (type.IsSet()) LNodeType(type);
            }
    }

    void M2I(const URI_Ref& m2i) {
        for (const URI_Ref& item : MembersByOrd(m_app, m2i, "sec:M2I.MapItems"))
            Follow(item, kRoleDoName, m_app->DocMtd_getFirstUri_ofAsso(item, "sec:DARef.LNode"));
    }

    // The devices of a server and their nodes by the table; the nodes'
    // inputs, data-set members and DOIs after the renamed DOs.
    void Server(const URI_Ref& server) {
        for (const URI_Ref& ld : MembersByOrd(m_app, server, "sec:Server.LDevices")) {
            Apply(ld);
            for (const URI_Ref& ln : MembersByOrd(m_app, ld, "sec:LDevice.LNodes")) {
                Apply(ln);
                for (const URI_Ref& r : MembersByOrd(m_app, ln, "sec:LNode.ExtRefs"))
                    Follow(r, kRoleDoName, m_app->DocMtd_getFirstUri_ofAsso(r, "sec:DARef.LNode"));
                for (const URI_Ref& ds : MembersByOrd(m_app, ln, "sec:LNode.DataSets"))
                    for (const URI_Ref& f : MembersByOrd(m_app, ds, "sec:DataSet.FCDAs"))
                        Follow(f, kRoleDoName, m_app->DocMtd_getFirstUri_ofAsso(f, "sec:DARef.LNode"));
                for (const URI_Ref& doi : MembersByOrd(m_app, ln, "sec:LNode.DOIs")) Follow(doi, kRoleName, ln);
            }
        }
    }

private:
    CKiln_Main* m_app;
    const ReplacementTable& m_table;
    std::set<std::string> m_done;       // every resource whose name was replaced or refused
    // LN type -> old DO name -> new DO name, for the DOs renamed in the run
    std::map<std::string, std::map<CString, CString>> m_renamedDOs;
    std::map<CString, bool> m_domains;  // domain -> editable
    CString m_refusals;
    std::set<CString> m_refused;  // each line once
};

void Notice(const char* text) { _AfxMessageBox(text, MB_OK, "", nullptr); }

}  // namespace

bool CKiln_Import::Replace_Names(CKiln_Main* app, CBase_XML* source, CBase_XML /*report*/, URI_Ref scope) {
    // Only an SCL file holds the table; another file is refused.
    const XmlNode root = source ? source->GetDocumentElement() : XmlNode();
    if (!root || root.NodeName() != "SCL") return false;
    const ReplacementTable table = ReadTable(root);
    Renamer renamer(app, table);

    if (scope.IsEmpty()) {
        std::vector<URI_Ref> icds, packages, instPackages;
        app->DocMtd_get_Uris_byClassName("sec:ICD", icds, "", SortPolicy_ByName);
        app->DocMtd_get_Uris_byClassName("sec:TypePackage", packages, "", SortPolicy_ByName);
        for (const URI_Ref& p : packages)
            if (renamer.IsInstancePackage(p)) instPackages.push_back(p);
        // Every domain is asked before anything changes.
        bool anyEditable = false;
        for (const URI_Ref& r : icds) anyEditable = renamer.Editable(r) || anyEditable;
        for (const URI_Ref& r : instPackages) anyEditable = renamer.Editable(r) || anyEditable;
        // A document without ICDs and instance packages has nothing to
        // rename: no lock stops it, and the run changes nothing.
        if (!anyEditable && !(icds.empty() && instPackages.empty())) {
            Notice("当前域不可编辑！-W0047");
            return false;
        }
        for (const URI_Ref& icd : icds) {
            if (renamer.Editable(icd)) continue;
            Notice("当前域不可编辑！-W0048");
            return false;
        }
        for (const URI_Ref& p : instPackages) renamer.Package(p);
        for (const URI_Ref& icd : icds) {
            renamer.M2I(app->DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.M2I"));
            renamer.Server(app->DocMtd_getFirstUri_ofAsso(icd, kServerPath));
        }
    } else if (scope.sClass == "sec:ICD") {
        const URI_Ref server = app->DocMtd_getFirstUri_ofAsso(scope, kServerPath);
        renamer.Package(app->DocMtd_getFirstUri_ofAsso(scope, "sec:ICD.TypePackage"));
        renamer.NodeTypes(server);
        renamer.M2I(app->DocMtd_getFirstUri_ofAsso(scope, "sec:ICD.M2I"));
        renamer.Server(server);
    } else if (scope.sClass == "sec:TypePackage") {
        renamer.Package(scope);
    }
    if (!renamer.Refusals().IsEmpty()) _AfxMessageBox(renamer.Refusals(), MB_OK, "", nullptr);
    return true;
}
