// The model of the import benchmarks: a small standard package built
// straight through the store and script-made SCL of any number of logical
// nodes over it; and what the benchmarks that build an ICD through the
// document methods share: a user interface that answers without asking, the
// steps that make, link and set resources, and the ICD domain.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "core/kiln_main.h"
#include "platform/framework/cim_schema.h"
#include "platform/ui/ui_services.h"

namespace kiln::bench {

inline void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "failed: %s\n", what);
    std::exit(1);
}

inline CString Num(long n) {
    CString t;
    t.Format("%ld", n);
    return t;
}

inline CString Enum(const char* e, const char* v) { return CString(kiln::cim::kModelNamespace) + "#" + e + "." + v; }

// A product package "PP" in its own domain "kiln.pp#" with the product "P";
// returns the product.
inline URI_Ref AddProduct(CBase_CimDoc& doc) {
    URI_Ref type, pp, product;
    Check(doc.FindDomainType("二次模型装置类型包", type), "domain type");
    Check(doc.CreateDomain("kiln.pp#", type, "pp", true), "product domain");
    Check(doc.CreateResource("kiln.pp#", "sec:ProductPackage", pp, "PP"), "product package");
    Check(doc.CreateResource("kiln.pp#", "sec:Product", product, "P"), "product");
    Check(doc.AddLink(product, "sec:Product.ProductPackage", pp), "product link");
    return product;
}

// Answers message boxes with `answer`, the file dialog with `path` (none
// when it is empty), and any other question with nothing.
class BenchUi : public Ifc_UiServices {
public:
    CString path;
    int answer = IDOK;
    int MessageBox(Enum_UiCall, const CString&, UINT, const CString&) override { return answer; }
    bool InputBox(const CString&, CString&, const Struct_EditPack*, bool) override { return false; }
    int ButtonChoice(const CString&, const CString&, const Struct_Pairs&, int) override { return -1; }
    int PickResource(const CString&, const Struct_Pairs&, int) override { return -1; }
    bool FileDialog(const Struct_UiFileRequest&, CString& out) override {
        if (path.IsEmpty()) return false;
        out = path;
        return true;
    }
    UINT TrackPopupMenu(const Struct_UiMenu&) override { return 0; }
    Struct_UiDialogAnswer RunModal(const Struct_UiDialogRequest&) override { return Struct_UiDialogAnswer(); }
    void StatusText(const CString&) override {}
    void AllViewsRefresh(const CString&, const URI_Ref&, int) override {}
    void AllViewsLocate(const CString&, const URI_Ref&, int) override {}
    void ViewRefresh(const CString&, int) override {}
    void ViewShow(const CString&, const URI_Ref&, const CString&, const CString&, int) override {}
    bool ShellOpen(const CString&, const CString&) override { return true; }
    void WaitCursor(bool) override {}
    void CommonMenu(const CString&, const URI_Ref&) override {}
    POINT CursorPos() override { return POINT{0, 0}; }
};

inline void Check(CKiln_Main& app, bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "failed: %s: %s\n", what, app.LastDocError().GetString());
    std::exit(1);
}

// A resource of class `cls` in `dom`, numbered `ord` when positive and
// linked to `parent` along `role` when there is one.
inline URI_Ref Add(CKiln_Main& app, const CString& dom, const char* cls, const CString& name, int ord,
                   const char* role, const URI_Ref& parent) {
    URI_Ref r;
    Check(app, app.DocMtd_create_a_Rsc(dom, cls, r, name), "create");
    if (ord > 0) Check(app, app.DocMtd_Modify_attribute_value(r, "e301:OrdNaming.ord", Num(ord)), "ord");
    if (role) Check(app, app.DocMtd_add_Association(r, role, parent), role);
    return r;
}

inline void Link(CKiln_Main& app, const URI_Ref& r, const char* role, const URI_Ref& target) {
    Check(app, app.DocMtd_add_Association(r, role, target), role);
}

