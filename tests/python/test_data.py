"""Data from numpy and pandas, the labelled results, and the program's
errors as Python exceptions."""
import json
import os
import pickle

import numpy as np
import pandas as pd
import pytest

import talvex
from conftest import IRIS, masked, run_cli


@pytest.fixture(scope="module")
def iris():
    return talvex.read(IRIS)


def test_a_data_frame_gives_the_files_numbers_and_its_labels(iris):
    frame = pd.DataFrame(iris.values, index=iris.object_labels, columns=iris.variable_names)
    frame.insert(2, "species", pd.Categorical([label[:2] for label in iris.object_labels]))
    data = talvex.Data(frame)
    assert data.object_labels == iris.object_labels
    assert data.variable_names == iris.variable_names
    assert data.groups == [label[:2] for label in iris.object_labels]
    assert np.array_equal(data.values, iris.values)
    from_file, from_frame = talvex.pca(iris), talvex.pca(data)
    assert np.array_equal(from_file.scores, from_frame.scores)
    assert from_file.jackknife == from_frame.jackknife


def test_the_data_frames_carry_the_labels(iris):
    result = talvex.pca(iris, method="covariance", transform="ln", factors=3)
    p, n, k = iris.variable_count, iris.object_count, 3
    assert list(result.basic_statistics.index) == iris.variable_names
    assert list(result.dispersion_table.index) == iris.variable_names
    assert list(result.dispersion_table.columns) == iris.variable_names
    assert list(result.eigenvalue_table.index) == list(range(1, p + 1))
    assert list(result.eigenvector_table.index) == iris.variable_names
    assert list(result.eigenvector_table.columns) == ["Axis1", "Axis2", "Axis3"]
    assert list(result.score_table.index) == iris.object_labels
    assert list(result.correlation_table.index) == iris.variable_names
    assert list(result.mac_table.index) == iris.variable_names
    assert list(result.influence.index) == iris.object_labels
    # The frames hold the arrays' numbers.
    assert np.array_equal(result.score_table.to_numpy(dtype=float), result.scores)
    assert result.scores.shape == (n, k) and result.eigenvectors.shape == (p, k)
    assert np.array_equal(result.eigenvector_table.to_numpy(dtype=float), result.eigenvectors)
    assert np.array_equal(result.eigenvalue_table["Eigenvalue"].to_numpy(), result.eigenvalues)
    jk = result.jackknife
    assert list(jk.eigenvectors.index.get_level_values("Variable")[:p]) == iris.variable_names
    assert list(jk.macs.index) == iris.variable_names
    assert (jk.eigenvalues["Lower 95%"] <= jk.eigenvalues["Estimate"]).all()
    assert np.allclose(jk.eigenvalues["Estimate"], result.tables["JK eigenvalues"]["Estimate"])


def test_nan_is_refused_or_left_out_as_the_command_line_does(cli, tmp_path):
    values = np.array([[1.0, 2.0], [2.0, 3.5], [np.nan, 1.0], [4.0, 4.5], [5.0, 7.0]])
    labels = ["a", "b", "c", "d", "e"]
    frame = pd.DataFrame(values, index=labels, columns=["x", "y"])
    table = tmp_path / "values.csv"
    frame.to_csv(table, index_label="Object", na_rep="")
    status, _, err = run_cli(cli, table)
    with pytest.raises(talvex.DataError) as refused:
        talvex.Data(frame)
    assert status == 1 and "talvex-cli: " + refused.value.message in err
    assert refused.value.message == "Missing value in table"
    assert (refused.value.line, refused.value.column) == (3, "x")
    assert 'object "c"' in refused.value.detail

    status, out, _ = run_cli(cli, "--missing", "omit", table)
    data = talvex.Data(frame, missing="omit", title="values.csv")
    assert data.object_labels == ["a", "b", "d", "e"]
    assert data.notes[-1] == "1 object with missing values left out: c"
    listing = talvex.pca(data).listing()
    # The listings differ only in the input's name.
    strip = lambda text: [l for l in masked(text).splitlines() if not l.startswith("Input")]
    assert status == 0 and strip(listing) == strip(out)


def test_imputed_cells_give_the_command_line_listing(cli):
    # A frame with gaps, imputed by iterative PCA at the run, lists as the
    # same table does through the command line.
    air = os.path.join(os.path.dirname(__file__), "..", "analysis", "data", "airquality.csv")
    status, out, _ = run_cli(cli, "--missing", "impute", "--impute-components", "2", air)
    data = talvex.read(air, missing="impute")
    listing = talvex.pca(data, impute_components=2).listing()
    assert status == 0 and masked(listing) == masked(out)
    assert "missing values imputed by iterative PCA (2 components)" in listing


