// The document schema: classes with their bases, attribute and association
// roles, enumerations. Loaded from a data file (schema/cim_schema.xml).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/framework/records.h"
#include "platform/mfc/cstring.h"

namespace kiln::cim {

// The model namespace of enumeration values: namespace + "#" + enum + "." + value.
inline constexpr const char* kModelNamespace = "http://kiln.local/Zel/2006/CIM-Sec";
// The maximum multiplicity stored for an unbounded role.
inline constexpr int kUnbounded = 1000;

struct ClassInfo {
    std::string name;         // "sec:LNodeType"
    int base = -1;            // class id of the base, -1 for a root
    std::string display;      // display name (Chinese noun)
    bool isAbstract = false;
    std::vector<int> roles;   // roles declared on this class (not inherited)
};

enum class RoleKind : uint8_t { Attribute, Association };

struct RoleInfo {
    std::string name;         // "sec:DO.LNodeType"; empty for a hidden reverse end
    std::string shortName;    // the text after the last "."
    int owner = -1;           // declaring class
    RoleKind kind = RoleKind::Attribute;
    std::string display;
    // attributes
    std::string valueType;    // "cim:String", "cim:Boolean", "cim:Integer", "sec:FCType"...
    std::string enumName;     // enumeration of an enumerated attribute
    // associations
    int target = -1;          // class admitted as target (and its subclasses)
    int reverse = -1;         // the role of the other end (always set; may be hidden)
    int maxMult = kUnbounded;
    bool written = false;     // the end that files carry (the child / forward side)
};

struct EnumValueInfo {
    std::string name;
    std::string desc;
};

struct EnumInfo {
    std::string name;
    std::string display;
    std::vector<EnumValueInfo> values;
};

// Heterogeneous lookup by string_view without building a std::string.
struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>()(s); }
};
using NameMap = std::unordered_map<std::string, int, NameHash, std::equal_to<>>;

class CCimSchema {
public:
    // Loads the schema file; false with the reason in `error` when it cannot be read or is inconsistent.
    bool LoadFile(const std::string& path, std::string& error);
    bool LoadText(std::string_view xml, std::string& error);

    // The schema the documents use, loaded once from SchemaPath(); null when it
    // cannot be loaded (the reason in LoadError()).
    static const CCimSchema* Shared();
    static const std::string& LoadError();
    // Where the schema file is looked for: the override set here, else the
    // environment variable KILN_SCHEMA_FILE, else the installed copy
    // (<program>/../share/kiln/cim_schema.xml), else the source tree's copy.
    static std::string SchemaPath();
    static void SetSchemaPath(const std::string& path);

    int ClassId(std::string_view name) const;
    int RoleId(std::string_view name) const;  // aliases resolve to their role
    int EnumId(std::string_view name) const;
    const ClassInfo& Class(int id) const { return m_classes[static_cast<size_t>(id)]; }
    const RoleInfo& Role(int id) const { return m_roles[static_cast<size_t>(id)]; }
    const EnumInfo& Enum(int id) const { return m_enums[static_cast<size_t>(id)]; }
    int ClassCount() const { return static_cast<int>(m_classes.size()); }
    int RoleCount() const { return static_cast<int>(m_roles.size()); }
    int EnumCount() const { return static_cast<int>(m_enums.size()); }

    // True when `cls` is `ancestor` or derives from it.
    bool IsA(int cls, int ancestor) const;
    // True when the role is declared on the class or one of its bases.
    bool RoleApplies(int role, int cls) const;
    // The role id when `name` is known and applies to the class, else -1.
    int RoleOf(int cls, std::string_view name) const;

    // Fill the framework's schema records; false when the schema has none.
    bool FillClassDfn(int cls, CClassDfn& out) const;
    void FillAttrDfn(int role, Struct_AttrDfn& out) const;
    void FillAssoDfn(int role, Struct_AssoDfn& out) const;
    void FillEnumDfn(int en, CEnumClassDfn& out) const;

private:
    std::vector<ClassInfo> m_classes;
    std::vector<RoleInfo> m_roles;
    std::vector<EnumInfo> m_enums;
    NameMap m_classIds, m_roleIds, m_enumIds;
    std::vector<std::vector<bool>> m_isA;  // [cls][ancestor]
};

}  // namespace kiln::cim
