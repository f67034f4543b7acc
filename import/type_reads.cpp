// The reads of type data the instance readers repeat for every node, DOI and
// DAI (a file's many nodes share a few types): kept once read, and all
// forgotten together when a change stamp of anything they are read from
// moves, so that a read always gives what the model holds now.
#include <iterator>
#include <memory>
#include <utility>

#include "import/import_util.h"
#include "import/kiln_import.h"

using kiln::core::kRoleName;
using namespace kiln::import;

namespace {

// Every class and role the kept reads are read from: member lists, names,
// order numbers, constraints, type and class links, and the base chains and
// DO lists of LN types.
const std::pair<const char*, const char*> kReadsDependOn[] = {
    {"sec:DOType", "sec:DOType.Contains_SDOs"}, {"sec:DOType", "sec:DOType.Contains_DAs"},
    {"sec:DAType", "sec:DAType.Contains_BDAs"}, {"sec:SDO", "cim:Naming.name"},
    {"sec:SDO", "e301:OrdNaming.ord"},          {"sec:SDO", "sec:SDO.DefinedBy_DOType"},
    {"sec:DA", "cim:Naming.name"},              {"sec:DA", "e301:OrdNaming.ord"},
    {"sec:DA", "sec:DA.fc_0"},                  {"sec:DA", "sec:BDA.DefinedBy_Struct"},
    {"sec:BDA", "cim:Naming.name"},             {"sec:BDA", "e301:OrdNaming.ord"},
    {"sec:BDA", "sec:BDA.DefinedBy_Struct"},    {"sec:DAType", "sec:DAType.ClassOf_DAType"},
    {"sec:DAType", "cim:Naming.name"},          {"sec:DO", "sec:DO.DefinedBy_DOType"},
    {"sec:DOType", "sec:DOType.ClassOf_DOType"}, {"sec:DOType", "cim:Naming.name"},
    {"sec:DO", "cim:Naming.name"},              {"sec:DO", "e301:OrdNaming.ord"},
    {"sec:LNodeType", "sec:LNodeType.DOs"},     {"sec:LNodeType", "sec:LNodeType.Abstract_Type"},
};

}  // namespace

void CKiln_Import::CheckKeptTypeReads(CKiln_Main* app) {
    KeptTypeReads& k = m_keptTypeReads;
    if (k.slots.empty())
        for (const auto& [cls, role] : kReadsDependOn) k.slots.push_back(app->m_Doc.ChangeStampSlot(cls, role));
    bool same = k.stamps.size() == k.slots.size();
    for (size_t n = 0; same && n < k.slots.size(); ++n) same = app->m_Doc.ChangeStampAt(k.slots[n]) == k.stamps[n];
    if (same) return;
    k.doTypePaths.clear();
    k.dos.clear();
    k.members.clear();
    k.lnTypeDOs.clear();
    k.stamps.clear();
    for (int slot : k.slots) k.stamps.push_back(app->m_Doc.ChangeStampAt(slot));
}

const ImportNameTable& CKiln_Import::KeptDOTypePaths(CKiln_Main* app, const URI_Ref& doType) {
    auto [it, added] = m_keptTypeReads.doTypePaths.try_emplace(doType.sUri);
    if (added) CollectDOTypePaths(app, doType, it->second, CString());
    return it->second;
}

const CKiln_Import::DOReads& CKiln_Import::KeptDOReads(CKiln_Main* app, const URI_Ref& dataObject) {
    auto [it, added] = m_keptTypeReads.dos.try_emplace(dataObject.sUri);
    if (added) {
        DOReads& r = it->second;
        r.doType = app->DocMtd_getFirstUri_ofAsso(dataObject, "sec:DO.DefinedBy_DOType");
        const URI_Ref cdc =
            r.doType.IsSet() ? app->DocMtd_getFirstUri_ofAsso(r.doType, "sec:DOType.ClassOf_DOType") : URI_Ref();
        if (cdc.IsSet()) r.cdc = app->DocMtd_getValue_ofAttr(cdc, kRoleName);
    }
    return it->second;
}

const CKiln_Import::MemberReads& CKiln_Import::KeptMemberReads(CKiln_Main* app, const URI_Ref& member) {
    auto [it, added] = m_keptTypeReads.members.try_emplace(member.sUri);
    if (added) {
        MemberReads& r = it->second;
        if (member.sClass == "sec:DA") r.hasFc = app->DocMtd_get_attribute_value(member, "sec:DA.fc_0", r.fc);
        const URI_Ref structType = app->DocMtd_getFirstUri_ofAsso(member, "sec:BDA.DefinedBy_Struct");
        const URI_Ref cls =
            structType.IsSet() ? app->DocMtd_getFirstUri_ofAsso(structType, "sec:DAType.ClassOf_DAType") : URI_Ref();
        r.hasDaType = cls.IsSet();
        if (r.hasDaType) r.daType = app->DocMtd_getValue_ofAttr(cls, kRoleName);
    }
    return it->second;
}

std::shared_ptr<const ImportNameTable> CKiln_Import::KeptLNTypeDOs(CKiln_Main* app, const URI_Ref& lnType) {
    std::shared_ptr<const ImportNameTable>& kept = m_keptTypeReads.lnTypeDOs[lnType.sUri];
    if (!kept) {
        auto dos = std::make_shared<ImportNameTable>();
        std::vector<URI_Ref> chain;
        app->Get_AbstractTypes(lnType, &chain, "sec:LNodeType.Abstract_Type");
        for (const URI_Ref& t : chain) AddMembersByName(app, t, "sec:LNodeType.DOs", *dos);
        kept = std::move(dos);
    }
    return kept;
}
