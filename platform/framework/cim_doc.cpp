#include "platform/framework/cim_doc.h"

#include <algorithm>
#include <cstring>

#include "platform/framework/cim_store.h"
#include "platform/xml/xml_check.h"

namespace kiln::cim {

const EnvDomainType kEnvDomainTypes[6] = {
    {"DT_1", "二次模型标准定义包1"}, {"DT_2", "二次模型标准定义包2"}, {"DT_3", "二次模型标准定义包3"},
    {"DT_4", "二次模型数据类型包"},  {"DT_5", "二次模型装置类型包"},  {"DT_6", "二次模型装置ICD包"},
};

std::string FileTypeValue() { return std::string(kModelNamespace) + "#DomainFileTypeEnum.CIM-XML"; }

Store::Store(const CCimSchema* s) : schema(s) {
    if (!schema) return;
    byClass.resize(static_cast<size_t>(schema->ClassCount()));
    stamps.resize(static_cast<size_t>(schema->ClassCount()) * static_cast<size_t>(schema->RoleCount()));
    deadInClass.resize(byClass.size());
    int env = AddDomain(kEnvDomain, "", "文档环境", false);
    domains[static_cast<size_t>(env)].env = true;
    int cls = schema->ClassId(kDomainTypeClass);
    nameRole = schema->RoleId("cim:Naming.name");
    int typeRole = schema->RoleId("dEnv:DomainTypeBase.fileType");
    if (cls < 0 || nameRole < 0 || typeRole < 0) return;
    for (const EnvDomainType& t : kEnvDomainTypes) {
        Idx i = Create(std::string(kEnvDomain) + t.id, cls, env);
        SetAttr(i, nameRole, t.name);
        SetAttr(i, typeRole, FileTypeValue());
    }
    domains[static_cast<size_t>(env)].modified = false;
}

int Store::RoleId(std::string_view name) const {
    // The entry is placed by the name's length and its first, middle and last
    // eight characters: role names of the same length share long prefixes, and
    // a placing by a few sampled characters made some that a run uses in turn
    // push each other out on every call.
    uint64_t slot = name.size();
    if (name.size() >= 8) {
        auto word = [&](size_t k) {
            uint64_t w;
            std::memcpy(&w, name.data() + k, sizeof w);
            return w;
        };
        slot ^= word(0) * 0x9E3779B97F4A7C15ull;
        slot ^= word((name.size() - 8) / 2) * 0xC2B2AE3D27D4EB4Full;
        slot ^= word(name.size() - 8) * 0x165667B19E3779F9ull;
        // Fold and multiply once more so that every character reaches the top
        // bits, and place by those.
        slot = ((slot ^ (slot >> 32)) * 0x9E3779B97F4A7C15ull) >> 40;
    } else {
        for (char c : name) slot = slot * 131 + static_cast<unsigned char>(c);
    }
    RoleMemo& m = roleMemo[slot % roleMemo.size()];
    if (m.used && m.name == name) return m.id;
    m.name.assign(name);
    m.id = schema->RoleId(name);
    m.used = true;
    return m.id;
}

const std::string* Store::Attr(Idx i, int role) const {
    for (const AttrVal& a : rsc[i].attrs)
        if (a.role == role) return &a.value;
    return nullptr;
}

void Store::Stamp(Idx i, int role) { StampClass(rsc[i].cls, role); }

void Store::StampClass(int cls, int role) {
    static uint64_t last = 0;  // one sequence for every store, so no two changes share a stamp
    if (role < 0) return;
    Changed();
    stamps[static_cast<size_t>(cls) * static_cast<size_t>(schema->RoleCount()) + static_cast<size_t>(role)] = ++last;
}

void Store::Changed() {
    static uint64_t last = 0;
    revision = ++last;
}

void Store::SetAttr(Idx i, int role, std::string_view value) {
    Resource& r = rsc[i];  // one deque walk: indexing the deque is not free
    for (AttrVal& a : r.attrs) {
        if (a.role != role) continue;
        // The value it holds already: nothing changes, nothing to save.
        if (a.value == value) return;
        Modified(domains[r.domain]);
        StampClass(r.cls, role);
        a.value.assign(value);
        return;
    }
    Modified(domains[r.domain]);
    StampClass(r.cls, role);
    r.attrs.push_back({static_cast<uint16_t>(role), std::string(value)});
}

namespace {

// Removes the holes a list's removals left and forgets its gaps.
void Squeeze(Store& s, Idx owner, LinkList& l) {
    if (!l.gapped) return;
    auto it = s.gaps.find(Store::GapKey(owner, l.role));
    if (it != s.gaps.end()) {
        if (it->second.holes)
            l.targets.erase(std::remove(l.targets.begin(), l.targets.end(), kNone), l.targets.end());
        s.gaps.erase(it);
    }
    l.gapped = false;
}

// Forgets the gaps of a list that is emptied or goes with its resource.
void DropGaps(Store& s, Idx owner, LinkList& l) {
    if (!l.gapped) return;
    s.gaps.erase(Store::GapKey(owner, l.role));
    l.gapped = false;
}

// Lists at least this long remove through holes and positions; shorter
// ones simply close the gap.
constexpr size_t kLongList = 64;

// The position of x in a long list, SIZE_MAX when it is not there. The
// positions are (re)built when they miss: targets appended since they were
// built may not be in them.
size_t IndexedFind(LinkGaps& g, const std::vector<Idx>& v, Idx x) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!g.indexed || attempt == 1) {
            g.where.clear();
            g.where.reserve(v.size());
            for (size_t k = g.head; k < v.size(); ++k)
                if (v[k] != kNone) g.where[v[k]] = static_cast<uint32_t>(k);
            g.indexed = true;
        }
        auto it = g.where.find(x);
        if (it != g.where.end() && it->second < v.size() && v[it->second] == x) {
            const size_t at = it->second;
            g.where.erase(it);
            return at;
        }
    }
    return SIZE_MAX;
}

