// Creators of the members of a type package: LN, DO and DA types, their data
// objects and attributes, values, enumerations and name semantics.
#include "core/create_pattern.h"
#include "core/kiln_main.h"

using kiln::core::BoolText;
using kiln::core::CNewRsc;
using kiln::core::kRoleOrd;

namespace {

// One type or name-semantic class of a package: numbered along the package's
// role, named prefix + number, linked back by the class's own role.
struct PackageMember {
    const char* cls;
    const char* lockNo;
    const char* packageRole;  // the package's list, which numbers the member
    const char* prefix;
    const char* linkRole;
    bool bInstFlag;           // writes "<class>.isInstType" after the package (types only)
    bool bParentTest;         // the three type classes refuse a parent other than a package
};

constexpr PackageMember kLNodeType{"sec:LNodeType", "W0058", "sec:TypePackage.LNodeTypes", "LNType_",
                                   "sec:LNodeType.TypePackage", true, true};
constexpr PackageMember kDOType{"sec:DOType", "W0059", "sec:TypePackage.DOTypes", "DOType_",
                                "sec:DOType.TypePackage", true, true};
constexpr PackageMember kDAType{"sec:DAType", "W0060", "sec:TypePackage.DATypes", "DAType_",
                                "sec:DAType.TypePackage", true, true};
constexpr PackageMember kEnumType{"sec:EnumType", "W0066", "sec:TypePackage.EnumTypes", "EnumType_",
                                  "sec:EnumType.TypePackage", false, false};
constexpr PackageMember kDOSemantic{"sec:DOSemantic", "W0068", "sec:TypePackage.DOSemantics", "Name_",
                                    "sec:DOSemantic.TypePackage", false, false};
constexpr PackageMember kDASemantic{"sec:DASemantic", "W0069", "sec:TypePackage.DASemantics", "Name_",
                                    "sec:DASemantic.TypePackage", false, false};

bool NewPackageMember(CKiln_Main& app, URI_Ref* pOut, URI_Ref package, const PackageMember& k) {
    CNewRsc c(app, pOut, k.lockNo);
    if (k.bParentTest ? !c.Admit(package, {"sec:TypePackage"}, "指定TypePackage错误！") : !c.Admit(package))
        return false;
    const CString n = app.Get_NewRscSeq(package, k.packageRole);
    // A type is an instance type when its package is an instance package.
    const char* inst = BoolText(k.bInstFlag && app.Is_InstType(package));
    return c.Build([&] {
        URI_Ref rsc = c.Create(k.cls, k.prefix + n);
        if (k.bInstFlag) c.Write(rsc, CString(k.cls) + ".isInstType", inst);
        c.Link(rsc, k.linkRole, package);
        c.Write(rsc, kRoleOrd, n);
        return rsc;
    });
}

// An SDO or DA of a DO type. Its name takes the next sequence number; its
// order number is the caller's order text, so that a member can be put at a
// given position, or else the next position.
bool NewDOTypeMember(CKiln_Main& app, URI_Ref* pOut, URI_Ref doType, CString ord, const char* lockNo,
                     const char* ownerRole, const char* cls, const char* prefix, const char* linkRole) {
    CNewRsc c(app, pOut, lockNo);
    if (!c.Admit(doType, {"sec:DOType"}, "指定 DOType 错误！")) return false;
    if (ord.IsEmpty()) {
        int count = 0;
        app.DocMtd_GetSeqNumber_byAsso(doType, ownerRole, &count);
        ord.Format("%d", count + 1);
    }
    const CString nameNo = app.Get_NewRscSeq(doType, ownerRole);
    return c.Build([&] {
        URI_Ref rsc = c.Create(cls, prefix + nameNo);
        c.Link(rsc, linkRole, doType);
        c.Write(rsc, kRoleOrd, ord);
        return rsc;
    });
}

}  // namespace

bool CKiln_Main::NewRsc_LNodeType(URI_Ref* pOut, URI_Ref package) {
    return NewPackageMember(*this, pOut, package, kLNodeType);
}

bool CKiln_Main::NewRsc_DOType(URI_Ref* pOut, URI_Ref package) {
    return NewPackageMember(*this, pOut, package, kDOType);
}

