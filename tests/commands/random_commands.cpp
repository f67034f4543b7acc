#include "tests/commands/random_commands.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

#include <pugixml.hpp>

#include "core/data_values.h"
#include "core/kiln_main.h"
#include "core/module.h"
#include "host/answers.h"
#include "host/host_ui.h"
#include "host/player.h"
#include "host/script.h"
#include "host/session.h"
#include "host/transcript.h"
#include "host/workspace.h"
#include "platform/framework/view_cmd.h"
#include "platform/framework/wnd.h"
#include "platform/xml/xml_file.h"
#include "tests/host/named_breaches.h"
#include "tests/host/named_references.h"

namespace kiln::test {

namespace fs = std::filesystem;
using host::Answer;
using host::Question;

namespace {

// Texts typed into input boxes and fields: plain ones, numbers past their
// types and names SCL refuses.
const char* const kTexts[] = {"1", "2", "0", "-1", "101", "4294967297", "1.5", "1e38", "abc", "", " ", "S1 ",
                              "general (ST)", "LD_9", "PROT", "总有功", "a\"b<c>&", "Mod", "zz",
                              "2026-13-45T99:00:00Z", "99999999999999999999999999999999999999999999", "a b"};

// The test ICDs an open-file question of ICD files is answered with.
const char* const kIcdFiles[] = {"feeder_relay_report_blocks.icd", "distance_relay_settings.icd",
                                 "ed1_feeder_relay_sparse_blocks.icd", "der_inverter_maker_classes.icd"};

// A notice of a command that refused its work.
const char* const kRefusalMarks[] = {"不能", "已经存在", "已存在", "超出", "不允许", "无法", "不可", "错误",
                                     "请先", "请选择"};

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// A written file read as kiln reads it (an element's blank-only text, a
// value " ", is kept); false when the file is refused.
bool ReadAsKiln(const std::string& file, xml::XmlDocState& state) {
    std::string error;
    return xml::LoadXmlFile(file, state, error);
}

template <size_t N>
bool AnyIn(const std::string& text, const char* const (&parts)[N]) {
    return std::any_of(std::begin(parts), std::end(parts), [&](const char* p) { return Contains(text, p); });
}

// What a refused import says; it fails the run there, as kiln's does.
const char* const kImportRefusalMarks[] = {"导入不成功", "替换不成功", "未发现"};

// A notice that names what a command left out while it did the rest (the
// bay-wise mapping's items without a mapping item): no refusal.
const char* const kLeftOutMarks[] = {"未生成映射条目"};

// The notices of a transcript, one line each.
std::string Notices(const std::string& said) {
    std::string out;
    std::istringstream lines(said);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("[message", 0) == 0 && !AnyIn(line, kLeftOutMarks)) out += line + "\n";
    return out;
}

// The first "*.ext" of a file dialog's filter ("ICD文件|*.icd|...").
std::string ExtensionOf(const std::string& filter) {
    const size_t star = filter.find("*.");
    if (star == std::string::npos) return "txt";
    size_t end = star + 2;
    while (end < filter.size() && (std::isalnum(static_cast<unsigned char>(filter[end])) || filter[end] == '.'))
        ++end;
    std::string ext = filter.substr(star + 2, end - star - 2);
    return ext.empty() ? "txt" : ext;
}

// A run of the plug-in on one workspace, as the kiln program makes it.
class Run {
public:
    explicit Run(const std::string& docFolder) : ui(out, answers), scope(&ui) {
        // The module stays attached until the process ends, as in the kiln program.
        static const struct Module {
            Module() { KilnModule_Entry(DLL_PROCESS_ATTACH); }
            ~Module() { KilnModule_Entry(DLL_PROCESS_DETACH); }
        } module;
        app = std::make_unique<CKiln_Main>();
        if (!host::OpenInPlugin(*app, ui, out, docFolder, error)) return;
        player = std::make_unique<host::Player>(*app, ui, out, answers, docFolder);
    }
    ~Run() {
        ui.SetApp(nullptr);
        std::string ignored;
        host::GuardedCall(ui, [&] { player.reset(); app.reset(); }, ignored);
        AfxSetMainWnd(nullptr);
    }

