#!/usr/bin/env bash
# Draws the frame-time chart from the data file that tools/bench_frames.sh writes:
# the viewer's frame time per view mode, with the two references as level lines.
#   tools/bench_chart.sh DATA PNG
set -euo pipefail
data=$1
png=$2
read -r straight floor < <(awk '!/^#/ {print $3, $4; exit}' "$data")
gnuplot <<GNUPLOT
set terminal pngcairo size 900,480 font "DejaVu Sans,11" noenhanced
set output "$png"
set title "Frame time per view mode, Mesa llvmpipe under Xvfb (median of interleaved rounds)"
set ylabel "milliseconds per frame"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.8 border -1
set boxwidth 0.8
set yrange [0:*]
set grid ytics
set key top left
plot "$data" using 2:xtic(1) title "viewer" lc rgb "#3a6ea5", \
     $straight with lines lw 2 dt 2 lc rgb "#c0392b" title sprintf("straightforward reference, default view (%.1f ms)", $straight), \
     $floor with lines lw 2 dt 3 lc rgb "#27ae60" title sprintf("floor: textured sphere alone (%.1f ms)", $floor)
GNUPLOT
