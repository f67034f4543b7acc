#include "tools/nsd2cim/package_builder.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/nsd2cim/std_vocabulary.h"

namespace kiln::nsd2cim {
namespace {

constexpr const char* kPackageId = "StdTypePackage";

// Local ids from names: characters outside [A-Za-z0-9_.-] become "_", and a
// repeated id gets "_2", "_3"... so that ids stay unique and readable.
class IdAllocator {
public:
    std::string Make(const std::string& wanted) {
        std::string base;
        for (char c : wanted) {
            const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                              (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '-';
            base += keep ? c : '_';
        }
        std::string id = base;
        for (int n = 2; !used_.insert(id).second; ++n) id = base + "_" + std::to_string(n);
        return id;
    }

private:
    std::set<std::string> used_;
};

// A data attribute of a CDC after its variants (SP, SG, SE) were folded into
// one: the functional constraints of the variants become its alternatives.
struct MergedAttribute {
    NsdAttribute attr;
    std::vector<std::string> fcs;
};

bool SameValueType(const NsdAttribute& a, const NsdAttribute& b) {
    return a.name == b.name && a.typeKind == b.typeKind && a.type == b.type;
}

class Builder {
public:
    explicit Builder(const NsdSet& nsd)
        : nsd_(nsd),
          basicTypes_(nsd.basicTypes.begin(), nsd.basicTypes.end()),
          fcs_(nsd.functionalConstraints.begin(), nsd.functionalConstraints.end()) {}

    bool Build(CimDomain& out, std::string& error) {
        BuildEnumerations();
        BuildConstructed();
        BuildCdcs();
        BuildLnClasses();
        if (!problems_.empty()) {
            error.clear();
            for (const std::string& p : problems_) error += p + "\n";
            return false;
        }
        out.comment = CopyrightComment(nsd_);
        out.resources.clear();
        out.resources.push_back(Package());
        for (auto* group : {&lnGroup_, &doGroup_, &daGroup_, &enumGroup_, &doSemGroup_, &daSemGroup_})
            out.resources.insert(out.resources.end(), group->begin(), group->end());
        return true;
    }

private:
    void Problem(std::string text) { problems_.push_back(std::move(text)); }

    CimResource Package() const {
        CimResource p{"sec:TypePackage", kPackageId, {}, {}};
        p.Attr("cim:Naming.name", kStdPackageName);
        std::string desc;
        for (const NsdFileInfo& f : nsd_.files)
            desc += (desc.empty() ? "" : ", ") + f.id + ":" + f.edition;
        p.Attr("cim:Naming.description", desc);
        p.Attr("sec:TypePackage.ref", kStdPackageRef);
        p.Attr("sec:TypePackage.isInstType", "false");
        return p;
    }

    // A type of the package: name, order, no instance type, its package link.
    static CimResource Type(const char* cls, const std::string& id, const std::string& name,
                            int ord, bool hasInstFlag) {
        CimResource t{cls, id, {}, {}};
        t.Attr("cim:Naming.name", name);
        t.Attr("e301:OrdNaming.ord", std::to_string(ord));
        if (hasInstFlag) t.Attr(std::string(cls) + ".isInstType", "false");
        t.Link(std::string(cls) + ".TypePackage", kPackageId);
        return t;
    }

    static CimResource Member(const char* cls, const std::string& id, const std::string& name,
                              int ord) {
        CimResource m{cls, id, {}, {}};
        m.Attr("cim:Naming.name", name);
        m.Attr("e301:OrdNaming.ord", std::to_string(ord));
        return m;
    }

    std::string Semantic(const char* cls, const char* prefix, std::map<std::string, std::string>& ids,
                         std::vector<CimResource>& group, const std::string& name) {
        auto it = ids.find(name);
        if (it != ids.end()) return it->second;
        const std::string id = ids_.Make(prefix + name);
        ids.emplace(name, id);
        CimResource s = Member(cls, id, name, static_cast<int>(group.size()) + 1);
        s.Link(std::string(cls) + ".TypePackage", kPackageId);
        group.push_back(std::move(s));
        return id;
    }
    std::string DoSemantic(const std::string& name) {
        return Semantic("sec:DOSemantic", "DOS_", doSemIds_, doSemGroup_, name);
    }
    std::string DaSemantic(const std::string& name) {
        return Semantic("sec:DASemantic", "DAS_", daSemIds_, daSemGroup_, name);
    }

