// The fixture of the importer's tests: the standard and instance packages of
// ModelTest with a few name semantics and a prefixed enumeration added, a
// product with one ICD made by its creator, and an importer set up as the
// import workers set it up: report from Template/Report_Template.xml, tables
// of the standard definitions; the templates are read by the import's own
// reader into the ICD's package.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "import/kiln_import.h"
#include "tests/core/fixture.h"

namespace kiln::test {

// An SCL document around the given data-type templates and IED text, in the
// 2007 edition's namespace with a Header of id "H1".
std::string Scl(const std::string& templates, const std::string& ied = "");

// One report entry: its element name and its "name" and "error" texts.
struct ReportEntry {
    CString element, name, error;
    bool operator==(const ReportEntry& o) const { return element == o.element && name == o.name && error == o.error; }
};
std::ostream& operator<<(std::ostream& os, const ReportEntry& e);

class ImportTest : public ModelTest {
protected:
    ImportTest();

    CKiln_Import imp;
    CBase_XML scl;                                    // the file being imported
    URI_Ref product, icd, pkg;                        // pkg: the ICD's own type package
    URI_Ref semMod, semStr, semStVal, semQ, semPhsA;  // standard DO and DA semantics
    URI_Ref enBeh;                                    // the standard enumeration "850EN_Beh"

    // Fills the importer's tables of standard definitions from the package
    // (LN classes, CDCs, DA classes, enumerations, semantics, and the DOs of
    // each LN class with those of its abstract classes).
    void UseStandardPackage(const URI_Ref& stdPkg);
    // Writes the text to a file and loads it, as an import loads its file.
    XmlNode LoadScl(const std::string& text);
    // The import's reading of the data-type templates (both passes) into
    // the ICD's package, its dependency question answered with the preset;
    // its result.
    bool ReadTemplates(const XmlNode& templates);
    // Loads the text and reads its templates.
    void ImportTemplates(const std::string& text);
    // Loads the text, reads its header id and templates, its first IED into
    // the ICD, and builds both instance indexes (the DA index into daIndex).
    void ImportIcd(const std::string& text);
    ImportNameTable daIndex;

    // ---- looking at the result ----
    URI_Ref ShellOf(const ImportShellTable& table, const CString& id);
    // The member along the role with that name; empty when none.
    URI_Ref Member(const URI_Ref& owner, const CString& role, const CString& name);
    std::vector<URI_Ref> Members(const URI_Ref& owner, const CString& role);
    std::vector<CString> NamesOf(const std::vector<URI_Ref>& list);
    URI_Ref Target(const URI_Ref& rsc, const CString& role);
    // The entries under a report category ("other_errors", "LDevices" ...).
    std::vector<ReportEntry> Entries(const char* category);
    // Every entry of the report, in document order.
    std::vector<ReportEntry> AllEntries();
    // The IED, its devices, a device's nodes by name.
    URI_Ref Ied();
    URI_Ref Device(const CString& inst);
    URI_Ref Node(const URI_Ref& ld, const CString& name);
};

}  // namespace kiln::test
