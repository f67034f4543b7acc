#include <filesystem>
#include <iostream>

#include <gtest/gtest.h>

#include "tests/import/schema_set.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

TEST(SchemaWalk, EveryConstraintOnWhatTheExportWritesIsCheckedOrGuaranteed) {
    const fs::path xsd = fs::path(KILN_SHARED_DIR) / "xsd" / "SCL2007B4";
    if (!fs::exists(xsd / "SCL.xsd")) GTEST_SKIP() << "../shared/xsd/SCL2007B4 is not there";
    const SchemaSet schema(xsd);
    for (const std::string& c : schema.Constraints(KeptKeys())) std::cout << c << "\n";
}

}  // namespace
}  // namespace kiln::test