    // Basic type of a DA or BDA and its link to a DA class or enumeration.
    void SetValueType(CimResource& r, const NsdAttribute& a, const std::string& where) {
        const std::string bType = "PreBasicTypeEnum";
        if (a.typeKind == "BASIC") {
            if (!basicTypes_.count(a.type)) Problem(where + ": unknown basic type \"" + a.type + "\"");
            r.Attr("sec:BDA.bType", EnumValue(bType, a.type));
        } else if (a.typeKind == "CONSTRUCTED") {
            r.Attr("sec:BDA.bType", EnumValue(bType, "Struct"));
            auto it = daTypeIds_.find(a.type);
            if (it == daTypeIds_.end())
                Problem(where + ": unknown constructed attribute class \"" + a.type + "\"");
            else
                r.Link("sec:BDA.DefinedBy_Struct", it->second);
        } else if (a.typeKind == "ENUMERATED") {
            r.Attr("sec:BDA.bType", EnumValue(bType, "Enum"));
            if (a.type.empty()) return;  // the enumeration is chosen per data object
            auto it = enumIds_.find(a.type);
            if (it == enumIds_.end())
                Problem(where + ": unknown enumeration \"" + a.type + "\"");
            else
                r.Link("sec:BDA.DefinedBy_EnumType", it->second);
        } else if (a.typeKind == "SCSM" || a.typeKind == "undefined") {
            // Left open by the definitions: the value types chosen for them.
            const std::string type = a.typeKind == "SCSM" ? kScsmBasicType : kOpenBasicType;
            if (!basicTypes_.count(type)) Problem(where + ": unknown basic type \"" + type + "\"");
            r.Attr("sec:BDA.bType", EnumValue(bType, type));
        } else {
            Problem(where + ": unknown type kind \"" + a.typeKind + "\"");
        }
    }

    // What a DA and a BDA share: the value type, array size, default value and
    // name semantic.
    void SetValue(CimResource& r, const NsdAttribute& a, const std::string& where) {
        SetValueType(r, a, where);
        if (!a.sizeAttribute.empty()) r.Attr("sec:BDA.count", a.sizeAttribute);
        const std::string value = DefaultValue(a);
        if (!value.empty()) r.Attr("sec:BDA.valueStr", value);
        r.Link("sec:BDA.DASemantic", DaSemantic(a.name));
    }

    // An enumerated default may name its literal by the literal's description
    // ("none" for the literal "" of MultiplierKind): the value is the
    // literal's name, and an empty name is no value.
    std::string DefaultValue(const NsdAttribute& a) const {
        if (a.typeKind != "ENUMERATED" || a.defaultValue.empty()) return a.defaultValue;
        for (const NsdEnumeration& e : nsd_.enumerations) {
            if (e.name != a.type) continue;
            for (const NsdLiteral& l : e.literals)
                if (l.name == a.defaultValue) return a.defaultValue;
            const std::string described = "::" + a.type + "." + a.defaultValue + ".desc";
            for (const NsdLiteral& l : e.literals)
                if (l.descId.size() >= described.size() &&
                    l.descId.compare(l.descId.size() - described.size(), described.size(), described) == 0)
                    return l.name;
        }
        return a.defaultValue;
    }

    void BuildEnumerations() {
        int ord = 0;
        for (const NsdEnumeration& e : nsd_.enumerations) {
            if (enumIds_.count(e.name)) {
                Problem("enumeration \"" + e.name + "\" defined twice");
                continue;
            }
            const std::string id = ids_.Make("ENUM_" + e.name);
            enumIds_.emplace(e.name, id);
            enumGroup_.push_back(Type("sec:EnumType", id, kStdEnumPrefix + e.name, ++ord, false));
            int n = 0;
            for (const NsdLiteral& l : e.literals) {
                // The order of a value is its literal value (SCL "ord"), its "val"
                // the literal name that data values hold.
                CimResource v{"sec:EnumVal", ids_.Make("EV_" + e.name + "_" + std::to_string(++n)),
                              {}, {}};
                v.Attr("cim:Naming.name", l.name);
                v.Attr("e301:OrdNaming.ord", l.value);
                v.Attr("sec:EnumVal.val", l.name);
                v.Link("sec:EnumVal.EnumType", id);
                enumGroup_.push_back(std::move(v));
            }
        }
    }

