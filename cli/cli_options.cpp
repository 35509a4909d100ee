// Parsing of talvex-cli's command line.
#include "cli/cli_options.h"

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

// The options that take a value.
bool TakesValue(const std::string& name) {
  for (const char* option : {"--method", "--transform", "--rule", "--factors", "--report",
                             "--scores", "--vectors", "--threads"}) {
    if (name == option) return true;
  }
  return false;
}

void Apply(TCliOptions& options, const std::string& name, const std::string& value) {
  if (name == "--method") {
    options.method = Choose(name, value, MethodChoices);
  } else if (name == "--transform") {
    options.transformation = Choose(name, value, TransformChoices);
  } else if (name == "--rule") {
    options.factorRule = Choose(name, value, RuleChoices);
  } else if (name == "--factors") {
    options.factors =
        static_cast<TSize>(PositiveNumber(name, value, std::numeric_limits<TSize>::max()));
  } else if (name == "--threads") {
    options.threads = static_cast<unsigned>(PositiveNumber(name, value, 1024));
  } else if (name == "--report" || name == "--scores" || name == "--vectors") {
    if (value.empty()) throw ECliUsage("option '" + name + "' needs a file name");
    (name == "--report"   ? options.report
     : name == "--scores" ? options.scores
                          : options.vectors) = value;
  }
}

// The options without a value; false for an unknown option.
bool ApplyFlag(TCliOptions& options, const std::string& name) {
  if (name == "--jackknife") {
    options.jackknife = true;
  } else if (name == "--no-jackknife") {
    options.jackknife = false;
  } else if (name == "--check") {
    options.check = true;
  } else if (name == "--progress") {
    options.progress = true;
  } else if (name == "--help" || name == "-h") {
    options.help = true;
  } else if (name == "--version") {
    options.version = true;
  } else {
    return false;
  }
  return true;
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
    if (TakesValue(name)) {
      if (equals != std::string::npos) {
        Apply(options, name, argument.substr(equals + 1));
      } else if (i + 1 < arguments.size()) {
        Apply(options, name, arguments[++i]);
      } else {
        throw ECliUsage("option '" + name + "' needs a value");
      }
    } else if (equals != std::string::npos) {
      TCliOptions probe;
      throw ECliUsage(ApplyFlag(probe, name) ? "option '" + name + "' takes no value"
                                             : "unknown option '" + name + "'");
    } else if (!ApplyFlag(options, name)) {
      throw ECliUsage("unknown option '" + name + "'");
    }
  }
  if (options.check &&
      (!options.report.empty() || !options.scores.empty() || !options.vectors.empty())) {
    throw ECliUsage(
        "--check writes no listing or export; leave out --report, --scores and "
        "--vectors");
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
  return "Usage: talvex-cli [OPTIONS] FILE\n"
         "Principal components analysis with jackknife estimates of a data-matrix file.\n"
         "\n"
         "  --method correlation|covariance   dispersion matrix (default correlation)\n"
         "  --transform none|log10|ln         transformation of the data (default none)\n"
         "  --rule all|kaiser|joliffe         which eigenvalues are listed (default all)\n"
         "  --factors N                       components shown (default: the number of variables)\n"
         "  --jackknife | --no-jackknife      jackknife estimates (default on)\n"
         "  --report OUT.txt                  write the listing there (- or default: standard "
         "output)\n"
         "  --scores OUT.{xls,csv,sdf,xlsx}   export the component scores\n"
         "  --vectors OUT.{xls,csv,sdf,xlsx}  export the vector coefficients\n"
         "  --check                           read and validate the file only\n"
         "  --threads N                       worker threads for the jackknife (default and most: "
         "all cores)\n"
         "  --progress                        show the steps and the jackknife's progress on "
         "standard error\n"
         "  --help                            show this text\n"
         "  --version                         show the program's version\n"
         "\n"
         "Exit status: 0 success, 1 a refused or failing file, run or output, 2 a usage\n"
         "error, 130 or 143 interrupted by SIGINT or SIGTERM.\n";
}

}  // namespace talvex
