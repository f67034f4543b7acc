// The fixed, product, type, order, deletion and upkeep commands and the
// product dialog.
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "commands/set_icd_product_dlg.h"
#include "core/module.h"
#include "tests/commands/commands_fixture.h"

namespace kiln::test {
namespace {

class Commands : public CommandsTest {};

TEST_F(Commands, SoftAndHardLinkDOsTakeTheLastTypeOfEachNameInAnyCase) {
    const URI_Ref inc1 = MakeDOType(m.instPkg, "ZEL_inc", 5), inc2 = MakeDOType(m.instPkg, "zel_INC", 6);
    const URI_Ref sps = MakeDOType(m.instPkg, "zel_SPS", 7);
    Run(m.p1PtocOp, "ICD:Add Soft Hard DO");
    std::vector<URI_Ref> dos = Members(m.p1Ptoc, "sec:LNodeType.DOs");
    ASSERT_EQ(dos.size(), 3u);
    // "Mod_Soft" and "Mod_hard" are no SCL DO names: the nearest ones, said
    // on the status line.
    EXPECT_EQ(Get(dos[1], "cim:Naming.name"), "ModSoft");
    EXPECT_EQ(Get(dos[2], "cim:Naming.name"), "Modhard");
    std::vector<CString> said;
    for (const Struct_UiCall& call : ui.CallsOf(Enum_UiCall::StatusText)) said.push_back(call.sText);
    EXPECT_EQ(said, (std::vector<CString>{"DO名Mod_Soft不符合SCL，新DO命名为ModSoft",
                                          "DO名Mod_hard不符合SCL，新DO命名为Modhard"}));
    EXPECT_EQ(Doc().FirstTarget(dos[1], "sec:DO.DefinedBy_DOType"), inc2);
    EXPECT_EQ(Doc().FirstTarget(dos[2], "sec:DO.DefinedBy_DOType"), sps);
    EXPECT_EQ(Get(dos[1], "sec:DO.SemanticNs"), "扩展");
    EXPECT_EQ(Get(dos[2], "sec:DO.SemanticNs"), "扩展");
    EXPECT_TRUE(Refreshes().empty());
    (void)inc1;
}

TEST_F(Commands, SoftAndHardLinkDOsWithoutTypesOrRefusedChangeNothingElse) {
    // No zel types: both DOs made, untyped; a second pair takes the next
    // free names.
    Run(m.p1PtocOp, "ICD:Add Soft Hard DO");
    Run(m.p1PtocOp, "ICD:Add Soft Hard DO");
    std::vector<URI_Ref> dos = Members(m.p1Ptoc, "sec:LNodeType.DOs");
    ASSERT_EQ(dos.size(), 5u);
    EXPECT_TRUE(Doc().FirstTarget(dos[1], "sec:DO.DefinedBy_DOType").IsEmpty());
    EXPECT_EQ(Get(dos[2], "cim:Naming.name"), "Modhard");
    EXPECT_EQ(Get(dos[3], "cim:Naming.name"), "ModSoft2");
    EXPECT_EQ(Get(dos[4], "cim:Naming.name"), "Modhard2");
    // A locked package: both creations refused, nothing written anywhere.
    Doc().SetDomainEditable(kInstDomain, false);
    ui.ClearCalls();
    Run(m.p1PtocOp, "ICD:Add Soft Hard DO");
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{"当前域不可编辑！-W0061", "当前域不可编辑！-W0061"}));
    EXPECT_EQ(Members(m.p1Ptoc, "sec:LNodeType.DOs").size(), 5u);
    EXPECT_EQ(Get(m.p1PtocOp, "cim:Naming.name"), "Op");
}

