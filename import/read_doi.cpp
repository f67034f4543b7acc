// IED instance reader: DOI elements with the DAIs below them (directly or
// inside SDI elements of any depth), their members, constraints and values.
// A DOI within a DOI, as makers write a sub-data object, is read as the SDI
// it stands for.
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
using kiln::core::OrdRole;
using namespace kiln::import;

namespace {

// A DAI below a DOI with the SDI names that lead to it: the unbroken run of
// SDI elements (and DOIs read as SDIs) just above it (an element of another
// kind in between starts the run again).
struct FoundDAI {
    XmlNode dai;
    std::vector<CString> sdiNames;
    CString sdiIx;  // the index of the nearest SDI of the run that has one
    CKiln_Import::SDIRun run;  // the ix, desc and sAddr of the run's SDIs as the DAI keeps them
};

// The parts of one attribute of the SDIs, outermost first, joined by `sep`;
// "" when no SDI has the attribute.
CString JoinParts(const std::vector<CString>& parts, const char* sep) {
    bool any = false;
    for (const CString& p : parts) any = any || !p.IsEmpty();
    if (!any) return CString();
    CString joined;
    for (size_t k = 0; k < parts.size(); ++k) joined += (k ? CString(sep) : CString()) + parts[k];
    return joined;
}

// A DOI within the DOI, as makers write a sub-data object: the path it
// stands in (the DOI's name and the SDIs around it), its name, and whether
// it was read as the SDI it stands for.
struct NestedDOI {
    CString in;
    CString name;
    bool asSdi;
};

// Every DAI below the DOI in document order, walked without recursion so
// that deep nesting cannot exhaust the stack. A DOI within it is read as an
// SDI where `isSdo` says its path names a sub-data object of the DO's type,
// and is otherwise left out with all it holds; each is listed in `nested`.
template <typename IsSdo>
std::vector<FoundDAI> FindDAIs(const XmlNode& doi, const IsSdo& isSdo, std::vector<NestedDOI>& nested) {
    struct Segment {
        CString name;
        int parent;  // index of the SDI above, -1 at the top of the run
        CString ix;
        CString desc;
        CString sAddr;
    };
    struct Frame {
        XmlNode el;
        int seg;  // the innermost SDI of the run around the element, -1 for none
    };
    std::vector<Segment> segments;
    std::vector<Frame> stack;
    std::vector<FoundDAI> found;
    auto pushChildren = [&](const XmlNode& el, int seg) {
        const size_t first = stack.size();
        for (const XmlNode& kid : el.ChildElements()) stack.push_back({kid, seg});
        std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(first), stack.end());
    };
    // The SDIs of the run that ends at `seg`, outermost first.
    auto runTo = [&segments](int seg) {
        std::vector<const Segment*> run;
        for (int s = seg; s >= 0; s = segments[static_cast<size_t>(s)].parent)
            run.push_back(&segments[static_cast<size_t>(s)]);
        std::reverse(run.begin(), run.end());
        return run;
    };
    pushChildren(doi, -1);
    while (!stack.empty()) {
        Frame f = std::move(stack.back());
        stack.pop_back();
        const CString name = f.el.NodeName();
        if (name == "DAI") {
            FoundDAI d{f.el, {}, {}, {}};
            std::vector<CString> ixs, descs, sAddrs;
            for (const Segment* seg : runTo(f.seg)) {
                d.sdiNames.push_back(seg->name);
                ixs.push_back(seg->ix);
                descs.push_back(seg->desc);
                sAddrs.push_back(seg->sAddr);
                if (!seg->ix.IsEmpty()) d.sdiIx = seg->ix;  // the innermost index wins
            }
            d.run = {JoinParts(ixs, "."), JoinParts(descs, "\n"), JoinParts(sAddrs, "\n")};
            found.push_back(std::move(d));
            pushChildren(f.el, -1);
            continue;
        }
        bool asSdi = name.CompareNoCase("SDI") == 0;
        if (name == "DOI") {
            std::vector<CString> names{AttrText(doi, "name")};
            for (const Segment* seg : runTo(f.seg)) names.push_back(seg->name);
            NestedDOI n{JoinParts(names, "."), AttrText(f.el, "name"), false};
            n.asSdi = asSdi = isSdo(n.in + "." + n.name);
            nested.push_back(std::move(n));
            if (!asSdi) continue;
        }
        if (asSdi) {
            segments.push_back({AttrText(f.el, "name"), f.seg, AttrText(f.el, "ix"), AttrText(f.el, "desc"),
                                AttrText(f.el, "sAddr")});
            pushChildren(f.el, static_cast<int>(segments.size()) - 1);
        } else {
            pushChildren(f.el, -1);
        }
    }
    return found;
}

}  // namespace

