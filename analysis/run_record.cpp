// The run record's fields and its command line.
#include "analysis/run_record.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#ifndef TALVEX_VERSION
#define TALVEX_VERSION "unknown"
#endif

namespace talvex {

namespace {

const char* MethodName(DispersionMethod method) {
  return method == DispersionMethod::Covariance ? "covariance" : "correlation";
}

const char* TransformName(DataTransform transformation) {
  switch (transformation) {
    case DataTransform::TransformDecimal:
      return "log10";
    case DataTransform::TransformNatural:
      return "ln";
    default:
      return "none";
  }
}

// FactorsNumber lists like FactorsAll; the count itself goes to --factors.
const char* RuleName(FactorRule rule) {
  switch (rule) {
    case FactorRule::FactorsKaiser:
      return "kaiser";
    case FactorRule::FactorsJoliffe:
      return "joliffe";
    default:
      return "all";
  }
}

std::string SeparatorName(char separator) {
  switch (separator) {
    case ',':
      return "comma";
    case ';':
      return "semicolon";
    case '\t':
      return "tab";
    case ' ':
      return "space";
    default:
      return std::string(1, separator);
  }
}

std::string Joined(const std::vector<std::string>& parts, const char* between) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : between) + part;
  return text;
}

// A share as the shortest text that reads back as the same number.
std::string ShareText(double share) {
  char text[32];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, share);
    if (std::strtod(text, nullptr) == share) break;
  }
  return text;
}

std::string YesNo(bool value) { return value ? "yes" : "no"; }

bool IsTable(const TRunRecord& r) { return r.source.kind != TSourceKind::DataMatrixFile; }
bool IsText(const TRunRecord& r) { return IsTable(r) && r.source.separator != 0; }

// What one option of the command line is for a record: absent, alone (a
// flag) or with a value.
struct TOptionValue {
  bool given = false;
  bool flag = false;
  std::string value;
};

TOptionValue Absent() { return {}; }
TOptionValue Flag(bool on) { return {on, true, {}}; }
TOptionValue Value(std::string value) { return {true, false, std::move(value)}; }

// The command line's options in the order they are written. A new option of
// talvex-cli that changes what a run reads or computes is one entry here.
struct TCommandOption {
  const char* name;
  TOptionValue (*of)(const TRunRecord& record);
};

