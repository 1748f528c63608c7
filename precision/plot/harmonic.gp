# The 2000..10,000,000 pass of precision3 and precision2, drawn from
# floatexplain's data: the running sums in both orders beside the exact ones,
# and below them each order's error in units in the last place.
#
# gnuplot -e "floatexplain='<path>'; output='<file>.png'" harmonic.gp

if (!exists("floatexplain") || !exists("output")) {
    print "usage: gnuplot -e \"floatexplain='<path>'; output='<file>.png'\" harmonic.gp"
    exit status 2
}

# Columns: i, the stored sum, the exact sum, the sum's error in ulps.
set table $increasing
plot '< '.floatexplain.' sum --data --every 1000' using 1:2:3:4 with table
set table $decreasing
plot '< '.floatexplain.' sum --data --every 1000 --decreasing' using 1:2:3:4 with table
unset table

set terminal pngcairo size 1000,800 font ",11"
set output output
set multiplot layout 2,1 title "1/i added one term at a time into a single-precision sum, i from 2000 to 10,000,000"

stall = 2**22
set logscale x
set xrange [2000:1e7]
set grid
set lmargin 16  # the two panels line up
set key left top
set format x "10^{%L}"
set arrow 1 from stall, graph 0 to stall, graph 1 nohead dashtype 2 linecolor "gray40"

set ylabel "the sum of the terms from i = 2000 up to i,\nor from 10,000,000 down to i"
set yrange [0:9]
plot $increasing using 1:3 with lines linewidth 3 linecolor "gray70" title "exact, increasing", \
     $increasing using 1:2 with lines linewidth 1.5 linecolor "red" title "single precision, increasing", \
     $decreasing using 1:3 with lines linewidth 3 linecolor "gray50" dashtype 3 title "exact, decreasing", \
     $decreasing using 1:2 with lines linewidth 1.5 linecolor "blue" title "single precision, decreasing"

# The note on the stall goes below, where the errors leave room beside the
# line; above, the two sums cross at about the same height.
set label 1 "i = 2^{22}: from here each term is at most half\na unit in the last place of the increasing sum,\nwhich no longer changes" at stall, graph 0.45 right offset -1,0
set xlabel "i"
set ylabel "the sum's error, in units in its last place\n(the stored sum minus the exact one)"
set yrange [*:*]
set format y "%.0f"
set key left bottom
plot $increasing using 1:4 with lines linewidth 1.5 linecolor "red" title "increasing", \
     $decreasing using 1:4 with lines linewidth 1.5 linecolor "blue" title "decreasing"
unset multiplot
