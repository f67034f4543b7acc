#include "platform/framework/cim_schema.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>

#include <pugixml.hpp>

#include "platform/mfc/file_io.h"

#ifndef KILN_SCHEMA_DEFAULT
#define KILN_SCHEMA_DEFAULT ""
#endif

namespace kiln::cim {

namespace {

std::string ShortName(const std::string& role) {
    size_t dot = role.rfind('.');
    return dot == std::string::npos ? role : role.substr(dot + 1);
}

int ParseMax(const char* text) {
    std::string s = text ? text : "";
    if (s.empty() || s == "n") return kUnbounded;
    int v = std::atoi(s.c_str());
    return v <= 0 ? kUnbounded : v;
}

bool FileExists(const std::string& path) {
    std::ifstream f(path);
    return f.good();
}

// The folder of the running program, from /proc (empty when unknown).
std::string ProgramDir() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n <= 0) return {};
    std::string p(buf, static_cast<size_t>(n));
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? std::string() : p.substr(0, slash);
}

std::mutex g_mutex;
std::string g_override;
std::string g_loadError;
std::unique_ptr<CCimSchema> g_shared;
std::vector<std::unique_ptr<CCimSchema>> g_retired;
bool g_tried = false;

}  // namespace

bool CCimSchema::LoadFile(const std::string& path, std::string& error) {
    std::string text;
    if (!kiln::file::ReadFile(path, text)) {
        error = "cannot read the schema file " + path;
        return false;
    }
    if (!LoadText(text, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool CCimSchema::LoadText(std::string_view xml, std::string& error) {
    *this = CCimSchema();
    pugi::xml_document doc;
    pugi::xml_parse_result pr = doc.load_buffer(xml.data(), xml.size());
    if (!pr) {
        error = std::string("malformed schema: ") + pr.description();
        return false;
    }
    pugi::xml_node root = doc.child("Schema");
    if (!root) {
        error = "no Schema element";
        return false;
    }

    auto addRole = [&](RoleInfo r) -> int {
        int id = static_cast<int>(m_roles.size());
        if (!r.name.empty()) {
            if (!m_roleIds.emplace(r.name, id).second) {
                error = "role declared twice: " + r.name;
                return -1;
            }
        }
        m_classes[static_cast<size_t>(r.owner)].roles.push_back(id);
        m_roles.push_back(std::move(r));
        return id;
    };

    // Classes first (bases may be declared later in the file).
    for (pugi::xml_node c : root.children("Class")) {
        ClassInfo ci;
        ci.name = c.attribute("name").value();
        ci.display = c.attribute("display").value();
        ci.isAbstract = c.attribute("abstract").as_bool();
        if (ci.name.empty() || !m_classIds.emplace(ci.name, static_cast<int>(m_classes.size())).second) {
            error = "class without a name or declared twice: " + ci.name;
            return false;
        }
        m_classes.push_back(std::move(ci));
    }
    size_t i = 0;
    for (pugi::xml_node c : root.children("Class")) {
        std::string base = c.attribute("base").value();
        if (!base.empty()) {
            int b = ClassId(base);
            if (b < 0) {
                error = "unknown base " + base + " of " + m_classes[i].name;
                return false;
            }
            m_classes[i].base = b;
        }
        for (pugi::xml_node a : c.children("Attribute")) {
            RoleInfo r;
            r.name = a.attribute("role").value();
            r.shortName = ShortName(r.name);
            r.display = a.attribute("display") ? a.attribute("display").value() : r.shortName;
            r.owner = static_cast<int>(i);
            r.kind = RoleKind::Attribute;
            r.valueType = a.attribute("type").value();
            r.enumName = a.attribute("enum").value();
            if (r.name.empty() || addRole(std::move(r)) < 0) {
                if (error.empty()) error = "attribute without a role in " + m_classes[i].name;
                return false;
            }
        }
        ++i;
    }
    // Inheritance table; a cycle would make the walk below endless.
    const size_t n = m_classes.size();
    m_isA.assign(n, std::vector<bool>(n, false));
    for (size_t c = 0; c < n; ++c) {
        int k = static_cast<int>(c);
        size_t steps = 0;
        while (k >= 0) {
            if (++steps > n) {
                error = "cycle in the bases of " + m_classes[c].name;
                return false;
            }
            m_isA[c][static_cast<size_t>(k)] = true;
            k = m_classes[static_cast<size_t>(k)].base;
        }
    }

    for (pugi::xml_node a : root.children("Association")) {
        std::string role = a.attribute("role").value();
        int from = ClassId(a.attribute("from").value());
        int to = ClassId(a.attribute("to").value());
        if (role.empty() || from < 0 || to < 0) {
            error = "association " + role + " names an unknown class";
            return false;
        }
        RoleInfo fwd;
        fwd.name = role;
        fwd.shortName = ShortName(role);
        fwd.display = fwd.shortName;
        fwd.owner = from;
        fwd.kind = RoleKind::Association;
        fwd.target = to;
        fwd.maxMult = ParseMax(a.attribute("max").value());
        fwd.written = true;
        RoleInfo rev;
        rev.name = a.attribute("reverse").value();
        rev.shortName = ShortName(rev.name);
        rev.display = rev.shortName;
        rev.owner = to;
        rev.kind = RoleKind::Association;
        rev.target = from;
        rev.maxMult = ParseMax(a.attribute("reverseMax").value());
        int f = addRole(std::move(fwd));
        if (f < 0) return false;
        int r = addRole(std::move(rev));
        if (r < 0) return false;
        m_roles[static_cast<size_t>(f)].reverse = r;
        m_roles[static_cast<size_t>(r)].reverse = f;
    }
    for (pugi::xml_node a : root.children("Alias")) {
        std::string alias = a.attribute("role").value();
        int of = RoleId(a.attribute("of").value());
        if (alias.empty() || of < 0 || !m_roleIds.emplace(alias, of).second) {
            error = "bad alias " + alias;
            return false;
        }
    }
    for (pugi::xml_node e : root.children("Enumeration")) {
        EnumInfo ei;
        ei.name = e.attribute("name").value();
        ei.display = e.attribute("display").value();
        for (pugi::xml_node v : e.children("Value"))
            ei.values.push_back({v.attribute("name").value(), v.attribute("description").value()});
        if (ei.name.empty() || !m_enumIds.emplace(ei.name, static_cast<int>(m_enums.size())).second) {
            error = "enumeration without a name or declared twice: " + ei.name;
            return false;
        }
        m_enums.push_back(std::move(ei));
    }
    for (const RoleInfo& r : m_roles) {
        if (!r.enumName.empty() && EnumId(r.enumName) < 0) {
            error = "role " + r.name + " names an unknown enumeration " + r.enumName;
            return false;
        }
    }
    return true;
}

// Where the schema is looked for; the caller holds g_mutex.
static std::string PathLocked() {
    if (!g_override.empty()) return g_override;
    if (const char* env = std::getenv("KILN_SCHEMA_FILE"); env && *env) return env;
    std::string dir = ProgramDir();
    if (!dir.empty()) {
        std::string installed = dir + "/../share/kiln/cim_schema.xml";
        if (FileExists(installed)) return installed;
    }
    return KILN_SCHEMA_DEFAULT;
}

const CCimSchema* CCimSchema::Shared() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_tried) {
        g_tried = true;
        auto s = std::make_unique<CCimSchema>();
        if (s->LoadFile(PathLocked(), g_loadError)) g_shared = std::move(s);
    }
    return g_shared.get();
}

const std::string& CCimSchema::LoadError() { return g_loadError; }

std::string CCimSchema::SchemaPath() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return PathLocked();
}