const TCommandOption CommandOptions[] = {
    {"--sheet",
     [](const TRunRecord& r) {
       return IsTable(r) && !r.source.sheet.empty() ? Value(r.source.sheet) : Absent();
     }},
    {"--separator",
     [](const TRunRecord& r) {
       return IsText(r) ? Value(SeparatorName(r.source.separator)) : Absent();
     }},
    // Both ways, so that detection can never decide otherwise.
    {"--decimal-comma",
     [](const TRunRecord& r) { return Flag(IsText(r) && r.source.decimalComma); }},
    {"--decimal-point",
     [](const TRunRecord& r) { return Flag(IsText(r) && !r.source.decimalComma); }},
    {"--header",
     [](const TRunRecord& r) { return IsTable(r) ? Value(YesNo(r.source.header)) : Absent(); }},
    {"--labels",
     [](const TRunRecord& r) {
       if (!IsTable(r)) return Absent();
       return Value(r.source.hasLabels ? r.source.labels.Reference() : "-");
     }},
    {"--group",
     [](const TRunRecord& r) {
       if (!IsTable(r)) return Absent();
       return Value(r.source.hasGroup ? r.source.group.Reference() : "-");
     }},
    {"--variables",
     [](const TRunRecord& r) {
       if (!IsTable(r)) return Absent();
       std::vector<std::string> references;
       for (const TRunColumn& column : r.source.variables) references.push_back(column.Reference());
       return Value(Joined(references, ","));
     }},
    {"--missing",
     [](const TRunRecord& r) {
       if (!IsTable(r)) return Absent();
       if (r.source.imputeMissing) return Value("impute");
       return r.source.omitMissing ? Value("omit") : Absent();
     }},
    {"--impute-components",
     [](const TRunRecord& r) {
       return r.options.imputeComponents ? Value(std::to_string(*r.options.imputeComponents))
                                         : Absent();
     }},
    {"--impute-max-share",
     [](const TRunRecord& r) {
       return r.options.maxMissingShare != DefaultMaxMissingShare
                  ? Value(ShareText(r.options.maxMissingShare))
                  : Absent();
     }},
    {"--missing-markers",
     [](const TRunRecord& r) {
       if (!IsTable(r) || r.source.missingMarkers == DefaultMissingMarkers()) return Absent();
       std::vector<std::string> named;
       for (const std::string& marker : r.source.missingMarkers)
         if (!marker.empty()) named.push_back(marker);
       return Value(Joined(named, ","));
     }},
    {"--groups-from-labels", [](const TRunRecord& r) { return Flag(r.source.groupsFromLabels); }},
    {"--supplementary-rows",
     [](const TRunRecord& r) {
       if (r.source.supplementaryRowsColumn.empty()) return Absent();
       return Value(r.source.supplementaryRowsColumn + "=" +
                    Joined(r.source.supplementaryRowsValues, ","));
     }},
    {"--supplementary-variables",
     [](const TRunRecord& r) {
       if (r.source.supplementaryColumns.empty()) return Absent();
       std::vector<std::string> references;
       for (const TRunColumn& column : r.source.supplementaryColumns)
         references.push_back(column.Reference());
       return Value(Joined(references, ","));
     }},
    {"--method",
     [](const TRunRecord& r) {
       return r.options.method == DispersionMethod::Covariance ? Value(MethodName(r.options.method))
                                                               : Absent();
     }},
    {"--transform",
     [](const TRunRecord& r) {
       return r.options.Transformed() ? Value(TransformName(r.options.transformation)) : Absent();
     }},
    {"--rule",
     [](const TRunRecord& r) {
       return r.options.factorRule == FactorRule::FactorsKaiser ||
                      r.options.factorRule == FactorRule::FactorsJoliffe
                  ? Value(RuleName(r.options.factorRule))
                  : Absent();
     }},
    {"--factors",
     [](const TRunRecord& r) {
       return r.factorCount != r.variableCount ? Value(std::to_string(r.factorCount)) : Absent();
     }},
    {"--no-jackknife", [](const TRunRecord& r) { return Flag(!r.options.jackknife); }},
    {"--match-axes", [](const TRunRecord& r) { return Flag(r.matchAxes); }},
};

// The file the command reads.
std::string CommandFile(const TRunRecord& record) {
  return record.source.kind == TSourceKind::PastedData ? "pasted-data.tsv" : record.source.path;
}

std::string SourceText(const TRunSource& source) {
  return source.kind == TSourceKind::PastedData ? "pasted data" : source.path;
}

std::string ColumnText(const TRunColumn& column) {
  return column.name + " (column " + std::to_string(column.number) + ")";
}

}  // namespace

const std::vector<std::string>& DefaultMissingMarkers() {
  static const std::vector<std::string> markers{"", "NA", "NaN", ".", "?", "-"};
  return markers;
}

const char* ProgramVersion() { return TALVEX_VERSION; }

