// TCliOptions: the command line of talvex-cli, parsed. A malformed command line
// raises ECliUsage, which the front end turns into exit status 2.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_options.h"
#include "base/exception.h"
#include "numeric/dispersion_method.h"
#include "numeric/sizes.h"
#include "tables/table_import.h"

namespace talvex {

/// The plots --figure draws.
enum class TCliFigureKind { Scores, Vectors, Scree, Biplot, Influence, CorrelationCircle };

/// What --figure-regions draws around each group's points.
enum class TCliFigureRegions { None, Concentration, Mean };

/// How --figure-supplementary draws the supplementary objects' uncertainty.
enum class TCliSupplementaryMarks { None, Bars, Ellipses };

/// What --figure-labels writes beside the points.
enum class TCliFigureLabels { None, Names, Values };

struct TCliFigure {
  TCliFigureKind kind = TCliFigureKind::Scores;
  std::string path;  // .png, .svg or .pdf
};

/// How every --figure is drawn: the desktop's export defaults.
struct TCliFigureOptions {
  double width = 17.0;  // in `unit`
  double height = 12.0;
  char unit = 'c';  // 'c' centimetres, 'i' inches, 'p' pixels
  unsigned dpi = 300;
  TSize x = 1;  // the components on the two axes of the scatter plots
  TSize y = 2;
  TCliFigureRegions regions = TCliFigureRegions::None;
  bool hulls = false;
  TCliFigureLabels labels = TCliFigureLabels::Names;
  TCliSupplementaryMarks supplementary = TCliSupplementaryMarks::Bars;
};

struct TCliOptions {
  DispersionMethod method = DispersionMethod::Correlation;
  DataTransform transformation = DataTransform::TransformRaw;
  FactorRule factorRule = FactorRule::FactorsAll;
  std::optional<TSize> factors;  // absent: the number of variables
  bool jackknife = true;
  std::string report;               // listing file (CR LF line ends); empty: standard output
  std::string scores;               // component scores export; empty: none
  std::string vectors;              // vector coefficients export; empty: none
  std::string diagnostics;          // the diagnostics report; empty: none
  std::string results;              // all results: .xlsx, .json or a folder ending in '/'
  bool matchAxes = false;           // diagnostics: match axes before aligning signs
  bool labelled = false;            // csv exports with the labels as first column
  bool check = false;               // read and validate only
  std::optional<unsigned> threads;  // absent: all cores
  bool progress = false;
  bool help = false;
  bool version = false;
  std::string file;  // the data file
  // Tables (csv, tsv, txt, xlsx, ods): what the user says of the columns.
  TImportOptions table;
  bool tableOptionsGiven = false;  // some option above was given (tables only)
  std::string saveData;            // write the loaded data as a data-matrix file; empty: no
  bool groupsFromLabels = false;   // groups from the object labels when the data have none
  // Supplementary items, placed on the axes without taking part.
  std::vector<std::string> supplementaryFiles;  // objects of other files, matched by variable name
  std::string supplementaryRowsColumn;          // rows picked by this column's value; empty: none
  std::vector<std::string> supplementaryRowsValues;
  std::vector<TCliFigure> figures;  // the plots to draw, in order
  TCliFigureOptions figure;
  bool figureOptionsGiven = false;  // some --figure-... option was given

  // Missing values imputed: --save-data may write them; S, absent: chosen;
  // the largest share of the cells imputed.
  bool saveDataImputed = false;
  std::optional<TSize> imputeComponents;
  double maxMissingShare = DefaultMaxMissingShare;
};

/// A command line that cannot be run: unknown option, missing or bad value,
/// no data file or more than one.
class ECliUsage : public Exception {
 public:
  using Exception::Exception;
};

/// Parses the arguments after the program name. Options and the file may stand
/// in any order; "--name=value" equals "--name value"; "--" ends the options.
/// The data file may be absent only with --help or --version.
TCliOptions ParseCliOptions(const std::vector<std::string>& arguments);

/// The two-line hint printed after a usage error.
std::string ShortUsage();

/// The full option list printed by --help.
std::string HelpText();

}  // namespace talvex
