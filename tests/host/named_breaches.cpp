#include "tests/host/named_breaches.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "core/scl_value_types.h"
#include "core/scl_values.h"

namespace kiln::test {

namespace {

std::string LocalName(const pugi::xml_node& n) {
    const char* name = n.name();
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

std::string Attr(const pugi::xml_node& n, const char* name) { return n.attribute(name).value(); }

// The place of an element, as the header describes it.
std::string PlaceOf(pugi::xml_node n) {
    std::vector<pugi::xml_node> up;  // the element and its ancestors, innermost first
    for (pugi::xml_node at = n; at && at.type() == pugi::node_element; at = at.parent()) up.push_back(at);
    for (size_t i = 0; i < up.size(); ++i) {
        const std::string name = LocalName(up[i]);
        if (name == "DataTypeTemplates") return i > 0 ? Attr(up[i - 1], "id") : name;
    }
    pugi::xml_node ld, ln, ap, ied;
    for (const pugi::xml_node& at : up) {
        const std::string name = LocalName(at);
        if ((name == "LN" || name == "LN0") && !ln) ln = at;
        if (name == "LDevice" && !ld) ld = at;
        if (name == "AccessPoint" && !ap) ap = at;
        if (name == "IED" && !ied) ied = at;
    }
    // The class without white space at its ends, as the schema reads it and
    // the export names the node.
    if (ld && ln)
        return Attr(ld, "inst") + "/" + Attr(ln, "prefix") + std::string(kiln::core::SclCollapsed(Attr(ln, "lnClass"))) +
               Attr(ln, "inst");
    if (ld) return Attr(ld, "inst");
    // An access point's own attributes are named in its IED, what stands
    // under it in the point.
    if (ap && ap != n) return Attr(ap, "name");
    if (ied) return Attr(ied, "name");
    return LocalName(n);
}

// A value named for a basic type that cannot hold it ("不符合SCL的值（
// Timestamp取值错误）：LD/LN.DO.da:0.0"): the schema takes any text for a
// value, so the line claims no schema error. One whose value fits its type
// is a false alarm and is kept.
bool ValueOutsideItsType(const std::string& line) {
    static const std::string kHead = "不符合SCL的值（", kTail = "取值错误）：";
    const size_t tail = line.find(kTail);
    if (line.rfind(kHead, 0) != 0 || tail == std::string::npos) return false;
    const std::string bType = line.substr(kHead.size(), tail - kHead.size());
    // An enumeration's values are checked against the file's own types
    // (DanglingReferences), not by the schema.
    if (bType == "Enum") return true;
    const size_t colon = line.find(':', tail + kTail.size());
    return colon != std::string::npos && !kiln::core::FitsWrittenValue(bType, line.substr(colon + 1));
}

bool Separator(char c) { return c == '.' || c == '/' || c == ':' || c == ' '; }

// SchemaErrorsOf, from xmllint's output `out` for the file.
bool SchemaErrorsIn(const std::string& file, const std::string& out, std::vector<SchemaError>& errors,
                    std::string& why) {
    errors.clear();
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    pugi::xml_document doc;
    if (!doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8)) {
        why = "the file does not parse: " + out;
        return false;
    }
    // Elements by the line their start tag stands on.
    std::vector<size_t> lineStarts{0};
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') lineStarts.push_back(i + 1);
    std::multimap<int, pugi::xml_node> byLine;
    struct Walker : pugi::xml_tree_walker {
        std::vector<size_t>* starts;
        std::multimap<int, pugi::xml_node>* lines;
        bool for_each(pugi::xml_node& node) override {
            if (node.type() != pugi::node_element) return true;
            const auto at = std::upper_bound(starts->begin(), starts->end(), static_cast<size_t>(node.offset_debug()));
            lines->emplace(static_cast<int>(at - starts->begin()), node);
            return true;
        }
    } walker;
    walker.starts = &lineStarts;
    walker.lines = &byLine;
    doc.traverse(walker);

    // "<file>:<line>: element <name>: Schemas validity error : ..."; the
    // errors of keys and references name the element in the text only.
    static const std::regex kError(
        R"(^.*?:(\d+): (?:element ([^:]+): )?Schemas validity error : (?:Element '(?:\{[^}]*\})?([^']+)')?.*$)");
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line == file + " fails to validate") continue;
        std::smatch m;
        if (!std::regex_match(line, m, kError)) {
            why = "xmllint says: " + line;
            return false;
        }
        SchemaError e{std::stoi(m[1].str()), m[2].matched ? m[2].str() : m[3].str(), std::string(), line, {}};
        auto [first, last] = byLine.equal_range(e.line);
        for (auto it = first; it != last && e.place.empty(); ++it) {
            if (LocalName(it->second) != e.element) continue;
            e.place = PlaceOf(it->second);
            // xmllint reads nothing more of the parent's content after an
            // element it did not expect there.
            if (line.find("This element is not expected") != std::string::npos) e.hides = PlaceOf(it->second.parent());
        }
        if (e.place.empty()) e.place = e.element;
        errors.push_back(e);
    }
    return true;
}

}  // namespace