TEST_F(Commands, ExternalDataOfAnUnknownCimXmlDomainTypeIsRefused) {
    const URI_Ref other = Make(kInstDomain, "dEnv:DomainType", "二次模型数据类型包 ");  // a blank more
    Set(other, "dEnv:DomainTypeBase.fileType", EnumValue("DomainFileTypeEnum", "CIM-XML"));
    Run(other, "COMMON:Import ExternalData");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"不能导入该类型的域！"});
    EXPECT_EQ(ui.CountOf(Enum_UiCall::OpenFile), 0);
    // Another class: nothing at all.
    ui.ClearCalls();
    Run(icd, "COMMON:Import ExternalData");
    EXPECT_TRUE(ui.Calls().empty());
    // A known type: the file is asked for; cancelled, nothing more.
    URI_Ref known;
    ASSERT_TRUE(app.Proc_FindCreatableType_ByName("二次模型装置ICD包", "", known));
    ui.AnswerFileCancel();
    Run(known, "COMMON:Import ExternalData");
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_TRUE(Refreshes().empty());
}

TEST_F(Commands, TheImportRowsReachTheirImports) {
    // On something that is no product the ICD import refuses before its dialog.
    Run(m.instPkg, "ICD:Import ICD In Product");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"产品型号指定错误！"});
    EXPECT_EQ(ui.CountOf(Enum_UiCall::OpenFile), 0);
    // Without a product the ICD import is refused by the creator's message.
    ui.ClearCalls();
    Run(m.instPkg, "ICD:Import ICD");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"内部错误 - E992！"});
    // The others load the report template first; this document's folder has none.
    for (const char* command : {"ICD:Import TypePackage", "ICD:Import LNodeType"}) {
        ui.ClearCalls();
        Run(m.instPkg, command);
        ASSERT_EQ(ui.Messages().size(), 1u) << command;
        EXPECT_EQ(ui.Messages()[0], app.Get_ReportTemplatePath() + "文件格式不正确, 导入不成功！") << command;
        EXPECT_EQ(ui.CountOf(Enum_UiCall::OpenFile), 0) << command;
        EXPECT_TRUE(Refreshes().empty()) << command;
    }
    // The name replacement needs no template: both rows reach its file dialog.
    for (const auto& [current, command] :
         {std::pair<URI_Ref, const char*>{icd, "ICD:RepalceName"}, {URI_Ref(), "ICD:RepalceName All"}}) {
        ui.ClearCalls();
        ui.AnswerFileCancel();
        Run(current, command);
        EXPECT_EQ(ui.CountOf(Enum_UiCall::OpenFile), 1) << command;
        EXPECT_TRUE(ui.Messages().empty()) << command;
        EXPECT_TRUE(Refreshes().empty()) << command;
    }
}

TEST_F(Commands, TheItbAndM2iImportRowsReachTheirImports) {
    // Not an ICD: refused without a word.
    Run(m.instPkg, "ICD:Import ITB");
    Run(m.instPkg, "ICD:Import M2I");
    EXPECT_TRUE(ui.Messages().empty());
    // An ICD: the report template first; this document's folder has none.
    for (const char* command : {"ICD:Import ITB", "ICD:Import M2I"}) {
        ui.ClearCalls();
        Run(icd, command);
        ASSERT_EQ(ui.Messages().size(), 1u) << command;
        EXPECT_NE(ui.Messages()[0].Find("Report_Template.xml模板文件格式不正确, 导入不成功！"), -1) << command;
        EXPECT_EQ(ui.CountOf(Enum_UiCall::OpenFile), 0) << command;
    }
    // An ICD with a table and a mapping refuses a second of each.
    MakeUnder(icd, "sec:ITB", "ITB", "sec:ITB.ICD");
    MakeUnder(icd, "sec:M2I", "M2I", "sec:M2I.ICD");
    ui.ClearCalls();
    Run(icd, "ICD:Import ITB");
    Run(icd, "ICD:Import M2I");
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{"该ICD已有ITB，不能再导入！", "该ICD已有M2I，不能再导入！"}));
    EXPECT_EQ(ui.CountOf(Enum_UiCall::OpenFile), 0);
}

