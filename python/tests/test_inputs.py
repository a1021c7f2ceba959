"""Vehicle fields, thrust histories, pickling and the errors scripts meet."""
import pickle
import resource
import signal

import pytest

import ascent


def test_vehicle_fields_by_name_and_group():
    v = ascent.Vehicle()
    names = [f.name for f in v.fields()]
    assert len(names) == len(set(names)) and "boosters.propellant" in names
    for field in v.fields():
        group, key = field.name.split(".")
        assert getattr(getattr(v, group), key) == v[field.name]
    v.boosters.propellant = 600000
    assert v["boosters.propellant"] == 600000.0
    v["boosters.count"] = 4
    assert v.boosters.count == 4 and isinstance(v.boosters.count, int)
    assert repr(v) == "Vehicle(boosters.count=4, boosters.propellant=600000 kg)"
    assert v != ascent.Vehicle()


def test_vehicle_refuses_what_cannot_be_flown():
    v = ascent.Vehicle()
    with pytest.raises(ValueError, match="boosters.propellant = -1 kg is out of range: it must be "
                                         "greater than 0 kg and at most 100000000 kg"):
        v.boosters.propellant = -1
    with pytest.raises(ValueError, match="boosters.count = 2.5 is not a whole number"):
        v["boosters.count"] = 2.5
    with pytest.raises(ValueError):
        v.launch_site.latitude = float("nan")
    with pytest.raises(KeyError):
        v["boosters.nozzles"]
    with pytest.raises(AttributeError):
        v.boosters.nozzles
    with pytest.raises(AttributeError):
        v.engines
    assert v == ascent.Vehicle()


def test_vehicle_decks(tmp_path, sample_path):
    deck = sample_path.parent / "vehicle.toml"
    assert ascent.Vehicle.load(deck) == ascent.Vehicle()
    v = ascent.Vehicle()
    v.core.thrust = 9.5e6
    v.save(tmp_path / "v.toml")
    assert ascent.Vehicle.load(str(tmp_path / "v.toml")) == v
    assert ascent.fly(20, 18, thrust=sample_path, vehicle=tmp_path / "v.toml",
                      history=False).sc_mass == ascent.fly(20, 18, thrust=sample_path, vehicle=v,
                                                           history=False).sc_mass
    bad = tmp_path / "bad.toml"
    bad.write_text(v.deck().replace("propellant = 632489", "propellant = -5"))
    with pytest.raises(ValueError,
                       match=r"bad.toml:\d+:\d+: boosters.propellant = -5 kg is out of range"):
        ascent.Vehicle.load(bad)
    with pytest.raises(FileNotFoundError, match="cannot open the vehicle deck"):
        ascent.Vehicle.load(tmp_path / "missing.toml")
    # Text nested too deep for the parser's recursion is refused, naming its source.
    deep = "[core]\nthrust" + ".a" * 300000 + " = 1\n"
    with pytest.raises(ValueError, match="deep.toml:2:.*nested more than 64 levels"):
        ascent.Vehicle.loads(deep, "deep.toml")
    with pytest.raises(ValueError, match="set.toml:2:.*nested more than 64 levels"):
        ascent.Dispersions.parse(deep, "set.toml")
    # Values each in range but contradicting each other are refused before a flight.
    v.boosters.nozzle_exit_diameter = 6
    with pytest.raises(ValueError, match="wider than the booster"):
        ascent.fly(20, 18, thrust=sample_path, vehicle=v)


def test_pickle_round_trip(thrust, short_thrust_path):
    v = ascent.Vehicle()
    v.core.thrust = 9.3e6
    copy = pickle.loads(pickle.dumps(v))
    assert copy == v and copy is not v
    again = pickle.loads(pickle.dumps(thrust))
    assert (again.records == thrust.records).all() and again.name == thrust.name
    a = ascent.fly(20, 18, thrust=thrust, vehicle=v, history=False)
    b = ascent.fly(20, 18, thrust=again, vehicle=copy, history=False)
    assert (a.perigee, a.apogee, a.sc_mass) == (b.perigee, b.apogee, b.sc_mass)
    # A copy fails where the original fails, with the same message.
    short = ascent.ThrustHistory.read(short_thrust_path)
    messages = []
    for history in (short, pickle.loads(pickle.dumps(short))):
        with pytest.raises(ascent.FlightError) as failure:
            ascent.fly(20, 18, thrust=history)
        messages.append(str(failure.value))
    assert messages[0] == messages[1]


