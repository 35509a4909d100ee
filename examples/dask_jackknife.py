#!/usr/bin/python3
"""The jackknife of a principal components analysis spread over a Dask cluster.

The jackknife repeats the decomposition once per left-out object; the
objects are independent, so ranges of them go to the cluster's workers
(talvex.jackknife_part) and the parts come back to be merged
(talvex.jackknife_merge). The merged jackknife is the one a single run
makes, bit for bit. See docs/cluster-jackknife.md.

    python3 examples/dask_jackknife.py DATA [--scheduler ADDRESS] [--parts N]
                                            [--method M] [--transform T] [--factors K]

Without --scheduler a cluster of local worker processes is started (one per
core); with it, the script connects to a running scheduler
(tcp://host:8786), whose workers must be able to import talvex.
"""
import argparse
import sys
import time

import talvex


def ranges(n, pieces):
    """pieces ranges (first, last) of about equal size covering 1..n."""
    pieces = max(1, min(pieces, n))
    bounds = [1 + (n * i) // pieces for i in range(pieces + 1)]
    return [(bounds[i], bounds[i + 1] - 1) for i in range(pieces)]


def distributed_jackknife(client, data, options=None, parts=None):
    """The jackknife of talvex.pca(data, **options) computed on the workers of
    `client` (a dask.distributed Client) in `parts` pieces (default: two per
    worker thread, so that a slow worker does not hold up the end)."""
    options = dict(options or {})
    # Each task uses one core unless told otherwise: the cluster's workers
    # provide the parallelism.
    options.setdefault("threads", 1)
    if parts is None:
        threads = sum(w["nthreads"] for w in client.scheduler_info()["workers"].values())
        parts = 2 * max(1, threads)
    # The data go to every worker once, not with every task.
    shared = client.scatter(data, broadcast=True)
    futures = [client.submit(talvex.jackknife_part, shared, options, first, last, pure=False)
               for first, last in ranges(data.object_count, parts)]
    return talvex.jackknife_merge(client.gather(futures))


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("data", help="a data file, as talvex-cli reads it")
    parser.add_argument("--scheduler", help="the address of a running Dask scheduler")
    parser.add_argument("--parts", type=int, help="how many parts (default: two per worker thread)")
    parser.add_argument("--method", default="correlation")
    parser.add_argument("--transform", default="none")
    parser.add_argument("--factors", type=int)
    args = parser.parse_args(argv)
    from dask.distributed import Client, LocalCluster

    options = {"method": args.method, "transform": args.transform, "factors": args.factors}
    data = talvex.read(args.data)
    if args.scheduler:
        client = Client(args.scheduler)
        cluster = None
    else:
        cluster = LocalCluster(threads_per_worker=1, processes=True, host="127.0.0.1",
                               dashboard_address=None)
        client = Client(cluster)
    try:
        started = time.monotonic()
        jackknife = distributed_jackknife(client, data, options, args.parts)
        print("Jackknife of %d objects in %.1f s" % (data.object_count,
                                                      time.monotonic() - started),
              file=sys.stderr)
        print(jackknife.eigenvalues.to_string())
    finally:
        client.close()
        if cluster is not None:
            cluster.close()


if __name__ == "__main__":
    main()
