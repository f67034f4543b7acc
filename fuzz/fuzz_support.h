// What the targets share: a failed step ends the process, a folder of the
// process for their files, a user interface that answers every question
// (the file dialog gives the input's file, the dependency question keeps
// its preset, message boxes say No), and a product to import into.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/kiln_main.h"
#include "platform/ui/ui_services.h"

namespace kiln::fuzz {

inline void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "failed: %s\n", what);
    std::abort();
}

// A folder of this process ("<name>_<pid>"), in memory (/dev/shm) where
// there is one, since the targets write files there for every input;
// removed when the process ends.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) {
        std::error_code ec;
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
        m_path = base / (name + "_" + std::to_string(getpid()));
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

class QuietUi : public Ifc_UiServices {
public:
    CString file;
    int MessageBox(Enum_UiCall, const CString&, UINT, const CString&) override { return IDNO; }
    bool InputBox(const CString&, CString&, const Struct_EditPack*, bool) override { return true; }
    int ButtonChoice(const CString&, const CString&, const Struct_Pairs&, int) override { return -1; }
    int PickResource(const CString&, const Struct_Pairs&, int) override { return -1; }
    bool FileDialog(const Struct_UiFileRequest&, CString& path) override {
        path = file;
        return true;
    }
    UINT TrackPopupMenu(const Struct_UiMenu&) override { return 0; }
    Struct_UiDialogAnswer RunModal(const Struct_UiDialogRequest&) override { return {}; }
    void StatusText(const CString&) override {}
    void AllViewsRefresh(const CString&, const URI_Ref&, int) override {}
    void AllViewsLocate(const CString&, const URI_Ref&, int) override {}
    void ViewRefresh(const CString&, int) override {}
    void ViewShow(const CString&, const URI_Ref&, const CString&, const CString&, int) override {}
    bool ShellOpen(const CString&, const CString&) override { return false; }
    void WaitCursor(bool) override {}
    void CommonMenu(const CString&, const URI_Ref&) override {}
    POINT CursorPos() override { return POINT{0, 0}; }
};

}  // namespace kiln::fuzz
