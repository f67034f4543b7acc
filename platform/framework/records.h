// The value records that pass between the framework, the host and the plug-in.
// Field order and types are fixed because the same records cross to the host.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/mfc/cstring.h"

// The handle of one resource: its identifier and its class name.
struct URI_Ref {
    std::string sUri;
    std::string sClass;
    // Where a document last found the resource: a hint that saves hashing
    // the identifier, used only while the resource there is live and has this
    // very identifier. Not part of the handle's value: never compared.
    mutable uint32_t nFoundAt = 0xFFFFFFFFu;

    URI_Ref() = default;
    URI_Ref(std::string uri, std::string cls) : sUri(std::move(uri)), sClass(std::move(cls)) {}

    bool IsEmpty() const { return sUri.empty() && sClass.empty(); }
    bool IsSet() const { return !IsEmpty(); }
    void Clear() {
        sUri.clear();
        sClass.clear();
        nFoundAt = 0xFFFFFFFFu;
    }
    // Handles compare by identifier only; the class names are not compared.
    bool operator==(const URI_Ref& o) const { return sUri == o.sUri; }
    bool operator!=(const URI_Ref& o) const { return !(*this == o); }
};

// The framework's sort policies: 1 by "cim:Naming.name", 3 by "e301:OrdNaming.ord".
enum Enum_SortPolicy {
    SortPolicy_None = 0,
    SortPolicy_ByName = 1,
    SortPolicy_ByOrd = 3,
};

// An ordered list of text pairs; duplicates allowed, lookups take the first match.
struct Struct_Pairs {
    std::vector<std::pair<CString, CString>> vPairs;

    void Clear() { vPairs.clear(); }
    void Add(CString first, CString second) { vPairs.emplace_back(std::move(first), std::move(second)); }
    CString Get_Second_byFirst(CString key) const {
        for (const auto& p : vPairs)
            if (p.first == key) return p.second;
        return CString();
    }
    CString Get_First_bySecond(CString key) const {
        for (const auto& p : vPairs)
            if (p.second == key) return p.first;
        return CString();
    }
    int GetSize() const { return static_cast<int>(vPairs.size()); }
};

// What an input box or a property field edits. Edit kind 2 is free text,
// 7 a choice from the list.
struct Struct_EditPack {
    CString sText1;
    CString sText2;
    int nInt1 = 0;
    int nEditKind = 2;
    int nInt2 = 0;
    int nInt3 = 0;
    int nInt4 = 0;
    int nInt5 = 0;
    bool bFlag = false;
    Struct_Pairs vList;
    Struct_Pairs vList2;
    int nInt6 = 0;
    int nInt7 = 0;

    // Every field back to its default above (edit kind 2, empty lists).
    void Reset() { *this = Struct_EditPack(); }
    void Add_ListItem(CString display, CString value) { vList.Add(std::move(display), std::move(value)); }
};

// One item of a host tree view.
struct Struct_ItemDesc {
    URI_Ref uRsc;
    CString sKey;
    CString sText2;
    CString sText3;
    CString sText4;
    int nInt1 = 0;
    bool bFlag1 = true;
    bool bFlag2 = true;
    int nInt2 = 0;
    int nInt3 = 0;

    // Every field back to its default above (both flags true).
    void Clear() { *this = Struct_ItemDesc(); }
};

// Schema definition of one attribute. sText6 is the value type (booleans
// contain ":Boolean"), sText7 the enumeration of an enumerated attribute.
// The store fills sText1 with the role, sText2 with the declaring class and
// sText3 with the role's display name.
struct Struct_AttrDfn {
    CString sText1, sText2, sText3, sText4, sText5, sText6, sText7;
};

// Schema definition of one association role. The last int is the maximum
// multiplicity (10 or more for unbounded). The store fills sText1 with the
// role, sText2 with the declaring class, sText3 with the target class,
// sText4 with the reverse role and sText5 with the display name.
struct Struct_AssoDfn {
    CString sText1, sText2, sText3, sText4, sText5;
    int nInt1 = 0;
    CString sText6, sText7;
    int nInt2 = 0;
    int nInt3 = 0;
    int nMaxMultiplicity = 0;
};

// Schema definition of a class: the fifth text is the display name, the third
// the fallback when the fifth is empty. The store fills sText1 with the class
// name and sText2 with its base.
struct CClassDfn {
    CString sText1, sText2, sText3, sText4, sText5, sText6, sText7;
    std::vector<Struct_AttrDfn> vAttrs;
    std::vector<Struct_AssoDfn> vAssos;
};

// One value of an enumeration: the first text is the value's URI text, the
// fourth its description; the store puts the bare value name in the second.
struct Struct_EnumValDfn {
    CString sText1, sText2, sText3, sText4, sText5;
};

// Schema definition of an enumeration. The store fills sText1 with its name.
struct CEnumClassDfn {
    CString sText1, sText2, sText3, sText4, sText5, sText6;
    URI_Ref uRef;
    std::vector<Struct_EnumValDfn> vValues;
};

// One data attribute reached from a data object: its name with functional
// constraints in brackets, its full path from the start, and its handle.
struct Struct_DAItem {
    CString sName;
    CString sPath;
    URI_Ref uRsc;
};

// The data attributes reachable from one data object.
struct Struct_DAs_ofDO {
    CString sDOName;
    URI_Ref uDO;
    std::vector<Struct_DAItem> vDAs;
    CString sStopped;  // where the walk stopped short of every path: its words, else empty
};

// One link of the graphics view.
struct Struct_CIMLinkInst {
    URI_Ref uLink;
    URI_Ref uFrom;
    URI_Ref uTo;
    CString sRole;
};

// The state of one command in the host's menus.
struct CCmdUI_Eq {
    CString sText;
    bool bEnabled = true;
    void Enable(bool b = true) { bEnabled = b; }
    void SetText(const CString& s) { sText = s; }
};

// What the document answers about one existing resource: its handle, its
// name and the domain that holds it.
struct Struct_RscInst {
    URI_Ref uRsc;
    CString sName;
    CString sDomain;
};

// Further settings of a new domain: a text and a list of (key, value) pairs.
struct DomainTypeDfn {
    CString sText;
    Struct_Pairs vList;
};
