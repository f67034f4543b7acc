// Creators of the members of a type package: LN, DO and DA types, their data
// objects and attributes, values, enumerations and name semantics.
#include <algorithm>
#include <set>
#include <string>

#include "core/create_pattern.h"
#include "core/data_values.h"
#include "core/kiln_main.h"
#include "platform/mfc/text_funcs.h"

using kiln::core::BoolText;
using kiln::core::CMemberKind;
using kiln::core::CNewRsc;
using kiln::core::kRoleOrd;
using kiln::core::NewMember;

namespace {

constexpr const char* kPackageMessage = "指定TypePackage错误！";

constexpr CMemberKind kLNodeType{"sec:LNodeType", "W0058", "sec:TypePackage", kPackageMessage,
                                 "sec:TypePackage.LNodeTypes", "LNType_", "sec:LNodeType.TypePackage"};
constexpr CMemberKind kDOType{"sec:DOType", "W0059", "sec:TypePackage", kPackageMessage, "sec:TypePackage.DOTypes",
                              "DOType_", "sec:DOType.TypePackage"};
constexpr CMemberKind kDAType{"sec:DAType", "W0060", "sec:TypePackage", kPackageMessage, "sec:TypePackage.DATypes",
                              "DAType_", "sec:DAType.TypePackage"};
// Enumerations and name semantics take any parent.
constexpr CMemberKind kEnumType{"sec:EnumType", "W0066", nullptr, nullptr, "sec:TypePackage.EnumTypes", "EnumType_",
                                "sec:EnumType.TypePackage"};
constexpr CMemberKind kDOSemantic{"sec:DOSemantic", "W0068", nullptr, nullptr, "sec:TypePackage.DOSemantics",
                                  "Name_", "sec:DOSemantic.TypePackage"};
constexpr CMemberKind kDASemantic{"sec:DASemantic", "W0069", nullptr, nullptr, "sec:TypePackage.DASemantics",
                                  "Name_", "sec:DASemantic.TypePackage"};
constexpr CMemberKind kDO{"sec:DO", "W0061", "sec:LNodeType", "指定 LNodeType 错误！", "sec:LNodeType.DOs", "DO_",
                          "sec:DO.LNodeType"};
constexpr CMemberKind kSDO{"sec:SDO", "W0062", "sec:DOType", "指定 DOType 错误！", "sec:DOType.Contains_SDOs", "SDO_",
                           "sec:SDO.MemberOf_DOType"};
constexpr CMemberKind kDA{"sec:DA", "W0063", "sec:DOType", "指定 DOType 错误！", "sec:DOType.Contains_DAs", "DA_",
                          "sec:DA.MemberOf_DOType"};
constexpr CMemberKind kBDA{"sec:BDA", "W0064", "sec:DAType", "指定 DAType 错误！", "sec:DAType.Contains_BDAs", "BDA_",
                           "sec:BDA.MemberOf_DAType"};
constexpr CMemberKind kEnumVal{"sec:EnumVal", "W0067", "sec:EnumType", "指定 EnumType 错误！", "sec:EnumType.EnumVals",
                               "Val_", "sec:EnumVal.EnumType"};

// An LN, DO or DA type: an instance type when its package is an instance
// package, which it records before its link.
bool NewType(CKiln_Main& app, URI_Ref* pOut, URI_Ref package, const CMemberKind& k) {
    CNewRsc c(app, pOut, k.lockNo);
    if (!c.Admit(package, k)) return false;
    const CString n = app.Get_NewRscSeq(package, k.parentRole);
    const char* inst = BoolText(app.Is_InstType(package));
    return c.Build([&] {
        URI_Ref type = c.Create(k.cls, k.prefix + n);
        c.Write(type, CString(k.cls) + ".isInstType", inst);
        c.Link(type, k.linkRole, package);
        c.Write(type, kRoleOrd, n);
        return type;
    });
}

// An SDO or DA of a DO type. Its name takes the next sequence number; its
// order number is the caller's order text, so that a member can be put at a
// given position, or else the next position.
bool NewDOTypeMember(CKiln_Main& app, URI_Ref* pOut, URI_Ref doType, CString ord, const CMemberKind& k) {
    CNewRsc c(app, pOut, k.lockNo);
    if (!c.Admit(doType, k)) return false;
    if (ord.IsEmpty()) {
        int count = 0;
        app.DocMtd_GetSeqNumber_byAsso(doType, k.parentRole, &count);
        ord.Format("%d", count + 1);
    }
    const CString nameNo = app.Get_NewRscSeq(doType, k.parentRole);
    return c.Build([&] { return c.CreateMember(k, doType, nameNo, ord); });
}

}  // namespace

