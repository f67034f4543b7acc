// ICD import benchmark: script-made ICDs of about 25 and 50 MB (UTF-8, and
// the 50 MB one also declared and written in GB2312) imported whole by the
// ICD worker into a fresh document, against a bare pugixml parse of the same
// file. Prints CPU times, the ratio to the bare parse and the ratio of the
// two sizes (target at most 2.2), and the peak resident memory of each run.
//
//   icd_import_bench [nodes=50000]    (the second size is twice the first)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "bench/import_bench_model.h"
#include "core/kiln_main.h"
#include "import/kiln_import.h"
#include "platform/framework/cim_schema.h"
#include "platform/ui/ui_services.h"

using namespace kiln::bench;

namespace {

// The CPU time of the calling thread: time the thread waits while other work
// runs on a busy machine is not counted.
double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// The status line of an import is shown on every node; a host would not
// print it, so the benchmark shows nothing. The last message is kept.
class QuietUi : public Ifc_UiServices {
public:
    int MessageBox(Enum_UiCall, const CString& text, UINT, const CString&) override {
        last = text;
        return IDNO;
    }
    CString last;
    // The dependency question keeps its preset (the standard package).
    bool InputBox(const CString&, CString&, const Struct_EditPack*, bool) override { return true; }
    int ButtonChoice(const CString&, const CString&, const Struct_Pairs&, int) override { return -1; }
    int PickResource(const CString&, const Struct_Pairs&, int) override { return -1; }
    bool FileDialog(const Struct_UiFileRequest&, CString&) override { return false; }
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

struct Result {
    double parse = 0, import = 0;
    long peakKb = 0;
    int errors = 0, warnings = 0;
    size_t lnodes = 0;
};

// One run in a fresh process: the bare parse, then the whole ICD import.
Result RunOnce(const std::string& file) {
    Result r;
    {
        const double t0 = CpuSeconds();
        pugi::xml_document bare;
        Check(bare.load_file(file.c_str()), "bare parse");
        r.parse = CpuSeconds() - t0;
    }
    QuietUi quiet;
    CUiServicesScope scope(&quiet);
    CKiln_Main app;
    BuildStandard(app);
    URI_Ref type, prodPkg, product, icd;
    CBase_CimDoc& doc = app.m_Doc;
    Check(doc.FindDomainType("二次模型装置类型包", type), "domain type");
    Check(doc.CreateDomain("kiln.pp#", type, "pp", true), "product domain");
    Check(doc.CreateResource("kiln.pp#", "sec:ProductPackage", prodPkg, "PP"), "product package");
    Check(doc.CreateResource("kiln.pp#", "sec:Product", product, "P"), "product");
    Check(doc.AddLink(product, "sec:Product.ProductPackage", prodPkg), "product link");

    CBase_XML report;
    report.AddNewNode_withAttrs(report.GetDocument(), "Report", CStringArray());
    XmlNode root = report.GetDocumentElement();
    XmlNode icdNode = root.AppendChild("ICD");
    for (const char* c : {"LNodes", "LDevices", "LNodeTypes", "DOTypes", "DATypes", "DOs", "DAs", "BDAs", "DOIs", "DAIs"})
        icdNode.AppendChild(c);
    root.AppendChild("other_errors");

    const double t0 = CpuSeconds();
    CBase_XML scl;
    Check(scl.Load(file.c_str()), "load");
    CKiln_Import imp;
    Check(imp.Import_ICD(&icd, &app, &scl, URI_Ref(), report, false, product), "import");
    r.import = CpuSeconds() - t0;
    r.errors = imp.m_nErrors;
    r.warnings = imp.m_nWarnings;
    r.lnodes = imp.m_mapInstLNodes.size();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    r.peakKb = usage.ru_maxrss;
    return r;
}

Result RunInChild(const std::string& file) {
    int fds[2];
    Check(pipe(fds) == 0, "pipe");
    const pid_t pid = fork();
    Check(pid >= 0, "fork");
    if (pid == 0) {
        close(fds[0]);
        const Result r = RunOnce(file);
        const ssize_t n = write(fds[1], &r, sizeof r);
        _exit(n == static_cast<ssize_t>(sizeof r) ? 0 : 1);
    }
    close(fds[1]);
    Result r;
    const ssize_t n = read(fds[0], &r, sizeof r);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    Check(n == static_cast<ssize_t>(sizeof r) && WIFEXITED(status) && WEXITSTATUS(status) == 0, "run");
    return r;
}

// The text in GB2312 with its declaration changed.
std::string ToGb2312(std::string text) {
    text.replace(text.find("UTF-8"), 5, "GB2312");
    iconv_t cd = iconv_open("GB2312", "UTF-8");
    Check(cd != reinterpret_cast<iconv_t>(-1), "iconv");
    std::string out(text.size() * 2 + 16, '\0');
    char* in = text.data();
    size_t inLeft = text.size();
    char* o = out.data();
    size_t outLeft = out.size();
    Check(iconv(cd, &in, &inLeft, &o, &outLeft) != static_cast<size_t>(-1), "convert");
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const long nodes = argc > 1 ? std::max(100L, std::atol(argv[1])) : 50000L;
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    struct Case {
        std::string label, file;
    };
    std::vector<Case> cases;
    for (long n : {nodes, 2 * nodes}) {
        const std::string text = MakeScl(n, "B");
        cases.push_back({std::to_string(n) + " nodes UTF-8",
                         (folder / ("icd_import_bench_" + std::to_string(n) + ".icd")).string()});
        std::ofstream(cases.back().file, std::ios::binary) << text;
        if (n == 2 * nodes) {
            cases.push_back({std::to_string(n) + " nodes GB2312",
                             (folder / ("icd_import_bench_gb_" + std::to_string(n) + ".icd")).string()});
            std::ofstream(cases.back().file, std::ios::binary) << ToGb2312(text);
        }
    }
    std::vector<Result> results;
    for (const Case& c : cases) {
        const Result r = RunInChild(c.file);
        results.push_back(r);
        std::printf("%s: file %.1f MB, import %.2f s CPU, bare parse %.2f s, ratio %.1f, peak %.0f MB, %zu nodes, "
                    "%d errors, %d warnings\n",
                    c.label.c_str(), std::filesystem::file_size(c.file) / 1e6, r.import, r.parse, r.import / r.parse,
                    r.peakKb / 1024.0, r.lnodes, r.errors, r.warnings);
        std::filesystem::remove(c.file);
    }
    const double ratio = results[1].import / results[0].import;
    std::printf("ratio of the two sizes: %.2f (target at most 2.2)\n", ratio);
    return ratio <= 2.2 ? 0 : 1;
}
