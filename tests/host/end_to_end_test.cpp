// The kiln program with the real plug-in: the demo script on a fresh
// workspace, and the failures that must leave the document as it was.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <map>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "host/events.h"
#include "host/workspace.h"
#include "host/workspace_lock.h"
#include "platform/framework/cim_doc.h"
#include "tests/host/host_fixture.h"

using namespace kiln::host;
using namespace kiln::host::test;
namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs kiln with the arguments (already quoted for the shell), without a
// terminal on its standard input; with a `limit`, stopped after that many
// seconds (status 124). `wrap`, when given, makes the shell command that
// runs the command it is given (in another mount namespace, with a limit).
Result Kiln(const TempDir& dir, const std::string& args, int limit = 0,
            const std::function<std::string(const std::string&)>& wrap = nullptr) {
    const std::string errFile = dir.str("stderr.txt");
    std::string cmd = std::string("KILN_HOME='") + KILN_SOURCE_DIR + "' " +
                      (limit > 0 ? "timeout " + std::to_string(limit) + " '" : "'") + KILN_BINARY + "' " + args +
                      " < /dev/null 2> '" + errFile + "'";
    if (wrap) cmd = wrap(cmd);
    Result r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int rc = pclose(p);
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.err = ReadFile(errFile);
    return r;
}

class HostEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::is_directory(fs::path(KILN_SOURCE_DIR) / "Template")) << "the installation has no templates";
        Result r = Kiln(m_dir, "init '" + Workspace() + "'");
        ASSERT_EQ(r.status, 0) << r.out << r.err;
    }
    std::string Workspace() const { return m_dir.str("ws"); }
    fs::path DocFolder() const { return m_dir.path() / "ws" / kDocumentFolder; }

    TempDir m_dir;
};

}  // namespace

// The lines of `text` after the first line that is `from`, up to the next
// event ("> ...") or echoed heading ("== ...").
std::vector<std::string> LinesAfter(const std::string& text, const std::string& from) {
    std::vector<std::string> lines;
    size_t at = text.find(from + "\n");
    if (at == std::string::npos) return lines;
    for (size_t pos = at + from.size() + 1; pos < text.size();) {
        size_t nl = text.find('\n', pos);
        std::string line = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        if (line.rfind("> ", 0) == 0 || line.rfind("== ", 0) == 0) break;
        lines.push_back(line);
        if (nl == std::string::npos) break;
        pos = nl + 1;
    }
    return lines;
}

