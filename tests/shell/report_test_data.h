// The data set the report-window tests run on, analysed through the core's
// entry point as the program does, and the numbers they read off its listing.
#pragma once

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "analysis/report_listing.h"
#include "talvex/talvex.h"

struct TReportTestData {
  std::shared_ptr<const talvex::TRunOutcome> outcome;
  talvex::TReportListing listing;  // the outcome's

  /// Loads tests/shell/data/`file` and runs a correlation analysis listing
  /// every component (or the first `factors`), with the jackknife.
  explicit TReportTestData(const char* file = "morph.nts", talvex::TSize factors = 0) {
    talvex::TAnalysisState loaded;
    loaded.LoadFile(std::string(TALVEX_TEST_DATA) + "/" + file);
    talvex::TRunData data;
    data.matrix = loaded.Data();
    data.path = loaded.DataFileName();
    talvex::TRunOptions options;
    options.analysis.factorRule = talvex::FactorRule::FactorsAll;
    options.factorCount = factors;
    options.threads = 1;
    talvex::TAnalysis analysis;
    analysis.Compute(std::move(data), options);
    outcome = analysis.Outcome();
    listing = outcome->Listing();
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
