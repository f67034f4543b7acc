#include <cerrno>
#include <cstring>
#include <string>

#include "platform/framework/cimxml.h"
#include "platform/xml/xml_check.h"

namespace kiln::cim {

namespace {

// Buffers output and hands it to the sink in large pieces.
class Out {
public:
    explicit Out(XmlSink& sink) : m_sink(sink) { m_buf.reserve(kChunk + 4096); }
    void Put(std::string_view s) {
        m_buf.append(s);
        if (m_buf.size() >= kChunk) Flush();
    }
    void Put(char c) { m_buf.push_back(c); }
    bool Flush() {
        if (m_ok && !m_buf.empty()) m_ok = m_sink.Put(m_buf.data(), m_buf.size());
        m_buf.clear();
        return m_ok;
    }
    // Text content: markup characters and carriage returns as references, so
    // that reading gives the same bytes. Characters XML forbids never reach
    // here (WriteDomain refuses them).
    void Text(std::string_view s, bool attribute) {
        size_t from = 0;
        for (size_t k = 0; k < s.size(); ++k) {
            unsigned char c = static_cast<unsigned char>(s[k]);
            const char* rep = nullptr;
            switch (c) {
                case '&': rep = "&amp;"; break;
                case '<': rep = "&lt;"; break;
                case '>': rep = "&gt;"; break;
                case '"': rep = attribute ? "&quot;" : nullptr; break;
                case '\n': rep = attribute ? "&#10;" : nullptr; break;
                case '\t': rep = attribute ? "&#9;" : nullptr; break;
                case '\r': rep = "&#13;"; break;
                default: break;
            }
            if (!rep) continue;
            m_buf.append(s.data() + from, k - from);
            m_buf.append(rep);
            from = k + 1;
        }
        m_buf.append(s.data() + from, s.size() - from);
        if (m_buf.size() >= kChunk) Flush();
    }

private:
    static constexpr size_t kChunk = 1 << 20;
    XmlSink& m_sink;
    std::string m_buf;
    bool m_ok = true;
};

}  // namespace

bool WriteDomain(const Store& s, int domain, const std::vector<Idx>& members, XmlSink& sink, std::string& error) {
    const CCimSchema& sc = *s.schema;
    const std::string& dname = s.domains[static_cast<size_t>(domain)].name;
    Out out(sink);
    out.Put(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"\n"
        "         xmlns:cim=\"http://iec.ch/TC57/2003/CIM-schema-cim10#\"\n"
        "         xmlns:sec=\"http://kiln.local/Zel/2006/CIM-Sec#\"\n"
        "         xmlns:e301=\"http://kiln.local/Zel/2006/e301#\"\n"
        "         xmlns:dEnv=\"http://kiln.local/Zel/2006/dEnv#\">\n");
    for (Idx i : members) {
        const Resource& r = s.rsc[i];
        if (!r.alive || r.domain != domain) continue;
        const std::string& cls = sc.Class(r.cls).name;
        if (kiln::xml::FirstBadXmlChar(r.uri) != std::string::npos) {
            error = "对象标识含有XML不允许的字符：" + r.uri;
            return false;
        }
        out.Put("  <");
        out.Put(cls);
        out.Put(" rdf:ID=\"");
        out.Text(std::string_view(r.uri).substr(dname.size()), true);
        out.Put("\">\n");
        for (const AttrVal& a : r.attrs) {
            const std::string& role = sc.Role(a.role).name;
            if (kiln::xml::FirstBadXmlChar(a.value) != std::string::npos) {
                error = "对象" + r.uri + "的属性" + role + "含有XML不允许的字符";
                return false;
            }
            out.Put("    <");
            out.Put(role);
            if (a.value.empty()) {
                out.Put("/>\n");
                continue;
            }
            out.Put('>');
            out.Text(a.value, false);
            out.Put("</");
            out.Put(role);
            out.Put(">\n");
        }
        for (const LinkList& l : r.links) {
            const RoleInfo& ri = sc.Role(l.role);
            if (!ri.written) continue;
            for (Idx t : l.targets) {
                if (t == kNone) continue;  // the place of a removed link
                const Resource& tr = s.rsc[t];
                out.Put("    <");
                out.Put(ri.name);
                out.Put(" rdf:resource=\"");
                if (tr.domain == domain) {
                    out.Put('#');
                    out.Text(std::string_view(tr.uri).substr(dname.size()), true);
                } else {
                    out.Text(tr.uri, true);
                }
                out.Put("\"/>\n");
            }
        }
        out.Put("  </");
        out.Put(cls);
        out.Put(">\n");
    }
    out.Put("</rdf:RDF>\n");
    if (!out.Flush()) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace kiln::cim
