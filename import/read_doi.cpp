// IED instance reader: DOI elements with the DAIs below them (directly or
// inside SDI elements of any depth), their members, constraints and values.
#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "import/import_util.h"
#include "import/kiln_import.h"
#include "platform/mfc/text_funcs.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using namespace kiln::import;

namespace {

// A DAI below a DOI with the SDI names that lead to it: the unbroken run of
// SDI elements just above it (an element of another kind in between starts
// the run again).
struct FoundDAI {
    XmlNode dai;
    std::vector<CString> sdiNames;
    CString sdiIx;  // the index of the nearest SDI of the run that has one
};

// Every DAI below the DOI in document order, walked without recursion so
// that deep nesting cannot exhaust the stack.
std::vector<FoundDAI> FindDAIs(const XmlNode& doi) {
    struct Segment {
        CString name;
        int parent;  // index of the SDI above, -1 at the top of the run
        CString ix;
    };
    struct Frame {
        XmlNode el;
        int seg;  // the innermost SDI of the run around the element, -1 for none
    };
    std::vector<Segment> segments;
    std::vector<Frame> stack;
    std::vector<FoundDAI> found;
    auto pushChildren = [&](const XmlNode& el, int seg) {
        const std::vector<XmlNode> kids = Children(el, "*");
        for (auto it = kids.rbegin(); it != kids.rend(); ++it) stack.push_back({*it, seg});
    };
    pushChildren(doi, -1);
    while (!stack.empty()) {
        Frame f = std::move(stack.back());
        stack.pop_back();
        const CString name = f.el.NodeName();
        if (name == "DAI") {
            FoundDAI d{f.el, {}, {}};
            for (int s = f.seg; s >= 0; s = segments[static_cast<size_t>(s)].parent) {
                const Segment& seg = segments[static_cast<size_t>(s)];
                d.sdiNames.push_back(seg.name);
                if (d.sdiIx.IsEmpty()) d.sdiIx = seg.ix;
            }
            std::reverse(d.sdiNames.begin(), d.sdiNames.end());
            found.push_back(std::move(d));
            pushChildren(f.el, -1);
        } else if (name.CompareNoCase("SDI") == 0) {
            segments.push_back({AttrText(f.el, "name"), f.seg, AttrText(f.el, "ix")});
            pushChildren(f.el, static_cast<int>(segments.size()) - 1);
        } else {
            pushChildren(f.el, -1);
        }
    }
    return found;
}

// What the member paths below a DO type are read from: the member lists,
// the members' names, order numbers, constraints and types.
const std::pair<const char*, const char*> kPathsDependOn[] = {
    {"sec:DOType", "sec:DOType.Contains_SDOs"}, {"sec:DOType", "sec:DOType.Contains_DAs"},
    {"sec:DAType", "sec:DAType.Contains_BDAs"}, {"sec:SDO", "cim:Naming.name"},
    {"sec:SDO", "e301:OrdNaming.ord"},          {"sec:SDO", "sec:SDO.DefinedBy_DOType"},
    {"sec:DA", "cim:Naming.name"},              {"sec:DA", "e301:OrdNaming.ord"},
    {"sec:DA", "sec:DA.fc_0"},                  {"sec:DA", "sec:BDA.DefinedBy_Struct"},
    {"sec:BDA", "cim:Naming.name"},             {"sec:BDA", "e301:OrdNaming.ord"},
    {"sec:BDA", "sec:BDA.DefinedBy_Struct"},
};

// The paths below a DO type, read once and kept while nothing they are read
// from changes: the DOIs of many nodes share a few types.
const ImportNameTable& DOTypePaths(CKiln_Main* app, const URI_Ref& doType, std::map<std::string, ImportNameTable>& kept,
                                   std::vector<uint64_t>& keptStamps) {
    static const std::vector<std::pair<CString, CString>> kNames(std::begin(kPathsDependOn), std::end(kPathsDependOn));
    std::vector<uint64_t> stamps;
    stamps.reserve(kNames.size());
    for (const auto& [cls, role] : kNames) stamps.push_back(app->m_Doc.ChangeStamp(cls, role));
    if (stamps != keptStamps) {
        kept.clear();
        keptStamps = std::move(stamps);
    }
    auto [it, added] = kept.try_emplace(doType.sUri);
    if (added) CollectDOTypePaths(app, doType, it->second, CString());
    return it->second;
}

}  // namespace