    // Plays one script line; its transcript comes back in `said`.
    bool Play(const std::string& line, const std::string& baseDir, std::string& said, std::string& why) {
        host::Event ev;
        host::ScriptError bad;
        bool has = false;
        said.clear();
        if (!host::ParseLine(line, "session.kiln", ++lineNo, ev, has, bad)) {
            why = bad.What();
            return false;
        }
        if (!has) return true;
        ev.baseDir = baseDir;
        const size_t from = text.str().size();
        const bool ok = player->Play(ev, why);
        said = text.str().substr(from);
        return ok;
    }

    std::ostringstream text;
    host::Transcript out{text};
    host::Answerer answers;
    host::HostUi ui;
    CUiServicesScope scope;
    std::unique_ptr<CKiln_Main> app;
    std::unique_ptr<host::Player> player;
    std::string error;
    int lineNo = 0;
};

class Session {
public:
    Session(Run& run, const std::string& dir, Choices& choices, const SessionOptions& options, SessionResult& result)
        : m_run(run), m_dir(dir), m_choices(choices), m_options(options), m_result(result) {
        m_run.answers.SetResponder([this](const Question& q, Answer& a) { return Respond(q, a); });
    }
    ~Session() { m_run.answers.SetResponder(nullptr); }

    void Play() {
        for (int step = 0; step < m_options.steps && !m_choices.Exhausted() && !m_stopped; ++step) {
            ++m_result.steps;
            const size_t kind = m_choices.Pick(10);
            if (kind < 6) MenuStep();
            else if (kind < 9) EditStep();
            else ExportStep(m_choices.Pick(8));
        }
        // Every ICD exported at the end.
        m_forced = true;
        for (size_t i = 0; !m_stopped && i < 8; ++i)
            if (!ExportStep(i)) break;
    }

private:
    // ---- the tree ----
    std::string ItemText(Struct_ItemDesc& item) {
        if (!item.sText3.IsEmpty()) return item.sText3.str();
        CString text;
        if (m_run.app->TreeMsg_OnGetRscText(View(), &item, &text) && !text.IsEmpty()) return text.str();
        return item.uRsc.sUri.empty() ? "(no text)" : item.uRsc.sUri;
    }
    CBase_Cmd* View() { return m_run.app->Mtd_View_of_sID(kView_TreeUser); }
    std::vector<Struct_ItemDesc> Children(Struct_ItemDesc* parent) {
        std::vector<Struct_ItemDesc> items;
        m_run.app->TreeMsg_OnSetChildItems(View(), parent, &items);
        return items;
    }
    // A path of item texts, walked at random from the top. Each text is
    // the first of its siblings with that text, so that `select` finds it.
    std::vector<std::string> RandomPath() {
        std::vector<std::string> path;
        std::optional<Struct_ItemDesc> at;
        for (int level = 0; level < 10; ++level) {
            std::vector<Struct_ItemDesc> items = Children(at ? &*at : nullptr);
            if (items.empty() || (level > 0 && m_choices.Chance(25))) break;
            std::vector<std::string> texts;
            for (auto& item : items) texts.push_back(ItemText(item));
            size_t i = m_choices.Pick(items.size());
            i = static_cast<size_t>(std::max(0, host::FindRow(texts, {}, texts[i])));
            path.push_back(texts[i]);
            at = items[i];
        }
        return path;
    }
    // The paths of the ICD items ("IED类型配置: ...") in the first three levels.
    void IcdPaths(Struct_ItemDesc* parent, std::vector<std::string>& path, std::vector<std::vector<std::string>>& out) {
        if (path.size() >= 3) return;
        std::vector<Struct_ItemDesc> items = Children(parent);
        std::vector<std::string> texts;
        for (auto& item : items) texts.push_back(ItemText(item));
        for (size_t i = 0; i < items.size(); ++i) {
            if (host::FindRow(texts, {}, texts[i]) != static_cast<int>(i)) continue;
            path.push_back(texts[i]);
            if (texts[i].rfind("IED类型配置: ", 0) == 0) out.push_back(path);
            else IcdPaths(&items[i], path, out);
            path.pop_back();
        }
    }
    static std::string SelectLine(const std::vector<std::string>& path) {
        std::string line = "select";
        for (const std::string& t : path) line += " " + host::QuoteWord(t, true);
        return line;
    }

