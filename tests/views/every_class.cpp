#include "tests/views/every_class.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/framework/cim_schema.h"

namespace kiln::test {

CString BasicType(const char* value) {
    return CString(kiln::cim::kModelNamespace) + "#PreBasicTypeEnum." + value;
}

namespace {

// The builder's steps: each a creator or a document call that must succeed.
class Builder {
public:
    Builder(CKiln_Main& app, CScriptedUi& ui) : app(app), ui(ui) {}

    bool ok = true;

    void Check(bool done, const char* what) {
        if (!done && ok) ADD_FAILURE() << "cannot build the model: " << what;
        ok = ok && done;
    }
    void Set(const URI_Ref& rsc, const char* role, const CString& value) {
        Check(app.DocMtd_Modify_attribute_value(rsc, role, value), role);
    }
    void Link(const URI_Ref& rsc, const char* role, const URI_Ref& target) {
        Check(app.DocMtd_add_Association(rsc, role, target), role);
    }
    URI_Ref First(const URI_Ref& rsc, const char* path) {
        URI_Ref found = app.DocMtd_getFirstUri_ofAsso(rsc, path);
        Check(found.IsSet(), path);
        return found;
    }
    // The standard LN class of that name.
    URI_Ref StdClass(const char* name) {
        std::vector<URI_Ref> types;
        app.DocMtd_get_Association_BUris(app.m_uStdTypePackage, "sec:TypePackage.LNodeTypes", types,
                                         "cim:Naming.name", SortPolicy_ByName);
        for (const URI_Ref& t : types)
            if (app.DocMtd_getValue_ofAttr(t, "cim:Naming.name") == name) return t;
        Check(false, name);
        return URI_Ref();
    }
    // An instance LN type of the package made from the class (none: no class).
    URI_Ref InstLNType(const URI_Ref& pkg, const URI_Ref& cls, const char* name) {
        URI_Ref t;
        Check(app.NewRsc_LNodeType(&t, pkg), "NewRsc_LNodeType");
        Set(t, "cim:Naming.name", name);
        if (cls.IsSet()) Link(t, "sec:LNodeType.ClassOf_LNType", cls);
        return t;
    }
    URI_Ref DA(const URI_Ref& doType, const char* name, const char* bType) {
        URI_Ref da;
        Check(app.NewRsc_DA(&da, doType, ""), "NewRsc_DA");
        Set(da, "cim:Naming.name", name);
        if (bType) Set(da, "sec:BDA.bType", *bType == '#' ? CString(bType) : BasicType(bType));
        return da;
    }
    URI_Ref BDA(const URI_Ref& daType, const char* name, const char* bType) {
        URI_Ref bda;
        Check(app.NewRsc_BDA(&bda, daType, ""), "NewRsc_BDA");
        Set(bda, "cim:Naming.name", name);
        if (bType) Set(bda, "sec:BDA.bType", *bType == '#' ? CString(bType) : BasicType(bType));
        return bda;
    }