TEST_F(Commands, TheEditGuardsOfTheDispatcherShowTheirNumbers) {
    const URI_Ref da = MakeDA(m.p1Sps, "x", 3, "ST", "BOOLEAN");
    MakeDomain("kiln.itb#", "二次模型装置ICD包");
    Doc().SetDomainEditable(kInstDomain, false);
    Doc().SetDomainEditable(kIcdDomain, false);
    const std::pair<URI_Ref, const char*> cases[] = {
        {da, "ICD:Switch to BasicType"}, {da, "ICD:Switch to Struct"}, {da, "ICD:Switch to EnumType"},
        {ld, "ICD:Auto Sort LDevice LNode Inst"}, {icd, "ICD:AutoSortLNodeInst"}, {ld, "ICD:Set ChNum"},
        {icd, "ICD:Match M2I ByDoDesc"}, {icd, "ICD:ITB AutoOrd"}, {icd, "ICD:AutoGroupInfoItem"},
        {icd, "ICD:RepalceName"}, {m.instPkg, "ICD:RepalceName"},
    };
    for (const auto& [rsc, cmd] : cases) Run(rsc, cmd);
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{
                                 "当前域不可编辑！-W0092", "当前域不可编辑！-W0093", "当前域不可编辑！-W0094",
                                 "当前域不可编辑！-W0099", "当前域不可编辑！-W0099", "当前域不可编辑！-W0103",
                                 "当前域不可编辑！-W0098", "当前域不可编辑！-W0101", "当前域不可编辑！-W0102",
                                 "当前域不可编辑！-W0100", "当前域不可编辑！-W0100"}));
    EXPECT_EQ(ui.CountOf(Enum_UiCall::OpenFile), 0);
    EXPECT_TRUE(Refreshes().empty());
    EXPECT_EQ(Get(da, "sec:BDA.bType"), EnumValue("PreBasicTypeEnum", "BOOLEAN"));
}

// Commands that test no domain themselves: the document refuses their
// writes into a read-only domain, and the command shows that refusal once.
TEST_F(Commands, CommandsWithoutAGuardShowTheDocumentsRefusalOfAReadOnlyDomain) {
    URI_Ref itb, m2i;
    ASSERT_TRUE(app.NewRsc_ITB(&itb, icd));
    std::vector<URI_Ref> items(2);
    for (size_t i = 0; i < items.size(); ++i) {
        ASSERT_TRUE(app.NewRsc_InfoItem(&items[i], itb));
        Set(items[i], "sec:InfoItem.p103_typ", "1");
        Set(items[i], "sec:InfoItem.p103_grp", "2");
        Set(items[i], "sec:InfoItem.p103_ent", i == 0 ? "7" : "3");
    }
    ASSERT_TRUE(app.NewRsc_M2I(&m2i, icd, itb, true));
    const URI_Ref mapItem = Doc().FirstTarget(m2i, "sec:M2I.MapItems");
    Link(mapItem, "sec:DARef.LNode", ptoc);
    Set(mapItem, "sec:DARef.doName", "Op");
    ASSERT_TRUE(Doc().SetDomainEditable(kIcdDomain, false));
    ui.ClearCalls();

    const std::pair<URI_Ref, const char*> cases[] = {
        {items[0], "ICD:Sort InfoItem p103_ent"},
        {mapItem, "ICD:Clear MapItem DARef Asso"},
    };
    for (const auto& [rsc, cmd] : cases) Run(rsc, cmd);
    const CString refusal = CString("域不可编辑：") + kIcdDomain;
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{refusal, refusal}));
    EXPECT_EQ(Get(items[0], "sec:InfoItem.p103_ent"), "7");
    EXPECT_EQ(Get(items[1], "sec:InfoItem.p103_ent"), "3");
    EXPECT_EQ(Doc().FirstTarget(mapItem, "sec:DARef.LNode"), ptoc);
    EXPECT_EQ(Get(mapItem, "sec:DARef.doName"), "Op");
    EXPECT_EQ(Doc().TakeWriteRefusal(), "");  // shown, and so forgotten
}

