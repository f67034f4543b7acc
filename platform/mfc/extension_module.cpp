#include "platform/mfc/extension_module.h"

#include "platform/mfc/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace {

// The process-wide chain of linked modules, most recently linked last.
std::vector<CDynLinkLibrary*>& chain() {
    static std::vector<CDynLinkLibrary*> s_chain;
    return s_chain;
}

struct Token {
    enum Kind { Word, Text, Comma, Pipe } kind;
    std::string s;
};

// Splits one line of a resource script. A quoted text doubles an embedded
// quote, as the resource compiler does.
bool tokenize(const std::string& line, std::vector<Token>& out, std::string& error) {
    out.clear();
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == ',') {
            out.push_back({Token::Comma, ","});
            ++i;
        } else if (c == '|') {
            out.push_back({Token::Pipe, "|"});
            ++i;
        } else if (c == '"') {
            std::string text;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        text += '"';
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                text += line[i++];
            }
            if (!closed) {
                error = "unterminated text";
                return false;
            }
            out.push_back({Token::Text, text});
        } else {
            size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != ',' &&
                   line[i] != '|' && line[i] != '"')
                ++i;
            out.push_back({Token::Word, line.substr(start, i - start)});
        }
    }
    return true;
}

bool toInt(const std::string& s, int& v) {
    if (s.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long n = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || n < -1000000 || n > 1000000) return false;
    v = static_cast<int>(n);
    return true;
}

// Reads "n, n, n, n" starting at tokens[pos]; pos ends after the last number.
bool readNumbers(const std::vector<Token>& t, size_t& pos, int* values, int count) {
    for (int k = 0; k < count; ++k) {
        if (k > 0) {
            if (pos >= t.size() || t[pos].kind != Token::Comma) return false;
            ++pos;
        }
        if (pos >= t.size() || t[pos].kind != Token::Word || !toInt(t[pos].s, values[k])) return false;
        ++pos;
    }
    return true;
}

// Reads "A | B | C" to the end of the line.
bool readStyles(const std::vector<Token>& t, size_t pos, std::vector<CString>& styles) {
    bool wantWord = true;
    for (; pos < t.size(); ++pos) {
        if (wantWord) {
            if (t[pos].kind != Token::Word) return false;
            styles.emplace_back(t[pos].s);
        } else if (t[pos].kind != Token::Pipe) {
            return false;
        }
        wantWord = !wantWord;
    }
    return !wantWord || styles.empty();
}

bool isTextControl(const std::string& kind) {
    return kind == "LTEXT" || kind == "RTEXT" || kind == "CTEXT" || kind == "PUSHBUTTON" ||
           kind == "DEFPUSHBUTTON";
}

bool isPlainControl(const std::string& kind) {
    return kind == "COMBOBOX" || kind == "EDITTEXT" || kind == "LISTBOX";
}

bool parseControl(const std::vector<Token>& t, CDialogItemTemplate& item) {
    item.sKind = t[0].s;
    size_t pos = 1;
    if (isTextControl(t[0].s)) {
        if (pos + 1 >= t.size() || t[pos].kind != Token::Text || t[pos + 1].kind != Token::Comma) return false;
        item.sText = t[pos].s;
        pos += 2;
    } else if (!isPlainControl(t[0].s)) {
        return false;
    }
    int v[5];
    if (!readNumbers(t, pos, v, 5)) return false;
    item.nID = v[0];
    item.x = v[1];
    item.y = v[2];
    item.cx = v[3];
    item.cy = v[4];
    if (pos == t.size()) return true;
    if (t[pos].kind != Token::Comma) return false;
    return readStyles(t, pos + 1, item.vStyles) && !item.vStyles.empty();
}

}  // namespace

const CDialogItemTemplate* CDialogTemplate::FindItem(int id) const {
    for (const auto& item : vItems)
        if (item.nID == id) return &item;
    return nullptr;
}

