// What every creator that takes a parent does alike, one row per creator:
// the edit lock with its own number, the parent test with its own text, the
// name, order number and link of a new resource, and the clean-up after any
// failed create, link or attribute write.
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "core/create_pattern.h"
#include "tests/core/create_scaffold.h"

namespace kiln::test {
namespace {

using Creator = bool (*)(CKiln_Main&, URI_Ref*, const URI_Ref&);

struct CreatorCase {
    const char* label;
    Creator create;
    Parent parent;
    const char* lockNo;
    const char* parentMessage;  // null: the creator does not test its parent
    const char* cls;
    const char* name;           // of the resource made in the scaffold
    const char* ord;            // "" when none is written
    const char* linkRole;       // from the new resource
    Parent linkTarget;
    int failable;               // document calls whose failure undoes the creation
};

const CreatorCase kCases[] = {
    {"ProductVer", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_ProductVer(o, p, {}, ""); },
     Parent::Product, "W0055", "指定产品类型错误！", "sec:ProductVer", "版本1", "", "sec:ProductVer.Product",
     Parent::Product, 3},
    {"LNodeType", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_LNodeType(o, p); },
     Parent::InstPackage, "W0058", "指定TypePackage错误！", "sec:LNodeType", "LNType_2", "2",
     "sec:LNodeType.TypePackage", Parent::InstPackage, 4},
    {"DOType", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_DOType(o, p); },
     Parent::InstPackage, "W0059", "指定TypePackage错误！", "sec:DOType", "DOType_2", "2", "sec:DOType.TypePackage",
     Parent::InstPackage, 4},
    {"DAType", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_DAType(o, p); },
     Parent::InstPackage, "W0060", "指定TypePackage错误！", "sec:DAType", "DAType_1", "1", "sec:DAType.TypePackage",
     Parent::InstPackage, 4},
    {"DO", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_DO(o, p, ""); }, Parent::P1Ptoc,
     "W0061", "指定 LNodeType 错误！", "sec:DO", "DO_2", "2", "sec:DO.LNodeType", Parent::P1Ptoc, 3},
    {"SDO", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_SDO(o, p, ""); }, Parent::P1Sps,
     "W0062", "指定 DOType 错误！", "sec:SDO", "SDO_1", "1", "sec:SDO.MemberOf_DOType", Parent::P1Sps, 3},
    {"DA", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_DA(o, p, ""); }, Parent::P1Sps, "W0063",
     "指定 DOType 错误！", "sec:DA", "DA_3", "3", "sec:DA.MemberOf_DOType", Parent::P1Sps, 3},
    {"BDA", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_BDA(o, p, ""); }, Parent::Originator,
     "W0064", "指定 DAType 错误！", "sec:BDA", "BDA_3", "3", "sec:BDA.MemberOf_DAType", Parent::Originator, 3},
    {"Val", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_Val(o, p); }, Parent::P1SpsStVal,
     "W0065", "指定 BDA 错误！", "sec:Val", "", "", "sec:Val.BDA", Parent::P1SpsStVal, 2},
    {"EnumType", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_EnumType(o, p); },
     Parent::InstPackage, "W0066", nullptr, "sec:EnumType", "EnumType_1", "1", "sec:EnumType.TypePackage",
     Parent::InstPackage, 3},
    {"EnumVal", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_EnumVal(o, p, ""); },
     Parent::CtlModel, "W0067", "指定 EnumType 错误！", "sec:EnumVal", "Val_3", "3", "sec:EnumVal.EnumType",
     Parent::CtlModel, 4},
    {"DOSemantic", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_DOSemantic(o, p); },
     Parent::InstPackage, "W0068", nullptr, "sec:DOSemantic", "Name_1", "1", "sec:DOSemantic.TypePackage",
     Parent::InstPackage, 3},
    {"DASemantic", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_DASemantic(o, p); },
     Parent::InstPackage, "W0069", nullptr, "sec:DASemantic", "Name_1", "1", "sec:DASemantic.TypePackage",
     Parent::InstPackage, 3},
    {"IED", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_IED(o, p); }, Parent::Icd, "W0070",
     "指定ICD错误！", "sec:IED", "TEMPLATE", "", "sec:IED.ICD", Parent::Icd, 4},
    {"LDevice", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_LDevice(o, p, {}, {}, {}); },
     Parent::Ied, "W0071", "指定IED或TypePackage错误！", "sec:LDevice", "LD_2", "2", "sec:LDevice.Server",
     Parent::Server, 4},
    // The instance-number write is the one write whose failure does not undo the node.
    {"LNode", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_LNode(o, p, {}, true); },
     Parent::LDevice, "W0072", "指定 LDevice 错误！", "sec:LNode", "LN_2", "2", "sec:LNode.LDevice", Parent::LDevice,
     3},
    {"DOI", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_DOI(o, p, {}); }, Parent::LNode,
     "W0073", "指定 LNode 错误！", "sec:DOI", "DOI_2", "2", "sec:DOI.LNode", Parent::LNode, 3},
    {"DAI", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_DAI(o, p, {}, ""); }, Parent::Doi,
     "W0074", "指定 DOI 错误！", "sec:DAI", "DAI_1", "1", "sec:DAI.DOI", Parent::Doi, 3},
    {"DataSet", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_DataSet(o, p); }, Parent::LNode,
     "W0075", "指定 LNode 错误！", "sec:DataSet", "DataSet_2", "2", "sec:DataSet.LNode", Parent::LNode, 3},
    {"FCDA", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_FCDA(o, p); }, Parent::DataSet,
     "W0076", "指定 DataSet 错误！", "sec:FCDA", "FCDA_1", "1", "sec:FCDA.DataSet", Parent::DataSet, 3},
    {"RCB", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_RCB(o, p, {}); }, Parent::LNode,
     "W0077", "指定 LNode 错误！", "sec:RCB", "RCB_2", "2", "sec:RCB.LNode", Parent::LNode, 17},
    {"ClientLN", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_ClientLN(o, p); }, Parent::Rcb,
     "W0078", "指定 RCB 错误！", "sec:ClientLN", "Client_1", "1", "sec:ClientLN.RCB", Parent::Rcb, 3},
    {"LCB", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_LCB(o, p, {}); }, Parent::LNode,
     "W0079", "指定 LNode 错误！", "sec:LCB", "LCB_1", "1", "sec:LCB.LNode", Parent::LNode, 7},
    {"Log", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_Log(o, p); }, Parent::LNode, "W0080",
     "指定 LNode 错误！", "sec:Log", "Log", "", "sec:Log.LNode", Parent::LNode, 2},
    {"SGCB", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_SGCB(o, p); }, Parent::LNode, "W0081",
     "指定 LNode 错误！", "sec:SGCB", "SGCB", "", "sec:SGCB.LNode", Parent::LNode, 3},
    {"SettingGroup", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_SettingGroup(o, p); },
     Parent::Sgcb, "W0082", "指定 SGCB 错误！", "sec:SettingGroup", "SG_2", "2", "sec:SettingGroup.SGCB",
     Parent::Sgcb, 3},
    {"SettingData", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_SettingData(o, p); },
     Parent::SettingGroup, "W0083", "指定 SettingGroup 错误！", "sec:SettingData", "SetData_1", "1",
     "sec:SettingData.SettingGroup", Parent::SettingGroup, 3},
    {"ExtRef", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_ExtRef(o, p); }, Parent::LNode,
     "W0084", "指定 LNode 错误！", "sec:ExtRef", "ExtRef_1", "1", "sec:ExtRef.LNode", Parent::LNode, 3},
    {"SV", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_SV(o, p); }, Parent::LNode, "W0070",
     "指定uLNode错误！", "sec:SV", "采样控制块_1", "1", "sec:CB.LNode", Parent::LNode, 3},
    {"GSE", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_GSE(o, p); }, Parent::LNode, "W0070",
     "指定LNode错误！", "sec:GSE", "GSE控制块_1", "1", "sec:CB.LNode", Parent::LNode, 3},
    {"SignalList", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_SignalList(o, p); },
     Parent::Ied, "W0070", "指定IED错误！", "sec:SignalList", "信号列表", "", "sec:SignalList.IED", Parent::Ied, 2},
    {"OutSignal", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_OutSignal(o, p); },
     Parent::SignalList, "W0070", "指定SignalList错误！", "sec:OutSignal", "输出信号_1", "1",
     "sec:OutSignal.SignalList", Parent::SignalList, 3},
    {"InSignal", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_InSignal(o, p); },
     Parent::SignalList, "W0070", "指定SignalList错误！", "sec:InSignal", "输入信号_1", "1",
     "sec:InSignal.SignalList", Parent::SignalList, 3},
    {"ITB", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_ITB(o, p); }, Parent::Icd, "W0085",
     "指定ICD错误！", "sec:ITB", "ITB", "", "sec:ITB.ICD", Parent::Icd, 2},
    {"InfoItem", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_InfoItem(o, p); }, Parent::Itb,
     "W0088", "指定ITB错误！", "sec:InfoItem", "Item1", "1", "sec:InfoItem.ITB", Parent::Itb, 3},
    {"InfoGroup", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_InfoGroup(o, p, ""); },
     Parent::Itb, "W0087", "指定ITB错误！", "sec:InfoGroup", "Group2", "", "sec:InfoGroup.ITB", Parent::Itb, 2},
    {"M2I", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_M2I(o, p, {}, true); }, Parent::Icd,
     "W0086", "指定ICD错误！", "sec:M2I", "M2I", "", "sec:M2I.ICD", Parent::Icd, 2},
    {"MapItem", [](CKiln_Main& a, URI_Ref* o, const URI_Ref& p) { return a.NewRsc_MapItem(o, p, {}); }, Parent::M2I,
     "W0089", "指定M2I错误！", "sec:MapItem", "Item1", "1", "sec:MapItem.M2I", Parent::M2I, 3},
};

