// Parsing of talvex-cli's options: defaults, every option, and usage errors.
#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "talvex/option_names.h"

namespace talvex {
namespace {

using Args = std::vector<std::string>;

void ExpectUsageError(const Args& arguments, const std::string& message) {
  try {
    ParseCliOptions(arguments);
    ADD_FAILURE() << "accepted: " << message;
  } catch (const ECliUsage& e) {
    EXPECT_EQ(e.Message(), message);
  }
}

TEST(CliOptions, DefaultsFollowTheDesktopProgram) {
  const TCliOptions options = ParseCliOptions({"data.nts"});
  EXPECT_EQ(options.file, "data.nts");
  EXPECT_EQ(options.method, DispersionMethod::Correlation);
  EXPECT_EQ(options.transformation, DataTransform::TransformRaw);
  EXPECT_EQ(options.factorRule, FactorRule::FactorsAll);
  EXPECT_FALSE(options.factors.has_value());
  EXPECT_TRUE(options.jackknife);
  EXPECT_TRUE(options.report.empty());
  EXPECT_TRUE(options.scores.empty());
  EXPECT_TRUE(options.vectors.empty());
  EXPECT_FALSE(options.check);
  EXPECT_FALSE(options.threads.has_value());
  EXPECT_FALSE(options.progress || options.help || options.version);
}

TEST(CliOptions, EveryOptionInBothSpellings) {
  const TCliOptions options =
      ParseCliOptions({"--method", "covariance", "--transform=log10", "--rule", "kaiser",
                       "--factors=3", "--no-jackknife", "--report", "out.txt", "--scores=s.csv",
                       "--vectors", "v.xlsx", "--threads", "4", "--progress", "iris.nts"});
  EXPECT_EQ(options.method, DispersionMethod::Covariance);
  EXPECT_EQ(options.transformation, DataTransform::TransformDecimal);
  EXPECT_EQ(options.factorRule, FactorRule::FactorsKaiser);
  EXPECT_EQ(options.factors, 3u);
  EXPECT_FALSE(options.jackknife);
  EXPECT_EQ(options.report, "out.txt");
  EXPECT_EQ(options.scores, "s.csv");
  EXPECT_EQ(options.vectors, "v.xlsx");
  EXPECT_FALSE(options.check);
  EXPECT_EQ(options.threads, 4u);
  EXPECT_TRUE(options.progress);
  EXPECT_EQ(options.file, "iris.nts");

  EXPECT_EQ(ParseCliOptions({"--transform", "ln", "f"}).transformation,
            DataTransform::TransformNatural);
  EXPECT_EQ(ParseCliOptions({"--rule", "joliffe", "f"}).factorRule, FactorRule::FactorsJoliffe);
  EXPECT_TRUE(
      ParseCliOptions({"--no-jackknife", "--jackknife", "f"}).jackknife);  // the last one wins
  EXPECT_TRUE(ParseCliOptions({"--check", "--threads=2", "f"}).check);
}

TEST(CliOptions, CheckWithAnOutputIsAUsageError) {
  // --check writes nothing: an output beside it would silently not be written.
  for (const char* output : {"--report=r.txt", "--scores=s.csv", "--vectors=v.sdf"}) {
    SCOPED_TRACE(output);
    try {
      ParseCliOptions({"--check", output, "f"});
      ADD_FAILURE() << "accepted";
    } catch (const ECliUsage& e) {
      EXPECT_EQ(e.Message(),
                "--check writes no listing or export; leave out --report, --scores, --vectors, "
                "--diagnostics, --results and --figure");
    }
  }
}

TEST(CliOptions, HelpAndVersionNeedNoFile) {
  EXPECT_TRUE(ParseCliOptions({"--help"}).help);
  EXPECT_TRUE(ParseCliOptions({"-h"}).help);
  EXPECT_TRUE(ParseCliOptions({"--version"}).version);
}

// --help shows the choices the parser takes: the run's names, one table.
TEST(CliOptions, HelpShowsTheChoicesOfTheNameTables) {
  const std::string help = HelpText();
  const auto shows = [&](const std::string& option, const std::string& choices) {
    EXPECT_NE(help.find("  " + option + " " + choices + " "), std::string::npos) << option;
  };
  shows("--method", JoinedChoiceNames(MethodChoices(), "|"));
  shows("--transform", JoinedChoiceNames(TransformChoices(), "|"));
  shows("--rule", JoinedChoiceNames(RuleChoices(), "|"));
  shows("--missing", JoinedChoiceNames(MissingPolicyChoices(), "|"));
  for (const TChoiceName<TMissingPolicy>& choice : MissingPolicyChoices())
    EXPECT_EQ(ParseCliOptions({"--missing", choice.name, "t.csv"}).table.missing, choice.value);
}

TEST(CliOptions, DoubleDashEndsTheOptions) {
  EXPECT_EQ(ParseCliOptions({"--check", "--", "--odd-name.nts"}).file, "--odd-name.nts");
  EXPECT_EQ(ParseCliOptions({"-"}).file, "-");
}

TEST(CliOptions, UsageErrors) {
  ExpectUsageError({}, "no data file given");
  ExpectUsageError({"--check"}, "no data file given");
  ExpectUsageError({"a.nts", "b.nts"}, "more than one data file: 'a.nts', 'b.nts'");
  ExpectUsageError({"--frobnicate", "a.nts"}, "unknown option '--frobnicate'");
  ExpectUsageError({"--bogus=1", "a.nts"}, "unknown option '--bogus'");
  ExpectUsageError({"--check=yes", "a.nts"}, "option '--check' takes no value");
  ExpectUsageError({"a.nts", "--method"}, "option '--method' needs a value");
  ExpectUsageError({"--method", "pearson", "a.nts"},
                   "bad value 'pearson' for --method (one of: correlation, covariance)");
  ExpectUsageError({"--transform=log", "a.nts"},
                   "bad value 'log' for --transform (one of: none, log10, ln)");
  ExpectUsageError({"--rule", "Kaiser", "a.nts"},
                   "bad value 'Kaiser' for --rule (one of: all, kaiser, joliffe)");
  ExpectUsageError({"--factors", "0", "a.nts"},
                   "bad value '0' for --factors (a whole number from 1 to 4294967295)");
  ExpectUsageError({"--factors", "-2", "a.nts"},
                   "bad value '-2' for --factors (a whole number from 1 to 4294967295)");
  ExpectUsageError({"--factors=4294967296", "a.nts"},
                   "bad value '4294967296' for --factors (a whole number from 1 to 4294967295)");
  ExpectUsageError({"--threads", "2x", "a.nts"},
                   "bad value '2x' for --threads (a whole number from 1 to 1024)");
  ExpectUsageError({"--report=", "a.nts"}, "option '--report' needs a file name");
}

}  // namespace
}  // namespace talvex

