"""The jackknife in parts: merged, it is the one-piece run's, bit for bit,
with the same diagnostics."""
import pickle
import random

import numpy as np
import pytest

import talvex
from conftest import IRIS


def split(n, pieces, seed=1):
    cuts = sorted(random.Random(seed).sample(range(2, n + 1), pieces - 1))
    bounds = [1] + cuts + [n + 1]
    return [(bounds[i], bounds[i + 1] - 1) for i in range(pieces)]


@pytest.mark.parametrize("options", [
    {},
    {"method": "covariance", "transform": "ln"},
    {"method": "covariance", "factors": 2},
], ids=["correlation", "allometry", "covariance-k2"])
def test_parts_merge_into_the_whole_runs_jackknife(options):
    data = talvex.read(IRIS)
    whole = talvex.pca(data, **options).jackknife
    parts = [talvex.jackknife_part(data, options, first, last) for first, last in split(150, 4)]
    assert talvex.jackknife_merge(parts) == whole
    # Order does not matter: the merge replays the objects in their order.
    assert talvex.jackknife_merge(reversed(parts)) == whole
    assert talvex.jackknife_merge([talvex.jackknife_part(data, options)]) == whole


def test_parts_of_a_larger_set_merge_bit_for_bit(synthetic):
    data = talvex.read(synthetic(300, 100))
    options = {"method": "covariance", "factors": 5, "threads": 2}
    whole = talvex.pca(data, **options).jackknife
    parts = [pickle.loads(pickle.dumps(talvex.jackknife_part(data, options, first, last)))
             for first, last in split(300, 3)]
    merged = talvex.jackknife_merge(parts)
    assert merged == whole
    assert np.array_equal(merged.eigenvectors.to_numpy(), whole.eigenvectors.to_numpy(),
                          equal_nan=True)


def same_diagnostics(a, b):
    assert a.keys() == b.keys()
    for key in a:
        if isinstance(a[key], np.ndarray):
            assert np.array_equal(a[key], b[key], equal_nan=True), key
        else:
            assert a[key] == b[key], key


@pytest.mark.parametrize("match_axes", [False, True])
def test_merged_parts_carry_the_whole_runs_diagnostics(synthetic, match_axes):
    # Many shown axes of similar size: the reduced samples exchange some.
    data = talvex.read(synthetic(120, 30))
    options = {"factors": 12, "match_axes": match_axes}
    whole = talvex.pca(data, **options).diagnostics
    assert whole["available"] and any(whole["exchanged"])
    parts = [pickle.loads(pickle.dumps(talvex.jackknife_part(data, options, first, last)))
             for first, last in split(120, 3, seed=match_axes)]
    merged = talvex.jackknife_merge(reversed(parts))
    assert merged.diagnostics["match_axes"] == match_axes
    same_diagnostics(merged.diagnostics, whole)


def test_parts_that_do_not_fit_are_refused():
    data = talvex.read(IRIS)
    a = talvex.jackknife_part(data, {}, 1, 70)
    b = talvex.jackknife_part(data, {}, 71, 150)
    with pytest.raises(talvex.Error, match="do not cover every object once") as gap:
        talvex.jackknife_merge([a, talvex.jackknife_part(data, {}, 72, 150)])
    assert "object 71 was due" in gap.value.detail
    with pytest.raises(talvex.Error, match="do not cover every object once"):
        talvex.jackknife_merge([a])
    with pytest.raises(talvex.Error, match="do not cover every object once"):
        talvex.jackknife_merge([a, b, b])
    other = talvex.jackknife_part(data, {"method": "covariance"}, 71, 150)
    with pytest.raises(talvex.Error, match="do not fit together"):
        talvex.jackknife_merge([a, other])
    with pytest.raises(ValueError):
        talvex.jackknife_part(data, {}, 0, 10)
    matched = talvex.jackknife_part(data, {"match_axes": True}, 71, 150)
    with pytest.raises(ValueError, match="match_axes"):
        talvex.jackknife_merge([a, matched])
