// The SI-unit and multiplier tables shared by the M2I export and import.
#include <gtest/gtest.h>

#include "core/unit_tables.h"

namespace kiln::test {
namespace {

using kiln::core::MultiplierCode;
using kiln::core::MultiplierTable;
using kiln::core::SiUnitCode;
using kiln::core::SiUnitTable;

TEST(UnitTablesTest, CodesAndSymbols) {
    const kiln::core::UnitTable units = SiUnitTable();
    const kiln::core::UnitTable mults = MultiplierTable();
    EXPECT_EQ(units.size(), 58u);
    EXPECT_EQ(mults.size(), 21u);
    EXPECT_EQ(units.at("5"), "a");
    EXPECT_EQ(units.at("29"), "V");
    EXPECT_EQ(units.at("23"), "\xE2\x84\x83");  // U+2103
    EXPECT_EQ(units.at("50"), "W/m k");
    EXPECT_EQ(units.at("38"), units.at("62"));
    EXPECT_EQ(mults.at("-6"), "\xCE\xBC");  // U+03BC, not the micro sign
    EXPECT_EQ(mults.at("0"), "None");
    EXPECT_EQ(units.at("1"), "none");
    // Keys are exact texts; the gaps hold nothing.
    for (const char* missing : {"05", "+3", " 29", "5.0", "", "12", "20", "40", "55", "60", "75"})
        EXPECT_EQ(units.count(missing), 0u) << missing;
    for (const char* missing : {"4", "-5", "+3", "27"}) EXPECT_EQ(mults.count(missing), 0u) << missing;
}

TEST(UnitTablesTest, SymbolsGoBackToTheirLowestCode) {
    EXPECT_EQ(SiUnitCode("V"), "29");
    EXPECT_EQ(SiUnitCode("W"), "38");
    EXPECT_EQ(MultiplierCode("k"), "3");
    EXPECT_EQ(MultiplierCode("\xCE\xBC"), "-6");
    EXPECT_EQ(MultiplierCode("\xC2\xB5"), "");  // the micro sign is not in the table
    EXPECT_EQ(SiUnitCode("A"), "");             // the table writes ampere as "a"
    EXPECT_EQ(SiUnitCode("none"), "1");
    EXPECT_EQ(MultiplierCode("None"), "0");
    // Every row goes there and back, except the second "W".
    const kiln::core::UnitTable units = SiUnitTable();
    for (const auto& [code, symbol] : units) {
        if (code == "62") continue;
        EXPECT_EQ(SiUnitCode(symbol), code) << code.str();
    }
    for (const auto& [code, symbol] : MultiplierTable()) EXPECT_EQ(MultiplierCode(symbol), code) << code.str();
}

}  // namespace
}  // namespace kiln::test
