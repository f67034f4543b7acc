// The name patterns of SCL at their edges: first character, the characters
// allowed after it, the longest name, and the predefined attribute names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/scl_names.h"

namespace kiln::test {
namespace {

using namespace kiln::core;

TEST(SclNames, EachPatternAtItsEdges) {
    const struct {
        bool (*accepts)(std::string_view);
        const char* kind;
        std::vector<std::string> good, bad;
    } rows[] = {
        {IsSclLdInst, "LD inst", {"PROT", "1LD", "LD_1", std::string(64, 'a')},
         {"", "_LD", "LD-1", "LD 1", "保护", std::string(65, 'a')}},
        {IsSclLnPrefix, "LN prefix", {"", "A", "Bay1_", std::string(11, 'P')}, {"1P", "_P", "P-1", std::string(12, 'P')}},
        {IsSclLnInst, "LN inst", {"1", "007", std::string(12, '9')}, {"", "abc", "1a", "-1", std::string(13, '9')}},
        {IsSclLnClass, "LN class", {"PTOC", "LLN0", "ZINV"}, {"", "PTO", "PTOCX", "Ptoc", "LLN1", "P1OC"}},
        {IsSclDoName, "DO name", {"Op", "A", "OvCurAlm1", std::string(12, 'A')},
         {"", "op", "1Op", "Op_1", "过流告警", std::string(13, 'A')}},
        {IsSclSdoName, "SDO name", {"phsA", "a", std::string(60, 'a')}, {"", "PhsA", "phs_A", std::string(61, 'a')}},
        {IsSclAttributeName, "DA name", {"stVal", "T", "SBOw", "Oper", "IPv6FlowLabel", std::string(60, 'a')},
         {"", "StVal", "Tx", "st_val", "状态", std::string(61, 'a')}},
        {IsSclAcsiName, "data set or block name", {"DS_ACT", "brcbPrt", std::string(32, 'D')},
         {"", "1DS", "_DS", "DS ACT", "保护事件", std::string(33, 'D')}},
        {IsSclEnumText, "enumeration text", {"", "on", "µs", "Ä-ÿ", std::string(127, 'e')},
         {"Ω", "开", "e\xC3", "\xC0\x80", std::string(128, 'e')}},
        {IsSclTypeId, "type id", {"P1_SPS", "产品_SPS", "a.b-c", std::string(255, 'x')},
         {"", "P1 SPS", "P1\tSPS", std::string(256, 'x')}},
    };
    for (const auto& row : rows) {
        for (const std::string& name : row.good) EXPECT_TRUE(row.accepts(name)) << row.kind << ": " << name;
        for (const std::string& name : row.bad) EXPECT_FALSE(row.accepts(name)) << row.kind << ": " << name;
    }
    // A type id's length counts characters: 255 Chinese ones are allowed.
    std::string chinese;
    for (int i = 0; i < 255; ++i) chinese += "类";
    EXPECT_TRUE(IsSclTypeId(chinese));
    EXPECT_FALSE(IsSclTypeId(chinese + "类"));
}

}  // namespace
}  // namespace kiln::test