    void AddDaType(const std::string& name, const std::vector<NsdAttribute>& members) {
        const std::string& id = daTypeIds_.at(name);
        daGroup_.push_back(Type("sec:DAType", id, name, ++daTypeCount_, true));
        int ord = 0;
        for (const NsdAttribute& m : members) {
            const std::string presence = PresenceOf(m.presCond);
            if (presence.empty()) continue;
            CimResource b = Member("sec:BDA", ids_.Make("BDA_" + name + "_" + m.name), m.name, ++ord);
            b.Attr("sec:BDA.presence", EnumValue("PresenceTypeEnum", presence));
            b.Link("sec:BDA.MemberOf_DAType", id);
            SetValue(b, m, "DA class " + name + "." + m.name);
            daGroup_.push_back(std::move(b));
        }
    }

    void BuildConstructed() {
        for (const NsdConstructed& c : nsd_.constructed) {
            if (!daTypeIds_.emplace(c.name, ids_.Make("DAT_" + c.name)).second)
                Problem("constructed attribute class \"" + c.name + "\" defined twice");
        }
        std::set<std::string> done;
        for (const NsdConstructed& c : nsd_.constructed)
            if (done.insert(c.name).second) AddDaType(c.name, c.members);
    }

    // The DA class of a mapping addition (SBOw, Oper, Cancel) for the control
    // value type of one CDC, made on first use: "Oper_BOOLEAN", "Oper_Enum"...
    std::string ParameterisedClass(const NsdAttribute& a) {
        auto cls = std::find_if(nsd_.serviceConstructed.begin(), nsd_.serviceConstructed.end(),
                                [&](const NsdConstructed& c) { return c.name == a.type; });
        if (cls == nsd_.serviceConstructed.end()) return a.type;  // an ordinary DA class
        std::string name = a.type;
        if (a.underlyingTypeKind == "ENUMERATED")
            name += "_Enum";
        else if (!a.underlyingType.empty())
            name += "_" + a.underlyingType;
        if (daTypeIds_.count(name)) return name;
        daTypeIds_.emplace(name, ids_.Make("DAT_" + name));
        std::vector<NsdAttribute> members = cls->members;
        for (NsdAttribute& m : members) {
            if (m.typeKind != "undefined") continue;
            m.typeKind = a.underlyingTypeKind.empty() ? "BASIC" : a.underlyingTypeKind;
            m.type = a.underlyingType;
        }
        AddDaType(name, members);
        return name;
    }

    std::vector<MergedAttribute> MergeVariants(const std::vector<const NsdCdc*>& variants) {
        std::vector<MergedAttribute> merged;
        for (const NsdCdc* v : variants) {
            std::size_t cursor = 0;
            for (const NsdAttribute& a : v->attributes) {
                auto it = std::find_if(merged.begin(), merged.end(), [&](const MergedAttribute& m) {
                    return SameValueType(m.attr, a);
                });
                if (it == merged.end()) {
                    it = merged.insert(merged.begin() + static_cast<std::ptrdiff_t>(cursor),
                                       MergedAttribute{a, {a.fc}});
                } else {
                    if (std::find(it->fcs.begin(), it->fcs.end(), a.fc) == it->fcs.end())
                        it->fcs.push_back(a.fc);
                    if (!it->attr.dchg && !it->attr.qchg && !it->attr.dupd) {
                        it->attr.dchg = a.dchg;
                        it->attr.qchg = a.qchg;
                        it->attr.dupd = a.dupd;
                    }
                }
                cursor = static_cast<std::size_t>(it - merged.begin()) + 1;
            }
        }
        return merged;
    }

    void AddDa(const std::string& cdc, const std::string& typeId, const MergedAttribute& m, int ord) {
        const NsdAttribute& a = m.attr;
        const std::string where = "CDC " + cdc + "." + a.name;
        CimResource d = Member("sec:DA", ids_.Make("DA_" + cdc + "_" + a.name), a.name, ord);
        if (m.fcs.size() > 4) Problem(where + ": more than four functional constraints");
        for (std::size_t i = 0; i < m.fcs.size() && i < 4; ++i) {
            if (!fcs_.count(m.fcs[i]))
                Problem(where + ": unknown functional constraint \"" + m.fcs[i] + "\"");
            d.Attr("sec:DA.fc_" + std::to_string(i), EnumValue("FCType", m.fcs[i]));
        }
        const std::string trgOp = TrgOpOf(a.dchg, a.qchg, a.dupd);
        if (!trgOp.empty()) d.Attr("sec:DA.trgOp", EnumValue("TrgOpTypeEnum", trgOp));
        d.Attr("sec:BDA.presence", EnumValue("PresenceTypeEnum", PresenceOf(a.presCond)));
        d.Link("sec:DA.MemberOf_DOType", typeId);
        SetValue(d, a, where);
        doGroup_.push_back(std::move(d));
    }

