// The in-memory form of the document, shared by the document's source files
// (not part of the public interface).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/framework/cim_schema.h"

namespace kiln::cim {

using Idx = uint32_t;
inline constexpr Idx kNone = 0xFFFFFFFFu;

// What a long link list keeps while links are removed from it (in
// Store::gaps): a removal leaves kNone in its place (a hole), so that
// removing the members one by one costs no shifting, and the position of
// each target lets a removal find its place at once. The holes are squeezed
// out (and this dropped) when they are the larger part of the list and
// before the list is read (Store::Links), so that readers never see one.
struct LinkGaps {
    uint32_t holes = 0;
    uint32_t head = 0;                        // targets before it are all holes
    bool indexed = false;                     // `where` was built
    std::unordered_map<Idx, uint32_t> where;  // target -> position; may lack targets appended since
};

// The targets of one role of one resource, in link order.
struct LinkList {
    uint16_t role = 0;
    bool gapped = false;  // Store::gaps holds the list's LinkGaps
    std::vector<Idx> targets;
};

struct AttrVal {
    uint16_t role = 0;
    std::string value;
};

// One resource. Its index in Store::rsc is its creation order and never
// changes; a deleted resource stays as a dead slot.
struct Resource {
    std::string uri;  // domain name + local id
    uint16_t cls = 0;
    uint16_t domain = 0;
    bool alive = true;
    std::vector<AttrVal> attrs;
    std::vector<LinkList> links;
};

struct Domain {
    std::string name;
    std::string typeName;  // "cim:Naming.name" of its dEnv:DomainType
    std::string title;
    bool editable = true;
    bool modified = false;
    bool temporary = false;
    bool env = false;  // the document environment: never saved, never deleted
    bool alive = true;
    uint64_t nextId = 1;
    // The lowest and highest index of a resource ever made in the domain: a
    // save of one small domain looks only there, not at the whole document.
    Idx firstRsc = kNone;
    Idx lastRsc = 0;
    // The file in the document folder that holds the domain as it was last
    // opened or saved; empty when there is none. With `modified` false the
    // next save into that folder keeps the file as it is.
    std::string file;
    std::vector<std::pair<std::string, std::string>> blocks;  // data blocks
};

// Resource identifier -> index: open addressing over a flat array that keeps
// each key's hash, so that growing never touches the identifiers and a
// lookup costs one probe run and one comparison.
class UriIndex {
public:
    explicit UriIndex(const std::deque<Resource>& rsc) : m_rsc(rsc) {}
    Idx Find(std::string_view key) const;
    // False (and nothing inserted) when the key is present already.
    bool Insert(std::string_view key, Idx idx);
    void Erase(std::string_view key);
    void Reserve(size_t n);
    size_t Size() const { return m_live; }

private:
    struct Slot {
        uint32_t hash;
        Idx idx;  // kNone: empty; kGone: erased
    };
    static constexpr Idx kGone = 0xFFFFFFFEu;
    static uint32_t Hash(std::string_view key) { return static_cast<uint32_t>(std::hash<std::string_view>()(key)); }
    void Grow(size_t slots);

    const std::deque<Resource>& m_rsc;
    std::vector<Slot> m_slots;
    size_t m_live = 0;
    size_t m_used = 0;  // live and erased slots
};

struct Store {
    explicit Store(const CCimSchema* s);

    const CCimSchema* schema;
    int nameRole = -1;  // "cim:Naming.name", looked up once: every new named resource sets it
    std::deque<Resource> rsc;  // a deque: elements never move, so the map may view their uri
    UriIndex byUri{rsc};
    std::vector<std::vector<Idx>> byClass;  // creation order; may hold dead slots
    std::vector<uint32_t> deadInClass;
    std::vector<Domain> domains;
    NameMap domainIds;
    std::string prefix = "kiln";
    std::string drawerFolder;
    size_t live = 0;
    // Change stamps, one per class and role (class * role count + role): a
    // number unique in the process, renewed whenever a resource of the
    // class gains, changes or loses a value or link of the role; 0 while
    // none did. A caller that derived something from those roles compares
    // the stamps to learn cheaply whether it may have changed.
    std::vector<uint64_t> stamps;
    // Renewed by every change of what the store holds (a value, a link, a
    // resource, a domain or its data blocks), so that a caller learns
    // whether a call changed anything; one sequence for every store, so a
    // store that replaced another never repeats its number.
    uint64_t revision = 0;
    void Changed();
    // The domain's file must be written again: its content changed.
    void Modified(Domain& d) {
        d.modified = true;
        Changed();
    }
    void Stamp(Idx i, int role);
    void StampClass(int cls, int role);  // Stamp for a resource of class `cls`
    // The lists that links are being removed from, by GapKey(resource, role).
    std::unordered_map<uint64_t, LinkGaps> gaps;
    static uint64_t GapKey(Idx i, int role) { return (uint64_t{i} << 16) | static_cast<uint16_t>(role); }
    // Marks for duplicate-free walks: mark[i] == markGen means seen.
    mutable std::vector<uint32_t> mark;
    mutable uint32_t markGen = 0;

