// Columns a table marks supplementary: kept out of the variables and of the
// labels' and group's detection, carried beside the data one cell per object
// (numbers read as the variables are), and their missing numbers handled as
// a variable's.
#include <gtest/gtest.h>

#include "input/data_refused.h"
#include "tables/table_import.h"

namespace talvex {
namespace {

const char* const Table =
    "name;site;length;width;temp;status\n"
    "a;cave;1,5;2;10,25;extant\n"
    "b;river;2;3,5;-3;fossil\n"
    "c;cave;3;4;7;extant\n";

TImportOptions Supplementary(std::vector<std::string> columns) {
  TImportOptions options;
  options.supplementaryColumns = std::move(columns);
  return options;
}

TEST(SupplementaryColumns, AreCarriedBesideTheDataAndNotAnalysed) {
  TImportReport report;
  const TDataMatrix data =
      ImportTableBytes(Table, "csv", Supplementary({"temp", "site", "6"}), &report);
  EXPECT_EQ(data.variableLabels, (std::vector<std::string>{"length", "width"}));
  // "site" would have been the group; marked supplementary, it is not.
  EXPECT_TRUE(data.groups.empty());
  ASSERT_EQ(data.extraColumns.size(), 3u);  // in table order
  EXPECT_EQ(data.extraColumns[0].name, "site");
  EXPECT_FALSE(data.extraColumns[0].numeric);
  EXPECT_EQ(data.extraColumns[0].cells, (std::vector<std::string>{"cave", "river", "cave"}));
  EXPECT_EQ(data.extraColumns[1].name, "temp");
  EXPECT_TRUE(data.extraColumns[1].numeric);
  EXPECT_EQ(data.extraColumns[1].numbers, (std::vector<double>{10.25, -3, 7}));
  EXPECT_EQ(data.extraColumns[2].name, "status");
  EXPECT_EQ(report.columns[4].role, TColumnRole::Supplementary);
  EXPECT_EQ(report.columns[2].role, TColumnRole::Variable);
}

TEST(SupplementaryColumns, MissingNumbersAreAVariablesAndRolesDoNotClash) {
  const std::string missing = "name,length,width,temp\na,1,2,NA\nb,2,3,4\nc,3,5,5\nd,4,4,6\n";
  try {
    ImportTableBytes(missing, "csv", Supplementary({"temp"}));
    ADD_FAILURE() << "not refused";
  } catch (const EDataRefused& e) {
    EXPECT_EQ(e.Message(), "Missing value in table");
    EXPECT_EQ(e.Detail(),
              "line 2 (data row 1, object \"a\"), column \"temp\": \"NA\" is a missing value");
  }
  TImportOptions omit = Supplementary({"temp"});
  omit.missing = TMissingPolicy::Omit;
  const TDataMatrix data = ImportTableBytes(missing, "csv", omit);
  EXPECT_EQ(data.objectCount, 3u);
  EXPECT_EQ(data.extraColumns[0].numbers, (std::vector<double>{4, 5, 6}));

  TImportOptions both = Supplementary({"temp"});
  both.variables = {"length", "temp"};
  try {
    ImportTableBytes(missing, "csv", both);
    ADD_FAILURE() << "not refused";
  } catch (const EDataRefused& e) {
    EXPECT_EQ(e.Message(), "Column given two roles");
    EXPECT_EQ(e.Detail(), "column \"temp\" (column 4) is a variable and supplementary");
  }
}

TEST(SupplementaryColumns, ASupplementaryTableMayHoldOneObject) {
  TImportOptions options;
  options.supplementaryObjects = true;
  EXPECT_EQ(ImportTableBytes("name,x,y\nfossil,1,2\n", "csv", options).objectCount, 1u);
  options.missing = TMissingPolicy::Omit;
  try {
    ImportTableBytes("name,x,y\nf1,1,\nf2,,2\n", "csv", options);
    ADD_FAILURE() << "not refused";
  } catch (const EDataRefused& e) {
    EXPECT_EQ(e.Message(), "No complete object");
    EXPECT_EQ(e.Detail(), "none of the 2 data rows has a value in every variable used");
  }
}

}  // namespace
}  // namespace talvex
