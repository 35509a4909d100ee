"""Runs from Python: progress, Ctrl+C, the interpreter's lock and the
floating-point status flags."""
import ctypes
import os
import signal
import threading
import time

import numpy as np
import pytest

import talvex
from conftest import IRIS, masked

LIBM = ctypes.CDLL("libm.so.6")
FE_INVALID, FE_DIVBYZERO, FE_OVERFLOW = 0x01, 0x04, 0x08
FE_ALL = 0x3D


@pytest.fixture(scope="module")
def large(synthetic):
    return talvex.read(synthetic(2000, 200))


def test_ctrl_c_cancels_a_large_run_within_a_second(large):
    timer = threading.Timer(1.0, lambda: os.kill(os.getpid(), signal.SIGINT))
    started = time.monotonic()
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        talvex.pca(large, threads=1)
    stopped = time.monotonic() - started
    timer.join()
    # The run itself takes several times as long on one thread.
    assert stopped < 2.0


@pytest.fixture(scope="module")
def wide():
    rng = np.random.default_rng(5)
    return talvex.Data(rng.normal(size=(200, 20000)) + rng.normal(size=(200, 1)), name="wide")


def test_ctrl_c_cancels_a_wide_run_within_a_second(wide):
    # The full sample's decomposition of 20,000 variables and the jackknife
    # after it are followed inside their loops.
    fired = []

    def interrupt():
        fired.append(time.monotonic())
        os.kill(os.getpid(), signal.SIGINT)

    timer = threading.Timer(0.5, interrupt)
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        talvex.pca(wide, threads=1)
    stopped = time.monotonic()
    timer.join()
    assert fired and stopped - fired[0] < 1.0


def test_the_wide_decomposition_tells_its_progress(wide):
    seen = []

    def progress(step, done, total):
        seen.append((step, done, total))
        if step == "Jackknife":
            raise RuntimeError("enough")

    with pytest.raises(RuntimeError, match="enough"):
        talvex.pca(wide, threads=1, progress=progress)
    shares = [(done, total) for step, done, total in seen if step == "Eigen-decomposition"]
    assert shares[-1] == (1000, 1000)
    assert all(total == 1000 or (done, total) == (0, 0) for done, total in shares)


def test_progress_is_told_and_may_stop_the_run(large):
    seen = []

    def progress(step, done, total):
        seen.append((step, done, total))
        if done >= 20:
            raise RuntimeError("enough")

    with pytest.raises(RuntimeError, match="enough"):
        talvex.pca(large, progress=progress)
    steps = [s for s, _, total in seen if total == 0]
    assert steps[:2] == ["Basic statistics", "Dispersion matrix"]
    assert seen[-1][0] == "Jackknife" and seen[-1][2] == 2000
    seen.clear()
    talvex.pca(talvex.read(IRIS), progress=lambda *a: seen.append(a))
    assert seen[-1] == ("Jackknife", 150, 150)


def test_a_run_releases_the_interpreter(large):
    ticks = []
    done = threading.Event()

    def tick():
        while not done.is_set():
            ticks.append(1)
            time.sleep(0.01)

    other = threading.Thread(target=tick)
    other.start()
    started = time.monotonic()
    try:
        talvex.pca(large, factors=3, threads=1)
    finally:
        done.set()
        other.join()
    elapsed = time.monotonic() - started
    assert len(ticks) > elapsed / 0.01 / 4


def raised_flags():
    return LIBM.fetestexcept(FE_ALL)


def test_flags_left_raised_do_not_stop_a_run_and_a_run_leaves_none():
    data = talvex.read(IRIS)
    clean = talvex.pca(data, method="covariance", transform="log10").listing()
    LIBM.feraiseexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW)
    try:
        flagged = talvex.pca(data, method="covariance", transform="log10").listing()
        # The caller's flags are the caller's: as they were before the run.
        assert raised_flags() & (FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW) == (
            FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW)
    finally:
        LIBM.feclearexcept(FE_ALL)
    assert masked(flagged) == masked(clean)
    # Decimal logarithms of 0 are taken as 0; the division by zero they cause
    # inside the run is not left behind, nor the fault of a failed run.
    zeros = np.array([[1.0, 2.0, 3.0], [0.0, 3.0, 1.0], [2.0, 1.0, 2.5], [3.0, 0.5, 1.0]])
    talvex.pca(zeros, method="covariance", transform="log10")
    assert raised_flags() & (FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW) == 0
    with pytest.raises(talvex.ArithmeticFault):
        talvex.pca(zeros, transform="ln")
    assert raised_flags() & (FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW) == 0