// Test names and failure texts show the row by its label.
void PrintTo(const CreatorCase& k, std::ostream* os) { *os << k.label; }

class CreatorRow : public CreateTest, public ::testing::WithParamInterface<CreatorCase> {
protected:
    bool Create(URI_Ref* out, const URI_Ref& parent) { return GetParam().create(app, out, parent); }
    URI_Ref ParentRsc() const { return Of(GetParam().parent); }
};

const URI_Ref kSentinel("kiln.none#sentinel", "sec:Foo");

TEST_P(CreatorRow, RefusesALockedDomainWithItsNumber) {
    const CreatorCase& k = GetParam();
    const std::vector<CString> lockMessage{CString("当前域不可编辑！-") + k.lockNo};
    const int before = Count();
    URI_Ref out = kSentinel;
    // Without a parent there is no domain to create in.
    EXPECT_FALSE(Create(&out, URI_Ref()));
    EXPECT_EQ(Messages(), lockMessage);
    ui.ClearCalls();
    ASSERT_TRUE(Doc().SetDomainEditable(DomainOf(ParentRsc()), false));
    EXPECT_FALSE(Create(&out, ParentRsc()));
    EXPECT_EQ(Messages(), lockMessage);
    EXPECT_EQ(Count(), before);
    EXPECT_EQ(out.sUri, kSentinel.sUri) << "the lock comes before the out-handle is cleared";
}

