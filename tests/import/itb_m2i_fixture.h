// The fixture of the ITB and M2I imports: the import files' workspace, and
// in the ICD an instance of one device "PROT" whose nodes use instance
// types with the CDCs the mapping cares about:
//   PPTOC1 (prefix "P", P1_PTOC): Op (SPS), Str and Mod through the standard classes
//   MMXU1 (T_MMXU): A (T_WYE: SDOs phsA, phsB of T_CMV), TotW (T_CMV), U1 (T_CMV), Hz (T_MV)
//   GGIO1 (T_GGIO): Ind (T_SPS), Pos (T_DPC), Cnt (T_INC), Set (T_ASG)
//   XCBR1: no type
//   PTOC2: no class of its own (P1_PTOC)
// T_CMV (CMV): cVal[MX] (Vector), units[CF] (SIUnit, multiplier: the standard
// package's SIUnitKind and MultiplierKind, every value), q[MX];
// T_ASG (ASG): setMag[SP] (AnalogueValue), minVal, maxVal, stepSize[CF]
// (AnalogueValue), units[CF]; T_MV (MV): mag[MX] (AnalogueValue), units[CF], dU[DC]; T_DPC (DPC, not a key-DA class): stVal[ST],
// ctlModel[CF], dU[DC]; T_SPS (SPS): stVal[ST], q[ST], t[ST]; T_INC (INC): stVal[ST].
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/import/import_files_fixture.h"

namespace kiln::test {

class ItbM2iTest : public ImportFilesTest {
protected:
    ItbM2iTest();

    // The ITB import of the text, written as `name` in the workspace; `then`
    // queues the answers after the dialog.
    bool RunItb(const std::string& text, const URI_Ref& target, const std::string& name = "in.itb",
                const std::function<void()>& then = {});
    // The M2I import of the text as `name`; with itbText, the companion ITB
    // file written beside it first; `then` queues the answers after the dialog.
    bool RunM2i(const std::string& text, const URI_Ref& target, const std::string& name = "in.m2i",
                const std::string& itbText = "", const std::function<void()>& then = {});

    // An ITB file of the device around these elements.
    static std::string Itb(const std::string& body);
    // An M2I file around these MappingItem elements.
    static std::string M2i(const std::string& items);
    // One MappingItem with one Process holding one Parameter: with idITB
    // when id is set, else with val.
    static std::string Item(const std::string& name, const std::string& toDA, const std::string& id,
                            const std::string& val = "", const std::string& desc = "");

    // ITB, M2I and the map items of the ICD.
    URI_Ref TheItb() { return Target(icd, "sec:ICD.ITB"); }
    URI_Ref TheM2i() { return Target(icd, "sec:ICD.M2I"); }
    std::vector<URI_Ref> MapItems() { return Members(TheM2i(), "sec:M2I.MapItems"); }
    // The map item of that name; empty when none.
    URI_Ref MapItem(const CString& name);
    // Made with the ITB import of items with ids 1 to 4 (id 3 has no id but
    // the path name "P/3").
    void MakeItb();

    URI_Ref ld, pptoc, mmxu, ggio, xcbr, bare;
    URI_Ref siUnitKind, multiplierKind;
};

}  // namespace kiln::test