def test_errors_carry_the_librarys_messages(sample_path, short_thrust_path, tmp_path):
    with pytest.raises(FileNotFoundError, match="cannot open the booster thrust file"):
        ascent.fly(20, 18, thrust=tmp_path / "missing.dat")
    with pytest.raises(ValueError, match="turn time must be at least 1 s"):
        ascent.fly(0.5, 18, thrust=sample_path)
    with pytest.raises(ValueError, match="turn time must be at least one second"):
        ascent.trim(0.99, thrust=sample_path)
    with pytest.raises(RuntimeError, match=r"ends after record 60 \(t = 60.00 s\)"):
        ascent.fly(20, 18, thrust=str(short_thrust_path))
    with pytest.raises(ascent.FlightError, match="record 2: the time 1.00 s does not come after"):
        ascent.fly(20, 18, thrust=ascent.ThrustHistory.from_records([1, 1], [1e7, 1e7]))
    with pytest.raises(TypeError):
        ascent.fly(20, 18, thrust=42)


def test_bad_arguments_raise_value_or_type_errors(thrust):
    nan, inf = float("nan"), float("inf")
    with pytest.raises(ValueError, match="maxa is not a number"):
        ascent.fly(20, nan, thrust=thrust)
    for turn_time in (nan, inf, 0.5):
        with pytest.raises(ValueError, match="turn.time"):
            ascent.fly(turn_time, 18, thrust=thrust)  # "turn_time is ..." or "the turn time ..."
    with pytest.raises(TypeError):
        ascent.fly("20", 18, thrust=thrust)
    for tolerance in (nan, 0, -1, inf):
        with pytest.raises(ValueError, match="tolerance"):
            ascent.trim(20, thrust=thrust, tolerance=tolerance)
    for n, error in ((-5, ValueError), (0, ValueError), (2.7, TypeError), (True, TypeError)):
        with pytest.raises(error, match="\\bn\\b"):
            ascent.monte_carlo(n, turn_time=20, thrust=thrust)
    with pytest.raises(ValueError, match="seed"):
        ascent.monte_carlo(2, seed=-1, turn_time=20, thrust=thrust)


def test_save_leaves_the_old_deck_whole_when_it_fails(tmp_path):
    ascent.Vehicle().save(tmp_path / "v.toml")
    before = (tmp_path / "v.toml").read_text()
    changed = ascent.Vehicle()
    changed.core.thrust = 9.3e6
    # A disk that fills after 1000 bytes of the new deck (a file-size limit).
    limits = resource.getrlimit(resource.RLIMIT_FSIZE)
    handler = signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (1000, limits[1]))
    try:
        with pytest.raises(OSError, match="v.toml"):
            changed.save(tmp_path / "v.toml")
    finally:
        resource.setrlimit(resource.RLIMIT_FSIZE, limits)
        signal.signal(signal.SIGXFSZ, handler)
    assert (tmp_path / "v.toml").read_text() == before
    assert [p.name for p in tmp_path.iterdir()] == ["v.toml"]


def test_unpickling_checks_what_the_readers_check(thrust):
    name, records, code, message = thrust.__getstate__()
    bad_records = records.copy()
    bad_records[3, 1] = float("nan")
    with pytest.raises(ascent.FlightError, match="not a finite number"):
        ascent.ThrustHistory.__new__(ascent.ThrustHistory).__setstate__(
            (name, bad_records, code, message))
    with pytest.raises(ValueError, match="stop code"):
        ascent.ThrustHistory.__new__(ascent.ThrustHistory).__setstate__(
            (name, records, 12345, message))
    [entry, *rest] = ascent.Dispersions.default().__getstate__()
    with pytest.raises(ValueError, match="no distribution"):
        ascent.Dispersions.__new__(ascent.Dispersions).__setstate__(
            [(entry[0], "triangular", *entry[2:])])
    # An integer sigma is a number however large.
    assert len(ascent.Dispersions.parse("[core]\nthrust = { sigma = 9007199254740993 }\n")) == 1
