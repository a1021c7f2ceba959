# The trade table of an ascent-trim sweep (written with --csv): the payload
# SC_M and the trimmed maximum angle of attack against the turn time, in one PNG.
#
#   ascent-trim sweep --from 10 --to 30 --csv > sweep.csv
#   gnuplot -e "data='sweep.csv'; out='sweep.png'" tools/plot_sweep.gp
#
# data: the sweep CSV (default: sweep.csv); out: the PNG (default: sweep.png).
# Rows in orbit are joined by a line; trimmed rows not in orbit (short of
# propellant, perigee too low) are grey crosses and never the best; turn
# times that could not be trimmed have empty fields and are left out. The
# titles (the target from the trimmed rows' average altitude, the largest
# payload) are also printed, on the standard error.
if (!exists("data")) data = "sweep.csv"
if (!exists("out")) out = "sweep.png"

set terminal pngcairo size 900,700 enhanced font "sans,10"
set output out
set datafile separator ","
set datafile missing ""
set grid
set key top left
set xlabel "turn time [s]"
set autoscale xfix
set offsets graph 0.03, graph 0.03, 0, 0

in_orbit(y) = strcol("status") eq "in_orbit" ? y : NaN
not_in_orbit(y) = strcol("status") ne "in_orbit" ? y : NaN

# The largest payload of the rows in orbit (the first of equals), and the
# target: every trimmed row's average altitude is on it.
best_payload = NaN
best_turn = NaN
target_km = NaN
stats data using (payload = column("sc_mass_kg"), \
                  altitude = column("average_altitude_m") / 1000, \
                  target_km = altitude == altitude ? altitude : target_km, \
                  strcol("status") eq "in_orbit" && (best_payload != best_payload || payload > best_payload) ? \
                      (best_payload = payload, best_turn = column("turn_time_s")) : 0, \
                  payload) nooutput

if (!exists("title")) {
    title = target_km == target_km ? sprintf("Turn times trimmed to a %.0f km orbit", target_km) \
                                   : "Turn times swept: none trimmed"
}
payload_title = best_payload == best_payload ? \
    sprintf("Spacecraft mass the upper stage can carry (largest in orbit: %.0f kg at %g s)", \
            best_payload, best_turn) : \
    "Spacecraft mass the upper stage can carry (no turn time in orbit)"
print title
print payload_title

set multiplot layout 2,1 title title font "sans,12" noenhanced
set title payload_title noenhanced
set ylabel "SC_M [kg]" noenhanced
if (target_km != target_km) {
    # Nothing trimmed: empty panels that say so, rather than no plot at all.
    set label 2 "no turn time trimmed" at graph 0.5, graph 0.5 center
    plot [0:1] [0:1] NaN notitle
    set title "Trimmed maximum angle of attack"
    set ylabel "maxa [deg]"
    plot [0:1] [0:1] NaN notitle
} else {
    if (best_payload == best_payload) {
        set label 1 "" at best_turn, best_payload point pointtype 7 pointsize 1.8 linecolor rgb "#000000"
    }
    plot data using "turn_time_s":(in_orbit(column("sc_mass_kg"))) title "in orbit" \
             with linespoints linewidth 2 pointtype 7 pointsize 0.6 linecolor rgb "#1f77b4", \
         data using "turn_time_s":(not_in_orbit(column("sc_mass_kg"))) title "not in orbit" \
             with points pointtype 2 pointsize 1.2 linecolor rgb "#8c8c8c"
    unset label 1
    set title "Trimmed maximum angle of attack"
    set ylabel "maxa [deg]"
    plot data using "turn_time_s":(in_orbit(column("maxa_deg"))) title "in orbit" \
             with linespoints linewidth 2 pointtype 7 pointsize 0.6 linecolor rgb "#d62728", \
         data using "turn_time_s":(not_in_orbit(column("maxa_deg"))) title "not in orbit" \
             with points pointtype 2 pointsize 1.2 linecolor rgb "#8c8c8c"
}
unset multiplot
set output