bool AfxParseResourceScript(const std::string& text, std::vector<CDialogTemplate>& out, std::string& error) {
    out.clear();
    enum { Outside, Header, Body } state = Outside;
    CDialogTemplate current;
    std::istringstream lines(text);
    std::string line;
    int lineNo = 0;
    std::vector<Token> t;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNo) + ": " + why;
        out.clear();
        return false;
    };
    while (std::getline(lines, line)) {
        ++lineNo;
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line.compare(first, 2, "//") == 0 || line[first] == '#') continue;
        std::string why;
        if (!tokenize(line, t, why)) return fail(why);
        if (t[0].kind != Token::Word) return fail("statement expected");
        const std::string& word = t[0].s;
        if (state == Outside) {
            int id = 0;
            if (t.size() < 2 || !toInt(word, id) || t[1].kind != Token::Word ||
                (t[1].s != "DIALOG" && t[1].s != "DIALOGEX"))
                return fail("dialog header expected");
            for (const auto& d : out)
                if (d.nID == id) return fail("dialog " + word + " defined twice");
            current = CDialogTemplate();
            current.nID = id;
            size_t pos = 2;
            int v[4];
            if (!readNumbers(t, pos, v, 4) || pos != t.size()) return fail("dialog position expected");
            current.x = v[0];
            current.y = v[1];
            current.cx = v[2];
            current.cy = v[3];
            state = Header;
        } else if (state == Header) {
            if (word == "STYLE") {
                if (!readStyles(t, 1, current.vStyles) || current.vStyles.empty()) return fail("bad STYLE");
            } else if (word == "CAPTION") {
                if (t.size() != 2 || t[1].kind != Token::Text) return fail("bad CAPTION");
                current.sCaption = t[1].s;
            } else if (word == "FONT") {
                if (t.size() != 4 || !toInt(t[1].s, current.nFontSize) || t[2].kind != Token::Comma ||
                    t[3].kind != Token::Text)
                    return fail("bad FONT");
                current.sFontFace = t[3].s;
            } else if ((word == "BEGIN" || word == "{") && t.size() == 1) {
                state = Body;
            } else {
                return fail("unknown dialog statement " + word);
            }
        } else {
            if ((word == "END" || word == "}") && t.size() == 1) {
                out.push_back(current);
                state = Outside;
                continue;
            }
            CDialogItemTemplate item;
            if (!parseControl(t, item)) return fail("bad control " + word);
            current.vItems.push_back(item);
        }
    }
    if (state != Outside) {
        ++lineNo;
        return fail("END missing");
    }
    return true;
}

CString AfxModuleResourceFile(const CString& modulePath) {
    const CString& path = modulePath;
    int slash = path.ReverseFind('/');
    CString folder = slash >= 0 ? path.Left(slash + 1) : CString();
    CString stem = slash >= 0 ? path.Mid(slash + 1) : path;
    if (stem.Left(3) == "lib") stem = stem.Mid(3);
    int dot = stem.Find('.');
    if (dot > 0) stem = stem.Left(dot);
    return folder + "resources/" + stem + ".rc";
}

bool AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, const CString& modulePath) {
    if (state.bInitialized) return true;
    CString file = AfxModuleResourceFile(modulePath);
    std::string text;
    std::vector<CDialogTemplate> dialogs;
    std::string error;
    if (!kiln::file::ReadFile(file.str(), text) || !AfxParseResourceScript(text, dialogs, error)) return false;
    state.sModulePath = modulePath;
    state.sResourceFile = file;
    state.vDialogs = std::move(dialogs);
    state.bInitialized = true;
    return true;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, bool /*bAll*/) {
    auto& c = chain();
    std::vector<CDynLinkLibrary*> mine;
    for (CDynLinkLibrary* lib : c)
        if (lib->Module() == &state) mine.push_back(lib);
    for (CDynLinkLibrary* lib : mine) delete lib;  // the destructor unlinks it
    state.vDialogs.clear();
    state.sResourceFile.Empty();
    state.sModulePath.Empty();
    state.bInitialized = false;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, bool bSystem) : m_pModule(&state), m_bSystem(bSystem) {
    chain().push_back(this);
}

CDynLinkLibrary::~CDynLinkLibrary() {
    auto& c = chain();
    c.erase(std::remove(c.begin(), c.end(), this), c.end());
}

const CDialogTemplate* AfxFindDialogTemplate(int nID) {
    const auto& c = chain();
    for (auto it = c.rbegin(); it != c.rend(); ++it) {
        const AFX_EXTENSION_MODULE* m = (*it)->Module();
        if (!m->bInitialized) continue;
        for (const auto& d : m->vDialogs)
            if (d.nID == nID) return &d;
    }
    return nullptr;
}
