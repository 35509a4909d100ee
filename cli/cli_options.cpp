// Parsing of talvex-cli's command line.
#include "cli/cli_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <utility>

namespace talvex {

namespace {

template <typename T>
struct TChoice {
  const char* name;
  T value;
};

template <typename T, std::size_t N>
T Choose(const std::string& option, const std::string& value, const TChoice<T> (&choices)[N]) {
  std::string accepted;
  for (const auto& choice : choices) {
    if (value == choice.name) return choice.value;
    accepted += accepted.empty() ? "" : ", ";
    accepted += choice.name;
  }
  throw ECliUsage("bad value '" + value + "' for " + option + " (one of: " + accepted + ")");
}

unsigned long long PositiveNumber(const std::string& option, const std::string& value,
                                  unsigned long long largest) {
  unsigned long long number = 0;
  const char* last = value.data() + value.size();
  const auto conversion = std::from_chars(value.data(), last, number);
  if (value.empty() || conversion.ptr != last || conversion.ec != std::errc() || number == 0 ||
      number > largest) {
    throw ECliUsage("bad value '" + value + "' for " + option + " (a whole number from 1 to " +
                    std::to_string(largest) + ")");
  }
  return number;
}

constexpr TChoice<DispersionMethod> MethodChoices[] = {
    {"correlation", DispersionMethod::Correlation}, {"covariance", DispersionMethod::Covariance}};
constexpr TChoice<DataTransform> TransformChoices[] = {{"none", DataTransform::TransformRaw},
                                                       {"log10", DataTransform::TransformDecimal},
                                                       {"ln", DataTransform::TransformNatural}};
constexpr TChoice<FactorRule> RuleChoices[] = {{"all", FactorRule::FactorsAll},
                                               {"kaiser", FactorRule::FactorsKaiser},
                                               {"joliffe", FactorRule::FactorsJoliffe}};

std::string FileName(const std::string& option, const std::string& value) {
  if (value.empty()) throw ECliUsage("option '" + option + "' needs a file name");
  return value;
}

constexpr TChoice<TMissingPolicy> MissingChoices[] = {{"refuse", TMissingPolicy::Refuse},
                                                      {"omit", TMissingPolicy::Omit}};
constexpr TChoice<int> HeaderChoices[] = {{"yes", 1}, {"no", 0}, {"auto", -1}};
constexpr TChoice<char> SeparatorChoices[] = {
    {"comma", ','}, {"semicolon", ';'}, {"tab", '\t'}, {"space", ' '}};

std::string NonEmpty(const std::string& option, const std::string& value) {
  if (value.empty()) throw ECliUsage("option '" + option + "' needs a value");
  return value;
}

char Separator(const std::string& option, const std::string& value) {
  if (value.size() == 1 && value[0] != '"' && value[0] != '\n' && value[0] != '\r') return value[0];
  return Choose(option, value, SeparatorChoices);
}

std::vector<std::string> ColumnList(const std::string& option, const std::string& value) {
  // "-" is "none" for a single column; the analysis needs some variable.
  if (value == "-")
    throw ECliUsage("bad value '-' for " + option + " (the analysis needs at least one variable)");
  std::vector<std::string> columns;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = value.find(',', start);
    columns.push_back(value.substr(start, comma - start));
    if (columns.back().empty())
      throw ECliUsage("bad value '" + value + "' for " + option +
                      " (column names or numbers joined by commas)");
    if (comma == std::string::npos) return columns;
    start = comma + 1;
  }
}

// A data-matrix file is text of its own kind: a name that promises a
// workbook, a table or an export would mislead whoever opens it.
std::string DataMatrixName(const std::string& option, const std::string& value) {
  std::string extension;
  const std::size_t dot = value.rfind('.');
  if (dot != std::string::npos && value.find('/', dot) == std::string::npos)
    extension = value.substr(dot);
  for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
  for (const char* other : {".xlsx", ".xls", ".ods", ".csv", ".tsv", ".json", ".sdf"}) {
    if (extension == other)
      throw ECliUsage(option + " writes a data-matrix file (.nts); '" + value + "' names a " +
                      extension.substr(1) + " file");
  }
  return value;
}

// One option of the command line: what it is called, what it takes, what
// --help says of it and what it sets. Parsing and --help both read this
// table, so an option exists in one place only.
struct TOptionSpec {
  const char* name;
  const char* alias;     // a second spelling, or nullptr
  const char* argument;  // how --help shows the value; nullptr for an option without one
  const char* help;
  void (*apply)(TCliOptions& options, const std::string& name, const std::string& value);
};

const TOptionSpec Options[] = {
    {"--method", nullptr, "correlation|covariance", "dispersion matrix (default correlation)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.method = Choose(n, v, MethodChoices);
     }},
    {"--transform", nullptr, "none|log10|ln", "transformation of the data (default none)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.transformation = Choose(n, v, TransformChoices);
     }},
    {"--rule", nullptr, "all|kaiser|joliffe", "which eigenvalues are listed (default all)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.factorRule = Choose(n, v, RuleChoices);
     }},
    {"--factors", nullptr, "N", "components shown (default: the number of variables)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.factors = static_cast<TSize>(PositiveNumber(n, v, std::numeric_limits<TSize>::max()));
     }},
    {"--jackknife", nullptr, nullptr, "jackknife estimates (the default)",
     [](TCliOptions& o, const std::string&, const std::string&) { o.jackknife = true; }},
    {"--no-jackknife", nullptr, nullptr, "no jackknife estimates",
     [](TCliOptions& o, const std::string&, const std::string&) { o.jackknife = false; }},
    {"--report", nullptr, "OUT.txt", "write the listing there (- or default: standard output)",
     [](TCliOptions& o, const std::string& n, const std::string& v) { o.report = FileName(n, v); }},
    {"--scores", nullptr, "OUT.{xls,csv,sdf,xlsx}", "export the component scores",
     [](TCliOptions& o, const std::string& n, const std::string& v) { o.scores = FileName(n, v); }},
    {"--vectors", nullptr, "OUT.{xls,csv,sdf,xlsx}", "export the vector coefficients",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.vectors = FileName(n, v);
     }},
    {"--labelled", nullptr, nullptr, "csv --scores and --vectors with the labels as first column",
     [](TCliOptions& o, const std::string&, const std::string&) { o.labelled = true; }},
    {"--diagnostics", nullptr, "OUT.txt",
     "write the jackknife's diagnostics (axis exchanges, influence, intervals, allometry)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.diagnostics = FileName(n, v);
     }},
    {"--match-axes", nullptr, nullptr,
     "diagnostics and --results: match axes before aligning signs (listing unchanged)",
     [](TCliOptions& o, const std::string&, const std::string&) { o.matchAxes = true; }},
    {"--results", nullptr, "OUT.xlsx|OUT.json|DIR/",
     "write every result: a workbook, JSON or a folder of CSV files",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.results = FileName(n, v);
     }},
    {"--sheet", nullptr, "NAME|N|#N",
     "tables: the workbook's sheet by name, else number; #N the N-th (default the first)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.table.sheet = NonEmpty(n, v);
       o.tableOptionsGiven = true;
     }},
    {"--labels", nullptr, "COLUMN", "tables: the column of object labels (name, number or -)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.table.labelsColumn = NonEmpty(n, v);
       o.tableOptionsGiven = true;
     }},
    {"--group", nullptr, "COLUMN", "tables: the column of object groups (name, number or -)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.table.groupColumn = NonEmpty(n, v);
       o.tableOptionsGiven = true;
     }},
    {"--variables", nullptr, "LIST", "tables: the variables, names or numbers joined by commas",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.table.variables = ColumnList(n, v);
       o.tableOptionsGiven = true;
     }},
    {"--missing", nullptr, "refuse|omit",
     "tables: refuse missing values (default) or leave out their objects",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.table.missing = Choose(n, v, MissingChoices);
       o.tableOptionsGiven = true;
     }},
    {"--separator", nullptr, "C", "tables: comma, semicolon, tab, space or the character",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.table.separator = Separator(n, v);
       o.tableOptionsGiven = true;
     }},
    {"--header", nullptr, "yes|no|auto",
     "tables: the first row names the columns (default auto: detected, and said when unsure)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       const int header = Choose(n, v, HeaderChoices);
       o.table.header = header < 0 ? std::nullopt : std::optional<bool>(header == 1);
       o.tableOptionsGiven = true;
     }},
    {"--decimal-comma", nullptr, nullptr, "tables: numbers are written 1,5",
     [](TCliOptions& o, const std::string&, const std::string&) {
       o.table.decimalComma = true;
       o.tableOptionsGiven = true;
     }},
    {"--decimal-point", nullptr, nullptr, "tables: numbers are written 1.5 (no detection)",
     [](TCliOptions& o, const std::string&, const std::string&) {
       o.table.decimalComma = false;
       o.tableOptionsGiven = true;
     }},
    {"--missing-markers", nullptr, "LIST",
     "tables: the texts of a missing value, joined by commas (an empty cell always is one)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.table.missingMarkers = ColumnList(n, v);
       o.table.missingMarkers.insert(o.table.missingMarkers.begin(), std::string());
       o.tableOptionsGiven = true;
     }},
    {"--groups-from-labels", nullptr, nullptr,
     "groups from the object labels (before their trailing digits) when the data have none",
     [](TCliOptions& o, const std::string&, const std::string&) { o.groupsFromLabels = true; }},
    {"--save-data", nullptr, "OUT.nts", "write the loaded data as a data-matrix file",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.saveData = DataMatrixName(n, FileName(n, v));
     }},
    {"--check", nullptr, nullptr, "read and validate the file only",
     [](TCliOptions& o, const std::string&, const std::string&) { o.check = true; }},
    {"--threads", nullptr, "N", "worker threads for the jackknife (default and most: all cores)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.threads = static_cast<unsigned>(PositiveNumber(n, v, 1024));
     }},
    {"--progress", nullptr, nullptr,
     "show the steps and the jackknife's progress on standard error",
     [](TCliOptions& o, const std::string&, const std::string&) { o.progress = true; }},
    {"--help", "-h", nullptr, "show this text",
     [](TCliOptions& o, const std::string&, const std::string&) { o.help = true; }},
    {"--version", nullptr, nullptr, "show the program's version",
     [](TCliOptions& o, const std::string&, const std::string&) { o.version = true; }},
};

