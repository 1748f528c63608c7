#!/bin/sh
# Checks the Debian package built in a build directory (the package
# workflow): lintian finds nothing to warn about, every manual page renders
# without warnings, and the black-box tests pass against the programs as the
# package installs them, extracted into a temporary root (never installed).
set -eu
build=${1:?usage: check.sh <build directory>}
tests=$(cd "$(dirname "$0")/.." && pwd)
deb=$(ls "$build"/teaching-programs_*.deb)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

echo "== lintian $deb"
lintian --fail-on error,warning "$deb"

dpkg-deb -x "$deb" "$root"
bin=$root/usr/bin
programs=$(ls "$bin" | paste -sd, -)
echo "== the package installs: $programs"

echo "== manual pages"
for page in "$root"/usr/share/man/man*/*; do
    # man --warnings prints what groff warns of; any output is a failure.
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        echo "FAIL $page: $warnings"
        exit 1
    fi
    echo "renders: ${page#$root}"
done
# Every program has a page, under its own name.
for program in $(ls "$bin"); do
    ls "$root"/usr/share/man/man1/"$program".1.gz >/dev/null
done

echo "== the black-box tests against the extracted programs"
for program in calcloop calcminusrec calcrec; do
    python3 "$tests/calculator/cases.py" --bin "$bin" --program "$program"
    python3 "$tests/calculator/differential.py" --bin "$bin" --program "$program"
done
python3 "$tests/calculator/depth.py" --bin "$bin" --smallest-stack 20
python3 "$tests/calculator/explain.py" --bin "$bin"
python3 "$tests/precision/reports.py" --bin "$bin" \
    --extended-sections "$build/tests/precision/extended_sections"
python3 "$tests/factorial/programs.py" --bin "$bin"
python3 "$tests/lost_output.py" --bin "$bin" --programs "$programs"
