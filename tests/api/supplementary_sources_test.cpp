// Supplementary objects through the entry point: rows picked by a column's
// value (read beside the data when they do not carry it), the objects of
// another file, what the run record says of both, and the refusals that
// leave the run's data as they were.
#include "talvex/supplementary_sources.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "supplementary/supplementary_input.h"
#include "talvex/data_sources.h"

namespace talvex {
namespace {

// Eight specimens of three species, with a column that is no part of the
// data (the user leaves it out) telling fossils from living ones.
constexpr const char* Specimens =
    "specimen,species,status,length,width,depth\n"
    "a1,alba,living,5.1,3.5,1.4\n"
    "a2,alba,living,4.9,3.0,1.5\n"
    "a3,alba,fossil,4.7,3.2,1.3\n"
    "b1,bruna,living,7.0,3.2,4.7\n"
    "b2,bruna,living,6.4,3.3,4.5\n"
    "b3,bruna,fossil,6.9,3.1,4.9\n"
    "c1,cana,living,6.3,3.3,6.0\n"
    "c2,cana,living,5.8,2.7,5.1\n";

class SupplementarySources : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("talvex-api-supplementary-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    table_ = Write("specimens.csv", Specimens);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return (dir_ / name).string();
  }

  // The table read as a front end reads it: labels, group and the three
  // measurements; "status" left out.
  TRunData Read(const TImportOptions& options, TImportReport* report) const {
    return ReadRunData(table_, options, report);
  }

  std::filesystem::path dir_;
  std::string table_;
};

TEST_F(SupplementarySources, AColumnThatIsNoPartOfTheDataIsReadBesideThem) {
  TImportReport report;
  const TImportOptions options;
  Read(options, &report);
  // The labels, the group and their aliases are carried by the data.
  for (const char* carried : {"specimen", "Species", "label", "labels", "group"})
    EXPECT_FALSE(PickColumnReading(options, report, carried)) << carried;
  // A variable stays one, and a column the table lacks is the split's to refuse.
  EXPECT_FALSE(PickColumnReading(options, report, "length"));
  EXPECT_FALSE(PickColumnReading(options, report, "colour"));
  const auto again = PickColumnReading(options, report, "STATUS");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->supplementaryColumns, std::vector<std::string>{"3"});
}

TEST_F(SupplementarySources, PickedRowsLeaveTheDataAndTheRecordNamesThem) {
  TImportReport report;
  TRunData run = Read({}, &report);
  EXPECT_EQ(PickableValues(run.matrix, "specimen", "species"),
            (std::vector<std::string>{"alba", "bruna", "cana"}));
  EXPECT_EQ(PickableValues(run.matrix, "specimen", "label").size(), 8u);
  EXPECT_TRUE(PickableValues(run.matrix, "specimen", "status").empty());

  PickSupplementaryRows(run, {"species", {"cana", "alba"}});
  EXPECT_EQ(run.matrix.objectCount, 3u);
  EXPECT_EQ(run.matrix.objectLabels, (std::vector<std::string>{"b1", "b2", "b3"}));
  EXPECT_EQ(run.supplementary.objects.labels,
            (std::vector<std::string>{"a1", "a2", "a3", "c1", "c2"}));
  EXPECT_EQ(run.supplementary.objects.groups[4], "cana");
  // The values are the rows' own, in the data's variable order.
  EXPECT_EQ(run.supplementary.objects.values[3], 4.9);
  EXPECT_EQ(run.source.supplementaryRowsColumn, "species");
  EXPECT_EQ(run.source.supplementaryRowsValues, (std::vector<std::string>{"cana", "alba"}));
  TRunRecord record;
  record.source = run.source;
  EXPECT_NE(CommandLine(record).find("--supplementary-rows species=cana,alba "), std::string::npos);
}

