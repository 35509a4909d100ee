// Parsing of talvex-cli's command line.
#include "cli/cli_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <span>
#include <utility>

#include "base/file_name_case.h"
#include "talvex/option_names.h"

namespace talvex {

namespace {

template <typename T>
T Choose(const std::string& option, const std::string& value,
         std::span<const TChoiceName<T>> choices) {
  if (const T* chosen = ChoiceNamed(choices, value)) return *chosen;
  throw ECliUsage("bad value '" + value + "' for " + option +
                  " (one of: " + JoinedChoiceNames(choices, ", ") + ")");
}

template <typename T, std::size_t N>
T Choose(const std::string& option, const std::string& value, const TChoiceName<T> (&choices)[N]) {
  return Choose(option, value, std::span<const TChoiceName<T>>(choices));
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

std::string FileName(const std::string& option, const std::string& value) {
  if (value.empty()) throw ECliUsage("option '" + option + "' needs a file name");
  return value;
}

TSize WholeNumber(const std::string& option, const std::string& value) {
  unsigned long long number = 0;
  const char* last = value.data() + value.size();
  const auto conversion = std::from_chars(value.data(), last, number);
  if (value.empty() || conversion.ptr != last || conversion.ec != std::errc() ||
      number > std::numeric_limits<TSize>::max())
    throw ECliUsage("bad value '" + value + "' for " + option + " (a whole number from 0)");
  return TSize(number);
}

double Share(const std::string& option, const std::string& value) {
  double share = 0.0;
  const char* last = value.data() + value.size();
  const auto conversion = std::from_chars(value.data(), last, share);
  if (value.empty() || conversion.ptr != last || conversion.ec != std::errc() || !(share > 0.0) ||
      share > 1.0)
    throw ECliUsage("bad value '" + value + "' for " + option +
                    " (a share above 0 and at most 1, such as 0.3)");
  return share;
}
constexpr TChoiceName<int> HeaderChoices[] = {{"yes", 1}, {"no", 0}, {"auto", -1}};
constexpr TChoiceName<char> SeparatorChoices[] = {
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

constexpr TChoiceName<TCliFigureKind> FigureKindChoices[] = {
    {"scores", TCliFigureKind::Scores},
    {"vectors", TCliFigureKind::Vectors},
    {"scree", TCliFigureKind::Scree},
    {"biplot", TCliFigureKind::Biplot},
    {"influence", TCliFigureKind::Influence},
    {"correlation-circle", TCliFigureKind::CorrelationCircle}};
constexpr TChoiceName<TCliFigureRegions> RegionChoices[] = {
    {"none", TCliFigureRegions::None},
    {"concentration", TCliFigureRegions::Concentration},
    {"mean", TCliFigureRegions::Mean}};
constexpr TChoiceName<TCliSupplementaryMarks> SupplementaryMarkChoices[] = {
    {"none", TCliSupplementaryMarks::None},
    {"bars", TCliSupplementaryMarks::Bars},
    {"ellipses", TCliSupplementaryMarks::Ellipses}};
constexpr TChoiceName<TCliFigureLabels> LabelChoices[] = {{"none", TCliFigureLabels::None},
                                                          {"names", TCliFigureLabels::Names},
                                                          {"values", TCliFigureLabels::Values}};

// The extension of a path's last component, in lower case, without the dot.
std::string LowerExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

TCliFigure Figure(const std::string& option, const std::string& value) {
  const std::size_t equals = value.find('=');
  if (equals == std::string::npos || equals + 1 == value.size())
    throw ECliUsage("bad value '" + value + "' for " + option + " (KIND=FILE)");
  TCliFigure figure;
  figure.kind = Choose(option, value.substr(0, equals), FigureKindChoices);
  figure.path = value.substr(equals + 1);
  const std::string extension = LowerExtension(figure.path);
  if (extension != "png" && extension != "svg" && extension != "pdf")
    throw ECliUsage("cannot save the figure as " + figure.path +
                    ": the file name must end in .png, .svg or .pdf");
  return figure;
}

// A positive number written with digits and at most one decimal point.
double PositiveDecimal(const std::string& option, const std::string& whole,
                       const std::string& value) {
  double number = 0;
  const char* last = value.data() + value.size();
  const auto conversion = std::from_chars(value.data(), last, number);
  if (value.empty() || conversion.ptr != last || conversion.ec != std::errc() || !(number > 0) ||
      number > 1e6)
    throw ECliUsage("bad value '" + whole + "' for " + option +
                    " (WIDTHxHEIGHT with cm, in or px, e.g. 17x12cm)");
  return number;
}

void FigureSize(TCliOptions& o, const std::string& option, const std::string& value) {
  std::string text = value;
  char unit = 'c';
  for (const auto& [suffix, letter] :
       {std::pair<const char*, char>{"cm", 'c'}, {"in", 'i'}, {"px", 'p'}}) {
    const std::size_t length = std::char_traits<char>::length(suffix);
    if (text.size() > length && text.compare(text.size() - length, length, suffix) == 0) {
      unit = letter;
      text.resize(text.size() - length);
      break;
    }
  }
  const std::size_t times = text.find('x');
  if (times == std::string::npos)
    throw ECliUsage("bad value '" + value + "' for " + option +
                    " (WIDTHxHEIGHT with cm, in or px, e.g. 17x12cm)");
  o.figure.width = PositiveDecimal(option, value, text.substr(0, times));
  o.figure.height = PositiveDecimal(option, value, text.substr(times + 1));
  o.figure.unit = unit;
}

void FigureComponents(TCliOptions& o, const std::string& option, const std::string& value) {
  const std::size_t comma = value.find(',');
  if (comma == std::string::npos)
    throw ECliUsage("bad value '" + value + "' for " + option + " (X,Y: two component numbers)");
  const auto largest = std::numeric_limits<TSize>::max();
  o.figure.x = static_cast<TSize>(PositiveNumber(option, value.substr(0, comma), largest));
  o.figure.y = static_cast<TSize>(PositiveNumber(option, value.substr(comma + 1), largest));
  if (o.figure.x == o.figure.y)
    throw ECliUsage("bad value '" + value + "' for " + option + " (two different components)");
}

// A data-matrix file is text of its own kind: a name that promises a
// workbook, a table or an export would mislead whoever opens it.
std::string DataMatrixName(const std::string& option, const std::string& value) {
  const std::string extension = LowerExtension(value);
  for (const char* other : {"xlsx", "xls", "ods", "csv", "tsv", "json", "sdf"}) {
    if (extension == other)
      throw ECliUsage(option + " writes a data-matrix file (.nts); '" + value + "' names a " +
                      extension + " file");
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
       o.method = Choose(n, v, MethodChoices());
     }},
    {"--transform", nullptr, "none|log10|ln", "transformation of the data (default none)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.transformation = Choose(n, v, TransformChoices());
     }},
    {"--rule", nullptr, "all|kaiser|joliffe", "which eigenvalues are listed (default all)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.factorRule = Choose(n, v, RuleChoices());
     }},
    {"--factors", nullptr, "N",
     "components shown (default: the number of variables; beyond 255 variables 10, "
     "at most objects - 1)",
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
    {"--missing", nullptr, "refuse|omit|impute",
     "tables: refuse missing values (default), leave out their objects, or impute them by "
     "iterative PCA",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.table.missing = Choose(n, v, MissingPolicyChoices());
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
    {"--supplementary", nullptr, "FILE",
     "objects placed on the axes without taking part, from a file with the same variables "
     "(repeatable)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.supplementaryFiles.push_back(FileName(n, v));
     }},
    {"--supplementary-rows", nullptr, "COLUMN=VALUE[,VALUE...]",
     "the objects whose COLUMN (group, label or a table's column) has a VALUE are supplementary",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       const std::size_t equals = v.find('=');
       if (equals == std::string::npos || equals == 0 || equals + 1 == v.size())
         throw ECliUsage("bad value '" + v + "' for " + n + " (COLUMN=VALUE[,VALUE...])");
       o.supplementaryRowsColumn = v.substr(0, equals);
       o.supplementaryRowsValues.clear();
       std::size_t start = equals + 1;
       for (;;) {
         const std::size_t comma = v.find(',', start);
         o.supplementaryRowsValues.push_back(v.substr(start, comma - start));
         if (o.supplementaryRowsValues.back().empty())
           throw ECliUsage("bad value '" + v + "' for " + n + " (COLUMN=VALUE[,VALUE...])");
         if (comma == std::string::npos) break;
         start = comma + 1;
       }
     }},
    {"--supplementary-variables", nullptr, "LIST",
     "tables: columns correlated with the components (numbers) or grouped (texts), not analysed",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.table.supplementaryColumns = ColumnList(n, v);
     }},
    {"--save-data", nullptr, "OUT.nts", "write the loaded data as a data-matrix file",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.saveData = DataMatrixName(n, FileName(n, v));
     }},
    {"--save-data-imputed", nullptr, nullptr,
     "--save-data writes imputed values too (the file cannot mark them)",
     [](TCliOptions& o, const std::string&, const std::string&) { o.saveDataImputed = true; }},
    {"--impute-components", nullptr, "S",
     "--missing impute: the components kept (default: chosen by generalised cross-validation)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.imputeComponents = WholeNumber(n, v);
     }},
    {"--impute-max-share", nullptr, "F",
     "--missing impute: the largest share of missing cells imputed (default 0.5)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.maxMissingShare = Share(n, v);
     }},
    {"--figure", nullptr, "KIND=OUT.{png,svg,pdf}",
     "draw a plot, repeatable; KIND: scores, vectors, scree, biplot, influence, "
     "correlation-circle",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.figures.push_back(Figure(n, v));
     }},
    {"--figure-size", nullptr, "WxH[cm|in|px]", "the figures' size (default 17x12cm)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       FigureSize(o, n, v);
       o.figureOptionsGiven = true;
     }},
    {"--figure-dpi", nullptr, "N", "the figures' resolution, 30 to 2400 (default 300)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       const unsigned long long dpi = PositiveNumber(n, v, 2400);
       if (dpi < 30) throw ECliUsage("bad value '" + v + "' for " + n + " (30 to 2400)");
       o.figure.dpi = static_cast<unsigned>(dpi);
       o.figureOptionsGiven = true;
     }},
    {"--figure-components", nullptr, "X,Y",
     "the components on the scatter plots' axes (default 1,2)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       FigureComponents(o, n, v);
       o.figureOptionsGiven = true;
     }},
    {"--figure-regions", nullptr, "R",
     "none, concentration or mean: the groups' 95% ellipses (default none)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.figure.regions = Choose(n, v, RegionChoices);
       o.figureOptionsGiven = true;
     }},
    {"--figure-hulls", nullptr, nullptr, "the convex hull of each group",
     [](TCliOptions& o, const std::string&, const std::string&) {
       o.figure.hulls = true;
       o.figureOptionsGiven = true;
     }},
    {"--figure-labels", nullptr, "none|names|values",
     "the points' labels (default names; left out where crowded)",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.figure.labels = Choose(n, v, LabelChoices);
       o.figureOptionsGiven = true;
     }},
    {"--figure-supplementary", nullptr, "none|bars|ellipses",
     "the supplementary objects' 95% jackknife error bars (default) or joint ellipses",
     [](TCliOptions& o, const std::string& n, const std::string& v) {
       o.figure.supplementary = Choose(n, v, SupplementaryMarkChoices);
       o.figureOptionsGiven = true;
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
       !options.diagnostics.empty() || !options.results.empty() || !options.figures.empty())) {
    throw ECliUsage(
        "--check writes no listing or export; leave out --report, --scores, --vectors, "
        "--diagnostics, --results and --figure");
  }
  if (options.figureOptionsGiven && options.figures.empty())
    throw ECliUsage(
        "--figure-size, --figure-dpi, --figure-components, --figure-regions, "
        "--figure-hulls, --figure-labels and --figure-supplementary apply to --figure");
  for (const TCliFigure& figure : options.figures) {
    if (figure.kind == TCliFigureKind::Influence && !options.jackknife)
      throw ECliUsage("--figure influence needs the jackknife; leave out --no-jackknife");
    if (figure.kind == TCliFigureKind::CorrelationCircle &&
        options.method != DispersionMethod::Correlation)
      throw ECliUsage("--figure correlation-circle needs --method correlation");
  }
  const auto isCsv = [](const std::string& path) { return HasExtension(path, "csv"); };
  if (options.labelled && !isCsv(options.scores) && !isCsv(options.vectors))
    throw ECliUsage("--labelled applies to a .csv export of --scores or --vectors");
  if (!files.empty() && options.tableOptionsGiven && !IsTableFile(files[0])) {
    throw ECliUsage(
        "--sheet, --labels, --group, --variables, --missing, --missing-markers, --separator, "
        "--header, --decimal-comma and --decimal-point apply to tables (.csv, .tsv, .txt, "
        ".xlsx, .ods) only");
  }
  if (!files.empty() && !options.table.supplementaryColumns.empty() && !IsTableFile(files[0]))
    throw ECliUsage(
        "--supplementary-variables applies to tables (.csv, .tsv, .txt, .xlsx, .ods) only");
  if ((options.imputeComponents || options.maxMissingShare != DefaultMaxMissingShare) &&
      options.table.missing != TMissingPolicy::Impute)
    throw ECliUsage("--impute-components and --impute-max-share apply to --missing impute");
  if (options.saveDataImputed && options.saveData.empty())
    throw ECliUsage("--save-data-imputed applies to --save-data");
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