// Removes one x from the list of `owner`; false when it is not there.
bool EraseOne(Store& s, Idx owner, LinkList& l, Idx x) {
    std::vector<Idx>& v = l.targets;
    if (!l.gapped && v.size() < kLongList) {
        // Members are usually appended last, so search from the back.
        for (size_t k = v.size(); k-- > 0;) {
            if (v[k] == x) {
                v.erase(v.begin() + static_cast<std::ptrdiff_t>(k));
                return true;
            }
        }
        return false;
    }
    LinkGaps& g = s.gaps[Store::GapKey(owner, l.role)];
    l.gapped = true;
    const size_t at = IndexedFind(g, v, x);
    if (at == SIZE_MAX) return false;
    v[at] = kNone;
    ++g.holes;
    while (!v.empty() && v.back() == kNone) {
        v.pop_back();
        --g.holes;
    }
    if (g.holes == 0 || v.empty()) {
        g.head = 0;
        return true;
    }
    while (v[g.head] == kNone) ++g.head;
    if (g.holes > 16 && size_t{g.holes} * 2 > v.size()) Squeeze(s, owner, l);
    return true;
}

// Keeps the positions of a list (when it has them) up with an appended target.
void RememberLast(Store& s, Idx owner, int role, const std::vector<Idx>& targets) {
    auto it = s.gaps.find(Store::GapKey(owner, role));
    if (it != s.gaps.end() && it->second.indexed)
        it->second.where[targets.back()] = static_cast<uint32_t>(targets.size() - 1);
}

}  // namespace

const std::vector<Idx>* Store::Links(Idx i, int role) const {
    for (const LinkList& l : rsc[i].links) {
        if (l.role != role) continue;
        // The store itself is never const; only this view of it is.
        if (l.gapped) Squeeze(const_cast<Store&>(*this), i, const_cast<LinkList&>(l));
        return &l.targets;
    }
    return nullptr;
}

namespace {

// The list of r's targets along the role, added empty when r has none.
std::vector<Idx>& LinksOf(Resource& r, int role) {
    for (LinkList& l : r.links)
        if (l.role == role) return l.targets;
    LinkList& added = r.links.emplace_back();
    added.role = static_cast<uint16_t>(role);
    return added.targets;
}

}  // namespace

std::vector<Idx>& Store::LinksMut(Idx i, int role) { return LinksOf(rsc[i], role); }

