# The four plot files of a run of ascent (speed.dat, height.dat, accel.dat,
# dynpres.dat: time, then value) in one PNG.
#
#   gnuplot -e "dir='data'; out='run.png'" tools/plot_run.gp
#
# dir: the folder of the plot files (default: the working folder);
# out: the PNG to write (default: run.png); title: a line over the plots.
if (!exists("dir")) dir = "."
if (!exists("out")) out = "run.png"
if (!exists("title")) title = "Ascent to orbit"

set terminal pngcairo size 1000,750 enhanced font "sans,10"
set output out
set datafile commentschars "#"
set grid
set key off
set xlabel "time [s]"

set multiplot layout 2,2 title title font "sans,12"
set title "Inertial speed"
set ylabel "speed [km/s]"
plot dir."/speed.dat" using 1:2 with lines linewidth 2 linecolor rgb "#1f77b4"
set title "Altitude"
set ylabel "altitude [km]"
plot dir."/height.dat" using 1:2 with lines linewidth 2 linecolor rgb "#2ca02c"
set title "Thrust acceleration"
set ylabel "acceleration [m/s^2]"
plot dir."/accel.dat" using 1:2 with lines linewidth 2 linecolor rgb "#d62728"
set title "Dynamic pressure"
set ylabel "dynamic pressure [kPa]"
plot dir."/dynpres.dat" using 1:2 with lines linewidth 2 linecolor rgb "#9467bd"
unset multiplot
set output
