"""ascent: a launch vehicle's ascent from the pad to orbit, for scripts.

    import ascent
    flight = ascent.fly(20, 18, thrust="s1.dat")
    flight.perigee, flight.history["h0_m"]
    ascent.trim(20, thrust="s1.dat").maxa
    ascent.sweep(range(10, 31), thrust="s1.dat")          # a DataFrame
    ascent.optimize("s1.dat", max_q_alpha=11000).turn_time
    ascent.optimize(vehicle=ascent.StagedVehicle.read("delta3.toml")).final_mass
    ascent.sensitivities(80, thrust="s1.dat")             # kg per unit of each field
    cases = ascent.monte_carlo(500, turn_time=20, thrust="s1.dat", seed=7)
    ascent.summarize(cases)["sc_mass_met"]
    ascent.target(20, perigee=185e3, apogee=400e3, thrust="s1.dat").perigee

Lengths are in metres, masses in kilograms, angles in degrees, times in
seconds. Flights run in C++ with the GIL released; sweeps and Monte Carlo
studies run on every core, or on a Dask cluster with client=.
"""
import importlib

from ._ascent import (
    COLUMNS,
    UNITS,
    Dispersions,
    Flight,
    FlightError,
    StagedFlight,
    StagedVehicle,
    Study,
    TargetResult,
    ThrustHistory,
    TrimResult,
    Vehicle,
    VehicleField,
    VehicleGroup,
    capability,
    fly_staged,
)
from .exports import write_kml, write_oem
from .flights import Target, Trim, fly, target, trim
from .optimum import Optimum, StagedOptimum, optimize, sensitivities
from .report import report
from .studies import local_workers, monte_carlo, summarize, sweep

__all__ = [
    "COLUMNS",
    "UNITS",
    "Dispersions",
    "Flight",
    "FlightError",
    "Optimum",
    "StagedFlight",
    "StagedOptimum",
    "StagedVehicle",
    "Study",
    "Target",
    "TargetResult",
    "ThrustHistory",
    "Trim",
    "TrimResult",
    "Vehicle",
    "VehicleField",
    "VehicleGroup",
    "capability",
    "fly",
    "fly_staged",
    "local_workers",
    "monte_carlo",
    "optimize",
    "plot",
    "sensitivities",
    "report",
    "summarize",
    "sweep",
    "target",
    "trim",
    "write_kml",
    "write_oem",
]


def __getattr__(name):
    # The plots import matplotlib only when used: workers of a cluster never need it.
    if name == "plot":
        return importlib.import_module(".plot", __name__)
    raise AttributeError(f"module 'ascent' has no attribute {name!r}")
