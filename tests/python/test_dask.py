"""The example's jackknife over a dask.distributed cluster of two worker
processes on the loopback interface equals the single-process run."""
import importlib.util
import os

import pytest

import talvex
from conftest import IRIS, ROOT

distributed = pytest.importorskip("distributed")
# Debian's tornado warns of its own event-loop handling under distributed.
pytestmark = pytest.mark.filterwarnings("ignore::DeprecationWarning")


def example():
    path = os.path.join(ROOT, "examples", "dask_jackknife.py")
    spec = importlib.util.spec_from_file_location("dask_jackknife", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


@pytest.fixture(scope="module")
def client():
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                       host="127.0.0.1", dashboard_address=None)
    client = distributed.Client(cluster)
    yield client
    client.close()
    cluster.close()


def test_the_example_splits_every_object_once():
    ranges = example().ranges
    assert ranges(10, 3) == [(1, 3), (4, 6), (7, 10)]
    assert ranges(2, 5) == [(1, 1), (2, 2)]
    assert ranges(150, 1) == [(1, 150)]


@pytest.mark.parametrize("options", [{}, {"method": "covariance", "transform": "ln"}],
                         ids=["correlation", "allometry"])
def test_iris_on_the_cluster_equals_one_run(client, options):
    data = talvex.read(IRIS)
    assert example().distributed_jackknife(client, data, options) == \
        talvex.pca(data, **options).jackknife


def test_a_large_set_on_the_cluster_equals_one_run(client, synthetic):
    data = talvex.read(synthetic(2000, 200))
    # Ten axes keep the parts at some 40 MB in all; every axis would be 650 MB.
    options = {"method": "covariance", "factors": 10}
    merged = example().distributed_jackknife(client, data, options, parts=6)
    assert merged == talvex.pca(data, **options).jackknife
