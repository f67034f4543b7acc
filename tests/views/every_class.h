// A model that holds a resource of every class the menus know, and of the
// classes they do not, made with the plug-in's creators on the plug-in's
// open document (the standard package and its "LLN0" type must be known).
// Variants stand beside the plain ones where a menu tests a property: the
// kind of a package or type, the owning ICD's free extension switch, the
// owner and basic type of a data attribute, the LN class of a node.
#pragma once

#include "core/kiln_main.h"
#include "platform/ui/scripted_ui.h"

namespace kiln::test {

struct EveryClass {
    // products
    URI_Ref productPackage, product, productVer;
    // the ICD with its IED, server and own (instance) package; a product
    // package of its own without an ICD; a declaration package
    URI_Ref icd, ied, server, icdPackage, freePackage, declPackage;
    // types: instance types of the ICD's package, declaration types
    URI_Ref lnTypeInst, lnTypeFree, lnTypeDecl;
    URI_Ref doTypeInst, doTypeDecl, daTypeInst, daTypeDecl;
    URI_Ref enumType, enumVal, doSemantic, daSemantic;
    // members of types: DO of the instance LN type, SDO of the declaration DO type
    URI_Ref dataObject, subDataObject;
    // DAs of the instance DO type (Struct), of DO types whose flag is "TRUE"
    // and empty, without an owner, and of the declaration DO type by basic type
    URI_Ref daOwnerInst, daOwnerUpper, daOwnerEmpty, daNoOwner;
    URI_Ref daStruct, daEnum, daBoolean, daNoBType, daBareStruct;
    // the same for BDAs and DA types
    URI_Ref bdaOwnerInst, bdaOwnerUpper, bdaOwnerEmpty, bdaNoOwner;
    URI_Ref bdaStruct, bdaEnum, bdaBoolean, bdaNoBType, bdaBareStruct;
    URI_Ref valOfDA, valOfDAI;
    // the instance side: the device and its nodes by LN class
    URI_Ref ldevice, lnLLN0, lnLPHD, lnGGIO, lnLowerGGIO, lnNoType, lnNoClass;
    URI_Ref doi, dai, extRef, sgcb, settingGroup, settingData, log, lcb, rcb, clientLN, dataSet, fcda;
    URI_Ref gse, sv, signalList, inSignal, outSignal;
    URI_Ref itb, infoItem, infoGroup, m2i, mapItem;
};

// Builds the model with `app`'s creators, answering their questions through
// `ui`. Returns false (with a test failure) when a step failed.
bool BuildEveryClass(CKiln_Main& app, CScriptedUi& ui, EveryClass& m);

// The basic-type value as the document stores it ("Struct" -> namespace#PreBasicTypeEnum.Struct).
CString BasicType(const char* value);

}  // namespace kiln::test