    // ---- playing ----
    // Plays the event with the answers the responder gives it, which stand
    // before it in the script.
    bool Play(const std::string& line, std::string& said) {
        std::string why;
        m_given.clear();
        m_firstCancelled = false;
        m_saved.clear();
        const bool ok = m_run.Play(line, m_dir, said, why);
        for (const Answer& a : m_given)
            m_script += "answer " + a.kind + (a.kind == "ok" || a.kind == "yes" || a.kind == "no" || a.kind == "cancel"
                                                  ? ""
                                                  : " " + host::QuoteWord(a.value, true)) +
                        "\n";
        m_script += line + "\n";
        if (!ok) m_stopped = true;
        m_importRefused = !ok && AnyIn(why, kImportRefusalMarks);
        return ok || m_importRefused || Fail("the event failed: " + why);
    }
    // A fault, with the line of the script where it showed.
    bool Fail(const std::string& what) {
        m_result.faults.push_back("line " + std::to_string(std::count(m_script.begin(), m_script.end(), '\n')) +
                                  ": " + what);
        return false;
    }

    // The text of every domain that can change.
    std::string Snapshot() {
        std::string all;
        for (const CString& name : m_run.app->m_Doc.DomainNames()) {
            if (!m_run.app->m_Doc.IsDomainEditable(name)) continue;
            CString text;
            m_run.app->DocMtd_DEnv_CimDomainToStr(name, text);
            all += name.str() + "\n" + text.str();
        }
        return all;
    }
    void ExpectUnchanged(const std::string& before, const std::string& what) {
        ++m_result.refusals;
        if (Snapshot() != before) Fail(what + " was refused, yet the document changed");
    }
    // The resources of the class in editable domains.
    std::vector<URI_Ref> Editable(const char* cls) {
        std::vector<URI_Ref> out;
        m_run.app->m_Doc.ByClass(cls, out);
        out.erase(std::remove_if(out.begin(), out.end(), [&](const URI_Ref& u) {
                      return !m_run.app->m_Doc.IsDomainEditable(CString(u.sUri.substr(0, u.sUri.find('#') + 1)));
                  }), out.end());
        return out;
    }
    // The code (ord) of every enumeration value, by its identifier.
    std::map<std::string, std::string> EnumCodes() {
        std::map<std::string, std::string> codes;
        for (const URI_Ref& v : Editable("sec:EnumVal"))
            codes[v.sUri] = m_run.app->DocMtd_getValue_ofAttr(v, core::kRoleOrd).str();
        return codes;
    }
    // An enumeration value's code is what the wire carries for its text: no
    // step changes it but an edit of that value's own code.
    void ExpectCodesKept(const std::map<std::string, std::string>& before, const URI_Ref& edited, const std::string& what) {
        for (const auto& [uri, code] : EnumCodes()) {
            const auto was = before.find(uri);
            if (was != before.end() && was->second != code && uri != edited.sUri)
                Fail(what + " changed the code of " + uri + " from " + was->second + " to " + code);
        }
    }

