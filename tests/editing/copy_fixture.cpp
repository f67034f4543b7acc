#include "tests/editing/copy_fixture.h"

#include <algorithm>

namespace kiln::test {

namespace {

// The classes a paste can make.
const char* const kPastedClasses[] = {
    "sec:LDevice", "sec:LNode",   "sec:DOI",      "sec:DAI",         "sec:DataSet",     "sec:FCDA",
    "sec:RCB",     "sec:LCB",     "sec:Log",      "sec:SGCB",        "sec:SettingGroup", "sec:SettingData",
    "sec:ExtRef",  "sec:LNodeType", "sec:DOType", "sec:DAType",      "sec:DO",          "sec:SDO",
    "sec:DA",      "sec:BDA",
};

// The numbered lists: the owner's class and the role or path to its members.
struct CList {
    const char* ownerCls;
    const char* path;
};
const CList kLists[] = {
    {"sec:IED", "sec:IED.Servers/sec:Server.LDevices"},
    {"sec:LDevice", "sec:LDevice.LNodes"},
    {"sec:LNode", "sec:LNode.DOIs"},
    {"sec:LNode", "sec:LNode.DataSets"},
    {"sec:LNode", "sec:LNode.RCBs"},
    {"sec:LNode", "sec:LNode.LCBs"},
    {"sec:LNode", "sec:LNode.ExtRefs"},
    {"sec:DOI", "sec:DOI.DAIs"},
    {"sec:DataSet", "sec:DataSet.FCDAs"},
    {"sec:SGCB", "sec:SGCB.SettingGroups"},
    {"sec:SettingGroup", "sec:SettingGroup.SettingDatas"},
    {"sec:TypePackage", "sec:TypePackage.LNodeTypes"},
    {"sec:TypePackage", "sec:TypePackage.DOTypes"},
    {"sec:TypePackage", "sec:TypePackage.DATypes"},
    {"sec:LNodeType", "sec:LNodeType.DOs"},
    {"sec:DOType", "sec:DOType.Contains_SDOs"},
    {"sec:DOType", "sec:DOType.Contains_DAs"},
    {"sec:DAType", "sec:DAType.Contains_BDAs"},
};

}  // namespace

Icd2Model CopyTest::BuildIcd2(bool lockedPackage) {
    Icd2Model y;
    MakeDomain(kIcd2Domain, "二次模型装置ICD包");
    MakeDomain(kIcd2PackageDomain, "二次模型数据类型包");
    y.icd = Make(kIcd2Domain, "sec:ICD", "P2");
    y.ied = MakeUnder(y.icd, "sec:IED", "P2_IED", "sec:IED.ICD");
    y.server = MakeUnder(y.ied, "sec:Server", "S1", "sec:Server.IED");
    y.lda = MakeUnder(y.server, "sec:LDevice", "LDA", "sec:LDevice.Server", 1);
    y.ggio = MakeLNode(y.lda, "", "GGIO", "1", 1, m.lln0);
    y.pkg = MakeTypePackage(kIcd2PackageDomain, "P2types", true);
    Link(y.pkg, "sec:TypePackage.ICD", y.icd);
    Link(y.pkg, "sec:TypePackage.Depend_TypePackage", m.stdPkg);
    if (lockedPackage && !Doc().SetDomainEditable(kIcd2PackageDomain, false)) ADD_FAILURE() << Doc().LastError();
    ui.ClearCalls();
    return y;
}

CopyTest::Snapshot CopyTest::Take() {
    Snapshot s;
    for (const char* cls : kPastedClasses) {
        std::vector<URI_Ref> all;
        Doc().ByClass(cls, all);
        for (const URI_Ref& r : all) s.all.insert(r.sUri);
    }
    s.owned = OwnedResources();
    return s;
}

std::vector<URI_Ref> CopyTest::MadeSince(const Snapshot& before) {
    std::vector<URI_Ref> made;
    for (const char* cls : kPastedClasses) {
        std::vector<URI_Ref> all;
        Doc().ByClass(cls, all);
        for (const URI_Ref& r : all)
            if (!before.all.count(r.sUri)) made.push_back(r);
    }
    return made;
}

void CopyTest::ExpectTidy(const Snapshot& before) {
    const std::vector<URI_Ref> made = MadeSince(before);
    std::set<std::string> mustBeOwned = before.owned;
    std::set<std::string> fresh;
    for (const URI_Ref& r : made) {
        mustBeOwned.insert(r.sUri);
        fresh.insert(r.sUri);
    }
    EXPECT_EQ(Orphans(mustBeOwned), std::vector<std::string>{});

    for (const CList& list : kLists) {
        std::vector<URI_Ref> owners;
        Doc().ByClass(list.ownerCls, owners);
        for (const URI_Ref& owner : owners) {
            std::vector<URI_Ref> members;
            Doc().PathTargets(owner, list.path, members, "e301:OrdNaming.ord", 3);
            bool touched = fresh.count(owner.sUri) > 0;
            for (const URI_Ref& r : members) touched = touched || fresh.count(r.sUri) > 0;
            if (!touched) continue;
            std::vector<int> expected(members.size());
            for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<int>(i) + 1;
            EXPECT_EQ(Ords(members), expected) << Get(owner, "cim:Naming.name") << " " << list.path;
        }
    }
}

std::vector<URI_Ref> CopyTest::Along(const URI_Ref& owner, const CString& role) {
    std::vector<URI_Ref> members;
    Doc().PathTargets(owner, role, members, "e301:OrdNaming.ord", 3);
    return members;
}

}  // namespace kiln::test
