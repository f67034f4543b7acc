// Creators of product packages, products, product versions and type packages.
#include "core/create_pattern.h"
#include "core/kiln_main.h"
#include "platform/mfc/text_funcs.h"

using kiln::core::BoolText;
using kiln::core::CNewRsc;

namespace {

// The choices of "sec:Product.productType": one (display text, value URI)
// per value of its enumeration, in the schema's order. A description that
// begins with "--" replaces the value's name; any other follows it in
// brackets.
void ProductTypeChoices(CKiln_Main& app, Struct_EditPack& pack) {
    pack.nEditKind = 7;
    Struct_AttrDfn attr;
    CEnumClassDfn values;
    if (!app.DocMtd_Get_AttrDfn("sec:Product", "sec:Product.productType", attr) ||
        !app.DocMtd_Get_EnumClassDfn(attr.sText7, values))
        return;
    for (const Struct_EnumValDfn& v : values.vValues) {
        CString display = StringAfter(v.sText1, "#", ".");
        if (v.sText4.Left(2) == "--")
            display = v.sText4;
        else if (!v.sText4.IsEmpty())
            display += " (" + v.sText4 + ")";
        pack.Add_ListItem(display, v.sText1);
    }
}

}  // namespace

bool CKiln_Main::NewRsc_ProductPackage(URI_Ref* pOut) {
    CNewRsc c(*this, pOut, "W0053");
    URI_Ref none;
    CString name;
    const CString domain = Get_DomainName_withCreate(none, "sec:ProductPackage", name, true);
    if (domain.IsEmpty() || !c.Lock(domain)) return false;
    c.ClearOut();
    return c.Build([&] { return c.Create("sec:ProductPackage", name); });
}

bool CKiln_Main::NewRsc_Product(URI_Ref* pOut, URI_Ref package, CString name) {
    CNewRsc c(*this, pOut, "W0054");
    if (!c.LockParentDomain(package) || !c.Expect(package, {"sec:ProductPackage"}, "指定产品包错误！")) return false;
    Struct_EditPack pack;
    ProductTypeChoices(*this, pack);
    CString productType;
    if (!Mtd_SingleInputBox("选择产品类型：", productType, &pack, false)) return false;
    c.ClearOut();
    CString n;
    if (!c.CountNext(package, "sec:ProductPackage.Products", n)) return false;
    if (name.IsEmpty()) name = "产品类型_" + n;
    return c.Build([&] {
        URI_Ref product = c.Create("sec:Product", name);
        c.Link(product, "sec:Product.ProductPackage", package);
        c.Write(product, "sec:Product.productType", productType);
        return product;
    });
}

bool CKiln_Main::NewRsc_ProductVer(URI_Ref* pOut, URI_Ref product, URI_Ref icd, CString name) {
    CNewRsc c(*this, pOut, "W0055");
    if (!c.LockParentDomain(product) || !c.Expect(product, {"sec:Product"}, "指定产品类型错误！")) return false;
    if (icd.IsSet() && !c.Expect(icd, {"sec:ICD"}, "指定ICD错误！")) return false;
    c.ClearOut();
    CString n;
    if (!c.CountNext(product, "sec:Product.ProductVers", n)) return false;
    if (name.IsEmpty()) name = "版本" + n;
    CString version;
    GetTime(&version, 1);
    return c.Build([&] {
        URI_Ref ver = c.Create("sec:ProductVer", name);
        c.Link(ver, "sec:ProductVer.Product", product);
        if (icd.IsSet()) c.Link(ver, "sec:ProductVer.ICD", icd);
        c.Write(ver, "sec:ProductVer.version", version);
        return ver;
    });
}

bool CKiln_Main::NewRsc_TypePackage(URI_Ref* pOut, CString name, bool bInstType, URI_Ref icd) {
    CNewRsc c(*this, pOut, "W0056");
    if (name.IsEmpty()) name = bInstType ? "产品类型包" : "标准定义包";
    // A package of an ICD lives in the ICD's domain; any other one in a
    // domain of its own, which the user names.
    CString domain;
    if (icd.IsSet()) {
        CString unused;
        domain = Get_DomainName_withCreate(icd, "", unused, true);
    } else {
        URI_Ref none;
        domain = Get_DomainName_withCreate(none, "sec:TypePackage", name, bInstType);
    }
    if (domain.IsEmpty() || !c.Lock(domain)) return false;
    c.ClearOut();
    return c.Build([&] {
        URI_Ref pkg = c.Create("sec:TypePackage", name);
        if (icd.IsSet()) c.Link(icd, "sec:ICD.TypePackage", pkg);
        c.Write(pkg, "sec:TypePackage.isInstType", BoolText(bInstType));
        return pkg;
    });
}
