// The views of the headless host: their identifiers and kinds.
#pragma once

#include <string>

namespace kiln::host {

// View kinds the host gives its views: trees 1, property (HTML) views 2.
constexpr int kTreeViewKind = 1;
constexpr int kHtmlViewKind = 2;

constexpr const char* kStartView = "TreeView_User";
constexpr const char* kPropertyView = "超文本视图1";
constexpr const char* kSecondHtmlView = "超文本视图2";

bool IsKnownView(const std::string& sid);
bool IsTreeView(const std::string& sid);
int ViewKind(const std::string& sid);  // 0 for an unknown view
std::string KnownViewsText();          // "known views: TreeView_User, ..."

}  // namespace kiln::host
