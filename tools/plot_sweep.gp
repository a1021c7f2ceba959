# The trade table of an ascent-trim sweep (written with --csv): the payload
# SC_M and the trimmed maximum angle of attack against the turn time, in one PNG.
#
#   ascent-trim sweep --from 10 --to 30 --csv > sweep.csv
#   gnuplot -e "data='sweep.csv'; out='sweep.png'" tools/plot_sweep.gp
#
# data: the sweep CSV (default: sweep.csv); out: the PNG (default: sweep.png).
# Turn times that could not be trimmed have empty fields and are left out.
if (!exists("data")) data = "sweep.csv"
if (!exists("out")) out = "sweep.png"
if (!exists("title")) title = "Turn times trimmed to a 200 km orbit"

set terminal pngcairo size 900,700 enhanced font "sans,10"
set output out
set datafile separator ","
set datafile missing ""
set grid
set key off
set xlabel "turn time [s]"
set autoscale xfix
set offsets graph 0.03, graph 0.03, 0, 0

# The largest payload of the feasible rows (the first of equals), marked on
# the plot; an infeasible row burns more propellant than the stage holds.
best_payload = -1e30
best_turn = NaN
stats data using (payload = column("SC_M [kg]"), \
                  strcol("result") eq "trimmed" && payload > best_payload ? \
                      (best_payload = payload, best_turn = column("turn time [s]")) : 0, \
                  payload) nooutput

set multiplot layout 2,1 title title font "sans,12"
set title sprintf("Spacecraft mass the upper stage can carry (largest: %.0f kg at %g s)", \
                  best_payload, best_turn)
set ylabel "SC_M [kg]" noenhanced
set label 1 "" at best_turn, best_payload point pointtype 7 pointsize 1.8 linecolor rgb "#000000"
plot data using "turn time [s]":"SC_M [kg]" with linespoints linewidth 2 pointtype 7 \
     pointsize 0.6 linecolor rgb "#1f77b4"
unset label 1
set title "Trimmed maximum angle of attack"
set ylabel "maxa [deg]"
plot data using "turn time [s]":"maxa [deg]" with linespoints linewidth 2 pointtype 7 \
     pointsize 0.6 linecolor rgb "#d62728"
unset multiplot
set output