inline void Set(CKiln_Main& app, const URI_Ref& r, const char* role, const CString& v) {
    Check(app, app.DocMtd_Modify_attribute_value(r, role, v), role);
}

// A fresh workspace folder `ws` with its folders "document" and "Template",
// the named templates copied from the source tree's "Template" folder.
inline void MakeWorkspace(const std::string& ws, const std::string& sourceDir,
                          std::initializer_list<const char*> templates) {
    namespace fs = std::filesystem;
    fs::remove_all(ws);
    fs::create_directories(ws + "/document");
    fs::create_directories(ws + "/Template");
    for (const char* t : templates) fs::copy_file(sourceDir + "/Template/" + t, ws + "/Template/" + t);
}

// The domain "kiln.icd#" of the ICD package type; returns its name.
inline CString AddIcdDomain(CKiln_Main& app) {
    URI_Ref type;
    Check(app, app.Proc_FindCreatableType_ByName("二次模型装置ICD包", "", type), "domain type");
    const CString dom = "kiln.icd#";
    Check(app, app.Proc_Create_a_Domain_byType(dom, type, "ICD", DomainTypeDfn()), "domain");
    return dom;
}

// A standard package with the classes and CDCs the file uses.
inline void BuildStandard(CKiln_Main& app) {
    CBase_CimDoc& doc = app.m_Doc;
    doc.SetDomainPrefixDefault("kiln");
    URI_Ref type;
    Check(doc.FindDomainType("二次模型标准定义包3", type), "domain type");
    Check(doc.CreateDomain("kiln.std#", type, "std", true), "std domain");
    auto make = [&](const char* cls, const CString& name, const URI_Ref& parent, const char* role) {
        URI_Ref r;
        Check(doc.CreateResource("kiln.std#", cls, r, name), "create");
        if (parent.IsSet()) Check(doc.AddLink(r, role, parent), "link");
        return r;
    };
    URI_Ref pkg = make("sec:TypePackage", "IEC61850", URI_Ref(), "");
    doc.SetAttribute(pkg, "sec:TypePackage.ref", kStdTypePackageRef);
    doc.SetAttribute(pkg, "sec:TypePackage.isInstType", "false");
    URI_Ref sps = make("sec:DOType", "SPS", pkg, "sec:DOType.TypePackage");
    URI_Ref inc = make("sec:DOType", "INC", pkg, "sec:DOType.TypePackage");
    int ord = 0;
    for (const URI_Ref& cdc : {sps, inc}) {
        URI_Ref st = make("sec:DA", "stVal", cdc, "sec:DA.MemberOf_DOType");
        doc.SetAttribute(st, "sec:DA.fc_0", Enum("FCType", "ST"));
        doc.SetAttribute(st, "e301:OrdNaming.ord", Num(++ord));
        URI_Ref q = make("sec:DA", "q", cdc, "sec:DA.MemberOf_DOType");
        doc.SetAttribute(q, "sec:DA.fc_0", Enum("FCType", "ST"));
    }
    for (const char* cls : {"LLN0", "LPHD", "GGIO"}) {
        URI_Ref t = make("sec:LNodeType", cls, pkg, "sec:LNodeType.TypePackage");
        make("sec:DO", "Beh", t, "sec:DO.LNodeType");
    }
    Check(app.Msg_OnOpenDocument(), "open");
}

