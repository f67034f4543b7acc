// The fixture of the creators' tests: the standard and instance packages of
// ModelTest, and beside them a product and one ICD structure built through
// the document store (not through the creators), with one member of each
// kind that a creator takes as its parent.
#pragma once

#include <functional>
#include <initializer_list>
#include <vector>

#include "tests/core/fixture.h"

namespace kiln::test {

inline constexpr const char* kProductDomain = "kiln.pp#";  // the product package's domain
inline constexpr const char* kIcdDomain = "kiln.icd#";     // the hand-built ICD's domain

// The parents a creator can be given.
enum class Parent {
    Product,
    InstPackage,   // "P1", an instance package
    StdPackage,    // "IEC61850"
    P1Ptoc,        // LNodeType with one DO
    P1Sps,         // DOType with two DAs
    Originator,    // DAType with two BDAs
    P1SpsStVal,    // a DA
    CtlModel,      // EnumType with two values
    Icd,
    Ied,
    Server,
    LDevice,       // one node
    LNode,         // one data set, one RCB, one DOI, one SGCB
    DataSet,
    Rcb,
    Sgcb,
    SettingGroup,  // no setting data
    Doi,
    SignalList,
    Itb,           // one group "Trip", no items
    M2I,
    InfoGroup,     // no creator takes it: the wrong parent of every creator
};

class CreateTest : public ModelTest {
public:
    URI_Ref Of(Parent p) const;

protected:
    CreateTest();

    // Resources of the document, environment included.
    int Count() { return Doc().ResourceCount(); }
    // The first target along a role or path; empty when none.
    URI_Ref First(const URI_Ref& rsc, const CString& path) { return Doc().FirstTarget(rsc, path); }
    std::vector<URI_Ref> Targets(const URI_Ref& rsc, const CString& role);
    // The message boxes shown since the last ClearCalls.
    std::vector<CString> Messages() const { return ui.Messages(); }
    // Runs `create` once with each of the first `calls` document calls of
    // each operation failing in turn. A failed run must leave the document
    // as it was and the out-handle empty; a run that still succeeds must
    // have made something; no run may show a message. Returns the number of
    // failed runs.
    int FailEachCall(int calls, const std::function<bool(URI_Ref* out)>& create,
                     std::initializer_list<const char*> ops = {"create", "add", "modify"});

    URI_Ref prodPkg, product, icd, ied, server, ld, lnode, dataSet, rcb, sgcb, settingGroup, doi, signalList, itb, m2i,
        infoGroup;
};

}  // namespace kiln::test