// The demo, in a folder whose name holds a backslash, blanks and Chinese:
// the paths kiln is given are used as they are (the backslash is no
// separator), so the templates, the report, the domain files and the
// exported and imported files are all found in that folder, and nothing is
// written outside it.
TEST_F(HostEndToEnd, TheDemoOpensTheDocumentAndShowsTheStandardPackage) {
    ASSERT_TRUE(fs::exists(fs::path(KILN_SOURCE_DIR) / kStdDomainFile)) << "the installation has no standard domain";
    // The demo writes its ICD file beside a workspace in build/demo-workspace
    // (the layout of scripts/demo): a copy of it runs in that layout here.
    const fs::path root = m_dir.path() / "p\\q 空 格";
    const fs::path out = root / "build" / "demo-workspace";
    fs::create_directories(root / "examples");
    fs::create_directories(out);
    fs::copy_file(fs::path(KILN_SOURCE_DIR) / "examples" / "demo.kiln", root / "examples" / "demo.kiln");
    ASSERT_EQ(Kiln(m_dir, "init '" + (root / "ws").string() + "'").status, 0);
    // Temporaries beside the ICD file: of exports of it killed before their
    // rename (the writer gone, killed and not yet reaped, or its number taken
    // since by a live process, this one), of one still at work (one whose
    // number this process cannot see, as from another PID namespace, that
    // holds it locked), of another file. Those of the killed go with the next
    // export of the file.
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    const pid_t unreaped = fork();
    if (unreaped == 0) _exit(0);
    const std::vector<std::string> killed = {"demo.icd.tmp" + std::to_string(gone) + "_0",
                                             "demo.icd.tmp" + std::to_string(unreaped) + "_8",
                                             "demo.icd.tmp" + std::to_string(getpid()) + "_1"};
    // Nor do names kiln never gives (a leading zero, a process number past
    // the system's) or, when kiln runs as root, another user's file.
    std::vector<std::string> kept = {"other.icd.tmp" + std::to_string(gone) + "_2",
                                     "demo.icd.tmp0" + std::to_string(gone) + "_3", "demo.icd.tmp4194304_4",
                                     "demo.icd.tmp" + std::to_string(gone) + "_05"};
    kept.push_back("demo.icd.tmp" + std::to_string(gone) + "_7");
    for (const std::string& name : kept) WriteFile(out / name, "half");
    for (const std::string& name : killed) WriteFile(out / name, "half");
    const int writing = ::open((out / kept.back()).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(writing, LOCK_EX), 0);
    if (geteuid() == 0) {
        kept.push_back("demo.icd.tmp" + std::to_string(gone) + "_6");
        WriteFile(out / kept.back(), "half");
        ASSERT_EQ(chown((out / kept.back()).c_str(), 4242, 4242), 0);
    } else {
        std::cout << "[ SKIPPED  ] another user's temporary: the test does not run as root\n";
    }

    Result r = Kiln(m_dir, "run '" + (root / "ws").string() + "' '" + (root / "examples" / "demo.kiln").string() + "'");
    ::close(writing);
    waitpid(unreaped, nullptr, 0);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(fs::exists(m_dir.path() / "p"));
    EXPECT_TRUE(fs::exists(out / "demo.icd") && fs::exists(out / "demo.mics"));
    for (const std::string& name : killed) EXPECT_FALSE(fs::exists(out / name)) << name;
    for (const std::string& name : kept) EXPECT_EQ(ReadFile(out / name), "half") << name;
    EXPECT_TRUE(Has(r.out, "[document] opened\n    kiln.IEC61850_std#  二次模型标准定义包3  read-only\n")) << r.out;
    // The plug-in found the standard type package: it did not ask for it.
    EXPECT_FALSE(Has(r.out, "没有发现IEC61850-7-x标准类型定义")) << r.out;
    EXPECT_TRUE(Has(r.out, "> view TreeView_Manager\n> tree\n  二次模型标准定义包1\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "  二次模型标准定义包3\n    kiln.IEC61850_std#\n")) << r.out;

    // The package, by its name and its namespace reference.
    const std::string head = "[resource] kiln.IEC61850_std#StdTypePackage  \"Orsane.Zel:2007\"  sec:TypePackage";
    const auto package = LinesAfter(r.out, "> show kiln.IEC61850_std#StdTypePackage");
    ASSERT_FALSE(package.empty()) << r.out;
    EXPECT_EQ(package[0].rfind(head, 0), 0u) << package[0];
    EXPECT_NE(std::find(package.begin(), package.end(), "    sec:TypePackage.ref = \"http://www.iec.ch/61850/2003\""),
              package.end())
        << r.out;
    // Its first LN types: the head, the count, five of them, the rest counted.
    const auto types = LinesAfter(r.out, "> show kiln.IEC61850_std#StdTypePackage sec:TypePackage.LNodeTypes 5");
    ASSERT_EQ(types.size(), 8u) << r.out;
    EXPECT_EQ(types[0].rfind(head, 0), 0u) << types[0];
    EXPECT_EQ(types[1].rfind("    sec:TypePackage.LNodeTypes -> ", 0), 0u) << types[1];
    for (size_t i = 2; i < 7; ++i) EXPECT_TRUE(Has(types[i], "  kiln.IEC61850_std#LNT_")) << types[i];
    EXPECT_EQ(types[7].rfind("      ... ", 0), 0u) << types[7];
    // LLN0, linked to the package.
    const auto lln0 = LinesAfter(r.out, "> show kiln.IEC61850_std#LNT_LLN0");
    ASSERT_FALSE(lln0.empty()) << r.out;
    EXPECT_EQ(lln0[0], "[resource] kiln.IEC61850_std#LNT_LLN0  \"LLN0\"  sec:LNodeType (LN类型)");
    EXPECT_NE(std::find(lln0.begin(), lln0.end(), "    sec:LNodeType.TypePackage -> 1: \"Orsane.Zel:2007\""), lln0.end())
        << r.out;
    EXPECT_TRUE(Has(r.out, "[document] saved\n")) << r.out;

    // Refusals say why and make nothing: a count of nodes that is no whole
    // number from 1, a package name that gives no domain name or is blank,
    // a mapping of an item whose ICD has no M2I. An edit says what the store
    // did: a value held, or a blank row on an empty field, writes nothing;
    // another enumeration clears and names the values it lacks.
    const std::string run = "run '" + (root / "ws").string() + "' -e 'view TreeView_User' ";
    const std::string icd = "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\" \"IED类型配置: Product_1\"";
    const std::string product = "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\"";
    ASSERT_EQ(Kiln(m_dir, run + "-e '" + icd + "' -e rclick -e 'menu \"新建 ITB（装置信息表）\"' -e '" + icd +
                              " \"装置信息表: ITB\"' -e rclick -e 'menu \"增加 信息条目\"' -e '" + product + "' -e 'answer file " +
                              KILN_SOURCE_DIR + "/tests/data/scl/ed2_distance_relay_many_devices.icd' -e 'answer choice "
                              "\"Orsane.Zel:2007  (标准)\"' -e 'answer no' -e rclick -e 'menu \"导入 ICD（IED类型配置）\"'")
                  .status,
              0);
    const std::string lln0Node = icd + " \"IED: TEMPLATE\" 逻辑装置:LD_1 逻辑节点:[]LLN0[1]";
    const std::string relay = product + " \"IED类型配置: NVP7_DistanceRelay_Ver3.2_Rev7\" \"IED: TEMPLATE\" ";
    auto saved = Snapshot(root / "ws" / kDocumentFolder);
    auto many = [&](const std::string& count) {
        return std::pair{"-e '" + icd + " \"IED: TEMPLATE\" 逻辑装置:LD_1' -e 'answer choice \"Product_1_PTOC  " +
                             "(Product_1模板类包)\"' -e 'answer text " + count + "' -e rclick -e 'menu \"增加多个 LN\"'",
                         "[message] 数量“" + count + "”不是1到10000之间的整数，未增加逻辑节点！\n"};
    };
    for (const auto& [events, says] :
         {many("abc"), many("0"), many("-1"), many("2x"),
          {"-e 'answer text a/b' -e rclick -e 'menu 新建产品包'",
           "[message] 创建新域“kiln.a/b#”失败！\n    域名无效（含“/”；域名不能含 / \\ \" < > & 或控制字符）：kiln.a/b#\n"},
          {"-e 'answer text \" \"' -e rclick -e 'menu 新建产品包'", "[message] 名称不能为空，请重新操作并输入名称！\n"},
          {"-e '" + icd + " \"装置信息表: ITB\" 未分组 \"信息条目: Item1\"' -e rclick -e 'menu \"增加 一条映射(MapItem)\"'",
           "[message] 该ICD没有M2I，不能增加映射！请先在ICD上新建或导入M2I。\n"},
          {"-e 'select \"产品包: 华东电气\"' -e 'edit cim:Naming.name 华东电气'", "\n  -> unchanged: \"华东电气\"\n"},
          {"-e '" + relay + "逻辑装置:LD0(System) 逻辑节点:[]LLN0[] \"数据集: StatNrml\" \"功能限制DA项: FCDA_1\"' "
           "-e 'edit sec:DARef.daName \"  \"'",
           "\n  -> unchanged: \"\", refresh 0\n"},
          {"-e '" + relay + "逻辑装置:PROT(Protection) \"逻辑节点:[]PDIS[1](Distance zone 1)\" \"DO实例: DirMod\" "
           "\"DA实例: setVal[SG]\" \"预设值: \"' -e 'edit sec:Val.sValue \"02：backward\"'",
           "\n  -> stored \"backward\", shown as \"backward\"\n"},
          {"-e '" + lln0Node + "' -e 'answer choice Beh' -e rclick -e 'menu \"增加 DO实例\"' -e '" + lln0Node +
               " \"DO实例: Beh\"' -e 'answer choice stVal[ST]' -e rclick -e 'menu \"增加 DA实例\"' -e '" + lln0Node +
               " \"DO实例: Beh\" \"DA实例: stVal[ST]\"' -e 'edit sec:DAI.valueStr \"03：test\"' -e '" + icd +
               " 类型配置 DO类配置 DO类型:Product_1_ENS_BehaviourModeKind \"数据属性:stVal (ST)\"' -e 'edit sec:BDA.valueStr blocked' "
               "-e 'edit sec:BDA.bType \"850EN_FaultDirectionKind  (Orsane.Zel:2007)\"'",
           "中没有blocked、test，已清除预设值：Product_1_ENS_BehaviourModeKind.stVal:blocked、LD_1/LLN0.Beh.stVal[ST]:test！\n"
           "  -> stored by the plug-in: \"http://kiln.local/Zel/2006/CIM-Sec#PreBasicTypeEnum.Enum\", refresh 3\n"}}) {
        Result refused = Kiln(m_dir, run + events);
        EXPECT_EQ(refused.status, 0) << refused.out << refused.err;
        EXPECT_TRUE(Has(refused.out, says)) << refused.out;
        const auto now = Snapshot(root / "ws" / kDocumentFolder);
        EXPECT_EQ(now != saved, Has(says, "-> stored")) << events;
        saved = now;
    }
}

// Every example of `kiln help EVENT` plays on a fresh workspace, in the view
// it names.
TEST_F(HostEndToEnd, EveryHelpExamplePlaysOnAFreshWorkspace) {
    int examples = 0;
    for (const EventDef& def : EventDefs()) {
        const std::string help = Kiln(m_dir, std::string("help ") + def.name).out;
        for (size_t at = help.find("Example"); at != std::string::npos; at = help.find("Example", at + 1)) {
            const std::string line = help.substr(at, help.find('\n', at) - at);
            const size_t in = line.find("(in "), colon = line.find(": ");
            const std::string view = in < colon ? line.substr(in + 4, line.find(')', in) - in - 4) : "TreeView_User";
            const std::string example = line.substr(colon + 2);
            Result r = Kiln(m_dir, "run '" + Workspace() + "' -e 'view " + view + "' -e '" + example + "'");
            EXPECT_EQ(r.status, 0) << def.name << ": " << example << "\n" << r.out << r.err;
            ++examples;
        }
    }
    EXPECT_GE(examples, 2);
}

TEST_F(HostEndToEnd, FailuresLeaveTheSavedDocumentUnchanged) {
    const auto before = Snapshot(DocFolder());

    // A bad line: nothing runs.
    Result r = Kiln(m_dir, "run '" + Workspace() + "' -e tree -e 'select \"open'");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Has(r.err, "-e 2: a quoted text is not closed")) << r.err;
    EXPECT_EQ(Snapshot(DocFolder()), before);

    // A missing workspace.
    r = Kiln(m_dir, "run '" + m_dir.str("nowhere") + "' -e tree");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, "no workspace at " + m_dir.str("nowhere"))) << r.err;

    // An event that fails after others passed.
    r = Kiln(m_dir, "run '" + Workspace() + "' -e tree -e 'select 没有的项'");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, "-e 2: no item \"没有的项\" at the top of TreeView_User")) << r.err;
    EXPECT_TRUE(Has(r.out, "the document was not saved\n")) << r.out;
    EXPECT_EQ(Snapshot(DocFolder()), before);

    // An answer that no question takes.
    r = Kiln(m_dir, "run '" + Workspace() + "' -e 'answer yes'");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, "1 queued answer(s) found no question")) << r.err;
    EXPECT_EQ(Snapshot(DocFolder()), before);

    // A transcript that cannot be written (a full device, a closed standard
    // output): nobody saw what the run did, and it saves nothing; no file
    // the run opens (the lock file) takes the closed output's place.
    for (const auto& [redirect, err] : {std::pair{" > /dev/full", ENOSPC}, {" >&-", EBADF}}) {
        auto to = [redirect = std::string(redirect)](const std::string& cmd) { return cmd + redirect; };
        const std::string says = "the transcript could not be written: " + std::string(std::strerror(err));
        r = Kiln(m_dir,
                 "run '" + Workspace() + "' -e 'view TreeView_User' -e 'answer text 华东电气' -e rclick -e 'menu 新建产品包'",
                 0, to);
        EXPECT_EQ(r.status, 1) << redirect;
        EXPECT_EQ(r.err, "kiln: error: " + says + "\n");
        EXPECT_EQ(Snapshot(DocFolder()), before) << redirect;
        EXPECT_EQ(ReadFile(m_dir.path() / "ws" / kLockFile), "") << redirect;
        r = Kiln(m_dir, "init '" + m_dir.str("ws2") + "'", 0, to);
        EXPECT_EQ(r.status, 1) << redirect;
        EXPECT_TRUE(Has(r.err, says)) << r.err;
        fs::remove_all(m_dir.path() / "ws2");
    }

    // An import that refuses its file did not do its work: the run fails
    // there, as a failed export's does, whichever import it was.
    const std::string product = "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\"";
    WriteFile(m_dir.path() / "product.kiln", "view TreeView_User\nanswer text 华东电气\nrclick\nmenu 新建产品包\n"
                                             "select \"产品包: 华东电气\"\nanswer choice --保护装置\nrclick\nmenu 新建IED产品\n" +
                                                 product + "\nrclick\nmenu \"新建 ICD（IED类型配置）\"\n");
    ASSERT_EQ(Kiln(m_dir, "run '" + Workspace() + "' '" + m_dir.str("product.kiln") + "'").status, 0);
    const auto withProduct = Snapshot(DocFolder());
    // Each says why: the root found, or what the root lacks.
    const std::string icd = product + " \"IED类型配置: Product_1\"", m2i = "导入 M2I（信息表到模型的映射）", foo = "<Foo/>";
    const std::string scl = "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\"",
                      types = "TypePackage文件格式不正确, 导入不成功！\n",
                      fromTemplates = "只从根元素下同一命名空间（http://www.iec.ch/61850/2003/SCL）的DataTypeTemplates元素导入";
    for (const auto& [select, menu, text, says] :
         {std::tuple{product, std::string("导入 ICD（IED类型配置）"), foo, std::string("bad.xmlICD文件格式不正确, 导入不成功！")},
          {icd, "导入 ITB（装置信息表）", foo, "ITB文件格式不正确, 导入不成功！"},
          {icd, m2i, foo, "bad.xml模板文件格式不正确, 导入不成功！\n根元素是Foo（命名空间无），只导入根元素为M2I（命名空间路径为/Zel/2004/M2I"},
          {icd, m2i, "<M2I xmlns:o=\"urn:o\"><o:Mappings/></M2I>",
           "\n元素o:Mappings未导入（命名空间urn:o），映射条目只从根元素下同一命名空间（无）的Mappings元素导入"},
          {"select", "导入 TypePackage（类型包）", scl + "/>",
           "bad.xml" + types + "根元素SCL中没有DataTypeTemplates元素，类型包的类型" + fromTemplates},
          {icd + " 类型配置", "导入LNodeType", scl + " xmlns:o=\"urn:o\"><o:DataTypeTemplates/></SCL>",
           types + "元素o:DataTypeTemplates未导入（命名空间urn:o），LN类型" + fromTemplates}}) {
        WriteFile(m_dir.path() / "bad.xml", text);
        WriteFile(m_dir.path() / "import.kiln",
                  "view TreeView_User\n" + select + "\nanswer file bad.xml\nrclick\nmenu \"" + menu + "\"\n");
        r = Kiln(m_dir, "run '" + Workspace() + "' '" + m_dir.str("import.kiln") + "'");
        EXPECT_EQ(r.status, 1) << menu << r.out;
        EXPECT_TRUE(Has(r.err, says)) << r.err;
        EXPECT_TRUE(Has(r.out, "the document was not saved\n")) << r.out;
        EXPECT_EQ(Snapshot(DocFolder()), withProduct) << menu;
    }

    // A corrupt document.
    fs::path manifest = DocFolder() / kManifestFile;
    WriteFile(manifest, ReadFile(manifest).substr(0, 40));
    const auto corrupt = Snapshot(DocFolder());
    r = Kiln(m_dir, "run '" + Workspace() + "' -e tree");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, "cannot open the document " + DocFolder().string())) << r.err;
    EXPECT_EQ(Snapshot(DocFolder()), corrupt);
}