    CKiln_Main& app;
    CScriptedUi& ui;
};

}  // namespace

bool BuildEveryClass(CKiln_Main& app, CScriptedUi& ui, EveryClass& m) {
    Builder b(app, ui);
    b.Check(app.m_uStdTypePackage.IsSet() && app.m_uStdLLN0Type.IsSet(), "the standard package and its LLN0");
    if (!b.ok) return false;

    // Products, the ICD and the packages.
    ui.AnswerInput("产品包一");
    b.Check(app.NewRsc_ProductPackage(&m.productPackage), "NewRsc_ProductPackage");
    ui.AnswerInputChoice("--保护装置");
    b.Check(app.NewRsc_Product(&m.product, m.productPackage, "PX-100"), "NewRsc_Product");
    b.Check(app.NewRsc_ICD(&m.icd, app.m_uStdTypePackage, "ICD1", true, m.product), "NewRsc_ICD");
    b.Check(app.NewRsc_ProductVer(&m.productVer, m.product, m.icd, ""), "NewRsc_ProductVer");
    m.ied = b.First(m.icd, "sec:ICD.IED");
    m.server = b.First(m.ied, "sec:IED.Servers");
    m.icdPackage = b.First(m.icd, "sec:ICD.TypePackage");
    ui.AnswerInput("产品类型包二");
    b.Check(app.NewRsc_TypePackage(&m.freePackage, "产品类型包二", true, URI_Ref()), "free package");
    ui.AnswerInput("声明包");
    b.Check(app.NewRsc_TypePackage(&m.declPackage, "声明包", false, URI_Ref()), "declaration package");
    if (!b.ok) return false;

    // Types, enumerations and name semantics.
    URI_Ref lowerGGIO;
    b.Check(app.NewRsc_LNodeType(&lowerGGIO, m.declPackage), "the class ggio");
    b.Set(lowerGGIO, "cim:Naming.name", "ggio");
    m.lnTypeInst = b.InstLNType(m.icdPackage, b.StdClass("PTOC"), "PTOC_1");
    m.lnTypeFree = b.InstLNType(m.freePackage, b.StdClass("PTOC"), "PTOC_2");
    b.Check(app.NewRsc_LNodeType(&m.lnTypeDecl, m.declPackage), "NewRsc_LNodeType");
    b.Check(app.NewRsc_DOType(&m.doTypeInst, m.icdPackage), "NewRsc_DOType");
    b.Check(app.NewRsc_DOType(&m.doTypeDecl, m.declPackage), "NewRsc_DOType");
    b.Check(app.NewRsc_DAType(&m.daTypeInst, m.icdPackage), "NewRsc_DAType");
    b.Check(app.NewRsc_DAType(&m.daTypeDecl, m.declPackage), "NewRsc_DAType");
    b.Check(app.NewRsc_EnumType(&m.enumType, m.declPackage), "NewRsc_EnumType");
    b.Check(app.NewRsc_EnumVal(&m.enumVal, m.enumType, ""), "NewRsc_EnumVal");
    b.Check(app.NewRsc_DOSemantic(&m.doSemantic, m.declPackage), "NewRsc_DOSemantic");
    b.Check(app.NewRsc_DASemantic(&m.daSemantic, m.declPackage), "NewRsc_DASemantic");
    if (!b.ok) return false;

    // Members of types, with the owners and basic types the menus test.
    b.Check(app.NewRsc_DO(&m.dataObject, m.lnTypeInst, ""), "NewRsc_DO");
    b.Check(app.NewRsc_SDO(&m.subDataObject, m.doTypeDecl, ""), "NewRsc_SDO");
    URI_Ref doTypeUpper, doTypeEmpty, daTypeUpper, daTypeEmpty;
    b.Check(app.NewRsc_DOType(&doTypeUpper, m.declPackage), "NewRsc_DOType");
    b.Set(doTypeUpper, "sec:DOType.isInstType", "TRUE");
    b.Check(app.NewRsc_DOType(&doTypeEmpty, m.declPackage), "NewRsc_DOType");
    b.Set(doTypeEmpty, "sec:DOType.isInstType", "");
    b.Check(app.NewRsc_DAType(&daTypeUpper, m.declPackage), "NewRsc_DAType");
    b.Set(daTypeUpper, "sec:DAType.isInstType", "TRUE");
    b.Check(app.NewRsc_DAType(&daTypeEmpty, m.declPackage), "NewRsc_DAType");
    b.Set(daTypeEmpty, "sec:DAType.isInstType", "");
    if (!b.ok) return false;

    m.daOwnerInst = b.DA(m.doTypeInst, "daOwnerInst", "Struct");
    m.daOwnerUpper = b.DA(doTypeUpper, "daOwnerUpper", "Struct");
    m.daOwnerEmpty = b.DA(doTypeEmpty, "daOwnerEmpty", "Struct");
    m.daNoOwner = b.DA(m.doTypeDecl, "daNoOwner", "Enum");
    b.Check(app.DocMtd_clear_Association(m.daNoOwner, "sec:DA.MemberOf_DOType"), "unlink a DA");
    m.daStruct = b.DA(m.doTypeDecl, "daStruct", "Struct");
    m.daEnum = b.DA(m.doTypeDecl, "daEnum", "Enum");
    m.daBoolean = b.DA(m.doTypeDecl, "daBoolean", "BOOLEAN");
    m.daNoBType = b.DA(m.doTypeDecl, "daNoBType", nullptr);
    m.daBareStruct = b.DA(m.doTypeDecl, "daBareStruct", "#PreBasicTypeEnum.Struct");

    m.bdaOwnerInst = b.BDA(m.daTypeInst, "bdaOwnerInst", "Struct");
    m.bdaOwnerUpper = b.BDA(daTypeUpper, "bdaOwnerUpper", "Struct");
    m.bdaOwnerEmpty = b.BDA(daTypeEmpty, "bdaOwnerEmpty", "Struct");
    m.bdaNoOwner = b.BDA(m.daTypeDecl, "bdaNoOwner", "Enum");
    b.Check(app.DocMtd_clear_Association(m.bdaNoOwner, "sec:BDA.MemberOf_DAType"), "unlink a BDA");
    m.bdaStruct = b.BDA(m.daTypeDecl, "bdaStruct", "Struct");
    m.bdaEnum = b.BDA(m.daTypeDecl, "bdaEnum", "Enum");
    m.bdaBoolean = b.BDA(m.daTypeDecl, "bdaBoolean", "BOOLEAN");
    m.bdaNoBType = b.BDA(m.daTypeDecl, "bdaNoBType", nullptr);
    m.bdaBareStruct = b.BDA(m.daTypeDecl, "bdaBareStruct", "#PreBasicTypeEnum.Struct");
    b.Check(app.NewRsc_Val(&m.valOfDA, m.daOwnerInst), "NewRsc_Val");
    if (!b.ok) return false;

    // The instance side: a device with its LLN0 and LPHD nodes, nodes of
    // other classes, and what lies below them.
    URI_Ref lnTypeLLN0 = b.InstLNType(m.icdPackage, app.m_uStdLLN0Type, "LLN0_1");
    URI_Ref lnTypeLPHD = b.InstLNType(m.icdPackage, b.StdClass("LPHD"), "LPHD_1");
    URI_Ref lnTypeGGIO = b.InstLNType(m.icdPackage, b.StdClass("GGIO"), "GGIO_1");
    URI_Ref lnTypeLower = b.InstLNType(m.icdPackage, lowerGGIO, "ggio_1");
    URI_Ref lnTypeNoClass = b.InstLNType(m.icdPackage, URI_Ref(), "NOCLASS_1");
    b.Check(app.NewRsc_LDevice(&m.ldevice, m.ied, lnTypeLLN0, lnTypeLPHD, URI_Ref()), "NewRsc_LDevice");
    if (!b.ok) return false;
    m.lnLLN0 = app.DocMtd_getFirstUri_ofAsso(m.ldevice, "sec:LDevice.LNodes", 0);
    m.lnLPHD = app.DocMtd_getFirstUri_ofAsso(m.ldevice, "sec:LDevice.LNodes", 1);
    b.Check(m.lnLLN0.IsSet() && m.lnLPHD.IsSet(), "the device's LLN0 and LPHD");
    b.Check(app.NewRsc_LNode(&m.lnGGIO, m.ldevice, lnTypeGGIO, true), "NewRsc_LNode");
    b.Check(app.NewRsc_LNode(&m.lnLowerGGIO, m.ldevice, lnTypeLower, true), "NewRsc_LNode");
    b.Check(app.NewRsc_LNode(&m.lnNoType, m.ldevice, URI_Ref(), false), "NewRsc_LNode");
    b.Check(app.NewRsc_LNode(&m.lnNoClass, m.ldevice, lnTypeNoClass, true), "NewRsc_LNode");
    b.Check(app.NewRsc_DOI(&m.doi, m.lnGGIO, URI_Ref()), "NewRsc_DOI");
    b.Check(app.NewRsc_DAI(&m.dai, m.doi, URI_Ref(), "stVal"), "NewRsc_DAI");
    b.Check(app.NewRsc_Val(&m.valOfDAI, m.dai), "NewRsc_Val");
    b.Check(app.NewRsc_ExtRef(&m.extRef, m.lnGGIO), "NewRsc_ExtRef");
    b.Check(app.NewRsc_SGCB(&m.sgcb, m.lnLLN0), "NewRsc_SGCB");
    b.Check(app.NewRsc_SettingGroup(&m.settingGroup, m.sgcb), "NewRsc_SettingGroup");
    b.Check(app.NewRsc_SettingData(&m.settingData, m.settingGroup), "NewRsc_SettingData");
    b.Check(app.NewRsc_Log(&m.log, m.lnLLN0), "NewRsc_Log");
    b.Check(app.NewRsc_DataSet(&m.dataSet, m.lnLLN0), "NewRsc_DataSet");
    b.Check(app.NewRsc_FCDA(&m.fcda, m.dataSet), "NewRsc_FCDA");
    b.Check(app.NewRsc_LCB(&m.lcb, m.lnLLN0, m.dataSet), "NewRsc_LCB");
    b.Check(app.NewRsc_RCB(&m.rcb, m.lnLLN0, m.dataSet), "NewRsc_RCB");
    b.Check(app.NewRsc_ClientLN(&m.clientLN, m.rcb), "NewRsc_ClientLN");
    b.Check(app.NewRsc_GSE(&m.gse, m.lnLLN0), "NewRsc_GSE");
    b.Check(app.NewRsc_SV(&m.sv, m.lnLLN0), "NewRsc_SV");
    b.Check(app.NewRsc_SignalList(&m.signalList, m.ied), "NewRsc_SignalList");
    b.Check(app.NewRsc_InSignal(&m.inSignal, m.signalList), "NewRsc_InSignal");
    b.Check(app.NewRsc_OutSignal(&m.outSignal, m.signalList), "NewRsc_OutSignal");

    // The information table and its mapping.
    b.Check(app.NewRsc_ITB(&m.itb, m.icd), "NewRsc_ITB");
    b.Check(app.NewRsc_InfoGroup(&m.infoGroup, m.itb, "保护动作"), "NewRsc_InfoGroup");
    b.Check(app.NewRsc_InfoItem(&m.infoItem, m.itb), "NewRsc_InfoItem");
    b.Check(app.NewRsc_M2I(&m.m2i, m.icd, m.itb, false), "NewRsc_M2I");
    b.Check(app.NewRsc_MapItem(&m.mapItem, m.m2i, m.infoItem), "NewRsc_MapItem");
    return b.ok;
}

}  // namespace kiln::test
