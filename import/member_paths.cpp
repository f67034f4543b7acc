// Member path tables: the dotted paths of the SDOs, DAs and struct members
// below a data object, and the path indexes of an imported instance.
//
// The walks remember the types they are inside of, so a type that contains
// itself ends the descent there; a type used twice side by side is walked
// both times.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/type_classes.h"
#include "core/type_nesting.h"
#include "import/import_util.h"
#include "import/kiln_import.h"

using kiln::core::kRoleName;
using namespace kiln::import;

namespace {

using OnPath = kiln::core::TypePath;

// Paths in the order a walk enters them, for tables that many DOs of one
// type share: the same walk with another start is the start put in front.
struct PathList {
    std::vector<std::pair<CString, URI_Ref>> paths;
    bool sorted = false;
    void emplace(const CString& path, const URI_Ref& member) { paths.emplace_back(path, member); }
    // Sorts the list once, a repeated path only in its first place.
    void Sort() {
        if (sorted) return;
        std::stable_sort(paths.begin(), paths.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        paths.erase(std::unique(paths.begin(), paths.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
                    paths.end());
        sorted = true;
    }
    // Adds the paths behind `start`, in order, so that each insertion lands
    // just after the one before it in the table.
    void AddTo(ImportNameTable& table, const CString& start) {
        Sort();
        auto hint = table.end();
        for (const auto& [path, member] : paths) {
            hint = table.emplace_hint(hint, start + path, member);
            ++hint;
        }
    }
    // The same, for the paths of `only` alone: each path of the set that
    // begins with the start is looked up behind it.
    void AddTo(ImportNameTable& table, const CString& start, const std::set<CString>& only) {
        const std::string& s = start.str();
        auto asked = only.lower_bound(start);
        if (asked == only.end() || asked->str().compare(0, s.size(), s) != 0) return;
        Sort();
        for (; asked != only.end() && asked->str().compare(0, s.size(), s) == 0; ++asked) {
            const std::string_view rest = std::string_view(asked->str()).substr(s.size());
            auto at = std::lower_bound(paths.begin(), paths.end(), rest,
                                       [](const auto& p, std::string_view r) { return std::string_view(p.first.str()) < r; });
            if (at != paths.end() && at->first.str() == rest) table.insert({*asked, at->second});
        }
    }
};

CString NameOf(CKiln_Main* app, const URI_Ref& rsc) { return app->DocMtd_getValue_ofAttr(rsc, kRoleName); }

// The walks hand each path with its member to `add`: a table's first-wins
// insertion, or a list that keeps the walk's order.
template <typename Add>
void SDOWalk(CKiln_Main* app, const URI_Ref& member, Add& table, const CString& path, OnPath& onPath) {
    URI_Ref type = app->DocMtd_getFirstUri_ofAsso(member, "sec:SDO.DefinedBy_DOType");
    table.emplace(path, member);
    if (!kiln::core::EnterTypePath(onPath, type)) return;
    for (const URI_Ref& sdo : MembersByOrd(app, type, "sec:DOType.Contains_SDOs")) {
        const CString p = path + "." + NameOf(app, sdo);
        table.emplace(p, sdo);
        SDOWalk(app, sdo, table, p, onPath);
    }
    onPath.erase(type.sUri);
}

template <typename Add>
void BDAWalk(CKiln_Main* app, const URI_Ref& member, Add& table, const CString& withFc, const CString& plain,
             OnPath& onPath) {
    const CString n = "." + NameOf(app, member);
    table.emplace(withFc + n, member);
    table.emplace(plain + n, member);
    URI_Ref type = app->DocMtd_getFirstUri_ofAsso(member, "sec:BDA.DefinedBy_Struct");
    if (!kiln::core::EnterTypePath(onPath, type)) return;
    for (const URI_Ref& bda : MembersByOrd(app, type, "sec:DAType.Contains_BDAs"))
        BDAWalk(app, bda, table, withFc + n, plain + n, onPath);
    onPath.erase(type.sUri);
}

template <typename Add>
void DAWalk(CKiln_Main* app, const URI_Ref& member, Add& table, const CString& path, OnPath& onPath);

// The SDO, DA and struct-member paths of one DO type below the path.
template <typename Add>
void DOTypeWalk(CKiln_Main* app, const URI_Ref& type, Add& table, const CString& path, OnPath& onPath) {
    for (const URI_Ref& sdo : MembersByOrd(app, type, "sec:DOType.Contains_SDOs"))
        DAWalk(app, sdo, table, path + "." + NameOf(app, sdo), onPath);
    for (const URI_Ref& da : MembersByOrd(app, type, "sec:DOType.Contains_DAs")) {
        const CString plain = path + "." + NameOf(app, da);
        const CString withFc = plain + "[" + FcOf(app, da) + "]";
        table.emplace(withFc, da);
        table.emplace(plain, da);
        URI_Ref structType = app->DocMtd_getFirstUri_ofAsso(da, "sec:BDA.DefinedBy_Struct");
        if (!kiln::core::EnterTypePath(onPath, structType)) continue;
        for (const URI_Ref& bda : MembersByOrd(app, structType, "sec:DAType.Contains_BDAs"))
            BDAWalk(app, bda, table, withFc, plain, onPath);
        onPath.erase(structType.sUri);
    }
}

template <typename Add>
void DAWalk(CKiln_Main* app, const URI_Ref& member, Add& table, const CString& path, OnPath& onPath) {
    table.emplace(path, member);
    URI_Ref type = app->DocMtd_getFirstUri_ofAsso(member, "sec:SDO.DefinedBy_DOType");
    if (!kiln::core::EnterTypePath(onPath, type)) return;
    DOTypeWalk(app, type, table, path, onPath);
    onPath.erase(type.sUri);
}

}  // namespace

namespace kiln::import {

void CollectDOTypePaths(CKiln_Main* app, const URI_Ref& doType, ImportNameTable& table, const CString& path) {
    OnPath onPath{doType.sUri};
    DOTypeWalk(app, doType, table, path, onPath);
}

}  // namespace kiln::import

bool CKiln_Import::Collect_SDOPaths(CKiln_Main* app, URI_Ref sdo, ImportNameTable* paths, CString path) {
    OnPath onPath;
    if (paths) SDOWalk(app, sdo, *paths, path, onPath);
    return true;
}

bool CKiln_Import::Collect_DAPaths(CKiln_Main* app, URI_Ref sdo, ImportNameTable* paths, CString path) {
    OnPath onPath;
    if (paths) DAWalk(app, sdo, *paths, path, onPath);
    return true;
}

bool CKiln_Import::Collect_BDAPaths(CKiln_Main* app, URI_Ref bda, ImportNameTable* paths, CString withFc,
                                    CString plain) {
    OnPath onPath;
    if (paths) BDAWalk(app, bda, *paths, withFc, plain, onPath);
    return true;
}

namespace {

// A DO of an LN type as the instance walks see it: its name and its type.
struct InstanceDO {
    URI_Ref d;
    CString name;
    URI_Ref doType;
};

// Calls `visit` for every DO of every logical node of the ICD's first
// server: the node's LN type first, then its base types, each in sibling
// order. The DOs of each LN type are read once in the walk. False when the
// ICD has no IED or the IED no server.
template <typename Visit>
bool ForEachInstanceDO(CKiln_Main* app, const URI_Ref& icd, Visit visit) {
    URI_Ref ied = app->DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.IED");
    URI_Ref server = ied.IsSet() ? app->DocMtd_getFirstUri_ofAsso(ied, "sec:IED.Servers") : URI_Ref();
    if (server.IsEmpty()) return false;
    std::map<std::string, std::vector<InstanceDO>> byLNType;
    for (const URI_Ref& ld : MembersByOrd(app, server, "sec:Server.LDevices")) {
        const CString ldName = NameOf(app, ld);
        for (const URI_Ref& node : MembersByOrd(app, ld, "sec:LDevice.LNodes")) {
            URI_Ref lnType = app->DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType");
            if (lnType.IsEmpty()) continue;
            auto [dos, added] = byLNType.try_emplace(lnType.sUri);
            if (added) {
                std::vector<URI_Ref> chain;
                app->Get_AbstractTypes(lnType, &chain, "sec:LNodeType.Abstract_Type");
                for (const URI_Ref& t : chain)
                    for (const URI_Ref& d : MembersByOrd(app, t, "sec:LNodeType.DOs"))
                        dos->second.push_back({d, NameOf(app, d), app->DocMtd_getFirstUri_ofAsso(d, "sec:DO.DefinedBy_DOType")});
            }
            for (const InstanceDO& d : dos->second) visit(ldName, node, d);
        }
    }
    return true;
}

}  // namespace

bool CKiln_Import::Index_ICD_DAs(CKiln_Main* app, URI_Ref icd, ImportNameTable& daPaths,
                                 const std::set<CString>* only) {
    std::map<std::string, PathList> byType;  // the paths below each DO type, walked once
    CString lastNode, nodeStart;
    bool nodeAsked = true;  // with `only`: some path of the set begins with the node's
    return ForEachInstanceDO(app, icd, [&](const CString& ldName, const URI_Ref& node, const InstanceDO& d) {
        if (d.doType.IsEmpty()) return;
        if (node.sUri != lastNode.str()) {
            lastNode = node.sUri;
            nodeStart = ldName + "/" + NameOf(app, node) + ".";
            if (only) {
                auto first = only->lower_bound(nodeStart);
                nodeAsked = first != only->end() && first->str().compare(0, nodeStart.str().size(), nodeStart.str()) == 0;
            }
        }
        // Every path of this node begins with the node's start: none is asked.
        if (!nodeAsked) return;
        auto it = byType.find(d.doType.sUri);
        if (it == byType.end()) {
            it = byType.emplace(d.doType.sUri, PathList()).first;
            OnPath onPath{d.doType.sUri};
            DOTypeWalk(app, d.doType, it->second, CString(), onPath);
        }
        const CString start = nodeStart + d.name;
        if (only)
            it->second.AddTo(daPaths, start, *only);
        else
            it->second.AddTo(daPaths, start);
    });
}

bool CKiln_Import::Index_ICD_LNodes(CKiln_Main* app, URI_Ref icd) {
    if (icd.IsEmpty()) return false;
    std::map<std::string, PathList> byType;  // the SDO paths below each DO type, walked once
    CString lastNode, lnName;
    return ForEachInstanceDO(app, icd, [&](const CString& ldName, const URI_Ref& node, const InstanceDO& d) {
        if (node.sUri != lastNode.str()) {
            lastNode = node.sUri;
            lnName = kiln::core::NodeNameText(app->DocMtd_getValue_ofAttr(node, "sec:LNode.prefix"),
                                              app->DocMtd_getValue_ofAttr(node, "sec:LNode.lnClass"),
                                              app->DocMtd_getValue_ofAttr(node, "sec:LNode.lnInst"));
        }
        const CString path = ldName + "/" + lnName + "." + d.name;
        m_mapInstPaths.emplace(path, d.d);
        if (d.doType.IsEmpty()) return;
        auto it = byType.find(d.doType.sUri);
        if (it == byType.end()) {
            it = byType.emplace(d.doType.sUri, PathList()).first;
            for (const URI_Ref& sdo : MembersByOrd(app, d.doType, "sec:DOType.Contains_SDOs")) {
                OnPath onPath;
                SDOWalk(app, sdo, it->second, "." + NameOf(app, sdo), onPath);
            }
        }
        it->second.AddTo(m_mapInstPaths, path);
    });
}

namespace kiln::import {

bool IndexM2IPaths(CKiln_Main* app, const URI_Ref& icd, ImportNameTable& lnodes, ImportNameTable& dos,
                   ImportNameTable& das) {
    URI_Ref ied = app->DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.IED");
    URI_Ref server = ied.IsSet() ? app->DocMtd_getFirstUri_ofAsso(ied, "sec:IED.Servers") : URI_Ref();
    if (server.IsEmpty()) return false;
    std::map<std::string, PathList> sdoPaths, daPaths;  // below each DO type, walked once
    for (const URI_Ref& ld : MembersByOrd(app, server, "sec:Server.LDevices")) {
        const CString ldName = NameOf(app, ld);
        for (const URI_Ref& node : MembersByOrd(app, ld, "sec:LDevice.LNodes")) {
            URI_Ref lnType = app->DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType");
            if (lnType.IsEmpty()) continue;
            // A node made in the model names no class of its own: the class
            // of its type stands in, as the M2I export writes it.
            CString lnClass = app->DocMtd_getValue_ofAttr(node, "sec:LNode.lnClass");
            if (lnClass.IsEmpty())
                lnClass = app->DocMtd_getFirstValue_ofAsso(lnType, "sec:LNodeType.ClassOf_LNType", kRoleName);
            // The node by its name as the ICD names it (an LLN0 without its
            // instance; older files' form is taken by M2IRun::InIcdForm).
            const CString lnKey = ldName + "/" +
                                  kiln::core::NodeNameText(app->DocMtd_getValue_ofAttr(node, "sec:LNode.prefix"), lnClass,
                                                           app->DocMtd_getValue_ofAttr(node, "sec:LNode.lnInst"));
            lnodes.emplace(lnKey, node);
            std::vector<URI_Ref> chain;
            app->Get_AbstractTypes(lnType, &chain, "sec:LNodeType.Abstract_Type");
            for (const URI_Ref& t : chain) {
                for (const URI_Ref& d : MembersByOrd(app, t, "sec:LNodeType.DOs")) {
                    const CString path = lnKey + "." + NameOf(app, d);
                    dos.emplace(path, d);
                    das.emplace(path, d);
                    URI_Ref doType = app->DocMtd_getFirstUri_ofAsso(d, "sec:DO.DefinedBy_DOType");
                    if (doType.IsEmpty()) continue;
                    auto s = sdoPaths.find(doType.sUri);
                    if (s == sdoPaths.end()) {
                        s = sdoPaths.emplace(doType.sUri, PathList()).first;
                        for (const URI_Ref& sdo : MembersByOrd(app, doType, "sec:DOType.Contains_SDOs")) {
                            OnPath onPath;
                            SDOWalk(app, sdo, s->second, "." + NameOf(app, sdo), onPath);
                        }
                        auto a = daPaths.emplace(doType.sUri, PathList()).first;
                        OnPath onPath{doType.sUri};
                        DOTypeWalk(app, doType, a->second, CString(), onPath);
                    }
                    s->second.AddTo(dos, path);
                    daPaths.find(doType.sUri)->second.AddTo(das, path);
                }
            }
        }
    }
    return true;
}

}  // namespace kiln::import