namespace {

// Every file below a folder with its bytes and inode: a file rewritten with
// the same bytes still counts as touched.
std::map<std::string, std::pair<std::string, ino_t>> Tree(const fs::path& root) {
    std::map<std::string, std::pair<std::string, ino_t>> out;
    for (auto& e : fs::recursive_directory_iterator(root, fs::directory_options::follow_directory_symlink))
        if (e.is_regular_file()) {
            struct stat st {};
            stat(e.path().c_str(), &st);
            out[fs::relative(e.path(), root).string()] = {ReadFile(e.path()), st.st_ino};
        }
    return out;
}

// A domain file of one package, to import under its own name.
std::string PackageFile(const TempDir& dir, const std::string& stem) {
    const std::string path = dir.str(stem + ".xml");
    WriteFile(path,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
              "xmlns:cim=\"http://iec.ch/TC57/2003/CIM-schema-cim10#\" xmlns:sec=\"http://kiln.local/Zel/2006/CIM-Sec#\">\n"
              "<sec:TypePackage rdf:ID=\"P\"><cim:Naming.name>" + stem + "</cim:Naming.name></sec:TypePackage>\n</rdf:RDF>\n");
    return path;
}

}  // namespace

TEST_F(HostEndToEnd, ARunThatChangesNothingWritesNothing) {
    const auto before = Tree(m_dir.path() / "ws");
    for (const char* events : {"-e 'echo hello'", "-e 'show kiln.IEC61850_std#LNT_LLN0'", "-e save"}) {
        Result r = Kiln(m_dir, "run '" + Workspace() + "' " + events);
        ASSERT_EQ(r.status, 0) << events << r.out << r.err;
        EXPECT_TRUE(Tree(m_dir.path() / "ws") == before) << events;
    }
}

// A run saves only the domains it changed: an ICD imported into a product
// (its types depend on the read-only standard definitions) adds its domain's
// file; deleting it rewrites that file alone; an imported domain that links
// into the standard definitions adds its own. The standard definitions' file
// and the product's stay untouched throughout.
TEST_F(HostEndToEnd, ARunWritesOnlyTheDomainsThatChanged) {
    const std::string product = m_dir.str("product.kiln");
    WriteFile(product,
              "view TreeView_User\nanswer text 示例电气\nrclick\nmenu 新建产品包\n"
              "select \"产品包: 示例电气\"\nanswer choice --保护装置\nrclick\nmenu 新建IED产品\n");
    Result r = Kiln(m_dir, "run '" + Workspace() + "' '" + product + "'");
    ASSERT_EQ(r.status, 0) << r.out << r.err;

    // Every file of `before` but the manifest and `except` is there as it was.
    auto expectKept = [](const auto& before, const auto& after, const std::string& except, const char* step) {
        for (const auto& [name, file] : before) {
            if (name == kManifestFile || name == except) continue;
            ASSERT_TRUE(after.count(name)) << step << ": " << name << " was replaced";
            EXPECT_TRUE(after.at(name) == file) << step << ": " << name << " was rewritten";
        }
    };
    const auto start = Tree(DocFolder());
    const std::string import = m_dir.str("import.kiln");
    WriteFile(import, std::string("view TreeView_User\nselect \"产品包: 示例电气\" \"IED产品: 产品类型_1\"\n") +
                          "answer file " + KILN_SOURCE_DIR + "/tests/data/scl/latin1_feeder_relay.icd\n"
                          "answer choice \"Orsane.Zel:2007  (标准)\"\nrclick\nmenu \"导入 ICD（IED类型配置）\"\n");
    r = Kiln(m_dir, "run '" + Workspace() + "' '" + import + "'");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    ASSERT_TRUE(Has(r.out, "[message] 导入成功!")) << r.out;
    const auto imported = Tree(DocFolder());
    EXPECT_EQ(imported.size(), start.size() + 1);  // the ICD's domain file
    expectKept(start, imported, "", "ICD import");
    std::string icdFile;
    for (const auto& [name, file] : imported)
        if (!start.count(name)) icdFile = name;

    const std::string remove = m_dir.str("delete.kiln");
    WriteFile(remove,
              "view TreeView_User\nselect \"产品包: 示例电气\" \"IED产品: 产品类型_1\" \"IED类型配置: FR-7_Ver4.1_RevC\"\n"
              "answer yes\nrclick\nmenu \"删除 IED类型配置\"\n");
    r = Kiln(m_dir, "run '" + Workspace() + "' '" + remove + "'");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const auto deleted = Tree(DocFolder());
    EXPECT_FALSE(deleted.count(icdFile)) << "the ICD's domain was not saved";
    expectKept(imported, deleted, icdFile, "deletion");

    const std::string path = m_dir.str("linked.xml");
    WriteFile(path,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
              "xmlns:cim=\"http://iec.ch/TC57/2003/CIM-schema-cim10#\" xmlns:sec=\"http://kiln.local/Zel/2006/CIM-Sec#\">\n"
              "<sec:TypePackage rdf:ID=\"P\"><cim:Naming.name>linked</cim:Naming.name>"
              "<sec:TypePackage.Depend_TypePackage rdf:resource=\"kiln.IEC61850_std#StdTypePackage\"/></sec:TypePackage>\n"
              "<sec:LNodeType rdf:ID=\"T\"><sec:LNodeType.TypePackage rdf:resource=\"#P\"/>"
              "<sec:LNodeType.ClassOf_LNType rdf:resource=\"kiln.IEC61850_std#LNT_LLN0\"/></sec:LNodeType>\n</rdf:RDF>\n");
    r = Kiln(m_dir, "run '" + Workspace() + "' -e 'import \"" + path + "\" 二次模型数据类型包'");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const auto linked = Tree(DocFolder());
    EXPECT_EQ(linked.size(), deleted.size() + 1);  // the new domain's file
    expectKept(deleted, linked, "", "domain import");
}

TEST_F(HostEndToEnd, ASecondRunOnTheWorkspaceRefusesAtOnce) {
    const auto before = Tree(m_dir.path() / "ws");
    // An init refused because the workspace exists changes nothing either.
    Result refused = Kiln(m_dir, "init '" + Workspace() + "'");
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(Has(refused.err, "already holds a workspace")) << refused.err;
    EXPECT_TRUE(Tree(m_dir.path() / "ws") == before);
    {
        WorkspaceLock held;
        std::string error;
        ASSERT_TRUE(held.Acquire(Workspace(), error)) << error;
        Result r = Kiln(m_dir, "run '" + Workspace() + "' -e 'import \"" + PackageFile(m_dir, "one") + "\" 二次模型数据类型包'");
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(Has(r.err, "in use by another kiln (process " + std::to_string(getpid()) + ")")) << r.err;
        EXPECT_TRUE(Tree(m_dir.path() / "ws") == before);
        r = Kiln(m_dir, "init '" + Workspace() + "'");
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(Has(r.err, "in use")) << r.err;
    }
    EXPECT_TRUE(Tree(m_dir.path() / "ws") == before);
    {
        // A second workspace whose document is this one's, through a link:
        // the document has one writer, whichever workspace names it.
        const fs::path ws2 = m_dir.path() / "ws2";
        fs::create_directories(ws2);
        fs::copy(m_dir.path() / "ws" / "Template", ws2 / "Template");
        fs::create_directory_symlink(DocFolder(), ws2 / kDocumentFolder);
        const std::string import = " -e 'import \"" + PackageFile(m_dir, "two") + "\" 二次模型数据类型包'";
        const struct {
            std::string held, run, says;
        } rows[] = {
            {Workspace(), ws2.string(), "in use by another kiln (process " + std::to_string(getpid()) + "): its document folder " +
                                            (ws2 / kDocumentFolder).string() + " is " + DocFolder().string()},
            {ws2.string(), Workspace(), "in use by another kiln: its document folder " + DocFolder().string() +
                                            " is reached from another workspace"},
        };
        for (const auto& row : rows) {
            WorkspaceLock held;
            std::string error;
            ASSERT_TRUE(held.Acquire(row.held, error)) << error;
            Result r = Kiln(m_dir, "run '" + row.run + "'" + import);
            EXPECT_EQ(r.status, 1) << row.run;
            EXPECT_TRUE(Has(r.err, row.says)) << r.err;
            EXPECT_TRUE(Tree(m_dir.path() / "ws") == before) << row.run;
        }
        EXPECT_EQ(Kiln(m_dir, "run '" + ws2.string() + "'" + import).status, 0) << "free again";

        // A document folder that cannot be locked at all (a file system
        // without such locks) is refused: the other workspace could write it.
        if (std::system("strace -f -o /dev/null -e inject=flock:error=ENOLCK true > /dev/null 2>&1") != 0) {
            std::cout << "[ SKIPPED  ] a lock that cannot be taken: strace cannot inject errors here\n";
        } else {
            const auto now = Tree(m_dir.path() / "ws");
            Result r = Kiln(m_dir, "run '" + ws2.string() + "' -e 'tree 1'", 60, [](const std::string& cmd) {
                return "ASAN_OPTIONS=detect_leaks=0 strace -f -o /dev/null -e trace=flock -e inject=flock:error=ENOLCK "
                       "sh -c \"" + cmd + "\"";
            });
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(Has(r.err, "cannot lock the workspace " + ws2.string() + ": its document folder " +
                                       (ws2 / kDocumentFolder).string() + " cannot be locked: " +
                                       std::strerror(ENOLCK)))
                << r.err;
            EXPECT_TRUE(Tree(m_dir.path() / "ws") == now);
        }
    }
    {
        // A holder caught between taking the lock and naming itself, as a
        // run started a moment earlier is: the refusal still names it.
        const std::string path = Workspace() + "/" + kLockFile;
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        auto byte = [](off_t at) {
            struct flock fl {};
            fl.l_type = F_WRLCK;
            fl.l_whence = SEEK_SET;
            fl.l_start = at;
            fl.l_len = 1;
            return fl;
        };
        struct flock lockByte = byte(0);
        ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &lockByte), 0);
        std::thread namesItself([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            struct flock owner = byte(1);
            ::fcntl(fd, F_SETLK, &owner);
        });
        Result r = Kiln(m_dir, "run '" + Workspace() + "' -e 'echo x'");
        namesItself.join();
        ::close(fd);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(Has(r.err, "in use by another kiln (process " + std::to_string(getpid()) + ")")) << r.err;
    }
}

