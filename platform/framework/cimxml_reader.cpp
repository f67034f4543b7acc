#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

#include <pugixml.hpp>

#include "platform/framework/cimxml.h"
#include "platform/mfc/gbk.h"
#include "platform/xml/xml_check.h"
#include "platform/xml/xml_names.h"

namespace kiln::cim {

namespace {

struct LinkRef {
    Idx src;
    int role;
    const char* target;  // points into the parsed text, alive with the document
};

// The place of a node: the file, line and column. The text was parsed in
// place, where line breaks inside attribute values became blanks; lines are
// counted in it as it is now.
std::string Where(const std::string& source, const std::string& text, const pugi::xml_node& n) {
    return source + "：" + kiln::xml::PositionText(text, static_cast<size_t>(std::max<ptrdiff_t>(0, n.offset_debug())));
}

// An attribute value against its schema type: integers are decimal numbers,
// booleans "true" or "false" in any case, "1" or "0", enumerated values name a literal of
// their enumeration ("<namespace>#FCType.ST"). An empty value is no value.
// Array sizes ("count") may be an attribute name. The literal itself is not looked up: the standard definitions carry
// literals newer than the schema's lists.
bool ValueFits(const RoleInfo& ri, const std::string& v) {
    if (v.empty()) return true;
    if (!ri.enumName.empty()) {
        std::string head = std::string(kModelNamespace) + "#" + ri.enumName + ".";
        if (v.size() <= head.size() || v.compare(0, head.size(), head) != 0) return false;
        for (size_t k = head.size(); k < v.size(); ++k)
            if (std::isspace(static_cast<unsigned char>(v[k]))) return false;
        return true;
    }
    if (ri.valueType == "cim:Integer") {
        // An array size may also name the attribute that holds it ("maxPts"),
        // as the SCL of 2007 allows.
        if (ri.shortName == "count" && !std::isdigit(static_cast<unsigned char>(v[0])))
            return kiln::xml::IsXmlName(v);
        size_t k = v[0] == '-' || v[0] == '+' ? 1 : 0;
        if (k == v.size()) return false;
        for (; k < v.size(); ++k)
            if (v[k] < '0' || v[k] > '9') return false;
        return true;
    }
    if (ri.valueType == "cim:Boolean") {
        // The model reads its flags without regard to case ("TRUE").
        std::string lower(v);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return lower == "true" || lower == "false" || v == "1" || v == "0";
    }
    return true;
}

// The text of an attribute element: all its text pieces; false when it holds elements.
bool ElementText(const pugi::xml_node& e, std::string& out) {
    out.clear();
    for (pugi::xml_node c = e.first_child(); c; c = c.next_sibling()) {
        pugi::xml_node_type t = c.type();
        if (t == pugi::node_pcdata || t == pugi::node_cdata)
            out += c.value();
        else if (t == pugi::node_element)
            return false;
    }
    return true;
}

// Role lookup by element name. Resources of one class list their roles in
// the same order, so the role met at the same place in the previous element
// of the class is tried first, with a plain comparison instead of a hash.
class RoleCache {
public:
    explicit RoleCache(const CCimSchema& sc) : m_sc(sc), m_seen(static_cast<size_t>(sc.ClassCount())) {}
    int Of(int cls, size_t pos, const char* name) {
        auto& seq = m_seen[static_cast<size_t>(cls)];
        if (pos < seq.size() && seq[pos].first == name) return seq[pos].second;
        int role = m_sc.RoleOf(cls, name);
        if (pos < seq.size())
            seq[pos] = {name, role};
        else if (pos == seq.size())
            seq.emplace_back(name, role);
        return role;
    }

private:
    const CCimSchema& m_sc;
    std::vector<std::vector<std::pair<std::string, int>>> m_seen;
};

// The number after the last "_" of a local id ("DAI_17" -> 17), 0 when none.
uint64_t Serial(const char* local) {
    const char* us = std::strrchr(local, '_');
    if (!us || !us[1]) return 0;
    uint64_t v = 0;
    for (const char* p = us + 1; *p; ++p) {
        if (*p < '0' || *p > '9' || v > (UINT64_MAX - 9) / 10) return 0;
        v = v * 10 + static_cast<uint64_t>(*p - '0');
    }
    return v;
}

bool OnlyBlanks(const char* s) {
    for (; *s; ++s)
        if (!std::isspace(static_cast<unsigned char>(*s))) return false;
    return true;
}

}  // namespace

std::vector<bool> ModifiedFlags(const Store& s) {
    std::vector<bool> flags;
    flags.reserve(s.domains.size());
    for (const Domain& d : s.domains) flags.push_back(d.modified);
    return flags;
}

void RestoreModifiedFlags(Store& s, const std::vector<bool>& flags) {
    for (size_t d = 0; d < flags.size() && d < s.domains.size(); ++d) s.domains[d].modified = flags[d];
}

bool ToUtf8Text(std::string& bytes, std::string& error) {
    // UTF-16 by its byte-order mark, or by the zero byte beside the first "<".
    const char* wide = nullptr;
    if (bytes.size() >= 2) {
        if ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))
            wide = "UTF-16";
        else if (bytes[0] == '\0' && bytes[1] == '<')
            wide = "UTF-16BE";
        else if (bytes[0] == '<' && bytes[1] == '\0')
            wide = "UTF-16LE";
    }
    if (wide) {
        std::string out;
        if (!kiln::text::ToUtf8(bytes, wide, out)) {
            error = "文件不是有效的UTF-16文本";
            return false;
        }
        bytes.swap(out);
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    if (bytes.compare(0, 5, "<?xml") != 0) return true;
    size_t end = bytes.find("?>");
    if (end == std::string::npos) return true;  // the parser reports it
    std::string decl = bytes.substr(0, end);
    size_t at = decl.find("encoding");
    if (at == std::string::npos) return true;
    size_t q = decl.find_first_of("\"'", at);
    if (q == std::string::npos) return true;
    size_t q2 = decl.find(decl[q], q + 1);
    if (q2 == std::string::npos) return true;
    std::string enc = decl.substr(q + 1, q2 - q - 1);
    std::string lower = enc;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    // A 16-bit encoding declared in 8-bit text: the text was converted above,
    // or the label is wrong and the bytes are read as UTF-8.
    bool wideName = lower.rfind("utf-16", 0) == 0 || lower.rfind("utf16", 0) == 0 || lower.rfind("ucs-2", 0) == 0;
    if (lower == "utf-8" || lower == "utf8" || lower == "us-ascii" || lower == "ascii" || wideName) {
        if (wideName) bytes.replace(q + 1, enc.size(), "UTF-8");
        return true;
    }
    const char* from = enc.c_str();
    if (lower == "gb2312" || lower == "gbk" || lower == "gb18030" || lower == "cp936") from = "GB18030";
    std::string out;
    if (!kiln::text::ToUtf8(bytes, from, out)) {
        error = "文件内容不符合其声明的编码" + enc;
        return false;
    }
    // Say so in the declaration, so that nobody converts the text again.
    size_t p = out.find(enc);
    if (p != std::string::npos && p < out.find("?>")) out.replace(p, enc.size(), "UTF-8");
    bytes.swap(out);
    return true;
}

