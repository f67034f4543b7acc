// The context menus as data: one table a class, each a list of rows
// (condition, command string, menu text) in the order the items are
// appended, top to bottom. CKiln_Main::ShortMenu reads them; nothing else
// decides what a menu offers.
#pragma once

#include <span>
#include <string_view>

#include "platform/mfc/cstring.h"

namespace kiln::views {

// The command of a separator; its menu text is empty.
inline constexpr const char* kMenuSeparator = "_分隔符_";

// The terms of a row's condition. A row is appended when every term it
// carries holds; a row without terms is always appended.
enum MenuTerm : unsigned {
    kAlways = 0,
    kLabel = 1u << 0,         // the tree label equals the row's argument
    kOtherLabel = 1u << 1,    // the label equals none of the labels tested in the rows above
    kInstType = 1u << 2,      // Is_InstType of the clicked resource
    kDeclType = 1u << 3,      // not Is_InstType
    kView = 1u << 4,          // the view's identifier equals the row's argument
    kNoOwningIcd = 1u << 5,   // the package belongs to no ICD ("sec:TypePackage.ICD")
    kExtDOFreely = 1u << 6,   // the owning ICD's "sec:ICD.extDOFreely" is not "false" in any letter case
    kOwnerInst = 1u << 7,     // the owning type's instance flag is exactly "true" (table's owner path)
    kOwnerDecl = 1u << 8,     // it is anything else, empty included
    kStructBType = 1u << 9,   // "sec:BDA.bType" holds "#PreBasicTypeEnum.Struct" after its start
    kEnumBType = 1u << 10,    // it holds "#PreBasicTypeEnum.Enum" so, but not the Struct value
    kBasicBType = 1u << 11,   // it holds neither
    kLevelAtMost1 = 1u << 12, // m_nEditLevel <= 1
    kLevel2 = 1u << 13,       // m_nEditLevel == 2
    kViewKindNot3 = 1u << 14, // the view's kind is not 3
    kStdLLN0Class = 1u << 15, // the node's LN class is the standard "LLN0" type (two empty handles match)
    kItbLNClass = 1u << 16,   // not that, and the LN class is named as a class the ITB generators serve
};

struct MenuRow {
    unsigned terms;
    const char* arg;  // the label or view identifier of kLabel and kView; null otherwise
    const char* command;
    const char* text;
};

struct MenuTable {
    // 1: the chain built while the edit level is 1 or less; 2: the chain
    // built while it is 2 or less.
    int chain;
    const char* cls;  // the clicked resource's class; "" for no resource
    std::span<const MenuRow> rows;
    // For kOwnerInst/kOwnerDecl: the path to the owning type and its flag.
    const char* ownerPath;
    const char* ownerRole;
};

// Every table, the first chain's in its order of tests, then the second's.
std::span<const MenuTable> MenuTables();

// The table of the class in the chain; null when the class has none there.
const MenuTable* FindMenuTable(int chain, std::string_view cls);

// The classes that get no menu at all while the edit level is not 1.
bool IsHiddenOutsideLevel1(std::string_view cls);

// The LN classes whose nodes offer "ICD:Add DO From LNode by ITB".
bool IsItbLNClassName(const CString& name);

}  // namespace kiln::views