inline const char* const kTemplates = R"(
<LNodeType id="LLN0_T" lnClass="LLN0"><DO name="Mod" type="INC_T"/><DO name="Beh" type="INC_T"/><DO name="Health" type="INC_T"/></LNodeType>
<LNodeType id="LPHD_T" lnClass="LPHD"><DO name="PhyHealth" type="INC_T"/><DO name="Proxy" type="SPS_T"/></LNodeType>
<LNodeType id="GGIO_T" lnClass="GGIO"><DO name="Beh" type="INC_T"/><DO name="Ind1" type="SPS_T"/><DO name="Ind2" type="SPS_T"/><DO name="Ind3" type="SPS_T"/><DO name="Ind4" type="SPS_T"/></LNodeType>
<DOType id="SPS_T" cdc="SPS"><DA name="stVal" fc="ST" bType="BOOLEAN" dchg="true"/><DA name="q" fc="ST" bType="Quality" qchg="true"/><DA name="t" fc="ST" bType="Timestamp"/><DA name="dU" fc="DC" bType="Unicode255"/></DOType>
<DOType id="INC_T" cdc="INC"><DA name="stVal" fc="ST" bType="INT32" dchg="true"/><DA name="q" fc="ST" bType="Quality" qchg="true"/><DA name="ctlModel" fc="CF" bType="Enum" type="CtlModel"/></DOType>
<EnumType id="CtlModel"><EnumVal ord="0">status-only</EnumVal><EnumVal ord="1">direct-with-normal-security</EnumVal></EnumType>
)";

// The SCL text of an IED with `nodes` logical nodes, 20 to a device; the
// inputs of each LLN0 name the IED `inputsFrom`.
inline std::string MakeScl(long nodes, const char* inputsFrom) {
    std::string ied = "<IED name=\"B\" type=\"T\"><AccessPoint name=\"S1\"><Server>";
    const long perLD = 20;
    for (long ld = 0; ld * perLD < nodes; ++ld) {
        const std::string inst = "LD" + std::to_string(ld);
        ied += "<LDevice inst=\"" + inst + "\" desc=\"装置" + std::to_string(ld) + "\">";
        ied += "<LN0 lnClass=\"LLN0\" inst=\"\" lnType=\"LLN0_T\"><DataSet name=\"ds\">";
        const long count = std::min(perLD, nodes - ld * perLD);
        for (long n = 1; n <= count - 2; ++n)
            ied += "<FCDA ldInst=\"" + inst + "\" lnClass=\"GGIO\" lnInst=\"" + std::to_string(n) +
                   "\" doName=\"Ind1\" daName=\"stVal\" fc=\"ST\"/>";
        ied +=
            "</DataSet><ReportControl name=\"brcb\" datSet=\"ds\" rptID=\"r\" confRev=\"1\" buffered=\"true\">"
            "<TrgOps dchg=\"true\"/><OptFields seqNum=\"true\"/><RptEnabled max=\"1\"/></ReportControl>"
            "<LogControl name=\"lcb\" datSet=\"ds\" logName=\"" +
            inst +
            "\"/>"
            "<DOI name=\"Mod\"><DAI name=\"stVal\"><Val>1</Val></DAI><DAI "
            "name=\"ctlModel\"><Val>status-only</Val></DAI></DOI>"
            "<SettingControl actSG=\"1\" numOfSGs=\"2\"/><Log name=\"" +
            inst +
            "\"/>"
            "<Inputs><ExtRef iedName=\"" + std::string(inputsFrom) + "\" ldInst=\"LD0\" lnClass=\"GGIO\" lnInst=\"1\" doName=\"Ind1\" "
            "daName=\"stVal\" intAddr=\"i\"/></Inputs></LN0>";
        ied += "<LN lnClass=\"LPHD\" inst=\"1\" lnType=\"LPHD_T\"/>";
        for (long n = 1; n <= count - 2; ++n) {
            ied += "<LN lnClass=\"GGIO\" inst=\"" + std::to_string(n) + "\" lnType=\"GGIO_T\" desc=\"开入\">";
            for (int d = 1; d <= 4; ++d)
                ied += "<DOI name=\"Ind" + std::to_string(d) + "\"><DAI name=\"dU\"><Val>信号" + std::to_string(d) +
                       "</Val></DAI><DAI name=\"stVal\" sAddr=\"" + std::to_string(n) + "\"/></DOI>";
            ied += "</LN>";
        }
        ied += "</LDevice>";
    }
    ied += "</Server></AccessPoint></IED>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\">"
           "<Header id=\"H\"/>" +
           ied + "<DataTypeTemplates>" + kTemplates + "</DataTypeTemplates></SCL>";
}

}  // namespace kiln::bench