bool Covers(const std::string& a, const std::string& b) {
    const std::string& shorter = a.size() <= b.size() ? a : b;
    const std::string& longer = a.size() <= b.size() ? b : a;
    if (longer.compare(0, shorter.size(), shorter) != 0) return false;
    return longer.size() == shorter.size() || Separator(longer[shorter.size()]);
}

std::string SclSchemaToCheck() {
    const std::string xsd = std::string(KILN_SHARED_DIR) + "/xsd/SCL2007B4/SCL.xsd";
    std::error_code ec;
    if (!std::filesystem::exists(xsd, ec) || std::system("command -v xmllint >/dev/null 2>&1") != 0) return "";
    return xsd;
}

bool SchemaErrorsOf(const std::string& file, const std::string& xsd, std::vector<SchemaError>& errors,
                    std::string& why) {
    errors.clear();
    const std::string cmd = "xmllint --noout --schema '" + xsd + "' '" + file + "' 2>&1";
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) {
        why = "xmllint did not start";
        return false;
    }
    // A signal (a fuzzer's timer) may interrupt a read: it goes on.
    char buf[4096];
    while (true) {
        const size_t n = fread(buf, 1, sizeof buf, p);
        out.append(buf, n);
        if (n > 0) continue;
        if (!ferror(p) || errno != EINTR) break;
        clearerr(p);
    }
    if (pclose(p) == 0) return true;
    if (!SchemaErrorsIn(file, out, errors, why)) return false;
    if (errors.empty()) why = "xmllint failed: " + out;
    return !errors.empty();
}

std::vector<std::string> NamedBreaches(const std::string& text) {
    static const std::string kHead = "不符合SCL的", kColon = "：";
    std::vector<std::string> out;
    for (size_t at = text.find(kHead); at != std::string::npos; at = text.find(kHead, at + 1)) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (ValueOutsideItsType(line)) continue;
        const size_t colon = line.find(kColon);
        out.push_back(colon == std::string::npos ? line : line.substr(colon + kColon.size()));
    }
    return out;
}

std::vector<std::string> Unmatched(const std::vector<SchemaError>& errors, const std::vector<std::string>& named) {
    // A key or a reference that finds nothing is also at the first value it
    // looked for: a type whose id breaks its pattern is named at the type,
    // and the reference to it fails at the node.
    static const std::regex kKey(R"(key-sequence \['([^']+)')");
    auto covers = [](const SchemaError& e, const std::string& p) {
        std::smatch key;
        return Covers(e.place, p) || (std::regex_search(e.text, key, kKey) && Covers(key[1].str(), p));
    };
    std::vector<std::string> faults;
    for (const SchemaError& e : errors)
        if (std::none_of(named.begin(), named.end(), [&](const std::string& p) { return covers(e, p); }))
            faults.push_back("a schema error at " + e.place + " is not named: " + e.text);
    for (const std::string& p : named)
        if (std::none_of(errors.begin(), errors.end(),
                         [&](const SchemaError& e) { return covers(e, p) || (!e.hides.empty() && Covers(e.hides, p)); }))
            faults.push_back("the breach named at " + p + " is no schema error of the file");
    return faults;
}

std::string SchemaErrorsAgainstBreaches(const std::string& path, const std::string& message,
                                        const std::string& errors) {
    // Only xmllint's lines of errors of the file count: a caller's own
    // heading or xmllint's summary line say nothing of a place.
    std::string lines;
    std::istringstream in(errors);
    for (std::string line; std::getline(in, line);)
        if (line.find("Schemas validity error") != std::string::npos) lines += line + "\n";
    std::vector<SchemaError> found;
    std::string why;
    if (!SchemaErrorsIn(path, lines, found, why)) return "\n  " + why;
    std::string out;
    for (const std::string& fault : Unmatched(found, NamedBreaches(message))) out += "\n  " + fault;
    return out;
}

}  // namespace kiln::test