    // ---- lookup ----
    Idx Find(std::string_view uri) const { return byUri.Find(uri); }
    // The live resource of a handle; kNone for an empty or stale one.
    // The handle's remembered slot is taken only when that slot holds a live
    // resource of the same identifier (then it is the one the index gives).
    Idx Find(const URI_Ref& h) const {
        const Idx at = h.nFoundAt;
        if (at < rsc.size()) {
            const Resource& r = rsc[at];  // one deque walk for both tests
            if (r.alive && r.uri == h.sUri) return at;
        }
        const Idx i = byUri.Find(h.sUri);
        h.nFoundAt = i;
        return i;
    }
    URI_Ref Handle(Idx i) const {
        URI_Ref h(rsc[i].uri, ClassName(i));
        h.nFoundAt = i;
        return h;
    }
    Resource& R(Idx i) { return rsc[i]; }
    const Resource& R(Idx i) const { return rsc[i]; }
    const std::string& ClassName(Idx i) const { return schema->Class(rsc[i].cls).name; }
    int DomainId(std::string_view name) const {
        auto it = domainIds.find(name);
        return it == domainIds.end() ? -1 : it->second;
    }
    // A live domain of that name, -1 when none. The domain last found is
    // tried first: a live domain is always the one its name maps to (a name
    // is mapped only while free, and unmapped when its domain dies), so a
    // match of its name answers without hashing it; a run of writes asks for
    // the same domain again and again.
    int LiveDomain(std::string_view name) const {
        if (lastLive >= 0) {
            const Domain& m = domains[static_cast<size_t>(lastLive)];
            if (m.alive && m.name == name) return lastLive;
        }
        int d = DomainId(name);
        if (d < 0 || !domains[static_cast<size_t>(d)].alive) return -1;
        lastLive = d;
        return d;
    }
    mutable int lastLive = -1;

    // The role id of a name (-1 when unknown), remembered in a small table
    // placed by the name's length and three eight-character words of it, so
    // that a run of reads and writes does not hash the same role names again
    // and again.
    int RoleId(std::string_view name) const;
    int RoleOf(int cls, std::string_view name) const {
        const int r = RoleId(name);
        return schema->RoleApplies(r, cls) ? r : -1;
    }
    struct RoleMemo {
        std::string name;
        int id = -1;
        bool used = false;
    };
    mutable std::array<RoleMemo, 1024> roleMemo;

    // ---- attributes ----
    const std::string* Attr(Idx i, int role) const;
    void SetAttr(Idx i, int role, std::string_view value);

    // ---- links ----
    // Squeezes the holes out of the list first (the list is logically const).
    const std::vector<Idx>* Links(Idx i, int role) const;
    std::vector<Idx>& LinksMut(Idx i, int role);
    // Adds i -role-> t and the reverse end; false when the link already exists.
    bool Link(Idx i, int role, Idx t);
    // Removes one link and its reverse end; false when there is none.
    bool Unlink(Idx i, int role, Idx t);
    void UnlinkAll(Idx i, int role);

    // ---- resources ----
    // kNone (and nothing made) when the identifier is taken.
    Idx Create(std::string uri, int cls, int domain);
    void Kill(Idx i);  // removes the resource and every link at both ends
    std::string NewLocalId(int domain, int cls);

    // ---- domains ----
    int AddDomain(const std::string& name, const std::string& typeName, const std::string& title, bool editable);
    // The "cim:Naming.name" of a domain type; false when `type` is no domain type.
    bool DomainTypeName(const URI_Ref& type, std::string& name) const;
    void Touch(Idx i) { Modified(domains[rsc[i].domain]); }
    // A link end changes the domain's file only when files carry that end.
    void TouchEnd(Idx i, int role) {
        if (schema->Role(role).written) Touch(i);
    }

    uint32_t NextMark() const;
};

// The environment's domain types: names and the file type value.
struct EnvDomainType {
    const char* id;
    const char* name;
};
extern const EnvDomainType kEnvDomainTypes[6];
std::string FileTypeValue();  // model namespace + "#DomainFileTypeEnum.CIM-XML"

}  // namespace kiln::cim
