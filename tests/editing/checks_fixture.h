// The fixture of the check tests: the small standard and instance packages
// of ModelTest, a workspace folder on disk (Template/ with the installation's
// report template, and the document folder beside it), and helpers that
// build the ICD structure the checks walk. KilnChecksProbe reaches the
// plug-in's private checks.
#pragma once

#include <filesystem>
#include <map>
#include <vector>

#include "tests/core/fixture.h"

struct KilnChecksProbe {
    static bool Check_IED(CKiln_Main& a, URI_Ref ied) { return a.Check_IED(ied); }
    static bool Check_Asso_Num(CKiln_Main& a, URI_Ref rsc, CString assoc, int min, int max, CString prefix,
                               bool report) {
        return a.Check_Asso_Num(rsc, assoc, min, max, prefix, report);
    }
    static bool Chech_Name_Repeat(CKiln_Main& a, URI_Ref rsc, CStringArray& assocs, CString attr, CString prefix,
                                  CString classFilter) {
        return a.Chech_Name_Repeat(rsc, assocs, attr, prefix, classFilter);
    }
    static bool Chech_AbstractType_Name_Repeat(CKiln_Main& a, URI_Ref rsc, CStringArray& assocs,
                                               CString abstractAssoc, CString attr, CString prefix,
                                               CString classFilter) {
        return a.Chech_AbstractType_Name_Repeat(rsc, assocs, abstractAssoc, attr, prefix, classFilter);
    }
    static bool Chech_DARef_RepeatORhasDODA(CKiln_Main& a, URI_Ref icd) { return a.Chech_DARef_RepeatORhasDODA(icd); }
    static bool GetLNTypeDOSDODA(CKiln_Main& a, URI_Ref pkg, std::map<CString, URI_Ref>& paths) {
        return a.GetLNTypeDOSDODA(pkg, paths);
    }
    static bool Check_TypePackageNoRepeatName(CKiln_Main& a, URI_Ref pkg) {
        return a.Check_TypePackageNoRepeatName(pkg);
    }
    static bool Chech_TypePackage_DOCDC(CKiln_Main& a, URI_Ref pkg) { return a.Chech_TypePackage_DOCDC(pkg); }
    static bool Chech_TypePackage_SDOCDC_DAfc(CKiln_Main& a, URI_Ref pkg) {
        return a.Chech_TypePackage_SDOCDC_DAfc(pkg);
    }
    static void Check_TypePackage_Nesting(CKiln_Main& a, URI_Ref pkg) { a.Check_TypePackage_Nesting(pkg); }
};

namespace kiln::test {

// One finding of the report: its "name" and "error" attributes.
struct Finding {
    CString name;
    CString error;
    bool operator==(const Finding& o) const { return name == o.name && error == o.error; }
};
std::ostream& operator<<(std::ostream& os, const Finding& f);

// An ICD with its IED, the IED's server and the instance package P1.
struct IcdModel {
    URI_Ref icd, ied, server;
};

class ChecksTest : public ModelTest {
protected:
    ChecksTest();
    ~ChecksTest() override;

    std::filesystem::path workspace;  // holds Template/ and doc/
    std::filesystem::path docFolder;  // the document's folder

    // ---- the report ----
    // A fresh report in memory (as a driver prepares it), for the checks
    // called one by one.
    void StartReport();
    std::vector<Finding> Findings();
    // The findings of the report saved beside the document.
    std::vector<Finding> SavedFindings();
    bool ReportSaved() const;

    // ---- the ICD structure ----
    // The ICD in a domain of its own, linked to the instance package P1
    // (unless `withPackage` is false).
    IcdModel MakeIcd(const CString& name, bool withPackage = true);
    URI_Ref AddLDevice(const URI_Ref& server, const CString& name, int ord);
    // A logical node named prefix + class + inst of that type.
    URI_Ref AddLNode(const URI_Ref& ld, const CString& prefix, const CString& lnClass, const CString& inst, int ord,
                     const URI_Ref& lnType);
    // A member of a logical node along the member's own role to it.
    URI_Ref AddMember(const URI_Ref& node, const CString& cls, const CString& name, const CString& role, int ord);
    URI_Ref AddDAI(const URI_Ref& doi, const CString& name, int ord);
    // A data reference (FCDA, ExtRef, SettingData, EntryData, MapItem) to
    // doName.daName of `target`, owned by `owner` along `ownerRole`.
    URI_Ref AddRef(const CString& cls, const CString& name, const URI_Ref& owner, const CString& ownerRole,
                   const URI_Ref& target, const CString& doName, const CString& daName);

    // The instance types every ICD of the tests uses: P1_LLN0 (ClassOf and
    // Abstract_Type LLN0; DO Beh of P1_INC) and the P1_PTOC of ModelTest.
    URI_Ref p1Lln0, p1Inc;
};

}  // namespace kiln::test