bool ReadDomain(Store& s, int domain, std::string& text, const std::string& source,
                std::vector<PendingLink>* deferred, std::string& error, std::vector<Idx>* createdOut,
                bool checkValues) {
    const CCimSchema& sc = *s.schema;
    kiln::xml::XmlTextError bad;
    if (!kiln::xml::CheckXmlText(text, bad)) {
        error = source + "：" + kiln::xml::PositionText(text, bad.offset) + "：" + bad.reason;
        return false;
    }
    const kiln::xml::LinesBeforeParse lines(text);
    pugi::xml_document doc;
    pugi::xml_parse_result pr = doc.load_buffer_inplace(text.data(), text.size(), pugi::parse_default | pugi::parse_ws_pcdata_single,
                                                        pugi::encoding_utf8);
    if (!pr) {
        error = source + "：" + lines.Text(text, static_cast<size_t>(std::max<ptrdiff_t>(0, pr.offset))) +
                "：XML格式错误：" + pr.description();
        return false;
    }
    pugi::xml_node root = doc.document_element();
    if (std::string_view(root.name()) != "rdf:RDF") {
        error = source + "：根元素不是rdf:RDF";
        return false;
    }

    const std::string dname = s.domains[static_cast<size_t>(domain)].name;
    std::vector<Idx> created;
    std::vector<LinkRef> links;
    std::string key;
    std::string value;
    RoleCache roles(sc);
    uint64_t maxSerial = 0;
    const std::vector<bool> modified = ModifiedFlags(s);
    auto fail = [&](std::string why) {
        for (size_t k = created.size(); k-- > 0;) s.Kill(created[k]);
        RestoreModifiedFlags(s, modified);
        error = std::move(why);
        return false;
    };

    size_t count = 0;
    for (pugi::xml_node e = root.first_child(); e; e = e.next_sibling()) ++count;
    s.byUri.Reserve(s.byUri.Size() + count);

    // Pass 1: resources and attributes; links are kept for pass 2 so that a
    // link may name a resource written further down the file.
    for (pugi::xml_node e = root.first_child(); e; e = e.next_sibling()) {
        if (e.type() != pugi::node_element) {
            if ((e.type() == pugi::node_pcdata || e.type() == pugi::node_cdata) && !OnlyBlanks(e.value()))
                return fail(Where(source, text, e) + "：rdf:RDF中有多余的文本");
            continue;
        }
        int cls = sc.ClassId(e.name());
        if (cls < 0) return fail(Where(source, text, e) + "：未知的类" + e.name());
        if (sc.Class(cls).isAbstract) return fail(Where(source, text, e) + "：抽象类" + e.name() + "不能有对象");
        const char* local = e.attribute("rdf:ID").value();
        if (!*local) return fail(Where(source, text, e) + "：" + e.name() + "缺少rdf:ID");
        if (std::strchr(local, '#')) return fail(Where(source, text, e) + "：rdf:ID含有“#”：" + local);
        key.assign(dname).append(local);
        Idx i = s.Create(key, cls, domain);
        if (i == kNone) return fail(Where(source, text, e) + "：标识重复：" + key);
        created.push_back(i);
        maxSerial = std::max(maxSerial, Serial(local));
        size_t pos = 0;
        for (pugi::xml_node c = e.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element) {
                if ((c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) && !OnlyBlanks(c.value()))
                    return fail(Where(source, text, c) + "：对象元素中有多余的文本");
                continue;
            }
            int role = roles.Of(cls, pos++, c.name());
            if (role < 0) return fail(Where(source, text, c) + "：类" + e.name() + "没有属性或关联" + c.name());
            pugi::xml_attribute res = c.attribute("rdf:resource");
            if (sc.Role(role).kind == RoleKind::Attribute) {
                if (res) return fail(Where(source, text, c) + "：属性" + c.name() + "不能带rdf:resource");
                if (!ElementText(c, value)) return fail(Where(source, text, c) + "：属性" + c.name() + "含有元素");
                if (s.Attr(i, role)) return fail(Where(source, text, c) + "：属性" + c.name() + "重复");
                if (checkValues && !ValueFits(sc.Role(role), value))
                    return fail(Where(source, text, c) + "：对象" + key + "的属性" + c.name() + "的值“" + value +
                                "”不是" + (sc.Role(role).enumName.empty() ? sc.Role(role).valueType
                                                                           : "枚举" + sc.Role(role).enumName + "的值"));
                s.SetAttr(i, role, value);
            } else {
                if (!res || !*res.value())
                    return fail(Where(source, text, c) + "：关联" + c.name() + "缺少rdf:resource");
                links.push_back({i, role, res.value()});
            }
        }
    }

    // Pass 2: links. "#id" is a resource of this file, "DOMAIN#id" one of another domain.
    for (const LinkRef& l : links) {
        const char* target = l.target;
        const char* hash = std::strchr(target, '#');
        if (!hash || std::strchr(hash + 1, '#') || !hash[1])
            return fail(source + "：关联目标的标识无效：" + target);
        bool here = hash == target;
        if (here)
            key.assign(dname).append(target + 1);
        else
            key.assign(target);
        Idx t = s.Find(key);
        if (t == kNone) {
            if (!here && deferred) {
                deferred->push_back({l.src, l.role, key});
                continue;
            }
            return fail(source + "：关联目标不存在：" + key);
        }
        const RoleInfo& ri = sc.Role(l.role);
        if (!sc.IsA(s.R(t).cls, ri.target))
            return fail(source + "：关联" + ri.name + "不接受类" + s.ClassName(t) + "的目标" + key);
        s.Link(l.src, l.role, t);  // a link mentioned twice is kept once
    }
    // New identifiers of the domain continue after the numbers read here.
    Domain& dom = s.domains[static_cast<size_t>(domain)];
    dom.nextId = std::max(dom.nextId, maxSerial + 1);
    if (createdOut) createdOut->insert(createdOut->end(), created.begin(), created.end());
    return true;
}

bool ResolvePending(Store& s, const std::vector<PendingLink>& pending, std::string& error, size_t* failed) {
    const CCimSchema& sc = *s.schema;
    for (const PendingLink& p : pending) {
        if (failed) *failed = static_cast<size_t>(&p - pending.data());
        Idx t = s.Find(p.target);
        if (t == kNone) {
            error = "关联目标不存在：" + p.target;
            return false;
        }
        const RoleInfo& ri = sc.Role(p.role);
        if (!sc.IsA(s.R(t).cls, ri.target)) {
            error = "关联" + ri.name + "不接受类" + s.ClassName(t) + "的目标" + p.target;
            return false;
        }
        s.Link(p.src, p.role, t);
    }
    return true;
}

}  // namespace kiln::cim
