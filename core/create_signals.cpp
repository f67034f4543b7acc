// Creators of sampled-value and GOOSE control blocks, and of an IED's signal
// lists with their input and output signals.
#include "core/create_pattern.h"
#include "core/kiln_main.h"

using kiln::core::CMemberKind;
using kiln::core::CNewRsc;
using kiln::core::kErrCreatingRsc;
using kiln::core::kRoleOrd;
using kiln::core::NewUnnumbered;

namespace {

// SV and GSE share the node's list "sec:LNode.CBs" and its link "sec:CB.LNode",
// but each class is numbered on its own.
constexpr CMemberKind kSV{"sec:SV", "W0070", "sec:LNode", "指定uLNode错误！", "sec:LNode.CBs", "采样控制块_",
                          "sec:CB.LNode"};
constexpr CMemberKind kGSE{"sec:GSE", "W0070", "sec:LNode", "指定LNode错误！", "sec:LNode.CBs", "GSE控制块_",
                           "sec:CB.LNode"};
constexpr CMemberKind kOutSignal{"sec:OutSignal", "W0070", "sec:SignalList", "指定SignalList错误！",
                                 "sec:SignalList.OutSignals", "输出信号_", "sec:OutSignal.SignalList"};
constexpr CMemberKind kInSignal{"sec:InSignal", "W0070", "sec:SignalList", "指定SignalList错误！",
                                "sec:SignalList.InSignals", "输入信号_", "sec:InSignal.SignalList"};
constexpr CMemberKind kSignalList{"sec:SignalList", "W0070", "sec:IED", "指定IED错误！", nullptr, "信号列表",
                                  "sec:SignalList.IED"};

// A member counted among the parent's members along its list (only those of
// its own class with bPerClass), numbered and ordered count + 1; its order
// number is written before its link.
bool NewCountedMember(CKiln_Main& app, URI_Ref* pOut, URI_Ref parent, const CMemberKind& k, bool bPerClass) {
    CNewRsc c(app, pOut, k.lockNo);
    if (!c.Admit(parent, k)) return false;
    CString n;
    if (!c.CountNext(parent, k.parentRole, n, bPerClass ? k.cls : nullptr)) return false;
    return c.Build([&] {
        URI_Ref rsc = c.Create(k.cls, k.prefix + n);
        c.Write(rsc, kRoleOrd, n, kErrCreatingRsc);
        c.Link(rsc, k.linkRole, parent);
        return rsc;
    });
}

}  // namespace

bool CKiln_Main::NewRsc_SV(URI_Ref* pOut, URI_Ref lnode) { return NewCountedMember(*this, pOut, lnode, kSV, true); }

bool CKiln_Main::NewRsc_GSE(URI_Ref* pOut, URI_Ref lnode) { return NewCountedMember(*this, pOut, lnode, kGSE, true); }

bool CKiln_Main::NewRsc_OutSignal(URI_Ref* pOut, URI_Ref signalList) {
    return NewCountedMember(*this, pOut, signalList, kOutSignal, false);
}

bool CKiln_Main::NewRsc_InSignal(URI_Ref* pOut, URI_Ref signalList) {
    return NewCountedMember(*this, pOut, signalList, kInSignal, false);
}

bool CKiln_Main::NewRsc_SignalList(URI_Ref* pOut, URI_Ref ied) { return NewUnnumbered(*this, pOut, ied, kSignalList); }
