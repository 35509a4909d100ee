// talvex-cli --missing impute: the check's count, the listing's note, the
// options' misuse, the run's refusals, and --save-data refusing imputed
// values unless --save-data-imputed asks for them.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_run.h"
#include "input/data_reader.h"

namespace talvex {
namespace {

using testing::RunInProcess;
using testing::TRun;

std::string Table(const std::string& name) { return std::string(TALVEX_TABLES_DATA) + "/" + name; }

TEST(Imputation, CheckCountsTheCellsToImpute) {
  const TRun run = RunInProcess({"--check", "--missing", "impute", Table("iris_missing.csv")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "150 objects, 4 descriptors\n3 missing values to impute\n");
}

TEST(Imputation, ListingNotesTheImputation) {
  const TRun run = RunInProcess({"--missing", "impute", "--impute-components", "1",
                                 "--no-jackknife", Table("iris_missing.csv")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\n\n3 missing values imputed by iterative PCA (1 component)\n\n"
                         "Number of variables    = 4\n"
                         "Number of observations = 150\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.err, "");
}

TEST(Imputation, OptionsOutsideImputationAreUsageErrors) {
  struct TCase {
    std::vector<std::string> arguments;
    std::string err;
  };
  const TCase cases[] = {
      {{"--impute-components", "2", Table("iris_missing.csv")},
       "--impute-components and --impute-max-share apply to --missing impute"},
      {{"--missing", "omit", "--impute-max-share", "0.2", Table("iris_missing.csv")},
       "--impute-components and --impute-max-share apply to --missing impute"},
      {{"--missing", "impute", "--impute-max-share", "0", Table("iris_missing.csv")},
       "bad value '0' for --impute-max-share (a share above 0 and at most 1, such as 0.3)"},
      {{"--missing", "impute", "--impute-components", "-1", Table("iris_missing.csv")},
       "bad value '-1' for --impute-components (a whole number from 0)"},
      {{"--missing", "impute", "--save-data-imputed", Table("iris_missing.csv")},
       "--save-data-imputed applies to --save-data"},
      {{"--missing", "guess", Table("iris_missing.csv")},
       "bad value 'guess' for --missing (one of: refuse, omit, impute)"},
  };
  for (const TCase& c : cases) {
    const TRun run = RunInProcess(c.arguments);
    EXPECT_EQ(run.status, 2) << c.err;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
  }
}

TEST(Imputation, RunRefusesWhatCannotBeImputed) {
  TRun run = RunInProcess(
      {"--missing", "impute", "--impute-max-share", "0.001", Table("iris_missing.csv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("talvex-cli: Too many missing values\n"), std::string::npos) << run.err;
  run =
      RunInProcess({"--missing", "impute", "--impute-components", "4", Table("iris_missing.csv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("The number of imputation components must be between 0 and 3"),
            std::string::npos)
      << run.err;
  // Penguins has objects without any measurement.
  run = RunInProcess({"--check", "--missing", "impute", "--variables",
                      "bill_length_mm,4,5,body_mass_g", Table("penguins.csv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("talvex-cli: Every value of an object is missing\n"), std::string::npos)
      << run.err;
}

TEST(Imputation, SaveDataWritesImputedValuesOnlyWhenAsked) {
  const std::string saved =
      (std::filesystem::temp_directory_path() / "talvex_cli_imputed_iris.nts").string();
  std::filesystem::remove(saved);
  TRun run = RunInProcess(
      {"--missing", "impute", "--no-jackknife", "--save-data", saved, Table("iris_missing.csv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("--save-data-imputed writes the imputed values"), std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("3 missing values imputed"), std::string::npos) << "the run still ran";
  EXPECT_FALSE(std::filesystem::exists(saved));
  run = RunInProcess(
      {"--check", "--missing", "impute", "--save-data", saved, Table("iris_missing.csv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(std::filesystem::exists(saved));

  run = RunInProcess({"--missing", "impute", "--no-jackknife", "--save-data", saved,
                      "--save-data-imputed", Table("iris_missing.csv")});
  ASSERT_EQ(run.status, 0) << run.err;
  TDataMatrix back, iris;
  ReadDataFile(saved, back);
  std::filesystem::remove(saved);
  ReadDataFile(std::string(TALVEX_SOURCE_DIR) + "/examples/iris.nts", iris);
  ASSERT_EQ(back.valueCount, iris.valueCount);
  // setosa04's sepal width was removed: imputed near the setosas', not 0.
  const double imputed = back.values.GetValue(3 * 4 + 2);
  EXPECT_GT(imputed, 2.5);
  EXPECT_LT(imputed, 4.5);
  EXPECT_EQ(back.values.GetValue(3 * 4 + 1), iris.values.GetValue(3 * 4 + 1));
}

}  // namespace
}  // namespace talvex