bool Store::Link(Idx i, int role, Idx t) {
    int rev = schema->Role(role).reverse;
    // Look for an existing link in the shorter of the two ends.
    const std::vector<Idx>* a = Links(i, role);
    const std::vector<Idx>* b = Links(t, rev);
    if (a && b) {
        bool exists = a->size() <= b->size() ? std::find(a->begin(), a->end(), t) != a->end()
                                             : std::find(b->begin(), b->end(), i) != b->end();
        if (exists) return false;
    }
    // Each end's resource looked up once: indexing the deque is not free.
    Resource& from = rsc[i];
    Resource& to = rsc[t];
    std::vector<Idx>& forward = LinksOf(from, role);
    forward.push_back(t);
    if (!gaps.empty()) RememberLast(*this, i, role, forward);
    std::vector<Idx>& backward = LinksOf(to, rev);
    backward.push_back(i);
    if (!gaps.empty()) RememberLast(*this, t, rev, backward);
    if (schema->Role(role).written) Modified(domains[from.domain]);
    if (schema->Role(rev).written) Modified(domains[to.domain]);
    StampClass(from.cls, role);
    StampClass(to.cls, rev);
    return true;
}

bool Store::Unlink(Idx i, int role, Idx t) {
    int rev = schema->Role(role).reverse;
    bool found = false;
    for (LinkList& l : rsc[i].links)
        if (l.role == role) found = EraseOne(*this, i, l, t);
    if (!found) return false;
    for (LinkList& l : rsc[t].links)
        if (l.role == rev) EraseOne(*this, t, l, i);
    TouchEnd(i, role);
    TouchEnd(t, rev);
    Stamp(i, role);
    Stamp(t, rev);
    return true;
}

void Store::UnlinkAll(Idx i, int role) {
    int rev = schema->Role(role).reverse;
    std::vector<Idx> targets;
    for (LinkList& l : rsc[i].links) {
        if (l.role != role) continue;
        targets.swap(l.targets);
        DropGaps(*this, i, l);
    }
    for (Idx t : targets) {
        if (t == kNone) continue;
        if (t == i) {
            // a link to itself: its reverse end is in this same resource
            for (LinkList& l : rsc[i].links)
                if (l.role == rev) EraseOne(*this, i, l, i);
            TouchEnd(i, rev);
            continue;
        }
        for (LinkList& l : rsc[t].links)
            if (l.role == rev) EraseOne(*this, t, l, i);
        TouchEnd(t, rev);
        Stamp(t, rev);
    }
    if (!targets.empty()) {
        TouchEnd(i, role);
        Stamp(i, role);
    }
}

Idx Store::Create(std::string uri, int cls, int domain) {
    Idx i = static_cast<Idx>(rsc.size());
    rsc.emplace_back();
    Resource& r = rsc.back();
    r.uri = std::move(uri);
    if (!byUri.Insert(std::string_view(r.uri), i)) {
        rsc.pop_back();
        return kNone;
    }
    r.cls = static_cast<uint16_t>(cls);
    r.domain = static_cast<uint16_t>(domain);
    byClass[static_cast<size_t>(cls)].push_back(i);
    ++live;
    Domain& d = domains[static_cast<size_t>(domain)];
    Modified(d);
    d.firstRsc = std::min(d.firstRsc, i);
    d.lastRsc = std::max(d.lastRsc, i);
    return i;
}

void Store::Kill(Idx i) {
    Resource& r = rsc[i];
    if (!r.alive) return;
    Touch(i);
    std::vector<LinkList> links;
    links.swap(r.links);
    for (LinkList& l : links) {
        DropGaps(*this, i, l);
        int rev = schema->Role(l.role).reverse;
        if (!l.targets.empty()) Stamp(i, l.role);
        for (Idx t : l.targets) {
            if (t == i || t == kNone) continue;
            for (LinkList& tl : rsc[t].links)
                if (tl.role == rev) EraseOne(*this, t, tl, i);
            TouchEnd(t, rev);
            Stamp(t, rev);
        }
    }
    for (const AttrVal& a : r.attrs) Stamp(i, a.role);
    byUri.Erase(std::string_view(r.uri));
    r.alive = false;
    r.attrs.clear();
    r.attrs.shrink_to_fit();
    --live;
    // Drop dead slots from the class list once they are the larger part.
    std::vector<Idx>& members = byClass[r.cls];
    uint32_t& dead = deadInClass[r.cls];
    if (++dead > 64 && dead * 2 > members.size()) {
        members.erase(std::remove_if(members.begin(), members.end(), [&](Idx k) { return !rsc[k].alive; }),
                      members.end());
        dead = 0;
    }
}