bool CKiln_Main::NewRsc_DAType(URI_Ref* pOut, URI_Ref package) {
    return NewPackageMember(*this, pOut, package, kDAType);
}

bool CKiln_Main::NewRsc_EnumType(URI_Ref* pOut, URI_Ref package) {
    return NewPackageMember(*this, pOut, package, kEnumType);
}

bool CKiln_Main::NewRsc_DOSemantic(URI_Ref* pOut, URI_Ref package) {
    return NewPackageMember(*this, pOut, package, kDOSemantic);
}

bool CKiln_Main::NewRsc_DASemantic(URI_Ref* pOut, URI_Ref package) {
    return NewPackageMember(*this, pOut, package, kDASemantic);
}

// The number of a DO, BDA or EnumVal is the caller's sequence text or, when
// that is empty, the framework's next number along the owner's list.
bool CKiln_Main::NewRsc_DO(URI_Ref* pOut, URI_Ref lnType, CString seq) {
    CNewRsc c(*this, pOut, "W0061");
    if (!c.Admit(lnType, {"sec:LNodeType"}, "指定 LNodeType 错误！")) return false;
    const CString n = seq.IsEmpty() ? DocMtd_GetSeqNumber_byAsso(lnType, "sec:LNodeType.DOs") : seq;
    return c.Build([&] {
        URI_Ref dataObject = c.Create("sec:DO", "DO_" + n);
        c.Link(dataObject, "sec:DO.LNodeType", lnType);
        c.Write(dataObject, kRoleOrd, n);
        return dataObject;
    });
}

bool CKiln_Main::NewRsc_BDA(URI_Ref* pOut, URI_Ref daType, CString seq) {
    CNewRsc c(*this, pOut, "W0064");
    if (!c.Admit(daType, {"sec:DAType"}, "指定 DAType 错误！")) return false;
    const CString n = seq.IsEmpty() ? DocMtd_GetSeqNumber_byAsso(daType, "sec:DAType.Contains_BDAs") : seq;
    return c.Build([&] {
        URI_Ref bda = c.Create("sec:BDA", "BDA_" + n);
        c.Link(bda, "sec:BDA.MemberOf_DAType", daType);
        c.Write(bda, kRoleOrd, n);
        return bda;
    });
}

bool CKiln_Main::NewRsc_SDO(URI_Ref* pOut, URI_Ref doType, CString ord) {
    return NewDOTypeMember(*this, pOut, doType, ord, "W0062", "sec:DOType.Contains_SDOs", "sec:SDO", "SDO_",
                           "sec:SDO.MemberOf_DOType");
}

bool CKiln_Main::NewRsc_DA(URI_Ref* pOut, URI_Ref doType, CString ord) {
    return NewDOTypeMember(*this, pOut, doType, ord, "W0063", "sec:DOType.Contains_DAs", "sec:DA", "DA_",
                           "sec:DA.MemberOf_DOType");
}

bool CKiln_Main::NewRsc_EnumVal(URI_Ref* pOut, URI_Ref enumType, CString seq) {
    CNewRsc c(*this, pOut, "W0067");
    if (!c.Admit(enumType, {"sec:EnumType"}, "指定 EnumType 错误！")) return false;
    const CString n = seq.IsEmpty() ? DocMtd_GetSeqNumber_byAsso(enumType, "sec:EnumType.EnumVals") : seq;
    return c.Build([&] {
        URI_Ref val = c.Create("sec:EnumVal", "Val_" + n);
        c.Link(val, "sec:EnumVal.EnumType", enumType);
        c.Write(val, kRoleOrd, n);
        c.Write(val, "sec:EnumVal.val", n);
        return val;
    });
}

bool CKiln_Main::NewRsc_Val(URI_Ref* pOut, URI_Ref owner) {
    CNewRsc c(*this, pOut, "W0065");
    if (!c.Admit(owner, {"sec:BDA", "sec:DA", "sec:DAI"}, "指定 BDA 错误！")) return false;
    const char* role = owner.sClass == "sec:DAI" ? "sec:Val.DAI" : "sec:Val.BDA";
    return c.Build([&] {
        URI_Ref val = c.Create("sec:Val", "");
        c.Link(val, role, owner);
        return val;
    });
}
