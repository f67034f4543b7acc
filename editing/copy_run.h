// One copy operation as a whole: the type copies, the copy of a logical node
// and a paste share it. It records every resource its creators make, so that
// the first refused (or failed) creation stops the copy and removes all of
// them again, and it maps each source type to its copy, so that types which
// refer to themselves or to each other are copied once each and the walk
// ends. A type is found by name through an index of its package's list,
// made once for the run and kept as the run makes and names types there.
#pragma once

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/kiln_main.h"

namespace kiln::editing {

class CCopyRun {
public:
    explicit CCopyRun(CKiln_Main& app) : m_app(app) {}
    CCopyRun(const CCopyRun&) = delete;
    CCopyRun& operator=(const CCopyRun&) = delete;

    // The result of a creator: true keeps the new resource on record (and a
    // new type in its package's index); false (or no handle) stops the copy.
    bool Made(bool ok, const URI_Ref& rsc);
    // `copy` stands for `source` in the rest of this copy.
    void NoteCopy(const URI_Ref& source, const URI_Ref& copy);
    // A copy that ran to its end links its copied data-set members to their
    // nodes (see m_vMemberLinks); after a stop, or when such a link fails, it
    // deletes what the copy made (the latest first). The result is whether
    // the copy ran to its end.
    bool Finish();

    // The fillings; each false once the copy has stopped.
    bool DAType(const URI_Ref& source, const URI_Ref& target, const URI_Ref& package);
    bool DOType(const URI_Ref& source, const URI_Ref& target, const URI_Ref& package);
    bool LNodeType(const URI_Ref& source, const URI_Ref& target, const URI_Ref& package);
    bool DO(const URI_Ref& source, const URI_Ref& target, const URI_Ref& lnType, const CStringArray& except);
    bool LNode(const URI_Ref& source, const URI_Ref& target, const URI_Ref& ld, const CString& ord);

    // The attribute values of a member and its number ("e301:OrdNaming.ord"),
    // which the attribute copy never carries.
    void CopyMember(const URI_Ref& source, const URI_Ref& target);
    // The source's number, when it has one.
    void CopyNumber(const URI_Ref& source, const URI_Ref& target);
    // The members along a role in order-number order (none when the query fails).
    std::vector<URI_Ref> Members(const URI_Ref& owner, const CString& role);
    URI_Ref First(const URI_Ref& rsc, const CString& path) { return m_app.DocMtd_getFirstUri_ofAsso(rsc, path); }

    // The logical node's type link by the same rule as a member's type.
    bool LinkLNodeType(const URI_Ref& type, const URI_Ref& package, const URI_Ref& node);

    struct CTypeKind;

private:
    // Links `member` along `role` to the type that stands for `type` in
    // `package`: the type itself when it lies outside every ICD, else the
    // first of its name in the package, else its copy made in this run, else
    // a new copy made now.
    bool LinkType(const URI_Ref& type, const CTypeKind& kind, const URI_Ref& package, const URI_Ref& member,
                  const CString& role);

    // The types of one package's list by name. It is read once, in the
    // list's order (order number, then creation); a type the run makes later
    // comes after every type of its number read then, and after the types it
    // made before. A type keeps its number and its place; its name changes
    // through the run's creators and attribute copies (NoteType).
    struct CNamedTypes {
        struct CEntry {
            std::string name;
            long long ord = 0;
            size_t place = 0;
        };
        std::vector<URI_Ref> byPlace;
        std::unordered_map<std::string, CEntry> entries;  // by identifier
        std::unordered_map<std::string, std::set<std::pair<long long, size_t>>> byName;
    };
    // The first type of the name in the package's list of the kind, as the
    // list in order shows it; none when no type has the name.
    URI_Ref FirstNamed(const URI_Ref& package, const CTypeKind& kind, const CString& name);
    // Puts a type under its present name and number in the index.
    void Place(CNamedTypes& types, const URI_Ref& type);
    // A type the run made or named: its entry in its package's index, where
    // one is held, follows its present name.
    void NoteType(const URI_Ref& type);
    // A type's attributes from the source, its name among them.
    void CopyTypeAttributes(const URI_Ref& source, const URI_Ref& target);
    // The DA or BDA's semantic, enumeration and structure links.
    bool AttributeLinks(const URI_Ref& source, const URI_Ref& target, const CString& semanticRole,
                        const URI_Ref& package);
    // Parts of the logical-node copy.
    bool Settings(const URI_Ref& source, const URI_Ref& target);
    bool DataSetsAndBlocks(const URI_Ref& source, const URI_Ref& target);
    bool InstanceValues(const URI_Ref& source, const URI_Ref& target);

    CKiln_Main& m_app;
    std::vector<URI_Ref> m_vMade;
    std::map<std::string, URI_Ref> m_copies;
    // The indexes by package and list, each made at its first search.
    std::map<std::pair<std::string, std::string>, CNamedTypes> m_named;
    // The nodes of a home (an IED or a base-device package) by device name,
    // class and, but for an LLN0, prefix and instance: the first in order
    // of each key. Made at the end of the copy, which makes no node then.
    using CNodesByKey = std::unordered_map<std::string, URI_Ref>;
    // The node a copied member names when its original's node was not
    // copied: that node where the member's own node lies in its IED (or
    // base-device package), else the node of the same device name, prefix,
    // class and instance there, else none. `homes` holds the nodes of the
    // homes met so far.
    URI_Ref NodeWhereMemberLies(const URI_Ref& member, const URI_Ref& node, std::map<std::string, CNodesByKey>& homes);

    // Copied data-set members and the node each original names: at the end
    // of the copy a member names that node's copy, or the node as
    // NodeWhereMemberLies finds it when it was not copied (its copy may come
    // after the member's).
    std::vector<std::pair<URI_Ref, URI_Ref>> m_vMemberLinks;
    bool m_bStopped = false;
};

}  // namespace kiln::editing
