"""TALVEX: principal components analysis with jackknife estimates.

The same core as the desktop program and ``talvex-cli``: the numbers, the
listing and the full results agree with theirs.

    import talvex
    data = talvex.read("iris.nts")
    result = talvex.pca(data, method="covariance", transform="ln")
    print(result.listing())
    result.eigenvector_table          # a DataFrame labelled by variable and axis

Data can also come from numpy or pandas (``talvex.Data``). Errors are
``talvex.Error`` and its subclasses, with the program's messages and places.
``talvex.jackknife_part`` and ``talvex.jackknife_merge`` split the jackknife
over processes or machines (see examples/dask_jackknife.py).
"""

import sys as _sys
import warnings as _warnings

import numpy as _np

from . import _core
from ._core import ArithmeticFault, Cancelled, DataError, Error, FileError, JackknifePart

__version__ = _core.__version__

__all__ = [
    "ArithmeticFault", "Cancelled", "Data", "DataError", "Error", "FileError", "JackknifePart",
    "JackknifeResult", "Result", "TalvexWarning", "jackknife_merge", "jackknife_part", "pca",
    "read",
]


class TalvexWarning(UserWarning):
    """What talvex-cli tells as a warning: values the decimal logarithms take
    as 0, axes the jackknife's reduced samples exchanged, ..."""


class Data:
    """The data of a run: values (objects by variables), labels and groups.

    ``Data(values, labels=None, groups=None, names=None, missing="refuse")``
    takes a two-dimensional numpy array or a pandas DataFrame. From a
    DataFrame the index gives the object labels (unless it is the default
    0, 1, 2, ...), the numeric columns the variables, and a categorical or
    text column the groups (``groups`` may name it). NaN is a missing value:
    refused (``missing="refuse"``, the error names the row and the column)
    or its objects left out (``missing="omit"``), or kept and imputed by
    iterative PCA at the run (``missing="impute"``), as tables are read.
    """

    def __init__(self, values, labels=None, groups=None, names=None, missing="refuse", title=""):
        group_name = ""
        # A DataFrame means pandas is loaded already: numpy users are not made
        # to wait for its import (a third of a second) on their first call.
        pd = _sys.modules.get("pandas")
        if pd is not None and isinstance(values, pd.DataFrame):
            frame = values
            if isinstance(groups, str):
                group_name = groups
                groups = frame[groups]
                frame = frame.drop(columns=[group_name])
            elif groups is None:
                texts = [c for c in frame.columns
                         if not pd.api.types.is_numeric_dtype(frame[c])
                         or isinstance(frame[c].dtype, pd.CategoricalDtype)]
                if len(texts) > 1:
                    raise DataError("More than one text column\nthe columns %s could each be the "
                                    "groups: name one with groups=" % ", ".join(map(repr, texts)))
                if texts:
                    group_name = str(texts[0])
                    groups = frame[texts[0]]
                    frame = frame.drop(columns=texts)
            if labels is None and not isinstance(frame.index, pd.RangeIndex):
                labels = frame.index
            if names is None:
                names = frame.columns
            values = frame.to_numpy(dtype=float)
            if not title:
                title = "DataFrame"
        if groups is not None:
            groups = ["" if g is None or (isinstance(g, float) and _np.isnan(g)) else str(g)
                      for g in groups]
        self._core = _core.data_of_values(
            _np.asarray(values, dtype=float),
            None if labels is None else [str(x) for x in labels],
            None if names is None else [str(x) for x in names],
            groups, group_name, title, missing)

    @classmethod
    def _wrap(cls, core):
        data = cls.__new__(cls)
        data._core = core
        return data

    def __getstate__(self):
        return self._core

    def __setstate__(self, core):
        self._core = core

    object_count = property(lambda self: self._core.object_count)
    variable_count = property(lambda self: self._core.variable_count)
    object_labels = property(lambda self: self._core.object_labels)
    variable_names = property(lambda self: self._core.variable_names)
    groups = property(lambda self: self._core.groups or None)
    title = property(lambda self: self._core.title)
    notes = property(lambda self: self._core.notes, doc="What the reader decided or left out.")
    values = property(lambda self: self._core.values, doc="The values, objects by variables.")

    def frame(self):
        """The values as a DataFrame labelled by object and variable."""
        import pandas as pd
        frame = pd.DataFrame(self.values, index=pd.Index(self.object_labels, name="Object"),
                             columns=self.variable_names)
        if self.groups:
            frame.insert(0, self._core.group_name or "Group", self.groups)
        return frame

    def __repr__(self):
        return "<talvex.Data %r: %d objects, %d variables>" % (
            self.title, self.object_count, self.variable_count)


_SEPARATORS = {"comma": ",", "semicolon": ";", "tab": "\t", "space": " "}


