"""ascent.report: one page per kind of subject, written by the library as
ascent-trim --report writes it."""
import re

import pytest

import ascent


def charts_and_facts(path):
    html = path.read_text()
    charts = int(re.search(r'data-charts="(\d+)"', html).group(1))
    return charts, html


def results(html):
    """The page after what was run: its results and figures."""
    return html[html.index("<h2>Results</h2>"):]


def test_a_page_for_a_flight_a_sweep_and_a_study(thrust, tmp_path):
    flight_page = ascent.report(ascent.trim(20, thrust=thrust), tmp_path / "flight.html",
                                facts={"vehicle deck": "the built-in vehicle"})
    charts, html = charts_and_facts(flight_page)
    assert charts == 4 and html.count("<svg ") == 4
    assert "the built-in vehicle" in html and "17.959326 deg" in html
    assert ">booster separation<" in html and ">1173103<" in html  # the event's mass

    charts, html = charts_and_facts(ascent.report(ascent.sweep([15, 20], thrust=thrust),
                                                  tmp_path / "sweep.html", title="Two turns"))
    assert charts == 4 and "<title>Two turns</title>" in html

    cases = ascent.monte_carlo(12, turn_time=20, thrust=thrust, seed=3, guided=True)
    charts, html = charts_and_facts(ascent.report(cases, tmp_path / "study.html"))
    assert charts == 6 and ">scales.drag<" in html  # what drives the payload, by name
    assert "guided: every case flies the nominal angle" in html and "closed_loop" not in html

    with pytest.raises(TypeError, match="report\\(\\) takes"):
        ascent.report([1, 2], tmp_path / "nothing.html")
    assert not (tmp_path / "nothing.html").exists()


@pytest.mark.parametrize("python, command", [
    (lambda thrust: ascent.sweep([15, 20, 25], thrust=thrust),
     ["sweep", "--from", "15", "--to", "25", "--step", "5"]),
    (lambda thrust: ascent.trim(20, thrust=thrust), ["trim", "-t", "20"]),
    (lambda thrust: ascent.target(20, perigee=180e3, apogee=240e3, thrust=thrust),
     ["target", "-t", "20", "--perigee", "180000", "--apogee", "240000"]),
    (lambda thrust: ascent.optimize(thrust, 20, 40), ["optimize", "--from", "20", "--to", "40"]),
])
def test_each_page_is_the_trim_tools(thrust, trim_tool, tmp_path, python, command):
    tool_page = tmp_path / "tool.html"
    trim_tool(*command, "--report", str(tool_page), status=None)
    page = ascent.report(python(thrust), tmp_path / "python.html")
    assert results(page.read_text()) == results(tool_page.read_text())


def test_the_pages_of_a_study_and_of_the_ratios_are_the_trim_tools(sample_path, trim_tool,
                                                                    tmp_path):
    tool_page = tmp_path / "tool.html"
    trim_tool("dispersions", "-t", "20", "-n", "12", "--seed", "4", "--open-loop", "--report",
              str(tool_page), status=None)
    cases = ascent.monte_carlo(12, seed=4, turn_time=20, thrust=sample_path, closed_loop=False)
    page = ascent.report(cases, tmp_path / "python.html")
    assert results(page.read_text()) == results(tool_page.read_text())
