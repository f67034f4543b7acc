// Extension-module support of the class library: a module that is loaded
// into the host registers its resources (dialog templates) in one
// process-wide chain, which the dialogs search by template id.
//
// On Linux a module's resources are not linked into the module image: they
// are a text file beside it, "<module folder>/resources/<module stem>.rc",
// where the stem is the module's file name without a leading "lib" and
// without its extensions (libkiln_core.so -> resources/kiln_core.rc). The
// file holds dialog templates in the syntax of a Windows resource script:
//
//   2001 DIALOG 0, 0, 193, 66
//   STYLE DS_MODALFRAME | WS_CAPTION | WS_SYSMENU
//   CAPTION "caption"
//   FONT 8, "MS Shell Dlg"
//   BEGIN
//       LTEXT "text", -1, 29, 7, 16, 8
//       COMBOBOX 2004, 49, 7, 104, 121, CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP
//       DEFPUSHBUTTON "OK", 1, 81, 45, 50, 14
//   END
//
// Text controls (LTEXT, RTEXT, CTEXT, PUSHBUTTON, DEFPUSHBUTTON) carry a text
// before the id; the other kinds (COMBOBOX, EDITTEXT, LISTBOX) do not. Lines
// beginning with "//" or "#" are comments. The file is UTF-8.
#pragma once

#include <string>
#include <vector>

#include "platform/mfc/cstring.h"

// Reasons passed to a module's entry point (values of the Windows loader).
enum : int {
    DLL_PROCESS_DETACH = 0,
    DLL_PROCESS_ATTACH = 1,
    DLL_THREAD_ATTACH = 2,
    DLL_THREAD_DETACH = 3,
};

// One control of a dialog template; positions and sizes in dialog units.
struct CDialogItemTemplate {
    CString sKind;  // LTEXT, COMBOBOX, DEFPUSHBUTTON ...
    CString sText;
    int nID = -1;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::vector<CString> vStyles;
};

// A dialog template as the resource file describes it.
struct CDialogTemplate {
    int nID = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::vector<CString> vStyles;
    CString sCaption;
    int nFontSize = 0;
    CString sFontFace;
    std::vector<CDialogItemTemplate> vItems;

    const CDialogItemTemplate* FindItem(int nID) const;
};

// The state of one extension module: where it lives and the resources read
// from its resource file at initialisation.
struct AFX_EXTENSION_MODULE {
    bool bInitialized = false;
    CString sModulePath;
    CString sResourceFile;
    std::vector<CDialogTemplate> vDialogs;
};

// Links a module's resources into the chain that AfxFindDialogTemplate
// searches. Construct with new; the chain owns it from then on and
// AfxTermExtensionModule deletes it.
class CDynLinkLibrary {
public:
    CDynLinkLibrary(AFX_EXTENSION_MODULE& state, bool bSystem = false);
    ~CDynLinkLibrary();
    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

    const AFX_EXTENSION_MODULE* Module() const { return m_pModule; }
    bool IsSystem() const { return m_bSystem; }

private:
    AFX_EXTENSION_MODULE* m_pModule;
    bool m_bSystem;
};

// The resource file that belongs to a module file (see the top of this file).
CString AfxModuleResourceFile(const CString& modulePath);

// Reads the module's resource file into the state. False (and nothing kept)
// when the file is missing or unreadable or not a valid resource script.
// A state that is already initialised stays as it is and gives true.
bool AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, const CString& modulePath);

// Unlinks and deletes the module's CDynLinkLibrary objects and forgets its
// resources. bAll is accepted for the class library's signature.
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, bool bAll = false);

// Searches the chain, most recently linked module first; null when no
// linked module has a dialog template of that id.
const CDialogTemplate* AfxFindDialogTemplate(int nID);

// Parses the text of a resource script into dialog templates. False with a
// message in `error` (line number and reason) on the first malformed line.
bool AfxParseResourceScript(const std::string& text, std::vector<CDialogTemplate>& out, std::string& error);