bool CKiln_Main::NewRsc_LNodeType(URI_Ref* pOut, URI_Ref package) { return NewType(*this, pOut, package, kLNodeType); }

bool CKiln_Main::NewRsc_DOType(URI_Ref* pOut, URI_Ref package) { return NewType(*this, pOut, package, kDOType); }

bool CKiln_Main::NewRsc_DAType(URI_Ref* pOut, URI_Ref package) { return NewType(*this, pOut, package, kDAType); }

bool CKiln_Main::NewRsc_EnumType(URI_Ref* pOut, URI_Ref package) {
    return NewMember(*this, pOut, package, kEnumType);
}

bool CKiln_Main::NewRsc_DOSemantic(URI_Ref* pOut, URI_Ref package) {
    return NewMember(*this, pOut, package, kDOSemantic);
}

bool CKiln_Main::NewRsc_DASemantic(URI_Ref* pOut, URI_Ref package) {
    return NewMember(*this, pOut, package, kDASemantic);
}

// The number of a DO, BDA or EnumVal is the caller's sequence text or, when
// that is empty, the framework's next number along the owner's list.
bool CKiln_Main::NewRsc_DO(URI_Ref* pOut, URI_Ref lnType, CString seq) {
    return NewMember(*this, pOut, lnType, kDO, seq);
}

bool CKiln_Main::NewRsc_BDA(URI_Ref* pOut, URI_Ref daType, CString seq) {
    return NewMember(*this, pOut, daType, kBDA, seq);
}

bool CKiln_Main::NewRsc_SDO(URI_Ref* pOut, URI_Ref doType, CString ord) {
    return NewDOTypeMember(*this, pOut, doType, ord, kSDO);
}

bool CKiln_Main::NewRsc_DA(URI_Ref* pOut, URI_Ref doType, CString ord) {
    return NewDOTypeMember(*this, pOut, doType, ord, kDA);
}

bool CKiln_Main::NewRsc_EnumVal(URI_Ref* pOut, URI_Ref enumType, CString seq) {
    CNewRsc c(*this, pOut, kEnumVal.lockNo);
    if (!c.Admit(enumType, kEnumVal)) return false;
    CString n = seq;
    if (n.IsEmpty()) {
        // The next number, or the first after it that no value holds as its
        // code (a file's codes need not run 1..n).
        std::vector<URI_Ref> values;
        DocMtd_get_Association_BUris(enumType, kEnumVal.parentRole, values, kRoleOrd, SortPolicy_ByOrd);
        std::set<long long> codes;
        for (const URI_Ref& v : values) codes.insert(kiln::text::AtoiValue(DocMtd_getValue_ofAttr(v, kRoleOrd).str()));
        long long next = kiln::text::AtoiValue(Get_NewRscSeq(enumType, kEnumVal.parentRole).str());
        while (codes.count(next)) ++next;
        n = CString(std::to_string(next));
    }
    return c.Build([&] {
        URI_Ref val = c.CreateMember(kEnumVal, enumType, n, n);
        c.Write(val, "sec:EnumVal.val", n);
        return val;
    });
}

bool CKiln_Main::NewRsc_Val(URI_Ref* pOut, const URI_Ref& owner, const CString& ord) {
    CNewRsc c(*this, pOut, "W0065");
    if (!c.Admit(owner, {"sec:BDA", "sec:DA", "sec:DAI"}, "指定 BDA 错误！")) return false;
    const bool onDai = owner.sClass == "sec:DAI";
    const char* role = onDai ? "sec:Val.DAI" : "sec:Val.BDA";
    // A value joins the owner's others behind them: it is numbered `ord` when
    // given (a reader that numbers the values as it reads them), else after
    // the highest number they carry (a file's values are numbered). The
    // owner's first value holds the owner's own value.
    CString number = ord;
    bool first = false;
    if (ord.IsEmpty()) {
        const std::vector<URI_Ref> others = kiln::core::ValsOf(*this, owner);
        long long last = 0;
        for (const URI_Ref& v : others)
            last = std::max(last, kiln::text::AtoiValue(DocMtd_getValue_ofAttr(v, kRoleOrd).str()));
        if (last > 0) number = CString(std::to_string(last + 1));
        first = others.empty();
    } else {
        first = DocMtd_getFirstUri_ofAsso(owner, onDai ? "sec:DAI.Vals" : "sec:BDA.Vals").IsEmpty();
    }
    return c.Build([&] {
        URI_Ref val = c.Create("sec:Val", "");
        c.Link(val, role, owner);
        if (!number.IsEmpty()) c.Write(val, kRoleOrd, number);
        if (first) c.Write(val, "sec:Val.sValue", DocMtd_getValue_ofAttr(owner, kiln::core::OwnValueRole(owner)));
        return val;
    });
}
