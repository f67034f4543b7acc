// The schema errors of a written ICD set against the breaches its export
// named. Each error and each named breach stands at a place:
//   in the IED, an LN "<LD inst>/<prefix><class><inst>", else its device's
//   inst, else its access point's name (below the point), else the IED's
//   name;
//   in the type templates, the id of the type it belongs to;
//   elsewhere, the element's own name.
// A named breach's place is the text after "：" of its line ("不符合SCL的
// LNodeType（没有DO）：X_LLN0", "...：LD_1/PTOC1.Mod:7"). An error and a
// named breach cover each other when one place is the other, or begins with
// it followed by ".", "/", ":" or a blank: an LN's error is covered by a
// breach named in that LN or by one of its device; a type's error by one
// of that type or of its members, never by one of X_GGIO2 for X_GGIO.
// After an element it did not expect, xmllint reads no more of its parent's
// content: a breach named there may stand without a schema error.
#pragma once

#include <string>
#include <vector>

namespace kiln::test {

struct SchemaError {
    int line = 0;
    std::string element;  // the element xmllint names
    std::string place;
    std::string text;     // xmllint's line
    std::string hides;    // the place of the content xmllint left unread after it, "" when none
};

// ../shared/xsd/SCL2007B4/SCL.xsd when it and xmllint are there, else "":
// the schema written SCL files are checked against.
std::string SclSchemaToCheck();

// xmllint's schema errors of the file, each with its place. False, with the
// reason, when xmllint did not run or gave an error it names no line for.
bool SchemaErrorsOf(const std::string& file, const std::string& xsd, std::vector<SchemaError>& errors,
                    std::string& why);

// The places of the "不符合SCL的..." lines in the text, in order.
std::vector<std::string> NamedBreaches(const std::string& text);

bool Covers(const std::string& a, const std::string& b);

// One text for each schema error no named breach covers and each named
// breach no schema error covers.
std::vector<std::string> Unmatched(const std::vector<SchemaError>& errors, const std::vector<std::string>& named);

// The schema errors of xmllint's output `errors` for the written file `path`
// that no breach of `message` covers, and the breaches that cover no error,
// a line each; "" when they match.
std::string SchemaErrorsAgainstBreaches(const std::string& path, const std::string& message,
                                        const std::string& errors);

}  // namespace kiln::test
