// The fixture of the command tests: the small standard package of ModelTest,
// instance LLN0 and LPHD types in its instance package P1, and an ICD "E1"
// (domain kiln.icd#) on P1 with its IED, server, one logical device "LD1"
// (LLN0, LPHD) and a PTOC node of type P1_PTOC. Commands run on a current
// resource as the context menu leaves it.
#pragma once

#include <vector>

#include "tests/core/fixture.h"

namespace kiln::test {

inline constexpr const char* kIcdDomain = "kiln.icd#";

class CommandsTest : public ModelTest {
protected:
    CommandsTest();

    // Makes `current` the current resource and runs the command.
    void Run(const URI_Ref& current, const CString& command);
    // The view classes refreshed since the calls were last cleared, in order.
    std::vector<int> Refreshes() const;
    // The members of a resource along a role, in sibling order.
    std::vector<URI_Ref> Members(const URI_Ref& rsc, const CString& role);
    std::vector<CString> Names(const URI_Ref& rsc, const CString& role);
    // The choice list of the last input box, display texts in order.
    std::vector<CString> LastChoices() const;
    size_t ResourceCount();

    URI_Ref p1Lln0, p1Lphd;         // instance types of LLN0 and LPHD in P1
    URI_Ref icd, ied, server, ld, lln0, ptoc;
};

}  // namespace kiln::test
