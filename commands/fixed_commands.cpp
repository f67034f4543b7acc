// The fixed commands near the head of the chain: creators called without the
// generic creation frame, the soft and hard link data objects of an LN type,
// clearing a mapping item's model target, and importing a domain file.
#include "commands/command_frame.h"
#include "core/free_names.h"

namespace kiln::commands {
namespace {

// A signal, signal list or control block: made under the current resource
// whatever the creator answers; the trees of class 1 show it.
template <bool (CKiln_Main::*Creator)(URI_Ref*, URI_Ref)>
Next CreateAndRefreshClass1(CommandFrame& f) {
    URI_Ref made;
    (f.app.*Creator)(&made, f.Current());
    Refresh(f.app, 1);
    return Next::CommonEnd;
}

// A creator that makes the user's new resource: a refusal leaves at once.
Next Made(bool created) { return created ? Next::CommonEnd : Next::Leave; }

// The last DO type of the package named `name` without regard to case.
URI_Ref LastTypeNamed(CKiln_Main& app, const std::vector<URI_Ref>& types, const char* name) {
    URI_Ref found;
    for (const URI_Ref& t : types)
        if (app.DocMtd_getValue_ofAttr(t, core::kRoleName).CompareNoCase(name) == 0) found = t;
    return found;
}

}  // namespace

Next AddSignalList(CommandFrame& f) { return CreateAndRefreshClass1<&CKiln_Main::NewRsc_SignalList>(f); }
Next AddInSignal(CommandFrame& f) { return CreateAndRefreshClass1<&CKiln_Main::NewRsc_InSignal>(f); }
Next AddOutSignal(CommandFrame& f) { return CreateAndRefreshClass1<&CKiln_Main::NewRsc_OutSignal>(f); }
Next AddGSE(CommandFrame& f) { return CreateAndRefreshClass1<&CKiln_Main::NewRsc_GSE>(f); }
Next AddSV(CommandFrame& f) { return CreateAndRefreshClass1<&CKiln_Main::NewRsc_SV>(f); }

Next AddICDInProduct(CommandFrame& f) {
    return Made(f.app.NewRsc_ICD(&f.newRsc, URI_Ref(), "", false, f.Current()));
}
Next AddProduct(CommandFrame& f) { return Made(f.app.NewRsc_Product(&f.newRsc, f.Current(), "")); }
Next AddProductVer(CommandFrame& f) {
    return Made(f.app.NewRsc_ProductVer(&f.newRsc, f.Current(), URI_Ref(), ""));
}
Next AddProductPackage(CommandFrame& f) { return Made(f.app.NewRsc_ProductPackage(&f.newRsc)); }
Next AddTypePackage(CommandFrame& f) { return Made(f.app.NewRsc_TypePackage(&f.newRsc, "", false, URI_Ref())); }

// Two data objects, "Mod_Soft" of the package's "zel_INC" type and
// "Mod_hard" of its "zel_SPS" type, both of the namespace "扩展". A DO whose
// creation was refused gets none of the writes; a missing type only leaves
// its DO untyped.
Next AddSoftHardDO(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref lnType = FirstOf(app, f.Current(), "sec:DO.LNodeType");
    URI_Ref soft, hard;
    const bool softMade = app.NewRsc_DO(&soft, lnType, "");
    const bool hardMade = app.NewRsc_DO(&hard, lnType, "");

    const URI_Ref package = FirstOf(app, lnType, "sec:LNodeType.TypePackage");
    std::vector<URI_Ref> types;
    URI_Ref last;
    if (package.IsSet())
        app.DocMtd_get_descendent_BUris(package, "sec:TypePackage.DOTypes", types, last, core::kRoleOrd,
                                        SortPolicy_ByOrd);
    const struct {
        bool made;
        URI_Ref dataObject;
        URI_Ref type;
        const char* name;
    } writes[] = {{softMade, soft, LastTypeNamed(app, types, "zel_INC"), "Mod_Soft"},
                  {hardMade, hard, LastTypeNamed(app, types, "zel_SPS"), "Mod_hard"}};
    for (const auto& w : writes) {
        if (!w.made || w.dataObject.IsEmpty()) continue;
        if (w.type.IsSet()) app.DocMtd_add_Association(w.dataObject, "sec:DO.DefinedBy_DOType", w.type);
        // Names SCL does not hold as DO names, or a second pair, take the
        // first free DO name.
        app.DocMtd_Modify_attribute_value(w.dataObject, core::kRoleName,
                                          core::FreeDoName(app, lnType, w.name, w.dataObject));
        app.DocMtd_Modify_attribute_value(w.dataObject, "sec:DO.SemanticNs", "扩展");
    }
    return Next::CommonEnd;
}

Next ClearMapItemDARef(CommandFrame& f) {
    const URI_Ref item = f.Current();
    f.app.DocMtd_clear_Association(item, "sec:DARef.LNode");
    f.app.DocMtd_Modify_attribute_value(item, "sec:DARef.doName", "");
    f.app.DocMtd_Modify_attribute_value(item, "sec:DARef.daName", "");
    Refresh(f.app, 2);
    return Next::CommonEnd;
}

// Imports an external file as a new domain of the current domain type; a
// CIM-XML domain type must be one the model knows a class for.
Next ImportExternalData(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref type = f.Current();
    if (type.sClass != "dEnv:DomainType") return Next::CommonEnd;
    CString fileType = app.DocMtd_getValue_ofAttr(type, "dEnv:DomainTypeBase.fileType");
    if (const int dot = fileType.ReverseFind('.'); dot >= 0) fileType = fileType.Mid(dot + 1);
    CString classText;
    if (fileType == "CIM-XML") {
        static const struct {
            const char* typeName;
            const char* classText;
        } kClasses[] = {
            {"二次模型标准定义包1", "sec:TypePackage"}, {"二次模型标准定义包2", "sec:TypePackage"},
            {"二次模型标准定义包3", "sec:TypePackage"}, {"二次模型数据类型包", "sec:TypePackage"},
            {"二次模型装置类型包", "*sec:ProductPackage"}, {"二次模型装置ICD包", "*sec:ProductPackage"},
        };
        const CString name = app.DocMtd_getValue_ofAttr(type, core::kRoleName);
        bool known = false;
        for (const auto& row : kClasses)
            if (name == row.typeName) {
                classText = row.classText;
                known = true;
                break;
            }
        if (!known) {
            Notice("不能导入该类型的域！");
            return Next::Leave;
        }
    }
    if (!app.Import_ExterDomainData(type, classText)) return Next::Leave;
    Refresh(app, 0);
    Notice("已成功完成导入！");
    return Next::CommonEnd;
}

}  // namespace kiln::commands
