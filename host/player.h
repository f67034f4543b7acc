// Plays host events on a plug-in: it drives the plug-in only through the
// handlers a host calls (tree, HTML-view and command handlers) and the
// framework services behind them.
#pragma once

#include <optional>
#include <set>
#include <string>

#include "host/host_ui.h"
#include "host/script.h"
#include "host/transcript.h"
#include "platform/framework/records.h"

class CBase_AppCim;
class CBase_Cmd;

namespace kiln::host {

class Player {
public:
    Player(CBase_AppCim& app, HostUi& ui, Transcript& out, Answerer& answers, std::string docFolder);

    // Plays one event. False, with the reason, when it failed.
    bool Play(const Event& ev, std::string& error);

    // Saves the document into its folder.
    bool Save(std::string& error);

private:
    void Run(const Event& ev);  // throws EventFailure
    void View(const std::string& sid);
    void Tree(int depth);
    void Select(const std::vector<std::string>& path);
    void SelectUri(const std::string& uri);
    void RClick();
    void Menu(const std::string& item);
    void Edit(const std::string& field, const std::string& value);
    void Import(const std::string& file, const std::string& type, bool readOnly);
    void Show(const std::vector<std::string>& args);

    CBase_Cmd& TreeView(const char* event);
    std::string ItemText(Struct_ItemDesc& item);
    std::vector<Struct_ItemDesc> Children(Struct_ItemDesc* parent);
    int PrintItems(Struct_ItemDesc* parent, int level, int depth, std::vector<std::string>& open);
    bool FindByUri(Struct_ItemDesc* parent, const std::string& uri, int level, std::set<std::string>& seen,
                   size_t& budget, Struct_ItemDesc& found);
    void Click(Struct_ItemDesc& item);

    CBase_AppCim& m_app;
    HostUi& m_ui;
    Transcript& m_out;
    Answerer& m_answers;
    std::string m_docFolder;
    CBase_Cmd* m_view = nullptr;
    std::optional<Struct_ItemDesc> m_selected;
    std::string m_baseDir;  // of the event being played
};

}  // namespace kiln::host