// Two runs started together, many times, in both orders: a run that says it
// saved has its import in the document; the other refuses and changes nothing.
TEST_F(HostEndToEnd, TwoRunsAtOnceLoseNoUpdate) {
    std::vector<std::string> expected;
    for (int trial = 0; trial < 6; ++trial) {
        struct Run {
            std::string args;
            std::string domain;  // what it imports; empty for a run that only shows
        };
        auto importing = [&](const std::string& stem) {
            return Run{"run '" + Workspace() + "' -e 'import \"" + PackageFile(m_dir, stem) + "\" 二次模型数据类型包'",
                       "kiln." + stem + "#"};
        };
        Run runs[2] = {importing("a" + std::to_string(trial)), importing("b" + std::to_string(trial))};
        // Every third trial one run only shows a resource.
        if (trial % 3 == 2) runs[1] = Run{"run '" + Workspace() + "' -e 'show kiln.IEC61850_std#LNT_LLN0'", ""};
        if (trial % 2) std::swap(runs[0], runs[1]);
        std::string cmd;
        for (int k = 0; k < 2; ++k) {
            const std::string tag = m_dir.str("run" + std::to_string(k));
            cmd += "(KILN_HOME='" + std::string(KILN_SOURCE_DIR) + "' '" + KILN_BINARY + "' " + runs[k].args +
                   " < /dev/null > '" + tag + ".out' 2>&1; echo $? > '" + tag + ".rc') & ";
        }
        ASSERT_EQ(std::system((cmd + "wait").c_str()), 0);
        for (int k = 0; k < 2; ++k) {
            const std::string tag = m_dir.str("run" + std::to_string(k));
            const int rc = std::stoi(ReadFile(tag + ".rc"));
            const std::string out = ReadFile(tag + ".out");
            ASSERT_TRUE(rc == 0 || (rc == 1 && Has(out, "in use by another kiln"))) << rc << out;
            if (rc == 0 && !runs[k].domain.empty()) expected.push_back(runs[k].domain);
        }
        // What every run that succeeded saved is there, in a document that opens.
        CBase_CimDoc doc;
        ASSERT_TRUE(doc.Open(DocFolder().string().c_str())) << doc.LastError();
        for (const std::string& d : expected) EXPECT_TRUE(doc.Is_DomainExist(d.c_str())) << "trial " << trial << ": " << d;
    }
}

// A folder whose making is under way (the test holds its lock as an init
// does) or stopped half-way (also after the standard domain's file): a run
// and an init name the kiln at work and change nothing; once nobody works
// there, both say what to remove, which holds nothing but what an init
// writes.
TEST_F(HostEndToEnd, AnInitAtWorkOrStoppedHalfWayIsNamed) {
    const fs::path d = m_dir.path() / "d";
    const std::string atWork =
        "another kiln (process " + std::to_string(getpid()) + ") is making a workspace in " + d.string();
    fs::create_directories(d);
    WriteFile(d / kLockFile, "");
    for (int stage = 0; stage < 3; ++stage) {
        if (stage == 1) WriteFile(d / "Template" / "Report_Template.xml", "<Report/>");
        if (stage == 2) fs::create_directories(d / kDocumentFolder);
        // Read before the lock is taken: a close of the lock file would drop
        // the lock that names the holder.
        const auto before = Tree(d);
        WorkspaceLock held;
        std::string error;
        ASSERT_TRUE(held.Acquire(d.string(), error)) << error;
        Result run = Kiln(m_dir, "run '" + d.string() + "' -e 'echo x'");
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(Has(run.err, atWork + "; nothing was changed, try again when it has finished")) << stage << run.err;
        Result init = Kiln(m_dir, "init '" + d.string() + "'");
        EXPECT_EQ(init.status, 1);
        EXPECT_TRUE(Has(init.err, atWork + "; nothing was changed")) << stage << init.err;
        held.Release();
        EXPECT_TRUE(Tree(d) == before) << stage;
        EXPECT_EQ(fs::is_directory(d / kDocumentFolder), stage == 2);
    }
    const std::string manifest = (d / kDocumentFolder / kManifestFile).string();
    // An init killed after the standard domain's file, before its manifest:
    // the file an init writes (as a fresh init wrote it), a part of it (its
    // beginning, under its own name or a temporary's) and of the manifest.
    std::string stdDomain;
    for (auto& e : fs::directory_iterator(DocFolder()))
        if (Has(e.path().filename().string(), "domain-")) stdDomain = e.path().filename().string();
    const std::string stdBytes = ReadFile(DocFolder() / stdDomain);
    const std::string onlyInits = " and " + (d / kDocumentFolder).string() + " holds only what an init writes";
    const struct {
        std::string made, holds;
        std::vector<std::pair<std::string, std::string>> files;  // in the document folder
    } rows[] = {
        {(d / kDocumentFolder).string() + " and " + (d / "Template").string(), "", {}},
        {(d / kDocumentFolder).string() + " and " + (d / "Template").string(), onlyInits, {{stdDomain, stdBytes}}},
        {(d / kDocumentFolder).string() + " and " + (d / "Template").string(), onlyInits,
         {{stdDomain + ".tmp1_0", stdBytes.substr(0, 1000)}, {std::string(kManifestFile) + ".tmp1_1", "<KilnDoc"}}},
        {(d / kDocumentFolder).string() + " and " + (d / "Template").string(), onlyInits,
         {{stdDomain, stdBytes.substr(0, 4096)}}},
        {(d / "Template").string(), "", {}},
    };
    for (const auto& row : rows) {
        for (const auto& [name, bytes] : row.files) WriteFile(d / kDocumentFolder / name, bytes);
        if (row.made == (d / "Template").string()) fs::remove_all(d / kDocumentFolder);
        const std::string halfMade = d.string() + " holds a half-made workspace: " + manifest + " is missing" +
                                     row.holds + "; remove " + row.made + " and run kiln init " + d.string() + " again";
        const auto before = Tree(d);
        // The check makes nothing on the disk: a TMPDIR that is no folder, or
        // one that stays empty, gives the same.
        Result run = Kiln(m_dir, "run '" + d.string() + "' -e 'echo x'", 0,
                          [&](const std::string& cmd) { return "TMPDIR='" + m_dir.str("stderr.txt") + "' " + cmd; });
        EXPECT_EQ(run.err, "kiln: error: " + halfMade + "\n");
        fs::create_directories(m_dir.path() / "tmp");
        Result init = Kiln(m_dir, "init '" + d.string() + "'", 0,
                           [&](const std::string& cmd) { return "TMPDIR='" + m_dir.str("tmp") + "' " + cmd; });
        EXPECT_EQ(init.err, "kiln: error: " + halfMade + "\n");
        EXPECT_TRUE(fs::is_empty(m_dir.path() / "tmp"));
        EXPECT_TRUE(Tree(d) == before) << row.holds;
        for (const auto& file : row.files) fs::remove(d / kDocumentFolder / file.first);
    }
    // Saved work beside the init's file (a domain one byte changed) is no
    // init's: the manifest is to be put back.
    fs::create_directories(d / kDocumentFolder);
    WriteFile(d / kDocumentFolder / stdDomain, stdBytes.substr(0, stdBytes.size() - 2) + "\n\n");
    EXPECT_TRUE(Has(Kiln(m_dir, "init '" + d.string() + "'").err, "put the manifest back (from a backup)"));
    fs::remove_all(d / kDocumentFolder);
    // Removed as it says, the folder takes a workspace.
    fs::remove_all(d / "Template");
    EXPECT_EQ(Kiln(m_dir, "init '" + d.string() + "'").status, 0);

    // Inits killed at many points: a limit on a file's size (in blocks of 512
    // bytes) stops each at a write, of a template, of the standard domain at
    // its start, inside or at its last block, or at none. What is left is a
    // workspace, or what run and init name as half-made, which takes a
    // workspace once the folders named are removed.
    const size_t last = stdBytes.size() / 512;
    for (size_t blocks : {size_t{0}, size_t{1}, size_t{7}, size_t{1000}, last, last + 1}) {
        const fs::path k = m_dir.path() / ("killed" + std::to_string(blocks));
        Result killed = Kiln(m_dir, "init '" + k.string() + "'", 0, [&](const std::string& cmd) {
            return "ulimit -f " + std::to_string(blocks) + "; " + cmd;
        });
        EXPECT_EQ(killed.status == 0, blocks == last + 1) << blocks << killed.err;
        Result run = Kiln(m_dir, "run '" + k.string() + "' -e 'echo x'");
        Result init = Kiln(m_dir, "init '" + k.string() + "'");
        if (blocks == last + 1) {
            EXPECT_EQ(run.status, 0) << run.err;
            continue;
        }
        if (init.status != 0) {
            EXPECT_TRUE(Has(init.err, k.string() + " holds a half-made workspace: ")) << blocks << init.err;
            EXPECT_EQ(run.err, init.err) << blocks;
            fs::remove_all(k / kDocumentFolder);
            fs::remove_all(k / "Template");
            init = Kiln(m_dir, "init '" + k.string() + "'");
        }
        EXPECT_EQ(init.status, 0) << blocks << init.err;
        EXPECT_EQ(Kiln(m_dir, "run '" + k.string() + "' -e 'echo x'").status, 0) << blocks;
    }

    // Inits traced, one that a full disk fails (a write refused, at a
    // template or the standard domain) and one that makes the workspace two
    // folders below one that exists: each folder of the path is made in the
    // one above it and opened there, never through a link; nothing under the
    // first is named by its path, all is made, filled and removed through
    // the folders made, and the failed one leaves nothing.
    if (std::system("strace -f -o /dev/null true > /dev/null 2>&1") != 0) {
        std::cout << "[ SKIPPED  ] a traced init: strace is not installed or cannot trace here\n";
        return;
    }
    for (const bool full : {true, false}) {
        const fs::path t = m_dir.path() / "levels" / "in" / (full ? "traced_full" : "traced");
        const std::string trace = m_dir.str("init_trace.txt");
        Result r = Kiln(m_dir, "init '" + t.string() + "'", 60, [&](const std::string& cmd) {
            return "ASAN_OPTIONS=detect_leaks=0 strace -f -e trace=%file,%desc -o '" + trace + "' sh -c \"" +
                   (full ? "ulimit -f 1; trap '' XFSZ; " : "") + cmd + "\"";
        });
        EXPECT_EQ(r.status, full ? 1 : 0) << r.err;
        EXPECT_EQ(fs::exists(m_dir.path() / "levels"), !full);
        const std::string log = ReadFile(trace);
        EXPECT_FALSE(Has(log, " mkdir(")) << log;
        size_t made = log.find("mkdirat(");
        ASSERT_NE(made, std::string::npos) << log;
        for (const std::string& level : {std::string("levels"), std::string("in"), t.filename().string()}) {
            const size_t at = log.find("mkdirat(", made);
            ASSERT_NE(at, std::string::npos) << level;
            const std::string mkdir = log.substr(at, log.find('\n', at) - at);
            const size_t open = log.find("openat(", at);
            const std::string opened = log.substr(open, log.find('\n', open) - open);
            EXPECT_TRUE(Has(mkdir, ", \"" + level + "\", ") && !Has(mkdir, "AT_FDCWD")) << mkdir;
            EXPECT_TRUE(Has(opened, ", \"" + level + "\", ") && !Has(opened, "AT_FDCWD") && Has(opened, "O_NOFOLLOW") &&
                        Has(opened, "O_DIRECTORY"))
                << opened;
            made = open;
        }
        const size_t byPath = log.find("\"" + (m_dir.path() / "levels").string() + "/", log.find("mkdirat("));
        EXPECT_EQ(byPath, std::string::npos) << log.substr(log.rfind('\n', byPath) + 1, 200);
    }
    EXPECT_EQ(Kiln(m_dir, "run '" + (m_dir.path() / "levels" / "in" / "traced").string() + "' -e 'echo x'").status, 0);
}