const TOptionSpec* FindOption(const std::string& name) {
  for (const TOptionSpec& option : Options) {
    if (name == option.name || (option.alias != nullptr && name == option.alias)) return &option;
  }
  return nullptr;
}

}  // namespace

TCliOptions ParseCliOptions(const std::vector<std::string>& arguments) {
  TCliOptions options;
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      files.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    const TOptionSpec* option = FindOption(name);
    if (option == nullptr) throw ECliUsage("unknown option '" + name + "'");
    if (option->argument == nullptr) {
      if (equals != std::string::npos) throw ECliUsage("option '" + name + "' takes no value");
      option->apply(options, name, std::string());
    } else if (equals != std::string::npos) {
      option->apply(options, name, argument.substr(equals + 1));
    } else if (i + 1 < arguments.size()) {
      option->apply(options, name, arguments[++i]);
    } else {
      throw ECliUsage("option '" + name + "' needs a value");
    }
  }
  if (options.check &&
      (!options.report.empty() || !options.scores.empty() || !options.vectors.empty() ||
       !options.diagnostics.empty() || !options.results.empty())) {
    throw ECliUsage(
        "--check writes no listing or export; leave out --report, --scores, --vectors, "
        "--diagnostics and --results");
  }
  const auto isCsv = [](const std::string& path) {
    return path.size() >= 4 && path.compare(path.size() - 4, 4, ".csv") == 0;
  };
  if (options.labelled && !isCsv(options.scores) && !isCsv(options.vectors))
    throw ECliUsage("--labelled applies to a .csv export of --scores or --vectors");
  if (!files.empty() && options.tableOptionsGiven && !IsTableFile(files[0])) {
    throw ECliUsage(
        "--sheet, --labels, --group, --variables, --missing, --missing-markers, --separator, "
        "--header, --decimal-comma and --decimal-point apply to tables (.csv, .tsv, .txt, "
        ".xlsx, .ods) only");
  }
  if (files.size() > 1)
    throw ECliUsage("more than one data file: '" + files[0] + "', '" + files[1] + "'");
  if (files.empty()) {
    if (!options.help && !options.version) throw ECliUsage("no data file given");
  } else {
    options.file = files[0];
  }
  return options;
}

std::string ShortUsage() {
  return "Usage: talvex-cli [OPTIONS] FILE\n"
         "Try 'talvex-cli --help' for the options.\n";
}

std::string HelpText() {
  // The option column is as wide as the longest option with its value.
  std::size_t width = 0;
  const auto left = [](const TOptionSpec& option) {
    std::string column = option.name;
    if (option.alias != nullptr) column += std::string(", ") + option.alias;
    if (option.argument != nullptr) column += std::string(" ") + option.argument;
    return column;
  };
  for (const TOptionSpec& option : Options) width = std::max(width, left(option).size());
  std::string text =
      "Usage: talvex-cli [OPTIONS] FILE\n"
      "Principal components analysis with jackknife estimates of a data-matrix file\n"
      "or a table (.csv, .tsv, .txt, .xlsx, .ods).\n"
      "\n";
  for (const TOptionSpec& option : Options) {
    const std::string column = left(option);
    text += "  " + column + std::string(width + 2 - column.size(), ' ') + option.help + "\n";
  }
  text +=
      "\n"
      "Exit status: 0 success, 1 a refused or failing file, run or output, 2 a usage\n"
      "error, 130 or 143 interrupted by SIGINT or SIGTERM.\n";
  return text;
}

}  // namespace talvex
