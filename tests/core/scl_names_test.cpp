// The name patterns of SCL files: a data object's name.
#include <gtest/gtest.h>

#include "core/scl_names.h"

namespace {

TEST(SclNames, ADataNameIsAnUpperCaseLetterThenLettersAndDigitsUpToTwelve) {
    const struct {
        const char* name;
        bool valid;
    } rows[] = {
        {"Mod", true},           {"A", true},             {"OvCurAlm", true},    {"Ind12", true},
        {"AbcdefGhij12", true},  // twelve characters
        {"AbcdefGhij123", false}, {"", false},            {"mod", false},        {"1Ind", false},
        {"Ind_1", false},        {"Ind 1", false},        {"Ind.1", false},      {"过流告警", false},
        {"Ind\xE9", false},      {"\xC3\x89tat", false},  // an accented letter is no ASCII letter
    };
    for (const auto& row : rows) EXPECT_EQ(kiln::core::IsSclDataName(row.name), row.valid) << row.name;
}

}  // namespace
