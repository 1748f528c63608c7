#!/bin/sh
# Runs every program of the suite on sample input: those in the directory
# given as argument, or else those on PATH (as installed by the package).
bin=${1:-$(dirname "$(command -v calcloop)")}
if [ ! -x "$bin/calcloop" ]; then
    echo "usage: demo.sh [<bin directory>] (calcloop not found)" >&2
    exit 2
fi
# A calculator's parse error is a status of 1, and shown; a missing program
# is not, so each must be there before any runs.
for prog in calcloop calcminusrec calcrec calcexplain precision3 precision2 precisionx \
            floatexplain prodshow prodshow-opt prodquiet factexplain; do
    if [ ! -x "$bin/$prog" ]; then
        echo "demo.sh: $prog not found in $bin" >&2
        exit 1
    fi
done

echo "== The calculators: the same lines, three grammars"
for line in '2+3*4' '10-3-2' '8-4-2-1' '10-2-3+1' '(1+2)*(3+4)' '2147483647+1' '6/2'; do
    for prog in calcloop calcminusrec calcrec; do
        printf '%-12s <<< %-12s  ' "$prog" "$line"
        printf '%s\n' "$line" | "$bin/$prog"
    done
    echo
done

echo "== Why: calcexplain --steps"
"$bin/calcexplain" --steps '10-3-2' '2*3-4*5'
echo

for prog in precision3 precision2 precisionx; do
    echo "== $prog"
    "$bin/$prog"
    echo
done

echo "== Why: floatexplain sum --summary, then floatexplain tenths"
"$bin/floatexplain" sum --summary
echo
"$bin/floatexplain" tenths
echo

echo "== The factorial programs"
for prog in prodshow prodshow-opt; do
    printf '%-12s  ' "$prog"
    "$bin/$prog"
done
printf '%-12s  (prints nothing; exit status ' prodquiet
"$bin/prodquiet"
echo "$?)"
echo
echo "== Why: factexplain, fact(4) in both builds"
"$bin/factexplain"
