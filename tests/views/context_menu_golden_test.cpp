// Every context menu under every condition of its table, written out and
// compared with tests/views/context_menus.golden; every popup is also
// checked for where it opens and for what it leaves as the current
// resource, second resource and view. KILN_UPDATE_GOLDEN=1 writes the file
// instead (it must then be reviewed).
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/framework/wnd.h"
#include "tests/views/menu_fixture.h"

using namespace kiln::test;

namespace {

using Member = URI_Ref EveryClass::*;

struct Scenario {
    std::string title;
    Member rsc = nullptr;  // null: no resource
    const char* view = kView_TreeUser;
    CString label;
    int level = 1;
    bool shown = true;
    std::function<void(MenuTest&)> setup;
    Member rsc2 = nullptr;
};

// One resource of every class, and whether the edit level hides its menu
// outside level 1.
struct ClassRsc {
    const char* cls;
    Member rsc;
    bool hiddenOutsideLevel1;
};
const ClassRsc kClasses[] = {
    {"(no resource)", nullptr, false},
    {"sec:TypePackage", &EveryClass::freePackage, false},
    {"sec:ProductPackage", &EveryClass::productPackage, false},
    {"sec:Product", &EveryClass::product, false},
    {"sec:ICD", &EveryClass::icd, false},
    {"sec:ITB", &EveryClass::itb, false},
    {"sec:InfoItem", &EveryClass::infoItem, false},
    {"sec:M2I", &EveryClass::m2i, false},
    {"sec:MapItem", &EveryClass::mapItem, false},
    {"sec:LNodeType", &EveryClass::lnTypeInst, true},
    {"sec:DOType", &EveryClass::doTypeInst, true},
    {"sec:DAType", &EveryClass::daTypeInst, true},
    {"sec:EnumType", &EveryClass::enumType, true},
    {"sec:EnumVal", &EveryClass::enumVal, false},
    {"sec:DOSemantic", &EveryClass::doSemantic, false},
    {"sec:DASemantic", &EveryClass::daSemantic, false},
    {"sec:DO", &EveryClass::dataObject, true},
    {"sec:SDO", &EveryClass::subDataObject, true},
    {"sec:DA", &EveryClass::daStruct, true},
    {"sec:BDA", &EveryClass::bdaStruct, true},
    {"sec:Val", &EveryClass::valOfDA, true},
    {"sec:IED", &EveryClass::ied, false},
    {"sec:SignalList", &EveryClass::signalList, false},
    {"sec:LDevice", &EveryClass::ldevice, true},
    {"sec:LNode", &EveryClass::lnGGIO, false},
    {"sec:DOI", &EveryClass::doi, false},
    {"sec:DAI", &EveryClass::dai, false},
    {"sec:ExtRef", &EveryClass::extRef, false},
    {"sec:SGCB", &EveryClass::sgcb, false},
    {"sec:SettingGroup", &EveryClass::settingGroup, false},
    {"sec:SettingData", &EveryClass::settingData, false},
    {"sec:Log", &EveryClass::log, false},
    {"sec:LCB", &EveryClass::lcb, false},
    {"sec:RCB", &EveryClass::rcb, false},
    {"sec:ClientLN", &EveryClass::clientLN, false},
    {"sec:DataSet", &EveryClass::dataSet, false},
    {"sec:FCDA", &EveryClass::fcda, false},
    // classes without a menu of their own
    {"sec:InfoGroup", &EveryClass::infoGroup, false},
    {"sec:Server", &EveryClass::server, false},
    {"sec:GSE", &EveryClass::gse, false},
    {"sec:SV", &EveryClass::sv, false},
    {"sec:ProductVer", &EveryClass::productVer, false},
    {"sec:InSignal", &EveryClass::inSignal, false},
    {"sec:OutSignal", &EveryClass::outSignal, false},
};

std::function<void(MenuTest&)> ExtDOFreely(const char* value) {
    return [value](MenuTest& t) { t.app.DocMtd_Modify_attribute_value(t.m.icd, "sec:ICD.extDOFreely", value); };
}

std::vector<Scenario> Scenarios() {
    std::vector<Scenario> s;
    auto add = [&](std::string title, Member rsc, const char* view = kView_TreeUser, CString label = "") {
        Scenario sc;
        sc.title = std::move(title);
        sc.rsc = rsc;
        sc.view = view;
        sc.label = label;
        s.push_back(std::move(sc));
        return &s.back();
    };
    // No resource, by view.
    for (const char* view : {kView_TreeUser, kView_TreeICDPreset, kView_TreePreset, kView_TreeICDPreset2, kView_Html1,
                             kGraphicsView})
        add("no resource", nullptr, view);
    // Type packages: every folder label (and others) on the three kinds of package.
    const std::pair<const char*, Member> packages[] = {{"declaration package", &EveryClass::declPackage},
                                                       {"product package without ICD", &EveryClass::freePackage},
                                                       {"package of an ICD", &EveryClass::icdPackage}};
    for (const auto& [what, pkg] : packages)
        for (const char* label : {"", "LN类型", "LD类型", "DO类型", "CDC类", "DA类型", "枚举值类", "DO名称语义", "DA名称语义",
                                  "Enum类型", "名称语义", "类型配置"})
            add(std::string("sec:TypePackage, ") + what, pkg, kView_TreeUser, label);
    add("sec:TypePackage, declaration package", &EveryClass::declPackage, kView_Html1);
    add("sec:TypePackage, package of an ICD", &EveryClass::icdPackage, kGraphicsView);
    for (const ClassRsc& c : kClasses)
        if (c.rsc && std::string(c.cls) != "sec:TypePackage") add(c.cls, c.rsc);
    // Types by kind, and the free extension switch of the owning ICD.
    add("sec:LNodeType, declaration", &EveryClass::lnTypeDecl);
    add("sec:LNodeType, product type whose package has no ICD", &EveryClass::lnTypeFree);
    for (const char* v : {"true", "false", "FALSE", "False", ""})
        add(std::string("sec:LNodeType, product type, extDOFreely \"") + v + "\"", &EveryClass::lnTypeInst)->setup =
            ExtDOFreely(v);
    add("sec:DOType, declaration", &EveryClass::doTypeDecl);
    add("sec:DAType, declaration", &EveryClass::daTypeDecl);
    // Members of types by owner and basic type.
    const std::pair<const char*, Member> das[] = {
        {"DA, owner isInstType \"true\", Struct", &EveryClass::daOwnerInst},
        {"DA, owner isInstType \"TRUE\", Struct", &EveryClass::daOwnerUpper},
        {"DA, owner isInstType \"\", Struct", &EveryClass::daOwnerEmpty},
        {"DA, no owner, Enum", &EveryClass::daNoOwner},
        {"DA, declaration owner, Struct", &EveryClass::daStruct},
        {"DA, declaration owner, Enum", &EveryClass::daEnum},
        {"DA, declaration owner, BOOLEAN", &EveryClass::daBoolean},
        {"DA, declaration owner, no basic type", &EveryClass::daNoBType},
        {"DA, declaration owner, \"#PreBasicTypeEnum.Struct\" without namespace", &EveryClass::daBareStruct},
        {"BDA, owner isInstType \"true\", Struct", &EveryClass::bdaOwnerInst},
        {"BDA, owner isInstType \"TRUE\", Struct", &EveryClass::bdaOwnerUpper},
        {"BDA, owner isInstType \"\", Struct", &EveryClass::bdaOwnerEmpty},
        {"BDA, no owner, Enum", &EveryClass::bdaNoOwner},
        {"BDA, declaration owner, Struct", &EveryClass::bdaStruct},
        {"BDA, declaration owner, Enum", &EveryClass::bdaEnum},
        {"BDA, declaration owner, BOOLEAN", &EveryClass::bdaBoolean},
        {"BDA, declaration owner, no basic type", &EveryClass::bdaNoBType},
        {"BDA, declaration owner, \"#PreBasicTypeEnum.Struct\" without namespace", &EveryClass::bdaBareStruct}};
    for (const auto& [what, rsc] : das) add(std::string("sec:") + what, rsc);
    add("sec:Val of a DAI", &EveryClass::valOfDAI);
    // The IED by edit level and view kind.
    for (int level : {0, 1, 2, 3})
        for (const char* view : {kView_TreeUser, kView_Html1, kGraphicsView}) {
            Scenario* sc = add("sec:IED", &EveryClass::ied, view);
            sc->level = level;
        }
    // Logical nodes by LN class and edit level.
    const std::pair<const char*, Member> nodes[] = {{"LN class LLN0", &EveryClass::lnLLN0},
                                                    {"LN class LPHD", &EveryClass::lnLPHD},
                                                    {"LN class GGIO", &EveryClass::lnGGIO},
                                                    {"LN class ggio", &EveryClass::lnLowerGGIO},
                                                    {"no LN type", &EveryClass::lnNoType},
                                                    {"LN type without LN class", &EveryClass::lnNoClass}};
    for (int level : {0, 1, 2})
        for (const auto& [what, rsc] : nodes) add(std::string("sec:LNode, ") + what, rsc)->level = level;
    for (const auto& [what, rsc] : nodes) {
        Scenario* sc = add(std::string("sec:LNode, ") + what + ", no standard LLN0 type known", rsc);
        sc->setup = [](MenuTest& t) { t.app.m_uStdLLN0Type.Clear(); };
    }
    // A graphics click passes a second resource.
    add("sec:LNode, graphics view with a second resource", &EveryClass::lnGGIO, kGraphicsView)->rsc2 =
        &EveryClass::ied;
    // Every class at the other edit levels, and in views of kinds 0 and 4.
    for (int level : {0, 2, 3})
        for (const ClassRsc& c : kClasses) {
            Scenario* sc = add(c.cls, c.rsc);
            sc->level = level;
            sc->shown = level == 1 || !c.hiddenOutsideLevel1;
        }
    for (const char* view : {kKind0View, kKind4View})
        for (const ClassRsc& c : kClasses) add(c.cls, c.rsc, view)->shown = false;
    return s;
}

std::string Heading(const Scenario& sc) {
    std::string h = "== " + sc.title + " [" + sc.view + ", level " + std::to_string(sc.level);
    if (!sc.label.IsEmpty()) h += ", label \"" + sc.label.str() + "\"";
    return h + "]";
}

std::string GoldenPath() { return std::string(KILN_SOURCE_DIR) + "/tests/views/context_menus.golden"; }

}  // namespace