    // ---- answers ----
    std::string Text() {
        static const std::string kLong(300, 'x');
        const size_t n = std::size(kTexts);
        const size_t i = m_choices.Pick(n + 1);
        return i == n ? kLong : kTexts[i];
    }
    // A row of the list; -1 when it has none.
    int Row(const std::vector<std::string>& rows) {
        return rows.empty() ? -1 : static_cast<int>(m_choices.Pick(rows.size()));
    }
    bool Respond(const Question& q, Answer& a) {
        a.where = "session";
        a.baseDir = m_dir;
        const bool first = m_given.empty();
        const bool cancel = !m_forced && q.kind != Question::Kind::MessageBox && m_choices.Chance(8);
        auto done = [&] {
            if (first && a.kind == "cancel") m_firstCancelled = true;
            m_given.push_back(a);
            return true;
        };
        if (cancel) {
            a.kind = "cancel";
            return done();
        }
        switch (q.kind) {
            case Question::Kind::MessageBox: {
                std::vector<std::string> buttons = q.buttons;
                // Mostly the first button (yes, ok).
                a.kind = buttons.empty() ? "ok" : buttons[m_choices.Chance(70) ? 0 : m_choices.Pick(buttons.size())];
                if (m_forced && a.kind == "cancel") a.kind = buttons.front();
                if (Contains(q.text, "由M2I生成")) m_fromM2I = a.kind == "yes";
                return done();
            }
            case Question::Kind::Text:
                a.kind = "text";
                a.value = Text();
                return done();
            case Question::Kind::Choice:
            case Question::Kind::Resource:
            case Question::Kind::Button: {
                const auto& rows = q.kind == Question::Kind::Button ? q.buttons : q.choices;
                const int row = Row(rows);
                a.kind = row < 0 ? "cancel" : q.kind == Question::Kind::Choice     ? "choice"
                                           : q.kind == Question::Kind::Resource ? "resource"
                                                                                : "button";
                if (row >= 0) a.value = rows[static_cast<size_t>(row)];
                if (q.kind == Question::Kind::Resource && row >= 0 && host::FindRow(rows, q.values, a.value) != row)
                    a.value = q.values[static_cast<size_t>(row)];
                return done();
            }
            case Question::Kind::SaveFile: {
                a.kind = "file";
                a.value = "f" + std::to_string(++m_files) + "." + ExtensionOf(q.text);
                m_saved.push_back(a.value);
                return done();
            }
            case Question::Kind::OpenFile: {
                const std::string ext = ExtensionOf(q.text);
                a.kind = "file";
                if (ext == "icd") {
                    a.value = (fs::path(KILN_SOURCE_DIR) / "tests/data/scl" /
                               kIcdFiles[m_choices.Pick(std::size(kIcdFiles))]).string();
                } else {
                    // A file of its kind written earlier in the session, if any.
                    std::vector<std::string> mine;
                    for (int i = 1; i <= m_files; ++i) {
                        const std::string name = "f" + std::to_string(i) + "." + ext;
                        if (fs::exists(fs::path(m_dir) / name)) mine.push_back(name);
                    }
                    if (mine.empty()) a.kind = "cancel";
                    else a.value = mine[m_choices.Pick(mine.size())];
                }
                return done();
            }
            case Question::Kind::Dialog: {
                const size_t pick = m_choices.Pick(3);
                if (pick == 0 || q.choices.empty()) {
                    a.kind = "ok";
                } else if (pick == 1) {
                    const int row = Row(q.choices);
                    a.kind = row < 0 ? "ok" : "choice";
                    if (row >= 0) a.value = q.choices[static_cast<size_t>(row)];
                } else {
                    const size_t first = m_choices.Pick(q.choices.size());
                    const size_t last = first + m_choices.Pick(std::min<size_t>(4, q.choices.size() - first));
                    a.kind = "rows";
                    a.value = std::to_string(first + 1) + "-" + std::to_string(last + 1);
                }
                return done();
            }
        }
        return false;
    }

    // ---- steps ----

    // A context menu's item, answered as the questions come; the exports it
    // makes are checked.
    void MenuStep() {
        std::string said;
        // Now and then an enumeration value of an editable domain, moved,
        // deleted or given a sibling: deep in the tree, seldom reached.
        const std::vector<URI_Ref> values = m_choices.Chance(15) ? Editable("sec:EnumVal") : std::vector<URI_Ref>();
        const std::string select = values.empty() ? SelectLine(RandomPath())
                                                  : "select-uri " + host::QuoteWord(values[m_choices.Pick(values.size())].sUri, true);
        if (!Play(select, said) || !Play("rclick", said) || !m_run.ui.MenuShown()) return;
        std::vector<std::string> items;
        for (const host::MenuEntry& e : m_run.ui.LastMenu())
            if (e.enabled && !e.command.empty() &&
                host::FindRow(items, {}, e.text) < 0)
                items.push_back(e.text);
        if (items.empty()) return;
        const std::string item = items[m_choices.Pick(items.size())];
        ++m_result.menus;
        const std::string before = Snapshot();
        const auto codes = EnumCodes();
        if (!Play("menu " + host::QuoteWord(item, true), said)) {
            if (m_importRefused) ExpectUnchanged(before, "the menu item " + item);
            return;
        }
        ExpectCodesKept(codes, URI_Ref(), "the menu item " + item);
        CheckExports(said);
        const std::string notices = Notices(said);
        const bool refused = m_firstCancelled || (AnyIn(notices, kRefusalMarks) && !Contains(said, "成功") &&
                                                  !Contains(said, "[status]"));
        if (refused) ExpectUnchanged(before, "the menu item " + item);
    }