def read(path, sheet="", labels="", group="", variables=None, missing="refuse", separator=None,
         decimal_comma=None, header=None, missing_markers=None):
    """Reads a data file as ``talvex-cli`` reads it: a table (.csv, .tsv, .txt,
    .xlsx, .ods) with its columns given or detected, anything else as a
    data-matrix file. Columns are named by heading or 1-based number; ``"-"``
    is none; ``separator`` is a character or "comma", "semicolon", "tab",
    "space"; ``missing_markers`` the cell texts that mean a missing value
    (default "", NA, NaN, ., ?, -). A refused file raises DataError with
    ``line`` and ``column``."""
    if variables is not None and isinstance(variables, str):
        variables = [v for v in variables.split(",") if v]
    if variables is not None:
        variables = [str(v) for v in variables]
    separator = _SEPARATORS.get(separator, separator)
    if missing_markers is not None:
        missing_markers = [str(m) for m in missing_markers]
    return Data._wrap(_core.read(str(path), str(sheet), str(labels), str(group), variables,
                                 missing, separator, decimal_comma, header, missing_markers))


def _options(method="correlation", transform="none", factors=None, rule="all", jackknife=True,
             match_axes=False, threads=None, impute_components=None, impute_max_share=None):
    return {"method": method, "transform": transform, "factors": factors, "rule": rule,
            "jackknife": jackknife, "match_axes": match_axes, "threads": threads,
            "impute_components": impute_components, "impute_max_share": impute_max_share}


def _core_data(data):
    if isinstance(data, Data):
        return data._core
    return Data(data)._core


def pca(data, method="correlation", transform="none", factors=None, rule="all", jackknife=True,
        match_axes=False, threads=None, progress=None, impute_components=None,
        impute_max_share=None):
    """Principal components analysis of ``data`` (a Data, or what Data takes).

    method: "correlation" or "covariance"; transform: "none", "log10" or
    "ln"; factors: components shown (default all); rule: "all", "kaiser" or
    "joliffe" (the eigenvalues listed); jackknife: the leave-one-out
    estimates; match_axes: match the reduced samples' axes one-to-one in
    the diagnostics; threads: the jackknife's threads (default all cores);
    impute_components, impute_max_share: for data read with
    missing="impute", the components S of the iterative PCA (default chosen
    by generalised cross-validation) and the largest share of missing cells
    imputed (default 0.5);
    progress: None or a callable (step, done, total), called at each step
    and a few times a second in the jackknife. The run releases the GIL;
    Ctrl+C stops it within a second (KeyboardInterrupt)."""
    options = _options(method, transform, factors, rule, jackknife, match_axes, threads,
                       impute_components, impute_max_share)
    result = Result(_core.pca(_core_data(data), options, progress))
    for warning in result.warnings:
        _warnings.warn(warning, TalvexWarning, stacklevel=2)
    return result


def jackknife_part(data, options=None, first=1, last=None, progress=None):
    """The jackknife's reduced samples for the left-out objects first..last
    (1-based, inclusive) of the run ``pca(data, **options)`` would make; a
    JackknifePart, picklable, to be merged with jackknife_merge. A part
    holds (last - first + 1) x p x (factors + 2) numbers: few factors keep
    it small."""
    core = _core_data(data)
    given = dict(options or {})
    given.pop("progress", None)
    if last is None:
        last = core.object_count
    return _core.jackknife_part(core, _options(**given), int(first), int(last), progress)


def jackknife_merge(parts):
    """The jackknife of the whole run from parts that cover every object
    once, in any order: equal bit for bit to ``pca(...).jackknife``."""
    return JackknifeResult(_core.jackknife_merge(list(parts)))


class JackknifeResult:
    """Jackknife estimates with standard errors, P and 95% intervals (t with
    n - 1 degrees of freedom), as DataFrames and arrays: ``eigenvalues``
    (by axis), ``eigenvectors`` (by axis and variable), ``macs`` (by
    variable, None without allometry); ``arrays`` holds the numpy arrays."""

    _COLUMNS = [("estimate", "Estimate"), ("se", "SE"), ("p", "P"), ("lower", "Lower 95%"),
                ("upper", "Upper 95%")]

    def __init__(self, tables, variable_names=None):
        self.arrays = tables
        self._names = list(variable_names if variable_names is not None
                           else tables["variable_names"])
        self.axis_count = int(tables["axis_count"])

    def _frame(self, kind, index):
        import pandas as pd
        table = self.arrays[kind]
        return pd.DataFrame({title: table[key] for key, title in self._COLUMNS}, index=index)

    @property
    def eigenvalues(self):
        import pandas as pd
        p = len(self._names)
        return self._frame("eigenvalues", pd.RangeIndex(1, p + 1, name="Axis"))

    @property
    def eigenvectors(self):
        import pandas as pd
        index = pd.MultiIndex.from_product([range(1, self.axis_count + 1), self._names],
                                           names=["Axis", "Variable"])
        return self._frame("vectors", index)

    @property
    def macs(self):
        import pandas as pd
        if len(self.arrays["macs"]["estimate"]) == 0:
            return None
        return self._frame("macs", pd.Index(self._names, name="Variable"))

    def __eq__(self, other):
        if not isinstance(other, JackknifeResult):
            return NotImplemented
        return all(_np.array_equal(self.arrays[k][c], other.arrays[k][c], equal_nan=True)
                   for k in ("eigenvalues", "vectors", "macs") for c, _ in self._COLUMNS)

    __hash__ = None