TEST_F(Commands, SwitchingTheBasicTypeClearsTheLinksThatNoLongerFit) {
    const URI_Ref daType = MakeDAType(m.instPkg, "P1_AV", 9);
    const URI_Ref enumType = MakeEnumType(m.instPkg, "P1_E", 9, {"a"});
    const URI_Ref da = MakeDA(m.p1Sps, "x", 3, "ST", "Struct", daType);
    Link(da, "sec:BDA.DefinedBy_EnumType", enumType);
    Run(da, "ICD:Switch to Struct");
    EXPECT_EQ(Get(da, "sec:BDA.bType"), EnumValue("PreBasicTypeEnum", "Struct"));
    EXPECT_EQ(Doc().FirstTarget(da, "sec:BDA.DefinedBy_Struct"), daType);
    EXPECT_TRUE(Doc().FirstTarget(da, "sec:BDA.DefinedBy_EnumType").IsEmpty());
    Link(da, "sec:BDA.DefinedBy_EnumType", enumType);
    Run(da, "ICD:Switch to EnumType");
    EXPECT_TRUE(Doc().FirstTarget(da, "sec:BDA.DefinedBy_Struct").IsEmpty());
    EXPECT_EQ(Doc().FirstTarget(da, "sec:BDA.DefinedBy_EnumType"), enumType);
    Run(da, "ICD:Switch to BasicType");
    EXPECT_EQ(Get(da, "sec:BDA.bType"), EnumValue("PreBasicTypeEnum", "BOOLEAN"));
    EXPECT_TRUE(Doc().FirstTarget(da, "sec:BDA.DefinedBy_EnumType").IsEmpty());
    EXPECT_EQ(Refreshes(), (std::vector<int>{2, 2, 2}));
    ui.ClearCalls();
    Run(ld, "ICD:Switch to Struct");  // another class: nothing
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(Commands, MovesRefreshTheTreesAlsoWhenNothingMoves) {
    const std::vector<URI_Ref> nodes = Members(ld, "sec:LDevice.LNodes");
    Run(nodes[0], "ICD:Move Up");
    EXPECT_EQ(Names(ld, "sec:LDevice.LNodes"), (std::vector<CString>{"LLN0", "LPHD1", "PTOC1"}));
    EXPECT_EQ(Refreshes(), (std::vector<int>{1, 2}));
    ui.ClearCalls();
    Run(nodes[2], "ICD:Move Up");
    EXPECT_EQ(Names(ld, "sec:LDevice.LNodes"), (std::vector<CString>{"LLN0", "PTOC1", "LPHD1"}));
    Run(nodes[2], "ICD:Move Sideways");  // a member of the group without a body of its own
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(Refreshes(), (std::vector<int>{1, 2, 1, 2}));
    ui.ClearCalls();
    ui.AnswerInput("3", "请输入序号：");
    Run(nodes[2], "ICD:Move To");
    EXPECT_EQ(Names(ld, "sec:LDevice.LNodes"), (std::vector<CString>{"LLN0", "LPHD1", "PTOC1"}));
    // A place outside the list, however far outside, moves nothing.
    for (const char* place : {"99", "abc", "0", "-1", "4294967297", "-4294967295", "18446744073709551617"}) {
        ui.AnswerInput(place, "请输入序号：");
        Run(nodes[2], "ICD:Move To");
        EXPECT_EQ(Names(ld, "sec:LDevice.LNodes"), (std::vector<CString>{"LLN0", "LPHD1", "PTOC1"})) << place;
    }
    // Without an order number: nothing, not even a refresh.
    ui.ClearCalls();
    Run(icd, "ICD:Move Down");
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(Commands, APackageOrICDDependsOnTheChosenPackage) {
    ui.AnswerInputChoice("IEC61850  (标准)", "选择依赖的类型声明包：").AnswerInput("产品A", "产品类型包名称");
    Run(URI_Ref(), "ICD:Add Inst-TypePackage");
    std::vector<URI_Ref> packages;
    Doc().ByClass("sec:TypePackage", packages);
    const URI_Ref made = packages.back();
    EXPECT_EQ(Get(made, "sec:TypePackage.isInstType"), "true");
    EXPECT_EQ(Doc().FirstTarget(made, "sec:TypePackage.Depend_TypePackage"), m.stdPkg);
    EXPECT_EQ(Refreshes(), std::vector<int>{0});

    // The dependency link fails: the package stays, "内部错误（184）！", no refresh.
    ui.ClearCalls();
    ui.AnswerInputChoice("IEC61850  (标准)").AnswerInput("产品B");
    Doc().InjectFault("add");
    Run(URI_Ref(), "ICD:Add Inst-TypePackage");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"内部错误（184）！"});
    EXPECT_TRUE(Refreshes().empty());
    Doc().ByClass("sec:TypePackage", packages);
    EXPECT_TRUE(Doc().FirstTarget(packages.back(), "sec:TypePackage.Depend_TypePackage").IsEmpty());

    // An ICD needs a product: refused at once, before either question.
    ui.ClearCalls();
    Run(icd, "ICD:Add ICD");
    Run(URI_Ref(), "ICD:Add ICD");
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{"内部错误 - E992！", "内部错误 - E992！"}));
    EXPECT_EQ(ui.CountOf(Enum_UiCall::InputBox), 0);

    // Cancel on either question makes nothing.
    MakeDomain("kiln.prod#", "二次模型装置类型包");
    const URI_Ref product = MakeUnder(Make("kiln.prod#", "sec:ProductPackage", "厂家"), "sec:Product", "P",
                                      "sec:Product.ProductPackage");
    const size_t before = ResourceCount();
    ui.AnswerInputCancel();
    Run(product, "ICD:Add ICD");
    ui.AnswerInputChoice("IEC61850  (标准)").AnswerCancel("是否允许自由扩DO？");
    Run(product, "ICD:Add ICD");
    EXPECT_EQ(ResourceCount(), before);
}

