// talvex._core: the core's entry point for Python. Data, runs and their
// outcomes, and the jackknife in parts; the package (talvex/__init__.py)
// turns what this returns into numpy arrays and labelled data frames.
//
// Every call into the core runs with the floating-point flags set aside
// (TFloatFlagsGuard); runs release the interpreter's lock and are followed
// by a TPythonObserver, so that threads go on and Ctrl+C stops them.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <memory>
#include <optional>

#include "analysis/transform_warnings.h"
#include "float_flags_guard.h"
#include "python_errors.h"
#include "python_observer.h"
#include "talvex/all_results.h"
#include "talvex/data_sources.h"
#include "talvex/jackknife_parts.h"
#include "talvex/option_names.h"
#include "talvex/talvex.h"

namespace py = pybind11;
using namespace talvex;
using talvex::python::TFloatFlagsGuard;
using talvex::python::TPythonObserver;

namespace {

using TArray = py::array_t<double>;

// The data of a run, never changed once made; runs take a copy.
struct TData {
  std::shared_ptr<const TRunData> run;
};

// A completed run.
struct TOutcome {
  std::shared_ptr<const TRunOutcome> outcome;
};

// A part of a jackknife with the names of the variables it concerns and
// the diagnostics' choice of its run, which the merge makes them with.
struct TPart {
  TJackknifePart part;
  std::vector<std::string> variableNames;
  bool matchAxes = false;
};

TArray Vector(const double* values, std::size_t count) {
  TArray array(static_cast<py::ssize_t>(count));
  std::copy_n(values, count, array.mutable_data());
  return array;
}

TArray Vector(const std::vector<double>& values) { return Vector(values.data(), values.size()); }

// rows x cols of a matrix (1-based columns, each MaxRows() apart).
TArray Matrix(const TFloatMatrix& matrix, TSize rows, TSize cols) {
  TArray array({py::ssize_t(rows), py::ssize_t(cols)});
  auto out = array.mutable_unchecked<2>();
  for (TSize c = 1; c <= cols; ++c) {
    const double* column = matrix.Column(c);
    for (TSize r = 0; r < rows; ++r) out(r, c - 1) = column[r];
  }
  return array;
}

TArray Rows(const std::vector<double>& values, TSize rows, TSize cols) {
  TArray array({py::ssize_t(rows), py::ssize_t(cols)});
  std::copy_n(values.data(), values.size(), array.mutable_data());
  return array;
}

TRunOptions OptionsOf(const py::dict& given) {
  const auto get = [&](const char* key) {
    return given.contains(key) ? py::object(given[key]) : py::object(py::none());
  };
  TRunOptions options;
  if (const py::object v = get("method"); !v.is_none())
    options.analysis.method = MethodNamed(v.cast<std::string>());
  if (const py::object v = get("transform"); !v.is_none())
    options.analysis.transformation = TransformNamed(v.cast<std::string>());
  if (const py::object v = get("rule"); !v.is_none())
    options.analysis.factorRule = RuleNamed(v.cast<std::string>());
  if (const py::object v = get("jackknife"); !v.is_none())
    options.analysis.jackknife = v.cast<bool>();
  if (const py::object v = get("factors"); !v.is_none()) {
    const long long factors = v.cast<long long>();
    if (factors < 1) throw Exception("The number of factors must be at least 1");
    options.factorCount = TSize(factors);
  }
  if (const py::object v = get("impute_components"); !v.is_none()) {
    const long long components = v.cast<long long>();
    if (components < 0) throw Exception("The number of imputation components must be at least 0");
    options.analysis.imputeComponents = TSize(components);
  }
  if (const py::object v = get("impute_max_share"); !v.is_none())
    options.analysis.maxMissingShare = v.cast<double>();
  if (const py::object v = get("match_axes"); !v.is_none())
    options.diagnostics.matchAxes = v.cast<bool>();
  if (const py::object v = get("threads"); !v.is_none()) {
    const long long threads = v.cast<long long>();
    if (threads < 1) throw Exception("The number of threads must be at least 1");
    options.threads = unsigned(threads);
  }
  return options;
}

std::vector<std::string> Strings(const py::object& given) {
  if (given.is_none()) return {};
  return given.cast<std::vector<std::string>>();
}

TData Read(const std::string& path, const std::string& sheet, const std::string& labels,
           const std::string& group, const py::object& variables, const std::string& missing,
           const py::object& separator, const py::object& decimalComma, const py::object& header,
           const py::object& missingMarkers) {
  TImportOptions table;
  table.sheet = sheet;
  table.labelsColumn = labels;
  table.groupColumn = group;
  table.variables = Strings(variables);
  table.missing = MissingPolicyNamed(missing);
  if (!separator.is_none()) {
    const std::string text = separator.cast<std::string>();
    if (text.size() != 1) throw Exception("The separator must be one character");
    table.separator = text[0];
  }
  if (!decimalComma.is_none()) table.decimalComma = decimalComma.cast<bool>();
  if (!header.is_none()) table.header = header.cast<bool>();
  if (!missingMarkers.is_none()) table.missingMarkers = Strings(missingMarkers);
  TFloatFlagsGuard flags;
  py::gil_scoped_release unlocked;
  return {std::make_shared<const TRunData>(ReadRunData(path, table))};
}

TData OfValues(const py::array_t<double, py::array::forcecast>& values,
               const py::object& objectLabels, const py::object& variableNames,
               const py::object& groups, const std::string& groupName, const std::string& title,
               const std::string& name, const std::string& missing) {
  if (values.ndim() != 2) throw py::value_error("the values must be a two-dimensional array");
  // A column-major array (a data frame's columns) is taken as it lies.
  const bool columnMajor =
      (values.flags() & py::array::f_style) != 0 && (values.flags() & py::array::c_style) == 0;
  py::array_t<double, py::array::forcecast> held = values;
  if (!columnMajor && (values.flags() & py::array::c_style) == 0)
    held = py::array_t<double, py::array::c_style | py::array::forcecast>(values);
  TValueTable table;
  table.objectCount = TSize(held.shape(0));
  table.variableCount = TSize(held.shape(1));
  table.values = std::span<const double>(held.data(), std::size_t(held.size()));
  table.columnMajor = columnMajor;
  table.objectLabels = Strings(objectLabels);
  table.variableNames = Strings(variableNames);
  table.groups = Strings(groups);
  table.groupName = groupName;
  table.title = title;
  table.name = name;
  const TMissingPolicy policy = MissingPolicyNamed(missing);
  TFloatFlagsGuard flags;
  py::gil_scoped_release unlocked;
  return {std::make_shared<const TRunData>(RunDataOfValues(table, policy))};
}

// Runs `work` with the lock released, followed by an observer; a Python error
// raised while it ran (Ctrl+C, the callback's) is raised in its place.
template <typename TWork>
auto Observed(const py::object& progress, TWork work) {
  TPythonObserver observer(progress);
  TFloatFlagsGuard flags;
  auto result = [&] {
    try {
      py::gil_scoped_release unlocked;
      return work(observer);
    } catch (const ERunCancelled&) {
      observer.RaiseStoredError();
      throw;
    }
  }();
  // Ctrl+C after the last poll, or a callback's error in a run that nothing
  // could stop, is raised all the same: the signal was taken from Python.
  observer.RaiseStoredError();
  return result;
}

TOutcome Pca(const TData& data, const py::dict& given, const py::object& progress) {
  const TRunOptions options = OptionsOf(given);
  return Observed(progress, [&](TPythonObserver& observer) {
    TAnalysis analysis;
    analysis.Compute(*data.run, options, {.observer = &observer});
    return TOutcome{analysis.Outcome()};
  });
}

TPart Part(const TData& data, const py::dict& given, long long first, long long last,
           const py::object& progress) {
  const TRunOptions options = OptionsOf(given);
  if (first < 1 || last < first || last > (long long)data.run->matrix.objectCount)
    throw py::value_error("first and last must satisfy 1 <= first <= last <= " +
                          std::to_string(data.run->matrix.objectCount));
  return Observed(progress, [&](TPythonObserver& observer) {
    return TPart{ComputeJackknifePart(*data.run, options, TSize(first), TSize(last),
                                      {.observer = &observer}),
                 data.run->matrix.variableLabels, options.diagnostics.matchAxes};
  });
}

py::dict Statistics(const std::vector<TJackknifeStatistic>& statistics, TSize objectCount) {
  std::vector<double> estimate, se, p, lower, upper;
  for (const TJackknifeStatistic& s : statistics) {
    estimate.push_back(s.estimate);
    se.push_back(s.standardError);
    p.push_back(s.probability);
  }
  std::vector<std::pair<double, double>> intervals;
  {
    TFloatFlagsGuard flags;
    intervals = JackknifeIntervals(statistics, objectCount);
  }
  for (const auto& [low, high] : intervals) {
    lower.push_back(low);
    upper.push_back(high);
  }
  py::dict table;
  table["estimate"] = Vector(estimate);
  table["se"] = Vector(se);
  table["p"] = Vector(p);
  table["lower"] = Vector(lower);
  table["upper"] = Vector(upper);
  return table;
}

py::dict JackknifeTables(const TJackknifeResults& results, TSize objectCount) {
  py::dict tables;
  tables["axis_count"] = results.axisCount;
  tables["eigenvalues"] = Statistics(results.eigenvalues, objectCount);
  tables["vectors"] = Statistics(results.vectors, objectCount);
  tables["macs"] = Statistics(results.macs, objectCount);
  return tables;
}

py::dict DiagnosticsOf(const TDiagnostics& d) {
  py::dict out;
  out["available"] = d.available;
  if (!d.available) return out;
  const TSize n = d.objectCount, k = d.axisCount;
  out["influence"] = Vector(d.influence);
  out["eigenvalue_influence"] = Rows(d.eigenvalueInfluence, n, k);
  out["cosines"] = Rows(d.cosines, n, k);
  out["angles"] = Rows(d.angles, n, k);
  std::vector<TSize> exchanged;
  for (const TAxisExchanges& e : d.exchanges) exchanged.push_back(e.exchanged);
  out["exchanged"] = exchanged;
  out["influence_ranking"] = d.influenceRanking;
  out["influence_threshold"] = d.influenceThreshold;
  out["determined_axes"] = d.determinedAxes;
  out["warnings"] = d.warnings;
  out["match_axes"] = d.matchAxes;
  return out;
}

py::dict Merge(const std::vector<const TPart*>& parts) {
  if (parts.empty()) throw py::value_error("no parts to merge");
  TDiagnosticsOptions options;
  options.matchAxes = parts.front()->matchAxes;
  for (const TPart* part : parts)
    if (part->matchAxes != options.matchAxes)
      throw py::value_error("the parts were computed with different match_axes");
  TMergedJackknife results;
  {
    TFloatFlagsGuard flags;
    std::vector<const TJackknifePart*> pointers;
    for (const TPart* part : parts) pointers.push_back(&part->part);
    py::gil_scoped_release unlocked;
    results = MergeJackknifeParts(std::span<const TJackknifePart* const>(pointers), options);
  }
  py::dict merged = JackknifeTables(results.jackknife, parts.front()->part.objectCount);
  merged["variable_names"] = parts.front()->variableNames;
  merged["object_count"] = parts.front()->part.objectCount;
  merged["diagnostics"] = DiagnosticsOf(results.diagnostics);
  return merged;
}

// The tables of All Results, as (name, headings, rows) with numbers as floats.
py::list Tables(const TRunOutcome& outcome) {
  std::vector<TResultTable> tables;
  {
    TFloatFlagsGuard flags;
    tables = OutcomeTables(outcome);
  }
  py::list list;
  for (const TResultTable& table : tables) {
    py::list rows;
    for (const std::vector<TResultCell>& row : table.rows) {
      py::list cells;
      for (const TResultCell& cell : row) {
        if (cell.isNumber && cell.text.empty()) {
          cells.append(py::float_(cell.number));
        } else {
          cells.append(py::str(cell.text));
        }
      }
      rows.append(std::move(cells));
    }
    list.append(py::make_tuple(table.name, table.headings, std::move(rows)));
  }
  return list;
}

}  // namespace

