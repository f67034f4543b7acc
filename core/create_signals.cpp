// Creators of sampled-value and GOOSE control blocks, and of an IED's signal
// lists with their input and output signals.
#include "core/create_pattern.h"
#include "core/kiln_main.h"

using kiln::core::CNewRsc;
using kiln::core::kErrCreatingRsc;
using kiln::core::kRoleOrd;

namespace {

// A member counted among the parent's members along the role (only those of
// its own class when `onlyClass` is set), numbered and ordered count + 1;
// its order number is written before its link.
struct CountedMember {
    const char* cls;
    const char* parentCls;
    const char* parentMessage;
    const char* parentRole;
    const char* onlyClass;
    const char* prefix;
    const char* linkRole;
};

// SV and GSE share the node's list "sec:LNode.CBs" and its link "sec:CB.LNode",
// but each class is numbered on its own.
constexpr CountedMember kSV{"sec:SV", "sec:LNode", "指定uLNode错误！", "sec:LNode.CBs", "sec:SV", "采样控制块_",
                            "sec:CB.LNode"};
constexpr CountedMember kGSE{"sec:GSE", "sec:LNode", "指定LNode错误！", "sec:LNode.CBs", "sec:GSE", "GSE控制块_",
                             "sec:CB.LNode"};
constexpr CountedMember kOutSignal{"sec:OutSignal", "sec:SignalList", "指定SignalList错误！",
                                   "sec:SignalList.OutSignals", nullptr, "输出信号_", "sec:OutSignal.SignalList"};
constexpr CountedMember kInSignal{"sec:InSignal", "sec:SignalList", "指定SignalList错误！",
                                  "sec:SignalList.InSignals", nullptr, "输入信号_", "sec:InSignal.SignalList"};

bool NewCountedMember(CKiln_Main& app, URI_Ref* pOut, URI_Ref parent, const CountedMember& k) {
    CNewRsc c(app, pOut, "W0070");
    if (!c.Admit(parent, {k.parentCls}, k.parentMessage)) return false;
    CString n;
    if (!c.CountNext(parent, k.parentRole, n, k.onlyClass)) return false;
    return c.Build([&] {
        URI_Ref rsc = c.Create(k.cls, k.prefix + n);
        c.Write(rsc, kRoleOrd, n, kErrCreatingRsc);
        c.Link(rsc, k.linkRole, parent);
        return rsc;
    });
}

}  // namespace

bool CKiln_Main::NewRsc_SV(URI_Ref* pOut, URI_Ref lnode) { return NewCountedMember(*this, pOut, lnode, kSV); }

bool CKiln_Main::NewRsc_GSE(URI_Ref* pOut, URI_Ref lnode) { return NewCountedMember(*this, pOut, lnode, kGSE); }

bool CKiln_Main::NewRsc_OutSignal(URI_Ref* pOut, URI_Ref signalList) {
    return NewCountedMember(*this, pOut, signalList, kOutSignal);
}

bool CKiln_Main::NewRsc_InSignal(URI_Ref* pOut, URI_Ref signalList) {
    return NewCountedMember(*this, pOut, signalList, kInSignal);
}

bool CKiln_Main::NewRsc_SignalList(URI_Ref* pOut, URI_Ref ied) {
    CNewRsc c(*this, pOut, "W0070");
    if (!c.Admit(ied, {"sec:IED"}, "指定IED错误！")) return false;
    return c.Build([&] {
        URI_Ref list = c.Create("sec:SignalList", "信号列表");
        c.Link(list, "sec:SignalList.IED", ied);
        return list;
    });
}