std::string ShellQuote(const std::string& text) {
  const bool plain = !text.empty() && text.find_first_not_of(
                                          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                          "0123456789_@%+=:,./-") == std::string::npos;
  if (plain) return text;
  // Inside single quotes only the single quote itself needs care.
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string CommandLine(const TRunRecord& record) {
  std::string line = "talvex-cli";
  for (const TCommandOption& option : CommandOptions) {
    const TOptionValue value = option.of(record);
    if (!value.given) continue;
    line += std::string(" ") + option.name;
    if (!value.flag) line += " " + ShellQuote(value.value);
  }
  for (const TSupplementaryFile& file : record.source.supplementaryFiles)
    line += " --supplementary " + ShellQuote(file.path);
  const std::string file = CommandFile(record);
  // A file whose name starts with '-' would read as an option.
  return line + (file.size() > 1 && file[0] == '-' ? " -- " : " ") + ShellQuote(file);
}

std::vector<std::pair<std::string, std::string>> RunRecordFields(const TRunRecord& record) {
  const TRunSource& s = record.source;
  std::vector<std::pair<std::string, std::string>> fields{
      {"Program", "TALVEX " + record.version},
      {"Date", record.date},
      {"Time", record.time},
      {"Source", SourceText(s)},
  };
  if (s.kind != TSourceKind::DataMatrixFile) {
    fields.emplace_back("Format", s.format);
    if (!s.sheet.empty()) fields.emplace_back("Sheet", s.sheet);
    if (s.separator != 0) {
      fields.emplace_back("Separator", SeparatorName(s.separator));
      fields.emplace_back("Decimal comma", YesNo(s.decimalComma));
    }
    fields.emplace_back("Header row", YesNo(s.header));
    fields.emplace_back("Labels column", s.hasLabels
                                             ? ColumnText(s.labels)
                                             : "none: objects are named OBJ and their data row");
    fields.emplace_back("Group column", s.hasGroup ? ColumnText(s.group) : "none");
    std::vector<std::string> variables;
    for (const TRunColumn& column : s.variables) variables.push_back(column.name);
    fields.emplace_back("Variables", Joined(variables, ", "));
    fields.emplace_back("Missing values", s.imputeMissing ? "imputed by iterative PCA"
                                          : s.omitMissing ? "objects with missing values left out"
                                                          : "refused");
    if (s.imputeMissing) {
      fields.emplace_back("Imputation components",
                          record.options.imputeComponents
                              ? std::to_string(*record.options.imputeComponents)
                              : "chosen by generalised cross-validation");
      fields.emplace_back("Largest share imputed", ShareText(record.options.maxMissingShare));
    }
    std::vector<std::string> markers{"(empty cell)"};
    for (const std::string& marker : s.missingMarkers)
      if (!marker.empty()) markers.push_back(marker);
    fields.emplace_back("Missing value markers", Joined(markers, " "));
    std::vector<std::string> leftOut;
    for (const TLeftOutObject& object : s.leftOut)
      leftOut.push_back(object.name + " (data row " + std::to_string(object.dataRow) + ", " +
                        object.place + ")");
    fields.emplace_back("Objects left out", leftOut.empty() ? "none" : Joined(leftOut, "; "));
  }
  if (s.groupsFromLabels) fields.emplace_back("Groups", "from the object labels");
  if (!s.supplementaryRowsColumn.empty())
    fields.emplace_back("Supplementary rows", s.supplementaryRowsColumn + " = " +
                                                  Joined(s.supplementaryRowsValues, ", "));
  if (!s.supplementaryColumns.empty()) {
    std::vector<std::string> columns;
    for (const TRunColumn& column : s.supplementaryColumns) columns.push_back(column.name);
    fields.emplace_back("Supplementary columns", Joined(columns, ", "));
  }
  if (!s.supplementaryFiles.empty()) {
    std::vector<std::string> files;
    for (const TSupplementaryFile& file : s.supplementaryFiles)
      files.push_back(file.path + " (" + std::to_string(file.objects.size()) +
                      (file.objects.size() == 1 ? " object" : " objects") +
                      (file.objects.empty() ? "" : ": " + Joined(file.objects, ", ")) + ")");
    fields.emplace_back("Supplementary files", Joined(files, "; "));
  }
  fields.emplace_back("Method", MethodName(record.options.method));
  fields.emplace_back("Transformation", TransformName(record.options.transformation));
  fields.emplace_back("Factors", std::to_string(record.factorCount));
  // A chosen number of factors lists like All; the count is the Factors field.
  fields.emplace_back("Rule", RuleName(record.options.factorRule));
  fields.emplace_back("Jackknife", YesNo(record.options.jackknife));
  fields.emplace_back("Match axes", YesNo(record.matchAxes));
  fields.emplace_back("Command line", CommandLine(record));
  return fields;
}

}  // namespace talvex