std::string Store::NewLocalId(int domain, int cls) {
    Domain& d = domains[static_cast<size_t>(domain)];
    const std::string& cn = schema->Class(cls).name;
    size_t colon = cn.find(':');
    std::string stem = colon == std::string::npos ? cn : cn.substr(colon + 1);
    std::string uri;
    do {
        uri = d.name + stem + "_" + std::to_string(d.nextId++);
    } while (byUri.Find(uri) != kNone);
    return uri;
}

bool Store::DomainTypeName(const URI_Ref& type, std::string& name) const {
    Idx t = Find(type);
    if (t == kNone || ClassName(t) != kDomainTypeClass) return false;
    const std::string* n = Attr(t, schema->RoleId("cim:Naming.name"));
    name = n ? *n : std::string();
    return true;
}

int Store::AddDomain(const std::string& name, const std::string& typeName, const std::string& title, bool editable) {
    int id = static_cast<int>(domains.size());
    Domain d;
    d.name = name;
    d.typeName = typeName;
    d.title = title;
    d.editable = editable;
    Modified(d);
    domains.push_back(std::move(d));
    domainIds[name] = id;
    return id;
}

Idx UriIndex::Find(std::string_view key) const {
    if (m_slots.empty()) return kNone;
    uint32_t h = Hash(key);
    size_t mask = m_slots.size() - 1;
    for (size_t k = h & mask;; k = (k + 1) & mask) {
        const Slot& sl = m_slots[k];
        if (sl.idx == kNone) return kNone;
        if (sl.idx != kGone && sl.hash == h && m_rsc[sl.idx].uri == key) return sl.idx;
    }
}

bool UriIndex::Insert(std::string_view key, Idx idx) {
    if ((m_used + 1) * 2 > m_slots.size()) Grow(std::max<size_t>(64, (m_live + 1) * 4));
    uint32_t h = Hash(key);
    size_t mask = m_slots.size() - 1;
    size_t reuse = SIZE_MAX;
    for (size_t k = h & mask;; k = (k + 1) & mask) {
        Slot& sl = m_slots[k];
        if (sl.idx == kNone) {
            if (reuse == SIZE_MAX) {
                reuse = k;
                ++m_used;
            }
            m_slots[reuse] = {h, idx};
            ++m_live;
            return true;
        }
        if (sl.idx == kGone) {
            if (reuse == SIZE_MAX) reuse = k;
        } else if (sl.hash == h && m_rsc[sl.idx].uri == key) {
            return false;
        }
    }
}

void UriIndex::Erase(std::string_view key) {
    if (m_slots.empty()) return;
    uint32_t h = Hash(key);
    size_t mask = m_slots.size() - 1;
    for (size_t k = h & mask;; k = (k + 1) & mask) {
        Slot& sl = m_slots[k];
        if (sl.idx == kNone) return;
        if (sl.idx != kGone && sl.hash == h && m_rsc[sl.idx].uri == key) {
            sl.idx = kGone;
            --m_live;
            return;
        }
    }
}

void UriIndex::Reserve(size_t n) {
    if (n * 2 > m_slots.size()) Grow(n * 2);
}

void UriIndex::Grow(size_t want) {
    size_t cap = 64;
    while (cap < want) cap <<= 1;
    std::vector<Slot> old;
    old.swap(m_slots);
    m_slots.assign(cap, Slot{0, kNone});
    m_used = m_live;
    size_t mask = cap - 1;
    for (const Slot& sl : old) {
        if (sl.idx == kNone || sl.idx == kGone) continue;
        size_t k = sl.hash & mask;
        while (m_slots[k].idx != kNone) k = (k + 1) & mask;
        m_slots[k] = sl;
    }
}

