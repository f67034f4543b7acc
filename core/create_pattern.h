// What every creator of a resource does the same way: it takes the domain of
// the new resource and refuses one that cannot be edited (with the creator's
// own "W" number), clears the out-handle, refuses a parent of the wrong
// class, and then makes the resource with document calls that raise
// CCreateFault on failure. Build() catches that fault inside the creator,
// deletes every resource the creator made so far and returns false without a
// message; any other exception deletes them as well and passes on. On
// success it hands the new resource to the out-handle.
//
// A creator therefore reads as its own differences: its class, its parent
// test, its name and number, its links and defaults, its lock number and what
// its clean-up must also remove (Adopt). Most members of a parent's list
// differ only in the row of a CMemberKind table.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/framework/records.h"
#include "platform/mfc/cstring.h"

class CKiln_Main;

namespace kiln::core {

// The texts a failed document call raises inside a creator; never shown.
inline constexpr const char* kErrCreatingRsc = "Error creating Rsc";
inline constexpr const char* kErrUpdatingRsc = "Error updating Rsc";
inline constexpr const char* kErrAddAsso = "Error add Asso";

// A failed document call inside a creator. It never leaves the creator.
class CCreateFault : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a creator of one kind of member passes into the pattern. A numbered
// member is numbered along the parent's list, named prefix + number, linked
// back to the parent and ordered by the number (NewMember); an unnumbered one
// is named by the prefix alone and not ordered (NewUnnumbered).
struct CMemberKind {
    const char* cls;
    const char* lockNo;         // such as "W0075"
    const char* parentCls;      // null: any parent is taken
    const char* parentMessage;  // shown for a parent of another class
    const char* parentRole;     // the parent's list, which numbers the member (null: unnumbered)
    const char* prefix;         // the whole name of an unnumbered member
    const char* linkRole;       // from the member to its parent
};

class CNewRsc {
public:
    // `lockNo` is the creator's four-digit place number, such as "W0075".
    CNewRsc(CKiln_Main& app, URI_Ref* out, const char* lockNo);
    CNewRsc(const CNewRsc&) = delete;
    CNewRsc& operator=(const CNewRsc&) = delete;

    // ---- refusals (nothing is changed by them) ----

    // The usual opening: the parent's domain, its edit lock, the out-handle
    // cleared, then the parent's class must be one of `classes`, else
    // `message` is shown. Without classes the parent is not tested.
    bool Admit(const URI_Ref& parent, std::initializer_list<const char*> classes = {},
               const char* message = nullptr);
    // The same with the kind's parent class and message.
    bool Admit(const URI_Ref& parent, const CMemberKind& kind);

    // The same steps one by one, for creators that take them in another order.
    // Lock() shows "当前域不可编辑！-" + the lock number when the domain may not
    // be changed; the domain is the one the resources are created in.
    bool Lock(const CString& domain);
    bool LockParentDomain(const URI_Ref& parent);
    void ClearOut();
    // False (and `message` shown) when the class of `rsc` is none of `classes`.
    bool Expect(const URI_Ref& rsc, std::initializer_list<const char*> classes, const char* message);

    const CString& Domain() const { return m_sDomain; }

    // ---- numbers ----

    // "%d" of 1 + the number of the parent's members along the role or path
    // (of class `onlyClass` when given); false when the query fails.
    bool CountNext(const URI_Ref& parent, const CString& path, CString& n, const char* onlyClass = nullptr);

    // ---- the creation: steps that raise CCreateFault ----

    // Runs `body`, which makes the resource and returns its handle. On a
    // fault every resource made or adopted so far is deleted (the latest
    // first) and the result is false; otherwise the out-handle receives the
    // handle and the result is true.
    template <class Body>
    bool Build(Body&& body) {
        try {
            URI_Ref made = body();
            if (m_pOut) *m_pOut = std::move(made);
            m_vMade.clear();
            return true;
        } catch (const CCreateFault&) {
            Rollback();
            return false;
        } catch (...) {
            // Any other exception (a question the user cannot answer, an
            // allocation failure) also takes back what was made; it then
            // goes on to the caller.
            Rollback();
            throw;
        }
    }

    // A new resource of the class in the domain; it joins the clean-up.
    URI_Ref Create(const CString& cls, const CString& name, const char* error = kErrCreatingRsc);
    // A link from `rsc` along `role` to `target`; the document keeps the other end.
    void Link(const URI_Ref& rsc, const CString& role, const URI_Ref& target, const char* error = kErrUpdatingRsc);
    // An attribute value.
    void Write(const URI_Ref& rsc, const CString& role, const CString& value, const char* error = kErrUpdatingRsc);
    // A member of the kind named prefix + n, linked to the parent, then
    // ordered `ord`.
    URI_Ref CreateMember(const CMemberKind& kind, const URI_Ref& parent, const CString& n, const CString& ord);
    // The result of a nested creator: false raises "Error creating Rsc";
    // true makes the resource part of the clean-up, together with its
    // members along `memberRole` when given (found when the clean-up runs).
    void Adopt(bool made, const URI_Ref& rsc, const char* memberRole = nullptr);
    // Raises `error` unless `ok`.
    void Require(bool ok, const char* error);

private:
    struct Made {
        URI_Ref rsc;
        const char* memberRole;
    };
    void Rollback();

    CKiln_Main& m_app;
    URI_Ref* m_pOut;
    const char* m_sLockNo;
    CString m_sDomain;
    std::vector<Made> m_vMade;
};

// The whole creator of a member of the kind: numbered by `given` or, when
// that is empty, by the next sequence number along the parent's list.
bool NewMember(CKiln_Main& app, URI_Ref* pOut, const URI_Ref& parent, const CMemberKind& kind,
               const CString& given = CString());

// The creator of a member of the kind that takes no number: named by the
// prefix alone, linked to the parent and not ordered.
bool NewUnnumbered(CKiln_Main& app, URI_Ref* pOut, const URI_Ref& parent, const CMemberKind& kind);

// The order role as a string made once, for the calls made for every new
// resource (the role's name is too long to be kept without an allocation).
const CString& OrdRole();

// "true" or "false".
inline const char* BoolText(bool b) { return b ? "true" : "false"; }

}  // namespace kiln::core
