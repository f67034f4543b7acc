#include "tests/commands/commands_fixture.h"

namespace kiln::test {

CommandsTest::CommandsTest() {
    p1Lln0 = MakeLNodeType(m.instPkg, "P1_LLN0", 2);
    Link(p1Lln0, "sec:LNodeType.ClassOf_LNType", m.lln0);
    p1Lphd = MakeLNodeType(m.instPkg, "P1_LPHD", 3);
    Link(p1Lphd, "sec:LNodeType.ClassOf_LNType", m.lphd);
    Link(m.p1Ptoc, "sec:LNodeType.ClassOf_LNType", m.ptoc);

    MakeDomain(kIcdDomain, "二次模型装置ICD包");
    icd = Make(kIcdDomain, "sec:ICD", "E1");
    Link(icd, "sec:ICD.TypePackage", m.instPkg);
    EXPECT_TRUE(app.NewRsc_IED(&ied, icd));
    server = Doc().FirstTarget(ied, "sec:IED.Servers");
    EXPECT_TRUE(app.NewRsc_LDevice(&ld, ied, p1Lln0, p1Lphd, URI_Ref()));
    Set(ld, "cim:Naming.name", "LD1");
    lln0 = Doc().FirstTarget(ld, "sec:LDevice.LNodes");
    EXPECT_TRUE(app.NewRsc_LNode(&ptoc, ld, m.p1Ptoc, true));
    ui.ClearCalls();
}

void CommandsTest::Run(const URI_Ref& current, const CString& command) {
    app.m_uCurRsc = current;
    app.Msg_OnAppCommand(command);
}

std::vector<int> CommandsTest::Refreshes() const {
    std::vector<int> out;
    for (const Struct_UiCall& c : ui.CallsOf(Enum_UiCall::AllViewsRefresh)) out.push_back(c.nType);
    return out;
}

std::vector<URI_Ref> CommandsTest::Members(const URI_Ref& rsc, const CString& role) {
    std::vector<URI_Ref> out;
    Doc().Targets(rsc, role, out, "e301:OrdNaming.ord", 3);
    return out;
}

std::vector<CString> CommandsTest::Names(const URI_Ref& rsc, const CString& role) {
    std::vector<CString> out;
    for (const URI_Ref& r : Members(rsc, role)) out.push_back(Get(r, "cim:Naming.name"));
    return out;
}

std::vector<CString> CommandsTest::LastChoices() const {
    std::vector<CString> out;
    if (const Struct_UiCall* c = ui.LastOf(Enum_UiCall::InputBox))
        for (const auto& [display, value] : c->vList.vPairs) out.push_back(display);
    return out;
}

size_t CommandsTest::ResourceCount() {
    std::vector<URI_Ref> all;
    size_t n = 0;
    for (const char* cls : {"sec:ICD", "sec:IED", "sec:Server", "sec:LDevice", "sec:LNode", "sec:DOI", "sec:DAI",
                            "sec:DataSet", "sec:Log", "sec:LCB", "sec:TypePackage", "sec:LNodeType", "sec:DO",
                            "sec:DOType", "sec:DA", "sec:ITB", "sec:M2I", "sec:MapItem", "sec:InfoItem"}) {
        app.DocMtd_get_Uris_byClassName(cls, all, "", SortPolicy_ByName);
        n += all.size();
    }
    return n;
}

}  // namespace kiln::test
