// A member's new name carried into what names it by text. A DO, SDO, DA or
// BDA is named by the DOIs and DAIs of the nodes whose type holds it (the DAI
// names carry the SDO, DA and BDA path below their DOI) and by the DO and DA
// paths of the references to those nodes (data-set members, inputs, mapping
// items, setting data): "PhV", "PhV.phsA", "cVal.mag.f", "stVal[ST]". Each
// text is resolved name by name through the types of its node, so that only
// the names that stand for the renamed member change, in every ICD whose
// nodes use a type that holds it, also through derived types and the DO and
// DA types that contain it.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "core/kiln_main.h"

namespace kiln::core {

// One text to write: `value` into `role` of `rsc`.
struct CTextEdit {
    URI_Ref rsc;
    const char* role;
    CString value;
};

// The writes that carry the rename of `member` (a "sec:DO", "sec:SDO",
// "sec:DA" or "sec:BDA") from `oldName` to `newName`; to be made before or
// with the member's own new name (they are found by the old one). Nothing
// for another class or an unchanged name.
std::vector<CTextEdit> MemberRenameEdits(CKiln_Main& app, const URI_Ref& member, const CString& oldName,
                                         const CString& newName);

// The LN types whose nodes may name `from` (a "sec:DO", "sec:SDO", "sec:DA",
// "sec:BDA" or a "sec:EnumType"): the DO's type, or the types of the DOs that
// hold, through SDOs and structures, the DO or DA type that holds it; and the
// types derived from them.
std::vector<URI_Ref> LNodeTypesReaching(CKiln_Main& app, const URI_Ref& from);

class SiblingNames;

// MemberRenameEdits for a command that renames many DOs: the texts that may
// name a DO (DOI names, the DO paths of references) read once for the
// command, by the name they begin with, and resolved through `names`, the
// command's index of the names of lists. Each rename carries only the texts
// that begin with the DO's old name; other members are carried as
// MemberRenameEdits carries them. After the edits of a member are made (and
// only then), Renamed says so, so that the index follows the new names.
class MemberTexts {
public:
    MemberTexts(CKiln_Main& app, SiblingNames& names);
    std::vector<CTextEdit> Edits(const URI_Ref& member, const CString& oldName, const CString& newName);
    // `member` is named `newName` now, and `edits`, those Edits gave for it, are made.
    void Renamed(const URI_Ref& member, const CString& newName, const std::vector<CTextEdit>& edits);

private:
    struct Text {
        URI_Ref node;
        URI_Ref rsc;
        const char* role;
    };
    void Read();
    void Add(const URI_Ref& node, const URI_Ref& rsc, const char* role, const CString& text);
    CKiln_Main& m_app;
    SiblingNames& m_names;
    bool m_read = false;
    std::unordered_map<std::string, std::vector<Text>> m_texts;  // first name -> the texts that begin with it
    std::unordered_map<std::string, std::vector<URI_Ref>> m_chains;  // node -> its LN type and bases
    std::vector<Text> m_pending;  // the texts of the last Edits' edits, in their order
};

// Makes the writes.
void ApplyTextEdits(CKiln_Main& app, const std::vector<CTextEdit>& edits);

}  // namespace kiln::core
