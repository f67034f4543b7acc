// Random sessions of a user on the demo's model and an imported ICD: menu
// commands with their answers (hostile ones too), property edits and
// exports. A refused step changes nothing, and every ICD written names each
// of its schema errors and no breach the schema does not find.
//
//   KILN_RANDOM_SESSIONS=N   sessions to play (default 96)
//   KILN_RANDOM_SEED=S       the first session's seed (default 1)
//   KILN_RANDOM_STEPS=N      steps of each session (default 100)
// Long sessions reach what short ones never do, and spend less of their
// time opening the workspace and on the exports that close each one.
// A failing session prints its seed and its events as a kiln script.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/host/named_breaches.h"
#include "tests/commands/random_commands.h"

namespace kiln::test {
namespace {

namespace fs = std::filesystem;

int Setting(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

// Where a schema error stands and the places of named breaches: which cover it.
TEST(NamedBreaches, AnErrorIsCoveredByABreachOfItsPlaceOrAboveOrBelowIt) {
    struct Row {
        const char* error;
        const char* named;
        bool covered;
    } rows[] = {
        {"LD_1/PTOC1", "LD_1/PTOC1", true},          {"LD_1/PTOC1", "LD_1/PTOC1.Mod:7", true},
        {"LD_1/PTOC1", "LD_1", true},                {"LD_1/PTOC1", "LD_1/PTOC10", false},
        {"X_GGIO", "X_GGIO2", false},                {"X_GGIO", "X_GGIO.Mod", true},
        {"general (ST)", "general (ST)", true},      {"LD_1", "LD_2", false},
        {"Product_1_AnalogueValue", "Product_1_AnalogueValueCtl", false},
    };
    for (const Row& r : rows) EXPECT_EQ(Covers(r.error, r.named), r.covered) << r.error << " / " << r.named;

    const std::vector<SchemaError> errors{{3, "DAType", "X_AV", "f.icd:3: element DAType: ...", ""}};
    EXPECT_TRUE(Unmatched(errors, NamedBreaches("[message] 导出成功！\n    不符合SCL的DAType（没有BDA）：X_AV\n")).empty());
    EXPECT_EQ(Unmatched(errors, {}).size(), 1u);
    EXPECT_EQ(Unmatched({}, {"LD_1/PTOC1"}).size(), 1u);
    // A value its basic type cannot hold is named though no schema error
    // stands for it; one its type holds is named falsely.
    const std::vector<std::string> values = NamedBreaches(
        "不符合SCL的值（Timestamp取值错误）：PROT/PDIS1.TmACrv.crvPts.xVal:0.0\n"
        "不符合SCL的值（FLOAT32取值错误）：PROT/PDIS1.TmACrv.crvPts.xVal:0.0\n"
        "不符合SCL的值（INT8取值错误）：X_GGIO.setVal:128\n");
    EXPECT_EQ(values, std::vector<std::string>{"PROT/PDIS1.TmACrv.crvPts.xVal:0.0"});

    // A written device read as the schema reads it: a class without the
    // blanks at its ends, and nothing of the device after an element xmllint
    // did not expect there, where a named breach then stands alone.
    const std::string kLn = "f.icd:4: element LN: Schemas validity error : Element '{http://www.iec.ch/61850/2003/SCL}LN'";
    const struct {
        const char* device;  // lines 4 and 5 of the file, in LDevice LD_1
        std::string errors;  // xmllint's
        const char* message;
        bool matched;
    } files[] = {
        {"<LN prefix=\"PV\" lnClass=\" \" lnType=\"T\" inst=\"1\"/>\n",
         kLn + ", attribute 'lnClass': ' ' is not a valid value of the union type 'tLNClassEnum'.",
         "不符合SCL的LN（lnClass格式错误）：LD_1/PV1", true},
        {"<LN lnClass=\"LPHD\" lnType=\"T\" inst=\"1\"/>\n<LN lnClass=\"PTOC\" lnType=\"T\" inst=\"1\"><DOI name=\"Op\" ix=\"x\"/></LN>",
         kLn + ": This element is not expected. Expected is ( {http://www.iec.ch/61850/2003/SCL}LN0 ).",
         "不符合SCL的LDevice（没有LN0）：LD_1\n不符合SCL的DOI（ix取值错误）：LD_1/PTOC1.Op:x", true},
        {"<LN lnClass=\"LPHD\" lnType=\"T\" inst=\"1\"/>\n",
         kLn + ": This element is not expected. Expected is ( {http://www.iec.ch/61850/2003/SCL}LN0 ).",
         "不符合SCL的LDevice（没有LN0）：LD_1\n不符合SCL的DOI（ix取值错误）：LD_2/PTOC1.Op:x", false},
    };
    const fs::path file = fs::temp_directory_path() / ("kiln_breaches_" + std::to_string(::getpid()) + ".icd");
    for (const auto& f : files) {
        std::ofstream(file) << "<?xml version=\"1.0\"?>\n<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\"><IED name=\"T\">"
                               "<AccessPoint name=\"S1\"><Server>\n<LDevice inst=\"LD_1\">\n"
                            << f.device << "\n</LDevice></Server></AccessPoint></IED></SCL>\n";
        EXPECT_EQ(SchemaErrorsAgainstBreaches(file.string(), f.message, f.errors).empty(), f.matched) << f.message;
    }
    std::error_code ec;
    fs::remove(file, ec);
}

// The sessions are played in four shards, each its own test, so that
// they run side by side: shard k plays the seeds first + k, first + k + 4, ...
class RandomCommands : public ::testing::TestWithParam<int> {};
constexpr int kShards = 4;

TEST_P(RandomCommands, RefusalsChangeNothingAndEveryExportNamesItsSchemaErrors) {
    SessionOptions options;
    options.xsd = SclSchemaToCheck();
    if (options.xsd.empty())
        GTEST_SKIP() << "no ../shared/xsd/SCL2007B4/SCL.xsd or no xmllint: the exports cannot be checked";
    const fs::path dir =
        fs::temp_directory_path() / ("kiln_random_" + std::to_string(::getpid()) + "_" + std::to_string(GetParam()));
    std::string error;
    ASSERT_TRUE(PrepareWorkspace((dir / "prepared").string(), error)) << error;

    options.steps = Setting("KILN_RANDOM_STEPS", 100);
    const int sessions = Setting("KILN_RANDOM_SESSIONS", 96);
    const int first = Setting("KILN_RANDOM_SEED", 1);
    int played = 0;
    SessionResult total;
    int failed = 0;
    for (int seed = first + GetParam(); seed < first + sessions; seed += kShards) {
        ++played;
        SeededChoices choices(static_cast<uint64_t>(seed));
        const fs::path at = dir / ("s" + std::to_string(seed));
        SessionResult r = PlaySession((dir / "prepared").string(), at.string(), choices, options);
        total.steps += r.steps, total.menus += r.menus, total.edits += r.edits;
        total.refusals += r.refusals, total.exports += r.exports;
        if (!r.faults.empty()) {
            ++failed;
            std::string faults;
            for (const std::string& f : r.faults) faults += "  " + f + "\n";
            ADD_FAILURE() << "seed " << seed << " (KILN_RANDOM_SEED=" << seed << " KILN_RANDOM_SESSIONS=1):\n"
                          << faults << "# played after examples/demo.kiln, alarms.kiln and import.kiln of "
                          << (dir / "prepared").string() << ", from " << at.string() << ":\n"
                          << r.script;
            if (failed >= Setting("KILN_RANDOM_FAILURES", 5)) break;
        } else {
            std::error_code ec;
            fs::remove_all(at, ec);
        }
    }
    std::cout << played << " sessions: " << total.steps << " steps, " << total.menus << " menu commands, "
              << total.edits << " edits, " << total.refusals << " refusals, " << total.exports << " exports\n";
    // The sessions reach what they check.
    if (played == 0) return;
    EXPECT_GT(total.exports, played);
    EXPECT_GT(total.refusals, 0);
    if (failed == 0) {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
}

INSTANTIATE_TEST_SUITE_P(Shards, RandomCommands, ::testing::Range(0, kShards));

}  // namespace
}  // namespace kiln::test
