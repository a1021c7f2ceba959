# The four plot files of a session of ascent (speed.dat, height.dat,
# accel.dat, dynpres.dat: time, then value; the runs one after another) in
# one PNG, each run its own curve.
#
#   gnuplot -e "dir='data'; out='run.png'; runs='data/run.txt'" tools/plot_run.gp
#
# dir: the folder of the plot files (default: the working folder);
# out: the PNG to write (default: run.png); title: a line over the plots;
# runs: the session's output file, whose echoed turn times label the curves
# (default: the curves are numbered).
if (!exists("dir")) dir = "."
if (!exists("out")) out = "run.png"
if (!exists("title")) title = "Ascent to orbit"

# A run starts where the time falls back to its first step's time or before;
# a step back inside a run (the pitch-over search, the upper stage's last
# second) goes back less. Two blank lines between runs make each a data block.
starts = "NR == 1 { first = $1 } NR > 1 && $1 < t && $1 <= first { first = $1; new = 1 }"
split_runs(file) = sprintf("< awk '%s { if (new) printf \"\\n\\n\"; new = 0; t = $1; print }' '%s' 2>/dev/null", starts, file)
run_count = int(system(sprintf("awk '%s { t = $1; n += new; new = 0 } END { print n + 1 }' '%s'", starts, dir."/speed.dat")))
# The turn times of the runs flown: the echoed answers of at least 1 s.
turn_times = exists("runs") ? system(sprintf("awk '/^Turn time \\(s\\)\\?/ && $4 >= 1 { printf \"%%g \", $4 }' '%s'", runs)) : ""
label(i) = words(turn_times) >= i ? sprintf("turn %s s", word(turn_times, i)) : sprintf("run %d", i)

set terminal pngcairo size 1000,750 enhanced font "sans,10"
set output out
set datafile commentschars "#"
set grid
set key top left font "sans,8"
set xlabel "time [s]"

set multiplot layout 2,2 title title font "sans,12"
set title "Inertial speed"
set ylabel "speed [km/s]"
plot for [i=1:run_count] split_runs(dir."/speed.dat") index i-1 using 1:2 with lines linewidth 2 title label(i)
set title "Altitude"
set ylabel "altitude [km]"
plot for [i=1:run_count] split_runs(dir."/height.dat") index i-1 using 1:2 with lines linewidth 2 title label(i)
set title "Thrust acceleration"
set ylabel "acceleration [m/s^2]"
plot for [i=1:run_count] split_runs(dir."/accel.dat") index i-1 using 1:2 with lines linewidth 2 title label(i)
set title "Dynamic pressure"
set ylabel "dynamic pressure [kPa]"
plot for [i=1:run_count] split_runs(dir."/dynpres.dat") index i-1 using 1:2 with lines linewidth 2 title label(i)
unset multiplot
set output
