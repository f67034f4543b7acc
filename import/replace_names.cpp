// Name replacement: pairs (old name, new name) from a name-replacement file
// applied to the names of LN types and their DOs and logical devices, in an
// ICD, a type package or the whole document; an entry that matches a
// logical node's name is named, as the files know a node by its prefix,
// class and instance only. A pair
// whose entry gives a class ("type": "sec:LDevice", "sec:LNode",
// "sec:LNodeType" or "sec:DO") renames only resources of that class.
//
// A resource is renamed at most once per run, so a pair A -> B is never
// followed by B -> C. Nothing is written into a domain that may not be
// edited, and types are renamed only in instance packages. A name that SCL
// does not hold for the resource (outside its pattern, or a sibling's) is
// not given; nor is a DO's name when a text that names it lies in a domain
// that may not be edited. A renamed DO is followed by every DOI and DO
// reference of every node that uses it (whole or as the head of a path).
// The run names, at its end, each pair not given, each second pair of an
// old name, each entry of a class it does not rename or lacking a name, and
// each element of another namespace it meets.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/free_names.h"
#include "core/member_rename.h"
#include "core/name_rules.h"
#include "core/type_classes.h"
#include "import/import_util.h"
#include "import/kiln_import.h"
#include "platform/ui/ui_functions.h"

using kiln::core::kRoleName;
using kiln::import::IsTrueText;
using kiln::import::MembersByOrd;

namespace {

constexpr const char* kServerPath = "sec:ICD.IED/sec:IED.Servers";
constexpr const char* kNodeNameBreach = "逻辑节点的名称由前缀、LN类和实例号组成，不能替换！";

// The classes an entry's "type" may name: those the file's writer lists.
constexpr const char* kNamedClasses[] = {"sec:LDevice", "sec:LNode", "sec:LNodeType", "sec:DO"};

// A new name, and the class it is for (empty: any class).
struct Pair {
    CString to;
    CString type;
};
using ReplacementTable = std::map<CString, std::vector<Pair>>;

// Why an entry lacking a text of either name is left out: the texts it
// gives and those it lacks or leaves empty ("（name=“Str”，changeto为空）").
CString Incomplete(const XmlNode& entry) {
    CString given, lacking;
    for (const char* attr : {"name", "changeto"}) {
        CString text;
        const bool has = entry.GetAttribute(attr, text), filled = has && !text.IsEmpty();
        CString& part = filled ? given : lacking;
        part += (part.IsEmpty() ? "" : "，") + (filled ? attr + CString("=“") + text + "”"
                                                  : has ? attr + CString("为空") : "没有" + CString(attr));
    }
    return "（" + given + (given.IsEmpty() ? "" : "，") + lacking + "）";
}

// The pairs of the file's "/SCL/DataTypeTemplates/Name" elements, in the
// root's namespace. Each element of another namespace met on the way down
// (beside the templates, among the entries, within an entry) is named and
// nothing of it read; so is each entry left out: one lacking a text of
// either name, one of a class no pair renames, and a second pair of an old
// name for a class it already has (the first wins). Each is a line in `notes`.
ReplacementTable ReadTable(const XmlNode& root, std::vector<CString>& notes) {
    ReplacementTable table;
    const CString ns = root.NamespaceUri();
    // The child elements of `parent` in the root's namespace; one of another is named.
    auto own = [&](const XmlNode& parent) {
        std::vector<XmlNode> kids;
        for (const XmlNode& kid : parent.ChildElements()) {
            if (kid.NamespaceUri() == ns)
                kids.push_back(kid);
            else
                notes.push_back(kiln::import::NotRead(kid, kiln::import::OtherNamespace(kid)));
        }
        return kids;
    };
    std::vector<XmlNode> names;
    for (const XmlNode& templates : own(root)) {
        if (templates.LocalName() != "DataTypeTemplates") continue;
        for (const XmlNode& entry : own(templates)) {
            if (entry.LocalName() != "Name") continue;
            own(entry);  // an entry holds no element the run reads
            names.push_back(entry);
        }
    }
    for (const XmlNode& entry : names) {
        CString from, to, type;
        if (!entry.GetAttribute("name", from) || !entry.GetAttribute("changeto", to) || from.IsEmpty() ||
            to.IsEmpty()) {
            notes.push_back(kiln::import::NotRead(entry, Incomplete(entry)));
            continue;
        }
        entry.GetAttribute("type", type);
        bool known = type.IsEmpty();
        for (const char* cls : kNamedClasses) known = known || type == cls;
        if (!known) {
            notes.push_back("名称" + from + "未替换为" + to + "：类型" + type + "的名称不能替换！");
            continue;
        }
        std::vector<Pair>& pairs = table[from];
        const Pair* first = nullptr;
        for (const Pair& p : pairs)
            if (!first && (p.type.IsEmpty() || type.IsEmpty() || p.type == type)) first = &p;
        if (first) {
            notes.push_back("名称" + from + "未替换为" + to + "：文件中已有该名称的替换名" + first->to + "！");
            continue;
        }
        pairs.push_back({to, type});
    }
    return table;
}

class Renamer {
public:
    Renamer(CKiln_Main* app, const ReplacementTable& table)
        : m_app(app), m_table(table), m_siblings(*app), m_texts(*app, m_siblings) {}

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