    void BuildCdcs() {
        std::vector<std::string> order;
        std::map<std::string, std::vector<const NsdCdc*>> variants;
        for (const NsdCdc& c : nsd_.cdcs) {
            auto& list = variants[c.name];
            if (list.empty()) order.push_back(c.name);
            list.push_back(&c);
        }
        for (const std::string& name : order) doTypeIds_.emplace(name, ids_.Make("DOT_" + name));
        for (const NsdServiceCdc& s : nsd_.serviceCdcs)
            if (!variants.count(s.cdc)) Problem("mapping additions for unknown CDC \"" + s.cdc + "\"");

        int typeOrd = 0;
        for (const std::string& name : order) {
            const std::string& id = doTypeIds_.at(name);
            const std::size_t typeAt = doGroup_.size();
            doGroup_.push_back(Type("sec:DOType", id, name, ++typeOrd, true));

            std::vector<MergedAttribute> merged = MergeVariants(variants[name]);
            for (const NsdServiceCdc& s : nsd_.serviceCdcs) {
                if (s.cdc != name) continue;
                for (NsdAttribute a : s.attributes) {
                    auto same = [&](const MergedAttribute& m) { return m.attr.name == a.name; };
                    if (std::any_of(merged.begin(), merged.end(), same)) continue;
                    if (a.typeKind == "CONSTRUCTED") a.type = ParameterisedClass(a);
                    merged.push_back(MergedAttribute{a, {a.fc}});
                }
            }
            int ord = 0;
            std::vector<std::string> daNames;
            for (const MergedAttribute& m : merged) {
                if (PresenceOf(m.attr.presCond).empty()) continue;
                AddDa(name, id, m, ++ord);
                daNames.push_back(m.attr.name);
            }

            ord = 0;
            std::set<std::string> seen;
            std::vector<std::size_t> sdoSlots;  // the number of DAs ahead of each SDO
            for (const NsdCdc* v : variants[name]) {
                for (const NsdSubObject& s : v->subObjects) {
                    const std::string presence = PresenceOf(s.presCond);
                    if (presence.empty() || !seen.insert(s.name).second) continue;
                    sdoSlots.push_back(static_cast<std::size_t>(
                        std::count_if(daNames.begin(), daNames.end(), [&](const std::string& n) {
                            return std::find(s.attributesBefore.begin(), s.attributesBefore.end(), n) !=
                                   s.attributesBefore.end();
                        })));
                    CimResource r = Member("sec:SDO", ids_.Make("SDO_" + name + "_" + s.name), s.name, ++ord);
                    r.Attr("sec:SDO.presence", EnumValue("PresenceTypeEnum", presence));
                    if (!s.sizeAttribute.empty()) r.Attr("sec:SDO.count", s.sizeAttribute);
                    r.Link("sec:SDO.MemberOf_DOType", id);
                    auto t = doTypeIds_.find(s.type);
                    if (t == doTypeIds_.end())
                        Problem("CDC " + name + "." + s.name + ": unknown CDC \"" + s.type + "\"");
                    else
                        r.Link("sec:SDO.DefinedBy_DOType", t->second);
                    r.Link("sec:SDO.DASemantic", DaSemantic(s.name));
                    doGroup_.push_back(std::move(r));
                }
            }
            const std::string kinds = MemberKinds(daNames.size(), sdoSlots);
            if (!kinds.empty()) doGroup_[typeAt].Attr("sec:DOType.memberKinds", kinds);
        }
    }

    // The CDC's order across its DAs and SDOs, one letter a member ("A" a DA,
    // "S" an SDO); "" when every DA comes ahead of every SDO, the order the
    // members take without it.
    static std::string MemberKinds(std::size_t das, std::vector<std::size_t> sdoSlots) {
        std::stable_sort(sdoSlots.begin(), sdoSlots.end());
        if (sdoSlots.empty() || sdoSlots.front() >= das) return std::string();
        std::string kinds;
        std::size_t next = 0;
        for (std::size_t slot : sdoSlots) {
            kinds.append(slot - next, 'A');
            next = slot;
            kinds += 'S';
        }
        kinds.append(das - next, 'A');
        return kinds;
    }

