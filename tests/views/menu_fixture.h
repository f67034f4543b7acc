// The fixture of the context-menu tests: a small standard package (LLN0,
// LPHD, PTOC, GGIO), the model of every class built with the creators, the
// host's standard views plus a graphics view and views of kinds 0 and 4,
// and a plug-in object that records the commands it receives.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/kiln_main.h"
#include "platform/ui/scripted_ui.h"
#include "tests/views/every_class.h"

namespace kiln::test {

// The plug-in object with a command handler that only records what it is
// given: the command string and the triple the command would act on.
class RecordingMain : public CKiln_Main {
public:
    struct Command {
        CString command;
        URI_Ref rsc, rsc2;
        CBase_Cmd* view = nullptr;
    };
    std::vector<Command> commands;
    void Msg_OnAppCommand(CString command) override { commands.push_back({command, m_uCurRsc, m_uCurRsc2, m_pCurCmd}); }
};

inline constexpr const char* kGraphicsView = "图形视图";
inline constexpr const char* kKind0View = "视图0";
inline constexpr const char* kKind4View = "视图4";

class MenuTest : public ::testing::Test {
public:
    MenuTest();

    // A right click as the tree, graphics and HTML handlers pass it on:
    // ShortMenu with the view and the arguments. With `expectShown` a popup
    // must be tracked (it is closed without a pick); without, none may be.
    // The popup's items, "text|command" each, separators "----".
    std::vector<std::string> Menu(const char* view, const URI_Ref& rsc, const CString& label = "",
                                  bool expectShown = true, const URI_Ref& rsc2 = URI_Ref());
    // Only the command strings, separators "----".
    std::vector<std::string> Commands(const char* view, const URI_Ref& rsc, const CString& label = "");

    CBase_Cmd* View(const char* id) { return app.Mtd_View_of_sID(id); }

    CScriptedUi ui;
    RecordingMain app;
    URI_Ref stdPackage;
    EveryClass m;
};

}  // namespace kiln::test