namespace talvex {
namespace {

// --figure and its options: kinds, sizes, components, and what they refuse.
TEST(CliOptions, Figures) {
  const TCliOptions options = ParseCliOptions(
      {"--figure", "scores=a.png", "--figure=correlation-circle=b.PDF", "--figure-size", "8.5x6cm",
       "--figure-dpi", "600", "--figure-components", "1,3", "--figure-regions", "mean",
       "--figure-hulls", "--figure-labels", "values", "data.csv"});
  ASSERT_EQ(options.figures.size(), 2u);
  EXPECT_EQ(options.figures[0].kind, TCliFigureKind::Scores);
  EXPECT_EQ(options.figures[1].kind, TCliFigureKind::CorrelationCircle);
  EXPECT_EQ(options.figures[1].path, "b.PDF");
  EXPECT_EQ(options.figure.width, 8.5);
  EXPECT_EQ(options.figure.height, 6.0);
  EXPECT_EQ(options.figure.unit, 'c');
  EXPECT_EQ(options.figure.dpi, 600u);
  EXPECT_EQ(options.figure.y, 3u);
  EXPECT_EQ(options.figure.regions, TCliFigureRegions::Mean);
  EXPECT_TRUE(options.figure.hulls);
  EXPECT_EQ(options.figure.labels, TCliFigureLabels::Values);
  EXPECT_EQ(ParseCliOptions({"--figure", "scree=s.svg", "--figure-size", "600x400px", "d.csv"})
                .figure.unit,
            'p');
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--figure", "scores=a.jpg", "d.csv"},
        {"--figure", "pie=a.png", "d.csv"},
        {"--figure", "scores", "d.csv"},
        {"--figure", "scores=a.png", "--figure-size", "17", "d.csv"},
        {"--figure", "scores=a.png", "--figure-dpi", "20", "d.csv"},
        {"--figure", "scores=a.png", "--figure-components", "2,2", "d.csv"},
        {"--figure-hulls", "d.csv"},
        {"--figure", "influence=a.png", "--no-jackknife", "d.csv"},
        {"--figure", "correlation-circle=a.png", "--method", "covariance", "d.csv"},
        {"--check", "--figure", "scores=a.png", "d.csv"}})
    EXPECT_THROW(ParseCliOptions(bad), ECliUsage) << bad[1];
}

}  // namespace
}  // namespace talvex
