#include "host/views.h"

namespace kiln::host {

namespace {
const char* const kTreeViews[] = {"TreeView_User", "TreeView_Preset", "TreeView_ICDPreset", "TreeView_ICDPreset2",
                                  "TreeView_Manager"};
const char* const kHtmlViews[] = {kPropertyView, kSecondHtmlView};
}  // namespace

bool IsTreeView(const std::string& sid) {
    for (const char* v : kTreeViews)
        if (sid == v) return true;
    return false;
}

int ViewKind(const std::string& sid) {
    if (IsTreeView(sid)) return kTreeViewKind;
    for (const char* v : kHtmlViews)
        if (sid == v) return kHtmlViewKind;
    return 0;
}

bool IsKnownView(const std::string& sid) { return ViewKind(sid) != 0; }

std::string KnownViewsText() {
    std::string s = "known views:";
    for (const char* v : kTreeViews) s += std::string(" ") + v;
    for (const char* v : kHtmlViews) s += std::string(" ") + v;
    return s;
}

}  // namespace kiln::host
