// The copy and paste tests: the editing fixture's ICD "P1", a second ICD
// "P2" to paste into, and the two properties every paste must leave: no
// resource without its owner, every list it touched numbered 1..n.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "tests/editing/editing_fixture.h"

namespace kiln::test {

inline constexpr const char* kIcd2Domain = "kiln.icd2#";
inline constexpr const char* kIcd2PackageDomain = "kiln.icd2types#";

// ICD "P2" (domain kiln.icd2#): IED "P2_IED" with server "S1" holding LDevice
// "LDA" (one node "GGIO1" of the standard LLN0 class, number 1); its type
// package "P2types" (an instance package, in a domain of its own, empty).
struct Icd2Model {
    URI_Ref icd, ied, server, lda, ggio, pkg;
};

class CopyTest : public EditingTest {
protected:
    // With lockedPackage the package's domain cannot be edited.
    Icd2Model BuildIcd2(bool lockedPackage = false);

    // What the document holds before a paste.
    struct Snapshot {
        std::set<std::string> all;
        std::set<std::string> owned;
    };
    Snapshot Take();
    // The resources made since the snapshot.
    std::vector<URI_Ref> MadeSince(const Snapshot& before);
    // Every resource that had an owner and every new one has one now; every
    // list with a new member, or of a new owner, is numbered 1..n.
    void ExpectTidy(const Snapshot& before);

    int Count() { return Doc().ResourceCount(); }
    URI_Ref First(const URI_Ref& rsc, const CString& path) { return Doc().FirstTarget(rsc, path); }
    // The members along a role in order.
    std::vector<URI_Ref> Along(const URI_Ref& owner, const CString& role);
    // The message boxes shown since the last ClearCalls.
    std::vector<CString> Messages() const { return ui.Messages(); }
};

}  // namespace kiln::test
