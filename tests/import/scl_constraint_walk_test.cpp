// Every constraint SCL2007B4 puts on what the ICD export writes is met: the
// schema is walked from tIED and tDataTypeTemplates (and the root's
// identity constraints) over the elements and attributes the export writes,
// and each constraint found (a required attribute, a child needed at least
// once, a fixed value, a typed attribute, a unique, key or keyref) is in
// the table below, either checked by the export's check (a row of the rules
// test Rules/SclRulesTest, which writes a file breaking it and sees it
// named) or guaranteed by the writers (the test that shows the file always
// keeps it). A constraint in neither place, or a row for none, fails.
#include <filesystem>
#include <iostream>
#include <map>

#include <gtest/gtest.h>

#include "tests/host/kiln_program.h"
#include "tests/import/schema_set.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

struct Coverage {
    const char* constraint;  // as SchemaSet::Constraints gives it
    const char* checkedBy;   // a row of the rules test, or nullptr
    const char* writtenBy;   // "Suite.Test" that proves the writers keep it, or nullptr
};

const Coverage kCoverage[] = {
    {"child DAType/BDA", "DA type without BDA and enumeration without values", nullptr},
    {"child DataSet/FCDA", nullptr, "SchemaTest.EmptyDataSetsAndLogControlWithoutLog"},
    {"child DataTypeTemplates/DOType", "no LN type with a DO", nullptr},
    {"child DataTypeTemplates/LNodeType", nullptr, "SchemaTest.AccessPointsKeepTheirDevices"},
    {"child EnumType/EnumVal", "DA type without BDA and enumeration without values", nullptr},
    {"child IED/AccessPoint", nullptr, "SchemaTest.AccessPointsKeepTheirDevices"},
    {"child Inputs/ExtRef", nullptr, "SchemaTest.HandBuiltModelWithEveryElementKind"},
    {"child LDevice/LN0", "device without LLN0", nullptr},
    {"child LNodeType/DO", "LN type without DO", nullptr},
    {"child ReportControl/OptFields", nullptr, "SchemaTest.HandBuiltModelWithEveryElementKind"},
    {"child Server/Authentication", nullptr, "SchemaTest.AccessPointsKeepTheirDevices"},
    {"child Server/LDevice", nullptr, "SchemaTest.AccessPointsKeepTheirDevices"},
    {"fixed LN0@inst", nullptr, "SchemaTest.HandBuiltModelWithEveryElementKind"},
    {"fixed LN0@lnClass", nullptr, "SchemaTest.HandBuiltModelWithEveryElementKind"},
    {"key AccessPointInIEDKey", nullptr, "SchemaTest.AccessPointsKeepTheirDevices"},
    {"key DOTypeKey", "type id twice", nullptr},
    {"key DataSetKeyInLN", "data set twice", nullptr},
    {"key DataSetKeyLN0", "data set twice", nullptr},
    {"key EnumTypeDATypeKey", "type id twice", nullptr},
    {"key IEDKey", nullptr, "SchemaTest.TheIedKeepsWhatItsFileSaid"},
    {"key LDeviceInIEDKey", "LD inst twice", nullptr},
    {"key LNodeTypeKey", "type id twice", nullptr},
    {"keyref ref2DOType", "DO without a DO type", nullptr},
    {"keyref ref2DOTypeForSDO", "DO without a DO type", nullptr},
    {"keyref ref2DataSetLog", nullptr, "SchemaTest.EmptyDataSetsAndLogControlWithoutLog"},
    {"keyref ref2DataSetLogLN0", nullptr, "SchemaTest.EmptyDataSetsAndLogControlWithoutLog"},
    {"keyref ref2DataSetReport", nullptr, "SchemaTest.EmptyDataSetsAndLogControlWithoutLog"},
    {"keyref ref2DataSetReportLN0", nullptr, "SchemaTest.EmptyDataSetsAndLogControlWithoutLog"},
    {"keyref ref2EnumTypeDAType", nullptr, "TypesTest.IcdFormWritesEveryReferencedTypeOnce"},
    {"keyref ref2LDeviceInDataSetForFCDAinLN", "member naming a device of no IED", nullptr},
    {"keyref ref2LDeviceInDataSetForFCDAinLN0", "member naming a device of no IED", nullptr},
    {"keyref ref2LNodeTypeDomain2", nullptr, "TypesTest.IcdFormWritesEveryReferencedTypeOnce"},
    {"keyref ref2LNodeTypeLLN0", nullptr, "TypesTest.IcdFormWritesEveryReferencedTypeOnce"},
    {"required AccessPoint@name", "access point name pattern", nullptr},
    {"required BDA@bType", "typed values of the members of types", nullptr},
    {"required BDA@name", "BDA twice and BDA name pattern", nullptr},
    {"required ClientLN@iedName", "client and input outside the model named outside the patterns", nullptr},
    {"required ClientLN@ldInst", "client and input outside the model named outside the patterns", nullptr},
    {"required ClientLN@lnClass", "client and input outside the model named outside the patterns", nullptr},
    {"required ClientLN@lnInst", "client and input outside the model named outside the patterns", nullptr},
    {"required DA@bType", "typed values of the members of types", nullptr},
    {"required DA@fc", "typed values of the members of types", nullptr},
    {"required DA@name", "DA twice and DA name pattern", nullptr},
    {"required DAI@name", "DAI twice and DAI name pattern", nullptr},
    {"required DAType@id", "type id pattern", nullptr},
    {"required DO@name", "DO name pattern", nullptr},
    {"required DO@type", "DO without a DO type", nullptr},
    {"required DOI@name", "DOI name pattern", nullptr},
    {"required DOType@cdc", "DO type class outside the list", nullptr},
    {"required DOType@id", "type id pattern", nullptr},
    {"required DataSet@name", "data set name pattern", nullptr},
    {"required EnumType@id", "type id pattern", nullptr},
    {"required EnumVal@ord", "typed values of the members of types", nullptr},
    {"required FCDA@fc", "member without a functional constraint", nullptr},
    {"required IED@name", nullptr, "SchemaTest.TheIedKeepsWhatItsFileSaid"},
    {"required LDevice@inst", "LD inst pattern", nullptr},
    {"required LN0@inst", nullptr, "SchemaTest.HandBuiltModelWithEveryElementKind"},
    {"required LN0@lnClass", nullptr, "SchemaTest.HandBuiltModelWithEveryElementKind"},
    {"required LN0@lnType", nullptr, "TypesTest.IcdFormWritesEveryReferencedTypeOnce"},
    {"required LN@inst", "LN inst pattern", nullptr},
    {"required LN@lnClass", "LN class pattern", nullptr},
    {"required LN@lnType", nullptr, "TypesTest.IcdFormWritesEveryReferencedTypeOnce"},
    {"required LNodeType@id", "type id pattern", nullptr},
    {"required LNodeType@lnClass", "LN class pattern", nullptr},
    {"required LogControl@logName", "log control without a log named outside the pattern", nullptr},
    {"required LogControl@name", "block and log names outside the pattern and twice", nullptr},
    {"required ReportControl@confRev", "report control numbers", nullptr},
    {"required ReportControl@name", "block and log names outside the pattern and twice", nullptr},
    {"required SDI@name", "DAI twice and DAI name pattern", nullptr},
    {"required SDO@name", "SDO name pattern", nullptr},
    {"required SDO@type", "DO without a DO type", nullptr},
    {"required SettingControl@numOfSGs", "setting groups and member index", nullptr},
    {"type AccessPoint@clock: boolean", "typed values of the IED and its access point", nullptr},
    {"type AccessPoint@kdc: boolean", "typed values of the IED and its access point", nullptr},
    {"type AccessPoint@name: tAccessPointName", "access point name pattern", nullptr},
    {"type AccessPoint@router: boolean", "typed values of the IED and its access point", nullptr},
    {"type Authentication@certificate: boolean", "typed values of the IED and its access point", nullptr},
    {"type Authentication@none: boolean", "typed values of the IED and its access point", nullptr},
    {"type Authentication@password: boolean", "typed values of the IED and its access point", nullptr},
    {"type Authentication@strong: boolean", "typed values of the IED and its access point", nullptr},
    {"type Authentication@weak: boolean", "typed values of the IED and its access point", nullptr},
    {"type BDA@bType: tBasicTypeEnum", "typed values of the members of types", nullptr},
    {"type BDA@count: tDACount", "typed values of the members of types", nullptr},
    {"type BDA@name: tAttributeNameEnum", "BDA twice and BDA name pattern", nullptr},
    {"type BDA@valImport: boolean", "typed values of the members of types", nullptr},
    {"type BDA@valKind: tValKindEnum", "typed values of the members of types", nullptr},
    {"type ClientLN@apRef: tAccessPointName", "client and input outside the model named outside the patterns", nullptr},
    {"type ClientLN@iedName: tIEDName", "client and input outside the model named outside the patterns", nullptr},
    {"type ClientLN@ldInst: tLDInst", "client and input outside the model named outside the patterns", nullptr},
    {"type ClientLN@lnClass: tLNClassEnum", "client and input outside the model named outside the patterns", nullptr},
    {"type ClientLN@lnInst: tLNInstOrEmpty", "client and input outside the model named outside the patterns", nullptr},
    {"type ClientLN@prefix: tPrefix", "client and input outside the model named outside the patterns", nullptr},
    {"type DA@bType: tBasicTypeEnum", "typed values of the members of types", nullptr},
    {"type DA@count: tDACount", "typed values of the members of types", nullptr},
    {"type DA@dchg: boolean", nullptr, "TypesTest.EnumerationIdsValuesAndTriggers"},
    {"type DA@dupd: boolean", nullptr, "TypesTest.EnumerationIdsValuesAndTriggers"},
    {"type DA@fc: tFCEnum", "typed values of the members of types", nullptr},
    {"type DA@name: tAttributeNameEnum", "DA twice and DA name pattern", nullptr},
    {"type DA@qchg: boolean", nullptr, "TypesTest.EnumerationIdsValuesAndTriggers"},
    {"type DA@valImport: boolean", "typed values of the members of types", nullptr},
    {"type DA@valKind: tValKindEnum", "typed values of the members of types", nullptr},
    {"type DAI@ix: unsignedInt", "typed values of instances", nullptr},
    {"type DAI@name: tAttributeNameEnum", "DAI twice and DAI name pattern", nullptr},
    {"type DAI@valImport: boolean", "typed values of instances", nullptr},
    {"type DAI@valKind: tValKindEnum", "typed values of instances", nullptr},
    {"type DAType@id: tID", "type id pattern", nullptr},
    {"type DO@name: tDataName", "DO name pattern", nullptr},
    {"type DO@transient: boolean", "typed values of the members of types", nullptr},
    {"type DO@type: tName", "DO without a DO type", nullptr},
    {"type DOI@ix: unsignedInt", "typed values of instances", nullptr},
    {"type DOI@name: tDataName", "DOI name pattern", nullptr},
    {"type DOType@cdc: tCDCEnum", "DO type class outside the list", nullptr},
    {"type DOType@id: tID", "type id pattern", nullptr},
    {"type DataSet@name: tDataSetName", "data set name pattern", nullptr},
    {"type EnumType@id: tID", "type id pattern", nullptr},
    {"type EnumVal text: tEnumStringValue", "enumeration value outside Latin-1", nullptr},
    {"type EnumVal@ord: int", "typed values of the members of types", nullptr},
    {"type ExtRef@daName: tFullAttributeName", "typed values of blocks and inputs", nullptr},
    {"type ExtRef@doName: tFullDOName", "typed values of blocks and inputs", nullptr},
    {"type ExtRef@iedName: tIEDNameOrRelative", "client and input outside the model named outside the patterns", nullptr},
    {"type ExtRef@ldInst: tLDInst", "client and input outside the model named outside the patterns", nullptr},
    {"type ExtRef@lnClass: tLNClassEnum", "client and input outside the model named outside the patterns", nullptr},
    {"type ExtRef@lnInst: tLNInst", "client and input outside the model named outside the patterns", nullptr},
    {"type ExtRef@prefix: tPrefix", "client and input outside the model named outside the patterns", nullptr},
    {"type FCDA@daName: tFullAttributeName", "typed values of blocks and inputs", nullptr},
    {"type FCDA@doName: tFullDOName", "typed values of blocks and inputs", nullptr},
    {"type FCDA@fc: tFCEnum", "member without a functional constraint", nullptr},
    {"type FCDA@ix: unsignedInt", "setting groups and member index", nullptr},
    {"type FCDA@ldInst: tLDInst", "LD inst pattern", nullptr},
    {"type FCDA@lnClass: tLNClassEnum", "log of a node named outside the patterns", nullptr},
    {"type FCDA@lnInst: tLNInst", "LN inst pattern", nullptr},
    {"type FCDA@prefix: tPrefix", "LN prefix pattern", nullptr},
    {"type IED@engRight: tRightEnum", "typed values of the IED and its access point", nullptr},
    {"type IED@name: tIEDName", nullptr, "SchemaTest.TheIedKeepsWhatItsFileSaid"},
    {"type IED@originalSclRelease: tSclRelease", "typed values of the IED and its access point", nullptr},
    {"type IED@originalSclRevision: tSclRevision", "typed values of the IED and its access point", nullptr},
    {"type IED@originalSclVersion: tSclVersion", "typed values of the IED and its access point", nullptr},
    {"type LDevice@inst: tLDInst", "LD inst pattern", nullptr},
    {"type LDevice@ldName: tLDName", "typed values of the IED and its access point", nullptr},
    {"type LN0@lnClass: tLNClassEnum", nullptr, "SchemaTest.HandBuiltModelWithEveryElementKind"},
    {"type LN0@lnType: tName", nullptr, "TypesTest.IcdFormWritesEveryReferencedTypeOnce"},
    {"type LN@inst: tLNInst", "LN inst pattern", nullptr},
    {"type LN@lnClass: tLNClassEnum", "LN class pattern", nullptr},
    {"type LN@lnType: tName", nullptr, "TypesTest.IcdFormWritesEveryReferencedTypeOnce"},
    {"type LN@prefix: tPrefix", "LN prefix pattern", nullptr},
    {"type LNodeType@id: tID", "type id pattern", nullptr},
    {"type LNodeType@lnClass: tLNClassEnum", "LN class pattern", nullptr},
    {"type Log@name: tLogName", "block and log names outside the pattern and twice", nullptr},
    {"type LogControl@bufTime: unsignedInt", "typed values of blocks and inputs", nullptr},
    {"type LogControl@datSet: tDataSetName", "data set name pattern", nullptr},
    {"type LogControl@intgPd: unsignedInt", "log control without a log named outside the pattern", nullptr},
    {"type LogControl@ldInst: tLDInst", "log of a node named outside the patterns", nullptr},
    {"type LogControl@lnClass: tLNClassEnum", "log of a node named outside the patterns", nullptr},
    {"type LogControl@lnInst: tLNInst", "log of a node named outside the patterns", nullptr},
    {"type LogControl@logEna: boolean", "typed values of blocks and inputs", nullptr},
    {"type LogControl@logName: tLogName", "log control without a log named outside the pattern", nullptr},
    {"type LogControl@name: tCBName", "block and log names outside the pattern and twice", nullptr},
    {"type LogControl@prefix: tPrefix", "log of a node named outside the patterns", nullptr},
    {"type LogControl@reasonCode: boolean", "typed values of blocks and inputs", nullptr},
    {"type OptFields@bufOvfl: boolean", "typed values of blocks and inputs", nullptr},
    {"type OptFields@configRef: boolean", "typed values of blocks and inputs", nullptr},
    {"type OptFields@dataRef: boolean", "typed values of blocks and inputs", nullptr},
    {"type OptFields@dataSet: boolean", "typed values of blocks and inputs", nullptr},
    {"type OptFields@entryID: boolean", "typed values of blocks and inputs", nullptr},
    {"type OptFields@reasonCode: boolean", "typed values of blocks and inputs", nullptr},
    {"type OptFields@seqNum: boolean", "typed values of blocks and inputs", nullptr},
    {"type OptFields@timeStamp: boolean", "typed values of blocks and inputs", nullptr},
    {"type ReportControl@bufTime: unsignedInt", "typed values of blocks and inputs", nullptr},
    {"type ReportControl@buffered: boolean", nullptr, "InstanceTest.ReportAndLogControlAttributes"},
    {"type ReportControl@confRev: unsignedInt", "report control numbers", nullptr},
    {"type ReportControl@datSet: tDataSetName", "data set name pattern", nullptr},
    {"type ReportControl@indexed: boolean", "typed values of blocks and inputs", nullptr},
    {"type ReportControl@intgPd: unsignedInt", "report control numbers", nullptr},
    {"type ReportControl@name: tCBName", "block and log names outside the pattern and twice", nullptr},
    {"type ReportControl@rptID: tMessageID", "typed values of blocks and inputs", nullptr},
    {"type RptEnabled@max: (its own)", "report control numbers", nullptr},
    {"type SDI@ix: unsignedInt", "typed values of instances", nullptr},
    {"type SDI@name: tAttributeNameEnum", "DAI twice and DAI name pattern", nullptr},
    {"type SDO@count: tSDOCount", "typed values of the members of types", nullptr},
    {"type SDO@name: tSubDataName", "SDO name pattern", nullptr},
    {"type SDO@type: tName", "DO without a DO type", nullptr},
    {"type Server@timeout: unsignedInt", "typed values of the IED and its access point", nullptr},
    {"type SettingControl@actSG: (its own)", nullptr, "InstanceTest.SettingControlGroups"},
    {"type SettingControl@numOfSGs: (its own)", "setting groups and member index", nullptr},
    {"type SettingControl@resvTms: unsignedShort", "typed values of blocks and inputs", nullptr},
    {"type TrgOps@dchg: boolean", nullptr, "InstanceTest.TriggerOptionsOfReportAndLogControl"},
    {"type TrgOps@dupd: boolean", nullptr, "InstanceTest.TriggerOptionsOfReportAndLogControl"},
    {"type TrgOps@gi: boolean", nullptr, "InstanceTest.TriggerOptionsOfReportAndLogControl"},
    {"type TrgOps@period: boolean", nullptr, "InstanceTest.TriggerOptionsOfReportAndLogControl"},
    {"type TrgOps@qchg: boolean", nullptr, "InstanceTest.TriggerOptionsOfReportAndLogControl"},
    {"type Val@sGroup: unsignedInt", "typed values of instances", nullptr},
    {"unique uniqueBDAInDAType", "BDA twice and BDA name pattern", nullptr},
    {"unique uniqueDAorSDOInDOType", "DA twice and DA name pattern", nullptr},
    {"unique uniqueDOIinLN", "block and log names outside the pattern and twice", nullptr},
    {"unique uniqueDOIinLN0", "block and log names outside the pattern and twice", nullptr},
    {"unique uniqueDOInLNodeType", nullptr, "SchemaTest.EmptyDataSetsAndLogControlWithoutLog"},
    {"unique uniqueDTT_ID", "type id twice", nullptr},
    {"unique uniqueEnumValue", "enumeration ord and value twice", nullptr},
    {"unique uniqueLNInLDevice", "LN twice", nullptr},
    {"unique uniqueLogControlInLN", "block and log names outside the pattern and twice", nullptr},
    {"unique uniqueLogControlInLN0", "block and log names outside the pattern and twice", nullptr},
    {"unique uniqueLogInLN", "block and log names outside the pattern and twice", nullptr},
    {"unique uniqueLogInLN0", "block and log names outside the pattern and twice", nullptr},
    {"unique uniqueOrdInEnumType", "enumeration ord and value twice", nullptr},
    {"unique uniqueReportControlInLN", "report control twice", nullptr},
    {"unique uniqueReportControlInLN0", "report control twice", nullptr},
    {"unique uniqueSDI_DAIinDOI", "DAI twice and DAI name pattern", nullptr},
    {"unique uniqueSDI_DAIinSDI", "DAI twice and DAI name pattern", nullptr},
};

