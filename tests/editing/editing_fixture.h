// A model for the editing tests, built through the document store on top of
// the shared standard package: an ICD with everything an ICD can own, a
// product package, and a walk that finds resources left without an owner.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "tests/core/fixture.h"

namespace kiln::test {

inline constexpr const char* kIcdDomain = "kiln.icd1#";
inline constexpr const char* kProductDomain = "kiln.prod#";

// ICD "P1" (domain kiln.icd1#):
//   IED "P1_IED" with servers S1 (LD1, LD2) and S2 (LD3); signal list with
//   an input and an output signal
//   LD1: LLN0 (LLN0 type) with a data set (2 FCDAs), an RCB (client LN), an
//        LCB, a log, an SGCB (setting group with setting data), an ExtRef;
//        PTOC1 (P1_PTOC type) with DOI Op (DAI stVal with a value, SDI with
//        a DAI), an SV and a GSE
//   LD2: MMXU1 (MMXU type)
//   type package "P1模板类包" (instance) with LNodeType P1_LLN0 (a DO), DOType
//   P1_INC (SDO, DA with a value), DAType P1_AV (BDA), EnumType P1_Enum (a
//   value), DO and DA semantics, a base LDevice with an LNode
//   ITB with two items and a group; M2I (on that ITB) with two map items
struct IcdModel {
    URI_Ref icd, ied, s1, s2, ld1, ld2, ld3;
    URI_Ref lln0, ptoc1, mmxu1;
    URI_Ref dataSet, rcb, lcb, log, sgcb, extRef;
    URI_Ref doiOp, daiStVal, sdi;
    URI_Ref signalList;
    URI_Ref pkg, pkgLln0, pkgInc, pkgAv, pkgEnum, baseLd;
    URI_Ref itb, item1, item2, m2i, map1, map2;
};

class EditingTest : public ModelTest {
protected:
    // Builds the ICD above; without withM2I the ICD has no M2I (so that
    // it and its IED can be deleted).
    IcdModel BuildIcd(bool withM2I = true);
    // A product package with two products of two versions each.
    URI_Ref BuildProducts();

    // Every resource that has an owner (the target of one of its containment
    // links), by identifier.
    std::set<std::string> OwnedResources();
    // Of the resources given, the live ones that now have no owner.
    std::vector<std::string> Orphans(const std::set<std::string>& wereOwned);

    // Numbers ("e301:OrdNaming.ord") of the resources, in the order given.
    std::vector<int> Ords(const std::vector<URI_Ref>& list);
    // Names of the members along a role, in the order of their numbers.
    std::vector<CString> NamesAlong(const URI_Ref& owner, const CString& role);
    bool Alive(const URI_Ref& rsc) { return Doc().Exists(rsc); }
};

}  // namespace kiln::test