    // A field of the selected resource's page, typed or picked from its list.
    void EditStep() {
        std::string said;
        CKiln_Main& app = *m_run.app;
        // Now and then a value of a DAI, DA or BDA of an editable domain, on
        // its page: deep in the tree, seldom reached by a random path.
        static const char* const kValueClasses[] = {"sec:Val", "sec:DAI", "sec:DA", "sec:BDA"};
        const bool valueStep = m_choices.Chance(20);
        const std::vector<URI_Ref> values = valueStep ? Editable(kValueClasses[m_choices.Pick(4)]) : std::vector<URI_Ref>();
        const std::string select = values.empty() ? SelectLine(RandomPath())
                                                  : "select-uri " + host::QuoteWord(values[m_choices.Pick(values.size())].sUri, true);
        if (!Play(select, said)) return;
        CBase_Cmd* view = app.m_pHtmlPropView ? app.m_pHtmlPropView : app.Mtd_View_of_sID(kView_Html1);
        if (!view || view->m_uShown.IsEmpty()) return;
        const URI_Ref rsc = view->m_uShown;
        CClassDfn cls;
        if (!app.m_Doc.GetClassDfn(rsc.sClass.c_str(), cls) || cls.vAttrs.empty()) return;
        std::string field = cls.vAttrs[m_choices.Pick(cls.vAttrs.size())].sText1.str();
        const char* valueField = rsc.sClass == "sec:Val" ? "sec:Val.sValue" : core::OwnValueRole(rsc);
        if (!values.empty() && valueField) field = valueField;
        Struct_EditPack pack;
        if (!app.HtmlMsg_OnPrepareEditField(view, rsc, field.c_str(), CString(), &pack)) return;
        std::string value = Text();
        if (pack.nEditKind == 7) {
            if (pack.vList.vPairs.empty()) return;
            value = pack.vList.vPairs[m_choices.Pick(pack.vList.vPairs.size())].first.str();
        }
        ++m_result.edits;
        const std::string before = Snapshot();
        const auto codes = EnumCodes();
        if (!Play("edit " + field + " " + host::QuoteWord(value, true), said)) return;
        // Only an edit of a value's own code changes it.
        ExpectCodesKept(codes, field == core::kRoleOrd ? rsc : URI_Ref(), "the edit of " + field);
        // The plug-in stores some fields itself; it refuses with a notice. An
        // edit said to change nothing changes nothing.
        if ((Contains(said, "-> refused by the plug-in") && Contains(said, "\n[message")) || Contains(said, "-> unchanged: "))
            ExpectUnchanged(before, "the edit of " + field);
        if (valueField && field == valueField && Contains(said, "-> stored \"")) ExpectValueExported(rsc);
    }

