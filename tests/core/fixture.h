// The shared fixture of the plug-in's tests: a fresh document with a default
// domain prefix, the scripted user-interface double installed, and the
// plug-in object constructed on that document; ModelTest adds a small
// standard type package and an instance package built through the
// document store.
//
// Messages and questions go to `ui`: queue answers before the call, assert
// the recorded texts after it (ui.Messages(), ui.CallsOf(...)).
#pragma once

#include <gtest/gtest.h>

#include "core/kiln_main.h"
#include "platform/framework/cim_doc.h"
#include "platform/ui/scripted_ui.h"

namespace kiln::test {

inline constexpr const char* kPrefix = "kiln";         // the default domain prefix
inline constexpr const char* kStdDomain = "kiln.std#";  // the standard package's domain
inline constexpr const char* kInstDomain = "kiln.p1#";  // the instance package's domain

// An enumeration value as the model stores it: namespace#Enum.value.
CString EnumValue(const char* enumName, const char* value);

class CoreTest : public ::testing::Test {
protected:
    CoreTest();

    CScriptedUi ui;   // installed first, so that everything the object shows is recorded
    CKiln_Main app;   // the plug-in object on a fresh document

    CBase_CimDoc& Doc() { return app.m_Doc; }

    // ---- document building; a failure is a test failure ----
    // A domain of the named domain type ("二次模型标准定义包3" ...).
    void MakeDomain(const CString& domain, const CString& typeName, bool editable = true);
    // A resource; ord > 0 writes "e301:OrdNaming.ord".
    URI_Ref Make(const CString& domain, const CString& cls, const CString& name, int ord = 0);
    // A resource in the parent's domain, linked to the parent along `role`.
    URI_Ref MakeUnder(const URI_Ref& parent, const CString& cls, const CString& name, const CString& role,
                      int ord = 0);
    void Set(const URI_Ref& rsc, const CString& role, const CString& value);
    void Link(const URI_Ref& rsc, const CString& role, const URI_Ref& target);
    CString Get(const URI_Ref& rsc, const CString& role);
    // "node name.path" of every member of the data set, in the order of
    // their numbers.
    std::vector<CString> DataSetMembers(const URI_Ref& dataSet);
    // The domain of the resource.
    CString DomainOf(const URI_Ref& rsc);
    static CString ToText(int n);

