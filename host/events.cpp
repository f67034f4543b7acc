#include "host/events.h"

#include <cstdlib>

#include "host/answers.h"
#include "platform/framework/view_cmd.h"

namespace kiln::host {

const std::vector<EventDef>& EventDefs() {
    static const std::vector<EventDef> defs = {
        {"view", "view VIEW", "choose the view that the next events act on",
         "Chooses the host view that the next events act on. VIEW is one of the tree views\n"
         "TreeView_User (the start view), TreeView_Preset, TreeView_ICDPreset, TreeView_ICDPreset2,\n"
         "TreeView_Manager, or one of the property views 超文本视图1, 超文本视图2. Choosing a\n"
         "view forgets the selected item.",
         1, 1},
        {"tree", "tree [DEPTH]", "print the tree of the current view",
         "Prints the tree of the current tree view as the plug-in fills it: the top level, then\n"
         "the children of every item, indented by two blanks a level, each item's text as the\n"
         "plug-in gives it. DEPTH limits the levels printed (1: the top level only); without it\n"
         "every level is printed. An item whose resource already stands above it on its branch\n"
         "is printed but not opened again.",
         0, 1},
        {"select", "select [TEXT ...]", "select a tree item by its path of texts",
         "Selects the tree item reached from the top level of the current tree view by its path\n"
         "of item texts, one TEXT per level (quote a text that holds blanks), and clicks it as a\n"
         "user would. Where several items of a level have one text, TEXT names the first of\n"
         "them and TEXT#N the N-th, counted from 1 in the order the tree lists them (an item\n"
         "whose own text is TEXT#N is taken first). Without TEXT it selects nothing, so that\n"
         "`rclick` clicks empty space.\n"
         "Example (in TreeView_ICDPreset): select \"标准定义:Orsane.Zel:2007\" \"LN类\" \"LLN0\"",
         0, -1},
        {"select-uri", "select-uri URI", "select the tree item of a resource",
         "Selects the first tree item of the current tree view, in the order the tree is printed,\n"
         "whose resource has the identifier URI (\"DOMAIN#id\"), and clicks it. When the tree\n"
         "does not show that resource, the resource itself is selected, as a resource item.",
         1, 1},
        {"rclick", "rclick", "right-click the selected item and print its menu",
         "Right-clicks the selected item (or empty space when nothing is selected) in the current\n"
         "view and prints the popup menu that the plug-in built: one line per item, its text and\n"
         "its command string; separators print as \"----\". In a property view the selected\n"
         "resource is right-clicked on its page.",
         0, 0},
        {"menu", "menu ITEM", "choose an item of the last popup menu",
         "Chooses the item of the last popup menu whose text or command string is ITEM (the\n"
         "text is tried first, blanks at its ends ignored). The host asks the plug-in for the\n"
         "command's state and then runs the command; a disabled item is an error.",
         1, 1},
        {"answer", "answer KIND [VALUE]", "queue the answer to a question that follows",
         "Queues the answer to the next question that the plug-in asks; answers are used in the\n"
         "order they were queued, and each fits one kind of question:\n"
         "  answer ok | yes | no | cancel   a message box with those buttons; cancel also\n"
         "                                  closes any other question without an answer\n"
         "  answer text TEXT                an input box with free text\n"
         "  answer choice TEXT              an input box with a list: the row whose display text\n"
         "                                  is TEXT\n"
         "  answer file PATH                a file dialog (a relative PATH is taken from the\n"
         "                                  folder of the script, or the current folder for -e)\n"
         "  answer button TEXT              the button-choice box: the button with that text\n"
         "  answer resource TEXT            the pick-a-resource box: the resource with that text\n"
         "                                  or identifier\n"
         "A dialog takes answer ok (closed with OK), answer choice TEXT (its row TEXT picked, then\n"
         "OK), answer rows ROWS (several rows selected, then OK) or answer cancel. ROWS are row\n"
         "numbers counted from 1 as the dialog lists them, and ranges of them, separated by\n"
         "commas: answer rows 4-5,1 selects rows 4 to 5, then row 1, as two ranges.\n"
         "Notices (message boxes with only an OK button) need no answer. A question for which no\n"
         "answer is queued is asked on the terminal when the standard input is one; otherwise,\n"
         "and when the next queued answer does not fit it, the run fails, naming the question,\n"
         "and the document is not saved. A command (menu, edit) that leaves answers queued before\n"
         "it unused fails the run there, so that no later question takes them; answers left\n"
         "unused at the end are an error as well.",
         1, 2},
        {"edit", "edit FIELD VALUE", "edit a field of the selected resource's property page",
         "Edits the field FIELD (a role such as cim:Naming.name) of the resource selected since\n"
         "the view was chosen (in a property view, of its page) as the property view 超文本视图1\n"
         "shows it: the plug-in prepares the editor, the host prints it, then hands VALUE to the\n"
         "plug-in's change handler. For a field with a list, VALUE is the display text of a row\n"
         "(or its value). When the handler accepts the value, the host stores it in the field;\n"
         "otherwise the result says whether the plug-in stored the field itself, left it\n"
         "unchanged, or refused the value (its message says why).\n"
         "The fields of items the page shows before they exist (sec:Val of a DA or BDA, a\n"
         "data-attribute path such as stVal[ST] of a DOI, sec:InfoItem.MapItem, and\n"
         "sec:LNode.DOIs with VALUE the path Mod.stVal[ST]) are only prepared: the plug-in makes\n"
         "the item, asking first. A FIELD the page does not have fails the run, naming the\n"
         "page's fields; a field the page shows and does not let edit is printed as not editable.",
         2, 2},
        {"import", "import FILE TYPE [readonly]", "import a domain file as a new domain",
         "Reads the CIM-XML domain file FILE into the document as a new domain of the domain\n"
         "type TYPE (such as 二次模型标准定义包3 or 二次模型数据类型包); with readonly the new\n"
         "domain cannot be edited. A relative FILE is taken like an answered file path.",
         2, 3},
        {"show", "show URI [ROLE [LIMIT]]", "print a resource of the document",
         "Prints the resource whose identifier is URI (\"DOMAIN#id\") as the document holds it,\n"
         "without asking the plug-in: a head line with its identifier, its name (cim:Naming.name)\n"
         "and its class, then every other attribute value it holds (ROLE = \"VALUE\") and, for\n"
         "every association role along which it has links, their number and the names of the\n"
         "first five targets (\"... N more\" for the rest), roles in the order of the schema.\n"
         "With ROLE (an association role such as sec:TypePackage.LNodeTypes) it prints the head\n"
         "line and every target along that role instead, its name and identifier, in sibling\n"
         "order (e301:OrdNaming.ord); LIMIT prints only the first LIMIT of them. An unknown URI,\n"
         "or a ROLE that its class has no association for, fails the run.\n"
         "Example: show kiln.IEC61850_std#StdTypePackage sec:TypePackage.LNodeTypes 5",
         1, 3},
        {"save", "save", "save the document now",
         "Saves the document into its folder. The run saves it once more at its end, when every\n"
         "event has passed.",
         0, 0},
        {"echo", "echo TEXT ...", "print a line into the transcript",
         "Prints its words, joined by blanks, as a line of the transcript (the event itself is\n"
         "not shown).",
         0, -1},
    };
    return defs;
}

const EventDef* FindEventDef(const std::string& name) {
    for (const auto& s : EventDefs())
        if (name == s.name) return &s;
    return nullptr;
}

namespace {
// The kinds of `answer` and whether each takes a value.
struct AnswerKind {
    const char* kind;
    bool takesValue;
};
const AnswerKind kAnswerKinds[] = {{"ok", false},     {"yes", false},   {"no", false},   {"cancel", false},
                                   {"text", true},    {"choice", true}, {"rows", true},  {"file", true},
                                   {"button", true},  {"resource", true}};
}  // namespace

static const AnswerKind* FindAnswerKind(const std::string& kind) {
    for (const auto& k : kAnswerKinds)
        if (kind == k.kind) return &k;
    return nullptr;
}

static std::string AnswerKindsText() {
    std::string s;
    for (const auto& k : kAnswerKinds) s += std::string(s.empty() ? "" : ", ") + k.kind;
    return s;
}

// The views of the host (the framework's standard views).
static const char* const kViews[] = {kView_TreeUser,    kView_TreePreset, kView_TreeICDPreset, kView_TreeICDPreset2,
                                     kView_TreeManager, kView_Html1,      kView_Html2};

static bool IsKnownView(const std::string& sid) {
    for (const char* v : kViews)
        if (sid == v) return true;
    return false;
}

static std::string KnownViewsText() {
    std::string s = "known views:";
    for (const char* v : kViews) s += std::string(" ") + v;
    return s;
}

bool IsCount(const std::string& s) {
    if (s.empty() || s.size() > 6) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return std::atoi(s.c_str()) > 0;
}

std::string CheckEventArgs(const EventDef& def, const std::vector<std::string>& args) {
    const int n = static_cast<int>(args.size());
    const std::string name = def.name;
    if (name == "answer") {
        if (n < 1) return "answer needs a kind: " + AnswerKindsText();
        const AnswerKind* kind = FindAnswerKind(args[0]);
        if (!kind) return "unknown answer kind \"" + args[0] + "\" (" + AnswerKindsText() + ")";
        if (kind->takesValue && n != 2) return "answer " + args[0] + " needs one value";
        if (!kind->takesValue && n != 1) return "answer " + args[0] + " takes no value";
        if (args[0] == "file" && args[1].empty()) return "answer file needs a path";
        std::vector<std::pair<int, int>> ranges;
        std::string why;
        if (args[0] == "rows" && !ParseRowRanges(args[1], ranges, why)) return "answer rows: " + why;
        return {};
    }
    if (n < def.minArgs || (def.maxArgs >= 0 && n > def.maxArgs)) return std::string("usage: ") + def.usage;
    if (name == "view" && !IsKnownView(args[0])) return "unknown view \"" + args[0] + "\"; " + KnownViewsText();
    if (name == "tree" && n == 1 && !IsCount(args[0])) return "the depth of tree must be a positive number";
    if ((name == "select-uri" || name == "show") && args[0].find('#') == std::string::npos)
        return "\"" + args[0] + "\" is no resource identifier (DOMAIN#id)";
    if (name == "show" && n > 1 && args[1].empty()) return "show needs a role after the identifier";
    if (name == "show" && n == 3 && !IsCount(args[2])) return "the limit of show must be a positive number";
    if (name == "import" && n == 3 && args[2] != "readonly") return "import takes readonly as its third word";
    if (name == "edit" && args[0].empty()) return "edit needs a field name";
    return {};
}

}  // namespace kiln::host