    // A stored value: the export of its ICD, made at once, writes the values
    // of its DAI, DA or BDA as the model holds them, or names the place.
    void ExpectValueExported(const URI_Ref& rsc) {
        CKiln_Main& app = *m_run.app;
        auto name = [&](const URI_Ref& r) { return app.DocMtd_getValue_ofAttr(r, core::kRoleName).str(); };
        auto first = [&](const URI_Ref& r, const char* role) { return app.DocMtd_getFirstUri_ofAsso(r, role); };
        const URI_Ref owner = rsc.sClass == "sec:Val" ? core::ValOwner(app, rsc) : rsc;
        const URI_Ref doi = first(owner, "sec:DAI.DOI"), ln = first(doi, "sec:DOI.LNode");
        const URI_Ref type = first(owner, owner.sClass == "sec:DA" ? "sec:DA.MemberOf_DOType" : "sec:BDA.MemberOf_DAType");
        const URI_Ref icd = doi.IsSet() ? first(ln, "sec:LNode.LDevice/sec:LDevice.Server/sec:Server.IED/sec:IED.ICD")
                                        : first(type, (type.sClass + ".TypePackage/sec:TypePackage.ICD").c_str());
        if (icd.IsEmpty()) return;
        std::vector<std::string> expected;
        for (const URI_Ref& v : core::ValsOf(app, owner)) expected.push_back(app.DocMtd_getValue_ofAttr(v, "sec:Val.sValue").str());
        const std::string own = app.DocMtd_getValue_ofAttr(owner, core::OwnValueRole(owner)).str();
        if (expected.empty() && !own.empty()) expected.push_back(own);
        std::string last = name(owner).substr(name(owner).rfind('.') + 1);  // a DAI's path ends in its name
        last = last.substr(0, last.find('['));
        const std::string path = doi.IsSet() ? "//LDevice[@inst='" + name(first(ln, "sec:LNode.LDevice")) +
                                                   "']/*[concat(@prefix,@lnClass,@inst)='" + name(ln) + "']/DOI[@name='" +
                                                   name(doi) + "']//DAI[@name='" + last + "']"
                                             : "//DataTypeTemplates/*[@id='" + name(type) + "']/*[@name='" + last + "']";
        std::string said;
        if (std::count(path.begin(), path.end(), '\'') % 2 || !Play("select-uri " + host::QuoteWord(icd.sUri, true), said) ||
            !Play("rclick", said))
            return;
        const auto& menu = m_run.ui.LastMenu();
        const auto item = std::find_if(menu.begin(), menu.end(), [](const host::MenuEntry& e) { return e.command == "ICD:Export ICD"; });
        if (item == menu.end() || !item->enabled || !Play("menu " + host::QuoteWord(item->text, true), said)) return;
        CheckExports(said);
        for (const std::string& file : m_saved) {
            xml::XmlDocState read;
            const pugi::xml_document& doc = read.doc;
            bool held = false, written = false;
            if (fs::path(file).extension() == ".icd" && ReadAsKiln((fs::path(m_dir) / file).string(), read))
                for (const pugi::xpath_node& n : doc.select_nodes(path.c_str())) {
                    std::vector<std::string> got;
                    for (const pugi::xml_node& val : n.node().children("Val")) got.push_back(val.text().get());
                    written = true;
                    held = held || got == expected;
                }
            if (written && !held && !Contains(said, last.c_str())) Fail(file + ": the values of " + owner.sUri + " are not written as stored");
            if (m_fromM2I) ExpectMappingsWritten(doc, first(icd, "sec:ICD.M2I"), file, said);
        }
    }

    // An export from the M2I writes each mapping item's value at its target
    // (its node's DOI, SDIs and DAI), or names the item.
    void ExpectMappingsWritten(const pugi::xml_document& doc, const URI_Ref& m2i, const std::string& file,
                               const std::string& said) {
        CKiln_Main& app = *m_run.app;
        std::vector<URI_Ref> items;
        app.DocMtd_get_Association_BUris(m2i, "sec:M2I.MapItems", items, core::kRoleOrd, SortPolicy_ByOrd);
        auto get = [&](const URI_Ref& r, const char* role) { return app.DocMtd_getValue_ofAttr(r, role).str(); };
        for (const URI_Ref& item : items) {
            const URI_Ref node = app.DocMtd_getFirstUri_ofAsso(item, "sec:DARef.LNode");
            const URI_Ref ld = app.DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LDevice");
            const std::string value = get(item, "sec:MapItem.valStr"), doName = get(item, "sec:DARef.doName"),
                              daName = get(item, "sec:DARef.daName");
            if (ld.IsEmpty() || value.empty() || doName.empty() || daName.empty() || Contains(said, doName.c_str())) continue;
            std::string path = "//LDevice[@inst='" + get(ld, core::kRoleName) + "']/*[concat(@prefix,@lnClass,@inst)='" +
                               get(node, core::kRoleName) + "']";
            const std::string parts = doName + "." + daName;
            for (size_t at = 0, k = 0; at != std::string::npos; ++k) {
                const size_t dot = parts.find('.', at);
                const std::string part = parts.substr(at, dot == std::string::npos ? dot : dot - at);
                path += std::string(k == 0 ? "/DOI" : dot == std::string::npos ? "/DAI" : "/SDI") + "[@name='" + part + "']";
                at = dot == std::string::npos ? dot : dot + 1;
            }
            if (std::count(path.begin(), path.end(), '\'') % 2) continue;
            bool written = false;
            for (const pugi::xpath_node& n : doc.select_nodes((path + "/Val").c_str()))
                written = written || value == n.node().text().get();
            if (!written) Fail(file + ": the mapping item " + item.sUri + " is not written at " + path);
        }
    }