def test_a_refused_file_names_its_line_and_column(tmp_path):
    bad = tmp_path / "bad.nts"
    bad.write_text("'bad'\n1 3L 2L 0\na b c\nx y\n1 2\n3 four\n5 6\n")
    with pytest.raises(talvex.DataError) as refused:
        talvex.read(bad)
    assert refused.value.message == "Invalid numeric input"
    assert refused.value.line == 6 and refused.value.column == 2
    assert str(refused.value) == "Invalid numeric input\n%s: line 6: value 4 (object 2, variable 2)" % bad
    assert isinstance(refused.value, ValueError)
    table = tmp_path / "bad.csv"
    table.write_text("name,x,y\na,1,2\nb,2,1e999x\nc,3,4\n")
    with pytest.raises(talvex.DataError) as refused:
        talvex.read(table, variables=["x", "y"])
    assert refused.value.line == 3 and refused.value.column is not None
    with pytest.raises(talvex.FileError) as missing:
        talvex.read(tmp_path / "none.nts")
    assert isinstance(missing.value, OSError)


def test_run_errors_carry_the_programs_messages(iris):
    with pytest.raises(talvex.Error, match="The number of factors must be between 1 and 4"):
        talvex.pca(iris, factors=5)
    with pytest.raises(talvex.Error, match="Unknown method 'pearson'"):
        talvex.pca(iris, method="pearson")
    with pytest.raises(talvex.Error, match="Unknown missing-value policy 'drop'"):
        talvex.Data(np.ones((3, 2)), missing="drop")
    zeros = np.array([[1.0, 2.0], [0.0, 3.0], [2.0, 1.0]])
    with pytest.raises(talvex.ArithmeticFault) as fault:
        talvex.pca(zeros, transform="ln")
    assert isinstance(fault.value, ArithmeticError)
    with pytest.raises(talvex.Error, match="The labels do not match the values"):
        talvex.Data(np.ones((3, 2)), labels=["a", "b"])


def test_save_results_writes_what_results_writes(cli, iris, tmp_path):
    mine, theirs = tmp_path / "mine.json", tmp_path / "theirs.json"
    talvex.pca(iris, method="covariance", transform="log10").save_results(mine)
    status, _, _ = run_cli(cli, "--method", "covariance", "--transform", "log10", "--results",
                           theirs, IRIS)
    assert status == 0
    a, b = json.loads(mine.read_text()), json.loads(theirs.read_text())
    # The run record's date and time differ between runs; every other table agrees.
    drop = lambda d: {k: v for k, v in d.items() if k != "tables"}
    tables = lambda d: [t for t in d["tables"] if t.get("name") != "Run"]
    assert drop(a) == drop(b) and tables(a) == tables(b)
    folder = tmp_path / "folder/"
    talvex.pca(iris).save_results(str(folder) + "/")
    assert (folder / "scores.csv").exists()
    with pytest.raises(talvex.Error, match="Cannot write all results"):
        talvex.pca(iris).save_results(tmp_path / "out.doc")


def test_data_pickles_whole(iris):
    again = pickle.loads(pickle.dumps(iris))
    assert again.object_labels == iris.object_labels
    assert np.array_equal(again.values, iris.values)
    assert masked(talvex.pca(again).listing()) == masked(talvex.pca(iris).listing())


def test_warnings_are_the_command_lines(cli, tmp_path):
    path = tmp_path / "zeros.nts"
    path.write_text("'zeros'\n1 5L 3L 0\na b c d e\nx y z\n"
                    "1 2 3\n0 3 1\n2 1 2.5\n3 0.5 1\n4 2 0\n")
    status, _, err = run_cli(cli, "--method", "covariance", "--transform", "log10", path)
    told = [line[len("talvex-cli: warning: "):] for line in err.splitlines()
            if line.startswith("talvex-cli: warning: ")]
    assert status == 0 and told
    with pytest.warns(talvex.TalvexWarning) as record:
        result = talvex.pca(talvex.read(path), method="covariance", transform="log10")
    assert [str(w.message) for w in record] == told == result.warnings


def test_data_from_values_are_named_as_given_or_by_their_kind(tmp_path):
    values = np.array([[1.0, 2.0, 3.0], [2.0, 1.0, 4.0], [3.0, 5.0, 1.0], [4.0, 3.0, 2.0]])
    named = talvex.pca(talvex.Data(values, name="field survey 2024"), jackknife=False)
    assert "Input file name  - field survey 2024\n" in named.listing()
    assert named.run_record.loc["Source", "Value"] == "field survey 2024"
    assert "Input file name  - (numpy array)\n" in talvex.pca(values, jackknife=False).listing()
    frame = pd.DataFrame(values, columns=["a", "b", "c"])
    data = talvex.Data(frame)
    assert data.name == "(pandas DataFrame)"
    assert "Input file name  - (pandas DataFrame)\n" in talvex.pca(data, jackknife=False).listing()
    # The name goes with the data to another process.
    again = pickle.loads(pickle.dumps(talvex.Data(values, name="survey")))
    assert again.name == "survey"
    assert "Input file name  - survey\n" in talvex.pca(again, jackknife=False).listing()
    # A file read is named by its path, whatever the data frame's default.
    assert talvex.read(IRIS).name == IRIS