// Two inits of one new folder started together, many times: one makes the
// workspace, the other names it at work or finds its workspace, and the
// workspace stays whole.
TEST_F(HostEndToEnd, TwoInitsAtOnceMakeOneWorkspace) {
    for (int trial = 0; trial < 4; ++trial) {
        const std::string d = m_dir.str("two" + std::to_string(trial));
        std::string cmd;
        for (int k = 0; k < 2; ++k) {
            const std::string tag = m_dir.str("init" + std::to_string(k));
            cmd += "(" + std::string("KILN_HOME='") + KILN_SOURCE_DIR + "' '" + KILN_BINARY + "' init '" + d +
                   "' < /dev/null > '" + tag + ".out' 2>&1; echo $? > '" + tag + ".rc') & ";
        }
        ASSERT_EQ(std::system((cmd + "wait").c_str()), 0);
        int made = 0;
        for (int k = 0; k < 2; ++k) {
            const std::string tag = m_dir.str("init" + std::to_string(k));
            const int rc = std::stoi(ReadFile(tag + ".rc"));
            const std::string out = ReadFile(tag + ".out");
            made += rc == 0;
            if (rc != 0) {
                EXPECT_TRUE(Has(out, ") is making a workspace in " + d + "; nothing was changed") ||
                            Has(out, d + " already holds a workspace"))
                    << out;
            }
        }
        EXPECT_EQ(made, 1) << trial;
        CBase_CimDoc doc;
        EXPECT_TRUE(doc.Open((d + "/" + kDocumentFolder).c_str())) << doc.LastError();
    }
}