bool CKiln_Import::Import_DOI(CKiln_Main* app, URI_Ref lnode, XmlNode node, CString ord, CString lnType,
                              ImportNameTable& dois, const ImportNameTable& dos) {
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
        WriteChanged(app, doi, OrdRole(), ord);
        CString ix;
        if (ReadAttr(node, "ix", ix)) app->DocMtd_Modify_attribute_value(doi, "sec:DOI.ix", ix);
        dois.emplace(name, doi);
    }
    // A second element of the same name gives the DOI a desc or an
    // accessControl only when the first did not.
    for (const auto& [attr, role] : {std::pair<const char*, const char*>{"desc", "cim:Naming.description"},
                                     {"accessControl", "sec:DOI.accessControl"}}) {
        CString text;
        if (ReadAttr(node, attr, text) && app->DocMtd_getValue_ofAttr(doi, role, nullptr, false).IsEmpty())
            app->DocMtd_Modify_attribute_value(doi, role, text);
    }
    // The DAIs are looked up in the paths below the DO's type, behind the
    // DOI's name.
    static const ImportNameTable kNoPaths;
    CheckKeptTypeReads(app);
    const DOReads& reads = KeptDOReads(app, dataObject->second);
    const DAIPaths paths{reads.doType.IsSet() ? &KeptDOTypePaths(app, reads.doType) : &kNoPaths, name};
    app->DocMtd_Modify_attribute_value(doi, "sec:DOI.cdcType", reads.cdc);
    // A DOI within this one stands for an SDI, which is how it is read where
    // it names a sub-data object; it is named either way.
    auto isSdo = [&paths](const CString& path) {
        const URI_Ref* member = paths.Find(path);
        return member && member->sClass == "sec:SDO";
    };
    std::vector<NestedDOI> nested;
    const std::vector<FoundDAI> found = FindDAIs(node, isSdo, nested);
    if (!nested.empty()) {
        const CString lnName = app->DocMtd_getFirstValue_ofAsso(doi, "sec:DOI.LNode", kRoleName);
        for (const NestedDOI& n : nested) {
            const CString what = "LNode:" + lnName + "里的" + n.in + "中的DOI:" + n.name;
            if (n.asSdi)
                AddEntry(m_pDOIsNode, "DOI", "警告：" + n.name, what + "不符合SCL（应为SDI），按SDI导入", &m_nWarnings);
            else
                AddEntry(m_pDOIsNode, "DOI", "错误：" + n.name, what + "未找到对应SDO，未导入", &m_nErrors);
        }
    }
    for (const FoundDAI& d : found) {
        CString path = name;
        for (const CString& sdi : d.sdiNames) path += "." + sdi;
        // An array element's index stands on its SDI; the DAI keeps it
        // when it has no index of its own, so that elements stay apart.
        CString ix;
        if (!d.sdiIx.IsEmpty() && !ReadAttr(d.dai, "ix", ix)) d.dai.SetAttribute("ix", d.sdiIx);
        ImportDAI(app, doi, d.dai, paths, path, &d.run);
    }
    return true;
}

const URI_Ref* CKiln_Import::DAIPaths::Find(const CString& key) const {
    const std::string& k = key.str();
    const std::string& in = inFront.str();
    if (k.size() < in.size() || k.compare(0, in.size(), in) != 0) return nullptr;
    auto it = in.empty() ? table->find(key) : table->find(CString(k.substr(in.size())));
    return it == table->end() ? nullptr : &it->second;
}