TEST_P(CreatorRow, RefusesAParentOfAnotherClass) {
    const CreatorCase& k = GetParam();
    const int before = Count();
    URI_Ref out = kSentinel;
    EXPECT_FALSE(Create(&out, infoGroup));
    if (k.parentMessage)
        EXPECT_EQ(Messages(), std::vector<CString>{k.parentMessage});
    else
        EXPECT_TRUE(Messages().empty()) << "the document refuses the link and the creator shows nothing";
    EXPECT_EQ(Count(), before);
    // The product version clears the out-handle only after its parent tests.
    if (std::string(k.label) == "ProductVer")
        EXPECT_EQ(out.sUri, kSentinel.sUri);
    else
        EXPECT_TRUE(out.IsEmpty());
}

TEST_P(CreatorRow, MakesItsNameNumberAndLink) {
    const CreatorCase& k = GetParam();
    URI_Ref out;
    ASSERT_TRUE(Create(&out, ParentRsc()));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(out.sClass, k.cls);
    EXPECT_TRUE(Doc().Exists(out));
    EXPECT_EQ(DomainOf(out), DomainOf(ParentRsc()));
    EXPECT_EQ(Get(out, "cim:Naming.name"), k.name);
    EXPECT_EQ(Get(out, "e301:OrdNaming.ord"), k.ord);
    EXPECT_EQ(First(out, k.linkRole), Of(k.linkTarget));
}

// Every failing create, link or write of a creator leaves the document as it
// was, shows nothing and leaves the out-handle empty.
TEST_P(CreatorRow, TakesBackWhatItMadeWhenTheDocumentFails) {
    EXPECT_EQ(FailEachCall(20, [&](URI_Ref* out) { return Create(out, ParentRsc()); }), GetParam().failable);
}

// An exception of another kind (a question the host cannot answer, an
// allocation failure) takes back what the creator made and goes on upward.
TEST_F(CreateTest, AnyExceptionTakesBackWhatWasMade) {
    const int before = Count();
    kiln::core::CNewRsc c(app, nullptr, "W0058");
    ASSERT_TRUE(c.Admit(m.instPkg, {"sec:TypePackage"}, "指定TypePackage错误！"));
    URI_Ref made;
    EXPECT_THROW(c.Build([&]() -> URI_Ref {
                     made = c.Create("sec:DOType", "half");
                     c.Create("sec:DOType", "other");
                     throw std::bad_alloc();
                 }),
                 std::bad_alloc);
    EXPECT_TRUE(made.IsSet());
    EXPECT_FALSE(Doc().Exists(made));
    EXPECT_EQ(Count(), before);
    EXPECT_TRUE(Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Creators, CreatorRow, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CreatorCase>& info) { return info.param.label; });

}  // namespace
}  // namespace kiln::test