TEST_F(Commands, DeletingANodeClearsItsMapItemsAndTheViewsAreRefreshedAlsoAfterNo) {
    URI_Ref itb, item, m2i;
    ASSERT_TRUE(app.NewRsc_ITB(&itb, icd));
    ASSERT_TRUE(app.NewRsc_InfoItem(&item, itb));
    ASSERT_TRUE(app.NewRsc_M2I(&m2i, icd, itb, true));
    const URI_Ref mapItem = Doc().FirstTarget(m2i, "sec:M2I.MapItems");
    Link(mapItem, "sec:DARef.LNode", ptoc);
    Set(mapItem, "sec:DARef.doName", "Op");
    Set(mapItem, "sec:DARef.daName", "stVal[ST]");
    ui.ClearCalls();

    ui.AnswerNo("$?$删除确认");
    Run(ptoc, "ICD:Delete");
    EXPECT_EQ(Get(mapItem, "sec:DARef.doName"), "Op");
    EXPECT_EQ(Refreshes(), std::vector<int>{2});

    app.m_bBulkDelete = true;  // left on by an earlier deletion: cleared first
    ui.ClearCalls();
    ui.AnswerYes("$?$删除确认");
    Run(ptoc, "ICD:Delete");
    EXPECT_EQ(Names(ld, "sec:LDevice.LNodes"), (std::vector<CString>{"LLN0", "LPHD1"}));
    EXPECT_EQ(Get(mapItem, "sec:DARef.doName"), "");
    EXPECT_EQ(Get(mapItem, "sec:DARef.daName"), "");
    EXPECT_FALSE(app.m_bBulkDelete);
    EXPECT_EQ(Refreshes(), (std::vector<int>{0, 2}));
}

TEST_F(Commands, ClearingAMapItemsTargetKeepsItsOtherLinks) {
    URI_Ref itb, item, m2i;
    ASSERT_TRUE(app.NewRsc_ITB(&itb, icd));
    ASSERT_TRUE(app.NewRsc_InfoItem(&item, itb));
    ASSERT_TRUE(app.NewRsc_M2I(&m2i, icd, itb, true));
    const URI_Ref mapItem = Doc().FirstTarget(m2i, "sec:M2I.MapItems");
    Link(mapItem, "sec:DARef.LNode", ptoc);
    Set(mapItem, "sec:DARef.doName", "Op");
    ui.ClearCalls();
    Run(mapItem, "ICD:Clear MapItem DARef Asso");
    EXPECT_TRUE(Doc().FirstTarget(mapItem, "sec:DARef.LNode").IsEmpty());
    EXPECT_EQ(Get(mapItem, "sec:DARef.doName"), "");
    EXPECT_EQ(Doc().FirstTarget(mapItem, "sec:MapItem.InfoItem"), item);
    EXPECT_EQ(Doc().FirstTarget(mapItem, "sec:MapItem.M2I"), m2i);
    EXPECT_EQ(Refreshes(), std::vector<int>{2});
}