uint32_t Store::NextMark() const {
    if (mark.size() < rsc.size()) mark.resize(rsc.size(), 0);
    if (++markGen == 0) {  // wrapped: forget every old mark
        std::fill(mark.begin(), mark.end(), 0);
        markGen = 1;
    }
    return markGen;
}

}  // namespace kiln::cim

using namespace kiln::cim;

// ---------------------------------------------------------------------------

CBase_CimDoc::CBase_CimDoc() : m_p(std::make_unique<Store>(CCimSchema::Shared())) {}

CBase_CimDoc::~CBase_CimDoc() { HoldFolder(-1); }

bool CBase_CimDoc::isOpened() const { return m_p->schema != nullptr; }

const CString& CBase_CimDoc::LastError() const { return m_error; }

const CCimSchema* CBase_CimDoc::Schema() const { return m_p->schema; }

void CBase_CimDoc::Clear() {
    auto fresh = std::make_unique<Store>(CCimSchema::Shared());
    fresh->prefix = m_p->prefix;
    fresh->drawerFolder = m_p->drawerFolder;
    m_p = std::move(fresh);
}

int CBase_CimDoc::ResourceCount() const { return static_cast<int>(m_p->live); }

uint64_t CBase_CimDoc::ChangeStamp(const CString& cls, const CString& role) const {
    return ChangeStampAt(ChangeStampSlot(cls, role));
}

uint64_t CBase_CimDoc::Revision() const { return m_p->revision; }

int CBase_CimDoc::ChangeStampSlot(const CString& cls, const CString& role) const {
    const Store& s = *m_p;
    if (!s.schema) return -1;
    const int c = s.schema->ClassId(cls.str());
    const int r = s.RoleId(role.str());
    if (c < 0 || r < 0) return -1;
    return c * s.schema->RoleCount() + r;
}

uint64_t CBase_CimDoc::ChangeStampAt(int slot) const {
    const Store& s = *m_p;
    return slot >= 0 && static_cast<size_t>(slot) < s.stamps.size() ? s.stamps[static_cast<size_t>(slot)] : 0;
}

void CBase_CimDoc::InjectFault(const CString& op, int skip) {
    m_faultOp = op;
    m_faultSkip = skip < 0 ? 0 : skip;
}

void CBase_CimDoc::ClearFault() {
    m_faultOp.Empty();
    m_faultSkip = -1;
}

bool CBase_CimDoc::Fault(const char* op) const {
    if (m_faultSkip < 0) return false;
    if (!m_faultOp.IsEmpty() && m_faultOp != op) return false;
    if (m_faultSkip > 0) {
        --m_faultSkip;
        return false;
    }
    m_faultSkip = -1;
    m_error = CString("注入的故障：") + op;
    return true;
}

bool CBase_CimDoc::Fail(const CString& text) const {
    m_error = text;
    return false;
}

bool CBase_CimDoc::RefuseWrite(int domain) const {
    Fail("域不可编辑：" + CString(m_p->domains[static_cast<size_t>(domain)].name));
    if (m_refusedWrite.IsEmpty()) m_refusedWrite = m_error;
    return false;
}

CString CBase_CimDoc::TakeWriteRefusal() {
    CString refused;
    std::swap(refused, m_refusedWrite);
    return refused;
}

void CBase_CimDoc::NoteUnwrittenFile(const CString& reason) {
    if (m_unwrittenFile.IsEmpty()) m_unwrittenFile = reason;
}

CString CBase_CimDoc::TakeUnwrittenFile() {
    CString reason;
    std::swap(reason, m_unwrittenFile);
    return reason;
}