bool CKiln_Import::Import_DOI(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString ord, CString lnType,
                              ImportNameTable& dois, ImportNameTable& dos) {
    CString name;
    if (!ReadAttr(node, "name", name)) {
        AddEntry(m_pDOIsNode, "DOI", "错误：", "DOI的name为空！", &m_nErrors);
        return false;
    }
    auto dataObject = dos.find(name);
    if (dataObject == dos.end()) {
        AddEntry(m_pDOIsNode, "DOI", "错误：" + name, "DOI:" + name + "在LNodeType:" + lnType + "中未找到对应DO",
                 &m_nErrors);
        return false;
    }
    URI_Ref doi;
    if (auto it = dois.find(name); it != dois.end()) {
        doi = it->second;
    } else {
        if (!app->NewRsc_DOI(&doi, lnode, dataObject->second)) return false;
        app->DocMtd_Modify_attribute_value(doi, kRoleOrd, ord);
        CString ix;
        if (ReadAttr(node, "ix", ix)) app->DocMtd_Modify_attribute_value(doi, "sec:DOI.ix", ix);
        dois.emplace(name, doi);
    }
    ImportNameTable paths;
    URI_Ref doType = app->DocMtd_getFirstUri_ofAsso(dataObject->second, "sec:DO.DefinedBy_DOType");
    if (doType.IsSet())
        for (const auto& [below, member] : DOTypePaths(app, doType, m_mapDOTypePaths, m_vDOTypePathStamps))
            paths.emplace_hint(paths.end(), name + below, member);
    URI_Ref cdc = doType.IsSet() ? app->DocMtd_getFirstUri_ofAsso(doType, "sec:DOType.ClassOf_DOType") : URI_Ref();
    app->DocMtd_Modify_attribute_value(doi, "sec:DOI.cdcType",
                                       cdc.IsSet() ? app->DocMtd_getValue_ofAttr(cdc, kRoleName) : CString());
    for (const FoundDAI& d : FindDAIs(node)) {
        CString path = name;
        for (const CString& sdi : d.sdiNames) path += "." + sdi;
        // An array element's index stands on its SDI; the DAI keeps it
        // when it has no index of its own, so that elements stay apart.
        CString ix;
        if (!d.sdiIx.IsEmpty() && !ReadAttr(d.dai, "ix", ix)) d.dai.SetAttribute("ix", d.sdiIx);
        Import_DAI(app, doi, d.dai, paths, path);
    }
    return true;
}

bool CKiln_Import::Import_DAI(CKiln_Main* app, URI_Ref doi, XmlNode node, const ImportNameTable& paths, CString path) {
    CString sAddr, name, ix;
    ReadAttr(node, "sAddr", sAddr);
    if (!ReadAttr(node, "name", name)) return true;
    const CString key = path + "." + name;
    const CString rel = key.Mid(key.Find('.') + 1);
    auto found = paths.find(key);
    if (found == paths.end()) {
        const CString lnName = app->DocMtd_getFirstValue_ofAsso(doi, "sec:DOI.LNode", kRoleName);
        AddEntry(m_pDAIsNode, "DAI", "错误：" + name,
                 "LNode:" + lnName + "里的" + path + "的DAI:" + name + "未找到对应DA", &m_nErrors);
        return false;
    }
    const URI_Ref member = found->second;
    URI_Ref dai;
    if (!app->NewRsc_DAI(&dai, doi, member, rel)) return true;
    app->DocMtd_Modify_attribute_value(dai, "sec:DAI.sAddr", sAddr);
    if (ReadAttr(node, "ix", ix)) app->DocMtd_Modify_attribute_value(dai, "sec:DAI.ix", ix);

    CString fc;
    if (member.sClass == "sec:DA") {
        if (app->DocMtd_get_attribute_value(member, "sec:DA.fc_0", fc)) {
            app->DocMtd_Modify_attribute_value(dai, "sec:DAI.fc", fc);
            if (rel.Find('[') < 0)
                app->DocMtd_Modify_attribute_value(dai, kRoleName, rel + "[" + fc.Mid(fc.ReverseFind('.') + 1) + "]");
        }
    } else if (member.sClass == "sec:BDA" && rel.Find('[') < 0) {
        // Strip struct members off the end until the path names the data
        // attribute that holds them; a missing prefix leaves the name as made.
        CString daKey = key, suffix;
        URI_Ref da;
        while (true) {
            const int dot = daKey.ReverseFind('.');
            if (dot < 0) break;
            suffix = daKey.Mid(dot) + suffix;
            daKey = daKey.Left(dot);
            auto it = paths.find(daKey);
            if (it == paths.end()) break;
            if (it->second.sClass == "sec:BDA") continue;
            if (it->second.sClass == "sec:DA") da = it->second;
            break;
        }
        if (da.IsSet() && app->DocMtd_get_attribute_value(da, "sec:DA.fc_0", fc)) {
            const CString daPath = daKey.Mid(daKey.Find('.') + 1);
            app->DocMtd_Modify_attribute_value(dai, "sec:DAI.fc", fc);
            if (daPath.Find('[') < 0)
                app->DocMtd_Modify_attribute_value(dai, kRoleName,
                                                   daPath + "[" + fc.Mid(fc.ReverseFind('.') + 1) + "]" + suffix);
        }
    }
    URI_Ref structType = app->DocMtd_getFirstUri_ofAsso(member, "sec:BDA.DefinedBy_Struct");
    URI_Ref cls =
        structType.IsSet() ? app->DocMtd_getFirstUri_ofAsso(structType, "sec:DAType.ClassOf_DAType") : URI_Ref();
    if (cls.IsSet())
        app->DocMtd_Modify_attribute_value(dai, "sec:DAI.daType", app->DocMtd_getValue_ofAttr(cls, kRoleName));
    ImportMemberVals(app, dai, node, "sec:DAI.valueStr");
    return true;
}
