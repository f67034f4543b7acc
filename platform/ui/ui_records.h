// What passes between the framework and the host's user-interface services:
// the kinds of calls, the popup menu as the host sees it, file-dialog and
// modal-dialog requests and their answers, and the record of one call.
#pragma once

#include <vector>

#include "platform/framework/records.h"
#include "platform/mfc/cstring.h"
#include "platform/ui/win_types.h"

// Every kind of call the host answers or is told about. The first nine are
// questions (the user answers them); the rest are notices.
enum class Enum_UiCall {
    FrameworkMessageBox,  // _AfxMessageBox
    LibraryMessageBox,    // the class library's AfxMessageBox
    InputBox,             // CBase_App::Mtd_SingleInputBox
    ButtonChoice,         // CBase_App::Mtd_ButtonChoiceBox
    PickResource,         // CBase_AppCim::Select_A_URI_FromSeq
    OpenFile,             // CFileDialog, open
    SaveFile,             // CFileDialog, save
    PopupMenu,            // CMenu::TrackPopupMenu
    ModalDialog,          // a dialog run modally
    StatusText,           // CBase_App::Mtd_SetStatusBarText
    AllViewsRefresh,      // CBase_App::Mtd_AllViews_Refresh
    AllViewsLocate,       // CBase_App::Mtd_AllViews_Locate
    ViewRefresh,          // one view redisplays its page
    ViewShow,             // one view shows a resource (at an anchor)
    ShellOpen,            // KQ_ShellExec
    WaitCursorBegin,      // CCmdTarget::BeginWaitCursor
    WaitCursorEnd,        // CCmdTarget::EndWaitCursor
    CommonMenu,           // the framework's own menu of the manager view
};

// A readable name of the kind, for failure texts and transcripts.
const char* UiCallName(Enum_UiCall kind);

// One item of a popup menu as the host shows it: the item identifier, the
// text, and the command string the framework recorded for it (empty for
// items of the class library's own).
struct Struct_UiMenuItem {
    UINT nID = 0;
    UINT nFlags = MF_STRING;
    CString sText;
    CString sCommand;
    std::vector<Struct_UiMenuItem> vSubItems;  // a popup entry's items

    bool IsSeparator() const { return (nFlags & MF_SEPARATOR) != 0; }
    bool IsPopup() const { return (nFlags & MF_POPUP) != 0; }
};

// A popup menu to track at a screen position.
struct Struct_UiMenu {
    std::vector<Struct_UiMenuItem> vItems;
    long x = 0;
    long y = 0;
    UINT nFlags = 0;
};

// An open or save dialog as the class library's CFileDialog builds it.
struct Struct_UiFileRequest {
    bool bOpen = true;
    CString sDefExt;
    CString sFileName;  // the file name offered
    DWORD nFlags = 0;
    CString sFilter;    // "ICD文件|*.icd|ICD-XML文件|*.icd.xml||"
};

// One range of selected grid rows and columns, inclusive.
struct Struct_UiGridRange {
    int nFirstRow = 0;
    int nFirstCol = 0;
    int nLastRow = 0;
    int nLastCol = 0;
};

// A dialog run modally: its name (the class or template), its caption, and
// what it shows when it opens (grid rows or list entries, one text per cell).
struct Struct_UiDialogRequest {
    CString sDialog;
    CString sCaption;
    std::vector<std::vector<CString>> vRows;
};

// What the user did in a modal dialog: the result DoModal returns, the
// entries chosen in its lists in the order they were chosen (by display
// text), and the grid ranges selected.
struct Struct_UiDialogAnswer {
    int nResult = IDCANCEL;
    std::vector<CString> vPicks;
    std::vector<Struct_UiGridRange> vRanges;
};

// The record of one call. Which fields mean what, by kind:
//   message boxes: sText the message, sCaption, nType the MB_ type;
//   InputBox: sText the prompt, sValue the text it opened with, nEditKind
//     (-1 without an edit pack), vList the choice list (display, value),
//     bFlag the flag argument;
//   ButtonChoice: sText the question, sCaption the first text, vList the buttons;
//   PickResource: sText the prompt, vList (display, URI text), uRsc the preset;
//   OpenFile/SaveFile: sValue the file name offered, sCaption the default
//     extension, sText the filter, nType the flags;
//   PopupMenu: vList (text, command) of every item, popups' items after
//     their popup, separators as ("", ""); x and y the position, nType the flags;
//   ModalDialog: sText the dialog, sCaption its caption, vList its rows
//     (the cells of a row joined by " | ", "");
//   StatusText: sText;
//   AllViewsRefresh/AllViewsLocate: sCaption the view's identifier (empty for
//     none), uRsc the resource, nType the view class;
//   ViewRefresh/ViewShow: sCaption the view's identifier, uRsc, sValue the
//     item key, sText the anchor, nType the hint;
//   ShellOpen: sText the path, sValue the parameters;
//   CommonMenu: sCaption the view's identifier, uRsc.
// The answer given is kept in nAnswer (button, index, DoModal result, menu
// item) and sAnswer (text, path, URI text, menu command).
struct Struct_UiCall {
    Enum_UiCall kind = Enum_UiCall::StatusText;
    CString sText;
    CString sCaption;
    CString sValue;
    UINT nType = 0;
    int nEditKind = -1;
    bool bFlag = false;
    Struct_Pairs vList;
    URI_Ref uRsc;
    long x = 0;
    long y = 0;
    int nAnswer = 0;
    CString sAnswer;
};