TEST_F(SupplementarySources, AColumnReadOnlyToPickByIsNoSupplementaryVariable) {
  TImportReport report;
  const TImportOptions options;
  TRunData run = Read(options, &report);
  const TImportOptions again = *PickColumnReading(options, report, "status");
  run.matrix = ImportTable(table_, again);
  PickSupplementaryRows(run, {"status", {"fossil"}});
  EXPECT_EQ(run.supplementary.objects.labels, (std::vector<std::string>{"a3", "b3"}));
  EXPECT_TRUE(run.supplementary.qualitative.empty());
  EXPECT_TRUE(run.matrix.extraColumns.empty());

  // Marked supplementary by the user, the same column also groups the objects.
  TImportOptions marked;
  marked.supplementaryColumns = {"status"};
  run = Read(marked, &report);
  EXPECT_FALSE(PickColumnReading(marked, report, "status"));
  PickSupplementaryRows(run, {"status", {"fossil"}});
  ASSERT_EQ(run.supplementary.qualitative.size(), 1u);
  EXPECT_EQ(run.supplementary.qualitative[0].name, "status");
  EXPECT_EQ(run.supplementary.qualitative[0].supplementaryLevels,
            (std::vector<std::string>{"fossil", "fossil"}));
}

TEST_F(SupplementarySources, TooFewActiveObjectsAreRefusedAndNothingChanges) {
  TImportReport report;
  TRunData run = Read({}, &report);
  const TRunData before = run;
  const auto refused = [&](const TSupplementaryRows& rows, const std::string& message) {
    try {
      PickSupplementaryRows(run, rows);
      ADD_FAILURE() << "not refused: " << rows.column;
    } catch (const ESupplementaryRefused& e) {
      EXPECT_EQ(e.Message(), message);
    }
    EXPECT_EQ(run.matrix.objectLabels, before.matrix.objectLabels);
    EXPECT_EQ(run.source.supplementaryRowsColumn, "");
    EXPECT_TRUE(run.supplementary.Empty());
  };
  refused({"label", {"a1", "a2", "a3", "b1", "b2", "b3", "c1"}}, "Fewer than two active objects");
  refused({"species", {"alba", "bruna", "cana"}}, "All objects are supplementary");
  refused({"species", {"albus"}}, "No object has that value");
  refused({"status", {"fossil"}}, "No such column");
}

TEST_F(SupplementarySources, TheObjectsOfAnotherFileAreRecordedWithTheFile) {
  TImportReport report;
  TRunData run = Read({}, &report);
  PickSupplementaryRows(run, {"species", {"cana"}});
  // Its variables in another order and letter case, matched by name.
  const std::string fossils =
      Write("fossils.csv", "name,depth,Width,LENGTH\nf1,2.0,3.0,6.0\nf2,2.5,3.1,6.2\n");
  AddSupplementaryObjects(run, ReadSupplementaryObjects(fossils, {}), fossils);
  EXPECT_EQ(run.supplementary.objects.labels, (std::vector<std::string>{"c1", "c2", "f1", "f2"}));
  EXPECT_EQ(std::vector<double>(run.supplementary.objects.values.begin() + 6,
                                run.supplementary.objects.values.end()),
            (std::vector<double>{6.0, 3.0, 2.0, 6.2, 3.1, 2.5}));
  ASSERT_EQ(run.source.supplementaryFiles.size(), 1u);
  EXPECT_EQ(run.source.supplementaryFiles[0].path, fossils);
  EXPECT_EQ(run.source.supplementaryFiles[0].objects, (std::vector<std::string>{"f1", "f2"}));

  TRunRecord record;
  record.source = run.source;
  EXPECT_NE(CommandLine(record).find(" --supplementary " + fossils + " "), std::string::npos);
  bool named = false;
  for (const auto& [field, value] : RunRecordFields(record)) {
    if (field != "Supplementary files") continue;
    named = true;
    EXPECT_EQ(value, fossils + " (2 objects: f1, f2)");
  }
  EXPECT_TRUE(named);

  // A file that lacks a variable adds nothing and is not recorded.
  const std::string shorter = Write("short.csv", "name,length,width\nf3,6.0,3.0\n");
  EXPECT_THROW(AddSupplementaryObjects(run, ReadSupplementaryObjects(shorter, {}), shorter),
               ESupplementaryRefused);
  EXPECT_EQ(run.supplementary.objects.labels.size(), 4u);
  EXPECT_EQ(run.source.supplementaryFiles.size(), 1u);
}

}  // namespace
}  // namespace talvex
