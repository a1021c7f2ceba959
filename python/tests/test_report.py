"""ascent.report: one page per kind of subject, with the library's charts."""
import re

import pytest

import ascent


def charts_and_facts(path):
    html = path.read_text()
    charts = int(re.search(r'data-charts="(\d+)"', html).group(1))
    return charts, html


def test_a_page_for_a_flight_a_sweep_and_a_study(thrust, tmp_path):
    flight_page = ascent.report(ascent.trim(20, thrust=thrust), tmp_path / "flight.html",
                                facts={"vehicle deck": "the built-in vehicle"})
    charts, html = charts_and_facts(flight_page)
    assert charts == 4 and html.count("<svg ") == 4
    assert "the built-in vehicle" in html and "17.959326 deg" in html
    assert ">booster separation<" in html and ">1173102.8<" in html  # the event's mass

    charts, html = charts_and_facts(ascent.report(ascent.sweep([15, 20], thrust=thrust),
                                                  tmp_path / "sweep.html", title="Two turns"))
    assert charts == 4 and "<title>Two turns</title>" in html

    cases = ascent.monte_carlo(12, turn_time=20, thrust=thrust, seed=3)
    charts, html = charts_and_facts(ascent.report(cases, tmp_path / "study.html"))
    assert charts == 5 and ">scales.drag<" in html  # what drives the propellant, by name

    with pytest.raises(TypeError, match="report\\(\\) takes"):
        ascent.report([1, 2], tmp_path / "nothing.html")
    assert not (tmp_path / "nothing.html").exists()