    // The table applied to a resource's name: a whole-text match of a pair
    // for its class is replaced, once per resource in the run; a DO's new
    // name is carried into the texts that name it.
    void Apply(const URI_Ref& rsc) {
        if (rsc.IsEmpty() || m_done.count(rsc.sUri)) return;
        CString value;
        if (!m_app->DocMtd_get_attribute_value(rsc, kRoleName, value)) return;
        // A node is known by the name its files give it.
        if (rsc.sClass == "sec:LNode") value = kiln::core::NodeName(*m_app, rsc);
        const Pair* pair = PairFor(value, rsc.sClass);
        if (!pair || !Editable(rsc)) return;
        m_done.insert(rsc.sUri);
        // A node is written and shown by its prefix, class and instance,
        // never by this name: a new one would change nothing the user sees.
        CString breach = rsc.sClass == "sec:LNode" ? CString(kNodeNameBreach)
                                                   : kiln::core::NameBreach(m_siblings, *m_app, rsc, pair->to);
        std::vector<kiln::core::CTextEdit> edits;
        if (breach.IsEmpty() && rsc.sClass == "sec:DO") {
            edits = m_texts.Edits(rsc, value, pair->to);
            for (const kiln::core::CTextEdit& e : edits)
                if (breach.IsEmpty() && !Editable(e.rsc)) breach = "引用它的资源所在的域不可编辑！";
        }
        if (!breach.IsEmpty()) {
            Refuse("名称" + value + "未替换为" + pair->to + "：" + breach);
            return;
        }
        if (!m_app->DocMtd_Modify_attribute_value(rsc, kRoleName, pair->to)) return;
        kiln::core::ApplyTextEdits(*m_app, edits);
        m_texts.Renamed(rsc, pair->to, edits);
    }

    // A line of the message at the run's end, each once.
    void Refuse(const CString& line) {
        if (m_refused.insert(line).second) m_refusals += (m_refusals.IsEmpty() ? "" : "\n") + line;
    }
    const CString& Refusals() const { return m_refusals; }

    // An LN type and its DOs, when the type lies in an instance package.
    void LNodeType(const URI_Ref& type) {
        if (!IsInstancePackage(m_app->DocMtd_getFirstUri_ofAsso(type, "sec:LNodeType.TypePackage"))) return;
        Apply(type);
        for (const URI_Ref& d : MembersByOrd(m_app, type, "sec:LNodeType.DOs")) Apply(d);
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

    // The devices of a server and their nodes.
    void Server(const URI_Ref& server) {
        for (const URI_Ref& ld : MembersByOrd(m_app, server, "sec:Server.LDevices")) {
            Apply(ld);
            for (const URI_Ref& ln : MembersByOrd(m_app, ld, "sec:LDevice.LNodes")) Apply(ln);
        }
    }

private:
    const Pair* PairFor(const CString& name, const std::string& cls) const {
        auto it = m_table.find(name);
        if (it == m_table.end()) return nullptr;
        for (const Pair& p : it->second)
            if (p.type.IsEmpty() || p.type == cls.c_str()) return &p;
        return nullptr;
    }

    CKiln_Main* m_app;
    const ReplacementTable& m_table;
    kiln::core::SiblingNames m_siblings;  // the names the new ones are compared with
    kiln::core::MemberTexts m_texts;      // the texts a DO's new name is carried into
    std::set<std::string> m_done;       // every resource whose name was replaced or refused
    std::map<CString, bool> m_domains;  // domain -> editable
    CString m_refusals;
    std::set<CString> m_refused;  // each line once
};

void Notice(const char* text) { _AfxMessageBox(text, MB_OK, "", nullptr); }

}  // namespace

bool CKiln_Import::Replace_Names(CKiln_Main* app, CBase_XML* source, CBase_XML /*report*/, URI_Ref scope) {
    // Only an SCL file holds the table; another file is refused. Its
    // elements are read by the root's namespace, whatever prefix it has.
    const XmlNode root = source ? source->GetDocumentElement() : XmlNode();
    m_strRefusal = kiln::import::WrongRoot(root, "SCL", kiln::import::kSclNamespace);
    if (!m_strRefusal.IsEmpty()) return false;
    std::vector<CString> notes;
    const ReplacementTable table = ReadTable(root, notes);
    Renamer renamer(app, table);
    for (const CString& line : notes) renamer.Refuse(line);

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
        for (const URI_Ref& icd : icds) renamer.Server(app->DocMtd_getFirstUri_ofAsso(icd, kServerPath));
    } else if (scope.sClass == "sec:ICD") {
        const URI_Ref server = app->DocMtd_getFirstUri_ofAsso(scope, kServerPath);
        renamer.Package(app->DocMtd_getFirstUri_ofAsso(scope, "sec:ICD.TypePackage"));
        renamer.NodeTypes(server);
        renamer.Server(server);
    } else if (scope.sClass == "sec:TypePackage") {
        renamer.Package(scope);
    }
    if (!renamer.Refusals().IsEmpty()) _AfxMessageBox(renamer.Refusals(), MB_OK, "", nullptr);
    return true;
}