// The text of every test source, to find a test by its suite and name.
std::string TestSources() {
    std::string all;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(fs::path(KILN_SOURCE_DIR) / "tests"))
        if (e.path().extension() == ".cpp") all += ReadAll(e.path());
    return all;
}

TEST(SchemaWalk, EveryConstraintOnWhatTheExportWritesIsCheckedOrGuaranteed) {
    const fs::path xsd = fs::path(KILN_SHARED_DIR) / "xsd" / "SCL2007B4";
    if (!fs::exists(xsd / "SCL.xsd")) GTEST_SKIP() << "../shared/xsd/SCL2007B4 is not there: the walk is not run";
    const SchemaSet schema(xsd);
    const std::set<std::string> constraints = schema.Constraints(KeptKeys());

    std::map<std::string, const Coverage*> table;
    for (const Coverage& row : kCoverage) {
        EXPECT_TRUE(table.emplace(row.constraint, &row).second) << row.constraint << " is in the table twice";
        EXPECT_NE(row.checkedBy == nullptr, row.writtenBy == nullptr)
            << row.constraint << ": checked by the export or guaranteed by the writers, one of them";
    }
    std::string unmet;
    for (const std::string& c : constraints)
        if (!table.count(c)) unmet += "\n  " + c;
    EXPECT_EQ(unmet, "") << "constraints neither checked by the export nor guaranteed by the writers";

    const std::string rules = ReadAll(fs::path(KILN_SOURCE_DIR) / "tests" / "export" / "scl_schema_test.cpp");
    const std::string sources = TestSources();
    int checked = 0, written = 0;
    for (const Coverage& row : kCoverage) {
        EXPECT_TRUE(constraints.count(row.constraint)) << row.constraint << ": the schema has no such constraint";
        if (row.checkedBy) {
            ++checked;
            EXPECT_NE(rules.find("{\"" + std::string(row.checkedBy) + "\","), std::string::npos)
                << row.constraint << ": the rules test has no row \"" << row.checkedBy << "\"";
        } else {
            ++written;
            std::string test = row.writtenBy;
            test = "(" + test.replace(test.find('.'), 1, ", ") + ")";
            EXPECT_NE(sources.find(test), std::string::npos) << row.constraint << ": no test " << row.writtenBy;
        }
    }
    std::cout << "constraint walk: " << constraints.size() << " constraints, " << checked
              << " checked by the export, " << written << " guaranteed by the writers\n";
}

}  // namespace
}  // namespace kiln::test
