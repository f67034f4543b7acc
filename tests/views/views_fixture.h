// The fixture of the tree and property-editor tests: the small standard
// and instance packages of ModelTest, the host's standard views, and an
// ICD built through the store:
//   ICD "ICD1" (no product) -> package "ICD1模板类包" (instance, of the ICD),
//     IED "TEMPLATE": signal lists SL1 (IN1, OUT1) and SL2; servers S1, S2;
//       LDevices LD_A (S1, ord 2) and LD_B (S2, ord 1);
//       LD_A: LNode PTOC1 (type P1_PTOC, class PTOC, inst 1) with a DOI Op,
//             an ExtRef, a GSE; LNode LLN0 (ord 1)
//     ITB: groups "遥信" (ord 1), "Alarm" (ord 2); items I1 "遥信", I2 "",
//          I3 "alarm", I4 "Alarm", I5 "不存在" (ords 1 to 5)
//     M2I of the ICD and the ITB
#pragma once

#include <string>
#include <vector>

#include "tests/core/fixture.h"

namespace kiln::test {

inline constexpr const char* kIcdDomain = "kiln.icd1#";

struct IcdModel {
    URI_Ref icd, icdPkg, ied, sl1, sl2, in1, out1, s1, s2, ldA, ldB, lnPtoc, lnLLN0, doiOp, extRef, gse;
    URI_Ref itb, gYaoxin, gAlarm, i1, i2, i3, i4, i5, m2i;
};

class ViewsTest : public ModelTest {
protected:
    ViewsTest();

    CBase_Cmd* View(const char* sid) { return app.Mtd_View_of_sID(sid); }
    // The children the plug-in gives an item (null: the top level) in a view.
    std::vector<Struct_ItemDesc> Children(const char* sid, Struct_ItemDesc* parent = nullptr);
    // Their shown texts.
    static std::vector<std::string> Texts(const std::vector<Struct_ItemDesc>& items);
    // The item of that text among the children; a test failure when missing.
    Struct_ItemDesc Child(const char* sid, Struct_ItemDesc* parent, const std::string& text);
    // A resource item as the tree builds it.
    Struct_ItemDesc ItemOf(const URI_Ref& rsc);

    IcdModel icd;
};

}  // namespace kiln::test
