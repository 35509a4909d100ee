"""The module's listing is talvex-cli's, byte for byte (the date and time
lines aside), on the test data and the benchmark's sets."""
import glob
import os

import pytest

import talvex
from conftest import IRIS, ROOT, masked, run_cli

OPTIONS = [
    {},
    {"method": "covariance", "transform": "ln"},
    {"method": "covariance", "transform": "log10", "factors": 2, "rule": "kaiser"},
    {"rule": "joliffe", "jackknife": False},
]


def cli_arguments(options):
    args = []
    for key, value in options.items():
        if key == "jackknife":
            args.append("--jackknife" if value else "--no-jackknife")
        else:
            args += ["--" + key, str(value)]
    return args


@pytest.mark.parametrize("options", OPTIONS, ids=lambda o: ",".join(map(str, o.values())) or "default")
def test_iris_listing_is_the_command_lines(cli, options):
    status, out, _ = run_cli(cli, *cli_arguments(options), IRIS)
    assert status == 0
    listing = talvex.pca(talvex.read(IRIS), **options).listing()
    assert masked(listing) == masked(out)
    assert listing.count("\n") == out.count("\n")


def test_test_data_listings_are_the_command_lines(cli):
    sets = sorted(glob.glob(os.path.join(ROOT, "tests", "analysis", "data", "*.nts")))
    assert sets
    for path in sets:
        status, out, err = run_cli(cli, path)
        try:
            listing = talvex.pca(talvex.read(path)).listing()
        except talvex.Error as e:
            # A run that fails fails alike, with the same message.
            assert status == 1 and e.message in err, path
            continue
        assert status == 0, path
        assert masked(listing) == masked(out), path


@pytest.mark.parametrize("size", [(1000, 50), (300, 100), (2000, 200)], ids=str)
def test_bench_set_listing_is_the_command_lines(cli, synthetic, size):
    path = synthetic(*size)
    # The largest set's jackknife is left to the speed comparison.
    args = ["--no-jackknife"] if size == (2000, 200) else []
    status, out, _ = run_cli(cli, *args, path)
    assert status == 0
    listing = talvex.pca(talvex.read(path), jackknife=not args).listing()
    assert masked(listing) == masked(out)


def test_a_table_reads_as_the_command_line_reads_it(cli, tmp_path):
    table = tmp_path / "plants.csv"
    table.write_text("plant;species;height;width\np1;a;1,5;2,0\np2;a;2,5;2,5\n"
                     "p3;b;3,0;4,5\np4;b;4,5;5,0\np5;b;NA;5,5\n")
    status, out, _ = run_cli(cli, "--missing", "omit", "--method", "covariance", table)
    assert status == 0
    data = talvex.read(table, missing="omit")
    assert data.object_labels == ["p1", "p2", "p3", "p4"]
    assert data.groups == ["a", "a", "b", "b"]
    assert masked(talvex.pca(data, method="covariance").listing()) == masked(out)
