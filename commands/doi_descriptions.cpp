// Descriptions from DOI values: the "dU" value of every DOI of an ICD's
// logical nodes becomes the description of the matching data object of the
// node's LN type, and that of a DOI named "OP" also the node's own. A
// description that differs is replaced only after a question whose "all"
// answers hold for the rest of the run.
#include <map>
#include <vector>

#include "commands/command_frame.h"
#include "core/type_classes.h"

namespace kiln::commands {
namespace {

// The answers of the question box, by button index.
enum Answer { kYesAll = 0, kYes = 1, kNo = 2, kNoAll = 3 };

CString Attr(CKiln_Main& app, const URI_Ref& rsc, const char* role) {
    CString value;
    app.DocMtd_get_attribute_value(rsc, role, value);
    return value;
}

// Whether `memory` lets the description be replaced, asking when no "all"
// answer was given yet. False with `closed` set when the box was closed.
bool MayReplace(CKiln_Main& app, int& memory, const CString& question, bool& closed) {
    if (memory != kYesAll && memory != kNoAll) {
        Struct_Pairs buttons;
        for (const char* b : {" 全是 ", " 是 ", " 否 ", " 全否 "}) buttons.Add(b, "");
        const int answer = app.Mtd_ButtonChoiceBox("", question, buttons, 0);
        if (answer < 0) {
            closed = true;
            return false;
        }
        memory = answer;
    }
    return memory == kYesAll || memory == kYes;
}

CString ShortFc(const CString& fc) {
    const int dot = fc.ReverseFind('.');
    return dot >= 0 ? fc.Mid(dot + 1) : fc;
}

// The DAI's functional constraint, short ("DC"): its own, or else that of the
// DA it instantiates (DAIs made in the model carry none of their own), its
// constraints joined by "," as the DAI's name gives them.
CString FcOf(CKiln_Main& app, const URI_Ref& dai) {
    const CString own = Attr(app, dai, "sec:DAI.fc");
    if (!own.IsEmpty()) return ShortFc(own);
    const URI_Ref dfn = FirstOf(app, dai, "sec:DAI.BDA");
    if (dfn.sClass != "sec:DA") return CString();
    CString fcs;
    for (const char* role : {"sec:DA.fc_0", "sec:DA.fc_1", "sec:DA.fc_2"}) {
        const CString fc = Attr(app, dfn, role);
        if (fc.IsEmpty()) break;
        fcs += (fcs.IsEmpty() ? "" : ",") + ShortFc(fc);
    }
    return fcs;
}

// The value of the DOI's first instance named "dU" or "dU[fc]" (any case),
// fc being the text after the last "." of its functional constraint.
bool DUValue(CKiln_Main& app, const URI_Ref& doi, CString& value) {
    for (const URI_Ref& dai : InOrder(app, doi, "sec:DOI.DAIs")) {
        const CString name = Attr(app, dai, "cim:Naming.name");
        const CString fc = FcOf(app, dai);
        if (name.CompareNoCase("dU[" + fc + "]") == 0 || name.CompareNoCase("dU") == 0) {
            value = Attr(app, dai, "sec:DAI.valueStr");
            return true;
        }
    }
    return false;
}

}  // namespace

Next WriteDODescByLNodeDOI(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref icd = f.Current();
    const URI_Ref package = FirstOf(app, icd, "sec:ICD.TypePackage");
    if (package.IsEmpty()) return Next::Leave;

    std::map<CString, URI_Ref> dataObjects;  // "type/DO" -> DO; the first of a key stays
    for (const URI_Ref& type : InOrder(app, package, "sec:TypePackage.LNodeTypes")) {
        const CString typeName = Attr(app, type, "cim:Naming.name");
        for (const URI_Ref& dataObject : InOrder(app, type, "sec:LNodeType.DOs"))
            dataObjects.emplace(typeName + "/" + Attr(app, dataObject, "cim:Naming.name"), dataObject);
    }

    int nodeMemory = -1, doMemory = -1;
    bool closed = false;
    for (const URI_Ref& node :
         InOrder(app, icd, "sec:ICD.IED/sec:IED.Servers/sec:Server.LDevices/sec:LDevice.LNodes")) {
        const CString nodeName = kiln::core::NodeName(app, node);
        const CString typeName = Attr(app, FirstOf(app, node, "sec:LNode.LNodeType"), "cim:Naming.name");
        bool nodeWritten = false;
        for (const URI_Ref& doi : InOrder(app, node, "sec:LNode.DOIs")) {
            const CString doiName = Attr(app, doi, "cim:Naming.name");
            CString value;
            if (!DUValue(app, doi, value)) continue;
            const CString nodeDesc = Attr(app, node, "cim:Naming.description");
            if (doiName.CompareNoCase("OP") == 0 && !nodeWritten) {
                if (nodeDesc.IsEmpty()) {
                    app.DocMtd_Modify_attribute_value(node, "cim:Naming.description", value);
                } else if (nodeDesc != value) {
                    const CString q = "用“" + value + "”替代“" + nodeDesc + "”作为LNode: " + nodeName + "的解释：";
                    const bool yes = MayReplace(app, nodeMemory, q, closed);
                    if (closed) return Next::Leave;
                    if (yes) {
                        app.DocMtd_Modify_attribute_value(node, "cim:Naming.description", value);
                        nodeWritten = true;
                    }
                }
            }
            const auto found = dataObjects.find(typeName + "/" + doiName);
            if (found == dataObjects.end()) continue;
            const CString doDesc = Attr(app, found->second, "cim:Naming.description");
            if (doDesc.IsEmpty()) {
                app.DocMtd_Modify_attribute_value(found->second, "cim:Naming.description", value);
            } else if (doDesc != value) {
                const CString q = "用“" + value + "”替代“" + doDesc + "”作为LNodeType/DO: " + typeName + "/" + doiName +
                                  "的解释：";
                const bool yes = MayReplace(app, doMemory, q, closed);
                if (closed) return Next::Leave;
                if (yes) app.DocMtd_Modify_attribute_value(found->second, "cim:Naming.description", value);
            }
        }
    }
    Refresh(app, 2);
    Refresh(app, 1);
    return Next::CommonEnd;
}

}  // namespace kiln::commands