namespace {

// True when the domain takes no writes: read-only (the environment has
// refusals of its own).
bool ReadOnly(const Store& s, int d) {
    const Domain& dom = s.domains[static_cast<size_t>(d)];
    return !dom.editable && !dom.env;
}

// The read-only domain whose file a change of i's links along `role` (to or
// from the targets) would change: i's when files carry that end, a
// target's when they carry the reverse end; -1 when there is none.
int ReadOnlyLinkEnd(const Store& s, Idx i, int role, const std::vector<Idx>& targets, Idx extra = kNone) {
    const RoleInfo& ri = s.schema->Role(role);
    if (ri.written && ReadOnly(s, s.R(i).domain)) return s.R(i).domain;
    if (!s.schema->Role(ri.reverse).written) return -1;
    if (extra != kNone && ReadOnly(s, s.R(extra).domain)) return s.R(extra).domain;
    for (Idx t : targets)
        if (t != kNone && ReadOnly(s, s.R(t).domain)) return s.R(t).domain;
    return -1;
}

// The targets of i along the role (empty when none).
const std::vector<Idx>& TargetsOf(const Store& s, Idx i, int role) {
    static const std::vector<Idx> kEmpty;
    const std::vector<Idx>* l = s.Links(i, role);
    return l ? *l : kEmpty;
}

}  // namespace

bool CBase_CimDoc::Usable(const char* op) const {
    if (!m_p->schema) return Fail("文档模式未加载");
    return !op || !Fault(op);
}

// ---- resources -------------------------------------------------------------

URI_Ref CBase_CimDoc::Find(const CString& uri) const {
    if (!m_p->schema) return URI_Ref();
    Idx i = m_p->Find(uri.str());
    return i == kNone ? URI_Ref() : m_p->Handle(i);
}

bool CBase_CimDoc::Exists(const URI_Ref& rsc) const { return m_p->Find(rsc) != kNone; }

bool CBase_CimDoc::CreateResource(const CString& domain, const CString& cls, URI_Ref& out, const CString& name) {
    Store& s = *m_p;
    if (!Usable("create")) return false;
    int d = s.LiveDomain(domain.str());
    if (d < 0) return Fail("域不存在：" + domain);
    if (s.domains[static_cast<size_t>(d)].env) return Fail("不能在文档环境中创建对象");
    if (ReadOnly(s, d)) return RefuseWrite(d);
    int c = s.schema->ClassId(cls.str());
    if (c < 0) return Fail("未知的类：" + cls);
    if (s.schema->Class(c).isAbstract) return Fail("抽象类不能创建对象：" + cls);
    if (kiln::xml::FirstBadXmlChar(name.str()) != std::string::npos) return Fail("名称含有XML不允许的字符：" + cls);
    Idx i = s.Create(s.NewLocalId(d, c), c, d);
    if (!name.IsEmpty()) s.SetAttr(i, s.nameRole, name.str());
    out = s.Handle(i);
    return true;
}

bool CBase_CimDoc::DeleteResource(const URI_Ref& rsc) {
    Store& s = *m_p;
    if (!Usable("delete")) return false;
    Idx i = s.Find(rsc);
    if (i == kNone) return Fail("对象不存在：" + CString(rsc.sUri));
    if (s.domains[s.R(i).domain].env) return Fail("不能删除文档环境中的对象");
    if (ReadOnly(s, s.R(i).domain)) return RefuseWrite(s.R(i).domain);
    // Its links go too: a linked resource whose file names it must take writes.
    for (const LinkList& l : s.R(i).links) {
        const int d = ReadOnlyLinkEnd(s, i, l.role, l.targets);
        if (d >= 0 && d != s.R(i).domain) return RefuseWrite(d);
    }
    s.Kill(i);
    return true;
}

// ---- attributes ------------------------------------------------------------

bool CBase_CimDoc::GetAttribute(const URI_Ref& rsc, const CString& role, CString& value) const {
    const Store& s = *m_p;
    if (!Usable("query")) return false;
    Idx i = s.Find(rsc);
    if (i == kNone) return Fail("对象不存在：" + CString(rsc.sUri));
    const Resource& res = s.R(i);
    const int r = s.RoleOf(res.cls, role.str());
    for (const AttrVal& a : res.attrs) {
        if (a.role == r) {
            value.str().assign(a.value);  // reuses the value's storage
            return true;
        }
    }
    value.Empty();
    return true;
}

bool CBase_CimDoc::HoldsAttribute(const URI_Ref& rsc, const CString& role) const {
    const Store& s = *m_p;
    if (!Usable("query")) return false;
    const Idx i = s.Find(rsc);
    if (i == kNone) return false;
    const int r = s.RoleOf(s.R(i).cls, role.str());
    return r >= 0 && s.Attr(i, r) != nullptr;
}

