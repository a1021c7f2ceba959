"""Fixtures of the package's tests: the sample thrust file, a thrust file
that ends too early, and the C++ trim tool to compare with. CTest passes the
paths in ASCENT_DATA_DIR and ASCENT_TRIM; by hand they default to the
release build."""
import io
import os
import pathlib
import signal
import subprocess
import threading
import time

import pandas as pd
import pytest

import ascent

ROOT = pathlib.Path(__file__).resolve().parents[2]
DATA_DIR = pathlib.Path(os.environ.get("ASCENT_DATA_DIR", ROOT / "data"))
TRIM_TOOL = pathlib.Path(os.environ.get("ASCENT_TRIM", ROOT / "build/release/ascent-trim"))


@pytest.fixture(scope="session")
def sample_path():
    return DATA_DIR / "s1.dat"


@pytest.fixture(scope="session")
def thrust(sample_path):
    return ascent.ThrustHistory.read(sample_path)


@pytest.fixture
def short_thrust_path(sample_path, tmp_path):
    """The sample's records up to 60 s: the boosters run out of records in flight."""
    path = tmp_path / "ends-at-60s.dat"
    path.write_text("".join(sample_path.read_text().splitlines(keepends=True)[:60]))
    return path


@pytest.fixture(scope="session")
def trim_tool():
    """Runs ascent-trim with the sample thrust file, checking that it exits
    with `status` (None: any); its output, or its CSV output as a DataFrame."""
    def run(*arguments, status=0):
        done = subprocess.run([str(TRIM_TOOL), "-f", str(DATA_DIR / "s1.dat"), *arguments],
                              capture_output=True, text=True)
        assert status is None or done.returncode == status, done.stderr
        return done.stdout

    def csv(*arguments, status=0):
        # An empty number is NaN, an empty message "" (as the package has it).
        numbers = [c for c in ascent.COLUMNS["trim"] if c not in ("status", "message")]
        return pd.read_csv(io.StringIO(run("--csv", *arguments, status=status)),
                           float_precision="round_trip", keep_default_na=False,
                           na_values={c: [""] for c in numbers})

    run.csv = csv
    return run


@pytest.fixture
def seconds_to_interrupt():
    """Runs `study()`, sends this process SIGINT (Ctrl-C) `delay` seconds in,
    expects KeyboardInterrupt, and gives the seconds from the signal to it."""
    def measure(study, delay=1.0):
        sent = []

        def interrupt():
            sent.append(time.monotonic())
            os.kill(os.getpid(), signal.SIGINT)

        timer = threading.Timer(delay, interrupt)
        timer.start()
        try:
            with pytest.raises(KeyboardInterrupt):
                study()
        finally:
            timer.cancel()
        return time.monotonic() - sent[0]

    return measure
