// The values of the basic types in the forms a file may write them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/scl_values.h"

namespace kiln::test {
namespace {

using namespace kiln::core;

// Forms a file may hold that the property view does not take (exponents,
// INF, 1 and 0, leading zeros, offsets) fit, so that an import's values
// are not named for nothing; types of no one textual form take any text.
TEST(SclValues, FormsAFileMayWriteAtTheEdgesOfEachType) {
    const struct {
        const char* bType;
        std::vector<std::string> good, bad;
    } rows[] = {
        {"BOOLEAN", {"", "true", "false", "1", "0"}, {"TRUE", "yes", "2"}},
        {"INT8U", {"0", "00255"}, {"-0", "256", "+1", "1.0", " 1"}},
        {"INT64", {"-9223372036854775808", "0009223372036854775807"}, {"9223372036854775808", "1e3", "--1"}},
        {"FLOAT32", {"1e38", "-3.4E+38", "1.5e-50", "INF", "-INF", "NaN", ".5", "5."}, {"1e39", "e5", "1e", "1,5", "inf"}},
        {"FLOAT64", {"1.7976931348623157e308", "-1e-400"}, {"1e309", "0x10"}},
        {"Timestamp", {"2000-02-29T00:00:00", "2026-12-31T23:59:59.123456-05:30"},
         {"1900-02-29T00:00:00", "2026-04-31T00:00:00", "2026-01-01T24:00:00", "2026-01-01T00:00:00+25:00",
          "2026-01-01 00:00:00", "2026-01-01T00:00:00."}},
        {"EntryID", {"0011223344556677"}, {"001122334455667788", "0g"}},
        {"Dbpos", {"on", "任意"}, {}},
        {"Quality", {"0000000000000"}, {}},
    };
    for (const auto& row : rows) {
        for (const std::string& value : row.good) EXPECT_TRUE(FitsBasicType(row.bType, value)) << row.bType << ": " << value;
        for (const std::string& value : row.bad) EXPECT_FALSE(FitsBasicType(row.bType, value)) << row.bType << ": " << value;
    }
}

}  // namespace
}  // namespace kiln::test