void CCimSchema::SetSchemaPath(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_override = path;
    g_tried = false;
    // Documents made before keep pointing at the schema they were made with.
    if (g_shared) g_retired.push_back(std::move(g_shared));
    g_loadError.clear();
}

int CCimSchema::ClassId(std::string_view name) const {
    auto it = m_classIds.find(name);
    return it == m_classIds.end() ? -1 : it->second;
}

int CCimSchema::RoleId(std::string_view name) const {
    auto it = m_roleIds.find(name);
    return it == m_roleIds.end() ? -1 : it->second;
}

int CCimSchema::EnumId(std::string_view name) const {
    auto it = m_enumIds.find(name);
    return it == m_enumIds.end() ? -1 : it->second;
}

bool CCimSchema::IsA(int cls, int ancestor) const {
    if (cls < 0 || ancestor < 0 || cls >= ClassCount() || ancestor >= ClassCount()) return false;
    return m_isA[static_cast<size_t>(cls)][static_cast<size_t>(ancestor)];
}

bool CCimSchema::RoleApplies(int role, int cls) const {
    if (role < 0 || role >= RoleCount()) return false;
    return IsA(cls, m_roles[static_cast<size_t>(role)].owner);
}

int CCimSchema::RoleOf(int cls, std::string_view name) const {
    int r = RoleId(name);
    return RoleApplies(r, cls) ? r : -1;
}

