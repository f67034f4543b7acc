// Runs the generator program: on the shared NSD files it must reproduce the
// committed domain byte for byte; on small hand-written definitions it must
// fold setting variants, drop forbidden members, and refuse what it cannot
// resolve without touching an existing output file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/tools/nsd2cim/cim_index.h"

using nsd2cim_test::CimIndex;
namespace fs = std::filesystem;

namespace {

const std::string kDomainFile = std::string(KILN_SOURCE_DIR) + "/domains/IEC61850_std.xml";
const std::string kNsdDir = std::string(KILN_SHARED_DIR) + "/nsd";

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
}

class Nsd2CimRun : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("nsd2cim_test_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "nsd");
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs the program; its exit status, with stdout and stderr in `output_`.
    int Run(const std::string& nsdDir, const fs::path& out) {
        const fs::path log = dir_ / "log.txt";
        const std::string cmd = std::string("\"") + NSD2CIM_EXE + "\" \"" + nsdDir + "\" \"" + out.string() +
                                "\" > \"" + log.string() + "\" 2>&1";
        const int status = std::system(cmd.c_str());
        output_ = ReadFile(log);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void WriteNsd(const std::string& file, const std::string& id, const std::string& body) {
        WriteFile(dir_ / "nsd" / file,
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<NS xmlns=\"http://www.iec.ch/61850/2016/NSD\" id=\"" +
                      id + "\" version=\"2007\" revision=\"B\" release=\"1\">\n"
                      "<Copyright><Notice>COPYRIGHT (c) IEC, test notice</Notice>"
                      "<License uri=\"www.iec.ch/CCv1\" kind=\"Standard\"/></Copyright>\n" +
                      body + "\n</NS>\n");
    }

    // Three small files: an abstract class with an LN class that derives from
    // it, and a setting CDC in two variants.
    void WriteSmallSet(const std::string& doType = "SPS") {
        WriteNsd("a72.nsd", "IEC 61850-7-2",
                 "<BasicTypes><BasicType name=\"BOOLEAN\"/><BasicType name=\"INT32\"/></BasicTypes>"
                 "<FunctionalConstraints><FunctionalConstraint abbreviation=\"ST\"/>"
                 "<FunctionalConstraint abbreviation=\"SP\"/><FunctionalConstraint abbreviation=\"SG\"/>"
                 "<FunctionalConstraint abbreviation=\"CF\"/></FunctionalConstraints>");
        WriteNsd("b73.nsd", "IEC 61850-7-3",
                 "<Enumerations><Enumeration name=\"ModeKind\"><Literal name=\"on\" literalVal=\"1\"/>"
                 "<Literal name=\"off-line &amp; blocked\" literalVal=\"5\"/></Enumeration></Enumerations>"
                 "<CDCs><CDC name=\"SPS\"><DataAttribute name=\"stVal\" fc=\"ST\" type=\"BOOLEAN\" dchg=\"true\" "
                 "presCond=\"M\"/><DataAttribute name=\"mode\" fc=\"CF\" type=\"ModeKind\" typeKind=\"ENUMERATED\" "
                 "presCond=\"O\"/></CDC>"
                 "<CDC name=\"ING\" variant=\"SP\"><DataAttribute name=\"setVal\" fc=\"SP\" type=\"INT32\" "
                 "dchg=\"true\" presCond=\"M\"/><DataAttribute name=\"minVal\" fc=\"CF\" type=\"INT32\" "
                 "presCond=\"O\"/></CDC>"
                 "<CDC name=\"ING\" variant=\"SG\"><DataAttribute name=\"setVal\" fc=\"SG\" type=\"INT32\" "
                 "presCond=\"M\"/><DataAttribute name=\"sgOnly\" fc=\"SG\" type=\"BOOLEAN\" presCond=\"O\"/>"
                 "<DataAttribute name=\"minVal\" fc=\"CF\" type=\"INT32\" presCond=\"O\"/></CDC></CDCs>");
        WriteNsd("c74.nsd", "IEC 61850-7-4",
                 "<LNClasses><AbstractLNClass name=\"BaseLN\"><DataObject name=\"Beh\" type=\"SPS\" "
                 "presCond=\"M\"/></AbstractLNClass>"
                 "<LNClass name=\"XTST\" base=\"BaseLN\"><DataObject name=\"Op\" type=\"" +
                     doType +
                     "\" presCond=\"MOcond\" transient=\"true\"/><DataObject name=\"Old\" type=\"SPS\" "
                     "presCond=\"F\"/><DataObject name=\"Set\" type=\"ING\" presCond=\"Omulti\"/></LNClass>"
                     "</LNClasses>");
    }

    fs::path dir_;
    std::string output_;
};

TEST_F(Nsd2CimRun, RegeneratingFromTheSharedNsdGivesTheCommittedFile) {
    if (!fs::is_directory(kNsdDir))
        GTEST_SKIP() << "the NSD files are not there (" << kNsdDir << "): ../shared is absent";
    const fs::path out = dir_ / "IEC61850_std.xml";
    ASSERT_EQ(Run(kNsdDir, out), 0) << output_;
    const std::string regenerated = ReadFile(out);
    const std::string committed = ReadFile(kDomainFile);
    ASSERT_FALSE(committed.empty()) << kDomainFile;
    EXPECT_TRUE(regenerated == committed)
        << "domains/IEC61850_std.xml is not what nsd2cim makes of " << kNsdDir << "; regenerate it";
}

TEST_F(Nsd2CimRun, SmallDefinitionsGiveTheDomainTheirReadersExpect) {
    WriteSmallSet();
    const fs::path out = dir_ / "std.xml";
    ASSERT_EQ(Run((dir_ / "nsd").string(), out), 0) << output_;
    CimIndex ix;
    ASSERT_TRUE(ix.Load(out.string()));

    const std::string xtst = ix.One("sec:LNodeType", "XTST");
    EXPECT_EQ(ix.LinkName(xtst, "sec:LNodeType.Abstract_Type"), "BaseLN");
    EXPECT_EQ(ix.MemberNames(xtst, "sec:DO.LNodeType"), (std::vector<std::string>{"Op", "Set"}));
    const std::string op = ix.Member(xtst, "sec:DO.LNodeType", "Op");
    EXPECT_EQ(ix.Value(op, "sec:DO.presence", "PresenceTypeEnum"), "C");
    EXPECT_EQ(ix.Attr(op, "sec:DO.transient"), "true");
    EXPECT_EQ(ix.Value(ix.Member(xtst, "sec:DO.LNodeType", "Set"), "sec:DO.presence", "PresenceTypeEnum"), "O");

    // The variants fold into one CDC; a member of one variant only keeps its place.
    const std::string ing = ix.One("sec:DOType", "ING");
    EXPECT_EQ(ix.MemberNames(ing, "sec:DA.MemberOf_DOType"),
              (std::vector<std::string>{"setVal", "sgOnly", "minVal"}));
    const std::string setVal = ix.Member(ing, "sec:DA.MemberOf_DOType", "setVal");
    EXPECT_EQ(ix.Value(setVal, "sec:DA.fc_0", "FCType"), "SP");
    EXPECT_EQ(ix.Value(setVal, "sec:DA.fc_1", "FCType"), "SG");
    EXPECT_FALSE(ix.HasRole(setVal, "sec:DA.fc_2"));
    EXPECT_EQ(ix.Value(setVal, "sec:DA.trgOp", "TrgOpTypeEnum"), "DChg");

    // Enumeration values: the literal name as name and value, the code as order;
    // text that needs escaping survives.
    const std::string mode = ix.Member(ix.One("sec:DOType", "SPS"), "sec:DA.MemberOf_DOType", "mode");
    const std::string en = ix.Link(mode, "sec:BDA.DefinedBy_EnumType");
    EXPECT_EQ(ix.Name(en), "850EN_ModeKind");
    auto vals = ix.Members(en, "sec:EnumVal.EnumType");
    ASSERT_EQ(vals.size(), 2u);
    EXPECT_EQ(ix.Attr(vals[1], "sec:EnumVal.val"), "off-line & blocked");
    EXPECT_EQ(ix.Attr(vals[1], "e301:OrdNaming.ord"), "5");

    // Name semantics: one entry per name, shared by every member of that name.
    EXPECT_EQ(ix.Named("sec:DOSemantic", "Beh").size(), 1u);
    EXPECT_EQ(ix.Named("sec:DASemantic", "minVal").size(), 1u);
    EXPECT_EQ(ix.OfClass("sec:DOSemantic").size(), 3u);  // Beh, Op, Set
}

TEST_F(Nsd2CimRun, RefusesDefinitionsItCannotResolveAndKeepsTheOldOutput) {
    const fs::path out = dir_ / "std.xml";
    WriteFile(out, "previous");

    EXPECT_EQ(Run((dir_ / "missing").string(), out), 1);
    EXPECT_NE(output_.find("cannot read the folder"), std::string::npos) << output_;

    EXPECT_EQ(Run((dir_ / "nsd").string(), out), 1);  // empty folder
    EXPECT_NE(output_.find("no NSD file for IEC 61850-7-2"), std::string::npos) << output_;

    WriteSmallSet("NOPE");
    EXPECT_EQ(Run((dir_ / "nsd").string(), out), 1);
    EXPECT_NE(output_.find("XTST.Op: unknown CDC \"NOPE\""), std::string::npos) << output_;

    WriteSmallSet();
    WriteFile(dir_ / "nsd" / "d_broken.nsd", "<NS id=\"IEC 61850-7-4\"><LNClasses>");
    EXPECT_EQ(Run((dir_ / "nsd").string(), out), 1);
    EXPECT_NE(output_.find("d_broken.nsd"), std::string::npos) << output_;

    fs::remove(dir_ / "nsd" / "d_broken.nsd");
    WriteNsd("e74.nsd", "IEC 61850-7-4", "<LNClasses/>");
    EXPECT_EQ(Run((dir_ / "nsd").string(), out), 1);
    EXPECT_NE(output_.find("two files for IEC 61850-7-4"), std::string::npos) << output_;

    EXPECT_EQ(ReadFile(out), "previous");
}

}  // namespace