// Something else in place of a workspace file, or a manifest lost beside
// saved files: a run (and an init, where it looks) is refused at once,
// naming the file and what it is, never waiting on a FIFO or a socket, and
// the workspace stays as it was; no advice removes the saved files.
TEST_F(HostEndToEnd, WhatIsNoRegularFileInTheWorkspaceIsNamed) {
    const fs::path ws = m_dir.path() / "ws", manifest = DocFolder() / kManifestFile, lock = ws / kLockFile;
    // Work saved beside what the init wrote.
    Result saved = Kiln(m_dir, "run '" + ws.string() + "' -e 'import \"" + PackageFile(m_dir, "saved") + "\" 二次模型数据类型包'");
    ASSERT_EQ(saved.status, 0) << saved.out << saved.err;
    fs::path domain;
    for (auto& e : fs::directory_iterator(DocFolder())) domain = Has(e.path().string(), "/domain-") ? e.path() : domain;
    auto fifo = [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); };
    auto socketFile = [](const fs::path& p) {
        sockaddr_un addr{AF_UNIX, {}};
        std::strncpy(addr.sun_path, p.c_str(), sizeof addr.sun_path - 1);
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        close(fd);
    };
    auto folder = [](const fs::path& p) { fs::create_directory(p); };
    auto dangling = [](const fs::path& p) { fs::create_symlink("nowhere", p); };
    // A link to a file of the user's, which kiln must not lock or write.
    WriteFile(ws / "notes.txt", "mine");
    auto toNotes = [](const fs::path& p) { fs::create_symlink("notes.txt", p); };
    auto none = [](const fs::path&) {};
    auto usersFile = [](const fs::path& p) { WriteFile(p, std::string(1892, 'u')); };
    const std::string notFolder = ws.string() + " holds " + DocFolder().string() + ", which is ";
    const std::string noDoc = ", where a workspace has its document folder; nothing was changed";
    const std::string lost = ws.string() + " holds a workspace whose manifest " + manifest.string();
    const std::string kept = "; the saved files in " + DocFolder().string() + " are kept and nothing was changed: " +
                             "put the manifest back (from a backup) to open the workspace";
    const std::string unlocked = "cannot lock the workspace " + ws.string() + ": its lock file " + lock.string();
    const std::string unread = "cannot open the document " + DocFolder().string() + ": 不能读取域文件" + domain.string();
    const struct {
        fs::path file;
        std::function<void(const fs::path&)> make;
        std::string says;
        bool initSaysSo;
    } cases[] = {
        {manifest, none, lost + " is missing" + kept, true},
        {manifest, folder, lost + " is a folder" + kept, true},
        {manifest, dangling, lost + " is a dangling link" + kept, true},
        {manifest, fifo, lost + " is a FIFO" + kept, true},
        {domain, fifo, unread + "：is a FIFO", false},
        {domain, socketFile, unread + "：is a socket", false},
        {domain, dangling, unread + "：is a dangling link", false},
        {lock, dangling, unlocked + " is a dangling link", false},
        {lock, fifo, unlocked + " is a FIFO", false},
        {lock, toNotes, unlocked + " is a link", false},
        {DocFolder(), usersFile, notFolder + "a regular file" + noDoc, true},
        {DocFolder(), fifo, notFolder + "a FIFO" + noDoc, true},
        {DocFolder(), dangling, notFolder + "a dangling link" + noDoc, true},
    };
    const fs::path aside = m_dir.path() / "aside";
    for (const auto& c : cases) {
        fs::rename(c.file, aside);
        c.make(c.file);
        const auto before = Tree(ws);
        Result run = Kiln(m_dir, "run '" + ws.string() + "' -e 'tree 1'", 20);
        EXPECT_EQ(run.status, 1) << c.says;
        EXPECT_EQ(run.err, "kiln: error: " + c.says + "\n");
        if (c.initSaysSo) {
            EXPECT_EQ(Kiln(m_dir, "init '" + ws.string() + "'", 20).err, "kiln: error: " + c.says + "\n");
        }
        EXPECT_TRUE(Tree(ws) == before) << c.says;
        fs::remove(c.file);
        fs::rename(aside, c.file);
    }
    EXPECT_EQ(Kiln(m_dir, "run '" + ws.string() + "' -e 'tree 1'").status, 0);

    // The document folder named for its workspace, by a run or an init; an
    // init at or below the document or template folder, however its path
    // leads there (which would nest a workspace in it): nothing is made.
    const auto before = Tree(ws);
    const fs::path tmpl = ws / "Template", linked = m_dir.path() / "linked", inner = DocFolder() / "inner";
    fs::create_directory_symlink(DocFolder(), linked);
    const std::string docOf = " is the document folder of the workspace " + ws.string() + ", not a workspace (run kiln run " +
                              ws.string() + ")", inDoc = " is inside the document folder ";
    const std::string nested = " of the workspace " + ws.string() + "; no workspace is made inside another, nothing was changed";
    // A workspace whose document folder is a link to `store`: a folder there
    // is known by kiln's manifest in it.
    const fs::path store = m_dir.path() / "store", stored = store / kManifestFile;
    ASSERT_EQ(Kiln(m_dir, "init '" + m_dir.str("ws2") + "'").status, 0);
    fs::rename(m_dir.path() / "ws2" / kDocumentFolder, store);
    fs::create_directory_symlink(store, m_dir.path() / "ws2" / kDocumentFolder);
    const std::string holds = " of a workspace (it holds kiln's manifest " + stored.string() +
                              "); no workspace is made inside another, nothing was changed";
    // A copy whose root comes after a comment holding "<" and 5 KB of blanks:
    // a manifest all the same.
    const fs::path pstore = m_dir.path() / "pstore", pstored = pstore / kManifestFile;
    std::string prologued = ReadFile(stored);
    prologued.insert(prologued.find("<KilnDocument"), "<!-- <notes> -->" + std::string(5000, ' '));
    WriteFile(pstored, prologued);
    // A Template folder is known by the templates an init copies into it:
    // the target of ws2's linked one, ws's bound on `bound` (where nothing
    // of ws is seen).
    const fs::path tstore = m_dir.path() / "tstore", bound = m_dir.path() / "bound";
    fs::rename(m_dir.path() / "ws2" / "Template", tstore);
    fs::create_directory_symlink(tstore, m_dir.path() / "ws2" / "Template");
    fs::create_directory(bound);
    const std::string templates = " of a workspace (it holds kiln's templates ICD_Template.xml, MICS_Template.xml, "
                                  "ITB_Template.xml, M2I_Template.xml and Report_Template.xml); no workspace is made "
                                  "inside another, nothing was changed";
    // What runs under `bound` runs where ws's Template folder is bound there.
    const std::string binding = "unshare -m sh -c \"mount --bind '" + tmpl.string() + "' '" + bound.string() + "' && ";
    const bool mounts = std::system((binding + "true\" > /dev/null 2>&1").c_str()) == 0;
    for (const auto& [verb, target, says] :
         {std::tuple{"run", DocFolder() / "", DocFolder().string() + docOf}, {"init", DocFolder(), DocFolder().string() + docOf},
          {"init", inner, inner.string() + inDoc + DocFolder().string() + nested},
          {"init", linked / "inner", (linked / "inner").string() + inDoc + fs::canonical(DocFolder()).string() + nested},
          {"init", tmpl, tmpl.string() + " is the template folder" + nested},
          {"run", tmpl, tmpl.string() + " is the template folder of the workspace " + ws.string() + ", not a workspace"},
          {"init", tmpl / "a", (tmpl / "a").string() + " is inside the template folder " + tmpl.string() + nested},
          {"init", store, store.string() + " is the document folder" + holds},
          {"init", store / "a" / "b", (store / "a" / "b").string() + inDoc + store.string() + holds},
          {"init", pstore / "a", (pstore / "a").string() + inDoc + pstore.string() + " of a workspace (it holds kiln's " +
                                     "manifest " + pstored.string() + "); no workspace is made inside another, nothing was changed"},
          {"init", tstore, tstore.string() + " is the template folder" + templates},
          {"init", bound / "a", (bound / "a").string() + " is inside the template folder " + bound.string() + templates}}) {
        const bool bind = target.parent_path() == bound;
        if (bind && !mounts) {
            std::cout << "[ SKIPPED  ] init " << target << ": this machine does not let the test mount a file system\n";
            continue;
        }
        const bool existed = fs::exists(target);
        Result r = Kiln(m_dir, std::string(verb) + " '" + target.string() + "'" + (*verb == 'r' ? " -e 'tree 1'" : ""), 0,
                        [&](const std::string& cmd) { return bind ? binding + cmd + "\"" : cmd; });
        EXPECT_EQ(r.status, 1) << target;
        EXPECT_EQ(r.err, "kiln: error: " + says + "\n");
        EXPECT_TRUE(Tree(ws) == before && fs::exists(target) == existed) << target;
    }
}

namespace {

// A product with an ICD, its ITB and M2I, and a product type package: what
// every export of the menus needs.
constexpr const char* kExportModel =
    "view TreeView_User\nanswer text 华东电气\nrclick\nmenu 新建产品包\n"
    "select \"产品包: 华东电气\"\nanswer choice --保护装置\nrclick\nmenu 新建IED产品\n"
    "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\"\nrclick\nmenu \"新建 ICD（IED类型配置）\"\n"
    "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\" \"IED类型配置: Product_1\"\nrclick\n"
    "menu \"新建 ITB（装置信息表）\"\nrclick\nmenu \"新建 M2I（信息表到模型的映射）\"\n"
    "select\nanswer choice \"Orsane.Zel:2007  (标准)\"\nanswer text 类型甲\nrclick\nmenu 增加产品类型包\n";

// The lines of a script that export (`kind`: icd, itb, m2i, name or type) into `file`.
std::string ExportLines(const std::string& kind, const std::string& file) {
    const std::string icd = "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\" \"IED类型配置: Product_1\"";
    const std::string answer = "answer file \"" + file + "\"\nrclick\n";
    if (kind == "icd") return icd + "\nanswer no\n" + answer + "menu \"生成 ICD 文件\"\n";
    if (kind == "itb") return icd + " \"装置信息表: ITB\"\n" + answer + "menu \"生成 ITB 文件\"\n";
    if (kind == "m2i") return icd + " \"映射表: M2I\"\n" + answer + "menu \"生成 M2I 文件\"\n";
    if (kind == "name") return "select\n" + answer + "menu 生成替换名称文件\n";
    return "select 产品类型包:类型甲\n" + answer + "menu \"生成 TypePackage 文件\"\n";
}

}  // namespace