    // The export of the n-th ICD of the tree (false when there is none).
    bool ExportStep(size_t n) {
        std::vector<std::string> path;
        std::vector<std::vector<std::string>> icds;
        IcdPaths(nullptr, path, icds);
        if (n >= icds.size()) return false;
        std::string said;
        if (!Play(SelectLine(icds[n]), said) || !Play("rclick", said)) return false;
        const auto& menu = m_run.ui.LastMenu();
        const auto item = std::find_if(menu.begin(), menu.end(),
                                       [](const host::MenuEntry& e) { return e.command == "ICD:Export ICD"; });
        if (item == menu.end() || !item->enabled) return true;
        ++m_result.menus;
        if (Play("menu " + host::QuoteWord(item->text, true), said)) CheckExports(said);
        return true;
    }

    // Each ICD file the event wrote: its schema errors are the breaches
    // its messages name.
    void CheckExports(const std::string& said) {
        for (const std::string& name : m_saved) {
            const fs::path file = fs::path(m_dir) / name;
            if (file.extension() != ".icd" || !fs::exists(file)) continue;
            ++m_result.exports;
            CheckReferences(file.string(), name, said);
            CheckCodes(file.string(), name);
            if (m_options.xsd.empty()) continue;
            std::vector<SchemaError> errors;
            std::string why;
            if (!SchemaErrorsOf(file.string(), m_options.xsd, errors, why) && !why.empty()) {
                Fail(name + ": " + why);
                continue;
            }
            for (const std::string& fault : Unmatched(errors, NamedBreaches(said))) Fail(name + ": " + fault);
        }
    }

    // Each enumeration written carries the codes (ords) the model gives its
    // texts, those of some enumeration of its id (the standard's without "850EN_").
    void CheckCodes(const std::string& file, const std::string& name) {
        CKiln_Main& app = *m_run.app;
        using Codes = std::map<std::string, std::string>;
        std::map<std::string, std::vector<Codes>> model;
        std::vector<URI_Ref> types;
        app.m_Doc.ByClass("sec:EnumType", types);
        for (const URI_Ref& type : types) {
            std::string id = app.DocMtd_getValue_ofAttr(type, core::kRoleName).str();
            if (id.rfind("850EN_", 0) == 0) id = id.substr(6);
            std::vector<URI_Ref> values;
            app.DocMtd_get_Association_BUris(type, "sec:EnumType.EnumVals", values, core::kRoleOrd, SortPolicy_ByOrd);
            Codes codes;
            for (const URI_Ref& v : values) {
                std::string text = app.DocMtd_getValue_ofAttr(v, "sec:EnumVal.val").str();
                if (text.empty()) text = app.DocMtd_getValue_ofAttr(v, core::kRoleName).str();
                codes[text] = app.DocMtd_getValue_ofAttr(v, core::kRoleOrd).str();
            }
            model[id].push_back(codes);
        }
        xml::XmlDocState read;
        if (!ReadAsKiln(file, read)) return;
        for (const pugi::xpath_node& n : read.doc.select_nodes("//DataTypeTemplates/EnumType")) {
            Codes written;
            for (const pugi::xml_node& v : n.node().children("EnumVal")) written[v.text().get()] = v.attribute("ord").value();
            const auto found = model.find(n.node().attribute("id").value());
            if (found != model.end() && std::find(found->second.begin(), found->second.end(), written) == found->second.end())
                Fail(name + ": the codes of EnumType " + found->first + " are none the model holds");
        }
    }

