"""Shared fixtures of the Python module's tests: the command line beside the
module (TALVEX_CLI), the repository's data and synthetic sets made by the
benchmark's generator."""
import os
import re
import subprocess
import sys

import pytest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
IRIS = os.path.join(ROOT, "examples", "iris.nts")


def masked(listing):
    """A listing without its date and time lines, which differ between runs."""
    return re.sub(r"(?m)^(Date|Time) of analysis - .*$", r"\1 of analysis", listing)


@pytest.fixture(scope="session")
def cli():
    path = os.environ.get("TALVEX_CLI")
    if not path:
        pytest.skip("TALVEX_CLI names no talvex-cli")
    return path


def run_cli(cli, *args):
    """talvex-cli's exit status, standard output and standard error."""
    r = subprocess.run([cli, *map(str, args)], capture_output=True)
    return r.returncode, r.stdout.decode("utf-8", "surrogateescape"), r.stderr.decode()


@pytest.fixture(scope="session")
def synthetic(tmp_path_factory):
    """synthetic(n, p): the path of the benchmark generator's n x p set."""
    folder = tmp_path_factory.mktemp("synthetic")

    def make(n, p):
        path = folder / ("synthetic_%dx%d.nts" % (n, p))
        if not path.exists():
            subprocess.run([sys.executable, os.path.join(ROOT, "bench", "make_data.py"), str(n),
                            str(p), "1", str(path)], check=True)
        return str(path)

    return make
