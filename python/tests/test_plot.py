"""Plots draw the quantities asked for and save PNG files without a display."""
import numpy as np

import ascent


def test_plots_draw_their_data_and_save(thrust, tmp_path):
    flight = ascent.fly(20, 18, thrust=thrust)
    fig = ascent.plot.flight(flight, tmp_path / "flight.png")
    speed = fig.axes[0].lines[0]
    assert np.array_equal(speed.get_ydata(), flight.history["vi_m_s"])
    assert len(fig.axes) == 4

    results = ascent.sweep([18, 20, 150], thrust=thrust)
    fig = ascent.plot.sweep(results, tmp_path / "sweep.png")
    assert list(fig.axes[0].lines[0].get_xdata()) == [18.0, 20.0]  # the trimmed rows only

    cases = ascent.monte_carlo(8, turn_time=20, thrust=thrust, seed=5, guided=True)
    fig = ascent.plot.dispersion(cases, tmp_path / "dispersion.png")
    assert len(fig.axes) == 6
    # A guided study's apsides lie 200 km apart: each histogram spans its own spread only.
    for axes, column in zip(fig.axes[:2], ("perigee_m", "apogee_m")):
        left, right = axes.patches[0].get_x(), axes.patches[-1].get_x() + axes.patches[-1].get_width()
        values = cases[column].dropna() / 1000
        assert np.allclose([left, right], [values.min(), values.max()], rtol=0, atol=1e-9)
    assert "guided" in fig._suptitle.get_text()
    for name in ("flight", "sweep", "dispersion"):
        assert (tmp_path / f"{name}.png").read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
