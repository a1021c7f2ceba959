"""Studies on a Dask cluster of two worker processes give the local results bit for bit."""
import os

import pandas as pd
import pytest

import ascent

distributed = pytest.importorskip("distributed")


@pytest.fixture(scope="module")
def client():
    with ascent.local_workers(2) as c:
        yield c


def test_sweep_on_the_cluster_is_the_local_sweep(client, thrust, trim_tool):
    workers = client.run(os.getpid)
    assert len(set(workers.values()) - {os.getpid()}) == 2
    turn_times = [8, 12, 16, 18, 19, 20, 22, 24, 25, 150]
    local = ascent.sweep(turn_times, thrust=thrust)
    assert list(local["turn_time_s"]) == turn_times
    assert list(local["status"][-1:]) == ["turn_too_long"]
    for chunks in (None, 3):
        spread = ascent.sweep(turn_times, thrust=thrust, client=client, chunks=chunks)
        pd.testing.assert_frame_equal(spread, local, check_exact=True)
    # And the trim tool's own sweep for the same turn times.
    tool = trim_tool.csv("sweep", "--from", "18", "--to", "20", "--step", "1")
    rows = local.set_index("turn_time_s").loc[[18.0, 19.0, 20.0]]
    assert list(rows["maxa_deg"]) == list(tool["maxa_deg"])
    assert list(rows["sc_mass_kg"]) == list(tool["sc_mass_kg"])


def test_monte_carlo_on_the_cluster_is_the_local_study(client, thrust):
    local = ascent.monte_carlo(12, turn_time=20, thrust=thrust, seed=11, chunks=5)
    for chunks in (None, 2):
        spread = ascent.monte_carlo(12, turn_time=20, thrust=thrust, seed=11, client=client,
                                    chunks=chunks)
        pd.testing.assert_frame_equal(spread, local, check_exact=True)
        assert spread.attrs == local.attrs


class WorkersWithoutAscent:
    """A client whose two workers answer that ascent cannot be found."""
    scheduler = type("Scheduler", (), {"address": "tcp://127.0.0.1:8786"})()

    def wait_for_workers(self, n, timeout):
        pass

    def run(self, function, *args):
        return {"tcp://127.0.0.1:1": function("no_such_package_here"), "tcp://127.0.0.1:2": None}


def test_a_cluster_that_cannot_run_a_study_fails_at_once(thrust):
    with distributed.LocalCluster(n_workers=0, host="127.0.0.1", dashboard_address=":0") as empty, \
            distributed.Client(empty) as client:
        with pytest.raises(RuntimeError, match="no Dask worker joined"):
            ascent.studies.check_workers(client, timeout=0.5)
    with pytest.raises(RuntimeError, match="2 of 2 Dask workers cannot import ascent"):
        ascent.sweep([20], thrust=thrust, client=WorkersWithoutAscent())
