// Building the full-results tables and writing them as xlsx, CSV or JSON.
#include "export/all_results.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "base/eight_bit_text.h"
#include "base/file_name_case.h"
#include "export/atomic_file.h"
#include "export/csv_text.h"
#include "export/export_format.h"
#include "export/imputation_tables.h"
#include "export/supplementary_tables.h"
#include "export/workbook_writer.h"

namespace talvex {

namespace {

TResultCell Text(std::string text) { return {false, 0.0, std::move(text)}; }
TResultCell Number(double x) { return {true, x, {}}; }

std::string Name(const std::vector<std::string>& labels, TSize index) {
  return index - 1 < labels.size() ? labels[index - 1] : std::to_string(index);
}

std::vector<std::string> AxisHeadings(const std::string& first, TSize k, const char* prefix) {
  std::vector<std::string> headings{first};
  for (TSize a = 1; a <= k; ++a) headings.push_back(prefix + std::to_string(a));
  return headings;
}

// One row per variable, its label and then the first k axes of `values`.
TResultTable VariableAxisTable(const char* title, const TDataMatrix& data,
                               const TFloatMatrix& values, TSize k) {
  TResultTable table{title, AxisHeadings("Variable", k, "Axis")};
  for (TSize j = 1; j <= data.variableCount; ++j) {
    auto& row = table.rows.emplace_back();
    row.push_back(Text(Name(data.variableLabels, j)));
    for (TSize a = 1; a <= k; ++a) row.push_back(Number(values.GetValue(j, a)));
  }
  return table;
}

// P with Student's t exactly (the listing's own function has a floor and a
// normal approximation); not available past the determined axes.
void AddStatisticColumns(std::vector<TResultCell>& row, const TJackknifeStatistic& s,
                         double probability, const TInterval& interval) {
  row.push_back(Number(s.estimate));
  row.push_back(Number(s.standardError));
  row.push_back(Number(probability));
  row.push_back(Number(interval.lower));
  row.push_back(Number(interval.upper));
}

void JackknifeTables(std::vector<TResultTable>& tables, const TDataMatrix& data,
                     const TDiagnostics& d) {
  if (!d.estimates) throw std::logic_error("diagnostics made without the jackknife's estimates");
  const TJackknifeResults& e = d.Estimates();
  const TSize p = d.variableCount;
  TResultTable values{"JK eigenvalues", {"Axis", "Estimate", "SE", "P", "Lower 95%", "Upper 95%"}};
  for (TSize c = 1; c <= p; ++c) {
    values.rows.push_back({Number(c)});
    AddStatisticColumns(values.rows.back(), e.eigenvalues[c - 1], EigenvalueProbability(d, c),
                        d.eigenvalueIntervals[c - 1]);
  }
  tables.push_back(std::move(values));
  TResultTable vectors{"JK eigenvectors",
                       {"Axis", "Variable", "Estimate", "SE", "P", "Lower 95%", "Upper 95%"}};
  for (TSize a = 1; a <= d.axisCount; ++a) {
    for (TSize j = 1; j <= p; ++j) {
      const std::size_t at = std::size_t(a - 1) * p + (j - 1);
      vectors.rows.push_back({Number(a), Text(Name(data.variableLabels, j))});
      AddStatisticColumns(vectors.rows.back(), e.vectors[at], CoefficientProbability(d, a, j),
                          d.vectorIntervals[at]);
    }
  }
  tables.push_back(std::move(vectors));
  if (!e.macs.empty()) {
    TResultTable macs{"JK MACs",
                      {"Variable", "Estimate", "SE", "P one-sided", "Lower 95%", "Upper 95%",
                       "P two-sided", "Verdict"}};
    for (TSize j = 1; j <= p; ++j) {
      const TAllometryTest& t = d.allometry[j - 1];
      macs.rows.push_back({Text(Name(data.variableLabels, j))});
      AddStatisticColumns(macs.rows.back(), e.macs[j - 1], MacProbability(d, j), t.interval);
      macs.rows.back().push_back(Number(t.twoSided));
      macs.rows.back().push_back(Text(VerdictText(t.verdict)));
    }
    tables.push_back(std::move(macs));
  }
  TResultTable influence{"Influence", {"Object", "Influence", "Beyond threshold"}};
  for (TSize a = 1; a <= d.axisCount; ++a)
    influence.headings.push_back("Influence on eigenvalue " + std::to_string(a));
  for (TSize a = 1; a <= d.axisCount; ++a)
    influence.headings.push_back("Angle " + std::to_string(a));
  for (TSize i = 1; i <= d.objectCount; ++i) {
    auto& row = influence.rows.emplace_back();
    row.push_back(Text(Name(data.objectLabels, i)));
    row.push_back(Number(d.influence[i - 1]));
    row.push_back(Text(d.influence[i - 1] > d.influenceThreshold ? "yes" : "no"));
    for (TSize a = 1; a <= d.axisCount; ++a)
      row.push_back(Number(d.eigenvalueInfluence[d.At(i, a)]));
    for (TSize a = 1; a <= d.axisCount; ++a) row.push_back(Number(d.angles[d.At(i, a)]));
  }
  tables.push_back(std::move(influence));
  TResultTable exchanges = {"Axis exchanges", AxisHeadings("Axis", d.axisCount, "With axis ")};
  exchanges.headings.insert(exchanges.headings.begin() + 1, "Exchanged");
  exchanges.headings.push_back(std::string("With an axis ") + BeyondText(d));
  for (TSize a = 1; a <= d.axisCount; ++a) {
    const TAxisExchanges& x = d.exchanges[a - 1];
    auto& row = exchanges.rows.emplace_back();
    row.push_back(Number(a));
    row.push_back(Number(x.exchanged));
    for (TSize b = 1; b <= d.axisCount; ++b) row.push_back(Number(x.withAxis[b]));
    row.push_back(Number(x.withAxis[BeyondShownAxes]));
  }
  tables.push_back(std::move(exchanges));
}

// The shortest text that reads back as the same double.
std::string Shortest(double x) {
  char digits[32];
  return std::string(digits, std::to_chars(digits, digits + sizeof digits, x).ptr);
}

std::string CsvField(const TResultCell& cell) {
  if (cell.isNumber) return std::isfinite(cell.number) ? Shortest(cell.number) : "";
  return CsvText(Utf8FromEightBit(cell.text));
}

std::string CsvOf(const TResultTable& table) {
  std::string out;
  const auto line = [&out](const std::vector<TResultCell>& cells) {
    for (std::size_t c = 0; c < cells.size(); ++c) out += (c ? "," : "") + CsvField(cells[c]);
    out += "\r\n";
  };
  std::vector<TResultCell> headings;
  for (const std::string& h : table.headings) headings.push_back(Text(h));
  line(headings);
  for (const auto& row : table.rows) line(row);
  return out;
}

// The names a results folder may hold, whatever the run: the tables' names
// as FileStem makes them.
constexpr const char* ResultsFileNames[] = {"basic-statistics.csv",
                                            "correlation-matrix.csv",
                                            "covariance-matrix.csv",
                                            "eigenvalues.csv",
                                            "eigenvectors.csv",
                                            "scores.csv",
                                            "correlations.csv",
                                            "macs.csv",
                                            "jk-eigenvalues.csv",
                                            "jk-eigenvectors.csv",
                                            "jk-macs.csv",
                                            "influence.csv",
                                            "axis-exchanges.csv",
                                            "supplementary-scores.csv",
                                            "supplementary-variables.csv",
                                            "group-means.csv",
                                            "imputation.csv",
                                            "completed-data.csv",
                                            "imputed-cells.csv"};

std::string FileStem(const std::string& name) {
  std::string stem;
  for (char c : name)
    stem += std::isalnum(static_cast<unsigned char>(c)) ? char(std::tolower(c)) : '-';
  return stem;
}

std::string JsonString(const std::string& eightBit) {
  std::string out = "\"";
  for (unsigned char c : Utf8FromEightBit(eightBit)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

std::string JsonOf(const std::vector<TResultTable>& tables) {
  std::string out =
      "{\n  \"program\": \"TALVEX\",\n  \"format\": \"all-results\",\n  \"version\": 2,\n"
      "  \"notes\": [\"Numbers are the shortest decimals that read back as the same double; "
      "NaN and infinite values are written as null.\", \"P values and 95% intervals of the "
      "jackknife use Student's t with n - 1 degrees of freedom exactly; past the axes that the "
      "reduced samples determine (more variables than objects) they are not available (null). "
      "An eigenvalue left out of the influence (standard error 0, tied or exchanged) has null "
      "influences.\""
      "]";
  // The supplementary tables, when there are any, say what they are.
  if (std::any_of(tables.begin(), tables.end(), [](const TResultTable& table) {
        return table.name.rfind("Supplementary", 0) == 0 || table.name == "Group means";
      }))
    out.insert(out.size() - 1,
               ", \"Supplementary scores, variables and group means are placed on the axes "
               "without taking part in the analysis; their jackknife places them in every "
               "reduced sample with its own means, standard deviations and aligned axes.\"");
  out += ",\n  \"tables\": [";
  for (std::size_t t = 0; t < tables.size(); ++t) {
    const TResultTable& table = tables[t];
    out += (t ? ",\n    {" : "\n    {") + std::string("\"name\": ") + JsonString(table.name) +
           ", \"columns\": [";
    for (std::size_t h = 0; h < table.headings.size(); ++h)
      out += (h ? ", " : "") + JsonString(table.headings[h]);
    out += "], \"rows\": [";
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
      out += r ? ",\n      [" : "\n      [";
      for (std::size_t c = 0; c < table.rows[r].size(); ++c) {
        const TResultCell& cell = table.rows[r][c];
        out += c ? ", " : "";
        if (!cell.isNumber) {
          out += JsonString(cell.text);
        } else {
          out += std::isfinite(cell.number) ? Shortest(cell.number) : "null";
        }
      }
      out += "]";
    }
    out += "]}";
  }
  return out + "\n  ]\n}\n";
}

// A path ending in '/' names a folder of CSV files.
bool IsFolder(const std::string& path) { return !path.empty() && path.back() == '/'; }

}  // namespace

TCompletedRun CompletedRun(const TAnalysisState& state) {
  if (!state.ResultsReady()) throw Exception("No results: run the analysis first");
  return {state.Data(), state.Results(), state.Record()};
}

std::vector<TResultTable> AllResultTables(const TCompletedRun& completed,
                                          const TDiagnostics& diagnostics,
                                          const TSupplementaryResults* supplementary) {
  const TDataMatrix& data = completed.data;
  const TAnalysisResults& r = completed.results;
  const TResultTables& t = r.tables;
  const TSize n = data.objectCount, p = data.variableCount, k = t.factorCount;
  std::vector<TResultTable> tables;

  // How the results were made comes first.
  TResultTable run{"Run", {"Field", "Value"}};
  for (auto& [field, value] : RunRecordFields(completed.record))
    run.rows.push_back({Text(std::move(field)), Text(std::move(value))});
  tables.push_back(std::move(run));

  TResultTable basic{"Basic statistics", {"Variable", "Mean", "Std. Dev."}};
  for (TSize j = 1; j <= p; ++j)
    basic.rows.push_back({Text(Name(data.variableLabels, j)), Number(t.means.GetValue(j)),
                          Number(t.deviations.GetValue(j))});
  tables.push_back(std::move(basic));

  // Beyond 255 variables a run keeps no p x p matrix (see analysis_run.cpp).
  const bool withDispersion = t.dispersion.MaxRows() >= p && t.dispersion.MaxCols() >= p;
  TResultTable dispersion{
      t.options.method == DispersionMethod::Covariance ? "Covariance matrix" : "Correlation matrix",
      {"Variable"}};
  for (TSize j = 1; j <= p; ++j) dispersion.headings.push_back(Name(data.variableLabels, j));
  for (TSize a = 1; withDispersion && a <= p; ++a) {
    auto& row = dispersion.rows.emplace_back();
    row.push_back(Text(Name(data.variableLabels, a)));
    for (TSize b = 1; b <= p; ++b) row.push_back(Number(t.dispersion.GetValue(a, b)));
  }
  if (withDispersion) tables.push_back(std::move(dispersion));

  TResultTable values{"Eigenvalues", {"Axis", "Eigenvalue", "% Variance", "% Cumulative"}};
  double cumulative = 0.0;
  for (TSize c = 1; c <= p; ++c) {
    const double value = r.eigenvalues.GetValue(c);
    cumulative += value;
    values.rows.push_back({Number(c), Number(value), Number(value * 100 / r.trace),
                           Number(cumulative * 100 / r.trace)});
  }
  tables.push_back(std::move(values));

  tables.push_back(VariableAxisTable("Eigenvectors", data, r.eigenvectors, k));

  const bool groups = data.groups.size() == n;
  TResultTable scores{"Scores", AxisHeadings("Object", k, "Axis")};
  if (groups) scores.headings.insert(scores.headings.begin() + 1, "Group");
  for (TSize i = 1; i <= n; ++i) {
    auto& row = scores.rows.emplace_back();
    row.push_back(Text(Name(data.objectLabels, i)));
    if (groups) row.push_back(Text(data.groups[i - 1]));
    for (TSize a = 1; a <= k; ++a) row.push_back(Number(r.scores.GetValue(i, a)));
  }
  tables.push_back(std::move(scores));

  tables.push_back(VariableAxisTable("Component-variable correlations", data, t.correlations, k));

  if (t.macs.Length() != 0) {
    TResultTable macs{"MACs", {"Variable", "MAC"}};
    for (TSize j = 1; j <= p; ++j)
      macs.rows.push_back({Text(Name(data.variableLabels, j)), Number(t.macs.GetValue(j))});
    tables.push_back(std::move(macs));
  }
  if (diagnostics.available) JackknifeTables(tables, data, diagnostics);
  if (t.imputation) AppendImputationTables(tables, data, *t.imputation);
  if (supplementary != nullptr) AppendSupplementaryTables(tables, *supplementary);
  return tables;
}

void CheckAllResultsPath(const std::string& path) {
  if (IsFolder(path) || HasExtension(path, "xlsx") || HasExtension(path, "json")) return;
  throw EUnknownExportFormat("Cannot write all results to " + path +
                             ": the name must end in .xlsx, .json or / (a folder of CSV files)");
}

std::vector<std::string> AllResultsFileNames() {
  return std::vector<std::string>(std::begin(ResultsFileNames), std::end(ResultsFileNames));
}

void CheckAllResultsFit(const std::string& path, TSize objectCount, TSize variableCount,
                        TSize factorCount, bool jackknife) {
  if (!HasExtension(path, "xlsx")) return;
  const std::uint64_t n = objectCount, p = variableCount, k = factorCount;
  // The longest and the widest sheets: the scores (and influence) have a row
  // per object, the jackknife's eigenvectors one per axis and variable; the
  // dispersion matrix a column per variable, the influence two per axis.
  std::uint64_t rows = std::max(n, p);
  std::uint64_t columns = std::max(p + 1, k + 2);
  if (jackknife) {
    rows = std::max(rows, k * p);
    columns = std::max(columns, 3 + 2 * k);
  }
  if (rows + 1 > XlsxMaxRows || columns > XlsxMaxColumns) {
    throw Exception("Too many rows or columns for an xlsx sheet in " + path + " (" +
                    std::to_string(rows + 1) + " rows and " + std::to_string(columns) +
                    " columns needed, at most " + std::to_string(XlsxMaxRows) + " and " +
                    std::to_string(XlsxMaxColumns) + "); choose .json or a folder (DIR/)");
  }
}

std::vector<std::string> WriteAllResults(const std::string& path, const TCompletedRun& run,
                                         const TDiagnostics& diagnostics,
                                         const TSupplementaryResults* supplementary) {
  CheckAllResultsPath(path);
  const std::vector<TResultTable> tables = AllResultTables(run, diagnostics, supplementary);
  std::vector<std::string> removed;
  if (HasExtension(path, "json")) {
    WriteFileAtomically(path, JsonOf(tables));
  } else if (HasExtension(path, "xlsx")) {
    TWorkbookWriter workbook;
    for (const TResultTable& table : tables) {
      TWorksheet& sheet = workbook.AddSheet(table.name);
      for (std::size_t c = 0; c < table.headings.size(); ++c)
        sheet.AddText(0, c, table.headings[c]);
      for (std::size_t r = 0; r < table.rows.size(); ++r) {
        for (std::size_t c = 0; c < table.rows[r].size(); ++c) {
          const TResultCell& cell = table.rows[r][c];
          if (cell.isNumber) {
            sheet.AddNumber(r + 1, c, cell.number);
          } else {
            sheet.AddText(r + 1, c, cell.text);
          }
        }
      }
    }
    workbook.Write(path);
  } else {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) throw EInOutError("Cannot create folder " + path + ": " + error.message());
    // Every file is written aside before any is put in place, so that a
    // failure or an interruption leaves the folder as the last run left it.
    std::vector<TAtomicFile> files;
    std::vector<std::string> written;
    for (const TResultTable& table : tables) {
      written.push_back(FileStem(table.name) + ".csv");
      files.emplace_back(path + written.back()).Write(CsvOf(table));
    }
    for (TAtomicFile& file : files) file.Commit();
    // Files of our names that this run does not write are an earlier run's
    // (a jackknife since turned off, other data): they would be taken for
    // this one's. Files of other names are the user's and stay.
    for (const char* name : ResultsFileNames) {
      if (std::find(written.begin(), written.end(), name) != written.end()) continue;
      const std::filesystem::path stale = path + name;
      struct stat info {};
      if (::lstat(stale.c_str(), &info) != 0 || !(S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)))
        continue;
      if (std::filesystem::remove(stale, error)) removed.push_back(stale.string());
    }
  }
  return removed;
}

}  // namespace talvex