TEST_F(Commands, TheExportRowsReachTheirExports) {
    // The installation's templates beside a document folder.
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("kiln_cmd_export_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "Template");
    std::filesystem::create_directories(dir / "document");
    for (const char* t : {"ICD_Template.xml", "MICS_Template.xml", "ITB_Template.xml", "M2I_Template.xml"})
        std::filesystem::copy_file(std::filesystem::path(KILN_SOURCE_DIR) / "Template" / t, dir / "Template" / t);
    Doc().SetDocPath((dir / "document").c_str());
    URI_Ref itb, m2i;
    ASSERT_TRUE(app.NewRsc_ITB(&itb, icd));
    ASSERT_TRUE(app.NewRsc_M2I(&m2i, icd, itb, true));
    const std::pair<URI_Ref, const char*> cases[] = {
        {itb, "ICD:Export ITB"}, {m2i, "ICD:Export M2I"}, {icd, "ICD:Create M2I Layout"},
        {icd, "ICD:Create ReplaceNameFile"}, {URI_Ref(), "ICD:Create ReplaceNameFile All"},
        {icd, "ICD:Export ICD"}, {m.instPkg, "ICD:Export TypePackage"},
    };
    for (const auto& [rsc, cmd] : cases) {
        ui.ClearCalls();
        if (CString(cmd) == "ICD:Export ICD") ui.AnswerNo("是否由M2I生成DOI DAI");
        ui.AnswerFileCancel();  // each asks for its file; cancelled, nothing is written
        Run(rsc, cmd);
        EXPECT_EQ(ui.PendingAnswers(), 0u) << cmd;
        for (const Struct_UiCall& box : ui.CallsOf(Enum_UiCall::FrameworkMessageBox))
            EXPECT_NE(box.nType, MB_OK) << cmd << ": " << box.sText;  // questions only, no notice
        EXPECT_TRUE(Refreshes().empty()) << cmd;
    }
    std::filesystem::remove_all(dir);
}

TEST_F(Commands, WithoutAProductPackageTheDialogOffersNothingAndCancelChangesNothing) {
    ASSERT_EQ(KilnModule_Entry(DLL_PROCESS_ATTACH), 1);
    Struct_UiDialogAnswer ok;
    ok.nResult = IDOK;  // OK stays disabled: the dialog asks again
    Struct_UiDialogAnswer cancel;
    ui.AnswerDialog(ok).AnswerDialog(cancel);
    Run(icd, "Set ICD Product");
    KilnModule_Entry(DLL_PROCESS_DETACH);
    const auto dialogs = ui.CallsOf(Enum_UiCall::ModalDialog);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].vList.GetSize(), 0);
    EXPECT_TRUE(Doc().FirstTarget(icd, "sec:ICD.Product").IsEmpty());
    EXPECT_TRUE(Refreshes().empty());
    EXPECT_TRUE(ui.Messages().empty());
}

// The product dialog, with the module's template attached.
class ProductDialog : public CommandsTest {
protected:
    void SetUp() override {
        ASSERT_EQ(KilnModule_Entry(DLL_PROCESS_ATTACH), 1);
        MakeDomain("kiln.prod#", "二次模型装置类型包");
        package = Make("kiln.prod#", "sec:ProductPackage", "厂家A");
        productA = MakeUnder(package, "sec:Product", "PCS-931", "sec:Product.ProductPackage");
        productB = MakeUnder(package, "sec:Product", "PCS-902", "sec:Product.ProductPackage");
        Make("kiln.prod#", "sec:ProductPackage", "空厂家");
        ui.ClearCalls();
    }
    void TearDown() override { KilnModule_Entry(DLL_PROCESS_DETACH); }
    static Struct_UiDialogAnswer Pick(int result, std::vector<CString> picks) {
        Struct_UiDialogAnswer a;
        a.nResult = result;
        a.vPicks = std::move(picks);
        return a;
    }
    URI_Ref package, productA, productB;
};