bool CKiln_Import::Import_DAI(CKiln_Main* app, URI_Ref doi, XmlNode node, const ImportNameTable& paths, CString path) {
    CheckKeptTypeReads(app);
    return ImportDAI(app, doi, node, DAIPaths{&paths, CString()}, path);
}

bool CKiln_Import::ImportDAI(CKiln_Main* app, const URI_Ref& doi, const XmlNode& node, const DAIPaths& paths,
                             const CString& path, const SDIRun* run) {
    CString sAddr, name, ix;
    ReadAttr(node, "sAddr", sAddr);
    if (!ReadAttr(node, "name", name)) return true;
    const CString key = path + "." + name;
    const CString rel = key.Mid(key.Find('.') + 1);
    const URI_Ref* found = paths.Find(key);
    if (!found) {
        const CString lnName = app->DocMtd_getFirstValue_ofAsso(doi, "sec:DOI.LNode", kRoleName);
        AddEntry(m_pDAIsNode, "DAI", "错误：" + name,
                 "LNode:" + lnName + "里的" + path + "的DAI:" + name + "未找到对应DA", &m_nErrors);
        return false;
    }
    const URI_Ref member = *found;
    // Type data is read through the kept reads: nothing here changes it.
    // The DAI is made under its final name: with the constraint put in when
    // its path names none.
    const MemberReads& reads = KeptMemberReads(app, member);
    const CString* fc = nullptr;
    CString named = rel;
    if (member.sClass == "sec:DA") {
        if (reads.hasFc) {
            fc = &reads.fc;
            if (rel.Find('[') < 0) named = rel + "[" + fc->Mid(fc->ReverseFind('.') + 1) + "]";
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
            const URI_Ref* it = paths.Find(daKey);
            if (!it) break;
            if (it->sClass == "sec:BDA") continue;
            if (it->sClass == "sec:DA") da = *it;
            break;
        }
        if (da.IsSet() && KeptMemberReads(app, da).hasFc) {
            fc = &KeptMemberReads(app, da).fc;
            const CString daPath = daKey.Mid(daKey.Find('.') + 1);
            if (daPath.Find('[') < 0) named = daPath + "[" + fc->Mid(fc->ReverseFind('.') + 1) + "]" + suffix;
        }
    }
    URI_Ref dai;
    if (!app->NewRsc_DAI(&dai, doi, member, named)) return true;
    app->DocMtd_Modify_attribute_value(dai, "sec:DAI.sAddr", sAddr);
    if (ReadAttr(node, "ix", ix)) app->DocMtd_Modify_attribute_value(dai, "sec:DAI.ix", ix);
    CString text;
    if (ReadAttr(node, "desc", text)) app->DocMtd_Modify_attribute_value(dai, "cim:Naming.description", text);
    if (ReadAttr(node, "valKind", text))
        app->DocMtd_Modify_attribute_value(dai, "sec:DAI.valKind", ModelEnum("ValKindEnum", text));
    if (run && !run->ix.IsEmpty()) app->DocMtd_Modify_attribute_value(dai, "sec:DAI.sdiIx", run->ix);
    if (run && !run->desc.IsEmpty()) app->DocMtd_Modify_attribute_value(dai, "sec:DAI.sdiDesc", run->desc);
    if (run && !run->sAddr.IsEmpty()) app->DocMtd_Modify_attribute_value(dai, "sec:DAI.sdiSAddr", run->sAddr);
    if (ReadAttr(node, "valImport", text)) app->DocMtd_Modify_attribute_value(dai, "sec:DAI.valImport", text);
    if (fc) app->DocMtd_Modify_attribute_value(dai, "sec:DAI.fc", *fc);
    if (reads.hasDaType) app->DocMtd_Modify_attribute_value(dai, "sec:DAI.daType", reads.daType);
    static const CString kValueRole("sec:DAI.valueStr");  // made once: a DAI's values are read often
    ImportMemberVals(app, dai, node, kValueRole);
    return true;
}
