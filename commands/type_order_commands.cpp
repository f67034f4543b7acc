// Type and order commands: a product type package or an ICD depending on a
// chosen package, switching a data attribute between basic, structured and
// enumerated type, a preset value, moves among siblings, and the automatic
// links of a package's members to its name semantics.
#include "commands/command_frame.h"
#include "platform/framework/cim_schema.h"
#include "platform/ui/ui_functions.h"

namespace kiln::commands {
namespace {

constexpr const char* kModelNs = kiln::cim::kModelNamespace;

// Asks for the package a new package or ICD depends on; empty when cancelled
// or when the answer names no resource.
URI_Ref AskDependPackage(CommandFrame& f) {
    CKiln_Main& app = f.app;
    app.SetEditPack_forDependPackage(&f.pack, URI_Ref());
    CString answer = app.DocMtd_getValue_ofAttr(app.m_uStdTypePackage, core::kRoleName);
    if (!app.Mtd_SingleInputBox("选择依赖的类型声明包：", answer, &f.pack, false)) return URI_Ref();
    return app.DocMtd_TestBy_URIRef(answer);
}

Next Switch(CommandFrame& f, const char* number, const char* basicType, std::initializer_list<const char*> cleared) {
    const URI_Ref attr = f.Current();
    if (attr.sClass != "sec:DA" && attr.sClass != "sec:BDA") return Next::Leave;
    if (!DomainEditable(f.app, attr, number)) return Next::Leave;
    f.app.DocMtd_Modify_attribute_value(attr, "sec:BDA.bType", CString(kModelNs) + "#PreBasicTypeEnum." + basicType);
    for (const char* role : cleared) f.app.DocMtd_clear_Association(attr, role);
    Refresh(f.app, 2);
    return Next::CommonEnd;
}

Next AutoLink(CommandFrame& f, const char* kind) {
    URI_Ref package = f.Current();
    if (package.sClass != "sec:TypePackage") return Next::Leave;
    f.app.AutoLink_NameSemantic(package, kind);
    Refresh(f.app, 2);
    return Next::CommonEnd;
}

}  // namespace

// "ICD:Add Inst-TypePackage" and "ICD:Add ICD".
Next AddPackageOrICD(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const bool icd = f.command == "ICD:Add ICD";
    URI_Ref product = f.Current();
    if (icd && product.sClass != "sec:Product") {
        // Without a product no ICD can be made: say so before asking anything.
        Notice("内部错误 - E992！");
        return Next::Leave;
    }
    const URI_Ref depend = AskDependPackage(f);
    if (depend.IsEmpty()) return Next::Leave;

    if (!icd) {
        if (!app.NewRsc_TypePackage(&f.newRsc, "", true, URI_Ref())) return Next::Leave;
        if (!app.DocMtd_add_Association(f.newRsc, "sec:TypePackage.Depend_TypePackage", depend)) {
            Notice("内部错误（184）！");
            return Next::Leave;
        }
        return Next::CommonEnd;
    }
    const int answer = _AfxMessageBox(
        "是否允许自由扩DO？\n\n选择是，在LNodeType下可以增加标准LN类型之外的DO；\n"
        "选择否，只允许为LNodeType添加标准LN类型所规定的DO。",
        MB_YESNOCANCEL, "$?$是否允许自由扩DO？", nullptr);
    if (answer == IDCANCEL) return Next::Leave;
    if (!app.NewRsc_ICD(&f.newRsc, depend, "", answer == IDYES, product)) return Next::Leave;
    return Next::CommonEnd;
}

Next SwitchBasicType(CommandFrame& f) {
    return Switch(f, "W0092", "BOOLEAN", {"sec:BDA.DefinedBy_Struct", "sec:BDA.DefinedBy_EnumType"});
}
Next SwitchStruct(CommandFrame& f) { return Switch(f, "W0093", "Struct", {"sec:BDA.DefinedBy_EnumType"}); }
Next SwitchEnumType(CommandFrame& f) { return Switch(f, "W0094", "Enum", {"sec:BDA.DefinedBy_Struct"}); }

// A value of the current DA, BDA or DAI; on a value, a sibling of it.
Next AddVal(CommandFrame& f) {
    URI_Ref owner = f.Current();
    if (owner.sClass == "sec:Val") {
        const URI_Ref value = owner;
        owner = FirstOf(f.app, value, "sec:Val.BDA");
        if (owner.IsEmpty()) owner = FirstOf(f.app, value, "sec:Val.DAI");
    }
    if (owner.IsEmpty()) return Next::Leave;
    return f.app.NewRsc_Val(&f.newRsc, owner) ? Next::CommonEnd : Next::Leave;
}

// Every command beginning with "ICD:Move".
Next MoveGroup(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref rsc = f.Current();
    const CString ord = app.DocMtd_getValue_ofAttr(rsc, core::kRoleOrd);
    if (ord.IsEmpty()) return Next::Leave;
    const int pos = LeadingInt(ord);
    if (f.command == "ICD:Move Up") {
        app.Rsc_Adjust_Order(rsc, pos - 1, nullptr);
    } else if (f.command == "ICD:Move Down") {
        app.Rsc_Adjust_Order(rsc, pos + 1, nullptr);
    } else if (f.command == "ICD:Move To") {
        CString path;
        if (rsc.sClass == "sec:LDevice")
            path = "sec:LDevice.Server/sec:Server.LDevices";
        else if (rsc.sClass == "sec:LNode")
            path = "sec:LNode.LDevice/sec:LDevice.LNodes";
        else if (rsc.sClass == "sec:DO")
            path = "sec:DO.LNodeType/sec:LNodeType.DOs";
        app.Change_Ord_To_AskPosition(rsc, path);
    }
    Refresh(app, 1);
    Refresh(app, 2);
    return Next::CommonEnd;
}

Next RestoreOrd(CommandFrame& f) {
    f.app.Rsc_Adjust_Order(f.Current(), -999, nullptr);
    Refresh(f.app, 2);
    return Next::CommonEnd;
}

Next AutoLinkDOSemantic(CommandFrame& f) { return AutoLink(f, "DO"); }
Next AutoLinkDASemantic(CommandFrame& f) { return AutoLink(f, "DA"); }

}  // namespace kiln::commands
