// Defaults of report and log control blocks, the log an LCB finds, SV and GSE
// numbered per class in one list, fixed-name blocks and signals.
#include "platform/framework/cim_schema.h"
#include "tests/core/create_scaffold.h"

namespace kiln::test {
namespace {

CString TrgOp(const char* value) { return CString(kiln::cim::kModelNamespace) + "#TrgOpControlTypeEnum." + value; }

using ControlBlockTest = CreateTest;

TEST_F(ControlBlockTest, ReportBlockForADataSet) {
    Set(dataSet, "cim:Naming.name", "dsAlarm");
    URI_Ref rcb2;
    ASSERT_TRUE(app.NewRsc_RCB(&rcb2, lnode, dataSet));
    EXPECT_EQ(Get(rcb2, "cim:Naming.name"), "RCB_dsAlarm");
    EXPECT_EQ(Get(rcb2, "e301:OrdNaming.ord"), "2");
    EXPECT_EQ(First(rcb2, "sec:RCB.DataSet"), dataSet);
    // It reports under its own name, buffered, with every option on.
    EXPECT_EQ(Get(rcb2, "sec:RCB.rptID"), "RCB_dsAlarm");
    EXPECT_EQ(Get(rcb2, "sec:RCB.BRCB_or_URCB"), "true");
    for (const char* option : {"SequenceNumber", "ReportTimeStamp", "ReasonForInclusion", "DataSetName",
                               "DataReference", "BufferOverflow", "EntryID", "ConfRevision"})
        EXPECT_EQ(Get(rcb2, CString("sec:RCB.opt") + option), "true") << option;
    EXPECT_EQ(Get(rcb2, "sec:RCB.confRev"), "1");
    EXPECT_EQ(Get(rcb2, "sec:RCB.bufIm"), "1500");
    EXPECT_EQ(Get(rcb2, "sec:RCB.intgPd"), "15000");
    // General interrogation is on, as SCL's TrgOps default has it.
    EXPECT_EQ(Get(rcb2, "sec:RCB.trgOp"), TrgOp("DChg_DUpdGI"));

    URI_Ref rcb3;
    ASSERT_TRUE(app.NewRsc_RCB(&rcb3, lnode, URI_Ref()));
    EXPECT_EQ(Get(rcb3, "cim:Naming.name"), "RCB_3");
    EXPECT_EQ(Get(rcb3, "sec:RCB.rptID"), "RCB_3");
    EXPECT_TRUE(First(rcb3, "sec:RCB.DataSet").IsEmpty());
}

TEST_F(ControlBlockTest, LogBlockDefaultsAndItsLog) {
    // No node of the server has a log: the LCB has no log link.
    URI_Ref lcb;
    ASSERT_TRUE(app.NewRsc_LCB(&lcb, lnode, dataSet));
    EXPECT_EQ(Get(lcb, "cim:Naming.name"), "LCB_ds1");
    EXPECT_EQ(First(lcb, "sec:LCB.DataSet"), dataSet);
    EXPECT_TRUE(First(lcb, "sec:LCB.Log").IsEmpty());
    EXPECT_EQ(Get(lcb, "sec:LCB.logEna"), "true");
    EXPECT_EQ(Get(lcb, "sec:LCB.optReasonForInclusion"), "true");
    EXPECT_EQ(Get(lcb, "sec:LCB.trgOp"), TrgOp("DChgGI"));
    EXPECT_EQ(Get(lcb, "sec:LCB.intgPd"), "10000");

    // The first log of any node of the server's devices.
    URI_Ref ld2 = MakeUnder(server, "sec:LDevice", "LD2", "sec:LDevice.Server", 2);
    URI_Ref log = MakeUnder(MakeLNode(ld2, "", "GGIO", "1", 1), "sec:Log", "Log", "sec:Log.LNode");
    ASSERT_TRUE(app.NewRsc_LCB(&lcb, lnode, URI_Ref()));
    EXPECT_EQ(Get(lcb, "cim:Naming.name"), "LCB_2");
    EXPECT_EQ(First(lcb, "sec:LCB.Log"), log);
}

TEST_F(ControlBlockTest, LogOfADeviceWithoutServer) {
    URI_Ref tld = Make(kInstDomain, "sec:LDevice", "T", 1);
    URI_Ref n1 = MakeLNode(tld, "", "LLN0", "", 1);
    URI_Ref n2 = MakeLNode(tld, "", "GGIO", "1", 2);
    URI_Ref log = MakeUnder(n2, "sec:Log", "Log", "sec:Log.LNode");
    URI_Ref lcb;
    ASSERT_TRUE(app.NewRsc_LCB(&lcb, n1, URI_Ref()));
    EXPECT_EQ(First(lcb, "sec:LCB.Log"), log);
}

TEST_F(ControlBlockTest, SvAndGseAreNumberedPerClass) {
    URI_Ref out;
    ASSERT_TRUE(app.NewRsc_GSE(&out, lnode));
    ASSERT_TRUE(app.NewRsc_GSE(&out, lnode));
    EXPECT_EQ(Get(out, "cim:Naming.name"), "GSE控制块_2");
    URI_Ref sv;
    ASSERT_TRUE(app.NewRsc_SV(&sv, lnode));
    EXPECT_EQ(Get(sv, "cim:Naming.name"), "采样控制块_1");
    EXPECT_EQ(Get(sv, "e301:OrdNaming.ord"), "1");
    ASSERT_TRUE(app.NewRsc_GSE(&out, lnode));
    EXPECT_EQ(Get(out, "cim:Naming.name"), "GSE控制块_3");
    EXPECT_EQ(Get(out, "e301:OrdNaming.ord"), "3");
    EXPECT_EQ(Targets(lnode, "sec:LNode.CBs").size(), 4u);
}

TEST_F(ControlBlockTest, FixedNamesWithoutNumbers) {
    URI_Ref a, b;
    ASSERT_TRUE(app.NewRsc_SGCB(&a, lnode));
    EXPECT_EQ(Get(a, "cim:Naming.name"), "SGCB");
    // Its description is the block's own, what the ICD writes for it.
    EXPECT_EQ(Get(a, "cim:Naming.description"), "定值控制块");
    EXPECT_EQ(Get(a, "e301:OrdNaming.ord"), "");
    EXPECT_EQ(Targets(lnode, "sec:LNode.SGCB").size(), 2u);
    ASSERT_TRUE(app.NewRsc_Log(&a, lnode));
    ASSERT_TRUE(app.NewRsc_Log(&b, lnode));
    EXPECT_NE(a, b);
    EXPECT_EQ(Get(b, "cim:Naming.name"), "Log");
    ASSERT_TRUE(app.NewRsc_SignalList(&a, ied));
    EXPECT_EQ(Get(a, "cim:Naming.name"), "信号列表");
    EXPECT_EQ(Get(a, "e301:OrdNaming.ord"), "");
}

TEST_F(ControlBlockTest, SignalsCountAllOfTheirList) {
    URI_Ref out;
    ASSERT_TRUE(app.NewRsc_OutSignal(&out, signalList));
    ASSERT_TRUE(app.NewRsc_OutSignal(&out, signalList));
    EXPECT_EQ(Get(out, "cim:Naming.name"), "输出信号_2");
    EXPECT_EQ(Get(out, "e301:OrdNaming.ord"), "2");
    ASSERT_TRUE(app.NewRsc_InSignal(&out, signalList));
    EXPECT_EQ(Get(out, "cim:Naming.name"), "输入信号_1");
}

}  // namespace
}  // namespace kiln::test
