// One copy operation as a whole: the type copies, the copy of a logical node
// and a paste share it. It records every resource its creators make, so that
// the first refused (or failed) creation stops the copy and removes all of
// them again, and it maps each source type to its copy, so that types which
// refer to themselves or to each other are copied once each and the walk
// ends.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/kiln_main.h"

namespace kiln::editing {

class CCopyRun {
public:
    explicit CCopyRun(CKiln_Main& app) : m_app(app) {}
    CCopyRun(const CCopyRun&) = delete;
    CCopyRun& operator=(const CCopyRun&) = delete;

    // The result of a creator: true keeps the new resource on record; false
    // (or no handle) stops the copy.
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
    // The node a copied member names when its original's node was not
    // copied: that node where the member's own node lies in its IED (or
    // base-device package), else the node of the same device name, prefix,
    // class and instance there, else none.
    URI_Ref NodeWhereMemberLies(const URI_Ref& member, const URI_Ref& node);

    // Copied data-set members and the node each original names: at the end
    // of the copy a member names that node's copy, or the node as
    // NodeWhereMemberLies finds it when it was not copied (its copy may come
    // after the member's).
    std::vector<std::pair<URI_Ref, URI_Ref>> m_vMemberLinks;
    bool m_bStopped = false;
};

}  // namespace kiln::editing