class Result:
    """What one run made. numpy arrays: ``eigenvalues``, ``eigenvectors``
    (variables by shown axes), ``scores`` (objects by shown axes),
    ``dispersion``, ``correlations``, ``means``, ``deviations``, ``macs``;
    DataFrames labelled by object and variable: ``basic_statistics``,
    ``dispersion_table``, ``eigenvalue_table``, ``eigenvector_table``,
    ``score_table``, ``correlation_table``, ``mac_table``, ``influence``,
    ``axis_exchanges`` and the rest of ``tables`` (every table --results
    writes); ``jackknife`` (a JackknifeResult, or None); ``diagnostics``;
    ``warnings``; ``listing()``; ``save_results(path)``."""

    def __init__(self, core):
        self._core = core
        self._tables = None

    def listing(self, line_end="\n"):
        """The report listing, the text talvex-cli prints."""
        return self._core.listing(line_end).decode("utf-8", errors="surrogateescape")

    def save_results(self, path):
        """Writes every table as --results does: "*.xlsx", "*.json" or a folder
        (a path ending in "/"). Returns the files of an earlier run that a
        folder no longer holds."""
        return self._core.save_results(str(path))

    object_labels = property(lambda self: self._core.object_labels)
    variable_names = property(lambda self: self._core.variable_names)
    factor_count = property(lambda self: self._core.factor_count)
    trace = property(lambda self: self._core.trace)
    eigenvalues = property(lambda self: self._core.eigenvalues)
    eigenvectors = property(lambda self: self._core.eigenvectors)
    scores = property(lambda self: self._core.scores)
    dispersion = property(lambda self: self._core.dispersion)
    correlations = property(lambda self: self._core.correlations)
    means = property(lambda self: self._core.means)
    deviations = property(lambda self: self._core.deviations)
    macs = property(lambda self: self._core.macs)
    diagnostics = property(lambda self: self._core.diagnostics)
    warnings = property(lambda self: self._core.warnings,
                        doc="The warnings of the run, as talvex-cli tells them.")
    command_line = property(lambda self: self._core.command_line,
                            doc="The talvex-cli command line that makes the same run.")

    @property
    def jackknife(self):
        tables = self._core.jackknife
        if tables is None:
            return None
        return JackknifeResult(tables, self.variable_names)

    @property
    def tables(self):
        """Every table --results writes, by its name, as DataFrames."""
        if self._tables is None:
            self._tables = {name: _frame(name, headings, rows)
                            for name, headings, rows in self._core.tables()}
        return self._tables

    def _table(self, *names):
        for name in names:
            if name in self.tables:
                return self.tables[name]
        return None

    basic_statistics = property(lambda self: self._table("Basic statistics"))
    dispersion_table = property(lambda self: self._table("Correlation matrix", "Covariance matrix"))
    eigenvalue_table = property(lambda self: self._table("Eigenvalues"))
    eigenvector_table = property(lambda self: self._table("Eigenvectors"))
    score_table = property(lambda self: self._table("Scores"))
    correlation_table = property(lambda self: self._table("Component-variable correlations"))
    mac_table = property(lambda self: self._table("MACs"))
    influence = property(lambda self: self._table("Influence"))
    axis_exchanges = property(lambda self: self._table("Axis exchanges"))
    run_record = property(lambda self: self._table("Run"))

    def __repr__(self):
        return "<talvex.Result: %d objects, %d variables, %d axes shown>" % (
            len(self.object_labels), len(self.variable_names), self.factor_count)


# The columns that label a table's rows become its index.
_INDEX_COLUMNS = ("Object", "Variable", "Axis", "Field")


def _frame(name, headings, rows):
    import pandas as pd
    frame = pd.DataFrame(rows, columns=headings)
    keys = [h for h in headings[:2] if h in _INDEX_COLUMNS]
    if headings and headings[0] not in _INDEX_COLUMNS:
        keys = []
    elif len(keys) == 2 and name not in ("JK eigenvectors",):
        keys = keys[:1]
    for key in keys:
        if key == "Axis":
            frame[key] = frame[key].astype(int)
    return frame.set_index(keys) if keys else frame