    // ---- model building, each linked to its owner in the owner's domain ----
    // ref empty: no "sec:TypePackage.ref".
    URI_Ref MakeTypePackage(const CString& domain, const CString& name, bool inst, const CString& ref = "");
    URI_Ref MakeLNodeType(const URI_Ref& pkg, const CString& name, int ord, const URI_Ref& abstractType = URI_Ref());
    URI_Ref MakeDOType(const URI_Ref& pkg, const CString& name, int ord);
    URI_Ref MakeDAType(const URI_Ref& pkg, const CString& name, int ord);
    URI_Ref MakeEnumType(const URI_Ref& pkg, const CString& name, int ord, const std::vector<CString>& values);
    URI_Ref MakeDO(const URI_Ref& lnType, const CString& name, int ord, const URI_Ref& doType);
    URI_Ref MakeSDO(const URI_Ref& doType, const CString& name, int ord, const URI_Ref& sdoType);
    // fc: the short constraint ("ST"), "" for none; bType: the basic type
    // ("BOOLEAN", "Struct", "Enum"); structType for Struct, enumType for Enum.
    URI_Ref MakeDA(const URI_Ref& doType, const CString& name, int ord, const CString& fc, const CString& bType,
                   const URI_Ref& structOrEnum = URI_Ref());
    URI_Ref MakeBDA(const URI_Ref& daType, const CString& name, int ord, const CString& bType,
                    const URI_Ref& structOrEnum = URI_Ref());
    // A nesting of `levels` DA types named prefix + level ("W0" the outermost,
    // returned) and numbered from `ord` on, each holding one BDA of the next
    // per name in `members`; the innermost's members are of `leafType`.
    URI_Ref MakeNestedDATypes(const URI_Ref& pkg, const CString& prefix, int levels, int ord,
                              const std::vector<CString>& members, const CString& leafType = "INT32");
    // A logical device and a logical node of it (no IED around them).
    URI_Ref MakeLDevice(const CString& domain, const CString& name, int ord);
    URI_Ref MakeLNode(const URI_Ref& ld, const CString& prefix, const CString& lnClass, const CString& lnInst, int ord,
                      const URI_Ref& lnType = URI_Ref());

private:
    // An LN, DO or DA type of the package, of the package's kind.
    URI_Ref MakeType(const URI_Ref& pkg, const CString& cls, const CString& name, int ord);
};

// The standard package "IEC61850" (domain kiln.std#, ref = the IEC 61850
// 2003 namespace) and the instance package "P1" (domain kiln.p1#, depends
// on it). Orders ("e301:OrdNaming.ord") are the positions listed.
//
// Standard package:
//   EnumType ctlModel (status-only, direct-with-normal-security)
//   DAType Originator: orCat (Enum ctlModel), orIdent (Octet64)
//   DAType AnalogueValue: f (FLOAT32), i (INT32)
//   DAType Vector: mag (Struct AnalogueValue), ang (Struct AnalogueValue)
//   DOType SPS: stVal[ST], q[ST], origin[ST] (Struct Originator), d[DC]
//   DOType INC: stVal[ST,SV] (fc_0 ST, fc_1 SV), ctlModel[CF] (Enum)
//   DOType LPL: vendor[DC], ldNs[EX]
//   DOType CMV: cVal[MX] (Struct Vector), q[MX]
//   DOType WYE: SDOs phsA, phsB, phsC (CMV); d[DC]
//   LNodeType CommonLN (abstract base): Mod (INC), Beh (INC), NamPlt (LPL)
//   LNodeType LLN0 -> CommonLN: Loc (SPS)
//   LNodeType LPHD -> CommonLN: PhyHealth (INC), Proxy (SPS)
//   LNodeType PTOC -> CommonLN: Str (SPS), Op (SPS)
//   LNodeType MMXU -> CommonLN: A (WYE)
// Instance package P1 (isInstType "true", Depend_TypePackage -> IEC61850):
//   DOType P1_SPS (ClassOf SPS): stVal[ST], q[ST]
//   LNodeType P1_PTOC (ClassOf and Abstract_Type PTOC, description "保护"):
//     Op (P1_SPS)
struct StdModel {
    URI_Ref stdPkg, instPkg;
    URI_Ref ctlModel;
    URI_Ref originator, orCat, orIdent;
    URI_Ref analogueValue, avF, avI;
    URI_Ref vector, vecMag, vecAng;
    URI_Ref sps, spsStVal, spsQ, spsOrigin, spsD;
    URI_Ref inc, incStVal, incCtlModel;
    URI_Ref lpl, lplVendor, lplLdNs;
    URI_Ref cmv, cmvCVal, cmvQ;
    URI_Ref wye, wyePhsA, wyePhsB, wyePhsC, wyeD;
    URI_Ref commonLN, commonMod, commonBeh, commonNamPlt;
    URI_Ref lln0, lln0Loc;
    URI_Ref lphd, lphdPhyHealth, lphdProxy;
    URI_Ref ptoc, ptocStr, ptocOp;
    URI_Ref mmxu, mmxuA;
    URI_Ref p1Sps, p1SpsStVal, p1SpsQ;
    URI_Ref p1Ptoc, p1PtocOp;
};

// Builds the model above, then opens the document (so that the plug-in's
// standard handles are set) and forgets the calls recorded so far.
class ModelTest : public CoreTest {
protected:
    ModelTest();
    // Adds to a DO type the units[CF] of SCL (SIUnit and multiplier, each an
    // enumeration of a few literals ordered by their codes: A 5, °C 23, V 29,
    // W 38, Watts 62; µ -6, m -3, k 3, Y 24) and, with `range`, minVal,
    // maxVal, stepSize[CF] (AnalogueValue) and dU[DC]; their types go into pkg.
    void AddUnits(const URI_Ref& pkg, const URI_Ref& doType, int ord, bool range);
    StdModel m;
};

}  // namespace kiln::test
