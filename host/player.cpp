#include "host/player.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <set>

#include "host/events.h"
#include "host/show.h"
#include "host/text.h"
#include "platform/framework/app_cim.h"
#include "platform/framework/wnd.h"

namespace kiln::host {

namespace {

// The field of items a page shows before they exist, by the page's class
// (one a class).
constexpr std::pair<const char*, const char*> kMadeOnDemand[] = {{"sec:DA", "sec:Val"},
                                                                 {"sec:BDA", "sec:Val"},
                                                                 {"sec:LNode", "sec:LNode.DOIs"},
                                                                 {"sec:InfoItem", "sec:InfoItem.MapItem"}};

// Levels printed or searched at most, whatever the tree holds.
constexpr int kMaxLevels = 64;
// Items a search by identifier looks at before it gives up.
constexpr size_t kSearchBudget = 200000;

[[noreturn]] void Fail(const std::string& message) { throw EventFailure{message}; }

// What marks an item on its branch: its resource, key and label. Folder
// items carry the resource of their parent, so the key and the label count.
std::string Mark(const Struct_ItemDesc& item) {
    return item.uRsc.sUri + '\x1f' + item.sKey.str() + '\x1f' + item.sText2.str();
}

}  // namespace

Player::Player(CBase_AppCim& app, HostUi& ui, Transcript& out, Answerer& answers, std::string docFolder)
    : m_app(app), m_ui(ui), m_out(out), m_answers(answers), m_docFolder(std::move(docFolder)) {
    m_view = m_app.Mtd_View_of_sID(kView_TreeUser);
}

bool Player::Play(const Event& ev, std::string& error) {
    // An echo prints its own line; every other event is shown as written.
    if (ev.name != "echo") m_out.Event(ev.text);
    m_baseDir = ev.baseDir;
    const bool ok = GuardedCall(
        m_ui,
        [&] {
            Run(ev);
            // Messages posted during the event (a picked menu item) are
            // handled before the next event, as when a handler has returned.
            AfxPumpMessages();
            // A file that follows the document's saves (its report) was not
            // written: the event fails, so that the document is not saved
            // without it.
            if (const CString unwritten = m_app.m_Doc.TakeUnwrittenFile(); !unwritten.IsEmpty())
                Fail("a file that follows the document was not written: " + unwritten.str());
            // A command leaves no answer to a later one: what it did not take
            // (it was refused before its question) fails the run here, before
            // another command's dialog can take it. A command that failed
            // fails the run with its own reason.
            if ((ev.name == "menu" || ev.name == "edit") && !m_ui.Failed())
                if (const std::string unused = m_answers.Unused(); !unused.empty()) Fail(unused);
        },
        error);
    if (!ok) error = ev.Where() + ": " + error;
    return ok;
}

void Player::Run(const Event& ev) {
    const auto& a = ev.args;
    if (ev.name == "view") View(a[0]);
    else if (ev.name == "tree") Tree(a.empty() ? kMaxLevels : std::min(kMaxLevels, std::atoi(a[0].c_str())));
    else if (ev.name == "select") Select(a);
    else if (ev.name == "select-uri") SelectUri(a[0]);
    else if (ev.name == "rclick") RClick();
    else if (ev.name == "menu") Menu(a[0]);
    else if (ev.name == "answer") m_answers.Queue({a[0], a.size() > 1 ? a[1] : "", ev.Where(), m_baseDir});
    else if (ev.name == "edit") Edit(a[0], a[1]);
    else if (ev.name == "import") Import(a[0], a[1], a.size() > 2);
    else if (ev.name == "show") Show(a);
    else if (ev.name == "save") {
        std::string error;
        if (!Save(error)) Fail(error);
    } else if (ev.name == "echo") {
        m_out.Line(Join(a, " "));
    } else {
        Fail("the host cannot play the event " + ev.name);
    }
}

bool Player::Save(std::string& error) {
    if (!m_app.m_Doc.Save(m_docFolder.c_str())) {
        error = "cannot save the document into " + m_docFolder + ": " + m_app.LastDocError().str();
        return false;
    }
    m_out.Line("[document] saved");
    return true;
}

// ---- views and trees ----

void Player::View(const std::string& sid) {
    CBase_Cmd* view = m_app.Mtd_View_of_sID(sid.c_str());
    if (!view) Fail("the host has no view " + sid);
    m_view = view;
    m_selected.reset();
    m_ui.ForgetMenu();
}

CBase_Cmd& Player::TreeView(const char* event) {
    if (!m_view || m_view->m_nKind != ViewClass_Tree)
        Fail(std::string(event) + " needs a tree view; the current view is " +
             (m_view ? m_view->m_sID.str() : std::string("none")) + " (choose one with view)");
    return *m_view;
}

std::string Player::ItemText(Struct_ItemDesc& item) {
    // The item carries the text the plug-in gave it; an item without one is
    // asked for its text, as the host does for items of its own.
    if (!item.sText3.IsEmpty()) return item.sText3.str();
    CString text;
    if (m_app.TreeMsg_OnGetRscText(m_view, &item, &text) && !text.IsEmpty()) return text.str();
    return item.uRsc.sUri.empty() ? "(no text)" : item.uRsc.sUri;
}

std::vector<Struct_ItemDesc> Player::Children(Struct_ItemDesc* parent) {
    std::vector<Struct_ItemDesc> items;
    m_app.TreeMsg_OnSetChildItems(m_view, parent, &items);
    return items;
}

int Player::PrintItems(Struct_ItemDesc* parent, int level, int depth, std::vector<std::string>& open) {
    std::vector<Struct_ItemDesc> items = Children(parent);
    for (auto& item : items) {
        m_out.Line(ItemText(item), 2 * level);
        if (level >= depth) continue;
        const std::string mark = Mark(item);
        // An item that already stands above itself on its branch is not opened again.
        if (std::find(open.begin(), open.end(), mark) != open.end()) continue;
        open.push_back(mark);
        PrintItems(&item, level + 1, depth, open);
        open.pop_back();
    }
    return static_cast<int>(items.size());
}

void Player::Tree(int depth) {
    TreeView("tree");
    std::vector<std::string> open;
    if (PrintItems(nullptr, 1, depth, open) == 0) m_out.Line("(the tree is empty)", 2);
}

void Player::Click(Struct_ItemDesc& item) {
    m_selected = item;
    m_app.TreeMsg_OnClick(m_view, &*m_selected);
}

void Player::Select(const std::vector<std::string>& path) {
    TreeView("select");
    m_ui.ForgetMenu();
    if (path.empty()) {
        m_selected.reset();
        return;
    }
    std::optional<Struct_ItemDesc> at;
    std::string where = "at the top of " + m_view->m_sID.str();
    std::string walked;
    // The levels where the path took the first of several items of its text.
    std::vector<std::string> firstOfSeveral;
    for (const std::string& word : path) {
        std::vector<Struct_ItemDesc> items = Children(at ? &*at : nullptr);
        std::vector<std::string> texts;
        for (auto& item : items) texts.push_back(ItemText(item));
        // A word is an item's text; failing that, "TEXT#N" the N-th item of TEXT.
        std::string text = word;
        int nth = 0;
        int hit = FindRow(texts, {}, word);
        const size_t hash = word.rfind('#');
        if (hit < 0 && hash != std::string::npos && IsCount(word.substr(hash + 1))) {
            text = word.substr(0, hash);
            nth = std::atoi(word.c_str() + hash + 1);
        }
        std::vector<int> equal;
        if (hit >= 0 || nth > 0) {
            const int first = hit >= 0 ? hit : FindRow(texts, {}, text);
            for (size_t i = 0; first >= 0 && i < texts.size(); ++i)
                if (Trim(texts[i]) == Trim(texts[static_cast<size_t>(first)])) equal.push_back(static_cast<int>(i));
        }
        if (nth > 0 && static_cast<size_t>(nth) <= equal.size()) hit = equal[static_cast<size_t>(nth - 1)];
        if (hit < 0) {
            std::string why = "no item " + Quoted(word) + " " + where;
            if (nth > 0 && !equal.empty())
                why += ": " +
                       (equal.size() == 1 ? "there is one item " : "there are " + std::to_string(equal.size()) + " items ") +
                       Quoted(text);
            else
                why += "; there are " + List(texts);
            for (const std::string& note : firstOfSeveral) why += "; " + note;
            Fail(why);
        }
        const std::string& shown = texts[static_cast<size_t>(hit)];
        if (nth == 0 && equal.size() > 1)
            firstOfSeveral.push_back("the path took the first of " + std::to_string(equal.size()) + " items " +
                                     Quoted(shown) + " " + where + " (" + Quoted(shown + "#2") +
                                     " names the second)");
        at = items[static_cast<size_t>(hit)];
        walked += (walked.empty() ? "" : " / ") + shown + (nth > 0 ? "#" + std::to_string(nth) : std::string());
        where = "under " + Quoted(walked);
    }
    Click(*at);
}

bool Player::FindByUri(Struct_ItemDesc* parent, const std::string& uri, int level, std::set<std::string>& seen,
                       size_t& budget, Struct_ItemDesc& found) {
    // In the order the tree is printed: an item, then what lies below it.
    std::vector<Struct_ItemDesc> items = Children(parent);
    for (auto& item : items) {
        if (budget == 0) return false;
        --budget;
        if (item.uRsc.sUri == uri) {
            found = item;
            return true;
        }
        if (level >= kMaxLevels) continue;
        // What lies below an item is searched once: a type shown under many
        // members is not walked again for each.
        if (!seen.insert(Mark(item)).second) continue;
        if (FindByUri(&item, uri, level + 1, seen, budget, found)) return true;
    }
    return false;
}

void Player::SelectUri(const std::string& uri) {
    TreeView("select-uri");
    m_ui.ForgetMenu();
    Struct_ItemDesc item;
    std::set<std::string> seen;
    size_t budget = kSearchBudget;
    if (!FindByUri(nullptr, uri, 1, seen, budget, item)) {
        // Not in the tree: the resource itself, as a resource item.
        URI_Ref rsc = m_app.m_Doc.Find(uri.c_str());
        if (rsc.IsEmpty()) Fail("the document has no resource " + uri);
        m_app.TreeMtd_SetItemDetail(&item, rsc, rsc.sClass.c_str(), "", true, "");
        m_out.Line("(" + uri + " is not in the tree of " + m_view->m_sID.str() + "; selected as a resource)", 2);
    }
    Click(item);
}

void Player::RClick() {
    if (!m_view) Fail("no view is chosen");
    m_ui.ForgetMenu();
    if (m_view->m_nKind == ViewClass_Tree) {
        m_app.TreeMsg_OnRClick(m_view, m_selected ? &*m_selected : nullptr);
    } else {
        // In a property view the page's own resource is right-clicked.
        m_app.HtmlMsg_OnRClick(m_view, URI_Ref(), CString(), nullptr);
    }
    if (!m_ui.MenuShown()) m_out.Line("[menu] none shown");
}

void Player::Menu(const std::string& wanted) {
    if (!m_ui.MenuShown()) Fail("no popup menu is open; right-click first (rclick)");
    const auto& menu = m_ui.LastMenu();
    const MenuEntry* hit = nullptr;
    auto find = [&](auto pred) {
        for (const auto& e : menu)
            if (!hit && pred(e)) hit = &e;
    };
    find([&](const MenuEntry& e) { return e.text == wanted || e.menuText == wanted; });
    find([&](const MenuEntry& e) { return Trim(e.text) == Trim(wanted) || Trim(e.menuText) == Trim(wanted); });
    find([&](const MenuEntry& e) { return e.command == wanted; });
    if (!hit) {
        std::vector<std::string> items;
        for (const auto& e : menu) items.push_back(e.text);
        Fail("the menu has no item " + Quoted(wanted) + "; it has " + List(items));
    }
    const MenuEntry entry = *hit;
    m_ui.ForgetMenu();
    if (entry.command.empty()) Fail("the menu item " + Quoted(entry.text) + " has no command");
    // The host asks for the command's state before it runs the command.
    CCmdUI_Eq state;
    state.sText = entry.menuText.c_str();
    state.bEnabled = entry.enabled;
    m_app.Msg_OnAppCommandUpdate(entry.command.c_str(), &state);
    if (!state.bEnabled) Fail("the menu item " + Quoted(entry.text) + " (" + entry.command + ") is disabled");
    m_out.Line("[command] " + entry.command);
    // The picked item goes to the application, which maps it back to its
    // command string and calls the command handler.
    if (!m_app.Mtd_OnMenuCommand(entry.nID)) Fail("nobody handled the menu item " + Quoted(entry.text));
}

// ---- property editing ----

void Player::Edit(const std::string& field, const std::string& value) {
    CBase_Cmd* view = m_app.m_pHtmlPropView ? m_app.m_pHtmlPropView : m_app.Mtd_View_of_sID(kView_Html1);
    if (!view) Fail("the host has no property view");
    // The page shows what was selected since the view was chosen, or, in a
    // property view, its own resource: a view chosen forgets the selection.
    URI_Ref rsc;
    if (m_selected || (m_view && m_view->m_nKind == ViewClass_Html)) rsc = view->m_uShown;
    if (rsc.IsEmpty() && m_selected) rsc = m_selected->uRsc;
    if (rsc.IsEmpty()) Fail("no resource is shown or selected; select one first");

    const std::string name = Quoted(m_app.DocMtd_getValue_ofAttr(rsc, "cim:Naming.name").str()) + " (" + rsc.sUri + ")";
    // The page's fields: the attributes and links of its class, and the
    // items it shows before they exist (a DOI's by their data-attribute path).
    CClassDfn cls;
    m_app.DocMtd_Get_ClassDfn(rsc.sClass.c_str(), cls);
    std::vector<std::string> fields;
    for (const auto& a : cls.vAttrs) fields.push_back(a.sText1.str());
    for (const auto& a : cls.vAssos) fields.push_back(a.sText1.str());
    const auto ownMade = std::find_if(std::begin(kMadeOnDemand), std::end(kMadeOnDemand),
                                      [&](const auto& owned) { return rsc.sClass == owned.first; });
    const char* const madeField = ownMade == std::end(kMadeOnDemand) ? nullptr : ownMade->second;
    if (madeField && std::find(fields.begin(), fields.end(), madeField) == fields.end()) fields.push_back(madeField);
    const bool daPath = rsc.sClass == "sec:DOI" && field.find('[') != std::string::npos;
    if (!daPath && std::find(fields.begin(), fields.end(), field) == fields.end())
        Fail("the page of " + name + " has no field " + Quoted(field) + "; its fields are " + Join(fields, ", "));

    const CString role = field.c_str();
    Struct_AttrDfn attr;
    const bool isAttr = m_app.DocMtd_Get_AttrDfn(rsc.sClass.c_str(), role, attr);
    // The field as the document holds it: an attribute's value, a link's
    // targets; what the plug-in stored itself is told from it.
    auto held = [&] {
        if (isAttr) return m_app.DocMtd_getValue_ofAttr(rsc, role).str();
        std::vector<URI_Ref> targets;
        m_app.DocMtd_get_Association_BUris(rsc, role, targets, CString(), SortPolicy_None);
        std::vector<std::string> uris;
        for (const URI_Ref& t : targets) uris.push_back(t.sUri);
        return Join(uris, ", ");
    };
    const std::string before = held();
    const CString oldValue = isAttr ? CString(before.c_str()) : CString(m_app.DocMtd_getFirstUri_ofAsso(rsc, role).sUri);

    const std::string what = field + " of " + name;
    Struct_EditPack pack;
    // Fields of items a page shows before they exist: preparing their edit
    // makes them. The data-object path of a logical node's page goes in the
    // pack's second pair list.
    if (daPath || (madeField && field == madeField)) {
        if (field == "sec:LNode.DOIs") pack.vList2.Add(CString(), value.c_str());
        // The word is what the store did, as for any edit: what the plug-in
        // answered does not say whether anything was made.
        const uint64_t revision = m_app.m_Doc.Revision();
        m_app.HtmlMsg_OnPrepareEditField(view, rsc, role, CString(), &pack);
        const bool made = m_app.m_Doc.Revision() != revision;
        m_out.Line("[edit] " + what + (field == "sec:LNode.DOIs" ? " " + Quoted(value) : std::string()) +
                   (made ? ": made on demand" : ": nothing made"));
        view->Mtd_Refresh(0);
        return;
    }
    if (!m_app.HtmlMsg_OnPrepareEditField(view, rsc, role, CString(), &pack)) {
        m_out.Line("[edit] " + what + ": not editable");
        return;
    }
    CString newValue = value.c_str();
    if (pack.nEditKind == 7) {
        std::vector<std::string> rows, values;
        for (const auto& [shown, stored] : pack.vList.vPairs) {
            rows.push_back(shown.str());
            values.push_back(stored.str());
        }
        const int hit = FindRow(rows, values, value);
        m_out.Ask("edit", what + ", was " + Quoted(oldValue.str()), rows,
                  hit < 0 ? "(no such row)" : Quoted(rows[static_cast<size_t>(hit)]));
        if (hit < 0) Fail("the list of " + field + " has no row " + Quoted(value) + "; it has " + List(rows));
        newValue = pack.vList.vPairs[static_cast<size_t>(hit)].second;
    } else {
        m_out.Line("[edit] " + what + ", was " + Quoted(oldValue.str()) + " -> " + Quoted(value));
    }
    CString display;
    int refresh = -1;
    // The word is what the store did: whether the document changed in the
    // plug-in's call and the host's store, not what the plug-in answered.
    const uint64_t revision = m_app.m_Doc.Revision();
    const int notices = m_ui.Notices();
    const bool store = m_app.HtmlMsg_OnFieldChanged(view, rsc, role, oldValue, newValue, &display, &refresh);
    if (store && !m_app.DocMtd_Modify_attribute_value(rsc, role, newValue))
        Fail("cannot store " + field + ": " + m_app.LastDocError().str());
    const bool changed = m_app.m_Doc.Revision() != revision;
    std::string result = "unchanged: " + Quoted(before);
    if (changed) result = store ? "stored " + Quoted(newValue.str()) : "stored by the plug-in: " + Quoted(held());
    else if (!store && m_ui.Notices() != notices) result = "refused by the plug-in, kept " + Quoted(before);
    if (!display.IsEmpty()) result += ", shown as " + Quoted(display.str());
    if (refresh >= 0) result += ", refresh " + std::to_string(refresh);
    m_out.Line("-> " + result, 2);
    view->Mtd_Refresh(0);
}

// ---- domains ----

void Player::Import(const std::string& file, const std::string& type, bool readOnly) {
    const std::string path = ResolvePath(file, m_baseDir);
    URI_Ref domainType;
    if (!m_app.Proc_FindCreatableType_ByName(type.c_str(), type.c_str(), domainType)) {
        std::vector<URI_Ref> types;
        std::string known;
        m_app.m_Doc.ByClass(kDomainTypeClass, types);
        for (const URI_Ref& t : types) {
            CString name;
            m_app.m_Doc.GetAttribute(t, "cim:Naming.name", name);
            known += (known.empty() ? "" : ", ") + Quoted(name.str());
        }
        Fail("the document has no domain type " + Quoted(type) + "; the domain types are " + known);
    }
    CString domain;
    if (!m_app.Import_ExterDomainFile(domainType, CString(), path.c_str(), &domain))
        Fail("cannot import " + path + ": " + m_app.LastDocError().str());
    if (readOnly && !m_app.m_Doc.SetDomainEditable(domain, false))
        Fail("cannot make the domain " + domain.str() + " read-only: " + m_app.LastDocError().str());
    m_out.Line("[import] " + file + " -> domain " + domain.str() + " (" + type + (readOnly ? ", read-only" : "") +
               ")");
    m_app.Mtd_AllViews_Refresh(nullptr, nullptr, 0);
}

// ---- inspection ----

void Player::Show(const std::vector<std::string>& args) {
    // The host reads the document store itself; no handler of the plug-in takes part.
    const std::string role = args.size() > 1 ? args[1] : std::string();
    const size_t limit = args.size() > 2 ? static_cast<size_t>(std::atoi(args[2].c_str())) : 0;
    std::string error;
    if (!ShowResource(m_app.m_Doc, m_out, args[0], role, limit, error)) Fail(error);
}

}  // namespace kiln::host