    // The file names no member its own types lack; the Enum values none of
    // their type's are named by the export.
    void CheckReferences(const std::string& file, const std::string& name, const std::string& said) {
        xml::XmlDocState read;
        if (!ReadAsKiln(file, read)) {
            Fail(name + ": the file does not parse");
            return;
        }
        for (const std::string& fault : UnnamedReferences(DanglingReferences(read.doc.document_element()), said))
            Fail(name + ": " + fault);
    }

    Run& m_run;
    std::string m_dir;
    Choices& m_choices;
    const SessionOptions& m_options;
    SessionResult& m_result;
    std::string& m_script = m_result.script;
    std::vector<Answer> m_given;       // the answers of the event being played
    std::vector<std::string> m_saved;  // the files it was told to write
    bool m_firstCancelled = false;
    bool m_forced = false;  // the closing exports: nothing cancelled
    bool m_fromM2I = false;  // the last ICD export was asked to write the M2I's values
    bool m_stopped = false;
    bool m_importRefused = false;  // the last event failed as a refused import
    int m_files = 0;
};

bool PlayScript(Run& run, const std::string& file, const std::string& baseDir, std::string& error) {
    std::ifstream in(file);
    std::string said;
    for (std::string line; std::getline(in, line);)
        if (!run.Play(line, baseDir, said, error) && !error.empty()) {
            error = file + ": " + error;
            return false;
        }
    return true;
}

}  // namespace

size_t ByteChoices::Pick(size_t n) {
    if (n == 0) return 0;
    size_t value = 0;
    // As many bytes as n needs, each taken once.
    for (size_t range = 1; range < n && m_at < m_size; range <<= 8) value = (value << 8) | m_data[m_at++];
    return value % n;
}

bool PrepareWorkspace(const std::string& dir, std::string& error) {
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(fs::path(dir) / "examples");
    fs::create_directories(fs::path(dir) / "build");
    const fs::path source = KILN_SOURCE_DIR;
    fs::copy_file(source / "examples" / "demo.kiln", fs::path(dir) / "examples" / "demo.kiln");
    std::ostringstream said;
    host::Transcript out(said);
    const std::string ws = (fs::path(dir) / "build" / "demo-workspace").string();
    if (!host::InitWorkspace(ws, host::Installation::Find(), out, error)) return false;
    Run run((fs::path(ws) / host::kDocumentFolder).string());
    if (!run.error.empty()) {
        error = run.error;
        return false;
    }
    // The demo, then a test ICD imported into its product.
    std::ofstream((fs::path(dir) / "examples" / "import.kiln"))
        << "view TreeView_User\n"
        << "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\"\n"
        << "answer file " << (source / "tests/data/scl/feeder_relay_report_blocks.icd").string() << "\n"
        << "answer choice \"Orsane.Zel:2007  (标准)\"\nanswer no\nrclick\nmenu \"导入 ICD（IED类型配置）\"\n";
    // The demo's ICD given an ITB and an M2I mapping alarms to a node.
    fs::copy_file(source / "tests" / "commands" / "data" / "alarms_from_itb.kiln",
                  fs::path(dir) / "examples" / "alarms.kiln");
    for (const char* script : {"demo.kiln", "alarms.kiln", "import.kiln"})
        if (!PlayScript(run, (fs::path(dir) / "examples" / script).string(), (fs::path(dir) / "examples").string(),
                        error))
            return false;
    return run.player->Save(error);
}

SessionResult PlaySession(const std::string& prepared, const std::string& dir, Choices& choices,
                          const SessionOptions& options) {
    SessionResult result;
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    const fs::path ws = fs::path(dir) / "ws";
    fs::copy(fs::path(prepared) / "build" / "demo-workspace", ws, fs::copy_options::recursive, ec);
    if (ec) {
        result.faults.push_back("cannot copy the workspace: " + ec.message());
        return result;
    }
    Run run((ws / host::kDocumentFolder).string());
    if (!run.error.empty()) {
        result.faults.push_back(run.error);
        return result;
    }
    result.script = "view TreeView_User\n";
    std::string said, why;
    run.Play("view TreeView_User", dir, said, why);
    Session(run, dir, choices, options, result).Play();
    return result;
}

}  // namespace kiln::test