bool CBase_CimDoc::SetAttribute(const URI_Ref& rsc, const CString& role, const CString& value) {
    Store& s = *m_p;
    if (!Usable("modify")) return false;
    Idx i = s.Find(rsc);
    if (i == kNone) return Fail("对象不存在：" + CString(rsc.sUri));
    const Resource& res = s.R(i);  // one deque walk for the checks below
    int r = s.RoleOf(res.cls, role.str());
    if (r < 0 || s.schema->Role(r).kind != RoleKind::Attribute)
        return Fail("类" + CString(s.ClassName(i)) + "没有属性" + role);
    if (s.domains[res.domain].env) return Fail("不能修改文档环境中的对象");
    if (ReadOnly(s, res.domain)) return RefuseWrite(res.domain);
    // A value the document could not write is refused here, not at the save.
    if (kiln::xml::FirstBadXmlChar(value.str()) != std::string::npos)
        return Fail("对象" + CString(rsc.sUri) + "的属性" + role + "的值含有XML不允许的字符或不是UTF-8文本");
    s.SetAttr(i, r, value.str());
    return true;
}

bool CBase_CimDoc::CopyAttributes(const URI_Ref& src, const URI_Ref& dst, const CStringArray& except) {
    Store& s = *m_p;
    if (!Usable("copy")) return false;
    Idx a = s.Find(src), b = s.Find(dst);
    if (a == kNone || b == kNone) return Fail("对象不存在");
    if (ReadOnly(s, s.R(b).domain)) return RefuseWrite(s.R(b).domain);
    const CCimSchema& sc = *s.schema;
    int ordRole = sc.RoleId("e301:OrdNaming.ord");
    auto excluded = [&](int role) {
        if (role == ordRole) return true;
        const RoleInfo& ri = sc.Role(role);
        for (const CString& e : except) {
            if (e.str() == ri.name || e.str() == ri.shortName || sc.RoleId(e.str()) == role) return true;
        }
        return false;
    };
    std::vector<AttrVal> copy = s.R(a).attrs;  // a and b may be the same resource
    for (const AttrVal& v : copy) {
        if (excluded(v.role) || !sc.RoleApplies(v.role, s.R(b).cls)) continue;
        s.SetAttr(b, v.role, v.value);
    }
    return true;
}

// ---- links -------------------------------------------------------------------

namespace {

// Why `i` cannot hold links of `role`, or "" when it can.
CString RoleRefusal(const Store& s, Idx i, int role, const CString& roleName) {
    if (i == kNone) return "对象不存在";
    if (role < 0 || s.schema->Role(role).kind != RoleKind::Association)
        return "类" + CString(s.ClassName(i)) + "没有关联" + roleName;
    return CString();
}

// Why the link from `i` to `t` cannot be made, or "" when it can.
CString LinkRefusal(const Store& s, Idx i, int role, Idx t, const CString& roleName) {
    CString why = RoleRefusal(s, i, role, roleName);
    if (!why.IsEmpty()) return why;
    if (t == kNone) return "关联目标不存在";
    if (!s.schema->IsA(s.R(t).cls, s.schema->Role(role).target))
        return "关联" + roleName + "不接受类" + CString(s.ClassName(t)) + "的目标";
    return CString();
}

}  // namespace

bool CBase_CimDoc::AddLink(const URI_Ref& rsc, const CString& role, const URI_Ref& target) {
    Store& s = *m_p;
    if (!Usable("add")) return false;
    Idx i = s.Find(rsc), t = s.Find(target);
    int r = i == kNone ? -1 : s.RoleOf(s.R(i).cls, role.str());
    CString why = LinkRefusal(s, i, r, t, role);
    if (!why.IsEmpty()) return Fail(why);
    if (const int d = ReadOnlyLinkEnd(s, i, r, {}, t); d >= 0) return RefuseWrite(d);
    s.Link(i, r, t);  // an existing link is kept as it is
    return true;
}