// An export whose file cannot be written (no such folder, a size limit, a
// full disk), whose template cannot be read or is of another kind, or whose
// answer is one of the workspace's own files however it is reached (a linked
// document or Template folder, a bind mount): it says which file and why,
// writes nothing, and the run fails without saving. An export that is
// written reaches the disk before its rename.
TEST_F(HostEndToEnd, AnExportWritesItsFileWholeOrFailsTheRunSayingWhy) {
    const fs::path ws = m_dir.path() / "ws", out = m_dir.path() / "out", tmpl = ws / "Template";
    fs::create_directories(out);
    WriteFile(m_dir.path() / "model.kiln", kExportModel);
    Result made = Kiln(m_dir, "run '" + Workspace() + "' '" + m_dir.str("model.kiln") + "'");
    ASSERT_EQ(made.status, 0) << made.out << made.err;
    std::string domain;
    for (auto& e : fs::directory_iterator(DocFolder()))
        if (Has(e.path().filename().string(), "domain-")) domain = e.path().filename().string();
    // Whether this machine lets a test mount in a mount namespace of its own.
    const bool mounts = std::system(("unshare -m sh -c 'mount -t tmpfs tmpfs \"" + out.string() +
                                     "\"' > /dev/null 2>&1").c_str()) == 0;
    // Root reads every file: kiln then runs as nobody to find a template
    // unreadable (the folders open to it, the lock file writable).
    const bool root = geteuid() == 0;
    // (kiln itself must be reachable to that user: a build in a folder only
    // root may enter is not.)
    const bool otherUser = !root || std::system(("setpriv --reuid=65534 --regid=65534 --clear-groups '" +
                                                 std::string(KILN_BINARY) + "' --version > /dev/null 2>&1")
                                                    .c_str()) == 0;
    auto asOther = [root](const std::string& cmd) {
        const size_t binary = cmd.find(std::string("'") + KILN_BINARY + "'");
        return root ? cmd.substr(0, binary) + "setpriv --reuid=65534 --regid=65534 --clear-groups " + cmd.substr(binary)
                    : cmd;
    };
    auto inNamespace = [](const std::string& mount) {
        return [mount](const std::string& cmd) { return "unshare -m sh -c \"" + mount + " && " + cmd + "\""; };
    };
    const fs::path full = out / "full", bound = m_dir.path() / "bound", seen = m_dir.path() / "seen";
    fs::create_directories(full);
    fs::create_directories(bound);
    fs::create_directories(seen);
    // A process of another mount namespace that bound the document folder
    // on `seen` and works there: its /proc/PID/cwd leads to the document
    // folder while the link's text names `seen`, empty in this namespace.
    const std::string binding = "mount --bind '" + DocFolder().string() + "' '" + seen.string() + "' && cd '" +
                                seen.string() + "' && exec sleep 120";
    const pid_t binder = mounts ? fork() : -1;
    if (binder == 0) {
        ::execlp("unshare", "unshare", "-m", "sh", "-c", binding.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const fs::path binderCwd = "/proc/" + std::to_string(binder) + "/cwd";
    for (int waited = 0; binder > 0 && waited < 500 && !fs::exists(binderCwd / kManifestFile); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string fault = "模板文件格式不正确, 导出不成功！\n", unread = "模板文件不能读取, 导出不成功！\n";
    auto tmplPath = [&](const char* file) { return (DocFolder() / ".." / "Template" / file).string(); };
    auto aside = [&](const fs::path& p, const std::function<void(const fs::path&)>& make) {
        return std::make_pair(std::function<void()>([=] { fs::rename(p, p.string() + ".aside"), make(p); }),
                              std::function<void()>([=] {
                                  fs::remove_all(p);
                                  fs::rename(p.string() + ".aside", p);
                              }));
    };
    auto none = [](const fs::path&) {};
    auto fifo = [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); };
    auto folder = [](const fs::path& p) { fs::create_directory(p); };
    auto text = [](const std::string& t) { return [t](const fs::path& p) { WriteFile(p, t); }; };
    auto linked = [&](const fs::path& p) { return [=](const fs::path& at) { fs::create_directory_symlink(p, at); }; };
    const fs::path realDoc = DocFolder().string() + ".aside", realTmpl = tmpl.string() + ".aside";
    const fs::path elsewhere = m_dir.path() / "elsewhere";  // no Template beside it
    const std::string own = " is one of the workspace's own files, which no export writes over";
    // Another workspace, among the files an export may write: its document
    // and template folders are known by what they hold.
    const fs::path other = out / "ws2", otherManifest = other / kDocumentFolder / kManifestFile;
    ASSERT_EQ(Kiln(m_dir, "init '" + other.string() + "'").status, 0);
    const std::string another = " of another workspace (it holds ";
    // Its manifest as the document reads it: its root after a comment and a
    // processing instruction that hold "<", and 5 KB of blanks.
    std::string prologued = ReadFile(otherManifest);
    prologued.insert(prologued.find("<KilnDocument"), "<!-- <notes> --><?note <?>" + std::string(5000, ' '));
    const fs::path otherDomain = other / kDocumentFolder / "domain-1-g1.xml", otherLock = other / kLockFile;
    struct Row {
        const char* what;
        std::string kind;
        fs::path file;                                       // the answer
        std::pair<std::function<void()>, std::function<void()>> scene;  // made before, undone after
        std::vector<std::string> says;                       // on stderr
        std::function<std::string(const std::string&)> wrap;
        bool cannot;  // this machine cannot make the scene
    };
    const std::pair<std::function<void()>, std::function<void()>> plain{[] {}, [] {}};
    const Row rows[] = {
        {"no such folder", "icd", out / "none" / "x.icd", plain,
         {"创建" + (out / "none" / "x.icd").string() + "文件失败！\n", std::strerror(ENOENT)}, nullptr, false},
        {"a size limit", "itb", out / "x.itb", plain,
         {"创建" + (out / "x.itb").string() + "文件失败！\n", std::strerror(EFBIG)},
         [](const std::string& cmd) { return "ulimit -f 0; trap '' XFSZ; " + cmd; }, false},
        {"a full disk", "m2i", full / "x.m2i", plain,
         {"创建" + (full / "x.m2i").string() + "文件失败！\n", std::strerror(ENOSPC)},
         inNamespace("mount -t tmpfs -o size=4k tmpfs '" + full.string() + "' && { head -c 8192 /dev/zero > '" +
                     full.string() + "/fill' 2> /dev/null; true; }"),
         !mounts},
        {"ICD template missing", "icd", out / "x.icd", aside(tmpl / "ICD_Template.xml", none),
         {tmplPath("ICD_Template.xml") + unread + std::strerror(ENOENT)}, nullptr, false},
        {"ITB template unreadable", "itb", out / "x.itb",
         aside(tmpl / "ITB_Template.xml",
               [&](const fs::path& p) {
                   fs::copy_file(p.string() + ".aside", p);
                   fs::permissions(p, fs::perms::none);
                   fs::permissions(ws / kLockFile, fs::perms::all);
                   fs::permissions(m_dir.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
               }),
         {tmplPath("ITB_Template.xml") + unread + std::strerror(EACCES)}, asOther, !otherUser},
        {"MICS template a FIFO", "icd", out / "x.icd", aside(tmpl / "MICS_Template.xml", fifo),
         {tmplPath("MICS_Template.xml") + unread + "is a FIFO"}, nullptr, false},
        {"ITB template a folder", "itb", out / "x.itb", aside(tmpl / "ITB_Template.xml", folder),
         {tmplPath("ITB_Template.xml") + unread + "is a folder"}, nullptr, false},
        {"M2I template of another root", "m2i", out / "x.m2i", aside(tmpl / "M2I_Template.xml", text("<Foo/>")),
         {tmplPath("M2I_Template.xml") + fault + "根元素是Foo，不是M2I"}, nullptr, false},
        {"ICD template of another namespace", "name", out / "x.Name",
         aside(tmpl / "ICD_Template.xml", text("<SCL xmlns=\"urn:other\"><DataTypeTemplates/></SCL>")),
         {tmplPath("ICD_Template.xml") + fault + "根元素的命名空间是urn:other"}, nullptr, false},
        {"the manifest through a linked document folder", "icd", DocFolder() / kManifestFile,
         aside(DocFolder(), linked(realDoc)), {(DocFolder() / kManifestFile).string() + own}, nullptr, false},
        {"the manifest through a document folder linked to another folder's", "m2i", DocFolder() / kManifestFile,
         {[&] {
              fs::create_directories(elsewhere);
              fs::rename(DocFolder(), elsewhere / kDocumentFolder);
              fs::create_directory_symlink(elsewhere / kDocumentFolder, DocFolder());
          },
          [&] {
              fs::remove(DocFolder());
              fs::rename(elsewhere / kDocumentFolder, DocFolder());
          }},
         {(DocFolder() / kManifestFile).string() + own}, nullptr, false},
        {"a domain file in the linked folder itself", "type", realDoc / domain, aside(DocFolder(), linked(realDoc)),
         {(realDoc / domain).string() + own}, nullptr, false},
        {"a template through a linked Template folder", "name", tmpl / "ICD_Template.xml",
         aside(tmpl, linked(realTmpl)), {(tmpl / "ICD_Template.xml").string() + own}, nullptr, false},
        {"a domain file through a bind mount", "icd", bound / kDocumentFolder / domain, plain,
         {(bound / kDocumentFolder / domain).string() + own},
         inNamespace("mount --bind '" + ws.string() + "' '" + bound.string() + "'"), !mounts},
        {"the manifest through /proc/PID/cwd of another mount namespace", "type", binderCwd / kManifestFile, plain,
         {(binderCwd / kManifestFile).string() + own}, nullptr, !mounts},
        {"another workspace's manifest", "type", otherManifest, plain,
         {otherManifest.string() + " is in the document folder" + another + "kiln's manifest " +
          otherManifest.string() + "), which no export writes into"},
         nullptr, false},
        {"another workspace's domain file, its manifest's root far down", "type", otherDomain,
         aside(otherManifest, text(prologued)),
         {otherDomain.string() + " is in the document folder" + another + "kiln's manifest " + otherManifest.string() +
          "), which no export writes into"},
         nullptr, false},
        {"another workspace's lock file (and the MICS beside it)", "icd", otherLock, plain,
         {otherLock.string() + " is the lock file of another workspace (its document folder holds kiln's manifest " +
          otherManifest.string() + "), which no export writes over"},
         nullptr, false},
        {"a template of another workspace whose Template folder lacks one", "name", other / "Template" / "ICD_Template.xml",
         aside(other / "Template" / "M2I_Template.xml", none),
         {(other / "Template" / "ICD_Template.xml").string() + " is in the template folder of another workspace (the "
          "document folder beside it holds kiln's manifest " + otherManifest.string() + "), which no export writes into"},
         nullptr, false},
        {"another workspace's template through a bind mount", "icd", bound / "ICD_Template.xml", plain,
         {(bound / "ICD_Template.xml").string() + " is in the template folder" + another +
          "kiln's templates ICD_Template.xml, MICS_Template.xml, ITB_Template.xml, M2I_Template.xml and "
          "Report_Template.xml), which no export writes into"},
         inNamespace("mount --bind '" + (other / "Template").string() + "' '" + bound.string() + "'"), !mounts},
    };
    for (const Row& r : rows) {
        if (r.cannot) {
            std::cout << "[ SKIPPED  ] " << r.what << ": this machine does not let the test mount a file system "
                      << "or run kiln as another user\n";
            continue;
        }
        r.scene.first();
        WriteFile(m_dir.path() / "export.kiln", "view TreeView_User\n" + ExportLines(r.kind, r.file.string()));
        const auto before = Tree(ws);
        const auto outBefore = Tree(out);
        Result run = Kiln(m_dir, "run '" + Workspace() + "' '" + m_dir.str("export.kiln") + "'", 20, r.wrap);
        EXPECT_EQ(run.status, 1) << r.what << run.out << run.err;
        // The transcript keeps the error too: with a size limit stderr, a file, cannot take it.
        for (const std::string& part : r.says)
            EXPECT_TRUE(Has(run.err + run.out, part)) << r.what << ": " << part << "\n" << run.err << run.out;
        EXPECT_TRUE(Has(run.out, "the document was not saved\n")) << r.what << run.out;
        EXPECT_FALSE(Has(run.out, "导出成功")) << r.what << run.out;
        EXPECT_TRUE(Tree(ws) == before) << r.what;
        EXPECT_TRUE(Tree(out) == outBefore) << r.what;
        r.scene.second();
    }
    if (binder > 0) {
        ::kill(binder, SIGKILL);
        ::waitpid(binder, nullptr, 0);
    }

    // Every export written, and the report of an import, reaches the disk
    // before it takes its name in the folder it was written in, and that
    // name reaches the disk after. Once the document folder is locked,
    // nothing under it is opened, renamed or removed by its path.
    if (std::system("strace -f -o /dev/null true > /dev/null 2>&1") != 0) {
        std::cout << "[ SKIPPED  ] the syncs of the exports: strace is not installed or cannot trace here\n";
        return;
    }
    std::string script = "view TreeView_User\n";
    for (const auto& [kind, ext] : {std::pair{"icd", "icd"}, {"itb", "itb"}, {"m2i", "m2i"}, {"name", "Name"}, {"type", "Type"}})
        script += ExportLines(kind, (out / (std::string("x.") + ext)).string());
    WriteFile(m_dir.path() / "exports.kiln", script + "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\"\nanswer file " +
                  KILN_SOURCE_DIR + "/tests/data/scl/ed1_line_relay.icd\nanswer choice \"Orsane.Zel:2007  (标准)\"\n" +
                  "answer no\nrclick\nmenu \"导入 ICD（IED类型配置）\"\n");
    const std::string trace = m_dir.str("trace.txt");
    Result run = Kiln(m_dir, "run '" + Workspace() + "' '" + m_dir.str("exports.kiln") + "'", 60, [&](const std::string& cmd) {
        return "ASAN_OPTIONS=detect_leaks=0 strace -f -y -e trace=fsync,fdatasync,rename,renameat,renameat2,open,openat,"
               "creat,unlink,unlinkat,mkdir,mkdirat,flock -o '" + trace + "' sh -c \"" + cmd + "\"";
    });
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    // The ITB's and the M2I's success name their files.
    for (const char* name : {"x.itb", "x.m2i"})
        EXPECT_TRUE(Has(run.out, "[message] " + (out / name).string() + "模板文件导出成功！\n")) << name << run.out;
    const std::string log = ReadFile(trace);
    auto lineAt = [&](size_t at) { return at == std::string::npos ? "" : log.substr(at, log.find('\n', at) - at); };
    for (const std::string name : {"x.icd", "x.mics", "x.itb", "x.m2i", "x.Name", "x.Type", "Report.xml"}) {
        const fs::path in = name == "Report.xml" ? DocFolder() : out;
        const size_t renamed = log.find(in.string() + ">, \"" + name + "\") = 0");
        ASSERT_NE(renamed, std::string::npos) << name << "\n" << log;
        EXPECT_TRUE(Has(lineAt(log.rfind("sync(", renamed)), (in / name).string() + ".tmp")) << name << "\n" << log;
        EXPECT_TRUE(Has(lineAt(log.find("sync(", renamed)), "<" + in.string() + ">) = 0")) << name << "\n" << log;
    }
    const size_t held = log.find("<" + DocFolder().string() + ">, LOCK_EX|LOCK_NB) = 0");
    const size_t byPath = held == std::string::npos ? 0 : log.find("\"" + DocFolder().string(), held);
    EXPECT_EQ(byPath, std::string::npos) << lineAt(log.rfind('\n', byPath) + 1) << "\n" << log;
    // The ICD and its MICS go into the folder opened once for both.
    const size_t icd = log.find(out.string() + ">, \"x.icd\") = 0"), mics = log.find(out.string() + ">, \"x.mics\") = 0");
    ASSERT_LT(icd, mics);
    EXPECT_FALSE(Has(log.substr(icd, mics - icd), "\"" + out.string() + "\"")) << log.substr(icd, mics - icd);

    // A folder whose sync fails after the renames (EIO): the new ICD and MICS
    // have taken the old ones' names, and the run fails saying so of each.
    for (const char* name : {"x.icd", "x.mics"}) WriteFile(out / name, "old");
    WriteFile(m_dir.path() / "icd.kiln", "view TreeView_User\n" + ExportLines("icd", (out / "x.icd").string()));
    run = Kiln(m_dir, "run '" + Workspace() + "' '" + m_dir.str("icd.kiln") + "'", 60, [&](const std::string& cmd) {
        return "ASAN_OPTIONS=detect_leaks=0 strace -f -o /dev/null -P '" + out.string() +
               "' -e trace=fsync -e inject=fsync:error=EIO sh -c \"" + cmd + "\"";
    });
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(Has(run.err, "文件失败！")) << run.err;
    for (const char* name : {"x.icd", "x.mics"}) {
        EXPECT_TRUE(Has(run.err, (out / name).string() + "已写入，但不能同步文件夹" + out.string() + "：" +
                                     std::strerror(EIO) + "：它可能还没有写到磁盘上"))
            << run.err;
        EXPECT_NE(ReadFile(out / name), "old") << name;
    }
}

// An answer's folder exchanged with a link to the document folder, or to
// another workspace's, again and again while exports run (renameat2 with
// RENAME_EXCHANGE, in a loop): each export is refused, when it is given or
// when it is written, or written into the folder it was judged by; none
// reaches either document folder.
TEST_F(HostEndToEnd, AnExportWritesIntoTheFolderItJudged) {
    const fs::path out = m_dir.path() / "out", real = out / "real", link = out / "link";
    fs::create_directories(real);
    fs::create_directory_symlink(DocFolder(), link);
    if (::renameat2(AT_FDCWD, real.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE) != 0 ||
        ::renameat2(AT_FDCWD, real.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE) != 0) {
        std::cout << "[ SKIPPED  ] the file system cannot exchange two names: " << std::strerror(errno) << "\n";
        return;
    }
    fs::remove(link);
    WriteFile(m_dir.path() / "model.kiln", kExportModel);
    ASSERT_EQ(Kiln(m_dir, "run '" + Workspace() + "' '" + m_dir.str("model.kiln") + "'").status, 0);
    ASSERT_EQ(Kiln(m_dir, "init '" + m_dir.str("ws2") + "'").status, 0);
    std::string domain;
    for (auto& e : fs::directory_iterator(DocFolder()))
        if (Has(e.path().filename().string(), "domain-")) domain = e.path().filename().string();
    for (const auto& [folder, file, refused] :
         {std::tuple{DocFolder(), domain, " is one of the workspace's own files"},
          {m_dir.path() / "ws2" / kDocumentFolder, std::string(kManifestFile), " of another workspace (it holds "}}) {
        fs::create_directory_symlink(folder, link);
        WriteFile(m_dir.path() / "export.kiln", "view TreeView_User\n" + ExportLines("icd", (real / file).string()));
        const auto before = Tree(folder);
        const pid_t swapper = fork();
        if (swapper == 0)
            for (;;) ::renameat2(AT_FDCWD, real.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE);
        for (int trial = 0; trial < 24; ++trial) {
            const Result r = Kiln(m_dir, "run '" + Workspace() + "' '" + m_dir.str("export.kiln") + "'", 20);
            // Refused when written, another workspace's folder is named as such.
            EXPECT_TRUE(r.status == 0 ||
                        (r.status == 1 && (Has(r.err, refused) || (folder == DocFolder() &&
                                                                   Has(r.err, "：它是工作区自己的文件，导出不能写入")))))
                << r.status << r.out << r.err;
        }
        ::kill(swapper, SIGKILL);
        ::waitpid(swapper, nullptr, 0);
        EXPECT_TRUE(Tree(folder) == before) << folder;
        // The link goes, wherever the exchanges left it; the folder is `real` again.
        if (fs::is_symlink(real)) fs::remove(real), fs::rename(link, real);
        fs::remove(link);
    }
}

// Two runs that export one file many times at once, one of them inside a PID
// namespace of its own, where the other's process number means nothing:
// neither takes the other's temporary at work for a killed writer's, and
// every export is written.
TEST_F(HostEndToEnd, ExportsFromAnotherPidNamespaceKeepEachOthersTemporaries) {
    if (std::system("unshare -p -f --mount-proc true > /dev/null 2>&1") != 0) {
        std::cout << "[ SKIPPED  ] this machine does not let the test make a PID namespace (unshare -p)\n";
        return;
    }
    WriteFile(m_dir.path() / "model.kiln", kExportModel);
    ASSERT_EQ(Kiln(m_dir, "run '" + Workspace() + "' '" + m_dir.str("model.kiln") + "'").status, 0);
    const fs::path other = m_dir.path() / "other", out = m_dir.path() / "out";
    for (const fs::path& folder : {out, other}) fs::create_directories(folder);
    for (const char* folder : {"Template", kDocumentFolder})
        fs::copy(m_dir.path() / "ws" / folder, other / folder, fs::copy_options::recursive);
    std::string script = "view TreeView_User\n";
    for (int n = 0; n < 40; ++n) script += ExportLines("icd", (out / "x.icd").string());
    WriteFile(m_dir.path() / "exports.kiln", script);
    const std::string args = "'" + m_dir.str("exports.kiln") + "' < /dev/null > '" + m_dir.str("ns.out") + "' 2>&1";
    const Result r = Kiln(m_dir, "run '" + Workspace() + "' '" + m_dir.str("exports.kiln") + "'", 60, [&](const std::string& cmd) {
        return "(KILN_HOME='" + std::string(KILN_SOURCE_DIR) + "' unshare -p -f --mount-proc '" + KILN_BINARY + "' run '" +
               other.string() + "' " + args + "; echo $? > '" + m_dir.str("ns.rc") + "') & " + cmd + "; rc=$?; wait; exit $rc";
    });
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(ReadFile(m_dir.path() / "ns.rc"), "0\n") << ReadFile(m_dir.path() / "ns.out");
    std::vector<std::string> left;
    for (auto& e : fs::directory_iterator(out)) left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"x.icd", "x.mics"}));
}