TEST_F(MenuTest, EveryMenuUnderEveryConditionMatchesTheGolden) {
    const URI_Ref sentinel("sentinel#1", "sec:Sentinel"), sentinel2("sentinel#2", "sec:Sentinel");
    CBase_Cmd sentinelView("sentinel", 1);
    const URI_Ref stdLLN0 = app.m_uStdLLN0Type;
    std::ostringstream out;
    for (const Scenario& sc : Scenarios()) {
        SCOPED_TRACE(Heading(sc));
        app.m_nEditLevel = sc.level;
        if (sc.setup) sc.setup(*this);
        app.m_uCurRsc = sentinel;
        app.m_uCurRsc2 = sentinel2;
        app.m_pCurCmd = &sentinelView;
        const URI_Ref rsc = sc.rsc ? m.*sc.rsc : URI_Ref();
        const URI_Ref rsc2 = sc.rsc2 ? m.*sc.rsc2 : URI_Ref();
        std::vector<std::string> items = Menu(sc.view, rsc, sc.label, sc.shown, rsc2);
        app.m_uStdLLN0Type = stdLLN0;

        out << Heading(sc) << "\n";
        const Struct_UiCall* popup = ui.LastOf(Enum_UiCall::PopupMenu);
        if (!popup) {
            out << "    (no menu)\n";
            // Nothing shown, nothing stored.
            EXPECT_EQ(app.m_uCurRsc.sUri, sentinel.sUri);
            EXPECT_EQ(app.m_uCurRsc2.sUri, sentinel2.sUri);
            EXPECT_EQ(app.m_pCurCmd, &sentinelView);
            continue;
        }
        if (items.empty()) out << "    (empty)\n";
        for (const std::string& item : items) {
            const size_t bar = item.find('|');
            if (bar == std::string::npos) out << "    " << item << "\n";
            else out << "    \"" << item.substr(0, bar) << "\"  " << item.substr(bar + 1) << "\n";
        }
        EXPECT_EQ(app.m_uCurRsc.sUri, rsc.sUri);
        EXPECT_EQ(app.m_uCurRsc.sClass, rsc.sClass);
        EXPECT_EQ(app.m_uCurRsc2.sUri, rsc2.sUri);
        EXPECT_EQ(app.m_pCurCmd, View(sc.view));
        // One pixel left of the cursor, tracked with the right button.
        EXPECT_EQ(popup->x, 299);
        EXPECT_EQ(popup->y, 200);
        EXPECT_EQ(popup->nType, static_cast<UINT>(TPM_RIGHTBUTTON));
    }
    app.m_nEditLevel = 1;

    if (std::getenv("KILN_UPDATE_GOLDEN")) {
        std::ofstream(GoldenPath(), std::ios::binary) << out.str();
        GTEST_SKIP() << "wrote " << GoldenPath();
    }
    std::ifstream in(GoldenPath(), std::ios::binary);
    ASSERT_TRUE(in) << "missing " << GoldenPath();
    std::stringstream golden;
    golden << in.rdbuf();
    EXPECT_EQ(out.str(), golden.str());
}

