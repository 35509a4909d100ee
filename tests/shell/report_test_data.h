// The data set the report-window tests run on, analysed through the same
// state object the program uses, and the numbers they read off its listing.
#pragma once

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "analysis/analysis_state.h"
#include "analysis/report_listing.h"

struct TReportTestData {
  talvex::TAnalysisState state;
  talvex::TReportListing listing;

  /// Loads tests/shell/data/`file` and runs a correlation analysis listing
  /// every component (or the first `factors`), with the jackknife.
  explicit TReportTestData(const char* file = "morph.nts", talvex::TSize factors = 0) {
    state.LoadFile(std::string(TALVEX_TEST_DATA) + "/" + file);
    if (factors != 0 && !state.SetFactorCount(factors)) QFAIL("no such factor count");
    talvex::TAnalysisOptions options;
    options.factorRule = talvex::FactorRule::FactorsAll;
    state.Run(options, listing, nullptr, 1);
  }

  /// The "% Variance" column of the listing's eigenvalue table, component 1 first.
  std::vector<double> PercentVariance() const {
    std::vector<double> percents;
    const auto& lines = listing.Lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i] != "i  Eigenvalue   % Variance  % Cumulative") continue;
      for (std::size_t j = i + 1; j < lines.size() && !lines[j].empty(); ++j) {
        const QStringList fields = QString::fromStdString(lines[j]).split(' ', Qt::SkipEmptyParts);
        percents.push_back(fields.at(2).toDouble());
      }
      break;
    }
    return percents;
  }
};
