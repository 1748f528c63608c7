#!/bin/sh
# Checks the Debian package built in a build directory (the package
# workflow): lintian finds nothing to warn about, every manual page renders
# without warnings and within 80 columns, and the black-box tests pass against the programs as the
# package installs them, extracted into a temporary root (never installed).
# The build directory must have been configured with its tests.
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
    # A student's terminal is 80 columns: no rendered line may be wider.
    wide=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | awk 'length($0) > 80')
    if [ -n "$wide" ]; then
        echo "FAIL $page: wider than 80 columns:"
        echo "$wide"
        exit 1
    fi
    echo "renders: ${page#$root}"
done
# Every program has a page, under its own name.
for program in $(ls "$bin"); do
    ls "$root"/usr/share/man/man1/"$program".1.gz >/dev/null
done

echo "== the documents' links, as the package installs them"
python3 "$tests/docs/links.py" $(find "$root/usr/share/doc/teaching-programs" -name '*.md')

echo "== the black-box tests against the extracted programs"
# The build's own list of them, each pointed at the package's programs; all
# but the disassembly check, which needs the symbols stripping removed. As
# many at once as the machine has cores, as the build's own test step runs.
PROGRAM_BIN=$bin ctest --test-dir "$build" -L black-box -LE symbols --output-on-failure --parallel "$(nproc)"