// A picked item reaches the command handler as exactly its command string,
// with the resource, second resource and view of its menu.
TEST_F(MenuTest, EveryPickedItemReachesTheCommandHandler) {
    for (const Scenario& sc : Scenarios()) {
        if (!sc.shown || sc.level != 1) continue;
        SCOPED_TRACE(Heading(sc));
        const URI_Ref stdLLN0 = app.m_uStdLLN0Type;
        if (sc.setup) sc.setup(*this);
        const URI_Ref rsc = sc.rsc ? m.*sc.rsc : URI_Ref();
        const URI_Ref rsc2 = sc.rsc2 ? m.*sc.rsc2 : URI_Ref();
        std::vector<std::string> items = Menu(sc.view, rsc, sc.label, true, rsc2);
        for (const std::string& item : items) {
            if (item == "----") continue;
            const CString command = item.substr(item.find('|') + 1).c_str();
            app.commands.clear();
            ui.AnswerMenuCommand(command);
            app.ShortMenu(View(sc.view), rsc, rsc2, sc.label);
            AfxPumpMessages();
            ASSERT_EQ(app.commands.size(), 1u) << item;
            EXPECT_EQ(app.commands[0].command, command);
            EXPECT_EQ(app.commands[0].rsc.sUri, rsc.sUri);
            EXPECT_EQ(app.commands[0].rsc2.sUri, rsc2.sUri);
            EXPECT_EQ(app.commands[0].view, View(sc.view));
        }
        app.m_uStdLLN0Type = stdLLN0;
    }
    ui.VerifyAllAnswered();
}