TEST_F(ProductDialog, OkWaitsForAProductAndTheICDEndsLinkedToItAlone) {
    Link(icd, "sec:ICD.Product", productA);
    Link(icd, "sec:ICD.Product", productB);
    // A package alone cannot end the dialog with OK: it asks again.
    ui.AnswerDialog(Pick(IDOK, {"厂家A"})).AnswerDialog(Pick(IDOK, {"PCS-902"}));
    Run(icd, "Set ICD Product");
    const auto dialogs = ui.CallsOf(Enum_UiCall::ModalDialog);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].sCaption, "设置厂家及产品类型");
    EXPECT_EQ(dialogs[0].vList.GetSize(), 2);  // the packages only: the products are disabled
    std::vector<URI_Ref> linked;
    Doc().Targets(icd, "sec:ICD.Product", linked);
    EXPECT_EQ(linked, std::vector<URI_Ref>{productB});
    EXPECT_EQ(Refreshes(), (std::vector<int>{2, 1}));

    // Cancel after choosing a product changes nothing.
    ui.ClearCalls();
    ui.AnswerDialog(Pick(IDCANCEL, {"厂家A", "PCS-931"}));
    Run(icd, "Set ICD Product");
    Doc().Targets(icd, "sec:ICD.Product", linked);
    EXPECT_EQ(linked, std::vector<URI_Ref>{productB});
    EXPECT_TRUE(Refreshes().empty());
}

// A user interface whose second dialog round lets the chosen product vanish
// while the dialog is open.
class VanishingProductUi : public CScriptedUi {
public:
    std::function<void()> onSecondRound;
    Struct_UiDialogAnswer RunModal(const Struct_UiDialogRequest& request) override {
        if (++m_rounds == 2 && onSecondRound) onSecondRound();
        return CScriptedUi::RunModal(request);
    }

private:
    int m_rounds = 0;
};

TEST_F(ProductDialog, AProductThatIsGoneWhenOkIsPressedChangesNoLink) {
    Link(icd, "sec:ICD.Product", productA);
    VanishingProductUi vanishing;
    vanishing.onSecondRound = [&] { ASSERT_TRUE(Doc().DeleteResource(productB)); };
    vanishing.AnswerDialog(Pick(IDOK, {"厂家A"})).AnswerDialog(Pick(IDOK, {"PCS-902"}));
    Run(icd, "Set ICD Product");
    std::vector<URI_Ref> linked;
    Doc().Targets(icd, "sec:ICD.Product", linked);
    EXPECT_EQ(linked, std::vector<URI_Ref>{productA});
    EXPECT_EQ(vanishing.CountOf(Enum_UiCall::AllViewsRefresh), 0);
}

TEST_F(ProductDialog, TheDropDownWidensBySixPixelsAGbkByteUpToHalfTheScreen) {
    ui.SetScreenSize(1280, 1024);
    CDlg_SetICDProduct dlg;
    dlg.m_pApp = &app;
    CComboBox combo;
    combo.m_rect = RECT{0, 0, 156, 20};
    auto rscs = [&](int bytes) {
        // Chinese characters take two GBK bytes each.
        CString name;
        for (int i = 0; i < bytes / 2; ++i) name += "品";
        return std::vector<URI_Ref>{Make("kiln.prod#", "sec:Product", name)};
    };
    Struct_Pairs pairs;
    std::vector<URI_Ref> list = rscs(100);
    dlg.Set_COMBOItems_byURIs(list, combo, pairs);
    EXPECT_EQ(combo.GetDroppedWidth(), 600);
    list = rscs(400);
    dlg.Set_COMBOItems_byURIs(list, combo, pairs);
    EXPECT_EQ(combo.GetDroppedWidth(), 640);
    combo.SetDroppedWidth(700);  // already at least 6 pixels a byte wide: kept
    list = rscs(100);
    dlg.Set_COMBOItems_byURIs(list, combo, pairs);
    EXPECT_EQ(combo.GetDroppedWidth(), 700);
    EXPECT_EQ(pairs.GetSize(), 1);
}

}  // namespace
}  // namespace kiln::test