PYBIND11_MODULE(_core, m) {
  m.doc() = "TALVEX: principal components analysis with jackknife estimates (the core)";
  m.attr("__version__") = ProgramVersion();
  talvex::python::RegisterErrors(m);

  py::class_<TData>(m, "Data", "The data of a run: values, labels and groups.")
      .def_property_readonly("object_count",
                             [](const TData& d) { return d.run->matrix.objectCount; })
      .def_property_readonly("variable_count",
                             [](const TData& d) { return d.run->matrix.variableCount; })
      .def_property_readonly("object_labels",
                             [](const TData& d) { return d.run->matrix.objectLabels; })
      .def_property_readonly("variable_names",
                             [](const TData& d) { return d.run->matrix.variableLabels; })
      .def_property_readonly("groups", [](const TData& d) { return d.run->matrix.groups; })
      .def_property_readonly("group_name", [](const TData& d) { return d.run->matrix.groupName; })
      .def_property_readonly("title", [](const TData& d) { return d.run->matrix.title; })
      .def_property_readonly("notes", [](const TData& d) { return d.run->matrix.notes; })
      .def_property_readonly("path", [](const TData& d) { return d.run->path; })
      .def_property_readonly("name",
                             [](const TData& d) {
                               // What the listing calls the data: the file, or the name given.
                               return d.run->path.empty() ? d.run->source.name : d.run->path;
                             })
      .def_property_readonly(
          "values",
          [](const TData& d) {
            const TDataMatrix& x = d.run->matrix;
            return Rows(std::vector<double>(x.values.Data(), x.values.Data() + x.valueCount),
                        x.objectCount, x.variableCount);
          })
      .def(py::pickle(
          [](const TData& d) {
            const TDataMatrix& x = d.run->matrix;
            return py::make_tuple(x.objectCount, x.variableCount,
                                  Vector(x.values.Data(), x.valueCount), x.objectLabels,
                                  x.variableLabels, x.groups, x.groupName, x.title, x.notes,
                                  d.run->path, d.run->source.name);
          },
          [](const py::tuple& t) {
            auto run = std::make_shared<TRunData>();
            TDataMatrix& x = run->matrix;
            x.objectCount = t[0].cast<TSize>();
            x.variableCount = t[1].cast<TSize>();
            x.valueCount = x.objectCount * x.variableCount;
            const TArray values = t[2].cast<TArray>();
            if (std::size_t(values.size()) != std::size_t(x.valueCount))
              throw py::value_error("damaged data");
            x.values = TFloatVector(x.valueCount);
            std::copy_n(values.data(), x.valueCount, x.values.Data());
            x.values.Extend(x.valueCount);
            x.objectLabels = t[3].cast<std::vector<std::string>>();
            x.variableLabels = t[4].cast<std::vector<std::string>>();
            x.groups = t[5].cast<std::vector<std::string>>();
            x.groupName = t[6].cast<std::string>();
            x.title = t[7].cast<std::string>();
            x.notes = t[8].cast<std::vector<std::string>>();
            run->path = t[9].cast<std::string>();
            if (run->path.empty()) {
              run->source.kind = TSourceKind::PastedData;
              if (t.size() > 10) run->source.name = t[10].cast<std::string>();
            }
            return TData{std::move(run)};
          }));

  py::class_<TOutcome>(m, "Outcome", "A completed run.")
      .def(
          "listing",
          [](const TOutcome& o, const std::string& lineEnd) {
            return py::bytes(o.outcome->Listing().Text(lineEnd));
          },
          py::arg("line_end") = "\n")
      .def("tables", [](const TOutcome& o) { return Tables(*o.outcome); })
      .def("save_results",
           [](const TOutcome& o, const std::string& path) {
             TFloatFlagsGuard flags;
             py::gil_scoped_release unlocked;
             return SaveAllResults(path, *o.outcome);
           })
      .def_property_readonly("factor_count",
                             [](const TOutcome& o) { return o.outcome->FactorCount(); })
      .def_property_readonly("object_count",
                             [](const TOutcome& o) { return o.outcome->Data().objectCount; })
      .def_property_readonly("variable_count",
                             [](const TOutcome& o) { return o.outcome->Data().variableCount; })
      .def_property_readonly("object_labels",
                             [](const TOutcome& o) { return o.outcome->Data().objectLabels; })
      .def_property_readonly("variable_names",
                             [](const TOutcome& o) { return o.outcome->Data().variableLabels; })
      .def_property_readonly("groups", [](const TOutcome& o) { return o.outcome->Data().groups; })
      .def_property_readonly("trace", [](const TOutcome& o) { return o.outcome->Results().trace; })
      .def_property_readonly("eigenvalues",
                             [](const TOutcome& o) {
                               const auto& r = o.outcome->Results();
                               return Vector(r.eigenvalues.Data(), o.outcome->Data().variableCount);
                             })
      .def_property_readonly("eigenvectors",
                             [](const TOutcome& o) {
                               const TSize p = o.outcome->Data().variableCount;
                               return Matrix(o.outcome->Results().eigenvectors, p,
                                             o.outcome->FactorCount());
                             })
      .def_property_readonly("scores",
                             [](const TOutcome& o) {
                               return Matrix(o.outcome->Results().scores,
                                             o.outcome->Data().objectCount,
                                             o.outcome->FactorCount());
                             })
      .def_property_readonly("means",
                             [](const TOutcome& o) {
                               const auto& t = o.outcome->Results().tables;
                               return Vector(t.means.Data(), o.outcome->Data().variableCount);
                             })
      .def_property_readonly("deviations",
                             [](const TOutcome& o) {
                               const auto& t = o.outcome->Results().tables;
                               return Vector(t.deviations.Data(), o.outcome->Data().variableCount);
                             })
      .def_property_readonly("dispersion",
                             [](const TOutcome& o) {
                               const TSize p = o.outcome->Data().variableCount;
                               return Matrix(o.outcome->Results().tables.dispersion, p, p);
                             })
      .def_property_readonly("correlations",
                             [](const TOutcome& o) {
                               return Matrix(o.outcome->Results().tables.correlations,
                                             o.outcome->Data().variableCount,
                                             o.outcome->FactorCount());
                             })
      .def_property_readonly("macs",
                             [](const TOutcome& o) -> py::object {
                               const auto& t = o.outcome->Results().tables;
                               if (!t.options.WithAllometry()) return py::none();
                               return Vector(t.macs.Data(), o.outcome->Data().variableCount);
                             })
      .def_property_readonly("jackknife",
                             [](const TOutcome& o) -> py::object {
                               const auto& j = o.outcome->Jackknife();
                               if (!j) return py::none();
                               return JackknifeTables(*j, o.outcome->Data().objectCount);
                             })
      .def_property_readonly(
          "diagnostics", [](const TOutcome& o) { return DiagnosticsOf(o.outcome->Diagnostics()); })
      .def_property_readonly("warnings",
                             [](const TOutcome& o) {
                               // What talvex-cli tells on standard error, in its order.
                               const TRunOutcome& run = *o.outcome;
                               std::vector<std::string> warnings =
                                   TransformWarnings(run.Data(), run.Results().tables.options);
                               for (const std::string& w : run.Diagnostics().warnings)
                                 warnings.push_back(w);
                               return warnings;
                             })
      .def_property_readonly("command_line",
                             [](const TOutcome& o) { return CommandLine(o.outcome->Record()); });

  py::class_<TPart>(m, "JackknifePart", "The jackknife's reduced samples of a range of objects.")
      .def_property_readonly("first", [](const TPart& p) { return p.part.first; })
      .def_property_readonly("last", [](const TPart& p) { return p.part.last; })
      .def_property_readonly("object_count", [](const TPart& p) { return p.part.objectCount; })
      .def_property_readonly("nbytes",
                             [](const TPart& p) { return p.part.samples.size() * sizeof(double); })
      .def("__repr__",
           [](const TPart& p) {
             return "<talvex.JackknifePart objects " + std::to_string(p.part.first) + " to " +
                    std::to_string(p.part.last) + " of " + std::to_string(p.part.objectCount) + ">";
           })
      .def(py::pickle(
          [](const TPart& p) {
            const TJackknifePart& j = p.part;
            return py::make_tuple(j.objectCount, j.variableCount, j.axisCount, j.first, j.last,
                                  Vector(j.eigenvalues), Vector(j.axes), Vector(j.macs),
                                  Vector(j.samples), p.variableNames, p.matchAxes);
          },
          [](const py::tuple& t) {
            const auto values = [](const py::handle& h) {
              const TArray a = h.cast<TArray>();
              return std::vector<double>(a.data(), a.data() + a.size());
            };
            TPart p;
            TJackknifePart& j = p.part;
            j.objectCount = t[0].cast<TSize>();
            j.variableCount = t[1].cast<TSize>();
            j.axisCount = t[2].cast<TSize>();
            j.first = t[3].cast<TSize>();
            j.last = t[4].cast<TSize>();
            j.eigenvalues = values(t[5]);
            j.axes = values(t[6]);
            j.macs = values(t[7]);
            j.samples = values(t[8]);
            p.variableNames = t[9].cast<std::vector<std::string>>();
            p.matchAxes = t.size() > 10 && t[10].cast<bool>();
            return p;
          }));

  m.def("read", &Read, py::arg("path"), py::arg("sheet"), py::arg("labels"), py::arg("group"),
        py::arg("variables"), py::arg("missing"), py::arg("separator"), py::arg("decimal_comma"),
        py::arg("header"), py::arg("missing_markers"));
  m.def("data_of_values", &OfValues, py::arg("values"), py::arg("object_labels"),
        py::arg("variable_names"), py::arg("groups"), py::arg("group_name"), py::arg("title"),
        py::arg("name"), py::arg("missing"));
  m.def("pca", &Pca, py::arg("data"), py::arg("options"), py::arg("progress"));
  m.def("jackknife_part", &Part, py::arg("data"), py::arg("options"), py::arg("first"),
        py::arg("last"), py::arg("progress"));
  m.def("jackknife_merge", &Merge, py::arg("parts"));
  m.attr("methods") = MethodNames();
  m.attr("transforms") = TransformNames();
  m.attr("rules") = RuleNames();
  m.attr("missing_policies") = MissingPolicyNames();
}