void CCimSchema::FillAttrDfn(int role, Struct_AttrDfn& out) const {
    const RoleInfo& r = Role(role);
    out = Struct_AttrDfn();
    out.sText1 = r.name;
    out.sText2 = Class(r.owner).name;
    out.sText3 = r.display;
    out.sText6 = r.valueType;
    out.sText7 = r.enumName;
}

void CCimSchema::FillAssoDfn(int role, Struct_AssoDfn& out) const {
    const RoleInfo& r = Role(role);
    out = Struct_AssoDfn();
    out.sText1 = r.name;
    out.sText2 = Class(r.owner).name;
    out.sText3 = Class(r.target).name;
    out.sText4 = Role(r.reverse).name;
    out.sText5 = r.display;
    out.nMaxMultiplicity = r.maxMult;
}

bool CCimSchema::FillClassDfn(int cls, CClassDfn& out) const {
    if (cls < 0 || cls >= ClassCount()) return false;
    out = CClassDfn();
    const ClassInfo& c = Class(cls);
    out.sText1 = c.name;
    out.sText2 = c.base >= 0 ? Class(c.base).name : std::string();
    size_t colon = c.name.find(':');
    out.sText3 = colon == std::string::npos ? c.name : c.name.substr(colon + 1);
    out.sText5 = c.display;
    // Roles from the root class down, so inherited roles come first.
    std::vector<int> chain;
    for (int k = cls; k >= 0; k = Class(k).base) chain.insert(chain.begin(), k);
    for (int k : chain) {
        for (int r : Class(k).roles) {
            const RoleInfo& ri = Role(r);
            if (ri.name.empty()) continue;  // hidden reverse ends
            if (ri.kind == RoleKind::Attribute) {
                out.vAttrs.emplace_back();
                FillAttrDfn(r, out.vAttrs.back());
            } else {
                out.vAssos.emplace_back();
                FillAssoDfn(r, out.vAssos.back());
            }
        }
    }
    return true;
}

void CCimSchema::FillEnumDfn(int en, CEnumClassDfn& out) const {
    const EnumInfo& e = Enum(en);
    out = CEnumClassDfn();
    out.sText1 = e.name;
    out.sText2 = e.display;
    out.uRef = URI_Ref(std::string(kModelNamespace) + "#" + e.name, "cim:Enumeration");
    for (const EnumValueInfo& v : e.values) {
        Struct_EnumValDfn d;
        d.sText1 = std::string(kModelNamespace) + "#" + e.name + "." + v.name;
        d.sText2 = v.name;
        d.sText4 = v.desc;
        out.vValues.push_back(std::move(d));
    }
}

}  // namespace kiln::cim