    void BuildLnClasses() {
        std::map<std::string, std::string> lnIds;
        for (const NsdLnClass& ln : nsd_.lnClasses) {
            if (!lnIds.emplace(ln.name, ids_.Make("LNT_" + ln.name)).second)
                Problem("LN class \"" + ln.name + "\" defined twice");
        }
        int typeOrd = 0;
        std::set<std::string> done;
        for (const NsdLnClass& ln : nsd_.lnClasses) {
            if (!done.insert(ln.name).second) continue;
            const std::string& id = lnIds.at(ln.name);
            CimResource t = Type("sec:LNodeType", id, ln.name, ++typeOrd, true);
            // Abstract classes are bases only; the lists of classes to instantiate skip them.
            if (ln.isAbstract) t.Attr("sec:LNodeType.isAbstract", "true");
            if (!ln.base.empty()) {
                auto b = lnIds.find(ln.base);
                if (b == lnIds.end())
                    Problem("LN class " + ln.name + ": unknown base class \"" + ln.base + "\"");
                else
                    t.Link("sec:LNodeType.Abstract_Type", b->second);
            }
            lnGroup_.push_back(std::move(t));
            int ord = 0;
            for (const NsdDataObject& d : ln.dataObjects) {
                const std::string presence = PresenceOf(d.presCond);
                if (presence.empty()) continue;
                CimResource o = Member("sec:DO", ids_.Make("DO_" + ln.name + "_" + d.name), d.name, ++ord);
                o.Attr("sec:DO.presence", EnumValue("PresenceTypeEnum", presence));
                if (d.transient) o.Attr("sec:DO.transient", "true");
                o.Link("sec:DO.LNodeType", id);
                auto c = doTypeIds_.find(d.type);
                if (c == doTypeIds_.end())
                    Problem("LN class " + ln.name + "." + d.name + ": unknown CDC \"" + d.type + "\"");
                else
                    o.Link("sec:DO.DefinedBy_DOType", c->second);
                o.Link("sec:DO.DOSemantic", DoSemantic(d.name));
                // The CDCs ENS, ENC and ENG leave the enumeration of their values
                // open; the LN class sets it per data object, or leaves it to the
                // application with a placeholder, which takes its stand-in. Other
                // underlying types (basic types) name no enumeration.
                const bool open = d.underlyingType == kOpenEnumeration;
                const std::string enumName = open ? kOpenEnumerationStandIn : d.underlyingType;
                if (open && !enumIds_.count(enumName))
                    Problem("LN class " + ln.name + "." + d.name + ": unknown enumeration \"" + enumName + "\"");
                if (auto e = enumIds_.find(enumName); e != enumIds_.end())
                    o.Link("sec:DO.DefinedBy_EnumType", e->second);
                lnGroup_.push_back(std::move(o));
            }
        }
    }

    const NsdSet& nsd_;
    std::set<std::string> basicTypes_;
    std::set<std::string> fcs_;
    IdAllocator ids_;
    std::map<std::string, std::string> enumIds_, daTypeIds_, doTypeIds_, doSemIds_, daSemIds_;
    std::vector<CimResource> lnGroup_, doGroup_, daGroup_, enumGroup_, doSemGroup_, daSemGroup_;
    int daTypeCount_ = 0;
    std::vector<std::string> problems_;
};

// Lines of at most `width` characters, each starting with `indent`.
std::string Wrap(const std::string& text, const std::string& indent, std::size_t width) {
    std::string out, line;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(' ', pos);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(pos, end - pos);
        if (!line.empty() && indent.size() + line.size() + 1 + word.size() > width) {
            out += indent + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        pos = end + 1;
    }
    if (!line.empty()) out += indent + line + "\n";
    return out;
}

}  // namespace

std::string CopyrightComment(const NsdSet& nsd) {
    std::string c = "\n";
    c += Wrap(std::string("IEC 61850 standard type package \"") + kStdPackageName +
                  "\", generated by nsd2cim from the IEC name-space definition files below."
                  " Regenerate it with nsd2cim; do not edit it by hand.",
              "  ", 100);
    for (const NsdFileInfo& f : nsd.files) {
        c += "\n  " + f.fileName + " (" + f.id + ", " + f.edition + "):\n";
        for (const std::string& n : f.notices) c += Wrap(n, "    ", 100);
        if (!f.licence.empty()) c += "    Licence: " + f.licence + "\n";
    }
    return c;
}

bool BuildStdDomain(const NsdSet& nsd, CimDomain& out, std::string& error) {
    return Builder(nsd).Build(out, error);
}

}  // namespace kiln::nsd2cim