bool CBase_CimDoc::DelLink(const URI_Ref& rsc, const CString& role, const URI_Ref& target) {
    Store& s = *m_p;
    if (!Usable("del")) return false;
    Idx i = s.Find(rsc), t = s.Find(target);
    if (i == kNone || t == kNone) return Fail("对象不存在");
    int r = s.RoleOf(s.R(i).cls, role.str());
    if (r < 0) return Fail("没有这条关联：" + role);
    if (const int d = ReadOnlyLinkEnd(s, i, r, {}, t); d >= 0) return RefuseWrite(d);
    if (!s.Unlink(i, r, t)) return Fail("没有这条关联：" + role);
    return true;
}

bool CBase_CimDoc::ClearLinks(const URI_Ref& rsc, const CString& role) {
    Store& s = *m_p;
    if (!Usable("clear")) return false;
    Idx i = s.Find(rsc);
    if (i == kNone) return Fail("对象不存在：" + CString(rsc.sUri));
    int r = s.RoleOf(s.R(i).cls, role.str());
    if (r < 0 || s.schema->Role(r).kind != RoleKind::Association) return true;  // no such role, no links
    if (TargetsOf(s, i, r).empty()) return true;
    if (const int d = ReadOnlyLinkEnd(s, i, r, TargetsOf(s, i, r)); d >= 0) return RefuseWrite(d);
    s.UnlinkAll(i, r);
    return true;
}

bool CBase_CimDoc::UpdateLink(const URI_Ref& rsc, const CString& role, const URI_Ref& target) {
    Store& s = *m_p;
    if (!Usable("update")) return false;
    Idx i = s.Find(rsc), t = s.Find(target);
    int r = i == kNone ? -1 : s.RoleOf(s.R(i).cls, role.str());
    // An empty target only clears the role.
    bool clear = target.sUri.empty();
    CString why = clear ? RoleRefusal(s, i, r, role) : LinkRefusal(s, i, r, t, role);
    if (!why.IsEmpty()) return Fail(why);
    if (const int d = ReadOnlyLinkEnd(s, i, r, TargetsOf(s, i, r), clear ? kNone : t); d >= 0) return RefuseWrite(d);
    s.UnlinkAll(i, r);
    if (!clear) s.Link(i, r, t);
    return true;
}

// ---- schema ------------------------------------------------------------------

CString CBase_CimDoc::ReverseRole(const CString& role) const {
    if (!m_p->schema) return CString();
    int r = m_p->schema->RoleId(role.str());
    if (r < 0 || m_p->schema->Role(r).kind != RoleKind::Association) return CString();
    return CString(m_p->schema->Role(m_p->schema->Role(r).reverse).name);
}

bool CBase_CimDoc::GetClassDfn(const CString& cls, CClassDfn& out) const {
    if (!Usable(nullptr)) return false;
    return m_p->schema->FillClassDfn(m_p->schema->ClassId(cls.str()), out) || Fail("未知的类：" + cls);
}

bool CBase_CimDoc::GetAttrDfn(const CString& cls, const CString& role, Struct_AttrDfn& out) const {
    if (!Usable(nullptr)) return false;
    const CCimSchema& sc = *m_p->schema;
    int r = sc.RoleOf(sc.ClassId(cls.str()), role.str());
    if (r < 0 || sc.Role(r).kind != RoleKind::Attribute) return Fail("类" + cls + "没有属性" + role);
    sc.FillAttrDfn(r, out);
    return true;
}

bool CBase_CimDoc::GetAssoDfn(const CString& cls, const CString& role, Struct_AssoDfn& out) const {
    if (!Usable(nullptr)) return false;
    const CCimSchema& sc = *m_p->schema;
    int r = sc.RoleOf(sc.ClassId(cls.str()), role.str());
    if (r < 0 || sc.Role(r).kind != RoleKind::Association) return Fail("类" + cls + "没有关联" + role);
    sc.FillAssoDfn(r, out);
    return true;
}

bool CBase_CimDoc::GetEnumDfn(const CString& name, CEnumClassDfn& out) const {
    if (!Usable(nullptr)) return false;
    const CCimSchema& sc = *m_p->schema;
    int e = sc.EnumId(name.str());
    if (e < 0) return Fail("未知的枚举：" + name);
    sc.FillEnumDfn(e, out);
    return true;
}
