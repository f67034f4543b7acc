// The fixture of the export tests: the shared model (a small standard
// package and the instance package P1) in a document whose folder lies in
// a temporary workspace beside a Template folder holding the project's
// templates, and a complete ICD built on it by hand.
#pragma once

#include <pugixml.hpp>

#include <deque>
#include <string>
#include <vector>

#include "tests/core/fixture.h"

namespace kiln::test {

inline constexpr const char* kIcdDomain = "kiln.icd#";

// The ICD of the complete model: every element kind the SCL writers write.
//   ICD "Prot_Ver2_Rev5" (icdVersion 2), IED "TEMPLATE" (iedType "PCS-931"),
//   package "ProtPkg" (instance, owned by the ICD, depends on IEC61850):
//     LNodeTypes LLN0_T (LLN0), PTOC_T (PTOC, own DO Op of type P1_SPS), MMXU_T (MMXU)
//   LDevice "PROT": LLN0 (LLN0_T) with DataSet dsPrt, RCB, LCB and Log, SGCB;
//     PTOC "P" 1 with DOI Mod (stVal "1"); MMXU 1 with ExtRef to PTOC1.Op.stVal.
struct CompleteIcd {
    URI_Ref icd, ied, server, pkg;
    URI_Ref lln0T, ptocT, mmxuT;
    URI_Ref ld, lln0, ptoc, mmxu;
    URI_Ref dataSet, fcdaOp, fcdaA, rcb, lcb, log, sgcb, doiMod, daiModStVal, extRef;
};

class ExportTest : public ModelTest {
protected:
    ExportTest();
    ~ExportTest() override;

    // The workspace: <ws>/document is the document folder, <ws>/Template the templates.
    std::string ws;
    std::string Path(const std::string& name) const { return ws + "/" + name; }
    // Replaces a template of the workspace by this text ("" removes it).
    void SetTemplate(const char* file, const std::string& text);

    CompleteIcd BuildCompleteIcd();

    // Runs the instance and type-template writers on the ICD template and
    // saves the document to <ws>/<file>; their results go to *pOk.
    const pugi::xml_document& WriteIcd(const URI_Ref& icd, bool bFromM2I, bool* pOk = nullptr,
                                const std::string& file = "w.icd");
    // What the last WriteIcd left out, as its success text names it.
    std::vector<std::string> writtenWithout;

    // Every domain's text, to see that an export changed nothing.
    std::string ModelText();

    // A written file as a DOM (the test fails when it does not parse).
    // The documents stay until the test ends.
    const pugi::xml_document& LoadFile(const std::string& path);
    std::deque<pugi::xml_document> docs;
    // "" when xmllint accepts the file against the SCL schema, else its output;
    // sets `skipped` when the schema or xmllint is not there.
    std::string ValidateScl(const std::string& path, bool& skipped);
};

// The nodes an XPath selects, as their values or element names.
std::vector<std::string> Select(const pugi::xml_node& context, const char* xpath);
// The attribute names of an element, in order.
std::vector<std::string> AttrNames(const pugi::xml_node& element);

}  // namespace kiln::test
